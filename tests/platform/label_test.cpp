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

const ui::FontSpec kBold{"Arial", 8.25, true, false};

// A picture with a count over it (x 10-33, y 5-16) and a link (x 40-61); clicks are written down.
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
    count.BackStyle = ui::vbTransparent;
    count.setFont(kBold);
    link.setFont({"Arial", 8.25, false, true});
    link.MousePointer = ui::vbCustom;
    link.MouseIcon = ui::OleCreatePictureIndirect(ui::PICTYPE_ICON, ui::LoadHandCursor(), false);
    place(count, 10, "1000");
    place(link, 40, "Help");
    picture.Click = [this] { clicks += "picture"; };
  }

 protected:
  std::string formName() const override { return "LabelStrip"; }

 private:
  void place(ui::Label& label, long left, const char* caption) {
    label.Left = left;
    label.Top = 5;
    label.setAutoSize(true);
    label.setCaption(caption);
    label.Click = [this, caption] { clicks += caption; };
  }
};

}  // namespace

// GDI's widths from the font's design advances (units of 2048 to the em, read from the font
// file): each character's advance is scaled to the 11-pixel em of 8.25 pt (12 for 9 pt) and
// rounded on its own, then summed, with no kerning. Bold: digits, 'a', 'c', 'e', 's' 1139 -> 6;
// 'h', 'n', 'p', 'g', 'd' 1251 -> 7; 'r' 797 -> 4; 't' 682 -> 4; space, 'l', 'i', '.' 569 -> 3;
// 'm' 1821 -> 10; 'O' 1593 -> 9; 'V', 'E' 1366 -> 7; 'R', 'H', 'C', 'A' 1479 -> 8. Regular
// differs in 'c', 's' 1024 -> 6; 'h', 'p', 'd' 1139 -> 6; 'r' 682 -> 4; 't' 569 -> 3; 'l', 'i'
// 455 -> 2; 'm' 1706 -> 9. The height is tmHeight: the Windows ascent 1854 and descent 434,
// each scaled and rounded: 10 + 2 at 11 pixels, 11 + 3 at 12.
TEST(LabelMetrics, WidthIsTheSumOfRoundedAdvancesAndHeightTheRoundedAscentAndDescent) {
  const std::tuple<const char*, const char*, bool, double, long, long> cases[] = {
      {"a bold digit", "0", true, 8.25, 6, 12},
      {"four bold digits", "1000", true, 8.25, 24, 12},
      {"'r' rounds down from 4.28, 'h' up from 6.72", " characters clipped.", true, 8.25, 103, 12},
      {"a bold word between spaces", " to ", true, 8.25, 17, 12},
      {"bold capitals", " OVER ", true, 8.25, 37, 12},
      {"each rounded: the sum, 68.45, would make 68", "sharing limit.", true, 8.25, 69, 12},
      {"Help", "Help", true, 8.25, 24, 12},
      {"Cancel", "Cancel", true, 8.25, 36, 12},
      {"no kerning between A and V", "AVA", true, 8.25, 23, 12},
      {"beyond ASCII: e acute is 1139", "Café", true, 8.25, 24, 12},
      {"regular, each rounded: the sum would make 95", " characters clipped.", false, 8.25, 96, 12},
      {"regular, each rounded: the sum would make 62", "sharing limit.", false, 8.25, 60, 12},
      {"9 pt is a 12-pixel em", "1000", true, 9, 28, 14},
      {"nothing is a line high and no width", "", true, 8.25, 0, 12},
  };
  for (const auto& [name, caption, bold, points, width, height] : cases) {
    SCOPED_TRACE(name);
    const SIZE size = ui::MeasureText({"Arial", points, bold, false}, caption);
    EXPECT_EQ(size.cx, width);
    EXPECT_EQ(size.cy, height);
  }
}

