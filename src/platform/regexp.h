// The regexp port: the RegExp object of VBScript 5.5, which the toolbar uses to strip markup and
// white space from a clip before counting its characters.
// A platform implements every member and the Impl type. Patterns are written in the script's
// syntax, whatever engine runs them: "." matches anything but "\n" ("\r" included), "\s" is
// [ \f\n\r\t\v], "^" and "$" hold only at the start and the very end of the input, quantifiers
// may be lazy, "\1" refers back to a group, and a backslash before a character with no meaning
// of its own stands for that character ("\<", "\=", "\q"). Strings are UTF-8; text that is
// not may raise 5.
// Nothing raises when a property is set. Test and Replace raise: 91 for a member of Nothing; for
// a pattern that does not compile, 5017 (syntax error), 5018 (unexpected quantifier), 5019
// (expected ']'), 5020 (expected ')') or 5021 (invalid range in character set); 28 (out of stack
// space) when a match would take too long or nest too deep.
#pragma once

#include <string>

#include "runtime/handle.h"

namespace regexp {

struct RegExpImpl;  // what a platform keeps behind the handle

class RegExp : public platform::Handle<RegExpImpl> {
 public:
  using Handle::Handle;
  // A new object: Pattern "", Global and IgnoreCase False.
  static RegExp Create();

  std::string Pattern() const;
  void setPattern(const std::string& pattern);
  // Whether Replace replaces every match or only the first.
  bool Global() const;
  void setGlobal(bool global);
  bool IgnoreCase() const;
  void setIgnoreCase(bool ignoreCase);

  // Whether the pattern matches anywhere in source.
  bool Test(const std::string& source) const;
  // Source with the first match, or every one when Global, replaced. In replacement, $1 to $99
  // stand for a group's text ("" for a group that took no part; a number above the pattern's
  // groups stays as written), $& for the match, $` for what precedes it, $' for what follows,
  // $$ for a dollar; any other $ stays as written. Matches are found left to right; after an
  // empty one the search goes on a character further.
  std::string Replace(const std::string& source, const std::string& replacement) const;
};

}  // namespace regexp
