// The browser-events adapter against a fake browser that calls the advised sink as the browser
// does: by dispatch id, arguments last to first, most of them by reference.
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <olectl.h>

#include "check.h"
#include "fake_browser.h"
#include "platform/browser.h"
#include "runtime/comobject.h"

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
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    *point = nullptr;
    if (!IsEqualIID(riid, DIID_DWebBrowserEvents2)) return CONNECT_E_NOCONNECTION;
    *point = this;
    AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    *iid = DIID_DWebBrowserEvents2;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
    *out = this;
    AddRef();
    return S_OK;
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
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }
};

// One event's arguments, added first to last and passed last to first; what a reference
// points at lives here.
class Call {
 public:
  VARIANT_BOOL cancel = VARIANT_FALSE;

  Call() = default;
  Call(const Call&) = delete;
  ~Call() {
    for (VARIANT& v : held_) VariantClear(&v);
  }
  Call& object(IDispatch* p) {
    VARIANT v{};
    v.vt = VT_DISPATCH;
    v.pdispVal = p;
    return add(v);
  }
  Call& text(const wchar_t* s) {
    VARIANT v{};
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(s);
    return byRef(v);
  }
  Call& number(long n) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = n;
    return byRef(v);
  }
  Call& empty() { return byRef(VARIANT{}); }
  // Post data comes behind a second reference; a navigation without it has Empty there.
  Call& postData(const std::string& bytes) {
    VARIANT data{};
    if (!bytes.empty()) {
      data.vt = VT_ARRAY | VT_UI1;
      data.parray = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
      std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data.parray->pvData));
    }
    return byRef(reference(data));
  }
  Call& flag(bool value) {
    VARIANT v{};
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return add(v);
  }
  Call& cancelling(bool initial) {
    cancel = initial ? VARIANT_TRUE : VARIANT_FALSE;
    VARIANT v{};
    v.vt = VT_BYREF | VT_BOOL;
    v.pboolVal = &cancel;
    return add(v);
  }
  HRESULT fire(const com::Ptr<IDispatch>& sink, DISPID id) {
    DISPPARAMS params{args_.data(), nullptr, static_cast<UINT>(args_.size()), 0};
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                    &result, nullptr, nullptr);
    VariantClear(&result);
    return hr;
  }

 private:
  Call& add(const VARIANT& v) {
    args_.insert(args_.begin(), v);
    return *this;
  }
  VARIANT reference(const VARIANT& value) {
    held_.push_back(value);
    VARIANT v{};
    v.vt = VT_BYREF | VT_VARIANT;
    v.pvarVal = &held_.back();
    return v;
  }
  Call& byRef(const VARIANT& value) { return add(reference(value)); }

  std::deque<VARIANT> held_;  // stable addresses for the references
  std::vector<VARIANT> args_;
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
    note(d,
         "BeforeNavigate2 " + url + " " + std::to_string(flags) + " [" + frame + "] [" + post +
             "] [" + headers + "]",
         &cancel);
  }
  void NavigateComplete2(const browser::WebBrowser& d, const std::string& url) override {
    note(d, "NavigateComplete2 " + url);
  }
  void DocumentComplete(const browser::WebBrowser& d, const std::string& url) override {
    note(d, "DocumentComplete " + url);
  }
  void NavigateError(const browser::WebBrowser& d, const std::string& url, const std::string& frame,
                     long status, bool& cancel) override {
    note(d, "NavigateError " + url + " [" + frame + "] " + std::to_string(status), &cancel);
  }
  void WindowClosing(bool child, bool& cancel) override {
    note({}, std::string("WindowClosing ") + (child ? "child" : "top"), &cancel);
  }
  void OnToolBar(bool shown) override { note({}, shown ? "OnToolBar shown" : "OnToolBar hidden"); }

  void forget() {
    heard.clear();
    pDisp = {};
  }
  void note(const browser::WebBrowser& d, const std::string& what, bool* cancel = nullptr) {
    heard = what + (cancel && *cancel ? " cancel" : "");
    pDisp = d;
    if (raise) raise();
    if (cancel) *cancel = answer;
  }
};

// A fake browser answering its events through a new FakeEvents.
struct Fixture {
  com::Ptr<FakeEvents> events = com::Ptr<FakeEvents>::adopt(new FakeEvents());
  com::Ptr<IUnknown> unknown = com::Ptr<IUnknown>::adopt(static_cast<IUnknown*>(
      NewFakeBrowser(nullptr, static_cast<IConnectionPointContainer*>(events.get()))));
  browser::WebBrowser browser = browser::WebBrowser::FromUnknown(unknown);
  com::Ptr<IDispatch> dispatch = unknown.query<IDispatch>(IID_IDispatch);
};

const wchar_t* const kUrl = L"http://example.test/caf\u00e9?q=1";
const std::string kUrlText = "http://example.test/caf\xC3\xA9?q=1";
constexpr long kResourceNotFound = static_cast<long>(0x800C0005);

