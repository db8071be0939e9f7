#include "platform/browser.h"

#include "win32/html_impl.h"
#include "win32/wide.h"

namespace browser {

struct WebBrowserImpl {
  com::Ptr<IWebBrowser2> browser;
};

struct DocumentObjectImpl {
  std::string typeName;
  com::Ptr<IDispatch> object;
};

std::string DocumentObject::typeName() const {
  return isNothing() ? "Nothing" : self().typeName;
}

html::Document DocumentObject::html() const {
  const Impl& d = self();
  return d.typeName == "HTMLDocument" ? win32::wrap<html::Document>(d.object) : html::Document();
}

namespace {

// Failures come out as the run-time's numbers, as they do through late binding: a denied
// document is permission denied (70).
using win32::check;

WebBrowser wrap(com::Ptr<IWebBrowser2> browser) {
  auto impl = std::make_shared<WebBrowser::Impl>();
  impl->browser = std::move(browser);
  return WebBrowser(std::move(impl));
}

void setBool(VARIANT& v, bool value) {
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

VARIANT_BOOL variantBool(bool value) {
  return value ? VARIANT_TRUE : VARIANT_FALSE;
}

using BoolGetter = HRESULT (STDMETHODCALLTYPE IWebBrowser2::*)(VARIANT_BOOL*);
using BoolSetter = HRESULT (STDMETHODCALLTYPE IWebBrowser2::*)(VARIANT_BOOL);
using LongGetter = HRESULT (STDMETHODCALLTYPE IWebBrowser2::*)(long*);
using LongSetter = HRESULT (STDMETHODCALLTYPE IWebBrowser2::*)(long);

bool getBool(IWebBrowser2& browser, BoolGetter get) {
  VARIANT_BOOL value = VARIANT_FALSE;
  check((browser.*get)(&value));
  return value != VARIANT_FALSE;
}

long getLong(IWebBrowser2& browser, LongGetter get) {
  long value = 0;
  check((browser.*get)(&value));
  return value;
}

}  // namespace

WebBrowser WebBrowser::FromUnknown(const com::Ptr<IUnknown>& object) {
  return wrap(object.query<IWebBrowser2>(IID_IWebBrowser2));
}

// COM identity, through IUnknown.
bool identical(const WebBrowserImpl& a, const WebBrowserImpl& b) {
  return a.browser.is(b.browser);
}

com::Ptr<IUnknown> WebBrowser::unknown() const {
  return isNothing() ? com::Ptr<IUnknown>() : com::Ptr<IUnknown>(self().browser.get());
}

WebBrowser WebBrowser::Application() const {
  com::Ptr<IDispatch> application;
  check(self().browser->get_Application(application.put()));
  return wrap(application.query<IWebBrowser2>(IID_IWebBrowser2));
}

HWND WebBrowser::hwnd() const {
  SHANDLE_PTR handle = 0;
  check(self().browser->get_HWND(&handle));
  return reinterpret_cast<HWND>(handle);
}

std::string WebBrowser::LocationURL() const {
  win32::Bstr url;
  check(self().browser->get_LocationURL(url.put()));
  return url.utf8();
}

bool WebBrowser::Busy() const {
  VARIANT_BOOL busy = VARIANT_FALSE;
  check(self().browser->get_Busy(&busy));
  return busy != VARIANT_FALSE;
}

bool WebBrowser::TopLevelContainer() const {
  return getBool(*self().browser.get(), &IWebBrowser2::get_TopLevelContainer);
}

void WebBrowser::Navigate(const std::string& url) {
  win32::Variant flags, frame, post, headers;
  check(self().browser->Navigate(win32::Bstr(url).get(), flags.get(), frame.get(), post.get(),
                                 headers.get()));
}

std::string WebBrowser::LocationName() const {
  win32::Bstr name;
  check(self().browser->get_LocationName(name.put()));
  return name.utf8();
}

DocumentObject WebBrowser::Document() const {
  com::Ptr<IDispatch> document;
  check(self().browser->get_Document(document.put()));
  if (!document) return DocumentObject();
  auto impl = std::make_shared<DocumentObject::Impl>();
  impl->typeName = win32::typeName(*document.get());
  impl->object = std::move(document);
  return DocumentObject(std::move(impl));
}

void WebBrowser::Navigate2(const std::string& url, const std::string& targetFrameName) {
  win32::Variant address(url), flags, named(targetFrameName), none, post, headers;
  VARIANT* frame = targetFrameName.empty() ? none.get() : named.get();
  check(self().browser->Navigate2(address.get(), flags.get(), frame, post.get(), headers.get()));
}

void WebBrowser::Quit() {
  check(self().browser->Quit());
}

bool WebBrowser::AddressBar() const {
  return getBool(*self().browser.get(), &IWebBrowser2::get_AddressBar);
}
void WebBrowser::setAddressBar(bool value) {
  check(self().browser->put_AddressBar(variantBool(value)));
}
bool WebBrowser::MenuBar() const {
  return getBool(*self().browser.get(), &IWebBrowser2::get_MenuBar);
}
void WebBrowser::setMenuBar(bool value) {
  check(self().browser->put_MenuBar(variantBool(value)));
}
bool WebBrowser::StatusBar() const {
  return getBool(*self().browser.get(), &IWebBrowser2::get_StatusBar);
}
void WebBrowser::setStatusBar(bool value) {
  check(self().browser->put_StatusBar(variantBool(value)));
}
// ToolBar is an int: 0 none, 1 the standard toolbar.
bool WebBrowser::ToolBar() const {
  int value = 0;
  check(self().browser->get_ToolBar(&value));
  return value != 0;
}
void WebBrowser::setToolBar(bool value) {
  check(self().browser->put_ToolBar(value ? 1 : 0));
}
bool WebBrowser::Resizable() const {
  return getBool(*self().browser.get(), &IWebBrowser2::get_Resizable);
}
void WebBrowser::setResizable(bool value) {
  check(self().browser->put_Resizable(variantBool(value)));
}
bool WebBrowser::Visible() const {
  return getBool(*self().browser.get(), &IWebBrowser2::get_Visible);
}
void WebBrowser::setVisible(bool value) {
  check(self().browser->put_Visible(variantBool(value)));
}
long WebBrowser::Width() const {
  return getLong(*self().browser.get(), &IWebBrowser2::get_Width);
}
void WebBrowser::setWidth(long value) {
  check(self().browser->put_Width(value));
}
long WebBrowser::Height() const {
  return getLong(*self().browser.get(), &IWebBrowser2::get_Height);
}
void WebBrowser::setHeight(long value) {
  check(self().browser->put_Height(value));
}

std::vector<WebBrowser> ShellWindows() {
  com::Ptr<IShellWindows> windows;
  check(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                           windows.putVoid()));
  long count = 0;
  check(windows->get_Count(&count));
  std::vector<WebBrowser> out;
  for (long i = 0; i < count; ++i) {
    win32::Variant index;
    index.get()->vt = VT_I4;
    index.get()->lVal = i;
    com::Ptr<IDispatch> item;
    if (FAILED(windows->Item(*index.get(), item.put())) || !item) continue;
    com::Ptr<IWebBrowser2> browser;
    if (SUCCEEDED(item->QueryInterface(IID_IWebBrowser2, browser.putVoid())))
      out.push_back(wrap(std::move(browser)));
  }
  return out;
}

WebBrowser NewWindow() {
  com::Ptr<IWebBrowser2> browser;
  check(::CoCreateInstance(CLSID_InternetExplorer, nullptr, CLSCTX_LOCAL_SERVER, IID_IWebBrowser2,
                           browser.putVoid()));
  return wrap(std::move(browser));
}

// The size is left out the way automation leaves out an optional argument.
void WebBrowser::ShowBrowserBar(const std::string& clsid, bool show) {
  win32::Variant bar(clsid), visible, size;
  setBool(*visible.get(), show);
  size.get()->vt = VT_ERROR;
  size.get()->scode = DISP_E_PARAMNOTFOUND;
  check(self().browser->ShowBrowserBar(bar.get(), visible.get(), size.get()));
}

}  // namespace browser
