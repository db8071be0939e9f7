// Windows, events, the selection, text ranges and plug-in controls of the html port on MSHTML.
#include <sstream>

#include "win32/html_impl.h"

namespace html {

// Window

namespace {

// The browser behind a window, which every wrapper of the window reaches; null when it does not
// say.
com::Ptr<IUnknown> browserOf(IDispatch& window) {
  com::Ptr<IServiceProvider> services;
  com::Ptr<IUnknown> browser;
  if (FAILED(window.QueryInterface(IID_IServiceProvider, services.putVoid())) || !services ||
      FAILED(services->QueryService(IID_IWebBrowserApp, IID_IWebBrowser2, browser.putVoid())))
    return {};
  return browser;
}

// Null when it cannot be read: another site's frame denies it.
com::Ptr<IDispatch> documentOf(const com::Ptr<IDispatch>& window) {
  try {
    return get(window, "document").object();
  } catch (const platform::Error&) {
    return {};
  }
}

}  // namespace

// parentWindow, frames, top and parent may hand out different wrappers of one window: the same
// browser behind both, or else the same document, makes them one. Never raises.
bool identical(const WindowImpl& a, const WindowImpl& b) {
  if (a.object.is(b.object)) return true;
  const auto browser = browserOf(*a.object.get()), otherBrowser = browserOf(*b.object.get());
  if (browser && otherBrowser) return browser.is(otherBrowser);
  const auto document = documentOf(a.object), otherDocument = documentOf(b.object);
  return document && otherDocument && document.is(otherDocument);
}

// A frame of another site answers access denied, which comes out as permission denied.
Document Window::document() const {
  return wrap<Document>(get(self().object, "document"));
}
Event Window::event() const {
  return wrap<Event>(get(self().object, "event"));
}
Window Window::top() const {
  return wrap<Window>(get(self().object, "top"));
}
Window Window::parent() const {
  return wrap<Window>(get(self().object, "parent"));
}
std::vector<Window> Window::frames() const {
  return win32::wrapItems<Window>(get(self().object, "frames"));
}
long Window::screenLeft() const {
  return get(self().object, "screenLeft").number();
}
long Window::screenTop() const {
  return get(self().object, "screenTop").number();
}
std::string Window::userAgent() const {
  return get(get(self().object, "navigator").object(), "userAgent").text();
}

// Event

std::string Event::type() const {
  return get(self().object, "type").text();
}
Element Event::srcElement() const {
  return wrap<Element>(get(self().object, "srcElement"));
}
Element Event::fromElement() const {
  return wrap<Element>(get(self().object, "fromElement"));
}
Element Event::toElement() const {
  return wrap<Element>(get(self().object, "toElement"));
}
long Event::button() const {
  return get(self().object, "button").number();
}
long Event::clientX() const {
  return get(self().object, "clientX").number();
}
long Event::clientY() const {
  return get(self().object, "clientY").number();
}
bool Event::cancelBubble() const {
  return get(self().object, "cancelBubble").flag();
}
void Event::setCancelBubble(bool value) {
  put(self().object, "cancelBubble", Value::flag(value));
}
std::optional<bool> Event::returnValue() const {
  const Value value = get(self().object, "returnValue");
  if (value.isNull()) return std::nullopt;
  return value.flag();
}
void Event::setReturnValue(bool value) {
  put(self().object, "returnValue", Value::flag(value));
}

// Selection

std::string Selection::type() const {
  return get(self().object, "type").text();
}
TextRange Selection::createRange() const {
  return wrap<TextRange>(call(self().object, "createRange"));
}
void Selection::empty() {
  call(self().object, "empty");
}

// TextRange

std::string TextRange::text() const {
  return get(self().object, "text").text();
}
std::string TextRange::htmlText() const {
  return get(self().object, "htmlText").text();
}
long TextRange::boundingLeft() const {
  return get(self().object, "boundingLeft").number();
}
long TextRange::boundingTop() const {
  return get(self().object, "boundingTop").number();
}
long TextRange::boundingWidth() const {
  return get(self().object, "boundingWidth").number();
}
long TextRange::boundingHeight() const {
  return get(self().object, "boundingHeight").number();
}
TextRange TextRange::duplicate() const {
  return wrap<TextRange>(call(self().object, "duplicate"));
}
long TextRange::moveEnd(const std::string& unit, long count) {
  return call(self().object, "moveEnd", {unit, count}).number();
}
void TextRange::collapse(bool start) {
  call(self().object, "collapse", {Value::flag(start)});
}
void TextRange::pasteHTML(const std::string& markup) {
  call(self().object, "pasteHTML", {markup});
}
Element TextRange::parentElement() const {
  return wrap<Element>(call(self().object, "parentElement"));
}
std::vector<Rect> TextRange::getClientRects() const {
  return win32::clientRectsOf(self().object);
}

// Control

std::string Control::typeName() const {
  return isNothing() ? "Nothing" : win32::typeName(*self().object.get());
}

// Each step of the path but the last must reach an object; Nothing on the way raises 91.
std::string Control::get(const std::string& member) const {
  com::Ptr<IDispatch> object = self().object;
  std::istringstream path(member);
  std::string step;
  std::getline(path, step, '.');
  for (std::string next; std::getline(path, next, '.'); step = std::move(next))
    object = win32::get(object, step).object();
  return win32::get(object, step).text();
}

}  // namespace html
