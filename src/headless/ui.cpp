// The headless window tree and message queues. Windows are entries of one process-wide table
// keyed by their handle; each belongs to the thread that created it and gets its posted
// messages through that thread's queue. Window procedures are always called with no lock
// held, so they may create, destroy and re-parent windows freely.
#include "platform/ui.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "headless/painting.h"
#include "platform/controls.h"
#include "platform/system.h"

namespace ui {
namespace {

constexpr std::uint32_t kInvalidWindowHandle = 1400;

struct Window {
  std::string className;
  std::string title;
  // The window longs: GWL_STYLE (WS_VISIBLE is the show state, WS_DISABLED the enabled state),
  // GWL_EXSTYLE, GWLP_WNDPROC, GWLP_USERDATA, GWLP_HWNDPARENT (the owner).
  LONG_PTR style = 0;
  LONG_PTR exStyle = 0;
  LONG_PTR proc = 0;
  LONG_PTR userData = 0;
  LONG_PTR owner = 0;
  HWND parent = nullptr;
  std::vector<HWND> children;  // z-order, top first
  std::thread::id thread;
  std::map<std::string, HANDLE> props;
  RECT rect{};                     // relative to the parent's client area
  std::vector<PaintItem> painted;  // what its last paint drew
};

using Clock = std::chrono::steady_clock;

struct TimerEntry {
  std::chrono::milliseconds interval;
  Clock::time_point due;
};

struct Queue {
  std::mutex mutex;
  std::condition_variable ready;
  std::deque<MSG> messages;
  // Timers of the thread's windows; WM_TIMER is made when one is due and nothing is posted,
  // so timers never starve input, as on Windows.
  std::map<std::pair<HWND, UINT_PTR>, TimerEntry> timers;
};

struct Table {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, Window> windows;
  std::map<std::string, WNDPROC> classes;
  std::map<std::thread::id, std::shared_ptr<Queue>> queues;
  std::uintptr_t nextHandle = 0x10010;
  std::vector<HWND> topLevel;  // z-order, top first
  HWND foreground = nullptr;
  POINT cursor{0, 0};
  HWND desktop = nullptr;
};

// The screen of the headless machine.
constexpr RECT kScreen{0, 0, 1280, 1024};

Table& table() {
  static Table t;
  return t;
}

std::uintptr_t key(HWND hwnd) {
  return reinterpret_cast<std::uintptr_t>(hwnd);
}

// Caller holds the table lock.
Window* find(Table& t, HWND hwnd) {
  auto it = t.windows.find(key(hwnd));
  if (it != t.windows.end()) return &it->second;
  sys::SetLastError(kInvalidWindowHandle);
  return nullptr;
}

std::shared_ptr<Queue> queueOf(std::thread::id thread) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto& q = t.queues[thread];
  if (!q) q = std::make_shared<Queue>();
  return q;
}

std::shared_ptr<Queue> ownQueue() {
  thread_local std::shared_ptr<Queue> own = queueOf(std::this_thread::get_id());
  return own;
}

// The z-order list a window with this parent is kept in.
std::vector<HWND>* siblings(Table& t, HWND parent) {
  if (!parent) return &t.topLevel;
  Window* p = find(t, parent);
  return p ? &p->children : nullptr;
}

void unlinkChild(Table& t, HWND parent, HWND child) {
  if (std::vector<HWND>* c = siblings(t, parent))
    c->erase(std::remove(c->begin(), c->end(), child), c->end());
}

bool topmost(Table& t, HWND hwnd) {
  const Window* w = find(t, hwnd);
  return w && (w->exStyle & WS_EX_TOPMOST) != 0;
}

// On top of its siblings; one that is not topmost stays below the topmost ones.
void linkOnTop(Table& t, HWND parent, HWND child) {
  std::vector<HWND>* c = siblings(t, parent);
  if (!c) return;
  auto at = c->begin();
  if (!topmost(t, child))
    at = std::find_if_not(c->begin(), c->end(), [&](HWND h) { return topmost(t, h); });
  c->insert(at, child);
}

// Behind after, or at one of the special places; a window that is not beside hwnd stands for
// its ancestor that is.
void placeInZOrder(Table& t, HWND hwnd, Window& w, HWND after) {
  std::vector<HWND>* list = siblings(t, w.parent);
  if (!list) return;
  const auto relink = [&] {
    unlinkChild(t, w.parent, hwnd);
    linkOnTop(t, w.parent, hwnd);
  };
  if (after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
    if (after == HWND_TOPMOST)
      w.exStyle |= WS_EX_TOPMOST;
    else
      w.exStyle &= ~static_cast<LONG_PTR>(WS_EX_TOPMOST);
    return relink();
  }
  if (after == HWND_TOP) return relink();
  unlinkChild(t, w.parent, hwnd);
  if (after == HWND_BOTTOM) {
    w.exStyle &= ~static_cast<LONG_PTR>(WS_EX_TOPMOST);
    list->push_back(hwnd);
    return;
  }
  HWND beside = after;
  while (beside && std::find(list->begin(), list->end(), beside) == list->end()) {
    const Window* b = find(t, beside);
    beside = b ? b->parent : nullptr;
  }
  if (!beside) return linkOnTop(t, w.parent, hwnd);
  if (!topmost(t, beside)) w.exStyle &= ~static_cast<LONG_PTR>(WS_EX_TOPMOST);
  list->insert(std::find(list->begin(), list->end(), beside) + 1, hwnd);
}

// The window and its descendants, parents before children; iterative, so depth is unbounded.
std::vector<HWND> subtree(Table& t, HWND root) {
  std::vector<HWND> order;
  std::vector<HWND> stack{root};
  while (!stack.empty()) {
    HWND h = stack.back();
    stack.pop_back();
    Window* w = find(t, h);
    if (!w) continue;
    order.push_back(h);
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) stack.push_back(*it);
  }
  return order;
}

