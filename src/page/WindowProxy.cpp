#include "page/WindowProxy.h"

#include <algorithm>
#include <string_view>
#include <type_traits>
#include <utility>

#include "band/Reporter.h"
#include "band/mdlToolband.h"
#include "clip/mdlClip.h"
#include "dialogs/frmClipBar.h"
#include "dialogs/frmMouseOver.h"
#include "page/ElementPath.h"
#include "page/SharedReferences.h"
#include "page/WindowProxyParts.h"
#include "page/mdlWindowProxy.h"
#include "runtime/strings.h"
#include "toolbar/frmToolband.h"

namespace {

using namespace window_proxy;

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

// Elements a mouse-over neither hooks nor frames: the page itself, links, tables as a whole,
// form fields, plug-ins and frames.
constexpr std::string_view kUnhookedTypes[] = {"HTMLBody",
                                               "HTMLAnchorElement",
                                               "HTMLTable",
                                               "HTMLTableRow",
                                               "HTMLTableCol",
                                               "HTMLTableSection",
                                               "HTMLFieldSetElement",
                                               "HTMLEmbed",
                                               "HTMLObjectElement",
                                               "HTMLFormElement",
                                               "HTMLInputElement",
                                               "HTMLSelectElement",
                                               "HTMLTextAreaElement",
                                               "HTMLIFrame",
                                               "HTMLHRElement",
                                               "HTMLAreaElement"};

// Tags never framed, whether or not their click is hooked.
constexpr std::string_view kUnframedTags[] = {"INPUT", "OBJECT", "EMBED",  "APPLET",
                                              "AREA",  "FRAME",  "IFRAME", "FRAMESET",
                                              "HTML",  "BODY",   "A"};

constexpr std::string_view kBorderPrefix = "dvLumBorder";

bool isBorderDiv(const html::Element& element) {
  return element.id().starts_with(kBorderPrefix);
}

std::string pixels(long value) {
  return std::to_string(value) + "px";
}

// The supported-video list has arrived and names one site the page's host is part of.
bool isSupportedVideoSite(const std::string& host) {
  const xml::Document& list = g_oSupportedVideo();
  if (!list || !list.documentElement()) return false;
  const xml::NodeList sites = list.documentElement().childNodes();
  for (long i = 0; i < sites.length(); ++i) {
    const xml::Node site = sites.item(i);
    if (site.nodeType() != 1) continue;
    const std::optional<std::string> domain = site.getAttribute("domain");
    if (domain && platform::containsNoCase(host, *domain)) return true;
  }
  return false;
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
    const auto self = weak.lock();
    if constexpr (std::is_same_v<std::invoke_result_t<Member, WindowProxy*>, bool>)
      return self ? (self.get()->*member)() : true;
    else if (self)
      (self.get()->*member)();
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
    if (oDocument) {
      const auto overlays = oDocument.getElementsByName("LumoraElementOverlay");
      html::Element body = oDocument.body();
      for (auto it = overlays.rbegin(); it != overlays.rend(); ++it) body.removeChild(*it);
    }
    RemoveSelectionBounds(oDocument, -1);
    ui::Instance<frmMouseOver>::Unload();
  });
}

