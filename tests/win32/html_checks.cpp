// The html port's late binding against scripted page objects: no live page can run here, but
// the way members are reached, values read, failures raised and objects compared can. What the
// shared object-model rows check is theirs (group objectmodel).
#include <sstream>
#include <string>
#include <tuple>

#include "check.h"
#include "scripted.h"

namespace smoke {
namespace {

// A put goes with the named argument DISPID_PROPERTYPUT (without it the object fails it, as the
// page's do), text as UTF-16; identity, the type name without type information, null objects.
void checkProperties() {
  const Scripted fake = ScriptedObject::make();
  html::Element element = fake->answer("id", "").as<html::Element>();
  const std::string text = "\xC3\xA9t\xC3\xA9 \xE2\x9C\x93";
  element.setId(text);
  const VARIANT& put = fake->value("id");
  expect(put.vt == VT_BSTR && std::wstring(put.bstrVal) == L"\u00e9t\u00e9 \u2713" &&
             element.id() == text,
         "id did not go as UTF-16 and read back as UTF-8: " + element.id());
  expect(element.is(fake->as<html::Element>()) &&
             !element.is(ScriptedObject::make()->as<html::Element>()),
         "is() does not compare identity");
  expect(element.typeName() == "Object", "an object without type information is not Object");
  fake->answer("parentElement", typed(VT_UNKNOWN)).answer("offsetParent", typed(VT_DISPATCH));
  expect(element.parentElement().isNothing() && element.offsetParent().isNothing(),
         "a null VT_UNKNOWN or VT_DISPATCH is not Nothing");
}

// What the object returned or raised (its scode or code), and the number that comes out.
void checkFailures() {
  const std::tuple<const char*, HRESULT, SCODE, WORD, std::int32_t> rows[] = {
      {"access denied raised by the object", DISP_E_EXCEPTION, E_ACCESSDENIED, 0, 70},
      {"access denied returned", E_ACCESSDENIED, 0, 0, 70},
      {"a run-time error code raised", DISP_E_EXCEPTION, 0, 5, 5},
      {"a run-time error as HRESULT", static_cast<HRESULT>(0x800A01B6), 0, 0, 438},
      {"the engine's invalid target raised", DISP_E_EXCEPTION, 0, 600, 5},
      {"another failure", E_FAIL, 0, 0, E_FAIL},
  };
  for (const auto& [what, hr, scode, code, number] : rows) {
    const Scripted fake = ScriptedObject::make();
    fake->fail("tagName", hr, scode, code);
    const auto e = expectRaise(number, what, [&] { fake->as<html::Element>().tagName(); });
    expect(!e || hr != DISP_E_EXCEPTION || e->description == ScriptedObject::kRaised,
           std::string(what) + " lost its description");
  }
  expectRaise(platform::kNotSupported, "a member the object lacks",
              [] { ScriptedObject::make()->as<html::Element>().innerText(); });
}

// From an element with the attributes written ("name=value ...") and that inline style: the act's
// answer, then the element's attributes and [style] after it.
void checkAttributeCalls() {
  using Act = std::function<std::string(html::Element&)>;
  const auto get = [](const char* name) -> Act {
    return [=](html::Element& e) { return e.getAttribute(name).value_or("(absent)"); };
  };
  const auto remove = [](const char* name) -> Act {
    return [=](html::Element& e) { return e.removeAttribute(name) ? "true" : "false"; };
  };
  const std::tuple<const char*, const char*, const char*, Act, std::string> rows[] = {
      {"removing in another case", "title=a id=i", "", remove("Title"), "true id=i"},
      {"removing class takes className", "className=x", "", remove("class"), "true"},
      {"removing className takes class", "class=x", "", remove("className"), "true"},
      {"removing an attribute not there", "title=a", "", remove("alt"), "false title=a"},
      {"removing style clears it", "id=i", "color: red", remove("style"), "true id=i"},
      {"removing style where there is none", "", "", remove("style"), "false"},
      {"getAttribute of class finds className", "className=x", "", get("class"), "x className=x"},
  };
  for (const auto& [what, written, css, act, expected] : rows) {
    const Scripted style = ScriptedObject::make(), fake = ScriptedObject::make();
    style->answer("cssText", css);
    fake->answer("style", style);
    std::istringstream pairs(written);
    for (std::string pair; pairs >> pair;)
      fake->attribute(pair.substr(0, pair.find('=')), pair.substr(pair.find('=') + 1));
    html::Element element = fake->as<html::Element>();
    attempt(what, [&] {
      std::string after = act(element);
      for (const html::Attribute& a : element.attributes())
        after += " " + a.nodeName + "=" + a.nodeValue;
      if (!element.style().cssText().empty()) after += " [" + element.style().cssText() + "]";
      expect(after == expected, std::string(what) + ": \"" + after + "\"");
    });
  }
}

// Attribute values of other types, listed and read as page script prints them; null is listed,
// and read as no attribute. Flags and integers are the shared rows'.
void checkAttributeTexts() {
  static LONG referenced = 42;
  const std::tuple<const char*, win32::Value, std::string> rows[] = {
      {"a fraction", real(1.5), "1.5"},
      {"an integral double", real(120000000000.0), "120000000000"},
      {"a large double", real(1e21), "1e+21"},
      {"a small double", real(0.000001), "0.000001"},
      {"a smaller double", real(-1.25e-7), "-1.25e-7"},
      {"a reference", pointing(VT_I4, &referenced), "42"},
      {"null", typed(VT_NULL), "null"},
      {"an object", typed(VT_DISPATCH), ""},
  };
  for (const auto& [what, value, text] : rows) {
    const Scripted fake = ScriptedObject::make();
    const html::Element element = fake->attribute("data", value).as<html::Element>();
    attempt(what, [&] {
      const std::string listed = element.attributes().at(0).nodeValue;
      const std::string read = element.getAttribute("data").value_or("(absent)");
      expect(listed == text && read == (value.value().vt == VT_NULL ? "(absent)" : text),
             std::string(what) + " listed \"" + listed + "\", read \"" + read + "\"");
    });
  }
}

// A number reads as script prints it; Null and a member the style lacks read empty.
void checkStyle() {
  const Scripted fake = ScriptedObject::make();
  fake->answer("zIndex", win32::Value(7L)).answer("color", "red").answer("width", typed(VT_NULL));
  html::Style style = fake->as<html::Style>();
  std::string read;
  for (const char* name : {"zIndex", "color", "width", "msFilter"}) read += style.get(name) + "|";
  expect(read == "7|red|||", "style.zIndex|color|width|msFilter read " + read);
  expectRaise(platform::kNotSupported, "setting a style member it lacks",
              [&] { style.set("msFilter", "none"); });
}

// Only an element's dispinterface stands for its class; older engines' documents are no nodes,
// known by their type.
void checkTypeNames() {
  std::string read;
  for (const char* name : {"HTMLAnchorElement", "DispDOMEvent"})
    read += ScriptedObject::make()->typeNamed(name).as<html::Node>().typeName() + " ";
  expect(read == "HTMLAnchorElement DispDOMEvent ", "type names read as " + read);
  expect(ScriptedObject::make()->typeNamed("DispHTMLDocument").as<html::Node>().nodeType() == 9,
         "a DispHTMLDocument is no document");
}

// What two wrappers of windows have behind them: one object for both, one each, or nothing.
enum class Behind { kNothing, kOne, kEach, kDenied };

// The browsers behind the wrappers, their documents, and whether they are one window.
void checkWindowIdentity() {
  const std::tuple<const char*, Behind, Behind, bool> rows[] = {
      {"wrappers with one browser behind them", Behind::kOne, Behind::kEach, true},
      {"wrappers with a browser each", Behind::kEach, Behind::kOne, false},
      {"wrappers with one document and no browser", Behind::kNothing, Behind::kOne, true},
      {"wrappers with a document each", Behind::kNothing, Behind::kEach, false},
      {"a wrapper denying its document", Behind::kNothing, Behind::kDenied, false},
      {"wrappers with nothing behind them", Behind::kNothing, Behind::kNothing, false},
  };
  for (const auto& [what, browsers, documents, one] : rows) {
    const Scripted a = ScriptedObject::make(), b = ScriptedObject::make();
    const auto browser = fakeBrowser();
    const Scripted document = ScriptedObject::make();
    if (browsers != Behind::kNothing) {
      a->browser(browser);
      b->browser(browsers == Behind::kOne ? browser : fakeBrowser());
    }
    if (documents != Behind::kNothing) b->answer("document", document);
    if (documents == Behind::kDenied) a->fail("document", E_ACCESSDENIED);
    if (documents == Behind::kOne || documents == Behind::kEach)
      a->answer("document", documents == Behind::kOne ? document : ScriptedObject::make());
    attempt(what, [&] {
      const bool same = a->as<html::Window>().is(b->as<html::Window>());
      expect(same == one, std::string(what) + (same ? " are one window" : " are two"));
    });
  }
}

// A page object handed over as IUnknown is a node or a text range by the interfaces it answers,
// and the handle made from it holds that very object.
void checkPageObjects() {
  const std::tuple<const char*, const IID*, bool, bool> rows[] = {
      {"a node", &__uuidof(IHTMLDOMNode), true, false},
      {"a text range", &__uuidof(IHTMLTxtRange), false, true},
      {"another object", nullptr, false, false},
  };
  for (const auto& [what, iid, node, range] : rows) {
    const Scripted fake = ScriptedObject::make();
    if (iid) fake->alsoAnswers(*iid);
    const com::Ptr<IUnknown> unknown(static_cast<IDispatch*>(fake.get()));
    const html::Node asNode = html::Node::FromUnknown(unknown);
    const html::TextRange asRange = html::TextRange::FromUnknown(unknown);
    expect(static_cast<bool>(asNode) == node, std::string(what) + ": wrong as a node");
    expect(static_cast<bool>(asRange) == range, std::string(what) + ": wrong as a text range");
    if (node)
      expect(asNode.is(fake->as<html::Node>()) && asNode.unknown().is(unknown),
             std::string(what) + " is not the object handed over");
  }
}

}  // namespace

void runHtmlChecks() {
  runEach({{"properties", checkProperties},
           {"failures", checkFailures},
           {"attribute calls", checkAttributeCalls},
           {"attribute texts", checkAttributeTexts},
           {"style", checkStyle},
           {"type names", checkTypeNames},
           {"window identity", checkWindowIdentity},
           {"page objects", checkPageObjects}});
}

}  // namespace smoke
