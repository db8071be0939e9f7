#include "clip/mdlClip.h"

#include <charconv>
#include <limits>

#include "band/Configuration.h"
#include "clip/Capture.h"
#include "clip/Video.h"
#include "clip/ClipReporter.h"
#include "dialogs/frmClipBar.h"
#include "page/ElementPath.h"
#include "page/SharedReferences.h"
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

constexpr const char* kMarkerName = "Folverra_SelectionBounds";

// The marker and overlay pictures come from the service's static-content host.
std::string pictureAddress(const char* path) {
  return ServiceAddress(Service().staticContent, path);
}

std::string selectionMarker(std::int32_t index, const char* picture) {
  return "<img clip-index=\"" + std::to_string(index) + "\" name=\"" + kMarkerName + "\" src=\"" +
         pictureAddress(picture) +
         "\" style=\"position:relative;display:inline;padding:0px;border:solid 0px #ffffff;"
         "margin:0px 0px -3px 0px;float:none;clear:none;\" border=\"0\" />";
}

// A clip index read back from the page, as the run-time converts text to a whole number.
std::int32_t clipIndexOf(const html::Element& element) {
  const std::optional<std::string> text = element.getAttribute("clip-index");
  if (!text) platform::raise(platform::kTypeMismatch);
  const std::size_t first = text->find_first_not_of(' ');
  const std::size_t last = text->find_last_not_of(' ');
  std::int32_t value = 0;
  if (first == std::string::npos) platform::raise(platform::kTypeMismatch);
  const char* begin = text->data() + first;
  const char* end = text->data() + last + 1;
  const auto [stop, error] = std::from_chars(begin, end, value);
  if (error == std::errc::result_out_of_range) platform::raise(platform::kOverflow);
  if (error != std::errc() || stop != end) platform::raise(platform::kTypeMismatch);
  return value;
}

// The first frame of the clip with this index goes; indexes match as text.
void removeFrame(std::int32_t index) {
  const xml::Node frame = ClipFrame(std::to_string(index));
  if (frame) g_ClipXML().documentElement().removeChild(frame);
}

// One marker before the selection and one after it. The end marker goes one character back
// when the selection ends with a tag, so that it stays inside the element the text ends in.
void pasteSelectionBounds(html::TextRange& range, std::int32_t index) {
  const std::string text = range.htmlText();
  const bool endsWithTag = !text.empty() && text.back() == '>';
  html::TextRange end = range.duplicate();
  end.moveEnd("character", -1);
  if (end.htmlText() != text && !endsWithTag) end.moveEnd("character", 1);
  range.collapse(true);
  end.collapse(false);
  range.pasteHTML(selectionMarker(index, "/images/selection-left.gif"));
  end.pasteHTML(selectionMarker(index, "/images/selection-right.gif"));
}

struct Box {
  long left = 0;
  long top = 0;
  long width = 0;
  long height = 0;
};

// In a column the overlay fills the frame shown; otherwise it surrounds the element.
Box overlayBox(const html::Element& element, bool column) {
  if (column)
    return {g_BorderLeft().offsetLeft() + 2, g_BorderTop().offsetTop() + 2,
            g_BorderTop().offsetWidth() - 4, g_BorderLeft().offsetHeight() - 4};
  const html::Rect r = element.getBoundingClientRect();
  const PageScroll scroll = ScrollOf(element);
  return {r.left + scroll.x - 6, r.top + scroll.y - 6, r.right - r.left + 8, r.bottom - r.top + 6};
}

// The clipped picture (251 x 65) fits the overlay: scaled to a narrow overlay's width or a flat
// one's height, at its own size otherwise.
std::string overlayPicture(long width, long height) {
  using platform::roundHalfEven;
  const std::string head = "<img style=\"position:relative;vertical-align:middle;top:";
  const std::string src = "\" src=\"" + pictureAddress("/images/clipped.gif");
  const std::string tail = "\" id=\"LumoraOverlayChild\">";
  const auto number = [](double value) { return std::to_string(roundHalfEven(value)); };
  const bool tall = height * 3.87 >= width;
  if (tall && width < 279)
    return head + number((height - 54.9) / 2) + src + "\" width=\"" + number((width - 4) * 0.9) +
           tail;
  if (tall || height >= 72)
    return head + number((height - 65) / 2.0) + src + "\" width=\"251\" height=\"65" + tail;
  const long top = roundHalfEven((height - 54.9) / 2);
  if (top < 0) return head + "0px;" + src + "\" height=\"" + number((height - 4) * 0.9) + tail;
  return head + std::to_string(top) + "px;" + src + "\" height=\"" + number(height * 0.9) + tail;
}

