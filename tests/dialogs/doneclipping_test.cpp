#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/frmDoneClipping.h"
#include "dialogs/frmOverLimit.h"
#include "dialogs/frmOverLimitBlog.h"
#include "headless/painting.h"
#include "page/SharedReferences.h"
#include "toolbar/toolbar_fixture.h"

namespace {

using testing_support::placeOf;

constexpr COLORREF kWhite = RGB(255, 255, 255);

struct DoneClippingTest : ToolbarFixture {
  ui::Picture handCursor = g_picHandCursor();

  void SetUp() override {
    ToolbarFixture::SetUp();
    ASSERT_TRUE(window->Load(pageUrl("left.html")));
    bar().ShowClipBar();
  }
  void TearDown() override {
    ui::Instance<frmOverLimit>::Unload();
    ui::Instance<frmOverLimitBlog>::Unload();
    ui::Instance<frmDoneClipping>::Unload();
    ui::Instance<frmClipBar>::Unload();
    g_picHandCursor() = handCursor;
    ToolbarFixture::TearDown();
  }
  static frmDoneClipping& dialog() { return ui::Instance<frmDoneClipping>::get(); }
  static std::array<long, 2> at(const ui::Control& c) { return {c.Left, c.Top}; }
};

TEST_F(DoneClippingTest, EachRowStartsEightUnderThePictureAboveIt) {
  const struct {
    const char* what;
    std::function<void(frmDoneClipping&)> resize;
    std::array<long, 4> buttons, dividers;
    long cancel;
  } cases[] = {
      {"the design's pictures",
       [](frmDoneClipping&) {},
       {15, 65, 115, 165},
       {55, 105, 155, 205},
       212},
      {"a taller save button moves every row below it",
       [](frmDoneClipping& d) { d.imgSave.Height = 40; },
       {15, 73, 123, 173},
       {63, 113, 163, 213},
       220},
      {"a taller second divider moves only what is below it",
       [](frmDoneClipping& d) { d.imgDivider[1].Height = 6; },
       {15, 65, 119, 169},
       {55, 105, 159, 209},
       216},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.resize(dialog());
    dialog().Load();
    frmDoneClipping& d = dialog();
    const ui::Image* buttons[] = {&d.imgSave, &d.imgEmail, &d.imgBlog, &d.imgPrint};
    const ui::Label* captions[] = {&d.lblSave, &d.lblEmail, &d.lblBlog, &d.lblPrint};
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(at(*buttons[i]), (std::array{14L, c.buttons[i]})) << "button " << i;
      EXPECT_EQ(at(*captions[i]), (std::array{139L, c.buttons[i] + (i == 0 ? 1 : 10)}))
          << "caption " << i;
      EXPECT_EQ(at(d.imgDivider[i]), (std::array{8L, c.dividers[i]})) << "divider " << i;
    }
    EXPECT_EQ(at(d.lblCancel), (std::array{305L, c.cancel}));
    ui::Instance<frmDoneClipping>::Unload();
  }
}

TEST_F(DoneClippingTest, TheDialogIsDarkGreenInAWhiteFrame) {
  const HWND hwnd = dialog().hWnd();
  EXPECT_EQ(placeOf(hwnd)[2], 359);
  ui::InvalidateRect(hwnd);
  const std::vector<ui::PaintItem> items = headless::PaintedItems(hwnd);
  ASSERT_FALSE(items.empty());
  const auto fill = [](const ui::PaintItem& item) {
    const auto* text = std::get_if<ui::TextItem>(&item.content);
    return text && text->opaque && text->text.empty() ? text->backColor : COLORREF(-1);
  };
  EXPECT_EQ(fill(items.front()), RGB(68, 126, 0));
  EXPECT_EQ(placeOf(hwnd)[3], items.front().rect.bottom);
  std::vector<std::array<LONG, 4>> lines;
  for (const ui::PaintItem& item : items)
    if (fill(item) == kWhite)
      lines.push_back({item.rect.left, item.rect.top, item.rect.right, item.rect.bottom});
  EXPECT_EQ(lines, (std::vector<std::array<LONG, 4>>{
                       {3, 3, 356, 4}, {3, 3, 4, 236}, {3, 235, 356, 236}, {355, 3, 356, 236}}));
}

