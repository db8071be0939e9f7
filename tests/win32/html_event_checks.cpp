// The html port's event sinks against scripted page objects that call them as the page does: each
// advised sink by the event's dispatch id, with the event object first, or `this` alone.
#include <stdexcept>
#include <tuple>

#include "check.h"
#include "scripted.h"

// After the ports: it needs the Windows headers they bring.
#include <mshtmdid.h>

namespace smoke {
namespace {

enum class Target { kElement, kDocument, kWindow };

// An element in its document in its window, each taking its own kind of events; the window's
// current event, an event object to pass and an object that is no event object.
struct Page {
  Scripted element, document, window, current, passed, impostor;

  Page() {
    for (Scripted* object : {&element, &document, &window, &current, &passed, &impostor})
      *object = ScriptedObject::make();
    for (const Scripted& event : {current, passed, impostor})
      event->answer("returnValue", win32::Value());
    current->eventObject();
    passed->eventObject();
    window->answer("event", current).events(__uuidof(HTMLWindowEvents2));
    document->answer("parentWindow", window).events(__uuidof(HTMLDocumentEvents2));
    element->answer("document", document).events(__uuidof(HTMLElementEvents2));
  }
  const Scripted& at(Target target) const {
    return target == Target::kElement ? element : target == Target::kDocument ? document : window;
  }
  platform::Connection on(Target target, const std::string& event, html::Handler handler) const {
    if (target == Target::kElement) return element->as<html::Element>().on(event, handler);
    if (target == Target::kDocument) return document->as<html::Document>().on(event, handler);
    return window->as<html::Window>().on(event, handler);
  }
};

// What a returnValue holds: "false", "true" or "" when never set.
std::string returned(const Scripted& event) {
  const VARIANT& value = event->value("returnValue");
  return value.vt != VT_BOOL ? "" : value.boolVal ? "true" : "false";
}

// Each row subscribes one handler, fires another event at the target and then its own, and
// disconnects. A handler answering false cancels: false to the page and on the event object.
// The target, the event's name, its id and another's (some written unsigned in the headers), and
// what the handler answers.
void checkSinks() {
  const std::tuple<const char*, Target, const char*, long long, long long, bool> rows[] = {
      {"an element's click", Target::kElement, "onclick", DISPID_HTMLELEMENTEVENTS2_ONCLICK,
       DISPID_HTMLELEMENTEVENTS2_ONMOUSEOVER, false},
      {"an element's mouseover named without on", Target::kElement, "MouseOver",
       DISPID_HTMLELEMENTEVENTS2_ONMOUSEOVER, DISPID_HTMLELEMENTEVENTS2_ONMOUSEOUT, true},
      {"an element's selectstart", Target::kElement, "onselectstart",
       DISPID_HTMLELEMENTEVENTS2_ONSELECTSTART, DISPID_HTMLELEMENTEVENTS2_ONCLICK, false},
      {"the document's readystatechange", Target::kDocument, "onreadystatechange",
       DISPID_HTMLDOCUMENTEVENTS2_ONREADYSTATECHANGE, DISPID_HTMLDOCUMENTEVENTS2_ONCLICK, true},
      {"the document's contextmenu", Target::kDocument, "ONCONTEXTMENU",
       DISPID_HTMLDOCUMENTEVENTS2_ONCONTEXTMENU, DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN, false},
      {"the window's load", Target::kWindow, "onload", DISPID_HTMLWINDOWEVENTS2_ONLOAD,
       DISPID_HTMLWINDOWEVENTS2_ONUNLOAD, true},
      {"the window's unload", Target::kWindow, "onUnload", DISPID_HTMLWINDOWEVENTS2_ONUNLOAD,
       DISPID_HTMLWINDOWEVENTS2_ONLOAD, true},
      {"the window's scroll", Target::kWindow, "scroll", DISPID_HTMLWINDOWEVENTS2_ONSCROLL,
       DISPID_HTMLWINDOWEVENTS2_ONRESIZE, true},
      {"the window's beforeunload", Target::kWindow, "onbeforeunload",
       DISPID_HTMLWINDOWEVENTS2_ONBEFOREUNLOAD, DISPID_HTMLWINDOWEVENTS2_ONUNLOAD, false},
  };
  for (const auto& [name, kind, event, id, other, answer] : rows) {
    const std::string what = std::string(name) + ": ";
    const Page page;
    const Scripted& target = page.at(kind);
    int calls = 0;
    platform::Connection connection;
    attempt(name, [&] { connection = page.on(kind, event, [&] { return ++calls, answer; }); });
    if (!expect(target->sinks.size() == 1, what + "no sink was advised")) continue;
    Call call;
    call.object(page.passed.get());
    target->fire(static_cast<DISPID>(other), call);
    expect(calls == 0 && call.result.value().vt == VT_EMPTY, what + "another event was heard");
    target->fire(static_cast<DISPID>(id), call);
    const VARIANT& result = call.result.value();
    const bool cancelled = result.vt == VT_BOOL && result.boolVal == VARIANT_FALSE;
    expect(calls == 1 && cancelled == !answer && returned(page.passed) == (answer ? "" : "false"),
           what + "heard " + std::to_string(calls) + " times, answered " +
               (cancelled ? "false" : "nothing") + ", returnValue \"" + returned(page.passed) +
               "\"");
    connection.disconnect();
    expect(target->sinks.empty(), what + "disconnecting did not unadvise");
  }
}

// Which event object a handler cancelling its event finds: the one the page passed first, else
// its window's current event. The call's arguments, and whether the passed object is found.
void checkEventObject() {
  const std::tuple<const char*, std::function<void(Call&, const Page&)>, bool> rows[] = {
      {"the event object first", [](Call& c, const Page& p) { c.object(p.passed.get()); }, true},
      {"the event object behind a reference",
       [](Call& c, const Page& p) { c.objectReference(p.passed.get()); }, true},
      {"this named, the event object first",
       [](Call& c, const Page& p) { c.named(DISPID_THIS, p.element.get()).object(p.passed.get()); },
       true},
      {"this named alone", [](Call& c, const Page& p) { c.named(DISPID_THIS, p.element.get()); },
       false},
      {"an object that is no event object first",
       [](Call& c, const Page& p) { c.object(p.impostor.get()); }, false},
      {"no arguments", [](Call&, const Page&) {}, false},
  };
  for (const auto& [what, args, passed] : rows) {
    const Page page;
    const platform::Connection connection =
        page.element->as<html::Element>().on("click", [] { return false; });
    Call call;
    args(call, page);
    const BoundaryCatches caught;
    page.element->fire(DISPID_HTMLELEMENTEVENTS2_ONCLICK, call);
    const std::string found = returned(page.passed) + "|" + returned(page.current) + "|" +
                              returned(page.impostor) + "|" + std::to_string(caught.count);
    expect(found == (passed ? "false|||0" : "|false||0"),
           std::string(what) + ": passed|current|impostor|caught " + found);
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
  self = element.on("onclick", [&] { return self.disconnect(), true; });
  Call call;
  call.object(page.passed.get());
  page.element->fire(DISPID_HTMLELEMENTEVENTS2_ONCLICK, call);
  expect(!self.connected() && page.element->sinks.empty(), "a handler could not disconnect itself");

  bool armed = false;
  int calls = 0;
  html::Handler handler = CopyThrows(&armed, &calls);
  const platform::Connection connection = element.on("click", std::move(handler));
  armed = true;
  const BoundaryCatches caught;
  try {
    page.element->fire(DISPID_HTMLELEMENTEVENTS2_ONCLICK, call);
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
