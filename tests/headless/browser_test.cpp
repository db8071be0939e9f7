#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "headless/browser.h"
#include "headless/pages.h"
#include "platform/ui.h"
#include "support.h"

namespace {

using testing_support::pageUrl;
using testing_support::raised;

// Writes each event as "Event page|frame file; ", so a whole sequence compares at once.
struct Recorder : browser::Events {
  browser::WebBrowser top;
  std::string seen;
  bool cancelNavigation = false, cancelClosing = false;
  long errorStatus = 0;
  std::function<void()> onNavigateComplete = [] {};

  void note(const char* event, const browser::WebBrowser& pDisp, const std::string& url) {
    seen += std::string(event) + (pDisp.is(top) ? " page " : " frame ") +
            url.substr(url.rfind('/') + 1) + "; ";
  }
  void BeforeNavigate2(const browser::WebBrowser& pDisp, const std::string& url, long,
                       const std::string&, const std::string&, const std::string&,
                       bool& cancel) override {
    note("BeforeNavigate2", pDisp, url);
    cancel = cancelNavigation;
  }
  void NavigateComplete2(const browser::WebBrowser& pDisp, const std::string& url) override {
    note("NavigateComplete2", pDisp, url);
    onNavigateComplete();
  }
  void DocumentComplete(const browser::WebBrowser& pDisp, const std::string& url) override {
    note("DocumentComplete", pDisp, url);
  }
  void NavigateError(const browser::WebBrowser& pDisp, const std::string& url, const std::string&,
                     long status, bool&) override {
    note("NavigateError", pDisp, url);
    errorStatus = status;
  }
  void WindowClosing(bool isChild, bool& cancel) override {
    seen += std::string("WindowClosing ") + (isChild ? "child" : "top") + "; ";
    cancel = cancelClosing;
  }
};

struct BrowserTest : ::testing::Test {
  testing_support::ModuleFolder dir;
  headless::BrowserWindow window;
  Recorder recorder;
  platform::Connection connection;

  void SetUp() override {
    recorder.top = window.page().webBrowser();
    connection = window.connect(recorder);
  }
  html::Document document(const headless::Pane& pane) {
    return pane.webBrowser().Document().html();
  }
};

bool listed(const browser::WebBrowser& b) {
  for (const auto& w : browser::ShellWindows())
    if (w.is(b)) return true;
  return false;
}

}  // namespace

TEST_F(BrowserTest, FramesetCompletesEachFrameBeforeThePageAndAPageFramingItselfStopsAtOnce) {
  ASSERT_TRUE(window.Load(pageUrl("frameset.html")));
  EXPECT_EQ(recorder.seen,
            "BeforeNavigate2 page frameset.html; NavigateComplete2 page frameset.html; "
            "BeforeNavigate2 frame left.html; NavigateComplete2 frame left.html; "
            "DocumentComplete frame left.html; BeforeNavigate2 frame right.html; "
            "NavigateComplete2 frame right.html; DocumentComplete frame right.html; "
            "DocumentComplete page frameset.html; ");
  ASSERT_EQ(window.page().frames.size(), 2u);
  html::Window top = document(window.page()).parentWindow();
  ASSERT_EQ(top.frames().size(), 2u);
  EXPECT_EQ(top.frames()[0].document().title(), "Left");
  EXPECT_TRUE(window.page().frames[0]->webBrowser().Application().is(recorder.top));

  recorder.seen.clear();
  ASSERT_TRUE(window.Load(pageUrl("self.html")));
  EXPECT_EQ(recorder.seen,
            "BeforeNavigate2 page self.html; NavigateComplete2 page self.html; "
            "DocumentComplete page self.html; ");
  ASSERT_EQ(window.page().frames.size(), 1u);
  EXPECT_EQ(window.page().frames[0]->url, pageUrl("self.html"));
  EXPECT_EQ(window.page().frames[0]->window->document->root->first, nullptr);
}

TEST_F(BrowserTest, FramesOfAnotherOriginAndTheirPageRefuseEachOtherTheirDocument) {
  const testing_support::PageServer other({{"/inner.html", "<title>Other</title>"}});
  const testing_support::PageServer server(
      {{"/outer.html", "<title>Outer</title><iframe src='/same.html'></iframe><iframe src='" +
                           other.url("/inner.html") + "'></iframe><iframe src='" +
                           pageUrl("left.html") + "'></iframe>"},
       {"/same.html", "<title>Same</title>"}});
  ASSERT_TRUE(window.Load(server.url("/outer.html")));
  const html::Window top = document(window.page()).parentWindow();
  const std::vector<html::Window> frames = top.frames();
  ASSERT_EQ(frames.size(), 3u);
  // The same origin, another port, a file: page.
  const int numbers[] = {0, 70, 70};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(raised([&] { frames[i].document(); }), numbers[i]);
    EXPECT_EQ(raised([&] { window.page().frames[i]->webBrowser().Document(); }), numbers[i]);
    // Looking up from the frame: its parent is the page, whose document is as far off.
    EXPECT_TRUE(frames[i].parent().is(top));
    EXPECT_TRUE(frames[i].top().is(top));
    EXPECT_EQ(raised([&] { frames[i].parent().document(); }), numbers[i]);
  }
}

