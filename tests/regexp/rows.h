// The RegExp behaviours the toolbar relies on, written once and run on both platforms: on the
// headless platform against PCRE2, under Wine against VBScript.RegExp. A row is one Replace.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "clip/Video.h"
#include "platform/regexp.h"
#include "runtime/error.h"

namespace regexpcases {

// How a row's RegExp matches: the first match only, every match, or every match in any case.
enum class Mode { kFirst, kAll, kAllAnyCase };

struct Row {
  const char* behaviour;
  const char* pattern;
  Mode mode;
  const char* input;
  const char* replacement;
  const char* expected;
  // Why the row is not run under Wine, where its RegExp is known to answer otherwise.
  const char* notUnderWine = nullptr;
};

// Replace's answer, or "error N" for what it raised.
inline std::string outcome(const Row& row) {
  try {
    regexp::RegExp re = regexp::RegExp::Create();
    re.setPattern(row.pattern);
    re.setGlobal(row.mode != Mode::kFirst);
    re.setIgnoreCase(row.mode == Mode::kAllAnyCase);
    return re.Replace(row.input, row.replacement);
  } catch (const platform::Error& e) {
    return "error " + std::to_string(e.number);
  }
}

// What the toolbar strips before it counts, and the embed-code patterns it reads a video's
// address, type and flash variables with.
inline constexpr const char* kStyle = "<style.*?>.*?</style>";
inline constexpr const char* kTag = "<[^>]+>";
inline constexpr const char* kEmbed = kEmbedSrc.pattern;
inline constexpr const char* kEmbedTypePattern = kEmbedType.pattern;
inline constexpr const char* kEmbedFlashVarsPattern = kEmbedFlashVars.pattern;

// The embed-code pattern a row replaces by its $2 everywhere, which the toolbar's bounded scan
// must answer as the engine does over the whole text; null for another row.
inline const EmbedCodePattern* embedCodeOf(const Row& row) {
  for (const EmbedCodePattern* code : {&kEmbedSrc, &kEmbedType, &kEmbedFlashVars})
    if (std::string(row.pattern) == code->pattern && row.mode == Mode::kAll &&
        std::string(row.replacement) == "$2")
      return code;
  return nullptr;
}

// Where Wine's RegExp parts from VBScript's.
inline constexpr const char* kWineLoopsOnEmptyMatches =
    "Wine's Replace does not step past an empty match and never returns";
inline constexpr const char* kWineSpaces =
    "Wine's \\s takes every Unicode space; VBScript's is [ \\f\\n\\r\\t\\v], which is why "
    "scripts of its time trimmed \\xA0 by hand";
inline constexpr const char* kWineFoldsAscii = "Wine's IgnoreCase folds ASCII letters only";
inline constexpr const char* kWineDotStopsAtCR =
    "Wine's . stops at \\r as at \\n; VBScript's stops at \\n only";
// Wine answers E_OUTOFMEMORY to every pattern it cannot compile.
inline constexpr std::int32_t kWineRefusal = platform::kOutOfMemory;

inline const std::vector<Row>& rows() {
  using enum Mode;
  static const std::vector<Row> all = {
      {"Style blocks become a space each, the lazy quantifiers stopping at the first end", kStyle,
       kAll, "a<style type=\"text/css\">p{}</style>b<style>q</style>c", " ", "a b c"},
      {"A style block over several lines stays, as . does not match \\n", kStyle, kAll,
       "a<style>\np{}\n</style>b", " ", "a<style>\np{}\n</style>b"},
      {"Every tag becomes a space", kTag, kAll, "<p class=x>Hi <b>there</b></p>", " ",
       " Hi  there  "},
      {"A run of spaces, tabs, CRs, LFs, form feeds and vertical tabs becomes one space", "\\s+",
       kAll, "a \t\r\n\f\vb  c", " ", "a b c"},
      {"\\s does not match a no-break space", "\\s", kAll, "a\u00A0b c", "_", "a\u00A0b_c",
       kWineSpaces},
      {"The embed pattern gives the address between double quotes", kEmbed, kAll,
       "<p>x</p><embed width=5 src=\"movie.swf\" quality=high>", "$2", "movie.swf"},
      {"The embed pattern gives the address between single quotes", kEmbed, kAll,
       "<embed src='clip.swf'>", "$2", "clip.swf"},
      {"The embed pattern needs the same quote at both ends", kEmbed, kAll,
       "<embed src=\"a.swf' x>", "$2", "<embed src=\"a.swf' x>"},
      {"The embed pattern matches within its line", kEmbed, kAll, "<p>\n<embed src=\"m.swf\">\nend",
       "$2", "<p>\nm.swf\nend"},
      {"The embed pattern takes the last tag of a line that has the attribute", kEmbed, kAll,
       "<embed src='a.swf'>x<embed src='b.swf'><embed width=1>", "$2", "b.swf"},
      {"The embed pattern tries a tag inside another's value first", kEmbed, kAll,
       "<embed src=\"x<embed src='y'\">", "$2", "y"},
      {"The embed pattern falls back on an earlier attribute when the last is not closed alike",
       kEmbed, kAll, "<embed src=\"a.swf\" alt=x src='b.swf\">", "$2", "a.swf"},
      {"The embed pattern replaces the code of every line, a value running over lines too", kEmbed,
       kAll, "a<embed src='1'>b\nno\nc<embed src=\"2\n3\">d\ne", "$2", "1\nno\n2\n3\ne"},
      {"The embed pattern does not look past a < inside the tag", kEmbed, kAll,
       "<embed a=<b src=\"x\">", "$2", "<embed a=<b src=\"x\">"},
      {"The embed pattern does not read upper-case embed code", kEmbed, kAll,
       "<EMBED src=\"x\"><embed SRC=\"y\">", "$2", "<EMBED src=\"x\"><embed SRC=\"y\">"},
      {"The type pattern gives the type", kEmbedTypePattern, kAll,
       "<embed src=\"a.swf\" type=\"application/x-shockwave-flash\">", "$2",
       "application/x-shockwave-flash"},
      {"The flashvars pattern gives the flash variables", kEmbedFlashVarsPattern, kAll,
       "<object><embed flashvars='v=1&amp;w=2' src=\"a\"></embed></object>", "$2", "v=1&amp;w=2"},
      {"Without Global only the first match is replaced", "a", kFirst, "banana", "o", "bonana"},
      {"With Global every match is replaced", "a", kAll, "banana", "o", "bonono"},
      {"Case matters unless IgnoreCase is set", "ab", kAll, "Ab ab AB", "x", "Ab x AB"},
      {"IgnoreCase matches letters of either case", "ab", kAllAnyCase, "Ab ab AB", "x", "x x x"},
      {"IgnoreCase matches accented letters of either case", "é", kAllAnyCase, "Été é", "e",
       "ete e", kWineFoldsAscii},
      {"Accented and CJK text passes through around a match", "x", kAll, "é中x文", "-", "é中-文"},
      {". matches one CJK character", "^.$", kAll, "中", "X", "X"},
      {"Empty matches are replaced between characters, at both ends and right after a match", "x*",
       kAll, "xab中", "-", "--a-b-中-", kWineLoopsOnEmptyMatches},
      {"An empty pattern matches at every place", "", kAll, "xxx", "y", "yxyxyxy"},
      {". matches a carriage return but not a line feed", ".+", kAll, "ab\r\ncd\ref", "X", "X\nX",
       kWineDotStopsAtCR},
      {"^ matches only at the start of the input", "^a", kAll, "a\na", "X", "X\na"},
      {"$ matches only at the end of the input", "a$", kAll, "a\na", "X", "a\nX"},
      {"$ does not match before a final line feed", "a$", kAll, "a\n", "X", "a\n"},
      {"A lazy quantifier takes as little as it can", "<.+?>", kAll, "<a><b>", "X", "XX"},
      {"Counted repetition takes up to its maximum", "a{2,3}", kAll, "aaaaaaa", "X", "XXa"},
      {"A back-reference matches what its group matched", "(\\w)\\1", kAll, "aabbcd", "X", "XXcd"},
      {"Alternation tries each branch", "cat|dog", kAll, "cat dog cow", "pet", "pet pet cow"},
      {"A class takes ranges and single characters", "[a-c0-9_]", kAll, "ab_x9z", "", "xz"},
      {"A negated class takes what is not in it, line feeds too", "[^a-c]", kAll, "abcd\n", "",
       "abc"},
      {"A - next to \\d in a class is a character", "[\\d-x]+", kAll, "a1-xb", "X", "aXb"},
      {"A [ in a class is a character", "[[:alpha:]]", kAll, "a] b", "X", "X b"},
      {"[] matches nothing and [^] any character", "a[]|b[^]", kAll, "a b\nab", "X", "a Xab"},
      {"A lookahead looks without taking", "a(?=b)", kAll, "abac", "X", "Xbac"},
      {"$1 and $2 give the groups in any order", "(\\w+) (\\w+)", kFirst, "hello world", "$2 $1",
       "world hello"},
      {"A group that took no part gives nothing", "(a)|(b)", kAll, "ab", "[$1|$2]", "[a|][|b]"},
      {"$& gives the match, $` what precedes it and $' what follows it", "b", kFirst, "abc",
       "[$&|$`|$']", "a[b|a|c]c"},
      {"$$ gives one dollar", "b", kFirst, "abc", "$$", "a$c"},
      {"A $ with no known code after it stays as written", "(b)", kFirst, "abc", "$x$0$2$",
       "a$x$0$2$c"},
      {"$10 is the tenth group when there are ten", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", kFirst,
       "abcdefghij", "$10$1", "ja"},
      {"Punctuation after a backslash stands for itself", R"(\<a\=\"b\'\.\$)", kAll, "<a=\"b'.$",
       "X", "X"},
      {"A letter with no meaning after a backslash stands for itself", "\\e\\z\\q", kAll, "ezq",
       "X", "X"},
      {"\\v is the vertical tab alone", "\\v", kAll, "a\nb\vc", "_", "a\nb_c"},
      {"Hex, Unicode and octal escapes name characters", "\\x41\\u00e9\\101", kAll, "AéA", "X",
       "X"},
      {"\\b matches where a word begins or ends", "\\bcat\\b", kAll, "cat concat cat.", "X",
       "X concat X."},
  };
  return all;
}

// Patterns the script's engine refuses, and the number it raises when one is used.
inline const std::vector<std::pair<const char*, std::int32_t>>& refusals() {
  static const std::vector<std::pair<const char*, std::int32_t>> all = {
      {"(a", platform::kRegExpParenthesis},
      {"[a", platform::kRegExpBracket},
      {"[z-a]", platform::kRegExpRange},
      {"*a", platform::kRegExpQuantifier},
      {"a**", platform::kRegExpQuantifier},
      {"a++", platform::kRegExpQuantifier},
      {"a)", platform::kRegExpSyntax},
      {"a\\", platform::kRegExpSyntax},
      // A group is "(", "(?:", "(?=" or "(?!"; any other "?" there repeats nothing.
      {"(?<n>a)", platform::kRegExpQuantifier},
  };
  return all;
}

}  // namespace regexpcases
