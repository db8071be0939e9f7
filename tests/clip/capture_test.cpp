#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "capture/rows.h"
#include "clip/Capture.h"
#include "headless/pages.h"
#include "headless/ranges.h"
#include "runtime/strings.h"
#include "support.h"

namespace {

using testing_support::page;

// The markup a clip's content holds, escapes undone as a reader of the clip undoes them.
std::string contentMarkup(const xml::Document& clip) {
  std::string text = clip.documentElement().selectSingleNode("content").text();
  for (const auto& [escaped, raw] : {std::pair{"#]-]->#", "]]>"}, {"<-##-CDATA-##-", "<![CDATA"}})
    for (auto at = text.find(escaped); at != std::string::npos;
         at = text.find(escaped, at + std::string(raw).size()))
      text.replace(at, std::string(escaped).size(), raw);
  return text;
}

TEST(Capture, AnElementIsWrittenWithTheAttributesAndNodesAClipKeeps) {
  const std::pair<const char*, const char*> cases[] = {
      // script and iframe vanish with their content
      {"<div id=t>a<script>var s = '<b>';</script>b<iframe src=f.htm>inner</iframe>c</div>",
       "<DIV id=\"t\">abc</DIV>"},
      {"<script id=t>x</script>", ""},
      // neither the handler nor the default tabIndex, in the browser's tag case
      {"<div id=t onclick=go() tabindex=0 class=c>x</div>", "<DIV id=\"t\">x</DIV>"},
      {"<div id=t tabindex=3 colspan=2>x</div>",
       "<DIV id=\"t\" tabIndex=\"3\" colSpan=\"2\">x</DIV>"},
      {"<img id=t src=pic.png alt='A pic' width=20 height=10>",
       "<IMG id=\"t\" src=\"pic.png\" alt=\"A pic\" width=\"20\" height=\"10\" />"},
      {"<div id=t>a<br>b<input value=v></div>",
       "<DIV id=\"t\">a<BR />b<INPUT value=\"v\" /></DIV>"},
      {"<p id=t>a &lt;b&gt; &amp; c<!-- dropped --></p>", "<P id=\"t\">a &lt;b&gt; & c</P>"},
      {"<p id=t lang=null dir=''>a<img name=Folverra_SelectionBounds src=m.gif>b</p>",
       "<P id=\"t\">ab</P>"},
      {"<div id=t><form class=yqin action='http://search.folverra.example/search'><input "
       "name=q></form><form class=yqin action='/find'><input name=q></form><form class=other "
       "action='http://search.folverra.example/search'><input name=q></form></div>",
       "<DIV id=\"t\"><FORM action=\"/find\"><INPUT name=\"q\" /></FORM><FORM "
       "action=\"http://search.folverra.example/search\"><INPUT name=\"q\" /></FORM></DIV>"},
      // a quote in a value cannot end it and smuggle a handler in
      {"<p id=t title='x\" onmouseover=\"alert(1)'>a</p>",
       "<P id=\"t\" title=\"x&quot; onmouseover=&quot;alert(1)\">a</P>"},
      // nor can a "<" end a STYLE that reads back as text and let a handler in
      {"<div id=t><svg><style><a title='</style><img src onerror=alert(1)>'></a></style></svg>"
       "</div>",
       "<DIV id=\"t\"><SVG><STYLE><A title=\"&lt;/style&gt;&lt;img src onerror=alert(1)&gt;\">"
       "</A></STYLE></SVG></DIV>"},
      // script addresses go as handlers go, however the address parser would be fooled
      {"<div id=t><a href='&#9;JavaScript:alert(1)'>a</a><a href='java&#10;script:x'>b</a><a "
       "href='VBScript:msgbox(1)'>c</a><a href=javascript-help.htm>d</a><img src=' "
       "\fjavascript:x'></div>",
       "<DIV id=\"t\"><A>a</A><A>b</A><A>c</A><A href=\"javascript-help.htm\">d</A><IMG /></DIV>"},
  };
  for (const auto& [markup, expected] : cases) {
    const html::Document doc = page(markup);
    EXPECT_EQ(ElementToMarkup(doc.getElementById("t")), expected) << markup;
  }
}

constexpr const char* kTable =
    "<table id=tb background=bg.png bgcolor=#eeeeee><thead><tr><td>h0</td><td>h1</td></tr></thead>"
    "<tbody><tr id=r><td>a0</td><td id=c>a1</td></tr><tr><td>b0</td></tr><tr><td>c0</td><td>c1</td>"
    "<td>c2</td></tr></tbody></table><div id=d>plain</div>";

TEST(Capture, RowsAndCellsAreWrappedInATableAndAColumnTakesEveryRowsCell) {
  const char* const wrap = "<table background=\"bg.png\" bgcolor=\"#eeeeee\">";
  const std::tuple<const char*, bool, std::string> cases[] = {
      {"r", false, std::string(wrap) + "<TR id=\"r\"><TD>a0</TD><TD id=\"c\">a1</TD></TR></table>"},
      {"c", false, std::string(wrap) + "<tr><TD id=\"c\">a1</TD></tr></table>"},
      // the short row has no cell at that position
      {"c", true,
       std::string(wrap) +
           "<tr><TD>h1</TD></tr><tr><TD id=\"c\">a1</TD></tr><tr><TD>c1</TD></tr></table>"},
      {"d", true, "<DIV id=\"d\">plain</DIV>"},
  };
  const html::Document doc = page(kTable);
  for (const auto& [id, column, expected] : cases) {
    const xml::Document clip = ClipHTMLElement(doc, doc.getElementById(id), column);
    ASSERT_TRUE(clip) << id;
    EXPECT_EQ(contentMarkup(clip), expected) << id << column;
  }
}

// Each capture's frame: its type and background, meta and source, then its body. Headless
// ranges always have a size, as MSHTML's do, so a text clip's size is the numeric one.
TEST(Capture, EachCaptureBuildsItsFrameInOrderWithItsBody) {
  const html::Document doc = page(
      "<body text=#010101><p id=a>one <script>x()</script>two</p><div id=d "
      "style='width:200px'>x</div><img id=i src=pic.png alt='A pic' width=30 height=12>");
  const auto a = headless::dom::nodeOf(doc.getElementById("a"));
  headless::dom::selectElements(*headless::dom::nodeOf(doc)->doc, a, a);
  const html::TextRange range = doc.selection().createRange();
  const std::string colours =
      "text-color=\"#010101\" link-color=\"#0000ff\" vlink-color=\"#800080\">";
  const std::tuple<xml::Document, const char*, std::string> cases[] = {
      {ClipIHTMLTxtRange(doc, range), "IHTMLTxtRange",
       "<content height=\"" + std::to_string(range.boundingHeight()) + "\" width=\"" +
           std::to_string(range.boundingWidth()) + "\" " + colours +
           "<![CDATA[one two]]></content>"},
      {ClipHTMLElement(doc, doc.getElementById("d"), false), "IHTMLTxtRange",
       "<content height=\"16\" width=\"200\" " + colours +
           "<![CDATA[<DIV id=\"d\" style=\"WIDTH: 200px\">x</DIV>]]></content>"},
      {ClipHTMLImg(doc, doc.getElementById("i")), "HTMLImg",
       "<image><src>http://127.0.0.1:8080/dir/pic.png</src><alt>A pic</alt><height>12</height>"
       "<width>30</width></image>"},
  };
  for (const auto& [clip, type, body] : cases) {
    ASSERT_TRUE(clip) << type;
    const std::string text = clip.xml();
    EXPECT_EQ(text.substr(0, text.find("<meta>")),
              std::string("<frame type=\"") + type + "\" background-color=\"#ffffff\">");
    EXPECT_EQ(text.substr(text.find("</source>")), "</source>" + body + "</frame>");
  }
}

TEST(Capture, ARowOrCellOutsideATableEndsTheCaptureWithALoggedError) {
  const testing_support::ModuleFolder dir;
  const html::Document doc = page("<div id=d></div>");
  std::size_t records = 0;
  for (const char* tag : {"TR", "TD"})
    for (const bool column : {false, true}) {
      html::Element orphan = doc.createElement(tag);
      doc.getElementById("d").appendChild(orphan);
      EXPECT_FALSE(ClipHTMLElement(doc, orphan, column)) << tag << column;
      const auto log = testing_support::readLog(dir.log()).records;
      ASSERT_EQ(log.size(), ++records);
      const testing_support::Record& r = log.back();
      EXPECT_EQ(r.at("object") + " " + r.at("routine") + " " + r.at("number"),
                "mdlClip ClipHTMLElement() 91");
    }
}

TEST(Capture, APageNestedAHundredThousandDeepIsWrittenWhole) {
  constexpr int kDepth = 100000;
  const html::Document doc = page("<div id=t></div>");
  // Built from the inside out: each new element takes the chain built so far.
  html::Element chain = doc.createElement("I");
  chain.setInnerText("x");
  for (int i = 1; i < kDepth; ++i) {
    html::Element outer = doc.createElement("I");
    outer.appendChild(chain);
    chain = outer;
  }
  doc.getElementById("t").appendChild(chain);
  std::string open, close;
  for (int i = 0; i < kDepth; ++i) open += "<I>", close += "</I>";
  const std::string expected = open + "x" + close;
  const std::string markup = ElementToMarkup(doc.getElementById("t"));
  EXPECT_TRUE(markup == "<DIV id=\"t\">" + expected + "</DIV>") << markup.size() << " characters";
  EXPECT_TRUE(ChildNodesToMarkup(doc.getElementById("t")) == expected);
}

TEST(Capture, EachCapturedMarkupMakesTheFrameTextBothPlatformsMake) {
  for (const capturecases::Row& row : capturecases::rows()) {
    EXPECT_EQ(capturecases::frameText(row), row.expected) << row.behaviour;
    EXPECT_TRUE(pugi::xml_document().load_string(row.expected)) << row.behaviour;
  }
}

bool scriptAddress(std::string value) {
  std::erase_if(value, [](char c) { return c == '\t' || c == '\n' || c == '\r'; });
  const auto start = std::find_if(value.begin(), value.end(),
                                  [](char c) { return static_cast<unsigned char>(c) > ' '; });
  const std::string scheme = platform::lowerAscii(std::string(start, value.end()).substr(0, 11));
  return scheme.starts_with("javascript:") || scheme.starts_with("vbscript:");
}

// What the page's markup, read back, slipped through: a script element, a handler, a script
// address, or an attribute that broke out of its quotes and so was never one of the page's own.
std::vector<std::string> slipped(const html::Document& doc, const std::string& markup) {
  std::set<std::pair<std::string, std::string>> own;
  for (const html::Element& e : doc.all())
    for (const html::Attribute& a : e.attributes())
      own.insert({platform::lowerAscii(a.nodeName), a.nodeValue});
  std::vector<std::string> found;
  for (const html::Element& e : page(markup).all()) {
    if (e.tagName() == "SCRIPT") found.push_back("script");
    for (const html::Attribute& a : e.attributes()) {
      const std::string name = platform::lowerAscii(a.nodeName);
      if (name.starts_with("on")) found.push_back(name);
      if (scriptAddress(a.nodeValue)) found.push_back(name + "=" + a.nodeValue);
      if (a.specified && !own.contains({name, a.nodeValue})) found.push_back("new " + name);
    }
  }
  return found;
}

TEST(Capture, HostilePagesLeaveNoScriptHandlerScriptAddressOrBrokenQuote) {
  for (const char* name : {"html5lib-tree-inputs.json", "dompurify-payloads.json"}) {
    std::ifstream in(std::string(FOLVERRA_TESTS_DIR) + "/corpora/" + name);
    const auto items = nlohmann::json::parse(in).get<std::vector<std::string>>();
    for (std::size_t i = 0; i < items.size(); ++i) {
      SCOPED_TRACE(testing::Message() << name << " #" << i);
      const html::Document doc = page(items[i]);
      if (!doc.body()) continue;
      const std::string markup = ElementToMarkup(doc.body());
      EXPECT_EQ(slipped(doc, markup), std::vector<std::string>()) << markup;

      const xml::Document clip = NewClipFrame("IHTMLTxtRange", doc.bgColor());
      AppendClipContent(clip, {}, markup);
      ASSERT_TRUE(pugi::xml_document().load_string(clip.xml().c_str())) << markup;
      EXPECT_EQ(contentMarkup(clip), markup);
    }
  }
}

}  // namespace
