// The smallest harness: one line per failed check, the exit code says whether all passed.
#pragma once

#include <string>

#include "platform/error.h"

namespace smoke {

// Records a failure of what unless ok; returns ok.
bool expect(bool ok, const std::string& what);
// While counter is set, errors caught at an entry point's boundary add to it; otherwise each
// is a failure.
void countBoundaryCatches(int* counter);

// Runs body; a platform error escaping it is a failure of what.
template <class Body>
void attempt(const std::string& what, Body&& body) {
  try {
    body();
  } catch (const platform::Error& e) {
    expect(false, what + ": error " + std::to_string(e.number) + " " + e.description);
  }
}

inline constexpr std::int32_t kAnyFailure = 0;

// Body must raise number (any failing HRESULT for kAnyFailure).
template <class Body>
void expectRaise(std::int32_t number, const std::string& what, Body&& body) {
  try {
    body();
    expect(false, what + " did not raise");
  } catch (const platform::Error& e) {
    const bool ok = number == kAnyFailure ? e.number < 0 : e.number == number;
    expect(ok,
           what + " raised " + std::to_string(e.number) + ", expected " + std::to_string(number));
  }
}

void runPortChecks();
void runHttpChecks();
void runHtmlChecks();
void runBrowserEventChecks();
void runControlChecks();
void runBandChecks(const std::string& moduleFolder);

}  // namespace smoke
