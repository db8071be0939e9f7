// What the headless screen would show: a form's paint is kept with its window instead.
#pragma once

#include <string>
#include <vector>

#include "platform/controls.h"

namespace headless {

// The items of hwnd's last paint, bottom first; none for a window never painted or gone.
std::vector<ui::PaintItem> PaintedItems(HWND hwnd);
// The title hwnd was created with; empty for a window that is gone.
std::string WindowTitle(HWND hwnd);

}  // namespace headless
