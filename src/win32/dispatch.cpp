#include "win32/dispatch.h"

#include <charconv>
#include <cmath>
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
    // A run-time error number counts as its HRESULT would.
    if (info.wCode)
      return runtimeNumber(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, info.wCode));
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

// Script's Number to String: the shortest digits that read back, positional from 1e-7 up to
// 1e21 (integral values without a fraction), an exponent outside.
std::string numberText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0) return "0";
  char buffer[32];
  const auto written =
      std::to_chars(buffer, std::end(buffer), std::fabs(value), std::chars_format::scientific);
  // "d.ddde+XX": the digits without the point, then the exponent.
  const std::string_view scientific(buffer, static_cast<std::size_t>(written.ptr - buffer));
  const std::size_t e = scientific.find('e');
  std::string digits(scientific.substr(0, 1));
  if (e > 2) digits.append(scientific.substr(2, e - 2));
  int exponent = 0;
  const char* from = buffer + e + 1;
  std::from_chars(from + (*from == '+'), written.ptr, exponent);
  const int point = exponent + 1;  // digits before the point
  const int count = static_cast<int>(digits.size());
  std::string out(value < 0 ? "-" : "");
  if (count <= point && point <= 21) {
    out.append(digits).append(static_cast<std::size_t>(point - count), '0');
  } else if (0 < point && point <= 21) {
    out.append(digits, 0, static_cast<std::size_t>(point)).append(1, '.');
    out.append(digits, static_cast<std::size_t>(point));
  } else if (-6 < point && point <= 0) {
    out.append("0.").append(static_cast<std::size_t>(-point), '0').append(digits);
  } else {
    out.append(digits, 0, 1);
    if (count > 1) out.append(1, '.').append(digits, 1);
    out.append(exponent < 0 ? "e-" : "e+").append(std::to_string(std::abs(exponent)));
  }
  return out;
}

std::string scriptTextOf(const VARIANT& v) {
  switch (v.vt) {
    case VT_EMPTY:
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return {};
    case VT_NULL:
      return "null";
    case VT_BSTR:
      return narrow(v.bstrVal, SysStringLen(v.bstrVal));
    case VT_BOOL:
      return v.boolVal != VARIANT_FALSE ? "true" : "false";
    // Script holds every number as a double, a single too.
    case VT_R4:
      return numberText(v.fltVal);
    case VT_R8:
      return numberText(v.dblVal);
    case VT_BYREF | VT_VARIANT:
      return v.pvarVal ? scriptTextOf(*v.pvarVal) : std::string();
    default:
      break;
  }
  // Integers in decimal; references to other types followed; dates, currency and the like in
  // their text where they have one.
  Value converted;
  VARIANT* source = const_cast<VARIANT*>(&v);
  if ((v.vt & VT_BYREF) && SUCCEEDED(VariantCopyInd(converted.get(), source)))
    return scriptTextOf(converted.value());
  if (FAILED(VariantChangeType(converted.get(), source, VARIANT_ALPHABOOL, VT_BSTR))) return {};
  return converted.text();
}

}  // namespace

void check(HRESULT hr) {
  if (FAILED(hr)) platform::raise(runtimeNumber(hr));
}

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
  check(VariantChangeType(converted.get(), const_cast<VARIANT*>(&value_), VARIANT_ALPHABOOL,
                          VT_BSTR));
  return converted.text();
}

std::string Value::scriptText() const {
  return scriptTextOf(value_);
}

long Value::number() const {
  if (isNull()) return 0;
  if (value_.vt == VT_I4) return value_.lVal;
  Value converted;
  check(VariantChangeType(converted.get(), const_cast<VARIANT*>(&value_), 0, VT_I4));
  return converted.value_.lVal;
}

bool Value::flag() const {
  if (isNull()) return false;
  if (value_.vt == VT_BOOL) return value_.boolVal != VARIANT_FALSE;
  Value converted;
  check(VariantChangeType(converted.get(), const_cast<VARIANT*>(&value_), 0, VT_BOOL));
  return converted.value_.boolVal != VARIANT_FALSE;
}

com::Ptr<IDispatch> Value::object() const {
  if (isNull()) return {};
  if (value_.vt == VT_DISPATCH) return com::Ptr<IDispatch>(value_.pdispVal);
  // A null object is Nothing whichever way it is typed.
  if (value_.vt == VT_UNKNOWN)
    return value_.punkVal ? com::Ptr<IUnknown>(value_.punkVal).query<IDispatch>(IID_IDispatch)
                          : com::Ptr<IDispatch>();
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
  // The engine's "invalid target element" (600: insertAdjacentHTML on a table, a bad where) is
  // an argument the call cannot use, as E_INVALIDARG is.
  constexpr HRESULT kInvalidTarget = static_cast<HRESULT>(0x800A0258);
  if (hr == kInvalidTarget || hr == E_INVALIDARG) return platform::kInvalidCall;
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
  const bool ofClass =
      SUCCEEDED(object.QueryInterface(IID_IProvideClassInfo, classInfo.putVoid())) && classInfo &&
      SUCCEEDED(classInfo->GetClassInfo(info.put())) && info;
  if (!ofClass && (FAILED(object.GetTypeInfo(0, 0, info.put())) || !info)) return "Object";
  Bstr name;
  if (FAILED(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr)))
    return "Object";
  std::string text = name.utf8();
  // An element's dispinterface ("DispHTMLImg") stands for its class ("HTMLImg").
  if (!ofClass && text.rfind("DispHTML", 0) == 0) text.erase(0, 4);
  return text;
}

Advice::Advice(const com::Ptr<IUnknown>& source, const IID& events, IUnknown* sink) {
  const auto container = source.query<IConnectionPointContainer>(IID_IConnectionPointContainer);
  check(container->FindConnectionPoint(events, point_.put()));
  check(point_->Advise(sink, &cookie_));
}

Advice::~Advice() {
  point_->Unadvise(cookie_);
}

}  // namespace win32
