#include "clip/Capture.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "clip/ClipReporter.h"
#include "clip/Source.h"
#include "runtime/strings.h"

namespace {

// The markers that bound a text clip on its page; they are no part of what was clipped.
constexpr const char* kSelectionBounds = "Folverra_SelectionBounds";

constexpr std::string_view kVoidTags[] = {"img", "br", "input", "meta", "link", "param", "hr"};

// What the attributes collection lists for every element that does not set them.
constexpr std::pair<std::string_view, std::string_view> kDefaultPairs[] = {
    {"rowSpan", "1"},       {"colSpan", "1"},
    {"disabled", "false"},  {"contentEditable", "inherit"},
    {"hideFocus", "false"}, {"noWrap", "false"},
    {"tabIndex", "0"},      {"start", "fileopen"},
    {"isMap", "false"},     {"loop", "1"},
};

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// As the address parser reads it: leading spaces and controls skipped, tabs and line breaks
// taken out anywhere, the scheme in any case.
bool isScriptAddress(std::string_view value) {
  std::string scheme;
  for (const char c : value) {
    if (scheme.empty() && static_cast<unsigned char>(c) <= ' ') continue;
    if (c == '\t' || c == '\n' || c == '\r') continue;
    scheme += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (scheme.size() == std::string_view("javascript:").size()) break;
  }
  return scheme.starts_with("javascript:") || scheme.starts_with("vbscript:");
}

// A value inside "...": a quote in it would end the attribute and start another, and a "<" would
// end the element around it where that element's content reads back as text (a STYLE or TITLE
// that was foreign content on the page).
std::string quoted(std::string value) {
  replaceAll(value, "\"", "&quot;");
  replaceAll(value, "<", "&lt;");
  replaceAll(value, ">", "&gt;");
  return value;
}

bool isWritten(const html::Attribute& attribute) {
  const std::string& name = attribute.nodeName;
  const std::string& value = attribute.nodeValue;
  if (value.empty() || value == "null" || name == "class") return false;
  for (const auto& [defaultName, defaultValue] : kDefaultPairs)
    if (name == defaultName && value == defaultValue) return false;
  return platform::lowerAscii(std::string_view(name).substr(0, 2)) != "on" &&
         !isScriptAddress(value);
}

std::string escapedText(std::string text) {
  replaceAll(text, "<", "&lt;");
  replaceAll(text, ">", "&gt;");
  return text;
}

// The elements whose children are still being written, innermost last. A page nests as deep as
// it likes, so the walk keeps its own stack instead of the machine's.
class MarkupWalk {
 public:
  std::string out;

  // Writes element's start tag and goes below it; nothing when it is left out.
  void enter(const html::Element& element) {
    const std::string tagName = element.tagName();
    const std::string tag = platform::lowerAscii(tagName);
    if (tag == "script" || tag == "iframe" || element.getAttribute("name") == kSelectionBounds)
      return;
    if (tag == "form" && element.className() == "yqin" &&
        element.getAttribute("action") == kSearchFormAction)
      return;
    out += '<' + tagName;
    for (const html::Attribute& a : element.attributes())
      if (isWritten(a)) out += ' ' + a.nodeName + "=\"" + quoted(a.nodeValue) + '"';
    if (std::ranges::find(kVoidTags, tag) != std::end(kVoidTags)) {
      out += " />";
      return;
    }
    out += '>';
    open_.push_back({element.childNodes(), 0, "</" + tagName + '>'});
  }
  // Goes below element without writing it.
  void below(const html::Element& element) { open_.push_back({element.childNodes(), 0, {}}); }

  void run() {
    while (!open_.empty()) {
      Level& level = open_.back();
      if (level.next == level.children.size()) {
        out += level.endTag;
        open_.pop_back();
        continue;
      }
      const html::Node child = level.children[level.next++];
      const int type = child.nodeType();
      if (type == 1) enter(child.asElement());
      if (type == 3) out += escapedText(child.nodeValue());
    }
  }

