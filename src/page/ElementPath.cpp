#include "page/ElementPath.h"

#include <cstddef>

namespace {

long indexAmong(const std::vector<html::Element>& elements, const html::Element& element) {
  for (std::size_t i = 0; i < elements.size(); ++i)
    if (elements[i].is(element)) return static_cast<long>(i);
  return -1;
}

}  // namespace

std::string ElementPath(const html::Element& element) {
  if (element.tagName() == "BODY") return "BODY";
  std::string path;
  html::Element cur = element;
  html::Element parent = cur.parentElement();
  while (cur.tagName() != "BODY") {
    if (!cur.id().empty()) return "ELEMENT-ID[" + cur.id() + "]/" + path;
    const std::string tag = cur.tagName();
    long index = indexAmong(parent.allTags(tag), cur);
    // Stored paths count a body's DIVs from one less; readers of the clip rely on it.
    if (tag == "DIV" && parent.tagName() == "BODY") --index;
    path = tag + "[" + std::to_string(index) + "]/" + path;
    cur = parent;
    parent = cur.parentElement();
  }
  return path;
}

PageScroll ScrollOf(const html::Element& element) {
  const html::Document document = element.ownerDocument();
  const html::Element body = document.body();
  const html::Element scrolled =
      body.scrollTop() == 0 && body.scrollLeft() == 0 ? document.documentElement() : body;
  return {scrolled.scrollLeft(), scrolled.scrollTop()};
}
