// Nodes, elements, styles and documents of the html port on MSHTML.
#include <cstdlib>

#include "runtime/strings.h"
#include "win32/html_impl.h"

namespace win32 {

std::vector<com::Ptr<IDispatch>> itemsOf(const com::Ptr<IDispatch>& collection) {
  const long length = get(collection, "length").number();
  std::vector<com::Ptr<IDispatch>> out;
  out.reserve(static_cast<std::size_t>(std::max(length, 0L)));
  for (long i = 0; i < length; ++i)
    if (auto item = call(collection, "item", {Value(i)}).object()) out.push_back(std::move(item));
  return out;
}

html::Rect rectOf(const com::Ptr<IDispatch>& rect) {
  return {get(rect, "left").number(), get(rect, "top").number(), get(rect, "right").number(),
          get(rect, "bottom").number()};
}

std::vector<html::Rect> clientRectsOf(const com::Ptr<IDispatch>& object) {
  std::vector<html::Rect> out;
  for (const auto& rect : itemsOf(call(object, "getClientRects").object()))
    out.push_back(rectOf(rect));
  return out;
}

}  // namespace win32

namespace html {

namespace {

// A property as script prints it (a style's zIndex is a number). One the object lacks reads "",
// as one that is not set: the element types without a reflected attribute, older engines' styles.
std::string optionalText(const com::Ptr<IDispatch>& object, std::string_view name) {
  try {
    const Value value = get(object, name);
    return value.isNull() ? std::string() : value.scriptText();
  } catch (const platform::Error& e) {
    if (e.number != platform::kNotSupported) throw;
    return {};
  }
}

// Older engines read some attributes under their property names only, newer ones under their
// markup names only; the port answers the same for both.
bool isClassName(const std::string& name) {
  return platform::equalsNoCase(name, "class") || platform::equalsNoCase(name, "className");
}

// The flags of the attribute members: names in any case; values as written, as text (no
// absolute addresses, no defaults of unset properties).
constexpr long kAnyCase = 0;
constexpr long kAsWritten = 2;

void normalizeBelow(Node parent) {
  Node text;
  for (Node child : parent.childNodes()) {
    const int type = child.nodeType();
    if (type == 1) normalizeBelow(child);
    if (type != 3) {
      text = Node();
    } else if (text) {
      text.setNodeValue(text.nodeValue() + child.nodeValue());
      parent.removeChild(child);
    } else {
      text = child;
    }
  }
  for (Node child : parent.childNodes())
    if (child.nodeType() == 3 && child.nodeValue().empty()) parent.removeChild(child);
}

}  // namespace

// Node

// COM identity, through IUnknown.
bool identical(const NodeImpl& a, const NodeImpl& b) {
  return a.object.is(b.object);
}

std::string Node::typeName() const {
  return isNothing() ? "Nothing" : win32::typeName(*self().object.get());
}

// Older engines' documents are no nodes and lack the member; they are documents all the same.
int Node::nodeType() const {
  const auto& node = self().object;
  try {
    return static_cast<int>(get(node, "nodeType").number());
  } catch (const platform::Error& e) {
    if (e.number != platform::kNotSupported || win32::typeName(*node.get()) != "HTMLDocument")
      throw;
    return 9;
  }
}
std::string Node::nodeName() const {
  return get(self().object, "nodeName").text();
}
std::string Node::nodeValue() const {
  return get(self().object, "nodeValue").text();
}
void Node::setNodeValue(const std::string& value) {
  put(self().object, "nodeValue", value);
}
Node Node::parentNode() const {
  return wrap<Node>(get(self().object, "parentNode"));
}
std::vector<Node> Node::childNodes() const {
  return win32::wrapItems<Node>(get(self().object, "childNodes"));
}
Node Node::appendChild(const Node& child) {
  return wrap<Node>(call(self().object, "appendChild", {win32::held(child)}));
}
Node Node::removeChild(const Node& child) {
  return wrap<Node>(call(self().object, "removeChild", {win32::held(child)}));
}
Document Node::ownerDocument() const {
  return wrap<Document>(get(self().object, "ownerDocument"));
}

Element Node::asElement() const {
  return *this && nodeType() == 1 ? Element(platform::implementation(*this)) : Element();
}
Document Node::asDocument() const {
  return *this && nodeType() == 9 ? Document(platform::implementation(*this)) : Document();
}

// Style

std::string Style::get(const std::string& name) const {
  return optionalText(self().object, name);
}
void Style::set(const std::string& name, const std::string& value) {
  put(self().object, name, value);
}
long Style::pixelLeft() const {
  return win32::get(self().object, "pixelLeft").number();
}
void Style::setPixelLeft(long value) {
  put(self().object, "pixelLeft", value);
}
std::string Style::cssText() const {
  return get("cssText");
}

// Element

std::string Element::tagName() const {
  return get(self().object, "tagName").text();
}
std::string Element::id() const {
  return get(self().object, "id").text();
}
void Element::setId(const std::string& value) {
  put(self().object, "id", value);
}
std::string Element::name() const {
  return getAttribute("name").value_or("");
}
std::string Element::className() const {
  return get(self().object, "className").text();
}
void Element::setClassName(const std::string& value) {
  put(self().object, "className", value);
}

std::optional<std::string> Element::getAttribute(const std::string& name) const {
  const auto& e = self().object;
  if (platform::equalsNoCase(name, "style")) {
    std::string css = style().cssText();
    return css.empty() ? std::nullopt : std::optional(std::move(css));
  }
  const Value value = call(e, "getAttribute", {name, kAsWritten});
  if (!value.isNull()) return value.scriptText();
  if (!isClassName(name)) return std::nullopt;
  const char* other = platform::equalsNoCase(name, "class") ? "className" : "class";
  const Value otherValue = call(e, "getAttribute", {other, kAsWritten});
  if (otherValue.isNull()) return std::nullopt;
  return otherValue.scriptText();
}

void Element::setAttribute(const std::string& name, const std::string& value) {
  if (isClassName(name)) return setClassName(value);
  if (platform::equalsNoCase(name, "style")) return style().set("cssText", value);
  call(self().object, "setAttribute", {name, value, kAnyCase});
}

// The class goes under both its names, as getAttribute finds it under both; the inline style
// goes as a whole.
bool Element::removeAttribute(const std::string& name) {
  const auto& e = self().object;
  if (platform::equalsNoCase(name, "style")) {
    Style css = style();
    const bool had = !css.cssText().empty();
    css.set("cssText", "");
    return had;
  }
  if (!isClassName(name)) return call(e, "removeAttribute", {name, kAnyCase}).flag();
  const bool asClass = call(e, "removeAttribute", {"class", kAnyCase}).flag();
  return call(e, "removeAttribute", {"className", kAnyCase}).flag() || asClass;
}

std::vector<Attribute> Element::attributes() const {
  std::vector<Attribute> out;
  for (const auto& a : win32::itemsOf(get(self().object, "attributes").object()))
    out.push_back(
        {get(a, "nodeName").text(), get(a, "nodeValue").scriptText(), get(a, "specified").flag()});
  return out;
}

Element Element::parentElement() const {
  return wrap<Element>(get(self().object, "parentElement"));
}
std::vector<Element> Element::children() const {
  return win32::wrapItems<Element>(get(self().object, "children"));
}
std::vector<Element> Element::all() const {
  return win32::wrapItems<Element>(get(self().object, "all"));
}
std::vector<Element> Element::allTags(const std::string& tagName) const {
  return win32::wrapItems<Element>(call(get(self().object, "all").object(), "tags", {tagName}));
}
std::vector<Element> Element::getElementsByTagName(const std::string& tagName) const {
  return win32::wrapItems<Element>(call(self().object, "getElementsByTagName", {tagName}));
}

bool Element::contains(const Element& other) const {
  if (other.isNothing()) return false;
  return call(self().object, "contains", {win32::held(other)}).flag();
}

std::string Element::innerText() const {
  return get(self().object, "innerText").text();
}
void Element::setInnerText(const std::string& text) {
  put(self().object, "innerText", text);
}
std::string Element::innerHTML() const {
  return get(self().object, "innerHTML").text();
}
void Element::setInnerHTML(const std::string& markup) {
  put(self().object, "innerHTML", markup);
}
std::string Element::outerHTML() const {
  return get(self().object, "outerHTML").text();
}

// Not every engine has the member; the port's own walk answers the same everywhere.
void Element::normalize() {
  self();
  normalizeBelow(*this);
}

void Element::insertAdjacentHTML(const std::string& where, const std::string& markup) {
  call(self().object, "insertAdjacentHTML", {where, markup});
}

Style Element::style() const {
  return wrap<Style>(get(self().object, "style"));
}

std::string Element::align() const {
  return optionalText(self().object, "align");
}
std::string Element::background() const {
  return optionalText(self().object, "background");
}
std::string Element::bgColor() const {
  return optionalText(self().object, "bgColor");
}
std::string Element::src() const {
  return optionalText(self().object, "src");
}
std::string Element::alt() const {
  return optionalText(self().object, "alt");
}
std::string Element::href() const {
  return optionalText(self().object, "href");
}
std::string Element::value() const {
  return optionalText(self().object, "value");
}
std::string Element::type() const {
  return optionalText(self().object, "type");
}
std::string Element::content() const {
  return optionalText(self().object, "content");
}
// A cell's "50%" counts as 50, as a number read from its text does.
long Element::width() const {
  return std::strtol(optionalText(self().object, "width").c_str(), nullptr, 10);
}
long Element::height() const {
  return std::strtol(optionalText(self().object, "height").c_str(), nullptr, 10);
}
std::string Element::readyState() const {
  return get(self().object, "readyState").text();
}
Control Element::object() const {
  return wrap<Control>(get(self().object, "object"));
}

// Geometry

Rect Element::getBoundingClientRect() const {
  return win32::rectOf(call(self().object, "getBoundingClientRect").object());
}
std::vector<Rect> Element::getClientRects() const {
  return win32::clientRectsOf(self().object);
}
long Element::offsetLeft() const {
  return get(self().object, "offsetLeft").number();
}
long Element::offsetTop() const {
  return get(self().object, "offsetTop").number();
}
long Element::offsetWidth() const {
  return get(self().object, "offsetWidth").number();
}
long Element::offsetHeight() const {
  return get(self().object, "offsetHeight").number();
}
Element Element::offsetParent() const {
  return wrap<Element>(get(self().object, "offsetParent"));
}
long Element::clientLeft() const {
  return get(self().object, "clientLeft").number();
}
long Element::clientTop() const {
  return get(self().object, "clientTop").number();
}
long Element::clientWidth() const {
  return get(self().object, "clientWidth").number();
}
long Element::clientHeight() const {
  return get(self().object, "clientHeight").number();
}
long Element::scrollTop() const {
  return get(self().object, "scrollTop").number();
}
void Element::setScrollTop(long value) {
  put(self().object, "scrollTop", value);
}
long Element::scrollLeft() const {
  return get(self().object, "scrollLeft").number();
}
void Element::setScrollLeft(long value) {
  put(self().object, "scrollLeft", value);
}

// Document

Element Document::body() const {
  return wrap<Element>(get(self().object, "body"));
}
Element Document::documentElement() const {
  return wrap<Element>(get(self().object, "documentElement"));
}
std::string Document::title() const {
  return get(self().object, "title").text();
}

Location Document::location() const {
  const auto l = get(self().object, "location").object();
  return {get(l, "href").text(),     get(l, "protocol").text(), get(l, "host").text(),
          get(l, "hostname").text(), get(l, "pathname").text(), get(l, "search").text()};
}

std::string Document::URL() const {
  return get(self().object, "URL").text();
}
std::string Document::bgColor() const {
  return get(self().object, "bgColor").text();
}
std::string Document::fgColor() const {
  return get(self().object, "fgColor").text();
}
std::string Document::linkColor() const {
  return get(self().object, "linkColor").text();
}
std::string Document::vlinkColor() const {
  return get(self().object, "vlinkColor").text();
}
std::string Document::readyState() const {
  return get(self().object, "readyState").text();
}
std::string Document::designMode() const {
  return get(self().object, "designMode").text();
}
void Document::setDesignMode(const std::string& value) {
  put(self().object, "designMode", value);
}
Window Document::parentWindow() const {
  return wrap<Window>(get(self().object, "parentWindow"));
}
Selection Document::selection() const {
  return wrap<Selection>(get(self().object, "selection"));
}

Element Document::createElement(const std::string& tagName) const {
  return wrap<Element>(call(self().object, "createElement", {tagName}));
}
Element Document::getElementById(const std::string& id) const {
  return wrap<Element>(call(self().object, "getElementById", {id}));
}
std::vector<Element> Document::getElementsByName(const std::string& name) const {
  return win32::wrapItems<Element>(call(self().object, "getElementsByName", {name}));
}
std::vector<Element> Document::getElementsByTagName(const std::string& tagName) const {
  return win32::wrapItems<Element>(call(self().object, "getElementsByTagName", {tagName}));
}
std::vector<Element> Document::all() const {
  return win32::wrapItems<Element>(get(self().object, "all"));
}
std::vector<Element> Document::allTags(const std::string& tagName) const {
  return win32::wrapItems<Element>(call(get(self().object, "all").object(), "tags", {tagName}));
}
Element Document::elementFromPoint(long x, long y) const {
  return wrap<Element>(call(self().object, "elementFromPoint", {x, y}));
}

}  // namespace html

