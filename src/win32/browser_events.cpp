// The browser's events (DWebBrowserEvents2) through its connection point, to a sink of the
// system's. The browser may hold our object past Unadvise, so a dropped connection also cuts
// the object off from the system's sink.
#include <exdispid.h>

#include "platform/browser.h"
#include "runtime/guard.h"
#include "win32/dispatch.h"

namespace browser {
namespace {

// Argument i, counted from the first; a reference to a value reads as the value. Post data
// comes behind two references, which VariantCopyInd alone refuses.
win32::Value argument(const DISPPARAMS& params, UINT i) {
  win32::Value value;
  if (i >= params.cArgs) return value;
  VARIANT* arg = &params.rgvarg[params.cArgs - 1 - i];
  while (arg->vt == (VT_BYREF | VT_VARIANT) && arg->pvarVal &&
         arg->pvarVal->vt == (VT_BYREF | VT_VARIANT))
    arg = arg->pvarVal;
  platform::check(VariantCopyInd(value.get(), arg));
  return value;
}

WebBrowser browserArgument(const DISPPARAMS& params, UINT i) {
  const auto object = argument(params, i).object();
  return object ? WebBrowser::FromUnknown(com::Ptr<IUnknown>(object.get())) : WebBrowser();
}

// Post data arrives as bytes.
std::string bytesArgument(const DISPPARAMS& params, UINT i) {
  win32::Value value = argument(params, i);
  SAFEARRAY* array = value.value().vt == (VT_ARRAY | VT_UI1) ? value.value().parray : nullptr;
  if (!array) return value.value().vt == VT_BSTR ? value.text() : std::string();
  const auto size = static_cast<std::size_t>(array->rgsabound[0].cElements);
  return std::string(static_cast<const char*>(array->pvData), size);
}

// The browser reads a cancel flag back through its reference.
struct Cancel {
  VARIANT_BOOL* flag = nullptr;
  bool value = false;
  Cancel(const DISPPARAMS& params, UINT i) {
    if (i < params.cArgs && params.rgvarg[params.cArgs - 1 - i].vt == (VT_BOOL | VT_BYREF))
      flag = params.rgvarg[params.cArgs - 1 - i].pboolVal;
    value = flag && *flag != VARIANT_FALSE;
  }
  ~Cancel() {
    if (flag) *flag = value ? VARIANT_TRUE : VARIANT_FALSE;
  }
};

void deliver(Events& sink, DISPID member, const DISPPARAMS& p) {
  switch (member) {
    case DISPID_BEFORENAVIGATE2: {
      Cancel cancel(p, 6);
      sink.BeforeNavigate2(browserArgument(p, 0), argument(p, 1).text(), argument(p, 2).number(),
                           argument(p, 3).text(), bytesArgument(p, 4), argument(p, 5).text(),
                           cancel.value);
      break;
    }
    case DISPID_NAVIGATECOMPLETE2:
      sink.NavigateComplete2(browserArgument(p, 0), argument(p, 1).text());
      break;
    case DISPID_DOCUMENTCOMPLETE:
      sink.DocumentComplete(browserArgument(p, 0), argument(p, 1).text());
      break;
    case DISPID_NAVIGATEERROR: {
      Cancel cancel(p, 4);
      sink.NavigateError(browserArgument(p, 0), argument(p, 1).text(), argument(p, 2).text(),
                         argument(p, 3).number(), cancel.value);
      break;
    }
    case DISPID_WINDOWCLOSING: {
      Cancel cancel(p, 1);
      sink.WindowClosing(argument(p, 0).flag(), cancel.value);
      break;
    }
    case DISPID_ONTOOLBAR:
      sink.OnToolBar(argument(p, 0).flag());
      break;
    default:
      break;
  }
}

class Sink : public win32::Callback {
 public:
  explicit Sink(Events& events) : Callback(DIID_DWebBrowserEvents2), events_(&events) {}
  void cut() { events_ = nullptr; }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    if (result) VariantInit(result);
    if (!events_ || !params) return S_OK;
    const com::Ptr<IDispatch> keep(this);
    return platform::boundary("DWebBrowserEvents2", HRESULT{S_OK}, [&] {
      deliver(*events_, member, *params);
      return HRESULT{S_OK};
    });
  }

 private:
  Events* events_;
};

}  // namespace

platform::Connection WebBrowser::connect(Events& sink) const {
  return win32::advise(unknown(), DIID_DWebBrowserEvents2, com::Ptr<Sink>::adopt(new Sink(sink)));
}

}  // namespace browser
