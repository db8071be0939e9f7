// The regexp port on PCRE2 (8-bit, UTF). A pattern is in the script's syntax, so it is rewritten
// into PCRE2's before it compiles: escapes PCRE2 reads otherwise (\v, \e, \z, \Q, \p, \1 before
// any group...) become what the script reads, "[" inside a class is a character, "[]" and "[^]"
// match nothing and anything, and what only PCRE2 accepts ("(?<", "(*VERB)", "a++") is refused.
// The compiled pattern is kept until Pattern or IgnoreCase changes. PCRE2's match, depth and heap
// limits bound every try from one place of the input; reaching one raises 28. Text that is no
// UTF-8 raises 5.
#include "platform/regexp.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string_view>

#include "runtime/error.h"

namespace regexp {
namespace {

// Enough for a lazy scan over megabytes of one line, while a catastrophic pattern gives up
// within a fraction of a second.
constexpr std::uint32_t kMatchLimit = 10'000'000;
// A group repeated some twenty thousand times in one match.
constexpr std::uint32_t kDepthLimit = 50'000;
constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;

// UTF: "." and classes take whole characters. LF alone ends a line, so "." matches "\r". "$"
// ignores a final "\n". An unset group matches "" when referred back to, as in the script.
// (PCRE2_MATCH_INVALID_UTF would let bytes that are no UTF-8 through, but it makes every call
// scan the rest of the input, which turns a global Replace quadratic.)
constexpr std::uint32_t kOptions = PCRE2_UTF | PCRE2_DOLLAR_ENDONLY | PCRE2_MATCH_UNSET_BACKREF;

template <class T, void (*Free)(T*)>
struct Freer {
  void operator()(T* p) const { Free(p); }
};
template <class T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, Freer<T, Free>>;

pcre2_compile_context* syntax() {
  static const Owned<pcre2_compile_context, pcre2_compile_context_free> context = [] {
    Owned<pcre2_compile_context, pcre2_compile_context_free> c(
        pcre2_compile_context_create(nullptr));
    if (!c) throw std::bad_alloc();
    pcre2_set_newline(c.get(), PCRE2_NEWLINE_LF);
    return c;
  }();
  return context.get();
}

pcre2_match_context* limits() {
  static const Owned<pcre2_match_context, pcre2_match_context_free> context = [] {
    Owned<pcre2_match_context, pcre2_match_context_free> c(pcre2_match_context_create(nullptr));
    if (!c) throw std::bad_alloc();
    pcre2_set_match_limit(c.get(), kMatchLimit);
    pcre2_set_depth_limit(c.get(), kDepthLimit);
    pcre2_set_heap_limit(c.get(), kHeapLimitKiB);
    return c;
  }();
  return context.get();
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isOctal(char c) {
  return c >= '0' && c <= '7';
}
bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isAlnum(char c) {
  return isLetter(c) || isDigit(c);
}
int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
bool isContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Rewrites a pattern of the script's syntax into PCRE2's, or raises the number the script's
// engine gives for what it refuses.
class Translator {
 public:
  explicit Translator(std::string_view pattern) : in_(pattern) {}

  std::string run() {
    while (more()) {
      const char c = in_[at_];
      if (c == '\\') {
        ++at_;
        repeatable_ = escape(false) != Kind::Assertion;
      } else if (c == '[') {
        characterClass();
        repeatable_ = true;
      } else if (c == '(') {
        group();
        repeatable_ = false;
      } else if (c == '|' || c == '^' || c == '$') {
        out_ += c;
        ++at_;
        repeatable_ = false;
      } else if (c == '*' || c == '+' || c == '?') {
        quantifier(1);
      } else if (const std::size_t braces = c == '{' ? countedLength() : 0) {
        quantifier(braces);
      } else {
        // "{" that counts nothing, "}" and "]" are characters.
        if (c == '{' || c == '}' || c == ']') out_ += '\\';
        copyCharacter();
        repeatable_ = true;
      }
    }
    return out_;
  }

 private:
  enum class Kind { Character, Set, Assertion };

  bool more() const { return at_ < in_.size(); }
  char peek(std::size_t ahead) const { return at_ + ahead < in_.size() ? in_[at_ + ahead] : '\0'; }
  [[noreturn]] static void refuse(std::int32_t number) { platform::raise(number); }

  // The character at at_ as it is, a UTF-8 sequence whole.
  void copyCharacter() {
    out_ += in_[at_++];
    while (more() && isContinuation(in_[at_])) out_ += in_[at_++];
  }

  // The character at at_, meaning only itself in or out of a class.
  void literal() {
    const char c = in_[at_];
    if (static_cast<unsigned char>(c) < 0x80 && !isAlnum(c)) {
      codePoint(static_cast<unsigned char>(c));
      ++at_;
    } else {
      copyCharacter();
    }
  }

  void codePoint(char32_t c) {
    if (c < 0x80 && isAlnum(static_cast<char>(c))) {
      out_ += static_cast<char>(c);
      return;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string digits;
    for (; c; c >>= 4) digits.insert(digits.begin(), kHex[c & 0xF]);
    out_ += "\\x{" + (digits.empty() ? "0" : digits) + "}";
  }

  // The value of `count` hex digits from at_ + from on, or -1.
  long hexDigits(std::size_t from, std::size_t count) const {
    long value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
      const int digit = hexValue(peek(i));
      if (digit < 0) return -1;
      value = value * 16 + digit;
    }
    return value;
  }

  // What follows a backslash. \b is a backspace in a class and a word boundary outside.
  Kind escape(bool inClass) {
    if (!more()) refuse(platform::kRegExpSyntax);
    const char c = in_[at_];
    switch (c) {
      case 'd':
      case 'D':
      case 's':
      case 'S':
      case 'w':
      case 'W':
        out_ += '\\';
        out_ += c;
        ++at_;
        return Kind::Set;
      case 'b':
      case 'B':
        ++at_;
        if (inClass) {
          codePoint(c == 'b' ? 0x08 : 'B');
          return Kind::Character;
        }
        out_ += '\\';
        out_ += c;
        return Kind::Assertion;
      case 'f':
        return control(0x0C);
      case 'n':
        return control(0x0A);
      case 'r':
        return control(0x0D);
      case 't':
        return control(0x09);
      case 'v':
        return control(0x0B);
      case 'c':
        if (!isLetter(peek(1))) break;
        at_ += 1;
        return control(static_cast<char32_t>(in_[at_] % 32));
      case 'x':
      case 'u':
        if (const long value = hexDigits(1, c == 'x' ? 2 : 4); value >= 0) {
          at_ += c == 'x' ? 3 : 5;
          unicode(static_cast<char32_t>(value), inClass);
          return Kind::Character;
        }
        break;
      default:
        if (isDigit(c)) return number(inClass);
        break;
    }
    literal();
    return Kind::Character;
  }

  Kind control(char32_t value) {
    ++at_;
    codePoint(value);
    return Kind::Character;
  }

  // A \u escape: the script's strings are UTF-16, so two escapes may make one character. A lone
  // half can never match UTF-8 text: outside a class it fails, inside one it is refused.
  void unicode(char32_t value, bool inClass) {
    if (value < 0xD800 || value > 0xDFFF) return codePoint(value);
    if (value <= 0xDBFF && peek(0) == '\\' && peek(1) == 'u') {
      const long low = hexDigits(2, 4);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        at_ += 6;
        return codePoint(0x10000 + ((value - 0xD800) << 10) + static_cast<char32_t>(low - 0xDC00));
      }
    }
    if (inClass) refuse(platform::kRegExpSyntax);
    out_ += "(?!)";
  }

  // \N: a reference to a group opened before it, else an octal character (\8 and \9 are
  // digits). In a class it is always a character.
  Kind number(bool inClass) {
    const int first = in_[at_] - '0';
    if (!inClass && first > 0) {
      const int both = first * 10 + (peek(1) - '0');
      if (isDigit(peek(1)) && both <= groups_) return reference(both, 2);
      if (first <= groups_) return reference(first, 1);
    }
    if (first > 7) {
      literal();
      return Kind::Character;
    }
    char32_t value = 0;
    for (int taken = 0; taken < (first <= 3 ? 3 : 2) && more() && isOctal(in_[at_]); ++taken)
      value = value * 8 + static_cast<char32_t>(in_[at_++] - '0');
    codePoint(value);
    return Kind::Character;
  }

  Kind reference(int group, std::size_t digits) {
    at_ += digits;
    out_ += "\\g{" + std::to_string(group) + "}";
    return Kind::Character;
  }

  // "(?:", "(?=" and "(?!" are the only groups with a "?"; in any other the "?" repeats nothing.
  void group() {
    if (peek(1) == '?') {
      const char kind = peek(2);
      if (kind != ':' && kind != '=' && kind != '!') refuse(platform::kRegExpQuantifier);
      out_.append(in_.substr(at_, 3));
      at_ += 3;
      return;
    }
    if (peek(1) == '*') refuse(platform::kRegExpQuantifier);
    ++groups_;
    out_ += '(';
    ++at_;
  }

  // The length of "{n}", "{n,}" or "{n,m}" at at_, or 0 when the brace counts nothing.
  std::size_t countedLength() const {
    std::size_t i = 1;
    const auto digits = [&] {
      const std::size_t from = i;
      while (isDigit(peek(i))) ++i;
      return i > from;
    };
    if (!digits()) return 0;
    if (peek(i) == ',') {
      ++i;
      digits();
    }
    return peek(i) == '}' ? i + 1 : 0;
  }

  // A quantifier may follow only something that can repeat, and not another quantifier (which
  // PCRE2 would read as possessive).
  void quantifier(std::size_t length) {
    if (!repeatable_) refuse(platform::kRegExpQuantifier);
    out_.append(in_.substr(at_, length));
    at_ += length;
    if (more() && in_[at_] == '?') out_ += in_[at_++];
    repeatable_ = false;
  }

  // A "-" makes a range only between two characters; next to a set (\d...) or at either end it
  // is a character, as the script reads it.
  void characterClass() {
    ++at_;
    const bool negated = peek(0) == '^';
    if (negated) ++at_;
    if (peek(0) == ']') {
      ++at_;
      out_ += negated ? "[\\s\\S]" : "(?!)";
      return;
    }
    out_ += negated ? "[^" : "[";
    Kind last = Kind::Set;  // nothing a range could start from
    bool rangeOpen = false;
    for (;;) {
      if (!more()) refuse(platform::kRegExpBracket);
      const char c = in_[at_];
      if (c == ']') {
        out_ += c;
        ++at_;
        return;
      }
      const bool setAhead =
          peek(1) == '\\' && std::string_view("dDsSwW").find(peek(2)) != std::string_view::npos;
      if (c == '-' && last == Kind::Character && !rangeOpen && peek(1) != ']' && !setAhead) {
        out_ += c;
        ++at_;
        rangeOpen = true;
        continue;
      }
      if (c == '\\') {
        ++at_;
        last = escape(true);
      } else {
        literal();
        last = Kind::Character;
      }
      // The end of a range starts no other.
      if (rangeOpen) last = Kind::Set;
      rangeOpen = false;
    }
  }

  std::string_view in_;
  std::size_t at_ = 0;
  std::string out_;
  int groups_ = 0;           // capturing groups opened so far
  bool repeatable_ = false;  // whether what came last may take a quantifier
};

std::int32_t compileFailure(int code) {
  switch (code) {
    case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
      return platform::kRegExpBracket;
    case PCRE2_ERROR_CLASS_RANGE_ORDER:
      return platform::kRegExpRange;
    case PCRE2_ERROR_QUANTIFIER_INVALID:
      return platform::kRegExpQuantifier;
    case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
      return platform::kRegExpParenthesis;
    default:
      return platform::kRegExpSyntax;
  }
}

[[noreturn]] void matchFailure(int code) {
  switch (code) {
    case PCRE2_ERROR_MATCHLIMIT:
    case PCRE2_ERROR_DEPTHLIMIT:
    case PCRE2_ERROR_HEAPLIMIT:
      platform::raise(platform::kOutOfStackSpace);
    case PCRE2_ERROR_NOMEMORY:
      platform::raise(platform::kOutOfMemory);
    default: {
      if (code <= PCRE2_ERROR_UTF8_ERR1 && code >= PCRE2_ERROR_UTF8_ERR21)
        platform::raise(platform::kInvalidCall, "The text is not UTF-8");
      PCRE2_UCHAR text[128];
      pcre2_get_error_message(code, text, sizeof text);
      platform::raise(platform::kInternalError, reinterpret_cast<const char*>(text));
    }
  }
}

struct Program {
  Owned<pcre2_code, pcre2_code_free> code;
  std::uint32_t groups = 0;
};

// Finds matches of one program in one input, reusing its buffers.
class Matcher {
 public:
  Matcher(const Program& program, std::string_view input)
      : program_(program),
        input_(input),
        data_(pcre2_match_data_create_from_pattern(program.code.get(), nullptr)) {
    if (!data_) throw std::bad_alloc();
  }

