#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "headless/dom.h"
#include "headless/pages.h"
#include "headless/ranges.h"
#include "runtime/error.h"
#include "support.h"

namespace {

using testing_support::page;

// The ids of the elements, each followed by a space.
std::string ids(const std::vector<html::Element>& elements) {
  std::string out;
  for (const auto& e : elements) out += e.id() + " ";
  return out;
}

}  // namespace

// A few of the names, not the whole table: one that two tags share, and the fallback.
TEST(Dom, RunTimeTypeNamesFollowTheOriginalObjectModel) {
  // Each element's id is the type name it must report.
  const auto doc = page(
      "<table id=HTMLTable><tbody id=HTMLTableSection><tr id=HTMLTableRow><td id=HTMLTableCell>"
      "<th id=HTMLTableCell></table><custom-tag id=HTMLUnknownElement></custom-tag>");
  std::string types;
  for (const html::Element& e : doc.body().all()) types += e.typeName() + " ";
  EXPECT_EQ(types, ids(doc.body().all()));
  EXPECT_EQ(doc.body().all().size(), 6u);
  EXPECT_EQ(doc.typeName(), "HTMLDocument");
  EXPECT_EQ(doc.getElementById("HTMLUnknownElement").tagName(), "CUSTOM-TAG");
  EXPECT_EQ(doc.getElementById("missing").typeName(), "Nothing");
}

// A few of the properties, not the whole table: a flag, a number read past its digits or
// unreadable, a renamed one; a specified attribute hides its default whatever its case.
TEST(Dom, AttributesListSpecifiedPairsAsScriptReadsThemThenTheTypesDefaults) {
  const auto doc = page(
      "<table><tr><td id=cell rowspan=02 nowrap=no onclick='x()' style='color: red' "
      "colspan=' 3x'>x</td></tr></table><input id=in maxlength=many readonly class=c "
      "accept-charset=utf-8><div id=plain clip-index=4></div>");
  doc.getElementById("plain").setAttribute("TabIndex", "7");
  const std::pair<const char*, const char*> cases[] = {
      {"cell",
       "id=cell rowSpan=2 noWrap=true onclick=x() colSpan=3 style=COLOR: red "
       "contentEditable=inherit disabled=false hideFocus=false tabIndex=0 "},
      {"in",
       "id=in maxLength=2147483647 readOnly=true class=c acceptCharset=utf-8 "
       "contentEditable=inherit disabled=false hideFocus=false tabIndex=0 "},
      {"plain",
       "id=plain clip-index=4 tabIndex=7 contentEditable=inherit disabled=false "
       "hideFocus=false "},
  };
  for (const auto& [id, expected] : cases) {
    std::string pairs;
    for (const auto& a : doc.getElementById(id).attributes())
      pairs += a.nodeName + "=" + a.nodeValue + " ";
    EXPECT_EQ(pairs, expected) << id;
  }
  const auto cell = doc.getElementById("cell");
  EXPECT_EQ(cell.getAttribute("ROWSPAN"), "02") << "the text as written";
  EXPECT_EQ(cell.getAttribute("noWrap"), "no");
  EXPECT_EQ(cell.getAttribute("style"), "COLOR: red");
  EXPECT_FALSE(cell.getAttribute("tabindex").has_value()) << "defaults are not specified";
}

TEST(Dom, LookupsMatchTheOriginalQuirks) {
  const auto doc = page(
      "<div id=one><p id=p1 name=field></p><span id=field></span><p id=p2></p></div>"
      "<p id=p3></p>");
  EXPECT_EQ(ids(doc.getElementsByName("field")), "p1 field ") << "name or id";
  EXPECT_EQ(ids(doc.allTags("p")), "p1 p2 p3 ");
  EXPECT_EQ(ids(doc.getElementById("one").allTags("P")), "p1 p2 ");
  const auto one = doc.getElementById("one");
  EXPECT_TRUE(one.contains(one));
  EXPECT_TRUE(one.contains(doc.getElementById("p2")));
  EXPECT_FALSE(one.contains(doc.getElementById("p3")));
  EXPECT_TRUE(doc.getElementById("ONE").is(one)) << "ids compare without case";
}

