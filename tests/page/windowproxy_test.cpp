#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "band/Server.h"
#include "band/mdlToolband.h"
#include "headless/pages.h"
#include "page_fixture.h"

namespace {

// How often each border DIV occurs in each document.
std::vector<std::vector<std::size_t>> borders(const std::vector<html::Document>& documents) {
  std::vector<std::vector<std::size_t>> out;
  for (const html::Document& doc : documents) {
    auto& counts = out.emplace_back();
    for (const char* id :
         {"dvLumBorderLeft", "dvLumBorderRight", "dvLumBorderTop", "dvLumBorderBottom"})
      counts.push_back(doc.getElementsByName(id).size());
  }
  return out;
}

// The frameset page, then its frames: a FRAMESET refuses the DIVs the page would get, as the
// browser's does.
const std::vector<std::vector<std::size_t>> kFramesetBorders{
    {0, 0, 0, 0}, {1, 1, 1, 1}, {1, 1, 1, 1}};

// Attaches a proxy to every completed navigation, as the toolbar does; refuses closing while
// told to, before any later sink hears of it.
struct Sink : browser::Events {
  bool attaching = false, refuseClosing = false;
  void NavigateComplete2(const browser::WebBrowser& pDisp, const std::string&) override {
    if (attaching) PageFixture::attach(pDisp);
  }
  void WindowClosing(bool, bool& cancel) override { cancel = refuseClosing; }
};

struct WindowProxyTest : PageFixture {
  Sink sink;
  platform::Connection connection = window->connect(sink);

  std::vector<browser::WebBrowser> frameset() {
    EXPECT_TRUE(window->Load(pageUrl("frameset.html")));
    std::vector<browser::WebBrowser> all{window->page().webBrowser()};
    for (const auto& frame : window->page().frames) all.push_back(frame->webBrowser());
    return all;
  }
};

}  // namespace

TEST_F(WindowProxyTest, EveryDocumentOfAFramesetGetsAProxyAndItsBorderOnce) {
  sink.attaching = true;
  const auto browsers = frameset();
  sink.attaching = false;
  EXPECT_EQ(g_ProxyCount(), 3) << "attached before their bodies existed";
  std::vector<html::Document> docs;
  for (const auto& b : browsers) {
    attach(b);
    docs.push_back(b.Document().html());
  }
  EXPECT_EQ(g_ProxyCount(), 6);
  EXPECT_EQ(borders(docs), kFramesetBorders);
  EXPECT_EQ(docs[1].getElementById("dvLumBorderTop").style().display(), "none");

  for (const auto& doc : docs)
    if (doc.body().tagName() == "BODY")
      doc.body().insertAdjacentHTML("beforeEnd", "<p id='LumoraElementOverlay'></p>");
  ClearAllHighlights();
  for (const auto& doc : docs) EXPECT_TRUE(doc.getElementsByName("LumoraElementOverlay").empty());
  ProxyCleanup();
  EXPECT_EQ(g_ProxyCount(), 0);
  EXPECT_EQ(borders(docs), kFramesetBorders) << "they stay for the page's life";
  // The frameset page's body takes no markup: each try of its two proxies is reported.
  expectedRecords = 4;
  EXPECT_EQ(lastRecord(), "WindowProxy InsertBorderDiv() 5 ");
}

TEST_F(WindowProxyTest, OnlyHtmlDocumentsOutOfDesignModeAreHookedAndClosingCleansUp) {
  // The page, the design mode set on it, and whether the proxy stays registered.
  const std::tuple<std::string, std::string, int> cases[] = {
      {"left.html", "Off", 1}, {"left.html", "On", 0}, {"notes.xml", "", 1}, {"notes.txt", "", 1}};
  for (const auto& [page, designMode, registered] : cases) {
    SCOPED_TRACE(page + " " + designMode);
    ASSERT_TRUE(window->Load(pageUrl(page)));
    const browser::WebBrowser top = window->page().webBrowser();
    html::Document doc = top.Document().html();
    if (!designMode.empty()) doc.setDesignMode(designMode);
    const auto proxy = WindowProxy::New();
    proxy->SetWindow(top);
    const bool hooked = !doc.isNothing() && registered;
    EXPECT_EQ(g_ProxyCount(), registered);
    EXPECT_EQ(proxy->isLoaded(), registered == 1);
    EXPECT_EQ(!proxy->Document().isNothing(), hooked);
    if (!doc.isNothing()) {
      EXPECT_EQ(borders({doc})[0], std::vector<std::size_t>(4, hooked));
    }
    ClearAllHighlights();
    sink.refuseClosing = true;
    EXPECT_FALSE(window->Close());
    EXPECT_EQ(g_ProxyCount(), registered) << "a closing already cancelled leaves the proxy";
    sink.refuseClosing = false;
    EXPECT_TRUE(window->Close());
    EXPECT_EQ(g_ProxyCount(), 0);
    EXPECT_FALSE(proxy->isLoaded());
    window = std::make_unique<headless::BrowserWindow>();
    connection = window->connect(sink);
  }
}

TEST_F(WindowProxyTest, UnloadingFramesAlwaysCleansUpTheTopOnlyBeforeTheSiteCommand) {
  for (const VARIANT_BOOL seen : {0, -1}) {
    SCOPED_TRACE(seen);
    for (const auto& b : frameset()) attach(b);
    const auto top = g_Proxies()[1];
    g_bSiteCommandSeen() = seen;
    ASSERT_TRUE(window->Load(pageUrl("right.html")));
    g_bSiteCommandSeen() = 0;
    using Proxies = std::vector<std::shared_ptr<WindowProxy>>;
    EXPECT_EQ(g_Proxies(), (seen ? Proxies{nullptr, top} : Proxies{nullptr}));
    ProxyCleanup();
  }
  expectedRecords = 2;  // the frameset page's body refused its border, once a load
}

// An http page that frames a file: page, which it may not touch.
TEST_F(WindowProxyTest, AFrameOfAnotherSiteIsReportedWithBothAddressesAndDiscarded) {
  const std::string frame = pageUrl("left.html");
  const testing_support::PageServer server(
      {{"/outer.html", "<iframe src='" + frame + "'></iframe>"}});
  ASSERT_EQ(DllRegisterServer(), S_OK);
  com::Ptr<IUnknown> band;
  com::CoCreateInstance(com::CLSIDFromProgID(kToolBarProgId), nullptr, IID_IUnknown,
                        band.putVoid());
  const auto sited = band.query<IObjectWithSite>(IID_IObjectWithSite);
  sited->SetSite(window->site().get());
  ASSERT_TRUE(window->Load(server.url("/outer.html")));

  const std::int32_t before = g_ProxyCount();
  expectedRecords = records() + 1;
  const auto proxy = WindowProxy::New();
  proxy->SetWindow(window->page().frames.at(0)->webBrowser());
  EXPECT_EQ(g_ProxyCount(), before);
  EXPECT_FALSE(proxy->isLoaded());
  EXPECT_EQ(lastRecord(),
            "WindowProxy Set Window() 70 " + server.url("/outer.html") + " - " + frame);
  sited->SetSite(nullptr);
}
