// The controls on the real window system: compiled-in art, painting and tool tips, labels' text
// and cursors, timers, the popup menu.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <tuple>
#include <vector>

#include "check.h"
#include "platform/controls.h"
#include "platform/ui.h"
#include "runtime/art.h"
#include "runtime/controls.h"
#include "runtime/form.h"

// After the ports: it needs the Windows headers they bring.
#include <commctrl.h>

namespace smoke {
namespace {

constexpr std::int32_t kInvalidPicture = 481;

class ControlsForm : public ui::Form {
 public:
  ui::Image art{*this};
  ui::Label label{*this};  // empty and so unseen, but where the label checks put text
  ui::Timer timer{*this};

 protected:
  std::string formName() const override { return "FolverraSmokeControls"; }
};

// Has the whole window painted again; false when it was not within a second.
bool repaint(HWND hwnd) {
  ui::InvalidateRect(hwnd);
  return pumpUntil([&] { return !GetUpdateRect(hwnd, nullptr, FALSE); }, std::chrono::seconds(1));
}

void checkArt() {
  const ui::Picture button = ui::LoadArt("clip_button");
  expect(ui::PictureWidth(button) == 24 && ui::PictureHeight(button) == 25,
         "clip_button is not 24 by 25 pixels");
  const auto good = ui::ArtBytes("clip_button");
  const std::tuple<const char*, std::function<void(std::vector<std::uint8_t>&)>> broken[] = {
      {"a BMP short of its last byte", [](auto& b) { b.pop_back(); }},
      {"bytes that are not a BMP", [](auto& b) { b[0] = 'P'; }},
      {"a BMP with its pixels past the end", [](auto& b) { b[10] = 0xF0; }},
      {"a BMP of 7 bits a pixel", [](auto& b) { b[28] = 7; }},
      {"an empty buffer", [](auto& b) { b.clear(); }},
  };
  for (const auto& [what, spoil] : broken) {
    std::vector<std::uint8_t> bytes(good.begin(), good.end());
    spoil(bytes);
    expectRaise(kInvalidPicture, what, [&] { ui::LoadBitmapFile(bytes); });
  }
  expectRaise(kInvalidPicture, "LoadArt of a name not compiled in",
              [] { ui::LoadArt("no_such_art"); });
}

// The art's pixel (9, 4) is its outline colour, (0, 0) the lighter band background.
void checkPaint() {
  ControlsForm form;
  HWND hwnd = form.hWnd();
  ui::MoveWindow(hwnd, 0, 0, 200, 120, TRUE);
  form.art.Stretch = true;
  form.art.setPicture(ui::LoadArt("clip_button"));
  form.art.Left = 10;
  form.art.Top = 20;
  form.art.Width = 48;
  form.art.Height = 50;
  form.Show();
  expect(repaint(hwnd), "WM_PAINT does not validate the form's window");
  HDC dc = GetDC(hwnd);
  const COLORREF outline = GetPixel(dc, 10 + 2 * 9, 20 + 2 * 4);
  const COLORREF background = GetPixel(dc, 10, 20);
  ReleaseDC(hwnd, dc);
  expect(outline == RGB(40, 40, 40) && background == RGB(250, 250, 250),
         "the stretched art is not where it was put");

  // Painting also puts the tool tips where the controls are; a hidden control has none.
  form.art.ToolTipText = "Clip";
  form.art.Left = 30;
  repaint(hwnd);
  HWND tip = static_cast<HWND>(GetPropW(hwnd, L"FolverraToolTips"));
  wchar_t text[16] = {};
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = hwnd;
  info.lpszText = text;
  const bool found = tip && SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) == 1 &&
                     SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info));
  expect(found && std::wstring(text) == L"Clip" && info.rect.left == 30 && info.rect.right == 78,
         "the control's tool tip is missing or not over the control");
  form.art.Visible = false;
  repaint(hwnd);
  expect(tip && SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) == 0,
         "a hidden control keeps its tool tip");
}

const char* const kCaptions[] = {
    "0", "1000", " characters clipped.", " to ", " OVER ", "sharing limit.", "Help", "Cancel"};

