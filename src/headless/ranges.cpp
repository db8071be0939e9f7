// Text ranges and the selection. A range holds two positions in its document's tree and
// checks them on every use: a position whose node has left the document collapses the range
// to the start of the body, and offsets past what a node now holds are clamped, so edits of
// the page never leave a range pointing at nothing. Characters are the code points of the
// text nodes as stored; white space that text() collapses still counts when moving.
#include "headless/ranges.h"

#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

#include "headless/layout.h"
#include "runtime/error.h"
#include "runtime/strings.h"

namespace headless::dom {
namespace {

bool isText(const Node* n) {
  return n->kind == Kind::Text;
}
bool isContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

Node* childAt(Node* parent, std::size_t index) {
  Node* c = parent->first;
  for (; c && index > 0; --index) c = c->next;
  return c;
}

std::size_t childIndex(const Node* n) {
  std::size_t i = 0;
  for (const Node* p = n->prev; p; p = p->prev) ++i;
  return i;
}

std::size_t childCount(const Node* n) {
  std::size_t count = 0;
  for (const Node* c = n->first; c; c = c->next) ++count;
  return count;
}

// The first node after n's subtree, or after n itself when descend, in document order.
Node* nextInOrder(Node* n, bool descend) {
  if (descend && n->first) return n->first;
  while (n && !n->next) n = n->parent;
  return n ? n->next : nullptr;
}

Node* previousInOrder(Node* n) {
  if (!n->prev) return n->parent;
  n = n->prev;
  while (n->last) n = n->last;
  return n;
}

Node* bodyOf(DocumentData& doc) {
  for (Node* html = doc.root->first; html; html = html->next) {
    if (!html->isElement()) continue;
    for (Node* c = html->first; c; c = c->next)
      if (c->is("BODY") || c->is("FRAMESET")) return c;
    return html;
  }
  return doc.root;
}

Position clamp(Position p) {
  if (!isText(p.node)) {
    p.offset = std::min(p.offset, childCount(p.node));
    return p;
  }
  p.offset = std::min(p.offset, p.node->data.size());
  while (p.offset > 0 && p.offset < p.node->data.size() && isContinuation(p.node->data[p.offset]))
    --p.offset;
  return p;
}

// root first, node last.
std::vector<Node*> chainOf(Node* node) {
  std::vector<Node*> chain;
  for (; node; node = node->parent) chain.push_back(node);
  std::reverse(chain.begin(), chain.end());
  return chain;
}

// -1 when a comes before its sibling b, 1 when after.
int siblingOrder(const Node* a, const Node* b) {
  for (const Node* n = a->next; n; n = n->next)
    if (n == b) return -1;
  return 1;
}

// Negative when a comes before b, zero when they are the same place.
int compare(const Position& a, const Position& b) {
  if (a.node == b.node) return a.offset < b.offset ? -1 : a.offset > b.offset ? 1 : 0;
  const auto ca = chainOf(a.node), cb = chainOf(b.node);
  std::size_t i = 0;
  while (i < ca.size() && i < cb.size() && ca[i] == cb[i]) ++i;
  if (i == ca.size()) return a.offset <= childIndex(cb[i]) ? -1 : 1;  // a holds b
  if (i == cb.size()) return childIndex(ca[i]) < b.offset ? -1 : 1;   // b holds a
  return siblingOrder(ca[i], cb[i]);
}

Node* commonAncestor(Node* a, Node* b) {
  const auto ca = chainOf(a), cb = chainOf(b);
  std::size_t i = 0;
  while (i < ca.size() && i < cb.size() && ca[i] == cb[i]) ++i;
  return ca[i - 1];
}

// A place at the edge of a text node is also at the facing edge of the next text. Starts lean
// to the beginning of text and ends to the end, so what a range holds does not depend on how
// it was reached (a paste at the start of a bold word goes inside the bold).
Position leanForward(Position p) {
  if (!isText(p.node) || p.offset < p.node->data.size()) return p;
  for (Node* n = nextInOrder(p.node, true); n; n = nextInOrder(n, true))
    if (isText(n) && !n->data.empty()) return {n, 0};
  return p;
}

Position leanBackward(Position p) {
  if (!isText(p.node) || p.offset > 0) return p;
  for (Node* n = previousInOrder(p.node); n; n = previousInOrder(n))
    if (isText(n) && !n->data.empty()) return {n, n->data.size()};
  return p;
}

Range collapsedAt(Position p) {
  return {p, p};
}

// The range as it can be used now: see the top of this file.
Range checked(DocumentData& doc, Range r) {
  const auto inDocument = [&](const Node* n) { return n && isAncestorOrSelf(doc.root, n); };
  if (!inDocument(r.start.node) || !inDocument(r.end.node)) return collapsedAt({bodyOf(doc), 0});
  r.start = clamp(r.start);
  r.end = clamp(r.end);
  if (compare(r.start, r.end) > 0) r.end = r.start;
  return r;
}

bool collapsed(const Range& r) {
  return compare(r.start, r.end) == 0;
}

// Walks the content of a checked range in document order. The visitor hears enter/leave of
// elements, text(node, from, to) for the part of a text node inside, and other(node) for
// comments. Elements the range starts inside are left without being entered; elements it
// ends inside are entered and never left.
template <class Visitor>
void walkRange(const Range& r, Visitor& v) {
  const Position& s = r.start;
  const Position& e = r.end;
  if (s.node == e.node && isText(s.node)) return v.text(s.node, s.offset, e.offset);
  Node* const stopParent = isText(e.node) ? nullptr : e.node;
  Node* const stopBefore = stopParent ? childAt(stopParent, e.offset) : nullptr;
  Node* n = s.node;
  bool leaving = true;
  if (isText(s.node)) {
    v.text(s.node, s.offset, s.node->data.size());
  } else if (Node* c = childAt(s.node, s.offset)) {
    n = c;
    leaving = false;
  }
  while (n) {
    if (!leaving) {
      if (n == e.node && isText(n)) return v.text(n, 0, e.offset);
      if (stopBefore == n) return;
      if (n->isElement()) {
        v.enter(n);
        if (n->first) {
          n = n->first;
          continue;
        }
        leaving = true;
        continue;
      }
      if (isText(n))
        v.text(n, 0, n->data.size());
      else
        v.other(n);
    } else {
      if (n == stopParent && !stopBefore) return;
      if (!n->parent) return;
      if (n != s.node || !isText(n)) v.leave(n);
    }
    leaving = !n->next;
    n = n->next ? n->next : n->parent;
  }
}

Node* shallowCopy(DocumentData& into, const Node* n) {
  Node* c = into.create(n->kind, n->isElement() ? n->tag : n->data);
  c->attributes = n->attributes;
  c->style = n->style;
  return c;
}

// Copies the content of a range under holder, with the elements it starts or ends inside
// around their parts, as the original's htmlText showed them.
struct Copier {
  DocumentData& into;
  Node* holder;
  std::vector<Node*> open;

