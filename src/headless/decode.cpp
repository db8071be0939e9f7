// Picking a page's encoding and decoding it, the way browsers do: the labels they accept for
// the common encodings, the prescan of the first 1024 bytes for a <meta>, and decoders that put
// U+FFFD for what they cannot read and go on. UTF-8, UTF-16 and windows-1252 are decoded here
// (glibc leaves five windows-1252 bytes undefined that browsers map to C1 controls); the others
// go through iconv.
#include "headless/decode.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "runtime/strings.h"

namespace headless {
namespace {

// An encoding is a name: ours for the decoders written here, iconv's for the others.
using Encoding = std::string_view;
constexpr Encoding kUtf8 = "UTF-8";
constexpr Encoding kUtf16Le = "UTF-16LE";
constexpr Encoding kUtf16Be = "UTF-16BE";
constexpr Encoding kWindows1252 = "windows-1252";

constexpr std::size_t kPrescanBytes = 1024;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct Family {
  const char* encoding;     // NUL-terminated for iconv
  std::string_view labels;  // lower case, one space between
};

// The labels browsers take for each encoding.
constexpr Family kFamilies[] = {
    {"UTF-8", "unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8"},
    {"UTF-16LE", "csunicode iso-10646-ucs-2 ucs-2 unicode unicodefeff utf-16 utf-16le"},
    {"UTF-16BE", "unicodefffe utf-16be"},
    {"windows-1252",
     "ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 iso-ir-100 iso8859-1 "
     "iso88591 iso_8859-1 iso_8859-1:1987 l1 latin1 us-ascii windows-1252 x-cp1252"},
    {"IBM866", "866 cp866 csibm866 ibm866"},
    {"ISO-8859-2",
     "csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 l2 latin2"},
    {"ISO-8859-3",
     "csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 l3 latin3"},
    {"ISO-8859-4",
     "csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 l4 latin4"},
    {"ISO-8859-5",
     "csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 iso_8859-5 "
     "iso_8859-5:1988"},
    {"ISO-8859-6",
     "arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 iso-8859-6 iso-8859-6-e "
     "iso-8859-6-i iso-ir-127 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987"},
    {"ISO-8859-7",
     "csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 iso8859-7 iso88597 "
     "iso_8859-7 iso_8859-7:1987 sun_eu_greek"},
    {"ISO-8859-8",
     "csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 iso8859-8 iso88598 "
     "iso_8859-8 iso_8859-8:1988 visual csiso88598i iso-8859-8-i logical"},
    {"ISO-8859-10", "csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6"},
    {"ISO-8859-13", "iso-8859-13 iso8859-13 iso885913"},
    {"ISO-8859-14", "iso-8859-14 iso8859-14 iso885914"},
    {"ISO-8859-15", "csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9"},
    {"ISO-8859-16", "iso-8859-16"},
    {"KOI8-R", "cskoi8r koi koi8 koi8-r koi8_r"},
    {"KOI8-U", "koi8-ru koi8-u"},
    {"MACINTOSH", "csmacintosh mac macintosh x-mac-roman"},
    {"MAC-CYRILLIC", "x-mac-cyrillic x-mac-ukrainian"},
    {"CP874", "dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874"},
    {"CP1250", "cp1250 windows-1250 x-cp1250"},
    {"CP1251", "cp1251 windows-1251 x-cp1251"},
    {"CP1253", "cp1253 windows-1253 x-cp1253"},
    {"CP1254",
     "cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 iso_8859-9:1989 l5 "
     "latin5 windows-1254 x-cp1254"},
    {"CP1255", "cp1255 windows-1255 x-cp1255"},
    {"CP1256", "cp1256 windows-1256 x-cp1256"},
    {"CP1257", "cp1257 windows-1257 x-cp1257"},
    {"CP1258", "cp1258 windows-1258 x-cp1258"},
    // Browsers read GBK pages with the GB18030 decoder, which reads every GBK page the same and
    // the four-byte sequences GBK pages carry in practice besides.
    {"GB18030",
     "chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk gb18030"},
    {"BIG5-HKSCS", "big5 big5-hkscs cn-big5 csbig5 x-x-big5"},
    {"EUC-JP", "cseucpkdfmtjapanese euc-jp x-euc-jp"},
    {"ISO-2022-JP", "csiso2022jp iso-2022-jp"},
    {"CP932", "csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis"},
    {"CP949",
     "cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 "
     "ksc_5601 windows-949"},
};

bool isSpace(char c) {
  return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

bool isAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool hasLabel(std::string_view labels, std::string_view label) {
  while (!labels.empty()) {
    const auto space = labels.find(' ');
    if (labels.substr(0, space) == label) return true;
    labels = space == std::string_view::npos ? std::string_view() : labels.substr(space + 1);
  }
  return false;
}

bool ownDecoder(Encoding e) {
  return e == kUtf8 || e == kUtf16Le || e == kUtf16Be || e == kWindows1252;
}

// The encoding a label names, or empty: for an unknown label, or one this iconv lacks.
Encoding encodingOf(std::string_view label) {
  while (!label.empty() && isSpace(label.front())) label.remove_prefix(1);
  while (!label.empty() && isSpace(label.back())) label.remove_suffix(1);
  const std::string wanted = platform::lowerAscii(label);
  if (wanted.empty()) return {};
  for (const Family& f : kFamilies) {
    if (!hasLabel(f.labels, wanted)) continue;
    if (ownDecoder(f.encoding)) return f.encoding;
    const iconv_t cd = iconv_open("UTF-8", f.encoding);
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    iconv_close(cd);
    return f.encoding;
  }
  return {};
}

// Markup cannot declare UTF-16 of itself: the declaration was read as ASCII, so it is not.
Encoding declared(Encoding e) {
  return e == kUtf16Le || e == kUtf16Be ? kUtf8 : e;
}

Encoding byteOrderMark(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Mark)) return kUtf8;
  if (bytes.starts_with("\xFE\xFF")) return kUtf16Be;
  if (bytes.starts_with("\xFF\xFE")) return kUtf16Le;
  return {};
}

std::size_t skipSpaces(std::string_view s, std::size_t at) {
  while (at < s.size() && isSpace(s[at])) ++at;
  return at;
}

// The label of a quoted value starting at `at`, or nullopt when the quote does not close.
std::optional<std::string_view> quoted(std::string_view s, std::size_t at) {
  const auto close = s.find(s[at], at + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return s.substr(at + 1, close - at - 1);
}

// <?xml version="1.0" encoding="label"?> opening the page.
Encoding xmlDeclaration(std::string_view bytes) {
  bytes = bytes.substr(0, kPrescanBytes);
  if (!bytes.starts_with("<?xml")) return {};
  const std::string_view decl = bytes.substr(0, bytes.find('>'));
  if (decl.size() == bytes.size()) return {};
  const auto name = decl.find("encoding", 5);
  if (name == std::string_view::npos) return {};
  auto at = skipSpaces(decl, name + 8);
  if (at >= decl.size() || decl[at] != '=') return {};
  at = skipSpaces(decl, at + 1);
  if (at >= decl.size() || (decl[at] != '"' && decl[at] != '\'')) return {};
  const auto label = quoted(decl, at);
  return label ? declared(encodingOf(*label)) : Encoding();
}

// The label in a content value "text/html; charset=label" (already in lower case).
std::optional<std::string_view> charsetInContent(std::string_view s) {
  std::size_t at = 0;
  for (;;) {
    const auto found = s.find("charset", at);
    if (found == std::string_view::npos) return std::nullopt;
    at = skipSpaces(s, found + 7);
    if (at >= s.size() || s[at] != '=') continue;
    at = skipSpaces(s, at + 1);
    if (at >= s.size()) return std::nullopt;
    if (s[at] == '"' || s[at] == '\'') return quoted(s, at);
    const auto end = s.find_first_of("\t\n\f\r ;", at);
    return s.substr(at, end == std::string_view::npos ? end : end - at);
  }
}

struct Attribute {
  std::string name, value;
};

// The first 1024 bytes read for a <meta> declaring the encoding, as browsers read them before
// they parse: comments and other tags (with their attributes, quoted '>' included) are
// stepped over, and nothing cut off at the end counts. Each byte is looked at a bounded
// number of times.
class Prescan {
 public:
  explicit Prescan(std::string_view bytes) : s_(bytes.substr(0, kPrescanBytes)) {}

  Encoding run() {
    for (; at_ < s_.size(); ++at_) {
      const std::string_view rest = s_.substr(at_);
      if (rest.starts_with("<!--")) {
        // "<!-->" closes itself: the dashes of its opening count.
        at_ = s_.find("-->", at_ + 2);
        if (at_ == std::string_view::npos) return {};
        at_ += 2;
      } else if (rest.size() > 5 && platform::equalsNoCase(rest.substr(0, 5), "<meta") &&
                 (isSpace(rest[5]) || rest[5] == '/')) {
        at_ += 5;
        if (const Encoding e = meta(); !e.empty()) return e;
      } else if (rest.size() > 2 && rest[0] == '<' &&
                 (isAlpha(rest[1]) || (rest[1] == '/' && isAlpha(rest[2])))) {
        at_ = s_.find_first_of("\t\n\f\r >", at_);
        if (at_ == std::string_view::npos) return {};
        while (attribute()) {
        }
      } else if (rest.starts_with("<!") || rest.starts_with("</") || rest.starts_with("<?")) {
        at_ = s_.find('>', at_ + 2);
        if (at_ == std::string_view::npos) return {};
      }
    }
    return {};
  }

 private:
  bool more() const { return at_ < s_.size(); }

  // The next attribute of a tag, name and value in lower case; nullopt at the tag's '>' or at
  // the end of what is scanned (at_ is then past it).
  std::optional<Attribute> attribute() {
    while (more() && (isSpace(s_[at_]) || s_[at_] == '/')) ++at_;
    if (!more() || s_[at_] == '>') return std::nullopt;
    Attribute a;
    bool equals = false;
    for (; more(); ++at_) {
      const char c = s_[at_];
      if (c == '=' && !a.name.empty()) {
        equals = true;
        ++at_;
        break;
      }
      if (isSpace(c) || c == '/' || c == '>') break;
      a.name += lower(c);
    }
    if (!equals) {
      at_ = skipSpaces(s_, at_);
      if (!more()) return std::nullopt;
      if (s_[at_] != '=') return a;
      ++at_;
    }
    at_ = skipSpaces(s_, at_);
    if (!more()) return std::nullopt;
    if (s_[at_] == '"' || s_[at_] == '\'') {
      const auto value = quoted(s_, at_);
      if (!value) {
        at_ = s_.size();
        return std::nullopt;
      }
      a.value = platform::lowerAscii(*value);
      at_ += value->size() + 2;
      return a;
    }
    for (; more() && !isSpace(s_[at_]) && s_[at_] != '>'; ++at_) a.value += lower(s_[at_]);
    if (!more()) return std::nullopt;
    return a;
  }

  // A meta's attributes: charset="label", or http-equiv="content-type" with a content naming
  // the charset. The first of each name counts.
  Encoding meta() {
    bool seenHttpEquiv = false, seenContent = false, seenCharset = false;
    bool pragma = false;
    std::optional<bool> needsPragma;
    Encoding charset;
    while (const auto a = attribute()) {
      if (a->name == "http-equiv" && !std::exchange(seenHttpEquiv, true)) {
        pragma = a->value == "content-type";
      } else if (a->name == "content" && !std::exchange(seenContent, true) && !needsPragma) {
        const auto label = charsetInContent(a->value);
        if (const Encoding e = label ? encodingOf(*label) : Encoding(); !e.empty()) {
          charset = e;
          needsPragma = true;
        }
      } else if (a->name == "charset" && !std::exchange(seenCharset, true) && !needsPragma) {
        charset = encodingOf(a->value);
        needsPragma = false;
      }
    }
    if (!more() || !needsPragma || (*needsPragma && !pragma)) return {};
    return declared(charset);
  }

  std::string_view s_;
  std::size_t at_ = 0;
};

// Where the run of ASCII bytes from `at` ends, eight at a time while it lasts.
std::size_t asciiRunEnd(std::string_view in, std::size_t at) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  for (std::uint64_t word; at + 8 <= in.size(); at += 8) {
    std::memcpy(&word, in.data() + at, 8);
    if (word & kHighBits) break;
  }
  while (at < in.size() && static_cast<unsigned char>(in[at]) < 0x80) ++at;
  return at;
}

// Valid sequences are kept as they are; each maximal part of an invalid one, and a sequence cut
// short at the end, becomes one U+FFFD.
std::string decodeUtf8(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  std::size_t kept = 0;  // the start of valid bytes not yet copied
  std::size_t at = 0;
  while ((at = asciiRunEnd(in, at)) < in.size()) {
    const auto lead = static_cast<unsigned char>(in[at]);
    const int trail = lead >= 0xC2 && lead <= 0xDF   ? 1
                      : lead >= 0xE0 && lead <= 0xEF ? 2
                      : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                     : 0;
    // The first trail byte's range excludes overlong forms, surrogates and code points past
    // U+10FFFF.
    const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    std::size_t next = at + 1;
    for (int i = 0; i < trail && next < in.size(); ++i, ++next) {
      const auto b = static_cast<unsigned char>(in[next]);
      if (b < (i == 0 ? low : 0x80) || b > (i == 0 ? high : 0xBF)) break;
    }
    if (trail > 0 && next == at + 1 + static_cast<std::size_t>(trail)) {
      at = next;
      continue;
    }
    out.append(in.substr(kept, at - kept));
    out += kReplacement;
    at = kept = next;
  }
  out.append(in.substr(kept));
  return out;
}

std::string decodeUtf16(std::string_view in, bool bigEndian) {
  std::string out;
  out.reserve(in.size() + in.size() / 2);
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto first = static_cast<unsigned char>(in[i]);
    const auto second = static_cast<unsigned char>(in[i + 1]);
    return bigEndian ? (first << 8 | second) : (second << 8 | first);
  };
  const auto surrogate = [](char32_t u, char32_t from) { return u >= from && u < from + 0x400; };
  std::size_t at = 0;
  for (; at + 1 < in.size(); at += 2) {
    const char32_t u = unit(at);
    if (surrogate(u, 0xD800) && at + 3 < in.size() && surrogate(unit(at + 2), 0xDC00)) {
      platform::appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(at + 2) - 0xDC00));
      at += 2;
    } else {
      platform::appendUtf8(out, surrogate(u, 0xD800) || surrogate(u, 0xDC00) ? 0xFFFD : u);
    }
  }
  if (at < in.size()) out += kReplacement;  // an odd byte at the end
  return out;
}

