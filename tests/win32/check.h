// The smallest harness: one line per failed check, the exit code says whether all passed.
#pragma once

#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

#include "platform/error.h"

namespace smoke {

// Records a failure of what unless ok; returns ok.
bool expect(bool ok, const std::string& what);

// While one lives, errors caught at an entry point's boundary are counted; otherwise each is a
// failure.
struct BoundaryCatches {
  int count = 0;
  BoundaryCatches();
  ~BoundaryCatches();
};

// Runs this thread's message queue until done() or the wait is over; done() at the end.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds wait);

// Runs body; a platform error escaping it is a failure of what.
template <class Body>
void attempt(const std::string& what, Body&& body) {
  try {
    body();
  } catch (const platform::Error& e) {
    expect(false, what + ": error " + std::to_string(e.number) + " " + e.description);
  }
}

struct Check {
  const char* name;
  void (*run)();
};

inline void runEach(std::initializer_list<Check> checks) {
  for (const Check& c : checks) attempt(c.name, c.run);
}

inline constexpr std::int32_t kAnyFailure = 0;

// Body must raise number (any failing HRESULT for kAnyFailure); answers what it raised.
template <class Body>
std::optional<platform::Error> expectRaise(std::int32_t number, const std::string& what,
                                           Body&& body) {
  try {
    body();
  } catch (const platform::Error& e) {
    const bool ok = number == kAnyFailure ? e.number < 0 : e.number == number;
    expect(ok,
           what + " raised " + std::to_string(e.number) + ", expected " + std::to_string(number));
    return e;
  }
  expect(false, what + " did not raise");
  return std::nullopt;
}

// The groups, each run in a process of its own.
void runPortChecks();
void runHttpChecks();
void runHtmlChecks();
void runBrowserEventChecks();
void runControlChecks();
void runBandChecks();

}  // namespace smoke
