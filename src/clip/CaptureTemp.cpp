// Plain captures for the clip builder until its own serialiser lands: the frame with its type
// and the page's background colour, and the markup or the picture's facts as the page gives
// them.
#include <string>

#include "clip/Capture.h"

namespace {

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
    text.replace(at, from.size(), to), at += to.size();
  return text;
}

xml::Document frameOf(const html::Document& page, const std::string& type) {
  xml::Document clip = xml::Document::Create();
  xml::Node frame = clip.appendChild(clip.createElement("frame"));
  frame.setAttribute("type", type);
  frame.setAttribute("background-color", page.bgColor());
  return clip;
}

xml::Document withContent(const html::Document& page, long height, long width,
                          const std::string& markup) {
  xml::Document clip = frameOf(page, "IHTMLTxtRange");
  xml::Node content = clip.documentElement().appendChild(clip.createElement("content"));
  content.setAttribute("height", std::to_string(height));
  content.setAttribute("width", std::to_string(width));
  content.setAttribute("text-color", page.fgColor());
  content.setAttribute("link-color", page.linkColor());
  content.setAttribute("vlink-color", page.vlinkColor());
  const std::string escaped =
      replaceAll(replaceAll(markup, "<![CDATA", "<-##-CDATA-##-"), "]]>", "#]-]->#");
  content.appendChild(clip.createCDATASection(escaped));
  return clip;
}

}  // namespace

xml::Document ClipIHTMLTxtRange(const html::Document& page, const html::TextRange& range) {
  return withContent(page, range.boundingHeight(), range.boundingWidth(), range.htmlText());
}

xml::Document ClipHTMLImg(const html::Document& page, const html::Element& image) {
  xml::Document clip = frameOf(page, "HTMLImg");
  xml::Node holder = clip.documentElement().appendChild(clip.createElement("image"));
  const std::pair<const char*, std::string> facts[] = {{"src", image.src()},
                                                       {"alt", image.alt()},
                                                       {"height", std::to_string(image.height())},
                                                       {"width", std::to_string(image.width())}};
  for (const auto& [name, value] : facts)
    holder.appendChild(clip.createElement(name)).setText(value);
  return clip;
}

xml::Document ClipHTMLElement(const html::Document& page, const html::Element& element, bool) {
  return withContent(page, element.clientHeight(), element.clientWidth(), element.outerHTML());
}
