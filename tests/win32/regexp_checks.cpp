// The shared RegExp rows against VBScript.RegExp, through the adapter, the embed-code rows through
// the clip's bounded scan too; and what the adapter adds: the properties read back, Test, and
// patterns the object cannot compile raising.
#include <chrono>
#include <cstdio>

#include "../regexp/rows.h"
#include "check.h"

namespace smoke {
namespace {

// The embed-code rows through the clip's scan; then a megabyte line holding a tag that leads
// nowhere, which the engine alone would try from each of its characters, and embed code after
// it, on its next line or at its end.
void checkEmbedCodeScan(const regexp::RegExp& re) {
  for (const regexpcases::Row& row : regexpcases::rows()) {
    const EmbedCodePattern* code = regexpcases::embedCodeOf(row);
    if (!code || row.notUnderWine) continue;
    const std::string answer = ReplaceEmbedCode(re, *code, row.input);
    expect(answer == row.expected,
           std::string("scanned: ") + row.behaviour + ": \"" + answer + "\"");
  }
  const std::string line = "<embed src=\"" + std::string(1 << 20, 'x');
  const std::pair<std::string, std::string> cases[] = {
      {line + "\n<embed src='a.swf'>", line + "\na.swf"},
      {line + "<embed src='a.swf'>", "a.swf"},
  };
  for (const auto& [text, expected] : cases) {
    const auto start = std::chrono::steady_clock::now();
    const bool right = ReplaceEmbedCode(re, kEmbedSrc, text) == expected;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    expect(right, "a megabyte of text before embed code");
    std::printf("measured: embed code after a megabyte %s: %lld ms\n",
                text[line.size()] == '\n' ? "line" : "on its line",
                static_cast<long long>(ms.count()));
  }
}

}  // namespace

void runRegExpChecks() {
  for (const regexpcases::Row& row : regexpcases::rows()) {
    if (row.notUnderWine) continue;
    const std::string answer = regexpcases::outcome(row);
    expect(answer == row.expected, std::string(row.behaviour) + ": \"" + answer + "\"");
  }
  regexp::RegExp re = regexp::RegExp::Create();
  expect(re.Pattern().empty() && !re.Global() && !re.IgnoreCase(), "a new RegExp's defaults");
  re.setPattern("b+");
  re.setGlobal(true);
  re.setIgnoreCase(true);
  expect(re.Pattern() == "b+" && re.Global() && re.IgnoreCase(), "properties read back");
  expect(re.Test("aBa") && !re.Test("aca"), "Test");
  re.setIgnoreCase(false);
  checkEmbedCodeScan(re);
  // VBScript's number, or the one Wine raises for them all.
  for (const auto& [pattern, number] : regexpcases::refusals()) {
    re.setPattern(pattern);
    try {
      re.Replace("a", "b");
      expect(false, std::string(pattern) + " compiled");
    } catch (const platform::Error& e) {
      expect(e.number == number || e.number == regexpcases::kWineRefusal,
             std::string(pattern) + " raised " + std::to_string(e.number));
    }
  }
}

}  // namespace smoke