  Node* top() const { return open.empty() ? holder : open.back(); }
  void enter(Node* n) {
    Node* c = shallowCopy(into, n);
    appendChild(top(), c);
    open.push_back(c);
  }
  void leave(Node* n) {
    if (!open.empty()) {
      open.pop_back();
      return;
    }
    Node* wrapper = shallowCopy(into, n);
    while (Node* c = holder->first) appendChild(wrapper, c);
    appendChild(holder, wrapper);
  }
  void text(Node* n, std::size_t from, std::size_t to) {
    appendChild(top(), into.create(Kind::Text, n->data.substr(from, to - from)));
  }
  void other(Node* n) { appendChild(top(), shallowCopy(into, n)); }
};

// Serialises a copy made in a scratch document, so reading a range leaves nothing behind in
// the page's arena. The copy holds no ancestor of the range, so the holder keeps white space
// when they did.
std::string copied(const Range& r, std::string (*write)(const Node*)) {
  DocumentData scratch;
  Copier copier{scratch, scratch.create(Kind::Element, "SPAN"), {}};
  for (const Node* n = commonAncestor(r.start.node, r.end.node); n; n = n->parent) {
    if (n->isElement() && keepsWhiteSpace(n)) {
      copier.holder->style.emplace_back("white-space", "pre");
      break;
    }
  }
  walkRange(r, copier);
  return write(copier.holder);
}

// Takes the content of a range out of the tree: whole nodes detached, the text nodes it
// starts or ends in cut.
struct Remover {
  std::vector<Node*> open;
  std::vector<Node*> whole;
  std::vector<std::pair<Node*, std::pair<std::size_t, std::size_t>>> cuts;
  const Range& range;

