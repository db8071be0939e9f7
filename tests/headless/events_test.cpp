#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "headless/dom.h"
#include "headless/events.h"
#include "headless/pages.h"
#include "headless/pointer.h"
#include "support.h"

namespace {

namespace dom = headless::dom;
namespace pointer = headless::pointer;
using testing_support::page;

// Three boxes placed absolutely, so the points below do not depend on the flow rules.
const char* const kBoxes =
    "<div id=outer style='position:absolute;left:0px;top:0px;width:400px;height:400px'>"
    "<div id=inner style='position:absolute;left:100px;top:100px;width:100px;height:100px'>"
    "in</div></div>"
    "<div id=other style='position:absolute;left:500px;top:0px;width:100px;height:100px'>"
    "other</div>";

std::string idOf(const html::Element& e) {
  return e.isNothing() ? "-" : e.id();
}

// Writes down what each handler heard, as "where:type src from>to; ".
struct Recorder {
  html::Document doc = page(kBoxes);
  std::string heard;
  std::vector<platform::Connection> keep;

  void listen(const std::string& where, const std::vector<std::string>& events) {
    for (const auto& type : events) {
      auto handler = [this, where] {
        const html::Event e = doc.parentWindow().event();
        heard += where + ":" + e.type() + " " + idOf(e.srcElement()) + " " + idOf(e.fromElement()) +
                 ">" + idOf(e.toElement()) + "; ";
        return true;
      };
      keep.push_back(where == "document" ? doc.on("on" + type, handler)
                                         : doc.getElementById(where).on("on" + type, handler));
    }
  }
};

TEST(Events, PointerMovesBecomeOutOverPairsNamingBothElements) {
  Recorder r;
  for (const char* id : {"outer", "inner", "other"}) r.listen(id, {"mouseover", "mouseout"});
  const std::tuple<long, long, std::string> steps[] = {
      {50, 50, "outer:mouseover outer ->outer; "},
      {60, 60, ""},
      {150, 150,
       "outer:mouseout outer outer>inner; inner:mouseover inner outer>inner; "
       "outer:mouseover inner outer>inner; "},
      {550, 50,
       "inner:mouseout inner inner>other; outer:mouseout inner inner>other; "
       "other:mouseover other inner>other; "},
  };
  for (const auto& [x, y, heard] : steps) {
    SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
    r.heard.clear();
    pointer::move(r.doc, x, y);
    EXPECT_EQ(r.heard, heard);
  }
}

TEST(Events, PressAndReleaseGiveClicksMenusAndSelections) {
  // The button; the path "x,y ...", pressed at the first point, moved on, released at the last;
  // whether selectstart is cancelled; what was heard and the selection's type.
  const std::tuple<const char*, long, const char*, bool, const char*, const char*> cases[] = {
      {"left click", pointer::kLeft, "150,150", false,
       "inner:mouseup inner ->-; inner:click inner ->-; ", "None"},
      {"right click", pointer::kRight, "150,150", false,
       "inner:mouseup inner ->-; inner:contextmenu inner ->-; ", "None"},
      {"released elsewhere", pointer::kRight, "150,150 550,50", false, "other:mouseup other ->-; ",
       "None"},
      {"drag", pointer::kLeft, "150,150 300,300 550,50", false,
       "inner:selectstart inner ->-; document:selectionchange - ->-; other:mouseup other ->-; ",
       "Text"},
      {"drag refused", pointer::kLeft, "150,150 550,50", true,
       "inner:selectstart inner ->-; other:mouseup other ->-; ", "None"},
  };
  for (const auto& [name, button, pathText, cancelSelectStart, heard, selection] : cases) {
    SCOPED_TRACE(name);
    Recorder r;
    for (const char* id : {"inner", "other"})
      r.listen(id, {"click", "contextmenu", "mouseup", "selectstart"});
    r.listen("document", {"selectionchange"});
    auto refuse =
        r.doc.getElementById("inner").on("onselectstart", [&] { return !cancelSelectStart; });
    std::istringstream path(pathText);
    long x, y;
    char comma;
    path >> x >> comma >> y;
    pointer::move(r.doc, x, y);
    pointer::press(r.doc, button);
    while (path >> x >> comma >> y) pointer::move(r.doc, x, y);
    pointer::release(r.doc);
    EXPECT_EQ(r.heard, heard);
    EXPECT_EQ(r.doc.selection().type(), selection);
  }
}

TEST(Events, BubbleFromTheTargetThroughItsAncestorsToTheDocument) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "span span2 p body document "}, {"span", "span span2 "}, {"p", "span span2 p "}};
  for (const auto& [cancelAt, expected] : cases) {
    SCOPED_TRACE(cancelAt);
    auto doc = page("<p id=p><span id=span>x</span></p>");
    std::string heard;
    const auto hear = [&](std::string name) -> html::Handler {
      return [&, name] {
        heard += name + " ";
        if (name == cancelAt) doc.parentWindow().event().setCancelBubble(true);
        return true;
      };
    };
    auto span = doc.getElementById("span");
    // The document subscribes first, and is still heard last.
    const platform::Connection keep[] = {
        doc.on("onClick", hear("document")), doc.body().on("onclick", hear("body")),
        doc.getElementById("p").on("onclick", hear("p")), span.on("onclick", hear("span")),
        span.on("onclick", hear("span2"))};
    dom::dispatch(dom::nodeOf(doc.getElementById("span"))->first, "click");
    EXPECT_EQ(heard, expected);
  }
}

