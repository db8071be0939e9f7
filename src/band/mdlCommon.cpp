#include "band/mdlCommon.h"

#include "platform/guard.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace {

constexpr const char* kObject = "mdlCommon";

void reportCommon(std::string_view routine, const platform::Error& error) {
  LogErrorState("Folverra", kObject, routine, error, "");
}

}  // namespace

HCURSOR& g_hHandCursor() {
  thread_local HCURSOR cursor = nullptr;
  return cursor;
}

ui::Picture& g_picHandCursor() {
  thread_local ui::Picture picture;
  return picture;
}

void SubClass(HWND hwnd, WNDPROC procedure) {
  platform::guarded("SubClass()", reportCommon, [&] {
    const LONG_PTR previous = ui::GetWindowLongPtr(hwnd, GWLP_WNDPROC);
    ui::SetProp(hwnd, "WinProc", reinterpret_cast<HANDLE>(previous));
    ui::SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  });
}

bool IsShell5() {
  bool result = false;
  platform::guarded("IsShell5()", reportCommon, [&] {
    OSVERSIONINFO info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!sys::GetVersionEx(info)) return;
    result = (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && info.dwMinorVersion >= 90) ||
             (info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 5);
  });
  return result;
}

void LoadHandCursor() {
  g_hHandCursor() = ui::LoadHandCursor();
  if (g_hHandCursor()) g_picHandCursor() = HandleToPicture(g_hHandCursor(), 0);
}

ui::Picture HandleToPicture(HANDLE handle, int kind) {
  return ui::OleCreatePictureIndirect(kind > 0 ? ui::PICTYPE_BITMAP : ui::PICTYPE_ICON, handle,
                                      true);
}
