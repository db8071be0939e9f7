// The creatable clip builder object. Its Clip method comes with the clip builder itself;
// for now it is only the registered, creatable class.
#pragma once

#include "band/Server.h"
#include "runtime/comobject.h"

class Clipper final : public com::Object<IUnknown> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return com::answer(riid, ppv, {{IID_IUnknown, this}});
  }

 private:
  ~Clipper() override = default;
  ServerObject counted_;
};
