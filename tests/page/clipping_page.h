// A page in clipping mode with its proxy attached, for the clip and click tests: whatever the
// test changes of the thread's clip, flags, windows and service hosts is put back.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "band/Configuration.h"
#include "band/band_site.h"
#include "band/mdlCommon.h"
#include "band/mdlToolband.h"
#include "runtime/strings.h"
#include "clip/mdlClip.h"
#include "dialogs/frmClipBar.h"
#include "dialogs/frmClipSelection.h"
#include "dialogs/frmContextMenu.h"
#include "headless/pages.h"
#include "headless/pointer.h"
#include "page/SharedReferences.h"
#include "page_fixture.h"
#include "toolbar/frmToolband.h"

// The paragraph is the first P inside the third DIV of #main. The box is sized per test.
inline constexpr const char* kClippingPage = R"(<html><body>
<div id="main"><div>one</div><div>two</div><div><p>First words</p><p>Last words</p>
</div></div>
<p id="text">Some text to select</p><p id="more">More text here</p>
<table id="grid" width="400"><tr><td id="cell">one</td><td>two</td></tr></table>
<img id="pic" src="pic.png" alt="a picture" width="120" height="40">
<embed id="video" src="movie.swf" width="200" height="120">
<div id="box" style="position:absolute;left:500px;top:20px;width:292px;height:44px">box</div>
<div style="position:absolute;left:0px;top:1500px;width:10px;height:10px"></div>
</body></html>)";

struct ClippingPage : PageFixture {
  testing_support::PageServer server{{{"/page.html", kClippingPage}}};
  ServiceHosts hosts = Service();
  bool hadToolband = ui::Instance<frmToolband>::exists();
  bool hadClipBar = ui::Instance<frmClipBar>::exists();
  std::int16_t mode = std::exchange(ui::Instance<frmToolband>::get().bLumoraMode, 1);
  xml::Document clip = std::exchange(g_ClipXML(), {});
  std::vector<html::Element> elements = std::exchange(g_ClippedElements(), {html::Element()});
  std::vector<html::Element> overlays = std::exchange(g_ElementOverlays(), {html::Element()});
  std::int32_t count = std::exchange(g_ClippedElementCount(), 0);
  std::int32_t chars = g_ClippedCharCount();
  VARIANT_BOOL menu = std::exchange(g_bContextMenuVisible(), 0);
  HWND pane = g_hWndBrowserPane();
  HWND server_ = g_hWndIEServer();
  POINT cursor{};
  std::shared_ptr<WindowProxy> proxy;
  html::Document doc;

  void SetUp() override {
    ui::GetCursorPos(&cursor);
    ReplaceServiceHosts(ServiceHostsAt(server.url("").substr(std::string("http://").size())));
    ASSERT_TRUE(window->Load(server.url("/page.html")));
    g_hWndBrowserPane() = window->paneWindow();
    g_hWndIEServer() = window->pageWindow();
    doc = window->page().webBrowser().Document().html();
    // The clip bar the count is shown on lays itself out over the band's page.
    SetToolbandSite(
        BandSite::Create(window->bandSiteWindow(), window->page().webBrowser().unknown()));
    proxy = WindowProxy::New();
    proxy->SetWindow(window->page().webBrowser());
  }
  void TearDown() override {
    ui::Instance<frmContextMenu>::Unload();
    ui::Instance<frmClipSelection>::Unload();
    SetToolbandSite({});
    if (!hadClipBar) ui::Instance<frmClipBar>::Unload();
    ui::Instance<frmToolband>::get().bLumoraMode = mode;
    if (!hadToolband) ui::Instance<frmToolband>::Unload();
    ClearBorderReferences();
    g_HighlightElement() = g_CurrentElement() = {};
    g_ClipXML() = clip;
    g_ClippedElements() = elements;
    g_ElementOverlays() = overlays;
    g_ClippedElementCount() = count;
    g_ClippedCharCount() = chars;
    g_bContextMenuVisible() = menu;
    g_hWndBrowserPane() = pane;
    g_hWndIEServer() = server_;
    ui::SetCursorPos(cursor.x, cursor.y);
    ReplaceServiceHosts(hosts);
    PageFixture::TearDown();
  }

  html::Element byId(const std::string& id) const { return doc.getElementById(id); }
  // A point in the page's client coordinates.
  struct Spot {
    long x = 0, y = 0;
  };
  // The middle of an element.
  Spot middleOf(const html::Element& element) const {
    const html::Rect r = element.getBoundingClientRect();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // Out of the page, then onto the element: a fresh mouse-over.
  void hover(const html::Element& element) const {
    headless::pointer::move(doc, -1, -1);
    const Spot at = middleOf(element);
    headless::pointer::move(doc, at.x, at.y);
  }
  // Presses and releases where the mouse is; false when the page cancelled the click.
  bool click(long button = headless::pointer::kLeft) const {
    headless::pointer::press(doc, button);
    return headless::pointer::release(doc);
  }
  std::vector<xml::Node> frames() const {
    std::vector<xml::Node> out;
    if (!g_ClipXML()) return out;
    const xml::NodeList list = g_ClipXML().documentElement().childNodes();
    for (long i = 0; i < list.length(); ++i) out.push_back(list.item(i));
    return out;
  }
  std::size_t shown(const char* name) const { return doc.getElementsByName(name).size(); }
  std::size_t overlaysShown() const { return shown("LumoraElementOverlay"); }
  std::size_t markersShown() const { return shown("Folverra_SelectionBounds"); }
  // Clips what the caller picked, as the page's clicks and buttons do.
  xml::Document clipObject(PageObject picked, std::string path = {}, VARIANT_BOOL column = 0) {
    html::Document page = doc;
    return Clip(page, picked, path, column);
  }
  // A text selection over the element's text.
  html::TextRange rangeOver(const html::Element& element) const {
    hover(element);
    const Spot at = middleOf(element);
    headless::pointer::press(doc);
    headless::pointer::move(doc, at.x + 1, at.y);
    headless::pointer::release(doc);
    proxy->setSelectStart(0);
    return doc.selection().createRange();
  }
};
