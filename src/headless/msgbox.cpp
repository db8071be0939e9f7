#include "headless/msgbox.h"

#include "platform/ui.h"

namespace headless {
namespace {

std::vector<ShownMessageBox>& shown() {
  thread_local std::vector<ShownMessageBox> boxes;
  return boxes;
}

}  // namespace

std::vector<ShownMessageBox> MessageBoxesShown() {
  return shown();
}

}  // namespace headless

namespace ui {

int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  headless::shown().push_back({owner, text, caption, type});
  return IDOK;
}

}  // namespace ui