TEST_F(DoneClippingTest, TheCaptionsAreBoldWhiteArialAndTheSaveOneWrapsWithinItsWidth) {
  frmDoneClipping& d = dialog();
  const ui::FontSpec caption{"Arial", 8.25, true, false};
  const struct {
    const ui::Label& label;
    std::string text;
    ui::FontSpec font;
  } cases[] = {
      {d.lblSave,
       "Post this clip to Facebook, MySpace, " + Service().domainCaption + " or any other site.",
       caption},
      {d.lblEmail, "Sure beats copy and paste.", caption},
      {d.lblBlog, "Post this clip directly to your blog.", caption},
      {d.lblPrint, "Only print what you need. Save trees!", caption},
      {d.lblCancel, "cancel", {"Arial", 9, true, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.label.caption(), c.text);
    EXPECT_TRUE(c.label.font() == c.font);
    EXPECT_EQ(c.label.ForeColor, kWhite);
  }
  const std::vector<std::string> lines = d.lblSave.lines();
  ASSERT_EQ(lines.size(), 2u);
  for (const std::string& line : lines)
    EXPECT_LE(ui::MeasureText(d.lblSave.font(), line).cx, 202) << line;
  EXPECT_EQ(lines[0] + " " + lines[1], d.lblSave.caption());
  EXPECT_EQ(d.lblSave.Height, 2 * ui::MeasureText(d.lblSave.font(), lines[0]).cy);
}

TEST_F(DoneClippingTest, TheButtonsAndCancelTakeTheHandCursorOnlyWhenThereIsOne) {
  for (const bool hand : {false, true}) {
    SCOPED_TRACE(hand ? "a hand cursor" : "no hand cursor");
    g_picHandCursor() = hand ? ui::LoadArt("done_save") : ui::Picture();
    frmDoneClipping& d = dialog();
    d.Load();
    for (const ui::Control* c : std::initializer_list<const ui::Control*>{
             &d.imgSave, &d.imgEmail, &d.imgBlog, &d.imgPrint, &d.lblCancel})
      EXPECT_EQ(c->MousePointer, hand ? ui::vbCustom : ui::vbDefault);
    EXPECT_EQ(d.lblSave.MousePointer, ui::vbDefault);
    ui::Instance<frmDoneClipping>::Unload();
  }
}

// The buttons reach the dialog's unload through the toolbar's TagIt, cancel directly.
TEST_F(DoneClippingTest, EveryWayOutUnloadsTheDialogAndEachButtonHandsOnItsChoice) {
  using Pick = ui::Control& (*)(frmDoneClipping&);
  const std::tuple<const char*, Pick, std::array<VARIANT_BOOL, 3>> ways[] = {
      {"save", [](frmDoneClipping& d) -> ui::Control& { return d.imgSave; }, {0, 0, 0}},
      {"e-mail", [](frmDoneClipping& d) -> ui::Control& { return d.imgEmail; }, {0, 0, -1}},
      {"blog", [](frmDoneClipping& d) -> ui::Control& { return d.imgBlog; }, {0, -1, 0}},
      {"print", [](frmDoneClipping& d) -> ui::Control& { return d.imgPrint; }, {-1, 0, 0}},
      {"cancel", [](frmDoneClipping& d) -> ui::Control& { return d.lblCancel; }, {1, 1, 1}},
  };
  for (const auto& [what, control, flags] : ways) {
    SCOPED_TRACE(what);
    bar().ShowClipBar();
    clipText({"<p>clipped</p>"});
    g_ClippedCharCount() = kSharingLimit + 1;  // the choice is kept, not posted
    form().bPrint = form().bBlog = form().bEmail = 1;
    dialog().Load();
    ASSERT_EQ(g_bDoneClippingOpen(), VARIANT_TRUE);
    ASSERT_TRUE(bar().imgChooseOption.Visible);
    later([] {
      ui::Instance<frmOverLimitBlog>::Unload();
      ui::Instance<frmOverLimit>::Unload();
    });
    click(dialog(), control(dialog()));
    EXPECT_FALSE(ui::Instance<frmDoneClipping>::exists());
    EXPECT_EQ(g_bDoneClippingOpen(), VARIANT_FALSE);
    EXPECT_TRUE(bar().imgDoneClipping.Visible);
    EXPECT_FALSE(bar().imgChooseOption.Visible);
    EXPECT_EQ((std::array{form().bPrint, form().bBlog, form().bEmail}), flags);
    testing_support::pumpFor(std::chrono::milliseconds(20));
  }
}

template <class F>
struct OverLimitCase {
  const char* title;
  std::array<long, 2> size;
  long pageHeight;
  std::string path, pageTitle;
  std::vector<std::pair<ui::CommandButton F::*, std::array<long, 2>>> buttons;
};

// Shows the dialog owned by the bar, checks it, and leaves it with the given button.
template <class F>
void checkOverLimit(ui::Form& owner, const OverLimitCase<F>& c, ui::CommandButton F::*leave) {
  F& d = ui::Instance<F>::get();
  d.Load();
  const HWND hwnd = d.hWnd();
  EXPECT_EQ(headless::WindowTitle(hwnd), c.title);
  EXPECT_EQ((std::array{placeOf(hwnd)[2], placeOf(hwnd)[3]}), c.size);
  EXPECT_EQ((std::array{d.wbOverLimit.Left, d.wbOverLimit.Top, d.wbOverLimit.Width,
                        d.wbOverLimit.Height}),
            (std::array{8L, 8L, 300L, c.pageHeight}));
  for (const auto& [button, place] : c.buttons)
    EXPECT_EQ(
        (std::array{(d.*button).Left, (d.*button).Top, (d.*button).Width, (d.*button).Height}),
        (std::array{place[0], place[1], 81L, 25L}));
  const std::string address = ServiceAddress(Service().content, c.path);
  EXPECT_EQ(d.wbOverLimit.address(), address);
  const browser::WebBrowser page = d.wbOverLimit.window();
  EXPECT_TRUE(waitFor([&] { return page.LocationName() == c.pageTitle; })) << page.LocationName();
  EXPECT_EQ(page.LocationURL(), address);
  EXPECT_NE(page.Document().html().body().innerText().find("1000 characters"), std::string::npos);
  const HWND control = page.hwnd();
  EXPECT_EQ(ui::GetParent(control), hwnd) << "the page is shown in the dialog";
  EXPECT_EQ(placeOf(control, hwnd), (std::array{8L, 8L, 300L, c.pageHeight}));

  // Centred on its owner while it runs modally; the button ends the modal loop.
  ui::Timer check(owner);
  check.Interval = 1;
  check.OnTimer = [&] {
    check.setEnabled(false);
    const auto r = placeOf(hwnd), o = placeOf(owner.hWnd());
    EXPECT_EQ((std::array{(2 * r[0] + r[2]) / 2, (2 * r[1] + r[3]) / 2}),
              (std::array{(2 * o[0] + o[2]) / 2, (2 * o[1] + o[3]) / 2}));
    ToolbarFixture::click(d, d.*leave);
  };
  check.setEnabled(true);
  d.Show(ui::vbModal, &owner);
  EXPECT_FALSE(ui::Instance<F>::exists());
  EXPECT_FALSE(ui::IsWindow(control)) << "the page goes with the dialog";
  EXPECT_EQ(testing_support::raised([&] { page.LocationURL(); }), headless::kDisconnected);
}

TEST_F(DoneClippingTest, TheSharingLimitDialogShowsItsPageAndEditClipClosesIt) {
  const OverLimitCase<frmOverLimit> c{
      "Folverra sharing limit",
      {322, 404},
      331,
      "/overlimit_image.htm",
      "Over the limit",
      {{&frmOverLimit::cmdSave, {130, 344}}, {&frmOverLimit::cmdCancel, {224, 344}}}};
  EXPECT_EQ(ui::Instance<frmOverLimit>::get().cmdSave.Caption, "Save Privately");
  EXPECT_EQ(ui::Instance<frmOverLimit>::get().cmdCancel.Caption, "Edit Clip");
  ui::Instance<frmOverLimit>::Unload();
  // Save Privately posts: the exchange's tests follow it to the page it opens.
  checkOverLimit<frmOverLimit>(bar(), c, &frmOverLimit::cmdCancel);
}

TEST_F(DoneClippingTest, TheBlogLimitDialogShowsItsPageAndOnlyEditClip) {
  const OverLimitCase<frmOverLimitBlog> c{"Over Clip-to-Blog Limit",
                                          {322, 364},
                                          291,
                                          "/overlimit_image_blog.htm",
                                          "Over the blog limit",
                                          {{&frmOverLimitBlog::cmdCancel, {224, 304}}}};
  checkOverLimit<frmOverLimitBlog>(bar(), c, &frmOverLimitBlog::cmdCancel);
}

}  // namespace
