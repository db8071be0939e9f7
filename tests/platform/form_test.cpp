#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "headless/menu.h"
#include "platform/controls.h"
#include "runtime/art.h"
#include "runtime/controls.h"
#include "runtime/error.h"
#include "runtime/form.h"
#include "support.h"

namespace {

// A form with a background box, a button on it and a hidden picture over the button; every
// mouse event is written down.
class Board : public ui::Form {
 public:
  ui::PictureBox box{*this};
  ui::Image button{*this};
  ui::Image hidden{*this};
  ui::Timer timer{*this};
  std::string seen;  // "control event x,y; " for each mouse event
  int ticks = 0;
  bool unloadOnUp = false;

  Board() {
    place(box, 10, 10, 100, 40, "box");
    place(button, 5, 5, 20, 20, "button");
    button.Container = &box;
    place(hidden, 15, 15, 20, 20, "hidden");
    hidden.Visible = false;
    timer.OnTimer = [this] { ++ticks; };
  }

 protected:
  std::string formName() const override { return "Board"; }

 private:
  void place(ui::Control& control, long left, long top, long width, long height,
             const std::string& name) {
    control.Left = left;
    control.Top = top;
    control.Width = width;
    control.Height = height;
    control.MouseDown = [=, this](int button, int, long x, long y) {
      seen += name + " down" + std::to_string(button) + " " + std::to_string(x) + "," +
              std::to_string(y) + "; ";
    };
    control.MouseUp = [=, this](int button, int, long, long) {
      seen += name + " up" + std::to_string(button) + "; ";
      if (unloadOnUp) ui::Instance<Board>::Unload();
    };
    control.Click = [=, this] { seen += name + " click; "; };
  }
};

}  // namespace

TEST(FormControls, MouseGoesToTheTopmostShownControlAndClickNeedsALeftPressAndReleaseOnIt) {
  const auto at = [](long x, long y) { return static_cast<LPARAM>((y << 16) | x); };
  // A press at one point, the matching release at another.
  const std::tuple<const char*, UINT, LPARAM, LPARAM, const char*> cases[] = {
      {"left click on the button inside the box, let go under a hidden picture", WM_LBUTTONDOWN,
       at(20, 20), at(30, 30), "button down1 5,5; button up1; button click; "},
      {"right button: no click", WM_RBUTTONDOWN, at(60, 20), at(60, 20),
       "box down2 50,10; box up2; "},
      {"pressed on the button, released on the box", WM_LBUTTONDOWN, at(20, 20), at(80, 20),
       "button down1 5,5; box up1; "},
      {"outside every control", WM_LBUTTONDOWN, at(5, 5), at(200, 5), ""},
  };
  for (const auto& [name, press, pressAt, releaseAt, seen] : cases) {
    SCOPED_TRACE(name);
    Board& board = ui::Instance<Board>::get();
    ui::SendMessage(board.hWnd(), press, 0, pressAt);
    ui::SendMessage(board.hWnd(), press + 1, 0, releaseAt);  // WM_xBUTTONUP
    EXPECT_EQ(board.seen, seen);
    ui::Instance<Board>::Unload();
  }

  // A form may unload itself from its own handler: it goes once the handler has returned.
  ui::Instance<Board>::get().unloadOnUp = true;
  const HWND hwnd = ui::Instance<Board>::get().hWnd();
  ui::SendMessage(hwnd, WM_LBUTTONDOWN, 0, at(20, 20));
  ui::SendMessage(hwnd, WM_LBUTTONUP, 0, at(20, 20));
  EXPECT_FALSE(ui::Instance<Board>::exists());
  EXPECT_FALSE(ui::IsWindow(hwnd));
}

TEST(FormControls, TimerTicksThroughTheQueueUntilDisabledAndDiesWithItsWindow) {
  const std::chrono::milliseconds interval(10), wellPast = 5 * interval;
  Board& board = ui::Instance<Board>::get();
  board.timer.Interval = interval.count();
  board.timer.setEnabled(true);
  board.Load();
  EXPECT_TRUE(testing_support::waitFor([&] { return board.ticks >= 2; }));
  board.timer.setEnabled(false);
  const int ticks = board.ticks;
  testing_support::pumpFor(wellPast);
  EXPECT_EQ(board.ticks, ticks);
  board.timer.setEnabled(true);
  ui::Instance<Board>::Unload();
  std::this_thread::sleep_for(wellPast);
  MSG msg;
  EXPECT_FALSE(ui::PeekMessage(&msg)) << "no tick for a window that has gone";
}

// Their sizes show in the toolbar form's tests.
TEST(FormControls, BrokenPicturesAreRefused) {
  const auto bytes = ui::ArtBytes("menu_help");
  const std::vector<std::uint8_t> truncated(bytes.begin(), bytes.end() - 1);
  std::vector<std::uint8_t> notBmp(bytes.begin(), bytes.end());
  notBmp[0] = 'X';
  for (const auto& broken : {truncated, notBmp, std::vector<std::uint8_t>{}})
    EXPECT_EQ(testing_support::raised([&] { ui::LoadBitmapFile(broken); }), 481);
}

// A choice and a dismissed menu show in the toolbar form's arrow menu tests.
TEST(FormControls, PopupMenuAnswersNothingForAChoicePastItsItemsAndHasNoKeyThere) {
  ui::PopupMenu menu;
  menu.hWndOwner = ui::Instance<Board>::get().hWnd();
  menu.AddItem({"One", "", 0, 0, -1, false, true, "first"});
  headless::ChooseMenuItem(2);
  EXPECT_EQ(menu.ShowPopupMenu(0, 0), 0);
  EXPECT_THROW(menu.ItemKey(2), platform::Error);
  ui::Instance<Board>::Unload();
}
