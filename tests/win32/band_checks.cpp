// The band as the browser drives it: created through the class registry, sited in a real window
// on a fake browser, reached by page script, and its error log read back. What the band answers
// (its size, its site) is checked on the headless platform in tests/band; here, what only the
// real COM and window system can show.
#include "check.h"
#include "platform/system.h"
#include "platform/xml.h"
#include "win32/wide.h"

namespace smoke {
namespace {

// The band's site: IOleWindow on window, IServiceProvider answering the browser.
class Site final : public com::Object<IOleWindow, IServiceProvider> {
 public:
  Site(HWND window, com::Ptr<IUnknown> browser) : window_(window), browser_(std::move(browser)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return com::answer(riid, ppv,
                       {{IID_IOleWindow, static_cast<IOleWindow*>(this)},
                        {IID_IServiceProvider, static_cast<IServiceProvider*>(this)}});
  }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override {
    *phwnd = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (!IsEqualGUID(service, SID_SWebBrowserApp)) return E_NOINTERFACE;
    return browser_->QueryInterface(riid, ppv);
  }

 private:
  HWND window_;
  com::Ptr<IUnknown> browser_;
};

// In a visible top-level window standing for the browser's frame.
void checkSiting(const com::Ptr<IUnknown>& band) {
  HWND frame = CreateWindowExW(0, L"STATIC", L"Folverra smoke", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                               0, 800, 200, nullptr, nullptr, nullptr, nullptr);
  if (!expect(frame != nullptr, "cannot create the browser's frame window")) return;
  const auto browser = com::Ptr<IUnknown>::adopt(static_cast<IUnknown*>(NewFakeBrowser(frame)));
  const auto site = com::Ptr<Site>::adopt(new Site(frame, browser));
  const auto withSite = band.query<IObjectWithSite>(IID_IObjectWithSite);
  platform::check(withSite->SetSite(static_cast<IOleWindow*>(site.get())));
  HWND window = nullptr;
  platform::check(band.query<IOleWindow>(IID_IOleWindow)->GetWindow(&window));
  if (expect(IsWindow(window), "the sited band has no window")) {
    expect(GetParent(window) == frame, "the band window is not a child of the frame");
    expect((GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0,
           "the band window lacks WS_CHILD");
    platform::check(band.query<IDockingWindow>(IID_IDockingWindow)->ShowDW(TRUE));
    expect(IsWindowVisible(window), "ShowDW(TRUE) left the band window hidden");
  }
  platform::check(withSite->SetSite(nullptr));
  expect(!IsWindow(window), "SetSite(nullptr) left the band window alive");
  DestroyWindow(frame);
}

// Unsited, GetSite fails inside its guard: the browser sees S_OK and nothing, the log (read
// back with MSXML, as an administrator's tools would) sees why. Page script reaches SetToolbar
// late bound, which has no browser to show the bar in.
void checkUnsited(const com::Ptr<IUnknown>& band, const std::string& logPath) {
  static int notNull;  // so that a GetSite forgetting its out-parameter shows
  IUnknown* site = reinterpret_cast<IUnknown*>(&notNull);
  const HRESULT hr = band.query<IObjectWithSite>(IID_IObjectWithSite)
                         ->GetSite(IID_IUnknown, reinterpret_cast<void**>(&site));
  expect(hr == S_OK, "unsited GetSite returned " + std::to_string(hr));
  expect(site == nullptr, "unsited GetSite handed out a site");
  auto log = xml::Document::Create();
  log.setAsync(false);
  const char* query = "//error[routine='IObjectWithSite_GetSite()'][last()]/object";
  const auto object = log.load(logPath) ? log.selectSingleNode(query) : xml::Node();
  expect(object && object.text() == "Toolbar",
         logPath + " has no GetSite error of object Toolbar, or is not well-formed");
  const win32::Value answer = win32::call(band.query<IDispatch>(IID_IDispatch), "SetToolbar");
  expect(answer.value().vt == VT_BOOL && !answer.flag(), "unsited SetToolbar did not answer False");
}

}  // namespace

void runBandChecks() {
  com::Ptr<IUnknown> band;
  platform::check(com::CoCreateInstance(com::CLSIDFromProgID("Folverra.Toolbar"), nullptr,
                                        IID_IUnknown, band.putVoid()));
  // The band keeps its error log beside its DLL.
  std::wstring dll(MAX_PATH, L'\0');
  dll.resize(GetModuleFileNameW(GetModuleHandleW(L"folverra.dll"), dll.data(), MAX_PATH));
  const std::string logPath =
      sys::PathIn(win32::narrow(dll.substr(0, dll.find_last_of(L'\\')).c_str()), "errors.xml");
  sys::RemoveFile(logPath);
  attempt("siting", [&] { checkSiting(band); });
  attempt("unsited", [&] { checkUnsited(band, logPath); });
}

}  // namespace smoke
