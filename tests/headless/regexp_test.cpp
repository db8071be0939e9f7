// The shared RegExp rows on PCRE2, and what only the headless engine has to guard against: the
// script's refusals, runaway matches and bytes that are no UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "platform/regexp.h"
#include "regexp/rows.h"
#include "runtime/error.h"
#include "support.h"

using testing_support::raised;

namespace {

regexp::RegExp compiled(const std::string& pattern, bool global = true) {
  regexp::RegExp re = regexp::RegExp::Create();
  re.setPattern(pattern);
  re.setGlobal(global);
  return re;
}

TEST(RegExp, HeadlessReplacesEveryRowAsVBScriptDoes) {
  for (const regexpcases::Row& row : regexpcases::rows())
    EXPECT_EQ(regexpcases::outcome(row), row.expected) << row.behaviour;
}

TEST(RegExp, PatternsTheScriptRefusesRaiseItsNumbersWhenUsed) {
  const std::pair<const char*, int> cases[] = {
      {"(a", platform::kRegExpParenthesis},   {"[a", platform::kRegExpBracket},
      {"[z-a]", platform::kRegExpRange},      {"*a", platform::kRegExpQuantifier},
      {"a**", platform::kRegExpQuantifier},   {"a++", platform::kRegExpQuantifier},
      {"a{2}*", platform::kRegExpQuantifier}, {"(*ACCEPT)a", platform::kRegExpQuantifier},
      {"^*", platform::kRegExpQuantifier},    {"(?<n>a)", platform::kRegExpSyntax},
      {"(?i)a", platform::kRegExpSyntax},     {"a)", platform::kRegExpSyntax},
      {"a\\", platform::kRegExpSyntax},       {"\xC3(", platform::kRegExpSyntax},
      {"[\\uD800]", platform::kRegExpSyntax},
  };
  for (const auto& [pattern, number] : cases) {
    regexp::RegExp re = regexp::RegExp::Create();
    EXPECT_EQ(raised([&] { re.setPattern(pattern); }), 0) << pattern;
    EXPECT_EQ(raised([&] { re.Replace("a", "b"); }), number) << pattern;
    EXPECT_EQ(raised([&] { re.Test("a"); }), number) << pattern;
  }
}

// Each would take minutes, or memory without end, unbounded.
TEST(RegExp, RunawayMatchesRaiseOutOfStackSpace) {
  const std::pair<const char*, std::string> cases[] = {
      {"(a+)+b", std::string(40, 'a') + "!b"},
      {"(a|b)*c", std::string(200'000, 'a') + "!c"},
      {"(?:(?:a|b)+)+c", std::string(5'000, 'a') + "!c"},
  };
  for (const auto& [pattern, input] : cases)
    EXPECT_EQ(raised([&] { compiled(pattern).Replace(input, "x"); }), platform::kOutOfStackSpace)
        << pattern;
}

TEST(RegExp, ChangingPatternOrIgnoreCaseTakesEffectOnTheNextUse) {
  regexp::RegExp re = compiled("a");
  EXPECT_EQ(re.Replace("Aa", "-"), "A-");
  re.setIgnoreCase(true);
  EXPECT_EQ(re.Replace("Aa", "-"), "--");
  re.setPattern("b");
  EXPECT_EQ(re.Replace("aBb", "-"), "a--");
  re.setIgnoreCase(false);
  EXPECT_EQ(re.Replace("aBb", "-"), "aB-");
  EXPECT_EQ(re.Pattern(), "b");
}

TEST(RegExp, BytesThatAreNoUtf8PassThroughUnmatched) {
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"\\s+", "a \xFF\xFE b\xC3", "a-\xFF\xFE-b\xC3"},
      {"x*",
       "\xFF\xC3"
       "a",
       "-\xFF-\xC3-a-"},
      {".", "\xE4\xB8", "\xE4\xB8"},
  };
  for (const auto& [pattern, input, expected] : cases)
    EXPECT_EQ(compiled(pattern).Replace(input, "-"), expected) << pattern;
}

TEST(RegExp, NewObjectsReplaceOnceCaseSensitivelyAndTestAnywhere) {
  regexp::RegExp re = regexp::RegExp::Create();
  EXPECT_EQ(re.Pattern(), "");
  EXPECT_FALSE(re.Global());
  EXPECT_FALSE(re.IgnoreCase());
  re.setPattern("b+");
  EXPECT_TRUE(re.Test("abba"));
  EXPECT_FALSE(re.Test("aBBa"));
  EXPECT_EQ(raised([] { regexp::RegExp().Test("a"); }), platform::kObjectNotSet);
}

}  // namespace
