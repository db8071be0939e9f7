// The clicks, the right click and the selections of the page: clipping and unclipping, the
// context menu and the selection button.
#include <string>
#include <vector>

#include "band/mdlCommon.h"
#include "clip/mdlClip.h"
#include "dialogs/frmClipSelection.h"
#include "dialogs/frmContextMenu.h"
#include "page/ElementPath.h"
#include "page/SharedReferences.h"
#include "page/WindowProxy.h"
#include "page/WindowProxyParts.h"

using namespace window_proxy;

namespace {

// For the steps whose failure changes nothing.
template <class Body>
void ignoringFailure(Body&& body) {
  platform::guarded(
      "", [](std::string_view, const platform::Error&) {}, std::forward<Body>(body));
}

}  // namespace

bool WindowProxy::document_click() {
  return clickRoutine("oDocument_onclick()");
}

// What the element has done, the document does not take up again as the click bubbles on.
bool WindowProxy::oMouseElement_onclick() {
  const bool result = clickRoutine("oMouseElement_onclick()");
  if (!result) ignoringFailure([&] { oDocumentWindow.event().setCancelBubble(true); });
  return result;
}

bool WindowProxy::oMouseElementImage_onclick() {
  return oMouseElement_onclick();
}

bool WindowProxy::oMouseElementLabel_onclick() {
  return oMouseElement_onclick();
}

bool WindowProxy::oMouseElementTableCell_onclick() {
  return oMouseElement_onclick();
}

// False once the click has done something, so that the browser does nothing more with it.
bool WindowProxy::clickRoutine(std::string_view routine) {
  bool result = true;
  kReporter.guard(routine, [&] {
    // The click that ends a selection drag is the browser's.
    if (SelectStart) {
      SelectStart = 0;
      return;
    }
    const html::Event event = oDocumentWindow.event();
    if (event.button() == 2 || !lumoraModeOn()) return;
    if (bContextMenuShown) {
      closeContextMenu();
      result = false;
      return;
    }
    const html::Element src = event.srcElement();
    if (isOneOf(src.id(), kOverlayIds)) {
      RemoveElementObject(src);
      result = false;
    } else if (src.getAttribute("name") == kSelectionMarkerName) {
      RemoveSelection(oDocumentWindow.event());
      result = false;
    } else if (g_CurrentElement()) {
      oCurrentElement_onclick();
      result = false;
    }
  });
  return result;
}

void WindowProxy::oCurrentElement_onclick() {
  kReporter.guard("oCurrentElement_onclick()", [&] {
    html::Event event = oDocumentWindow.event();
    // Beyond the body's client area is the page's vertical scroll bar.
    if (!g_CurrentElement() || event.clientX() > oDocument.body().clientWidth()) return;
    if (bContextMenuShown) {
      closeContextMenu();
    } else {
      VARIANT_BOOL column = 0;
      LumoraElement(html::Element(g_CurrentElement()), column);
    }
    ignoringFailure([&] {
      event.setCancelBubble(true);
      event.setReturnValue(false);
    });
  });
}

void WindowProxy::LumoraElement(const html::Element& element, VARIANT_BOOL& bColumn) {
  std::string path;
  if (element.tagName() == "BODY") {
    for (html::Element* side :
         {&g_BorderLeft(), &g_BorderRight(), &g_BorderTop(), &g_BorderBottom()})
      side->style().setDisplay("none");
    path = "BODY";
  } else {
    oDocument.body().normalize();
    path = ElementPath(element);
  }
  html::Document page = oDocument;
  PageObject picked = element;
  Clip(page, picked, path, bColumn);
  HideContextMenu();
  oHighlightElement_onmouseout();
  oCurrentElement_onmouseout();
}

void WindowProxy::closeContextMenu() {
  if (g_bContextMenuVisible()) {
    ui::ShowWindow(ui::Instance<frmContextMenu>::get().hWnd(), SW_HIDE);
    g_bContextMenuVisible() = 0;
  }
  bContextMenuShown = 0;
}

void WindowProxy::HideContextMenu() {
  kReporter.guard("HideContextMenu()", [&] { closeContextMenu(); });
}

// In clipping mode the browser's own menu never shows: a right click opens ours or, when it
// is open, closes it.
bool WindowProxy::oDocument_oncontextmenu() {
  bool result = true;
  kReporter.guard("oDocument_oncontextmenu()", [&] {
    if (!lumoraModeOn()) return;
    result = false;
    if (!g_BorderLeft()) return;
    if (bContextMenuShown) return closeContextMenu();
    const html::Element src = oDocumentWindow.event().srcElement();
    if ((src.is(g_CurrentElement()) || bHasBorderDiv()) && !g_bContextMenuVisible())
      openContextMenu();
  });
  return result;
}

// At the cursor, or left of it and above it where the desktop would cut it off.
void WindowProxy::openContextMenu() {
  bContextMenuShown = -1;
  RECT desktop{};
  ui::GetWindowRect(ui::GetDesktopWindow(), &desktop);
  POINT cursor{};
  ui::GetCursorPos(&cursor);
  frmContextMenu& menu = ui::Instance<frmContextMenu>::get();
  menu.Load();
  menu.setProxy(shared_from_this());
  const HWND hwnd = menu.hWnd();
  RECT r{};
  ui::GetWindowRect(hwnd, &r);
  const long width = r.right - r.left;
  const long height = r.bottom - r.top;
  const long x = cursor.x + width > desktop.right ? cursor.x - width : cursor.x;
  const long y = cursor.y + height > desktop.bottom ? cursor.y - height : cursor.y;
  ui::MoveWindow(hwnd, static_cast<int>(x), static_cast<int>(y), static_cast<int>(width),
                 static_cast<int>(height), TRUE);
  ui::SetWindowPos(hwnd, GetWindowUnderCursor(), 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  g_bContextMenuVisible() = -1;
  ui::ShowWindow(hwnd, SW_SHOWNORMAL);
  ui::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

// The frame goes while the user drags; the selection itself is the browser's.
bool WindowProxy::oDocument_onselectstart() {
  kReporter.guard("oDocument_onselectstart()", [&] {
    oCurrentElement_onmouseout();
    SelectStart = -1;
  });
  return true;
}

// The selection button goes above the selection's first line, or else left of it.
void WindowProxy::oDocument_onselectionchange() {
  if (ui::Instance<frmToolband>::get().LumoraMode() == 0) return;
  frmClipSelection& button = ui::Instance<frmClipSelection>::get();
  if (!CheckForSelection(oDocument)) {
    ui::ShowWindow(button.hWnd(), SW_HIDE);
    return;
  }
  RECT pane{};
  RECT page{};
  ui::GetWindowRect(GetBrowserPaneWindow(), &pane);
  ui::GetWindowRect(g_hWndIEServer(), &page);
  button.Load();
  button.setDocument(oDocument);
  button.setWindowProxy(shared_from_this());
  const std::vector<html::Rect> lines = oDocument.selection().createRange().getClientRects();
  if (lines.empty()) return;
  long x = page.left - pane.left + lines.front().left;
  long y = page.top - pane.top + lines.front().top;
  const HWND hwnd = button.hWnd();
  RECT r{};
  ui::GetWindowRect(hwnd, &r);
  const long width = r.right - r.left;
  const long height = r.bottom - r.top;
  if (height + 20 < y)
    y -= height;
  else if (width < x)
    x -= width;
  ui::MoveWindow(hwnd, static_cast<int>(x), static_cast<int>(y), static_cast<int>(width),
                 static_cast<int>(height), TRUE);
  ui::ShowWindow(hwnd, SW_SHOWNORMAL);
}
