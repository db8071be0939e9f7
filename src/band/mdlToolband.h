// The band's per-thread slots and the band window: turns the site handed to the desk band into
// a browser reference and the toolbar form's window parented into the site's window.
#pragma once

#include "platform/browser.h"
#include "platform/com.h"
#include "platform/wintypes.h"

// Each browser-window thread has its own copy of every slot.
void SetToolband(const com::Ptr<IUnknown>& object);
com::Ptr<IUnknown> Toolband();
void SetToolbandSite(const com::Ptr<IUnknown>& site);
com::Ptr<IUnknown> ToolbandSite();
com::Ptr<IOleWindow> GetToolbandSiteWindow();
browser::WebBrowser ToolbandBrowser();
HWND ToolbandHWND();
VARIANT_BOOL& g_bSiteCommandSeen();

void ShowToolband();
void HideToolband();
void CreateBandWindow();
void DestroyBandWindow();
com::Ptr<IUnknown> FindIESite(const com::Ptr<IServiceProvider>& site);

LRESULT CALLBACK Toolband_WNDPROC(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
