// The html port's nodes, elements, documents and styles over the headless tree.
#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

#include "headless/dom.h"
#include "headless/fetch.h"
#include "runtime/error.h"
#include "runtime/strings.h"

namespace headless::dom {

// The href of the first BASE that has one, else the document's address; remembered until the
// page or its address changes, so reading every image's src does not walk the page each time.
const std::string& baseUrl(DocumentData& doc) {
  if (doc.baseVersion == doc.version && doc.baseFrom == doc.url) return doc.base;
  const Node* base = firstElementBelow(
      doc.root, [](Node* n) { return n->is("BASE") && findAttribute(n, "href"); });
  doc.base = base ? headless::resolveUrl(doc.url, *findAttribute(base, "href")) : doc.url;
  doc.baseFrom = doc.url;
  doc.baseVersion = doc.version;
  return doc.base;
}

}  // namespace headless::dom

namespace html {

using headless::dom::DocumentData;
using headless::dom::handle;
using headless::dom::Kind;
namespace dom = headless::dom;

namespace {

dom::Node* element(const Node::Impl& impl) {
  if (!impl.node->isElement()) platform::raise(platform::kNotSupported);
  return impl.node;
}

std::vector<Element> wrapElements(const std::vector<dom::Node*>& nodes) {
  std::vector<Element> out;
  out.reserve(nodes.size());
  for (dom::Node* n : nodes) out.emplace_back(handle(n));
  return out;
}

std::string attributeOr(const dom::Node* e, std::string_view name) {
  const std::string* v = dom::findAttribute(e, name);
  return v ? *v : std::string();
}

long numberOf(const std::string& text) {
  return std::strtol(text.c_str(), nullptr, 10);
}

bool tagIn(const dom::Node* e, std::initializer_list<std::string_view> tags) {
  return std::find(tags.begin(), tags.end(), e->tag) != tags.end();
}

// A reflected address: absolute, as the page's base makes it; "" when not given.
std::string addressOf(const dom::Node* e, std::string_view name) {
  const std::string* v = dom::findAttribute(e, name);
  if (!v || v->empty()) return {};
  return headless::resolveUrl(e->is("BASE") ? e->doc->url : dom::baseUrl(*e->doc), *v);
}

// Containers whose content script may not replace or add to.
bool refusesMarkup(const dom::Node* e) {
  return tagIn(e, {"COL", "COLGROUP", "FRAMESET", "HEAD", "HTML", "STYLE", "TABLE", "TBODY",
                   "TFOOT", "THEAD", "TITLE", "TR"});
}

dom::Node* markupTarget(const Node::Impl& impl) {
  dom::Node* e = element(impl);
  if (refusesMarkup(e)) platform::raise(platform::kInvalidCall);
  return e;
}

}  // namespace

// Node

bool identical(const NodeImpl& a, const NodeImpl& b) {
  return a.node == b.node;
}

std::string Node::typeName() const {
  return isNothing() ? "Nothing" : dom::typeName(self().node);
}

int Node::nodeType() const {
  switch (self().node->kind) {
    case Kind::Element:
      return 1;
    case Kind::Text:
      return 3;
    case Kind::Comment:
      return 8;
    case Kind::Document:
      return 9;
  }
  return 0;
}

std::string Node::nodeName() const {
  const dom::Node* n = self().node;
  switch (n->kind) {
    case Kind::Element:
      return n->tag;
    case Kind::Text:
      return "#text";
    case Kind::Comment:
      return "#comment";
    case Kind::Document:
      return "#document";
  }
  return {};
}

std::string Node::nodeValue() const {
  const dom::Node* n = self().node;
  return n->kind == Kind::Text || n->kind == Kind::Comment ? n->data : std::string();
}

void Node::setNodeValue(const std::string& value) {
  dom::Node* n = self().node;
  if (n->kind != Kind::Text && n->kind != Kind::Comment) return;
  n->data = value;
  n->doc->changed();
}

Node Node::parentNode() const {
  return Node(handle(self().node->parent));
}

std::vector<Node> Node::childNodes() const {
  std::vector<Node> out;
  for (dom::Node* c = self().node->first; c; c = c->next) out.emplace_back(handle(c));
  return out;
}

Node Node::appendChild(const Node& child) {
  dom::Node* parent = self().node;
  dom::Node* c = child.self().node;
  if (c->kind == Kind::Document || c->doc != parent->doc || dom::isAncestorOrSelf(c, parent))
    platform::raiseHResult(static_cast<std::int32_t>(0x80070057u));  // E_INVALIDARG
  dom::appendChild(parent, c);
  return child;
}

Node Node::removeChild(const Node& child) {
  dom::Node* c = child.self().node;
  if (c->parent != self().node) platform::raiseHResult(static_cast<std::int32_t>(0x80070057u));
  dom::detach(c);
  return child;
}

Document Node::ownerDocument() const {
  return Document(handle(self().node->doc->root));
}

Element Node::asElement() const {
  const auto& held = platform::implementation(*this);
  return held && held->node->isElement() ? Element(held) : Element();
}

Document Node::asDocument() const {
  const auto& held = platform::implementation(*this);
  return held && held->node->kind == Kind::Document ? Document(held) : Document();
}

// Style: the inline style of an element.

struct StyleImpl {
  std::shared_ptr<DocumentData> doc;
  dom::Node* node;
};

std::string Style::get(const std::string& name) const {
  return dom::styleValue(self().node, dom::cssName(name));
}

void Style::set(const std::string& name, const std::string& value) {
  dom::setStyleValue(self().node, dom::cssName(name), value);
}

long Style::pixelLeft() const {
  return numberOf(left());
}
void Style::setPixelLeft(long value) {
  setLeft(std::to_string(value) + "px");
}
std::string Style::cssText() const {
  return dom::cssText(self().node);
}

// Element

std::string Element::tagName() const {
  return element(self())->tag;
}
std::string Element::id() const {
  return attributeOr(element(self()), "id");
}
void Element::setId(const std::string& value) {
  dom::setAttribute(element(self()), "id", value);
}
std::string Element::name() const {
  return attributeOr(element(self()), "name");
}
std::string Element::className() const {
  return attributeOr(element(self()), "class");
}
void Element::setClassName(const std::string& value) {
  dom::setAttribute(element(self()), "class", value);
}

std::optional<std::string> Element::getAttribute(const std::string& name) const {
  const dom::Node* e = element(self());
  if (platform::equalsNoCase(name, "style"))
    return e->style.empty() ? std::nullopt : std::optional(dom::cssText(e));
  if (platform::equalsNoCase(name, "className")) return getAttribute("class");
  if (const std::string* v = dom::findAttribute(e, name)) return *v;
  return std::nullopt;
}

void Element::setAttribute(const std::string& name, const std::string& value) {
  dom::setAttribute(element(self()), platform::equalsNoCase(name, "className") ? "class" : name,
                    value);
}

bool Element::removeAttribute(const std::string& name) {
  return dom::removeAttribute(element(self()), name);
}

std::vector<Attribute> Element::attributes() const {
  const dom::Node* e = element(self());
  std::vector<Attribute> out;
  for (const auto& [name, value] : e->attributes) {
    auto [listed, read] = dom::scriptAttribute(name, value);
    out.push_back({std::move(listed), std::move(read), true});
  }
  if (!e->style.empty()) out.push_back({"style", dom::cssText(e), true});
  for (const auto& [name, value] : dom::defaultAttributes(e)) {
    if (!dom::findAttribute(e, name)) out.push_back({name, value, false});
  }
  return out;
}

Element Element::parentElement() const {
  dom::Node* p = self().node->parent;
  return p && p->isElement() ? Element(handle(p)) : Element();
}

std::vector<Element> Element::children() const {
  std::vector<Element> out;
  for (dom::Node* c = self().node->first; c; c = c->next)
    if (c->isElement()) out.emplace_back(handle(c));
  return out;
}

std::vector<Element> Element::all() const {
  return wrapElements(dom::elementsBelow(self().node));
}

std::vector<Element> Element::allTags(const std::string& tagName) const {
  return wrapElements(dom::elementsBelow(self().node, tagName));
}

std::vector<Element> Element::getElementsByTagName(const std::string& tagName) const {
  return allTags(tagName);
}

bool Element::contains(const Element& other) const {
  if (other.isNothing()) return false;
  return dom::isAncestorOrSelf(self().node, other.self().node);
}

std::string Element::innerText() const {
  return dom::innerText(element(self()));
}

void Element::setInnerText(const std::string& text) {
  dom::Node* e = markupTarget(self());
  while (dom::Node* c = e->first) dom::detach(c);
  if (!text.empty()) dom::appendChild(e, e->doc->create(Kind::Text, text));
}

std::string Element::innerHTML() const {
  return dom::innerHTML(element(self()));
}

void Element::setInnerHTML(const std::string& markup) {
  dom::Node* e = markupTarget(self());
  while (dom::Node* c = e->first) dom::detach(c);
  for (dom::Node* n : dom::parseFragment(*e->doc, markup, e->tag)) dom::appendChild(e, n);
}

std::string Element::outerHTML() const {
  return dom::outerHTML(element(self()));
}

void Element::insertAdjacentHTML(const std::string& where, const std::string& markup) {
  dom::Node* e = element(self());
  const std::string w = platform::lowerAscii(where);
  const bool outside = w == "beforebegin" || w == "afterend";
  if (!outside && w != "afterbegin" && w != "beforeend") platform::raise(platform::kInvalidCall);
  dom::Node* parent = outside ? e->parent : e;
  if (!parent || !parent->isElement() || refusesMarkup(parent))
    platform::raise(platform::kInvalidCall);
  dom::Node* before = w == "beforebegin"  ? e
                      : w == "afterend"   ? e->next
                      : w == "afterbegin" ? e->first
                                          : nullptr;
  for (dom::Node* n : dom::parseFragment(*e->doc, markup, parent->tag))
    dom::insertBefore(parent, n, before);
}

void Element::normalize() {
  std::vector<dom::Node*> texts;
  dom::forEachBelow(element(self()), false, [&](dom::Node* n) {
    if (n->kind == Kind::Text) texts.push_back(n);
    return true;
  });
  // Collected first: the walk must not run over nodes it is removing.
  for (dom::Node* t : texts) {
    if (!t->parent) continue;
    while (t->next && t->next->kind == Kind::Text) {
      t->data += t->next->data;
      dom::detach(t->next);
    }
    if (t->data.empty()) dom::detach(t);
  }
}

Style Element::style() const {
  const Impl& s = self();
  return Style(std::make_shared<Style::Impl>(Style::Impl{s.doc, element(s)}));
}

std::string Element::align() const {
  return attributeOr(element(self()), "align");
}
std::string Element::background() const {
  return attributeOr(element(self()), "background");
}
std::string Element::bgColor() const {
  return attributeOr(element(self()), "bgcolor");
}
std::string Element::src() const {
  const dom::Node* e = element(self());
  if (tagIn(e, {"IMG", "IFRAME", "FRAME", "SCRIPT", "EMBED", "INPUT", "VIDEO", "AUDIO", "SOURCE"}))
    return addressOf(e, "src");
  return attributeOr(e, "src");
}
std::string Element::alt() const {
  return attributeOr(element(self()), "alt");
}
std::string Element::href() const {
  const dom::Node* e = element(self());
  if (tagIn(e, {"A", "AREA", "LINK", "BASE"})) return addressOf(e, "href");
  return attributeOr(e, "href");
}
std::string Element::value() const {
  return attributeOr(element(self()), "value");
}
std::string Element::content() const {
  return attributeOr(element(self()), "content");
}

std::string Element::type() const {
  const dom::Node* e = element(self());
  std::string t = platform::lowerAscii(attributeOr(e, "type"));
  return t.empty() && e->is("INPUT") ? "text" : t;
}

namespace {

// An image answers the size it is drawn at; anything else, and an image not drawn, the number
// its attribute starts with.
long drawnOr(const dom::Node* e, std::string_view attribute, long dom::Box::*size) {
  if (e->is("IMG")) {
    dom::ensureLayout(*e->doc);
    if (e->box.rendered) return e->box.*size;
  }
  return numberOf(attributeOr(e, attribute));
}

}  // namespace

long Element::width() const {
  return drawnOr(element(self()), "width", &dom::Box::width);
}
long Element::height() const {
  return drawnOr(element(self()), "height", &dom::Box::height);
}

// Document

Element Document::body() const {
  dom::Node* found = dom::firstElementBelow(
      self().node, [](dom::Node* n) { return n->is("BODY") || n->is("FRAMESET"); });
  return found ? Element(handle(found)) : Element();
}

Element Document::documentElement() const {
  for (dom::Node* c = self().node->first; c; c = c->next)
    if (c->isElement()) return Element(handle(c));
  return Element();
}

std::string Document::title() const {
  dom::Node* found =
      dom::firstElementBelow(self().node, [](dom::Node* n) { return n->is("TITLE"); });
  return found ? dom::textContent(found) : std::string();
}

std::string Document::URL() const {
  return self().node->doc->url;
}
std::string Document::readyState() const {
  return self().node->doc->readyState;
}
std::string Document::designMode() const {
  return self().node->doc->designMode;
}

void Document::setDesignMode(const std::string& value) {
  const std::string v = platform::lowerAscii(value);
  if (v != "on" && v != "off" && v != "inherit") platform::raise(platform::kInvalidCall);
  self().node->doc->designMode = v == "on" ? "On" : v == "off" ? "Off" : "Inherit";
}

namespace {

std::string bodyColour(const Document& doc, std::string_view attribute, const char* fallback) {
  Element body = doc.body();
  if (body) {
    if (auto v = body.getAttribute(std::string(attribute)); v && !v->empty())
      return platform::lowerAscii(*v);
  }
  return fallback;
}

}  // namespace

// The browser's defaults where the page sets none.
std::string Document::bgColor() const {
  return bodyColour(*this, "bgcolor", "#ffffff");
}
std::string Document::fgColor() const {
  return bodyColour(*this, "text", "#000000");
}
std::string Document::linkColor() const {
  return bodyColour(*this, "link", "#0000ff");
}
std::string Document::vlinkColor() const {
  return bodyColour(*this, "vlink", "#800080");
}

Element Document::createElement(const std::string& tagName) const {
  if (tagName.empty() || tagName.find_first_of(" <>/\"'=") != std::string::npos)
    platform::raise(platform::kInvalidCall);
  return Element(handle(self().node->doc->create(Kind::Element, tagName)));
}

Element Document::getElementById(const std::string& id) const {
  dom::Node* found = dom::firstElementBelow(self().node, [&](dom::Node* n) {
    const std::string* v = dom::findAttribute(n, "id");
    return v && platform::equalsNoCase(*v, id);
  });
  return found ? Element(handle(found)) : Element();
}

std::vector<Element> Document::getElementsByName(const std::string& name) const {
  std::vector<Element> out;
  for (dom::Node* n : dom::elementsBelow(self().node)) {
    const std::string* byName = dom::findAttribute(n, "name");
    const std::string* byId = dom::findAttribute(n, "id");
    if ((byName && *byName == name) || (byId && *byId == name)) out.emplace_back(handle(n));
  }
  return out;
}

std::vector<Element> Document::getElementsByTagName(const std::string& tagName) const {
  return allTags(tagName);
}

std::vector<Element> Document::all() const {
  return wrapElements(dom::elementsBelow(self().node));
}

std::vector<Element> Document::allTags(const std::string& tagName) const {
  return wrapElements(dom::elementsBelow(self().node, tagName));
}

Location Document::location() const {
  return dom::parseLocation(self().node->doc->url);
}

}  // namespace html
