// Where an element stands in its page, as the clip document records it: "BODY" for the body,
// otherwise steps from the nearest ancestor with an id down to the element, each ending in "/":
// "ELEMENT-ID[" id "]/" first when there is such an ancestor (or the element has an id), then
// tagName "[" index "]/" with the index among the container's descendants of that tag, from 0.
#pragma once

#include <string>

#include "platform/html.h"

// Failures of the page's object model raise: the caller's guard reports them.
std::string ElementPath(const html::Element& element);

// How far the element's page is scrolled: standards-mode pages scroll their documentElement,
// the others their body.
struct PageScroll {
  long x = 0;
  long y = 0;
};
PageScroll ScrollOf(const html::Element& element);
