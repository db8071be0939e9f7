#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "clip/Video.h"
#include "page/clipping_page.h"
#include "regexp/rows.h"

namespace {

regexp::RegExp globalRegExp(const char* pattern = "") {
  regexp::RegExp re = regexp::RegExp::Create();
  re.setPattern(pattern);
  re.setGlobal(true);
  return re;
}

// The shared rows, then texts made at random of the pieces the patterns turn on.
TEST(Video, TheBoundedScanGivesWhatTheReplacementOverTheWholeTextGives) {
  const regexp::RegExp re = globalRegExp();
  for (const regexpcases::Row& row : regexpcases::rows()) {
    const EmbedCodePattern* code = regexpcases::embedCodeOf(row);
    if (!code) continue;
    EXPECT_EQ(ReplaceEmbedCode(re, *code, row.input), row.expected) << row.behaviour;
  }
  static const char* const kPieces[] = {
      "<embed", "<embed ", "src=", " src=", "type=", "flashvars=", "\"", "'", "<", "\n", "x"};
  std::mt19937 pick(2024);
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    for (auto n = pick() % 20; n > 0; --n) text += kPieces[pick() % std::size(kPieces)];
    for (const EmbedCodePattern* code : {&kEmbedSrc, &kEmbedType, &kEmbedFlashVars})
      ASSERT_EQ(ReplaceEmbedCode(re, *code, text), globalRegExp(code->pattern).Replace(text, "$2"))
          << code->attribute << " in: " << text;
  }
}

using VideoClipping = ClippingPage;

// Each case's markup goes into the page; the element "t" is clipped. The frame's embed element
// is as written, or no frame is added and the log gains the errors listed.
TEST_F(VideoClipping, EachPlayerGivesItsMediaOrAddsNoFrameAndLogsTheFailure) {
  const std::string code =
      "<input value=search><input type=text value=\"<object><embed "
      "src=&quot;http://v.test/a.swf&quot; type=&quot;application/x-shockwave-flash&quot; "
      "flashvars=&quot;id=7&quot;></embed></object>\"><input value=\"<embed src='later.swf'>\">";
  const std::string quickTime =
      "<object id=t classid='clsid:02BF25D5-8C17-4B23-BC80-D3488ABDDC6B'><param name=src "
      "value=q.mov></object>";
  const std::string flash =
      "<object id=t classid='clsid:D27CDB6E-AE6D-11CF-96B8-444553540000'><param name=movie "
      "value=m.swf><param name=FlashVars value=first><param name=flashvars value=last></object>";
  const char* const fromCode =
      "<embed src=\"http://v.test/a.swf\"><type>application/x-shockwave-flash</type>"
      "<flashvars>id=7</flashvars></embed>";
  struct Case {
    const char* name;
    std::string markup;
    const char* embed;  // nullptr: no frame
    std::vector<std::string> errors = {};
  };
  const Case cases[] = {
      {"embed code in a text box, a Flash object clicked", code + flash, fromCode},
      {"embed code in a text box, a QuickTime object clicked", code + quickTime, fromCode},
      {"embed code with src only, after code with an empty src",
       "<input value=\"<embed src=''>\"><input value=\"<embed src='c.swf'>\">"
       "<embed id=t src=m.swf type=x flashvars=y>",
       "<embed src=\"c.swf\"/>"},
      {"embed code in a hidden input",
       "<input type=hidden value=\"<embed src='h.swf'>\">"
       "<embed id=t src=m.swf>",
       "<embed src=\"m.swf\"/>"},
      {"upper-case embed code in a text box",
       "<input value=\"<EMBED SRC='u.swf'>\">"
       "<embed id=t src=m.swf>",
       "<embed src=\"m.swf\"/>"},
      {"an EMBED with type and flashvars",
       "<embed id=t src=m.swf type=application/x-shockwave-flash flashvars=a=1>",
       "<embed src=\"m.swf\"><type>application/x-shockwave-flash</type>"
       "<flashvars>a=1</flashvars></embed>"},
      {"a Flash object", flash,
       "<embed src=\"m.swf\"><type>SHOCKWAVEFLASH</type><flashvars>last</flashvars></embed>"},
      {"a media player",
       "<object id=t classid='clsid:22D6F312-B0F6-11D0-94AB-0080C74C7E95'><param "
       "name=FileName value=a.asf></object>",
       "<embed src=\"a.asf\"><type>MEDIAPLAYER</type></embed>"},
      {"the newer media player, whose flashvars are no Flash's",
       "<object id=t classid='clsid:6BF52A52-394A-11D3-B153-00C04F79FAA6'><param name=URL "
       "value=b.wmv><param name=flashvars value=x></object>",
       "<embed src=\"b.wmv\"><type>WINDOWSMEDIAPLAYER</type></embed>"},
      {"a QuickTime object", quickTime, nullptr, {"Clip() 91"}},
      {"an object of an unknown class",
       "<object id=t classid='clsid:00000000-0000-0000-0000-000000000001'></object>",
       nullptr,
       {"Clip() 91"}},
      {"an EMBED without src",
       "<embed id=t type=application/x-shockwave-flash>",
       nullptr,
       {"ClipVideo() 94", "Clip() 91"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    doc.body().insertAdjacentHTML("beforeEnd", "<div id=row>" + c.markup + "</div>");
    const std::size_t before = frames().size();
    const std::int32_t index = g_ClipIndex();
    const xml::Document clip = clipObject(byId("t"));
    EXPECT_EQ(byId("t").getAttribute("clip-index"), std::to_string(index));
    if (c.embed) {
      ASSERT_TRUE(clip);
      const xml::NodeList parts = clip.documentElement().childNodes();
      EXPECT_EQ(clip.documentElement().getAttribute("type"), "HTMLEmbed");
      EXPECT_EQ(parts.item(0).nodeName() + " " + parts.item(1).nodeName(), "meta source");
      EXPECT_EQ(parts.item(2).xml(), c.embed);
    }
    EXPECT_EQ(frames().size(), before + (c.embed ? 1 : 0));
    const std::vector<testing_support::Record> log = testing_support::readLog(dir.log()).records;
    ASSERT_EQ(log.size(), expectedRecords + c.errors.size());
    for (std::size_t i = 0; i < c.errors.size(); ++i) {
      const testing_support::Record& r = log[expectedRecords + i];
      EXPECT_EQ(r.at("object") + " " + r.at("routine") + " " + r.at("number"),
                "mdlClip " + c.errors[i]);
    }
    expectedRecords = log.size();
    doc.body().removeChild(byId("row"));
  }
}

}  // namespace
