#include "platform/xml.h"

#include <msxml2.h>

#include <type_traits>

#include "platform/com.h"
#include "runtime/implementation.h"
#include "win32/wide.h"

namespace xml {

struct NodeImpl {
  com::Ptr<IXMLDOMNode> node;
};

struct NodeListImpl {
  com::Ptr<IXMLDOMNodeList> list;
};

namespace {

constexpr const char* kDocumentProgId = "Msxml2.DOMDocument.3.0";
// MinGW-w64's uuid library lacks this one.
FOLVERRA_MAKE_GUID(kIID_IXMLDOMDocument2, 0x2933BF95, 0x7B36, 0x11D2, 0xB2, 0x0E, 0x00, 0xC0, 0x4F,
                   0x98, 0x3E, 0x60);

// Takes over a reference the DOM handed out; a null one is Nothing.
template <class Handle, class Interface>
Handle adopt(Interface* raw) {
  if (!raw) return Handle();
  auto impl = std::make_shared<typename Handle::Impl>();
  if constexpr (std::is_same_v<Handle, NodeList>) {
    impl->list = com::Ptr<IXMLDOMNodeList>::adopt(raw);
  } else {
    IXMLDOMNode* node = nullptr;
    const HRESULT hr = raw->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(&node));
    raw->Release();
    platform::check(hr);
    impl->node = com::Ptr<IXMLDOMNode>::adopt(node);
  }
  return Handle(std::move(impl));
}

// Calls a getter that hands out a new reference and wraps the result.
template <class Handle, class Interface, class Call>
Handle fetch(Call&& call) {
  Interface* raw = nullptr;
  platform::check(call(&raw));
  return adopt<Handle>(raw);
}

template <class Call>
std::string fetchText(Call&& call) {
  win32::Bstr text;
  platform::check(call(text.put()));
  return text.utf8();
}

IXMLDOMNode* rawNode(const Node& node) {
  return node ? platform::implementation(node)->node.get() : nullptr;
}

com::Ptr<IXMLDOMElement> element(const com::Ptr<IXMLDOMNode>& node) {
  return node.query<IXMLDOMElement>(IID_IXMLDOMElement);
}

com::Ptr<IXMLDOMDocument2> document(const Node& node) {
  return platform::deref(platform::implementation(node))
      .node.query<IXMLDOMDocument2>(kIID_IXMLDOMDocument2);
}

}  // namespace

// COM identity, through IUnknown.
bool identical(const NodeImpl& a, const NodeImpl& b) {
  return a.node.is(b.node);
}

std::string Node::nodeName() const {
  return fetchText([&](BSTR* out) { return self().node->get_nodeName(out); });
}

int Node::nodeType() const {
  DOMNodeType type = NODE_INVALID;
  platform::check(self().node->get_nodeType(&type));
  return static_cast<int>(type);
}

std::string Node::text() const {
  return fetchText([&](BSTR* out) { return self().node->get_text(out); });
}

void Node::setText(const std::string& value) {
  platform::check(self().node->put_text(win32::Bstr(value).get()));
}

std::string Node::xml() const {
  return fetchText([&](BSTR* out) { return self().node->get_xml(out); });
}

std::optional<std::string> Node::getAttribute(const std::string& name) const {
  win32::Variant value;
  platform::check(element(self().node)->getAttribute(win32::Bstr(name).get(), value.get()));
  if (value.value().vt == VT_NULL) return std::nullopt;
  platform::check(VariantChangeType(value.get(), value.get(), 0, VT_BSTR));
  return win32::narrow(value.value().bstrVal, SysStringLen(value.value().bstrVal));
}

void Node::setAttribute(const std::string& name, const std::string& value) {
  win32::Variant text(value);
  platform::check(element(self().node)->setAttribute(win32::Bstr(name).get(), text.value()));
}

void Node::removeAttribute(const std::string& name) {
  platform::check(element(self().node)->removeAttribute(win32::Bstr(name).get()));
}

Node Node::appendChild(const Node& child) {
  return fetch<Node, IXMLDOMNode>(
      [&](IXMLDOMNode** out) { return self().node->appendChild(rawNode(child), out); });
}

Node Node::removeChild(const Node& child) {
  return fetch<Node, IXMLDOMNode>(
      [&](IXMLDOMNode** out) { return self().node->removeChild(rawNode(child), out); });
}

