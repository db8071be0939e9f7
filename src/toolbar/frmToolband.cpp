#include "toolbar/frmToolband.h"

#include "band/mdlCommon.h"
#include "band/mdlToolband.h"
#include "platform/guard.h"

void frmToolband::ReportError(std::string_view routine, const platform::Error& error,
                              const std::string& moreInfo) {
  std::string info = moreInfo;
  // Without more to say, the page being shown is the most useful context.
  if (info.empty()) {
    try {
      if (g_IEWindow) info = g_IEWindow.LocationURL();
    } catch (...) {
    }
  }
  LogErrorState("Folverra", "frmToolband", routine, error, info);
}

void frmToolband::Form_Load() {
  platform::guarded(
      "Form_Load()",
      [this](std::string_view routine, const platform::Error& e) { ReportError(routine, e); },
      [&] { g_IEWindow = ToolbandBrowser(); });
}

void frmToolband::Form_Unload(int& cancel) {
  platform::guarded(
      "Form_Unload()",
      [this](std::string_view routine, const platform::Error& e) { ReportError(routine, e); },
      [&] { g_IEWindow = {}; });
  cancel = 0;
}
