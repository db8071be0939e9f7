// The headless trackbar: a child window holding its bounds and value, moved by the keys as the
// common control is, and telling its parent of each move.
#include <algorithm>

#include "headless/keyboard.h"
#include "platform/controls.h"
#include "platform/ui.h"

namespace ui {
namespace {

constexpr const char* kSliderClass = "msctls_trackbar32";

// The notification codes of the common control.
constexpr WPARAM kLineUp = 0;
constexpr WPARAM kLineDown = 1;
constexpr WPARAM kPageUp = 2;
constexpr WPARAM kPageDown = 3;
constexpr WPARAM kTop = 6;
constexpr WPARAM kBottom = 7;
constexpr WPARAM kEndTrack = 8;

struct SliderState {
  long lower = 0;
  long upper = 100;
  long value = 0;
};

SliderState* stateOf(HWND slider) {
  if (GetClassName(slider) != kSliderClass) return nullptr;
  return reinterpret_cast<SliderState*>(GetWindowLongPtr(slider, GWLP_USERDATA));
}

// Within the bounds, the upper one winning when they cross, as the common control keeps it.
long within(const SliderState& s, long value) {
  return std::min(std::max(value, s.lower), s.upper);
}

// The notification code of a key, and the value it moves to; none for another key.
bool step(const SliderState& s, WPARAM key, WPARAM& code, long& value) {
  const long page = std::max(1L, (s.upper - s.lower) / 5);
  switch (key) {
    case VK_UP:
    case VK_LEFT:
      code = kLineUp, value = s.value - 1;
      return true;
    case VK_DOWN:
    case VK_RIGHT:
      code = kLineDown, value = s.value + 1;
      return true;
    case VK_PRIOR:
      code = kPageUp, value = s.value - page;
      return true;
    case VK_NEXT:
      code = kPageDown, value = s.value + page;
      return true;
    case VK_HOME:
      code = kTop, value = s.lower;
      return true;
    case VK_END:
      code = kBottom, value = s.upper;
      return true;
    default:
      return false;
  }
}

void tellParent(HWND slider, WPARAM code) {
  SendMessage(GetParent(slider), WM_VSCROLL, code, reinterpret_cast<LPARAM>(slider));
}

LRESULT CALLBACK sliderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  SliderState* s = reinterpret_cast<SliderState*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
  WPARAM code = 0;
  long value = 0;
  switch (msg) {
    case WM_CREATE:
      SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new SliderState));
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
      delete s;
      return 0;
    case WM_KEYDOWN:
      if (!s || !IsWindowEnabled(hwnd) || !step(*s, wParam, code, value)) return 0;
      s->value = within(*s, value);
      tellParent(hwnd, code);
      return 0;
    case WM_KEYUP:
      if (s && IsWindowEnabled(hwnd) && step(*s, wParam, code, value)) tellParent(hwnd, kEndTrack);
      return 0;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

HWND CreateSlider(HWND parent, int x, int y, int width, int height) {
  RegisterWindowClass(kSliderClass, &sliderProc);
  return CreateWindowEx(0, kSliderClass, "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent);
}

void SetSliderLower(HWND slider, long lower) {
  if (SliderState* s = stateOf(slider)) {
    s->lower = lower;
    s->value = std::max(s->value, lower);
  }
}

void SetSliderUpper(HWND slider, long upper) {
  if (SliderState* s = stateOf(slider)) {
    s->upper = upper;
    s->value = std::min(s->value, upper);
  }
}

void SetSliderValue(HWND slider, long value) {
  if (SliderState* s = stateOf(slider)) s->value = within(*s, value);
}

long SliderLower(HWND slider) {
  const SliderState* s = stateOf(slider);
  return s ? s->lower : 0;
}

long SliderUpper(HWND slider) {
  const SliderState* s = stateOf(slider);
  return s ? s->upper : 0;
}

long SliderValue(HWND slider) {
  const SliderState* s = stateOf(slider);
  return s ? s->value : 0;
}

}  // namespace ui

void headless::PressKey(HWND window, WPARAM key) {
  ui::PostMessage(window, WM_KEYDOWN, key, 0);
  ui::PostMessage(window, WM_KEYUP, key, 0);
}

void headless::MoveSliderTo(HWND slider, long value) {
  const long from = ui::SliderValue(slider);
  value = std::min(std::max(value, ui::SliderLower(slider)), ui::SliderUpper(slider));
  const WPARAM key = value < from ? VK_UP : VK_DOWN;
  for (long i = std::min(from, value); i < std::max(from, value); ++i) PressKey(slider, key);
}
