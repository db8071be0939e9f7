#include <cwchar>

#include "check.h"
#include "platform/com.h"
#include "platform/system.h"
#include "platform/xml.h"
#include "site.h"

namespace smoke {
namespace {

constexpr const char* kBandProgId = "Folverra.Toolbar";
constexpr const wchar_t* kUntouchedTitle = L"untouched";
constexpr COLORREF kUntouchedColour = RGB(1, 2, 3);
int g_notNull;

com::Ptr<IUnknown> createBand() {
  com::Ptr<IUnknown> band;
  attempt("CoCreateInstance of " + std::string(kBandProgId), [&] {
    const CLSID clsid = com::CLSIDFromProgID(kBandProgId);
    platform::check(com::CoCreateInstance(clsid, nullptr, IID_IUnknown, band.putVoid()));
  });
  return band;
}

// The browser asks for everything; the band sizes itself and leaves title and colour alone.
void checkBandInfo(const com::Ptr<IUnknown>& band) {
  DESKBANDINFO info{};
  info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE |
                DBIM_MODEFLAGS | DBIM_BKCOLOR;
  std::wcscpy(info.wszTitle, kUntouchedTitle);
  info.crBkgnd = kUntouchedColour;
  info.dwModeFlags = 0xFFFF;
  attempt("GetBandInfo",
          [&] { platform::check(band.query<IDeskBand>(IID_IDeskBand)->GetBandInfo(0, 0, &info)); });
  const struct {
    const char* name;
    POINTL size;
  } sizes[] = {{"min", info.ptMinSize},
               {"max", info.ptMaxSize},
               {"integral", info.ptIntegral},
               {"actual", info.ptActual}};
  for (const auto& s : sizes)
    expect(s.size.x == 36 && s.size.y == 25, std::string("GetBandInfo ") + s.name + " size " +
                                                 std::to_string(s.size.x) + " x " +
                                                 std::to_string(s.size.y) + ", expected 36 x 25");
  expect(info.dwModeFlags == 0, "GetBandInfo mode flags " + std::to_string(info.dwModeFlags));
  expect(std::wcscmp(info.wszTitle, kUntouchedTitle) == 0, "GetBandInfo wrote a title");
  expect(info.crBkgnd == kUntouchedColour, "GetBandInfo wrote a background colour");
}

HWND bandWindow(const com::Ptr<IUnknown>& band) {
  HWND window = nullptr;
  attempt("IOleWindow::GetWindow",
          [&] { platform::check(band.query<IOleWindow>(IID_IOleWindow)->GetWindow(&window)); });
  return window;
}

void checkSiting(const com::Ptr<IUnknown>& band) {
  HWND siteWindow = CreateSiteWindow();
  if (!expect(siteWindow != nullptr, "cannot create the site window")) return;
  auto browser = CreateBrowser(siteWindow);
  auto site = CreateSite(siteWindow, browser);
  auto withSite = band.query<IObjectWithSite>(IID_IObjectWithSite);
  attempt("SetSite(site)", [&] { platform::check(withSite->SetSite(site.get())); });

  HWND window = bandWindow(band);
  if (expect(IsWindow(window), "the sited band has no window")) {
    expect(GetParent(window) == siteWindow, "the band window is not a child of the site window");
    expect((GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0,
           "the band window lacks WS_CHILD");
    attempt("ShowDW(TRUE)",
            [&] { platform::check(band.query<IDockingWindow>(IID_IDockingWindow)->ShowDW(TRUE)); });
    expect(IsWindowVisible(window), "ShowDW(TRUE) left the band window hidden");
  }
  attempt("SetSite(nullptr)", [&] { platform::check(withSite->SetSite(nullptr)); });
  expect(!IsWindow(window), "SetSite(nullptr) left the band window alive");
  CloseBrowser(browser);
  DestroyWindow(siteWindow);
}

// The log is read back the way an administrator's tools would, with MSXML.
void checkLoggedGetSite(const std::string& logPath) {
  attempt("reading " + logPath, [&] {
    auto log = xml::Document::Create();
    log.setAsync(false);
    if (!expect(log.load(logPath), logPath + " is missing or not well-formed")) return;
    auto error = log.selectSingleNode("//error[routine='IObjectWithSite_GetSite()'][last()]");
    if (!expect(!error.isNothing(), "no error of IObjectWithSite_GetSite() in " + logPath)) return;
    auto object = error.selectSingleNode("object");
    expect(object && object.text() == "Toolbar",
           "the logged GetSite error names object '" + (object ? object.text() : "") + "'");
  });
}

// Unsited, GetSite fails inside its guard: the browser sees S_OK and nothing, the log sees why.
void checkUnsitedGetSite(const com::Ptr<IUnknown>& band, const std::string& logPath) {
  // Not null, so a GetSite that forgets its out-parameter shows.
  IUnknown* site = reinterpret_cast<IUnknown*>(&g_notNull);
  HRESULT hr = E_FAIL;
  attempt("GetSite", [&] {
    hr = band.query<IObjectWithSite>(IID_IObjectWithSite)
             ->GetSite(IID_IUnknown, reinterpret_cast<void**>(&site));
  });
  expect(hr == S_OK, "unsited GetSite returned " + std::to_string(hr));
  expect(site == nullptr, "unsited GetSite handed out a site");
  checkLoggedGetSite(logPath);
}

// Page script reaches SetToolbar late bound; unsited, it has no browser to show the bar in.
void checkScriptedSetToolbar(const com::Ptr<IUnknown>& band) {
  attempt("SetToolbar through IDispatch", [&] {
    auto script = band.query<IDispatch>(IID_IDispatch);
    wchar_t name[] = L"SetToolbar";
    LPOLESTR names[] = {name};
    DISPID id = DISPID_UNKNOWN;
    platform::check(script->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    platform::check(script->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                                   &result, nullptr, nullptr));
    expect(result.vt == VT_BOOL && result.boolVal == VARIANT_FALSE,
           "unsited SetToolbar did not answer False");
  });
}

}  // namespace

void runBandChecks(const std::string& moduleFolder) {
  const std::string logPath = sys::PathIn(moduleFolder, "errors.xml");
  sys::RemoveFile(logPath);
  com::Ptr<IUnknown> band = createBand();
  if (!expect(!band.isNothing(), "no band object, nothing more to check")) return;
  checkBandInfo(band);
  checkSiting(band);
  checkUnsitedGetSite(band, logPath);
  checkScriptedSetToolbar(band);
}

}  // namespace smoke
