#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "band/Configuration.h"
#include "band/Server.h"
#include "band/mdlToolband.h"
#include "dialogs/frmClipSelection.h"
#include "dialogs/frmMouseOver.h"
#include "headless/menu.h"
#include "page/mdlWindowProxy.h"
#include "runtime/controls.h"
#include "runtime/form.h"
#include "standin/standin.h"
#include "toolbar/frmToolband.h"
#include "toolbar_fixture.h"

namespace {

struct ToolbarFormTest : ToolbarFixture {
  void clickArrow(UINT down, UINT up) {
    const HWND hwnd = form().hWnd();
    const RECT arrow = form().imgArrow.formRect();
    const LPARAM at = (static_cast<LPARAM>(arrow.top + 3) << 16) | (arrow.left + 3);
    ui::SendMessage(hwnd, down, 0, at);
    ui::SendMessage(hwnd, up, 0, at);
  }
};

}  // namespace

TEST_F(ToolbarFormTest, ButtonStaysAtTwoAndTheArrowBehindItWhateverTheWidth) {
  ASSERT_TRUE(waitFor([&] { return !form().tmrLoad.Enabled(); })) << "the load timer fires once";
  frmToolband& f = form();
  EXPECT_TRUE(f.imgClipIt[0].Visible);
  EXPECT_FALSE(f.imgClipIt[1].Visible) << "the active button waits for clipping mode";
  EXPECT_LE(f.imgArrow.formRect().right, 36) << "everything fits the band's 36 pixels";

  for (const long width : {36L, 120L, 1000L, 0L}) {
    SCOPED_TRACE(width);
    ui::MoveWindow(f.hWnd(), 0, 0, static_cast<int>(width), 25, TRUE);
    EXPECT_EQ(f.pcbToolbar.Width, width);
    EXPECT_EQ(f.imgBackground.Width, width) << "only the background stretches";
    for (const ui::Image& button : f.imgClipIt) {
      EXPECT_EQ(button.Left, 2);
      EXPECT_EQ(button.Top, 0);
      EXPECT_EQ(button.Width, 24);
      EXPECT_EQ(button.Height, 25);
    }
    EXPECT_EQ(f.imgArrow.Left, 2 + 24 + 1);
    EXPECT_EQ(f.imgArrow.Width, 8);
  }
  EXPECT_EQ(records(), 0u);
}

TEST_F(ToolbarFormTest, ArrowMenuOpensTheChosenServicePage) {
  // The hosts named apart, so each item is seen to use its own.
  ServiceHosts hosts = Service();
  hosts.feed = "localhost:" + std::to_string(service->port());
  hosts.facebookApp = "LOCALHOST:" + std::to_string(service->port());
  ReplaceServiceHosts(hosts);
  struct Case {
    long choice;
    UINT down, up;
    std::string opens;  // empty: nothing
  };
  const Case cases[] = {
      {0, WM_LBUTTONDOWN, WM_LBUTTONUP, ""},
      {1, WM_LBUTTONDOWN, WM_LBUTTONUP, ServiceAddress(hosts.web, "/login.aspx?url=/my.murmuro/")},
      {2, WM_RBUTTONDOWN, WM_RBUTTONUP, ServiceAddress(hosts.feed, "/popular/")},
      {3, WM_LBUTTONDOWN, WM_LBUTTONUP,
       ServiceAddress(hosts.web, "/login.aspx?url=/my.murmuro/clippers/")},
      {4, WM_MBUTTONDOWN, WM_MBUTTONUP, ServiceAddress(hosts.web, "/")},
      {5, WM_LBUTTONDOWN, WM_LBUTTONUP, ServiceAddress(hosts.facebookApp, "/folverra/")},
      {6, WM_LBUTTONDOWN, WM_LBUTTONUP, ServiceAddress(hosts.web, "/faq/")},
  };
  const std::vector<std::pair<std::string, std::string>> items = {
      {"My Murmuro", "MyLibrary"}, {"Popular Murmuro", "Popular"}, {"My Clippers", "MyClippers"},
      {"Folverra.com", "Home"},    {"Facebook App", "Facebook"},   {"Help", "Help"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choice);
    ASSERT_TRUE(window->Load(pageUrl("self.html")));
    headless::ChooseMenuItem(c.choice);
    clickArrow(c.down, c.up);

    const auto menu = headless::LastShownMenu();
    ASSERT_TRUE(menu.has_value());
    ASSERT_EQ(menu->items.size(), items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
      EXPECT_EQ(menu->items[i].caption, items[i].first);
      EXPECT_EQ(menu->items[i].key, items[i].second);
      EXPECT_EQ(menu->items[i].iconIndex, static_cast<long>(i));
      EXPECT_TRUE(menu->items[i].enabled);
    }
    EXPECT_EQ(menu->images, 6);
    POINT below{static_cast<LONG>(form().imgArrow.Left), 25};
    ui::ClientToScreen(form().hWnd(), &below);
    EXPECT_EQ(menu->at.x, below.x);
    EXPECT_EQ(menu->at.y, below.y) << "at the arrow's left edge, under the band";

    const std::string expected = c.opens.empty() ? pageUrl("self.html") : c.opens;
    EXPECT_TRUE(waitFor([&] { return window->locationURL == expected; }));
    pump();
    EXPECT_EQ(window->locationURL, expected);
  }
  EXPECT_EQ(records(), 0u);
}

