// The page-interaction references every proxy of a browser thread shares: the border DIVs of
// the page framed last, the element the frame surrounds and the element a click would clip,
// and the flags of the windows that freeze the page while they are open.
#pragma once

#include "platform/html.h"
#include "platform/wintypes.h"

html::Element& g_BorderLeft();
html::Element& g_BorderRight();
html::Element& g_BorderTop();
html::Element& g_BorderBottom();
html::Element& g_HighlightElement();
html::Element& g_CurrentElement();

// Drops the four border references.
void ClearBorderReferences();

// The in-page context menu is shown.
VARIANT_BOOL& g_bContextMenuVisible();
// The done-clipping dialog is loaded.
VARIANT_BOOL& g_bDoneClippingOpen();
