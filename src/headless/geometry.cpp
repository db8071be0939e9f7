// The html port's geometry members over the headless layout (layout.cpp has the rules). Every
// read lays the document out first if it changed. Client coordinates are document
// coordinates less the page's scroll offsets, which BODY and the documentElement both hold.
// Elements without a box (display:none, not in the document) measure 0 and have no
// offsetParent.
#include <algorithm>

#include "headless/dom.h"
#include "headless/layout.h"
#include "runtime/error.h"
#include "runtime/strings.h"

namespace html {

namespace dom = headless::dom;

namespace {

// The element, laid out.
dom::Node* laidOut(const Node::Impl& impl) {
  if (!impl.node->isElement()) platform::raise(platform::kNotSupported);
  dom::ensureLayout(*impl.node->doc);
  return impl.node;
}

bool isRootElement(const dom::Node* n) {
  return n->parent == n->doc->root;
}

// BODY and the documentElement scroll the page and measure the viewport.
// The window a document is shown in, or the one made for it; none before either exists.
dom::WindowData* windowOf(dom::DocumentData& doc) {
  if (auto shown = doc.window.lock()) return shown.get();
  return doc.ownWindow.get();
}

void scrollPage(dom::DocumentData& doc, long& offset, long to) {
  if (offset == to) return;
  offset = to;
  if (dom::WindowData* window = windowOf(doc)) dom::dispatchWindow(*window, "scroll");
}

bool isPage(const dom::Node* n) {
  return n->is("BODY") || isRootElement(n);
}

bool positioned(const dom::Node* n) {
  const std::string p = platform::lowerAscii(dom::styleValue(n, "position"));
  return !p.empty() && p != "static";
}

dom::Node* offsetParentOf(const dom::Node* n) {
  if (!n->box.rendered || isPage(n)) return nullptr;
  for (dom::Node* p = n->parent; p && p->isElement(); p = p->parent) {
    if (p->is("BODY") || p->is("TD") || p->is("TH") || p->is("TABLE") || positioned(p)) return p;
  }
  return nullptr;
}

// Offsets are from the offset parent's box; from the document when that is BODY or none.
long offsetFrom(const dom::Node* n, bool horizontal) {
  if (!n->box.rendered || isPage(n)) return 0;
  const dom::Node* p = offsetParentOf(n);
  const long own = horizontal ? n->box.left : n->box.top;
  if (!p || p->is("BODY")) return own;
  return own - (horizontal ? p->box.left : p->box.top);
}

Rect clientRect(const dom::Node* n, const Rect& r) {
  const dom::DocumentData& d = *n->doc;
  return {r.left - d.scrollLeft, r.top - d.scrollTop, r.right - d.scrollLeft,
          r.bottom - d.scrollTop};
}

}  // namespace

Rect Element::getBoundingClientRect() const {
  const dom::Node* e = laidOut(self());
  const dom::Box& b = e->box;
  if (!b.rendered) return {};
  return clientRect(e, {b.left, b.top, b.left + b.width, b.top + b.height});
}

std::vector<Rect> Element::getClientRects() const {
  const dom::Node* e = laidOut(self());
  std::vector<Rect> out = dom::lineRects(e);
  for (Rect& r : out) r = clientRect(e, r);
  return out;
}

long Element::offsetLeft() const {
  return offsetFrom(laidOut(self()), true);
}
long Element::offsetTop() const {
  return offsetFrom(laidOut(self()), false);
}
long Element::offsetWidth() const {
  return laidOut(self())->box.width;
}
long Element::offsetHeight() const {
  return laidOut(self())->box.height;
}

Element Element::offsetParent() const {
  return Element(dom::handle(offsetParentOf(laidOut(self()))));
}

// No borders are laid out.
long Element::clientLeft() const {
  laidOut(self());
  return 0;
}

long Element::clientTop() const {
  laidOut(self());
  return 0;
}

long Element::clientWidth() const {
  const dom::Node* e = laidOut(self());
  if (!e->box.rendered || dom::isInlineFlow(e)) return 0;
  return isPage(e) ? e->doc->viewportWidth : e->box.width;
}

long Element::clientHeight() const {
  const dom::Node* e = laidOut(self());
  if (!e->box.rendered || dom::isInlineFlow(e)) return 0;
  return isPage(e) ? e->doc->viewportHeight : e->box.height;
}

long Element::scrollTop() const {
  const dom::Node* e = laidOut(self());
  return isPage(e) ? e->doc->scrollTop : 0;
}

long Element::scrollLeft() const {
  const dom::Node* e = laidOut(self());
  return isPage(e) ? e->doc->scrollLeft : 0;
}

// Clamped to the page less the viewport; other elements do not scroll. A page that moves tells
// its window (onscroll).
void Element::setScrollTop(long value) {
  const dom::Node* e = laidOut(self());
  if (!isPage(e)) return;
  dom::DocumentData& d = *e->doc;
  scrollPage(d, d.scrollTop, std::clamp(value, 0L, std::max(0L, d.pageHeight - d.viewportHeight)));
}

void Element::setScrollLeft(long value) {
  const dom::Node* e = laidOut(self());
  if (!isPage(e)) return;
  dom::DocumentData& d = *e->doc;
  scrollPage(d, d.scrollLeft, std::clamp(value, 0L, std::max(0L, d.pageWidth - d.viewportWidth)));
}

Element Document::elementFromPoint(long x, long y) const {
  return Element(dom::handle(dom::elementFromPoint(*self().node->doc, x, y)));
}

}  // namespace html

namespace headless::dom {

void setViewport(DocumentData& doc, long width, long height) {
  if (width == doc.viewportWidth && height == doc.viewportHeight) return;
  doc.viewportWidth = width;
  doc.viewportHeight = height;
  doc.layoutDirty = true;
  if (WindowData* window = html::windowOf(doc)) dispatchWindow(*window, "resize");
}

}  // namespace headless::dom
