// The site the browser hands a band: its window through IOleWindow, the browser through
// IServiceProvider. Shared by the headless tests and the Windows checks; either may be left out
// (nullptr), to play a host that lacks it.
#pragma once

#include <utility>

#include "runtime/comobject.h"

class BandSite final : public com::Object<IOleWindow, IServiceProvider> {
 public:
  static com::Ptr<IUnknown> Create(HWND window, com::Ptr<IUnknown> browser) {
    return com::Ptr<IUnknown>::adopt(static_cast<IOleWindow*>(new BandSite(window, browser)));
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!window_ && IsEqualGUID(riid, IID_IOleWindow)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    return com::answer(riid, ppv,
                       {{IID_IServiceProvider, static_cast<IServiceProvider*>(this)},
                        {IID_IOleWindow, static_cast<IOleWindow*>(this)}});
  }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override {
    *phwnd = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID, REFIID riid, void** ppv) override {
    *ppv = nullptr;
    return browser_ ? browser_->QueryInterface(riid, ppv) : E_NOINTERFACE;
  }

 private:
  BandSite(HWND window, com::Ptr<IUnknown> browser)
      : window_(window), browser_(std::move(browser)) {}

  HWND window_;
  com::Ptr<IUnknown> browser_;
};
