#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>
#include <variant>
#include <vector>

#include "headless/painting.h"
#include "platform/controls.h"
#include "runtime/controls.h"
#include "runtime/error.h"
#include "runtime/form.h"
#include "support.h"

namespace {

const ui::FontSpec kArial{"Arial", 8.25, false, false};
const ui::FontSpec kArialBold{"Arial", 8.25, true, false};

// A picture with a count over it and a link beside the count; each click is written down.
class Strip : public ui::Form {
 public:
  ui::Image picture{*this};
  ui::Label count{*this};
  ui::Label link{*this};
  std::string clicks;

  Strip() {
    picture.Stretch = true;
    picture.setPicture(ui::LoadArt("clip_button"));
    picture.Width = 200;
    picture.Height = 30;
    picture.Click = [this] { clicks += "picture "; };
    count.Left = 10;
    count.Top = 5;
    count.BackStyle = ui::vbTransparent;
    count.ForeColor = RGB(0, 0, 255);
    count.setFont(kArialBold);
    count.setAutoSize(true);
    count.setCaption("1000");
    count.Click = [this] { clicks += "count "; };
    link.Left = 40;
    link.Top = 5;
    link.setFont({"Arial", 8.25, false, true});
    link.setAutoSize(true);
    link.setCaption("Help");
    link.MousePointer = ui::vbCustom;
    link.MouseIcon = ui::OleCreatePictureIndirect(ui::PICTYPE_ICON, ui::LoadHandCursor(), false);
    link.Click = [this] { clicks += "link "; };
  }

 protected:
  std::string formName() const override { return "LabelStrip"; }
};

LPARAM at(long x, long y) {
  return static_cast<LPARAM>((y << 16) | x);
}

}  // namespace

// GDI's widths, from the font's design advances (units of 2048 to the em, as read from the font
// file): each character's advance is scaled to the 11-pixel em of 8.25 pt (12 for 9 pt) and
// rounded on its own, then summed, with no kerning. Bold: digits, 'a', 'c', 'e', 's' 1139 -> 6;
// 'h', 'n', 'p', 'g', 'd' 1251 -> 7; 'r' 797 -> 4; 't' 682 -> 4; space, 'l', 'i', '.' 569 -> 3;
// 'm' 1821 -> 10; 'O' 1593 -> 9; 'V', 'E' 1366 -> 7; 'R', 'H', 'C', 'A' 1479 -> 8. Regular
// differs in 'c', 's' 1024 -> 6; 'h', 'n', 'g', 'p', 'd', 'o' 1139 -> 6; 'r' 682 -> 4;
// 't' 569 -> 3; 'l', 'i' 455 -> 2; 'm' 1706 -> 9. The height is tmHeight: the Windows ascent
// 1854 and descent 434, each scaled and rounded: 10 + 2 at 11 px, 11 + 3 at 12 px.
TEST(LabelMetrics, WidthIsTheSumOfRoundedAdvancesAndHeightTheRoundedAscentAndDescent) {
  const std::tuple<const char*, const char*, bool, double, long, long> cases[] = {
      {"a bold digit is 6 pixels", "0", true, 8.25, 6, 12},
      {"four bold digits are 24", "1000", true, 8.25, 24, 12},
      {"each bold character rounds on its own: 'r' 4.28 down, 'h' 6.72 up", " characters clipped.",
       true, 8.25, 103, 12},
      {"a bold word between spaces", " to ", true, 8.25, 17, 12},
      {"bold capitals", " OVER ", true, 8.25, 37, 12},
      {"each character rounded (the sum, 68.45, would make 68)", "sharing limit.", true, 8.25, 69,
       12},
      {"Help in bold", "Help", true, 8.25, 24, 12},
      {"Cancel in bold", "Cancel", true, 8.25, 36, 12},
      {"no kerning between A and V", "AVA", true, 8.25, 23, 12},
      {"a character beyond ASCII, e acute 1139", "Café", true, 8.25, 24, 12},
      {"regular digits", "1000", false, 8.25, 24, 12},
      {"regular: each character rounded (the sum, 95.38, would make 95)", " characters clipped.",
       false, 8.25, 96, 12},
      {"regular: each character rounded (the sum, 61.74, would make 62)", "sharing limit.", false,
       8.25, 60, 12},
      {"a regular word between spaces", " to ", false, 8.25, 15, 12},
      {"Cancel in regular", "Cancel", false, 8.25, 34, 12},
      {"9 pt is a 12-pixel em", "1000", true, 9, 28, 14},
      {"Help in 9 pt bold", "Help", true, 9, 26, 14},
      {"nothing is no width but a line's height", "", true, 8.25, 0, 12},
  };
  for (const auto& [name, caption, bold, points, width, height] : cases) {
    SCOPED_TRACE(name);
    const SIZE size = ui::MeasureText({"Arial", points, bold, false}, caption);
    EXPECT_EQ(size.cx, width);
    EXPECT_EQ(size.cy, height);
  }
}

