// The pointer of a headless page. A drag selects whole elements: from the start of the one
// pressed to the end of the one released over (in document order), not from the characters
// under the two points.
#include "headless/pointer.h"

#include <memory>

#include "headless/events.h"
#include "headless/ranges.h"
#include "runtime/error.h"

namespace headless::pointer {
namespace {

using dom::DocumentData;
using dom::Node;
using dom::PointerState;

DocumentData& dataOf(const html::Document& doc) {
  Node* n = dom::nodeOf(doc);
  if (!n) platform::raiseNothing();
  return *n->doc;
}

PointerState& stateOf(DocumentData& doc) {
  if (!doc.pointer) doc.pointer = std::make_shared<PointerState>();
  return *doc.pointer;
}

// Handlers may have taken the element out of the page since the pointer met it.
bool shown(const DocumentData& doc, const Node* n) {
  return n && dom::isAncestorOrSelf(doc.root, n);
}

dom::EventInit at(const PointerState& p, long button = 0) {
  dom::EventInit init;
  init.button = button;
  init.clientX = p.x;
  init.clientY = p.y;
  return init;
}

void hover(DocumentData& doc, PointerState& p, Node* now) {
  Node* was = p.hover;
  p.hover = now;
  dom::EventInit init = at(p);
  init.from = was;
  init.to = now;
  if (shown(doc, was)) dom::dispatch(was, "mouseout", init);
  if (shown(doc, now)) dom::dispatch(now, "mouseover", init);
}

void startDrag(PointerState& p) {
  p.dragging = true;
  p.selecting = p.button == kLeft && p.pressed && dom::dispatch(p.pressed, "selectstart", at(p));
}

}  // namespace

void move(const html::Document& doc, long x, long y) {
  DocumentData& d = dataOf(doc);
  PointerState& p = stateOf(d);
  p.x = x;
  p.y = y;
  Node* now = dom::elementFromPoint(d, x, y);
  if (now != p.hover) hover(d, p, now);
  if (p.button && !p.dragging && (x != p.pressX || y != p.pressY)) startDrag(p);
}

void press(const html::Document& doc, long button) {
  DocumentData& d = dataOf(doc);
  PointerState& p = stateOf(d);
  p.button = button;
  p.pressed = dom::elementFromPoint(d, p.x, p.y);
  p.pressX = p.x;
  p.pressY = p.y;
  p.dragging = p.selecting = false;
  if (button == kLeft && dom::clearSelection(d)) dom::dispatch(d.root, "selectionchange");
}

bool release(const html::Document& doc) {
  DocumentData& d = dataOf(doc);
  PointerState& p = stateOf(d);
  const long button = p.button;
  p.button = 0;
  Node* target = dom::elementFromPoint(d, p.x, p.y);
  if (p.selecting && shown(d, p.pressed)) {
    dom::selectElements(d, p.pressed, target);
    dom::dispatch(d.root, "selectionchange");
  }
  if (!shown(d, target)) return true;
  dom::dispatch(target, "mouseup", at(p, button));
  if (target != p.pressed) return true;
  if (button == kLeft) return dom::dispatch(target, "click", at(p, button));
  if (button == kRight) return dom::dispatch(target, "contextmenu", at(p, button));
  return true;
}

}  // namespace headless::pointer
