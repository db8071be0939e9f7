// The html port: the browser's HTML object model as the toolbar uses it (documents, windows,
// elements, styles, events, text ranges, the selection, location). Every member behaves as the
// original object model did where the toolbar looks, quirks included.
// A platform implements every member declared here without a body, the Impl types behind the
// handles and identical() for nodes and windows. No member answers a status; failures raise:
// 91 for a member of Nothing, 70 for the document of another origin's frame, 438 for a member
// the object lacks, 5 for an unusable argument, and the object model's HRESULT for a call it
// refuses.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/com.h"
#include "runtime/connection.h"
#include "runtime/handle.h"

namespace html {

class Node;
class Element;
class Document;
class Window;
class Style;
class TextRange;

// What a platform keeps behind the handles.
struct NodeImpl;
struct StyleImpl;
struct ControlImpl;
struct EventImpl;
struct TextRangeImpl;
struct SelectionImpl;
struct WindowImpl;

// The very same node or window, for Node::is and Window::is.
bool identical(const NodeImpl& a, const NodeImpl& b);
bool identical(const WindowImpl& a, const WindowImpl& b);

// An event handler, called on the page's thread; one returning false cancels the event's
// default action (returnValue = false). It stays subscribed while its connection lives.
using Handler = std::function<bool()>;

struct Rect {
  long left = 0;
  long top = 0;
  long right = 0;
  long bottom = 0;
};

class Node : public platform::Handle<NodeImpl> {
 public:
  using Handle::Handle;

  // The run-time type name: "HTMLDocument", "HTMLImg", "HTMLTableCell", "HTMLDivElement",
  // "HTMLDOMTextNode", "HTMLCommentElement"...
  std::string typeName() const;

  // 1 element, 3 text, 8 comment, 9 document.
  int nodeType() const;
  std::string nodeName() const;
  // Text of a text or comment node; empty for elements.
  std::string nodeValue() const;
  void setNodeValue(const std::string& value);
  Node parentNode() const;
  std::vector<Node> childNodes() const;
  Node appendChild(const Node& child);
  Node removeChild(const Node& child);
  Document ownerDocument() const;

  // The node as an element / document; Nothing when it is not one.
  Element asElement() const;
  Document asDocument() const;

  // The node as the COM object another component is handed, and back: Nothing for an object
  // that is no node of a page.
  com::Ptr<IUnknown> unknown() const;
  static Node FromUnknown(const com::Ptr<IUnknown>& object);
};

class Style : public platform::Handle<StyleImpl> {
 public:
  using Handle::Handle;

  // A property by its scripting name ("display", "backgroundColor", "borderLeftWidth",
  // "zIndex", ...); empty when not set.
  std::string get(const std::string& name) const;
  void set(const std::string& name, const std::string& value);

  std::string display() const { return get("display"); }
  void setDisplay(const std::string& v) { set("display", v); }
  std::string position() const { return get("position"); }
  void setPosition(const std::string& v) { set("position", v); }
  std::string left() const { return get("left"); }
  void setLeft(const std::string& v) { set("left", v); }
  std::string top() const { return get("top"); }
  void setTop(const std::string& v) { set("top", v); }
  std::string width() const { return get("width"); }
  void setWidth(const std::string& v) { set("width", v); }
  std::string height() const { return get("height"); }
  void setHeight(const std::string& v) { set("height", v); }
  // left in pixels, as a number.
  long pixelLeft() const;
  void setPixelLeft(long value);
  std::string cssText() const;
};

// One attribute of the attributes collection.
struct Attribute {
  std::string nodeName;
  std::string nodeValue;
  bool specified = false;
};

// A plug-in control hosted by an OBJECT (a media player, a movie player).
class Control : public platform::Handle<ControlImpl> {
 public:
  using Handle::Handle;
  // The control's run-time type name ("MediaPlayer", "WindowsMediaPlayer", "ShockwaveFlash",
  // "QTActiveXPlugin"); "Nothing" for Nothing.
  std::string typeName() const;
  // A property by its path ("FileName", "Movie", "currentMedia.sourceURL"); raises 438 when
  // the control has no such member.
  std::string get(const std::string& member) const;
};

class Element : public Node {
 public:
  using Node::Node;

  // Upper-case.
  std::string tagName() const;
  std::string id() const;
  void setId(const std::string& value);
  std::string name() const;
  std::string className() const;
  void setClassName(const std::string& value);

  // Null (empty optional) when absent. Names are case-insensitive.
  std::optional<std::string> getAttribute(const std::string& name) const;
  void setAttribute(const std::string& name, const std::string& value);
  bool removeAttribute(const std::string& name);
  // Specified attributes in source order, then the element type's default pairs
  // (rowSpan "1", colSpan "1", tabIndex "0", ...) that were not specified. Known attributes
  // are listed as their properties read: rowspan=02 as rowSpan "2", nowrap as noWrap "true".
  std::vector<Attribute> attributes() const;

  Element parentElement() const;
  std::vector<Element> children() const;
  // Every element below this one, in document order.
  std::vector<Element> all() const;
  // all.tags(tag): the descendants with that tag name, in document order.
  std::vector<Element> allTags(const std::string& tagName) const;
  std::vector<Element> getElementsByTagName(const std::string& tagName) const;
  // True for the element itself too.
  bool contains(const Element& other) const;

