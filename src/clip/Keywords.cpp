#include "clip/Keywords.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/system.h"
#include "platform/xml.h"

namespace {

// Weights count in quarters: a word starts at 1 and gains 0.25 a time when shorter than 4
// characters, 0.5 otherwise.
constexpr int kStartWeight = 4;
constexpr std::size_t kLongWordLength = 4;
// Numbers longer than this are no keywords; years and the like are.
constexpr std::size_t kLongestNumber = 6;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// As the run-time's IsNumeric takes a piece made of a-z, 0-9 and "-": an optional leading minus,
// digits, and an optional exponent ("e" or "d", optional minus, digits) that stays in range.
bool isNumeric(std::string_view word) {
  std::size_t i = word.starts_with('-') ? 1 : 0;
  const std::size_t mantissa = i;
  while (i < word.size() && isDigit(word[i])) ++i;
  if (i == mantissa) return false;
  if (i == word.size()) return true;
  if (word[i] != 'e' && word[i] != 'd') return false;
  std::string number(word);
  number[i++] = 'e';
  if (i < word.size() && word[i] == '-') ++i;
  const std::size_t exponent = i;
  while (i < word.size() && isDigit(word[i])) ++i;
  if (i == exponent || i != word.size()) return false;
  return std::isfinite(std::strtod(number.c_str(), nullptr));  // an overflow is no number
}

// Looks words up by view, so that no lookup copies its word.
struct WordHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using WordSet = std::unordered_set<std::string, WordHash, std::equal_to<>>;

// The stop list beside the module; empty when the file is missing or broken. Read on every call,
// so an edited list takes effect at the next clip; the list is small and a load costs little
// next to the clip it serves.
WordSet stopWords() {
  WordSet words;
  xml::Document doc = xml::Document::Create();
  doc.setAsync(false);
  if (!doc.load(sys::PathIn(sys::ModuleFolder(), "invalid_keywords.xml"))) return words;
  const xml::NodeList list = doc.selectNodes("invalid_keywords/keyword");
  for (long i = 0; i < list.length(); ++i) words.insert(list.item(i).text());
  return words;
}

struct Entry {
  std::string_view word;
  int weight = kStartWeight;
};

}  // namespace

// Words are runs of a-z, 0-9 and "-" after lower-casing; every other byte, UTF-8 sequences
// included, separates them. The table keeps first occurrences in order; a counting pass over
// the weights then lists heaviest first without disturbing that order among equals.
std::string ExtractKeywords(const std::string& text, int maximum) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (!((c >= 'a' && c <= 'z') || isDigit(c) || c == '-')) c = ' ';
  }
  const WordSet stop = stopWords();

  std::vector<Entry> table;
  std::unordered_map<std::string_view, std::size_t> index;
  int heaviest = 0;
  const std::string_view all(lower);
  for (std::size_t start = all.find_first_not_of(' '); start != std::string_view::npos;) {
    const std::size_t end = std::min(all.find(' ', start), all.size());
    const std::string_view word = all.substr(start, end - start);
    start = all.find_first_not_of(' ', end);
    if (word.size() < 2 || (word.size() > kLongestNumber && isNumeric(word))) continue;
    if (stop.contains(word)) continue;
    const auto [at, added] = index.try_emplace(word, table.size());
    if (added) table.push_back({word});
    Entry& entry = table[at->second];
    entry.weight += word.size() < kLongWordLength ? 1 : 2;
    heaviest = std::max(heaviest, entry.weight);
  }

  // Entries by falling weight, stable: each weight's share of the order, then the entries.
  std::vector<std::size_t> before(static_cast<std::size_t>(heaviest) + 2, 0);
  for (const Entry& e : table) ++before[static_cast<std::size_t>(heaviest - e.weight) + 1];
  for (std::size_t w = 1; w < before.size(); ++w) before[w] += before[w - 1];
  std::vector<const Entry*> order(table.size());
  for (const Entry& e : table) order[before[static_cast<std::size_t>(heaviest - e.weight)]++] = &e;

  const std::size_t taken =
      maximum > 0 ? std::min<std::size_t>(maximum, order.size()) : order.size();
  std::string result;
  for (std::size_t i = 0; i < taken; ++i) {
    if (i > 0) result += ", ";
    result += order[i]->word;
  }
  return result;
}