TEST(LabelMetrics, AFontThatCannotBeMeasuredIsRefusedWithAClearError) {
  const std::tuple<const char*, const char*, const char*, std::int32_t, const char*> cases[] = {
      {"the font file is missing", "/nonexistent/fonts", "Arial", 53, "fonts-liberation2"},
      {"a face there are no metrics of", nullptr, "Tahoma", 5, "Tahoma"},
  };
  for (const auto& [name, dir, face, number, says] : cases) {
    SCOPED_TRACE(name);
    testing_support::ScopedEnv fontDir("FOLVERRA_FONT_DIR",
                                       dir ? std::optional<std::string>(dir) : std::nullopt);
    try {
      ui::MeasureText({face, 8.25, true, false}, "1000");
      ADD_FAILURE() << "measured";
    } catch (const platform::Error& e) {
      EXPECT_EQ(e.number, number);
      EXPECT_NE(e.description.find(says), std::string::npos) << e.description;
    }
  }
}

TEST(LabelMetrics, ThreadsMeasuringAtOnceEachGetTheAnswerOfOne) {
  const std::vector<std::string> captions = {" characters clipped.", "sharing limit.", " OVER ",
                                             "Cancel"};
  std::vector<long> alone;
  for (const std::string& caption : captions)
    alone.push_back(ui::MeasureText(kArialBold, caption).cx);
  std::vector<int> wrong(captions.size(), 0);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < captions.size(); ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        // Between two measures of the usual font, one at a size of its own, so that the threads
        // keep sizing the shared face and loading glyphs rather than reading what is known.
        ui::MeasureText({"Arial", 6 + (i % 40) * 0.75, t % 2 == 0, false}, captions[t]);
        if (ui::MeasureText(kArialBold, captions[t]).cx != alone[t]) ++wrong[t];
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong, std::vector<int>(captions.size(), 0));
}

TEST(LabelControl, AutoSizeFollowsCaptionAndFontAndLetsGoWhenTurnedOff) {
  Strip& strip = ui::Instance<Strip>::get();
  ui::Label& label = strip.count;
  // Each step changes the label, then its size is checked.
  const std::tuple<const char*, std::function<void()>, long, long> steps[] = {
      {"a longer caption widens it", [&] { label.setCaption(" characters clipped."); }, 103, 12},
      {"a regular font narrows it", [&] { label.setFont(kArial); }, 96, 12},
      {"a larger font makes it taller",
       [&] {
         label.setFont({"Arial", 9, true, false});
       },
       113, 14},
      {"underline changes no size",
       [&] {
         label.setFont({"Arial", 9, true, true});
       },
       113, 14},
      {"without AutoSize a caption keeps the size",
       [&] {
         label.setAutoSize(false);
         label.setCaption("0");
       },
       113, 14},
      {"without AutoSize the size may be set", [&] { label.Width = 50; }, 50, 14},
      {"turning AutoSize on fits at once", [&] { label.setAutoSize(true); }, 7, 14},
  };
  for (const auto& [name, change, width, height] : steps) {
    SCOPED_TRACE(name);
    change();
    EXPECT_EQ(label.Width, width);
    EXPECT_EQ(label.Height, height);
  }
  EXPECT_EQ(testing_support::raised([&] { label.setFont({"Arial", 0, true, false}); }), 380);
  EXPECT_EQ(label.font().size, 9) << "a refused font is not taken";
  ui::Instance<Strip>::Unload();
}

