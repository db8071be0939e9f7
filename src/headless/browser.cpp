#include "headless/browser.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <list>
#include <optional>

#include "platform/system.h"
#include "platform/ui.h"
#include "runtime/comobject.h"
#include "runtime/guard.h"
#include "runtime/httpsupport.h"

namespace headless {

// The sinks of one window; a connection keeps only a weak link, so it may outlive the window.
struct EventSinks {
  std::mutex mutex;
  std::vector<browser::Events*> list;

  bool has(browser::Events* sink) {
    std::lock_guard lock(mutex);
    return std::find(list.begin(), list.end(), sink) != list.end();
  }
};

namespace {

constexpr int kWindowWidth = 1024;
constexpr int kWindowHeight = 768;
constexpr int kBandRowHeight = 25;

LRESULT CALLBACK frameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CLOSE) {
    return platform::boundary("IEFrame WM_CLOSE", LRESULT{0}, [&] {
      auto* window = reinterpret_cast<BrowserWindow*>(ui::GetWindowLongPtr(hwnd, GWLP_USERDATA));
      if (window) window->Close();
      return LRESULT{0};
    });
  }
  return ui::DefWindowProc(hwnd, msg, wParam, lParam);
}

// The top-level windows of the process, as ShellWindows enumerates them.
struct TopWindows {
  std::mutex mutex;
  std::vector<com::Ptr<IUnknown>> browsers;
};
TopWindows& topWindows() {
  static TopWindows t;
  return t;
}

class Browser final : public com::Object<BrowserObject> {
 public:
  Browser(BrowserWindow& window, Pane& pane, HWND mailbox)
      : owner_(std::this_thread::get_id()), mailbox_(mailbox), window_(&window), pane_(&pane) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return com::answer(riid, ppv,
                       {{IID_IWebBrowser2, this},
                        {IID_IWebBrowserApp, this},
                        {IID_IDispatch, this},
                        {IID_IHeadlessBrowser, this}});
  }
  BrowserWindow* window() override {
    return std::this_thread::get_id() == owner_ ? window_.load() : nullptr;
  }
  void run(const std::function<void(BrowserWindow&, Pane&)>& work) override {
    if (std::this_thread::get_id() == owner_) return runHere(work);
    auto done = std::make_shared<std::promise<void>>();
    auto result = done->get_future();
    com::Ptr<BrowserObject> keep(this);
    const bool queued = http::support::post(mailbox_, [this, keep, done, &work] {
      try {
        runHere(work);
        done->set_value();
      } catch (...) {
        done->set_exception(std::current_exception());
      }
    });
    if (!queued) platform::raiseHResult(kDisconnected);
    try {
      result.get();
    } catch (const std::future_error&) {  // dropped unrun: the window's thread has ended
      platform::raiseHResult(kDisconnected);
    }
  }
  void detach() {
    window_ = nullptr;
    pane_ = nullptr;
  }

 private:
  void runHere(const std::function<void(BrowserWindow&, Pane&)>& work) {
    BrowserWindow* window = window_;
    if (!window || !pane_) platform::raiseHResult(kDisconnected);
    work(*window, *pane_);
  }

  const std::thread::id owner_;
  const HWND mailbox_;
  std::atomic<BrowserWindow*> window_;
  Pane* pane_;  // read and written on the owner's thread only
};

class BandSite final : public com::Object<IOleWindow, IServiceProvider> {
 public:
  BandSite(HWND window, com::Ptr<IUnknown> browser)
      : window_(window), browser_(std::move(browser)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return com::answer(riid, ppv,
                       {{IID_IOleWindow, static_cast<IOleWindow*>(this)},
                        {IID_IServiceProvider, static_cast<IServiceProvider*>(this)}});
  }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override {
    if (!phwnd) return E_POINTER;
    *phwnd = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualGUID(service, IID_IWebBrowserApp) || !browser_) return E_NOINTERFACE;
    return browser_->QueryInterface(riid, ppv);
  }
  void detach() { browser_.reset(); }

 private:
  HWND window_;
  com::Ptr<IUnknown> browser_;
};

