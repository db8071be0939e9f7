#include "scripted.h"

#include <mshtml.h>

#include "win32/wide.h"

namespace smoke {
namespace {

// As the check gave it, references included.
void assign(win32::Value& to, const VARIANT& from) {
  VariantClear(to.get());
  win32::check(VariantCopy(to.get(), const_cast<VARIANT*>(&from)));
}

// As a callee keeps what it was given: a reference's value.
void keep(win32::Value& to, const VARIANT& from) {
  VariantClear(to.get());
  win32::check(VariantCopyInd(to.get(), const_cast<VARIANT*>(&from)));
}

std::wstring textOf(const VARIANT& v) {
  return v.vt == VT_BSTR && v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal))
                                      : std::wstring();
}

bool sameName(std::wstring_view a, std::wstring_view b, bool matchCase) {
  if (a.size() != b.size()) return false;
  return (matchCase ? wcsncmp(a.data(), b.data(), a.size())
                    : _wcsnicmp(a.data(), b.data(), a.size())) == 0;
}

// An address as the engine resolves it when asked for the property rather than the text.
win32::Value interpolated(const std::wstring& name, const win32::Value& value) {
  const bool address = sameName(name, L"href", false) || sameName(name, L"src", false);
  if (address && value.value().vt == VT_BSTR)
    return win32::Value(ScriptedObject::kBase + value.text());
  win32::Value out;
  assign(out, value.value());
  return out;
}

}  // namespace

win32::Value typed(VARTYPE type) {
  win32::Value value;
  value.get()->vt = type;
  return value;
}

win32::Value real(double number) {
  win32::Value value = typed(VT_R8);
  value.get()->dblVal = number;
  return value;
}

