// What the files of WindowProxy share: its voice in the error log, the marks it lays on the
// page, and whether clipping mode is on.
#pragma once

#include <algorithm>
#include <iterator>
#include <string_view>

#include "band/Reporter.h"
#include "toolbar/frmToolband.h"

namespace window_proxy {

inline constexpr Reporter kReporter{kProjectName, "WindowProxy", Reporter::TraceName::Qualified};

// Our own marks on the page, which the mouse passes over without changing the frame.
inline constexpr std::string_view kOverlayIds[] = {"LumoraElementOverlay", "LumoraOverlayChild"};
inline constexpr const char* kSelectionMarkerName = "Folverra_SelectionBounds";

template <std::size_t N>
bool isOneOf(std::string_view value, const std::string_view (&set)[N]) {
  return std::find(std::begin(set), std::end(set), value) != std::end(set);
}

inline bool lumoraModeOn() {
  return ui::Instance<frmToolband>::get().LumoraMode() == 1;
}

}  // namespace window_proxy
