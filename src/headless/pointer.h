// The mouse over a headless page, for tests and the command: moves, presses and releases
// become the events the browser would fire, in its order.
#pragma once

#include "platform/html.h"

namespace headless::pointer {

inline constexpr long kLeft = 1;
inline constexpr long kRight = 2;

// mouseout on the element left and mouseover on the one entered, each naming both. The first
// move with the left button down starts a drag: selectstart on the element pressed.
void move(const html::Document& doc, long x, long y);
void press(const html::Document& doc, long button = kLeft);
// mouseup; after a drag that was not cancelled, the selection first, then selectionchange;
// click (left) or contextmenu (right) when press and release hit the same element. False when
// a handler cancelled that click or context menu: the browser does nothing more with it.
bool release(const html::Document& doc);

}  // namespace headless::pointer