  // The first match at or after from, which is 0 or the start of a character; begin() and end()
  // are then its offsets. The input's UTF-8 is checked on the first call only.
  bool find(std::size_t from) {
    const int rc =
        pcre2_match(program_.code.get(), reinterpret_cast<PCRE2_SPTR>(input_.data()), input_.size(),
                    from, checked_ ? PCRE2_NO_UTF_CHECK : 0, data_.get(), limits());
    checked_ = true;
    if (rc == PCRE2_ERROR_NOMATCH) return false;
    if (rc < 0) matchFailure(rc);
    return true;
  }
  std::size_t begin() const { return pcre2_get_ovector_pointer(data_.get())[0]; }
  std::size_t end() const { return pcre2_get_ovector_pointer(data_.get())[1]; }

  // Appends replacement with its $ codes standing for the last match.
  void expand(std::string& out, std::string_view replacement) const {
    if (replacement.find('$') == std::string_view::npos) {
      out.append(replacement);
      return;
    }
    for (std::size_t i = 0; i < replacement.size(); ++i) {
      const char c = replacement[i];
      const char next = i + 1 < replacement.size() ? replacement[i + 1] : '\0';
      const char after = i + 2 < replacement.size() ? replacement[i + 2] : '\0';
      const std::uint32_t one = static_cast<std::uint32_t>(next - '0');
      const std::uint32_t two = one * 10 + static_cast<std::uint32_t>(after - '0');
      if (c != '$') {
        out += c;
      } else if (next == '$') {
        out += '$';
      } else if (next == '&') {
        appendGroup(out, 0);
      } else if (next == '`') {
        out.append(input_.substr(0, begin()));
      } else if (next == '\'') {
        out.append(input_.substr(end()));
      } else if (isDigit(next) && isDigit(after) && two >= 1 && two <= program_.groups) {
        appendGroup(out, two);
        i += 1;
      } else if (isDigit(next) && one >= 1 && one <= program_.groups) {
        appendGroup(out, one);
      } else {
        out += '$';
        continue;
      }
      if (c == '$') ++i;
    }
  }

