// The browser-events adapter against a fake browser that calls the advised sink as the browser
// does: by dispatch id, arguments last to first, most of them by reference.
#include <tuple>

#include "check.h"
#include "platform/browser.h"
#include "scripted.h"

namespace smoke {
namespace {

constexpr DISPID kBeforeNavigate2 = 250, kNavigateComplete2 = 252, kOnToolBar = 255,
                 kOnMenuBar = 256, kDocumentComplete = 259, kWindowClosing = 263,
                 kNavigateError = 271;
constexpr long kResourceNotFound = static_cast<long>(0x800C0005);
const std::string kUrl = "http://example.test/caf\xC3\xA9?q=1";

// Writes down the last event it heard, its arguments after '|', then "|cancel" when cancel
// came in set and "|elsewhere" when pDisp is not its browser; answers cancel as told, raises
// when told.
struct Recorder : browser::Events {
  browser::WebBrowser browser;
  std::string heard;
  bool answer = false;
  bool raise = false;

  explicit Recorder(browser::WebBrowser of = {}) : browser(std::move(of)) {}
  void BeforeNavigate2(const browser::WebBrowser& d, const std::string& url, long flags,
                       const std::string& frame, const std::string& post,
                       const std::string& headers, bool& cancel) override {
    note(&d, {"BeforeNavigate2", url, std::to_string(flags), frame, post, headers}, &cancel);
  }
  void NavigateComplete2(const browser::WebBrowser& d, const std::string& url) override {
    note(&d, {"NavigateComplete2", url});
  }
  void DocumentComplete(const browser::WebBrowser& d, const std::string& url) override {
    note(&d, {"DocumentComplete", url});
  }
  void NavigateError(const browser::WebBrowser& d, const std::string& url, const std::string& frame,
                     long status, bool& cancel) override {
    note(&d, {"NavigateError", url, frame, std::to_string(status)}, &cancel);
  }
  void WindowClosing(bool child, bool& cancel) override {
    note(nullptr, {"WindowClosing", child ? "child" : "top"}, &cancel);
  }
  void OnToolBar(bool shown) override { note(nullptr, {"OnToolBar", shown ? "shown" : "hidden"}); }

