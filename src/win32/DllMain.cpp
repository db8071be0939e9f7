#include "win32/module.h"

namespace {
HINSTANCE g_instance = nullptr;
}

// At process exit (reserved non-null) the classes go with the process anyway.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) g_instance = instance;
  if (reason == DLL_PROCESS_DETACH && !reserved) win32::UnregisterWindowClasses();
  return TRUE;
}

namespace win32 {

// Outside the DLL nobody calls DllMain; the module that holds this code is the answer then.
HINSTANCE ModuleInstance() {
  if (g_instance) return g_instance;
  HMODULE self = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ModuleInstance), &self);
  return self;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        GetModuleFileNameW(ModuleInstance(), path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);  // truncated: the path is longer than the buffer
  }
}

}  // namespace win32
