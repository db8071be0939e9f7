#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "clip/Keywords.h"
#include "clip/Source.h"
#include "headless/dom.h"
#include "keyword_rows.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;

// A module folder of the test's own holding the stop list installed beside the test program.
struct KeywordTest : ::testing::Test {
  testing_support::ModuleFolder dir;
  KeywordTest() {
    fs::copy_file(fs::read_symlink("/proc/self/exe").parent_path() / "invalid_keywords.xml",
                  dir.path() / "invalid_keywords.xml");
  }
};

// A clip of page's document: its frame's markup after build(document, clip).
template <class Build>
std::string frameAfter(const std::string& page, Build&& build,
                       const std::string& url = "http://example.test/a/page.html") {
  const html::Document doc = headless::dom::newDocument(page, url);
  xml::Document clip = xml::Document::Create();
  clip.appendChild(clip.createElement("frame"));
  build(doc, clip);
  return clip.documentElement().xml();
}

TEST_F(KeywordTest, KeywordsAreWeightedWordsOfTheTextHeaviestFirst) {
  for (const keywordcases::Row& row : keywordcases::rows())
    EXPECT_EQ(ExtractKeywords(row.text, row.maximum), row.expected) << row.behaviour;
}

TEST_F(KeywordTest, TheStopListIsReadBesideTheModuleAndAMissingOrBrokenOneStopsNothing) {
  const fs::path list = dir.path() / "invalid_keywords.xml";
  EXPECT_EQ(ExtractKeywords("the cat", 0), "cat") << "the shipped list";
  std::ofstream(list) << "<invalid_keywords><keyword>cat</keyword></invalid_keywords>";
  EXPECT_EQ(ExtractKeywords("the cat", 0), "the") << "an edited list counts at the next call";
  std::ofstream(list) << "<invalid_keywords><keyword>cat</keyword>";
  EXPECT_EQ(ExtractKeywords("the cat", 0), "the, cat") << "a broken list";
  fs::remove(list);
  EXPECT_EQ(ExtractKeywords("the cat", 0), "the, cat") << "no list";
}

TEST(ClipSource, TheSourceHoldsTheAddressInPartsAndTheLastBase) {
  for (const keywordcases::SourceRow& row : keywordcases::sourceRows()) {
    xml::Document clip = xml::Document::Create();
    clip.appendChild(clip.createElement("frame"));
    WriteSourceNode(clip, row.location, row.baseHref);
    EXPECT_EQ(clip.documentElement().xml(), row.expected) << row.behaviour;
  }
  EXPECT_EQ(frameAfter(
                "<base href='http://one.test/'><base href='http://two.test/x/'>",
                [](auto& doc, auto& clip) { BuildSourceNode(clip, doc); },
                "http://example.test:81/docs/?q=1"),
            "<frame><source><protocol>http:</protocol><host>example.test:81</host>"
            "<path>/docs/</path><page/><query>?q=1</query>"
            "<base-href>http://two.test/x/</base-href></source></frame>");
}

