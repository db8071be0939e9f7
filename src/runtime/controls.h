// Controls of a form, written once on the ui port. Pictures, images, picture boxes and the
// popup menu are windowless, as the original run-time's were: the form keeps them, paints them
// and hands mouse messages to the topmost visible one under the pointer. Timers post WM_TIMER
// to their form's window.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls.h"

namespace ui {

class Form;

// The art compiled into the module (assets/*.bmp, by file name without extension); raises 481
// "Invalid picture" for a name that is not there.
Picture LoadArt(std::string_view name);
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
