#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "clip/mdlClip.h"
#include "page/mdlWindowProxy.h"

namespace {

// Leaves the thread's clip as it found it.
struct ClipTest : ::testing::Test {
  xml::Document saved = std::exchange(g_ClipXML(), xml::Document());
  ~ClipTest() override { g_ClipXML() = saved; }

  // A clip document of frames of these types, each holding its markup as a clip does.
  static void clip(std::initializer_list<std::pair<const char*, std::string>> frames) {
    InitClipXML();
    for (const auto& [type, markup] : frames) {
      xml::Node frame = g_ClipXML().createElement("frame");
      frame.setAttribute("type", type);
      xml::Node content = frame.appendChild(g_ClipXML().createElement("content"));
      content.appendChild(g_ClipXML().createCDATASection(markup));
      g_ClipXML().documentElement().appendChild(frame);
    }
  }
};

TEST(MdlClip, ACountIsTheVisibleTextOfTheEscapedMarkupInUtf16Units) {
  const std::pair<std::string, std::int32_t> cases[] = {
      {"", 0},
      {"<p> \r\n\t</p><br/>", 0},
      {"&lt;b&gt;", 9},
      {"a\xF0\x9F\x98\x80"
       "b",
       4},
      {"caf\xC3\xA9", 4},
      {"<style type=\"text/css\">p { x }</style><p>ab</p><STYLE>kept</STYLE>", 7},
      {"  one   <b>two</b>\n\nthree  ", 13},
      {std::string(1000, 'x'), 1000},
  };
  for (const auto& [markup, count] : cases) EXPECT_EQ(CountedCharacters(markup), count) << markup;
}

TEST_F(ClipTest, TheTotalCountsTextClipsOnlyAndHoldsPast16Bits) {
  EXPECT_EQ(CountClippedCharacters(), 0) << "no clip document";
  const std::string many(20000, 'x');
  clip({{"IHTMLTxtRange", "<p>" + many + "</p>"},
        {"HTMLImg", "<img src=a.png>counted never"},
        {"IHTMLTxtRange", many}});
  EXPECT_EQ(CountClippedCharacters(), 40000);
}

TEST_F(ClipTest, TheClipDocumentStartsWithItsRootOnce) {
  InitClipXML();
  const xml::Document first = g_ClipXML();
  InitClipXML();
  EXPECT_TRUE(g_ClipXML().is(first));
  EXPECT_EQ(g_ClipXML().xml(), "<elements/>");
}

TEST(MdlClip, ClearingAllHighlightsEmptiesTheElementsClippedWhole) {
  g_ClippedElements().resize(3);
  g_ElementOverlays().resize(3);
  g_ClippedElementCount() = 2;
  ClearAllHighlights();
  EXPECT_EQ(g_ClippedElements().size(), 1u);
  EXPECT_EQ(g_ClippedElementCount(), 0);
  EXPECT_EQ(g_ElementOverlays().size(), 3u) << "the next clip cuts the overlays back";
  g_ElementOverlays().resize(1);
}

}  // namespace
