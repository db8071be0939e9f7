#include "platform/guard.h"
#include "platform/ui.h"

namespace ui {
namespace {
constexpr const char* kFormClass = "FolverraForm";
}

Form::~Form() {
  if (hwnd_) {
    ui::SetWindowLongPtr(hwnd_, GWLP_USERDATA, 0);
    ui::DestroyWindow(hwnd_);
  }
}

void Form::Load() {
  if (hwnd_) return;
  ui::RegisterWindowClass(kFormClass, &Form::FormProc);
  HWND hwnd = ui::CreateWindowEx(0, kFormClass, formName(), WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr);
  if (!hwnd) platform::raise(platform::kOutOfMemory, "Cannot create the window of " + formName());
  hwnd_ = hwnd;
  ui::SetWindowLongPtr(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  Form_Load();
}

HWND Form::hWnd() {
  Load();
  return hwnd_;
}

void Form::Show() {
  ui::ShowWindow(hWnd(), SW_SHOWNORMAL);
}

void Form::Hide() {
  if (hwnd_) ui::ShowWindow(hwnd_, SW_HIDE);
}

bool Form::UnloadWindow() {
  if (!hwnd_) return true;
  int cancel = 0;
  Form_Unload(cancel);
  if (cancel) return false;
  HWND hwnd = hwnd_;
  hwnd_ = nullptr;
  ui::SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
  ui::DestroyWindow(hwnd);
  return true;
}

LRESULT CALLBACK Form::FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return platform::boundary<LRESULT>("FormProc", 0, [&]() -> LRESULT {
    auto* form = reinterpret_cast<Form*>(ui::GetWindowLongPtr(hwnd, GWLP_USERDATA));
    if (form && msg == WM_SIZE) form->Form_Resize();
    return ui::DefWindowProc(hwnd, msg, wParam, lParam);
  });
}

}  // namespace ui
