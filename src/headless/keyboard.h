// The keyboard of the headless screen, for tests and the command: key presses go through the
// window's queue as a user's do, and are handled when the thread's loop next runs.
#pragma once

#include "platform/wintypes.h"

namespace headless {

// Posts a press and a release of the key to the window.
void PressKey(HWND window, WPARAM key);
// Presses Down or Up on a slider (ui::CreateSlider) as often as it takes from its value to
// value; a value past a bound stops there.
void MoveSliderTo(HWND slider, long value);

}  // namespace headless
