// Frame documents of captured markup, written once and built on both platforms: on the headless
// platform with pugixml, under Wine with MSXML 3. A row is one frame; its text must come out
// byte for byte the same on both.
#pragma once

#include <string>
#include <vector>

#include "clip/Capture.h"

namespace capturecases {

struct Row {
  const char* behaviour;
  const char* type;
  const char* background;
  ContentFacts facts;
  const char* markup;
  const char* expected;  // the frame's xml text
  // Why the row is not run under Wine, where its MSXML is known to answer otherwise.
  const char* notUnderWine = nullptr;
};

inline constexpr const char* kWineLineFeeds =
    "Wine's MSXML writes every line feed of a text as CR LF, so CR LF comes out as CR CR LF";

// The frame of a row, as a capture builds it once it has read the page.
inline std::string frameText(const Row& row) {
  const xml::Document clip = NewClipFrame(row.type, row.background);
  AppendClipContent(clip, row.facts, row.markup);
  return clip.documentElement().xml();
}

inline const std::vector<Row>& rows() {
  static const std::vector<Row> kRows = {
      {"attributes keep the order they are set in", "IHTMLTxtRange", "#ffffff",
       ContentFacts(120, 640, "#000000", "#0000ff", "#800080"), "<P id=\"a\">text</P>",
       "<frame type=\"IHTMLTxtRange\" background-color=\"#ffffff\"><content height=\"120\" "
       "width=\"640\" text-color=\"#000000\" link-color=\"#0000ff\" vlink-color=\"#800080\">"
       "<![CDATA[<P id=\"a\">text</P>]]></content></frame>"},
      {"a CDATA end in the markup is escaped, so the section stays one", "IHTMLTxtRange", "red",
       ContentFacts(), "<P>a]]>b<![CDATA[c]]]]>d</P>",
       "<frame type=\"IHTMLTxtRange\" background-color=\"red\"><content height=\"0\" width=\"0\" "
       "text-color=\"\" link-color=\"\" vlink-color=\"\"><![CDATA[<P>a#]-]->#b<-##-CDATA-##-[c]]"
       "#]-]->#d</P>]]></content></frame>"},
      {"characters beyond ASCII go through unchanged", "IHTMLTxtRange", "#fafafa",
       ContentFacts(16, 8, "#111111", "#222222", "#333333"),
       "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\ttab",
       "<frame type=\"IHTMLTxtRange\" background-color=\"#fafafa\"><content height=\"16\" "
       "width=\"8\" text-color=\"#111111\" link-color=\"#222222\" vlink-color=\"#333333\">"
       "<![CDATA[caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\ttab]]></content></frame>"},
      {"line breaks in the markup go through unchanged", "IHTMLTxtRange", "#fafafa", ContentFacts(),
       "a\r\nb\nc",
       "<frame type=\"IHTMLTxtRange\" background-color=\"#fafafa\"><content height=\"0\" "
       "width=\"0\" text-color=\"\" link-color=\"\" vlink-color=\"\"><![CDATA[a\r\nb\nc]]>"
       "</content></frame>",
       kWineLineFeeds},
      {"page colours holding markup characters are escaped in their attributes", "IHTMLTxtRange",
       "a&b<c\"d", ContentFacts(1, 2, "x'y", "&amp;", "<"), "",
       "<frame type=\"IHTMLTxtRange\" background-color=\"a&amp;b&lt;c&quot;d\"><content "
       "height=\"1\" width=\"2\" text-color=\"x'y\" link-color=\"&amp;amp;\" vlink-color=\"&lt;\">"
       "<![CDATA[]]></content></frame>"},
  };
  return kRows;
}

}  // namespace capturecases