Node Node::cloneNode(bool deep) const {
  return fetch<Node, IXMLDOMNode>([&](IXMLDOMNode** out) {
    return self().node->cloneNode(deep ? VARIANT_TRUE : VARIANT_FALSE, out);
  });
}

Node Node::parentNode() const {
  return fetch<Node, IXMLDOMNode>(
      [&](IXMLDOMNode** out) { return self().node->get_parentNode(out); });
}

Node Node::firstChild() const {
  return fetch<Node, IXMLDOMNode>(
      [&](IXMLDOMNode** out) { return self().node->get_firstChild(out); });
}

NodeList Node::childNodes() const {
  return fetch<NodeList, IXMLDOMNodeList>(
      [&](IXMLDOMNodeList** out) { return self().node->get_childNodes(out); });
}

Document Node::ownerDocument() const {
  return fetch<Document, IXMLDOMDocument>(
      [&](IXMLDOMDocument** out) { return self().node->get_ownerDocument(out); });
}

Node Node::selectSingleNode(const std::string& xpath) const {
  return fetch<Node, IXMLDOMNode>([&](IXMLDOMNode** out) {
    return self().node->selectSingleNode(win32::Bstr(xpath).get(), out);
  });
}

NodeList Node::selectNodes(const std::string& xpath) const {
  return fetch<NodeList, IXMLDOMNodeList>([&](IXMLDOMNodeList** out) {
    return self().node->selectNodes(win32::Bstr(xpath).get(), out);
  });
}

long NodeList::length() const {
  long n = 0;
  platform::check(self().list->get_length(&n));
  return n;
}

Node NodeList::item(long index) const {
  const Impl& l = self();
  return fetch<Node, IXMLDOMNode>([&](IXMLDOMNode** out) { return l.list->get_item(index, out); });
}

// The system's queries are XPath; a 3.0 document would otherwise read them as XSL Patterns.
Document Document::Create() {
  const CLSID clsid = com::CLSIDFromProgID(kDocumentProgId);
  Document doc = fetch<Document, IXMLDOMDocument2>([&](IXMLDOMDocument2** out) {
    return com::CoCreateInstance(clsid, nullptr, kIID_IXMLDOMDocument2,
                                 reinterpret_cast<void**>(out));
  });
  win32::Variant language("XPath");
  platform::check(
      document(doc)->setProperty(win32::Bstr("SelectionLanguage").get(), language.value()));
  return doc;
}

void Document::setAsync(bool value) {
  platform::check(document(*this)->put_async(value ? VARIANT_TRUE : VARIANT_FALSE));
}

bool Document::load(const std::string& path) {
  win32::Variant source(path);
  VARIANT_BOOL ok = VARIANT_FALSE;
  platform::check(document(*this)->load(source.value(), &ok));
  return ok == VARIANT_TRUE;
}

bool Document::loadXML(const std::string& text) {
  VARIANT_BOOL ok = VARIANT_FALSE;
  platform::check(document(*this)->loadXML(win32::Bstr(text).get(), &ok));
  return ok == VARIANT_TRUE;
}

void Document::save(const std::string& path) const {
  win32::Variant target(path);
  const HRESULT hr = document(*this)->save(target.value());
  if (FAILED(hr)) platform::raiseHResult(hr);
}

Node Document::documentElement() const {
  return fetch<Node, IXMLDOMElement>(
      [&](IXMLDOMElement** out) { return document(*this)->get_documentElement(out); });
}

Node Document::createElement(const std::string& name) const {
  return fetch<Node, IXMLDOMElement>([&](IXMLDOMElement** out) {
    return document(*this)->createElement(win32::Bstr(name).get(), out);
  });
}

Node Document::createTextNode(const std::string& text) const {
  return fetch<Node, IXMLDOMText>([&](IXMLDOMText** out) {
    return document(*this)->createTextNode(win32::Bstr(text).get(), out);
  });
}

Node Document::createCDATASection(const std::string& text) const {
  return fetch<Node, IXMLDOMCDATASection>([&](IXMLDOMCDATASection** out) {
    return document(*this)->createCDATASection(win32::Bstr(text).get(), out);
  });
}

}  // namespace xml
