#include <gtest/gtest.h>

#include <string>

#include "clipping_page.h"

namespace {

struct ClicksTest : ClippingPage {
  bool menuShown() const {
    return ui::Instance<frmContextMenu>::exists() &&
           ui::IsWindowVisible(ui::Instance<frmContextMenu>::get().hWnd());
  }
  std::string lastPath() const {
    const xml::Node path = frames().back().selectSingleNode("path");
    return path ? path.text() : "(none)";
  }
};

TEST_F(ClicksTest, AClickOnTheFramedElementClipsItWithItsPath) {
  const html::Element para = byId("main").allTags("P").at(1);
  hover(para);
  ASSERT_TRUE(g_CurrentElement().is(para));
  EXPECT_FALSE(click()) << "the page does nothing more with the click";
  ASSERT_EQ(frames().size(), 1u);
  EXPECT_EQ(lastPath(), "ELEMENT-ID[main]/DIV[2]/P[1]/");
  EXPECT_FALSE(g_CurrentElement()) << "the frame goes";
  EXPECT_EQ(byId("dvLumBorderLeft").style().display(), "none");

  hover(byId("text"));  // the menu widens a shown frame up to the body
  VARIANT_BOOL column = 0;
  proxy->LumoraElement(doc.body(), column);
  EXPECT_EQ(byId("dvLumBorderTop").style().display(), "none");
  EXPECT_EQ(lastPath(), "BODY");
  EXPECT_EQ(frames().size(), 1u) << "the body takes the paragraph's place";
}

// What a click on something other than a framed element does.
TEST_F(ClicksTest, ClicksThatDoNotClip) {
  struct Case {
    const char* name;
    void (*before)(ClicksTest&);
  };
  const Case cases[] = {
      {"the context menu is open: the click only closes it",
       [](ClicksTest& t) {
         t.hover(t.byId("text"));
         t.click(headless::pointer::kRight);
         ASSERT_TRUE(t.menuShown());
       }},
      {"the click falls on the vertical scroll bar",
       [](ClicksTest& t) {
         headless::pointer::move(t.doc, t.doc.body().clientWidth() + 1, 30);
         g_CurrentElement() = t.byId("box");
       }},
      {"the click ends a selection drag",
       [](ClicksTest& t) {
         t.hover(t.byId("more"));
         headless::pointer::press(t.doc);
         const Spot at = t.middleOf(t.byId("more"));
         headless::pointer::move(t.doc, at.x + 3, at.y);
         ASSERT_TRUE(t.proxy->SelectStart);
       }},
      {"clipping mode is off",
       [](ClicksTest& t) {
         t.hover(t.byId("text"));
         ui::Instance<frmToolband>::get().bLumoraMode = 0;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.before(*this);
    if (HasFatalFailure()) return;
    click();
    EXPECT_TRUE(frames().empty());
    EXPECT_FALSE(menuShown());
    EXPECT_FALSE(g_bContextMenuVisible());
    ui::Instance<frmToolband>::get().bLumoraMode = 1;
  }
  hover(byId("more"));
  click();
  EXPECT_EQ(frames().size(), 1u) << "the next click after each of them clips";
}

TEST_F(ClicksTest, ClickingAnElementClipsMarkUnclipsIt) {
  struct Case {
    const char* name;
    bool picture;  // the picture inside the overlay, or the overlay beside it
  };
  // Over 408 x 86 the picture has its natural size: a click can hit it.
  byId("box").style().setWidth("400px");
  byId("box").style().setHeight("80px");
  for (const Case& c : {Case{"the overlay's picture", true}, Case{"the overlay", false}}) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(clipObject(byId("box")));
    const html::Element overlay = g_ElementOverlays()[1];
    const html::Rect r = overlay.getBoundingClientRect();
    const Spot at =
        c.picture ? middleOf(byId("LumoraOverlayChild")) : Spot{r.right - 3, r.bottom - 3};
    headless::pointer::move(doc, at.x, at.y);
    ASSERT_EQ(doc.elementFromPoint(at.x, at.y).id(),
              c.picture ? "LumoraOverlayChild" : "LumoraElementOverlay");
    EXPECT_FALSE(click());
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(overlaysShown(), 0u);
    EXPECT_EQ(g_ClippedElementCount(), 0);
  }
}

TEST_F(ClicksTest, AClickOnASelectionMarkerUnclipsTheSelectionEvenWithoutItsFrame) {
  for (bool frameGone : {false, true}) {
    SCOPED_TRACE(frameGone ? "frame already gone" : "frame there");
    ASSERT_TRUE(clipObject(rangeOver(byId("text"))));
    ASSERT_EQ(markersShown(), 2u);
    if (frameGone) g_ClipXML().documentElement().removeChild(frames().front());
    g_ClippedCharCount() = 12345;
    html::Element start = doc.getElementsByName("Folverra_SelectionBounds").front();
    start.style().setWidth("8px");  // the size of its picture, which the page does not load
    start.style().setHeight("12px");
    hover(start);
    EXPECT_FALSE(click());
    EXPECT_EQ(markersShown(), 0u);
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(g_ClippedCharCount(), 0) << "counted again";
  }
}

TEST_F(ClicksTest, RightClicksOpenAndCloseTheMenuButNeverTheBrowsers) {
  hover(byId("text"));
  EXPECT_FALSE(click(headless::pointer::kRight));
  ASSERT_TRUE(menuShown());
  EXPECT_TRUE(g_bContextMenuVisible());
  EXPECT_TRUE(ui::Instance<frmContextMenu>::get().Proxy() == proxy);
  EXPECT_FALSE(click(headless::pointer::kRight));
  EXPECT_FALSE(menuShown());
  EXPECT_FALSE(g_bContextMenuVisible());

  ui::Instance<frmToolband>::get().bLumoraMode = 0;
  EXPECT_TRUE(click(headless::pointer::kRight)) << "out of clipping mode the browser's own";
  EXPECT_FALSE(menuShown());
}

// The menu is 102 x 169 and opens at the cursor unless the desktop's edge would cut it.
TEST_F(ClicksTest, NearTheDesktopsEdgeTheMenuOpensLeftOfOrAboveTheCursor) {
  RECT desktop{};
  ui::GetWindowRect(ui::GetDesktopWindow(), &desktop);
  struct Case {
    Spot cursor;
    Spot menu;  // its top-left corner
  };
  const long right = desktop.right;
  const long bottom = desktop.bottom;
  const Case cases[] = {
      {{100, 100}, {100, 100}},
      {{right - 102, 100}, {right - 102, 100}},
      {{right - 101, 100}, {right - 203, 100}},
      {{100, bottom - 169}, {100, bottom - 169}},
      {{100, bottom - 168}, {100, bottom - 337}},
      {{right - 50, bottom - 50}, {right - 152, bottom - 219}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.cursor.x) + "," + std::to_string(c.cursor.y));
    hover(byId("text"));
    ui::SetCursorPos(static_cast<int>(c.cursor.x), static_cast<int>(c.cursor.y));
    click(headless::pointer::kRight);
    ASSERT_TRUE(menuShown());
    RECT r{};
    ui::GetWindowRect(ui::Instance<frmContextMenu>::get().hWnd(), &r);
    EXPECT_EQ(r.left, c.menu.x);
    EXPECT_EQ(r.top, c.menu.y);
    EXPECT_EQ(r.right - r.left, 102);
    EXPECT_EQ(r.bottom - r.top, 169);
    EXPECT_TRUE(ui::GetWindowLongPtr(ui::Instance<frmContextMenu>::get().hWnd(), GWL_EXSTYLE) &
                WS_EX_TOPMOST);
    proxy->HideContextMenu();
  }
}

// The button (34 x 23) goes above the selection's first line when there is room above it
// (y > 43), else left of it when there is room (x > 34), else onto it; pane coordinates.
TEST_F(ClicksTest, ASelectionBringsTheButtonAboveItOrLeftOfIt) {
  RECT pane{}, page{};
  ui::GetWindowRect(window->paneWindow(), &pane);
  ui::GetWindowRect(window->pageWindow(), &page);
  const long dx = page.left - pane.left;
  const long dy = page.top - pane.top;
  struct Case {
    const char* id;
    long x, y;          // where the line starts in the pane; #box is moved there
    long moveX, moveY;  // from there to the button's corner
  };
  const Case cases[] = {{"box", 35, 44, 0, -23},
                        {"box", 35, 43, -34, 0},
                        {"box", 34, 43, 0, 0},
                        {"box", 500, 20, -34, 0},
                        {"text", 0, 0, 0, -23}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.id) + " at " + std::to_string(c.x) + "," + std::to_string(c.y));
    byId("box").style().setLeft(std::to_string(c.x - dx) + "px");
    byId("box").style().setTop(std::to_string(c.y - dy) + "px");
    rangeOver(byId(c.id));
    const HWND hwnd = ui::Instance<frmClipSelection>::get().hWnd();
    ASSERT_TRUE(ui::IsWindowVisible(hwnd));
    EXPECT_TRUE(ui::Instance<frmClipSelection>::get().windowProxy() == proxy);
    EXPECT_TRUE(ui::Instance<frmClipSelection>::get().document().is(doc));
    EXPECT_EQ(ui::GetParent(hwnd), window->paneWindow());
    const html::Rect line = doc.selection().createRange().getClientRects().front();
    RECT at{};
    ui::GetWindowRect(hwnd, &at);
    EXPECT_EQ(at.left - pane.left, dx + line.left + c.moveX);
    EXPECT_EQ(at.top - pane.top, dy + line.top + c.moveY);
    EXPECT_EQ(at.right - at.left, 34);
    EXPECT_EQ(at.bottom - at.top, 23);
    headless::pointer::press(doc);
    headless::pointer::release(doc);
    EXPECT_FALSE(ui::IsWindowVisible(hwnd)) << "the selection has gone";
  }
}

}  // namespace