namespace {

// IHTMLDOMNode and IHTMLTxtRange: what a page object handed over from elsewhere is.
FOLVERRA_MAKE_GUID(kIID_IHTMLDOMNode, 0x3050F5DA, 0x98B5, 0x11CF, 0xBB, 0x82, 0x00, 0xAA, 0x00,
                   0xBD, 0xCE, 0x0B);
FOLVERRA_MAKE_GUID(kIID_IHTMLTxtRange, 0x3050F220, 0x98B5, 0x11CF, 0xBB, 0x82, 0x00, 0xAA, 0x00,
                   0xBD, 0xCE, 0x0B);

// The object's IDispatch when it answers the interface, else null.
com::Ptr<IDispatch> dispatchIf(const com::Ptr<IUnknown>& object, REFIID iid) {
  if (!object) return {};
  com::Ptr<IUnknown> probe;
  if (FAILED(object->QueryInterface(iid, probe.putVoid()))) return {};
  com::Ptr<IDispatch> dispatch;
  if (FAILED(object->QueryInterface(IID_IDispatch, dispatch.putVoid()))) return {};
  return dispatch;
}

}  // namespace

namespace html {

com::Ptr<IUnknown> Node::unknown() const {
  return *this ? com::Ptr<IUnknown>(self().object.get()) : com::Ptr<IUnknown>();
}

Node Node::FromUnknown(const com::Ptr<IUnknown>& object) {
  return wrap<Node>(dispatchIf(object, kIID_IHTMLDOMNode));
}

com::Ptr<IUnknown> TextRange::unknown() const {
  return *this ? com::Ptr<IUnknown>(self().object.get()) : com::Ptr<IUnknown>();
}

TextRange TextRange::FromUnknown(const com::Ptr<IUnknown>& object) {
  return wrap<TextRange>(dispatchIf(object, kIID_IHTMLTxtRange));
}

}  // namespace html