// GDI's measures, printed to be set beside the headless ones. Wine's Arial may be another font,
// so the check holds only what any font gives: whole-pixel advances with no kerning add up, bold
// is no narrower, underline changes nothing, and every text of a font is one line high.
void checkLabelMetrics() {
  for (const bool bold : {true, false}) {
    const ui::FontSpec font{"Arial", 8.25, bold, false};
    const LONG height = ui::MeasureText(font, "").cy;
    expect(height >= 11, "a line of an 11-pixel em is " + std::to_string(height) + " high");
    for (const char* caption : kCaptions) {
      const SIZE size = ui::MeasureText(font, caption);
      char quoted[32];
      std::snprintf(quoted, sizeof quoted, "\"%s\"", caption);
      const char* weight = bold ? "bold" : "regular";
      std::printf("measured: Arial 8.25 pt %-7s %-24s %3ld x %ld\n", weight, quoted,
                  static_cast<long>(size.cx), static_cast<long>(size.cy));
      const std::string what = std::string(quoted) + " " + weight;
      expect(size.cx > 0 && size.cy == height, what + " is not one line of some width");
      expect(ui::MeasureText(font, std::string(caption) + caption).cx == 2 * size.cx,
             what + " twice is not twice as wide");
      expect(ui::MeasureText({"Arial", 8.25, bold, true}, caption).cx == size.cx,
             what + " underlined is not as wide");
      if (bold)
        expect(size.cx >= ui::MeasureText({"Arial", 8.25, false, false}, caption).cx,
               what + " is narrower than regular");
    }
  }
}

// The client area's pixels, row by row.
std::vector<COLORREF> pixels(HWND hwnd, int width, int height) {
  std::vector<COLORREF> all;
  HDC dc = GetDC(hwnd);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) all.push_back(GetPixel(dc, x, y));
  ReleaseDC(hwnd, dc);
  return all;
}

// A label is drawn over the art, inside its own rectangle and nowhere else; transparent, it
// leaves the art where it has no ink; opaque, it fills its rectangle; underlined, it draws a line
// under the text. Its place and size follow its caption (AutoSize).
void checkLabelPaint() {
  constexpr int kWidth = 120, kHeight = 40;
  ControlsForm form;
  HWND hwnd = form.hWnd();
  ui::MoveWindow(hwnd, 0, 0, 200, 120, TRUE);
  form.art.Stretch = true;
  form.art.setPicture(ui::LoadArt("clip_button"));
  form.art.Width = kWidth;
  form.art.Height = kHeight;
  ui::Label& label = form.label;
  label.Left = 8;
  label.Top = 6;
  label.ForeColor = RGB(255, 0, 0);
  label.BackColor = RGB(0, 0, 255);
  label.setFont({"Arial", 8.25, true, false});
  label.setAutoSize(true);
  label.setCaption("1000");
  expect(label.Width == ui::MeasureText(label.font(), "1000").cx &&
             label.Height == ui::MeasureText(label.font(), "").cy,
         "AutoSize did not size the label to its caption");
  form.Show();
  label.Visible = false;
  repaint(hwnd);
  const std::vector<COLORREF> art = pixels(hwnd, kWidth, kHeight);
  const RECT r = label.formRect();
  label.Visible = true;
  // Each case: what it is, and what the label's top row (above the digits' ink) shows.
  const std::tuple<const char*, int, bool, std::function<bool(COLORREF pixel, bool changed)>>
      cases[] = {
          {"transparent", ui::vbTransparent, false,
           [](COLORREF, bool changed) { return !changed; }},
          {"opaque", ui::vbOpaque, false,
           [](COLORREF pixel, bool) { return pixel == RGB(0, 0, 255); }},
          {"underlined", ui::vbTransparent, true, [](COLORREF, bool changed) { return !changed; }},
      };
  for (const auto& [what, backStyle, underline, topRow] : cases) {
    label.BackStyle = backStyle;
    label.setFont({"Arial", 8.25, true, underline});
    repaint(hwnd);
    const std::vector<COLORREF> now = pixels(hwnd, kWidth, kHeight);
    int inside = 0, outside = 0, wrongTop = 0;
    std::vector<int> changedInRow(kHeight, 0);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const std::size_t i = static_cast<std::size_t>(y * kWidth + x);
        const bool changed = now[i] != art[i];
        const bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        (in ? inside : outside) += changed;
        changedInRow[static_cast<std::size_t>(y)] += changed;
        if (in && y == r.top && !topRow(now[i], changed)) ++wrongTop;
      }
    const std::string name = what;
    expect(inside > 0 && outside == 0, name + ": " + std::to_string(inside) +
                                           " pixels drawn inside the label, " +
                                           std::to_string(outside) + " outside");
    expect(wrongTop == 0, name + ": " + std::to_string(wrongTop) + " pixels of its top row wrong");
    if (underline)
      expect(*std::max_element(changedInRow.begin() + r.bottom - 4,
                               changedInRow.begin() + r.bottom) >= r.right - r.left - 2,
             "no line under the underlined label");
  }
}

