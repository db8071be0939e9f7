#include <gtest/gtest.h>

#include "runtime/strings.h"

TEST(Strings, Utf16LengthAndRoundTrip) {
  struct Case {
    std::string utf8;
    std::size_t units;
  };
  const Case cases[] = {
      {"", 0}, {"plain", 5}, {"ünï", 3}, {"✓ done", 6}, {"😀", 2}, {"a😀b", 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(platform::utf16Length(c.utf8), c.units);
    EXPECT_EQ(platform::toUtf16(c.utf8).size(), c.units);
    EXPECT_EQ(platform::toUtf8(platform::toUtf16(c.utf8)), c.utf8);
  }
}

TEST(Strings, MalformedInputBecomesReplacementCharacters) {
  struct Case {
    std::string utf8;
    std::string expected;
  };
  const Case cases[] = {
      {"\xC3", "\xEF\xBF\xBD"},                                  // truncated sequence
      {"a\xE2\x9C", "a\xEF\xBF\xBD\xEF\xBF\xBD"},                // truncated three-byte
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // overlong
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // surrogate
      {"\xFF", "\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::toUtf8(platform::toUtf16(c.utf8)), c.expected);
  EXPECT_EQ(platform::toUtf8(u"\xD800x"), "\xEF\xBF\xBDx") << "a lone surrogate";
}

TEST(Strings, CaseInsensitiveComparisonsAreAsciiOnly) {
  EXPECT_TRUE(platform::equalsNoCase("Internet Explorer_Server", "internet explorer_server"));
  EXPECT_FALSE(platform::equalsNoCase("Ü", "ü"));
  EXPECT_TRUE(platform::containsNoCase("HTTP://WWW.Example.TEST/x", "www.example.test"));
  EXPECT_FALSE(platform::containsNoCase("short", "longer needle"));
}
