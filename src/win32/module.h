// The module the system runs in: folverra.dll in the browser, or the program that links the
// ports directly.
#pragma once

#include <string>

#include "platform/wintypes.h"

namespace win32 {

HINSTANCE ModuleInstance();
// The full path of the module file.
std::wstring ModulePath();
// Called when the module is unloaded.
void UnregisterWindowClasses();

}  // namespace win32
