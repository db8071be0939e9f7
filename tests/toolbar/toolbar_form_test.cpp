#include <gtest/gtest.h>

#include "dialogs/frmClipSelection.h"
#include "dialogs/frmMouseOver.h"
#include "headless/menu.h"
#include "toolbar_fixture.h"

using ToolbarFormTest = ToolbarFixture;

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
    for (const ui::Image& b : f.imgClipIt)
      EXPECT_EQ(std::make_tuple(b.Left, b.Top, b.Width, b.Height),
                std::make_tuple(2L, 0L, 24L, 25L));
    EXPECT_EQ(std::make_pair(f.imgArrow.Left, f.imgArrow.Width), std::make_pair(2L + 24 + 1, 8L));
  }
}

TEST_F(ToolbarFormTest, ArrowMenuOpensTheChosenServicePage) {
  // The hosts named apart, so each item is seen to use its own.
  ServiceHosts hosts = Service();
  hosts.feed = "localhost:" + std::to_string(service->port());
  hosts.facebookApp = "LOCALHOST:" + std::to_string(service->port());
  ReplaceServiceHosts(hosts);
  struct Case {
    long choice;
    UINT press;
    std::string opens;
  };
  const Case cases[] = {
      {0, WM_LBUTTONDOWN, pageUrl("self.html")},  // nothing chosen: the page stays
      {1, WM_LBUTTONDOWN, ServiceAddress(hosts.web, "/login.aspx?url=/my.murmuro/")},
      {2, WM_RBUTTONDOWN, ServiceAddress(hosts.feed, "/popular/")},
      {3, WM_LBUTTONDOWN, ServiceAddress(hosts.web, "/login.aspx?url=/my.murmuro/clippers/")},
      {4, WM_MBUTTONDOWN, ServiceAddress(hosts.web, "/")},
      {5, WM_LBUTTONDOWN, ServiceAddress(hosts.facebookApp, "/folverra/")},
      {6, WM_LBUTTONDOWN, ServiceAddress(hosts.web, "/faq/")},
  };
  // Caption, key and icon of each item, all enabled.
  const std::vector<std::string> items = {"My Murmuro MyLibrary 0",   "Popular Murmuro Popular 1",
                                          "My Clippers MyClippers 2", "Folverra.com Home 3",
                                          "Facebook App Facebook 4",  "Help Help 5"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choice);
    ASSERT_TRUE(window->Load(pageUrl("self.html")));
    headless::ChooseMenuItem(c.choice);
    clickArrow(c.press);

    const auto menu = headless::LastShownMenu();
    ASSERT_TRUE(menu.has_value());
    std::vector<std::string> shown;
    for (const auto& item : menu->items)
      shown.push_back(item.caption + " " + item.key + " " + std::to_string(item.iconIndex) +
                      (item.enabled ? "" : " disabled"));
    EXPECT_EQ(shown, items);
    EXPECT_EQ(menu->images, 6);
    POINT below{static_cast<LONG>(form().imgArrow.Left), 25};
    ui::ClientToScreen(form().hWnd(), &below);
    EXPECT_EQ(std::make_pair(menu->at.x, menu->at.y), std::make_pair(below.x, below.y))
        << "at the arrow's left edge, under the band";

    EXPECT_TRUE(waitFor([&] { return window->locationURL == c.opens; }));
    pump();
    EXPECT_EQ(window->locationURL, c.opens);
  }
}

TEST_F(ToolbarFormTest, SupportedVideoListComesFromTheServiceOrStaysEmpty) {
  std::vector<std::string> domains;
  const xml::NodeList sites = g_oSupportedVideo().selectNodes("/*/*");
  for (long i = 0; i < sites.length(); ++i)
    domains.push_back(sites.item(i).getAttribute("domain").value_or(""));
  EXPECT_EQ(domains, (std::vector<std::string>{"video.example.test", "clips.example.test",
                                               "movies.example.test", "localhost"}));

  // Without a service the answer is no XML: the list is an empty document.
  window->RemoveBand();
  service.reset();
  AddBand();
  ASSERT_TRUE(waitFor([] { return !g_oSupportedVideo().isNothing(); }));
  EXPECT_TRUE(g_oSupportedVideo().firstChild().isNothing());
  expectedRecords = 1;  // reading the answer that never came, logged at the boundary
}

TEST_F(ToolbarFormTest,
       NavigationUnloadsTheFloatingButtonsAndUnloadingTheFormLetsGoOfPagesAndBrowser) {
  ui::Instance<frmMouseOver>::get().Show();
  ui::Instance<frmClipSelection>::get().Show();
  ASSERT_TRUE(window->Load(pageUrl("self.html")));
  EXPECT_FALSE(ui::Instance<frmMouseOver>::exists());
  EXPECT_FALSE(ui::Instance<frmClipSelection>::exists());

  ui::Instance<frmMouseOver>::get().Show();
  window->RemoveBand();
  EXPECT_FALSE(ui::Instance<frmMouseOver>::exists());
  EXPECT_EQ(g_ProxyCount(), 0) << "every proxy cleaned up with the form";
  ASSERT_TRUE(window->Load(pageUrl("frameset.html")));
  EXPECT_EQ(g_ProxyCount(), 0) << "the browser's events no longer reach the toolbar";
}

TEST_F(ToolbarFormTest, BringBrowserToTopPutsTheBrowserInFront) {
  headless::BrowserWindow other;
  ui::SetForegroundWindow(other.topWindow());
  form().BringBrowserToTop();
  EXPECT_EQ(ui::GetForegroundWindow(), window->topWindow());
}

TEST_F(ToolbarFormTest, AFailingHandlerIsLoggedWithThePageAndTheToolbarCarriesOn) {
  ASSERT_TRUE(window->Load(pageUrl("left.html")));
  window->RemoveBand();
  ServiceHosts hosts = Service();
  hosts.content = "no such host";  // the request cannot even be opened
  ReplaceServiceHosts(hosts);
  AddBand();

  expectedRecords = 1;
  const testing_support::Record r = testing_support::readLog(dir.log()).records.at(0);
  EXPECT_EQ(r.at("object") + " " + r.at("routine") + " " + r.at("more-info"),
            "frmToolband Form_Load() " + pageUrl("left.html"));
  EXPECT_TRUE(form().g_IEWindow) << "connected before the failing step";
  ASSERT_TRUE(window->Load(pageUrl("frameset.html")));
  EXPECT_EQ(g_ProxyCount(), 3);
  expectedRecords += 3;  // the frameset refuses its border, as in BrowserEventsTest
}
