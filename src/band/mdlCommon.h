// Window and system helpers shared by every part of the toolbar, the error log writer and the
// trace sink.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/picture.h"
#include "platform/wintypes.h"
#include "runtime/error.h"

// Appends one error record to errors.xml beside the module. Never fails: a report that
// cannot be written is lost silently.
void LogError(const std::string& project, const std::string& object, const std::string& routine,
              std::int32_t number, const std::string& source, const std::string& description,
              const std::string& lastDllError, const std::string& moreInfo) noexcept;

// Reports a caught error state for object in project.
void LogErrorState(std::string_view project, std::string_view object, std::string_view routine,
                   const platform::Error& error, const std::string& moreInfo) noexcept;

// The trace sink: writes "object: message" lines to the file FOLVERRA_TRACE names, and
// nothing at all when it names none.
void LogTrace(std::string_view object, const std::string& message) noexcept;

// The path of the error log.
std::string ErrorLogPath();

// ShowWindow normal, then to the front.
void ShowWindowEx(HWND hwnd);
// A new browser window on url; bars hidden unless bShowBars; a size of 0 keeps the default.
void LaunchBrowser(const std::string& url, VARIANT_BOOL bShowBars, long width, long height,
                   VARIANT_BOOL bResizable);
// Shows url in every open window of the service's site, or else in the band's browser.
void NavigateServiceWindow(const std::string& url);
HWND GetWindowUnderCursor();
// The child of the browser's top window that holds the page; 0 when it cannot be found.
HWND GetBrowserPaneWindow();
// Makes hwnd a child of the browser pane: the windows over the page move with it.
void MakeBrowserPaneChild(HWND hwnd);
// The same, at the pane's top-left corner, width x height pixels.
void PlaceInBrowserPane(HWND hwnd, int width, int height);
// Child-window enumeration callback: stores the first "Internet Explorer_Server" found.
BOOL CALLBACK FindIEServerProc(HWND hwnd, LPARAM lParam);

// Installs procedure on hwnd, keeping the previous one in the window property "WinProc".
void SubClass(HWND hwnd, WNDPROC procedure);
// True on Windows Me, 2000 and later.
bool IsShell5();
void LoadHandCursor();
ui::Picture HandleToPicture(HANDLE handle, int kind);

// Per-thread slots.
HWND& g_hWndIEServer();
HWND& g_hWndBrowserPane();
HCURSOR& g_hHandCursor();
ui::Picture& g_picHandCursor();
