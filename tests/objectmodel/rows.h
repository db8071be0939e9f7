// The object-model behaviours the toolbar relies on, written once and run on both platforms:
// on the headless platform against the row's page, and under Wine against a scripted object
// that answers what the real engine answers (the row's engine column). A row passes when the
// port gives the expected answer from either.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/html.h"
#include "runtime/error.h"

namespace objectmodel {

// One answer of the engine, in neutral terms: a text, a flag, a number, Null, or a failing
// HRESULT.
struct Raw {
  enum class Kind { Text, Flag, Integer, Real, Null, Failure };
  Kind kind = Kind::Null;
  std::string text;
  double number = 0;
  std::int32_t hresult = 0;
};

inline Raw text(std::string t) {
  return {Raw::Kind::Text, std::move(t)};
}
inline Raw flag(bool value) {
  return {Raw::Kind::Flag, {}, value ? 1.0 : 0.0};
}
inline Raw integer(long value) {
  return {Raw::Kind::Integer, {}, static_cast<double>(value)};
}
inline Raw real(double value) {
  return {Raw::Kind::Real, {}, value};
}
inline Raw null() {
  return {};
}
inline Raw failure(std::uint32_t hr) {
  return {Raw::Kind::Failure, {}, 0, static_cast<std::int32_t>(hr)};
}

inline constexpr std::uint32_t kUnknownName = 0x80020006;    // DISP_E_UNKNOWNNAME
inline constexpr std::uint32_t kInvalidArg = 0x80070057;     // E_INVALIDARG
inline constexpr std::uint32_t kInvalidTarget = 0x800A0258;  // "Invalid target element"

using Members = std::vector<std::pair<std::string, Raw>>;

// The engine: the target element's members, its attributes collection (as the engine lists it,
// typed values and unset attributes included) and its type information's name; for an OBJECT,
// the class name of the player control its "object" member answers, and the player's members
// ("currentMedia.sourceURL": sourceURL of the object currentMedia answers).
struct Engine {
  Members members{};
  Members attributes{};
  const char* type = nullptr;
  const char* player = nullptr;
  Members playerMembers{};
};

struct Row {
  const char* behaviour;
  // The headless page, at kPageUrl; the element the row reads has the id "t".
  const char* page;
  Engine engine;
  std::function<std::string(html::Element&)> probe;
  std::string expected;
};

inline constexpr const char* kPageUrl = "http://127.0.0.1:8080/dir/page.htm?x=1";

// The port's answer, or "error N" for what it raised.
inline std::string outcome(const std::function<std::string()>& call) {
  try {
    return call();
  } catch (const platform::Error& e) {
    return "error " + std::to_string(e.number);
  }
}

// The pairs of the attributes collection that a copy of the element's markup keeps: valued,
// not "null", not the class, no handler, and not one of the defaults every element reports.
inline std::string keptPairs(const html::Element& e) {
  static const std::vector<std::pair<std::string, std::string>> kDefaults = {
      {"rowSpan", "1"},       {"colSpan", "1"},
      {"disabled", "false"},  {"contentEditable", "inherit"},
      {"hideFocus", "false"}, {"noWrap", "false"},
      {"tabIndex", "0"},      {"start", "fileopen"},
      {"isMap", "false"},     {"loop", "1"}};
  std::string out;
  for (const html::Attribute& a : e.attributes()) {
    const std::pair<std::string, std::string> pair{a.nodeName, a.nodeValue};
    const bool handler =
        a.nodeName.size() >= 2 && (a.nodeName[0] | 0x20) == 'o' && (a.nodeName[1] | 0x20) == 'n';
    if (a.nodeValue.empty() || a.nodeValue == "null" || a.nodeName == "class" || handler) continue;
    if (std::find(kDefaults.begin(), kDefaults.end(), pair) != kDefaults.end()) continue;
    out += (out.empty() ? "" : " ") + a.nodeName + "=" + a.nodeValue;
  }
  return out;
}

// The value the collection lists for name, "absent" when it lists none.
inline std::string listed(const html::Element& e, const std::string& name) {
  for (const html::Attribute& a : e.attributes())
    if (a.nodeName == name) return a.nodeValue;
  return "absent";
}

// The OBJECT's player: its type name and what member answers, or what that raised.
inline std::function<std::string(html::Element&)> playing(const char* member) {
  return [member](html::Element& e) {
    return outcome([&] {
      const html::Control player = e.object();
      return player.typeName() + " " + player.get(member);
    });
  };
}

// Inserts markup at where: "inserted", or what it raised.
inline std::function<std::string(html::Element&)> inserting(const char* where) {
  return [where](html::Element& e) {
    return outcome([&] {
      e.insertAdjacentHTML(where, "<b>x</b>");
      return std::string("inserted");
    });
  };
}

inline std::vector<Row> rows() {
  using html::Element;
  return {
      {"an image's src is absolute, resolved against the page's base",
       R"(<base href="http://127.0.0.1:8080/base/"><img id="t" src="pics/a.png">)",
       {.members = {{"src", text("http://127.0.0.1:8080/base/pics/a.png")}}},
       [](Element& e) { return e.src(); },
       "http://127.0.0.1:8080/base/pics/a.png"},
      {"a link's href is absolute, resolved against the page's address",
       R"(<a id="t" href="../up.htm?q=1">up</a>)",
       {.members = {{"href", text("http://127.0.0.1:8080/up.htm?q=1")}}},
       [](Element& e) { return e.href(); },
       "http://127.0.0.1:8080/up.htm?q=1"},
      {"getAttribute answers an address as the page wrote it",
       R"(<a id="t" href="../up.htm">up</a>)",
       {.attributes = {{"href", text("../up.htm")}}},
       [](Element& e) { return e.getAttribute("HREF").value_or("null"); },
       "../up.htm"},
      {"getAttribute of an attribute the page did not write is null",
       R"(<embed id="t" src="m.swf">)",
       {.attributes = {{"src", text("m.swf")}}},
       [](Element& e) { return e.getAttribute("flashvars").value_or("null"); },
       "null"},
      {"setAttribute in another case replaces the attribute",
       R"(<div id="t" title="old">x</div>)",
       {.attributes = {{"title", text("old")}}},
       [](Element& e) {
         e.setAttribute("TITLE", "new");
         return e.getAttribute("title").value_or("null") + " " + listed(e, "title");
       },
       "new new"},
      {"removing the class removes it under either name",
       R"(<div id="t" class="c">x</div>)",
       {.attributes = {{"class", text("c")}}},
       [](Element& e) {
         const bool removed = e.removeAttribute("class");
         return std::string(removed ? "removed " : "kept ") +
                e.getAttribute("className").value_or("null");
       },
       "removed null"},
      {"an image reads its rendered size without size attributes",
       R"(<img id="t" src="a.png" style="width:40px;height:30px">)",
       {.members = {{"width", integer(40)}, {"height", integer(30)}}},
       [](Element& e) { return std::to_string(e.width()) + "x" + std::to_string(e.height()); },
       "40x30"},
      {"a boolean attribute lists as true, however the page wrote it",
       R"(<input id="t" type="checkbox" checked="checked" disabled>)",
       {.attributes = {{"type", text("checkbox")},
                       {"checked", flag(true)},
                       {"disabled", flag(true)},
                       {"readOnly", flag(false)}}},
       [](Element& e) { return listed(e, "checked") + " " + listed(e, "disabled"); },
       "true true"},
      {"a cell's spans list under their property names as numbers",
       R"(<table><tr><td id="t" rowspan="02" nowrap>x</td></tr></table>)",
       {.attributes = {{"rowSpan", integer(2)},
                       {"colSpan", integer(1)},
                       {"noWrap", flag(true)},
                       {"tabIndex", integer(0)}}},
       [](Element& e) {
         return listed(e, "rowSpan") + " " + listed(e, "colSpan") + " " + listed(e, "noWrap") +
                " " + listed(e, "tabIndex");
       },
       "2 1 true 0"},
      {"a copy keeps the same pairs of the collection on both platforms",
       R"html(<div id="t" class="c" title="T" onclick="go()" tabindex="0" align="left">x</div>)html",
       {.attributes = {{"id", text("t")},
                       {"class", text("c")},
                       {"title", text("T")},
                       {"onclick", null()},
                       {"accessKey", text("")},
                       {"dataFld", null()},
                       {"tabIndex", integer(0)},
                       {"disabled", flag(false)},
                       {"hideFocus", flag(false)},
                       {"contentEditable", text("inherit")},
                       {"align", text("left")}}},
       [](Element& e) { return keptPairs(e); },
       "id=t title=T align=left"},
      {"innerText breaks lines between blocks, twice around paragraphs, tabs between cells",
       R"(<div id="t"><p>one</p><p>two</p><div>three</div>four<br>five)"
       R"(<table><tr><td>1</td><td>2</td></tr><tr><td>3</td></tr></table></div>)",
       {.members = {{"innerText",
                     text("one\r\n\r\ntwo\r\n\r\nthree\r\nfour\r\nfive\r\n1\t2\r\n3")}}},
       [](Element& e) { return e.innerText(); },
       "one\r\n\r\ntwo\r\n\r\nthree\r\nfour\r\nfive\r\n1\t2\r\n3"},
      {"an image's type name is HTMLImg in every document mode",
       R"(<img id="t" src="a.png">)",
       {.type = "DispHTMLImg"},
       [](Element& e) { return e.typeName(); },
       "HTMLImg"},
      {"a cell's type name is HTMLTableCell in every document mode",
       R"(<table><tr><td id="t">x</td></tr></table>)",
       {.type = "DispHTMLTableCell"},
       [](Element& e) { return e.typeName(); },
       "HTMLTableCell"},
      {"a member the element lacks raises 438",
       R"(<div id="t">x</div>)",
       {.members = {{"object", failure(kUnknownName)}}},
       [](Element& e) { return outcome([&] { return e.object().typeName(); }); },
       "error 438"},
      {"a Flash OBJECT's player is ShockwaveFlash, its Movie the movie PARAM, in any case",
       R"(<object id="t" classid="CLSID:d27cdb6e-ae6d-11cf-96b8-444553540000">)"
       R"(<param name="Movie" value="m.swf"><param name="src" value="other.swf"></object>)",
       {.player = "ShockwaveFlash", .playerMembers = {{"Movie", text("m.swf")}}},
       playing("movie"),
       "ShockwaveFlash m.swf"},
      {"the newer media player's current media comes from its URL PARAM",
       R"(<object id="t" classid="clsid:6BF52A52-394A-11D3-B153-00C04F79FAA6">)"
       R"(<param name="URL" value="b.wmv"></object>)",
       {.player = "WindowsMediaPlayer",
        .playerMembers = {{"currentMedia.sourceURL", text("b.wmv")}}},
       playing("currentMedia.sourceURL"),
       "WindowsMediaPlayer b.wmv"},
      {"a QuickTime OBJECT's player is QTActiveXPlugin",
       R"(<object id="t" classid="clsid:02BF25D5-8C17-4B23-BC80-D3488ABDDC6B">)"
       R"(<param name="src" value="q.mov"></object>)",
       {.player = "QTActiveXPlugin", .playerMembers = {{"URL", text("q.mov")}}},
       playing("URL"),
       "QTActiveXPlugin q.mov"},
      {"an OBJECT of a class no player has answers Nothing",
       R"(<object id="t" classid="clsid:00000000-0000-0000-0000-000000000001"></object>)",
       {.members = {{"object", null()}}},
       [](Element& e) { return e.object().typeName(); },
       "Nothing"},
      {"a member of Nothing raises 91",
       R"(<html id="t"><body>x</body></html>)",
       {.members = {{"parentElement", null()}}},
       [](Element& e) { return outcome([&] { return e.parentElement().tagName(); }); },
       "error 91"},
      {"inserting markup into a table raises 5",
       R"(<table id="t"><tr><td>x</td></tr></table>)",
       {.members = {{"insertAdjacentHTML", failure(kInvalidTarget)}}},
       inserting("afterBegin"),
       "error 5"},
      {"inserting markup at a place that does not exist raises 5",
       R"(<div id="t">x</div>)",
       {.members = {{"insertAdjacentHTML", failure(kInvalidArg)}}},
       inserting("inside"),
       "error 5"},
  };
}

}  // namespace objectmodel
