#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "headless/dom.h"
#include "headless/events.h"
#include "headless/pointer.h"
#include "runtime/error.h"

namespace {

namespace dom = headless::dom;
namespace pointer = headless::pointer;

// Three boxes placed absolutely, so the points below do not depend on the flow rules.
const char* const kBoxes =
    "<div id=outer style='position:absolute;left:0px;top:0px;width:400px;height:400px'>"
    "<div id=inner style='position:absolute;left:100px;top:100px;width:100px;height:100px'>"
    "in</div></div>"
    "<div id=other style='position:absolute;left:500px;top:0px;width:100px;height:100px'>"
    "other</div>";

html::Document page(const std::string& markup) {
  return dom::newDocument(markup, "http://127.0.0.1:8080/page.htm");
}

std::string idOf(const html::Element& e) {
  return e.isNothing() ? "-" : e.id();
}

// Records what each handler heard, as "where:type src from>to".
struct Recorder {
  html::Document doc;
  std::vector<std::string> log;
  std::vector<platform::Connection> keep;

  void listen(const std::string& where, const std::vector<std::string>& events) {
    for (const auto& type : events) {
      auto handler = [this, where] {
        const html::Event e = doc.parentWindow().event();
        log.push_back(where + ":" + e.type() + " " + idOf(e.srcElement()) + " " +
                      idOf(e.fromElement()) + ">" + idOf(e.toElement()));
        return true;
      };
      keep.push_back(where == "document" ? doc.on("on" + type, handler)
                                         : doc.getElementById(where).on("on" + type, handler));
    }
  }
};

const std::vector<std::string> kPointerEvents = {"mouseover",   "mouseout", "click",
                                                 "contextmenu", "mouseup",  "selectstart"};

TEST(Events, PointerMovesBecomeOutOverPairsNamingBothElements) {
  Recorder r{page(kBoxes), {}, {}};
  for (const char* id : {"outer", "inner", "other"}) r.listen(id, {"mouseover", "mouseout"});
  struct Step {
    long x, y;
    std::vector<std::string> heard;
  };
  const Step steps[] = {
      {50, 50, {"outer:mouseover outer ->outer"}},
      {60, 60, {}},
      {150,
       150,
       {"outer:mouseout outer outer>inner", "inner:mouseover inner outer>inner",
        "outer:mouseover inner outer>inner"}},
      {550,
       50,
       {"inner:mouseout inner inner>other", "outer:mouseout inner inner>other",
        "other:mouseover other inner>other"}},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(std::to_string(s.x) + "," + std::to_string(s.y));
    r.log.clear();
    pointer::move(r.doc, s.x, s.y);
    EXPECT_EQ(r.log, s.heard);
  }
}

TEST(Events, PressAndReleaseGiveClicksMenusAndSelections) {
  struct Case {
    const char* name;
    long button;
    std::vector<std::pair<long, long>> path;  // press at the first point, release at the last
    bool cancelSelectStart;
    std::vector<std::string> heard;
    const char* selection;
  };
  const Case cases[] = {
      {"left click",
       pointer::kLeft,
       {{150, 150}},
       false,
       {"inner:mouseup inner ->-", "inner:click inner ->-"},
       "None"},
      {"right click",
       pointer::kRight,
       {{150, 150}},
       false,
       {"inner:mouseup inner ->-", "inner:contextmenu inner ->-"},
       "None"},
      {"released elsewhere",
       pointer::kRight,
       {{150, 150}, {550, 50}},
       false,
       {"other:mouseup other ->-"},
       "None"},
      {"drag",
       pointer::kLeft,
       {{150, 150}, {300, 300}, {550, 50}},
       false,
       {"inner:selectstart inner ->-", "document:selectionchange - ->-", "other:mouseup other ->-"},
       "Text"},
      {"drag refused",
       pointer::kLeft,
       {{150, 150}, {550, 50}},
       true,
       {"inner:selectstart inner ->-", "other:mouseup other ->-"},
       "None"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Recorder r{page(kBoxes), {}, {}};
    for (const char* id : {"inner", "other"}) r.listen(id, kPointerEvents);
    r.listen("document", {"selectionchange"});
    auto refuse =
        r.doc.getElementById("inner").on("onselectstart", [&] { return !c.cancelSelectStart; });
    pointer::move(r.doc, c.path.front().first, c.path.front().second);
    r.log.clear();
    pointer::press(r.doc, c.button);
    for (std::size_t i = 1; i < c.path.size(); ++i)
      pointer::move(r.doc, c.path[i].first, c.path[i].second);
    std::erase_if(r.log, [](const std::string& s) { return s.find(":mouseo") != s.npos; });
    pointer::release(r.doc);
    EXPECT_EQ(r.log, c.heard);
    EXPECT_EQ(r.doc.selection().type(), c.selection);
  }
}

TEST(Events, BubbleFromTheTargetThroughItsAncestorsToTheDocument) {
  struct Case {
    const char* cancelAt;
    std::vector<std::string> heard;
  };
  const Case cases[] = {
      {"", {"span", "span2", "p", "body", "document"}},
      {"span", {"span", "span2"}},
      {"p", {"span", "span2", "p"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cancelAt);
    const auto doc = page("<p id=p><span id=span>x</span></p>");
    std::vector<std::string> heard;
    std::vector<platform::Connection> keep;
    const auto listen = [&](html::Node target, const std::string& name) {
      auto handler = [&, name] {
        heard.push_back(name);
        if (name == c.cancelAt) doc.parentWindow().event().setCancelBubble(true);
        return true;
      };
      if (auto e = target.asElement())
        keep.push_back(e.on("onclick", handler));
      else
        keep.push_back(target.asDocument().on("onClick", handler));
    };
    listen(doc, "document");  // subscribed first, still heard last
    listen(doc.body(), "body");
    listen(doc.getElementById("p"), "p");
    listen(doc.getElementById("span"), "span");
    listen(doc.getElementById("span"), "span2");
    dom::dispatch(dom::nodeOf(doc.getElementById("span"))->first, "click");
    EXPECT_EQ(heard, c.heard);
  }
}

TEST(Events, HandlersCancelTheDefaultByResultOrReturnValue) {
  const auto doc = page("<a id=a href=x>link</a>");
  auto link = doc.getElementById("a");
  struct Case {
    const char* name;
    html::Handler handler;
    bool runsDefault;
  };
  const Case cases[] = {
      {"returns true", [] { return true; }, true},
      {"returns false", [] { return false; }, false},
      {"sets returnValue",
       [&] {
         doc.parentWindow().event().setReturnValue(false);
         return true;
       },
       false},
      {"sets it after a nested event",
       [&] {
         dom::dispatch(dom::nodeOf(link), "mouseover");
         doc.parentWindow().event().setReturnValue(false);
         return true;
       },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto connection = link.on("onclick", c.handler);
    EXPECT_EQ(dom::dispatch(dom::nodeOf(link), "click"), c.runsDefault);
  }
  EXPECT_TRUE(doc.parentWindow().event().isNothing()) << "window.event outside a dispatch";
}

TEST(Events, HandlersMayDropSubscriptionsAndEditThePageWhileRunning) {
  const auto doc = page("<div id=outer><p id=p>x</p></div>");
  auto p = doc.getElementById("p");
  std::vector<std::string> heard;
  platform::Connection self, victim, added;
  self = p.on("onclick", [&] {
    heard.push_back("self");
    self.disconnect();  // its own connection: the handler must outlive this call
    victim.disconnect();
    added = p.on("onclick", [&] { return heard.push_back("added"), true; });
    doc.getElementById("outer").removeChild(p);
    return true;
  });
  victim = p.on("onclick", [&] { return heard.push_back("victim"), true; });
  auto outer =
      doc.getElementById("outer").on("onclick", [&] { return heard.push_back("outer"), true; });
  dom::dispatch(dom::nodeOf(p), "click");
  EXPECT_EQ(heard, (std::vector<std::string>{"self", "outer"}));
  heard.clear();
  dom::dispatch(dom::nodeOf(p), "click");
  EXPECT_EQ(heard, (std::vector<std::string>{"added"})) << "removed from the page by now";
}

TEST(Events, WindowsOfPagesAndFramesOfAnotherOrigin) {
  const auto top = dom::newDocument("<p>top</p>", "http://127.0.0.1/top.htm");
  const auto same = dom::newDocument("<p>same</p>", "http://127.0.0.1:80/frame.htm");
  const auto other = dom::newDocument("<p>other</p>", "http://127.0.0.1:9090/frame.htm");
  auto topWindow = top.parentWindow();
  const auto topData = platform::implementation(topWindow)->window;
  std::vector<std::shared_ptr<dom::WindowData>> frames;
  for (const auto& doc : {same, other}) {
    auto frame = std::make_shared<dom::WindowData>();
    frame->document = dom::nodeOf(doc)->doc->shared_from_this();
    frame->parent = topData;
    topData->frames.push_back(frame);
    frames.push_back(frame);
  }
  const auto reached = topWindow.frames();
  ASSERT_EQ(reached.size(), 2u);
  EXPECT_TRUE(reached[0].document().is(same)) << "the default port is the same origin";
  try {
    reached[1].document();
    ADD_FAILURE() << "another origin's document was handed out";
  } catch (const platform::Error& e) {
    EXPECT_EQ(e.number, platform::kPermissionDenied);
  }
  EXPECT_TRUE(reached[1].parent().is(topWindow));
  EXPECT_TRUE(reached[1].top().is(topWindow));
  EXPECT_THROW(reached[1].parent().document(), platform::Error) << "nor the other way up";
  EXPECT_TRUE(topWindow.document().is(top));
  EXPECT_TRUE(topWindow.is(top.parentWindow())) << "the window made for the page is kept";
  std::string heard;
  auto load = topWindow.on("onload", [&] {
    heard = topWindow.event().type();
    return true;
  });
  dom::dispatchWindow(*topData, "load");
  EXPECT_EQ(heard, "load");
}

}  // namespace
