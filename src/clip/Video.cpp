#include "clip/Video.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "clip/Capture.h"
#include "runtime/strings.h"

namespace {

constexpr std::string_view kTag = "<embed";
constexpr std::size_t npos = std::string_view::npos;

bool isQuote(char c) {
  return c == '"' || c == '\'';
}

// A match of an embed-code pattern: from the start of its line to end, the end of the line its
// value ends on. What $2 needs of it lies from the tag to the closing quote.
struct EmbedMatch {
  std::size_t tag;
  std::size_t close;
  std::size_t end;
};

// The match that starts at the line beginning at lineStart; when none starts there, none starts
// anywhere on the line. The leading ".*" settles on the last tag of the line that leads to a
// match, "[^<]+" on the last "name=" before the next "<" whose quote is closed by the same quote
// ([^"']* stops at the first of either), and the closing ".*" takes the rest of the line the
// value ends on. Each tag, candidate and value is looked at once.
std::optional<EmbedMatch> matchAt(std::string_view text, std::size_t lineStart,
                                  std::string_view name) {
  const std::string_view line = text.substr(lineStart, text.find('\n', lineStart) - lineStart);
  const std::string key = std::string(name) + '=';
  for (std::size_t tag = line.rfind(kTag); tag != npos;
       tag = tag == 0 ? npos : line.rfind(kTag, tag - 1)) {
    const std::size_t after = lineStart + tag + kTag.size();
    const std::size_t stop = std::min(text.find('<', after), text.size());
    if (stop <= after) continue;
    const std::string_view run = text.substr(after + 1, stop - after - 1);
    for (std::size_t at = run.rfind(key); at != npos;
         at = at == 0 ? npos : run.rfind(key, at - 1)) {
      const std::size_t open = after + 1 + at + key.size();
      if (open >= text.size() || !isQuote(text[open])) continue;
      const std::size_t close = text.find_first_of("\"'", open + 1);
      if (close != npos && text[close] == text[open])
        return EmbedMatch{lineStart + tag, close,
                          std::min(text.find('\n', close + 1), text.size())};
    }
  }
  return std::nullopt;
}

struct Media {
  std::string src;
  std::string type;
  std::string flashvars;
};

// Video pages offer their embed code in a text box for copying; the first box holding some wins.
std::optional<Media> embedCodeOf(const html::Document& page, const regexp::RegExp& re) {
  for (const html::Element& input : page.allTags("INPUT")) {
    if (input.type() != "text") continue;
    const std::string value = input.value();
    const std::string src = ReplaceEmbedCode(re, kEmbedSrc, value);
    if (src.empty() || src == value) continue;
    const auto found = [&](const EmbedCodePattern& code) {
      std::string text = ReplaceEmbedCode(re, code, value);
      return text == value ? std::string() : text;
    };
    return Media{src, found(kEmbedType), found(kEmbedFlashVars)};
  }
  return std::nullopt;
}

// An EMBED without src has no media: reading it fails as reading a Null text does.
Media attributesOf(const html::Element& embed) {
  const std::optional<std::string> src = embed.getAttribute("src");
  if (!src) platform::raise(platform::kInvalidUseOfNull);
  return {*src, embed.getAttribute("type").value_or(""),
          embed.getAttribute("flashvars").value_or("")};
}

// The players whose media address is taken, by type name in upper case; the type tells the
// service which player to show the clip in. QuickTime's (QTACTIVEXPLUGIN) is left out on
// purpose, as the service has no player for it: its clip yields nothing, and Clip logs that.
struct Player {
  const char* type;
  const char* member;
};
constexpr Player kPlayers[] = {{"MEDIAPLAYER", "FileName"},
                               {"WINDOWSMEDIAPLAYER", "currentMedia.sourceURL"},
                               {"SHOCKWAVEFLASH", "Movie"}};

std::string lastFlashVars(const html::Element& object) {
  std::string value;
  for (const html::Element& e : object.all())
    if (platform::upperAscii(e.tagName()) == "PARAM" &&
        platform::lowerAscii(e.name()) == "flashvars")
      value = e.value();
  return value;
}

std::optional<Media> playerMediaOf(const html::Element& object) {
  const html::Control player = object.object();
  const std::string type = platform::upperAscii(player.typeName());
  for (const Player& known : kPlayers) {
    if (type != known.type) continue;
    Media media{player.get(known.member), type, {}};
    if (type == "SHOCKWAVEFLASH") media.flashvars = lastFlashVars(object);
    return media;
  }
  return std::nullopt;
}

void appendEmbed(const xml::Document& clip, const Media& media) {
  xml::Node embed = clip.createElement("embed");
  embed.setAttribute("src", media.src);
  for (const auto& [name, text] : {std::pair{"type", media.type}, {"flashvars", media.flashvars}})
    if (!text.empty()) embed.appendChild(clip.createElement(name)).setText(text);
  clip.documentElement().appendChild(embed);
}

}  // namespace

std::string ReplaceEmbedCode(regexp::RegExp re, const EmbedCodePattern& code,
                             const std::string& text) {
  re.setPattern(code.pattern);
  std::string out;
  std::size_t copied = 0;
  for (std::size_t line = 0; line != npos;) {
    const std::optional<EmbedMatch> match = matchAt(text, line, code.attribute);
    if (match) {
      out.append(text, copied, line - copied);
      // From its tag to its closing quote the code is a match with the same $2, and the
      // engine's work stays within the code however long the line around it.
      out += re.Replace(text.substr(match->tag, match->close + 1 - match->tag), "$2");
      copied = match->end;
    }
    const std::size_t next = text.find('\n', match ? match->end : line);
    line = next == npos ? npos : next + 1;
  }
  out.append(text, copied);
  return out;
}

// The page the element is in, frame or not, is the one the clip comes from.
xml::Document ClipVideo(const html::Document&, const html::Element& element) {
  return Captured("ClipVideo()", [&]() -> xml::Document {
    regexp::RegExp re = regexp::RegExp::Create();
    re.setGlobal(true);
    const html::Document page = element.ownerDocument();
    xml::Document clip = StartClip(page, "HTMLEmbed", element, "");
    std::optional<Media> media = embedCodeOf(page, re);
    const bool embed = platform::upperAscii(element.tagName()) == "EMBED";
    if (!media) media = embed ? std::optional(attributesOf(element)) : playerMediaOf(element);
    if (!media) return {};
    appendEmbed(clip, *media);
    return clip;
  });
}
