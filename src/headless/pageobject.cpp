// Nodes and text ranges as COM objects: what a page hands another component holds the very
// object of the page, so that the handle made from it again is the same.
#include "headless/dom.h"
#include "headless/ranges.h"
#include "runtime/comobject.h"
#include "runtime/implementation.h"

namespace {

// {B7E2F1A1-5C3D-4F6E-8A9B-0C1D2E3F4A5B}: how the port recognises its own page objects.
FOLVERRA_MAKE_GUID(IID_IHeadlessPageObject, 0xB7E2F1A1, 0x5C3D, 0x4F6E, 0x8A, 0x9B, 0x0C, 0x1D,
                   0x2E, 0x3F, 0x4A, 0x5B);

class PageObject final : public com::Object<IUnknown> {
 public:
  explicit PageObject(std::shared_ptr<html::NodeImpl> node) : node(std::move(node)) {}
  explicit PageObject(std::shared_ptr<html::TextRangeImpl> range) : range(std::move(range)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IHeadlessPageObject))
      return E_NOINTERFACE;
    AddRef();
    *ppv = static_cast<IUnknown*>(this);
    return S_OK;
  }

  const std::shared_ptr<html::NodeImpl> node;
  const std::shared_ptr<html::TextRangeImpl> range;
};

template <class Impl>
com::Ptr<IUnknown> wrap(const platform::Handle<Impl>& handle) {
  if (!handle) return {};
  return com::Ptr<IUnknown>::adopt(new PageObject(platform::implementation(handle)));
}

PageObject* pageObjectOf(const com::Ptr<IUnknown>& object) {
  if (!object) return nullptr;
  com::Ptr<IUnknown> own;
  if (FAILED(object->QueryInterface(IID_IHeadlessPageObject, own.putVoid()))) return nullptr;
  return static_cast<PageObject*>(own.get());
}

}  // namespace

namespace html {

com::Ptr<IUnknown> Node::unknown() const {
  return wrap<NodeImpl>(*this);
}

Node Node::FromUnknown(const com::Ptr<IUnknown>& object) {
  const PageObject* own = pageObjectOf(object);
  return own && own->node ? Node(own->node) : Node();
}

com::Ptr<IUnknown> TextRange::unknown() const {
  return wrap<TextRangeImpl>(*this);
}

TextRange TextRange::FromUnknown(const com::Ptr<IUnknown>& object) {
  const PageObject* own = pageObjectOf(object);
  return own && own->range ? TextRange(own->range) : TextRange();
}

}  // namespace html
