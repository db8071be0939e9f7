// Failures of the platform and of the system, carried the way the original run-time carried
// them: a number (a run-time error number or an HRESULT as a signed value), a source, a
// description and the last system error seen when it was raised.
// Every port fails this way: a member that fails raises Error. Only a member that stands for a
// call answering a status (a BOOL of user32, an HRESULT of a COM method, MSXML's load) answers
// it instead and raises nothing; its port header names those.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

namespace platform {

// Run-time error numbers the system relies on.
enum RuntimeError : std::int32_t {
  kInvalidCall = 5,
  kOverflow = 6,
  kOutOfMemory = 7,
  kSubscriptOutOfRange = 9,
  kTypeMismatch = 13,
  kOutOfStackSpace = 28,
  kInternalError = 51,
  kPermissionDenied = 70,
  kObjectNotSet = 91,
  kInvalidUseOfNull = 94,
  kObjectRequired = 424,
  kNotSupported = 438,
  kAutomationError = 440,
  // A regular expression that does not compile.
  kRegExpSyntax = 5017,
  kRegExpQuantifier = 5018,
  kRegExpBracket = 5019,
  kRegExpParenthesis = 5020,
  kRegExpRange = 5021,
};

// The source text of errors raised by the run-time itself.
inline constexpr const char* kRuntimeSource = "Folverra";

struct Error : std::exception {
  std::int32_t number = 0;
  std::string source;
  std::string description;
  std::uint32_t lastDllError = 0;

  Error() = default;
  Error(std::int32_t number, std::string source, std::string description,
        std::uint32_t lastDllError = 0);
  const char* what() const noexcept override { return description.c_str(); }
};

// The run-time's own description of an error number ("Permission denied", ...), or of an
// HRESULT when the number is one.
std::string describe(std::int32_t number);

[[noreturn]] void raise(std::int32_t number, std::string description = {});
[[noreturn]] void raiseNothing();  // run-time error 91
[[noreturn]] void raiseHResult(std::int32_t hr, std::string source = {});

// Raises when hr is a failure; returns hr otherwise.
std::int32_t check(std::int32_t hr, const char* source = nullptr);

// What a handle holds; run-time error 91 when it holds nothing.
template <class T>
T& deref(const std::shared_ptr<T>& held) {
  if (!held) raiseNothing();
  return *held;
}

// Turns whatever is in flight into the error state a guard reports.
Error currentError(std::exception_ptr caught);

}  // namespace platform
