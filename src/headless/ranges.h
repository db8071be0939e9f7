// Text ranges and the selection of the headless pages.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>

#include "headless/dom.h"

namespace headless::dom {

// A place in a document: in a text node, a byte offset into its text (on a character
// boundary); in an element or the document, the number of children before it.
struct Position {
  Node* node = nullptr;
  std::size_t offset = 0;
};

struct Range {
  Position start;
  Position end;
};

// Selects from the start of one element to the end of the other, whichever comes first;
// either may be null for the other.
void selectElements(DocumentData& doc, Node* a, Node* b);
// Empties the selection; true when it held text.
bool clearSelection(DocumentData& doc);

}  // namespace headless::dom

struct html::SelectionImpl {
  headless::dom::DocumentData* doc = nullptr;  // the document owns its selection
  std::optional<headless::dom::Range> range;
};

struct html::TextRangeImpl {
  std::shared_ptr<headless::dom::DocumentData> doc;
  headless::dom::Range range;
};
