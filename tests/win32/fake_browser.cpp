// A browser object for hosts where the real one cannot run: IWebBrowser2 answering only what
// the band asks of its browser at siting, and its events through an object of the check's;
// what a new window is told before it is shown is written down.
// Written against the C layout of the interface so that the many members it does not need
// share one stub.
#define CINTERFACE
#define COBJMACROS
#include <windows.h>
#include <exdisp.h>

#include <string>

namespace {

struct FakeBrowser {
  IWebBrowser2 object;  // first, so the interface pointer is the object
  IWebBrowser2Vtbl table;
  LONG refs;
  HWND window;
  IUnknown* events;
  HRESULT documentFailure;
  IDispatch* documentObject;  // answered in place of the failure when there is one
  std::string* told;          // one line a member told, when there is one
};

FakeBrowser* self(IWebBrowser2* object) {
  return reinterpret_cast<FakeBrowser*>(object);
}

// Any member with any arguments: the x64 convention leaves the arguments to the caller.
HRESULT STDMETHODCALLTYPE notImplemented() {
  return E_NOTIMPL;
}

ULONG STDMETHODCALLTYPE addRef(IWebBrowser2* object) {
  return static_cast<ULONG>(InterlockedIncrement(&self(object)->refs));
}

ULONG STDMETHODCALLTYPE release(IWebBrowser2* object) {
  const LONG refs = InterlockedDecrement(&self(object)->refs);
  if (refs == 0 && self(object)->events) IUnknown_Release(self(object)->events);
  if (refs == 0 && self(object)->documentObject) IDispatch_Release(self(object)->documentObject);
  if (refs == 0) delete self(object);
  return static_cast<ULONG>(refs);
}

HRESULT STDMETHODCALLTYPE queryInterface(IWebBrowser2* object, REFIID riid, void** ppv) {
  IUnknown* events = self(object)->events;
  if (events && IsEqualIID(riid, IID_IConnectionPointContainer))
    return IUnknown_QueryInterface(events, riid, ppv);
  const IID* answered[] = {&IID_IUnknown, &IID_IDispatch, &IID_IWebBrowser, &IID_IWebBrowserApp,
                           &IID_IWebBrowser2};
  *ppv = nullptr;
  for (const IID* iid : answered)
    if (IsEqualIID(riid, *iid)) *ppv = object;
  if (!*ppv) return E_NOINTERFACE;
  addRef(object);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE application(IWebBrowser2* object, IDispatch** out) {
  addRef(object);
  *out = reinterpret_cast<IDispatch*>(object);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE hwndOf(IWebBrowser2* object, SHANDLE_PTR* out) {
  *out = reinterpret_cast<SHANDLE_PTR>(self(object)->window);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE document(IWebBrowser2* object, IDispatch** out) {
  *out = self(object)->documentObject;
  if (!*out) return self(object)->documentFailure;
  IDispatch_AddRef(*out);
  return S_OK;
}

void tell(IWebBrowser2* object, const std::string& line) {
  if (self(object)->told) self(object)->told->append(line).append("\n");
}

// "Width 759", "AddressBar 0": a bar's flag as the browser takes it, -1 for True.
template <const char* Member, class Value>
HRESULT STDMETHODCALLTYPE put(IWebBrowser2* object, Value value) {
  tell(object, std::string(Member) + " " + std::to_string(value));
  return S_OK;
}
constexpr char kAddressBar[] = "AddressBar", kMenuBar[] = "MenuBar", kStatusBar[] = "StatusBar",
               kToolBar[] = "ToolBar", kResizable[] = "Resizable", kWidth[] = "Width",
               kHeight[] = "Height";

HRESULT STDMETHODCALLTYPE navigate(IWebBrowser2* object, BSTR url, VARIANT*, VARIANT*, VARIANT*,
                                   VARIANT*) {
  const int length = static_cast<int>(SysStringLen(url));
  std::string utf8(static_cast<size_t>(length) * 3, '\0');
  utf8.resize(static_cast<size_t>(
      WideCharToMultiByte(CP_UTF8, 0, url, length, utf8.data(), length * 3, nullptr, nullptr)));
  tell(object, "Navigate " + utf8);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE location(IWebBrowser2*, BSTR* out) {
  *out = SysAllocString(L"about:blank");
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

// Declared in check.h, which this file cannot include: it is written against the C layout.
namespace smoke {

void* NewFakeBrowser(HWND window, void* events, HRESULT documentFailure, void* documentObject,
                     std::string* told) {
  auto* browser = new FakeBrowser{{},
                                  {},
                                  1,
                                  window,
                                  static_cast<IUnknown*>(events),
                                  documentFailure,
                                  static_cast<IDispatch*>(documentObject),
                                  told};
  if (browser->documentObject) IDispatch_AddRef(browser->documentObject);
  auto** slots = reinterpret_cast<void**>(&browser->table);
  for (size_t i = 0; i < sizeof browser->table / sizeof(void*); ++i)
    slots[i] = reinterpret_cast<void*>(&notImplemented);
  browser->table.QueryInterface = queryInterface;
  browser->table.AddRef = addRef;
  browser->table.Release = release;
  browser->table.get_Application = application;
  browser->table.get_HWND = hwndOf;
  browser->table.get_LocationURL = location;
  browser->table.get_Document = document;
  browser->table.put_AddressBar = put<kAddressBar, VARIANT_BOOL>;
  browser->table.put_MenuBar = put<kMenuBar, VARIANT_BOOL>;
  browser->table.put_StatusBar = put<kStatusBar, VARIANT_BOOL>;
  browser->table.put_ToolBar = put<kToolBar, int>;
  browser->table.put_Resizable = put<kResizable, VARIANT_BOOL>;
  browser->table.put_Width = put<kWidth, long>;
  browser->table.put_Height = put<kHeight, long>;
  browser->table.Navigate = navigate;
  browser->object.lpVtbl = &browser->table;
  if (browser->events) IUnknown_AddRef(browser->events);
  return &browser->object;
}

}  // namespace smoke
