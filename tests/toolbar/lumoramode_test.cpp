#include <gtest/gtest.h>

#include "clip/mdlClip.h"
#include "dialogs/frmClipBar.h"
#include "page/SharedReferences.h"
#include "runtime/implementation.h"
#include "toolbar_fixture.h"

namespace {

struct LumoraModeTest : ToolbarFixture {
  xml::Document savedClip = std::exchange(g_ClipXML(), xml::Document());
  ~LumoraModeTest() override { g_ClipXML() = savedClip; }

  // Clicks the clip button's picture that is shown, as the mouse does, once the band is laid out.
  static void clickClipButton() {
    ASSERT_TRUE(waitFor([] { return !form().tmrLoad.Enabled(); }));
    const ui::Image& shown = form().imgClipIt[form().imgClipIt[0].Visible ? 0 : 1];
    const RECT r = shown.formRect();
    const LPARAM at = (static_cast<LPARAM>(r.top + 1) << 16) | (r.left + 1);
    ui::SendMessage(form().hWnd(), WM_LBUTTONDOWN, 0, at);
    ui::SendMessage(form().hWnd(), WM_LBUTTONUP, 0, at);
  }
  static bool barShown() {
    return ui::Instance<frmClipBar>::exists() && ui::Instance<frmClipBar>::get().isLoaded() &&
           ui::IsWindowVisible(ui::Instance<frmClipBar>::get().hWnd());
  }
  static void textClip(const std::string& markup) {
    InitClipXML();
    xml::Node frame = g_ClipXML().createElement("frame");
    frame.setAttribute("type", "IHTMLTxtRange");
    frame.appendChild(g_ClipXML().createElement("content"))
        .appendChild(g_ClipXML().createCDATASection(markup));
    g_ClipXML().documentElement().appendChild(frame);
  }
  html::Document page() const { return window->page().webBrowser().Document().html(); }
  void expectButton(int shown) const {
    EXPECT_TRUE(form().imgClipIt[shown].Visible);
    EXPECT_FALSE(form().imgClipIt[1 - shown].Visible);
  }
};

TEST_F(LumoraModeTest, AClickBeforeAnyPageHasLoadedLeavesClippingOff) {
  clickClipButton();
  EXPECT_EQ(form().LumoraMode(), 0);
  expectButton(0);
  EXPECT_FALSE(barShown());
}

TEST_F(LumoraModeTest, OnCountsAndShowsTheBarAndOffTearsDownWhatClippingLeft) {
  ASSERT_TRUE(window->Load(pageUrl("clipping.html")));
  textClip("<p>Hello</p>");
  clickClipButton();
  ASSERT_EQ(form().LumoraMode(), 1);
  expectButton(1);
  EXPECT_TRUE(barShown());
  EXPECT_EQ(ui::Instance<frmClipBar>::get().lblCharCount.caption(), "5");

  window->ResizePage(700, 500);
  EXPECT_EQ(ui::Instance<frmClipBar>::get().imgTagline.Left, 5) << "the page's resize lays it out";

  // Clipping on twice recounts and shows the bar again.
  textClip("<b>12345</b>");
  ui::ShowWindow(ui::Instance<frmClipBar>::get().hWnd(), SW_HIDE);
  form().setLumoraMode(1);
  EXPECT_TRUE(barShown());
  EXPECT_EQ(ui::Instance<frmClipBar>::get().lblCharCount.caption(), "10");

  html::Element border = page().getElementById("dvLumBorderLeft");
  border.style().setDisplay("block");
  g_BorderLeft() = border;
  g_HighlightElement() = g_CurrentElement() = page().getElementById("main");
  g_ClippedElements().push_back(g_HighlightElement());
  g_ClippedElementCount() = 1;
  g_bContextMenuVisible() = -1;
  clickClipButton();
  EXPECT_EQ(form().LumoraMode(), 0);
  expectButton(0);
  EXPECT_FALSE(barShown());
  EXPECT_TRUE(g_ClipXML().isNothing()) << "the clip not yet sent is dropped";
  EXPECT_EQ(g_ClippedElementCount(), 0);
  EXPECT_EQ(g_bContextMenuVisible(), 0);
  EXPECT_EQ(border.style().display(), "none");
  EXPECT_TRUE(g_BorderLeft().is(border)) << "the border references are kept";
  EXPECT_TRUE(g_HighlightElement().isNothing());
  EXPECT_TRUE(g_CurrentElement().isNothing());
  ClearBorderReferences();
}

TEST_F(LumoraModeTest, AFailureOnTheWayOffIsReportedAndKeepsTheModeOn) {
  ASSERT_TRUE(window->Load(pageUrl("clipping.html")));
  clickClipButton();
  ASSERT_EQ(form().LumoraMode(), 1);
  // A border reference the page no longer answers as an element.
  const html::Node text = page().getElementById("main").childNodes().front().childNodes().front();
  g_BorderLeft() = html::Element(platform::implementation(text));
  clickClipButton();
  EXPECT_EQ(form().LumoraMode(), 1);
  expectButton(1);
  const auto log = testing_support::readLog(dir.log());
  ASSERT_EQ(log.records.size(), 1u);
  EXPECT_EQ(log.records[0].at("object"), "frmToolband");
  EXPECT_EQ(log.records[0].at("routine"), "Let LumoraMode()");
  expectedRecords = 1;
  ClearBorderReferences();
  form().setLumoraMode(0);
}

}  // namespace
