// Loading a page and its frames, with the events in the order the browser fires them:
// BeforeNavigate2 and NavigateComplete2 for the page, then each frame's NavigateComplete2 and
// DocumentComplete as it arrives, then the page's DocumentComplete last. Each document goes
// through readyState "loading", "interactive", "complete" before its window's onload.
#include <utility>

#include "headless/browser.h"
#include "headless/decode.h"
#include "platform/ui.h"
#include "runtime/guard.h"
#include "runtime/httpsupport.h"

namespace headless {
namespace {

// Frames nested deeper than this are left blank, as a page framing itself would never end.
constexpr int kMaxFrameDepth = 8;
constexpr const char* kUserAgent = "Folverra headless browser";

std::shared_ptr<dom::DocumentData> blankDocument(const std::shared_ptr<dom::WindowData>& window) {
  auto doc = std::make_shared<dom::DocumentData>();
  doc->window = window;
  return doc;
}

void setReadyState(dom::DocumentData& doc, const char* state) {
  doc.readyState = state;
  dom::dispatch(doc.root, "readystatechange");
}

// An IFRAME's content is only its fallback, so nothing below a frame is looked at.
std::vector<dom::Node*> frameElements(dom::DocumentData& doc) {
  std::vector<dom::Node*> found;
  dom::forEachBelow(doc.root, false, [&](dom::Node* n) {
    if (!n->is("FRAME") && !n->is("IFRAME")) return true;
    found.push_back(n);
    return false;
  });
  return found;
}

std::string attribute(const dom::Node* element, std::string_view name) {
  const std::string* value = dom::findAttribute(element, name);
  return value ? *value : std::string();
}

// A frame may not show a page one of its ancestors shows, nor nest without end.
bool mayLoad(const Pane& frame) {
  int depth = 0;
  for (const Pane* p = frame.parent; p; p = p->parent) {
    if (p->url == frame.url || ++depth > kMaxFrameDepth) return false;
  }
  return true;
}

// A frame without src shows about:blank, unless it brings its own markup, which this browser
// does not show: about:srcdoc is no address it can load.
std::string frameAddress(dom::Node* element) {
  const std::string* src = dom::findAttribute(element, "src");
  if (src && !src->empty()) return resolveUrl(dom::baseUrl(*element->doc), *src);
  return dom::findAttribute(element, "srcdoc") ? "about:srcdoc" : "about:blank";
}

void relinkFrames(Pane& pane) {
  pane.window->frames.clear();
  for (const auto& frame : pane.frames) pane.window->frames.push_back(frame->window);
}

}  // namespace

std::shared_ptr<dom::WindowData> newWindowData(const std::shared_ptr<dom::WindowData>& parent) {
  auto window = std::make_shared<dom::WindowData>();
  window->parent = parent;
  window->userAgent = kUserAgent;
  window->document = blankDocument(window);
  return window;
}

bool BrowserWindow::Navigate(const std::string& address, const std::string& targetFrame) {
  Pane* frame = targetFrame.empty() ? nullptr : findFrame(targetFrame);
  return Navigate(frame ? *frame : *page_, address, targetFrame);
}

bool BrowserWindow::Navigate(Pane& target, const std::string& address,
                             const std::string& targetFrame) {
  if (closed()) platform::raiseHResult(kDisconnected);
  // A modal dialog disables the frame it is shown over; until it closes the browser takes no
  // navigation and says it is busy.
  if (ui::GetWindowLongPtr(top_, GWL_STYLE) & WS_DISABLED) platform::raiseHResult(kBusy);
  const std::string url = normalizeUrl(address);
  bool cancel = false;
  fire([&](browser::Events& sink) {
    sink.BeforeNavigate2(target.webBrowser(), url, 0, targetFrame, {}, {}, cancel);
  });
  if (cancel || closed()) return false;
  queued_.push_back({target.browser, url});
  std::weak_ptr<bool> alive = alive_;
  http::support::post(mailbox_, [this, alive] {
    if (!alive.expired()) runQueuedLoads();
  });
  return true;
}

bool BrowserWindow::Load(const std::string& address) {
  // Only the window's own thread can pump the queue its load is posted to.
  if (std::this_thread::get_id() != thread_) platform::raise(platform::kInvalidCall);
  lastError_ = 0;
  if (!Navigate(address)) return false;
  MSG msg;
  while (busy() && !closed()) {
    if (!ui::GetMessage(&msg)) {
      ui::PostQuitMessage(static_cast<int>(msg.wParam));  // the thread's loop still owns it
      break;
    }
    ui::DispatchMessage(&msg);
  }
  return !busy() && lastError_ == 0;
}

// Loads run one after another: a sink that pumps messages (a modal dialog) while a page loads
// only queues the next one.
void BrowserWindow::runQueuedLoads() {
  if (loading_) return;
  loading_ = true;
  while (!queued_.empty() && !closed()) {
    QueuedLoad next = std::move(queued_.front());
    queued_.pop_front();
    platform::boundary("Navigate", 0, [&] {
      auto* object = static_cast<BrowserObject*>(next.browser.get());
      if (object->window())
        object->run([&](BrowserWindow&, Pane& pane) { loadInto(pane, next.url); });
      return 0;
    });
  }
  loading_ = false;
}

// Depth first, so each frame's frames complete before it does; a sink that closes the window
// stops the walk.
void BrowserWindow::loadInto(Pane& target, const std::string& url) {
  if (!beginLoad(target, url, true)) return;
  struct Step {
    Pane* pane;
    std::size_t next = 0;
  };
  std::vector<Step> stack{{&target}};
  while (!stack.empty() && !closed()) {
    Step& step = stack.back();
    if (step.next < step.pane->frames.size()) {
      Pane& frame = *step.pane->frames[step.next++];
      if (startFrame(frame)) stack.push_back({&frame});
    } else {
      Pane* done = step.pane;
      stack.pop_back();
      finishLoad(*done);
    }
  }
}

bool BrowserWindow::startFrame(Pane& frame) {
  if (!mayLoad(frame)) return false;
  bool cancel = false;
  fire([&](browser::Events& sink) {
    sink.BeforeNavigate2(frame.webBrowser(), frame.url, 0, frame.name, {}, {}, cancel);
  });
  return !cancel && !closed() && beginLoad(frame, frame.url, false);
}

// A frame that cannot load shows an empty error page and the page around it goes on; only the
// navigation's own target fails the load.
bool BrowserWindow::beginLoad(Pane& pane, const std::string& url, bool target) {
  Fetched page = fetch(url);
  if (page.status != 0) {
    if (target) lastError_ = page.status;
    if (failLoad(pane, url, page.status) || target || closed()) return false;
    page = Fetched{};
    page.url = "about:blank";
  }
  return showPage(pane, page);
}

bool BrowserWindow::showPage(Pane& pane, const Fetched& page) {
  unloadPane(pane);
  if (closed()) return false;
  pane.url = page.url;
  pane.kind = page.kind;
  pane.window = newWindowData(pane.parent ? pane.parent->window : nullptr);
  if (pane.parent) relinkFrames(*pane.parent);
  if (pane.isTop()) {
    locationURL = page.url;
    pane.window->host = pageWindow_;
  }
  dom::DocumentData& doc = *pane.window->document;
  RECT control{};
  if (embedded_ && pane.isTop() && ui::GetClientRect(top_, &control)) {
    doc.viewportWidth = control.right;
    doc.viewportHeight = control.bottom;
  }
  doc.url = page.url;
  doc.readyState = "uninitialized";
  fire([&](browser::Events& sink) { sink.NavigateComplete2(pane.webBrowser(), page.url); });
  if (closed()) return false;
  if (pane.kind != ResourceKind::Html) {
    doc.readyState = "complete";
    return true;
  }
  setReadyState(doc, "loading");
  dom::parseDocument(doc, htmlToUtf8(page.body, page.charset));
  setReadyState(doc, "interactive");
  addFrames(pane);
  return !closed();
}

void BrowserWindow::addFrames(Pane& pane) {
  for (dom::Node* element : frameElements(*pane.window->document)) {
    auto frame = std::make_unique<Pane>();
    frame->parent = &pane;
    frame->name = attribute(element, "name");
    frame->url = frameAddress(element);
    frame->window = newWindowData(pane.window);
    attachObject(*frame);
    pane.frames.push_back(std::move(frame));
  }
  relinkFrames(pane);
}

void BrowserWindow::finishLoad(Pane& pane) {
  dom::DocumentData& doc = *pane.window->document;
  if (pane.kind == ResourceKind::Html) {
    setReadyState(doc, "complete");
    if (closed()) return;
    dom::dispatchWindow(*pane.window, "load");
    if (closed()) return;
  }
  fire([&](browser::Events& sink) { sink.DocumentComplete(pane.webBrowser(), pane.url); });
}

bool BrowserWindow::failLoad(Pane& pane, const std::string& url, long status) {
  bool cancel = false;
  fire([&](browser::Events& sink) {
    sink.NavigateError(pane.webBrowser(), url, pane.name, status, cancel);
  });
  return cancel;
}

// The pane's window first, then its frames', each before its document goes.
void BrowserWindow::unloadPane(Pane& pane) {
  std::vector<Pane*> order{&pane};
  for (std::size_t i = 0; i < order.size(); ++i) {
    for (const auto& frame : order[i]->frames) order.push_back(frame.get());
  }
  for (Pane* p : order) {
    if (p->window->document->readyState != "complete") continue;
    dom::dispatchWindow(*p->window, "unload");
  }
  pane.frames.clear();
}

Pane* BrowserWindow::findFrame(const std::string& name) {
  std::vector<Pane*> todo{page_.get()};
  while (!todo.empty()) {
    Pane* p = todo.back();
    todo.pop_back();
    for (const auto& frame : p->frames) {
      if (frame->name == name) return frame.get();
      todo.push_back(frame.get());
    }
  }
  return nullptr;
}

}  // namespace headless