 private:
  void appendGroup(std::string& out, std::uint32_t n) const {
    const PCRE2_SIZE* offsets = pcre2_get_ovector_pointer(data_.get());
    if (offsets[2 * n] != PCRE2_UNSET)
      out.append(input_.substr(offsets[2 * n], offsets[2 * n + 1] - offsets[2 * n]));
  }

  const Program& program_;
  std::string_view input_;
  Owned<pcre2_match_data, pcre2_match_data_free> data_;
  bool checked_ = false;
};

// The offset of the character after the one at `at`.
std::size_t nextCharacter(std::string_view s, std::size_t at) {
  ++at;
  while (at < s.size() && isContinuation(s[at])) ++at;
  return at;
}

}  // namespace

struct RegExpImpl {
  std::string pattern;
  bool global = false;
  bool ignoreCase = false;
  std::unique_ptr<const Program> compiled;  // until Pattern or IgnoreCase changes

  const Program& program() {
    if (compiled) return *compiled;
    const std::string translated = Translator(pattern).run();
    int error = 0;
    PCRE2_SIZE offset = 0;
    auto program = std::make_unique<Program>();
    program->code.reset(
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()), translated.size(),
                      kOptions | (ignoreCase ? PCRE2_CASELESS : 0u), &error, &offset, syntax()));
    if (!program->code) platform::raise(compileFailure(error));
    pcre2_pattern_info(program->code.get(), PCRE2_INFO_CAPTURECOUNT, &program->groups);
    compiled = std::move(program);
    return *compiled;
  }
};

