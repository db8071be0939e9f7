// What the browser gives a band it loads: a window to live in and a way to the browser.
#pragma once

#include "platform/com.h"

namespace smoke {

// A visible top-level window of the test's own class.
HWND CreateSiteWindow();

// The real browser object when this host can create one, otherwise a stand-in.
com::Ptr<IUnknown> CreateBrowser(HWND window);
void CloseBrowser(const com::Ptr<IUnknown>& browser);

// The band's site: IOleWindow on window, IServiceProvider answering the browser.
com::Ptr<IUnknown> CreateSite(HWND window, com::Ptr<IUnknown> browser);

}  // namespace smoke
