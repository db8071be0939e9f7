#include "win32/dispatch.h"

#include <vector>

#include <ocidl.h>

#include "win32/wide.h"

namespace win32 {
namespace {

// Takes the text out of an EXCEPINFO and frees it; the object may leave it to be filled late.
struct Exception {
  EXCEPINFO info{};
  ~Exception() {
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
  }
  std::int32_t number(HRESULT hr) {
    if (hr != DISP_E_EXCEPTION) return runtimeNumber(hr);
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    if (info.wCode) return info.wCode;
    return info.scode ? runtimeNumber(info.scode) : platform::kAutomationError;
  }
};

[[noreturn]] void raiseFailure(HRESULT hr, Exception& exception) {
  const std::int32_t number = exception.number(hr);
  std::string source = narrow(exception.info.bstrSource);
  std::string description = narrow(exception.info.bstrDescription);
  if (source.empty()) source = platform::kRuntimeSource;
  if (description.empty()) description = platform::describe(number);
  throw platform::Error(number, std::move(source), std::move(description), GetLastError());
}

Value invoke(const com::Ptr<IDispatch>& object, std::string_view member, WORD flags,
             std::initializer_list<Value> args) {
  IDispatch* target = object.operator->();
  std::wstring name = wide(member);
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  Exception exception;
  HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) raiseFailure(hr, exception);
  // Arguments go last to first; the values stay owned by args.
  std::vector<VARIANT> reversed;
  reversed.reserve(args.size());
  for (auto it = std::rbegin(args); it != std::rend(args); ++it) reversed.push_back(it->value());
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  const bool putting = flags == DISPATCH_PROPERTYPUT;
  if (putting) {
    params.rgdispidNamedArgs = &named;
    params.cNamedArgs = 1;
  }
  Value result;
  UINT badArgument = 0;
  hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                      putting ? nullptr : result.get(), &exception.info, &badArgument);
  if (FAILED(hr)) raiseFailure(hr, exception);
  return result;
}

void checkConversion(HRESULT hr) {
  if (FAILED(hr)) platform::raise(runtimeNumber(hr));
}

}  // namespace

Value::Value(std::string_view utf8) : Value() {
  value_.bstrVal = Bstr(utf8).detach();
  value_.vt = VT_BSTR;
}

Value::Value(long number) : Value() {
  value_.vt = VT_I4;
  value_.lVal = number;
}

Value::Value(const com::Ptr<IDispatch>& object) : Value() {
  value_.vt = VT_DISPATCH;
  value_.pdispVal = object.get();
  if (value_.pdispVal) value_.pdispVal->AddRef();
}

Value Value::flag(bool value) {
  Value v;
  v.value_.vt = VT_BOOL;
  v.value_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

Value::Value(Value&& other) noexcept : value_(other.value_) {
  VariantInit(&other.value_);
}

bool Value::isNull() const {
  return value_.vt == VT_EMPTY || value_.vt == VT_NULL;
}

std::string Value::text() const {
  if (isNull()) return {};
  if (value_.vt == VT_BSTR) return narrow(value_.bstrVal, SysStringLen(value_.bstrVal));
  Value converted;
  checkConversion(VariantChangeType(converted.get(), const_cast<VARIANT*>(&value_),
                                    VARIANT_ALPHABOOL, VT_BSTR));
  return converted.text();
}

long Value::number() const {
  if (isNull()) return 0;
  if (value_.vt == VT_I4) return value_.lVal;
  Value converted;
  checkConversion(VariantChangeType(converted.get(), const_cast<VARIANT*>(&value_), 0, VT_I4));
  return converted.value_.lVal;
}

bool Value::flag() const {
  if (isNull()) return false;
  if (value_.vt == VT_BOOL) return value_.boolVal != VARIANT_FALSE;
  Value converted;
  checkConversion(VariantChangeType(converted.get(), const_cast<VARIANT*>(&value_), 0, VT_BOOL));
  return converted.value_.boolVal != VARIANT_FALSE;
}

com::Ptr<IDispatch> Value::object() const {
  if (isNull()) return {};
  if (value_.vt == VT_DISPATCH) return com::Ptr<IDispatch>(value_.pdispVal);
  if (value_.vt == VT_UNKNOWN && value_.punkVal)
    return com::Ptr<IUnknown>(value_.punkVal).query<IDispatch>(IID_IDispatch);
  platform::raise(platform::kObjectRequired);
}

Value get(const com::Ptr<IDispatch>& object, std::string_view member) {
  return invoke(object, member, DISPATCH_PROPERTYGET, {});
}

void put(const com::Ptr<IDispatch>& object, std::string_view member, Value value) {
  invoke(object, member, DISPATCH_PROPERTYPUT, {std::move(value)});
}

Value call(const com::Ptr<IDispatch>& object, std::string_view member,
           std::initializer_list<Value> args) {
  return invoke(object, member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}

std::int32_t runtimeNumber(HRESULT hr) {
  // The run-time's own errors travel as HRESULTs of the control facility.
  if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return HRESULT_CODE(hr);
  switch (hr) {
    case E_ACCESSDENIED:
      return platform::kPermissionDenied;
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
      return platform::kNotSupported;
    case DISP_E_TYPEMISMATCH:
      return platform::kTypeMismatch;
    case DISP_E_OVERFLOW:
      return platform::kOverflow;
    case DISP_E_BADINDEX:
      return platform::kSubscriptOutOfRange;
    case E_OUTOFMEMORY:
      return platform::kOutOfMemory;
    default:
      return hr;
  }
}

// The class's own name where the object tells it ("HTMLImg", not its dispinterface
// "DispHTMLImg"), as the run-time's TypeName answers; else the name of its type information.
std::string typeName(IDispatch& object) {
  com::Ptr<ITypeInfo> info;
  com::Ptr<IProvideClassInfo> classInfo;
  if (FAILED(object.QueryInterface(IID_IProvideClassInfo, classInfo.putVoid())) || !classInfo ||
      FAILED(classInfo->GetClassInfo(info.put())) || !info) {
    if (FAILED(object.GetTypeInfo(0, 0, info.put())) || !info) return "Object";
  }
  Bstr name;
  if (FAILED(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr)))
    return "Object";
  return name.utf8();
}

}  // namespace win32
