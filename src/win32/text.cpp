// Labels' text on GDI, in the font the run-time made of a font object: the em is the point size
// at the screen's dpi (lfHeight negative), bold is FW_BOLD.
#include "win32/text.h"

#include <cmath>

#include "runtime/error.h"
#include "win32/gdi.h"
#include "win32/wide.h"

namespace win32 {
namespace {

GdiObject createFont(HDC dc, const ui::FontSpec& font) {
  const long em = std::max(1L, std::lround(font.size * ::GetDeviceCaps(dc, LOGPIXELSY) / 72));
  GdiObject handle(::CreateFontW(-static_cast<int>(em), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                                 FALSE, font.underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, wide(font.name).c_str()));
  if (!handle) platform::raise(platform::kOutOfMemory, "Cannot create the font " + font.name);
  return handle;
}

// A system colour is the high bit and the colour's index.
COLORREF colorOf(COLORREF color) {
  return (color & 0x80000000) ? ::GetSysColor(static_cast<int>(color & 0xFF)) : color;
}

}  // namespace

void DrawTextItem(HDC dc, const RECT& rect, const ui::TextItem& item) {
  if (item.opaque) {
    GdiObject brush(::CreateSolidBrush(colorOf(item.backColor)));
    if (brush) ::FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
  }
  if (item.text.empty()) return;
  GdiObject font = createFont(dc, item.font);
  Selection selected(dc, font.get());
  const COLORREF oldColor = ::SetTextColor(dc, colorOf(item.foreColor));
  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
  std::wstring text = wide(item.text);
  RECT r = rect;
  ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &r,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  ::SetBkMode(dc, oldMode);
  ::SetTextColor(dc, oldColor);
}

}  // namespace win32

namespace ui {

SIZE MeasureText(const FontSpec& font, const std::string& utf8) {
  // A memory DC is the screen's in all that measuring needs, and no other window shares it.
  const win32::MemoryDC dc(::CreateCompatibleDC(nullptr));
  if (!dc) platform::raise(platform::kOutOfMemory, "No device context to measure text in");
  const win32::GdiObject handle = win32::createFont(dc.get(), font);
  const win32::Selection selected(dc.get(), handle.get());
  TEXTMETRICW metrics{};
  SIZE size{0, 0};
  const std::wstring text = win32::wide(utf8);
  if (!::GetTextMetricsW(dc.get(), &metrics) ||
      !::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size))
    platform::raise(platform::kInvalidCall, "Cannot measure text in the font " + font.name);
  return {size.cx, metrics.tmHeight};
}

}  // namespace ui
