// The one guard every guarded routine runs its body in: a failure is handed to the owner's
// ReportError with the routine name, the error state is cleared, and the routine returns
// normally with whatever its result held.
#pragma once

#include <exception>
#include <string_view>
#include <utility>

#include "runtime/error.h"
#include "platform/wintypes.h"

namespace platform {

// Runs body; on failure calls report(routine, error) and returns false. The reporter itself
// must not throw; if it does, that is swallowed too, so nothing escapes a guard.
template <class Report, class Body>
bool guarded(std::string_view routine, Report&& report, Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (...) {
    Error error = currentError(std::current_exception());
    try {
      report(routine, error);
    } catch (...) {
    }
    return false;
  }
}

// A guarded COM method: always S_OK, as the browser must never see the failure.
template <class Report, class Body>
HRESULT guardedCom(std::string_view routine, Report&& report, Body&& body) noexcept {
  guarded(routine, std::forward<Report>(report), std::forward<Body>(body));
  return S_OK;
}

// The last line of defence at an entry point the platform calls (window procedures, event
// sinks, timers, COM methods the system leaves unguarded): nothing crosses into the host.
// What is caught goes to the reporter installed at start-up by whoever owns the error log;
// before one is installed it goes to stderr, so nothing caught is silently dropped.
using BoundaryReporter = void (*)(std::string_view entry, const Error& error) noexcept;
// Installs reporter (null restores stderr) and returns the one it replaces.
BoundaryReporter setBoundaryReporter(BoundaryReporter reporter) noexcept;
void reportAtBoundary(std::string_view entry, const Error& error) noexcept;

template <class Result, class Body>
Result boundary(std::string_view entry, Result onFailure, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    reportAtBoundary(entry, currentError(std::current_exception()));
    return onFailure;
  }
}

}  // namespace platform
