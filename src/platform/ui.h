// The ui port: windows (handles, classes, styles, parents, show state, window procedures and
// properties) and the message queue of the calling thread; forms are written once on it
// (runtime/form.h). A platform implements every function here. They are user32's and answer
// as it does (a BOOL, a null handle or 0 on failure) without raising.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace ui {

using EnumWindowsCallback = BOOL(CALLBACK*)(HWND, LPARAM);

// Registers a window class for this process; registering an existing name again is harmless.
bool RegisterWindowClass(const std::string& className, WNDPROC proc);
HWND CreateWindowEx(DWORD exStyle, const std::string& className, const std::string& title,
                    DWORD style, int x, int y, int width, int height, HWND parent);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
std::string GetClassName(HWND hwnd);

LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);
HWND SetParent(HWND child, HWND parent);
HWND GetParent(HWND hwnd);
BOOL ShowWindow(HWND hwnd, int cmdShow);
BOOL IsWindowVisible(HWND hwnd);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL EnumChildWindows(HWND parent, EnumWindowsCallback callback, LPARAM lParam);
// A disabled window takes no input; a modal form disables its owner while it is shown. The
// owner of a top-level window is its window long GWLP_HWNDPARENT.
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);

// Z-order, activation and focus.
BOOL BringWindowToTop(HWND hwnd);
// Moves and sizes the window unless told not to, and places it in the z-order: directly behind
// insertAfter (a window beside it, or one inside such a window), or HWND_TOP, HWND_BOTTOM,
// HWND_TOPMOST (above every window that is not topmost, for good), HWND_NOTOPMOST.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
// The screen as a window: its rectangle is the desktop's.
HWND GetDesktopWindow();
HWND SetActiveWindow(HWND hwnd);
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
HWND SetFocus(HWND hwnd);
// The deepest visible window at a screen point; null when none is there.
HWND WindowFromPoint(POINT point);
BOOL GetCursorPos(POINT* point);
BOOL SetCursorPos(int x, int y);

// A modal message box owned by owner's top-level window, on the calling thread: the button
// chosen (IDOK...), 0 when it cannot be shown.
int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

BOOL SetProp(HWND hwnd, const std::string& name, HANDLE value);
HANDLE GetProp(HWND hwnd, const std::string& name);
HANDLE RemoveProp(HWND hwnd, const std::string& name);

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The calling thread's queue.
BOOL GetMessage(MSG* msg);
BOOL PeekMessage(MSG* msg);  // removes the message it returns
LRESULT DispatchMessage(const MSG* msg);
void PostQuitMessage(int exitCode);
// Processes what is pending in the calling thread's queue, once.
void DoEvents();

// IDC_HAND; null when the cursor cannot be loaded.
HCURSOR LoadHandCursor();
// The cursor shown for the calling thread; SetCursor answers the one it replaced.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

}  // namespace ui
