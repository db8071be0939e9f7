#include "fakes.h"

#include <algorithm>

namespace smoke {

Call& Call::postData(const std::string& bytes) {
  win32::Value data;
  if (!bytes.empty()) {
    data.get()->vt = VT_ARRAY | VT_UI1;
    data.get()->parray = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data.get()->parray->pvData));
  }
  win32::Value reference;
  reference.get()->vt = VT_BYREF | VT_VARIANT;
  reference.get()->pvarVal = held_.emplace_back(std::move(data)).get();
  return add(std::move(reference), true);
}

Call& Call::cancelling(bool initial) {
  cancel = initial ? VARIANT_TRUE : VARIANT_FALSE;
  VARIANT arg{};
  arg.vt = VT_BYREF | VT_BOOL;
  arg.pboolVal = &cancel;
  return pass(arg);
}

HRESULT Call::fire(IDispatch* sink, DISPID id) {
  DISPPARAMS params{args_.data(), nullptr, static_cast<UINT>(args_.size()), 0};
  win32::Value result;
  return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(),
                      nullptr, nullptr);
}

Call& Call::add(win32::Value value, bool byReference) {
  VARIANT* held = held_.emplace_back(std::move(value)).get();
  if (!byReference) return pass(*held);
  VARIANT arg{};
  arg.vt = VT_BYREF | VT_VARIANT;
  arg.pvarVal = held;
  return pass(arg);
}

Call& Call::pass(const VARIANT& arg) {
  args_.insert(args_.begin(), arg);
  return *this;
}

}  // namespace smoke
