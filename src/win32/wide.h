// Where the system's UTF-8 strings meet the UTF-16 strings and BSTRs of Windows.
#pragma once

#include <string>
#include <string_view>

#include "platform/wintypes.h"

namespace win32 {

std::wstring wide(std::string_view utf8);
// A null pointer reads as the empty string, as an empty BSTR is null.
std::string narrow(const wchar_t* text);
std::string narrow(const wchar_t* text, std::size_t length);

// An owned BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::string_view utf8);
  ~Bstr();
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR get() const { return text_; }
  // For out-parameters: frees what is held and hands out the slot.
  BSTR* put();
  BSTR detach();
  std::string utf8() const;

 private:
  BSTR text_ = nullptr;
};

// An owned VARIANT, cleared on destruction.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  // A string, as the automation interfaces take paths, names and values.
  explicit Variant(std::string_view utf8);
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  VARIANT* get() { return &value_; }
  const VARIANT& value() const { return value_; }

 private:
  VARIANT value_;
};

}  // namespace win32
