#include <gtest/gtest.h>

#include "page/SharedReferences.h"
#include "runtime/implementation.h"
#include "toolbar_fixture.h"

namespace {

struct LumoraModeTest : ToolbarFixture {
  // Clicks the clip button's picture that is shown, as the mouse does, once the band is laid out.
  static void clickClipButton() {
    ASSERT_TRUE(waitFor([] { return !form().tmrLoad.Enabled(); }));
    click(form(), form().imgClipIt[form().imgClipIt[0].Visible ? 0 : 1]);
  }
  // The mode, the pictures of the clip button shown, and whether the bar is.
  static std::string state() {
    const bool bar = ui::Instance<frmClipBar>::exists() &&
                     ui::Instance<frmClipBar>::get().isLoaded() &&
                     ui::IsWindowVisible(ToolbarFixture::bar().hWnd());
    return "mode " + std::to_string(form().LumoraMode()) +
           (form().imgClipIt[0].Visible ? " normal" : "") +
           (form().imgClipIt[1].Visible ? " active" : "") + (bar ? " bar" : "");
  }
  html::Document page() const { return window->page().webBrowser().Document().html(); }
};

TEST_F(LumoraModeTest, AClickBeforeAnyPageHasLoadedLeavesClippingOff) {
  clickClipButton();
  EXPECT_EQ(state(), "mode 0 normal");
}

TEST_F(LumoraModeTest, OnCountsAndShowsTheBarAndOffTearsDownWhatClippingLeft) {
  ASSERT_TRUE(window->Load(pageUrl("clipping.html")));
  clipText({"<p>Hello</p>"});
  clickClipButton();
  ASSERT_EQ(state(), "mode 1 active bar");
  EXPECT_EQ(bar().lblCharCount.caption(), "5");

  window->ResizePage(700, 500);
  EXPECT_EQ(bar().imgTagline.Left, 5) << "the page's resize lays it out";

  // Clipping on twice recounts and shows the bar again.
  clipText({"<b>12345</b>"});
  ui::ShowWindow(bar().hWnd(), SW_HIDE);
  form().setLumoraMode(1);
  EXPECT_EQ(state(), "mode 1 active bar");
  EXPECT_EQ(bar().lblCharCount.caption(), "10");

  html::Element border = page().getElementById("dvLumBorderLeft");
  border.style().setDisplay("block");
  g_BorderLeft() = border;
  g_HighlightElement() = g_CurrentElement() = page().getElementById("main");
  g_ClippedElements().push_back(g_HighlightElement());
  g_ClippedElementCount() = 1;
  g_bContextMenuVisible() = -1;
  clickClipButton();
  EXPECT_EQ(state(), "mode 0 normal");
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
  EXPECT_TRUE(state().starts_with("mode 1 active")) << state();
  const testing_support::Record r = testing_support::readLog(dir.log()).records.at(0);
  EXPECT_EQ(r.at("object") + " " + r.at("routine"), "frmToolband Let LumoraMode()");
  expectedRecords = 1;
  ClearBorderReferences();
  form().setLumoraMode(0);
}

}  // namespace
