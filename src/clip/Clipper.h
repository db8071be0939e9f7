// The creatable clip builder object: other components hand it a page, the object picked in it
// and the element path, and it clips that object as a click in clipping mode would.
#pragma once

#include "band/Server.h"
#include "runtime/comobject.h"

// {6B1F4A54-3C8E-4E0B-9F1D-2A7C5E9B4D10}
FOLVERRA_MAKE_GUID(IID__Clipper, 0x6B1F4A54, 0x3C8E, 0x4E0B, 0x9F, 0x1D, 0x2A, 0x7C, 0x5E, 0x9B,
                   0x4D, 0x10);

// The class's default interface. Every argument is the caller's own, by reference: the page's
// document, the text range or element picked, the element path (may be empty) and the column
// flag.
struct _Clipper : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Clip(IUnknown** oSourceDocument, IUnknown** oClipObject,
                                         BSTR* sPath, VARIANT_BOOL* bColumn) = 0;
};

class Clipper final : public com::Object<_Clipper> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return com::answer(riid, ppv, {{IID__Clipper, this}});
  }
  // Clips the object; what was clipped is left in the clip, nothing is answered. S_OK always.
  HRESULT STDMETHODCALLTYPE Clip(IUnknown** oSourceDocument, IUnknown** oClipObject, BSTR* sPath,
                                 VARIANT_BOOL* bColumn) override;

 private:
  ~Clipper() override = default;
  ServerObject counted_;
};
