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

void Label::setWordWrap(bool wordWrap) {
  wordWrap_ = wordWrap;
  fit();
}

// A word wider than the label stands on a line of its own.
std::vector<std::string> Label::lines() const {
  if (!wordWrap_) return {caption_};
  std::vector<std::string> lines;
  std::string line;
  std::size_t at = 0;
  while (at <= caption_.size()) {
    std::size_t end = caption_.find(' ', at);
    if (end == std::string::npos) end = caption_.size();
    const std::string word = caption_.substr(at, end - at);
    const std::string longer = line.empty() ? word : line + ' ' + word;
    if (!line.empty() && MeasureText(font_, longer).cx > Width) {
      lines.push_back(line);
      line = word;
    } else {
      line = longer;
    }
    at = end + 1;
  }
  lines.push_back(line);
  return lines;
}

void Label::fit() {
  if (!autoSize_) return;
  const SIZE size = MeasureText(font_, caption_);
  if (!wordWrap_) Width = size.cx;
  Height = size.cy * static_cast<long>(lines().size());
}

// A wrapped caption is one text item per line, the background under all of them.
void Label::appendPaint(std::vector<PaintItem>& items) const {
  const RECT r = formRect();
  if (!wordWrap_) {
    items.push_back({r, TextItem{caption_, font_, ForeColor, BackStyle == vbOpaque, BackColor}});
    return;
  }
  if (BackStyle == vbOpaque) items.push_back({r, TextItem{"", font_, ForeColor, true, BackColor}});
  LONG top = r.top;
  for (const std::string& line : lines()) {
    const LONG bottom = std::min<LONG>(r.bottom, top + MeasureText(font_, line).cy);
    if (bottom <= top) break;
    items.push_back({RECT{r.left, top, r.right, bottom}, TextItem{line, font_, ForeColor}});
    top = bottom;
  }
}

// An empty text filled with the line's colour.
void Line::appendPaint(std::vector<PaintItem>& items) const {
  if (X1 != X2 && Y1 != Y2) return;
  const RECT form = formRect();
  const auto x = [&](long v) { return static_cast<LONG>(form.left - Left + v); };
  const auto y = [&](long v) { return static_cast<LONG>(form.top - Top + v); };
  const RECT r{x(std::min(X1, X2)), y(std::min(Y1, Y2)), x(std::max(X1, X2) + 1),
               y(std::max(Y1, Y2) + 1)};
  items.push_back({r, TextItem{"", FontSpec{}, BorderColor, true, BorderColor}});
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

void BrowserControl::Navigate2(const std::string& url) {
  if (!window_) window_ = browser::NewControl(form_.hWnd(), formRect());
  address_ = url;
  window_.Navigate2(url);
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

Slider::Slider(Form& form) : form_(form) {
  form.sliders_.push_back(this);
}

Slider::~Slider() {
  std::erase(form_.sliders_, this);
}

void Slider::create(HWND form) {
  hwnd_ =
      CreateSlider(form, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top);
  const long value = value_;
  setMin(min_);
  setMax(max_);
  setValue(value);
}

long Slider::Min() const {
  return hwnd_ ? SliderLower(hwnd_) : min_;
}

long Slider::Max() const {
  return hwnd_ ? SliderUpper(hwnd_) : max_;
}

long Slider::Value() const {
  return hwnd_ ? SliderValue(hwnd_) : value_;
}

void Slider::setMin(long min) {
  min_ = min;
  if (!hwnd_) return;
  SetSliderLower(hwnd_, min);
  value_ = SliderValue(hwnd_);
}

void Slider::setMax(long max) {
  max_ = max;
  if (!hwnd_) return;
  SetSliderUpper(hwnd_, max);
  value_ = SliderValue(hwnd_);
}

void Slider::setValue(long value) {
  value_ = value;
  if (!hwnd_) return;
  SetSliderValue(hwnd_, value);
  value_ = SliderValue(hwnd_);
}

void Slider::Move(long left, long top, long width, long height) {
  rect_ = {static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(left + width),
           static_cast<LONG>(top + height)};
  if (hwnd_)
    ui::MoveWindow(hwnd_, static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
                   static_cast<int>(height), TRUE);
}

void Slider::scrolled() {
  const long value = SliderValue(hwnd_);
  if (value == value_) return;
  value_ = value;
  if (ValueChange) ValueChange();
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