// The pointer over a label with a custom pointer shows its MouseIcon, the hand of a link.
void checkLabelCursor() {
  ControlsForm form;
  HWND hwnd = form.hWnd();
  ui::MoveWindow(hwnd, 0, 0, 200, 120, TRUE);
  form.label.Left = 20;
  form.label.Top = 10;
  form.label.setFont({"Arial", 8.25, false, true});
  form.label.setAutoSize(true);
  form.label.setCaption("Help");
  form.label.MousePointer = ui::vbCustom;
  form.label.MouseIcon =
      ui::OleCreatePictureIndirect(ui::PICTYPE_ICON, ui::LoadHandCursor(), false);
  form.Show();
  const std::tuple<const char*, POINT, bool> cases[] = {
      {"over the link", {25, 15}, true},
      {"beside the link", {5, 15}, false},
  };
  for (const auto& [what, point, hand] : cases) {
    POINT screen = point;
    ClientToScreen(hwnd, &screen);
    SetCursorPos(screen.x, screen.y);
    SetCursor(nullptr);
    const LRESULT handled = SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    expect((handled != 0) == hand && (GetCursor() == ui::LoadHandCursor()) == hand,
           std::string(what) + ": the hand is " + (hand ? "not " : "") + "shown");
  }
}

void checkTimer() {
  ControlsForm form;
  form.Load();
  int ticks = 0;
  form.timer.OnTimer = [&] { ++ticks; };
  form.timer.Interval = 50;
  form.timer.setEnabled(true);
  expect(pumpUntil([&] { return ticks >= 2; }, std::chrono::seconds(2)),
         "a form's timer did not fire twice in 2 s");
  form.timer.setEnabled(false);
  const int stopped = ticks;
  pumpUntil([] { return false; }, std::chrono::milliseconds(300));
  expect(ticks == stopped, "a disabled timer still fires");
}

// What the open menu held, seen from inside its loop: its items, its submenu's, and its first
// icon's pixels (0, 0), magenta in the art and so transparent, and (7, 1), an opaque red.
std::string g_seen;

void CALLBACK closeMenu(HWND, UINT, UINT_PTR, DWORD) {
  HWND popup = FindWindowW(L"#32768", nullptr);
  auto* menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_BITMAP;
  DIBSECTION dib{};
  const bool icon = GetMenuItemInfoW(menu, 0, TRUE, &mii) &&
                    GetObjectW(mii.hbmpItem, sizeof dib, &dib) == sizeof dib;
  const auto* pixels = icon ? static_cast<const std::uint32_t*>(dib.dsBm.bmBits) : nullptr;
  char seen[100];
  std::snprintf(seen, sizeof seen, "%d items, %d in the submenu, icon pixels %08X %08X",
                GetMenuItemCount(menu), GetMenuItemCount(GetSubMenu(menu, 2)),
                pixels ? pixels[0] : 1u, pixels ? pixels[16 + 7] : 0u);
  g_seen = seen;
  EndMenu();
}

// Nobody sits at the screen: a thread timer looks at the open menu and closes it.
void checkMenuDismissed() {
  ControlsForm form;
  ui::ImageList images;
  images.Add(ui::LoadArt("menu_home"));
  images.Add(ui::LoadArt("menu_help"));
  // A separator, a submenu, and an item naming itself as its parent. Each item: caption, help
  // text, data, parent, icon, checked, enabled, key.
  const std::vector<ui::MenuItem> items = {
      {"&Home", "", 0, 0, 0, false, true, ""}, {"-", "", 0, 0, -1, false, true, ""},
      {"More", "", 0, 0, -1, true, true, ""},  {"Help", "", 0, 3, 1, false, true, ""},
      {"Off", "", 0, 5, -1, false, false, ""},
  };
  g_seen.clear();
  const UINT_PTR closer = SetTimer(nullptr, 0, 200, closeMenu);
  const long chosen = ui::TrackPopupMenu(form.hWnd(), items, &images, POINT{20, 20});
  KillTimer(nullptr, closer);
  expect(chosen == 0, "a dismissed menu chose item " + std::to_string(chosen));
  expect(g_seen == "4 items, 1 in the submenu, icon pixels 00000000 FFC83C32",
         "the open menu held " + g_seen);
}

}  // namespace

void runControlChecks() {
  runEach({{"art", checkArt},
           {"paint", checkPaint},
           {"label metrics", checkLabelMetrics},
           {"label paint", checkLabelPaint},
           {"label cursor", checkLabelCursor},
           {"timer", checkTimer},
           {"menu", checkMenuDismissed}});
}

}  // namespace smoke