Browser& concrete(const com::Ptr<IUnknown>& object) {
  return *static_cast<Browser*>(static_cast<BrowserObject*>(object.get()));
}

HWND child(const char* cls, HWND parent, int y, int width, int height) {
  return ui::CreateWindowEx(0, cls, "", WS_CHILD | WS_VISIBLE, 0, y, width, height, parent);
}

}  // namespace

// Pane

Pane::~Pane() {
  if (browser) concrete(browser).detach();
}

BrowserObject& Pane::object() const {
  return *static_cast<BrowserObject*>(browser.get());
}

browser::WebBrowser Pane::webBrowser() const {
  return browser::WebBrowser::FromUnknown(browser);
}

bool Pane::sameOriginAsParent() const {
  return !parent || url == "about:blank" || window->origin() == parent->window->origin();
}

// BrowserWindow

BrowserWindow::BrowserWindow() : BrowserWindow(nullptr, RECT{0, 0, kWindowWidth, kWindowHeight}) {}

// A frame has the band's row above the page; a control is all page.
BrowserWindow::BrowserWindow(HWND parent, const RECT& place)
    : embedded_(parent != nullptr),
      thread_(std::this_thread::get_id()),
      page_(std::make_unique<Pane>()),
      sinks_(std::make_shared<EventSinks>()),
      alive_(std::make_shared<bool>(true)) {
  for (const char* cls :
       {"IEFrame", "WorkerW", "ReBarWindow32", "Shell DocObject View", "Internet Explorer_Server"})
    ui::RegisterWindowClass(cls, &frameProc);
  ui::RegisterWindowClass("Shell Embedding", &embeddingProc);
  const int width = static_cast<int>(place.right - place.left);
  const int height = static_cast<int>(place.bottom - place.top);
  const int bandRow = embedded_ ? 0 : kBandRowHeight;
  top_ = ui::CreateWindowEx(0, embedded_ ? "Shell Embedding" : "IEFrame", "",
                            embedded_ ? WS_CHILD | WS_VISIBLE : WS_CLIPCHILDREN, place.left,
                            place.top, width, height, parent);
  if (!top_) platform::raiseHResult(HRESULT_FROM_WIN32(sys::GetLastError()));
  ui::SetWindowLongPtr(top_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  if (!embedded_)
    bandSite_ =
        child("ReBarWindow32", child("WorkerW", top_, 0, width, bandRow), 0, width, bandRow);
  paneWindow_ = child("Shell DocObject View", top_, bandRow, width, height - bandRow);
  pageWindow_ = child("Internet Explorer_Server", paneWindow_, 0, width, height - bandRow);
  if (!embedded_) ui::ShowWindow(top_, SW_SHOWNORMAL);
  mailbox_ = http::support::threadMailbox();
  attachObject(*page_);
  page_->window = newWindowData(nullptr);
  page_->window->host = pageWindow_;
  locationURL = "about:blank";
  if (embedded_) return;
  site_ =
      com::Ptr<IUnknown>::adopt(static_cast<IOleWindow*>(new BandSite(bandSite_, page_->browser)));
  TopWindows& t = topWindows();
  std::lock_guard lock(t.mutex);
  t.browsers.push_back(page_->browser);
}

BrowserWindow& BrowserWindow::Embed(HWND parent, const RECT& place) {
  return *new BrowserWindow(parent, place);
}

// The control's window is destroyed with its parent, or on its own; the control goes with it.
LRESULT CALLBACK BrowserWindow::embeddingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) {
    auto* window = reinterpret_cast<BrowserWindow*>(ui::SetWindowLongPtr(hwnd, GWLP_USERDATA, 0));
    platform::boundary("Shell Embedding WM_DESTROY", 0, [&] {
      delete window;
      return 0;
    });
  }
  return ui::DefWindowProc(hwnd, msg, wParam, lParam);
}

BrowserWindow::~BrowserWindow() {
  teardown();
}

