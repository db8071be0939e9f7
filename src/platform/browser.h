// The browser port: the browser window object (IWebBrowser2) as the system uses it, its events
// (DWebBrowserEvents2), the process's browser windows (ShellWindows), new browser windows and
// browser controls in a window of the system's.
// A platform implements every member of DocumentObject and WebBrowser, their Impl types,
// identical() for browsers, ShellWindows, NewWindow and NewControl; the system implements
// Events. No member answers a status; failures raise: 91 for a member of Nothing, 70 for the
// document of another origin's frame, the browser's failing HRESULT otherwise (a closed
// window's too).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/com.h"
#include "platform/html.h"
#include "runtime/connection.h"
#include "runtime/handle.h"

namespace browser {

class WebBrowser;

// What a platform keeps behind the handles.
struct DocumentObjectImpl;
struct WebBrowserImpl;

// The very same browser object, for WebBrowser::is.
bool identical(const WebBrowserImpl& a, const WebBrowserImpl& b);

// What IWebBrowser2::Document answers. An HTML page gives its html::Document; a resource the
// browser shows by itself (an image, text/xml, plain text) gives an object of another type,
// which the system can only tell apart by its type name: "DOMDocument" for XML, "Object" for
// anything else. A window that shows nothing yet gives Nothing.
class DocumentObject : public platform::Handle<DocumentObjectImpl> {
 public:
  using Handle::Handle;
  // "HTMLDocument", "DOMDocument", "Object"; "Nothing" when empty.
  std::string typeName() const;
  // The HTML document; Nothing unless typeName() is "HTMLDocument".
  html::Document html() const;
};

// DWebBrowserEvents2, the events the system takes. They arrive on the window's thread; pDisp
// is the browser object of the page or of the frame the event is about.
class Events {
 public:
  virtual ~Events() = default;
  virtual void BeforeNavigate2(const WebBrowser& pDisp, const std::string& url, long flags,
                               const std::string& targetFrameName, const std::string& postData,
                               const std::string& headers, bool& cancel) {}
  virtual void NavigateComplete2(const WebBrowser& pDisp, const std::string& url) {}
  virtual void DocumentComplete(const WebBrowser& pDisp, const std::string& url) {}
  // statusCode: an HTTP status, or an INET_E_ HRESULT when nothing was fetched.
  virtual void NavigateError(const WebBrowser& pDisp, const std::string& url,
                             const std::string& targetFrameName, long statusCode, bool& cancel) {}
  virtual void WindowClosing(bool isChildWindow, bool& cancel) {}
  virtual void OnToolBar(bool toolBar) {}
};

class WebBrowser : public platform::Handle<WebBrowserImpl> {
 public:
  using Handle::Handle;

  // The object queried for IWebBrowser2; raises the failing HRESULT.
  static WebBrowser FromUnknown(const com::Ptr<IUnknown>& object);

  com::Ptr<IUnknown> unknown() const;

  // IWebBrowser::Application, as IWebBrowser2: the top window's browser, also for a frame.
  WebBrowser Application() const;
  HWND hwnd() const;
  std::string LocationURL() const;
  // The page's title, or its address when it has none.
  std::string LocationName() const;
  DocumentObject Document() const;
  bool Busy() const;
  // False for the browser object of a frame.
  bool TopLevelContainer() const;
  void Navigate(const std::string& url);
  // Navigate2 with a target frame name; empty names the window itself.
  void Navigate2(const std::string& url, const std::string& targetFrameName = {});
  void Quit();
  // ShowBrowserBar(clsid, show, <size omitted>).
  void ShowBrowserBar(const std::string& clsid, bool show);

  bool AddressBar() const;
  void setAddressBar(bool value);
  bool MenuBar() const;
  void setMenuBar(bool value);
  bool StatusBar() const;
  void setStatusBar(bool value);
  bool ToolBar() const;
  void setToolBar(bool value);
  bool Resizable() const;
  void setResizable(bool value);
  bool Visible() const;
  void setVisible(bool value);
  long Width() const;
  void setWidth(long value);
  long Height() const;
  void setHeight(long value);

  // Connects sink to DWebBrowserEvents2 of this browser; the sink must outlive the connection.
  platform::Connection connect(Events& sink) const;
};

// The top-level browser windows of the process, as ShellWindows lists them when asked.
std::vector<WebBrowser> ShellWindows();
// A new browser window, created as "InternetExplorer.Application" creates one; not yet visible.
WebBrowser NewWindow();
// A new browser control, shown in parent's client area at place (pixels) and showing
// about:blank until it is navigated; ShellWindows does not list it. It lives as long as its
// window: destroying parent closes it. Raises the failing HRESULT: HRESULT_FROM_WIN32 of
// ERROR_INVALID_WINDOW_HANDLE for a parent that is no window, the control's own failure to be
// created or activated in place otherwise.
WebBrowser NewControl(HWND parent, const RECT& place);

}  // namespace browser
