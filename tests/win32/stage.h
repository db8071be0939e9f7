// The stage the toolbar's checks play on, where no HTML engine runs: stand-ins of the browser's
// windows, a band sited on a fake browser, a scripted page and a clip.
#pragma once

#include <functional>
#include <string>

#include "../band/band_site.h"
#include "band/Configuration.h"
#include "band/mdlCommon.h"
#include "band/mdlToolband.h"
#include "check.h"
#include "clip/mdlClip.h"
#include "dialogs/frmClipBar.h"
#include "dialogs/frmDoneClipping.h"
#include "dialogs/frmOverLimit.h"
#include "dialogs/frmOverLimitBlog.h"
#include "dialogs/frmPleaseClipSomething.h"
#include "page/SharedReferences.h"
#include "scripted.h"

namespace smoke {

// The browser's frame with its pane and the page's window in it, a band sited on a browser
// whose document and events are scripted, and a clip of count characters.
struct Stage {
  ServiceHosts product = Service();
  HWND frame = CreateWindowExW(0, L"STATIC", L"Folverra clip bar", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               0, 0, 1200, 700, nullptr, nullptr, nullptr, nullptr);
  HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 40, 1100, 600, frame,
                              nullptr, nullptr, nullptr);
  HWND page = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 1100, 600, pane,
                              nullptr, nullptr, nullptr);
  Probe probe;
  Scripted body = ScriptedObject::make();
  Scripted document = ScriptedObject::make();
  Scripted events = ScriptedObject::make();
  com::Ptr<IUnknown> browser;

  Stage() {
    // The band's start-up request goes to a loopback port nothing answers on.
    ReplaceServiceHosts(ServiceHostsAt("127.0.0.1:9"));
    body->answer("clientLeft", win32::Value(0L)).answer("clientTop", win32::Value(0L));
    document->typeNamed("DispHTMLDocument").answer("body", body);
    events->events(DIID_DWebBrowserEvents2);
    browser = fakeBrowser(frame, static_cast<IConnectionPointContainer*>(events.get()), E_NOTIMPL,
                          com::Ptr<IDispatch>(document.get()).get());
    SetToolbandSite(BandSite::Create(frame, browser));
    g_hWndBrowserPane() = pane;
    g_hWndIEServer() = page;
  }
  ~Stage() {
    ui::Instance<frmDoneClipping>::Unload();
    ui::Instance<frmPleaseClipSomething>::Unload();
    ui::Instance<frmOverLimit>::Unload();
    ui::Instance<frmOverLimitBlog>::Unload();
    ui::Instance<frmClipBar>::Unload();
    SetToolbandSite({});
    g_hWndBrowserPane() = nullptr;
    g_hWndIEServer() = nullptr;
    g_ClipXML() = {};
    DestroyWindow(frame);
    ReplaceServiceHosts(product);
  }
  void clip(long characters) {
    g_ClipXML() = {};
    InitClipXML();
    if (characters == 0) return;
    xml::Node frame = g_ClipXML().createElement("frame");
    frame.setAttribute("type", "IHTMLTxtRange");
    frame.appendChild(g_ClipXML().createElement("content"))
        .appendChild(g_ClipXML().createCDATASection(std::string(characters, 'x')));
    g_ClipXML().documentElement().appendChild(frame);
  }
  // Runs check inside the modal loop that open starts.
  void inModal(const std::string& what, const std::function<void()>& open,
               const std::function<void()>& check) {
    bool seen = false;
    probe.later([&] { seen = true, check(); });
    open();
    expect(seen, what);
  }
  // Clicks Done Clipping; check runs inside the modal loop of the form the click opens.
  void doneClipping(const std::string& what, const std::function<void()>& check) {
    inModal(
        "Done Clipping " + what, [] { clickDoneClipping(); }, check);
  }
  static void clickDoneClipping() {
    frmClipBar& bar = ui::Instance<frmClipBar>::get();
    click(bar.hWnd(), bar.imgDoneClipping.formRect());
  }
};

}  // namespace smoke
