// Page objects for the checks, where no HTML engine runs: an object answering each member from
// what its check filled in, and the engine's ways where the adapter relies on them (attribute
// flags, connection points, the browser behind a window, type information).
#pragma once

#include <deque>
#include <functional>
#include <list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "win32/html_impl.h"

namespace smoke {

// A value of one type with nothing in it: VT_NULL, a null VT_UNKNOWN...
win32::Value typed(VARTYPE type);
win32::Value real(double value);

class ScriptedObject final
    : public com::Object<IDispatch, IConnectionPointContainer, IConnectionPoint, IServiceProvider> {
 public:
  // A method's answer to its arguments (positional, first to last).
  using Method = std::function<HRESULT(const std::vector<const VARIANT*>& args, VARIANT* result)>;

  static com::Ptr<ScriptedObject> make();
  // An object of the page's collections: length and item(i).
  static com::Ptr<ScriptedObject> collection(std::vector<com::Ptr<IDispatch>> items);

  // Reading the member answers value, calling it too; a put replaces it (and must come with the
  // named argument DISPID_PROPERTYPUT, or it fails as automation objects fail it).
  ScriptedObject& answer(std::string_view member, const VARIANT& value);
  ScriptedObject& answer(std::string_view member, const win32::Value& value) {
    return answer(member, value.value());
  }
  // Every use of the member fails with hr.
  ScriptedObject& fail(std::string_view member, HRESULT hr);
  // Every use of the member raises an exception (DISP_E_EXCEPTION) with these.
  ScriptedObject& raise(std::string_view member, SCODE scode, WORD code,
                        const std::string& description);
  ScriptedObject& method(std::string_view member, Method body);
  // What the member holds now; Empty for one never filled in.
  const VARIANT& value(std::string_view member) const;

  // The attributes, in the order written; getAttribute, setAttribute and removeAttribute keep
  // them as the engine does: flag 1 matches the name's case, 0 does not (the default is 0 for
  // getAttribute, 1 for the others); getAttribute without flag 2 answers an href or src as an
  // absolute address (below kBase).
  static constexpr const char* kBase = "http://example.test/";
  ScriptedObject& attribute(const std::string& name, const win32::Value& value);
  std::vector<std::string> attributeNames() const;

  // The connection point for events (a DIID): each advised sink gets a cookie; fire calls every
  // sink advised, as the page does.
  ScriptedObject& events(const IID& iid);
  std::vector<DWORD> advised;
  std::vector<DWORD> unadvised;
  void fire(DISPID event, Call& call);

  // The browser QueryService answers for IWebBrowserApp.
  ScriptedObject& browser(com::Ptr<IUnknown> object);
  // Type information of that name, without class information, as an element's dispinterface.
  ScriptedObject& typeNamed(const std::string& name);
  // Answers IHTMLEventObj, as the page's event objects do; the adapter only calls IDispatch.
  ScriptedObject& eventObject();

  // The object as a port handle: html::Element, html::Document, html::Window, html::Style...
  template <class Handle>
  Handle as() {
    return win32::wrap<Handle>(com::Ptr<IDispatch>(this));
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT*) override;
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE
  GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) override;

 private:
  struct Member {
    std::wstring name;
    win32::Value value;
    HRESULT failure = S_OK;
    SCODE scode = 0;
    WORD code = 0;
    std::wstring description;
    Method body;
  };
  struct Attribute {
    std::wstring name;
    win32::Value value;
  };

  ScriptedObject();
  Member& member(std::string_view name);
  // The member's place; members_.size() for none.
  std::size_t indexOf(std::wstring_view name) const;
  std::list<Attribute>::iterator findAttribute(const VARIANT& name, const VARIANT* flags,
                                               long defaultFlags);

  std::deque<Member> members_;  // a member's DISPID is its place, from 1
  std::list<Attribute> attributes_;
  const IID* events_ = nullptr;
  std::map<DWORD, com::Ptr<IDispatch>> sinks_;
  com::Ptr<IUnknown> browser_;
  com::Ptr<ITypeLib> typeLib_;
  com::Ptr<ITypeInfo> typeInfo_;
  bool eventObject_ = false;
};

}  // namespace smoke
