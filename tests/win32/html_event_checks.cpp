// The html port's event sinks against scripted page objects that call them as the page does: each
// advised sink by the event's dispatch id, with the event object first, or `this` alone.
#include <stdexcept>

#include <olectl.h>
#include <mshtml.h>
#include <mshtmdid.h>

#include "check.h"
#include "scripted.h"

namespace smoke {
namespace {

using Scripted = com::Ptr<ScriptedObject>;

// Some ids are written unsigned in the headers.
constexpr DISPID dispid(long long id) {
  return static_cast<DISPID>(id);
}
constexpr DISPID kClick = dispid(DISPID_HTMLELEMENTEVENTS2_ONCLICK);

com::Ptr<IDispatch> dispatch(const Scripted& object) {
  return com::Ptr<IDispatch>(object.get());
}

// An element in its document in its window, each taking its own kind of events; the window's
// current event, an event object to pass and an object that is no event object.
struct Page {
  Scripted window = ScriptedObject::make();
  Scripted document = ScriptedObject::make();
  Scripted element = ScriptedObject::make();
  Scripted current = ScriptedObject::make();
  Scripted passed = ScriptedObject::make();
  Scripted impostor = ScriptedObject::make();

  Page() {
    for (const Scripted& event : {current, passed, impostor})
      event->answer("returnValue", win32::Value());
    current->eventObject();
    passed->eventObject();
    window->answer("event", dispatch(current)).events(__uuidof(HTMLWindowEvents2));
    document->answer("parentWindow", dispatch(window)).events(__uuidof(HTMLDocumentEvents2));
    element->answer("document", dispatch(document)).events(__uuidof(HTMLElementEvents2));
  }
};

enum class Target { kElement, kDocument, kWindow };

const Scripted& targetIn(const Page& page, Target target) {
  return target == Target::kElement    ? page.element
         : target == Target::kDocument ? page.document
                                       : page.window;
}

platform::Connection on(const Page& page, Target target, const std::string& event,
                        html::Handler handler) {
  const Scripted& object = targetIn(page, target);
  if (target == Target::kElement) return object->as<html::Element>().on(event, std::move(handler));
  if (target == Target::kDocument)
    return object->as<html::Document>().on(event, std::move(handler));
  return object->as<html::Window>().on(event, std::move(handler));
}

// What a returnValue holds: "false", "true" or "" when never set.
std::string returned(const Scripted& event) {
  const VARIANT& value = event->value("returnValue");
  return value.vt != VT_BOOL ? "" : value.boolVal ? "true" : "false";
}

// Each row subscribes one handler, fires another event at the target and then its own, and
// disconnects. A handler answering false cancels: false to the page and on the event object.
void checkSinks() {
  const struct {
    const char* what;
    Target target;
    const char* event;
    DISPID id;
    DISPID other;
    bool answer;
  } rows[] = {
      {"an element's click", Target::kElement, "onclick", kClick,
       dispid(DISPID_HTMLELEMENTEVENTS2_ONMOUSEOVER), false},
      {"an element's mouseover named without on", Target::kElement, "MouseOver",
       dispid(DISPID_HTMLELEMENTEVENTS2_ONMOUSEOVER), dispid(DISPID_HTMLELEMENTEVENTS2_ONMOUSEOUT),
       true},
      {"an element's selectstart", Target::kElement, "onselectstart",
       dispid(DISPID_HTMLELEMENTEVENTS2_ONSELECTSTART), kClick, false},
      {"the document's readystatechange", Target::kDocument, "onreadystatechange",
       dispid(DISPID_HTMLDOCUMENTEVENTS2_ONREADYSTATECHANGE),
       dispid(DISPID_HTMLDOCUMENTEVENTS2_ONCLICK), true},
      {"the document's contextmenu", Target::kDocument, "ONCONTEXTMENU",
       dispid(DISPID_HTMLDOCUMENTEVENTS2_ONCONTEXTMENU),
       dispid(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN), false},
      {"the window's load", Target::kWindow, "onload", dispid(DISPID_HTMLWINDOWEVENTS2_ONLOAD),
       dispid(DISPID_HTMLWINDOWEVENTS2_ONUNLOAD), true},
      {"the window's unload", Target::kWindow, "onUnload",
       dispid(DISPID_HTMLWINDOWEVENTS2_ONUNLOAD), dispid(DISPID_HTMLWINDOWEVENTS2_ONLOAD), true},
      {"the window's scroll", Target::kWindow, "scroll", dispid(DISPID_HTMLWINDOWEVENTS2_ONSCROLL),
       dispid(DISPID_HTMLWINDOWEVENTS2_ONRESIZE), true},
      {"the window's beforeunload", Target::kWindow, "onbeforeunload",
       dispid(DISPID_HTMLWINDOWEVENTS2_ONBEFOREUNLOAD), dispid(DISPID_HTMLWINDOWEVENTS2_ONUNLOAD),
       false},
  };
  for (const auto& row : rows) {
    const std::string what = std::string(row.what) + ": ";
    const Page page;
    const Scripted& target = targetIn(page, row.target);
    int calls = 0;
    platform::Connection connection;
    attempt(row.what, [&] {
      connection = on(page, row.target, row.event, [&] { return ++calls, row.answer; });
    });
    if (!expect(target->advised.size() == 1, what + "no sink was advised")) continue;
    Call call;
    call.object(page.passed.get());
    target->fire(row.other, call);
    expect(calls == 0 && call.result.value().vt == VT_EMPTY, what + "another event was heard");
    target->fire(row.id, call);
    const VARIANT& result = call.result.value();
    const bool cancelled = result.vt == VT_BOOL && result.boolVal == VARIANT_FALSE;
    expect(calls == 1, what + "heard " + std::to_string(calls) + " times");
    expect(cancelled == !row.answer && returned(page.passed) == (row.answer ? "" : "false"),
           what + "answered " + (cancelled ? "false" : "nothing") + ", returnValue \"" +
               returned(page.passed) + "\"");
    connection.disconnect();
    expect(target->unadvised == target->advised, what + "disconnecting did not unadvise");
  }
}

// Which event object a handler cancelling its event finds: the one the page passed first, else
// its window's current event.
void checkEventObject() {
  IDispatch* passedByReference = nullptr;
  const struct {
    const char* what;
    std::function<void(Call&, const Page&)> args;
    const char* cancelled;
  } rows[] = {
      {"the event object first", [](Call& c, const Page& p) { c.object(p.passed.get()); },
       "passed"},
      {"the event object behind a reference",
       [&](Call& c, const Page& p) {
         passedByReference = p.passed.get();
         c.objectReference(&passedByReference);
       },
       "passed"},
      {"this named, the event object first",
       [](Call& c, const Page& p) { c.named(DISPID_THIS, p.element.get()).object(p.passed.get()); },
       "passed"},
      {"this named alone", [](Call& c, const Page& p) { c.named(DISPID_THIS, p.element.get()); },
       "current"},
      {"an object that is no event object first",
       [](Call& c, const Page& p) { c.object(p.impostor.get()); }, "current"},
      {"no arguments", [](Call&, const Page&) {}, "current"},
  };
  for (const auto& row : rows) {
    const Page page;
    const platform::Connection connection =
        page.element->as<html::Element>().on("click", [] { return false; });
    Call call;
    row.args(call, page);
    const BoundaryCatches caught;
    page.element->fire(kClick, call);
    const std::string found = returned(page.passed) + "|" + returned(page.current) + "|" +
                              returned(page.impostor) + "|" + std::to_string(caught.count);
    const std::string expected = std::string(row.cancelled) == "passed" ? "false|||0" : "|false||0";
    expect(found == expected, std::string(row.what) + ": passed|current|impostor|caught " + found);
  }
}

// A handler whose copies throw once armed; moving the function holding it copies nothing.
struct CopyThrows {
  const bool* armed;
  int* calls;
  CopyThrows(const bool* armed, int* calls) : armed(armed), calls(calls) {}
  CopyThrows(const CopyThrows& other) : armed(other.armed), calls(other.calls) {
    if (*armed) throw std::runtime_error("a handler copied");
  }
  bool operator()() const { return ++*calls, true; }
};

void checkHandlers() {
  const Page page;
  html::Element element = page.element->as<html::Element>();
  expectRaise(platform::kInvalidCall, "an empty handler", [&] { element.on("click", {}); });
  expectRaise(platform::kInvalidCall, "an event of no known name",
              [&] { element.on("onclickety", [] { return true; }); });

  // A handler may drop its own connection while it runs.
  platform::Connection self;
  self = element.on("onclick", [&] {
    self.disconnect();
    return true;
  });
  Call call;
  call.object(page.passed.get());
  page.element->fire(kClick, call);
  expect(!self.connected() && page.element->unadvised == page.element->advised,
         "a handler could not disconnect itself");

  bool armed = false;
  int calls = 0;
  html::Handler handler = CopyThrows(&armed, &calls);
  const platform::Connection connection = element.on("click", std::move(handler));
  armed = true;
  const BoundaryCatches caught;
  try {
    page.element->fire(kClick, call);
  } catch (const std::exception& e) {
    expect(false, std::string("a handler's copy threw through Invoke: ") + e.what());
  }
  expect(calls == 1 && caught.count == 0, "a handler whose copy throws was not called");
}

}  // namespace

void runHtmlEventChecks() {
  runEach({{"sinks", checkSinks}, {"event object", checkEventObject}, {"handlers", checkHandlers}});
}

}  // namespace smoke