// 0x80-0x9F as windows-1252 has them; the five it leaves undefined stand for the C1 controls.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string decodeWindows1252(std::string_view in) {
  std::string out;
  out.reserve(in.size() + in.size() / 4);
  std::size_t at = 0;
  for (std::size_t end; (end = asciiRunEnd(in, at)) < in.size(); at = end + 1) {
    out.append(in.substr(at, end - at));
    const auto b = static_cast<unsigned char>(in[end]);
    platform::appendUtf8(out, b < 0xA0 ? kWindows1252High[b - 0x80] : b);
  }
  out.append(in.substr(at));
  return out;
}

// Each byte iconv cannot read (or a sequence cut short at the end) becomes U+FFFD, and it goes
// on from the byte after.
std::string decodeWithIconv(std::string_view in, const char* encoding) {
  const iconv_t cd = iconv_open("UTF-8", encoding);
  if (cd == reinterpret_cast<iconv_t>(-1)) return decodeUtf8(in);  // checked when chosen
  std::string out;
  out.reserve(in.size() + in.size() / 2);
  char buffer[16384];
  char* src = const_cast<char*>(in.data());  // iconv's signature; it only reads
  std::size_t left = in.size();
  char* dst = buffer;
  std::size_t room = sizeof buffer;
  const auto flush = [&] {
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    dst = buffer;
    room = sizeof buffer;
  };
  while (left > 0) {
    const char* before = src;
    const bool failed = iconv(cd, &src, &left, &dst, &room) == static_cast<std::size_t>(-1);
    const int why = errno;
    flush();
    // Only a byte it cannot read stops it short; a full buffer has moved it on.
    if (src != before && (!failed || why == E2BIG)) continue;
    out += kReplacement;
    ++src;
    --left;
  }
  iconv(cd, nullptr, nullptr, &dst, &room);  // back to the initial shift state
  flush();
  iconv_close(cd);
  return out;
}

std::string decode(std::string_view bytes, Encoding encoding) {
  if (encoding == kUtf8) return decodeUtf8(bytes);
  if (encoding == kWindows1252) return decodeWindows1252(bytes);
  if (encoding == kUtf16Le || encoding == kUtf16Be) return decodeUtf16(bytes, encoding == kUtf16Be);
  return decodeWithIconv(bytes, encoding.data());
}

}  // namespace

std::string htmlToUtf8(std::string_view bytes, std::string_view transportCharset) {
  Encoding encoding = byteOrderMark(bytes);
  if (!encoding.empty()) bytes.remove_prefix(encoding == kUtf8 ? 3 : 2);
  if (encoding.empty()) encoding = encodingOf(transportCharset);
  if (encoding.empty()) encoding = xmlDeclaration(bytes);
  if (encoding.empty()) encoding = Prescan(bytes).run();
  if (encoding.empty()) encoding = kUtf8;
  std::string text = decode(bytes, encoding);
  if (std::string_view(text).starts_with(kUtf8Mark)) text.erase(0, kUtf8Mark.size());
  return text;
}

}  // namespace headless
