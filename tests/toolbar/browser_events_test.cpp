#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "band/mdlCommon.h"
#include "band/mdlToolband.h"
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

struct BrowserEventsTest : ToolbarFixture {
  // The documents of the page and of every frame.
  std::vector<html::Document> documents() {
    std::vector<html::Document> all;
    std::vector<const headless::Pane*> panes{&window->page()};
    while (!panes.empty()) {
      const headless::Pane* pane = panes.back();
      panes.pop_back();
      if (const auto doc = pane->webBrowser().Document(); doc.typeName() == "HTMLDocument")
        all.push_back(doc.html());
      for (const auto& frame : pane->frames) panes.push_back(frame.get());
    }
    return all;
  }
  static int count(const html::Document& document, const std::string& id) {
    const auto divs = document.getElementsByTagName("DIV");
    return static_cast<int>(std::count_if(divs.begin(), divs.end(),
                                          [&](const html::Element& e) { return e.id() == id; }));
  }
};

}  // namespace

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
      EXPECT_EQ(count(document, id), 1) << id << " in " << document.title();
  }

  // What the browser shows by itself is no HTML document; the next page is again.
  ASSERT_TRUE(window->Load(pageUrl("notes.xml")));
  EXPECT_TRUE(form().Document().isNothing());
  ASSERT_TRUE(window->Load(pageUrl("self.html")));
  EXPECT_FALSE(form().Document().isNothing());
  EXPECT_EQ(records(), 0u);
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
    for (const html::Document& document : documents()) pages.push_back(document.impl()->doc);
  }
  const auto alive = [](const auto& weak) {
    return std::count_if(weak.begin(), weak.end(), [](const auto& w) { return !w.expired(); });
  };
  EXPECT_EQ(g_ProxyCount(), 1);
  EXPECT_EQ(alive(proxies), 1);
  EXPECT_EQ(alive(pages), 1);
  EXPECT_EQ(records(), 0u);
}
