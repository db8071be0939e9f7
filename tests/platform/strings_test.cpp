#include <gtest/gtest.h>

#include "runtime/strings.h"

TEST(Strings, Utf16LengthRoundTripAndMalformedInputAsReplacementCharacters) {
  const std::pair<std::string, std::size_t> valid[] = {
      {"", 0}, {"plain", 5}, {"ünï", 3}, {"✓ done", 6}, {"😀", 2}, {"a😀b", 4},
  };
  for (const auto& [utf8, units] : valid) {
    SCOPED_TRACE(utf8);
    EXPECT_EQ(platform::utf16Length(utf8), units);
    EXPECT_EQ(platform::toUtf16(utf8).size(), units);
    EXPECT_EQ(platform::toUtf8(platform::toUtf16(utf8)), utf8);
  }
  const std::pair<std::string, std::string> malformed[] = {
      {"\xC3", "\xEF\xBF\xBD"},                                  // truncated sequence
      {"a\xE2\x9C", "a\xEF\xBF\xBD\xEF\xBF\xBD"},                // truncated three-byte
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // overlong
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // surrogate
      {"\xFF", "\xEF\xBF\xBD"},
  };
  for (const auto& [utf8, back] : malformed)
    EXPECT_EQ(platform::toUtf8(platform::toUtf16(utf8)), back);
  EXPECT_EQ(platform::toUtf8(u"\xD800x"), "\xEF\xBF\xBDx") << "a lone surrogate";
}

// That ASCII letters fold shows in the band's script names.
TEST(Strings, CaseInsensitiveComparisonsAreAsciiOnly) {
  EXPECT_FALSE(platform::equalsNoCase("Ü", "ü"));
  EXPECT_TRUE(platform::containsNoCase("HTTP://WWW.Example.TEST/x", "www.example.test"));
  EXPECT_FALSE(platform::containsNoCase("short", "longer needle"));
}

// Halves go to the even neighbour on both sides of zero; the rest to the nearer whole number.
TEST(Strings, RoundingSendsHalvesToTheEvenNeighbour) {
  const std::pair<double, long> cases[] = {{0.5, 0},   {1.5, 2},   {2.5, 2},   {-2.45, -2},
                                           {-2.5, -2}, {-3.5, -4}, {41.4, 41}, {5.05, 5},
                                           {5.51, 6},  {-0.49, 0}};
  for (const auto& [value, whole] : cases)
    EXPECT_EQ(platform::roundHalfEven(value), whole) << value;
}
