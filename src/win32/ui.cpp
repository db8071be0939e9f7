#include "platform/ui.h"

#include <mutex>
#include <set>

#include "win32/module.h"
#include "win32/wide.h"

namespace ui {
namespace {

std::mutex g_classMutex;
std::set<std::wstring> g_classes;

// A name already taken by this module (a second thread got there first) is usable as it is.
bool registerOnce(const std::string& className, WNDPROC proc) {
  std::lock_guard lock(g_classMutex);
  const std::wstring name = win32::wide(className);
  if (g_classes.count(name)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = win32::ModuleInstance();
  wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = name.c_str();
  if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  g_classes.insert(name);
  return true;
}

}  // namespace

}  // namespace ui

// Classes outlive the module that registered them; left behind they would call into
// unloaded code when the module is loaded again.
void win32::UnregisterWindowClasses() {
  std::lock_guard lock(ui::g_classMutex);
  for (const std::wstring& name : ui::g_classes) ::UnregisterClassW(name.c_str(), ModuleInstance());
  ui::g_classes.clear();
}

namespace ui {

bool RegisterWindowClass(const std::string& className, WNDPROC proc) {
  return registerOnce(className, proc);
}

HWND CreateWindowEx(DWORD exStyle, const std::string& className, const std::string& title,
                    DWORD style, int x, int y, int width, int height, HWND parent) {
  return ::CreateWindowExW(exStyle, win32::wide(className).c_str(), win32::wide(title).c_str(),
                           style, x, y, width, height, parent, nullptr, win32::ModuleInstance(),
                           nullptr);
}

BOOL DestroyWindow(HWND hwnd) {
  return ::DestroyWindow(hwnd);
}
BOOL IsWindow(HWND hwnd) {
  return ::IsWindow(hwnd);
}

std::string GetClassName(HWND hwnd) {
  wchar_t name[256];
  const int n = ::GetClassNameW(hwnd, name, 256);
  return win32::narrow(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
  return ::GetWindowLongPtrW(hwnd, index);
}
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
  return ::SetWindowLongPtrW(hwnd, index, value);
}
HWND SetParent(HWND child, HWND parent) {
  return ::SetParent(child, parent);
}
HWND GetParent(HWND hwnd) {
  return ::GetParent(hwnd);
}
BOOL ShowWindow(HWND hwnd, int cmdShow) {
  return ::ShowWindow(hwnd, cmdShow);
}
BOOL IsWindowVisible(HWND hwnd) {
  return ::IsWindowVisible(hwnd);
}
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return ::MoveWindow(hwnd, x, y, width, height, repaint);
}
BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  return ::GetWindowRect(hwnd, rect);
}
BOOL GetClientRect(HWND hwnd, RECT* rect) {
  return ::GetClientRect(hwnd, rect);
}
BOOL EnumChildWindows(HWND parent, EnumWindowsCallback callback, LPARAM lParam) {
  return ::EnumChildWindows(parent, callback, lParam);
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  return ::EnableWindow(hwnd, enable);
}
BOOL IsWindowEnabled(HWND hwnd) {
  return ::IsWindowEnabled(hwnd);
}

BOOL BringWindowToTop(HWND hwnd) {
  return ::BringWindowToTop(hwnd);
}
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  return ::SetWindowPos(hwnd, insertAfter, x, y, width, height, flags);
}
HWND GetDesktopWindow() {
  return ::GetDesktopWindow();
}
HWND SetActiveWindow(HWND hwnd) {
  return ::SetActiveWindow(hwnd);
}
BOOL SetForegroundWindow(HWND hwnd) {
  return ::SetForegroundWindow(hwnd);
}
HWND GetForegroundWindow() {
  return ::GetForegroundWindow();
}
HWND SetFocus(HWND hwnd) {
  return ::SetFocus(hwnd);
}
HWND WindowFromPoint(POINT point) {
  return ::WindowFromPoint(point);
}
BOOL GetCursorPos(POINT* point) {
  return ::GetCursorPos(point);
}
BOOL SetCursorPos(int x, int y) {
  return ::SetCursorPos(x, y);
}

int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  return ::MessageBoxW(owner, win32::wide(text).c_str(), win32::wide(caption).c_str(), type);
}

BOOL SetProp(HWND hwnd, const std::string& name, HANDLE value) {
  return ::SetPropW(hwnd, win32::wide(name).c_str(), value);
}
HANDLE GetProp(HWND hwnd, const std::string& name) {
  return ::GetPropW(hwnd, win32::wide(name).c_str());
}
HANDLE RemoveProp(HWND hwnd, const std::string& name) {
  return ::RemovePropW(hwnd, win32::wide(name).c_str());
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::CallWindowProcW(proc, hwnd, msg, wParam, lParam);
}
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageW(hwnd, msg, wParam, lParam);
}
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageW(hwnd, msg, wParam, lParam);
}

BOOL GetMessage(MSG* msg) {
  return ::GetMessageW(msg, nullptr, 0, 0);
}
BOOL PeekMessage(MSG* msg) {
  return ::PeekMessageW(msg, nullptr, 0, 0, PM_REMOVE);
}
LRESULT DispatchMessage(const MSG* msg) {
  return ::DispatchMessageW(msg);
}
void PostQuitMessage(int exitCode) {
  ::PostQuitMessage(exitCode);
}

// WM_QUIT stays for the loop that owns it, as the run-time's DoEvents leaves it.
void DoEvents() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

HCURSOR LoadHandCursor() {
  return ::LoadCursor(nullptr, IDC_HAND);
}
HCURSOR SetCursor(HCURSOR cursor) {
  return ::SetCursor(cursor);
}
HCURSOR GetCursor() {
  return ::GetCursor();
}

}  // namespace ui
