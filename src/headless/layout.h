// What the headless layout exposes besides ensureLayout and elementFromPoint (dom.h): its
// metrics and the line rectangles of a laid out node. The rules are listed in layout.cpp.
#pragma once

#include <vector>

#include "headless/dom.h"

namespace headless::dom {

inline constexpr long kCharAdvance = 7;  // every character, white space included
inline constexpr long kLineHeight = 16;  // a line without anything taller on it
inline constexpr long kBodyMargin = 8;

// The rectangles of a node, in document coordinates, as of the last layout: one per line for
// a text node or an inline element on lines, else its box; none when it is not rendered.
std::vector<html::Rect> lineRects(const Node* node);

// True for an element whose text keeps its white space and line feeds (PRE, white-space:pre).
bool keepsWhiteSpace(const Node* node);

// True for an element that the layout placed on lines (an inline, non-replaced element):
// it has no client area.
bool isInlineFlow(const Node* node);

}  // namespace headless::dom
