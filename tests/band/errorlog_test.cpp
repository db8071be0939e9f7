#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <thread>

#include "band/mdlCommon.h"
#include "support.h"

using testing_support::ModuleFolder;
using testing_support::readLog;
using testing_support::ScopedEnv;

namespace {

void report(const std::string& description, const std::string& moreInfo = "") {
  LogError("Folverra", "Toolbar", "SetToolbar()", -2147467263, "Folverra", description, "0",
           moreInfo);
}

std::size_t asideCount(const ModuleFolder& dir) {
  std::size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    if (e.path().filename().string().rfind("errors.xml.unreadable-", 0) == 0) ++n;
  return n;
}

}  // namespace

TEST(ErrorLog, FirstReportCreatesTheLogWithTwelveFieldsInOrder) {
  ModuleFolder dir;
  report("Not implemented", "http://example.test/page");
  const auto log = readLog(dir.log());
  ASSERT_TRUE(log.wellFormed);
  EXPECT_EQ(log.root, "errors");
  ASSERT_EQ(log.records.size(), 1u);
  const std::vector<std::string> order = {"major",   "minor",       "revision",       "timestamp",
                                          "project", "object",      "routine",        "source",
                                          "number",  "description", "last-dll-error", "more-info"};
  EXPECT_EQ(log.fieldOrder[0], order);
  const auto& r = log.records[0];
  EXPECT_EQ(r.at("major"), "3");
  EXPECT_EQ(r.at("minor"), "0");
  EXPECT_EQ(r.at("revision"), "0");
  EXPECT_EQ(r.at("number"), "-2147467263");
  EXPECT_EQ(r.at("routine"), "SetToolbar()");
  EXPECT_EQ(r.at("more-info"), "http://example.test/page");
  EXPECT_EQ(r.at("timestamp").size(), std::string("2026-12-06 19:44:15").size());
}

TEST(ErrorLog, ReportsAppendOldestFirstAndMarkupReadsBackUnchanged) {
  ModuleFolder dir;
  const std::vector<std::string> descriptions = {"a < b && c > d", "<error>&amp;</error>",
                                                 "\"quoted\" 'single'", "plain", "ünïcødé ✓"};
  for (const auto& d : descriptions) report(d);
  const auto log = readLog(dir.log());
  ASSERT_EQ(log.records.size(), descriptions.size());
  for (std::size_t i = 0; i < descriptions.size(); ++i)
    EXPECT_EQ(log.records[i].at("description"), descriptions[i]);
}

TEST(ErrorLog, UnreadableLogIsMovedAsideAndAFreshLogHoldsTheReport) {
  struct Case {
    const char* name;
    std::string content;
    std::size_t keptAside;
  };
  const Case cases[] = {
      {"not xml", "this is not <xml", 1},
      {"truncated", "<errors><error><major>3</major>", 1},
      {"two roots", "<errors/><errors/>", 1},
      {"empty file", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ModuleFolder dir;
    std::ofstream(dir.log()) << c.content;
    report("after corruption");
    const auto log = readLog(dir.log());
    ASSERT_TRUE(log.wellFormed);
    ASSERT_EQ(log.records.size(), 1u);
    EXPECT_EQ(log.records[0].at("description"), "after corruption");
    ASSERT_EQ(asideCount(dir), c.keptAside);
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
      if (e.path().filename().string().rfind("errors.xml.unreadable-", 0) != 0) continue;
      std::ifstream in(e.path());
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), c.content);
    }
  }
}

TEST(ErrorLog, ReportIntoAFolderThatCannotBeWrittenIsLostSilently) {
  ModuleFolder dir;
  const auto readOnly = dir.path() / "read-only";
  std::filesystem::create_directories(readOnly);
  ::chmod(readOnly.c_str(), 0555);
  struct Case {
    std::filesystem::path folder;
    bool applies;
  };
  const Case cases[] = {
      {readOnly, ::geteuid() != 0},  // root writes there anyway
      {"/proc", true},               // read-only even for root
      {dir.path() / "missing", true},
  };
  for (const auto& c : cases) {
    if (!c.applies) continue;
    SCOPED_TRACE(c.folder);
    ScopedEnv moduleDir("FOLVERRA_MODULE_DIR", c.folder.string());
    report("lost");
    EXPECT_FALSE(std::filesystem::exists(c.folder / "errors.xml"));
  }
  ::chmod(readOnly.c_str(), 0755);
}

TEST(ErrorLog, ConcurrentThreadsAndProcessesLoseNoReport) {
  ModuleFolder dir;
  constexpr int kThreads = 8, kReports = 200, kProcesses = 2;
  const std::string writer = std::string(FOLVERRA_ERRORLOG_WRITER) + " " +
                             std::to_string(kThreads) + " " + std::to_string(kReports);
  std::vector<std::thread> processes;
  std::vector<int> status(kProcesses, -1);
  for (int p = 0; p < kProcesses; ++p)
    processes.emplace_back([&, p] { status[p] = std::system(writer.c_str()); });
  for (auto& t : processes) t.join();
  for (int s : status) ASSERT_EQ(s, 0);

  const auto log = readLog(dir.log());
  ASSERT_TRUE(log.wellFormed);
  ASSERT_EQ(log.records.size(), static_cast<std::size_t>(kThreads * kReports * kProcesses));
  // Every (thread, report number) pair appears once per process.
  std::map<std::pair<std::string, std::string>, int> seen;
  for (const auto& r : log.records) ++seen[{r.at("description"), r.at("number")}];
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kReports));
  for (const auto& [key, count] : seen) EXPECT_EQ(count, kProcesses);
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos)
        << "a temporary file was left behind";
}
