#include "runtime/error.h"

#include <new>
#include <utility>

#include "platform/system.h"

namespace platform {

Error::Error(std::int32_t n, std::string src, std::string desc, std::uint32_t dll)
    : number(n), source(std::move(src)), description(std::move(desc)), lastDllError(dll) {}

std::string describe(std::int32_t number) {
  switch (static_cast<std::uint32_t>(number)) {
    case kInvalidCall:
      return "Invalid procedure call or argument";
    case kOverflow:
      return "Overflow";
    case kOutOfMemory:
      return "Out of memory";
    case kSubscriptOutOfRange:
      return "Subscript out of range";
    case kTypeMismatch:
      return "Type mismatch";
    case kOutOfStackSpace:
      return "Out of stack space";
    case kInternalError:
      return "Internal error";
    case kPermissionDenied:
      return "Permission denied";
    case kObjectNotSet:
      return "Object variable or With block variable not set";
    case kInvalidUseOfNull:
      return "Invalid use of Null";
    case kObjectRequired:
      return "Object required";
    case kNotSupported:
      return "Object doesn't support this property or method";
    case kAutomationError:
      return "Automation error";
    case kRegExpSyntax:
      return "Syntax error in regular expression";
    case kRegExpQuantifier:
      return "Unexpected quantifier";
    case kRegExpBracket:
      return "Expected ']' in regular expression";
    case kRegExpParenthesis:
      return "Expected ')' in regular expression";
    case kRegExpRange:
      return "Invalid range in character set";
    case 0x80004001u:
      return "Not implemented";
    case 0x80004002u:
      return "No such interface supported";
    case 0x80004003u:
      return "Invalid pointer";
    case 0x80004005u:
      return "Unspecified error";
    case 0x8000FFFFu:
      return "Catastrophic failure";
    case 0x8007000Eu:
      return "Ran out of memory";
    case 0x80070057u:
      return "The parameter is incorrect";
    case 0x800700AAu:
      return "The requested resource is in use.";
    case 0x80040154u:
      return "Class not registered";
    case 0x800401F3u:
      return "Invalid class string";
    default:
      return number < 0 ? "Automation error" : "Application-defined or object-defined error";
  }
}

void raise(std::int32_t number, std::string description) {
  if (description.empty()) description = describe(number);
  throw Error(number, kRuntimeSource, std::move(description), sys::GetLastError());
}

void raiseNothing() {
  raise(kObjectNotSet);
}

void raiseHResult(std::int32_t hr, std::string source) {
  if (source.empty()) source = kRuntimeSource;
  throw Error(hr, std::move(source), describe(hr), sys::GetLastError());
}

std::int32_t check(std::int32_t hr, const char* source) {
  if (hr < 0) raiseHResult(hr, source ? source : "");
  return hr;
}

Error currentError(std::exception_ptr caught) {
  try {
    std::rethrow_exception(caught);
  } catch (const Error& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return Error(kOutOfMemory, kRuntimeSource, describe(kOutOfMemory), sys::GetLastError());
  } catch (const std::exception& e) {
    return Error(kInternalError, kRuntimeSource, e.what(), sys::GetLastError());
  } catch (...) {
    return Error(kInternalError, kRuntimeSource, describe(kInternalError), sys::GetLastError());
  }
}

}  // namespace platform
