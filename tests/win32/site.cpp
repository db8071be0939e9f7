#include "site.h"

#include <atomic>

#include "fake_browser.h"

namespace smoke {
namespace {

class Site final : public IOleWindow, public IServiceProvider {
 public:
  Site(HWND window, com::Ptr<IUnknown> browser) : window_(window), browser_(std::move(browser)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow))
      *ppv = static_cast<IOleWindow*>(this);
    else if (IsEqualIID(riid, IID_IServiceProvider))
      *ppv = static_cast<IServiceProvider*>(this);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG refs = --refs_;
    if (refs == 0) delete this;
    return refs;
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
    if (!IsEqualGUID(service, SID_SWebBrowserApp)) return E_NOINTERFACE;
    return browser_->QueryInterface(riid, ppv);
  }

 private:
  std::atomic<ULONG> refs_{0};
  HWND window_;
  com::Ptr<IUnknown> browser_;
};

constexpr const wchar_t* kSiteClass = L"FolverraSmokeSite";

}  // namespace

HWND CreateSiteWindow() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kSiteClass;
  RegisterClassExW(&wc);
  HWND window = CreateWindowExW(0, kSiteClass, L"Folverra smoke", WS_OVERLAPPEDWINDOW, 0, 0, 800,
                                200, nullptr, nullptr, wc.hInstance, nullptr);
  if (window) ShowWindow(window, SW_SHOW);
  return window;
}

// The band asks its browser for the application object at siting; Wine's browser object
// does not answer that, so there the stand-in takes its place.
com::Ptr<IUnknown> CreateBrowser(HWND window) {
  com::Ptr<IWebBrowser2> real;
  CLSID clsid{};
  if (SUCCEEDED(CLSIDFromProgID(L"InternetExplorer.Application", &clsid)) &&
      SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IWebBrowser2,
                                 real.putVoid()))) {
    com::Ptr<IDispatch> application;
    if (SUCCEEDED(real->get_Application(application.put())) && application)
      return real.query<IUnknown>(IID_IUnknown);
    real->Quit();
  }
  return com::Ptr<IUnknown>::adopt(static_cast<IUnknown*>(NewFakeBrowser(window)));
}

// The real browser runs in a process of its own that would outlive the test.
void CloseBrowser(const com::Ptr<IUnknown>& browser) {
  com::Ptr<IWebBrowser2> app;
  if (browser && SUCCEEDED(browser->QueryInterface(IID_IWebBrowser2, app.putVoid()))) app->Quit();
}

com::Ptr<IUnknown> CreateSite(HWND window, com::Ptr<IUnknown> browser) {
  return com::Ptr<IUnknown>(static_cast<IOleWindow*>(new Site(window, std::move(browser))));
}

}  // namespace smoke