TEST(Events, HandlersCancelTheDefaultByResultOrReturnValue) {
  const auto doc = page("<a id=a href=x>link</a>");
  auto link = doc.getElementById("a");
  const auto cancelling = [&](bool nested) {
    return [&, nested] {
      if (nested) dom::dispatch(dom::nodeOf(link), "mouseover");
      doc.parentWindow().event().setReturnValue(false);
      return true;
    };
  };
  const std::tuple<const char*, html::Handler, bool> cases[] = {
      {"returns true", [] { return true; }, true},
      {"returns false", [] { return false; }, false},
      {"sets returnValue", cancelling(false), false},
      {"sets it after a nested event", cancelling(true), false},
  };
  for (const auto& [name, handler, runsDefault] : cases) {
    SCOPED_TRACE(name);
    auto connection = link.on("onclick", handler);
    EXPECT_EQ(dom::dispatch(dom::nodeOf(link), "click"), runsDefault);
  }
  EXPECT_TRUE(doc.parentWindow().event().isNothing()) << "window.event outside a dispatch";
}

TEST(Events, HandlersMayDropSubscriptionsAndEditThePageWhileRunning) {
  const auto doc = page("<div id=outer><p id=p>x</p></div>");
  auto p = doc.getElementById("p");
  std::string heard;
  platform::Connection self, victim, added;
  self = p.on("onclick", [&] {
    heard += "self ";
    self.disconnect();  // its own connection: the handler must outlive this call
    victim.disconnect();
    added = p.on("onclick", [&] { return heard += "added ", true; });
    doc.getElementById("outer").removeChild(p);
    return true;
  });
  victim = p.on("onclick", [&] { return heard += "victim ", true; });
  auto outer = doc.getElementById("outer").on("onclick", [&] { return heard += "outer ", true; });
  dom::dispatch(dom::nodeOf(p), "click");
  EXPECT_EQ(heard, "self outer ");
  heard.clear();
  dom::dispatch(dom::nodeOf(p), "click");
  EXPECT_EQ(heard, "added ") << "removed from the page by now";
}

// The browser tests reach frames of another port and scheme; here the port an address leaves out.
TEST(Events, OriginsNameThePortAnAddressLeavesOut) {
  const std::pair<const char*, const char*> cases[] = {
      {"http://127.0.0.1/top.htm", "http://127.0.0.1:80"},
      {"http://LocalHost:80/frame.htm", "http://localhost:80"},
      {"file:///srv/pages/left.html", "file://"},
  };
  for (const auto& [url, origin] : cases) {
    const html::Window window = dom::newDocument("<p>x</p>", url).parentWindow();
    EXPECT_EQ(platform::implementation(window)->window->origin(), origin) << url;
  }
}

}  // namespace