ScriptedObject::ScriptedObject() {
  // The attribute store, by the engine's rules.
  const auto flagsOf = [](const std::vector<const VARIANT*>& args, std::size_t i) {
    return args.size() > i ? args[i] : nullptr;
  };
  method("getAttribute", [=, this](const std::vector<const VARIANT*>& args, VARIANT* result) {
    const VARIANT* flags = flagsOf(args, 1);
    const auto found = findAttribute(*args.at(0), flags, 0);
    if (found == attributes_.end()) return result->vt = VT_NULL, S_OK;
    if (flags && (flags->lVal & 2)) return VariantCopy(result, found->value.get());
    return VariantCopy(result, interpolated(found->name, found->value).get());
  });
  method("setAttribute", [=, this](const std::vector<const VARIANT*>& args, VARIANT*) {
    auto found = findAttribute(*args.at(0), flagsOf(args, 2), 1);
    if (found == attributes_.end())
      found = attributes_.insert(attributes_.end(), {textOf(*args.at(0)), win32::Value()});
    keep(found->value, *args.at(1));
    return S_OK;
  });
  method("removeAttribute", [=, this](const std::vector<const VARIANT*>& args, VARIANT* result) {
    const auto found = findAttribute(*args.at(0), flagsOf(args, 1), 1);
    const bool removed = found != attributes_.end();
    if (removed) attributes_.erase(found);
    result->vt = VT_BOOL;
    result->boolVal = removed ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
  // A new collection of attribute nodes on every read, as the engine makes one.
  method("attributes", [this](const std::vector<const VARIANT*>&, VARIANT* result) {
    std::vector<com::Ptr<IDispatch>> nodes;
    for (const Attribute& a : attributes_) {
      auto node = make();
      node->answer("nodeName", win32::narrow(a.name.c_str())).answer("nodeValue", a.value);
      node->answer("specified", win32::Value::flag(true));
      nodes.emplace_back(node.get());
    }
    result->vt = VT_DISPATCH;
    result->pdispVal = collection(std::move(nodes)).detach();
    return S_OK;
  });
}

com::Ptr<ScriptedObject> ScriptedObject::make() {
  return com::Ptr<ScriptedObject>::adopt(new ScriptedObject());
}

com::Ptr<ScriptedObject> ScriptedObject::collection(std::vector<com::Ptr<IDispatch>> items) {
  auto out = make();
  out->answer("length", win32::Value(static_cast<long>(items.size())));
  out->method("item", [items](const std::vector<const VARIANT*>& args, VARIANT* result) {
    const auto i = static_cast<std::size_t>(args.at(0)->lVal);
    if (i >= items.size()) return result->vt = VT_NULL, S_OK;
    result->vt = VT_DISPATCH;
    result->pdispVal = com::Ptr<IDispatch>(items[i]).detach();
    return S_OK;
  });
  return out;
}

ScriptedObject::Member& ScriptedObject::member(std::string_view name) {
  const std::wstring wide = win32::wide(name);
  const std::size_t known = indexOf(wide);
  if (known < members_.size()) return members_[known];
  return members_.emplace_back(Member{wide, {}, S_OK, 0, 0, {}, {}});
}

std::size_t ScriptedObject::indexOf(std::wstring_view name) const {
  std::size_t i = 0;
  while (i < members_.size() && !sameName(members_[i].name, name, false)) ++i;
  return i;
}

ScriptedObject& ScriptedObject::answer(std::string_view name, const VARIANT& value) {
  Member& m = member(name);
  m.failure = S_OK;
  m.body = nullptr;
  assign(m.value, value);
  return *this;
}

ScriptedObject& ScriptedObject::fail(std::string_view name, HRESULT hr) {
  member(name).failure = hr;
  return *this;
}

ScriptedObject& ScriptedObject::raise(std::string_view name, SCODE scode, WORD code,
                                      const std::string& description) {
  Member& m = member(name);
  m.failure = DISP_E_EXCEPTION;
  m.scode = scode;
  m.code = code;
  m.description = win32::wide(description);
  return *this;
}

ScriptedObject& ScriptedObject::method(std::string_view name, Method body) {
  Member& m = member(name);
  m.failure = S_OK;
  m.body = std::move(body);
  return *this;
}

const VARIANT& ScriptedObject::value(std::string_view name) const {
  static const win32::Value nothing;
  const std::size_t i = indexOf(win32::wide(name));
  return i < members_.size() ? members_[i].value.value() : nothing.value();
}

ScriptedObject& ScriptedObject::attribute(const std::string& name, const win32::Value& value) {
  assign(attributes_.insert(attributes_.end(), {win32::wide(name), win32::Value()})->value,
         value.value());
  return *this;
}

std::vector<std::string> ScriptedObject::attributeNames() const {
  std::vector<std::string> out;
  for (const Attribute& a : attributes_) out.push_back(win32::narrow(a.name.c_str()));
  return out;
}

std::list<ScriptedObject::Attribute>::iterator ScriptedObject::findAttribute(const VARIANT& name,
                                                                             const VARIANT* flags,
                                                                             long defaultFlags) {
  const bool matchCase = (flags ? flags->lVal : defaultFlags) & 1;
  for (auto it = attributes_.begin(); it != attributes_.end(); ++it)
    if (sameName(it->name, textOf(name), matchCase)) return it;
  return attributes_.end();
}

ScriptedObject& ScriptedObject::events(const IID& iid) {
  events_ = &iid;
  return *this;
}

void ScriptedObject::fire(DISPID event, Call& call) {
  // A sink may unadvise while it runs.
  const auto sinks = sinks_;
  for (const auto& [cookie, sink] : sinks) call.fire(sink.get(), event);
}

ScriptedObject& ScriptedObject::browser(com::Ptr<IUnknown> object) {
  browser_ = std::move(object);
  return *this;
}

ScriptedObject& ScriptedObject::typeNamed(const std::string& name) {
  com::Ptr<ICreateTypeLib2> library;
  win32::check(CreateTypeLib2(SYS_WIN64, L"scripted.tlb", library.put()));
  com::Ptr<ICreateTypeInfo> created;
  std::wstring wide = win32::wide(name);
  win32::check(library->CreateTypeInfo(wide.data(), TKIND_DISPATCH, created.put()));
  typeLib_ = library.query<ITypeLib>(IID_ITypeLib);
  typeInfo_ = created.query<ITypeInfo>(IID_ITypeInfo);
  return *this;
}

ScriptedObject& ScriptedObject::eventObject() {
  eventObject_ = true;
  return *this;
}

HRESULT ScriptedObject::QueryInterface(REFIID riid, void** ppv) {
  IDispatch* self = this;
  if (eventObject_ && IsEqualIID(riid, __uuidof(IHTMLEventObj)))
    return com::answer(riid, ppv, {{riid, self}});
  return com::answer(
      riid, ppv,
      {{IID_IDispatch, self},
       {IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
       {IID_IConnectionPoint, static_cast<IConnectionPoint*>(this)},
       {IID_IServiceProvider, static_cast<IServiceProvider*>(this)}});
}

HRESULT ScriptedObject::GetTypeInfoCount(UINT* count) {
  *count = typeInfo_ ? 1 : 0;
  return S_OK;
}

HRESULT ScriptedObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  *info = com::Ptr<ITypeInfo>(typeInfo_).detach();
  return *info ? S_OK : E_NOTIMPL;
}

HRESULT ScriptedObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  const std::size_t i = count == 1 ? indexOf(names[0]) : members_.size();
  if (i == members_.size()) return DISP_E_UNKNOWNNAME;
  *ids = static_cast<DISPID>(i) + 1;
  return S_OK;
}

HRESULT ScriptedObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* info, UINT*) {
  if (id < 1 || static_cast<std::size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
  Member& m = members_[static_cast<std::size_t>(id) - 1];
  if (m.failure == DISP_E_EXCEPTION && info) {
    *info = EXCEPINFO{};
    info->scode = m.scode;
    info->wCode = m.code;
    if (!m.description.empty()) info->bstrDescription = SysAllocString(m.description.c_str());
  }
  if (FAILED(m.failure)) return m.failure;
  if (flags & DISPATCH_PROPERTYPUT) {
    if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT ||
        params->cArgs != 1)
      return DISP_E_PARAMNOTFOUND;
    keep(m.value, params->rgvarg[0]);
    return S_OK;
  }
  if (!result) return E_POINTER;
  if (!m.body) return VariantCopy(result, m.value.get());
  std::vector<const VARIANT*> args;
  for (UINT i = params->cArgs; i > params->cNamedArgs; --i) args.push_back(&params->rgvarg[i - 1]);
  return m.body(args, result);
}

