#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <list>
#include <optional>
#include <thread>

#include "band/Configuration.h"
#include "band/mdlCommon.h"
#include "band_fixture.h"
#include "platform/ui.h"
#include "standin/standin.h"

namespace {

using testing_support::pageUrl;
using testing_support::waitFor;

// The windows ShellWindows lists now that it did not list in before.
std::vector<browser::WebBrowser> openedSince(const std::vector<browser::WebBrowser>& before) {
  std::vector<browser::WebBrowser> opened;
  for (const auto& w : browser::ShellWindows()) {
    bool known = false;
    for (const auto& b : before) known = known || w.is(b);
    if (!known) opened.push_back(w);
  }
  return opened;
}

HWND topLevelOf(HWND hwnd) {
  while (HWND parent = ui::GetParent(hwnd)) hwnd = parent;
  return hwnd;
}

LRESULT CALLBACK quietProc(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}

// Runs body on a thread of its own, so the per-thread window slots start empty.
template <class Body>
void onFreshThread(Body&& body) {
  std::thread(std::forward<Body>(body)).join();
}

struct CommonTest : BandFixture {
  ServiceHosts product = Service();
  std::optional<standin::Server> service;

  void SetUp() override {
    BandFixture::SetUp();
    service.emplace(dir.path() / "store");
    service->start();
    ReplaceServiceHosts(ServiceHostsAt(service->host()));
    ASSERT_EQ(window->AddBand(kToolBarProgId), S_OK);
  }
  void TearDown() override {
    BandFixture::TearDown();
    service.reset();
    ReplaceServiceHosts(product);
  }
  static std::string servicePage(const std::string& path) {
    return ServiceAddress(Service().web, path);
  }
  // A page that shows the service only inside a frame.
  std::string framedServicePage() const {
    const auto file = dir.path() / "framed.html";
    std::ofstream(file) << "<html><frameset cols=\"50%,50%\"><frame src=\"" << servicePage("/faq/")
                        << "\"><frame src=\"" << pageUrl("left.html") << "\"></frameset></html>";
    return "file://" + file.string();
  }
};

TEST_F(CommonTest, LaunchBrowserOpensAVisibleWindowOnTheAddress) {
  struct Case {
    const char* name;
    VARIANT_BOOL showBars;
    long width, height;
    VARIANT_BOOL resizable;
    long expectWidth, expectHeight;
  };
  const Case cases[] = {
      {"default size", VARIANT_TRUE, 0, 0, VARIANT_TRUE, 1024, 768},
      {"no bars", VARIANT_FALSE, 0, 0, VARIANT_TRUE, 1024, 768},
      {"the page after a save", VARIANT_FALSE, 759, 535, VARIANT_TRUE, 759, 535},
      {"width only, fixed frame", VARIANT_TRUE, 500, 0, VARIANT_FALSE, 500, 768},
  };
  const std::string url = pageUrl("self.html");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto before = browser::ShellWindows();
    LaunchBrowser(url, c.showBars, c.width, c.height, c.resizable);
    auto opened = openedSince(before);
    ASSERT_EQ(opened.size(), 1u);
    browser::WebBrowser& ie = opened.front();
    const bool bars = c.showBars != VARIANT_FALSE;
    EXPECT_EQ(ie.AddressBar(), bars);
    EXPECT_EQ(ie.MenuBar(), bars);
    EXPECT_EQ(ie.StatusBar(), bars);
    EXPECT_EQ(ie.ToolBar(), bars);
    EXPECT_EQ(ie.Resizable(), c.resizable != VARIANT_FALSE);
    EXPECT_EQ(ie.Width(), c.expectWidth);
    EXPECT_EQ(ie.Height(), c.expectHeight);
    EXPECT_TRUE(ie.Visible());
    EXPECT_EQ(topLevelOf(ui::WindowFromPoint({300, 300})), ie.hwnd()) << "in front";
    EXPECT_TRUE(waitFor([&] { return ie.LocationURL() == url; }));
    ie.Quit();
  }
  EXPECT_EQ(records(), 0u);
}