TEST(Dom, MarkupRoundTripsAndEditsInPlace) {
  const auto doc = page("<div id=d class='a b'>x &amp; <b>y</b><br>z</div>");
  auto d = doc.getElementById("d");
  EXPECT_EQ(d.outerHTML(), "<DIV id=d class=\"a b\">x &amp; <B>y</B><BR>z</DIV>");
  EXPECT_EQ(d.innerText(), "x & y\r\nz");
  d.insertAdjacentHTML("afterBegin", "<i id=first>1</i>");
  d.insertAdjacentHTML("beforeEnd", "<i id=last>2</i>");
  d.insertAdjacentHTML("BeforeBegin", "<hr id=before>");
  d.insertAdjacentHTML("afterend", "<hr id=after>");
  EXPECT_EQ(ids(doc.body().all()), "before d first   last after ");
  d.setInnerHTML("<p>new</p>");
  EXPECT_EQ(d.innerHTML(), "<P>new</P>");
  d.style().set("backgroundColor", "red");
  d.style().setPixelLeft(12);
  EXPECT_EQ(d.style().cssText(), "BACKGROUND-COLOR: red; LEFT: 12px");
  EXPECT_EQ(d.style().pixelLeft(), 12);
}

TEST(Dom, DocumentMembersReadThePage) {
  const auto doc = page("<title>The &amp; title</title><body link=#ff0000><p>x</p></body>");
  EXPECT_EQ(doc.title(), "The & title");
  EXPECT_EQ(doc.linkColor(), "#ff0000");
  const auto l = doc.location();
  EXPECT_EQ(l.protocol + " " + l.host + " " + l.hostname + " " + l.pathname + " " + l.search,
            "http: 127.0.0.1:8080 127.0.0.1 /dir/page.htm ?x=1");
  EXPECT_EQ(doc.documentElement().tagName(), "HTML");
}

// Malformed markup is the corpora's business, markup nested deep the ranges test's.
// One control of the table: its class and parameter names compare without case.
TEST(Dom, PlayerControlsAnswerFromTheirParameters) {
  const auto doc = page(
      "<object id=wmp classid='CLSID:6bf52a52-394a-11d3-b153-00c04f79faa6'>"
      "<param name=URL value='http://127.0.0.1/a.wmv'></object>"
      "<object id=other classid='clsid:00000000-0000-0000-0000-000000000000'></object>"
      "<div id=div></div>");
  const html::Control wmp = doc.getElementById("wmp").object();
  EXPECT_EQ(wmp.typeName(), "WindowsMediaPlayer");
  EXPECT_EQ(wmp.get("currentMedia.sourceURL"), "http://127.0.0.1/a.wmv");
  EXPECT_THROW(wmp.get("Movie"), platform::Error) << "another control's member";
  EXPECT_EQ(doc.getElementById("other").object().typeName(), "Nothing");
  EXPECT_THROW(doc.getElementById("div").object(), platform::Error);
  EXPECT_EQ(doc.getElementById("wmp").readyState(), "4") << "loaded with its complete page";
  EXPECT_EQ(doc.getElementById("div").readyState(), "complete");
}

TEST(Dom, NormalizeJoinsAdjacentTextAndDropsEmptyText) {
  const auto doc = page("<div id=d>a<b>b</b><i></i></div>");
  auto d = doc.getElementById("d");
  d.insertAdjacentHTML("afterBegin", "x");
  d.insertAdjacentHTML("afterBegin", "y");
  auto empty = d.childNodes().back().asElement();
  empty.insertAdjacentHTML("afterBegin", "gone");
  empty.childNodes()[0].setNodeValue("");
  d.normalize();
  std::string names;
  for (const auto& n : d.childNodes()) names += n.nodeName() + ":" + n.nodeValue() + " ";
  EXPECT_EQ(names, "#text:yxa B: I: ");
  EXPECT_TRUE(empty.childNodes().empty());
}

TEST(Dom, AddressesReadAbsoluteAgainstThePagesBase) {
  using Read = std::string (html::Element::*)() const;
  const Read src = &html::Element::src, href = &html::Element::href;
  const std::string here = "http://127.0.0.1:8080/dir/";
  // The document's address, its markup, the member read of #e, and what it answers.
  const std::tuple<const char*, std::string, Read, std::string> cases[] = {
      {"", "<a id=e href='javascript:go(1)'>", href, "javascript:go(1)"},
      {"", "<a id=e href=''>", href, ""},
      {"", "<img id=e>", src, ""},
      {"", "<div id=e src=a.png></div>", src, "a.png"},
      {"", "<base target=x><base href=sub/><link id=e href=a.css>", href, here + "sub/a.css"},
      {"", "<base id=e href=sub/>", href, here + "sub/"},
      {"about:blank", "<base href='http://127.0.0.1/b/'><img id=e src=a.png>", src,
       "http://127.0.0.1/b/a.png"},
  };
  for (const auto& [url, markup, read, expected] : cases) {
    SCOPED_TRACE(markup);
    const auto doc = *url ? headless::dom::newDocument(markup, url) : page(markup);
    EXPECT_EQ((doc.getElementById("e").*read)(), expected);
  }
  const auto doc = page("<base href=one/><img id=e src=a.png>");
  EXPECT_EQ(doc.getElementById("e").src(), here + "one/a.png");
  doc.getElementsByTagName("base")[0].setAttribute("href", "/two/");
  EXPECT_EQ(doc.getElementById("e").src(), "http://127.0.0.1:8080/two/a.png") << "base changed";
}

