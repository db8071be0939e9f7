// The browser-events adapter against a fake browser that calls the advised sink as the browser
// does: by dispatch id, arguments last to first, most of them by reference.
#include <functional>
#include <stdexcept>

#include <olectl.h>

#include "check.h"
#include "fakes.h"
#include "platform/browser.h"

namespace smoke {
namespace {

constexpr DWORD kCookie = 0x5EED;

// The browser's connection point for its events, keeping the one sink advised.
class FakeEvents : public com::Object<IConnectionPointContainer, IConnectionPoint> {
 public:
  com::Ptr<IDispatch> sink;
  std::vector<DWORD> unadvised;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return com::answer(
        riid, ppv,
        {{IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
         {IID_IConnectionPoint, static_cast<IConnectionPoint*>(this)}});
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    *point = nullptr;
    if (!IsEqualIID(riid, DIID_DWebBrowserEvents2)) return CONNECT_E_NOCONNECTION;
    return QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(point));
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* client, DWORD* cookie) override {
    if (sink) return CONNECT_E_ADVISELIMIT;
    if (FAILED(client->QueryInterface(DIID_DWebBrowserEvents2, sink.putVoid())))
      return CONNECT_E_CANNOTCONNECT;
    *cookie = kCookie;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    unadvised.push_back(cookie);
    if (!sink || cookie != kCookie) return CONNECT_E_NOCONNECTION;
    sink.reset();
    return S_OK;
  }
  // Nothing the adapter asks for.
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }
};

// Writes down the last event it heard, answers cancel as told, raises when told.
struct Recorder : browser::Events {
  std::string heard;
  browser::WebBrowser pDisp;
  bool answer = false;
  std::function<void()> raise;

  void BeforeNavigate2(const browser::WebBrowser& d, const std::string& url, long flags,
                       const std::string& frame, const std::string& post,
                       const std::string& headers, bool& cancel) override {
    note(d, {"BeforeNavigate2", url, std::to_string(flags), frame, post, headers}, &cancel);
  }
  void NavigateComplete2(const browser::WebBrowser& d, const std::string& url) override {
    note(d, {"NavigateComplete2", url});
  }
  void DocumentComplete(const browser::WebBrowser& d, const std::string& url) override {
    note(d, {"DocumentComplete", url});
  }
  void NavigateError(const browser::WebBrowser& d, const std::string& url, const std::string& frame,
                     long status, bool& cancel) override {
    note(d, {"NavigateError", url, frame, std::to_string(status)}, &cancel);
  }
  void WindowClosing(bool child, bool& cancel) override {
    note({}, {"WindowClosing", child ? "child" : "top"}, &cancel);
  }
  void OnToolBar(bool shown) override { note({}, {"OnToolBar", shown ? "shown" : "hidden"}); }

  // Parts joined by '|', then "|cancel" when cancel came in set.
  void note(const browser::WebBrowser& d, std::initializer_list<std::string> parts,
            bool* cancel = nullptr) {
    heard.clear();
    for (const std::string& part : parts) heard += (heard.empty() ? "" : "|") + part;
    if (cancel && *cancel) heard += "|cancel";
    pDisp = d;
    if (raise) raise();
    if (cancel) *cancel = answer;
  }
};

const std::string kUrl = "http://example.test/caf\xC3\xA9?q=1";

// A fake browser answering its events through a new FakeEvents, with a Recorder connected.
struct Fixture {
  com::Ptr<FakeEvents> events = com::Ptr<FakeEvents>::adopt(new FakeEvents());
  com::Ptr<IUnknown> unknown = com::Ptr<IUnknown>::adopt(static_cast<IUnknown*>(
      NewFakeBrowser(nullptr, static_cast<IConnectionPointContainer*>(events.get()))));
  browser::WebBrowser browser = browser::WebBrowser::FromUnknown(unknown);
  IDispatch* dispatch = unknown.query<IDispatch>(IID_IDispatch).get();  // kept by unknown
  Recorder recorder;
  browser::EventsConnection connection = browser.connect(recorder);

  // An event of a page: pDisp and the address.
  HRESULT firePageEvent(DISPID id, const com::Ptr<IDispatch>& sink) {
    return Call().object(dispatch).text(kUrl).fire(sink.get(), id);
  }
};

constexpr DISPID kBeforeNavigate2 = 250, kNavigateComplete2 = 252, kOnToolBar = 255,
                 kOnMenuBar = 256, kDocumentComplete = 259, kWindowClosing = 263,
                 kNavigateError = 271;
constexpr long kResourceNotFound = static_cast<long>(0x800C0005);