TEST_F(CommonTest, NavigateServiceWindowPicksEveryServiceWindowOrFallsBack) {
  struct Case {
    const char* name;
    std::vector<std::string> others;  // pages of other open windows, oldest first
    bool bandBusy;
    std::vector<bool> othersNavigated;
    bool bandNavigated;
    bool launched;
  };
  const std::string other = pageUrl("self.html");
  const std::string framed = framedServicePage();
  const Case cases[] = {
      {"two service windows",
       {servicePage("/faq/"), servicePage("/popular/"), other},
       false,
       {true, true, false},
       false,
       false},
      {"a service page only inside a frame", {framed}, false, {false}, true, false},
      {"the band's browser is busy", {other}, true, {false}, false, true},
  };
  const std::string target = servicePage("/how-to-clip/");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::list<headless::BrowserThread> threads;
    std::vector<browser::WebBrowser> others;
    for (const std::string& page : c.others) {
      threads.emplace_back().run([&](headless::BrowserWindow& w) { ASSERT_TRUE(w.Load(page)); });
      others.push_back(browser::WebBrowser::FromUnknown(threads.back().browserObject()));
    }
    ASSERT_TRUE(window->Load(other));
    const HWND top = window->topWindow();
    const LONG_PTR style = ui::GetWindowLongPtr(top, GWL_STYLE);
    // As a modal dialog over the browser leaves it.
    if (c.bandBusy) ui::SetWindowLongPtr(top, GWL_STYLE, style | WS_DISABLED);
    const auto before = browser::ShellWindows();

    NavigateServiceWindow(target);

    // Calls to another window's thread run in order, so an unchanged address is final.
    for (std::size_t i = 0; i < others.size(); ++i) {
      const std::string expected = c.othersNavigated[i] ? target : c.others[i];
      EXPECT_TRUE(waitFor([&] { return others[i].LocationURL() == expected; })) << c.others[i];
    }
    auto launched = openedSince(before);
    ASSERT_EQ(launched.size(), c.launched ? 1u : 0u);
    for (const auto& w : launched) EXPECT_TRUE(waitFor([&] { return w.LocationURL() == target; }));
    if (c.bandNavigated) {
      EXPECT_TRUE(waitFor([&] { return window->locationURL == target; }));
    } else {
      ui::DoEvents();
      EXPECT_EQ(window->locationURL, other);
    }
    if (std::count(c.othersNavigated.begin(), c.othersNavigated.end(), true) > 0) {
      const HWND front = topLevelOf(ui::WindowFromPoint({300, 300}));
      bool frontNavigated = false;
      for (std::size_t i = 0; i < others.size(); ++i)
        frontNavigated = frontNavigated || (c.othersNavigated[i] && others[i].hwnd() == front);
      EXPECT_TRUE(frontNavigated) << "a service window came to the front";
    }
    for (auto& w : launched) w.Quit();
    ui::SetWindowLongPtr(top, GWL_STYLE, style);
  }
  EXPECT_EQ(records(), 0u);
}

TEST_F(CommonTest, WindowUnderCursorIsTheDeepestVisibleOne) {
  const struct {
    POINT cursor;
    HWND expected;
  } cases[] = {
      {{500, 400}, window->pageWindow()},
      {{-5, -5}, nullptr},
  };
  for (const auto& c : cases) {
    ui::SetCursorPos(c.cursor.x, c.cursor.y);
    EXPECT_EQ(GetWindowUnderCursor(), c.expected) << c.cursor.x << "," << c.cursor.y;
  }
  ui::ShowWindow(window->pageWindow(), SW_HIDE);
  ui::SetCursorPos(500, 400);
  EXPECT_EQ(GetWindowUnderCursor(), window->paneWindow()) << "a hidden window is looked through";
}

TEST_F(CommonTest, BrowserPaneIsTheTopWindowsChildUnderThePage) {
  ui::RegisterWindowClass("CommonTestCover", &quietProc);
  const struct {
    const char* name;
    POINT moveTo;
    bool covered;
  } cases[] = {
      {"in place", {0, 0}, false},
      {"moved", {200, 120}, false},
      {"covered by another window", {0, 0}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    onFreshThread([&] {
      headless::BrowserWindow browser;
      ASSERT_EQ(browser.AddBand(kToolBarProgId), S_OK);
      ui::MoveWindow(browser.topWindow(), c.moveTo.x, c.moveTo.y, 1024, 768, TRUE);
      HWND cover = c.covered ? ui::CreateWindowEx(0, "CommonTestCover", "", WS_POPUP | WS_VISIBLE,
                                                  0, 0, 100, 100, nullptr)
                             : nullptr;
      EXPECT_EQ(GetBrowserPaneWindow(), c.covered ? nullptr : browser.paneWindow());
      if (cover) ui::DestroyWindow(cover);
      EXPECT_EQ(GetBrowserPaneWindow(), browser.paneWindow()) << "found once uncovered";
      cover = ui::CreateWindowEx(0, "CommonTestCover", "", WS_POPUP | WS_VISIBLE, 0, 0, 2000, 2000,
                                 nullptr);
      EXPECT_EQ(GetBrowserPaneWindow(), browser.paneWindow()) << "cached";
      ui::DestroyWindow(cover);
    });
  }
}

TEST(FindIEServerProcTest, TheFirstPageWindowMetWins) {
  ui::RegisterWindowClass("Internet Explorer_Server", &quietProc);
  ui::RegisterWindowClass("Shell DocObject View", &quietProc);
  // Each window: its class and the index of its parent (-1: the root).
  struct Window {
    const char* cls;
    int parent;
  };
  const struct {
    const char* name;
    std::vector<Window> tree;
    int expected;  // -1: none found
  } cases[] = {
      {"no page window", {{"Shell DocObject View", -1}}, -1},
      {"deep in the tree",
       {{"Shell DocObject View", -1},
        {"Shell DocObject View", 0},
        {"Shell DocObject View", 1},
        {"Internet Explorer_Server", 2}},
       3},
      {"a page window inside another",
       {{"Internet Explorer_Server", -1}, {"Internet Explorer_Server", 0}},
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    onFreshThread([&] {
      HWND root = ui::CreateWindowEx(0, "Shell DocObject View", "", 0, 0, 0, 10, 10, nullptr);
      std::vector<HWND> made;
      for (const Window& w : c.tree)
        made.push_back(ui::CreateWindowEx(0, w.cls, "", WS_CHILD, 0, 0, 10, 10,
                                          w.parent < 0 ? root : made[w.parent]));
      ui::EnumChildWindows(root, &FindIEServerProc, 0);
      EXPECT_EQ(g_hWndIEServer(), c.expected < 0 ? nullptr : made[c.expected]);
      ui::DestroyWindow(root);
    });
  }
}

}  // namespace
