#include "headless/dom.h"

#include <algorithm>

#include "runtime/strings.h"

namespace headless::dom {

DocumentData::DocumentData() {
  root = create(Kind::Document);
}

Node* DocumentData::create(Kind kind, std::string tagOrData) {
  Node& n = arena.emplace_back();
  n.kind = kind;
  n.doc = this;
  if (kind == Kind::Element)
    n.tag = platform::upperAscii(tagOrData);
  else
    n.data = std::move(tagOrData);
  return &n;
}

void detach(Node* node) {
  Node* parent = node->parent;
  if (!parent) return;
  (node->prev ? node->prev->next : parent->first) = node->next;
  (node->next ? node->next->prev : parent->last) = node->prev;
  node->parent = node->prev = node->next = nullptr;
  node->doc->changed();
}

void insertBefore(Node* parent, Node* child, Node* before) {
  detach(child);
  child->parent = parent;
  child->next = before;
  child->prev = before ? before->prev : parent->last;
  (child->prev ? child->prev->next : parent->first) = child;
  (before ? before->prev : parent->last) = child;
  parent->doc->changed();
}

void appendChild(Node* parent, Node* child) {
  insertBefore(parent, child, nullptr);
}

bool isAncestorOrSelf(const Node* ancestor, const Node* node) {
  for (; node; node = node->parent)
    if (node == ancestor) return true;
  return false;
}

void forEachBelow(Node* root, bool includeRoot, const std::function<bool(Node*)>& visit) {
  if (includeRoot && !visit(root)) return;
  Node* n = root->first;
  while (n) {
    const bool descend = visit(n);
    if (descend && n->first) {
      n = n->first;
      continue;
    }
    while (n && n != root && !n->next) n = n->parent;
    if (!n || n == root) break;
    n = n->next;
  }
}

void walk(Node* root, const std::function<bool(Node*)>& enter,
          const std::function<void(Node*)>& leave) {
  Node* n = root->first;
  while (n) {
    if (enter(n) && n->first) {
      n = n->first;
      continue;
    }
    leave(n);
    while (!n->next) {
      n = n->parent;
      if (n == root) return;
      leave(n);
    }
    n = n->next;
  }
}

// The walk ends at the match: declining to descend would still visit every later sibling of
// the match and of its ancestors, which made a lookup near the top of a long page cost the page.
Node* firstElementBelow(Node* root, const std::function<bool(Node*)>& match) {
  Node* n = root->first;
  while (n) {
    if (n->isElement() && match(n)) return n;
    if (n->first) {
      n = n->first;
      continue;
    }
    while (n != root && !n->next) n = n->parent;
    if (n == root) break;
    n = n->next;
  }
  return nullptr;
}

std::vector<Node*> elementsBelow(Node* root, std::string_view tagOrStar) {
  std::vector<Node*> found;
  const std::string tag = platform::upperAscii(tagOrStar);
  forEachBelow(root, false, [&](Node* n) {
    if (n->isElement() && (tag == "*" || n->tag == tag)) found.push_back(n);
    return true;
  });
  return found;
}

namespace {

Attributes::iterator findIn(Attributes& list, std::string_view name) {
  return std::find_if(list.begin(), list.end(),
                      [&](const auto& a) { return platform::equalsNoCase(a.first, name); });
}

}  // namespace

const std::string* findAttribute(const Node* element, std::string_view name) {
  if (platform::equalsNoCase(name, "style")) return nullptr;  // lives in the style
  auto& list = const_cast<Attributes&>(element->attributes);
  auto it = findIn(list, name);
  return it == list.end() ? nullptr : &it->second;
}

void setAttribute(Node* element, std::string_view name, std::string value) {
  if (platform::equalsNoCase(name, "style")) {
    element->style.clear();
    parseStyle(element, value);
  } else if (auto it = findIn(element->attributes, name); it != element->attributes.end()) {
    it->second = std::move(value);
  } else {
    element->attributes.emplace_back(std::string(name), std::move(value));
  }
  element->doc->changed();
}

bool removeAttribute(Node* element, std::string_view name) {
  if (platform::equalsNoCase(name, "style")) {
    const bool had = !element->style.empty();
    element->style.clear();
    element->doc->changed();
    return had;
  }
  auto it = findIn(element->attributes, name);
  if (it == element->attributes.end()) return false;
  element->attributes.erase(it);
  element->doc->changed();
  return true;
}

std::string cssName(std::string_view scriptingName) {
  std::string out;
  for (char c : scriptingName) {
    if (c >= 'A' && c <= 'Z') {
      out += '-';
      out += static_cast<char>(c + 32);
    } else {
      out += c;
    }
  }
  return out;
}

std::string styleValue(const Node* element, std::string_view name) {
  for (const auto& [key, value] : element->style)
    if (key == name) return value;
  return {};
}

void setStyleValue(Node* element, std::string_view name, const std::string& value) {
  auto it = std::find_if(element->style.begin(), element->style.end(),
                         [&](const auto& p) { return p.first == name; });
  if (value.empty()) {
    if (it != element->style.end()) element->style.erase(it);
  } else if (it != element->style.end()) {
    it->second = value;
  } else {
    element->style.emplace_back(std::string(name), value);
  }
  element->doc->changed();
}

namespace {

std::string_view trim(std::string_view s) {
  const auto space = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
  };
  while (!s.empty() && space(s.front())) s.remove_prefix(1);
  while (!s.empty() && space(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

void parseStyle(Node* element, std::string_view text) {
  while (!text.empty()) {
    const auto semi = text.find(';');
    std::string_view decl = text.substr(0, semi);
    text = semi == std::string_view::npos ? std::string_view() : text.substr(semi + 1);
    const auto colon = decl.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string name = platform::lowerAscii(trim(decl.substr(0, colon)));
    const std::string_view value = trim(decl.substr(colon + 1));
    if (!name.empty() && !value.empty()) setStyleValue(element, name, std::string(value));
  }
}

std::string cssText(const Node* element) {
  std::string out;
  for (const auto& [name, value] : element->style) {
    if (!out.empty()) out += "; ";
    out += platform::upperAscii(name) + ": " + value;
  }
  return out;
}

std::shared_ptr<html::Node::Impl> handle(Node* node) {
  if (!node) return nullptr;
  return std::make_shared<html::Node::Impl>(html::Node::Impl{node->doc->shared_from_this(), node});
}

html::Document newDocument(std::string_view markup, std::string url) {
  auto doc = std::make_shared<DocumentData>();
  doc->url = std::move(url);
  parseDocument(*doc, markup);
  return html::Document(handle(doc->root));
}

html::Location parseLocation(const std::string& url) {
  html::Location l;
  l.href = url;
  const auto colon = url.find(':');
  if (colon == std::string::npos) return l;
  l.protocol = platform::lowerAscii(url.substr(0, colon + 1));
  std::string rest = url.substr(colon + 1);
  if (rest.rfind("//", 0) == 0) {
    const auto end = rest.find_first_of("/?#", 2);
    l.host = rest.substr(2, end == std::string::npos ? std::string::npos : end - 2);
    rest = end == std::string::npos ? std::string() : rest.substr(end);
    const auto bracket = l.host.rfind(']');
    const auto portColon = l.host.rfind(':');
    l.hostname =
        portColon != std::string::npos && (bracket == std::string::npos || portColon > bracket)
            ? l.host.substr(0, portColon)
            : l.host;
  }
  const auto hash = rest.find('#');
  if (hash != std::string::npos) rest.erase(hash);
  const auto query = rest.find('?');
  l.pathname = rest.substr(0, query);
  if (query != std::string::npos && query + 1 < rest.size()) l.search = rest.substr(query);
  return l;
}

bool isBlock(const Node* n) {
  static const char* const kBlocks[] = {
      "ADDRESS", "BLOCKQUOTE", "BODY",     "CAPTION", "CENTER",  "DD",     "DIR",    "DIV",
      "DL",      "DT",         "FORM",     "H1",      "H2",      "H3",     "H4",     "H5",
      "H6",      "HR",         "LI",       "MENU",    "OL",      "P",      "PRE",    "TABLE",
      "TR",      "UL",         "FIELDSET", "ARTICLE", "SECTION", "HEADER", "FOOTER", "NAV"};
  if (!n->isElement()) return false;
  for (const char* b : kBlocks)
    if (n->tag == b) return true;
  return false;
}

Node* nodeOf(const html::Node& h) {
  const auto& held = platform::implementation(h);
  return held ? held->node : nullptr;
}

}  // namespace headless::dom
