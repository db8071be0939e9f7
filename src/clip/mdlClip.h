// The clip of this browser thread: the clip document with its frames, the page elements clipped
// whole with the overlays laid over them, and the count of clipped characters the sharing limit
// is checked against.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/html.h"
#include "platform/wintypes.h"
#include "platform/xml.h"

// The characters a clip may hold and still be shared.
inline constexpr std::int32_t kSharingLimit = 1000;

// Nothing until the first clip; dropped when clipping mode ends.
xml::Document& g_ClipXML();
// The index the next clip receives; never reset.
std::int32_t& g_ClipIndex();
// Parallel lists of the elements clipped whole and their overlay DIVs: entries 1 to
// g_ClippedElementCount(); entry 0 stays empty.
std::vector<html::Element>& g_ClippedElements();
std::vector<html::Element>& g_ElementOverlays();
std::int32_t& g_ClippedElementCount();
// The characters counted at the last count. 32 bits, so the count always equals the total the
// clip bar shows, however large the clip.
std::int32_t& g_ClippedCharCount();

// The first frame of g_ClipXML whose clip-index reads clipIndex; Nothing without one.
xml::Node ClipFrame(const std::string& clipIndex);
// Creates g_ClipXML with its empty "elements" root unless it exists.
void InitClipXML();
// Empties the lists of elements clipped whole (the overlays stay on their pages).
void ResetClippedElements();

// What one text or element clip counts against the limit: its escaped markup without style
// elements and tags, white space runs as one space, trimmed, in UTF-16 code units.
std::int32_t CountedCharacters(const std::string& markup);
// The total of every text and element clip of g_ClipXML; 0 without a document.
std::int64_t CountClippedCharacters();

// Counts the clip, shows the count and its distance to the limit on the clip bar, lays the bar
// out for the new texts and stores the count in g_ClippedCharCount.
void CalcPopLimit();

// What the user picks to clip: a text selection's range or a page element.
using PageObject = std::variant<html::TextRange, html::Element>;
// The run-time type name the clip dispatches on.
std::string TypeNameOf(const PageObject& object);

// Captures the picked object as a frame, numbers it, marks it in the page and appends it to
// g_ClipXML; the per-clip document, or Nothing when the page has no frame to clip with. The
// arguments are the caller's: a text range is collapsed by its markers.
xml::Document Clip(html::Document& oSourceDocument, PageObject& oClipObject, std::string& sPath,
                   VARIANT_BOOL& bColumn);
// Unclips the text selection whose marker the event's source is (or lies in).
void RemoveSelection(const html::Event& event);
// Takes the markers of clip index off the page; -1 takes every one.
void RemoveSelectionBounds(const html::Document& document, std::int32_t index);
// Unclips the video or object clip of element; the element keeps its clip-index.
void RemoveObject(const html::Element& element);
// Unclips the element clip whose overlay is element or holds it; element becomes the overlay.
void RemoveElement(html::Element& element);
// RemoveElement for a clicked page object of any type.
void RemoveElementObject(const html::Node& object);
// The page has a selection with text in it.
bool CheckForSelection(const html::Document& document);
