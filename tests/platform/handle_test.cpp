// The handle base as every port's handles use it: Nothing raises 91 instead of crashing, and
// identity is the object's, Nothing being only Nothing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include "headless/dom.h"
#include "platform/browser.h"
#include "platform/html.h"
#include "platform/http.h"
#include "platform/picture.h"
#include "runtime/error.h"
#include "support.h"

namespace {

TEST(Handles, UsingAMemberOfNothingRaisesObjectNotSet) {
  const std::pair<const char*, std::function<void()>> cases[] = {
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
  for (const auto& [handle, use] : cases)
    EXPECT_EQ(testing_support::raised(use), platform::kObjectNotSet) << handle;
}

TEST(Handles, NothingIsOnlyNothingAndAnObjectIsItselfHoweverReached) {
  const html::Document doc = headless::dom::newDocument("<p id=a>a</p>", "http://127.0.0.1/");
  const html::Element p = doc.getElementById("a");
  // What is compared, what is() answered, what it should.
  const std::tuple<const char*, bool, bool> cases[] = {
      {"Nothing with Nothing", html::Node().is(html::Element()), true},
      {"a node with Nothing", p.is(html::Node()), false},
      {"Nothing with a node", html::Node().is(p), false},
      {"an element with itself reached again", p.is(doc.body().children()[0]), true},
      {"an element with its document", p.is(doc), false},
      {"a document with itself as a node", doc.is(p.ownerDocument()), true},
      {"a window with itself reached again", doc.parentWindow().is(doc.parentWindow()), true},
      {"a window with Nothing", doc.parentWindow().is(html::Window()), false},
      {"browsers that are Nothing", browser::WebBrowser().is(browser::WebBrowser()), true},
  };
  for (const auto& [compared, is, expected] : cases) EXPECT_EQ(is, expected) << compared;
  EXPECT_EQ(html::Node().typeName(), "Nothing") << "the type name of Nothing never raises";
}

}  // namespace