void WindowProxy::HighlightElement(html::Element element, VARIANT_BOOL bColumn, VARIANT_BOOL) {
  kReporter.guard("HighlightElement()", [&] {
    if (element.is(g_HighlightElement()) && bColumn == bHighlightColumn) return;
    bHighlightColumn = bColumn;
    if (g_HighlightElement()) oHighlightElement_onmouseout();
    if (!bHasBorderDiv()) InsertBorderDiv();
    g_BorderLeft() = oDocument.getElementById("dvLumBorderLeft");
    g_BorderRight() = oDocument.getElementById("dvLumBorderRight");
    g_BorderTop() = oDocument.getElementById("dvLumBorderTop");
    g_BorderBottom() = oDocument.getElementById("dvLumBorderBottom");
    if (!g_BorderLeft()) return;

    html::Rect r = element.getBoundingClientRect();
    const long x = r.left + ScrollOf(element).x - 6;
    // The cut measures from this element's own left edge, never from the frame shown before,
    // so that where a frame ends does not depend on what was framed earlier.
    const long bodyWidth = element.ownerDocument().body().offsetWidth();
    const long w = r.right - r.left + x + 10 > bodyWidth ? bodyWidth - x - 6 : r.right - r.left + 8;

    if (bColumn && platform::upperAscii(element.tagName()) == "TD") {
      while (element.tagName() != "TABLE") element = element.parentElement();
    }
    r = element.getBoundingClientRect();
    const long y = r.top + ScrollOf(element).y - 6;
    // 8, not 6: the bottom side keeps the same gap of 2 as the others.
    const long h = r.bottom - r.top + 8;

    html::Style left = g_BorderLeft().style();
    left.setLeft(pixels(x));
    left.setTop(pixels(y));
    left.setHeight(pixels(h));
    html::Style top = g_BorderTop().style();
    top.setWidth(pixels(w));
    top.setLeft(pixels(x));
    top.setTop(pixels(y));
    html::Style bottom = g_BorderBottom().style();
    bottom.setLeft(pixels(x));
    bottom.setWidth(pixels(w));
    bottom.setTop(pixels(y + h));
    html::Style right = g_BorderRight().style();
    right.setLeft(pixels(x + w));
    right.setTop(pixels(y));
    right.setHeight(pixels(h + 4));
    for (html::Style* side : {&left, &right, &top, &bottom}) side->setDisplay("block");
    g_HighlightElement() = element;
  });
}

void WindowProxy::oHighlightElement_onmouseout() {
  kReporter.guard("oHighlightElement_onmouseout()", [&] {
    if (g_BorderLeft()) {
      for (html::Element* side :
           {&g_BorderLeft(), &g_BorderRight(), &g_BorderTop(), &g_BorderBottom()})
        side->style().setDisplay("none");
    }
    ClearBorderReferences();
    g_HighlightElement() = {};
  });
}

void WindowProxy::oCurrentElement_onmouseout() {
  kReporter.guard("oCurrentElement_onmouseout()", [&] {
    // The menu acts on the current element: it stays while the menu is open.
    if (g_bContextMenuVisible()) return;
    if (g_HighlightElement().is(g_CurrentElement())) oHighlightElement_onmouseout();
    SelectStart = 0;
    g_CurrentElement() = {};
  });
}

void WindowProxy::oDocument_onmouseover() {
  kReporter.guard("oDocument_onmouseover()", [&] {
    if (!lumoraModeOn() || !bDocumentReady) return;
    // A dialog, the menu or a selection under way holds the page still.
    if (g_bDoneClippingOpen() || g_bContextMenuVisible() || SelectStart) return;
    const html::Element src = oDocumentWindow.event().srcElement();
    const std::string type = src.typeName();
    if (hookMouseElement(src, type)) frameMouseElement(src);
    offerHoverButton(src, type);
  });
}

// False for the elements that are never framed.
bool WindowProxy::hookMouseElement(const html::Element& src, const std::string& type) {
  if (type == "HTMLImg")
    holdMouseElement(oMouseElementImage, src, &WindowProxy::oMouseElementImage_onclick);
  else if (type == "HTMLTableCell")
    holdMouseElement(oMouseElementTableCell, src, &WindowProxy::oMouseElementTableCell_onclick);
  else if (type == "HTMLLabelElement")
    holdMouseElement(oMouseElementLabel, src, &WindowProxy::oMouseElementLabel_onclick);
  else if (isOneOf(type, kUnhookedTypes))
    return false;
  else
    holdMouseElement(oMouseElement, src, &WindowProxy::oMouseElement_onclick);
  return true;
}

void WindowProxy::frameMouseElement(const html::Element& src) {
  if (!lumoraModeOn() || !bHasBorderDiv()) return;
  if (src.is(g_CurrentElement())) return;
  if (isBorderDiv(src) || isOneOf(src.id(), kOverlayIds) ||
      src.getAttribute("name") == "Folverra_SelectionBounds")
    return;
  if (g_CurrentElement()) oCurrentElement_onmouseout();
  if (!isOneOf(platform::upperAscii(src.tagName()), kUnframedTags)) {
    g_CurrentElement() = src;
    HighlightElement(src, 0);
  }
}

