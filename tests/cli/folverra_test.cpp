#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>

#include "support.h"

namespace {

struct Outcome {
  int status;
  std::string out;
};

Outcome run(const std::string& args) {
  const std::string command = std::string(FOLVERRA_CLI) + " " + args + " 2>&1";
  Outcome r{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  std::array<char, 4096> buffer;
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
    r.out.append(buffer.data(), n);
  r.status = WEXITSTATUS(pclose(pipe));
  return r;
}

}  // namespace

TEST(FolverraCommand, SitesTheBandAndReportsItsLifecycle) {
  testing_support::ModuleFolder dir;
  const Outcome r = run("");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("sizes: min 36 x 25, max 36 x 25, integral 36 x 25, actual 36 x 25, mode 0"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("(ReBarWindow32), style 0x52010100, visible"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ShowDW(FALSE): 0x"), std::string::npos);
  EXPECT_NE(r.out.find("SetSite(nothing): no window"), std::string::npos) << r.out;
  EXPECT_FALSE(std::filesystem::exists(dir.log())) << "a clean run logs nothing";
}

TEST(FolverraCommand, BadArgumentsAndUnreadablePagesGetOneLineAndStatus2) {
  testing_support::ModuleFolder dir;
  std::ofstream(dir.path() / "page.html") << "<p>hello</p>";
  struct Case {
    std::string args;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {"--help", 0, "usage: folverra"},
      {"--version", 0, "folverra 3.0.0"},
      {"--frobnicate", 2, "unknown option '--frobnicate'"},
      {"band a.html b.html", 2, "unexpected argument 'b.html'"},
      {"/nonexistent/page.html", 2, "cannot read page '/nonexistent/page.html'"},
      {dir.path().string(), 2, "cannot read page"},
      {"file://" + (dir.path() / "page.html").string(), 0, "page: file://"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, c.status) << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
    if (c.status == 2) {
      EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    }
  }
}

TEST(FolverraCommand, OpenPrintsTitleFramesAndWindowTree) {
  testing_support::ModuleFolder dir;
  const std::string pages = (std::filesystem::path(__FILE__).parent_path().parent_path() / "pages")
                                .lexically_normal()
                                .string();
  const Outcome r = run("open " + pages + "/frameset.html");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::vector<std::string> lines = {
      std::string("title: Two frames\n"), "  left file://" + pages + "/left.html\n",
      "  right file://" + pages + "/right.html\n",
      "proxies: 3\n  1 file://" + pages + "/frameset.html\n  2 file://" + pages +
          "/left.html\n  3 file://" + pages + "/right.html\n",
      "  IEFrame\n    Shell DocObject View\n      Internet Explorer_Server\n"};
  for (const std::string& line : lines)
    EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;

  for (const char* refused : {"open http://service.example.test/", "open /nonexistent/page.html"}) {
    const Outcome failed = run(refused);
    EXPECT_EQ(failed.status, 2) << refused;
    EXPECT_EQ(std::count(failed.out.begin(), failed.out.end(), '\n'), 1) << failed.out;
  }
}

TEST(FolverraCommand, OpensTheEmbeddedServiceByDefaultAndChoosesFromTheMenu) {
  testing_support::ModuleFolder dir;
  const Outcome r = run("open --menu Help");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("service: http://127.0.0.1:"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("document: HTMLDocument"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Internet Explorer_Server"), std::string::npos) << r.out;
  const auto menu = r.out.find("menu: Help\naddress: http://127.0.0.1:");
  ASSERT_NE(menu, std::string::npos) << r.out;
  EXPECT_EQ(r.out.substr(r.out.size() - 6), "/faq/\n") << r.out;

  const Outcome unknown = run("open --menu Nothing");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.out.find("no item 'Nothing'"), std::string::npos) << unknown.out;
}