HRESULT ScriptedObject::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  *point = nullptr;
  if (!events_ || !IsEqualIID(riid, *events_)) return CONNECT_E_NOCONNECTION;
  return QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(point));
}

HRESULT ScriptedObject::GetConnectionInterface(IID* iid) {
  if (!events_) return E_UNEXPECTED;
  *iid = *events_;
  return S_OK;
}

HRESULT ScriptedObject::GetConnectionPointContainer(IConnectionPointContainer** container) {
  return QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container));
}

// The sink must answer the events' interface, as the engine asks it to.
HRESULT ScriptedObject::Advise(IUnknown* sink, DWORD* cookie) {
  com::Ptr<IDispatch> events;
  if (!events_ || FAILED(sink->QueryInterface(*events_, events.putVoid())))
    return CONNECT_E_CANNOTCONNECT;
  *cookie = 0x100 + static_cast<DWORD>(advised.size());
  advised.push_back(*cookie);
  sinks_[*cookie] = std::move(events);
  return S_OK;
}

HRESULT ScriptedObject::Unadvise(DWORD cookie) {
  unadvised.push_back(cookie);
  return sinks_.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
}

HRESULT ScriptedObject::QueryService(REFGUID service, REFIID riid, void** ppv) {
  *ppv = nullptr;
  if (!browser_ || !IsEqualGUID(service, IID_IWebBrowserApp)) return E_NOINTERFACE;
  return browser_->QueryInterface(riid, ppv);
}

}  // namespace smoke
