// Controls of a form, written once on the ui port. Pictures, images, labels, picture boxes and
// the popup menu are windowless, as the original run-time's were: the form keeps them, paints
// them in z-order and hands mouse messages and the cursor to the topmost visible one under the
// pointer. Timers post WM_TIMER to their form's window.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/browser.h"
#include "platform/controls.h"

namespace ui {

class Form;

// MousePointer: the form's cursor, or the control's MouseIcon.
constexpr int vbDefault = 0;
constexpr int vbCustom = 99;
// BackStyle of a label.
constexpr int vbTransparent = 0;
constexpr int vbOpaque = 1;

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
  int MousePointer = vbDefault;
  Picture MouseIcon;  // a cursor (an icon picture), shown with vbCustom
  // The picture box the control sits in; its position is relative to that one's.
  Control* Container = nullptr;

  std::function<void(int button, int shift, long x, long y)> MouseDown;
  std::function<void(int button, int shift, long x, long y)> MouseUp;
  std::function<void()> Click;

  // The control's rectangle in the form's client area.
  RECT formRect() const;
  // Visible itself and in every container.
  bool shown() const;
  // Adds what the form draws of the control.
  virtual void appendPaint(std::vector<PaintItem>& items) const { (void)items; }

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
  void appendPaint(std::vector<PaintItem>& items) const override;

 private:
  Picture picture_;
};

// One line of text. The defaults are the run-time's, except the font: the forms here use Arial.
class Label : public Control {
 public:
  explicit Label(Form& form) : Control(form) {}
  COLORREF ForeColor = vbButtonText;
  COLORREF BackColor = vbButtonFace;
  int BackStyle = vbOpaque;

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  const FontSpec& font() const { return font_; }
  // Raises 380 "Invalid property value" for a size that is not positive.
  void setFont(const FontSpec& font);
  // With AutoSize the label takes its caption's size in its font, now and whenever either
  // changes; turning it off leaves the size as it is.
  bool autoSize() const { return autoSize_; }
  void setAutoSize(bool autoSize);
  // With WordWrap the caption breaks at spaces into lines no wider than Width; AutoSize then
  // keeps the width and takes the lines' height.
  bool wordWrap() const { return wordWrap_; }
  void setWordWrap(bool wordWrap);
  // The caption as it is drawn, one entry per line.
  std::vector<std::string> lines() const;
  void appendPaint(std::vector<PaintItem>& items) const override;

 private:
  void fit();
  std::string caption_;
  FontSpec font_;
  bool autoSize_ = false;
  bool wordWrap_ = false;
};

// A line of the form's design, from (X1, Y1) to (X2, Y2) in pixels, one pixel wide, both ends
// drawn. Only level and upright lines are drawn; the forms here draw frames.
class Line : public Control {
 public:
  explicit Line(Form& form) : Control(form) {}
  long X1 = 0;
  long Y1 = 0;
  long X2 = 0;
  long Y2 = 0;
  COLORREF BorderColor = RGB(0, 0, 0);
  void appendPaint(std::vector<PaintItem>& items) const override;
};

// A push button, windowless as the other controls: its caption centred on a plain face. A click
// is a left press and release on it, as for every control.
class CommandButton : public Control {
 public:
  explicit CommandButton(Form& form) : Control(form) {}
  std::string Caption;
  FontSpec Font;
  void appendPaint(std::vector<PaintItem>& items) const override;
};

// A borderless container in pixel scale.
class PictureBox : public Control {
 public:
  explicit PictureBox(Form& form) : Control(form) {}
  long ScaleWidth() const { return Width; }
  long ScaleHeight() const { return Height; }
};

// A web page in the form: a browser control made on the first navigation as a child window of
// the form at the control's rectangle, and closed with the form's window. Moving the control
// after that does not move the page.
class BrowserControl : public Control {
 public:
  explicit BrowserControl(Form& form) : Control(form), form_(form) {}
  // Loads the form first; raises what the browser raises.
  void Navigate2(const std::string& url);
  // The address last navigated to; empty before the first navigation.
  const std::string& address() const { return address_; }
  // The browser control, or nothing before the first navigation.
  const browser::WebBrowser& window() const { return window_; }

 private:
  Form& form_;
  browser::WebBrowser window_;
  std::string address_;
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

// The slider (ui::CreateSlider), a child window of its form made when the form loads; until then
// it keeps what it is given. ValueChange runs when the user has moved the value, not when code
// sets it.
class Slider {
 public:
  explicit Slider(Form& form);
  ~Slider();
  Slider(const Slider&) = delete;
  Slider& operator=(const Slider&) = delete;

  long Min() const;
  long Max() const;
  long Value() const;
  void setMin(long min);
  void setMax(long max);
  void setValue(long value);
  // In pixels of the form's client area.
  void Move(long left, long top, long width, long height);
  // The slider's window; null before its form has loaded.
  HWND hWnd() const { return hwnd_; }
  std::function<void()> ValueChange;

 private:
  friend class Form;
  void create(HWND form);
  // The slider told its form of a move.
  void scrolled();
  Form& form_;
  HWND hwnd_ = nullptr;
  RECT rect_{0, 0, 30, 100};
  long min_ = 0;
  long max_ = 10;
  long value_ = 0;  // as last seen: a move that changes nothing is no change
};

// A control array: count controls of the form, each made as T(form).
template <class T, std::size_t N>
std::array<T, N> ControlArray(Form& form) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return std::array<T, N>{{(static_cast<void>(I), T(form))...}};
  }
  (std::make_index_sequence<N>{});
}

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
