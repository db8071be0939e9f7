// Labels' text on GDI: measured by MeasureText (platform/controls.h), drawn here.
#pragma once

#include "platform/controls.h"

namespace win32 {

// Draws one text item of a form's paint into dc.
void DrawTextItem(HDC dc, const RECT& rect, const ui::TextItem& item);

}  // namespace win32
