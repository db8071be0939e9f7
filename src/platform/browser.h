// The browser port: the browser window object (IWebBrowser2) as the system uses it.
#pragma once

#include <memory>
#include <string>

#include "platform/com.h"

namespace browser {

class WebBrowser {
 public:
  struct Impl;
  WebBrowser() = default;
  explicit WebBrowser(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}

  // The object queried for IWebBrowser2; raises the failing HRESULT.
  static WebBrowser FromUnknown(const com::Ptr<IUnknown>& object);

  bool isNothing() const { return impl_ == nullptr; }
  explicit operator bool() const { return impl_ != nullptr; }
  bool is(const WebBrowser& other) const;
  com::Ptr<IUnknown> unknown() const;

  // IWebBrowser::Application, as IWebBrowser2.
  WebBrowser Application() const;
  HWND hwnd() const;
  std::string LocationURL() const;
  bool Busy() const;
  void Navigate(const std::string& url);
  // ShowBrowserBar(clsid, show, <size omitted>).
  void ShowBrowserBar(const std::string& clsid, bool show);

 private:
  Impl& self() const;
  std::shared_ptr<Impl> impl_;
};

}  // namespace browser
