// The headless popup menu. Nobody sits at a headless screen, so a menu takes the choice a test
// or the command queued for it on the thread's message queue, in order with other input, and
// is dismissed when the queue holds no choice.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace headless {

struct ShownMenu {
  HWND owner = nullptr;
  POINT at{};  // screen pixels
  std::vector<ui::MenuItem> items;
  long images = 0;  // pictures in the menu's image list
};

// Queues the user's choice for the next menu shown on this thread: an item's 1-based index,
// or 0 to dismiss it.
void ChooseMenuItem(long index);
// The same by the item's key; a key the menu lacks dismisses it.
void ChooseMenuItem(const std::string& key);
// The last menu shown on this thread.
std::optional<ShownMenu> LastShownMenu();

}  // namespace headless
