// UTF-8 is the system's string; UTF-16 appears where the platform or a count needs it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view utf16);
// Appends one code point (U+0000-U+10FFFF) in UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);

// A NUL-terminated OLE string (wchar_t on Windows, char16_t elsewhere; 16 bits both).
std::u16string_view wideView(const void* oleString);

// Length in 16-bit units, as the original run-time's Len counted it.
std::size_t utf16Length(std::string_view utf8);

// ASCII-only case folding and comparison.
std::string lowerAscii(std::string_view s);
std::string upperAscii(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);
bool containsNoCase(std::string_view haystack, std::string_view needle);

// The run-time's conversion of a number to a whole one: halves go to the even neighbour.
long roundHalfEven(double value);

}  // namespace platform
