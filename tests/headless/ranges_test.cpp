#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "headless/dom.h"
#include "headless/pages.h"
#include "headless/ranges.h"
#include "support.h"

namespace {

namespace dom = headless::dom;

const char* const kPage =
    "<p id=a>hello <b id=b>bold</b> world</p><p id=c>second</p><p id=d>third</p>";

using testing_support::page;

// The selection over whole elements, as a drag from one to the other makes it.
html::TextRange selected(const html::Document& doc, const char* from, const char* to) {
  dom::selectElements(*dom::nodeOf(doc)->doc, dom::nodeOf(doc.getElementById(from)),
                      dom::nodeOf(doc.getElementById(to)));
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

// A range over the elements from `from` to `to`, or, with a start, over `length` characters of
// `from` from there; nothing at all without `from`.
struct Where {
  const char* from;
  const char* to;
  long start = -1;
  long length = 0;
  html::TextRange in(const html::Document& doc) const {
    if (!from) return doc.selection().createRange();
    return start < 0 ? selected(doc, from, to) : span(doc, from, start, length);
  }
};

TEST(Ranges, TextAndMarkupOfWholeAndPartialSelections) {
  const std::tuple<const char*, Where, const char*, const char*> cases[] = {
      {"one paragraph", {"a", "a"}, "hello bold world", "hello <B id=b>bold</B> world"},
      {"across paragraphs",
       {"b", "c"},
       "bold world\r\n\r\nsecond",
       "<P id=a><B id=b>bold</B> world</P><P id=c>second</P>"},
      {"into an element", {"a", nullptr, 2, 6}, "llo bo", "llo <B id=b>bo</B>"},
      {"out of an element", {"a", nullptr, 7, 7}, "old wor", "<B id=b>old</B> wor"},
      {"inside one text", {"c", nullptr, 1, 3}, "eco", "eco"},
      {"nothing selected", {nullptr, nullptr}, "", ""},
  };
  for (const auto& [name, where, text, htmlText] : cases) {
    SCOPED_TRACE(name);
    const auto r = where.in(page(kPage));
    EXPECT_EQ(r.text(), text);
    EXPECT_EQ(r.htmlText(), htmlText);
  }
}

TEST(Ranges, MoveEndCountsCharactersAndStopsAtTheEdges) {
  // The moves asked for, the moves made, and the text then.
  const std::tuple<const char*, std::vector<long>, std::vector<long>, const char*> cases[] = {
      {"forward", {3}, {3}, "hel"},
      {"into the next paragraph", {18}, {18}, "hello bold world\r\n\r\nse"},
      {"back past the start collapses", {3, -10}, {3, -3}, ""},
      {"clamped at the end", {100}, {27}, "hello bold world\r\n\r\nsecond\r\n\r\nthird"},
  };
  for (const auto& [name, moves, made, text] : cases) {
    SCOPED_TRACE(name);
    auto r = span(page(kPage), "a", 0, 0);
    std::vector<long> moved;
    for (long m : moves) moved.push_back(r.moveEnd("character", m));
    EXPECT_EQ(moved, made);
    EXPECT_EQ(r.text(), text);
  }
  const auto accents = page("<p id=x>\xC3\xA9t\xC3\xA9</p>");
  auto r = selected(accents, "x", "x");
  EXPECT_EQ(r.moveEnd("character", -1), -1);
  EXPECT_EQ(r.text(), "\xC3\xA9t") << "a character, not a byte";
  EXPECT_EQ(testing_support::raised([&] { r.moveEnd("word", 1); }), platform::kInvalidCall)
      << "only characters move";
}

TEST(Ranges, PasteReplacesTheContentAndLeavesTheRangeAfterIt) {
  const std::tuple<const char*, Where, std::vector<const char*>, const char*> cases[] = {
      {"inside an element",
       {"a", nullptr, 6, 2},
       {"<i>X</i>", "Y"},
       "<P id=a>hello <B id=b><I>X</I>Yld</B> world</P><P id=c>second</P><P id=d>third</P>"},
      {"across paragraphs",
       {"a", nullptr, 3, 16},
       {"Z"},
       "<P id=a>helZ</P><P id=c>ond</P><P id=d>third</P>"},
      {"whole paragraph",
       {"c", "c"},
       {"<hr>"},
       "<P id=a>hello <B id=b>bold</B> world</P><P id=c><HR></P><P id=d>third</P>"},
  };
  for (const auto& [name, where, pastes, body] : cases) {
    SCOPED_TRACE(name);
    const auto doc = page(kPage);
    auto r = where.in(doc);
    for (const char* markup : pastes) r.pasteHTML(markup);
    EXPECT_EQ(doc.body().innerHTML(), body);
    EXPECT_EQ(r.text(), "");
  }
}

// Every partial range here is made by collapsing one.
TEST(Ranges, ParentElementAndDuplicate) {
  const auto doc = page(kPage);
  EXPECT_EQ(span(doc, "a", 6, 2).parentElement().id(), "b");
  EXPECT_EQ(span(doc, "a", 2, 6).parentElement().id(), "a");
  EXPECT_EQ(selected(doc, "b", "c").parentElement().tagName(), "BODY");
  auto r = span(doc, "a", 0, 5);
  auto copy = r.duplicate();
  copy.moveEnd("character", 2);
  EXPECT_EQ(r.text(), "hello");
  EXPECT_EQ(copy.text(), "hello b");
}

TEST(Ranges, TheSelectionIsOnePerDocumentAndRangesOverRemovedNodesCollapseToTheBody) {
  const auto doc = page(kPage);
  auto selection = doc.selection();
  EXPECT_EQ(selection.type(), "None");
  selected(doc, "c", "d");
  EXPECT_EQ(selection.type(), "Text") << "the same selection through another handle";
  EXPECT_EQ(selection.createRange().text(), "second\r\n\r\nthird");
  selection.empty();
  EXPECT_EQ(doc.selection().type(), "None");

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
  EXPECT_EQ(
      (std::vector<long>{r.boundingLeft(), r.boundingTop(), r.boundingWidth(), r.boundingHeight()}),
      (std::vector<long>{100, 50, 9 * 7, 2 * 16}));
}

// The one page parsed this deep: the parser must not recurse either.
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
