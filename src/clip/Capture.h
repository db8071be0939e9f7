// Capture: the per-clip document of a text selection, an image or any other page element, with
// the element's markup written by the clip's own serialiser. Part of mdlClip; a failure is
// reported as LumoraClipper/mdlClip and the capture returns Nothing.
#pragma once

#include <string>

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