TEST(Dom, ImagesAnswerTheSizeTheyAreDrawnAt) {
  // The element #e, and its width x height.
  const std::pair<const char*, const char*> cases[] = {
      {"<div style='width:200px'><img id=e width=50% height=20></div>", "100x20"},
      {"<img id=e width=12 height=9 style='display:none'>", "12x9"},
      {"<table><tr><td id=e width=50%>x</td></tr></table>", "50x0"},
  };
  for (const auto& [markup, expected] : cases) {
    const auto e = page(markup).getElementById("e");
    EXPECT_EQ(std::to_string(e.width()) + "x" + std::to_string(e.height()), expected) << markup;
  }
}

// The text of #t, and the same read through a range over its content.
TEST(Dom, InnerTextBreaksLinesAsTheObjectModelDoes) {
  const std::pair<const char*, const char*> cases[] = {
      {"<div id=t>a<div>b</div><p>c</p><ul><li>d</ul></div>", "a\r\nb\r\n\r\nc\r\n\r\nd"},
      {"<div id=t><div><p>a</p></div></div>", "a"},
      {"<div id=t>a<span style='display:block'>b</span>c</div>", "a\r\nb\r\nc"},
      {"<table id=t><tr><td>a</td> <td> b</td></tr><tr><td>c<td style='display:none'>x</table>",
       "a\tb\r\nc"},
      {"<div id=t>a <br> b<br><br>c</div>", "a\r\nb\r\n\r\nc"},
      {"<div id=t> a  <b> b </b>\n c <script>x</script><style>y</style><i "
       "style='display:none'>z</i></div>",
       "a b c"},
      {"<div id=t>a<pre>  b\n\n c </pre>d</div>", "a\r\n  b\r\n\r\n c \r\nd"},
      {"<pre>x<b id=t> y  z </b></pre>", " y  z "},
  };
  for (const auto& [markup, expected] : cases) {
    SCOPED_TRACE(markup);
    const auto doc = page(markup);
    EXPECT_EQ(doc.getElementById("t").innerText(), expected);
    const auto t = headless::dom::nodeOf(doc.getElementById("t"));
    headless::dom::selectElements(*t->doc, t, t);
    EXPECT_EQ(doc.selection().createRange().text(), expected);
  }
}

TEST(Dom, MarkupIsRefusedWhereTheObjectModelRefusesIt) {
  using Edit = std::function<void(html::Element)>;
  const auto insert = [](const char* where) -> Edit {
    return [where](html::Element e) { e.insertAdjacentHTML(where, "<i>x</i>"); };
  };
  const Edit html = [](html::Element e) { e.setInnerHTML("<i>x</i>"); };
  const Edit text = [](html::Element e) { e.setInnerText("x"); };
  // The element #e, the edit, and whether it is refused.
  const std::tuple<const char*, Edit, bool> cases[] = {
      {"<table><tr id=e><td>x</td></tr></table>", insert("beforeEnd"), true},
      {"<table><tr><td id=e>x</td></tr></table>", insert("afterEnd"), true},
      {"<table><tr><td id=e>x</td></tr></table>", insert("afterBegin"), false},
      {"<html id=e>", insert("beforeBegin"), true},
      {"<div id=e></div>", insert("afterEnd"), false},
      {"<table><tbody id=e></tbody></table>", html, true},
      {"<title id=e>t</title>", text, true},
      {"<table><colgroup id=e></colgroup></table>", text, true},
      {"<div id=e></div>", text, false},
  };
  for (const auto& [markup, edit, refused] : cases) {
    SCOPED_TRACE(markup);
    const auto doc = page(markup);
    const std::string before = doc.documentElement().outerHTML();
    EXPECT_EQ(testing_support::raised([&] { edit(doc.getElementById("e")); }),
              refused ? platform::kInvalidCall : 0);
    EXPECT_EQ(doc.documentElement().outerHTML() == before, refused);
  }
  auto loose = page("").createElement("div");
  EXPECT_EQ(testing_support::raised([&] { loose.insertAdjacentHTML("afterEnd", "x"); }),
            platform::kInvalidCall)
      << "no parent";
}