TEST_F(ToolbarFormTest, SupportedVideoListComesFromTheServiceOrStaysEmpty) {
  std::vector<std::string> domains;
  const xml::NodeList sites = g_oSupportedVideo().selectNodes("/*/*");
  for (long i = 0; i < sites.length(); ++i)
    domains.push_back(sites.item(i).getAttribute("domain").value_or(""));
  EXPECT_EQ(domains, (std::vector<std::string>{"video.example.test", "clips.example.test",
                                               "movies.example.test"}));

  // Without a service the answer is no XML: the list is an empty document.
  RemoveBand();
  service.reset();
  AddBand();
  ASSERT_TRUE(waitFor([] { return !g_oSupportedVideo().isNothing(); }));
  EXPECT_TRUE(g_oSupportedVideo().firstChild().isNothing());
}

TEST_F(ToolbarFormTest,
       NavigationUnloadsTheFloatingButtonsAndUnloadingTheFormLetsGoOfPagesAndBrowser) {
  ui::Instance<frmMouseOver>::get().Show();
  ui::Instance<frmClipSelection>::get().Show();
  ASSERT_TRUE(window->Load(pageUrl("self.html")));
  EXPECT_FALSE(ui::Instance<frmMouseOver>::exists());
  EXPECT_FALSE(ui::Instance<frmClipSelection>::exists());

  ui::Instance<frmMouseOver>::get().Show();
  RemoveBand();
  EXPECT_FALSE(ui::Instance<frmMouseOver>::exists());
  EXPECT_EQ(g_ProxyCount(), 0) << "every proxy cleaned up with the form";
  ASSERT_TRUE(window->Load(pageUrl("frameset.html")));
  EXPECT_EQ(g_ProxyCount(), 0) << "the browser's events no longer reach the toolbar";
  EXPECT_EQ(records(), 0u);
}

TEST_F(ToolbarFormTest, BringBrowserToTopPutsTheBrowserInFront) {
  headless::BrowserWindow other;
  ui::SetForegroundWindow(other.topWindow());
  form().BringBrowserToTop();
  EXPECT_EQ(ui::GetForegroundWindow(), window->topWindow());
  EXPECT_EQ(records(), 0u);
}

TEST_F(ToolbarFormTest, AFailingHandlerIsLoggedWithThePageAndTheToolbarCarriesOn) {
  ASSERT_TRUE(window->Load(pageUrl("left.html")));
  RemoveBand();
  ServiceHosts hosts = Service();
  hosts.content = "no such host";  // the request cannot even be opened
  ReplaceServiceHosts(hosts);
  AddBand();

  const testing_support::Log log = testing_support::readLog(dir.log());
  ASSERT_EQ(log.records.size(), 1u);
  EXPECT_EQ(log.records[0].at("object"), "frmToolband");
  EXPECT_EQ(log.records[0].at("routine"), "Form_Load()");
  EXPECT_EQ(log.records[0].at("more-info"), pageUrl("left.html"));
  EXPECT_TRUE(form().g_IEWindow) << "connected before the failing step";
  ASSERT_TRUE(window->Load(pageUrl("frameset.html")));
  EXPECT_EQ(g_ProxyCount(), 3);
}
