#include "band/ToolBar.h"

#include "band/Reporter.h"
#include "band/mdlCommon.h"
#include "band/mdlToolband.h"
#include "runtime/strings.h"

namespace {
constexpr Reporter kReporter{kProjectName, "Toolbar"};

template <class T>
T& required(T* p) {
  if (!p) platform::raiseHResult(E_POINTER);
  return *p;
}
}  // namespace

ToolBar::ToolBar() {
  kReporter.Trace("Entering Class_Initialize()");
  kReporter.guard("Class_Initialize()", [&] { SetToolband(com::Ptr<IUnknown>(identity())); });
}

ToolBar::~ToolBar() {
  kReporter.Trace("Entering Class_Terminate()");
  kReporter.guard("Class_Terminate()", [&] {
    // Another band created later on this thread owns the slot now; leave it.
    if (Toolband().get() == identity()) SetToolband(nullptr);
  });
}

HRESULT ToolBar::QueryInterface(REFIID riid, void** ppv) {
  return com::answer(riid, ppv,
                     {{IID_IDeskBand, static_cast<IDeskBand*>(this)},
                      {IID_IDockingWindow, &dockingWindow_},
                      {IID_IOleWindow, &oleWindow_},
                      {IID_IInputObject, static_cast<IInputObject*>(this)},
                      {IID_IObjectWithSite, static_cast<IObjectWithSite*>(this)},
                      {IID_IPersistStream, static_cast<IPersistStream*>(this)},
                      {IID_IPersist, &persist_},
                      {IID_IObjectSafety, static_cast<IObjectSafety*>(this)},
                      {IID_I_Toolbar, static_cast<I_Toolbar*>(this)},
                      {IID_IDispatch, static_cast<I_Toolbar*>(this)}});
}

// IOleWindow

ToolBar::OleWindow::OleWindow(ToolBar& band) : Part(*band.identity()) {}

HRESULT ToolBar::OleWindow::GetWindow(HWND* phwnd) {
  kReporter.Trace("Entering IOleWindow_GetWindow()");
  return kReporter.guardCom("IOleWindow_GetWindow()", [&] { required(phwnd) = ToolbandHWND(); });
}

HRESULT ToolBar::OleWindow::ContextSensitiveHelp(BOOL) {
  return E_NOTIMPL;
}

// IDockingWindow

ToolBar::DockingWindow::DockingWindow(ToolBar& band) : Part(*band.identity()), band_(band) {}

HRESULT ToolBar::DockingWindow::GetWindow(HWND* phwnd) {
  kReporter.Trace("Entering IDockingWindow_GetWindow()");
  return kReporter.guardCom("IDockingWindow_GetWindow()", [&] {
    HWND hwnd = nullptr;
    band_.oleWindow_.GetWindow(&hwnd);
    required(phwnd) = hwnd;
  });
}

HRESULT ToolBar::DockingWindow::ContextSensitiveHelp(BOOL) {
  kReporter.Trace("Entering IDockingWindow_ContextSensitiveHelp()");
  return E_NOTIMPL;
}

HRESULT ToolBar::DockingWindow::ShowDW(BOOL fShow) {
  kReporter.Trace("Entering IDockingWindow_ShowDW()");
  return kReporter.guardCom("IDockingWindow_ShowDW()", [&] {
    if (fShow)
      ShowToolband();
    else
      HideToolband();
  });
}

HRESULT ToolBar::DockingWindow::CloseDW(DWORD) {
  kReporter.Trace("Entering IDockingWindow_CloseDW()");
  // Only hides: the window goes when the band loses its site.
  return kReporter.guardCom("IDockingWindow_CloseDW()", [&] { HideToolband(); });
}

HRESULT ToolBar::DockingWindow::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) {
  kReporter.Trace("Entering IDockingWindow_ResizeBorderDW()");
  return E_NOTIMPL;
}

// IDeskBand

HRESULT ToolBar::GetWindow(HWND* phwnd) {
  kReporter.Trace("Entering IDeskBand_GetWindow()");
  return kReporter.guardCom("IDeskBand_GetWindow()", [&] {
    HWND hwnd = nullptr;
    dockingWindow_.GetWindow(&hwnd);
    required(phwnd) = hwnd;
  });
}

HRESULT ToolBar::ContextSensitiveHelp(BOOL) {
  kReporter.Trace("Entering IDeskBand_ContextSensitiveHelp()");
  return E_NOTIMPL;
}

HRESULT ToolBar::ShowDW(BOOL fShow) {
  kReporter.Trace("Entering IDeskBand_ShowDW()");
  return kReporter.guardCom("IDeskBand_ShowDW()", [&] { dockingWindow_.ShowDW(fShow); });
}

HRESULT ToolBar::CloseDW(DWORD dwReserved) {
  kReporter.Trace("Entering IDeskBand_CloseDW()");
  return kReporter.guardCom("IDeskBand_CloseDW()", [&] { dockingWindow_.CloseDW(dwReserved); });
}

HRESULT ToolBar::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) {
  kReporter.Trace("Entering IDeskBand_ResizeBorderDW()");
  return E_NOTIMPL;
}

