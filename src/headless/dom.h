// The headless document tree behind the html port. A document owns every node it ever made in
// an arena, so a handle to a removed or replaced node stays valid until the document itself
// goes; handles keep the document alive. Walks are iterative: the depth of a page is not
// bounded.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/html.h"
#include "platform/wintypes.h"
#include "runtime/implementation.h"

namespace headless::dom {

struct DocumentData;
struct Node;
struct WindowData;
struct PointerState;

enum class Kind : std::uint8_t { Document, Element, Text, Comment };

using Attributes = std::vector<std::pair<std::string, std::string>>;

// A subscription of one handler to one event of a node or window.
struct Listener {
  std::string event;  // "onclick", "onmouseover", ...
  std::weak_ptr<html::Handler> handler;
};

// What the layout computed for an element or a text node, in document coordinates (client
// coordinates are these minus the page's scroll offsets). Valid after ensureLayout.
struct Box {
  bool rendered = false;  // false for display:none and what lies inside it
  long left = 0, top = 0, width = 0, height = 0;
  // Text nodes and inline elements with content lie on lines (DocumentData::lines): they
  // begin at startX on firstLine and end at endX on lastLine.
  bool inFlowInline = false;  // a text node or an inline, non-replaced element
  bool onLines = false;
  std::uint32_t firstLine = 0, lastLine = 0;
  long startX = 0, endX = 0;
  // The nearest absolutely positioned element, itself included; null in the normal flow.
  const Node* layer = nullptr;
  // Of an absolutely positioned element: its paint rank among them (higher is on top).
  std::uint32_t stack = 0;
};

// One line box of the layout: content of the block container `owner` from left to right.
struct LineBox {
  const Node* owner = nullptr;
  long left = 0, top = 0, right = 0, height = 0;
};

struct Node {
  Kind kind = Kind::Element;
  DocumentData* doc = nullptr;
  Node* parent = nullptr;
  Node* first = nullptr;
  Node* last = nullptr;
  Node* prev = nullptr;
  Node* next = nullptr;

  std::string tag;        // elements: upper-case tag name
  std::string data;       // text and comments
  Attributes attributes;  // in source order, names as parsed (lower case) or set
  Attributes style;       // inline style, CSS property names in lower case
  std::vector<Listener> listeners;
  Box box;

  bool isElement() const { return kind == Kind::Element; }
  bool is(std::string_view tagName) const { return kind == Kind::Element && tag == tagName; }
};

struct DocumentData : std::enable_shared_from_this<DocumentData> {
  std::deque<Node> arena;
  Node* root = nullptr;  // the document node
  std::string url = "about:blank";
  std::string readyState = "complete";
  std::string designMode = "Inherit";
  std::weak_ptr<WindowData> window;
  bool layoutDirty = true;
  // The window's client area; whoever changes it sets layoutDirty.
  long viewportWidth = 1024, viewportHeight = 768;
  // The page's scroll offsets (body and documentElement scrollLeft/scrollTop).
  long scrollLeft = 0, scrollTop = 0;
  // What the last layout made (layout.cpp): the page's size, its line boxes, and every node
  // with a box in document order.
  long pageWidth = 0, pageHeight = 0;
  std::vector<LineBox> lines;
  std::vector<Node*> laidOut;
  // Increases on every change of the tree, an attribute or a style.
  std::uint64_t version = 0;
  // What relative addresses resolve against (html.cpp), as worked out from url at baseVersion.
  std::string base, baseFrom;
  std::uint64_t baseVersion = ~std::uint64_t{0};
  // window.event lives with the document, so a document shown in no window has one too; it is
  // set while an event is dispatched on the document or its window (events.cpp).
  std::shared_ptr<html::Event::Impl> event;
  // The window made by parentWindow() for a document no browser window shows. Its document
  // pointer does not own, or the pair would keep each other alive.
  std::shared_ptr<WindowData> ownWindow;
  std::shared_ptr<PointerState> pointer;             // events.cpp
  std::shared_ptr<html::Selection::Impl> selection;  // ranges.cpp