// Unload is left to the page proxy's tests: a proxy is cleaned up on it.
TEST_F(BrowserTest, ReadyStateGoesLoadingInteractiveCompleteThenLoadComes) {
  std::string states;
  platform::Connection onState, onLoad;
  recorder.onNavigateComplete = [&] {
    html::Document doc = document(window.page());
    onState =
        doc.on("onreadystatechange", [&, doc] { return states += doc.readyState() + " ", true; });
    onLoad = doc.parentWindow().on("onload", [&] { return states += "load ", true; });
  };
  ASSERT_TRUE(window.Load(pageUrl("left.html")));
  EXPECT_EQ(states, "loading interactive complete load ");
}

TEST_F(BrowserTest, RefusedCancelledOrMissingPagesLeaveTheWindowAsItWas) {
  const std::pair<const char*, long> refusals[] = {
      {"http://localhost.example.test/", headless::kInetSecurityProblem},
      {"https://127.0.0.1/", headless::kInetUnknownProtocol},
      {"http://user@127.0.0.1/", headless::kInetInvalidUrl},
      {"http://127.0.0.1:1/", 0},
  };
  for (const auto& [url, status] : refusals) EXPECT_EQ(headless::refusal(url), status) << url;

  // The address, whether a sink cancels it, and the error the navigation reports.
  const std::tuple<std::string, bool, long> cases[] = {
      {"http://service.example.test/", false, headless::kInetSecurityProblem},
      {pageUrl("left.html"), true, 0},
      {pageUrl("missing.html"), false, headless::kInetObjectNotFound},
  };
  for (const auto& [url, cancel, error] : cases) {
    SCOPED_TRACE(url);
    recorder.cancelNavigation = cancel;
    recorder.errorStatus = 0;
    EXPECT_FALSE(window.Load(url));
    EXPECT_EQ(window.lastNavigateError(), error);
    EXPECT_EQ(recorder.errorStatus, error);
    EXPECT_EQ(recorder.seen.find("NavigateComplete2"), std::string::npos);
    EXPECT_EQ(recorder.top.LocationURL(), "about:blank");
  }
}

TEST_F(BrowserTest, ResourcesOtherThanPagesAreNoHtmlDocument) {
  const std::pair<const char*, const char*> cases[] = {{"notes.xml", "DOMDocument"},
                                                       {"notes.txt", "Object"}};
  for (const auto& [page, type] : cases) {
    ASSERT_TRUE(window.Load(pageUrl(page))) << page;
    EXPECT_EQ(recorder.top.Document().typeName(), type) << page;
    EXPECT_TRUE(recorder.top.Document().html().isNothing()) << page;
  }
}

