// The com port: HRESULT, GUID, IUnknown and the shell interfaces the band implements or calls,
// a counted reference, and the class registry calls (creation by ProgID or CLSID, server
// registration). On Windows these are the SDK's; elsewhere they are declared here with the
// published layouts and identifiers.
// A platform implements the functions after com::Ptr. Statuses: the interfaces' methods,
// CoCreateInstance, RegisterServerClass and UnregisterServerClass answer an HRESULT, as COM
// does, and raise nothing. Everything else raises: the failing HRESULT (Ptr::query,
// CLSIDFromString, CLSIDFromProgID), 91 for a member reached through an empty Ptr.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "platform/wintypes.h"
#include "runtime/error.h"

#ifdef _WIN32
#include <ocidl.h>
#include <objsafe.h>
#include <servprov.h>
#include <shlobj.h>
#include <exdisp.h>
#else

FOLVERRA_MAKE_GUID(IID_IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00,
                   0x00, 0x46);
FOLVERRA_MAKE_GUID(IID_IClassFactory, 0x00000001, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00,
                   0x00, 0x00, 0x46);
FOLVERRA_MAKE_GUID(IID_IDispatch, 0x00020400, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00,
                   0x00, 0x46);
FOLVERRA_MAKE_GUID(IID_IOleWindow, 0x00000114, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00,
                   0x00, 0x46);
FOLVERRA_MAKE_GUID(IID_IDockingWindow, 0x012dd920, 0x7b26, 0x11d0, 0x8c, 0xa9, 0x00, 0xa0, 0xc9,
                   0x2d, 0xbf, 0xe8);
FOLVERRA_MAKE_GUID(IID_IDeskBand, 0xEB0FE172, 0x1A3A, 0x11D0, 0x89, 0xB3, 0x00, 0xA0, 0xC9, 0x0A,
                   0x90, 0xAC);
FOLVERRA_MAKE_GUID(IID_IInputObject, 0x68284FAA, 0x6A48, 0x11D0, 0x8C, 0x78, 0x00, 0xC0, 0x4F, 0xD9,
                   0x18, 0xB4);
FOLVERRA_MAKE_GUID(IID_IObjectWithSite, 0xFC4801A3, 0x2BA9, 0x11CF, 0xA2, 0x29, 0x00, 0xAA, 0x00,
                   0x3D, 0x73, 0x52);
FOLVERRA_MAKE_GUID(IID_IPersist, 0x0000010C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00,
                   0x00, 0x46);
FOLVERRA_MAKE_GUID(IID_IPersistStream, 0x00000109, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00,
                   0x00, 0x00, 0x46);
FOLVERRA_MAKE_GUID(IID_IObjectSafety, 0xCB5BDC81, 0x93C1, 0x11CF, 0x8F, 0x20, 0x00, 0x80, 0x5F,
                   0x2C, 0xD0, 0x64);
FOLVERRA_MAKE_GUID(IID_IServiceProvider, 0x6D5140C1, 0x7436, 0x11CE, 0x80, 0x34, 0x00, 0xAA, 0x00,
                   0x60, 0x09, 0xFA);
FOLVERRA_MAKE_GUID(IID_IWebBrowserApp, 0x0002DF05, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00,
                   0x00, 0x00, 0x46);
FOLVERRA_MAKE_GUID(IID_IWebBrowser2, 0xD30C1661, 0xCDAF, 0x11D0, 0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9,
                   0xE2, 0x6E);

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct IStream : IUnknown {};

struct IClassFactory : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) = 0;
  virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) = 0;
};

struct IOleWindow : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) = 0;
  virtual HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) = 0;
};

struct IDockingWindow : IOleWindow {
  virtual HRESULT STDMETHODCALLTYPE ShowDW(BOOL fShow) = 0;
  virtual HRESULT STDMETHODCALLTYPE CloseDW(DWORD dwReserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE ResizeBorderDW(LPCRECT border, IUnknown* site,
                                                   BOOL fReserved) = 0;
};

constexpr DWORD DBIM_MINSIZE = 0x1;
constexpr DWORD DBIM_MAXSIZE = 0x2;
constexpr DWORD DBIM_INTEGRAL = 0x4;
constexpr DWORD DBIM_ACTUAL = 0x8;
constexpr DWORD DBIM_TITLE = 0x10;
constexpr DWORD DBIM_MODEFLAGS = 0x20;
constexpr DWORD DBIM_BKCOLOR = 0x40;
constexpr DWORD DBIMF_NORMAL = 0;

struct DESKBANDINFO {
  DWORD dwMask;
  POINTL ptMinSize;
  POINTL ptMaxSize;
  POINTL ptIntegral;
  POINTL ptActual;
  WCHAR wszTitle[256];
  DWORD dwModeFlags;
  COLORREF crBkgnd;
};

struct IDeskBand : IDockingWindow {
  virtual HRESULT STDMETHODCALLTYPE GetBandInfo(DWORD dwBandID, DWORD dwViewMode,
                                                DESKBANDINFO* pdbi) = 0;
};

struct IInputObject : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE UIActivateIO(BOOL fActivate, MSG* msg) = 0;
  virtual HRESULT STDMETHODCALLTYPE HasFocusIO() = 0;
  virtual HRESULT STDMETHODCALLTYPE TranslateAcceleratorIO(MSG* msg) = 0;
};

