#include "clip/Source.h"

#include "clip/ClipReporter.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "band/Reporter.h"
#include "clip/ClipReporter.h"
#include "clip/Keywords.h"
#include "clip/mdlClip.h"
#include "runtime/strings.h"

namespace {

// The first pass keeps the words of the page's own description; the second picks the clip's.
constexpr int kPageKeywords = 100;
constexpr int kClipKeywords = 30;
// Around a clipped element: the text of the nearest ancestor-or-self that has this much, cut
// after a word when it runs long. In UTF-16 units, as the page counts its text.
constexpr std::size_t kSurroundingMinimum = 100;
constexpr std::size_t kSurroundingLongest = 750;
constexpr std::size_t kSurroundingCutFrom = 500;

// The byte offset of the UTF-16 unit at index units of text (its end when text is shorter).
std::size_t byteOfUnit(std::string_view text, std::size_t units) {
  std::size_t i = 0;
  while (i < text.size() && units > 0) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::size_t width = length == 4 ? 2 : 1;  // beyond the BMP: a surrogate pair
    if (width > units) break;
    units -= width;
    i = std::min(text.size(), i + length);
  }
  return i;
}

// The text around element: its own or its nearest ancestor's with enough characters, the BODY's
// at most; a long one ends at the first space from the 500th character on.
std::string surroundingText(html::Element element) {
  std::string text = element.innerText();
  while (platform::utf16Length(text) < kSurroundingMinimum && element.tagName() != "BODY") {
    element = element.parentElement();
    text = element.innerText();
  }
  if (platform::utf16Length(text) > kSurroundingLongest) {
    const std::size_t space = text.find(' ', byteOfUnit(text, kSurroundingCutFrom - 1));
    if (space != std::string::npos) text.resize(space + 1);
  }
  return text;
}

void addWords(std::string& words, const std::string& more) {
  words += ' ';
  words += more;
}

xml::Node appendElement(xml::Node parent, const std::string& name) {
  return parent.appendChild(parent.ownerDocument().createElement(name));
}

// Cuts every span find(text, from) names out of text, in place. find answers the first span
// starting at or after from, as [begin, end] (end npos: to the end of the text), or begin npos
// when there is none. After a cut the last carry characters kept are searched again, so a match
// the cut brings together is cut too.
template <class Find>
std::string cutAll(std::string text, std::size_t carry, Find&& find) {
  std::size_t kept = 0;
  std::size_t next = 0;
  for (;;) {
    const auto [begin, end] = find(std::string_view(text), next);
    const std::size_t upTo = begin == std::string::npos ? text.size() : begin;
    std::memmove(text.data() + kept, text.data() + next, upTo - next);
    kept += upTo - next;
    if (begin == std::string::npos || end == std::string::npos) break;
    next = end + 1;
    const std::size_t back = std::min(carry, kept);  // no span is shorter than carry
    std::memmove(text.data() + next - back, text.data() + kept - back, back);
    kept -= back;
    next -= back;
  }
  text.resize(kept);
  return text;
}

constexpr std::size_t npos = std::string::npos;
using Span = std::pair<std::size_t, std::size_t>;

std::size_t findNoCase(std::string_view text, std::string_view word, std::size_t from) {
  for (std::size_t at = text.find('<', from); at != npos; at = text.find('<', at + 1))
    if (platform::equalsNoCase(text.substr(at, word.size()), word)) return at;
  return npos;
}

// An IFRAME start or end tag at, attributes and all.
bool isFrameTag(std::string_view text, std::size_t at) {
  std::size_t name = at + 1;
  if (name < text.size() && text[name] == '/') ++name;
  constexpr std::string_view kName = "iframe";
  if (!platform::equalsNoCase(text.substr(name, kName.size()), kName)) return false;
  const std::size_t after = name + kName.size();
  return after >= text.size() || std::string_view(" \t\r\n\f/>").find(text[after]) != npos;
}

Span nextFrameTag(std::string_view text, std::size_t from) {
  for (std::size_t at = text.find('<', from); at != npos; at = text.find('<', at + 1))
    if (isFrameTag(text, at)) return {at, text.find('>', at)};
  return {npos, npos};
}

Span nextScript(std::string_view text, std::size_t from) {
  constexpr std::string_view kStart = "<script";
  const std::size_t begin = findNoCase(text, kStart, from);
  if (begin == npos) return {npos, npos};
  const std::size_t close = findNoCase(text, "</script", begin + kStart.size());
  return {begin, close == npos ? npos : text.find('>', close)};
}

}  // namespace

void BuildMetaNode(const html::Document& page, const xml::Document& clip,
                   const html::Element& element, const std::string& text) {
  kClipReporter.guard("BuildMetaNode()", [&] {
    std::string words;
    for (const html::Element& meta : page.getElementsByTagName("META")) {
      const std::string name = platform::upperAscii(meta.name());
      if (name == "KEYWORDS" || name == "DESCRIPTION") addWords(words, meta.content());
    }
    if (const std::string title = page.title(); !title.empty()) addWords(words, title);
    words = ExtractKeywords(words, kPageKeywords);
    addWords(words, text);
    if (element) addWords(words, surroundingText(element));
    words = ExtractKeywords(words, kClipKeywords);
    const xml::Node meta = appendElement(clip.documentElement(), "meta");
    appendElement(appendElement(meta, "keywords"), "auto").setText(words);
  });
}

void BuildSourceNode(const xml::Document& clip, const html::Document& page) {
  kClipReporter.guard("BuildSourceNode()", [&] {
    const std::vector<html::Element> bases = page.getElementsByTagName("BASE");
    WriteSourceNode(clip, page.location(),
                    bases.empty() ? std::nullopt : std::optional(bases.back().href()));
  });
}

void WriteSourceNode(const xml::Document& clip, const html::Location& location,
                     const std::optional<std::string>& baseHref) {
  const std::size_t slash = location.pathname.rfind('/');
  const std::size_t page = slash == npos ? 0 : slash + 1;
  const xml::Node source = appendElement(clip.documentElement(), "source");
  appendElement(source, "protocol").setText(location.protocol);
  appendElement(source, "host").setText(location.host);
  appendElement(source, "path").setText(location.pathname.substr(0, page));
  appendElement(source, "page").setText(location.pathname.substr(page));
  appendElement(source, "query").setText(location.search);
  xml::Node base = appendElement(source, "base-href");
  if (baseHref) base.setText(*baseHref);
}

// Only the tags go: text that merely names a frame stays, and an unclosed tag takes the rest.
std::string StripIFrames(const std::string& markup) {
  std::string result;
  kClipReporter.guard("StripIFrames()",
                      [&] { result = cutAll(markup, sizeof "</iframe" - 1, nextFrameTag); });
  return result;
}

// An element left open takes the rest of the markup with it.
std::string StripScriptElements(const std::string& markup) {
  std::string result;
  kClipReporter.guard("StripScriptElements()",
                      [&] { result = cutAll(markup, sizeof "<script" - 2, nextScript); });
  return result;
}
