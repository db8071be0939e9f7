#include "win32/wide.h"

#include <cwchar>
#include <new>

#include "runtime/strings.h"

namespace win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide strings are UTF-16");

std::wstring wide(std::string_view utf8) {
  const std::u16string text = platform::toUtf16(utf8);
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

std::string narrow(const wchar_t* text) {
  return text ? narrow(text, std::wcslen(text)) : "";
}

std::string narrow(const wchar_t* text, std::size_t length) {
  return platform::toUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

Bstr::Bstr(std::string_view utf8) {
  const std::wstring text = wide(utf8);
  text_ = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!text_) throw std::bad_alloc();
}

Bstr::~Bstr() {
  SysFreeString(text_);
}

BSTR* Bstr::put() {
  SysFreeString(text_);
  text_ = nullptr;
  return &text_;
}

BSTR Bstr::detach() {
  BSTR text = text_;
  text_ = nullptr;
  return text;
}

Variant::Variant(std::string_view utf8) {
  VariantInit(&value_);
  value_.vt = VT_BSTR;
  value_.bstrVal = Bstr(utf8).detach();
}

// A BSTR may hold embedded nulls; its own length counts, not the first null.
std::string Bstr::utf8() const {
  return text_ ? narrow(text_, SysStringLen(text_)) : "";
}

}  // namespace win32