// Runs use(window) under the table lock; fallback when hwnd names no window.
template <class R, class Use>
R withWindow(HWND hwnd, R fallback, Use&& use) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  Window* w = find(t, hwnd);
  return w ? use(*w) : fallback;
}

WNDPROC procOf(HWND hwnd) {
  return withWindow<WNDPROC>(hwnd, nullptr,
                             [](Window& w) { return reinterpret_cast<WNDPROC>(w.proc); });
}

LONG_PTR* windowLong(Window& w, int index) {
  switch (index) {
    case GWL_STYLE:
      return &w.style;
    case GWL_EXSTYLE:
      return &w.exStyle;
    case GWLP_WNDPROC:
      return &w.proc;
    case GWLP_USERDATA:
      return &w.userData;
    case GWLP_HWNDPARENT:
      return &w.owner;
    default:
      sys::SetLastError(1413);  // ERROR_INVALID_INDEX
      return nullptr;
  }
}

bool visible(const Window& w) {
  return (w.style & WS_VISIBLE) != 0;
}

LPARAM makeSize(int width, int height) {
  return static_cast<LPARAM>((static_cast<std::uint32_t>(height & 0xFFFF) << 16) |
                             static_cast<std::uint32_t>(width & 0xFFFF));
}

void dropTimers(const std::vector<HWND>& windows) {
  auto queue = ownQueue();
  std::lock_guard lock(queue->mutex);
  std::erase_if(queue->timers, [&](const auto& entry) {
    return std::find(windows.begin(), windows.end(), entry.first.first) != windows.end();
  });
}

}  // namespace

bool RegisterWindowClass(const std::string& className, WNDPROC proc) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  t.classes.emplace(className, proc);
  return true;
}

HWND CreateWindowEx(DWORD exStyle, const std::string& className, const std::string& title,
                    DWORD style, int x, int y, int width, int height, HWND parent) {
  HWND hwnd;
  {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto cls = t.classes.find(className);
    if (cls == t.classes.end()) {
      sys::SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
      return nullptr;
    }
    Window* p = parent ? find(t, parent) : nullptr;
    if (parent && !p) return nullptr;
    hwnd = reinterpret_cast<HWND>(t.nextHandle);
    t.nextHandle += 2;
    Window w;
    w.className = className;
    w.title = title;
    w.style = style;
    w.exStyle = exStyle;
    w.parent = parent;
    w.thread = std::this_thread::get_id();
    w.proc = reinterpret_cast<LONG_PTR>(cls->second);
    w.rect = {x, y, x + width, y + height};
    linkOnTop(t, parent, hwnd);
    t.windows.emplace(key(hwnd), std::move(w));
  }
  SendMessage(hwnd, WM_CREATE, 0, 0);
  return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
  std::vector<HWND> doomed;
  {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    if (!find(t, hwnd)) return FALSE;
    doomed = subtree(t, hwnd);
  }
  for (HWND h : doomed) SendMessage(h, WM_DESTROY, 0, 0);
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) SendMessage(*it, WM_NCDESTROY, 0, 0);
  dropTimers(doomed);
  Table& t = table();
  std::lock_guard lock(t.mutex);
  if (Window* w = find(t, hwnd)) unlinkChild(t, w->parent, hwnd);
  for (HWND h : doomed) t.windows.erase(key(h));
  if (std::find(doomed.begin(), doomed.end(), t.foreground) != doomed.end()) t.foreground = nullptr;
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  return t.windows.count(key(hwnd)) ? TRUE : FALSE;
}

