// The browser port over headless browser windows. Every member runs on the window's thread.
#include <optional>
#include <type_traits>

#include "headless/browser.h"
#include "platform/browser.h"
#include "platform/ui.h"

namespace browser {

using headless::BrowserWindow;
using headless::Pane;

struct DocumentObjectImpl {
  std::string typeName;
  html::Document html;
};

std::string DocumentObject::typeName() const {
  return isNothing() ? "Nothing" : self().typeName;
}

html::Document DocumentObject::html() const {
  return self().html;
}

struct WebBrowserImpl {
  com::Ptr<IUnknown> object;
  headless::BrowserObject* browser;
};

namespace {

// Runs use(window, pane) on the window's thread and answers what it returned.
template <class Use>
auto call(const WebBrowser::Impl& impl, Use&& use) {
  using Result = std::invoke_result_t<Use, BrowserWindow&, Pane&>;
  if constexpr (std::is_void_v<Result>) {
    impl.browser->run(use);
  } else {
    std::optional<Result> result;
    impl.browser->run([&](BrowserWindow& w, Pane& p) { result.emplace(use(w, p)); });
    return std::move(*result);
  }
}

DocumentObject documentOf(const Pane& pane) {
  if (!pane.sameOriginAsParent()) platform::raise(platform::kPermissionDenied);
  auto impl = std::make_shared<DocumentObject::Impl>();
  switch (pane.kind) {
    case headless::ResourceKind::Html:
      impl->typeName = "HTMLDocument";
      impl->html = html::Document(headless::dom::handle(pane.window->document->root));
      break;
    case headless::ResourceKind::Xml:
      impl->typeName = "DOMDocument";
      break;
    case headless::ResourceKind::Other:
      impl->typeName = "Object";
      break;
  }
  return DocumentObject(std::move(impl));
}

RECT frameRect(const BrowserWindow& w) {
  RECT r{};
  ui::GetWindowRect(w.topWindow(), &r);
  return r;
}

using Bar = bool BrowserWindow::Bars::*;
bool bar(const WebBrowser::Impl& impl, Bar member) {
  return call(impl, [&](BrowserWindow& w, Pane&) { return w.bars.*member; });
}
void setBar(const WebBrowser::Impl& impl, Bar member, bool value) {
  call(impl, [&](BrowserWindow& w, Pane&) { w.bars.*member = value; });
}

// A control keeps its place in its parent's client area.
void resize(BrowserWindow& w, long width, long height) {
  RECT r = frameRect(w), parent{};
  if (ui::GetWindowRect(ui::GetParent(w.topWindow()), &parent))
    r.left -= parent.left, r.top -= parent.top;
  ui::MoveWindow(w.topWindow(), r.left, r.top, static_cast<int>(width), static_cast<int>(height),
                 TRUE);
}

}  // namespace

WebBrowser WebBrowser::FromUnknown(const com::Ptr<IUnknown>& object) {
  com::Ptr<IUnknown> asBrowser = object.query<IUnknown>(IID_IWebBrowser2);
  com::Ptr<headless::BrowserObject> own =
      object.query<headless::BrowserObject>(headless::IID_IHeadlessBrowser);
  return WebBrowser(std::make_shared<Impl>(Impl{asBrowser, own.get()}));
}

bool identical(const WebBrowserImpl& a, const WebBrowserImpl& b) {
  return a.object.is(b.object);
}

com::Ptr<IUnknown> WebBrowser::unknown() const {
  return self().object;
}

// A frame's application is the window it is in.
WebBrowser WebBrowser::Application() const {
  return call(self(), [](BrowserWindow& w, Pane&) { return w.page().webBrowser(); });
}

HWND WebBrowser::hwnd() const {
  return call(self(), [](BrowserWindow& w, Pane&) { return w.topWindow(); });
}

std::string WebBrowser::LocationURL() const {
  return call(self(), [](BrowserWindow& w, Pane& p) { return p.isTop() ? w.locationURL : p.url; });
}

std::string WebBrowser::LocationName() const {
  return call(self(), [](BrowserWindow& w, Pane& p) {
    const DocumentObject doc = documentOf(p);
    const std::string title = doc.typeName() == "HTMLDocument" ? doc.html().title() : "";
    return title.empty() ? (p.isTop() ? w.locationURL : p.url) : title;
  });
}

DocumentObject WebBrowser::Document() const {
  return call(self(), [](BrowserWindow&, Pane& p) { return documentOf(p); });
}

bool WebBrowser::Busy() const {
  return call(self(), [](BrowserWindow& w, Pane&) { return w.busy(); });
}

bool WebBrowser::TopLevelContainer() const {
  return call(self(), [](BrowserWindow&, Pane& p) { return p.isTop(); });
}

void WebBrowser::Navigate(const std::string& url) {
  Navigate2(url);
}

void WebBrowser::Navigate2(const std::string& url, const std::string& targetFrameName) {
  call(self(), [&](BrowserWindow& w, Pane& p) {
    Pane* named = targetFrameName.empty() ? nullptr : w.findFrame(targetFrameName);
    w.Navigate(named ? *named : p, url, targetFrameName);
  });
}

void WebBrowser::Quit() {
  call(self(), [](BrowserWindow& w, Pane&) { w.Quit(); });
}

void WebBrowser::ShowBrowserBar(const std::string& clsid, bool show) {
  call(self(), [&](BrowserWindow& w, Pane&) { w.browserBarCalls.push_back({clsid, show}); });
}

bool WebBrowser::AddressBar() const {
  return bar(self(), &BrowserWindow::Bars::addressBar);
}
void WebBrowser::setAddressBar(bool value) {
  setBar(self(), &BrowserWindow::Bars::addressBar, value);
}
bool WebBrowser::MenuBar() const {
  return bar(self(), &BrowserWindow::Bars::menuBar);
}
void WebBrowser::setMenuBar(bool value) {
  setBar(self(), &BrowserWindow::Bars::menuBar, value);
}
bool WebBrowser::StatusBar() const {
  return bar(self(), &BrowserWindow::Bars::statusBar);
}
void WebBrowser::setStatusBar(bool value) {
  setBar(self(), &BrowserWindow::Bars::statusBar, value);
}
bool WebBrowser::Resizable() const {
  return bar(self(), &BrowserWindow::Bars::resizable);
}
void WebBrowser::setResizable(bool value) {
  setBar(self(), &BrowserWindow::Bars::resizable, value);
}

bool WebBrowser::ToolBar() const {
  return bar(self(), &BrowserWindow::Bars::toolBar);
}

// The browser tells its sinks, as it does when the user toggles the toolbar.
void WebBrowser::setToolBar(bool value) {
  call(self(), [&](BrowserWindow& w, Pane&) {
    w.bars.toolBar = value;
    w.fire([&](Events& sink) { sink.OnToolBar(value); });
  });
}

bool WebBrowser::Visible() const {
  return call(self(), [](BrowserWindow& w, Pane&) { return ui::IsWindowVisible(w.topWindow()); });
}

void WebBrowser::setVisible(bool value) {
  call(self(),
       [&](BrowserWindow& w, Pane&) { ui::ShowWindow(w.topWindow(), value ? SW_SHOW : SW_HIDE); });
}

long WebBrowser::Width() const {
  return call(self(), [](BrowserWindow& w, Pane&) {
    const RECT r = frameRect(w);
    return static_cast<long>(r.right - r.left);
  });
}

void WebBrowser::setWidth(long value) {
  call(self(), [&](BrowserWindow& w, Pane&) {
    const RECT r = frameRect(w);
    resize(w, value, r.bottom - r.top);
  });
}

long WebBrowser::Height() const {
  return call(self(), [](BrowserWindow& w, Pane&) {
    const RECT r = frameRect(w);
    return static_cast<long>(r.bottom - r.top);
  });
}

void WebBrowser::setHeight(long value) {
  call(self(), [&](BrowserWindow& w, Pane&) {
    const RECT r = frameRect(w);
    resize(w, r.right - r.left, value);
  });
}

platform::Connection WebBrowser::connect(Events& sink) const {
  return call(self(), [&](BrowserWindow& w, Pane&) { return w.connect(sink); });
}

WebBrowser NewWindow() {
  com::Ptr<IUnknown> created;
  platform::check(com::CoCreateInstance(com::CLSIDFromProgID(headless::kBrowserProgId), nullptr,
                                        IID_IWebBrowser2, created.putVoid()));
  return WebBrowser::FromUnknown(created);
}

WebBrowser NewControl(HWND parent, const RECT& place) {
  return headless::BrowserWindow::Embed(parent, place).page().webBrowser();
}

}  // namespace browser
