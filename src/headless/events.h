// What the headless events and windows keep behind the html port's handles.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "headless/dom.h"

namespace headless::dom {

// The pointer of one document, as pointer.h moves it.
struct PointerState {
  long x = 0, y = 0;
  Node* hover = nullptr;    // the element the pointer is over
  long button = 0;          // the button held down, 0 for none
  Node* pressed = nullptr;  // the element under the press
  long pressX = 0, pressY = 0;
  bool dragging = false;   // moved since the press
  bool selecting = false;  // the drag's selectstart was not cancelled
};

// A window handle. A window reached through another (frames, parent, top) remembers that
// one's origin, so its document can refuse a caller of another origin.
html::Window windowHandle(std::shared_ptr<WindowData> window,
                          std::optional<std::string> reachedFrom = std::nullopt);

}  // namespace headless::dom

struct html::EventImpl {
  std::shared_ptr<headless::dom::DocumentData> doc;
  std::string type;
  headless::dom::EventInit init;
  headless::dom::Node* src = nullptr;
  bool cancelBubble = false;
  std::optional<bool> returnValue;
};

struct html::WindowImpl {
  std::shared_ptr<headless::dom::WindowData> window;
  std::optional<std::string> reachedFrom;
};
