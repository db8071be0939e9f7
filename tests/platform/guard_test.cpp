#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "platform/system.h"
#include "runtime/guard.h"

namespace {

using platform::Error;

auto fields(const Error& e) {
  return std::tie(e.number, e.source, e.description, e.lastDllError);
}

}  // namespace

TEST(Guard, WhatIsThrownReachesTheReporterAsItsErrorAndNothingEscapesAReporterThatThrows) {
  constexpr std::uint32_t kLast = 1234;  // the last system error when the failure is caught
  const std::string run = platform::kRuntimeSource;
  const std::tuple<const char*, std::function<void()>, Error> cases[] = {
      {"out of memory is error 7", [] { throw std::bad_alloc(); },
       Error(7, run, "Out of memory", kLast)},
      {"an allocation refused for its size is out of memory too",
       [] { throw std::bad_array_new_length(); }, Error(7, run, "Out of memory", kLast)},
      {"another standard exception is error 51 with its own text",
       [] { throw std::runtime_error("disk on fire"); }, Error(51, run, "disk on fire", kLast)},
      {"a throw of no exception type is error 51", [] { throw 42; },
       Error(51, run, "Internal error", kLast)},
      {"a platform error passes through unchanged", [] { throw Error(70, "Page", "Denied", 5); },
       Error(70, "Page", "Denied", 5)},
  };
  const std::uint32_t previous = sys::GetLastError();
  for (const auto& [name, raise, expected] : cases) {
    SCOPED_TRACE(name);
    sys::SetLastError(kLast);
    std::vector<Error> errors;
    const auto report = [&](std::string_view routine, const Error& error) {
      EXPECT_EQ(routine, "Clip()");
      errors.push_back(error);
    };
    EXPECT_FALSE(platform::guarded("Clip()", report, raise));
    EXPECT_TRUE(platform::guarded("Clip()", report, [] {})) << "nothing failed, nothing reported";
    try {
      raise();
    } catch (...) {
      errors.push_back(platform::currentError(std::current_exception()));
    }
    ASSERT_EQ(errors.size(), 2u);
    for (const Error& error : errors) EXPECT_EQ(fields(error), fields(expected));

    // A reporter that fails in turn: nothing escapes, the routine returns.
    const auto failing = [&](std::string_view, const Error&) { raise(); };
    EXPECT_FALSE(platform::guarded("Clip()", failing, [] { platform::raiseNothing(); }));
    EXPECT_EQ(platform::guardedCom("Clip()", failing, raise), S_OK);
  }
  sys::SetLastError(previous);
}