  void note(const browser::WebBrowser* d, std::initializer_list<std::string> parts,
            bool* cancel = nullptr) {
    heard.clear();
    for (const std::string& part : parts) heard += (heard.empty() ? "" : "|") + part;
    if (cancel && *cancel) heard += "|cancel";
    if (d && !d->is(browser)) heard += "|elsewhere";
    if (raise) throw platform::Error(5, "check", "raised by the sink");
    if (cancel) *cancel = answer;
  }
};

// A fake browser answering its events through a scripted connection point, with a Recorder
// connected.
struct Fixture {
  Scripted events = ScriptedObject::make();
  com::Ptr<IUnknown> unknown = fakeBrowser(
      nullptr, static_cast<IConnectionPointContainer*>(&events->events(DIID_DWebBrowserEvents2)));
  IDispatch* dispatch = unknown.query<IDispatch>(IID_IDispatch).get();  // kept by unknown
  Recorder recorder{browser::WebBrowser::FromUnknown(unknown)};
  platform::Connection connection = recorder.browser.connect(recorder);
};

// Each row fires one event at the advised sink. Whatever the sink raises stays on our side of
// Invoke, and the sink hears the next row's event. The event, its arguments, what the sink hears,
// whether it cancels and whether it raises.
void checkEvents() {
  Fixture f;
  const auto pageEvent = [&](Call& c) { c.object(f.dispatch).text(kUrl); };
  using Row = std::tuple<const char*, DISPID, std::function<void(Call&)>, std::string, bool, bool>;
  const Row rows[] = {
      {"a form post", kBeforeNavigate2,
       [&](Call& c) {
         c.object(f.dispatch).text(kUrl).number(0x40).text("main").postData("a=1&b=2");
         c.text("Content-Type: text/plain\r\n").cancelling(false);
       },
       "BeforeNavigate2|" + kUrl + "|64|main|a=1&b=2|Content-Type: text/plain\r\n", true, false},
      {"a plain navigation", kBeforeNavigate2,
       [&](Call& c) {
         c.object(f.dispatch).text(kUrl).number(0).empty().postData("").empty().cancelling(true);
       },
       "BeforeNavigate2|" + kUrl + "|0||||cancel", false, false},
      {"NavigateComplete2", kNavigateComplete2, pageEvent, "NavigateComplete2|" + kUrl, false,
       false},
      {"NavigateError", kNavigateError,
       [&](Call& c) {
         c.object(f.dispatch).text(kUrl).text("side").number(kResourceNotFound).cancelling(false);
       },
       "NavigateError|" + kUrl + "|side|" + std::to_string(kResourceNotFound), true, false},
      {"DocumentComplete, its sink raising", kDocumentComplete, pageEvent,
       "DocumentComplete|" + kUrl, false, true},
      {"WindowClosing", kWindowClosing, [](Call& c) { c.flag(true).cancelling(true); },
       "WindowClosing|child|cancel", false, false},
      {"OnToolBar", kOnToolBar, [](Call& c) { c.flag(false); }, "OnToolBar|hidden", false, false},
      {"OnToolBar shown", kOnToolBar, [](Call& c) { c.flag(true); }, "OnToolBar|shown", false,
       false},
      {"OnMenuBar, not taken", kOnMenuBar, [](Call& c) { c.flag(true); }, "", false, false},
  };
  for (const auto& [what, id, args, heard, answer, raises] : rows) {
    f.recorder.heard.clear();
    f.recorder.answer = answer;
    f.recorder.raise = raises;
    Call call;
    args(call);
    const BoundaryCatches caught;
    const HRESULT hr = f.events->fire(id, call);
    expect(hr == S_OK && f.recorder.heard == heard &&
               call.cancel == (answer ? VARIANT_TRUE : VARIANT_FALSE) &&
               caught.count == (raises ? 1 : 0),
           std::string(what) + ": Invoke answered " + std::to_string(hr) + ", heard \"" +
               f.recorder.heard + "\", cancel came back " + std::to_string(call.cancel) +
               ", caught " + std::to_string(caught.count) + " times at the boundary");
  }
}

void checkDisconnect() {
  Fixture f;
  const com::Ptr<IDispatch> held = f.events->sinks.at(1);
  f.connection.disconnect();
  expect(f.events->sinks.empty() && f.events->unadvised.size() == 1,
         "disconnecting did not unadvise once with the cookie advised");
  expect(Call().object(f.dispatch).text(kUrl).fire(held.get(), kNavigateComplete2) == S_OK &&
             f.recorder.heard.empty(),
         "an event the browser sends after unadvising was heard");
  expectRaise(kAnyFailure, "connecting to a browser without events", [] {
    Recorder r;
    browser::WebBrowser::FromUnknown(fakeBrowser()).connect(r);
  });
}

// The browser's failures come out as the run-time's numbers, as they do through late binding.
void checkFailures() {
  const std::tuple<const char*, HRESULT, std::int32_t> rows[] = {
      {"a document denied", E_ACCESSDENIED, platform::kPermissionDenied},
      {"a document the browser lacks", DISP_E_MEMBERNOTFOUND, platform::kNotSupported},
      {"a document failing otherwise", E_FAIL, E_FAIL},
  };
  for (const auto& [what, failure, number] : rows) {
    const auto unknown = fakeBrowser(nullptr, nullptr, failure);
    expectRaise(number, what, [&] { browser::WebBrowser::FromUnknown(unknown).Document(); });
  }
}

}  // namespace

void runBrowserEventChecks() {
  runEach(
      {{"events", checkEvents}, {"disconnecting", checkDisconnect}, {"failures", checkFailures}});
}

}  // namespace smoke
