// The shared RegExp rows against VBScript.RegExp, through the adapter; and what the adapter adds:
// the properties read back, Test, and patterns the object cannot compile raising.
#include "../regexp/rows.h"
#include "check.h"

namespace smoke {

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
