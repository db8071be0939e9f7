// Browser controls in a window of the system's: the WebBrowser control, active in place in a
// host window of our own at the control's place, through the smallest OLE container it takes.
// The host window owns the container: destroying it (with the form) deactivates, closes and
// unsites the control, whatever step its making got to.
#include <utility>

#include "platform/browser.h"
#include "platform/ui.h"
#include "runtime/comobject.h"
#include "runtime/guard.h"

namespace browser {
namespace {

constexpr const char* kHostClass = "FolverraBrowserHost";

// The client site, the in-place site and the frame the control asks for, all in one: there is
// no document window, no menu, no border space and no status bar to share.
class Container final : public com::Object<IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame> {
 public:
  explicit Container(HWND host) : host_(host) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return com::answer(riid, ppv,
                       {{IID_IOleClientSite, static_cast<IOleClientSite*>(this)},
                        {IID_IOleWindow, static_cast<IOleInPlaceSite*>(this)},
                        {IID_IOleInPlaceSite, static_cast<IOleInPlaceSite*>(this)},
                        {IID_IOleInPlaceUIWindow, static_cast<IOleInPlaceFrame*>(this)},
                        {IID_IOleInPlaceFrame, static_cast<IOleInPlaceFrame*>(this)}});
  }

  // Makes the control and activates it over the host's client area; answers the first failing
  // step's HRESULT, the control's IWebBrowser2 in control otherwise.
  HRESULT activate(com::Ptr<IUnknown>& control) {
    HRESULT hr = OleInitialize(nullptr);
    if (FAILED(hr)) return hr;
    oleInitialized_ = true;
    RECT area = clientArea();
    if (FAILED(hr = CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IOleObject, object_.putVoid())) ||
        FAILED(hr = object_->SetClientSite(this)) ||
        FAILED(hr = object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, host_, &area)))
      return hr;
    place();
    return object_->QueryInterface(IID_IWebBrowser2, control.putVoid());
  }

  // Keeps the control over the host's whole client area.
  void place() {
    com::Ptr<IOleInPlaceObject> inPlace;
    RECT area = clientArea();
    if (object_ && SUCCEEDED(object_->QueryInterface(IID_IOleInPlaceObject, inPlace.putVoid())))
      inPlace->SetObjectRects(&area, &area);
  }

  void close() {
    if (com::Ptr<IOleObject> object = std::exchange(object_, {})) {
      com::Ptr<IOleInPlaceObject> inPlace;
      if (SUCCEEDED(object->QueryInterface(IID_IOleInPlaceObject, inPlace.putVoid())))
        inPlace->InPlaceDeactivate();
      object->Close(OLECLOSE_NOSAVE);
      object->SetClientSite(nullptr);
    }
    if (std::exchange(oleInitialized_, false)) OleUninitialize();
  }

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow, for the site and the frame alike.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override {
    if (!hwnd) return E_POINTER;
    *hwnd = host_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             LPRECT position, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO info) override {
    if (!frame || !doc || !position || !clip || !info) return E_POINTER;
    *frame = this;
    AddRef();
    *doc = nullptr;
    *position = *clip = clientArea();
    info->fMDIApp = FALSE;
    info->hwndFrame = host_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow and IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
    return INPLACE_E_NOTOOLSPACE;
  }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  RECT clientArea() const {
    RECT area{};
    ::GetClientRect(host_, &area);
    return area;
  }

  const HWND host_;
  com::Ptr<IOleObject> object_;
  bool oleInitialized_ = false;
};

Container* containerOf(HWND host) {
  return reinterpret_cast<Container*>(ui::GetWindowLongPtr(host, GWLP_USERDATA));
}

LRESULT CALLBACK hostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return platform::boundary("FolverraBrowserHost", LRESULT{0}, [&] {
    if (msg == WM_SIZE) {
      if (Container* container = containerOf(hwnd)) container->place();
    } else if (msg == WM_DESTROY) {
      auto* container = reinterpret_cast<Container*>(ui::SetWindowLongPtr(hwnd, GWLP_USERDATA, 0));
      if (container) {
        container->close();
        container->Release();
      }
    }
    return ui::DefWindowProc(hwnd, msg, wParam, lParam);
  });
}

}  // namespace

WebBrowser NewControl(HWND parent, const RECT& place) {
  ui::RegisterWindowClass(kHostClass, &hostProc);
  const HWND host =
      ui::CreateWindowEx(0, kHostClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, place.left,
                         place.top, place.right - place.left, place.bottom - place.top, parent);
  if (!host) platform::raiseHResult(HRESULT_FROM_WIN32(::GetLastError()));
  auto* container = new Container(host);
  ui::SetWindowLongPtr(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(container));
  com::Ptr<IUnknown> control;
  const HRESULT hr = container->activate(control);
  if (FAILED(hr)) {
    ui::DestroyWindow(host);
    platform::raiseHResult(hr);
  }
  return WebBrowser::FromUnknown(control);
}

}  // namespace browser
