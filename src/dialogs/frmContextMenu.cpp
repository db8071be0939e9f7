#include "dialogs/frmContextMenu.h"

#include "platform/ui.h"

namespace {
constexpr int kWidth = 102;
constexpr int kHeight = 169;
}  // namespace

// Borderless at its design size; the slider and its buttons come with the menu's own work.
void frmContextMenu::Form_Load() {
  ui::SetWindowLongPtr(hWnd(), GWL_STYLE, WS_POPUP | WS_CLIPCHILDREN);
  ui::MoveWindow(hWnd(), 0, 0, kWidth, kHeight, FALSE);
}