// Videos of the supported sites, once loaded and big enough to play, get the hover button.
void WindowProxy::offerHoverButton(const html::Element& src, const std::string& type) {
  if (type != "HTMLEmbed" && type != "HTMLObjectElement") return;
  if (!isSupportedVideoSite(oDocument.location().hostname)) return;
  if (type == "HTMLObjectElement" && src.readyState() != "4") return;
  if (src.height() < 50 || src.width() < 50) return;
  frmMouseOver& button = ui::Instance<frmMouseOver>::get();
  button.Load();
  button.setObjectElement(src);
  PositionObjectClipper();
}

void WindowProxy::oDocument_onmouseout() {
  kReporter.guard("oDocument_onmouseout()", [&] {
    holdMouseElement(oMouseElement, {}, &WindowProxy::oMouseElement_onclick);
    if (!lumoraModeOn()) return;
    const html::Event event = oDocumentWindow.event();
    if (!event.srcElement().is(g_CurrentElement())) return;
    // Onto the frame itself is not out of the element.
    const html::Element to = event.toElement();
    if (!to || !isBorderDiv(to)) oCurrentElement_onmouseout();
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

void WindowProxy::oDocumentWindow_onload() {
  kReporter.guard("oDocumentWindow_onload()", [&] {
    InsertBorderDiv();
    if (ui::Instance<frmToolband>::get().LumoraMode() == 1)
      ui::Instance<frmClipBar>::get().SizeClipBar();
  });
}

// Unguarded: a failure here goes to the page event's boundary.
void WindowProxy::oDocumentWindow_onresize() {
  if (ui::Instance<frmToolband>::get().LumoraMode() != 1) return;
  ui::Instance<frmClipBar>::get().SizeClipBar();
  PositionObjectClipper();
}

void WindowProxy::oDocumentWindow_onscroll() {
  if (ui::Instance<frmToolband>::get().LumoraMode() == 1) PositionObjectClipper();
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
  documentConnections_.clear();
  for (platform::Connection& click : mouseElementClicks_) click = {};
  if (!document) return;
  const std::pair<const char*, void (WindowProxy::*)()> events[] = {
      {"onreadystatechange", &WindowProxy::oDocument_onreadystatechange},
      {"onmouseover", &WindowProxy::oDocument_onmouseover},
      {"onmouseout", &WindowProxy::oDocument_onmouseout},
      {"onselectionchange", &WindowProxy::oDocument_onselectionchange}};
  for (const auto& [event, member] : events)
    documentConnections_.push_back(oDocument.on(event, handler(member)));
  const std::pair<const char*, bool (WindowProxy::*)()> answered[] = {
      {"onclick", &WindowProxy::document_click},
      {"oncontextmenu", &WindowProxy::oDocument_oncontextmenu},
      {"onselectstart", &WindowProxy::oDocument_onselectstart}};
  for (const auto& [event, member] : answered)
    documentConnections_.push_back(oDocument.on(event, handler(member)));
}

void WindowProxy::holdMouseElement(html::Element& slot, const html::Element& element,
                                   bool (WindowProxy::*member)()) {
  html::Element* const slots[] = {&oMouseElement, &oMouseElementImage, &oMouseElementLabel,
                                  &oMouseElementTableCell};
  const auto at = std::find(std::begin(slots), std::end(slots), &slot) - std::begin(slots);
  slot = element;
  mouseElementClicks_.at(static_cast<std::size_t>(at)) =
      element ? slot.on("onclick", handler(member)) : platform::Connection();
}

void WindowProxy::holdDocumentWindow(const html::Window& window) {
  oDocumentWindow = window;
  windowConnections_.clear();
  if (!window) return;
  const std::pair<const char*, void (WindowProxy::*)()> events[] = {
      {"onload", &WindowProxy::oDocumentWindow_onload},
      {"onresize", &WindowProxy::oDocumentWindow_onresize},
      {"onscroll", &WindowProxy::oDocumentWindow_onscroll},
      {"onunload", &WindowProxy::oDocumentWindow_onunload}};
  for (const auto& [event, member] : events)
    windowConnections_.push_back(oDocumentWindow.on(event, handler(member)));
}
