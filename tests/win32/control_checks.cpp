// The controls on the real window system: compiled-in art, painting and tool tips, labels'
// text, timers, the popup menu.
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
#include "win32/wide.h"

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

  // The window 200 x 120, the art stretched over left, top, width, height.
  void placeArt(long left, long top, long width, long height) {
    ui::MoveWindow(hWnd(), 0, 0, 200, 120, TRUE);
    art.Stretch = true;
    art.setPicture(ui::LoadArt("clip_button"));
    art.Left = left, art.Top = top, art.Width = width, art.Height = height;
  }

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
  form.placeArt(10, 20, 48, 50);
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

// GDI's widths, printed to be set beside the headless ones. Wine's Arial may be another font, so
// only what any font gives is held: whole-pixel advances without kerning add up, bold is no
// narrower, and a font's texts are one line high.
void checkLabelMetrics() {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT arial = CreateFontW(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                            L"Arial");
  HGDIOBJ old = SelectObject(dc, arial);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  SelectObject(dc, old);
  DeleteObject(arial);
  DeleteDC(dc);
  std::printf("measured: Arial is drawn in %s\n", win32::narrow(face).c_str());
  for (const char* caption :
       {"0", "1000", " characters clipped.", " to ", " OVER ", "sharing limit.", "Help", "Cancel"})
    for (const bool bold : {true, false}) {
      const ui::FontSpec font{"Arial", 8.25, bold, false};
      const SIZE size = ui::MeasureText(font, caption);
      char what[48];
      std::snprintf(what, sizeof what, "\"%s\" %s", caption, bold ? "bold" : "regular");
      std::printf("measured: Arial 8.25 pt %-30s %3ld x %ld\n", what, static_cast<long>(size.cx),
                  static_cast<long>(size.cy));
      expect(size.cx > 0 && size.cy >= 11 && size.cy == ui::MeasureText(font, "").cy &&
                 ui::MeasureText(font, std::string(caption) + caption).cx == 2 * size.cx &&
                 size.cx >= ui::MeasureText({"Arial", 8.25, false, false}, caption).cx,
             std::string(what) + " is not one line of advances that add up");
    }
}

// The client area's top left 120 x 40, row by row; and how many pixels of a rectangle differ
// between two of them.
constexpr int kShotWidth = 120, kShotHeight = 40;
std::vector<COLORREF> snapshot(HWND hwnd) {
  std::vector<COLORREF> all;
  HDC dc = GetDC(hwnd);
  for (int y = 0; y < kShotHeight; ++y)
    for (int x = 0; x < kShotWidth; ++x) all.push_back(GetPixel(dc, x, y));
  ReleaseDC(hwnd, dc);
  return all;
}
int changed(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b, const RECT& in) {
  int n = 0;
  for (int y = in.top; y < in.bottom; ++y)
    for (int x = in.left; x < in.right; ++x)
      n += a[static_cast<std::size_t>(y * kShotWidth + x)] !=
           b[static_cast<std::size_t>(y * kShotWidth + x)];
  return n;
}

// A label over the art draws inside its rectangle only: transparent, its top row (above the
// digits) stays the art's; opaque, it is the back colour; underlined, a line spans its bottom.
void checkLabel() {
  ControlsForm form;
  HWND hwnd = form.hWnd();
  form.placeArt(0, 0, kShotWidth, kShotHeight);
  ui::Label& label = form.label;
  label.Left = 8;
  label.Top = 6;
  label.ForeColor = RGB(255, 0, 0);
  label.BackColor = RGB(0, 0, 255);
  label.setAutoSize(true);
  label.setCaption("1000");
  form.Show();
  const auto drawn = [&](bool visible, int backStyle, bool underline) {
    label.Visible = visible;
    label.BackStyle = backStyle;
    label.setFont({"Arial", 8.25, true, underline});
    repaint(hwnd);
    return snapshot(hwnd);
  };
  const auto art = drawn(false, ui::vbTransparent, false);
  const auto plain = drawn(true, ui::vbTransparent, false);
  const auto opaque = drawn(true, ui::vbOpaque, false);
  const auto underlined = drawn(true, ui::vbTransparent, true);
  const RECT r = label.formRect(), all{0, 0, kShotWidth, kShotHeight};
  const RECT top{r.left, r.top, r.right, r.top + 1},
      bottom{r.left, r.bottom - 3, r.right, r.bottom};
  const std::vector<COLORREF> blue(art.size(), RGB(0, 0, 255));
  expect(r.right - r.left == ui::MeasureText(label.font(), "1000").cx,
         "AutoSize did not fit the caption");
  expect(changed(plain, art, r) > 0 && changed(plain, art, all) == changed(plain, art, r),
         "the text is not drawn inside the label only");
  expect(changed(plain, art, top) == 0, "a transparent label hides the art");
  expect(changed(opaque, blue, top) == 0, "an opaque label's top row is not its back colour");
  expect(changed(underlined, plain, bottom) >= r.right - r.left - 2, "no line under the text");
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
           {"label", checkLabel},
           {"timer", checkTimer},
           {"menu", checkMenuDismissed}});
}

}  // namespace smoke
