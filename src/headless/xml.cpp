// The xml port on pugixml. A Document owns one pugi document; nodes the DOM holds outside the
// tree (created, removed, cloned, or displaced by a reload) are parked under a hidden "#limbo"
// element of it, never freed before the document, so no handle can dangle. The limbo is
// invisible to every member: children, text, markup, saving and XPath results.
#include "platform/xml.h"

#include <pugixml.hpp>

#include <cstdio>
#include <sstream>
#include <vector>

#include "platform/wintypes.h"
#include "runtime/error.h"

namespace xml {
namespace {

constexpr const char* kLimbo = "#limbo";
constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005u);
// As a fragment, so that text outside the root element is kept and can be refused.
constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_fragment;

struct DocData {
  pugi::xml_document doc;
  bool async = true;

  pugi::xml_node limbo() {
    pugi::xml_node l = doc.child(kLimbo);
    return l ? l : doc.append_child(kLimbo);
  }
  bool isLimbo(pugi::xml_node n) const {
    return n.parent() == doc && std::string_view(n.name()) == kLimbo;
  }
  bool inLimbo(pugi::xml_node n) const {
    for (; n && n != doc; n = n.parent())
      if (isLimbo(n)) return true;
    return false;
  }
  // Parks the document's visible children in the limbo. A declaration can live nowhere else
  // and no handle reaches it, so it goes.
  void clear() {
    pugi::xml_node l = limbo();
    for (pugi::xml_node c = doc.first_child(); c;) {
      pugi::xml_node next = c.next_sibling();
      if (c != l && !l.append_move(c)) doc.remove_child(c);
      c = next;
    }
  }
};

struct FileWriter : pugi::xml_writer {
  explicit FileWriter(std::FILE* f) : file(f) {}
  void write(const void* data, std::size_t size) override {
    ok = ok && std::fwrite(data, 1, size, file) == size;
  }
  std::FILE* file;
  bool ok = true;
};

bool readFile(const std::string& path, std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long size = std::ftell(file);
    if (size > 0) text.reserve(static_cast<std::size_t>(size));
    std::rewind(file);
  }
  char buffer[1 << 16];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

void print(std::ostream& out, pugi::xml_node n) {
  n.print(out, "", pugi::format_raw, pugi::encoding_utf8);
}

}  // namespace

struct NodeImpl {
  std::shared_ptr<DocData> data;
  pugi::xml_node node;
};

struct NodeListImpl {
  std::shared_ptr<DocData> data;
  std::vector<pugi::xml_node> nodes;
};

namespace {

Node wrap(const std::shared_ptr<DocData>& data, pugi::xml_node n) {
  if (!n) return Node();
  if (n == data->doc) return Document(std::make_shared<Node::Impl>(Node::Impl{data, n}));
  return Node(std::make_shared<Node::Impl>(Node::Impl{data, n}));
}

NodeList list(const std::shared_ptr<DocData>& data, std::vector<pugi::xml_node> nodes) {
  return NodeList(std::make_shared<NodeList::Impl>(NodeList::Impl{data, std::move(nodes)}));
}

[[noreturn]] void fail() {
  platform::raiseHResult(E_FAIL);
}

bool hasDuplicateAttribute(pugi::xml_node element) {
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute())
    for (pugi::xml_attribute b = a.next_attribute(); b; b = b.next_attribute())
      if (std::string_view(a.name()) == b.name()) return true;
  return false;
}

// What the parser lets through but a well-formed document may not hold: other than one root
// element, text outside it, or an attribute given twice.
bool wellFormedTree(const DocData& data) {
  std::vector<pugi::xml_node> stack;
  for (pugi::xml_node c : data.doc.children()) {
    if (data.isLimbo(c)) continue;
    if (c.type() == pugi::node_element) stack.push_back(c);
    if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) return false;
  }
  if (stack.size() != 1) return false;
  while (!stack.empty()) {
    pugi::xml_node n = stack.back();
    stack.pop_back();
    if (hasDuplicateAttribute(n)) return false;
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
      if (c.type() == pugi::node_element) stack.push_back(c);
  }
  return true;
}