  DocumentData();
  Node* create(Kind kind, std::string tagOrData = {});
  void changed() {
    ++version;
    layoutDirty = true;
  }
};

// The window a document is shown in: the top page's or a frame's.
struct WindowData : std::enable_shared_from_this<WindowData> {
  std::shared_ptr<DocumentData> document;
  std::weak_ptr<WindowData> parent;  // empty for a top window
  std::vector<std::weak_ptr<WindowData>> frames;
  std::vector<Listener> listeners;
  std::shared_ptr<html::Event::Impl> event;  // window.event while an event is dispatched
  long screenLeft = 0;
  long screenTop = 0;
  // The window a browser shows the page in; when set, the page is where that window is.
  HWND host = nullptr;
  std::string userAgent;
  // Documents of another origin raise permission denied when reached from this one's parent.
  std::string origin() const;
};

// Tree edits.
void appendChild(Node* parent, Node* child);
void insertBefore(Node* parent, Node* child, Node* before);
void detach(Node* node);
bool isAncestorOrSelf(const Node* ancestor, const Node* node);

// Calls visit(node) for every node below root in document order, root excluded unless
// includeRoot; visit returns false to skip the node's children.
void forEachBelow(Node* root, bool includeRoot, const std::function<bool(Node*)>& visit);
// The first element below root in document order that matches; null when none does. Stops
// descending once found, so what lies near the top is found without walking the rest.
Node* firstElementBelow(Node* root, const std::function<bool(Node*)>& match);
// The same walk with a call when a node's subtree is done: enter(node) returns whether to go
// below it; leave(node) follows its last descendant (or enter, when it was not descended).
void walk(Node* root, const std::function<bool(Node*)>& enter,
          const std::function<void(Node*)>& leave);
std::vector<Node*> elementsBelow(Node* root, std::string_view tagOrStar = "*");

// Attributes: names are case-insensitive.
const std::string* findAttribute(const Node* element, std::string_view name);
void setAttribute(Node* element, std::string_view name, std::string value);
bool removeAttribute(Node* element, std::string_view name);

// Inline style: names are CSS names ("background-color").
std::string styleValue(const Node* element, std::string_view cssName);
void setStyleValue(Node* element, std::string_view cssName, const std::string& value);
std::string cssText(const Node* element);
void parseStyle(Node* element, std::string_view text);
// "backgroundColor" -> "background-color".
std::string cssName(std::string_view scriptingName);

// Parsing. A whole document replaces the content of doc; a fragment is parsed as the
// children of an element with the given context tag and returned detached.
void parseDocument(DocumentData& doc, std::string_view markup);
std::vector<Node*> parseFragment(DocumentData& doc, std::string_view markup,
                                 std::string_view contextTag = "BODY");

// Markup and text, as the original object model produced them.
std::string outerHTML(const Node* node);
std::string innerHTML(const Node* node);
std::string innerText(const Node* node);
std::string textContent(const Node* node);

// Elements that start a block of their own (DIV, P, H1-H6, UL, LI, TABLE, TR...), by tag.
bool isBlock(const Node* n);

// The run-time type name of a node.
std::string typeName(const Node* node);
// An attribute as the attributes collection lists it (attributes.cpp): a known one under its
// property's name with the value the property reads (rowspan=02 as rowSpan "2", nowrap as
// noWrap "true"), any other as written.
std::pair<std::string, std::string> scriptAttribute(const std::string& name,
                                                    const std::string& value);
// The element type's default attribute pairs, in the order the attributes collection lists
// them.
const Attributes& defaultAttributes(const Node* element);

// What the document's relative addresses resolve against: the href of its first BASE that has
// one, else its own address.
const std::string& baseUrl(DocumentData& doc);

// A new document holding the page markup, at url.
html::Document newDocument(std::string_view markup, std::string url);
// The parts of an address that location reports.
html::Location parseLocation(const std::string& url);

// Events (events.cpp). What a dispatched event carries besides its type.
struct EventInit {
  Node* from = nullptr;  // fromElement
  Node* to = nullptr;    // toElement
  long button = 0;
  long clientX = 0;
  long clientY = 0;
};
// Fires "on" + type at target: the target's handlers, then each ancestor's, then the
// document's, unless a handler sets cancelBubble; window.event is set meanwhile. Returns
// false when a handler cancelled the default action.
bool dispatch(Node* target, const std::string& type, const EventInit& init = {});
// Fires "on" + type at a window (load, unload, resize, scroll).
bool dispatchWindow(WindowData& window, const std::string& type);
platform::Connection subscribe(std::vector<Listener>& listeners, const std::string& event,
                               html::Handler handler);

// Resizes the document's viewport and fires the window's onresize (geometry.cpp).
void setViewport(DocumentData& doc, long width, long height);

// Layout (layout.cpp): lays the document out again if anything changed since the last time.
void ensureLayout(DocumentData& doc);
Node* elementFromPoint(DocumentData& doc, long x, long y);

// The handle of a node (Nothing for null).
std::shared_ptr<html::Node::Impl> handle(Node* node);
Node* nodeOf(const html::Node& handle);

}  // namespace headless::dom

struct html::NodeImpl {
  std::shared_ptr<headless::dom::DocumentData> doc;
  headless::dom::Node* node = nullptr;
};