std::string GetClassName(HWND hwnd) {
  return withWindow<std::string>(hwnd, {}, [](Window& w) { return w.className; });
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
  return withWindow<LONG_PTR>(hwnd, 0, [&](Window& w) -> LONG_PTR {
    LONG_PTR* value = windowLong(w, index);
    return value ? *value : 0;
  });
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR newValue) {
  return withWindow<LONG_PTR>(hwnd, 0, [&](Window& w) -> LONG_PTR {
    LONG_PTR* value = windowLong(w, index);
    return value ? std::exchange(*value, newValue) : 0;
  });
}

HWND SetParent(HWND child, HWND parent) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  Window* c = find(t, child);
  Window* p = parent ? find(t, parent) : nullptr;
  if (!c || (parent && !p)) return nullptr;
  for (HWND h = parent; h; h = find(t, h)->parent) {
    if (h == child) return nullptr;  // would make a cycle
  }
  HWND previous = c->parent;
  unlinkChild(t, previous, child);
  c->parent = parent;
  linkOnTop(t, parent, child);
  return previous;
}

HWND GetParent(HWND hwnd) {
  return withWindow<HWND>(hwnd, nullptr, [](Window& w) { return w.parent; });
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
  const bool show = cmdShow != SW_HIDE;
  const int before = withWindow<int>(hwnd, -1, [&](Window& w) {
    const bool was = visible(w);
    w.style = show ? (w.style | WS_VISIBLE) : (w.style & ~static_cast<LONG_PTR>(WS_VISIBLE));
    return was ? 1 : 0;
  });
  if (before < 0) return FALSE;
  if (before != show) SendMessage(hwnd, WM_SHOWWINDOW, show, 0);
  return before;
}

BOOL IsWindowVisible(HWND hwnd) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  for (Window* w = find(t, hwnd); w; w = w->parent ? find(t, w->parent) : nullptr) {
    if (!visible(*w)) return FALSE;
    if (!w->parent) return TRUE;
  }
  return FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL) {
  bool resized;
  {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    Window* w = find(t, hwnd);
    if (!w) return FALSE;
    resized = w->rect.right - w->rect.left != width || w->rect.bottom - w->rect.top != height;
    w->rect = {x, y, x + width, y + height};
  }
  SendMessage(hwnd, WM_MOVE, 0, 0);
  if (resized) SendMessage(hwnd, WM_SIZE, 0, makeSize(width, height));
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  Window* w = find(t, hwnd);
  if (!w || !rect) return FALSE;
  *rect = w->rect;
  for (Window* p = w->parent ? find(t, w->parent) : nullptr; p;
       p = p->parent ? find(t, p->parent) : nullptr) {
    rect->left += p->rect.left;
    rect->right += p->rect.left;
    rect->top += p->rect.top;
    rect->bottom += p->rect.top;
  }
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  return withWindow<BOOL>(hwnd, FALSE, [&](Window& w) {
    if (!rect) return FALSE;
    *rect = {0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
    return TRUE;
  });
}

BOOL EnumChildWindows(HWND parent, EnumWindowsCallback callback, LPARAM lParam) {
  std::vector<HWND> all;
  {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    if (!find(t, parent)) return FALSE;
    all = subtree(t, parent);
  }
  for (std::size_t i = 1; i < all.size(); ++i) {
    if (IsWindow(all[i]) && !callback(all[i], lParam)) break;
  }
  return TRUE;
}

// Answers whether the window was disabled before, as user32 does.
BOOL EnableWindow(HWND hwnd, BOOL enable) {
  return withWindow<BOOL>(hwnd, FALSE, [&](Window& w) {
    const bool wasDisabled = (w.style & WS_DISABLED) != 0;
    w.style = enable ? (w.style & ~static_cast<LONG_PTR>(WS_DISABLED)) : (w.style | WS_DISABLED);
    return wasDisabled ? TRUE : FALSE;
  });
}

BOOL IsWindowEnabled(HWND hwnd) {
  return withWindow<BOOL>(hwnd, FALSE,
                          [](Window& w) { return (w.style & WS_DISABLED) ? FALSE : TRUE; });
}

BOOL BringWindowToTop(HWND hwnd) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  Window* w = find(t, hwnd);
  if (!w) return FALSE;
  unlinkChild(t, w->parent, hwnd);
  linkOnTop(t, w->parent, hwnd);
  return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  RECT current{};
  {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    Window* w = find(t, hwnd);
    if (!w || hwnd == insertAfter) return FALSE;
    current = w->rect;
    if (!(flags & SWP_NOZORDER)) placeInZOrder(t, hwnd, *w, insertAfter);
  }
  if ((flags & SWP_NOMOVE) && (flags & SWP_NOSIZE)) return TRUE;
  if (flags & SWP_NOMOVE) x = current.left, y = current.top;
  if (flags & SWP_NOSIZE)
    width = current.right - current.left, height = current.bottom - current.top;
  return MoveWindow(hwnd, x, y, width, height, TRUE);
}

