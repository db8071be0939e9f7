#include "page/WindowProxy.h"

#include "band/Reporter.h"
#include "band/mdlToolband.h"
#include "page/SharedReferences.h"
#include "page/mdlWindowProxy.h"

namespace {

constexpr Reporter kReporter{kProjectName, "WindowProxy", Reporter::TraceName::Qualified};

// One per side, inserted in this order, each at the start of the body.
constexpr const char* kBorderDivs[] = {
    "<div id=\"dvLumBorderLeft\" style=\"position:absolute;display:none;height:200px;width:4px;"
    "background-color:#FF9900;z-index:999999;line-height:4px;font-size:3px;\"></div>",
    "<div id=\"dvLumBorderRight\" style=\"position:absolute;display:none;height:200px;width:4px;"
    "background-color:#FF9900;z-index:999999;line-height:4px;font-size:3px;\"></div>",
    "<div id=\"dvLumBorderTop\" style=\"position:absolute;display:none;height:4px;width:200px;"
    "background-color:#FF9900;z-index:999999;line-height:4px;font-size:3px;\"></div>",
    "<div id=\"dvLumBorderBottom\" style=\"position:absolute;display:none;height:4px;width:200px;"
    "background-color:#FF9900;z-index:999999;line-height:4px;font-size:3px;\"></div>",
};

// For error texts only: an address that cannot be read must not cost the report.
std::string addressOf(const browser::WebBrowser& window) {
  try {
    return window ? window.LocationURL() : std::string();
  } catch (...) {
    return {};
  }
}

// The band's page, then the given window's: which page reached which.
std::string addresses(const browser::WebBrowser& window) {
  return addressOf(ToolbandBrowser()) + " - " + addressOf(window);
}

bool isPermissionDenied(const platform::Error& error) {
  return error.number == platform::kPermissionDenied;
}

// Permission denied only says the page has gone to another site meanwhile: nothing to report.
template <class Body>
void guardSparingDenied(std::string_view routine, Body&& body) {
  kReporter.guard(
      routine,
      [](std::string_view r, const platform::Error& e) {
        if (!isPermissionDenied(e)) kReporter.ReportError(r, e);
      },
      std::forward<Body>(body));
}

}  // namespace

// The page holds its handlers, not the proxy: a proxy that has gone is not called back.
template <class Member>
html::Handler WindowProxy::handler(Member member) {
  return [weak = weak_from_this(), member] {
    if (const auto self = weak.lock()) (self.get()->*member)();
    return true;
  };
}

std::shared_ptr<WindowProxy> WindowProxy::New() {
  std::shared_ptr<WindowProxy> proxy(new WindowProxy());
  proxy->Load();
  return proxy;
}

WindowProxy::WindowProxy() = default;

void WindowProxy::SetWindow(const browser::WebBrowser& window) {
  const auto keep = shared_from_this();
  kReporter.guard(
      "Set Window()",
      [&](std::string_view routine, const platform::Error& error) {
        failAttach(routine, error, window);
      },
      [&] { attach(window); });
}

void WindowProxy::attach(const browser::WebBrowser& window) {
  holdWindow(window);
  const browser::DocumentObject document = window.Document();
  // Pictures, XML trees and the like have no page to hook, but the proxy still follows the
  // window so that closing it cleans up.
  if (document.typeName() == "HTMLDocument" && !hookDocument(document.html())) return;
  AddProxy(shared_from_this());
}

bool WindowProxy::hookDocument(const html::Document& document) {
  holdDocument(document);
  // An editable document is the user's to change: nothing may be inserted into it.
  if (oDocument.designMode() == "On") {
    discard();
    return false;
  }
  holdDocumentWindow(oDocument.parentWindow());
  followReadyState();
  if (oDocument.body())
    InsertBorderDiv();
  else
    kReporter.Trace("oDocument.body Is Nothing");
  return true;
}

void WindowProxy::failAttach(std::string_view routine, const platform::Error& error,
                             const browser::WebBrowser& window) {
  // Permission denied: a frame of another site, which this page may never touch.
  if (isPermissionDenied(error)) {
    kReporter.ReportError(routine, error, addresses(window));
    discard();
    return;
  }
  kReporter.ReportError(routine, error);
  Cleanup();
}