void checkEvents() {
  Fixture f;
  const struct {
    const char* what;
    DISPID id;
    std::function<void(Call&)> args;
    std::string heard;
    bool fromBrowser;
    bool answer;
  } rows[] = {
      {"a form post", kBeforeNavigate2,
       [&](Call& c) {
         c.object(f.dispatch).text(kUrl).number(0x40).text("main").postData("a=1&b=2");
         c.text("Content-Type: text/plain\r\n").cancelling(false);
       },
       "BeforeNavigate2|" + kUrl + "|64|main|a=1&b=2|Content-Type: text/plain\r\n", true, true},
      {"a plain navigation", kBeforeNavigate2,
       [&](Call& c) {
         c.object(f.dispatch).text(kUrl).number(0).empty().postData("").empty().cancelling(true);
       },
       "BeforeNavigate2|" + kUrl + "|0||||cancel", true, false},
      {"NavigateComplete2", kNavigateComplete2, [&](Call& c) { c.object(f.dispatch).text(kUrl); },
       "NavigateComplete2|" + kUrl, true, false},
      {"DocumentComplete", kDocumentComplete, [&](Call& c) { c.object(f.dispatch).text(kUrl); },
       "DocumentComplete|" + kUrl, true, false},
      {"NavigateError", kNavigateError,
       [&](Call& c) {
         c.object(f.dispatch).text(kUrl).text("side").number(kResourceNotFound).cancelling(false);
       },
       "NavigateError|" + kUrl + "|side|" + std::to_string(kResourceNotFound), true, true},
      {"WindowClosing", kWindowClosing, [](Call& c) { c.flag(true).cancelling(true); },
       "WindowClosing|child|cancel", false, false},
      {"OnToolBar", kOnToolBar, [](Call& c) { c.flag(false); }, "OnToolBar|hidden", false, false},
      {"OnMenuBar, not taken", kOnMenuBar, [](Call& c) { c.flag(true); }, "", false, false},
  };
  for (const auto& row : rows) {
    const std::string what = std::string(row.what) + ": ";
    f.recorder.heard.clear();
    f.recorder.pDisp = {};
    f.recorder.answer = row.answer;
    Call call;
    row.args(call);
    expect(call.fire(f.events->sink.get(), row.id) == S_OK, what + "Invoke failed");
    expect(f.recorder.heard == row.heard, what + "heard \"" + f.recorder.heard + "\"");
    expect(f.recorder.pDisp.is(row.fromBrowser ? f.browser : browser::WebBrowser()),
           what + "pDisp is not the browser that fired");
    expect(call.cancel == (row.answer ? VARIANT_TRUE : VARIANT_FALSE),
           what + "cancel came back " + std::to_string(call.cancel));
  }
}

// Whatever a sink raises stays on our side of Invoke, and the sink hears the next event.
void checkRaisingSink() {
  const struct {
    const char* what;
    std::function<void()> raise;
  } rows[] = {
      {"a run-time error", [] { throw platform::Error(5, "check", "raised by the sink"); }},
      {"a C++ exception", [] { throw std::runtime_error("thrown by the sink"); }},
      {"anything else", [] { throw 5; }},
  };
  Fixture f;
  for (const auto& row : rows) {
    const std::string what = std::string(row.what) + " in a sink: ";
    f.recorder.raise = row.raise;
    {
      const BoundaryCatches caught;
      f.firePageEvent(kDocumentComplete, f.events->sink);
      expect(caught.count == 1,
             what + "caught " + std::to_string(caught.count) + " times at the boundary");
    }
    f.recorder.raise = nullptr;
    Call().flag(true).fire(f.events->sink.get(), kOnToolBar);
    expect(f.recorder.heard == "OnToolBar|shown", what + "the next event was not heard");
  }
}

void checkDisconnect() {
  Fixture f;
  const com::Ptr<IDispatch> held = f.events->sink;
  auto copy = f.connection;
  f.connection.disconnect();
  expect(f.events->unadvised.empty() && f.events->sink, "dropping one copy disconnected");
  copy.disconnect();
  expect(f.events->unadvised == std::vector<DWORD>{kCookie},
         "the last copy did not unadvise once with the cookie advised");
  f.recorder.heard.clear();
  expect(f.firePageEvent(kNavigateComplete2, held) == S_OK && f.recorder.heard.empty(),
         "an event the browser sends after unadvising was heard");
  expectRaise(kAnyFailure, "connecting to a browser without events", [] {
    Recorder r;
    const auto plain = com::Ptr<IUnknown>::adopt(static_cast<IUnknown*>(NewFakeBrowser(nullptr)));
    browser::WebBrowser::FromUnknown(plain).connect(r);
  });
}

}  // namespace

void runBrowserEventChecks() {
  runEach({{"events", checkEvents},
           {"a raising sink", checkRaisingSink},
           {"disconnecting", checkDisconnect}});
}

}  // namespace smoke