// The overlay over a clipped element: the frame's colours, translucent, with the picture.
void addOverlay(const html::Document& page, const html::Element& element, std::int32_t index,
                bool column) {
  html::Element overlay = page.createElement("DIV");
  g_ElementOverlays()[g_ClippedElementCount()] = overlay;
  overlay.setId("LumoraElementOverlay");
  overlay.setAttribute("clip-index", std::to_string(index));
  const Box box = overlayBox(element, column);
  const auto px = [](long value) { return std::to_string(value) + "px"; };
  const std::pair<const char*, std::string> styles[] = {{"position", "absolute"},
                                                        {"left", px(box.left)},
                                                        {"top", px(box.top)},
                                                        {"width", px(box.width)},
                                                        {"height", px(box.height)},
                                                        {"backgroundColor", "transparent"},
                                                        {"borderStyle", "solid"},
                                                        {"borderColor", "#FF9900"},
                                                        {"borderWidth", "2px"},
                                                        {"backgroundColor", "#4dc136"},
                                                        {"zIndex", "999999"},
                                                        {"overflow", "hidden"},
                                                        {"lineHeight", px(box.height - 4)},
                                                        {"verticalAlign", "middle"},
                                                        {"filter", "alpha(opacity=75)"}};
  html::Style style = overlay.style();
  for (const auto& [name, value] : styles) style.set(name, value);
  overlay.setAttribute("align", "center");
  overlay.setInnerHTML(overlayPicture(box.width, box.height));
  page.body().appendChild(overlay);
}

// A new element clip takes the place of every earlier one inside it, itself included.
void absorbClipsInside(const html::Element& element) {
  for (std::int32_t i = g_ClippedElementCount(); i >= 1; --i) {
    platform::guarded(
        "", [](std::string_view, const platform::Error&) {},
        [&] {
          if (!element.contains(g_ClippedElements().at(i))) return;
          html::Element overlay = g_ElementOverlays().at(i);
          RemoveElement(overlay);
        });
  }
}

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

