// The calls the controls of a form (runtime/controls.h) are made of: pictures from BMP bytes,
// text metrics, painting and tool tips of a form's client area, timers, and the popup menu. A
// platform implements every function here. The user32 and comctl32 calls answer as those do and
// raise nothing. Failures elsewhere raise platform::Error: 481 for bytes that are no picture, 91
// for the size of Nothing, 53 when a font's file cannot be read, 5 for a face the platform has
// no metrics of.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "platform/picture.h"
#include "platform/wintypes.h"

namespace ui {

class ImageList;

// A picture from the bytes of a BMP file; raises 481 when they are not one.
Picture LoadBitmapFile(std::span<const std::uint8_t> bytes);
// Size in pixels.
long PictureWidth(const Picture& picture);
long PictureHeight(const Picture& picture);

// Platform calls the controls are made of.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT milliseconds);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
void InitCommonControls();

// Colours as the run-time held them: RGB, or a system colour when the high bit is set.
constexpr COLORREF vbButtonFace = 0x8000000F;
constexpr COLORREF vbButtonText = 0x80000012;

// A font as the run-time's font object described it. Size is in points: the em is size * dpi / 72
// pixels, rounded, with the screen's dpi (96 headless), so 8.25 pt is 11 pixels at 96 dpi.
struct FontSpec {
  std::string name = "Arial";
  double size = 8.25;
  bool bold = false;
  bool underline = false;
  bool operator==(const FontSpec&) const = default;
};

// A line of text in pixels of the screen: cx is the sum of the characters' advance widths, with
// no kerning, and cy the font's line height (tmHeight), as GetTextExtentPoint32 answers them.
SIZE MeasureText(const FontSpec& font, const std::string& utf8);

// One line from the top left of its rectangle, clipped to it, '&' drawn as it is.
struct TextItem {
  std::string text;
  FontSpec font;
  COLORREF foreColor = vbButtonText;
  bool opaque = false;  // the rectangle is filled with backColor first
  COLORREF backColor = vbButtonFace;
};

// Draws the items into hwnd's client area, the first at the bottom: a picture stretched to its
// rectangle, a text as above.
struct PaintItem {
  RECT rect;
  std::variant<Picture, TextItem> content;
};
void PaintControls(HWND hwnd, const std::vector<PaintItem>& items);

// The tool tips of hwnd's client area: each text shows while the pointer rests in its rectangle.
// Replaces what an earlier call set.
struct ToolTipItem {
  RECT rect;
  std::string text;
};
void SetToolTips(HWND hwnd, const std::vector<ToolTipItem>& items);
void InvalidateRect(HWND hwnd);

// The slider: the common controls' trackbar, a child window standing upright, without tick marks
// or value tip, its lower bound at the top. A new one runs from 0 to 100 at 0. The user moves it
// with the keys a step at a time (Up or Left lower the value, Down or Right raise it), by a fifth
// of the range (Page Up, Page Down) or to a bound (Home, End); every key tells the parent with
// WM_VSCROLL, lParam the slider's window. Bounds and value set in code tell nothing; a value is
// kept within the bounds, and a bound set past the value brings the value with it. Null when the
// window cannot be made.
HWND CreateSlider(HWND parent, int x, int y, int width, int height);
void SetSliderLower(HWND slider, long lower);
void SetSliderUpper(HWND slider, long upper);
void SetSliderValue(HWND slider, long value);
long SliderLower(HWND slider);
long SliderUpper(HWND slider);
long SliderValue(HWND slider);

constexpr int vbLeftButton = 1;
constexpr int vbRightButton = 2;
constexpr int vbMiddleButton = 4;

struct MenuItem {
  std::string caption;
  std::string helpText;
  long itemData = 0;
  long parentIndex = 0;
  long iconIndex = -1;
  bool checked = false;
  bool enabled = true;
  std::string key;
};

// Shows the items at a screen point and waits for the choice: the 1-based index of the chosen
// item, 0 when the menu was dismissed.
long TrackPopupMenu(HWND owner, const std::vector<MenuItem>& items, const ImageList* images,
                    POINT screenPoint);

}  // namespace ui
