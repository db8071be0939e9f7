// Where a clip came from and what it is about: the page's address in the clip's source element,
// keywords of the page and of the clipped text in its meta element, and the filters that take
// frame and script tags out of captured markup. Part of mdlClip; failures are reported as
// LumoraClipper/mdlClip and end the routine.
#pragma once

#include <optional>
#include <string>

#include "platform/html.h"
#include "platform/xml.h"

// Appends meta/keywords/auto to the clip's frame: keywords of the page's META keywords and
// description and title, then of text and of the text around element (which may be Nothing).
void BuildMetaNode(const html::Document& page, const xml::Document& clip,
                   const html::Element& element, const std::string& text);
// Appends source with the page's address in parts and its last BASE's href.
void BuildSourceNode(const xml::Document& clip, const html::Document& page);
// The source element for a page at location whose last BASE has baseHref (none without a BASE):
// what BuildSourceNode writes, given the page's parts.
void WriteSourceNode(const xml::Document& clip, const html::Location& location,
                     const std::optional<std::string>& baseHref);
// Frame start and end tags out of markup; the text between them stays.
std::string StripIFrames(const std::string& markup);
// Script elements out of markup, content and all.
std::string StripScriptElements(const std::string& markup);
