#include <gtest/gtest.h>

#include <fstream>

#include "headless/dom.h"
#include "runtime/error.h"

namespace {

html::Document page(const std::string& markup) {
  return headless::dom::newDocument(markup, "http://127.0.0.1:8080/dir/page.htm?x=1#top");
}

std::vector<std::string> ids(const std::vector<html::Element>& elements) {
  std::vector<std::string> out;
  for (const auto& e : elements) out.push_back(e.id());
  return out;
}

}  // namespace

TEST(Dom, RunTimeTypeNamesFollowTheOriginalObjectModel) {
  const auto doc = page(
      "<table id=t><colgroup id=cg><col id=c></colgroup><tbody id=tb><tr id=tr><td id=td>"
      "<th id=th></table><img id=img><a id=a href=x>a</a><embed id=embed><object id=obj>"
      "</object><label id=label></label><input id=input><iframe id=iframe></iframe>"
      "<div id=div></div><custom-tag id=custom></custom-tag>");
  const std::pair<const char*, const char*> cases[] = {{"t", "HTMLTable"},
                                                       {"cg", "HTMLTableCol"},
                                                       {"c", "HTMLTableCol"},
                                                       {"tb", "HTMLTableSection"},
                                                       {"tr", "HTMLTableRow"},
                                                       {"td", "HTMLTableCell"},
                                                       {"th", "HTMLTableCell"},
                                                       {"img", "HTMLImg"},
                                                       {"a", "HTMLAnchorElement"},
                                                       {"embed", "HTMLEmbed"},
                                                       {"obj", "HTMLObjectElement"},
                                                       {"label", "HTMLLabelElement"},
                                                       {"input", "HTMLInputElement"},
                                                       {"iframe", "HTMLIFrame"},
                                                       {"div", "HTMLDivElement"},
                                                       {"custom", "HTMLUnknownElement"}};
  for (const auto& [id, type] : cases) EXPECT_EQ(doc.getElementById(id).typeName(), type) << id;
  EXPECT_EQ(doc.typeName(), "HTMLDocument");
  EXPECT_EQ(doc.body().typeName(), "HTMLBody");
  EXPECT_EQ(doc.getElementById("td").tagName(), "TD");
  EXPECT_EQ(doc.getElementById("custom").tagName(), "CUSTOM-TAG");
  EXPECT_EQ(doc.getElementById("missing").typeName(), "Nothing");
}

