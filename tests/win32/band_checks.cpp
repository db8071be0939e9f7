// The band as the browser drives it: created through the class registry, sited in a real window
// on a fake browser, and its error log read back beside the DLL. What the band answers is checked
// on the headless platform in tests/band; here, what only the real COM and window system show.
#include "../band/band_site.h"
#include "check.h"
#include "platform/system.h"
#include "platform/xml.h"
#include "win32/wide.h"

namespace smoke {
namespace {

// In a visible top-level window standing for the browser's frame.
void checkSiting(const com::Ptr<IUnknown>& band) {
  HWND frame = CreateWindowExW(0, L"STATIC", L"Folverra smoke", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                               0, 800, 200, nullptr, nullptr, nullptr, nullptr);
  if (!expect(frame != nullptr, "cannot create the browser's frame window")) return;
  const auto browser = fakeBrowser(frame);
  const auto withSite = band.query<IObjectWithSite>(IID_IObjectWithSite);
  platform::check(withSite->SetSite(BandSite::Create(frame, browser).get()));
  HWND window = nullptr;
  platform::check(band.query<IOleWindow>(IID_IOleWindow)->GetWindow(&window));
  if (expect(IsWindow(window), "the sited band has no window")) {
    expect(GetParent(window) == frame, "the band window is not a child of the frame");
    expect((GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0,
           "the band window lacks WS_CHILD");
    platform::check(band.query<IDockingWindow>(IID_IDockingWindow)->ShowDW(TRUE));
    expect(IsWindowVisible(window), "ShowDW(TRUE) left the band window hidden");
  }
  platform::check(withSite->SetSite(nullptr));
  expect(!IsWindow(window), "SetSite(nullptr) left the band window alive");
  DestroyWindow(frame);
}

// Unsited, GetSite fails inside its guard, and the log beside the DLL says why each time: read
// back with MSXML, as an administrator's tools would, it holds both reports, the second written
// over the first.
void checkUnsitedLogged(const com::Ptr<IUnknown>& band, const std::string& logPath) {
  for (int report = 0; report < 2; ++report) {
    void* site = nullptr;
    band.query<IObjectWithSite>(IID_IObjectWithSite)->GetSite(IID_IUnknown, &site);
  }
  auto log = xml::Document::Create();
  log.setAsync(false);
  const char* query = "//error[routine='IObjectWithSite_GetSite()'][object='Toolbar']";
  const long logged = log.load(logPath) ? log.selectNodes(query).length() : 0;
  expect(logged == 2, logPath + " holds " + std::to_string(logged) +
                          " GetSite errors of object Toolbar, not 2, or is not well-formed");
}

}  // namespace

void runBandChecks() {
  com::Ptr<IUnknown> band;
  platform::check(com::CoCreateInstance(com::CLSIDFromProgID("Folverra.Toolbar"), nullptr,
                                        IID_IUnknown, band.putVoid()));
  // The band keeps its error log beside its DLL.
  std::wstring dll(MAX_PATH, L'\0');
  dll.resize(GetModuleFileNameW(GetModuleHandleW(L"folverra.dll"), dll.data(), MAX_PATH));
  const std::string logPath =
      sys::PathIn(win32::narrow(dll.substr(0, dll.find_last_of(L'\\')).c_str()), "errors.xml");
  sys::RemoveFile(logPath);
  attempt("siting", [&] { checkSiting(band); });
  attempt("unsited", [&] { checkUnsitedLogged(band, logPath); });
}

}  // namespace smoke
