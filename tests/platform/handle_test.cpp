// The handle base as every port's handles use it: Nothing raises 91 instead of crashing, and
// identity is the object's, Nothing being only Nothing.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "headless/dom.h"
#include "platform/browser.h"
#include "platform/html.h"
#include "platform/http.h"
#include "platform/picture.h"
#include "runtime/error.h"

namespace {

TEST(Handles, UsingAMemberOfNothingRaisesObjectNotSet) {
  struct Case {
    const char* handle;
    std::function<void()> use;
  };
  const Case cases[] = {
      {"html::Element", [] { html::Element().tagName(); }},
      {"html::Document", [] { html::Document().body(); }},
      {"html::Style", [] { html::Style().cssText(); }},
      {"html::Control", [] { html::Control().get("FileName"); }},
      {"html::Event", [] { html::Event().srcElement(); }},
      {"html::TextRange", [] { html::TextRange().text(); }},
      {"html::Selection", [] { html::Selection().createRange(); }},
      {"html::Window", [] { html::Window().document(); }},
      {"browser::WebBrowser", [] { browser::WebBrowser().LocationURL(); }},
      {"browser::DocumentObject", [] { browser::DocumentObject().html(); }},
      {"http::Request", [] { http::Request().readyState(); }},
      {"ui::Picture", [] { ui::Picture().handle(); }},
  };
  for (const Case& c : cases) {
    try {
      c.use();
      ADD_FAILURE() << c.handle << ": Nothing raised nothing";
    } catch (const platform::Error& e) {
      EXPECT_EQ(e.number, platform::kObjectNotSet) << c.handle;
    }
  }
}

TEST(Handles, NothingIsOnlyNothingAndAnObjectIsItselfHoweverReached) {
  const html::Document doc = headless::dom::newDocument("<p id=a>a</p>", "http://127.0.0.1/");
  const html::Element p = doc.getElementById("a");
  const html::Window window = doc.parentWindow();
  struct Case {
    const char* compared;
    bool is;
    bool expected;
  };
  const Case cases[] = {
      {"Nothing with Nothing", html::Node().is(html::Element()), true},
      {"a node with Nothing", p.is(html::Node()), false},
      {"Nothing with a node", html::Node().is(p), false},
      {"an element with itself reached again", p.is(doc.body().children()[0]), true},
      {"an element with its document", p.is(doc), false},
      {"a document with itself as a node", doc.is(p.ownerDocument()), true},
      {"a window with itself reached again", window.is(doc.parentWindow()), true},
      {"a window with Nothing", window.is(html::Window()), false},
      {"browsers that are Nothing", browser::WebBrowser().is(browser::WebBrowser()), true},
  };
  for (const Case& c : cases) EXPECT_EQ(c.is, c.expected) << c.compared;
  EXPECT_EQ(html::Node().typeName(), "Nothing") << "the type name of Nothing never raises";
}

}  // namespace