void BrowserWindow::ResizePage(long width, long height) {
  RECT frame{};
  ui::GetWindowRect(top_, &frame);
  const int w = static_cast<int>(width);
  const int h = static_cast<int>(height);
  ui::MoveWindow(top_, frame.left, frame.top, w, h + kBandRowHeight, TRUE);
  ui::MoveWindow(ui::GetParent(bandSite_), 0, 0, w, kBandRowHeight, TRUE);
  ui::MoveWindow(bandSite_, 0, 0, w, kBandRowHeight, TRUE);
  ui::MoveWindow(paneWindow_, 0, kBandRowHeight, w, h, TRUE);
  ui::MoveWindow(pageWindow_, 0, 0, w, h, TRUE);
  if (page_->window && page_->window->document)
    dom::setViewport(*page_->window->document, width, height);
}

void BrowserWindow::attachObject(Pane& pane) {
  pane.browser = com::Ptr<IUnknown>::adopt(new Browser(*this, pane, mailbox_));
}

com::Ptr<IUnknown> BrowserWindow::site() const {
  return site_;
}
com::Ptr<IUnknown> BrowserWindow::browserObject() const {
  return page_->browser;
}

bool BrowserWindow::Close() {
  if (closed()) return true;
  bool cancel = false;
  fire([&](browser::Events& sink) { sink.WindowClosing(false, cancel); });
  if (cancel) return false;
  Quit();
  return true;
}

void BrowserWindow::Quit() {
  if (!embedded_) teardown();
}

void BrowserWindow::teardown() {
  if (closed()) return;
  {
    TopWindows& t = topWindows();
    std::lock_guard lock(t.mutex);
    std::erase_if(t.browsers, [&](const auto& b) { return b.get() == page_->browser.get(); });
  }
  unloadPane(*page_);
  RemoveBand();
  if (site_) static_cast<BandSite*>(static_cast<IOleWindow*>(site_.get()))->detach();
  page_->frames.clear();
  concrete(page_->browser).detach();
  alive_.reset();
  // A control's window is on its way already: it is what ends the control.
  const HWND top = std::exchange(top_, nullptr);
  if (!embedded_) ui::DestroyWindow(top);
  if (endThreadOnClose_) ui::PostQuitMessage(0);
}

HRESULT BrowserWindow::AddBand(const std::string& progId) {
  if (!site_) return E_NOTIMPL;
  try {
    const CLSID clsid = com::CLSIDFromProgID(progId);
    com::Ptr<IUnknown> band;
    HRESULT hr = com::CoCreateInstance(clsid, nullptr, IID_IUnknown, band.putVoid());
    if (FAILED(hr)) return hr;
    auto withSite = band.query<IObjectWithSite>(IID_IObjectWithSite);
    if (FAILED(hr = withSite->SetSite(site_.get()))) return hr;
    band_ = band;
    auto deskBand = band.query<IDeskBand>(IID_IDeskBand);
    DESKBANDINFO info{};
    info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_MODEFLAGS;
    if (FAILED(hr = deskBand->GetBandInfo(0, 0, &info))) return hr;
    return deskBand->ShowDW(TRUE);
  } catch (const platform::Error& e) {
    return e.number < 0 ? e.number : E_FAIL;
  }
}

void BrowserWindow::RemoveBand() {
  com::Ptr<IUnknown> band = std::exchange(band_, nullptr);
  if (!band) return;
  com::Ptr<IDeskBand> deskBand;
  if (SUCCEEDED(band->QueryInterface(IID_IDeskBand, deskBand.putVoid()))) {
    deskBand->ShowDW(FALSE);
    deskBand->CloseDW(0);
  }
  com::Ptr<IObjectWithSite> withSite;
  if (SUCCEEDED(band->QueryInterface(IID_IObjectWithSite, withSite.putVoid())))
    withSite->SetSite(nullptr);
}

HWND BrowserWindow::bandWindow() const {
  com::Ptr<IOleWindow> window;
  HWND hwnd = nullptr;
  if (band_ && SUCCEEDED(band_->QueryInterface(IID_IOleWindow, window.putVoid())))
    window->GetWindow(&hwnd);
  return hwnd;
}

// Events

