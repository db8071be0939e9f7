// The smallest harness: one line per failed check, the exit code says whether all passed; and
// what the checks play the browser and the page with.
#pragma once

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "runtime/error.h"
#include "win32/dispatch.h"

namespace smoke {

// Records a failure of what unless ok; returns ok.
bool expect(bool ok, const std::string& what);

// While one lives, errors caught at an entry point's boundary are counted; otherwise each is a
// failure.
struct BoundaryCatches {
  inline static BoundaryCatches* counting = nullptr;
  int count = 0;
  BoundaryCatches() { counting = this; }
  ~BoundaryCatches() { counting = nullptr; }
};

// Where a window is from another's top-left corner (or the screen's), and its width and height.
inline std::vector<long> place(HWND hwnd, HWND from = nullptr) {
  RECT r{}, o{};
  GetWindowRect(hwnd, &r);
  if (from) GetWindowRect(from, &o);
  return {r.left - o.left, r.top - o.top, r.right - r.left, r.bottom - r.top};
}

// A failure of what unless the numbers are the wanted ones; the line gives both.
void expectNumbers(const std::vector<long>& got, const std::vector<long>& wanted,
                   const std::string& what);

// A left press and release 2 pixels inside the top-left corner of r, a control's place on the
// form's window.
inline void click(HWND form, const RECT& r) {
  SendMessageW(form, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 2, r.top + 2));
  SendMessageW(form, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 2, r.top + 2));
}

// Runs this thread's message queue until done() or the wait is over; done() at the end.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds wait);

// Runs body; a platform error escaping it is a failure of what.
template <class Body>
void attempt(const std::string& what, Body&& body) {
  try {
    body();
  } catch (const platform::Error& e) {
    expect(false, what + ": error " + std::to_string(e.number) + " " + e.description);
  }
}

struct Check {
  const char* name;
  void (*run)();
};

inline void runEach(std::initializer_list<Check> checks) {
  for (const Check& c : checks) attempt(c.name, c.run);
}

inline constexpr std::int32_t kAnyFailure = 0;

// Body must raise number (any failing HRESULT for kAnyFailure); answers what it raised.
template <class Body>
std::optional<platform::Error> expectRaise(std::int32_t number, const std::string& what,
                                           Body&& body) {
  try {
    body();
  } catch (const platform::Error& e) {
    const bool ok = number == kAnyFailure ? e.number < 0 : e.number == number;
    expect(ok,
           what + " raised " + std::to_string(e.number) + ", expected " + std::to_string(number));
    return e;
  }
  expect(false, what + " did not raise");
  return std::nullopt;
}

// Work handed to it runs inside whichever loop pumps this thread's queue next: a modal form's
// or a message box's too.
class Probe {
 public:
  Probe();
  ~Probe();
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;
  void later(std::function<void()> work) const;

 private:
  HWND hwnd_;
};

// A new IWebBrowser2 with one reference whose HWND is window, answering only what the band
// asks of its browser; given events, it answers IConnectionPointContainer through that object.
// Its Document is document, or fails with documentFailure when there is none. Given told, it
// writes there a line for each bar, size and navigation it is told ("Width 759").
void* NewFakeBrowser(HWND window, void* events, HRESULT documentFailure, void* document,
                     std::string* told);
inline com::Ptr<IUnknown> fakeBrowser(HWND window = nullptr, IUnknown* events = nullptr,
                                      HRESULT documentFailure = E_NOTIMPL,
                                      IDispatch* document = nullptr, std::string* told = nullptr) {
  return com::Ptr<IUnknown>::adopt(
      static_cast<IUnknown*>(NewFakeBrowser(window, events, documentFailure, document, told)));
}

// A reference to a value of that type.
inline win32::Value pointing(VARTYPE type, void* to) {
  win32::Value ref;
  ref.get()->vt = VT_BYREF | type;
  ref.get()->byref = to;
  return ref;
}

// One call through IDispatch::Invoke as the browser and the page make it: arguments added
// first to last and passed last to first, references pointing at what the call holds.
class Call {
 public:
  VARIANT_BOOL cancel = VARIANT_FALSE;
  win32::Value result;  // of the last fire

  Call& object(IDispatch* p) { return add(win32::Value(com::Ptr<IDispatch>(p)), false); }
  // An object behind a reference of its own type.
  Call& objectReference(IDispatch* p) {
    VARIANT* object = held_.emplace_back(com::Ptr<IDispatch>(p)).get();
    return add(pointing(VT_DISPATCH, &object->pdispVal), false);
  }
  Call& flag(bool value) { return add(win32::Value::flag(value), false); }
  Call& text(const std::string& utf8) { return add(win32::Value(utf8), true); }
  Call& number(long n) { return add(win32::Value(n), true); }
  Call& empty() { return add(win32::Value(), true); }
  // A named argument (DISPID_THIS...), which goes before every positional one.
  Call& named(DISPID name, IDispatch* p) {
    names_.push_back(name);
    named_.insert(named_.begin(), *held_.emplace_back(com::Ptr<IDispatch>(p)).get());
    return *this;
  }
  // Post data comes behind a second reference; a navigation without it has Empty there.
  Call& postData(const std::string& bytes) {
    win32::Value data;
    if (!bytes.empty()) {
      data.get()->vt = VT_ARRAY | VT_UI1;
      data.get()->parray = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
      std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data.get()->parray->pvData));
    }
    return add(pointing(VT_VARIANT, held_.emplace_back(std::move(data)).get()), true);
  }
  // Cancel by reference, as the browser asks for it.
  Call& cancelling(bool initial) {
    cancel = initial ? VARIANT_TRUE : VARIANT_FALSE;
    return add(pointing(VT_BOOL, &cancel), false);
  }
  HRESULT fire(IDispatch* sink, DISPID id) {
    std::vector<VARIANT> args = named_;
    args.insert(args.end(), args_.begin(), args_.end());
    std::vector<DISPID> names(names_.rbegin(), names_.rend());
    DISPPARAMS params{args.data(), names.data(), static_cast<UINT>(args.size()),
                      static_cast<UINT>(names.size())};
    VariantClear(result.get());
    return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(),
                        nullptr, nullptr);
  }

 private:
  Call& add(win32::Value value, bool byReference) {
    VARIANT* held = held_.emplace_back(std::move(value)).get();
    args_.insert(args_.begin(), byReference ? *pointing(VT_VARIANT, held).get() : *held);
    return *this;
  }

  std::deque<win32::Value> held_;  // stable addresses for the references
  std::vector<VARIANT> args_;
  std::vector<VARIANT> named_;
  std::vector<DISPID> names_;
};

// The groups, each run in a process of its own.
void runPortChecks();
void runHttpChecks();
void runHtmlChecks();
void runHtmlEventChecks();
void runObjectModelChecks();
void runRegExpChecks();
void runBrowserEventChecks();
void runControlChecks();
void runBandChecks();
void runClipBarChecks();
void runKeywordChecks();
void runCaptureChecks();
void runExchangeChecks();
void runContextMenuChecks();
void runButtonChecks();

}  // namespace smoke
