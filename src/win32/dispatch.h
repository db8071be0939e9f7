// Late binding: members of an automation object reached by name, as page script reaches them.
// Failures come out as the run-time raised them to a script: access denied as permission denied
// (70), a member the object lacks as 438, an exception the object raised with its own number
// and text.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/comobject.h"
#include "runtime/connection.h"

namespace win32 {

// A value passed to or answered by a member; owns what the VARIANT holds.
class Value {
 public:
  Value() { VariantInit(&value_); }
  Value(std::string_view utf8);
  Value(const char* utf8) : Value(std::string_view(utf8)) {}
  Value(const std::string& utf8) : Value(std::string_view(utf8)) {}
  Value(long number);
  // Nothing passes as a null object, as a script passes it.
  Value(const com::Ptr<IDispatch>& object);
  static Value flag(bool value);
  Value(Value&& other) noexcept;
  Value& operator=(Value&&) = delete;
  Value(const Value&) = delete;
  ~Value() { VariantClear(&value_); }

  VARIANT* get() { return &value_; }
  const VARIANT& value() const { return value_; }

  // Empty or Null.
  bool isNull() const;
  // Null reads as "", a flag as "True"/"False", numbers in their usual text.
  std::string text() const;
  // What page script prints for the value (String(value)), but Empty and objects read "".
  // Never raises.
  std::string scriptText() const;
  // Null reads as 0.
  long number() const;
  bool flag() const;
  // Null reads as Nothing; anything else but an object raises 424.
  com::Ptr<IDispatch> object() const;

 private:
  VARIANT value_;
};

Value get(const com::Ptr<IDispatch>& object, std::string_view member);
void put(const com::Ptr<IDispatch>& object, std::string_view member, Value value);
Value call(const com::Ptr<IDispatch>& object, std::string_view member,
           std::initializer_list<Value> args = {});

// The run-time's number for a failing HRESULT (E_ACCESSDENIED is 70, DISP_E_UNKNOWNNAME 438...).
std::int32_t runtimeNumber(HRESULT hr);
// Raises the run-time's number for a failing HRESULT.
void check(HRESULT hr);

// An object the browser only calls back, through Invoke: no type information, no names.
class Callback : public com::Object<IDispatch> {
 public:
  // Answers IDispatch and, when given, the event interface it stands for.
  explicit Callback(const IID& events = IID_IDispatch) : events_(events) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return com::answer(riid, ppv, {{IID_IDispatch, this}, {events_, this}});
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }

 private:
  const IID& events_;
};

// A sink advised on a connection point of source; destroyed, it unadvises. The source may have
// gone by then (a page that unloaded), so a failing Unadvise goes unheard.
class Advice {
 public:
  Advice(const com::Ptr<IUnknown>& source, const IID& events, IUnknown* sink);
  ~Advice();
  Advice(const Advice&) = delete;
  Advice& operator=(const Advice&) = delete;

 private:
  com::Ptr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

// Advises sink for events on source, until the last copy of the connection goes. The source may
// call the sink past Unadvise, so the sink is cut off (its cut()) first.
template <class Sink>
platform::Connection advise(const com::Ptr<IUnknown>& source, const IID& events,
                            com::Ptr<Sink> sink) {
  struct Advised {
    com::Ptr<Sink> sink;
    Advice advice;
    ~Advised() { sink.get()->cut(); }
  };
  IUnknown* unknown = sink.get();
  return platform::Connection(
      std::shared_ptr<Advised>(new Advised{std::move(sink), Advice(source, events, unknown)}));
}

// The run-time's TypeName: the name of the object's type information; "Object" without one.
std::string typeName(IDispatch& object);

}  // namespace win32
