#include "headless/menu.h"

#include <deque>

#include "platform/ui.h"
#include "runtime/controls.h"

namespace headless {
namespace {

// A thread message of this platform's own, never a window's.
constexpr UINT kMenuChoice = WM_APP + 0x3F01;

// Choices by key wait here, in order, for the menus their messages reach.
std::deque<std::string>& keysChosen() {
  thread_local std::deque<std::string> keys;
  return keys;
}

constexpr WPARAM kByKey = static_cast<WPARAM>(-1);

long indexOf(const std::vector<ui::MenuItem>& items, const std::string& key) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].key == key) return static_cast<long>(i + 1);
  return 0;
}

std::optional<ShownMenu>& lastShown() {
  thread_local std::optional<ShownMenu> shown;
  return shown;
}

}  // namespace

void ChooseMenuItem(long index) {
  ui::PostMessage(nullptr, kMenuChoice, static_cast<WPARAM>(index), 0);
}

void ChooseMenuItem(const std::string& key) {
  keysChosen().push_back(key);
  ui::PostMessage(nullptr, kMenuChoice, kByKey, 0);
}

std::optional<ShownMenu> LastShownMenu() {
  return lastShown();
}

}  // namespace headless

namespace ui {

// The menu's own loop: what is queued before the choice is handled as it would be while a
// real menu is open.
long TrackPopupMenu(HWND owner, const std::vector<MenuItem>& items, const ImageList* images,
                    POINT screenPoint) {
  headless::lastShown() =
      headless::ShownMenu{owner, screenPoint, items, images ? images->Count() : 0};
  MSG msg;
  while (PeekMessage(&msg)) {
    if (msg.message == headless::kMenuChoice && msg.wParam == headless::kByKey) {
      const std::string key = headless::keysChosen().front();
      headless::keysChosen().pop_front();
      return headless::indexOf(items, key);
    }
    if (msg.message == headless::kMenuChoice) return static_cast<long>(msg.wParam);
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return 0;
    }
    DispatchMessage(&msg);
  }
  return 0;
}

}  // namespace ui