  // The rendered text: CRLF line breaks (two around a paragraph, one around other blocks and
  // rows, none at either end), a tab between the cells of a row, hidden content left out.
  std::string innerText() const;
  // setInnerText and setInnerHTML raise 5 on COL, COLGROUP, FRAMESET, HEAD, HTML, STYLE,
  // TABLE, TBODY, TFOOT, THEAD, TITLE and TR.
  void setInnerText(const std::string& text);
  std::string innerHTML() const;
  void setInnerHTML(const std::string& markup);
  std::string outerHTML() const;
  // Joins adjacent text nodes below the element and drops empty ones.
  void normalize();
  // where: "beforeBegin", "afterBegin", "beforeEnd", "afterEnd" (any case). Raises 5 for
  // another where, and when the element receiving the markup (this one, or its parent for
  // beforeBegin/afterEnd) is missing or one that setInnerHTML refuses.
  void insertAdjacentHTML(const std::string& where, const std::string& markup);

  Style style() const;

  // Reflected attributes.
  std::string align() const;
  // A table's or cell's background picture and colour.
  std::string background() const;
  std::string bgColor() const;
  // src of IMG, IFRAME, FRAME, SCRIPT, EMBED, INPUT, VIDEO, AUDIO, SOURCE and href of A, AREA,
  // LINK, BASE are absolute, resolved against the page's base; "" when not given, as written
  // when they cannot be resolved (javascript:, a page at about:blank).
  std::string src() const;
  std::string alt() const;
  std::string href() const;
  std::string value() const;
  std::string type() const;
  std::string content() const;
  // An IMG that is drawn answers its drawn size.
  long width() const;
  long height() const;
  // "uninitialized", "loading", "interactive" or "complete"; an OBJECT reports the number of
  // its state instead, as the original did: "0" to "4", 4 meaning fully loaded.
  std::string readyState() const;
  // The player control of an OBJECT; Nothing when it has none. Raises 438 on other elements.
  Control object() const;

  // Geometry, from the layout (see the platform's layout rules).
  Rect getBoundingClientRect() const;
  std::vector<Rect> getClientRects() const;
  long offsetLeft() const;
  long offsetTop() const;
  long offsetWidth() const;
  long offsetHeight() const;
  Element offsetParent() const;
  long clientLeft() const;
  long clientTop() const;
  long clientWidth() const;
  long clientHeight() const;
  long scrollTop() const;
  void setScrollTop(long value);
  long scrollLeft() const;
  void setScrollLeft(long value);

  // "onclick", "onmouseover", ... on this element.
  platform::Connection on(const std::string& event, Handler handler);
};

class Location {
 public:
  std::string href;
  std::string protocol;  // "http:"
  std::string host;      // "host:port" when a port is given
  std::string hostname;
  std::string pathname;
  std::string search;  // "?..." or empty
};

class Event : public platform::Handle<EventImpl> {
 public:
  using Handle::Handle;

  std::string type() const;
  Element srcElement() const;
  Element fromElement() const;
  Element toElement() const;
  long button() const;
  long clientX() const;
  long clientY() const;
  bool cancelBubble() const;
  void setCancelBubble(bool value);
  // Null until a handler sets it.
  std::optional<bool> returnValue() const;
  void setReturnValue(bool value);
};

class TextRange : public platform::Handle<TextRangeImpl> {
 public:
  using Handle::Handle;
  std::string typeName() const { return "IHTMLTxtRange"; }

  std::string text() const;
  std::string htmlText() const;
  long boundingLeft() const;
  long boundingTop() const;
  long boundingWidth() const;
  long boundingHeight() const;
  TextRange duplicate() const;
  // unit "character"; returns the count actually moved.
  long moveEnd(const std::string& unit, long count);
  void collapse(bool start = true);
  void pasteHTML(const std::string& markup);
  Element parentElement() const;
  std::vector<Rect> getClientRects() const;

  // As for nodes: Nothing for an object that is no text range.
  com::Ptr<IUnknown> unknown() const;
  static TextRange FromUnknown(const com::Ptr<IUnknown>& object);
};

class Selection : public platform::Handle<SelectionImpl> {
 public:
  using Handle::Handle;
  // "None" or "Text".
  std::string type() const;
  TextRange createRange() const;
  void empty();
};

class Document : public Node {
 public:
  using Node::Node;

  Element body() const;
  Element documentElement() const;
  std::string title() const;
  Location location() const;
  std::string URL() const;
  std::string bgColor() const;
  std::string fgColor() const;
  std::string linkColor() const;
  std::string vlinkColor() const;
  // "loading", "interactive", "complete".
  std::string readyState() const;
  // "On", "Off" or "Inherit".
  std::string designMode() const;
  void setDesignMode(const std::string& value);
  Window parentWindow() const;
  Selection selection() const;

  Element createElement(const std::string& tagName) const;
  Element getElementById(const std::string& id) const;
  // Matches name or id, as the original did.
  std::vector<Element> getElementsByName(const std::string& name) const;
  std::vector<Element> getElementsByTagName(const std::string& tagName) const;
  std::vector<Element> all() const;
  std::vector<Element> allTags(const std::string& tagName) const;
  // Client coordinates of the document's window; Nothing outside every box.
  Element elementFromPoint(long x, long y) const;

  // "onmouseover", "onclick", "onreadystatechange", ... on the document.
  platform::Connection on(const std::string& event, Handler handler);
};

class Window : public platform::Handle<WindowImpl> {
 public:
  using Handle::Handle;
  std::string typeName() const { return "HTMLWindow2"; }

  // Raises 70 (permission denied) for a frame of another origin.
  Document document() const;
  Event event() const;
  Window top() const;
  Window parent() const;
  std::vector<Window> frames() const;
  long screenLeft() const;
  long screenTop() const;
  std::string userAgent() const;  // navigator.userAgent

  // "onload", "onunload", "onresize", "onscroll".
  platform::Connection on(const std::string& event, Handler handler);
};

}  // namespace html
