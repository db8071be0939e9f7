#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <list>
#include <optional>
#include <tuple>

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
  for (const auto& w : browser::ShellWindows())
    if (std::none_of(before.begin(), before.end(), [&](const auto& b) { return w.is(b); }))
      opened.push_back(w);
  return opened;
}

// The top-level window in front at point.
HWND frontAt(POINT point) {
  HWND hwnd = ui::WindowFromPoint(point);
  while (HWND parent = ui::GetParent(hwnd)) hwnd = parent;
  return hwnd;
}

LRESULT CALLBACK quietProc(HWND, UINT, WPARAM, LPARAM) {
  return 0;
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
};

}  // namespace

TEST_F(CommonTest, LaunchBrowserOpensAVisibleWindowInFrontOnTheAddress) {
  // Whether bars show, whether it is resizable, the width and height asked for and given.
  const std::tuple<const char*, VARIANT_BOOL, VARIANT_BOOL, long, long, long, long> cases[] = {
      {"the page after a save", VARIANT_FALSE, VARIANT_TRUE, 759, 535, 759, 535},
      {"width only, fixed frame", VARIANT_TRUE, VARIANT_FALSE, 500, 0, 500, 768},
  };
  const std::string url = pageUrl("self.html");
  for (const auto& [name, bars, resizable, width, height, givenWidth, givenHeight] : cases) {
    SCOPED_TRACE(name);
    const auto before = browser::ShellWindows();
    LaunchBrowser(url, bars, width, height, resizable);
    auto opened = openedSince(before);
    ASSERT_EQ(opened.size(), 1u);
    browser::WebBrowser& ie = opened.front();
    for (bool bar : {ie.AddressBar(), ie.MenuBar(), ie.StatusBar(), ie.ToolBar()})
      EXPECT_EQ(bar, bars != VARIANT_FALSE);
    EXPECT_EQ(ie.Resizable(), resizable != VARIANT_FALSE);
    EXPECT_EQ(std::pair(ie.Width(), ie.Height()), std::pair(givenWidth, givenHeight));
    EXPECT_EQ(frontAt({300, 300}), ie.hwnd()) << "shown in front";
    EXPECT_TRUE(waitFor([&] { return ie.LocationURL() == url; }));
    ie.Quit();
  }
  EXPECT_EQ(reported(), "");
}

TEST_F(CommonTest, NavigateServiceWindowPicksEveryServiceWindowOrFallsBack) {
  const std::string other = pageUrl("self.html"), target = servicePage("/how-to-clip/");
  const std::string faq = servicePage("/faq/"), popular = servicePage("/popular/");
  const auto framed = dir.path() / "framed.html";  // shows the service only inside a frame
  std::ofstream(framed) << "<html><frameset cols=\"50%,50%\"><frame src=\"" << faq
                        << "\"><frame src=\"" << pageUrl("left.html") << "\"></frameset></html>";
  const std::string framedPage = "file://" + framed.string();
  const struct {
    const char* name;
    std::vector<std::string> others;  // pages of other open windows, oldest first
    std::vector<bool> othersNavigated;
    bool bandBusy, bandNavigated, launched;
  } cases[] = {
      {"two service windows", {faq, popular, other}, {true, true, false}, false, false, false},
      {"a service page only inside a frame", {framedPage}, {false}, false, true, false},
      {"the band's browser is busy", {other}, {false}, true, false, true},
  };
  for (const auto& c : cases) {
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
    bool navigatedInFront = false;
    for (std::size_t i = 0; i < others.size(); ++i) {
      const std::string expected = c.othersNavigated[i] ? target : c.others[i];
      EXPECT_TRUE(waitFor([&] { return others[i].LocationURL() == expected; })) << c.others[i];
      navigatedInFront |= c.othersNavigated[i] && others[i].hwnd() == frontAt({300, 300});
    }
    // Unless the band's browser or a new window took the address, a service window did.
    EXPECT_EQ(navigatedInFront, !c.bandNavigated && !c.launched)
        << "a service window it navigated came to the front";
    auto launched = openedSince(before);
    ASSERT_EQ(launched.size(), c.launched ? 1u : 0u);
    for (const auto& w : launched) EXPECT_TRUE(waitFor([&] { return w.LocationURL() == target; }));
    EXPECT_TRUE(!c.bandNavigated || waitFor([&] { return window->locationURL == target; }));
    ui::DoEvents();
    EXPECT_EQ(window->locationURL, c.bandNavigated ? target : other);
    for (auto& w : launched) w.Quit();
    ui::SetWindowLongPtr(top, GWL_STYLE, style);
  }
  EXPECT_EQ(reported(), "");
}

// The rows run in order on one browser thread: the pane is looked for until found, then kept.
TEST_F(BandFixture, BrowserPaneIsTheTopWindowsChildUnderThePageFoundOnceUncovered) {
  ui::RegisterWindowClass("CommonTestCover", &quietProc);
  onFreshThread([] {
    headless::BrowserWindow browser;
    ASSERT_EQ(browser.AddBand(kToolBarProgId), S_OK);
    ui::MoveWindow(browser.topWindow(), 200, 120, 1024, 768, TRUE);
    // What is over the page, and the pane found then.
    const std::tuple<const char*, DWORD, HWND> cases[] = {
        {"a window in front", WS_VISIBLE, nullptr},
        {"a hidden window, looked through", 0, browser.paneWindow()},
        {"a window in front, once the pane is found", WS_VISIBLE, browser.paneWindow()},
    };
    for (const auto& [over, style, pane] : cases) {
      HWND cover =
          ui::CreateWindowEx(0, "CommonTestCover", "", WS_POPUP | style, 0, 0, 2000, 2000, nullptr);
      EXPECT_EQ(GetBrowserPaneWindow(), pane) << over;
      ui::DestroyWindow(cover);
    }
  });
}

TEST(FindIEServerProcTest, TheFirstPageWindowMetWins) {
  constexpr const char* kPage = "Internet Explorer_Server";
  constexpr const char* kView = "Shell DocObject View";
  ui::RegisterWindowClass(kPage, &quietProc);
  ui::RegisterWindowClass(kView, &quietProc);
  // The windows below the root, each a class and its parent's index (-1: the root), and the one
  // found (-1: none).
  const std::tuple<const char*, std::vector<std::pair<const char*, int>>, int> cases[] = {
      {"no page window", {{kView, -1}}, -1},
      {"deep in the tree", {{kView, -1}, {kView, 0}, {kView, 1}, {kPage, 2}}, 3},
      {"a page window inside another", {{kPage, -1}, {kPage, 0}}, 0},
  };
  for (const auto& [name, tree, expected] : cases) {
    SCOPED_TRACE(name);
    onFreshThread([&] {
      HWND root = ui::CreateWindowEx(0, kView, "", 0, 0, 0, 10, 10, nullptr);
      std::vector<HWND> made;
      for (const auto& [cls, parent] : tree)
        made.push_back(ui::CreateWindowEx(0, cls, "", WS_CHILD, 0, 0, 10, 10,
                                          parent < 0 ? root : made[parent]));
      ui::EnumChildWindows(root, &FindIEServerProc, 0);
      EXPECT_EQ(g_hWndIEServer(), expected < 0 ? nullptr : made[expected]);
      ui::DestroyWindow(root);
    });
  }
}