RegExp RegExp::Create() {
  return RegExp(std::make_shared<Impl>());
}

std::string RegExp::Pattern() const {
  return self().pattern;
}

void RegExp::setPattern(const std::string& pattern) {
  Impl& r = self();
  r.pattern = pattern;
  r.compiled.reset();
}

bool RegExp::Global() const {
  return self().global;
}

void RegExp::setGlobal(bool global) {
  self().global = global;
}

bool RegExp::IgnoreCase() const {
  return self().ignoreCase;
}

void RegExp::setIgnoreCase(bool ignoreCase) {
  Impl& r = self();
  if (r.ignoreCase != ignoreCase) r.compiled.reset();
  r.ignoreCase = ignoreCase;
}

bool RegExp::Test(const std::string& source) const {
  return Matcher(self().program(), source).find(0);
}

std::string RegExp::Replace(const std::string& source, const std::string& replacement) const {
  Impl& r = self();
  Matcher matcher(r.program(), source);
  std::string out;
  std::size_t copied = 0;
  for (std::size_t from = 0; from <= source.size() && matcher.find(from);) {
    out.append(source, copied, matcher.begin() - copied);
    matcher.expand(out, replacement);
    copied = matcher.end();
    if (!r.global) break;
    from = matcher.end() > matcher.begin() ? matcher.end() : nextCharacter(source, copied);
  }
  out.append(source, copied);
  return out;
}

}  // namespace regexp
