#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "headless/dom.h"
#include "page/WindowProxy.h"
#include "toolbar_fixture.h"

namespace {

struct NavigationCounter : browser::Events {
  int navigateComplete = 0;
  void NavigateComplete2(const browser::WebBrowser&, const std::string&) override {
    ++navigateComplete;
  }
};

}  // namespace

using BrowserEventsTest = ToolbarFixture;

TEST_F(BrowserEventsTest, EveryNavigationOfPageAndFramesGetsAProxyAndTheTopDocumentIsKept) {
  NavigationCounter counter;
  const auto connection = ToolbandBrowser().connect(counter);
  ASSERT_TRUE(window->Load(pageUrl("frameset.html")));

  EXPECT_EQ(counter.navigateComplete, 3);
  EXPECT_EQ(g_ProxyCount(), 3);
  EXPECT_TRUE(form().Document().is(window->page().webBrowser().Document().html()));
  EXPECT_EQ(g_hWndIEServer(), window->pageWindow());
  for (const html::Document& document : documents()) {
    if (!document.body() || document.body().tagName() != "BODY") continue;  // the frameset
    for (const char* id :
         {"dvLumBorderLeft", "dvLumBorderRight", "dvLumBorderTop", "dvLumBorderBottom"})
      EXPECT_EQ(document.getElementsByName(id).size(), 1u) << id << " in " << document.title();
  }
  // The frameset itself refuses the border, as the browser's does, each time the top proxy tries.
  expectedRecords = 3;
  for (const auto& r : testing_support::readLog(dir.log()).records)
    EXPECT_EQ(r.at("routine") + " " + r.at("number"), "InsertBorderDiv() 5");

  // What the browser shows by itself is no HTML document; the next page is again.
  ASSERT_TRUE(window->Load(pageUrl("notes.xml")));
  EXPECT_TRUE(form().Document().isNothing());
  ASSERT_TRUE(window->Load(pageUrl("self.html")));
  EXPECT_FALSE(form().Document().isNothing());
}

// Nothing of a page may outlive it: after many navigations only the current page's proxies and
// documents are alive.
TEST_F(BrowserEventsTest, AThousandNavigationsLeaveOnlyTheCurrentPage) {
  std::vector<std::weak_ptr<WindowProxy>> proxies;
  std::vector<std::weak_ptr<headless::dom::DocumentData>> pages;
  const std::string sites[] = {pageUrl("frameset.html"), pageUrl("left.html")};
  for (int i = 0; i < 1000; ++i) {
    ASSERT_TRUE(window->Load(sites[i % 2])) << i;
    for (const auto& proxy : g_Proxies())
      if (proxy) proxies.push_back(proxy);
    for (const html::Document& document : documents())
      pages.push_back(platform::implementation(document)->doc);
  }
  const auto alive = [](const auto& weak) {
    return std::count_if(weak.begin(), weak.end(), [](const auto& w) { return !w.expired(); });
  };
  EXPECT_EQ(g_ProxyCount(), 1);
  EXPECT_EQ(alive(proxies), 1);
  EXPECT_EQ(alive(pages), 1);
  expectedRecords = 500 * 3;  // each frameset load reports its refused border three times
}
