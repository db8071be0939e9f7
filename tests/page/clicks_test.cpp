#include <gtest/gtest.h>

#include <array>
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
  // Over 408 x 86 the picture has its natural size: a click can hit it.
  byId("box").style().setWidth("400px");
  byId("box").style().setHeight("80px");
  for (const char* target : {"LumoraOverlayChild", "LumoraElementOverlay"}) {
    SCOPED_TRACE(std::string("a click on ") + target);
    ASSERT_TRUE(clipObject(byId("box")));
    const html::Rect r = g_ElementOverlays()[1].getBoundingClientRect();
    const Spot at = target == std::string("LumoraOverlayChild") ? middleOf(byId(target))
                                                                : Spot{r.right - 3, r.bottom - 3};
    headless::pointer::move(doc, at.x, at.y);
    ASSERT_EQ(doc.elementFromPoint(at.x, at.y).id(), target);
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

// The menu is 102 x 169 and opens at the cursor unless the desktop's edge would cut it; the next
// right click closes it. Neither is ever the browser's own right click, unless out of clipping
// mode.
TEST_F(ClicksTest, RightClicksOpenTheMenuLeftOfOrAboveTheCursorNearTheDesktopsEdgeAndCloseIt) {
  const std::array<long, 4> desktop = testing_support::placeOf(ui::GetDesktopWindow());
  const long right = desktop[0] + desktop[2], bottom = desktop[1] + desktop[3];
  struct Case {
    Spot cursor;
    Spot menu;  // its top-left corner
  };
  const Case cases[] = {{{100, 100}, {100, 100}},
                        {{right - 102, 100}, {right - 102, 100}},
                        {{right - 101, 100}, {right - 203, 100}},
                        {{100, bottom - 169}, {100, bottom - 169}},
                        {{100, bottom - 168}, {100, bottom - 337}},
                        {{right - 50, bottom - 50}, {right - 152, bottom - 219}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.cursor.x) + "," + std::to_string(c.cursor.y));
    hover(byId("text"));
    ui::SetCursorPos(static_cast<int>(c.cursor.x), static_cast<int>(c.cursor.y));
    EXPECT_FALSE(click(headless::pointer::kRight));
    ASSERT_TRUE(menuShown());
    EXPECT_TRUE(g_bContextMenuVisible());
    EXPECT_TRUE(ui::Instance<frmContextMenu>::get().Proxy() == proxy);
    const HWND menu = ui::Instance<frmContextMenu>::get().hWnd();
    EXPECT_EQ(testing_support::placeOf(menu), (std::array<long, 4>{c.menu.x, c.menu.y, 102, 169}));
    EXPECT_TRUE(ui::GetWindowLongPtr(menu, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(click(headless::pointer::kRight));
    EXPECT_FALSE(menuShown());
    EXPECT_FALSE(g_bContextMenuVisible());
  }
  ui::Instance<frmToolband>::get().bLumoraMode = 0;
  EXPECT_TRUE(click(headless::pointer::kRight)) << "out of clipping mode the browser's own";
  EXPECT_FALSE(menuShown());
}

// The button (34 x 23) goes above the selection's first line when there is room above it
// (y > 43), else left of it when there is room (x > 34), else onto it; pane coordinates.
TEST_F(ClicksTest, ASelectionBringsTheButtonAboveItOrLeftOfIt) {
  [[maybe_unused]] const auto [dx, dy, width, height] =
      testing_support::placeOf(window->pageWindow(), window->paneWindow());
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
    EXPECT_EQ(testing_support::placeOf(hwnd, window->paneWindow()),
              (std::array<long, 4>{dx + line.left + c.moveX, dy + line.top + c.moveY, 34, 23}));
    headless::pointer::press(doc);
    headless::pointer::release(doc);
    EXPECT_FALSE(ui::IsWindowVisible(hwnd)) << "the selection has gone";
  }
}

}  // namespace
