// A headless browser window: a top window with the band site and the page's panes, the
// browser object a band reaches through the site's service provider, and the page it shows
// with its frames. It hosts a desk band exactly as the browser does: creates it by ProgID
// through the class registry, sites it, asks for its sizes and shows it.
//
// A window belongs to the thread that created it. Navigation is asynchronous as in the browser:
// Navigate fires BeforeNavigate2 and queues the load on the window's thread, which fetches the
// page and its frames when its queue is next pumped. Calls through the browser object from
// another thread run on the window's thread, as COM would marshal them.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "headless/dom.h"
#include "headless/fetch.h"
#include "platform/browser.h"
#include "platform/com.h"

namespace headless {

// {B7E2F1A0-5C3D-4F6E-8A9B-0C1D2E3F4A5B}: how the headless browser port recognises its own
// browser objects behind an IWebBrowser2.
FOLVERRA_MAKE_GUID(IID_IHeadlessBrowser, 0xB7E2F1A0, 0x5C3D, 0x4F6E, 0x8A, 0x9B, 0x0C, 0x1D, 0x2E,
                   0x3F, 0x4A, 0x5B);

// A browser object that has lost its window: RPC_E_DISCONNECTED, as COM reports a call to an
// object whose server has gone.
inline constexpr HRESULT kDisconnected = static_cast<HRESULT>(0x80010108u);
// HRESULT_FROM_WIN32(ERROR_BUSY): what Navigate answers while the frame is disabled.
inline constexpr HRESULT kBusy = static_cast<HRESULT>(0x800700AAu);

class BrowserWindow;
struct Pane;
struct EventSinks;

// The browser object (IWebBrowser2) of a window or of one of its frames.
struct BrowserObject : IUnknown {
  // The window, on its own thread only; null once it has closed.
  virtual BrowserWindow* window() = 0;
  // Runs work on the window's thread with the window and the page or frame this object stands
  // for; raises kDisconnected when either has gone, and what work raised.
  virtual void run(const std::function<void(BrowserWindow&, Pane&)>& work) = 0;
};

// The page of a window or a frame of it: its html window and document, its browser object.
struct Pane {
  Pane* parent = nullptr;
  std::string name;  // of the FRAME or IFRAME
  std::string url = "about:blank";
  ResourceKind kind = ResourceKind::Html;
  std::shared_ptr<dom::WindowData> window;
  com::Ptr<IUnknown> browser;
  std::vector<std::unique_ptr<Pane>> frames;

  Pane() = default;
  Pane(const Pane&) = delete;
  Pane& operator=(const Pane&) = delete;
  // Cuts the browser object off: a frame that has gone answers kDisconnected.
  ~Pane();
  BrowserObject& object() const;
  browser::WebBrowser webBrowser() const;
  bool isTop() const { return parent == nullptr; }
  // Whether the page's document may be touched from the parent's side.
  bool sameOriginAsParent() const;
};

// The html window of a page or frame, showing an empty about:blank document.
std::shared_ptr<dom::WindowData> newWindowData(const std::shared_ptr<dom::WindowData>& parent);

class BrowserWindow {
 public:
  // Creates the window's windows on the calling thread, which owns them from then on.
  BrowserWindow();
  ~BrowserWindow();
  BrowserWindow(const BrowserWindow&) = delete;
  BrowserWindow& operator=(const BrowserWindow&) = delete;

  // A browser control: a "Shell Embedding" child of parent at place with the page's panes in
  // it and no band site, on the calling thread. Its window owns it and ends it when destroyed;
  // Quit leaves it open. Raises HRESULT_FROM_WIN32 of the last error when the window
  // cannot be made.
  static BrowserWindow& Embed(HWND parent, const RECT& place);
  bool embedded() const { return embedded_; }

  // The frame, or the control's own window.
  HWND topWindow() const { return top_; }
  HWND bandSiteWindow() const { return bandSite_; }
  // "Shell DocObject View", and the page's "Internet Explorer_Server" inside it.
  HWND paneWindow() const { return paneWindow_; }
  HWND pageWindow() const { return pageWindow_; }
  com::Ptr<IUnknown> site() const;
  com::Ptr<IUnknown> browserObject() const;
  std::thread::id thread() const { return thread_; }

  // The address shown; set directly only by a host that shows no page.
  std::string locationURL;

  // A ShowBrowserBar call the window received.
  struct BrowserBarCall {
    std::string clsid;
    bool show;
  };
  std::vector<BrowserBarCall> browserBarCalls;

  // The bars and frame settings the automation members read and write.
  struct Bars {
    bool addressBar = true;
    bool menuBar = true;
    bool statusBar = true;
    bool toolBar = true;
    bool resizable = true;
  };
  Bars bars;

