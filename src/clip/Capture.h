// Capture: the per-clip document of a text selection, an image or any other page element, with
// the element's markup written by the clip's own serialiser. It belongs to mdlClip: a failure is
// reported as LumoraClipper/mdlClip and the capture returns Nothing.
#pragma once

#include <string>

#include "clip/ClipReporter.h"
#include "platform/html.h"
#include "platform/xml.h"

xml::Document ClipIHTMLTxtRange(const html::Document& page, const html::TextRange& range);
xml::Document ClipHTMLImg(const html::Document& page, const html::Element& image);
xml::Document ClipHTMLElement(const html::Document& page, const html::Element& element,
                              bool column);

// The markup of one element; empty when the element is skipped.
std::string ElementToMarkup(const html::Element& element);
// The markup of an element's child nodes.
std::string ChildNodesToMarkup(const html::Element& element);

// The form of a search provider's box that pages embed; the serialiser leaves it out.
inline constexpr const char* kSearchFormAction = "http://search.folverra.example/search";

// The pieces a capture builds its document from, once it has read the page.

// What a content element says of the clip besides its markup.
struct ContentFacts {
  long height = 0;
  long width = 0;
  std::string textColor;
  std::string linkColor;
  std::string vlinkColor;
};

// The capture's document, or Nothing when body raised (reported under routine).
template <class Body>
xml::Document Captured(const char* routine, Body&& body) {
  xml::Document clip;
  kClipReporter.guard(routine, [&] { clip = body(); });
  return clip;
}
// The frame with its meta and source elements, the steps every capture starts with.
xml::Document StartClip(const html::Document& page, const char* type, const html::Element& element,
                        const std::string& text);
// A new document whose element is a frame of that type over that page background.
xml::Document NewClipFrame(const std::string& type, const std::string& backgroundColor);
// Appends content to the frame, the markup escaped so that it stays one CDATA section.
void AppendClipContent(const xml::Document& clip, const ContentFacts& facts,
                       const std::string& markup);
// "<![CDATA" as "<-##-CDATA-##-", then "]]>" as "#]-]->#"; a reader reverses both.
std::string EscapeCData(std::string markup);