// Made on first use and kept out of every z-order, so nothing finds it under a point.
HWND GetDesktopWindow() {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  if (!t.desktop) {
    t.desktop = reinterpret_cast<HWND>(t.nextHandle);
    t.nextHandle += 2;
    Window w;
    w.className = "#32769";
    w.style = WS_VISIBLE;
    w.rect = kScreen;
    t.windows.emplace(key(t.desktop), std::move(w));
  }
  return t.desktop;
}

// Activation is the calling thread's, as the real one is per input queue.
HWND SetActiveWindow(HWND hwnd) {
  thread_local HWND active = nullptr;
  if (!BringWindowToTop(hwnd)) return nullptr;
  return std::exchange(active, hwnd);
}

BOOL SetForegroundWindow(HWND hwnd) {
  if (!BringWindowToTop(hwnd)) return FALSE;
  Table& t = table();
  std::lock_guard lock(t.mutex);
  t.foreground = hwnd;
  return TRUE;
}

HWND GetForegroundWindow() {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  return t.foreground;
}

HWND SetFocus(HWND hwnd) {
  thread_local HWND focus = nullptr;
  if (hwnd && !IsWindow(hwnd)) return nullptr;
  return std::exchange(focus, hwnd);
}

namespace {

bool contains(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The first visible window of the list (top first) whose rectangle, offset by its parent's
// screen origin, holds the point.
HWND hitAmong(Table& t, const std::vector<HWND>& list, POINT origin, POINT point, RECT* hit) {
  for (HWND h : list) {
    Window* w = find(t, h);
    if (!w || !visible(*w)) continue;
    const RECT r{origin.x + w->rect.left, origin.y + w->rect.top, origin.x + w->rect.right,
                 origin.y + w->rect.bottom};
    if (!contains(r, point)) continue;
    *hit = r;
    return h;
  }
  return nullptr;
}

}  // namespace

HWND WindowFromPoint(POINT point) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  RECT rect{};
  HWND deepest = hitAmong(t, t.topLevel, {0, 0}, point, &rect);
  for (HWND h = deepest; h;
       h = hitAmong(t, find(t, h)->children, {rect.left, rect.top}, point, &rect))
    deepest = h;
  return deepest;
}

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  Table& t = table();
  std::lock_guard lock(t.mutex);
  *point = t.cursor;
  return TRUE;
}

// Moves the pointer only: nothing under it hears of the move.
BOOL SetCursorPos(int x, int y) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  t.cursor = {x, y};
  return TRUE;
}

BOOL SetProp(HWND hwnd, const std::string& name, HANDLE value) {
  return withWindow<BOOL>(hwnd, FALSE, [&](Window& w) {
    w.props[name] = value;
    return TRUE;
  });
}

HANDLE GetProp(HWND hwnd, const std::string& name) {
  return withWindow<HANDLE>(hwnd, nullptr, [&](Window& w) -> HANDLE {
    auto it = w.props.find(name);
    return it == w.props.end() ? nullptr : it->second;
  });
}