void WindowProxy::Cleanup() {
  const auto keep = shared_from_this();
  kReporter.guard(
      "Cleanup()",
      [&](std::string_view routine, const platform::Error& error) {
        if (!isPermissionDenied(error)) kReporter.ReportError(routine, error, addresses(oWindow));
      },
      [&] {
        if (oDocument && oDocument.getElementById("dvLumBorderLeft").is(g_BorderLeft()))
          ClearBorderReferences();
      });
  g_CurrentElement() = {};
  discard();
}

// A proxy that has gone must not stay registered, whatever failed on its way out.
void WindowProxy::discard() {
  holdDocumentWindow({});
  holdDocument({});
  holdWindow({});
  RemoveProxy(this);
  UnloadWindow();
}

void WindowProxy::ClearOverlays() {
  guardSparingDenied("ClearOverlays()", [&] {
    if (!oDocument) return;
    const auto overlays = oDocument.getElementsByName("LumoraElementOverlay");
    html::Element body = oDocument.body();
    for (auto it = overlays.rbegin(); it != overlays.rend(); ++it) body.removeChild(*it);
  });
}

html::Document WindowProxy::Document() {
  html::Document result;
  kReporter.guard("Get Document()", [&] { result = oDocument; });
  return result;
}

void WindowProxy::followReadyState() {
  const std::string state = oDocument.readyState();
  if (state == "complete")
    DocumentComplete();
  else
    bDocumentReady = state == "interactive" ? -1 : 0;
}

void WindowProxy::DocumentComplete() {
  kReporter.guard("DocumentComplete()", [&] { bDocumentReady = -1; });
}

bool WindowProxy::bHasBorderDiv() {
  bool result = false;
  kReporter.guard("Get bHasBorderDiv()",
                  [&] { result = !oDocument.getElementById("dvLumBorderLeft").isNothing(); });
  return result;
}

void WindowProxy::InsertBorderDiv() {
  kReporter.guard("InsertBorderDiv()", [&] {
    if (bHasBorderDiv()) return;
    html::Element body = oDocument.body();
    for (const char* markup : kBorderDivs) body.insertAdjacentHTML("afterBegin", markup);
  });
}

void WindowProxy::oDocument_onreadystatechange() {
  kReporter.guard(
      "oDocument_onreadystatechange()",
      [&](std::string_view routine, const platform::Error& error) {
        kReporter.ReportError(routine, error, addressOf(ToolbandBrowser()));
      },
      [&] {
        followReadyState();
        if (oDocument.body() && !bHasBorderDiv()) InsertBorderDiv();
      });
}

// Sizing the clip bar here joins once the clip bar exists.
void WindowProxy::oDocumentWindow_onload() {
  kReporter.guard("oDocumentWindow_onload()", [&] { InsertBorderDiv(); });
}

void WindowProxy::oDocumentWindow_onunload() {
  guardSparingDenied("oDocumentWindow_onunload()", [&] {
    if (oDocument.readyState() == "uninitialized") return;
    const bool frame = !oDocumentWindow.is(oDocumentWindow.top());
    // Once the band has seen the site's command, the top page's proxy outlives the
    // unload and goes with the window or the band.
    if (frame || !g_bSiteCommandSeen()) Cleanup();
  });
}

void WindowProxy::WindowEvents::WindowClosing(bool isChildWindow, bool& cancel) {
  proxy.oWindow_WindowClosing(cancel);
}

void WindowProxy::oWindow_WindowClosing(bool cancel) {
  const auto keep = shared_from_this();
  kReporter.guard("oWindow_WindowClosing()", [&] {
    if (!cancel) Cleanup();
  });
}

void WindowProxy::holdWindow(const browser::WebBrowser& window) {
  oWindow = window;
  windowConnection_ = window ? window.connect(windowEvents_) : platform::Connection();
}

void WindowProxy::holdDocument(const html::Document& document) {
  oDocument = document;
  documentConnection_ = document ? oDocument.on("onreadystatechange",
                                                handler(&WindowProxy::oDocument_onreadystatechange))
                                 : platform::Connection();
}

void WindowProxy::holdDocumentWindow(const html::Window& window) {
  oDocumentWindow = window;
  loadConnection_ =
      window ? oDocumentWindow.on("onload", handler(&WindowProxy::oDocumentWindow_onload))
             : platform::Connection();
  unloadConnection_ =
      window ? oDocumentWindow.on("onunload", handler(&WindowProxy::oDocumentWindow_onunload))
             : platform::Connection();
}
