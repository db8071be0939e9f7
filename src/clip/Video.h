// Capture of an embedded video or object: the per-clip document of an EMBED or OBJECT whose
// media address is found in embed code the page offers, on the EMBED, or from a known player.
// Part of mdlClip: a failure is reported as LumoraClipper/mdlClip and the capture returns Nothing.
#pragma once

#include <string>

#include "platform/html.h"
#include "platform/regexp.h"
#include "platform/xml.h"

// The frame with an embed element (src, then type and flashvars when known); Nothing when the
// element's player is none of MediaPlayer, WindowsMediaPlayer and ShockwaveFlash, without a
// report: Clip reports the missing document.
xml::Document ClipVideo(const html::Document& page, const html::Element& element);

// The quoted value of one attribute of an "<embed" tag written in lower case, as $2; the match
// runs from the start of the tag's line to the end of the line the value ends on.
struct EmbedCodePattern {
  const char* attribute;
  const char* pattern;
};
inline constexpr EmbedCodePattern kEmbedSrc{"src",
                                            R"re(.*\<embed[^\<]+src\=([\"\'])([^\"\']*)\1.*)re"};
inline constexpr EmbedCodePattern kEmbedType{"type",
                                             R"re(.*\<embed[^\<]+type\=([\"\'])([^\"\']*)\1.*)re"};
inline constexpr EmbedCodePattern kEmbedFlashVars{
    "flashvars", R"re(.*\<embed[^\<]+flashvars\=([\"\'])([^\"\']*)\1.*)re"};

// What re, global and case-sensitive with the pattern's text, makes of text replacing each match
// by "$2". A scan finds the matches first, and re runs on each one's code alone: over the whole
// text the leading ".*" would retry from every character of a long line, each try running to
// its end and back, which an engine that does not anchor the pattern takes quadratic time for.
std::string ReplaceEmbedCode(regexp::RegExp re, const EmbedCodePattern& code,
                             const std::string& text);
