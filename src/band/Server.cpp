#include "band/Server.h"

#include <new>

#include "band/ToolBar.h"
#include "clip/Clipper.h"
#include "runtime/comobject.h"

namespace {

template <class Class>
HRESULT classObject(REFIID riid, void** ppv) {
  const auto create = [](REFIID iid, void** out) -> HRESULT {
    Class* object = new (std::nothrow) Class();
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  };
  return com::classObject(create, riid, ppv, &ServerLocks());
}

com::ServerClass toolBarClass() {
  return {CLSID_ToolBar, kToolBarProgId, "Folverra Toolbar", &DllGetClassObject};
}

com::ServerClass clipperClass() {
  return {CLSID_Clipper, kClipperProgId, "Folverra Clipper", &DllGetClassObject};
}

}  // namespace

std::atomic<long>& ServerLocks() {
  static std::atomic<long> locks{0};
  return locks;
}

FOLVERRA_SERVER_ENTRY DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (IsEqualGUID(clsid, CLSID_ToolBar)) return classObject<ToolBar>(riid, ppv);
  if (IsEqualGUID(clsid, CLSID_Clipper)) return classObject<Clipper>(riid, ppv);
  return CLASS_E_CLASSNOTAVAILABLE;
}

FOLVERRA_SERVER_ENTRY DllCanUnloadNow() {
  return ServerLocks() == 0 ? S_OK : S_FALSE;
}

FOLVERRA_SERVER_ENTRY DllRegisterServer() {
  for (const com::ServerClass& entry : {toolBarClass(), clipperClass()}) {
    if (FAILED(com::RegisterServerClass(entry))) return SELFREG_E_CLASS;
  }
  return S_OK;
}

FOLVERRA_SERVER_ENTRY DllUnregisterServer() {
  HRESULT result = S_OK;
  for (const com::ServerClass& entry : {toolBarClass(), clipperClass()}) {
    if (FAILED(com::UnregisterServerClass(entry))) result = SELFREG_E_CLASS;
  }
  return result;
}
