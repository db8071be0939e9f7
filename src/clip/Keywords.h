// The keywords of a text: its words of two characters or more that are no long number and not
// on the stop list beside the module, weighted by how often they occur (longer words weigh
// more), heaviest first, ties in order of first occurrence, joined by ", ".
#pragma once

#include <string>

// At most maximum words; 0 means no maximum. Raises what the platform raises; the caller's guard
// reports it.
std::string ExtractKeywords(const std::string& text, int maximum);
