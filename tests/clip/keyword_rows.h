// Keywords and source elements written once and checked on both platforms: on the headless
// platform against pugixml, under Wine against MSXML 3. Both read the stop list shipped in
// assets/, beside the program.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/html.h"

namespace keywordcases {

struct Row {
  std::string behaviour;
  std::string text;
  int maximum;
  std::string expected;
};

// "word01 word02 ... wordNN", joined by separator.
inline std::string numberedWords(int count, const std::string& separator) {
  std::string words;
  for (int i = 1; i <= count; ++i)
    words += (i > 1 ? separator : "") + std::string(i < 10 ? "word0" : "word") + std::to_string(i);
  return words;
}

inline const std::vector<Row>& rows() {
  static const std::vector<Row> kRows = {
      {"a four-letter word twice outweighs a three-letter word three times",
       "cat bird cat bird cat", 30, "bird, cat"},
      {"a three-letter word once comes after a four-letter word once", "cat bird", 30, "bird, cat"},
      {"words once come after words seen more often, equals in order of first occurrence",
       "zeta alpha mango zeta alpha", 30, "zeta, alpha, mango"},
      {"a year and six digits are kept, seven digits are not", "1999 123456 1234567", 30,
       "1999, 123456"},
      {"long numbers in exponent and negative forms are dropped, other mixes kept",
       "12345e6 -123456 1234d-5 12-3456 abc1234567 1e99999", 30, "12-3456, abc1234567, 1e99999"},
      {"forty words cut to thirty", numberedWords(40, " "), 30, numberedWords(30, ", ")},
      {"no maximum keeps every word", numberedWords(40, " "), 0, numberedWords(40, ", ")},
      {"a hyphenated word is one word with its hyphen", "well-known well-known e-mail", 30,
       "well-known, e-mail"},
      {"a one-letter word followed by symbols yields nothing", "x!!! ?? ## ...", 30, ""},
      {"an empty text yields nothing", "", 30, ""},
      {"stop words in any case yield nothing", "The AND of it IS, then", 30, ""},
      {"upper case folds into one word", "Bird BIRD bird", 30, "bird"},
      {"letters outside a to z separate words", "caf\xC3\xA9 na\xC3\xAFve", 30, "caf, na, ve"},
      {"punctuation and line breaks separate words", "tea,\r\ntea;\tlemon(tea)", 30, "tea, lemon"},
  };
  return kRows;
}

struct SourceRow {
  std::string behaviour;
  html::Location location;
  std::optional<std::string> baseHref;
  std::string expected;  // the frame's markup
};

inline html::Location location(std::string protocol, std::string host, std::string pathname,
                               std::string search) {
  return {"", std::move(protocol), std::move(host), "", std::move(pathname), std::move(search)};
}

inline const std::vector<SourceRow>& sourceRows() {
  static const std::vector<SourceRow> kRows = {
      {"a path ending in a slash is all path and no page",
       location("http:", "example.test:8080", "/docs/guide/", ""), std::nullopt,
       "<frame><source><protocol>http:</protocol><host>example.test:8080</host>"
       "<path>/docs/guide/</path><page/><query/><base-href/></source></frame>"},
      {"the page is what follows the last slash, the query keeps its question mark",
       location("https:", "example.test", "/a/b/index.html", "?q=1&r=<2>"), "http://base.test/dir/",
       "<frame><source><protocol>https:</protocol><host>example.test</host><path>/a/b/</path>"
       "<page>index.html</page><query>?q=1&amp;r=&lt;2&gt;</query>"
       "<base-href>http://base.test/dir/</base-href></source></frame>"},
      {"a path without a slash is all page", location("file:", "", "page.html", ""), "",
       "<frame><source><protocol>file:</protocol><host/><path/>"
       "<page>page.html</page><query/><base-href/></source></frame>"},
      {"text outside ASCII passes through",
       location("http:", "example.test", "/caf\xC3\xA9/men\xC3\xBC.html", ""), std::nullopt,
       "<frame><source><protocol>http:</protocol><host>example.test</host>"
       "<path>/caf\xC3\xA9/</path><page>men\xC3\xBC.html</page><query/>"
       "<base-href/></source></frame>"},
  };
  return kRows;
}

}  // namespace keywordcases
