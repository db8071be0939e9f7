// The xml port: the part of the MSXML 3 DOM the system uses.
// A platform implements every member, the Impl types behind the handles and identical() for
// nodes. Statuses: Document::load and loadXML answer false, as MSXML's do. Everything else
// raises: 91 for a member of Nothing, the DOM's HRESULT for a call it refuses, an error for a
// bad XPath expression.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "runtime/handle.h"

namespace xml {

class NodeList;
class Document;

// What a platform keeps behind the handles.
struct NodeImpl;
struct NodeListImpl;

// The very same node, for Node::is.
bool identical(const NodeImpl& a, const NodeImpl& b);

class Node : public platform::Handle<NodeImpl> {
 public:
  using Handle::Handle;

  std::string nodeName() const;
  // 1 element, 3 text, 4 CDATA section, 7 processing instruction, 8 comment, 9 document.
  int nodeType() const;
  // Text of the node and its descendants.
  std::string text() const;
  // Replaces the children with one text node.
  void setText(const std::string& value);
  // The node's markup.
  std::string xml() const;

  // Null (empty optional) when the attribute is absent.
  std::optional<std::string> getAttribute(const std::string& name) const;
  void setAttribute(const std::string& name, const std::string& value);
  void removeAttribute(const std::string& name);

  Node appendChild(const Node& child);
  Node removeChild(const Node& child);
  Node cloneNode(bool deep) const;
  Node parentNode() const;
  Node firstChild() const;
  NodeList childNodes() const;
  Document ownerDocument() const;

  // XPath; Nothing / an empty list when nothing matches. A bad expression raises.
  Node selectSingleNode(const std::string& xpath) const;
  NodeList selectNodes(const std::string& xpath) const;
};

class NodeList : public platform::Handle<NodeListImpl> {
 public:
  using Handle::Handle;
  long length() const;
  // Nothing when index is out of range, as the DOM's item does.
  Node item(long index) const;
};

class Document : public Node {
 public:
  using Node::Node;
  // A new, empty DOMDocument 3.0.
  static Document Create();

  void setAsync(bool value);
  // Replaces the content with the file's; false (and an empty document) when the file is
  // missing or not well-formed.
  bool load(const std::string& path);
  bool loadXML(const std::string& text);
  // Writes the document to path; raises when it cannot.
  void save(const std::string& path) const;

  Node documentElement() const;
  Node createElement(const std::string& name) const;
  Node createTextNode(const std::string& text) const;
  Node createCDATASection(const std::string& text) const;
};

}  // namespace xml
