// The shared RegExp rows on PCRE2, and what only the headless engine has to guard against: the
// script's refusals, runaway matches and bytes that are no UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

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
  std::vector<std::pair<const char*, std::int32_t>> cases = regexpcases::refusals();
  cases.insert(cases.end(), {
                                {"a{2}*", platform::kRegExpQuantifier},
                                {"^*", platform::kRegExpQuantifier},
                                {"(?i)a", platform::kRegExpQuantifier},
                                {"(*ACCEPT)a", platform::kRegExpQuantifier},
                                {"\xC3(", platform::kRegExpSyntax},
                                // UTF-8 text holds no half of a surrogate pair.
                                {"[\\uD800]", platform::kRegExpSyntax},
                            });
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

// The bytes would pass through unmatched only at the price of a scan per match.
TEST(RegExp, TextThatIsNoUtf8RaisesInvalidCall) {
  for (const char* input : {"a \xFF b", "\xC3", "a b\xE4\xB8", "\xED\xA0\x80 x"}) {
    EXPECT_EQ(raised([&] { compiled("\\s").Replace(input, "-"); }), platform::kInvalidCall)
        << input;
    EXPECT_EQ(raised([&] { compiled("x").Test(input); }), platform::kInvalidCall) << input;
  }
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