 private:
  struct Level {
    std::vector<html::Node> children;
    std::size_t next;
    std::string endTag;
  };
  std::vector<Level> open_;
};

// The nearest TABLE above; a row or cell outside one reaches Nothing, whose tagName raises.
html::Element tableAbove(const html::Element& element) {
  html::Element table = element.parentElement();
  while (platform::upperAscii(table.tagName()) != "TABLE") table = table.parentElement();
  return table;
}

// Rows in a table of their own, with the background of the table they came from.
std::string inTable(const html::Element& table, const std::string& rows) {
  const std::string background = table.background();
  return "<table background=\"" + (isScriptAddress(background) ? "" : quoted(background)) +
         "\" bgcolor=\"" + quoted(table.bgColor()) + "\">" + rows + "</table>";
}

// Every row's cell at the clicked cell's position; spans are not counted.
std::string columnOf(const html::Element& cell) {
  const std::vector<html::Element> row = cell.parentElement().children();
  const auto position = static_cast<std::size_t>(
      std::ranges::find_if(row, [&](const html::Element& e) { return e.is(cell); }) - row.begin());
  const html::Element table = tableAbove(cell);
  std::string rows;
  for (const html::Element& section : table.children()) {
    for (const html::Element& each : section.children()) {
      const std::vector<html::Element> cells = each.children();
      if (position < cells.size()) rows += "<tr>" + ElementToMarkup(cells[position]) + "</tr>";
    }
  }
  return inTable(table, rows);
}

std::string markupOf(const html::Element& element, bool column) {
  const std::string tag = platform::upperAscii(element.tagName());
  if (tag == "TR") return inTable(tableAbove(element), ElementToMarkup(element));
  if (tag == "TD" && column) return columnOf(element);
  if (tag == "TD") return inTable(tableAbove(element), "<tr>" + ElementToMarkup(element) + "</tr>");
  return ElementToMarkup(element);
}

ContentFacts factsOf(const html::Document& page, long height, long width) {
  return {height, width, page.fgColor(), page.linkColor(), page.vlinkColor()};
}

}  // namespace

std::string EscapeCData(std::string markup) {
  replaceAll(markup, "<![CDATA", "<-##-CDATA-##-");
  replaceAll(markup, "]]>", "#]-]->#");
  return markup;
}

xml::Document StartClip(const html::Document& page, const char* type, const html::Element& element,
                        const std::string& text) {
  xml::Document clip = NewClipFrame(type, page.bgColor());
  BuildMetaNode(page, clip, element, text);
  BuildSourceNode(clip, page);
  return clip;
}

xml::Document NewClipFrame(const std::string& type, const std::string& backgroundColor) {
  xml::Document clip = xml::Document::Create();
  clip.setAsync(false);
  xml::Node frame = clip.appendChild(clip.createElement("frame"));
  frame.setAttribute("type", type);
  frame.setAttribute("background-color", backgroundColor);
  return clip;
}

void AppendClipContent(const xml::Document& clip, const ContentFacts& facts,
                       const std::string& markup) {
  xml::Node content = clip.createElement("content");
  content.setAttribute("height", std::to_string(facts.height));
  content.setAttribute("width", std::to_string(facts.width));
  content.setAttribute("text-color", facts.textColor);
  content.setAttribute("link-color", facts.linkColor);
  content.setAttribute("vlink-color", facts.vlinkColor);
  content.appendChild(clip.createCDATASection(EscapeCData(markup)));
  clip.documentElement().appendChild(content);
}

std::string ElementToMarkup(const html::Element& element) {
  MarkupWalk walk;
  walk.enter(element);
  walk.run();
  return walk.out;
}

std::string ChildNodesToMarkup(const html::Element& element) {
  MarkupWalk walk;
  walk.below(element);
  walk.run();
  return walk.out;
}

// The range's size is a number on every engine the toolbar runs on; one without a size reads 0.
xml::Document ClipIHTMLTxtRange(const html::Document& page, const html::TextRange& range) {
  return Captured("ClipIHTMLTxtRange()", [&] {
    xml::Document clip = StartClip(page, "IHTMLTxtRange", html::Element(), range.text());
    AppendClipContent(clip, factsOf(page, range.boundingHeight(), range.boundingWidth()),
                      StripScriptElements(StripIFrames(range.htmlText())));
    return clip;
  });
}

xml::Document ClipHTMLImg(const html::Document& page, const html::Element& image) {
  return Captured("ClipHTMLImg()", [&] {
    xml::Document clip = StartClip(page, "HTMLImg", image, "");
    xml::Node body = clip.documentElement().appendChild(clip.createElement("image"));
    const std::pair<const char*, std::string> parts[] = {{"src", image.src()},
                                                         {"alt", image.alt()},
                                                         {"height", std::to_string(image.height())},
                                                         {"width", std::to_string(image.width())}};
    for (const auto& [name, text] : parts) body.appendChild(clip.createElement(name)).setText(text);
    return clip;
  });
}

xml::Document ClipHTMLElement(const html::Document& page, const html::Element& element,
                              bool column) {
  return Captured("ClipHTMLElement()", [&] {
    xml::Document clip = StartClip(page, "IHTMLTxtRange", element, "");
    const ContentFacts facts = factsOf(page, element.clientHeight(), element.clientWidth());
    AppendClipContent(clip, facts, markupOf(element, column));
    return clip;
  });
}