void checkEvents() {
  const struct {
    const char* what;
    DISPID id;
    std::function<void(Call&, IDispatch*)> args;
    std::string heard;
    bool fromBrowser;
    bool answer;
    VARIANT_BOOL cancelAfter;
  } rows[] = {
      {"a form post", 250,
       [](Call& c, IDispatch* b) {
         c.object(b).text(kUrl).number(0x40).text(L"main").postData("a=1&b=2");
         c.text(L"Content-Type: text/plain\r\n").cancelling(false);
       },
       "BeforeNavigate2 " + kUrlText + " 64 [main] [a=1&b=2] [Content-Type: text/plain\r\n]", true,
       true, VARIANT_TRUE},
      {"a plain navigation", 250,
       [](Call& c, IDispatch* b) {
         c.object(b).text(kUrl).number(0).empty().postData("").empty().cancelling(true);
       },
       "BeforeNavigate2 " + kUrlText + " 0 [] [] [] cancel", true, false, VARIANT_FALSE},
      {"NavigateComplete2", 252, [](Call& c, IDispatch* b) { c.object(b).text(kUrl); },
       "NavigateComplete2 " + kUrlText, true, false, VARIANT_FALSE},
      {"DocumentComplete", 259, [](Call& c, IDispatch* b) { c.object(b).text(kUrl); },
       "DocumentComplete " + kUrlText, true, false, VARIANT_FALSE},
      {"NavigateError", 271,
       [](Call& c, IDispatch* b) {
         c.object(b).text(kUrl).text(L"side").number(kResourceNotFound).cancelling(false);
       },
       "NavigateError " + kUrlText + " [side] " + std::to_string(kResourceNotFound), true, true,
       VARIANT_TRUE},
      {"WindowClosing", 263, [](Call& c, IDispatch*) { c.flag(true).cancelling(true); },
       "WindowClosing child cancel", false, false, VARIANT_FALSE},
      {"OnToolBar", 255, [](Call& c, IDispatch*) { c.flag(false); }, "OnToolBar hidden", false,
       false, VARIANT_FALSE},
      {"OnMenuBar, not taken", 256, [](Call& c, IDispatch*) { c.flag(true); }, "", false, false,
       VARIANT_FALSE},
  };
  Fixture f;
  Recorder recorder;
  const auto connection = f.browser.connect(recorder);
  for (const auto& row : rows) {
    const std::string what = std::string(row.what) + ": ";
    recorder.forget();
    recorder.answer = row.answer;
    Call call;
    row.args(call, f.dispatch.get());
    expect(call.fire(f.events->sink, row.id) == S_OK, what + "Invoke failed");
    expect(recorder.heard == row.heard, what + "heard \"" + recorder.heard + "\"");
    expect(recorder.pDisp.is(row.fromBrowser ? f.browser : browser::WebBrowser()),
           what + "pDisp is not the browser that fired");
    expect(call.cancel == row.cancelAfter,
           what + "cancel came back " + std::to_string(call.cancel));
  }
}

// Counts the boundary's catches into caught while it lives.
struct Counting {
  explicit Counting(int& caught) { countBoundaryCatches(&caught); }
  ~Counting() { countBoundaryCatches(nullptr); }
};

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
  Recorder recorder;
  const auto connection = f.browser.connect(recorder);
  for (const auto& row : rows) {
    const std::string what = std::string(row.what) + " in a sink: ";
    int caught = 0;
    {
      const Counting counting(caught);
      recorder.raise = row.raise;
      Call call;
      call.object(f.dispatch.get()).text(kUrl);
      call.fire(f.events->sink, 259);
      recorder.raise = nullptr;
    }
    expect(caught == 1, what + "caught " + std::to_string(caught) + " times at the boundary");
    recorder.forget();
    Call next;
    next.flag(true);
    next.fire(f.events->sink, 255);
    expect(recorder.heard == "OnToolBar shown", what + "the next event was not heard");
  }
}

void checkDisconnect() {
  Fixture f;
  Recorder recorder;
  com::Ptr<IDispatch> held;
  {
    auto connection = f.browser.connect(recorder);
    auto copy = connection;
    connection.disconnect();
    expect(f.events->unadvised.empty() && f.events->sink, "dropping one copy disconnected");
    held = f.events->sink;
  }
  expect(f.events->unadvised == std::vector<DWORD>{kCookie},
         "the last copy did not unadvise once with the cookie advised");
  Call call;
  call.object(f.dispatch.get()).text(kUrl);
  expect(call.fire(held, 252) == S_OK && recorder.heard.empty(),
         "an event the browser sends after unadvising was heard");
  expectRaise(kAnyFailure, "connecting to a browser without events", [] {
    Recorder r;
    const auto plain = com::Ptr<IUnknown>::adopt(static_cast<IUnknown*>(NewFakeBrowser(nullptr)));
    browser::WebBrowser::FromUnknown(plain).connect(r);
  });
}

}  // namespace

void runBrowserEventChecks() {
  attempt("browser events", [] {
    checkEvents();
    checkRaisingSink();
    checkDisconnect();
  });
}

}  // namespace smoke