HANDLE RemoveProp(HWND hwnd, const std::string& name) {
  return withWindow<HANDLE>(hwnd, nullptr, [&](Window& w) -> HANDLE {
    auto it = w.props.find(name);
    if (it == w.props.end()) return nullptr;
    HANDLE value = it->second;
    w.props.erase(it);
    return value;
  });
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

LRESULT DefWindowProc(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallWindowProc(procOf(hwnd), hwnd, msg, wParam, lParam);
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Queue> queue;
  if (!hwnd) {
    queue = ownQueue();
  } else {
    std::thread::id owner;
    {
      Table& t = table();
      std::lock_guard lock(t.mutex);
      Window* w = find(t, hwnd);
      if (!w) return FALSE;
      owner = w->thread;
    }
    queue = owner == std::this_thread::get_id() ? ownQueue() : queueOf(owner);
  }
  {
    std::lock_guard lock(queue->mutex);
    queue->messages.push_back(MSG{hwnd, msg, wParam, lParam, 0, {0, 0}});
  }
  queue->ready.notify_one();
  return TRUE;
}

namespace {

// Caller holds the queue's lock.
std::optional<Clock::time_point> earliestTimer(Queue& queue) {
  std::optional<Clock::time_point> earliest;
  for (const auto& [key, timer] : queue.timers)
    if (!earliest || timer.due < *earliest) earliest = timer.due;
  return earliest;
}

bool takeDueTimer(Queue& queue, MSG* msg) {
  const auto now = Clock::now();
  for (auto it = queue.timers.begin(); it != queue.timers.end(); ++it) {
    if (it->second.due > now) continue;
    const auto [hwnd, id] = it->first;
    it->second.due = now + it->second.interval;
    *msg = MSG{hwnd, WM_TIMER, static_cast<WPARAM>(id), 0, 0, {0, 0}};
    return true;
  }
  return false;
}

bool takeMessage(Queue& queue, MSG* msg) {
  if (queue.messages.empty()) return takeDueTimer(queue, msg);
  *msg = queue.messages.front();
  queue.messages.pop_front();
  return true;
}

}  // namespace

BOOL GetMessage(MSG* msg) {
  auto queue = ownQueue();
  std::unique_lock lock(queue->mutex);
  while (!takeMessage(*queue, msg)) {
    if (const auto due = earliestTimer(*queue))
      queue->ready.wait_until(lock, *due);
    else
      queue->ready.wait(lock);
  }
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessage(MSG* msg) {
  auto queue = ownQueue();
  std::lock_guard lock(queue->mutex);
  return takeMessage(*queue, msg) ? TRUE : FALSE;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT milliseconds) {
  if (!IsWindow(hwnd)) return 0;
  auto queue = ownQueue();
  std::lock_guard lock(queue->mutex);
  const std::chrono::milliseconds interval(std::max<UINT>(milliseconds, 1));
  queue->timers[{hwnd, id}] = TimerEntry{interval, Clock::now() + interval};
  return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto queue = ownQueue();
  std::lock_guard lock(queue->mutex);
  return queue->timers.erase({hwnd, id}) ? TRUE : FALSE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  RECT r{};
  if (!point || !GetWindowRect(hwnd, &r)) return FALSE;
  point->x += r.left;
  point->y += r.top;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  RECT r{};
  if (!point || !GetWindowRect(hwnd, &r)) return FALSE;
  point->x -= r.left;
  point->y -= r.top;
  return TRUE;
}

// Nothing is drawn here: the window keeps what would have been, for tests to read.
void PaintControls(HWND hwnd, const std::vector<PaintItem>& items) {
  withWindow<bool>(hwnd, false, [&](Window& w) {
    w.painted = items;
    return true;
  });
}

void SetToolTips(HWND, const std::vector<ToolTipItem>&) {}
void InvalidateRect(HWND hwnd) {
  SendMessage(hwnd, WM_PAINT, 0, 0);
}
void InitCommonControls() {}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg->hwnd) return 0;
  return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PostQuitMessage(int exitCode) {
  PostMessage(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

void DoEvents() {
  auto queue = ownQueue();
  std::size_t pending;
  {
    std::lock_guard lock(queue->mutex);
    pending = queue->messages.size() + queue->timers.size();
  }
  // Only what was pending on entry, so a handler that posts again cannot spin this forever.
  MSG msg;
  while (pending-- > 0 && PeekMessage(&msg)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the thread's loop
      break;
    }
    DispatchMessage(&msg);
  }
}

HCURSOR LoadHandCursor() {
  static int handCursor;
  return reinterpret_cast<HCURSOR>(&handCursor);
}

namespace {
HCURSOR& threadCursor() {
  thread_local HCURSOR cursor = nullptr;
  return cursor;
}
}  // namespace

HCURSOR SetCursor(HCURSOR cursor) {
  return std::exchange(threadCursor(), cursor);
}

HCURSOR GetCursor() {
  return threadCursor();
}

}  // namespace ui

std::string headless::WindowTitle(HWND hwnd) {
  return ui::withWindow<std::string>(hwnd, {}, [](ui::Window& w) { return w.title; });
}

std::vector<ui::PaintItem> headless::PaintedItems(HWND hwnd) {
  return ui::withWindow<std::vector<ui::PaintItem>>(hwnd, {},
                                                    [](ui::Window& w) { return w.painted; });
}
