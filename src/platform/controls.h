// Controls of a form. Pictures, images, picture boxes and the popup menu are windowless, as the
// original run-time's were: the form keeps them, paints them and hands mouse messages to the
// topmost visible one under the pointer. Timers post WM_TIMER to their form's window.
// A platform implements LoadBitmapFile, PictureWidth, PictureHeight, the calls after them up to
// InvalidateRect, and TrackPopupMenu; the rest is written once (controls.cpp). The user32 and
// comctl32 calls answer as those do and raise nothing. Failures elsewhere raise: 481 for bytes
// or a name that are no picture, 91 for the size of Nothing, 9 for an index with no item.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/picture.h"
#include "platform/wintypes.h"

namespace ui {

class Form;

// The art compiled into the module (assets/*.bmp, by file name without extension); raises 481
// "Invalid picture" for a name that is not there.
Picture LoadArt(std::string_view name);
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

class Control {
 public:
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  long Left = 0;
  long Top = 0;
  long Width = 0;
  long Height = 0;
  bool Visible = true;
  std::string ToolTipText;
  // The picture box the control sits in; its position is relative to that one's.
  Control* Container = nullptr;

  std::function<void(int button, int shift, long x, long y)> MouseDown;
  std::function<void(int button, int shift, long x, long y)> MouseUp;
  std::function<void()> Click;

  // The control's rectangle in the form's client area.
  RECT formRect() const;
  // Visible itself and in every container.
  bool shown() const;
  virtual const Picture* paintedPicture() const { return nullptr; }

 protected:
  explicit Control(Form& form);
};

class Image : public Control {
 public:
  explicit Image(Form& form) : Control(form) {}
  // Without Stretch, the image takes the picture's size.
  bool Stretch = false;
  void setPicture(const Picture& picture);
  const Picture& picture() const { return picture_; }
  const Picture* paintedPicture() const override { return picture_ ? &picture_ : nullptr; }

 private:
  Picture picture_;
};

// A borderless container in pixel scale.
class PictureBox : public Control {
 public:
  explicit PictureBox(Form& form) : Control(form) {}
  long ScaleWidth() const { return Width; }
  long ScaleHeight() const { return Height; }
};

class Timer {
 public:
  explicit Timer(Form& form);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  long Interval = 0;
  bool Enabled() const { return enabled_; }
  // Arms or disarms the timer on the form's window; an interval of 0 never fires.
  void setEnabled(bool enabled);
  std::function<void()> OnTimer;

 private:
  friend class Form;
  Form& form_;
  UINT_PTR id_;
  bool enabled_ = false;
};

class ImageList {
 public:
  long IconWidth = 16;
  long IconHeight = 16;
  void Add(const Picture& picture) { images_.push_back(picture); }
  long Count() const { return static_cast<long>(images_.size()); }
  const Picture& item(long index) const;

 private:
  std::vector<Picture> images_;
};

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

// A popup menu built for one showing, as the toolbar's menu control was.
class PopupMenu {
 public:
  HWND hWndOwner = nullptr;
  const ui::ImageList* Images = nullptr;
  // Returns the new item's index, from 1.
  long AddItem(const MenuItem& item);
  // x and y in twips relative to the owner window; the chosen index, 0 for none.
  long ShowPopupMenu(long xTwips, long yTwips);
  // Raises 9 "Subscript out of range" for an index with no item.
  const std::string& ItemKey(long index) const;

 private:
  std::vector<MenuItem> items_;
};

}  // namespace ui
