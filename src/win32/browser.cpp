#include "platform/browser.h"

#include "win32/wide.h"

namespace browser {

struct WebBrowser::Impl {
  com::Ptr<IWebBrowser2> browser;
};

namespace {

WebBrowser wrap(com::Ptr<IWebBrowser2> browser) {
  auto impl = std::make_shared<WebBrowser::Impl>();
  impl->browser = std::move(browser);
  return WebBrowser(std::move(impl));
}

void setBool(VARIANT& v, bool value) {
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace

WebBrowser WebBrowser::FromUnknown(const com::Ptr<IUnknown>& object) {
  return wrap(object.query<IWebBrowser2>(IID_IWebBrowser2));
}

WebBrowser::Impl& WebBrowser::self() const {
  if (!impl_) platform::raiseNothing();
  return *impl_;
}

// Identity, as the run-time's Is: Nothing is only itself and never raises.
bool WebBrowser::is(const WebBrowser& other) const {
  return unknown().is(other.unknown());
}

com::Ptr<IUnknown> WebBrowser::unknown() const {
  return impl_ ? com::Ptr<IUnknown>(impl_->browser.get()) : com::Ptr<IUnknown>();
}

WebBrowser WebBrowser::Application() const {
  com::Ptr<IDispatch> application;
  platform::check(self().browser->get_Application(application.put()));
  return wrap(application.query<IWebBrowser2>(IID_IWebBrowser2));
}

HWND WebBrowser::hwnd() const {
  SHANDLE_PTR handle = 0;
  platform::check(self().browser->get_HWND(&handle));
  return reinterpret_cast<HWND>(handle);
}

std::string WebBrowser::LocationURL() const {
  win32::Bstr url;
  platform::check(self().browser->get_LocationURL(url.put()));
  return url.utf8();
}

bool WebBrowser::Busy() const {
  VARIANT_BOOL busy = VARIANT_FALSE;
  platform::check(self().browser->get_Busy(&busy));
  return busy != VARIANT_FALSE;
}

void WebBrowser::Navigate(const std::string& url) {
  win32::Variant flags, frame, post, headers;
  platform::check(self().browser->Navigate(win32::Bstr(url).get(), flags.get(), frame.get(),
                                           post.get(), headers.get()));
}

// The size is left out the way automation leaves out an optional argument.
void WebBrowser::ShowBrowserBar(const std::string& clsid, bool show) {
  win32::Variant bar(clsid), visible, size;
  setBool(*visible.get(), show);
  size.get()->vt = VT_ERROR;
  size.get()->scode = DISP_E_PARAMNOTFOUND;
  platform::check(self().browser->ShowBrowserBar(bar.get(), visible.get(), size.get()));
}

}  // namespace browser
