#include "runtime/controls.h"

#include <algorithm>
#include <atomic>

#include "runtime/art.h"
#include "runtime/error.h"
#include "platform/system.h"
#include "runtime/form.h"

namespace ui {
namespace {

constexpr std::int32_t kInvalidPicture = 481;
constexpr std::int32_t kSubscriptOutOfRange = 9;
constexpr std::int32_t kInvalidPropertyValue = 380;

// Timer ids are unique in the process, so a form never confuses two of its timers.
UINT_PTR nextTimerId() {
  static std::atomic<UINT_PTR> next{1};
  return next++;
}

}  // namespace

Picture LoadArt(std::string_view name) {
  const auto bytes = ArtBytes(name);
  if (bytes.empty()) platform::raise(kInvalidPicture, "Invalid picture: " + std::string(name));
  return LoadBitmapFile(bytes);
}

Control::Control(Form& form) {
  form.controls_.push_back(this);
}

RECT Control::formRect() const {
  RECT r{static_cast<LONG>(Left), static_cast<LONG>(Top), static_cast<LONG>(Left + Width),
         static_cast<LONG>(Top + Height)};
  for (const Control* c = Container; c; c = c->Container) {
    r.left += c->Left;
    r.right += c->Left;
    r.top += c->Top;
    r.bottom += c->Top;
  }
  return r;
}

bool Control::shown() const {
  for (const Control* c = this; c; c = c->Container)
    if (!c->Visible) return false;
  return true;
}

void Image::setPicture(const Picture& picture) {
  picture_ = picture;
  if (Stretch || !picture_) return;
  Width = PictureWidth(picture_);
  Height = PictureHeight(picture_);
}

void Image::appendPaint(std::vector<PaintItem>& items) const {
  if (picture_) items.push_back({formRect(), picture_});
}

void Label::setCaption(std::string caption) {
  caption_ = std::move(caption);
  fit();
}

void Label::setFont(const FontSpec& font) {
  if (!(font.size > 0)) platform::raise(kInvalidPropertyValue);
  font_ = font;
  fit();
}

void Label::setAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  fit();
}

void Label::fit() {
  if (!autoSize_) return;
  const SIZE size = MeasureText(font_, caption_);
  Width = size.cx;
  Height = size.cy;
}

void Label::appendPaint(std::vector<PaintItem>& items) const {
  items.push_back(
      {formRect(), TextItem{caption_, font_, ForeColor, BackStyle == vbOpaque, BackColor}});
}

// The face is a text item with no text, filled.
void CommandButton::appendPaint(std::vector<PaintItem>& items) const {
  const RECT face = formRect();
  items.push_back({face, TextItem{"", Font, vbButtonText, true, vbButtonFace}});
  const SIZE text = MeasureText(Font, Caption);
  const LONG left = face.left + (face.right - face.left - text.cx) / 2;
  const LONG top = face.top + (face.bottom - face.top - text.cy) / 2;
  items.push_back({RECT{left, top, left + text.cx, top + text.cy}, TextItem{Caption, Font}});
}

Timer::Timer(Form& form) : form_(form), id_(nextTimerId()) {
  form.timers_.push_back(this);
}

Timer::~Timer() {
  if (enabled_ && form_.isLoaded()) ui::KillTimer(form_.hwnd_, id_);
  std::erase(form_.timers_, this);
}

void Timer::setEnabled(bool enabled) {
  enabled_ = enabled;
  if (!form_.isLoaded()) return;
  if (enabled_ && Interval > 0)
    SetTimer(form_.hwnd_, id_, static_cast<UINT>(Interval));
  else
    ui::KillTimer(form_.hwnd_, id_);
}

const Picture& ImageList::item(long index) const {
  if (index < 0 || index >= Count()) platform::raise(kSubscriptOutOfRange);
  return images_[static_cast<std::size_t>(index)];
}

long PopupMenu::AddItem(const MenuItem& item) {
  items_.push_back(item);
  return static_cast<long>(items_.size());
}

long PopupMenu::ShowPopupMenu(long xTwips, long yTwips) {
  POINT point{static_cast<LONG>(xTwips / sys::TwipsPerPixelX()),
              static_cast<LONG>(yTwips / sys::TwipsPerPixelY())};
  ui::ClientToScreen(hWndOwner, &point);
  const long chosen = TrackPopupMenu(hWndOwner, items_, Images, point);
  return chosen >= 1 && chosen <= static_cast<long>(items_.size()) ? chosen : 0;
}

const std::string& PopupMenu::ItemKey(long index) const {
  if (index < 1 || index > static_cast<long>(items_.size())) platform::raise(kSubscriptOutOfRange);
  return items_[static_cast<std::size_t>(index - 1)].key;
}

}  // namespace ui
