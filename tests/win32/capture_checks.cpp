// The shared frame rows through MSXML 3: the captures' documents must read as the headless ones,
// byte for byte (MSHTML cannot run here, so the rows start from captured markup).
#include "../capture/rows.h"
#include "check.h"

namespace smoke {
namespace {

// Wine's MSXML writes the xml of element-only content indented, a line and tabs before each
// child element and the end tag; the native one writes the tree as it stands.
std::string withoutWineIndent(std::string text) {
  for (std::size_t at = text.find(">\r\n"); at != std::string::npos; at = text.find(">\r\n", at)) {
    const std::size_t next = text.find_first_not_of('\t', at + 3);
    if (next != std::string::npos && text[next] == '<')
      text.erase(at + 1, next - at - 1);
    else
      ++at;
  }
  return text;
}

}  // namespace

void runCaptureChecks() {
  for (const capturecases::Row& row : capturecases::rows()) {
    if (row.notUnderWine) continue;
    const std::string text = withoutWineIndent(capturecases::frameText(row));
    expect(text == row.expected, std::string(row.behaviour) + ": \"" + text + "\"");
  }
}

}  // namespace smoke
