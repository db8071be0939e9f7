// The html port's late binding against scripted page objects: no live page can run here, but
// the way members are reached, values read, failures raised and objects compared can.
#include <string>

#include "check.h"
#include "scripted.h"

namespace smoke {
namespace {

using Scripted = com::Ptr<ScriptedObject>;

void checkProperties() {
  const Scripted fake = ScriptedObject::make();
  fake->answer("id", "");
  html::Element element = fake->as<html::Element>();
  const std::string text = "\xC3\xA9t\xC3\xA9 \xE2\x9C\x93";
  // A put without the named argument DISPID_PROPERTYPUT fails as it does on the page.
  element.setId(text);
  const VARIANT& put = fake->value("id");
  expect(put.vt == VT_BSTR && std::wstring(put.bstrVal) == L"\u00e9t\u00e9 \u2713",
         "id was not put as UTF-16");
  expect(element.id() == text, "id did not read back as UTF-8: " + element.id());
  expect(element.is(fake->as<html::Element>()) &&
             !element.is(ScriptedObject::make()->as<html::Element>()),
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
      {"an invalid argument", E_INVALIDARG, 0, 0, 5},
      {"an invalid target element returned", static_cast<HRESULT>(0x800A0258), 0, 0, 5},
      {"an invalid target element raised", DISP_E_EXCEPTION, 0, 600, 5},
      {"another failure", E_FAIL, 0, 0, E_FAIL},
  };
  for (const auto& c : cases) {
    const Scripted fake = ScriptedObject::make();
    if (c.returned == DISP_E_EXCEPTION)
      fake->raise("tagName", c.scode, c.code, "Denied");
    else
      fake->fail("tagName", c.returned);
    const auto e = expectRaise(c.number, c.what, [&] { fake->as<html::Element>().tagName(); });
    if (e && c.returned == DISP_E_EXCEPTION)
      expect(e->description == "Denied", std::string(c.what) + " lost its description");
  }
  expectRaise(platform::kNotSupported, "a member the object lacks",
              [] { ScriptedObject::make()->as<html::Element>().innerText(); });
}

// The element's attributes as the port lists them, and its inline style.
std::string listed(const html::Element& element) {
  std::string out;
  for (const html::Attribute& a : element.attributes()) out += " " + a.nodeName + "=" + a.nodeValue;
  const std::string css = element.style().cssText();
  return css.empty() ? out : out + " [" + css + "]";
}

// Each row starts from an element with those attributes and inline style; its act answers what
// the call answered, then the element's attributes follow.
void checkAttributeCalls() {
  using Act = std::function<std::string(html::Element&)>;
  const auto get = [](const char* name) -> Act {
    return [=](html::Element& e) { return e.getAttribute(name).value_or("(absent)"); };
  };
  const auto remove = [](const char* name) -> Act {
    return [=](html::Element& e) { return e.removeAttribute(name) ? "true" : "false"; };
  };
  const struct {
    const char* what;
    std::vector<std::pair<const char*, const char*>> written;
    const char* css;
    Act act;
    std::string after;
  } rows[] = {
      {"setAttribute in another case replaces the attribute",
       {{"title", "a"}},
       "",
       [](html::Element& e) { return e.setAttribute("TITLE", "b"), std::string("-"); },
       "- title=b"},
      {"removeAttribute finds the attribute in another case",
       {{"title", "a"}, {"id", "i"}},
       "",
       remove("Title"),
       "true id=i"},
      {"removing class takes the class written as className",
       {{"className", "x"}},
       "",
       remove("class"),
       "true"},
      {"removing className takes the class written as class",
       {{"class", "x"}},
       "",
       remove("className"),
       "true"},
      {"removing an attribute not there", {{"title", "a"}}, "", remove("alt"), "false title=a"},
      {"removing style clears the inline style",
       {{"id", "i"}},
       "color: red",
       remove("style"),
       "true id=i"},
      {"removing style where there is none", {}, "", remove("style"), "false"},
      {"getAttribute reads an address as written",
       {{"href", "page.html"}},
       "",
       get("HREF"),
       "page.html href=page.html"},
      {"getAttribute finds the class written as className",
       {{"className", "x"}},
       "",
       get("class"),
       "x className=x"},
      {"getAttribute of an attribute not there",
       {{"title", "a"}},
       "",
       get("alt"),
       "(absent) title=a"},
  };
  for (const auto& row : rows) {
    const Scripted style = ScriptedObject::make();
    style->answer("cssText", row.css);
    const Scripted fake = ScriptedObject::make();
    fake->answer("style", com::Ptr<IDispatch>(style.get()));
    for (const auto& [name, value] : row.written) fake->attribute(name, value);
    html::Element element = fake->as<html::Element>();
    attempt(row.what, [&] {
      std::string after = row.act(element);
      after += listed(element);
      expect(after == row.after, std::string(row.what) + ": \"" + after + "\"");
    });
  }
}

// Attribute values of other types read as page script prints them.
void checkAttributeTexts() {
  static LONG referenced = 42;
  const auto reference = [] {
    win32::Value value = typed(VT_BYREF | VT_I4);
    value.get()->plVal = &referenced;
    return value;
  };
  const struct {
    const char* what;
    win32::Value value;
    std::string listed;
    std::optional<std::string> read;
  } rows[] = {
      {"a true flag", win32::Value::flag(true), "true", "true"},
      {"a false flag", win32::Value::flag(false), "false", "false"},
      {"a number", win32::Value(-3L), "-3", "-3"},
      {"a fraction", real(1.5), "1.5", "1.5"},
      {"an integral double", real(2.0), "2", "2"},
      {"a large double", real(1e21), "1e+21", "1e+21"},
      {"a long integral double", real(123456789012.0), "123456789012", "123456789012"},
      {"a small double", real(0.000001), "0.000001", "0.000001"},
      {"a smaller double", real(-1.25e-7), "-1.25e-7", "-1.25e-7"},
      {"a reference", reference(), "42", "42"},
      {"null", typed(VT_NULL), "null", std::nullopt},
      {"an object", typed(VT_DISPATCH), "", ""},
  };
  for (const auto& row : rows) {
    const Scripted fake = ScriptedObject::make();
    fake->attribute("data", row.value);
    attempt(row.what, [&] {
      const html::Element element = fake->as<html::Element>();
      const std::string listed = element.attributes().at(0).nodeValue;
      const auto read = element.getAttribute("data");
      expect(listed == row.listed && read == row.read, std::string(row.what) + " listed \"" +
                                                           listed + "\", read \"" +
                                                           read.value_or("(absent)") + "\"");
    });
  }
}

void checkStyle() {
  const Scripted fake = ScriptedObject::make();
  fake->answer("zIndex", win32::Value(7L)).answer("color", "red").answer("width", typed(VT_NULL));
  const html::Style style = fake->as<html::Style>();
  const struct {
    const char* name;
    std::string read;
  } rows[] = {{"zIndex", "7"}, {"color", "red"}, {"width", ""}, {"msFilter", ""}};
  for (const auto& row : rows)
    attempt(row.name, [&] {
      expect(style.get(row.name) == row.read,
             "style." + std::string(row.name) + " read \"" + style.get(row.name) + "\"");
    });
  expectRaise(platform::kNotSupported, "setting a style member it lacks",
              [&] { fake->as<html::Style>().set("msFilter", "none"); });
}

void checkNullObjects() {
  const Scripted fake = ScriptedObject::make();
  fake->answer("parentElement", typed(VT_UNKNOWN)).answer("offsetParent", typed(VT_DISPATCH));
  const html::Element element = fake->as<html::Element>();
  expect(element.parentElement().isNothing(), "a null VT_UNKNOWN is not Nothing");
  expect(element.offsetParent().isNothing(), "a null VT_DISPATCH is not Nothing");
}

void checkTypeNames() {
  const struct {
    const char* typeInfo;
    const char* typeName;
  } rows[] = {{"DispHTMLImg", "HTMLImg"},
              {"DispHTMLTableCell", "HTMLTableCell"},
              {"HTMLAnchorElement", "HTMLAnchorElement"},
              {"DispDOMEvent", "DispDOMEvent"}};
  for (const auto& row : rows) {
    const Scripted fake = ScriptedObject::make();
    fake->typeNamed(row.typeInfo);
    const std::string name = fake->as<html::Node>().typeName();
    expect(name == row.typeName, std::string(row.typeInfo) + " reads as " + name);
  }
  // Older engines' documents are no nodes, known by their type.
  const Scripted document = ScriptedObject::make();
  document->typeNamed("DispHTMLDocument");
  expect(document->as<html::Node>().nodeType() == 9, "a DispHTMLDocument is no document");
}

// What two wrappers of windows have behind them: one object for both, one each, or nothing.
enum class Behind { kNothing, kOne, kEach, kDenied };

void checkWindowIdentity() {
  const struct {
    const char* what;
    Behind browser;
    Behind document;
    bool one;
  } rows[] = {
      {"wrappers with one browser behind them", Behind::kOne, Behind::kEach, true},
      {"wrappers with a browser each", Behind::kEach, Behind::kOne, false},
      {"wrappers with one document and no browser", Behind::kNothing, Behind::kOne, true},
      {"wrappers with a document each", Behind::kNothing, Behind::kEach, false},
      {"a wrapper denying its document", Behind::kNothing, Behind::kDenied, false},
      {"wrappers with nothing behind them", Behind::kNothing, Behind::kNothing, false},
  };
  const auto browser = [] {
    return com::Ptr<IUnknown>::adopt(static_cast<IUnknown*>(NewFakeBrowser(nullptr)));
  };
  const auto document = [] { return com::Ptr<IDispatch>(ScriptedObject::make().get()); };
  for (const auto& row : rows) {
    const Scripted a = ScriptedObject::make(), b = ScriptedObject::make();
    const auto sharedBrowser = browser();
    const auto sharedDocument = document();
    if (row.browser != Behind::kNothing) a->browser(sharedBrowser);
    if (row.browser != Behind::kNothing)
      b->browser(row.browser == Behind::kOne ? sharedBrowser : browser());
    if (row.document != Behind::kNothing) b->answer("document", sharedDocument);
    if (row.document == Behind::kOne) a->answer("document", sharedDocument);
    if (row.document == Behind::kEach) a->answer("document", document());
    if (row.document == Behind::kDenied) a->fail("document", E_ACCESSDENIED);
    attempt(row.what, [&] {
      const bool one = a->as<html::Window>().is(b->as<html::Window>());
      expect(one == row.one, std::string(row.what) + (one ? " are one window" : " are two"));
    });
  }
}

}  // namespace

void runHtmlChecks() {
  runEach({{"properties", checkProperties},
           {"failures", checkFailures},
           {"attribute calls", checkAttributeCalls},
           {"attribute texts", checkAttributeTexts},
           {"style", checkStyle},
           {"null objects", checkNullObjects},
           {"type names", checkTypeNames},
           {"window identity", checkWindowIdentity}});
}

}  // namespace smoke
