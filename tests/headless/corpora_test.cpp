// Hostile and unusual markup from public test suites: every piece must load, lay out, serialise
// and be edited without a crash.
#include <gtest/gtest.h>

#include <fstream>

#include "headless/dom.h"
#include "runtime/strings.h"

namespace {

// The corpora are JSON arrays with one string per line.
std::string decodeJsonString(std::string_view line) {
  std::u16string out;
  const auto start = line.find('"');
  for (std::size_t i = start + 1; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] != '\\') {
      // Plain bytes are UTF-8: copy the run up to the next escape or quote.
      const std::size_t end = line.find_first_of("\\\"", i);
      out += platform::toUtf16(line.substr(i, end - i));
      i = end - 1;
      continue;
    }
    const char e = line[++i];
    switch (e) {
      case 'n':
        out += u'\n';
        break;
      case 'r':
        out += u'\r';
        break;
      case 't':
        out += u'\t';
        break;
      case 'b':
        out += u'\b';
        break;
      case 'f':
        out += u'\f';
        break;
      case 'u':
        out += static_cast<char16_t>(std::stoi(std::string(line.substr(i + 1, 4)), nullptr, 16));
        i += 4;
        break;
      default:
        out += static_cast<char16_t>(e);
    }
  }
  return platform::toUtf8(out);
}

std::vector<std::string> corpus(const std::string& name) {
  std::ifstream in(std::string(FOLVERRA_TESTS_DIR) + "/corpora/" + name);
  std::vector<std::string> items;
  for (std::string line; std::getline(in, line);)
    if (line.size() > 1 && line[0] == '"') items.push_back(decodeJsonString(line));
  return items;
}

void exercise(const std::string& markup) {
  const html::Document doc = headless::dom::newDocument(markup, "http://127.0.0.1/corpus");
  const html::Element root = doc.documentElement();
  ASSERT_FALSE(root.isNothing());
  const std::string serialised = root.outerHTML();
  headless::dom::newDocument(serialised, "http://127.0.0.1/again");
  html::Element body = doc.body();
  if (body.isNothing()) return;
  body.innerText();
  body.getBoundingClientRect();
  doc.elementFromPoint(20, 20);
  body.insertAdjacentHTML("beforeEnd", markup);
  for (const html::Element& e : body.all()) e.attributes();
}

}  // namespace

TEST(Corpora, EveryPieceLoadsLaysOutAndSerialises) {
  for (const char* name : {"html5lib-tree-inputs.json", "dompurify-payloads.json"}) {
    const auto items = corpus(name);
    ASSERT_GT(items.size(), 200u) << name;
    for (std::size_t i = 0; i < items.size(); ++i) {
      SCOPED_TRACE(testing::Message() << name << " #" << i);
      exercise(items[i]);
    }
  }
}