// The text of n and its descendants, without the limbo; iterative for deep trees.
std::string collectText(const DocData& data, pugi::xml_node root) {
  if (root.type() == pugi::node_pcdata || root.type() == pugi::node_cdata) return root.value();
  std::string out;
  std::vector<pugi::xml_node> stack{root};
  while (!stack.empty()) {
    pugi::xml_node n = stack.back();
    stack.pop_back();
    if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) {
      out += n.value();
      continue;
    }
    std::vector<pugi::xml_node> kids;
    for (pugi::xml_node c : n.children())
      if (!data.isLimbo(c)) kids.push_back(c);
    stack.insert(stack.end(), kids.rbegin(), kids.rend());
  }
  return out;
}

}  // namespace

bool identical(const NodeImpl& a, const NodeImpl& b) {
  return a.node == b.node;
}

std::string Node::nodeName() const {
  pugi::xml_node n = self().node;
  switch (n.type()) {
    case pugi::node_document:
      return "#document";
    case pugi::node_pcdata:
      return "#text";
    case pugi::node_cdata:
      return "#cdata-section";
    case pugi::node_comment:
      return "#comment";
    case pugi::node_declaration:
      return "xml";
    default:
      return n.name();
  }
}

int Node::nodeType() const {
  switch (self().node.type()) {
    case pugi::node_element:
      return 1;
    case pugi::node_pcdata:
      return 3;
    case pugi::node_cdata:
      return 4;
    case pugi::node_pi:
    case pugi::node_declaration:
      return 7;
    case pugi::node_comment:
      return 8;
    case pugi::node_document:
      return 9;
    default:
      return 0;
  }
}

std::string Node::text() const {
  Impl& s = self();
  return collectText(*s.data, s.node);
}

void Node::setText(const std::string& value) {
  Impl& s = self();
  pugi::xml_node n = s.node;
  if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) {
    n.set_value(value.c_str());
    return;
  }
  if (n.type() != pugi::node_element) fail();
  pugi::xml_node limbo = s.data->limbo();
  while (pugi::xml_node c = n.first_child()) limbo.append_move(c);
  // As MSXML: an empty text leaves no text node, so the element serialises as <name/>.
  if (!value.empty()) n.append_child(pugi::node_pcdata).set_value(value.c_str());
}

std::string Node::xml() const {
  Impl& s = self();
  std::ostringstream out;
  if (s.node.type() == pugi::node_document) {
    for (pugi::xml_node c : s.node.children())
      if (!s.data->isLimbo(c)) print(out, c);
  } else {
    print(out, s.node);
  }
  return out.str();
}

std::optional<std::string> Node::getAttribute(const std::string& name) const {
  pugi::xml_attribute a = self().node.attribute(name.c_str());
  if (!a) return std::nullopt;
  return std::string(a.value());
}

void Node::setAttribute(const std::string& name, const std::string& value) {
  pugi::xml_node n = self().node;
  if (n.type() != pugi::node_element) fail();
  pugi::xml_attribute a = n.attribute(name.c_str());
  if (!a) a = n.append_attribute(name.c_str());
  a.set_value(value.c_str());
}

void Node::removeAttribute(const std::string& name) {
  pugi::xml_node n = self().node;
  n.remove_attribute(name.c_str());
}

Node Node::appendChild(const Node& child) {
  Impl& s = self();
  Impl& c = child.self();
  pugi::xml_node parent = s.node;
  if (c.node.type() == pugi::node_document) fail();
  if (c.data != s.data) return wrap(s.data, parent.append_copy(c.node));  // another document's
  if (parent.type() == pugi::node_document && c.node.type() == pugi::node_element) {
    for (pugi::xml_node k : parent.children())
      if (k.type() == pugi::node_element && !s.data->isLimbo(k) && k != c.node) fail();
  }
  pugi::xml_node moved = parent.append_move(c.node);
  if (!moved) fail();  // a node cannot become its own descendant
  return child;
}

Node Node::removeChild(const Node& child) {
  Impl& s = self();
  Impl& c = child.self();
  if (c.data != s.data || c.node.parent() != s.node || s.data->isLimbo(c.node))
    platform::raiseHResult(E_INVALIDARG);
  s.data->limbo().append_move(c.node);
  return child;
}

Node Node::cloneNode(bool deep) const {
  Impl& s = self();
  if (s.node.type() == pugi::node_document) {
    Document copy = Document::Create();
    if (deep) {
      auto& data = copy.self().data;
      for (pugi::xml_node c : s.node.children())
        if (!s.data->isLimbo(c)) data->doc.append_copy(c);
    }
    return copy;
  }
  pugi::xml_node limbo = s.data->limbo();
  if (deep) return wrap(s.data, limbo.append_copy(s.node));
  pugi::xml_node shallow = limbo.append_child(s.node.type());
  shallow.set_name(s.node.name());
  shallow.set_value(s.node.value());
  for (pugi::xml_attribute a : s.node.attributes()) shallow.append_copy(a);
  return wrap(s.data, shallow);
}

