// Capture of an embedded video or object: the per-clip document of an EMBED or OBJECT whose
// player and media address are recognised. Part of mdlClip.
#pragma once

#include "platform/html.h"
#include "platform/xml.h"

// Nothing when the player is not one the clip knows; no player is known yet, so every embedded
// object ends its clip with the missing document.
xml::Document ClipVideo(const html::Document& page, const html::Element& element);
