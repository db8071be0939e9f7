#include "platform/controls.h"

#include <commctrl.h>

#include <map>
#include <set>

#include "runtime/controls.h"
#include "win32/gdi.h"
#include "win32/module.h"
#include "win32/text.h"
#include "win32/wide.h"

namespace ui {
namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);

using win32::GdiObject;
using win32::MemoryDC;
using win32::Selection;

void drawPicture(HDC dc, const Picture& picture, const RECT& r) {
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  if (picture.type() == PICTYPE_ICON) {
    ::DrawIconEx(dc, r.left, r.top, static_cast<HICON>(picture.handle()), width, height, 0, nullptr,
                 DI_NORMAL);
    return;
  }
  MemoryDC source(::CreateCompatibleDC(dc));
  if (!source) return;
  Selection selected(source.get(), picture.handle());
  // Without blending, so that the colours of pixel art (and a transparent key) stay exact.
  ::SetStretchBltMode(dc, COLORONCOLOR);
  ::StretchBlt(dc, r.left, r.top, width, height, source.get(), 0, 0, PictureWidth(picture),
               PictureHeight(picture), SRCCOPY);
}

// A menu item's picture as 32-bit premultiplied alpha, its magenta background transparent.
GdiObject menuBitmap(const Picture& picture, long width, long height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  MemoryDC dc(::CreateCompatibleDC(nullptr));
  if (!bitmap || !dc) return nullptr;
  {
    Selection selected(dc.get(), bitmap.get());
    const RECT all{0, 0, width, height};
    GdiObject background(::CreateSolidBrush(kMagenta));
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(background.get()));
    drawPicture(dc.get(), picture, all);
    ::GdiFlush();
  }
  auto* pixel = static_cast<std::uint32_t*>(bits);
  // DIB pixels are 0x00RRGGBB; GDI leaves the alpha byte undefined.
  constexpr std::uint32_t kMagentaPixel = 0x00FF00FF;
  for (long i = 0; i < width * height; ++i, ++pixel)
    *pixel = (*pixel & 0x00FFFFFF) == kMagentaPixel ? 0 : (*pixel | 0xFF000000);
  return bitmap;
}

// A popup menu and its submenus. Items go under their parent when it comes before them, else at
// the top level, so the menus always form a tree.
class MenuTree {
 public:
  explicit MenuTree(const std::vector<MenuItem>& items) : top_(::CreatePopupMenu()) {
    for (std::size_t i = 0; i < items.size(); ++i)
      if (const std::size_t p = parentOf(items[i], i); p && !submenus_.count(p))
        submenus_[p] = ::CreatePopupMenu();
  }
  // A submenu attached to its item is destroyed with the top menu.
  ~MenuTree() {
    for (const auto& [index, menu] : submenus_)
      if (menu && !attached_.count(index)) ::DestroyMenu(menu);
    if (top_) ::DestroyMenu(top_);
  }
  MenuTree(const MenuTree&) = delete;
  MenuTree& operator=(const MenuTree&) = delete;

  HMENU top() const { return top_; }
  // The 1-based index of the item's parent, 0 for the top level.
  static std::size_t parentOf(const MenuItem& item, std::size_t index) {
    return item.parentIndex >= 1 && static_cast<std::size_t>(item.parentIndex) <= index
               ? static_cast<std::size_t>(item.parentIndex)
               : 0;
  }
  // The menu that the item at index (from 0) goes in, and the submenu it opens, if any.
  HMENU parentMenu(const MenuItem& item, std::size_t index) const {
    const auto it = submenus_.find(parentOf(item, index));
    return it != submenus_.end() && it->second ? it->second : top_;
  }
  HMENU submenu(std::size_t index) const {
    const auto it = submenus_.find(index + 1);
    return it != submenus_.end() ? it->second : nullptr;
  }
  void attached(std::size_t index) { attached_.insert(index + 1); }

 private:
  HMENU top_;
  std::map<std::size_t, HMENU> submenus_;
  std::set<std::size_t> attached_;
};

}  // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT milliseconds) {
  return ::SetTimer(hwnd, id, milliseconds, nullptr);
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  return ::KillTimer(hwnd, id);
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  return ::ClientToScreen(hwnd, point);
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  return ::ScreenToClient(hwnd, point);
}