struct IObjectWithSite : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** ppvSite) = 0;
};

struct IPersist : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) = 0;
};

struct IPersistStream : IPersist {
  virtual HRESULT STDMETHODCALLTYPE IsDirty() = 0;
  virtual HRESULT STDMETHODCALLTYPE Load(IStream* stream) = 0;
  virtual HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL fClearDirty) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* pcbSize) = 0;
};

struct IObjectSafety : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID riid, DWORD* supported,
                                                              DWORD* enabled) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID riid, DWORD mask,
                                                              DWORD enabled) = 0;
};

struct IServiceProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) = 0;
};

// Automation: what a late-bound caller (page script) needs to reach a dual interface.
using OLECHAR = WCHAR;
using LPOLESTR = OLECHAR*;
using BSTR = OLECHAR*;
using DISPID = LONG;
using LCID = DWORD;
using VARTYPE = std::uint16_t;
using SCODE = LONG;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_ERROR = 10;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;
constexpr WORD DISPATCH_METHOD = 1;
constexpr WORD DISPATCH_PROPERTYGET = 2;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004u);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1, wReserved2, wReserved3;
  union {
    LONG lVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    BSTR bstrVal;
    IUnknown* punkVal;
    void* byref;
  };
};
struct DISPPARAMS {
  VARIANT* rgvarg;
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};
struct EXCEPINFO;
struct ITypeInfo;

struct IDispatch : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                                                  LCID lcid, DISPID* rgDispId) = 0;
  virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                           DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                           EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;
};
#endif

namespace com {

// A counted reference. Using an empty one raises run-time error 91.
template <class T>
class Ptr {
 public:
  Ptr() = default;
  Ptr(std::nullptr_t) {}
  // Takes a new reference to p (AddRef).
  explicit Ptr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  Ptr(const Ptr& o) : Ptr(o.p_) {}
  Ptr(Ptr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  Ptr& operator=(Ptr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~Ptr() { reset(); }

  // Adopts a reference the caller already owns (no AddRef).
  static Ptr adopt(T* p) {
    Ptr r;
    r.p_ = p;
    return r;
  }

  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* get() const { return p_; }
  T* operator->() const {
    if (!p_) platform::raiseNothing();
    return p_;
  }
  explicit operator bool() const { return p_ != nullptr; }
  bool isNothing() const { return p_ == nullptr; }

  // For out-parameters: releases what is held and hands out the slot.
  T** put() {
    reset();
    return &p_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  T* detach() { return std::exchange(p_, nullptr); }

  // QueryInterface; a failing HRESULT is raised.
  template <class U>
  Ptr<U> query(REFIID iid) const {
    Ptr<U> out;
    platform::check((*this)->QueryInterface(iid, out.putVoid()));
    return out;
  }

  // Object identity, through IUnknown.
  template <class U>
  bool is(const Ptr<U>& other) const {
    return identity(p_) == identity(other.get());
  }

 private:
  template <class X>
  static void* identity(X* p) {
    if (!p) return nullptr;
    IUnknown* unk = nullptr;
    if (FAILED(p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unk)))) return p;
    unk->Release();
    return unk;
  }

  T* p_ = nullptr;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex.
std::string guidToString(const GUID& guid);
// Parses the braced form; raises CO_E_CLASSSTRING when it is not one.
GUID CLSIDFromString(const std::string& text);
// Looks the ProgID up in the class registry; raises when it is not registered.
CLSID CLSIDFromProgID(const std::string& progId);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, REFIID riid, void** ppv);

// What a server registers for one of its classes.
struct ServerClass {
  CLSID clsid;
  std::string progId;
  std::string description;
  // How the class registry reaches the server's class objects where there is no module to
  // load (the headless platform); the Windows registry names the module instead.
  HRESULT (*getClassObject)(REFCLSID, REFIID, void**) = nullptr;
};
HRESULT RegisterServerClass(const ServerClass& entry);
HRESULT UnregisterServerClass(const ServerClass& entry);

}  // namespace com
