// Keywords and source elements under Wine, against MSXML 3: the same rows the headless suite
// checks, so both platforms give the same bytes; and the stop list found beside the DLL.
#include "../clip/keyword_rows.h"
#include "check.h"
#include "clip/Keywords.h"
#include "clip/Source.h"
#include "platform/system.h"
#include "platform/xml.h"
#include "win32/wide.h"

namespace smoke {

// The folder of the folverra.dll this program finds beside itself.
std::string dllFolder() {
  HMODULE dll = LoadLibraryW(L"folverra.dll");
  if (!dll) return "";
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(dll, path, MAX_PATH);
  FreeLibrary(dll);
  const std::string full = win32::narrow(path, n);
  return full.substr(0, full.find_last_of("\\/"));
}

// Wine's msxml3 indents a node's xml, which MSXML does not: white space between tags goes. The
// rows hold none of their own there.
std::string unindented(const std::string& markup) {
  std::string out;
  for (std::size_t i = 0; i < markup.size(); ++i) {
    if (markup[i] == '>') {
      const std::size_t next = markup.find_first_not_of(" \t\r\n", i + 1);
      out += '>';
      if (next != std::string::npos && markup[next] == '<') i = next - 1;
      continue;
    }
    out += markup[i];
  }
  return out;
}

void runKeywordChecks() {
  const std::string folder = dllFolder();
  expect(!folder.empty(), "folverra.dll was not found");
  expect(sys::FileExists(sys::PathIn(folder, "invalid_keywords.xml")),
         "no invalid_keywords.xml beside folverra.dll in " + folder);
  expect(sys::ModuleFolder() == folder, "this program's module folder is not the DLL's");
  for (const keywordcases::Row& row : keywordcases::rows()) {
    const std::string answer = ExtractKeywords(row.text, row.maximum);
    expect(answer == row.expected, row.behaviour + ": \"" + answer + "\"");
  }
  for (const keywordcases::SourceRow& row : keywordcases::sourceRows()) {
    xml::Document clip = xml::Document::Create();
    clip.appendChild(clip.createElement("frame"));
    WriteSourceNode(clip, row.location, row.baseHref);
    const std::string answer = unindented(clip.documentElement().xml());
    expect(answer == row.expected, row.behaviour + ": " + answer);
  }
}

}  // namespace smoke
