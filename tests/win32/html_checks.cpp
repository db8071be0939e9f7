// The html port's late binding and event sink against a small scripted object: no live page
// can run here, but the way members are reached, failures raised and handlers attached can.
#include <string>

#include "check.h"
#include "win32/html_impl.h"

namespace smoke {
namespace {

enum Member : DISPID { kId = 1, kTagName, kAttachEvent, kDetachEvent, kReturnValue };

// An element (or an event) answering a few members by name, failing tagName as told.
class FakeObject : public win32::Callback {
 public:
  std::wstring id;
  HRESULT failure = S_OK;
  EXCEPINFO thrown{};
  std::wstring attachedTo;
  com::Ptr<IDispatch> attached;
  int detached = 0;
  VARIANT_BOOL returnValue = VARIANT_TRUE;

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* ids) override {
    const wchar_t* const members[] = {L"id", L"tagName", L"attachEvent", L"detachEvent",
                                      L"returnValue"};
    for (DISPID i = 0; i < DISPID(std::size(members)); ++i)
      if (_wcsicmp(names[0], members[i]) == 0) return *ids = kId + i, S_OK;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT*) override {
    VARIANT* args = params->rgvarg;
    switch (member) {
      case kId:
        if (flags & DISPATCH_PROPERTYPUT) return id.assign(args[0].bstrVal), S_OK;
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(id.c_str());
        return S_OK;
      case kTagName:
        if (failure == DISP_E_EXCEPTION) *info = thrown;
        return failure;
      case kAttachEvent:
        attachedTo = args[1].bstrVal;
        attached = com::Ptr<IDispatch>(args[0].pdispVal);
        return S_OK;
      case kDetachEvent:
        if (attachedTo == args[1].bstrVal && attached.get() == args[0].pdispVal) {
          attached.reset();
          ++detached;
        }
        return S_OK;
      case kReturnValue:
        if (flags & DISPATCH_PROPERTYPUT) returnValue = args[0].boolVal;
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  // What the page does when the event comes: calls the handler with the event object. Held
  // raw, as the page lets go of a handler that detaches itself while it runs.
  void fire(FakeObject& event) {
    if (IDispatch* sink = attached.get()) Call().object(&event).fire(sink, DISPID_VALUE);
  }
};

com::Ptr<FakeObject> newFake() {
  return com::Ptr<FakeObject>::adopt(new FakeObject());
}

html::Element elementOf(const com::Ptr<FakeObject>& fake) {
  return win32::wrap<html::Element>(com::Ptr<IDispatch>(fake.get()));
}

void checkProperties() {
  const auto fake = newFake();
  html::Element element = elementOf(fake);
  const std::string text = "\xC3\xA9t\xC3\xA9 \xE2\x9C\x93";
  element.setId(text);
  expect(fake->id == L"\u00e9t\u00e9 \u2713", "id was not put as UTF-16");
  expect(element.id() == text, "id did not read back as UTF-8: " + element.id());
  expect(element.is(elementOf(fake)) && !element.is(elementOf(newFake())),
         "is() does not compare identity");
  expect(element.typeName() == "Object", "an object without type information is not Object");
}

void checkFailures() {
  const struct {
    const char* what;
    HRESULT returned;
    SCODE scode;
    WORD code;
    std::int32_t number;
  } cases[] = {
      {"access denied raised by the object", DISP_E_EXCEPTION, E_ACCESSDENIED, 0, 70},
      {"access denied returned", E_ACCESSDENIED, 0, 0, 70},
      {"a run-time error code raised", DISP_E_EXCEPTION, 0, 5, 5},
      {"a run-time error as HRESULT", static_cast<HRESULT>(0x800A01B6), 0, 0, 438},
      {"another failure", E_FAIL, 0, 0, E_FAIL},
  };
  for (const auto& c : cases) {
    const auto fake = newFake();
    fake->failure = c.returned;
    fake->thrown.scode = c.scode;
    fake->thrown.wCode = c.code;
    if (c.returned == DISP_E_EXCEPTION) fake->thrown.bstrDescription = SysAllocString(L"Denied");
    const auto e = expectRaise(c.number, c.what, [&] { elementOf(fake).tagName(); });
    if (e && c.returned == DISP_E_EXCEPTION)
      expect(e->description == "Denied", std::string(c.what) + " lost its description");
  }
  expectRaise(platform::kNotSupported, "a member the object lacks",
              [] { elementOf(newFake()).innerText(); });
}

void checkEvents() {
  const auto fake = newFake();
  const auto event = newFake();
  int calls = 0;
  platform::Connection connection = elementOf(fake).on("click", [&] { return ++calls > 1; });
  expect(fake->attachedTo == L"onclick" && fake->attached, "the handler was not attached");
  fake->fire(*event.get());
  expect(calls == 1 && event->returnValue == VARIANT_FALSE,
         "a handler returning false did not cancel the event");
  event->returnValue = VARIANT_TRUE;
  fake->fire(*event.get());
  expect(calls == 2 && event->returnValue == VARIANT_TRUE, "a handler returning true cancelled");
  connection.disconnect();
  expect(fake->detached == 1 && !fake->attached, "disconnecting did not detach the handler");

  // A handler may drop its own connection while it runs.
  platform::Connection self;
  self = elementOf(fake).on("onmouseover", [&] {
    self.disconnect();
    return true;
  });
  fake->fire(*event.get());
  expect(fake->detached == 2 && !self.connected(), "a handler could not disconnect itself");
  expectRaise(platform::kInvalidCall, "an empty handler", [&] { elementOf(fake).on("click", {}); });
}

}  // namespace

void runHtmlChecks() {
  runEach({{"properties", checkProperties}, {"failures", checkFailures}, {"events", checkEvents}});
}

}  // namespace smoke
