// The slider is the common controls' trackbar; its bounds and value live in the control and are
// set and read through its messages.
#include "platform/controls.h"

#include <commctrl.h>

#include "win32/module.h"

namespace ui {

// The bar classes are registered here too: a form's slider is made before its load handler runs.
HWND CreateSlider(HWND parent, int x, int y, int width, int height) {
  INITCOMMONCONTROLSEX init{static_cast<DWORD>(sizeof(INITCOMMONCONTROLSEX)), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&init);
  return ::CreateWindowExW(0, TRACKBAR_CLASSW, L"",
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_VERT | TBS_NOTICKS, x, y, width,
                           height, parent, nullptr, win32::ModuleInstance(), nullptr);
}

void SetSliderLower(HWND slider, long lower) {
  ::SendMessageW(slider, TBM_SETRANGEMIN, TRUE, lower);
}

void SetSliderUpper(HWND slider, long upper) {
  ::SendMessageW(slider, TBM_SETRANGEMAX, TRUE, upper);
}

void SetSliderValue(HWND slider, long value) {
  ::SendMessageW(slider, TBM_SETPOS, TRUE, value);
}

long SliderLower(HWND slider) {
  return static_cast<long>(::SendMessageW(slider, TBM_GETRANGEMIN, 0, 0));
}

long SliderUpper(HWND slider) {
  return static_cast<long>(::SendMessageW(slider, TBM_GETRANGEMAX, 0, 0));
}

long SliderValue(HWND slider) {
  return static_cast<long>(::SendMessageW(slider, TBM_GETPOS, 0, 0));
}

}  // namespace ui
