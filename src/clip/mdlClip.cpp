#include "clip/mdlClip.h"

#include <limits>

#include "clip/ClipReporter.h"
#include "dialogs/frmClipBar.h"
#include "platform/regexp.h"
#include "runtime/strings.h"

namespace {

struct ClipState {
  xml::Document clipXML;
  std::int32_t clipIndex = 0;
  std::vector<html::Element> clippedElements{html::Element()};
  std::vector<html::Element> elementOverlays{html::Element()};
  std::int32_t clippedElementCount = 0;
  std::int32_t clippedCharCount = 0;
};

ClipState& state() {
  thread_local ClipState s;
  return s;
}

// The replacements that leave a clip's visible text: style elements, then tags, then runs of
// white space, each by one space.
class TextCounter {
 public:
  TextCounter() {
    for (std::size_t i = 0; i < std::size(kSteps); ++i) {
      steps_[i] = regexp::RegExp::Create();
      steps_[i].setGlobal(true);
      steps_[i].setPattern(kSteps[i]);
    }
  }
  std::int32_t count(const std::string& markup) const {
    std::string text = markup;
    for (const regexp::RegExp& step : steps_) text = step.Replace(text, " ");
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return 0;
    return static_cast<std::int32_t>(platform::utf16Length(
        std::string_view(text).substr(first, text.find_last_not_of(' ') - first + 1)));
  }

 private:
  static constexpr const char* kSteps[] = {"<style.*?>.*?</style>", "<[^>]+>", "\\s+"};
  regexp::RegExp steps_[std::size(kSteps)];
};

}  // namespace

xml::Document& g_ClipXML() {
  return state().clipXML;
}
std::int32_t& g_ClipIndex() {
  return state().clipIndex;
}
std::vector<html::Element>& g_ClippedElements() {
  return state().clippedElements;
}
std::vector<html::Element>& g_ElementOverlays() {
  return state().elementOverlays;
}
std::int32_t& g_ClippedElementCount() {
  return state().clippedElementCount;
}
std::int32_t& g_ClippedCharCount() {
  return state().clippedCharCount;
}

// The declaration names no root element: the load leaves the document empty, so the clip
// document starts with its root.
void InitClipXML() {
  kClipReporter.guard("InitClipXML()", [] {
    if (g_ClipXML()) return;
    xml::Document doc = xml::Document::Create();
    doc.loadXML("<?xml version=\"1.0\" encoding=\"UTF-16\"?>");
    doc.appendChild(doc.createElement("elements"));
    g_ClipXML() = doc;
  });
}

void ResetClippedElements() {
  g_ClippedElements() = {html::Element()};
  g_ClippedElementCount() = 0;
}

std::int32_t CountedCharacters(const std::string& markup) {
  return TextCounter().count(markup);
}

// Images and embedded objects hold no text; text selections and elements are "IHTMLTxtRange".
std::int64_t CountClippedCharacters() {
  if (!g_ClipXML()) return 0;
  const TextCounter counter;
  std::int64_t total = 0;
  const xml::NodeList frames = g_ClipXML().documentElement().childNodes();
  for (long i = 0; i < frames.length(); ++i) {
    const xml::Node frame = frames.item(i);
    if (frame.getAttribute("type") != "IHTMLTxtRange") continue;
    total += counter.count(frame.selectSingleNode("content").firstChild().text());
  }
  return total;
}

// The labels show the total even when it is too large to keep: the store comes last.
void CalcPopLimit() {
  kClipReporter.guard("CalcPopLimit()", [] {
    const std::int64_t total = CountClippedCharacters();
    frmClipBar& bar = ui::Instance<frmClipBar>::get();
    bar.lblCharCount.setCaption(std::to_string(total));
    const bool over = total > kSharingLimit;
    bar.lblCharsRemaining.setCaption(
        std::to_string(over ? total - kSharingLimit : kSharingLimit - total));
    bar.lblCharsRemaingingText.setCaption(over ? " OVER " : " to ");
    bar.SizeClipBar();
    if (total > std::numeric_limits<std::int32_t>::max()) platform::raise(platform::kOverflow);
    g_ClippedCharCount() = static_cast<std::int32_t>(total);
  });
}
