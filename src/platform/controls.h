// The calls the controls of a form (runtime/controls.h) are made of: pictures from BMP bytes,
// painting and tool tips of a form's client area, timers, and the popup menu. A platform
// implements every function here. The user32 and comctl32 calls answer as those do and raise
// nothing. Failures elsewhere raise platform::Error: 481 for bytes that are no picture, 91 for
// the size of Nothing.
#pragma once

#include <cstdint>
#include <span>
#include <string>
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
void InitCommonControls();
// Draws each picture into its rectangle of hwnd's client area, stretched to it.
struct PaintItem {
  Picture picture;
  RECT rect;
};
void PaintPictures(HWND hwnd, const std::vector<PaintItem>& items);
// The tool tips of hwnd's client area: each text shows while the pointer rests in its rectangle.
// Replaces what an earlier call set.
struct ToolTipItem {
  RECT rect;
  std::string text;
};
void SetToolTips(HWND hwnd, const std::vector<ToolTipItem>& items);
void InvalidateRect(HWND hwnd);

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