  void enter(Node* n) { open.push_back(n); }
  void leave(Node* n) {
    if (open.empty()) return;
    open.pop_back();
    whole.push_back(n);
  }
  void text(Node* n, std::size_t from, std::size_t to) {
    if (n == range.start.node || n == range.end.node)
      cuts.push_back({n, {from, to}});
    else
      whole.push_back(n);
  }
  void other(Node* n) { whole.push_back(n); }

  void apply() {
    for (auto& [n, span] : cuts) n->data.erase(span.first, span.second - span.first);
    const std::unordered_set<Node*> gone(whole.begin(), whole.end());
    for (Node* n : whole)
      if (!gone.contains(n->parent)) detach(n);
    if (!cuts.empty()) cuts.front().first->doc->changed();
  }
};

// Makes p a place between two children, splitting its text node when p is inside one.
Position boundaryAt(DocumentData& doc, Position p) {
  if (!isText(p.node)) return p;
  Node* t = p.node;
  if (p.offset < t->data.size()) {
    Node* tail = doc.create(Kind::Text, t->data.substr(p.offset));
    t->data.resize(p.offset);
    insertBefore(t->parent, tail, t->next);
  }
  return {t->parent, childIndex(t) + 1};
}

Range paste(DocumentData& doc, const Range& r, const std::string& markup) {
  Remover remover{{}, {}, {}, r};
  walkRange(r, remover);
  remover.apply();
  const Position at = boundaryAt(doc, clamp(r.start));
  Node* before = childAt(at.node, at.offset);
  const std::string context = at.node->isElement() ? at.node->tag : "BODY";
  std::size_t inserted = 0;
  for (Node* n : parseFragment(doc, markup, context)) {
    insertBefore(at.node, n, before);
    ++inserted;
  }
  return collapsedAt({at.node, at.offset + inserted});
}

// Moves p forward over count characters; returns how many it passed.
long forward(Position& p, long count) {
  long moved = 0;
  Node* n = p.node;
  if (!isText(n)) {
    Node* c = childAt(n, p.offset);
    n = c ? c : nextInOrder(n, false);
  }
  for (; n && moved < count; n = nextInOrder(n, true)) {
    if (!isText(n)) continue;
    std::size_t offset = n == p.node ? p.offset : 0;
    while (moved < count && offset < n->data.size()) {
      ++offset;
      while (offset < n->data.size() && isContinuation(n->data[offset])) ++offset;
      ++moved;
    }
    p = {n, offset};
  }
  return moved;
}

long backward(Position& p, long count) {
  long moved = 0;
  Node* n = p.node;
  if (!isText(n) && p.offset > 0) {
    n = childAt(n, p.offset - 1);
    while (n->last) n = n->last;
  }
  for (; n && moved < count; n = previousInOrder(n)) {
    if (!isText(n)) continue;
    std::size_t offset = n == p.node ? p.offset : n->data.size();
    while (moved < count && offset > 0) {
      --offset;
      while (offset > 0 && isContinuation(n->data[offset])) --offset;
      ++moved;
    }
    p = {n, offset};
  }
  return moved;
}

// The line rectangles of the text nodes a range touches, in client coordinates; a text node
// the range holds only part of still gives all of its lines.
struct Lines {
  const DocumentData& doc;
  std::vector<html::Rect> rects;

  void enter(Node*) {}
  void leave(Node*) {}
  void other(Node*) {}
  void text(Node* n, std::size_t from, std::size_t to) {
    if (from == to) return;
    for (html::Rect r : lineRects(n))
      rects.push_back({r.left - doc.scrollLeft, r.top - doc.scrollTop, r.right - doc.scrollLeft,
                       r.bottom - doc.scrollTop});
  }
};

html::Rect bounds(const std::vector<html::Rect>& rects) {
  if (rects.empty()) return {};
  html::Rect u = rects.front();
  for (const html::Rect& r : rects) {
    u.left = std::min(u.left, r.left);
    u.top = std::min(u.top, r.top);
    u.right = std::max(u.right, r.right);
    u.bottom = std::max(u.bottom, r.bottom);
  }
  return u;
}

html::Selection::Impl& selectionOf(DocumentData& doc) {
  if (!doc.selection) doc.selection = std::make_shared<html::Selection::Impl>();
  doc.selection->doc = &doc;
  return *doc.selection;
}

}  // namespace

void selectElements(DocumentData& doc, Node* a, Node* b) {
  if (!a) a = b;
  if (!b) b = a;
  if (!a) return;
  if (compare({a, 0}, {b, 0}) > 0) std::swap(a, b);
  const Range r = checked(doc, {{a, 0}, {b, childCount(b)}});
  auto& selection = selectionOf(doc);
  if (collapsed(r))
    selection.range.reset();
  else
    selection.range = r;
}

bool clearSelection(DocumentData& doc) {
  auto& selection = selectionOf(doc);
  const bool had = selection.range && !collapsed(checked(doc, *selection.range));
  selection.range.reset();
  return had;
}

}  // namespace headless::dom

