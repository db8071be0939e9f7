// The desk band the browser creates. It holds no state: every method delegates to the band
// window unit, fills a structure with constants, or refuses.
#pragma once

#include <string>

#include "band/Server.h"
#include "runtime/comobject.h"

// The class's default interface (_Toolbar), callable by page script.
// {6B1F4A54-3C8E-4E0B-9F1D-2A7C5E9B4D10}
FOLVERRA_MAKE_GUID(IID_I_Toolbar, 0x6B1F4A54, 0x3C8E, 0x4E0B, 0x9F, 0x1D, 0x2A, 0x7C, 0x5E, 0x9B,
                   0x4D, 0x10);
struct I_Toolbar : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE SetToolbar(VARIANT_BOOL* result) = 0;
};
constexpr DISPID kDispIdSetToolbar = 1;

constexpr int kBandWidth = 36;
constexpr int kBandHeight = 25;

class ToolBar final : public com::Object<IDeskBand, IInputObject, IObjectWithSite, IPersistStream,
                                         IObjectSafety, I_Toolbar> {
 public:
  ToolBar();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;

  // IDeskBand, with the IDockingWindow and IOleWindow members it inherits.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) override;
  HRESULT STDMETHODCALLTYPE ShowDW(BOOL fShow) override;
  HRESULT STDMETHODCALLTYPE CloseDW(DWORD dwReserved) override;
  HRESULT STDMETHODCALLTYPE ResizeBorderDW(LPCRECT border, IUnknown* site, BOOL fReserved) override;
  HRESULT STDMETHODCALLTYPE GetBandInfo(DWORD dwBandID, DWORD dwViewMode,
                                        DESKBANDINFO* pdbi) override;

  // IInputObject
  HRESULT STDMETHODCALLTYPE UIActivateIO(BOOL fActivate, MSG* msg) override;
  HRESULT STDMETHODCALLTYPE HasFocusIO() override;
  HRESULT STDMETHODCALLTYPE TranslateAcceleratorIO(MSG* msg) override;

  // IObjectWithSite
  HRESULT STDMETHODCALLTYPE SetSite(IUnknown* pUnkSite) override;
  HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** ppvSite) override;

  // IPersistStream, with the IPersist member it inherits.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(IStream* pStm) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* pStm, BOOL fClearDirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* pcbSize) override;

  // IObjectSafety
  HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID riid, DWORD* supported,
                                                      DWORD* enabled) override;
  HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID riid, DWORD mask,
                                                      DWORD enabled) override;

  // _Toolbar, early bound and through IDispatch.
  HRESULT STDMETHODCALLTYPE SetToolbar(VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                          DISPID* rgDispId) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                   DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                   EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

 private:
  ~ToolBar() override;

  // The IOleWindow, IDockingWindow and IPersist handlers are separate sets of their own.
  class OleWindow final : public com::Part<IOleWindow> {
   public:
    explicit OleWindow(ToolBar& band);
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) override;
  };
  class DockingWindow final : public com::Part<IDockingWindow> {
   public:
    explicit DockingWindow(ToolBar& band);
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) override;
    HRESULT STDMETHODCALLTYPE ShowDW(BOOL fShow) override;
    HRESULT STDMETHODCALLTYPE CloseDW(DWORD dwReserved) override;
    HRESULT STDMETHODCALLTYPE ResizeBorderDW(LPCRECT border, IUnknown* site,
                                             BOOL fReserved) override;

   private:
    ToolBar& band_;
  };
  class Persist final : public com::Part<IPersist> {
   public:
    explicit Persist(ToolBar& band);
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
  };

  IUnknown* identity() { return static_cast<IDeskBand*>(this); }

  ServerObject counted_;
  OleWindow oleWindow_{*this};
  DockingWindow dockingWindow_{*this};
  Persist persist_{*this};
};
