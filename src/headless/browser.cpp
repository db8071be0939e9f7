#include "headless/browser.h"

#include "platform/browser.h"
#include "platform/comobject.h"
#include "platform/ui.h"

namespace headless {
namespace {

constexpr int kWindowWidth = 1024;
constexpr int kWindowHeight = 768;
constexpr int kBandRowHeight = 25;

// The frame's own windows need no behaviour of their own yet.
LRESULT CALLBACK frameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ui::DefWindowProc(hwnd, msg, wParam, lParam);
}

class Browser final : public com::Object<BrowserObject> {
 public:
  explicit Browser(BrowserWindow& window) : window_(&window) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return com::answer(riid, ppv,
                       {{IID_IWebBrowser2, this},
                        {IID_IWebBrowserApp, this},
                        {IID_IDispatch, this},
                        {IID_IHeadlessBrowser, this}});
  }
  BrowserWindow* window() override { return window_; }
  void detach() { window_ = nullptr; }

 private:
  BrowserWindow* window_;
};

class BandSite final : public com::Object<IOleWindow, IServiceProvider> {
 public:
  BandSite(HWND window, com::Ptr<IUnknown> browser)
      : window_(window), browser_(std::move(browser)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return com::answer(riid, ppv,
                       {{IID_IOleWindow, static_cast<IOleWindow*>(this)},
                        {IID_IServiceProvider, static_cast<IServiceProvider*>(this)}});
  }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override {
    if (!phwnd) return E_POINTER;
    *phwnd = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualGUID(service, IID_IWebBrowserApp) || !browser_) return E_NOINTERFACE;
    return browser_->QueryInterface(riid, ppv);
  }
  void detach() { browser_.reset(); }

 private:
  HWND window_;
  com::Ptr<IUnknown> browser_;
};

}  // namespace

BrowserWindow::BrowserWindow() {
  for (const char* cls : {"IEFrame", "WorkerW", "ReBarWindow32"})
    ui::RegisterWindowClass(cls, &frameProc);
  top_ = ui::CreateWindowEx(0, "IEFrame", "", WS_CLIPCHILDREN, 0, 0, kWindowWidth, kWindowHeight,
                            nullptr);
  HWND worker = ui::CreateWindowEx(0, "WorkerW", "", WS_CHILD | WS_VISIBLE, 0, 0, kWindowWidth,
                                   kBandRowHeight, top_);
  bandSite_ = ui::CreateWindowEx(0, "ReBarWindow32", "", WS_CHILD | WS_VISIBLE, 0, 0, kWindowWidth,
                                 kBandRowHeight, worker);
  ui::ShowWindow(top_, SW_SHOWNORMAL);
  browser_ = com::Ptr<IUnknown>::adopt(static_cast<BrowserObject*>(new Browser(*this)));
  site_ = com::Ptr<IUnknown>::adopt(static_cast<IOleWindow*>(new BandSite(bandSite_, browser_)));
  locationURL = "about:blank";
}

BrowserWindow::~BrowserWindow() {
  RemoveBand();
  static_cast<BandSite*>(static_cast<IOleWindow*>(site_.get()))->detach();
  static_cast<Browser*>(static_cast<BrowserObject*>(browser_.get()))->detach();
  ui::DestroyWindow(top_);
}

com::Ptr<IUnknown> BrowserWindow::site() const {
  return site_;
}
com::Ptr<IUnknown> BrowserWindow::browserObject() const {
  return browser_;
}

HRESULT BrowserWindow::AddBand(const std::string& progId) {
  try {
    const CLSID clsid = com::CLSIDFromProgID(progId);
    com::Ptr<IUnknown> band;
    HRESULT hr = com::CoCreateInstance(clsid, nullptr, IID_IUnknown, band.putVoid());
    if (FAILED(hr)) return hr;
    auto withSite = band.query<IObjectWithSite>(IID_IObjectWithSite);
    if (FAILED(hr = withSite->SetSite(site_.get()))) return hr;
    band_ = band;
    auto deskBand = band.query<IDeskBand>(IID_IDeskBand);
    DESKBANDINFO info{};
    info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_MODEFLAGS;
    if (FAILED(hr = deskBand->GetBandInfo(0, 0, &info))) return hr;
    return deskBand->ShowDW(TRUE);
  } catch (const platform::Error& e) {
    return e.number < 0 ? e.number : E_FAIL;
  }
}

void BrowserWindow::RemoveBand() {
  com::Ptr<IUnknown> band = std::exchange(band_, nullptr);
  if (!band) return;
  com::Ptr<IDeskBand> deskBand;
  if (SUCCEEDED(band->QueryInterface(IID_IDeskBand, deskBand.putVoid()))) {
    deskBand->ShowDW(FALSE);
    deskBand->CloseDW(0);
  }
  com::Ptr<IObjectWithSite> withSite;
  if (SUCCEEDED(band->QueryInterface(IID_IObjectWithSite, withSite.putVoid())))
    withSite->SetSite(nullptr);
}

HWND BrowserWindow::bandWindow() const {
  com::Ptr<IOleWindow> window;
  HWND hwnd = nullptr;
  if (band_ && SUCCEEDED(band_->QueryInterface(IID_IOleWindow, window.putVoid())))
    window->GetWindow(&hwnd);
  return hwnd;
}

}  // namespace headless

// The browser port over headless browser windows.
namespace browser {

struct WebBrowser::Impl {
  com::Ptr<IUnknown> object;
  headless::BrowserObject* browser;
};

WebBrowser::Impl& WebBrowser::self() const {
  if (!impl_) platform::raiseNothing();
  return *impl_;
}

namespace {
headless::BrowserWindow& windowOf(const WebBrowser::Impl& impl) {
  headless::BrowserWindow* window = impl.browser->window();
  if (!window) platform::raiseHResult(E_FAIL);  // the window has closed
  return *window;
}
}  // namespace

WebBrowser WebBrowser::FromUnknown(const com::Ptr<IUnknown>& object) {
  com::Ptr<IUnknown> asBrowser = object.query<IUnknown>(IID_IWebBrowser2);
  com::Ptr<headless::BrowserObject> own =
      object.query<headless::BrowserObject>(headless::IID_IHeadlessBrowser);
  return WebBrowser(std::make_shared<Impl>(Impl{asBrowser, own.get()}));
}

bool WebBrowser::is(const WebBrowser& other) const {
  if (!impl_ || !other.impl_) return impl_ == other.impl_;
  return impl_->object.is(other.impl_->object);
}

com::Ptr<IUnknown> WebBrowser::unknown() const {
  return self().object;
}

WebBrowser WebBrowser::Application() const {
  // A browser window is its own application object.
  return *this;
}

HWND WebBrowser::hwnd() const {
  return windowOf(self()).topWindow();
}

std::string WebBrowser::LocationURL() const {
  return windowOf(self()).locationURL;
}

void WebBrowser::ShowBrowserBar(const std::string& clsid, bool show) {
  windowOf(self()).browserBarCalls.push_back({clsid, show});
}

}  // namespace browser