Node Node::parentNode() const {
  Impl& s = self();
  pugi::xml_node p = s.node.parent();
  if (!p || s.data->isLimbo(p)) return Node();
  return wrap(s.data, p);
}

Node Node::firstChild() const {
  Impl& s = self();
  for (pugi::xml_node c : s.node.children())
    if (!s.data->isLimbo(c)) return wrap(s.data, c);
  return Node();
}

NodeList Node::childNodes() const {
  Impl& s = self();
  std::vector<pugi::xml_node> nodes;
  for (pugi::xml_node c : s.node.children())
    if (!s.data->isLimbo(c)) nodes.push_back(c);
  return list(s.data, std::move(nodes));
}

Document Node::ownerDocument() const {
  Impl& s = self();
  if (s.node.type() == pugi::node_document) return Document();
  return Document(std::make_shared<Impl>(Impl{s.data, s.data->doc}));
}

NodeList Node::selectNodes(const std::string& xpath) const {
  Impl& s = self();
  pugi::xpath_node_set found;
  try {
    found = s.node.select_nodes(xpath.c_str());
  } catch (const pugi::xpath_exception& e) {
    platform::raise(platform::kInvalidCall, e.what());
  }
  const bool contextInLimbo = s.data->inLimbo(s.node);
  std::vector<pugi::xml_node> nodes;
  for (const pugi::xpath_node& x : found) {
    pugi::xml_node n = x.node();
    if (n && (contextInLimbo || !s.data->inLimbo(n))) nodes.push_back(n);
  }
  return list(s.data, std::move(nodes));
}

Node Node::selectSingleNode(const std::string& xpath) const {
  return selectNodes(xpath).item(0);
}

long NodeList::length() const {
  return static_cast<long>(self().nodes.size());
}

Node NodeList::item(long index) const {
  const Impl& l = self();
  if (index < 0 || index >= static_cast<long>(l.nodes.size())) return Node();
  return wrap(l.data, l.nodes[static_cast<std::size_t>(index)]);
}

Document Document::Create() {
  auto data = std::make_shared<DocData>();
  return Document(std::make_shared<Impl>(Impl{data, data->doc}));
}

void Document::setAsync(bool value) {
  self().data->async = value;
}

bool Document::loadXML(const std::string& text) {
  DocData& data = *self().data;
  data.clear();
  const pugi::xml_parse_result parsed =
      data.doc.append_buffer(text.data(), text.size(), kParseOptions);
  if (parsed && wellFormedTree(data)) return true;
  data.clear();
  return false;
}

bool Document::load(const std::string& path) {
  std::string text;
  if (!readFile(path, text)) {
    self().data->clear();
    return false;
  }
  return loadXML(text);
}

void Document::save(const std::string& path) const {
  Impl& s = self();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) platform::raiseHResult(kAccessDenied);
  FileWriter writer{file};
  for (pugi::xml_node c : s.node.children())
    if (!s.data->isLimbo(c)) c.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
  const bool written = writer.ok && std::fflush(file) == 0;
  if (std::fclose(file) != 0 || !written) platform::raiseHResult(kAccessDenied);
}

Node Document::documentElement() const {
  Impl& s = self();
  for (pugi::xml_node c : s.node.children())
    if (c.type() == pugi::node_element && !s.data->isLimbo(c)) return wrap(s.data, c);
  return Node();
}

Node Document::createElement(const std::string& name) const {
  Impl& s = self();
  if (name.empty() || name[0] == '#') platform::raiseHResult(E_FAIL);  // not an XML name
  pugi::xml_node e = s.data->limbo().append_child(pugi::node_element);
  e.set_name(name.c_str());
  return wrap(s.data, e);
}

Node Document::createTextNode(const std::string& text) const {
  Impl& s = self();
  pugi::xml_node t = s.data->limbo().append_child(pugi::node_pcdata);
  t.set_value(text.c_str());
  return wrap(s.data, t);
}

Node Document::createCDATASection(const std::string& text) const {
  Impl& s = self();
  pugi::xml_node t = s.data->limbo().append_child(pugi::node_cdata);
  t.set_value(text.c_str());
  return wrap(s.data, t);
}

}  // namespace xml
