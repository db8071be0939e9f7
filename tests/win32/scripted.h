// Page objects for the checks, where no HTML engine runs: an object answering each member from
// what its check filled in, and the engine's ways where the adapter relies on them (attribute
// flags, connection points, the browser behind a window, type information).
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "win32/html_impl.h"
#include "win32/wide.h"

// After the ports: they need the Windows headers the ports bring.
#include <mshtml.h>
#include <olectl.h>

namespace smoke {

// A value of one type with nothing in it: VT_NULL, a null VT_UNKNOWN...
inline win32::Value typed(VARTYPE type) {
  win32::Value value;
  value.get()->vt = type;
  return value;
}

inline win32::Value real(double number) {
  win32::Value value = typed(VT_R8);
  value.get()->dblVal = number;
  return value;
}

class ScriptedObject final
    : public com::Object<IDispatch, IConnectionPointContainer, IConnectionPoint, IServiceProvider,
                         IProvideClassInfo> {
 public:
  static constexpr const char* kRaised = "Raised by the page";  // what its exceptions say
  // getAttribute without flag 2 answers an href or src as an address below this.
  static constexpr const char* kBase = "http://example.test/";

  static com::Ptr<ScriptedObject> make() {
    return com::Ptr<ScriptedObject>::adopt(new ScriptedObject());
  }

  // Reading the member answers value, calling it too; a put replaces it, and must come with the
  // named argument DISPID_PROPERTYPUT, or it fails as automation objects fail it.
  ScriptedObject& answer(std::string_view name, const win32::Value& value) {
    copy(member(name).value, value.value());
    return *this;
  }
  ScriptedObject& answer(std::string_view name, const com::Ptr<ScriptedObject>& object) {
    return answer(name, com::Ptr<IDispatch>(object.get()));
  }
  // Every use of the member fails with hr; DISP_E_EXCEPTION comes with scode or code.
  ScriptedObject& fail(std::string_view name, HRESULT hr, SCODE scode = 0, WORD code = 0) {
    Member& m = member(name);
    m.failure = hr;
    m.scode = scode;
    m.code = code;
    return *this;
  }
  // What the member holds now; Empty for one never filled in.
  const VARIANT& value(std::string_view name) { return member(name).value.value(); }
  // In the order written. The attribute members find a name in any case with flag 0, in its own
  // with 1, the default of setAttribute and removeAttribute.
  ScriptedObject& attribute(const std::string& name, const win32::Value& value) {
    copy(attributes_.insert(attributes_.end(), {win32::wide(name), {}})->value, value.value());
    return *this;
  }

  // The connection point for events (a DIID); fire calls every sink advised, as the page does.
  ScriptedObject& events(const IID& iid) { return events_ = &iid, *this; }
  std::map<DWORD, com::Ptr<IDispatch>> sinks;  // by cookie
  std::vector<DWORD> unadvised;
  HRESULT fire(DISPID event, Call& call) {
    HRESULT hr = S_OK;
    // A sink may unadvise while it runs.
    for (const auto& [cookie, sink] : std::map(sinks)) hr = call.fire(sink.get(), event);
    return hr;
  }

  // QueryService answers it for IWebBrowserApp.
  ScriptedObject& browser(com::Ptr<IUnknown> object) { return browser_ = std::move(object), *this; }
  // Type information of that name, without class information, as an element's dispinterface.
  ScriptedObject& typeNamed(const std::string& name) {
    typeInfo_ = newTypeInfo(name, TKIND_DISPATCH);
    return *this;
  }
  // Class information of that name, answered through IProvideClassInfo, as a control's.
  ScriptedObject& classNamed(const std::string& name) {
    classInfo_ = newTypeInfo(name, TKIND_COCLASS);
    return *this;
  }
  // Answers IHTMLEventObj, as the page's event objects do; the adapter only calls IDispatch.
  ScriptedObject& eventObject() { return eventObject_ = true, *this; }
  // Answers one more interface, as a page's node (IHTMLDOMNode) or text range does.
  ScriptedObject& alsoAnswers(const IID& iid) { return extra_ = &iid, *this; }

  // The object as a port handle: html::Element, html::Document, html::Window, html::Style...
  template <class Handle>
  Handle as() {
    return win32::wrap<Handle>(com::Ptr<IDispatch>(this));
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    IDispatch* self = this;
    return com::answer(
        riid, ppv,
        {{IID_IDispatch, self},
         {eventObject_ ? __uuidof(IHTMLEventObj) : IID_IDispatch, self},
         {extra_ ? *extra_ : IID_IDispatch, self},
         {IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
         {IID_IConnectionPoint, static_cast<IConnectionPoint*>(this)},
         {IID_IServiceProvider, static_cast<IServiceProvider*>(this)},
         {classInfo_ ? IID_IProvideClassInfo : IID_IDispatch,
          static_cast<IProvideClassInfo*>(this)}});
  }
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override {
    *info = com::Ptr<ITypeInfo>(classInfo_).detach();
    return *info ? S_OK : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return *count = typeInfo_ ? 1 : 0, S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    *info = com::Ptr<ITypeInfo>(typeInfo_).detach();
    return *info ? S_OK : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    const std::size_t i = count == 1 ? indexOf(names[0]) : members_.size();
    if (i == members_.size()) return DISP_E_UNKNOWNNAME;
    return *ids = static_cast<DISPID>(i) + 1, S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT*) override {
    if (id < 1 || static_cast<std::size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
    Member& m = members_[static_cast<std::size_t>(id) - 1];
    if (m.failure == DISP_E_EXCEPTION && info)
      *info = {m.code,  0,       nullptr, win32::Bstr(kRaised).detach(), nullptr, 0,
               nullptr, nullptr, m.scode};
    if (FAILED(m.failure)) return m.failure;
    if (flags & DISPATCH_PROPERTYPUT) {
      if (params->cArgs != 1 || params->cNamedArgs != 1 ||
          params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
        return DISP_E_PARAMNOTFOUND;
      copy(m.value, params->rgvarg[0], true);
      return S_OK;
    }
    if (!result) return E_POINTER;
    if (!m.body) return VariantCopy(result, m.value.get());
    Args args;
    for (UINT i = params->cArgs; i > params->cNamedArgs; --i)
      args.push_back(&params->rgvarg[i - 1]);
    return m.body(args, result);
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    *point = nullptr;
    if (!events_ || !IsEqualIID(riid, *events_)) return CONNECT_E_NOCONNECTION;
    return QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(point));
  }
  // The sink must answer the events' interface, as the engine asks it to.
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    com::Ptr<IDispatch> events;
    if (!events_ || FAILED(sink->QueryInterface(*events_, events.putVoid())))
      return CONNECT_E_CANNOTCONNECT;
    sinks[*cookie = ++cookies_] = std::move(events);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    unadvised.push_back(cookie);
    return sinks.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
  }
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (!browser_ || !IsEqualGUID(service, IID_IWebBrowserApp)) return E_NOINTERFACE;
    return browser_->QueryInterface(riid, ppv);
  }
  // Nothing the adapter asks for.
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

 private:
  using Args = std::vector<const VARIANT*>;  // a method's positional arguments, first to last
  struct Member {
    std::wstring name;
    win32::Value value;
    HRESULT failure = S_OK;
    SCODE scode = 0;
    WORD code = 0;
    std::function<HRESULT(const Args& args, VARIANT* result)> body;  // a method's
  };
  struct Attribute {
    std::wstring name;
    win32::Value value;
  };

  // The attribute members, by the engine's rules.
  ScriptedObject() {
    member("getAttribute").body = [this](const Args& args, VARIANT* result) {
      const auto found = findAttribute(args, 1, 0);
      if (found == attributes_.end()) return answerWith(result, typed(VT_NULL));
      const bool asWritten = args.size() > 1 && (args[1]->lVal & 2);
      const bool address =
          sameName(found->name, L"href", false) || sameName(found->name, L"src", false);
      if (asWritten || !address || found->value.value().vt != VT_BSTR)
        return VariantCopy(result, found->value.get());
      return answerWith(result, kBase + found->value.text());
    };
    member("setAttribute").body = [this](const Args& args, VARIANT*) {
      auto found = findAttribute(args, 2, 1);
      if (found == attributes_.end())
        found = attributes_.insert(attributes_.end(), {textOf(args.at(0)), {}});
      copy(found->value, *args.at(1), true);
      return S_OK;
    };
    member("removeAttribute").body = [this](const Args& args, VARIANT* result) {
      const auto found = findAttribute(args, 1, 1);
      const bool removed = found != attributes_.end();
      if (removed) attributes_.erase(found);
      return answerWith(result, win32::Value::flag(removed));
    };
    // A new collection of new attribute nodes on every read, as the engine makes them.
    member("attributes").body = [this](const Args&, VARIANT* result) {
      std::vector<com::Ptr<IDispatch>> nodes;
      for (const Attribute& a : attributes_) {
        auto node = make();
        node->answer("nodeName", win32::narrow(a.name.c_str())).answer("nodeValue", a.value);
        node->answer("specified", win32::Value::flag(true));
        nodes.emplace_back(node.get());
      }
      auto collection = make();
      collection->answer("length", win32::Value(static_cast<long>(nodes.size())));
      collection->member("item").body = [nodes](const Args& args, VARIANT* result) {
        const auto i = static_cast<std::size_t>(args.at(0)->lVal);
        return answerWith(result, i < nodes.size() ? win32::Value(nodes[i]) : typed(VT_NULL));
      };
      return answerWith(result, com::Ptr<IDispatch>(collection.get()));
    };
  }

  com::Ptr<ITypeInfo> newTypeInfo(const std::string& name, TYPEKIND kind) {
    com::Ptr<ICreateTypeLib2> library;
    com::Ptr<ICreateTypeInfo> created;
    std::wstring wide = win32::wide(name);
    win32::check(CreateTypeLib2(SYS_WIN64, L"scripted.tlb", library.put()));
    win32::check(library->CreateTypeInfo(wide.data(), kind, created.put()));
    typeLibs_.push_back(library.query<ITypeLib>(IID_ITypeLib));
    return created.query<ITypeInfo>(IID_ITypeInfo);
  }

  // A callee keeps a reference's value (indirect); a check's values stay as it gave them.
  static void copy(win32::Value& to, const VARIANT& from, bool indirect = false) {
    VariantClear(to.get());
    auto* source = const_cast<VARIANT*>(&from);
    win32::check(indirect ? VariantCopyInd(to.get(), source) : VariantCopy(to.get(), source));
  }
  static HRESULT answerWith(VARIANT* result, win32::Value value) {
    return VariantCopy(result, value.get());
  }
  static std::wstring textOf(const VARIANT* v) {
    return v->vt == VT_BSTR && v->bstrVal ? std::wstring(v->bstrVal, SysStringLen(v->bstrVal))
                                          : L"";
  }
  static bool sameName(const std::wstring& a, const std::wstring& b, bool matchCase) {
    return matchCase ? a == b : _wcsicmp(a.c_str(), b.c_str()) == 0;
  }

  Member& member(std::string_view name) {
    const std::wstring wide = win32::wide(name);
    const std::size_t known = indexOf(wide);
    return known < members_.size() ? members_[known]
                                   : members_.emplace_back(Member{wide, {}, S_OK, 0, 0, {}});
  }
  // The member's place; members_.size() for none.
  std::size_t indexOf(const std::wstring& name) const {
    std::size_t i = 0;
    while (i < members_.size() && !sameName(members_[i].name, name, false)) ++i;
    return i;
  }
  // The attribute args[0] names, by the flags at args[flagsAt], else by defaultFlags.
  std::list<Attribute>::iterator findAttribute(const Args& args, std::size_t flagsAt,
                                               long defaultFlags) {
    const bool matchCase = (args.size() > flagsAt ? args[flagsAt]->lVal : defaultFlags) & 1;
    return std::find_if(attributes_.begin(), attributes_.end(), [&](const Attribute& a) {
      return sameName(a.name, textOf(args.at(0)), matchCase);
    });
  }

  std::deque<Member> members_;  // a member's DISPID is its place, from 1
  std::list<Attribute> attributes_;
  const IID* events_ = nullptr;
  DWORD cookies_ = 0;
  com::Ptr<IUnknown> browser_;
  std::vector<com::Ptr<ITypeLib>> typeLibs_;  // what the type information belongs to
  com::Ptr<ITypeInfo> typeInfo_;
  com::Ptr<ITypeInfo> classInfo_;
  bool eventObject_ = false;
  const IID* extra_ = nullptr;
};

using Scripted = com::Ptr<ScriptedObject>;

}  // namespace smoke