TEST_F(KeywordTest, MetaKeywordsComeFromThePageTheTextAndTheTextAroundTheElement) {
  std::string longText;
  for (int i = 0; i < 84; ++i) longText += "alpha ";  // a space at character 504
  const std::string xs(241, 'x');
  const std::string cut = longText + xs + " omega";
  ASSERT_EQ(cut.size(), 751u);
  std::string wide;  // 99 characters in 148 bytes
  for (int i = 0; i < 49; ++i) wide += "\xC3\xA9 ";
  wide += "z";
  struct Case {
    const char* behaviour;
    std::string page;
    std::string text;
    std::string expected;
  } const cases[] = {
      {"a page without META or title still has the text's keywords", "<p id=e>x</p>",
       "penguins glacier penguins", "penguins, glacier"},
      {"META keywords and description in order, then the title, then the text; other META not",
       "<title>walrus</title><meta name=Author content=otter><meta name=DESCRIPTION "
       "content='zebra'><meta name=keywords content=yak>",
       "heron", "zebra, walrus, heron, yak"},
      {"the page's words count once however often it repeats them",
       "<meta name=keywords content='yak yak yak yak'>", "bird", "bird, yak"},
      {"a short paragraph takes the text of the first ancestor with 100 characters",
       "<div>" + longText.substr(0, 96) + "<p>near <b id=e>tiny</b></p></div><p>far</p>", "",
       "alpha, near, tiny"},
      {"an element with 100 characters of its own takes its own text",
       "<div>outer <p id=e>" + longText.substr(0, 100) + "</p></div>", "", "alpha, alph"},
      {"characters count in UTF-16 units", "<div>parent <p id=e>" + wide + "</p></div>", "",
       "parent"},
      {"a text over 750 characters ends at the first space from the 500th",
       "<div id=e>" + cut + "</div>", "", "alpha"},
      {"a text of 750 characters is whole", "<div id=e>" + cut.substr(0, 750) + "</div>", "",
       "alpha, " + xs + ", omeg"},
      {"the BODY is the last one asked", "<p id=e>short words</p>", "", "short, words"},
  };
  for (const Case& c : cases) {
    const std::string frame = frameAfter(c.page, [&](const html::Document& doc, auto& clip) {
      BuildMetaNode(doc, clip, doc.getElementById("e"), c.text);
    });
    EXPECT_EQ(frame,
              "<frame><meta><keywords><auto>" + c.expected + "</auto></keywords></meta></frame>")
        << c.behaviour;
  }
  EXPECT_EQ(testing_support::recordCount(dir.log()), 0u);
}

TEST_F(KeywordTest, AFailureIsReportedAndLeavesTheClipAsFarAsItGot) {
  const std::string frame = frameAfter("<p>text</p>", [](const html::Document& doc, auto& clip) {
    BuildMetaNode(doc, clip, doc.createElement("SPAN"), "words");  // no BODY above it
    BuildSourceNode(clip, html::Document());
  });
  EXPECT_EQ(frame, "<frame/>");
  const auto log = testing_support::readLog(dir.log()).records;
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].at("object") + " " + log[0].at("routine") + " " + log[0].at("number"),
            "mdlClip BuildMetaNode() 91");
  EXPECT_EQ(log[1].at("routine"), "BuildSourceNode()");
}

// Frame tags go and the text between and around them stays; script elements go with their
// content.
TEST(ClipSource, TheStripFunctionsTakeOutTheirTagsAndNothingElse) {
  const std::tuple<std::string (*)(const std::string&), std::string, std::string> cases[] = {
      {StripIFrames, "<iframe src=\"x\">inner</iframe>", "inner"},
      {StripIFrames, "a<IFRAME\nSRC=x/>b<IfRaMe>c</iFrame >d", "abcd"},
      {StripIFrames, "clips about iframes: <b>iframe</b> or <i>an iframe</i> keep their words",
       "clips about iframes: <b>iframe</b> or <i>an iframe</i> keep their words"},
      {StripIFrames, "<iframes> and < iframe> are no frame tags",
       "<iframes> and < iframe> are no frame tags"},
      {StripIFrames, "kept<iframe src=x", "kept"},
      {StripIFrames, "kept</iframe", "kept"},
      {StripIFrames, "<<iframe>iframe>x</</iframe>iframe>", "x"},
      {StripIFrames, "", ""},
      {StripScriptElements, "a<script>var b = '<b>';</script>b", "ab"},
      {StripScriptElements, "a<SCRIPT type=x>1</Script >b<script>2</script>c", "abc"},
      {StripScriptElements, "a<script>never closed", "a"},
      {StripScriptElements, "a<script>x</script", "a"},
      {StripScriptElements, "<scr<script></script>ipt>x</script>y", "y"},
      {StripScriptElements, "no script here", "no script here"},
  };
  for (const auto& [strip, markup, expected] : cases) EXPECT_EQ(strip(markup), expected) << markup;
}

}  // namespace
