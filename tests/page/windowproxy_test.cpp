#include <gtest/gtest.h>
#include <httplib.h>

#include <string>
#include <thread>
#include <vector>

#include "band/Server.h"
#include "band/mdlToolband.h"
#include "page_fixture.h"

namespace {

// How often each border DIV occurs in each document.
std::vector<std::vector<int>> borders(const std::vector<html::Document>& documents) {
  std::vector<std::vector<int>> out;
  for (const html::Document& doc : documents) {
    std::vector<int>& counts = out.emplace_back();
    for (const char* id :
         {"dvLumBorderLeft", "dvLumBorderRight", "dvLumBorderTop", "dvLumBorderBottom"}) {
      counts.push_back(0);
      for (const html::Element& e : doc.all()) counts.back() += e.id() == id;
    }
  }
  return out;
}

// The frameset page, then its frames: a FRAMESET holds frames only, so the parser drops the
// DIVs the page would get, as the browser's does.
const std::vector<std::vector<int>> kFramesetBorders{{0, 0, 0, 0}, {1, 1, 1, 1}, {1, 1, 1, 1}};

// Attaches a proxy to every completed navigation, as the toolbar does; refuses closing while
// told to, before any later sink hears of it.
struct Sink : browser::Events {
  bool attaching = false;
  bool refuseClosing = false;
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
  static std::vector<html::Document> documents(const std::vector<browser::WebBrowser>& all) {
    std::vector<html::Document> out;
    for (const auto& b : all) out.push_back(b.Document().html());
    return out;
  }
};

}  // namespace

TEST_F(WindowProxyTest, EveryDocumentOfAFramesetGetsAProxyAndItsBorderOnce) {
  sink.attaching = true;
  const auto browsers = frameset();
  sink.attaching = false;
  EXPECT_EQ(g_ProxyCount(), 3) << "attached before their bodies existed";
  for (const auto& b : browsers) attach(b);
  EXPECT_EQ(g_ProxyCount(), 6);
  const auto docs = documents(browsers);
  EXPECT_EQ(borders(docs), kFramesetBorders);
  EXPECT_EQ(docs[1].getElementById("dvLumBorderTop").style().display(), "none");

  for (const auto& doc : docs)
    doc.body().insertAdjacentHTML("beforeEnd", "<p id='LumoraElementOverlay'></p>");
  ClearAllHighlights();
  for (const auto& doc : docs) EXPECT_TRUE(doc.getElementsByName("LumoraElementOverlay").empty());
  ProxyCleanup();
  EXPECT_EQ(g_ProxyCount(), 0);
  EXPECT_EQ(borders(docs), kFramesetBorders) << "they stay for the page's life";
  EXPECT_EQ(records(), 0u);
}

TEST_F(WindowProxyTest, OnlyHtmlDocumentsOutOfDesignModeAreHookedAndClosingCleansUp) {
  struct Case {
    const char* page;
    const char* designMode;
    int registered;
  };
  const Case cases[] = {
      {"left.html", "Off", 1}, {"left.html", "On", 0}, {"notes.xml", "", 1}, {"notes.txt", "", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.page) + " " + c.designMode);
    ASSERT_TRUE(window->Load(pageUrl(c.page)));
    const browser::WebBrowser top = window->page().webBrowser();
    html::Document doc = top.Document().html();
    if (*c.designMode) doc.setDesignMode(c.designMode);
    const auto proxy = WindowProxy::New();
    proxy->SetWindow(top);
    const bool hooked = !doc.isNothing() && c.registered;
    EXPECT_EQ(g_ProxyCount(), c.registered);
    EXPECT_EQ(proxy->isLoaded(), c.registered == 1);
    EXPECT_EQ(!proxy->Document().isNothing(), hooked);
    if (!doc.isNothing()) {
      EXPECT_EQ(borders({doc})[0], std::vector<int>(4, hooked));
    }
    ClearAllHighlights();
    sink.refuseClosing = true;
    EXPECT_FALSE(window->Close());
    EXPECT_EQ(g_ProxyCount(), c.registered) << "a closing already cancelled leaves the proxy";
    sink.refuseClosing = false;
    EXPECT_TRUE(window->Close());
    EXPECT_EQ(g_ProxyCount(), 0);
    EXPECT_FALSE(proxy->isLoaded());
    window = std::make_unique<headless::BrowserWindow>();
    connection = window->connect(sink);
  }
  EXPECT_EQ(records(), 0u);
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
  EXPECT_EQ(records(), 0u);
}

// An http page that frames a file: page, which it may not touch.
TEST_F(WindowProxyTest, AFrameOfAnotherSiteIsReportedWithBothAddressesAndDiscarded) {
  const std::string frame = pageUrl("left.html");
  httplib::Server server;
  server.Get("/outer.html", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content("<iframe src='" + frame + "'></iframe>", "text/html");
  });
  const std::string outer =
      "http://127.0.0.1:" + std::to_string(server.bind_to_any_port("127.0.0.1")) + "/outer.html";
  std::thread serving([&] { server.listen_after_bind(); });
  ASSERT_EQ(DllRegisterServer(), S_OK);
  com::Ptr<IUnknown> band;
  com::CoCreateInstance(com::CLSIDFromProgID(kToolBarProgId), nullptr, IID_IUnknown,
                        band.putVoid());
  const auto sited = band.query<IObjectWithSite>(IID_IObjectWithSite);
  sited->SetSite(window->site().get());
  const bool loaded = window->Load(outer);
  server.stop();
  serving.join();
  ASSERT_TRUE(loaded);

  const std::int32_t before = g_ProxyCount();
  const std::size_t reported = records();
  const auto proxy = WindowProxy::New();
  proxy->SetWindow(window->page().frames.at(0)->webBrowser());
  EXPECT_EQ(g_ProxyCount(), before);
  EXPECT_FALSE(proxy->isLoaded());
  const testing_support::Record record = lastRecord();
  EXPECT_EQ(records(), reported + 1);
  EXPECT_EQ(record.at("object") + " " + record.at("routine") + " " + record.at("number"),
            "WindowProxy Set Window() 70");
  EXPECT_EQ(record.at("more-info"), outer + " - " + frame);
  sited->SetSite(nullptr);
}
