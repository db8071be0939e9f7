#include <gtest/gtest.h>
#include <httplib.h>

#include <string>
#include <thread>
#include <vector>

#include "band/Server.h"
#include "band/mdlToolband.h"
#include "page_fixture.h"
#include "platform/comobject.h"

namespace {

const char* const kBorderIds[] = {"dvLumBorderLeft", "dvLumBorderRight", "dvLumBorderTop",
                                  "dvLumBorderBottom"};

// How often each border DIV occurs in the document, in the order of kBorderIds.
std::vector<int> borderCounts(const html::Document& document) {
  std::vector<int> counts;
  for (const char* id : kBorderIds) {
    int n = 0;
    for (const html::Element& e : document.all()) n += e.id() == id;
    counts.push_back(n);
  }
  return counts;
}

std::vector<std::vector<int>> borders(const std::vector<html::Document>& documents) {
  std::vector<std::vector<int>> out;
  for (const html::Document& doc : documents) out.push_back(borderCounts(doc));
  return out;
}

// The frameset page, then its frames: a FRAMESET holds frames only, so the DIVs the page would
// get are dropped by the parser, as the browser drops them.
const std::vector<std::vector<int>> kFramesetBorders{{0, 0, 0, 0}, {1, 1, 1, 1}, {1, 1, 1, 1}};

// Attaches a proxy to every completed navigation, as the toolbar does.
struct Attacher : browser::Events {
  void NavigateComplete2(const browser::WebBrowser& pDisp, const std::string&) override {
    PageFixture::attach(pDisp);
  }
};

// Cancels the window's closing before any later sink hears of it.
struct Refuser : browser::Events {
  bool refuse = true;
  void WindowClosing(bool, bool& cancel) override { cancel = refuse; }
};

// An http page on the loopback that frames the given address.
class OuterPage {
 public:
  explicit OuterPage(const std::string& frame) {
    server_.Get("/outer.html", [frame](const httplib::Request&, httplib::Response& res) {
      res.set_content("<title>Outer</title><iframe src='" + frame + "'></iframe>", "text/html");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~OuterPage() {
    server_.stop();
    thread_.join();
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/outer.html"; }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

struct WindowProxyTest : PageFixture {
  std::vector<browser::WebBrowser> frameset() {
    EXPECT_TRUE(window->Load(pageUrl("frameset.html")));
    std::vector<browser::WebBrowser> all{window->page().webBrowser()};
    for (const auto& frame : window->page().frames) all.push_back(frame->webBrowser());
    return all;
  }
  std::vector<html::Document> documents(const std::vector<browser::WebBrowser>& browsers) {
    std::vector<html::Document> out;
    for (const auto& b : browsers) out.push_back(b.Document().html());
    return out;
  }
};

}  // namespace

TEST_F(WindowProxyTest, EveryDocumentOfAFramesetGetsAProxyAndItsBorderOnce) {
  Attacher attacher;
  auto connection = window->connect(attacher);
  const auto browsers = frameset();
  connection.disconnect();
  EXPECT_EQ(g_ProxyCount(), 3) << "the frameset page and its two frames";

  for (const auto& b : browsers) attach(b);
  EXPECT_EQ(g_ProxyCount(), 6);
  const auto docs = documents(browsers);
  EXPECT_EQ(borders(docs), kFramesetBorders);
  for (std::size_t i = 1; i < docs.size(); ++i) {
    SCOPED_TRACE(docs[i].title());
    const html::Element left = docs[i].getElementById("dvLumBorderLeft");
    EXPECT_TRUE(left.parentElement().is(docs[i].body()));
    EXPECT_EQ(left.style().display(), "none");
    EXPECT_EQ(left.style().get("zIndex"), "999999");
    EXPECT_EQ(docs[i].getElementById("dvLumBorderTop").style().width(), "200px");
  }
  ProxyCleanup();
  EXPECT_EQ(g_ProxyCount(), 0);
  EXPECT_EQ(borders(docs), kFramesetBorders) << "they stay for the page's life";
  EXPECT_EQ(records(), 0u);
}

TEST_F(WindowProxyTest, OnlyHtmlDocumentsOutOfDesignModeAreHooked) {
  struct Case {
    const char* page;
    const char* designMode;
    int registered;
    bool hooked;
  };
  const Case cases[] = {
      {"left.html", "Off", 1, true},
      {"left.html", "On", 0, false},
      {"notes.xml", "", 1, false},
      {"notes.txt", "", 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.page) + " " + c.designMode);
    window = std::make_unique<headless::BrowserWindow>();
    ASSERT_TRUE(window->Load(pageUrl(c.page)));
    const browser::WebBrowser top = window->page().webBrowser();
    html::Document doc = top.Document().html();
    if (*c.designMode) doc.setDesignMode(c.designMode);
    const auto proxy = WindowProxy::New();
    proxy->SetWindow(top);
    EXPECT_EQ(g_ProxyCount(), c.registered);
    EXPECT_EQ(proxy->isLoaded(), c.registered == 1) << "a discarded proxy unloads its window";
    EXPECT_EQ(!proxy->Document().isNothing(), c.hooked);
    if (!doc.isNothing()) {
      EXPECT_EQ(borderCounts(doc), std::vector<int>(4, c.hooked ? 1 : 0));
    }
    EXPECT_TRUE(window->Close());
    EXPECT_EQ(g_ProxyCount(), 0) << "closing the window cleans up";
    EXPECT_FALSE(proxy->isLoaded());
  }
  EXPECT_EQ(records(), 0u);
}

TEST_F(WindowProxyTest, ClosingThatASinkAlreadyCancelledLeavesTheProxy) {
  Refuser refuser;
  auto refusing = window->connect(refuser);
  ASSERT_TRUE(window->Load(pageUrl("left.html")));
  attach(window->page().webBrowser());
  EXPECT_FALSE(window->Close());
  EXPECT_EQ(g_ProxyCount(), 1);
  refuser.refuse = false;
  EXPECT_TRUE(window->Close());
  EXPECT_EQ(g_ProxyCount(), 0);
}

TEST_F(WindowProxyTest, UnloadingFramesAlwaysCleansUpTheTopOnlyBeforeTheSiteCommand) {
  struct Case {
    VARIANT_BOOL siteCommandSeen;
    int left;
  };
  for (const Case& c : {Case{0, 0}, Case{-1, 1}}) {
    SCOPED_TRACE(c.siteCommandSeen);
    const auto browsers = frameset();
    for (const auto& b : browsers) attach(b);
    const auto top = g_Proxies()[1];
    g_bSiteCommandSeen() = c.siteCommandSeen;
    ASSERT_TRUE(window->Load(pageUrl("right.html")));
    g_bSiteCommandSeen() = 0;
    EXPECT_EQ(g_ProxyCount(), c.left);
    if (c.left) {
      EXPECT_EQ(g_Proxies()[1], top);
    }
    ProxyCleanup();
  }
  EXPECT_EQ(records(), 0u);
}

TEST_F(WindowProxyTest, ClearingHighlightsTakesTheOverlaysOffEveryRegisteredPage) {
  const auto browsers = frameset();
  const auto docs = documents(browsers);
  for (const auto& b : browsers) attach(b);
  for (std::size_t i = 1; i < docs.size(); ++i)
    for (int n = 0; n < 2; ++n)
      docs[i].body().insertAdjacentHTML(
          "beforeEnd", "<div id=\"LumoraElementOverlay\"><img id=\"LumoraOverlayChild\"></div>");
  ClearAllHighlights();
  for (const html::Document& doc : docs)
    EXPECT_TRUE(doc.getElementsByName("LumoraElementOverlay").empty()) << doc.title();
  EXPECT_EQ(borders(docs), kFramesetBorders);
  EXPECT_EQ(g_ProxyCount(), 3);
  EXPECT_EQ(records(), 0u);
}

// A frame of another site refuses its document: the attach is reported with the band's page
// and the frame's address, and nothing stays registered for it.
TEST_F(WindowProxyTest, AFrameOfAnotherSiteIsReportedAndDiscarded) {
  const std::string frame = pageUrl("left.html");
  const OuterPage page(frame);
  const std::string outer = page.url();

  ASSERT_EQ(DllRegisterServer(), S_OK);
  com::Ptr<IUnknown> band;
  ASSERT_EQ(com::CoCreateInstance(com::CLSIDFromProgID(kToolBarProgId), nullptr, IID_IUnknown,
                                  band.putVoid()),
            S_OK);
  const auto sited = band.query<IObjectWithSite>(IID_IObjectWithSite);
  ASSERT_EQ(sited->SetSite(window->site().get()), S_OK);
  ASSERT_TRUE(window->Load(outer));
  ASSERT_EQ(window->page().frames.size(), 1u);

  const std::int32_t before = g_ProxyCount();
  const auto proxy = WindowProxy::New();
  proxy->SetWindow(window->page().frames[0]->webBrowser());
  EXPECT_EQ(g_ProxyCount(), before);
  EXPECT_FALSE(proxy->isLoaded());
  const testing_support::Record record = lastRecord();
  EXPECT_EQ(record.at("object"), "WindowProxy");
  EXPECT_EQ(record.at("routine"), "Set Window()");
  EXPECT_EQ(record.at("number"), "70");
  EXPECT_EQ(record.at("more-info"), outer + " - " + frame);
  EXPECT_EQ(records(), 1u);

  ProxyCleanup();
  sited->SetSite(nullptr);
}
