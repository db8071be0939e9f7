#include <gtest/gtest.h>

#include "platform/wintypes.h"
#include "platform/xml.h"
#include "runtime/error.h"
#include "support.h"

using testing_support::raised;

// Text that is no XML, cut short or with two roots is the error log tests' business.
TEST(XmlPort, LoadXmlAcceptsExactlyOneRootElement) {
  const std::pair<const char*, bool> cases[] = {{"<?xml version=\"1.0\"?><a><b/></a>", true},
                                                {"<!-- before --><a/><!-- after -->", true},
                                                {"  <a/>  ", true},
                                                {"", false},
                                                {"<a/>trailing", false},
                                                {"<a></b>", false},
                                                {"<a x='1' x='2'/>", false}};
  for (const auto& [text, loads] : cases) {
    SCOPED_TRACE(text);
    xml::Document doc = xml::Document::Create();
    ASSERT_TRUE(doc.loadXML("<previous/>"));
    EXPECT_EQ(doc.loadXML(text), loads);
    EXPECT_EQ(doc.documentElement().isNothing(), !loads) << "a failed load leaves it empty";
  }
}

TEST(XmlPort, DetachedNodesStayUsableAndInvisible) {
  xml::Document doc = xml::Document::Create();
  ASSERT_TRUE(doc.loadXML("<r><error/><error/></r>"));
  xml::Node created = doc.createElement("error");
  xml::Node removed = doc.documentElement().removeChild(doc.selectSingleNode("/r/error"));
  xml::Node cloned = doc.documentElement().cloneNode(true);
  EXPECT_EQ(doc.selectNodes("//error").length(), 1) << "only the attached one";
  EXPECT_EQ(doc.xml(), "<r><error/></r>");
  EXPECT_TRUE(removed.parentNode().isNothing());

  ASSERT_TRUE(doc.loadXML("<fresh/>"));  // a reload displaces the old tree
  created.setAttribute("n", "1");
  doc.documentElement().appendChild(created);
  doc.documentElement().appendChild(removed);
  EXPECT_EQ(doc.xml(), "<fresh><error n=\"1\"/><error/></fresh>");
  EXPECT_EQ(cloned.xml(), "<r><error/></r>");
  EXPECT_TRUE(doc.documentElement().firstChild().is(created));
}

TEST(XmlPort, RefusedOperationsRaise) {
  xml::Document doc = xml::Document::Create();
  xml::Node root = doc.appendChild(doc.createElement("root"));
  xml::Node child = root.appendChild(doc.createElement("child"));
  const std::tuple<const char*, std::function<void()>, int> cases[] = {
      {"second root", [&] { doc.appendChild(doc.createElement("other")); }, E_FAIL},
      {"own ancestor", [&] { child.appendChild(root); }, E_FAIL},
      {"not a child", [&] { child.removeChild(root); }, E_INVALIDARG},
      {"bad xpath", [&] { doc.selectNodes("//["); }, platform::kInvalidCall},
      {"unwritable path", [&] { doc.save("/nonexistent-folder/x.xml"); },
       static_cast<int>(0x80070005u)},
  };
  for (const auto& [name, body, number] : cases) EXPECT_EQ(raised(body), number) << name;
  EXPECT_FALSE(doc.load("/nonexistent-folder/x.xml"));
}

// Element text with markup characters is the error log tests' business.
TEST(XmlPort, SaveAndLoadRoundTripThroughAFile) {
  testing_support::ModuleFolder dir;
  const std::string path = (dir.path() / "doc.xml").string();
  xml::Document doc = xml::Document::Create();
  ASSERT_TRUE(doc.loadXML("<a><b>ünï &amp; ✓</b><![CDATA[<raw>]]></a>"));
  doc.documentElement().setAttribute("kind", "<&\">");
  doc.createElement("never-saved");
  doc.save(path);
  xml::Document back = xml::Document::Create();
  ASSERT_TRUE(back.load(path));
  EXPECT_EQ(back.xml(), doc.xml());
  EXPECT_EQ(back.documentElement().text(), "ünï & ✓<raw>");
  EXPECT_EQ(back.documentElement().getAttribute("kind"), "<&\">");
  EXPECT_FALSE(back.documentElement().getAttribute("missing").has_value());
  EXPECT_EQ(back.documentElement().childNodes().length(), 2);
  EXPECT_EQ(back.documentElement().childNodes().item(1).nodeType(), 4);
  EXPECT_TRUE(back.documentElement().childNodes().item(2).isNothing());
}