  // Creates the band by ProgID, sites it, reads its sizes and shows it, as the browser does.
  // Returns the failing HRESULT of the first step that failed; a control has no band site.
  HRESULT AddBand(const std::string& progId);
  // Hides, closes and unsites the band, then releases it.
  void RemoveBand();
  com::Ptr<IUnknown> band() const { return band_; }
  HWND bandWindow() const;

  // Navigation (navigation.cpp). Fires BeforeNavigate2 now and queues the load; false when a
  // sink cancelled. targetFrame names a frame to load instead of the page; an unknown name
  // loads the page.
  bool Navigate(const std::string& address, const std::string& targetFrame = {});
  // Navigates the page or one frame, as that pane's own browser object does.
  bool Navigate(Pane& target, const std::string& address, const std::string& targetFrame = {});
  // Navigates and pumps the calling thread's queue until the load has finished. False when
  // the navigation was cancelled or failed; lastNavigateError() tells which failure.
  bool Load(const std::string& address);
  bool busy() const { return loading_ || !queued_.empty(); }
  // The status NavigateError reported for the last page that failed; 0 when none did.
  long lastNavigateError() const { return lastError_; }
  Pane& page() { return *page_; }
  const Pane& page() const { return *page_; }
  // The pane of a frame by name, looked for through every frame; null when there is none.
  Pane* findFrame(const std::string& name);

  // Gives the page an area of width x height pixels: the top window, the pane and the page's
  // window follow, and the page shown now lays out in a viewport of that size (a page loaded
  // later starts at the default again).
  void ResizePage(long width, long height);

  // Asks the sinks through WindowClosing, then closes; false when one cancelled.
  bool Close();
  // Closes without asking, as Quit does.
  void Quit();
  bool closed() const { return top_ == nullptr; }
  // When the window closes, its thread's message loop is told to end.
  void endThreadOnClose() { endThreadOnClose_ = true; }

  // Events (events sinks connected through the browser port).
  platform::Connection connect(browser::Events& sink);
  void fire(const std::function<void(browser::Events&)>& event);

 private:
  struct QueuedLoad {
    com::Ptr<IUnknown> browser;  // of the page or frame to load into
    std::string url;
  };
  void runQueuedLoads();
  void loadInto(Pane& target, const std::string& url);
  // target: the navigation's own page, whose failure fails the load.
  bool beginLoad(Pane& pane, const std::string& url, bool target);
  bool showPage(Pane& pane, const Fetched& page);
  bool startFrame(Pane& frame);
  void finishLoad(Pane& pane);
  // Fires NavigateError; true when a sink cancelled it.
  bool failLoad(Pane& pane, const std::string& url, long status);
  void addFrames(Pane& pane);
  // Gives the pane a browser object of its own.
  void attachObject(Pane& pane);
  void unloadPane(Pane& pane);
  void teardown();
  BrowserWindow(HWND parent, const RECT& place);
  static LRESULT CALLBACK embeddingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  const bool embedded_;
  HWND top_ = nullptr;
  HWND bandSite_ = nullptr;
  HWND paneWindow_ = nullptr;
  HWND pageWindow_ = nullptr;
  HWND mailbox_ = nullptr;
  std::thread::id thread_;
  com::Ptr<IUnknown> site_;
  com::Ptr<IUnknown> band_;
  std::unique_ptr<Pane> page_;
  std::shared_ptr<EventSinks> sinks_;
  std::shared_ptr<bool> alive_;
  std::deque<QueuedLoad> queued_;
  bool loading_ = false;
  long lastError_ = 0;
  bool endThreadOnClose_ = false;
};

// A browser window on a thread of its own, running that thread's message loop until the
// window closes.
class BrowserThread {
 public:
  // Returns once the window exists.
  BrowserThread();
  // Quits the window if it is still open and waits for the thread to end.
  ~BrowserThread();
  BrowserThread(const BrowserThread&) = delete;
  BrowserThread& operator=(const BrowserThread&) = delete;

  com::Ptr<IUnknown> browserObject() const { return browser_; }
  // Runs work on the window's thread and waits for it; rethrows what it raised. Raises
  // kDisconnected once the window has closed.
  void run(const std::function<void(BrowserWindow&)>& work);
  // Waits until the thread's message loop has ended.
  void join();

 private:
  com::Ptr<IUnknown> browser_;
  std::thread thread_;
};

// The ProgID new browser windows are created by.
inline constexpr const char* kBrowserProgId = "InternetExplorer.Application";

}  // namespace headless