// Compared as text, never put into a query: a page's attribute can say anything.
xml::Node ClipFrame(const std::string& clipIndex) {
  if (!g_ClipXML()) return {};
  const xml::NodeList frames = g_ClipXML().documentElement().childNodes();
  for (long i = 0; i < frames.length(); ++i) {
    const xml::Node frame = frames.item(i);
    if (frame.nodeName() == "frame" && frame.getAttribute("clip-index") == clipIndex) return frame;
  }
  return {};
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

std::string TypeNameOf(const PageObject& object) {
  return std::visit([](const auto& held) { return held.typeName(); }, object);
}

xml::Document Clip(html::Document& oSourceDocument, PageObject& oClipObject, std::string& sPath,
                   VARIANT_BOOL& bColumn) {
  xml::Document result;
  kClipReporter.guard("Clip()", [&] {
    g_BorderLeft() = oSourceDocument.getElementById("dvLumBorderLeft");
    g_BorderRight() = oSourceDocument.getElementById("dvLumBorderRight");
    g_BorderTop() = oSourceDocument.getElementById("dvLumBorderTop");
    g_BorderBottom() = oSourceDocument.getElementById("dvLumBorderBottom");
    if (!g_BorderLeft()) return;
    if (g_ClipIndex() == std::numeric_limits<std::int32_t>::max())
      platform::raise(platform::kOverflow);
    const std::int32_t index = g_ClipIndex()++;

    const std::string type = TypeNameOf(oClipObject);
    const bool text = type == "IHTMLTxtRange";
    const bool object = type == "HTMLEmbed" || type == "HTMLObjectElement";
    xml::Document clip;
    if (text) {
      clip = ClipIHTMLTxtRange(oSourceDocument, std::get<html::TextRange>(oClipObject));
    } else {
      html::Element& element = std::get<html::Element>(oClipObject);
      if (type == "HTMLImg") {
        clip = ClipHTMLImg(oSourceDocument, element);
      } else if (object) {
        element.setAttribute("clip-index", std::to_string(index));
        clip = ClipVideo(oSourceDocument, element);
      } else {
        clip = ClipHTMLElement(oSourceDocument, element, bColumn != 0);
      }
    }
    xml::Node frame = clip.documentElement();
    frame.setAttribute("clip-index", std::to_string(index));
    if (text) pasteSelectionBounds(std::get<html::TextRange>(oClipObject), index);
    if (!sPath.empty()) {
      xml::Node path = frame.appendChild(clip.createElement("path"));
      path.setText(sPath);
      path.setAttribute("column", bColumn ? "true" : "false");
    }
    InitClipXML();
    g_ClipXML().documentElement().appendChild(frame.cloneNode(true));

    if (!text && !object) {
      const html::Element& element = std::get<html::Element>(oClipObject);
      if (g_ClippedElementCount() >= 1) absorbClipsInside(element);
      const std::int32_t count = ++g_ClippedElementCount();
      g_ClippedElements().resize(count + 1);
      g_ElementOverlays().resize(count + 1);
      g_ClippedElements()[count] = element;
      addOverlay(oSourceDocument, element, index, bColumn != 0);
    }
    CalcPopLimit();
    result = clip;
  });
  return result;
}

void RemoveSelection(const html::Event& event) {
  kClipReporter.guard("RemoveSelection()", [&] {
    html::Element marker = event.srcElement();
    while (marker.getAttribute("name") != kMarkerName) marker = marker.parentElement();
    const std::int32_t index = clipIndexOf(marker);
    removeFrame(index);
    RemoveSelectionBounds(marker.ownerDocument(), index);
    CalcPopLimit();
  });
}

// A marker that cannot be read or removed stays; the others still go.
void RemoveSelectionBounds(const html::Document& document, std::int32_t index) {
  const auto ignore = [](std::string_view, const platform::Error&) {};
  std::vector<html::Element> markers;
  platform::guarded("RemoveSelectionBounds()", ignore,
                    [&] { markers = document.getElementsByName(kMarkerName); });
  for (auto it = markers.rbegin(); it != markers.rend(); ++it) {
    platform::guarded("RemoveSelectionBounds()", ignore, [&] {
      if (index == -1 || it->getAttribute("clip-index") == std::to_string(index))
        it->parentNode().removeChild(*it);
    });
  }
}

void RemoveObject(const html::Element& element) {
  kClipReporter.guard("RemoveObject()", [&] {
    removeFrame(clipIndexOf(element));
    CalcPopLimit();
  });
}

void RemoveElement(html::Element& element) {
  kClipReporter.guard("RemoveElement()", [&] {
    while (element.id() == "LumoraOverlayChild") element = element.parentElement();
    const std::int32_t index = clipIndexOf(element);
    std::vector<html::Element> elements{html::Element()};
    std::vector<html::Element> overlays{html::Element()};
    std::vector<html::Element>& clipped = g_ClippedElements();
    for (std::size_t i = 1; i < g_ElementOverlays().size(); ++i) {
      html::Element& overlay = g_ElementOverlays()[i];
      if (overlay.is(element)) {
        element.ownerDocument().body().removeChild(element);
        overlay = {};
        removeFrame(index);
      } else {
        elements.push_back(i < clipped.size() ? clipped[i] : html::Element());
        overlays.push_back(overlay);
      }
    }
    g_ClippedElements() = std::move(elements);
    g_ElementOverlays() = std::move(overlays);
    g_ClippedElementCount() = static_cast<std::int32_t>(g_ClippedElements().size() - 1);
    CalcPopLimit();
  });
}

void RemoveElementObject(const html::Node& object) {
  html::Element element = object.asElement();
  RemoveElement(element);
}

bool CheckForSelection(const html::Document& document) {
  bool result = false;
  kClipReporter.guard("CheckForSelection()", [&] {
    const html::Selection selection = document.selection();
    result = !platform::equalsNoCase(selection.type(), "none") &&
             !selection.createRange().text().empty();
  });
  return result;
}
