#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <thread>
#include <tuple>

#include "band/Reporter.h"
#include "band/mdlCommon.h"
#include "support.h"

using testing_support::ModuleFolder;
using testing_support::readLog;
using testing_support::ScopedEnv;

namespace {

void report(const std::string& description) {
  LogError("Folverra", "Toolbar", "SetToolbar()", -2147467263, "Folverra", description, "0", "");
}

std::string contentOf(const std::filesystem::path& file) {
  std::ifstream in(file);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// What the logs moved aside in dir held.
std::vector<std::string> asides(const ModuleFolder& dir) {
  std::vector<std::string> held;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    if (e.path().filename().string().rfind("errors.xml.unreadable-", 0) == 0)
      held.push_back(contentOf(e.path()));
  return held;
}

// The local time now as the log writes it, "YYYY-MM-DD hh:mm:ss": such stamps sort as the times
// they stand for.
std::string localTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::ostringstream text;
  text << std::put_time(std::localtime(&now), "%Y-%m-%d %H:%M:%S");
  return text.str();
}

// A local zone far from UTC, so that a stamp in UTC cannot pass for local time. The zone
// before is put back and read again.
struct FarZone {
  struct Reread {
    ~Reread() { tzset(); }
  } reread;
  ScopedEnv tz{"TZ", std::string("FVT-5:30")};
  FarZone() { tzset(); }
};

}  // namespace

TEST(ErrorLog, ReportsAppendTwelveFieldsInOrderStampedWithTheLocalTimeAndTextUnchanged) {
  ModuleFolder dir;
  FarZone zone;
  const std::vector<std::string> descriptions = {"Not implemented", "a < b && c > d",
                                                 "<error>&amp;</error>", "\"quoted\" 'single'",
                                                 "ünïcødé ✓"};
  const std::string before = localTimeNow();
  for (const auto& d : descriptions) report(d);
  const std::string after = localTimeNow();
  const auto log = readLog(dir.log());
  ASSERT_TRUE(log.wellFormed);
  EXPECT_EQ(log.root, "errors");
  ASSERT_EQ(log.records.size(), descriptions.size());
  const std::vector<std::string> order = {"major",   "minor",       "revision",       "timestamp",
                                          "project", "object",      "routine",        "source",
                                          "number",  "description", "last-dll-error", "more-info"};
  for (std::size_t i = 0; i < descriptions.size(); ++i) {
    const auto& r = log.records[i];
    EXPECT_EQ(log.fieldOrder[i], order);
    EXPECT_EQ(r.at("description"), descriptions[i]) << "oldest first, as written";
    EXPECT_EQ(r.at("major") + "." + r.at("minor") + "." + r.at("revision"), "3.0.0");
    const std::string& stamp = r.at("timestamp");
    EXPECT_TRUE(stamp.size() == before.size() && before <= stamp && stamp <= after) << stamp;
  }
}

TEST(ErrorLog, UnreadableLogIsMovedAsideAndAFreshLogHoldsTheReport) {
  const std::tuple<const char*, std::string, bool> cases[] = {
      {"not xml", "this is not <xml", true},
      {"truncated", "<errors><error><major>3</major>", true},
      {"two roots", "<errors/><errors/>", true},
      {"empty file", "", false},
  };
  for (const auto& [name, content, keptAside] : cases) {
    SCOPED_TRACE(name);
    ModuleFolder dir;
    std::ofstream(dir.log()) << content;
    report("after corruption");
    const auto log = readLog(dir.log());
    ASSERT_TRUE(log.wellFormed);
    ASSERT_EQ(log.records.size(), 1u);
    EXPECT_EQ(log.records[0].at("description"), "after corruption");
    EXPECT_EQ(asides(dir), keptAside ? std::vector{content} : std::vector<std::string>{});
  }
}

TEST(ErrorLog, ReportIntoAFolderThatCannotBeWrittenIsLostSilently) {
  ModuleFolder dir;
  for (const std::filesystem::path& folder :
       {std::filesystem::path("/proc"), dir.path() / "missing"}) {
    SCOPED_TRACE(folder);
    ScopedEnv moduleDir("FOLVERRA_MODULE_DIR", folder.string());
    report("lost");
    EXPECT_FALSE(std::filesystem::exists(folder / "errors.xml"));
  }
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

TEST(TraceSink, WritesObjectAndMessageLinesOnlyToTheFileTheVariableNames) {
  ModuleFolder dir;
  const auto file = dir.path() / "trace.txt";
  const std::tuple<const char*, std::optional<std::string>, std::string> cases[] = {
      {"unset", std::nullopt, ""},
      {"naming a file", file.string(), "Tester: Entering Clip()\nFolverra.Tester: 3 - 4\n"},
  };
  for (const auto& [name, value, appended] : cases) {
    SCOPED_TRACE(name);
    std::ofstream(file) << "kept\n";
    {
      ScopedEnv trace("FOLVERRA_TRACE", value);
      Reporter(kProjectName, "Tester").Trace("Entering Clip()");
      Reporter(kProjectName, "Tester", Reporter::TraceName::Qualified).Trace("3 - 4");
    }
    EXPECT_EQ(contentOf(file), "kept\n" + appended);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
        << "nothing written beside it";
  }
}
