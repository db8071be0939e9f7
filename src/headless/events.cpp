// Events of the headless pages and the windows that show them.
#include "headless/events.h"

#include <algorithm>
#include <bit>
#include <utility>
#include <vector>

#include "platform/ui.h"
#include "runtime/error.h"
#include "runtime/strings.h"

namespace headless::dom {
namespace {

std::string handlerName(const std::string& event) {
  std::string name = platform::lowerAscii(event);
  return name.rfind("on", 0) == 0 ? name : "on" + name;
}

// Sets window.event for the length of one dispatch and puts the outer one back, even when a
// handler throws.
class CurrentEvent {
 public:
  CurrentEvent(DocumentData* doc, std::shared_ptr<html::Event::Impl> event) : doc_(doc) {
    if (doc_) outer_ = std::exchange(doc_->event, std::move(event));
  }
  ~CurrentEvent() {
    if (doc_) doc_->event = std::move(outer_);
  }
  CurrentEvent(const CurrentEvent&) = delete;
  CurrentEvent& operator=(const CurrentEvent&) = delete;

 private:
  DocumentData* doc_;
  std::shared_ptr<html::Event::Impl> outer_;
};

// The handlers are taken before the first runs, so one a handler adds waits for the next
// event; each is locked only while it runs, so one dropped meanwhile is skipped and one that
// drops itself lives until it returns.
void fire(const std::vector<Listener>& listeners, const std::string& name,
          html::Event::Impl& event) {
  std::vector<std::weak_ptr<html::Handler>> due;
  for (const Listener& l : listeners)
    if (l.event == name) due.push_back(l.handler);
  for (const auto& weak : due) {
    const std::shared_ptr<html::Handler> handler = weak.lock();
    if (handler && !(*handler)()) event.returnValue = false;
  }
}

bool notCancelled(const html::Event::Impl& event) {
  return event.returnValue.value_or(true);
}

Node* elementOrParent(Node* node) {
  while (node && !node->isElement()) node = node->parent;
  return node;
}

}  // namespace

bool dispatch(Node* target, const std::string& type, const EventInit& init) {
  if (!target) return true;
  auto event = std::make_shared<html::Event::Impl>();
  event->doc = target->doc->shared_from_this();
  event->type = platform::lowerAscii(type);
  event->init = init;
  event->src = elementOrParent(target);
  // The path is fixed first: handlers that move or remove nodes do not change who hears it.
  std::vector<Node*> path;
  for (Node* n = target; n; n = n->parent)
    if (n->isElement() || n->kind == Kind::Document) path.push_back(n);
  const CurrentEvent current(target->doc, event);
  const std::string name = "on" + event->type;
  for (Node* n : path) {
    if (event->cancelBubble) break;
    fire(n->listeners, name, *event);
  }
  return notCancelled(*event);
}

bool dispatchWindow(WindowData& window, const std::string& type) {
  auto event = std::make_shared<html::Event::Impl>();
  event->type = platform::lowerAscii(type);
  if (window.document) event->doc = window.document->shared_from_this();
  const std::shared_ptr<WindowData> keep = window.weak_from_this().lock();
  const CurrentEvent current(window.document.get(), event);
  fire(window.listeners, "on" + event->type, *event);
  return notCancelled(*event);
}

// The connection is the handler itself: listeners only watch it, so dropping it unsubscribes.
platform::Connection subscribe(std::vector<Listener>& listeners, const std::string& event,
                               html::Handler handler) {
  if (!handler) platform::raise(platform::kInvalidCall);
  // Dropped connections leave expired entries; clearing them whenever the list reaches a power
  // of two bounds it by the live ones at a constant cost per subscription.
  if (std::has_single_bit(listeners.size()))
    std::erase_if(listeners, [](const Listener& l) { return l.handler.expired(); });
  auto held = std::make_shared<html::Handler>(std::move(handler));
  listeners.push_back({handlerName(event), held});
  return platform::Connection(std::move(held));
}

// scheme://host:port, the port filled in from the scheme when the address has none. An empty
// page in a frame belongs to the page that frames it.
std::string WindowData::origin() const {
  if (!document) return {};
  if (const auto framing = parent.lock(); framing && document->url == "about:blank")
    return framing->origin();
  const html::Location l = parseLocation(document->url);
  std::string port;
  if (l.host.size() > l.hostname.size())
    port = l.host.substr(l.hostname.size() + 1);
  else if (l.protocol == "http:")
    port = "80";
  else if (l.protocol == "https:")
    port = "443";
  return l.protocol + "//" + platform::lowerAscii(l.hostname) + (port.empty() ? "" : ":" + port);
}

html::Window windowHandle(std::shared_ptr<WindowData> window,
                          std::optional<std::string> reachedFrom) {
  if (!window) return html::Window();
  return html::Window(std::make_shared<html::Window::Impl>(
      html::Window::Impl{std::move(window), std::move(reachedFrom)}));
}

}  // namespace headless::dom

