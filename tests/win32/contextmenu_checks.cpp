// The in-page context menu on the real window system: a borderless window of its size over the
// page with the common controls' trackbar in it, whose range and value are set and read through
// the trackbar's messages, and whose moves reach the menu. No HTML engine runs here: with nothing
// to clip the menu offers no level.
#include <cstdio>
#include <string>
#include <vector>

#include "check.h"
#include "dialogs/frmContextMenu.h"
#include "page/SharedReferences.h"
#include "runtime/form.h"

// After the ports: it needs the Windows headers they bring.
#include <commctrl.h>

namespace smoke {
namespace {

frmContextMenu& menu() {
  return ui::Instance<frmContextMenu>::get();
}

HWND trackbar() {
  return FindWindowExW(menu().hWnd(), nullptr, TRACKBAR_CLASSW, nullptr);
}

// The trackbar's bounds and position, as its messages answer them.
std::vector<long> numbers(HWND slider) {
  return {static_cast<long>(SendMessageW(slider, TBM_GETRANGEMIN, 0, 0)),
          static_cast<long>(SendMessageW(slider, TBM_GETRANGEMAX, 0, 0)),
          static_cast<long>(SendMessageW(slider, TBM_GETPOS, 0, 0))};
}

void checkWindow() {
  const HWND hwnd = menu().hWnd();
  expectNumbers({place(hwnd)[2], place(hwnd)[3]}, {102, 169}, "the menu's width and height");
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  expect((style & WS_POPUP) && !(style & WS_CAPTION), "the menu is not a borderless popup");
  const HWND slider = trackbar();
  if (!expect(slider != nullptr, "the menu has no trackbar")) return;
  expect((GetWindowLongPtrW(slider, GWL_STYLE) & TBS_VERT) != 0, "the trackbar is not upright");
  expectNumbers(place(slider, hwnd), {36, 30, 30, 86}, "the trackbar's place and size");
  expect(slider == menu().LumoraSlider.hWnd(), "the trackbar is not the menu's slider");
}

// Opened with nothing to clip: one position, no tick pictures.
void checkOpening() {
  g_CurrentElement() = {};
  menu().setProxy(nullptr);
  expectNumbers(numbers(trackbar()), {0, 0, 0},
                "with no level, the trackbar's bounds and position");
  for (std::size_t i = 0; i < menu().imgTicksLeft.size(); ++i)
    expect(!menu().imgTicksLeft[i].Visible && !menu().imgTicksRight[i].Visible,
           "a tick picture shows with no level");
  expect(menu().levels().empty() && menu().levelCount() == 0, "levels without an element");
}

// The menu's slider set through its properties and moved as a user moves it: a key, and the
// thumb dropped elsewhere, which the trackbar tells its parent.
void checkMoves() {
  const HWND slider = trackbar();
  int changes = 0;
  const auto handler = menu().LumoraSlider.ValueChange;
  menu().LumoraSlider.ValueChange = [&] { ++changes; };
  menu().LumoraSlider.setMin(0);
  menu().LumoraSlider.setMax(4);
  menu().LumoraSlider.setValue(2);
  expectNumbers(numbers(slider), {0, 4, 2}, "once set, the trackbar's bounds and position");
  expect(changes == 0, "setting the value in code raised ValueChange");
  const long before = menu().LumoraSlider.Value();
  SendMessageW(slider, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(slider, WM_KEYUP, VK_DOWN, 0);
  const long after = menu().LumoraSlider.Value();
  std::printf("measured: Down on the upright trackbar moves it from %ld to %ld\n", before, after);
  expect(after != before && changes == 1, "a key press did not move the slider once");
  SendMessageW(slider, TBM_SETPOS, TRUE, 4);
  expect(changes == 1, "TBM_SETPOS alone raised ValueChange");
  SendMessageW(menu().hWnd(), WM_VSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 4),
               reinterpret_cast<LPARAM>(slider));
  expect(changes == 2 && menu().LumoraSlider.Value() == 4,
         "the trackbar's notification did not raise ValueChange");
  SendMessageW(menu().hWnd(), WM_VSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(slider));
  expect(changes == 2, "a notification without a move raised ValueChange");
  menu().LumoraSlider.ValueChange = handler;
}

}  // namespace

void runContextMenuChecks() {
  attempt("window", checkWindow);
  attempt("opening", checkOpening);
  attempt("moves", checkMoves);
  ui::Instance<frmContextMenu>::Unload();
}

}  // namespace smoke
