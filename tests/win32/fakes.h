// What the checks play the browser and the page with.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "win32/dispatch.h"

namespace smoke {

// A new IWebBrowser2 with one reference whose HWND is window, answering only what the band
// asks of its browser; given events (an IUnknown), it answers IConnectionPointContainer
// through that object. Null when out of memory.
void* NewFakeBrowser(HWND window, void* events = nullptr);

// One call through IDispatch::Invoke as the browser and the page make it: arguments added
// first to last and passed last to first, references pointing at what the call holds.
class Call {
 public:
  VARIANT_BOOL cancel = VARIANT_FALSE;

  Call& object(IDispatch* p) { return add(win32::Value(com::Ptr<IDispatch>(p)), false); }
  Call& flag(bool value) { return add(win32::Value::flag(value), false); }
  Call& text(const std::string& utf8) { return add(win32::Value(utf8), true); }
  Call& number(long n) { return add(win32::Value(n), true); }
  Call& empty() { return add(win32::Value(), true); }
  // Post data comes behind a second reference; a navigation without it has Empty there.
  Call& postData(const std::string& bytes);
  // Cancel by reference, as the browser asks for it.
  Call& cancelling(bool initial);
  HRESULT fire(IDispatch* sink, DISPID id);

 private:
  Call& add(win32::Value value, bool byReference);
  Call& pass(const VARIANT& arg);

  std::deque<win32::Value> held_;  // stable addresses for the references
  std::vector<VARIANT> args_;
};

}  // namespace smoke
