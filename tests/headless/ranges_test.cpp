#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "headless/dom.h"
#include "headless/ranges.h"
#include "runtime/error.h"

namespace {

namespace dom = headless::dom;

const char* const kPage =
    "<p id=a>hello <b id=b>bold</b> world</p><p id=c>second</p><p id=d>third</p>";

html::Document page(const std::string& markup = kPage) {
  return dom::newDocument(markup, "http://127.0.0.1:8080/page.htm");
}

dom::Node* byId(const html::Document& doc, const char* id) {
  return dom::nodeOf(doc.getElementById(id));
}

// The selection over whole elements, as a drag from one to the other makes it.
html::TextRange selected(const html::Document& doc, const char* from, const char* to) {
  dom::selectElements(*dom::nodeOf(doc)->doc, byId(doc, from), byId(doc, to));
  return doc.selection().createRange();
}

// A range from character `start` of an element's text to `length` characters on.
html::TextRange span(const html::Document& doc, const char* id, long start, long length) {
  auto r = selected(doc, id, id);
  r.collapse(true);
  r.moveEnd("character", start);
  r.collapse(false);
  r.moveEnd("character", length);
  return r;
}

TEST(Ranges, TextAndMarkupOfWholeAndPartialSelections) {
  struct Case {
    const char* name;
    std::function<html::TextRange(const html::Document&)> make;
    const char* text;
    const char* htmlText;
  };
  const Case cases[] = {
      {"one paragraph", [](auto& d) { return selected(d, "a", "a"); }, "hello bold world",
       "hello <B id=b>bold</B> world"},
      {"across paragraphs", [](auto& d) { return selected(d, "b", "c"); }, "bold world\r\nsecond",
       "<P id=a><B id=b>bold</B> world</P><P id=c>second</P>"},
      {"into an element", [](auto& d) { return span(d, "a", 2, 6); }, "llo bo",
       "llo <B id=b>bo</B>"},
      {"out of an element", [](auto& d) { return span(d, "a", 7, 7); }, "old wor",
       "<B id=b>old</B> wor"},
      {"inside one text", [](auto& d) { return span(d, "c", 1, 3); }, "eco", "eco"},
      {"nothing selected", [](auto& d) { return d.selection().createRange(); }, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto doc = page();
    const auto r = c.make(doc);
    EXPECT_EQ(r.text(), c.text);
    EXPECT_EQ(r.htmlText(), c.htmlText);
  }
}

TEST(Ranges, MoveEndCountsCharactersAndStopsAtTheEdges) {
  struct Case {
    const char* name;
    std::vector<long> moves;
    std::vector<long> moved;
    const char* text;
  };
  const Case cases[] = {
      {"forward", {3}, {3}, "hel"},
      {"into the next paragraph", {18}, {18}, "hello bold world\r\nse"},
      {"back past the start collapses", {3, -10}, {3, -3}, ""},
      {"clamped at the end", {100}, {27}, "hello bold world\r\nsecond\r\nthird"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto doc = page();
    auto r = selected(doc, "a", "a");
    r.collapse(true);
    std::vector<long> moved;
    for (long m : c.moves) moved.push_back(r.moveEnd("character", m));
    EXPECT_EQ(moved, c.moved);
    EXPECT_EQ(r.text(), c.text);
  }
  const auto accents = page("<p id=x>\xC3\xA9t\xC3\xA9</p>");
  auto r = selected(accents, "x", "x");
  EXPECT_EQ(r.moveEnd("character", -1), -1);
  EXPECT_EQ(r.text(), "\xC3\xA9t") << "a character, not a byte";
  try {
    r.moveEnd("word", 1);
    ADD_FAILURE() << "only characters move";
  } catch (const platform::Error& e) {
    EXPECT_EQ(e.number, platform::kInvalidCall);
  }
}

TEST(Ranges, PasteReplacesTheContentAndLeavesTheRangeAfterIt) {
  struct Case {
    const char* name;
    std::function<html::TextRange(const html::Document&)> make;
    std::vector<const char*> pastes;
    const char* body;
  };
  const Case cases[] = {
      {"inside an element",
       [](auto& d) { return span(d, "a", 6, 2); },
       {"<i>X</i>", "Y"},
       "<P id=a>hello <B id=b><I>X</I>Yld</B> world</P><P id=c>second</P><P id=d>third</P>"},
      {"across paragraphs",
       [](auto& d) { return span(d, "a", 3, 16); },
       {"Z"},
       "<P id=a>helZ</P><P id=c>ond</P><P id=d>third</P>"},
      {"whole paragraph",
       [](auto& d) { return selected(d, "c", "c"); },
       {"<hr>"},
       "<P id=a>hello <B id=b>bold</B> world</P><P id=c><HR></P><P id=d>third</P>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto doc = page();
    auto r = c.make(doc);
    for (const char* markup : c.pastes) r.pasteHTML(markup);
    EXPECT_EQ(doc.body().innerHTML(), c.body);
    EXPECT_EQ(r.text(), "");
  }
}

TEST(Ranges, ParentElementDuplicateAndCollapse) {
  const auto doc = page();
  EXPECT_EQ(span(doc, "a", 6, 2).parentElement().id(), "b");
  EXPECT_EQ(span(doc, "a", 2, 6).parentElement().id(), "a");
  EXPECT_EQ(selected(doc, "b", "c").parentElement().tagName(), "BODY");
  auto r = span(doc, "a", 0, 5);
  auto copy = r.duplicate();
  copy.moveEnd("character", 2);
  EXPECT_EQ(r.text(), "hello");
  EXPECT_EQ(copy.text(), "hello b");
  copy.collapse(false);
  copy.moveEnd("character", 3);
  EXPECT_EQ(copy.text(), "old");
}

TEST(Ranges, TheSelectionIsOnePerDocument) {
  const auto doc = page();
  auto selection = doc.selection();
  EXPECT_EQ(selection.type(), "None");
  selected(doc, "c", "d");
  EXPECT_EQ(selection.type(), "Text") << "the same selection through another handle";
  EXPECT_EQ(selection.createRange().text(), "second\r\nthird");
  selection.empty();
  EXPECT_EQ(doc.selection().type(), "None");
}

TEST(Ranges, RangesOverRemovedNodesCollapseToTheBody) {
  const auto doc = page();
  auto r = span(doc, "a", 2, 6);
  selected(doc, "a", "c");
  doc.body().removeChild(doc.getElementById("a"));
  EXPECT_EQ(r.text(), "");
  EXPECT_EQ(r.parentElement().tagName(), "BODY");
  EXPECT_EQ(doc.selection().type(), "None");
  r.pasteHTML("<i id=i>new</i>");
  EXPECT_EQ(doc.body().children().front().id(), "i");
}

TEST(Ranges, BoundsComeFromTheLinesOfTheText) {
  const auto doc = page(
      "<div style='position:absolute;left:100px;top:50px;width:700px'><p id=p>two words</p>"
      "<p id=q>more</p></div>");
  const auto r = selected(doc, "p", "q");
  EXPECT_EQ(r.getClientRects().size(), 2u);
  EXPECT_EQ(r.boundingLeft(), 100);
  EXPECT_EQ(r.boundingTop(), 50);
  EXPECT_EQ(r.boundingWidth(), 9 * 7);
  EXPECT_EQ(r.boundingHeight(), 2 * 16);
}

TEST(Ranges, DeepPagesWalkWithoutRecursion) {
  std::string markup = "<div id=top>";
  for (int i = 0; i < 100000; ++i) markup += "<span>";
  markup += "deep";
  const auto doc = page(markup);
  auto r = selected(doc, "top", "top");
  EXPECT_EQ(r.text(), "deep");
  EXPECT_EQ(r.moveEnd("character", -2), -2);
  EXPECT_EQ(r.text(), "de");
  r.pasteHTML("<b>x</b>");
  EXPECT_EQ(doc.body().innerText(), "xep");
}

}  // namespace