namespace html {

namespace dom = headless::dom;

platform::Connection Element::on(const std::string& event, Handler handler) {
  return dom::subscribe(self().node->listeners, event, std::move(handler));
}

platform::Connection Document::on(const std::string& event, Handler handler) {
  return dom::subscribe(self().node->listeners, event, std::move(handler));
}

// Event

std::string Event::type() const {
  return self().type;
}
Element Event::srcElement() const {
  return Element(dom::handle(self().src));
}
Element Event::fromElement() const {
  return Element(dom::handle(self().init.from));
}
Element Event::toElement() const {
  return Element(dom::handle(self().init.to));
}
long Event::button() const {
  return self().init.button;
}
long Event::clientX() const {
  return self().init.clientX;
}
long Event::clientY() const {
  return self().init.clientY;
}
bool Event::cancelBubble() const {
  return self().cancelBubble;
}
void Event::setCancelBubble(bool value) {
  self().cancelBubble = value;
}
std::optional<bool> Event::returnValue() const {
  return self().returnValue;
}
void Event::setReturnValue(bool value) {
  self().returnValue = value;
}

// Window

bool identical(const WindowImpl& a, const WindowImpl& b) {
  return a.window == b.window;
}

Document Window::document() const {
  const Impl& w = self();
  if (w.reachedFrom && *w.reachedFrom != w.window->origin())
    platform::raise(platform::kPermissionDenied);
  return w.window->document ? Document(dom::handle(w.window->document->root)) : Document();
}

Event Window::event() const {
  const auto& doc = self().window->document;
  return doc ? Event(doc->event) : Event();
}

Window Window::parent() const {
  const Impl& w = self();
  const auto parent = w.window->parent.lock();
  return parent ? dom::windowHandle(parent, w.window->origin()) : *this;
}

Window Window::top() const {
  const Impl& w = self();
  std::shared_ptr<dom::WindowData> top = w.window;
  while (auto up = top->parent.lock()) top = std::move(up);
  return top == w.window ? *this : dom::windowHandle(top, w.window->origin());
}

std::vector<Window> Window::frames() const {
  const Impl& w = self();
  std::vector<Window> out;
  for (const auto& frame : w.window->frames)
    if (auto f = frame.lock()) out.push_back(dom::windowHandle(f, w.window->origin()));
  return out;
}

namespace {

POINT screenOrigin(const dom::WindowData& window) {
  RECT r{};
  if (window.host && ui::GetWindowRect(window.host, &r)) return {r.left, r.top};
  return {static_cast<LONG>(window.screenLeft), static_cast<LONG>(window.screenTop)};
}

}  // namespace

long Window::screenLeft() const {
  return screenOrigin(*self().window).x;
}
long Window::screenTop() const {
  return screenOrigin(*self().window).y;
}
std::string Window::userAgent() const {
  return self().window->userAgent;
}

platform::Connection Window::on(const std::string& event, Handler handler) {
  return dom::subscribe(self().window->listeners, event, std::move(handler));
}

// A document no browser window shows gets a window of its own on first use. The handle
// shares the document's ownership, so the window lives exactly as long as its document.
Window Document::parentWindow() const {
  dom::DocumentData& doc = *self().node->doc;
  if (auto shown = doc.window.lock()) return dom::windowHandle(std::move(shown));
  doc.ownWindow = std::make_shared<dom::WindowData>();
  doc.ownWindow->document = std::shared_ptr<dom::DocumentData>(std::shared_ptr<void>(), &doc);
  std::shared_ptr<dom::WindowData> window(doc.shared_from_this(), doc.ownWindow.get());
  doc.window = window;
  return dom::windowHandle(std::move(window));
}

}  // namespace html