TEST_F(BrowserTest, ClosingAsksTheSinksFirst) {
  recorder.cancelClosing = true;
  ui::SendMessage(window.topWindow(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(window.closed());
  EXPECT_TRUE(listed(recorder.top));
  recorder.cancelClosing = false;
  EXPECT_TRUE(window.Close());
  EXPECT_EQ(recorder.seen, "WindowClosing top; WindowClosing top; ");
  EXPECT_FALSE(listed(recorder.top));
  EXPECT_EQ(raised([&] { recorder.top.LocationURL(); }), headless::kDisconnected);
}

// The control's own events go to its sinks; only its window's end ends it, not Quit.
TEST_F(BrowserTest, AControlInAWindowIsUnlistedOutlivesQuitAndGoesWithItsParent) {
  EXPECT_EQ(raised([] {
              browser::NewControl(reinterpret_cast<HWND>(0x2), RECT{0, 0, 9, 9});
            }),
            HRESULT_FROM_WIN32(1400));
  browser::WebBrowser control = browser::NewControl(window.topWindow(), RECT{8, 8, 308, 339});
  EXPECT_FALSE(listed(control));
  Recorder own;
  own.top = control;
  const platform::Connection ownConnection = control.connect(own);
  control.Navigate2(pageUrl("left.html"));
  ASSERT_TRUE(testing_support::waitFor([&] { return !control.Busy(); }));
  EXPECT_EQ(own.seen,
            "BeforeNavigate2 page left.html; NavigateComplete2 page left.html; "
            "DocumentComplete page left.html; ");
  EXPECT_EQ(recorder.seen, "");
  control.Quit();
  EXPECT_EQ(control.LocationURL(), pageUrl("left.html"));
  window.Quit();
  EXPECT_EQ(raised([&] { control.LocationURL(); }), headless::kDisconnected);
}

TEST(BrowserThreadTest, AWindowOnAThreadOfItsOwnIsListedUntilItQuits) {
  testing_support::ModuleFolder dir;
  headless::BrowserThread thread;
  browser::WebBrowser browser = browser::WebBrowser::FromUnknown(thread.browserObject());
  EXPECT_TRUE(listed(browser));
  std::thread::id windowThread;
  thread.run([&](headless::BrowserWindow& w) {
    windowThread = std::this_thread::get_id();
    EXPECT_TRUE(w.Load(pageUrl("frameset.html")));
  });
  EXPECT_NE(windowThread, std::this_thread::get_id());
  EXPECT_EQ(browser.Document().html().title(), "Two frames");
  browser.Quit();
  thread.join();
  EXPECT_FALSE(listed(browser));
  EXPECT_EQ(raised([&] { browser.Busy(); }), headless::kDisconnected);
}

TEST(FrameAddressTest, SourcesResolveAgainstThePage) {
  const char* page = "http://127.0.0.1:8080/a/page.html?q#old";
  // The base, the reference, and what it resolves to.
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {page, "../../../top.html", "http://127.0.0.1:8080/top.html"},
      {page, "./sub/./x.html?q=1#f", "http://127.0.0.1:8080/a/sub/x.html?q=1#f"},
      {page, "?other", "http://127.0.0.1:8080/a/page.html?other"},
      {page, "#part", "http://127.0.0.1:8080/a/page.html?q#part"},
      {page, "//localhost:9/x.html", "http://localhost:9/x.html"},
      {page, "", "http://127.0.0.1:8080/a/page.html?q"},
      {"file:///srv/pages/frameset.html", "sub/../right.html", "file:///srv/pages/right.html"},
      {"http://127.0.0.1:9", "?q", "http://127.0.0.1:9/?q"},
      {"http://127.0.0.1:9/a/", " b.html\n", "http://127.0.0.1:9/a/b.html"},
      {"http://127.0.0.1:9/a/", "1:b", "http://127.0.0.1:9/a/1:b"},
      {"about:blank", "x.html", "x.html"},
      {"about:blank", "#f", "#f"},
  };
  for (const auto& [base, ref, expected] : cases)
    EXPECT_EQ(headless::resolveUrl(base, ref), expected) << base << " " << ref;
}

// A frame the browser cannot show reports NavigateError and shows an empty page; the page
// around it and its other frames load and complete as usual.
TEST_F(BrowserTest, AFrameThatCannotLoadFailsAloneAndShowsAnEmptyPage) {
  using headless::kInetSecurityProblem, headless::kInetUnknownProtocol;
  // The failing frame's markup, its address as NavigateError reports it, and the status.
  const std::tuple<std::string, std::string, long> cases[] = {
      {"<iframe src='https://example.com/x'>", "https://example.com/x", kInetUnknownProtocol},
      {"<iframe src='http://ads.example.com/x'>", "http://ads.example.com/x", kInetSecurityProblem},
      {"<iframe src='javascript:false'>", "javascript:false", kInetUnknownProtocol},
      {"<iframe src='data:text/html,x'>", "data:text/html,x", kInetUnknownProtocol},
      {"<iframe src='about:config'>", "about:config", kInetUnknownProtocol},
      {"<iframe srcdoc='<b>x</b>'>", "about:srcdoc", kInetUnknownProtocol},
      {"<iframe src='/missing.html'>", "/missing.html", 404},
      {"<base href='http://cdn.example.com/'><iframe src='f.html'>",
       "http://cdn.example.com/f.html", kInetSecurityProblem},
  };
  for (const auto& [frame, address, status] : cases) {
    SCOPED_TRACE(frame);
    const testing_support::PageServer server(
        {{"/page.html",
          "<title>P</title>" + frame + "</iframe><iframe src='" + pageUrl("left.html") + "'>"}});
    const std::string failed = address.front() == '/' ? server.url(address) : address;
    recorder.seen.clear();
    ASSERT_TRUE(window.Load(server.url("/page.html")));
    EXPECT_EQ(window.lastNavigateError(), 0);
    EXPECT_EQ(recorder.errorStatus, status);
    const std::string named = failed.substr(failed.rfind('/') + 1);
    EXPECT_EQ(recorder.seen,
              "BeforeNavigate2 page page.html; NavigateComplete2 page page.html; "
              "BeforeNavigate2 frame " +
                  named + "; NavigateError frame " + named +
                  "; NavigateComplete2 frame about:blank; DocumentComplete frame about:blank; "
                  "BeforeNavigate2 frame left.html; NavigateComplete2 frame left.html; "
                  "DocumentComplete frame left.html; DocumentComplete page page.html; ");
    const std::vector<html::Window> frames = document(window.page()).parentWindow().frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].document().URL(), "about:blank");
  }
}
