#include "band/mdlToolband.h"

#include <algorithm>
#include <string>
#include <vector>

#include "band/Reporter.h"
#include "band/mdlCommon.h"
#include "platform/ui.h"
#include "runtime/form.h"
#include "runtime/guard.h"
#include "toolbar/frmToolband.h"

namespace {

constexpr Reporter kReporter{kProjectName, "mdlToolband"};
constexpr const char* kBrowserService = "{0002DF05-0000-0000-C000-000000000046}";
constexpr LONG_PTR kBandStyleBits = 0x40010100;
constexpr WPARAM kSiteCommand = 1019;

struct Slots {
  com::Ptr<IUnknown> toolband;
  com::Ptr<IUnknown> site;
  browser::WebBrowser browser;
  HWND hwnd = nullptr;
  VARIANT_BOOL siteCommandSeen = 0;
  // Site windows carrying Toolband_WNDPROC, so the saved procedures can be put back.
  std::vector<HWND> subclassed;
};

Slots& slots() {
  thread_local Slots s;
  return s;
}

WNDPROC installedProc(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(ui::GetWindowLongPtr(hwnd, GWLP_WNDPROC));
}

// Installs Toolband_WNDPROC once per site window: a second installation would save the
// procedure as its own predecessor and make it call itself.
void subclassSiteWindow(HWND site) {
  if (installedProc(site) == &Toolband_WNDPROC) return;
  SubClass(site, &Toolband_WNDPROC);
  if (installedProc(site) == &Toolband_WNDPROC) slots().subclassed.push_back(site);
}

// Puts the saved procedures back, so none of this module's code stays installed after the
// band is gone. A window subclassed again by someone else after us keeps its chain.
void restoreSiteWindows() {
  for (HWND site : std::exchange(slots().subclassed, {})) {
    if (!ui::IsWindow(site) || installedProc(site) != &Toolband_WNDPROC) continue;
    ui::SetWindowLongPtr(site, GWLP_WNDPROC,
                         reinterpret_cast<LONG_PTR>(ui::GetProp(site, "WinProc")));
    ui::RemoveProp(site, "WinProc");
  }
}

bool isWatched(UINT msg) {
  return msg == WM_ACTIVATE || msg == WM_KILLFOCUS || msg == WM_NCACTIVATE || msg == WM_COMMAND;
}

}  // namespace

void SetToolband(const com::Ptr<IUnknown>& object) {
  kReporter.guard("Set Toolband()", [&] { slots().toolband = object; });
}

com::Ptr<IUnknown> Toolband() {
  return slots().toolband;
}

void SetToolbandSite(const com::Ptr<IUnknown>& site) {
  kReporter.guard("Set ToolbandSite()", [&] {
    Slots& s = slots();
    if (!site) {
      DestroyBandWindow();
      s.browser = {};
      s.site = {};
      return;
    }
    s.site = site.query<IUnknown>(IID_IUnknown);
    const com::Ptr<IUnknown> found =
        FindIESite(s.site.query<IServiceProvider>(IID_IServiceProvider));
    s.browser = browser::WebBrowser::FromUnknown(found).Application();
    CreateBandWindow();
  });
}

com::Ptr<IUnknown> ToolbandSite() {
  com::Ptr<IUnknown> result;
  kReporter.guard("Get ToolbandSite()", [&] { result = slots().site; });
  return result;
}

com::Ptr<IOleWindow> GetToolbandSiteWindow() {
  com::Ptr<IOleWindow> result;
  kReporter.guard("GetToolbandSiteWindow()",
                  [&] { result = slots().site.query<IOleWindow>(IID_IOleWindow); });
  return result;
}

browser::WebBrowser ToolbandBrowser() {
  browser::WebBrowser result;
  kReporter.guard("Get ToolbandBrowser()", [&] { result = slots().browser; });
  return result;
}

HWND ToolbandHWND() {
  HWND result = nullptr;
  kReporter.guard("Get ToolbandHWND()", [&] { result = slots().hwnd; });
  return result;
}

VARIANT_BOOL& g_bSiteCommandSeen() {
  return slots().siteCommandSeen;
}

void ShowToolband() {
  kReporter.guard("ShowToolband()", [&] { ui::ShowWindow(ToolbandHWND(), SW_SHOWNORMAL); });
}

void HideToolband() {
  kReporter.guard("HideToolband()", [&] { ui::ShowWindow(ToolbandHWND(), SW_HIDE); });
}

void CreateBandWindow() {
  kReporter.guard("CreateBandWindow()", [&] {
    Slots& s = slots();
    frmToolband& form = ui::Instance<frmToolband>::get();
    form.Load();
    s.hwnd = form.hWnd();
    const LONG_PTR style = ui::GetWindowLongPtr(s.hwnd, GWL_STYLE);
    ui::SetWindowLongPtr(s.hwnd, GWL_STYLE, style | kBandStyleBits);
    HWND siteWindow = nullptr;
    platform::check(GetToolbandSiteWindow()->GetWindow(&siteWindow));
    ui::SetParent(s.hwnd, siteWindow);
    platform::check(GetToolbandSiteWindow()->GetWindow(&siteWindow));
    subclassSiteWindow(siteWindow);
    LoadHandCursor();
  });
}

void DestroyBandWindow() {
  kReporter.guard("DestroyBandWindow()", [&] {
    ui::Instance<frmToolband>::Unload();
    // The window is gone: a handle kept here would name a dead or reused window.
    slots().hwnd = nullptr;
    restoreSiteWindows();
  });
}

com::Ptr<IUnknown> FindIESite(const com::Ptr<IServiceProvider>& site) {
  com::Ptr<IUnknown> result;
  kReporter.guard("FindIESite()", [&] {
    const GUID service = com::CLSIDFromString(kBrowserService);
    const IID iid = com::CLSIDFromString(kBrowserService);
    com::Ptr<IUnknown> object;
    platform::check(site->QueryService(service, iid, object.putVoid()));
    result = object;
  });
  return result;
}

LRESULT CALLBACK Toolband_WNDPROC(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  kReporter.guard("Toolband_WNDPROC()", [&] {
    if (isWatched(msg)) {
      kReporter.Trace(std::to_string(static_cast<LONG>(msg)) + " - " +
                      std::to_string(static_cast<LONG_PTR>(wParam)) + " - " +
                      std::to_string(lParam));
      if (wParam == kSiteCommand) g_bSiteCommandSeen() = -1;
    }
    auto previous = reinterpret_cast<WNDPROC>(ui::GetProp(hwnd, "WinProc"));
    if (previous && previous != &Toolband_WNDPROC)
      result = ui::CallWindowProc(previous, hwnd, msg, wParam, lParam);
    else
      result = ui::DefWindowProc(hwnd, msg, wParam, lParam);
  });
  return result;
}
