// Pages read as a browser reads them: the encoding picked from a byte-order mark, the header,
// an XML declaration or a <meta>, and the bytes decoded to the UTF-8 the parser takes.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <utility>

#include "headless/browser.h"
#include "headless/decode.h"
#include "headless/pages.h"
#include "runtime/strings.h"
#include "support.h"

namespace {

using headless::htmlToUtf8;

const std::string R = "\xEF\xBF\xBD";  // U+FFFD
const std::string kCafeEuro = "caf\xC3\xA9 \xE2\x82\xAC";

struct Row {
  const char* says;
  std::string transport;  // the header's charset
  std::string head;       // ASCII markup before the text, read back as it is
  std::string bytes;      // the text as the page holds it
  std::string text;       // and as UTF-8
};

const std::string kFarOff(1024, ' ');
const std::string kCutOff(1000, ' ');

const Row kRows[] = {
    {"Bytes that declare nothing are UTF-8", "", "", kCafeEuro, kCafeEuro},
    {"A meta charset of windows-1252 reads e-acute and 0x80 as the euro sign", "",
     "<meta charset=windows-1252>", "caf\xE9 \x80", kCafeEuro},
    {"The five bytes windows-1252 leaves undefined are C1 controls, 0x9F is Y-diaeresis", "",
     "<meta charset=cp1252>", "\x81\x8D\x8F\x90\x9D\x9F",
     "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D\xC5\xB8"},
    {"latin1 means windows-1252", "", "<meta charset=latin1>", "\x93q\x94",
     "\xE2\x80\x9Cq\xE2\x80\x9D"},
    {"US-ASCII in capitals is windows-1252 too", "", "<meta charset=US-ASCII>", "\xE9", "\xC3\xA9"},
    {"A UTF-16LE mark is dropped and the pairs read, surrogates joined", "", "",
     std::string("\xFF\xFE"
                 "c\0a\0f\0\xE9\0 \0\xAC\x20\x3D\xD8\x00\xDE",
                 18),
     kCafeEuro + "\xF0\x9F\x98\x80"},
    {"A UTF-16BE mark reads the other way round, a lone surrogate as U+FFFD", "", "",
     std::string("\xFE\xFF\0c\0\xE9\xD8\x3D\0z", 10), "c\xC3\xA9" + R + "z"},
    {"A UTF-8 mark is dropped and wins over a meta", "", "",
     "\xEF\xBB\xBF<meta charset=windows-1252>caf\xC3\xA9",
     "<meta charset=windows-1252>caf\xC3\xA9"},
    {"A mark wins over the header", "windows-1252", "",
     "\xEF\xBB\xBF"
     "caf\xC3\xA9",
     "caf\xC3\xA9"},
    {"The header wins over a meta", "windows-1252", "<meta charset=utf-8>", "caf\xE9",
     "caf\xC3\xA9"},
    {"A header label is trimmed and read in any case", " Windows-1252\t", "", "\xE9", "\xC3\xA9"},
    {"A header charset no browser knows leaves it to the meta", "x-unheard-of",
     "<meta charset=windows-1252>", "\xE9", "\xC3\xA9"},
    {"A header utf-16 is UTF-16LE", "utf-16", "", std::string("h\0i\0", 4), "hi"},
    {"A meta in a comment is passed over for the one after it", "",
     "<!-- a > b <meta charset=koi8-r> --><!--><meta charset=windows-1252>", "\xE9", "\xC3\xA9"},
    {"The http-equiv form counts in any case with quoted values", "",
     "<META HTTP-EQUIV='Content-Type' CONTENT=\"text/html; Charset=Windows-1252\">", "\xE9",
     "\xC3\xA9"},
    {"A content charset without http-equiv says nothing", "",
     "<meta content='text/html; charset=windows-1252'>", "caf\xC3\xA9", "caf\xC3\xA9"},
    {"An unquoted meta charset ends at white space", "", "<meta charset=windows-1252 name=x>",
     "\xE9", "\xC3\xA9"},
    {"A meta quoted in another tag's attribute is passed over", "",
     "<div title='<meta charset=koi8-r>'><meta charset=windows-1252>", "\xE9", "\xC3\xA9"},
    {"A meta past the first 1024 bytes is not looked at", "",
     kFarOff + "<meta charset=windows-1252>", "caf\xC3\xA9", "caf\xC3\xA9"},
    {"A meta cut off at byte 1024 is not looked at", "", kCutOff + "<meta charset=windows-1252>",
     "caf\xC3\xA9", "caf\xC3\xA9"},
    {"A meta declaring UTF-16 means UTF-8", "", "<meta charset=utf-16>", "caf\xC3\xA9",
     "caf\xC3\xA9"},
    {"An unknown meta label falls back to UTF-8", "", "<meta charset=klingon>", "caf\xC3\xA9",
     "caf\xC3\xA9"},
    {"An XML declaration's encoding comes before a meta", "",
     "<?xml version=\"1.0\" encoding='ISO-8859-1'?><meta charset=koi8-r>", "\xE9", "\xC3\xA9"},
    {"GBK goes through iconv", "", "<meta charset=gb2312>", "\xD6\xD0\xCE\xC4",
     "\xE4\xB8\xAD\xE6\x96\x87"},
    {"A byte iconv cannot read, or a sequence cut short, is U+FFFD and the rest goes on", "",
     "<meta charset=gbk>", "\xFF\xD6\xD0x\xD6", R + "\xE4\xB8\xAD" + "x" + R},
    {"Shift_JIS is read with the Windows characters", "", "<meta charset=shift_jis>",
     "\x93\xFA\x96\x7B\x87\x40", "\xE6\x97\xA5\xE6\x9C\xAC\xE2\x91\xA0"},
    {"Invalid UTF-8 is U+FFFD for each maximal invalid part", "", "",
     "a\x80"
     "b\xC3(\xE2\x82\xF0\x9F\x98\xED\xA0\x80\xC0\xAF\xF4\x90\x80\x80z\xF0\x9F\x98\x80\xE2\x82",
     "a" + R + "b" + R + "(" + R + R + R + R + R + R + R + R + R + R + R + "z\xF0\x9F\x98\x80" + R},
    {"A U+FEFF left after the mark is dropped", "", "", "\xEF\xBB\xBF\xEF\xBB\xBFx", "x"},
};

TEST(Decode, PagesAreReadInTheEncodingABrowserPicks) {
  for (const Row& row : kRows) {
    EXPECT_EQ(htmlToUtf8(row.head + row.bytes, row.transport), row.head + row.text) << row.says;
  }
}

TEST(Decode, AnyBytesInAnyEncodingComeOutAsValidUtf8) {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  std::uint32_t seed = 7;
  for (int i = 0; i < 4096; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes += static_cast<char>(seed >> 24);
  }
  const char* labels[] = {"utf-8",   "windows-1252", "utf-16le",     "utf-16be",    "gbk",
                          "gb18030", "shift_jis",    "euc-jp",       "iso-2022-jp", "big5",
                          "euc-kr",  "koi8-r",       "windows-1253", "iso-8859-8"};
  for (const char* label : labels) {
    for (const std::string& page : {bytes, bytes.substr(1), bytes + "\xE2\x82"}) {
      const std::string text = htmlToUtf8(page, label);
      EXPECT_EQ(platform::toUtf8(platform::toUtf16(text)), text) << label;
    }
  }
}

struct DecodedPageTest : ::testing::Test {
  testing_support::ModuleFolder dir;
  headless::BrowserWindow window;