HRESULT ToolBar::GetBandInfo(DWORD, DWORD, DESKBANDINFO* pdbi) {
  kReporter.Trace("Entering IDeskBand_GetBandInfo()");
  return kReporter.guardCom("IDeskBand_GetBandInfo()", [&] {
    DESKBANDINFO& info = required(pdbi);
    const POINTL size{kBandWidth, kBandHeight};
    if (info.dwMask & DBIM_MINSIZE) info.ptMinSize = size;
    if (info.dwMask & DBIM_MAXSIZE) info.ptMaxSize = size;
    if (info.dwMask & DBIM_INTEGRAL) info.ptIntegral = size;
    if (info.dwMask & DBIM_ACTUAL) info.ptActual = size;
    if (info.dwMask & DBIM_MODEFLAGS) info.dwModeFlags = DBIMF_NORMAL;
    // The band has no title and no colour of its own: DBIM_TITLE and DBIM_BKCOLOR write nothing.
  });
}

// IInputObject: focus is never refused and keys are always reported handled.

HRESULT ToolBar::UIActivateIO(BOOL, MSG*) {
  return S_OK;
}
HRESULT ToolBar::HasFocusIO() {
  return S_OK;
}
HRESULT ToolBar::TranslateAcceleratorIO(MSG*) {
  return S_OK;
}

// IObjectWithSite

HRESULT ToolBar::SetSite(IUnknown* pUnkSite) {
  kReporter.Trace("Entering IObjectWithSite_SetSite()");
  return kReporter.guardCom("IObjectWithSite_SetSite()",
                            [&] { SetToolbandSite(com::Ptr<IUnknown>(pUnkSite)); });
}

HRESULT ToolBar::GetSite(REFIID riid, void** ppvSite) {
  kReporter.Trace("Entering IObjectWithSite_GetSite()");
  if (ppvSite) *ppvSite = nullptr;
  return kReporter.guardCom("IObjectWithSite_GetSite()", [&] {
    void*& out = required(ppvSite);
    platform::check(ToolbandSite()->QueryInterface(riid, &out));
  });
}

// IPersist and IPersistStream: the band has nothing to persist.

ToolBar::Persist::Persist(ToolBar& band) : Part(*band.identity()) {}

HRESULT ToolBar::Persist::GetClassID(CLSID* pClassID) {
  kReporter.Trace("Entering IPersist_GetClassID()");
  return kReporter.guardCom("IPersist_GetClassID()",
                            [&] { required(pClassID) = com::CLSIDFromProgID(kToolBarProgId); });
}

HRESULT ToolBar::GetClassID(CLSID* pClassID) {
  kReporter.Trace("Entering IPersistStream_GetClassID()");
  return kReporter.guardCom("IPersistStream_GetClassID()", [&] {
    CLSID clsid{};
    persist_.GetClassID(&clsid);
    required(pClassID) = clsid;
  });
}

HRESULT ToolBar::IsDirty() {
  return E_NOTIMPL;
}
HRESULT ToolBar::Load(IStream*) {
  return S_OK;
}
HRESULT ToolBar::Save(IStream*, BOOL) {
  return S_OK;
}
HRESULT ToolBar::GetSizeMax(ULARGE_INTEGER*) {
  return E_NOTIMPL;
}

// IObjectSafety: any safety request is accepted; the masks are not written.

HRESULT ToolBar::GetInterfaceSafetyOptions(REFIID, DWORD*, DWORD*) {
  return S_OK;
}
HRESULT ToolBar::SetInterfaceSafetyOptions(REFIID, DWORD, DWORD) {
  return S_OK;
}

// _Toolbar

HRESULT ToolBar::SetToolbar(VARIANT_BOOL* result) {
  kReporter.Trace("Entering SetToolbar()");
  VARIANT_BOOL shown = 0;
  kReporter.guard("SetToolbar()", [&] {
    if (!IsShell5()) return;
    ToolbandBrowser().ShowBrowserBar(kToolBarClsidText, true);
    shown = -1;
  });
  if (result) *result = shown;
  return S_OK;
}

// The one member page script can reach. No type library: names resolve here.

HRESULT ToolBar::GetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 0;
  return S_OK;
}

HRESULT ToolBar::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
  if (ppTInfo) *ppTInfo = nullptr;
  return E_NOTIMPL;
}

HRESULT ToolBar::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) {
  if (!rgszNames || !rgDispId) return E_POINTER;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < cNames; ++i) {
    const bool known =
        i == 0 && rgszNames[0] &&
        platform::equalsNoCase(platform::toUtf8(platform::wideView(rgszNames[0])), "SetToolbar");
    rgDispId[i] = known ? kDispIdSetToolbar : DISPID_UNKNOWN;
    if (!known) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT ToolBar::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO*, UINT*) {
  if (dispIdMember != kDispIdSetToolbar || !(wFlags & DISPATCH_METHOD))
    return DISP_E_MEMBERNOTFOUND;
  if (pDispParams && pDispParams->cArgs != 0) return DISP_E_BADPARAMCOUNT;
  VARIANT_BOOL shown = VARIANT_FALSE;
  SetToolbar(&shown);
  if (pVarResult) {
    pVarResult->vt = VT_BOOL;
    pVarResult->boolVal = shown;
  }
  return S_OK;
}
