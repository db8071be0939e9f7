// Events of the html port on MSHTML: a handler is attached by name (attachEvent) through a small
// object whose default member calls it, and detached when its last connection goes.
#include "runtime/guard.h"
#include "runtime/strings.h"
#include "win32/html_impl.h"

namespace html {
namespace {

std::string handlerName(const std::string& event) {
  std::string name = platform::lowerAscii(event);
  return name.rfind("on", 0) == 0 ? name : "on" + name;
}

// A handler attached to a target; destroyed with the last copy of its connection, it detaches.
struct Attachment {
  com::Ptr<IDispatch> target;
  std::string event;
  com::Ptr<IDispatch> sink;
  // From the target to its window, whose event a handler cancels.
  std::vector<const char*> toWindow;

  ~Attachment() {
    // The page may have gone already; it has dropped its handlers then.
    try {
      win32::call(target, "detachEvent", {event, sink});
    } catch (...) {
    }
  }

  // The page's current event: the one the page passed, or its window's.
  com::Ptr<IDispatch> currentEvent(DISPPARAMS* params) const {
    if (params && params->cArgs > 0 && params->rgvarg[params->cArgs - 1].vt == VT_DISPATCH)
      return com::Ptr<IDispatch>(params->rgvarg[params->cArgs - 1].pdispVal);
    com::Ptr<IDispatch> window = target;
    for (const char* step : toWindow) window = win32::get(window, step).object();
    return win32::get(window, "event").object();
  }
};

// Nothing the handler raises may reach the page.
class Sink : public win32::Callback {
 public:
  Sink(Handler handler, std::weak_ptr<Attachment> connection)
      : handler_(std::move(handler)), connection_(std::move(connection)) {}

  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    if (member != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
    if (result) VariantInit(result);
    // A handler may drop its own connection, and with it the page's hold on this sink.
    const com::Ptr<IDispatch> keep(this);
    const Handler handler = handler_;
    return platform::boundary("html event", HRESULT{S_OK}, [&] {
      if (handler()) return HRESULT{S_OK};
      if (result) {
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_FALSE;
      }
      if (const auto connection = connection_.lock())
        if (const auto event = connection->currentEvent(params))
          win32::put(event, "returnValue", win32::Value::flag(false));
      return HRESULT{S_OK};
    });
  }

 private:
  Handler handler_;
  std::weak_ptr<Attachment> connection_;
};

platform::Connection subscribe(const com::Ptr<IDispatch>& target, const std::string& event,
                               Handler handler, std::vector<const char*> toWindow) {
  if (!handler) platform::raise(platform::kInvalidCall);
  auto impl = std::make_shared<Attachment>();
  impl->target = target;
  impl->event = handlerName(event);
  impl->toWindow = std::move(toWindow);
  impl->sink = com::Ptr<IDispatch>::adopt(new Sink(std::move(handler), impl));
  win32::call(target, "attachEvent", {impl->event, impl->sink});
  return platform::Connection(std::move(impl));
}

}  // namespace

platform::Connection Element::on(const std::string& event, Handler handler) {
  return subscribe(self().object, event, std::move(handler), {"document", "parentWindow"});
}

platform::Connection Document::on(const std::string& event, Handler handler) {
  return subscribe(self().object, event, std::move(handler), {"parentWindow"});
}

platform::Connection Window::on(const std::string& event, Handler handler) {
  return subscribe(self().object, event, std::move(handler), {});
}

}  // namespace html