  html::Document load(const std::string& url) {
    EXPECT_TRUE(window.Load(url)) << url;
    return window.page().webBrowser().Document().html();
  }
};

TEST_F(DecodedPageTest, ABrowserWindowShowsPagesInTheirOwnEncoding) {
  const std::string declared =
      "<html><head><meta charset=windows-1252><title>caf\xE9 \x80</title></head>"
      "<body><p>caf\xE9 \x80</p></body></html>";
  const std::string undeclared =
      "<html><head><title>caf\xE9 \x80</title></head><body><p>caf\xE9 \x80</p></body></html>";
  const std::string xml =
      "<?xml version='1.0' encoding='windows-1252'?><!DOCTYPE html><html><head><title>caf\xE9 "
      "\x80</title></head><body><p>caf\xE9 \x80</p></body></html>";
  const testing_support::PageServer plain({{"/declared.html", declared}, {"/xml.html", xml}});
  const testing_support::PageServer labelled({{"/undeclared.html", undeclared}},
                                             "text/html; charset=\"windows-1252\"");
  const auto file = dir.path() / "declared.html";
  std::ofstream(file, std::ios::binary) << declared;
  const std::pair<const char*, std::string> pages[] = {
      {"over http with a meta", plain.url("/declared.html")},
      {"over http with the header's charset", labelled.url("/undeclared.html")},
      {"from a file with a meta", "file://" + file.string()},
      {"with an XML declaration and a doctype", plain.url("/xml.html")},
  };
  for (const auto& [how, url] : pages) {
    SCOPED_TRACE(how);
    const html::Document doc = load(url);
    EXPECT_EQ(doc.title(), kCafeEuro);
    EXPECT_EQ(doc.body().innerText(), kCafeEuro);
    EXPECT_EQ(doc.documentElement().tagName(), "HTML");
  }
}

}  // namespace