TEST(LabelMetrics, AFontThatCannotBeMeasuredIsRefusedWithAClearError) {
  using Dir = std::optional<std::string>;
  const std::tuple<const char*, Dir, const char*, int, const char*> cases[] = {
      {"the font file is missing", "/nonexistent", "Arial", 53, "fonts-liberation2"},
      {"a face there are no metrics of", std::nullopt, "Tahoma", 5, "Tahoma"},
  };
  for (const auto& [name, dir, face, number, says] : cases) {
    SCOPED_TRACE(name);
    testing_support::ScopedEnv fontDir("FOLVERRA_FONT_DIR", dir);
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
  const std::vector<std::string> captions = {" characters clipped.", "sharing limit.", "Cancel"};
  std::vector<int> wrong(captions.size(), 0);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < captions.size(); ++t)
    threads.emplace_back([&, t] {
      const long alone = ui::MeasureText(kBold, captions[t]).cx;
      // Between two measures, one at a size of its own, so the threads keep sizing the shared
      // face and loading glyphs.
      for (int i = 0; i < 300; ++i) {
        ui::MeasureText({"Arial", 6 + (i % 40) * 0.75, t % 2 == 0, false}, captions[t]);
        wrong[t] += ui::MeasureText(kBold, captions[t]).cx != alone;
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong, std::vector<int>(captions.size(), 0));
}

TEST(LabelControl, AutoSizeFollowsCaptionAndFontAndLetsGoWhenTurnedOff) {
  ui::Label& label = ui::Instance<Strip>::get().count;
  const auto font = [&](ui::FontSpec f) { return [&label, f] { label.setFont(f); }; };
  const std::tuple<const char*, std::function<void()>, long, long> steps[] = {
      {"a longer caption widens it", [&] { label.setCaption(" characters clipped."); }, 103, 12},
      {"a regular font narrows it", font({"Arial", 8.25}), 96, 12},
      {"a larger font makes it taller", font({"Arial", 9, true}), 113, 14},
      {"without AutoSize a caption keeps the size",
       [&] { label.setAutoSize(false), label.setCaption("0"); }, 113, 14},
      {"turning AutoSize on fits at once", [&] { label.setAutoSize(true); }, 7, 14},
  };
  for (const auto& [name, change, width, height] : steps) {
    SCOPED_TRACE(name);
    change();
    EXPECT_EQ(std::pair(label.Width, label.Height), std::pair(width, height));
  }
  EXPECT_EQ(testing_support::raised([&] { label.setFont({"Arial", 0, true}); }), 380);
  EXPECT_EQ(label.font().size, 9) << "a refused font is not taken";
  ui::Instance<Strip>::Unload();
}

// Hidden labels are neither drawn nor hit; the pointer over a link shows the hand.
TEST(LabelControl, TheFormDrawsHitsAndPointsWithItsShownLabelsOverItsPictures) {
  POINT savedPos{};
  ui::GetCursorPos(&savedPos);
  const HCURSOR savedCursor = ui::GetCursor();
  using Drawn = std::vector<std::string>;
  const Drawn all = {"picture", "1000", "Help"}, noLink = {"picture", "1000"};
  // Where the pointer is, whether the link is shown; what is drawn, what a click there reaches
  // and whether the hand shows.
  const std::tuple<const char*, POINT, bool, Drawn, const char*, bool> cases[] = {
      {"on the count", {20, 10}, true, all, "1000", false},
      {"on the link", {45, 10}, true, all, "Help", true},
      {"past the link's last pixel", {62, 10}, true, all, "picture", false},
      {"below the count's line", {20, 17}, true, all, "picture", false},
      {"where a hidden link is", {45, 10}, false, noLink, "picture", false},
  };
  for (const auto& [name, point, linkShown, drawn, clicked, hand] : cases) {
    SCOPED_TRACE(name);
    Strip& strip = ui::Instance<Strip>::get();
    const HWND hwnd = strip.hWnd();
    ui::MoveWindow(hwnd, 100, 50, 200, 30, TRUE);
    strip.link.Visible = linkShown;
    ui::InvalidateRect(hwnd);
    std::vector<std::string> seen;
    for (const ui::PaintItem& item : headless::PaintedItems(hwnd)) {
      const auto* text = std::get_if<ui::TextItem>(&item.content);
      seen.push_back(text ? text->text : "picture");
      if (text && text->text == "1000") {
        EXPECT_TRUE(item.rect.left == 10 && item.rect.bottom == 17 && !text->opaque &&
                    text->font == kBold);
      }
    }
    EXPECT_EQ(seen, drawn);
    const LPARAM at = (point.y << 16) | point.x;
    ui::SendMessage(hwnd, WM_LBUTTONDOWN, 0, at);
    ui::SendMessage(hwnd, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(strip.clicks, clicked);
    ui::SetCursor(nullptr);
    ui::SetCursorPos(100 + point.x, 50 + point.y);
    EXPECT_EQ(ui::SendMessage(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                              HTCLIENT | (WM_MOUSEMOVE << 16)) != 0,
              hand);
    EXPECT_EQ(ui::GetCursor(), hand ? ui::LoadHandCursor() : nullptr);
    ui::Instance<Strip>::Unload();
  }
  ui::SetCursorPos(savedPos.x, savedPos.y);
  ui::SetCursor(savedCursor);
}
