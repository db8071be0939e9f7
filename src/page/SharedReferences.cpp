#include "page/SharedReferences.h"

namespace {

struct References {
  html::Element borderLeft;
  html::Element borderRight;
  html::Element borderTop;
  html::Element borderBottom;
  html::Element highlight;
  html::Element current;
};

References& references() {
  thread_local References r;
  return r;
}

}  // namespace

html::Element& g_BorderLeft() {
  return references().borderLeft;
}

html::Element& g_BorderRight() {
  return references().borderRight;
}

html::Element& g_BorderTop() {
  return references().borderTop;
}

html::Element& g_BorderBottom() {
  return references().borderBottom;
}

html::Element& g_HighlightElement() {
  return references().highlight;
}

html::Element& g_CurrentElement() {
  return references().current;
}

void ClearBorderReferences() {
  g_BorderLeft() = {};
  g_BorderRight() = {};
  g_BorderTop() = {};
  g_BorderBottom() = {};
}

VARIANT_BOOL& g_bContextMenuVisible() {
  thread_local VARIANT_BOOL visible = 0;
  return visible;
}

VARIANT_BOOL& g_bDoneClippingOpen() {
  thread_local VARIANT_BOOL open = 0;
  return open;
}