namespace html {

namespace dom = headless::dom;

namespace {

TextRange rangeHandle(std::shared_ptr<dom::DocumentData> doc, const dom::Range& r) {
  return TextRange(std::make_shared<TextRange::Impl>(TextRange::Impl{std::move(doc), r}));
}

// What a range handle holds, checked against the page as it is now.
TextRangeImpl& live(TextRangeImpl& r) {
  r.range = dom::checked(*r.doc, r.range);
  return r;
}

}  // namespace

// Selection

std::string Selection::type() const {
  const Impl& s = self();
  return s.range && !dom::collapsed(dom::checked(*s.doc, *s.range)) ? "Text" : "None";
}

TextRange Selection::createRange() const {
  const Impl& s = self();
  const dom::Range r = s.range ? *s.range : dom::collapsedAt({dom::bodyOf(*s.doc), 0});
  return rangeHandle(s.doc->shared_from_this(), dom::checked(*s.doc, r));
}

void Selection::empty() {
  self().range.reset();
}

// One selection per document; a handle shares the document's ownership.
Selection Document::selection() const {
  dom::DocumentData& doc = *self().node->doc;
  dom::selectionOf(doc);
  return Selection(std::shared_ptr<Selection::Impl>(doc.shared_from_this(), doc.selection.get()));
}

// TextRange

std::string TextRange::text() const {
  return dom::copied(live(self()).range, dom::innerText);
}
std::string TextRange::htmlText() const {
  return dom::copied(live(self()).range, dom::innerHTML);
}

std::vector<Rect> TextRange::getClientRects() const {
  const Impl& r = live(self());
  dom::ensureLayout(*r.doc);
  dom::Lines lines{*r.doc, {}};
  dom::walkRange(r.range, lines);
  return lines.rects;
}

long TextRange::boundingLeft() const {
  return dom::bounds(getClientRects()).left;
}
long TextRange::boundingTop() const {
  return dom::bounds(getClientRects()).top;
}

long TextRange::boundingWidth() const {
  const Rect b = dom::bounds(getClientRects());
  return b.right - b.left;
}

long TextRange::boundingHeight() const {
  const Rect b = dom::bounds(getClientRects());
  return b.bottom - b.top;
}

TextRange TextRange::duplicate() const {
  const Impl& r = live(self());
  return rangeHandle(r.doc, r.range);
}

long TextRange::moveEnd(const std::string& unit, long count) {
  Impl& r = live(self());
  if (!platform::equalsNoCase(unit, "character")) platform::raise(platform::kInvalidCall);
  if (count >= 0) return dom::forward(r.range.end, count);
  const long moved = dom::backward(r.range.end, -count);
  r.range.end = dom::leanBackward(r.range.end);
  if (dom::compare(r.range.end, r.range.start) < 0) r.range.start = r.range.end;
  return -moved;
}

void TextRange::collapse(bool start) {
  Impl& r = live(self());
  r.range = dom::collapsedAt(dom::leanForward(start ? r.range.start : r.range.end));
}

void TextRange::pasteHTML(const std::string& markup) {
  Impl& r = live(self());
  r.range = dom::paste(*r.doc, r.range, markup);
}

Element TextRange::parentElement() const {
  const Impl& r = live(self());
  dom::Node* n = dom::commonAncestor(r.range.start.node, r.range.end.node);
  while (n && !n->isElement()) n = n->parent;
  if (!n) n = dom::bodyOf(*r.doc);
  return Element(dom::handle(n->isElement() ? n : nullptr));
}

}  // namespace html
