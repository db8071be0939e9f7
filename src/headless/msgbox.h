// The headless message box. Nobody sits at a headless screen: each box is kept for tests and the
// command to read, and answered at once with OK, as a user pressing Enter would.
#pragma once

#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace headless {

struct ShownMessageBox {
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT type = 0;
};

// The boxes shown on this thread, the first first.
std::vector<ShownMessageBox> MessageBoxesShown();

}  // namespace headless
