#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/frmDoneClipping.h"
#include "dialogs/frmPleaseClipSomething.h"
#include "page/SharedReferences.h"
#include "toolbar/toolbar_fixture.h"

namespace {

using testing_support::placeOf;

struct ClipBarTest : ToolbarFixture {
  std::int32_t savedCount = g_ClippedCharCount();

  void SetUp() override {
    ToolbarFixture::SetUp();
    ASSERT_TRUE(window->Load(pageUrl("left.html")));
    CalcPopLimit();
    bar().ShowClipBar();
  }
  void TearDown() override {
    ui::Instance<frmDoneClipping>::Unload();
    ui::Instance<frmPleaseClipSomething>::Unload();
    ui::Instance<frmClipBar>::Unload();
    g_ClippedCharCount() = savedCount;
    ToolbarFixture::TearDown();
  }
  // Clicks Done Clipping on a bar counting the clip as it is now; check runs inside the modal
  // loop of the form the click opens.
  void doneClipping(const std::function<void()>& check) {
    CalcPopLimit();
    bar().ShowClipBar();
    bool seen = false;
    later([&] { seen = true, check(); });
    click(bar(), bar().imgDoneClipping);
    EXPECT_TRUE(seen) << "no modal loop ran";
  }
  static long widthOf(const ui::Label& label) {
    return ui::MeasureText(label.font(), label.caption()).cx;
  }
};

TEST_F(ClipBarTest, TheBarCoversThePageTopAndItsContentStartsWhereTheWidthSays) {
  const struct {
    const char* what;
    long pageWidth, barWidth, x0;
    bool body;
  } cases[] = {
      {"a page without a body gets 800 whatever the width", 1000, 800, 5, false},
      {"a page area of 816 starts at 5", 816, 816, 5, true},
      {"a page area of 817 is centred, 3.5 going to 4", 817, 817, 4, true},
      {"a page area of 1000 starts at 95", 1000, 1000, 95, true},
      {"a page area of 1001 takes 95.5 to 96", 1001, 1001, 96, true},
      {"a page area of 1003 takes 96.5 to 96, the even neighbour", 1003, 1003, 96, true},
      {"a page area of 1280 starts at 235", 1280, 1280, 235, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(window->Load(pageUrl("left.html")));
    window->ResizePage(c.pageWidth, 600);
    html::Document doc = window->page().webBrowser().Document().html();
    if (!c.body) doc.documentElement().removeChild(doc.body());
    CalcPopLimit();
    bar().ShowClipBar();
    EXPECT_EQ(placeOf(bar().hWnd(), window->paneWindow()), (std::array{0L, 0L, c.barWidth, 36L}));
    EXPECT_TRUE(ui::IsWindowVisible(bar().hWnd()));
    EXPECT_EQ(ui::GetParent(bar().hWnd()), window->paneWindow());
    EXPECT_EQ(ui::GetWindowLongPtr(bar().hWnd(), GWL_STYLE) & (WS_CHILD | WS_POPUP), WS_CHILD);
    EXPECT_EQ(bar().imgBackground.Width, c.barWidth);

    const long button = c.x0 + 220 + 10;
    const long count = button + 220 + 18;
    const long help = count + widthOf(bar().lblCharsRemaining) +
                      widthOf(bar().lblCharsRemaingingText) + widthOf(bar().lblPublishingLimit) +
                      24;
    const std::pair<const ui::Control*, std::array<long, 2>> places[] = {
        {&bar().imgTagline, {c.x0, 3}},
        {&bar().imgDoneClipping, {button, 4}},
        {&bar().imgChooseOption, {button, 9}},
        {&bar().lblCharCount, {count, 3}},
        {&bar().lblCharactersClipped, {count + widthOf(bar().lblCharCount), 3}},
        {&bar().lblCharsRemaining, {count, 16}},
        {&bar().lblCharsRemaingingText, {count + widthOf(bar().lblCharsRemaining), 16}},
        {&bar().lblPublishingLimit, {help - 24 - widthOf(bar().lblPublishingLimit), 16}},
        {&bar().lblHelp, {help, 9}},
        {&bar().lblCancel, {help + widthOf(bar().lblHelp) + 10, 9}}};
    for (const auto& p : places)
      EXPECT_EQ((std::array{p.first->Left, p.first->Top}), p.second) << "control " << &p - places;
  }
}

TEST_F(ClipBarTest, TheCountShowsItsDistanceToTheLimitIsKeptWholeAndTheRowsFollowItsWidth) {
  const auto x = [](std::size_t n) { return std::string(n, 'x'); };
  const struct {
    const char* what;
    std::vector<std::string> clips;
    std::string count, remaining, text;
    bool unclip = false;  // the first clip is taken out again after a count
  } cases[] = {
      {"exactly the limit is within it", {x(1000)}, "1000", "0", " to "},
      {"one past the limit is over by one", {x(600), x(401)}, "1001", "1", " OVER "},
      {"no clip document counts nothing", {}, "0", "1000", " to "},
      {"a clip past 16 bits keeps its count", {x(40000)}, "40000", "39000", " OVER "},
      {"an escaped character counts as written", {"<b>&lt;</b>"}, "4", "996", " to "},
      {"tags and white space count nothing", {"<p> <br/>\n\t</p>"}, "0", "1000", " to "},
      {"removing the last clip counts nothing", {"<p>gone</p>"}, "0", "1000", " to ", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    g_ClipXML() = xml::Document();
    if (!c.clips.empty()) clipText(c.clips);
    g_ClippedCharCount() = -1;
    CalcPopLimit();
    if (c.unclip) {
      g_ClipXML().documentElement().removeChild(g_ClipXML().documentElement().firstChild());
      CalcPopLimit();
    }
    EXPECT_EQ((std::array{bar().lblCharCount.caption(), bar().lblCharsRemaining.caption(),
                          bar().lblCharsRemaingingText.caption()}),
              (std::array{c.count, c.remaining, c.text}));
    EXPECT_EQ(g_ClippedCharCount(), std::stol(c.count));
    // The layout followed the new texts: " OVER " widens the second row.
    EXPECT_EQ((std::array{bar().lblPublishingLimit.Left, bar().lblCharactersClipped.Left}),
              (std::array{bar().lblCharsRemaingingText.Left + widthOf(bar().lblCharsRemaingingText),
                          bar().lblCharCount.Left + widthOf(bar().lblCharCount)}));
  }
}

TEST_F(ClipBarTest, DoneClippingOnAnEmptyClipShowsOnlyThePromptCentredOnTheBar) {
  for (const bool document : {false, true}) {
    SCOPED_TRACE(document ? "a clip document with no clip" : "no clip document");
    g_ClipXML() = xml::Document();
    if (document) InitClipXML();
    doneClipping([&] {
      frmPleaseClipSomething& prompt = ui::Instance<frmPleaseClipSomething>::get();
      EXPECT_TRUE(ui::IsWindowVisible(prompt.hWnd()));
      EXPECT_FALSE(ui::IsWindowEnabled(bar().hWnd())) << "the bar waits for the prompt";
      const auto r = placeOf(prompt.hWnd()), o = placeOf(bar().hWnd());  // centred on the bar
      EXPECT_EQ((std::array{r[2], r[3], (2 * r[0] + r[2]) / 2, (2 * r[1] + r[3]) / 2}),
                (std::array{318L, 360L, (2 * o[0] + o[2]) / 2, (2 * o[1] + o[3]) / 2}));
      EXPECT_EQ(ui::GetWindowLongPtr(prompt.hWnd(), GWLP_HWNDPARENT),
                reinterpret_cast<LONG_PTR>(bar().hWnd()));
      EXPECT_EQ(prompt.OKButton.formRect().left, 224);
      click(prompt, prompt.OKButton);
    });
    EXPECT_FALSE(ui::Instance<frmPleaseClipSomething>::exists()) << "OK unloads it";
    EXPECT_FALSE(ui::Instance<frmDoneClipping>::exists());
    EXPECT_TRUE(ui::IsWindowEnabled(bar().hWnd()));
  }
}

TEST_F(ClipBarTest, DoneClippingDropsTheDialogUnderTheButtonWhileTheFlagIsSet) {
  window->ResizePage(1000, 600);
  clipText({"<p>kept</p>"});
  doneClipping([&] {
    ASSERT_TRUE(ui::Instance<frmDoneClipping>::exists());
    frmDoneClipping& dialog = ui::Instance<frmDoneClipping>::get();
    EXPECT_EQ(placeOf(dialog.hWnd(), bar().hWnd()), (std::array{95L + 230, 4L + 28, 359L, 239L}));
    EXPECT_EQ(dialog.Left(), placeOf(dialog.hWnd())[0] * 15);
    EXPECT_EQ(g_bDoneClippingOpen(), VARIANT_TRUE);
    EXPECT_FALSE(bar().imgDoneClipping.Visible);
    EXPECT_TRUE(bar().imgChooseOption.Visible);
    EXPECT_FALSE(ui::Instance<frmPleaseClipSomething>::exists());
    ui::Instance<frmDoneClipping>::Unload();
  });
  EXPECT_EQ(g_bDoneClippingOpen(), VARIANT_FALSE);
  EXPECT_TRUE(bar().imgDoneClipping.Visible);
  EXPECT_FALSE(bar().imgChooseOption.Visible);
}

TEST_F(ClipBarTest, TheLinksOpenTheirServicePagesInNewWindows) {
  frmPleaseClipSomething& prompt = ui::Instance<frmPleaseClipSomething>::get();
  const struct {
    const char* what;
    ui::Form& form;
    const ui::Control& control;
    std::string path;
    bool bars;
    long width, height;
  } cases[] = {
      {"Help", bar(), bar().lblHelp, "/how-to-clip/", true, 1024, 768},
      {"the sharing limit", bar(), bar().lblPublishingLimit, "/publishing-limit/", false, 395, 470},
      {"the prompt's picture", prompt, prompt.imgMessage, "/how-to-clip/", true, 1024, 768},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<browser::WebBrowser> before = browser::ShellWindows();
    click(c.form, c.control);
    std::vector<browser::WebBrowser> opened = browser::ShellWindows();
    std::erase_if(opened, [&](const auto& w) {
      return std::ranges::any_of(before, [&](const auto& b) { return w.is(b); });
    });
    ASSERT_EQ(opened.size(), 1u);
    browser::WebBrowser& ie = opened.front();
    EXPECT_EQ((std::array{ie.AddressBar(), ie.StatusBar(), ie.Resizable()}),
              (std::array{c.bars, c.bars, true}));
    EXPECT_EQ((std::array{ie.Width(), ie.Height()}), (std::array{c.width, c.height}));
    EXPECT_TRUE(waitFor([&] { return ie.LocationURL() == ServiceAddress(Service().web, c.path); }));
    ie.Quit();
  }
  EXPECT_TRUE(prompt.isLoaded()) << "the prompt stays open";
}

TEST_F(ClipBarTest, ThePointerOverTheBarRaisesItAboveThePage) {
  ui::BringWindowToTop(window->pageWindow());
  RECT r{};
  ui::GetWindowRect(bar().hWnd(), &r);
  const POINT inside{r.left + 400, r.top + 10};
  ASSERT_EQ(ui::WindowFromPoint(inside), window->pageWindow());
  ui::SendMessage(bar().hWnd(), WM_MOUSEMOVE, 0, (10 << 16) | 400);
  EXPECT_EQ(ui::WindowFromPoint(inside), bar().hWnd());
}

}  // namespace
