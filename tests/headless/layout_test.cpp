// The headless layout against the rules written at the top of src/headless/layout.cpp:
// 7 px a character, 16 px a line, BODY margin 8, viewport 1024 x 768.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "headless/dom.h"
#include "headless/pages.h"

namespace {

using testing_support::page;

// "left,top widthxheight"
std::string str(const html::Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

std::string box(const html::Element& e) {
  return str(e.getBoundingClientRect());
}

std::string nameOf(const html::Element& e) {
  if (e.isNothing()) return "Nothing";
  return e.id().empty() ? e.tagName() : e.id();
}

// Everything in one page; the numbers in the comments follow the rules.
const char* const kReference =
    "<html><head><title>t</title><style>p { margin: 20px }</style></head><body>"
    // Absolutely positioned, first in the page, over the title line: still on top of it.
    "<div id=abs style='position:absolute; left:100px; top:20px; width:50px; height:40px'>"
    "<span id=inabs>in</span></div>"
    // One line at y 8: "Hello" 8..43, space, "big" 50..71, space, "world" 78..113.
    "<div id=title>Hello <b id=bold>big</b> world</div>"
    // 70 wide, so 10 characters a line: "aaaa bbbb" | "cccc" | "dddddddddd" | "dd".
    "<p id=wrap style='width:70px'>aaaa <span id=sp>bbbb cccc</span> dddddddddddd</p>"
    // 200 wide; the first column is 50 (a cell says so), the second the rest.
    "<table id=t style='width:200px'><tr id=r1><td id=c11>x</td><td id=c12>y<br>z</td></tr>"
    "<tr id=r2><td id=c21 width=50>w</td><td id=c22></td></tr></table>"
    "<div id=none style='display:none'><span id=inside>hidden</span></div>"
    // A 30 tall image makes its line 30 tall.
    "<img id=img width=40 height=30><span id=after>ok</span>"
    "<pre id=pre>ab  c\n\nd</pre>"
    "</body></html>";

TEST(Layout, ReferencePageBoxes) {
  const auto doc = page(kReference);
  const std::pair<const char*, const char*> cases[] = {
      {"abs", "100,20 50x40"},  {"inabs", "100,20 14x16"}, {"title", "8,8 1008x16"},
      {"bold", "50,8 21x16"},   {"wrap", "8,24 70x64"},    {"sp", "8,24 63x32"},
      {"t", "8,88 200x48"},     {"r1", "8,88 200x32"},     {"c11", "8,88 50x32"},
      {"c12", "58,88 150x32"},  {"r2", "8,120 200x16"},    {"c21", "8,120 50x16"},
      {"c22", "58,120 150x16"}, {"none", "0,0 0x0"},       {"inside", "0,0 0x0"},
      {"img", "8,136 40x30"},   {"after", "48,136 14x30"}, {"pre", "8,166 1008x48"},
  };
  for (const auto& [id, expected] : cases) EXPECT_EQ(box(doc.getElementById(id)), expected) << id;
  EXPECT_EQ(box(doc.body()), "8,8 1008x752") << "at least the viewport";
  EXPECT_EQ(box(doc.documentElement()), "0,0 1024x768");
  EXPECT_EQ(box(doc.getElementsByTagName("TBODY").front()), "8,88 200x48");
}

TEST(Layout, ClientRectsAreOnePerLineOfAnInline) {
  const auto doc = page(kReference);
  const std::pair<const char*, const char*> cases[] = {
      {"sp", "43,24 28x16; 8,40 28x16; "},
      {"wrap", "8,24 70x64; "},
      {"none", ""},
  };
  for (const auto& [id, expected] : cases) {
    std::string got;
    for (const auto& r : doc.getElementById(id).getClientRects()) got += str(r) + "; ";
    EXPECT_EQ(got, expected) << id;
  }
}

TEST(Layout, OffsetAndClientMeasures) {
  const auto doc = page(kReference);
  // The offset parent; offsetLeft, Top, Width, Height; clientWidth, Height, Left, Top.
  const std::tuple<const char*, const char*, std::vector<long>> cases[] = {
      {"c12", "t", {50, 0, 150, 32, 150, 32, 0, 0}},   // TD: offsets from the TABLE
      {"t", "BODY", {8, 88, 200, 48, 200, 48, 0, 0}},  // from BODY: document coordinates
      {"bold", "BODY", {50, 8, 21, 16, 0, 0, 0, 0}},   // inline: no client area
      {"inabs", "abs", {0, 0, 14, 16, 0, 0, 0, 0}},    // a positioned parent
      {"img", "BODY", {8, 136, 40, 30, 40, 30, 0, 0}},
      {"none", "Nothing", {0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& [id, offsetParent, measures] : cases) {
    SCOPED_TRACE(id);
    const auto e = doc.getElementById(id);
    EXPECT_EQ(nameOf(e.offsetParent()), offsetParent);
    EXPECT_EQ((std::vector<long>{e.offsetLeft(), e.offsetTop(), e.offsetWidth(), e.offsetHeight(),
                                 e.clientWidth(), e.clientHeight(), e.clientLeft(), e.clientTop()}),
              measures);
  }
  for (const auto& e : {doc.body(), doc.documentElement()}) {
    EXPECT_EQ(std::make_pair(e.clientWidth(), e.clientHeight()), std::make_pair(1024L, 768L));
    EXPECT_TRUE(e.offsetParent().isNothing()) << e.tagName();
  }
}

TEST(Layout, ElementFromPointFindsTheTopmostBox) {
  const auto doc = page(kReference);
  // Text belongs to its element; "abs" lies above the title line that comes after it; the span
  // has two lines, and beyond its second one lies its paragraph; an empty cell still has its
  // row's height.
  const std::tuple<long, long, const char*> cases[] = {
      {10, 10, "title"},   {55, 12, "bold"},  {130, 22, "abs"},   {101, 21, "inabs"},
      {60, 30, "sp"},      {20, 45, "sp"},    {60, 45, "wrap"},   {20, 95, "c11"},
      {60, 110, "c12"},    {100, 125, "c22"}, {10, 140, "img"},   {50, 140, "after"},
      {100, 140, "BODY"},  {2, 2, "HTML"},    {-1, 5, "Nothing"}, {1030, 5, "Nothing"},
      {5, 800, "Nothing"},
  };
  for (const auto& [x, y, expected] : cases)
    EXPECT_EQ(nameOf(doc.elementFromPoint(x, y)), expected) << x << "," << y;
}

TEST(Layout, TablesSpanColumnsAndRows) {
  const auto doc = page(
      "<table id=g style='width:300px'><tr><td id=g1 colspan=2>a</td>"
      "<td id=g2 rowspan=2>b<br>c<br>d<br>e</td></tr>"
      "<tr><td id=g3>e</td><td id=g4>f<br>g</td></tr></table>"
      "<table id=thirds width=100><tr><td id=h1></td><td id=h2></td><td id=h3></td></tr></table>");
  const std::pair<const char*, const char*> cases[] = {
      {"g1", "8,8 200x16"}, {"g2", "208,8 100x48"}, {"g3", "8,24 100x32"}, {"g4", "108,24 100x32"},
      {"g", "8,8 300x48"},  {"h1", "8,56 33x0"},    {"h2", "41,56 33x0"},  {"h3", "74,56 34x0"},
  };
  for (const auto& [id, expected] : cases) EXPECT_EQ(box(doc.getElementById(id)), expected) << id;
}

TEST(Layout, ScrollingShiftsClientCoordinatesAndTellsTheWindow) {
  const auto doc = page("<div id=tall style='height:2000px'></div><div id=x>x</div>");
  int scrolls = 0, resizes = 0;
  html::Window window = doc.parentWindow();
  auto onScroll = window.on("onscroll", [&] { return ++scrolls, true; });
  auto onResize = window.on("onresize", [&] { return ++resizes, true; });
  auto body = doc.body();
  auto x = doc.getElementById("x");
  EXPECT_EQ(x.getBoundingClientRect().top, 2008);
  body.setScrollTop(100);
  body.setScrollTop(100);  // no move, no event
  body.setScrollLeft(50);  // the page is no wider than the viewport
  EXPECT_EQ(scrolls, 1);
  EXPECT_EQ(doc.documentElement().scrollTop(), 100) << "one page scroll";
  EXPECT_EQ(body.scrollLeft(), 0);
  EXPECT_EQ(box(x), "8,1908 1008x16");
  EXPECT_EQ(x.offsetTop(), 2008) << "offsets are not scrolled";
  EXPECT_EQ(nameOf(doc.elementFromPoint(10, 1910)), "x");
  doc.documentElement().setScrollTop(100000);
  EXPECT_EQ(body.scrollTop(), 2032 - 768) << "clamped to the page";
  EXPECT_EQ(scrolls, 2);
  x.setScrollTop(10);
  EXPECT_EQ(x.scrollTop(), 0) << "elements do not scroll";
  // A page that shrinks pulls the scroll back.
  doc.getElementById("tall").style().setDisplay("none");
  EXPECT_EQ(body.scrollTop(), 0);
  EXPECT_EQ(x.getBoundingClientRect().top, 8);
  headless::dom::setViewport(*headless::dom::nodeOf(doc)->doc, 800, 600);
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(body.clientWidth(), 800);
}

TEST(Layout, ChangesLayOutAgainBeforeTheNextRead) {
  const auto doc = page("<div id=a>a</div><div id=b>b</div>");
  auto a = doc.getElementById("a");
  auto b = doc.getElementById("b");
  EXPECT_EQ(b.offsetTop(), 24);
  a.insertAdjacentHTML("afterEnd", "<p id=n>new<br>lines</p>");
  EXPECT_EQ(b.offsetTop(), 56);
  EXPECT_EQ(nameOf(doc.elementFromPoint(10, 30)), "n");
  a.style().setHeight("100px");
  EXPECT_EQ(b.offsetTop(), 140);
  b.style().setPosition("absolute");
  b.style().setLeft("300px");
  b.style().setTop("5px");
  b.style().setWidth("20px");
  EXPECT_EQ(box(b), "300,5 20x16");
  auto n = doc.getElementById("n");
  n.parentNode().removeChild(n);
  EXPECT_EQ(box(n), "0,0 0x0") << "removed: no box";
  a.setInnerText("");
  EXPECT_EQ(a.offsetHeight(), 100) << "style height stays";
}

TEST(Layout, DeepPagesLayOutWithoutRecursion) {
  // Built from the inside out through the port: parsing a page this deep is the parser's
  // business (ranges_test), and appending at the bottom would walk the depth each time.
  const std::pair<const char*, const char*> cases[] = {{"SPAN", "8,8 28x16"},
                                                       {"DIV", "8,8 1008x16"}};
  for (const auto& [tag, expected] : cases) {
    SCOPED_TRACE(tag);
    const auto doc = page("");
    html::Element inner = doc.createElement(tag), outer = inner;
    inner.setInnerText("deep");
    for (int i = 1; i < 100000; ++i) {
      html::Element e = doc.createElement(tag);
      e.appendChild(outer);
      outer = e;
    }
    doc.body().appendChild(outer);
    EXPECT_EQ(box(inner), expected);
    EXPECT_EQ(box(outer), expected);
    EXPECT_TRUE(doc.elementFromPoint(10, 10).is(inner));
  }
}

}  // namespace
