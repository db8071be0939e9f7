// The request on MSXML 3's XMLHTTP. MSXML announces its states itself, on the opening thread,
// through a sink whose default member calls the handler. A host that is not loopback never
// reaches MSXML: the port plays the request's part and completes it with the connection
// failure MSXML would report, through the opening thread's mailbox.
#include "platform/http.h"

#include <msxml2.h>

#include <cstring>

#include "runtime/comobject.h"
#include "runtime/guard.h"
#include "runtime/httpsupport.h"
#include "win32/dispatch.h"
#include "win32/wide.h"

namespace http {
namespace {

constexpr const char* kRequestProgId = "Msxml2.XMLHTTP.3.0";
FOLVERRA_MAKE_GUID(kIID_IXMLHTTPRequest, 0xED8C108D, 0x4349, 0x11D2, 0x91, 0xA4, 0x00, 0xC0, 0x4F,
                   0x79, 0x69, 0xE8);
constexpr HRESULT kResourceNotFound = static_cast<HRESULT>(0x800C0005u);

using Handler = std::shared_ptr<std::function<void()>>;

void fire(const Handler& handler) {
  if (!*handler) return;
  auto call = *handler;  // the handler may replace itself
  call();
}

// What MSXML calls on every state change: its default member.
class Sink : public win32::Callback {
 public:
  explicit Sink(Handler handler) : handler_(std::move(handler)) {}

  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if (member != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
    if (result) VariantInit(result);
    return platform::boundary("XMLHTTP onreadystatechange", HRESULT{S_OK}, [&] {
      fire(handler_);
      return HRESULT{S_OK};
    });
  }

 private:
  Handler handler_;
};

// MSXML's own failures, raised with the descriptions the headless port gives them.
void checkAnswer(HRESULT hr) {
  if (hr == E_PENDING) support::raisePending();
  if (hr == kResourceNotFound) support::raiseNotFound();
  platform::check(hr);
}

// As bytes, so that MSXML sends the body unchanged.
void putBytes(const std::string& bytes, VARIANT& out) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (!array) throw std::bad_alloc();
  void* data = nullptr;
  platform::check(SafeArrayAccessData(array, &data));
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  SafeArrayUnaccessData(array);
  out.vt = VT_ARRAY | VT_UI1;
  out.parray = array;
}

std::string getBytes(const VARIANT& in) {
  if (in.vt != (VT_ARRAY | VT_UI1) || !in.parray) return {};
  LONG low = 0, high = -1;
  SafeArrayGetLBound(in.parray, 1, &low);
  SafeArrayGetUBound(in.parray, 1, &high);
  void* data = nullptr;
  platform::check(SafeArrayAccessData(in.parray, &data));
  std::string bytes(static_cast<const char*>(data), static_cast<std::size_t>(high - low + 1));
  SafeArrayUnaccessData(in.parray);
  return bytes;
}

}  // namespace

struct RequestImpl : std::enable_shared_from_this<RequestImpl> {
  com::Ptr<IXMLHTTPRequest> xhr;
  Handler handler = std::make_shared<std::function<void()>>();
  // The request played for a refused host.
  bool refused = false;
  int refusedState = 0;
  unsigned generation = 0;
  HWND mailbox = nullptr;

  int state() const {
    if (refused) return refusedState;
    LONG state = 0;
    platform::check(xhr->get_readyState(&state));
    return static_cast<int>(state);
  }

  // Checked here, not left to MSXML, whose versions differ in what they raise this early.
  void need(int needed) const {
    if (refused && refusedState == 4) support::raiseNotFound();
    if (state() < needed) support::raisePending();
  }
};

Request Request::Create() {
  auto impl = std::make_shared<Impl>();
  const CLSID clsid = com::CLSIDFromProgID(kRequestProgId);
  platform::check(com::CoCreateInstance(clsid, nullptr, kIID_IXMLHTTPRequest, impl->xhr.putVoid()));
  auto sink = com::Ptr<Sink>::adopt(new Sink(impl->handler));
  platform::check(impl->xhr->put_onreadystatechange(sink.get()));
  return Request(std::move(impl));
}

void Request::setOnReadyStateChange(std::function<void()> handler) {
  *self().handler = std::move(handler);
}

void Request::open(const std::string& method, const std::string& url, bool async) {
  Impl& r = self();
  const auto address = support::parseAddress(url);
  if (!address || method.empty()) support::raiseBadAddress();
  ++r.generation;
  r.refused = !support::isLoopback(address->host);
  if (r.refused) {
    r.xhr->abort();
    r.mailbox = support::threadMailbox();
    r.refusedState = 1;
    return fire(r.handler);
  }
  win32::Variant asynchronous, none;
  asynchronous.get()->vt = VT_BOOL;
  asynchronous.get()->boolVal = async ? VARIANT_TRUE : VARIANT_FALSE;
  platform::check(r.xhr->open(win32::Bstr(method).get(), win32::Bstr(url).get(),
                              asynchronous.value(), none.value(), none.value()));
}

void Request::send(const std::string& body) {
  Impl& r = self();
  if (!r.refused) {
    win32::Variant bytes;
    if (!body.empty()) putBytes(body, *bytes.get());
    platform::check(r.xhr->send(bytes.value()));
    return;
  }
  if (r.refusedState != 1) platform::raise(platform::kInvalidCall);
  support::post(r.mailbox, [self = r.shared_from_this(), sent = r.generation] {
    if (sent != self->generation || !self->refused) return;
    self->refusedState = 4;
    fire(self->handler);
  });
}

void Request::abort() {
  Impl& r = self();
  ++r.generation;
  r.refusedState = 0;
  platform::check(r.xhr->abort());
}

int Request::readyState() const {
  return self().state();
}

long Request::status() const {
  Impl& r = self();
  r.need(2);
  LONG status = 0;
  checkAnswer(r.xhr->get_status(&status));
  return status;
}

std::string Request::statusText() const {
  Impl& r = self();
  r.need(2);
  win32::Bstr text;
  checkAnswer(r.xhr->get_statusText(text.put()));
  return text.utf8();
}

std::string Request::responseText() const {
  Impl& r = self();
  r.need(3);
  win32::Variant body;
  checkAnswer(r.xhr->get_responseBody(body.get()));
  return getBytes(body.value());
}

}  // namespace http