TEST(LabelControl, TheFormPaintsShownLabelsOverItsPicturesInZOrder) {
  Strip& strip = ui::Instance<Strip>::get();
  const HWND hwnd = strip.hWnd();
  const std::tuple<const char*, bool, std::vector<std::string>> cases[] = {
      {"picture, then the count, then the link", true, {"picture", "1000", "Help"}},
      {"a hidden label is not painted", false, {"picture", "1000"}},
  };
  for (const auto& [name, linkShown, drawn] : cases) {
    SCOPED_TRACE(name);
    strip.link.Visible = linkShown;
    ui::InvalidateRect(hwnd);
    std::vector<std::string> seen;
    for (const ui::PaintItem& item : headless::PaintedItems(hwnd)) {
      const auto* text = std::get_if<ui::TextItem>(&item.content);
      seen.push_back(text ? text->text : "picture");
    }
    EXPECT_EQ(seen, drawn);
  }

  // The count as drawn: where it is, in its font and colour, over what is beneath it.
  const auto items = headless::PaintedItems(hwnd);
  ASSERT_EQ(items.size(), 2u);
  const auto& count = std::get<ui::TextItem>(items[1].content);
  EXPECT_EQ(
      std::tie(items[1].rect.left, items[1].rect.top, items[1].rect.right, items[1].rect.bottom),
      std::make_tuple(10, 5, 34, 17));
  EXPECT_EQ(count.font, kArialBold);
  EXPECT_EQ(count.foreColor, RGB(0, 0, 255));
  EXPECT_FALSE(count.opaque);
  ui::Instance<Strip>::Unload();
}

TEST(LabelControl, ClicksAndTheCursorGoToTheTopmostShownControlUnderThePointer) {
  POINT saved{};
  ui::GetCursorPos(&saved);
  const HCURSOR savedCursor = ui::GetCursor();
  // The count spans x 10-33 and y 5-16, the link x 40-61; the picture is under both.
  const std::tuple<const char*, POINT, bool, const char*, bool> cases[] = {
      {"on the count", {20, 10}, true, "count ", false},
      {"on the link, which shows the hand", {45, 10}, true, "link ", true},
      {"past the link's last pixel", {62, 10}, true, "picture ", false},
      {"below the count's line", {20, 17}, true, "picture ", false},
      {"where a hidden link is", {45, 10}, false, "picture ", false},
  };
  for (const auto& [name, point, linkShown, clicked, hand] : cases) {
    SCOPED_TRACE(name);
    Strip& strip = ui::Instance<Strip>::get();
    const HWND hwnd = strip.hWnd();
    ui::MoveWindow(hwnd, 100, 50, 200, 30, TRUE);
    strip.link.Visible = linkShown;
    ui::SendMessage(hwnd, WM_LBUTTONDOWN, 0, at(point.x, point.y));
    ui::SendMessage(hwnd, WM_LBUTTONUP, 0, at(point.x, point.y));
    EXPECT_EQ(strip.clicks, clicked);
    ui::SetCursor(nullptr);
    ui::SetCursorPos(100 + point.x, 50 + point.y);
    const LRESULT handled = ui::SendMessage(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                                            HTCLIENT | (WM_MOUSEMOVE << 16));
    EXPECT_EQ(handled != 0, hand);
    EXPECT_EQ(ui::GetCursor(), hand ? ui::LoadHandCursor() : nullptr);
    ui::Instance<Strip>::Unload();
  }
  ui::SetCursorPos(saved.x, saved.y);
  ui::SetCursor(savedCursor);
}
