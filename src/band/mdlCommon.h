// Window and system helpers shared by every part of the toolbar, the error log writer and the
// trace sink.
#pragma once

#include <cstdint>
#include <string>

#include "platform/error.h"
#include "platform/picture.h"
#include "platform/wintypes.h"

// Appends one error record to errors.xml beside the module. Never fails: a report that
// cannot be written is lost silently.
void LogError(const std::string& project, const std::string& object, const std::string& routine,
              std::int32_t number, const std::string& source, const std::string& description,
              const std::string& lastDllError, const std::string& moreInfo) noexcept;

// Reports a caught error state for object in project.
void LogErrorState(const std::string& project, const std::string& object, std::string_view routine,
                   const platform::Error& error, const std::string& moreInfo) noexcept;

// The trace sink: writes "object: message" lines to the file FOLVERRA_TRACE names, and
// nothing at all when it names none.
void LogTrace(const std::string& object, const std::string& message) noexcept;

// The path of the error log.
std::string ErrorLogPath();

// Installs procedure on hwnd, keeping the previous one in the window property "WinProc".
void SubClass(HWND hwnd, WNDPROC procedure);
// True on Windows Me, 2000 and later.
bool IsShell5();
void LoadHandCursor();
ui::Picture HandleToPicture(HANDLE handle, int kind);

// Per-thread slots.
HCURSOR& g_hHandCursor();
ui::Picture& g_picHandCursor();