void InitCommonControls() {
  INITCOMMONCONTROLSEX init{static_cast<DWORD>(sizeof(INITCOMMONCONTROLSEX)), ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&init);
}

void InvalidateRect(HWND hwnd) {
  ::InvalidateRect(hwnd, nullptr, TRUE);
}

// Ends the paint even when an item fails, or WM_PAINT would come back for ever.
void PaintControls(HWND hwnd, const std::vector<PaintItem>& items) {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd, &ps);
  struct PaintEnd {
    HWND hwnd;
    PAINTSTRUCT* ps;
    ~PaintEnd() { ::EndPaint(hwnd, ps); }
  } end{hwnd, &ps};
  if (!dc) return;
  for (const PaintItem& item : items) {
    if (const auto* picture = std::get_if<Picture>(&item.content))
      drawPicture(dc, *picture, item.rect);
    else
      win32::DrawTextItem(dc, item.rect, std::get<TextItem>(item.content));
  }
}

// One tool tip window per form, owned by it, so it goes with the form's window.
HWND toolTipWindow(HWND hwnd) {
  static const wchar_t kProp[] = L"FolverraToolTips";
  if (auto tip = static_cast<HWND>(::GetPropW(hwnd, kProp)); tip && ::IsWindow(tip)) return tip;
  HWND tip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                               win32::ModuleInstance(), nullptr);
  if (tip) ::SetPropW(hwnd, kProp, tip);
  return tip;
}

void SetToolTips(HWND hwnd, const std::vector<ToolTipItem>& items) {
  HWND tip = toolTipWindow(hwnd);
  if (!tip) return;
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = hwnd;
  const auto count = static_cast<UINT_PTR>(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
  for (UINT_PTR id = 0; id < count; ++id) {
    info.uId = id;
    ::SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::wstring text = win32::wide(items[i].text);
    info.uFlags = TTF_SUBCLASS;
    info.uId = i;
    info.rect = items[i].rect;
    info.lpszText = text.data();
    ::SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
}

long TrackPopupMenu(HWND owner, const std::vector<MenuItem>& items, const ImageList* images,
                    POINT screenPoint) {
  if (!owner || items.empty()) return 0;
  // Declared first so that the bitmaps outlive the menus that show them.
  std::vector<GdiObject> bitmaps;
  MenuTree menus(items);
  if (!menus.top()) return 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const MenuItem& item = items[i];
    const std::wstring caption = win32::wide(item.caption);
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_STATE | MIIM_DATA;
    mii.wID = static_cast<UINT>(i + 1);
    mii.fState =
        (item.enabled ? MFS_ENABLED : MFS_DISABLED) | (item.checked ? MFS_CHECKED : MFS_UNCHECKED);
    mii.dwItemData = static_cast<ULONG_PTR>(item.itemData);
    // The run-time's menus took a caption of "-" for a separator.
    if (item.caption == "-") {
      mii.fMask |= MIIM_FTYPE;
      mii.fType = MFT_SEPARATOR;
    } else {
      mii.fMask |= MIIM_STRING;
      mii.dwTypeData = const_cast<wchar_t*>(caption.c_str());
    }
    if (images && item.iconIndex >= 0 && item.iconIndex < images->Count()) {
      bitmaps.push_back(
          menuBitmap(images->item(item.iconIndex), images->IconWidth, images->IconHeight));
      mii.fMask |= MIIM_BITMAP;
      mii.hbmpItem = static_cast<HBITMAP>(bitmaps.back().get());
    }
    if (HMENU submenu = menus.submenu(i)) {
      mii.fMask |= MIIM_SUBMENU;
      mii.hSubMenu = submenu;
    }
    HMENU parent = menus.parentMenu(item, i);
    if (::InsertMenuItemW(parent, static_cast<UINT>(::GetMenuItemCount(parent)), TRUE, &mii) &&
        mii.hSubMenu)
      menus.attached(i);
  }
  // A popup menu only closes on a click elsewhere when its owner is in the foreground, and the
  // message after it lets the owner's queue see that the menu has gone.
  ::SetForegroundWindow(owner);
  const BOOL chosen = ::TrackPopupMenuEx(
      menus.top(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screenPoint.x,
      screenPoint.y, owner, nullptr);
  ::PostMessageW(owner, WM_NULL, 0, 0);
  return chosen;
}

}  // namespace ui
