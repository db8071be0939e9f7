// Events of the html port on MSHTML: a handler is a sink advised on its target's connection point
// for the target's kind of events (an element's, the document's, the window's), and called by the
// event's dispatch id. Newest document modes have no attachEvent, every mode has these.
#include <olectl.h>
#include <mshtml.h>
#include <mshtmdid.h>

#include "runtime/guard.h"
#include "runtime/strings.h"
#include "win32/html_impl.h"

namespace html {
namespace {

// An event's id is the same in the element's, the document's and the window's events. Some are
// written unsigned in the headers.
struct KnownEvent {
  constexpr KnownEvent(const char* name, long long id) : name(name), id(static_cast<DISPID>(id)) {}
  const char* name;
  DISPID id;
};

constexpr KnownEvent kEvents[] = {
    {"click", DISPID_EVMETH_ONCLICK},
    {"dblclick", DISPID_EVMETH_ONDBLCLICK},
    {"mousedown", DISPID_EVMETH_ONMOUSEDOWN},
    {"mouseup", DISPID_EVMETH_ONMOUSEUP},
    {"mousemove", DISPID_EVMETH_ONMOUSEMOVE},
    {"mouseover", DISPID_EVMETH_ONMOUSEOVER},
    {"mouseout", DISPID_EVMETH_ONMOUSEOUT},
    {"keydown", DISPID_EVMETH_ONKEYDOWN},
    {"keyup", DISPID_EVMETH_ONKEYUP},
    {"keypress", DISPID_EVMETH_ONKEYPRESS},
    {"contextmenu", DISPID_EVMETH_ONCONTEXTMENU},
    {"selectstart", DISPID_EVMETH_ONSELECTSTART},
    {"selectionchange", DISPID_EVMETH_ONSELECTIONCHANGE},
    {"readystatechange", DISPID_EVMETH_ONREADYSTATECHANGE},
    {"load", DISPID_EVMETH_ONLOAD},
    {"unload", DISPID_EVMETH_ONUNLOAD},
    {"beforeunload", DISPID_EVMETH_ONBEFOREUNLOAD},
    {"resize", DISPID_EVMETH_ONRESIZE},
    {"scroll", DISPID_EVMETH_ONSCROLL},
    {"focus", DISPID_EVMETH_ONFOCUS},
    {"blur", DISPID_EVMETH_ONBLUR},
    {"help", DISPID_EVMETH_ONHELP},
};

// "onclick" or "click", any case.
DISPID eventId(const std::string& event) {
  const std::string name = platform::lowerAscii(event);
  const std::string_view bare = name.rfind("on", 0) == 0 ? std::string_view(name).substr(2) : "";
  for (const auto& known : kEvents)
    if (name == known.name || bare == known.name) return known.id;
  platform::raise(platform::kInvalidCall);
}

// The event object the page passed first; named arguments (this) come before it.
com::Ptr<IDispatch> passedEvent(const DISPPARAMS* params) {
  if (!params || params->cArgs <= params->cNamedArgs) return {};
  const VARIANT& first = params->rgvarg[params->cArgs - 1];
  IDispatch* object = first.vt == VT_DISPATCH                                   ? first.pdispVal
                      : first.vt == (VT_DISPATCH | VT_BYREF) && first.ppdispVal ? *first.ppdispVal
                                                                                : nullptr;
  com::Ptr<IDispatch> event;
  if (!object || FAILED(object->QueryInterface(__uuidof(IHTMLEventObj), event.putVoid())))
    return {};
  return event;
}

// One connection's sink: calls its handler for its event only. Nothing the handler raises may
// reach the page.
class Sink : public win32::Callback {
 public:
  Sink(const IID& events, DISPID event, Handler handler, com::Ptr<IDispatch> target,
       std::vector<const char*> toWindow)
      : Callback(events),
        event_(event),
        handler_(std::make_shared<const Handler>(std::move(handler))),
        target_(std::move(target)),
        toWindow_(std::move(toWindow)) {}

  // The page may call a sink past Unadvise; it also lets go of the page then.
  void cut() {
    handler_.reset();
    target_.reset();
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    if (result) VariantInit(result);
    if (member != event_) return S_OK;
    // A handler may drop its own connection, and with it the page's hold on this sink.
    const com::Ptr<IDispatch> keep(this);
    return platform::boundary("html event", HRESULT{S_OK}, [&] {
      const auto handler = handler_;
      const auto target = target_;
      if (!handler || (*handler)()) return HRESULT{S_OK};
      if (result) {
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_FALSE;
      }
      if (const auto event = currentEvent(target, params))
        win32::put(event, "returnValue", win32::Value::flag(false));
      return HRESULT{S_OK};
    });
  }

 private:
  // The one the page passed, else the target's window's.
  com::Ptr<IDispatch> currentEvent(com::Ptr<IDispatch> window, const DISPPARAMS* params) const {
    if (auto passed = passedEvent(params)) return passed;
    for (const char* step : toWindow_) window = win32::get(window, step).object();
    return win32::get(window, "event").object();
  }

  const DISPID event_;
  std::shared_ptr<const Handler> handler_;
  com::Ptr<IDispatch> target_;
  const std::vector<const char*> toWindow_;
};

platform::Connection subscribe(const com::Ptr<IDispatch>& target, const IID& events,
                               const std::string& event, Handler handler,
                               std::vector<const char*> toWindow) {
  if (!handler) platform::raise(platform::kInvalidCall);
  auto sink = com::Ptr<Sink>::adopt(
      new Sink(events, eventId(event), std::move(handler), target, std::move(toWindow)));
  return win32::advise(com::Ptr<IUnknown>(target.get()), events, std::move(sink));
}

}  // namespace

platform::Connection Element::on(const std::string& event, Handler handler) {
  return subscribe(self().object, __uuidof(HTMLElementEvents2), event, std::move(handler),
                   {"document", "parentWindow"});
}

platform::Connection Document::on(const std::string& event, Handler handler) {
  return subscribe(self().object, __uuidof(HTMLDocumentEvents2), event, std::move(handler),
                   {"parentWindow"});
}

platform::Connection Window::on(const std::string& event, Handler handler) {
  return subscribe(self().object, __uuidof(HTMLWindowEvents2), event, std::move(handler), {});
}

}  // namespace html