namespace {

// A connected sink; destroyed with the last copy of its connection, it takes the sink out.
struct Subscription {
  Subscription(std::weak_ptr<EventSinks> s, browser::Events* e) : sinks(std::move(s)), sink(e) {}
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() {
    auto s = sinks.lock();
    if (!s) return;
    std::lock_guard lock(s->mutex);
    std::erase(s->list, sink);
  }
  std::weak_ptr<EventSinks> sinks;
  browser::Events* sink;
};

}  // namespace

platform::Connection BrowserWindow::connect(browser::Events& sink) {
  {
    std::lock_guard lock(sinks_->mutex);
    sinks_->list.push_back(&sink);
  }
  return platform::Connection(std::make_shared<Subscription>(sinks_, &sink));
}

// A sink disconnected by an earlier one is skipped; a failing sink stops nothing.
void BrowserWindow::fire(const std::function<void(browser::Events&)>& event) {
  std::vector<browser::Events*> snapshot;
  {
    std::lock_guard lock(sinks_->mutex);
    snapshot = sinks_->list;
  }
  for (browser::Events* sink : snapshot) {
    if (!sinks_->has(sink)) continue;
    platform::boundary("DWebBrowserEvents2", 0, [&] {
      event(*sink);
      return 0;
    });
  }
}

// BrowserThread

BrowserThread::BrowserThread() {
  std::promise<com::Ptr<IUnknown>> ready;
  auto created = ready.get_future();
  thread_ = std::thread([&ready] {
    std::optional<BrowserWindow> window;
    try {
      window.emplace();
    } catch (...) {
      ready.set_exception(std::current_exception());
      return;
    }
    window->endThreadOnClose();
    ready.set_value(window->browserObject());
    MSG msg;
    while (ui::GetMessage(&msg)) ui::DispatchMessage(&msg);
  });
  try {
    browser_ = created.get();
  } catch (...) {
    thread_.join();
    throw;
  }
}

BrowserThread::~BrowserThread() {
  try {
    run([](BrowserWindow& window) { window.Quit(); });
  } catch (const platform::Error&) {  // already closed
  }
  join();
}

void BrowserThread::run(const std::function<void(BrowserWindow&)>& work) {
  static_cast<BrowserObject*>(browser_.get())->run([&](BrowserWindow& w, Pane&) { work(w); });
}

void BrowserThread::join() {
  if (thread_.joinable()) thread_.join();
}

// New windows: "InternetExplorer.Application" in the class registry.

namespace {

// CLSID_InternetExplorer
FOLVERRA_MAKE_GUID(kBrowserClsid, 0x0002DF01, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00,
                   0x00, 0x46);

// Windows made for automation live until they quit or the process ends.
std::list<BrowserThread>& automationWindows() {
  static std::list<BrowserThread> windows;
  return windows;
}
std::mutex automationMutex;

// A new hidden window on a thread of its own, as the automation object of the browser.
HRESULT createAutomationWindow(REFIID riid, void** ppv) {
  return platform::boundary("InternetExplorer.Application", E_FAIL, [&] {
    std::lock_guard lock(automationMutex);
    BrowserThread& created = automationWindows().emplace_back();
    created.run([](BrowserWindow& w) { ui::ShowWindow(w.topWindow(), SW_HIDE); });
    return created.browserObject()->QueryInterface(riid, ppv);
  });
}

HRESULT browserClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!IsEqualGUID(clsid, kBrowserClsid)) return CLASS_E_CLASSNOTAVAILABLE;
  return com::classObject(&createAutomationWindow, riid, ppv);
}

[[maybe_unused]] const bool registered = [] {
  com::RegisterServerClass(
      {kBrowserClsid, kBrowserProgId, "Headless browser window", &browserClassObject});
  return true;
}();

}  // namespace

}  // namespace headless

namespace browser {

std::vector<WebBrowser> ShellWindows() {
  std::vector<com::Ptr<IUnknown>> browsers;
  {
    headless::TopWindows& t = headless::topWindows();
    std::lock_guard lock(t.mutex);
    browsers = t.browsers;
  }
  std::vector<WebBrowser> out;
  for (const auto& b : browsers) out.push_back(WebBrowser::FromUnknown(b));
  return out;
}

}  // namespace browser