TEST(Dom, AttributesListSpecifiedPairsThenTheTypesDefaults) {
  const auto doc = page(
      "<table><tr><td id=cell rowspan=2 onclick='x()' style='color: red'>x</td></tr></table>"
      "<img id=pic src=a.gif tabindex=3><div id=plain clip-index=4></div>");
  struct Case {
    const char* id;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"cell",
       {"id", "rowspan", "onclick", "style", "contentEditable", "disabled", "hideFocus", "tabIndex",
        "colSpan", "noWrap"}},
      {"pic",
       {"id", "src", "tabindex", "contentEditable", "disabled", "hideFocus", "isMap", "loop",
        "start"}},
      {"plain", {"id", "clip-index", "contentEditable", "disabled", "hideFocus", "tabIndex"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    std::vector<std::string> names;
    for (const auto& a : doc.getElementById(c.id).attributes()) names.push_back(a.nodeName);
    EXPECT_EQ(names, c.names);
  }
  const auto cell = doc.getElementById("cell");
  EXPECT_EQ(cell.getAttribute("ROWSPAN"), "2");
  EXPECT_EQ(cell.getAttribute("style"), "COLOR: red");
  EXPECT_FALSE(cell.getAttribute("colspan").has_value()) << "defaults are not specified";
  EXPECT_EQ(doc.getElementById("plain").getAttribute("clip-index"), "4");
}

TEST(Dom, LookupsMatchTheOriginalQuirks) {
  const auto doc = page(
      "<div id=one><p id=p1 name=field></p><span id=field></span><p id=p2></p></div>"
      "<p id=p3></p>");
  EXPECT_EQ(ids(doc.getElementsByName("field")), (std::vector<std::string>{"p1", "field"}))
      << "name or id";
  EXPECT_EQ(ids(doc.allTags("p")), (std::vector<std::string>{"p1", "p2", "p3"}));
  EXPECT_EQ(ids(doc.getElementById("one").allTags("P")), (std::vector<std::string>{"p1", "p2"}));
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
  std::vector<std::string> order;
  for (const auto& e : doc.body().all()) order.push_back(e.id());
  EXPECT_EQ(order, (std::vector<std::string>{"before", "d", "first", "", "", "last", "after"}));
  d.setInnerHTML("<p>new</p>");
  EXPECT_EQ(d.innerHTML(), "<P>new</P>");
  d.style().set("backgroundColor", "red");
  d.style().setPixelLeft(12);
  EXPECT_EQ(d.style().cssText(), "BACKGROUND-COLOR: red; LEFT: 12px");
  EXPECT_EQ(d.style().pixelLeft(), 12);
}

TEST(Dom, DocumentMembersAndDefaults) {
  const auto doc = page("<title>The &amp; title</title><body link=#ff0000><p>x</p></body>");
  EXPECT_EQ(doc.title(), "The & title");
  EXPECT_EQ(doc.bgColor(), "#ffffff");
  EXPECT_EQ(doc.linkColor(), "#ff0000");
  const auto l = doc.location();
  EXPECT_EQ(l.protocol, "http:");
  EXPECT_EQ(l.host, "127.0.0.1:8080");
  EXPECT_EQ(l.hostname, "127.0.0.1");
  EXPECT_EQ(l.pathname, "/dir/page.htm");
  EXPECT_EQ(l.search, "?x=1");
  EXPECT_EQ(doc.documentElement().tagName(), "HTML");
}

TEST(Dom, MalformedAndHugePagesLoadWithoutCrashing) {
  std::string nested;
  for (int i = 0; i < 100000; ++i) nested += "<span>";
  nested += "deep";
  const std::string text(10 * 1024 * 1024, 'x');
  const std::pair<const char*, std::string> cases[] = {
      {"unclosed", "<div><p><b><i>unclosed"},
      {"stray end tags", "</p></div></table>text</body></html></x>"},
      {"nested", nested},
      {"ten megabytes of text", "<p>" + text + "</p>"},
      {"binary", std::string("\0\x01\xff<\xfe>", 6)},
  };
  for (const auto& [name, markup] : cases) {
    SCOPED_TRACE(name);
    const auto doc = page(markup);
    ASSERT_FALSE(doc.body().isNothing());
    doc.body().getBoundingClientRect();  // lays the page out
    doc.elementFromPoint(100, 100);
  }
  const auto deep = page(nested);
  EXPECT_EQ(deep.allTags("span").size(), 100000u);
  EXPECT_EQ(deep.body().innerText(), "deep");
}

TEST(Dom, PlayerControlsAnswerFromTheirParameters) {
  const auto doc = page(
      "<object id=wmp classid='CLSID:6BF52A52-394A-11D3-B153-00C04F79FAA6'>"
      "<param name=URL value='http://127.0.0.1/a.wmv'></object>"
      "<object id=flash classid='clsid:d27cdb6e-ae6d-11cf-96b8-444553540000'>"
      "<param name=movie value=m.swf><param name=FlashVars value=a=1></object>"
      "<object id=other classid='clsid:00000000-0000-0000-0000-000000000000'></object>"
      "<div id=div></div>");
  struct Case {
    const char* id;
    const char* type;
    const char* member;
    const char* value;
  };
  const Case cases[] = {
      {"wmp", "WindowsMediaPlayer", "currentMedia.sourceURL", "http://127.0.0.1/a.wmv"},
      {"flash", "ShockwaveFlash", "Movie", "m.swf"},
      {"other", "Nothing", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    const html::Control control = doc.getElementById(c.id).object();
    EXPECT_EQ(control.typeName(), c.type) << c.id;
    if (c.member) {
      EXPECT_EQ(control.get(c.member), c.value) << c.id;
    }
  }
  EXPECT_THROW(doc.getElementById("flash").object().get("FileName"), platform::Error);
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
  std::vector<std::string> names;
  for (const auto& n : d.childNodes()) names.push_back(n.nodeName() + ":" + n.nodeValue());
  EXPECT_EQ(names, (std::vector<std::string>{"#text:yxa", "B:", "I:"}));
  EXPECT_TRUE(empty.childNodes().empty());
}
