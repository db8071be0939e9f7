// A headless browser window: a top window, the band site with its window, and the browser
// object a band reaches through the site's service provider. It hosts a desk band exactly as
// the browser does: creates it by ProgID through the class registry, sites it, asks for its
// sizes and shows it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/com.h"

namespace headless {

// {B7E2F1A0-5C3D-4F6E-8A9B-0C1D2E3F4A5B}: how the headless browser port recognises its own
// browser objects behind an IWebBrowser2.
FOLVERRA_MAKE_GUID(IID_IHeadlessBrowser, 0xB7E2F1A0, 0x5C3D, 0x4F6E, 0x8A, 0x9B, 0x0C, 0x1D, 0x2E,
                   0x3F, 0x4A, 0x5B);

class BrowserWindow;

// The browser object (IWebBrowser2) of one window.
struct BrowserObject : IUnknown {
  virtual BrowserWindow* window() = 0;
};

class BrowserWindow {
 public:
  // Creates the window's windows on the calling thread, which owns them from then on.
  BrowserWindow();
  ~BrowserWindow();
  BrowserWindow(const BrowserWindow&) = delete;
  BrowserWindow& operator=(const BrowserWindow&) = delete;

  HWND topWindow() const { return top_; }
  HWND bandSiteWindow() const { return bandSite_; }
  com::Ptr<IUnknown> site() const;
  com::Ptr<IUnknown> browserObject() const;

  std::string locationURL;

  // A ShowBrowserBar call the window received.
  struct BrowserBarCall {
    std::string clsid;
    bool show;
  };
  std::vector<BrowserBarCall> browserBarCalls;

  // Creates the band by ProgID, sites it, reads its sizes and shows it, as the browser does.
  // Returns the failing HRESULT of the first step that failed.
  HRESULT AddBand(const std::string& progId);
  // Hides, closes and unsites the band, then releases it.
  void RemoveBand();
  com::Ptr<IUnknown> band() const { return band_; }
  HWND bandWindow() const;

 private:
  HWND top_ = nullptr;
  HWND bandSite_ = nullptr;
  com::Ptr<IUnknown> site_;
  com::Ptr<IUnknown> browser_;
  com::Ptr<IUnknown> band_;
};

}  // namespace headless
