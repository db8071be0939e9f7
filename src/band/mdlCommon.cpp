#include "band/mdlCommon.h"

#include "band/Configuration.h"
#include "band/Reporter.h"
#include "band/mdlToolband.h"
#include "platform/browser.h"
#include "platform/system.h"
#include "platform/ui.h"
#include "runtime/guard.h"
#include "runtime/strings.h"

namespace {

constexpr Reporter kReporter{kProjectName, "mdlCommon"};

// HRESULT_FROM_WIN32(ERROR_BUSY)
constexpr std::int32_t kBrowserBusy = static_cast<std::int32_t>(0x800700AAu);

void hideBars(browser::WebBrowser& ie) {
  ie.setAddressBar(false);
  ie.setMenuBar(false);
  ie.setStatusBar(false);
  ie.setToolBar(false);
}

// A frame showing the site does not count: its window shows some other page.
bool isServiceWindow(const browser::WebBrowser& ie, const std::string& home) {
  return platform::containsNoCase(ie.LocationURL(), home) && ie.TopLevelContainer();
}

// The band's own window, unless it is too busy to navigate: then a window of its own.
void navigateBandBrowser(const std::string& url) {
  try {
    ToolbandBrowser().Navigate(url);
  } catch (...) {
    if (platform::currentError(std::current_exception()).number == kBrowserBusy)
      LaunchBrowser(url, VARIANT_TRUE, 0, 0, VARIANT_TRUE);
  }
}

}  // namespace

HWND& g_hWndIEServer() {
  thread_local HWND hwnd = nullptr;
  return hwnd;
}

HWND& g_hWndBrowserPane() {
  thread_local HWND hwnd = nullptr;
  return hwnd;
}

HCURSOR& g_hHandCursor() {
  thread_local HCURSOR cursor = nullptr;
  return cursor;
}

ui::Picture& g_picHandCursor() {
  thread_local ui::Picture picture;
  return picture;
}

void SubClass(HWND hwnd, WNDPROC procedure) {
  kReporter.guard("SubClass()", [&] {
    const LONG_PTR previous = ui::GetWindowLongPtr(hwnd, GWLP_WNDPROC);
    ui::SetProp(hwnd, "WinProc", reinterpret_cast<HANDLE>(previous));
    ui::SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  });
}

bool IsShell5() {
  bool result = false;
  kReporter.guard("IsShell5()", [&] {
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

void ShowWindowEx(HWND hwnd) {
  kReporter.guard("ShowWindowEx()", [&] {
    ui::ShowWindow(hwnd, SW_SHOWNORMAL);
    ui::BringWindowToTop(hwnd);
  });
}

void LaunchBrowser(const std::string& url, VARIANT_BOOL bShowBars, long width, long height,
                   VARIANT_BOOL bResizable) {
  const auto reportWithUrl = [&](std::string_view routine, const platform::Error& error) {
    kReporter.ReportError(routine, error, url);
  };
  kReporter.guard("LaunchBrowser()", reportWithUrl, [&] {
    browser::WebBrowser ie = browser::NewWindow();
    if (bShowBars == VARIANT_FALSE) hideBars(ie);
    ie.setResizable(bResizable != VARIANT_FALSE);
    if (width != 0) ie.setWidth(width);
    if (height != 0) ie.setHeight(height);
    ShowWindowEx(ie.hwnd());
    ie.Navigate(url);
  });
}

void NavigateServiceWindow(const std::string& url) {
  const std::string home = ServiceHome();
  bool found = false;
  for (browser::WebBrowser ie : browser::ShellWindows()) {
    if (!isServiceWindow(ie, home)) continue;
    ie.Navigate(url);
    ShowWindowEx(ie.hwnd());
    ui::SetActiveWindow(ie.hwnd());
    found = true;
  }
  if (!found) navigateBandBrowser(url);
}

HWND GetWindowUnderCursor() {
  POINT point{};
  ui::GetCursorPos(&point);
  return ui::WindowFromPoint(point);
}

// A child and no longer a popup: user32 takes a popup's parent for its owner.
void MakeBrowserPaneChild(HWND hwnd) {
  const LONG_PTR style = ui::GetWindowLongPtr(hwnd, GWL_STYLE);
  ui::SetWindowLongPtr(hwnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
  ui::SetParent(hwnd, GetBrowserPaneWindow());
}

void PlaceInBrowserPane(HWND hwnd, int width, int height) {
  MakeBrowserPaneChild(hwnd);
  ui::MoveWindow(hwnd, 0, 0, width, height, TRUE);
}

// A window covering the probe point has no parent chain up to the browser's frame: the walk
// ends at its top and nothing is cached, so a later call can still find the pane.
HWND GetBrowserPaneWindow() {
  if (g_hWndBrowserPane()) return g_hWndBrowserPane();
  const browser::WebBrowser ie = ToolbandBrowser();
  const html::Window window = ie.Document().html().parentWindow();
  const HWND top = ie.hwnd();
  const POINT probe{static_cast<LONG>(window.screenLeft() + 2),
                    static_cast<LONG>(window.screenTop() + 2)};
  HWND h = ui::WindowFromPoint(probe);
  while (h && ui::GetParent(h) != top) h = ui::GetParent(h);
  g_hWndBrowserPane() = h;
  return h;
}

BOOL CALLBACK FindIEServerProc(HWND hwnd, LPARAM) {
  if (ui::GetClassName(hwnd) == "Internet Explorer_Server") {
    g_hWndIEServer() = hwnd;
    return FALSE;
  }
  ui::EnumChildWindows(hwnd, &FindIEServerProc, reinterpret_cast<LPARAM>(hwnd));
  return TRUE;
}
