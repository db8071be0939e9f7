#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "headless/menu.h"
#include "platform/art.h"
#include "platform/controls.h"
#include "platform/error.h"
#include "support.h"

namespace {

LPARAM at(long x, long y) {
  return static_cast<LPARAM>((y << 16) | x);
}

// A form with a background box, a button on it and a hidden picture over the button; every
// mouse event is written down as "control event x,y".
class Board : public ui::Form {
 public:
  ui::PictureBox box{*this};
  ui::Image button{*this};
  ui::Image hidden{*this};
  ui::Timer timer{*this};
  std::vector<std::string> seen;
  int ticks = 0;
  bool unloadOnUp = false;

  Board() {
    box.Left = 10;
    box.Top = 10;
    box.Width = 100;
    box.Height = 40;
    button.Container = &box;
    button.Left = 5;
    button.Top = 5;
    button.Width = 20;
    button.Height = 20;
    hidden.Left = 15;
    hidden.Top = 15;
    hidden.Width = 20;
    hidden.Height = 20;
    hidden.Visible = false;
    watch(box, "box");
    watch(button, "button");
    watch(hidden, "hidden");
    timer.OnTimer = [this] { ++ticks; };
  }

 protected:
  std::string formName() const override { return "Board"; }

 private:
  void watch(ui::Control& control, const std::string& name) {
    control.MouseDown = [=, this](int button, int, long x, long y) {
      seen.push_back(name + " down" + std::to_string(button) + " " + std::to_string(x) + "," +
                     std::to_string(y));
    };
    control.MouseUp = [=, this](int button, int, long, long) {
      seen.push_back(name + " up" + std::to_string(button));
      if (unloadOnUp) ui::Instance<Board>::Unload();
    };
    control.Click = [=, this] { seen.push_back(name + " click"); };
  }
};

}  // namespace

TEST(FormControls, MouseGoesToTheTopmostShownControlAndClickNeedsALeftPressAndReleaseOnIt) {
  struct Case {
    const char* name;
    std::vector<std::pair<UINT, LPARAM>> messages;
    std::vector<std::string> seen;
  };
  const Case cases[] = {
      {"left click on the button, which lies inside the box",
       {{WM_LBUTTONDOWN, at(20, 20)}, {WM_LBUTTONUP, at(21, 21)}},
       {"button down1 5,5", "button up1", "button click"}},
      {"a hidden picture over the button takes nothing",
       {{WM_LBUTTONDOWN, at(30, 30)}, {WM_LBUTTONUP, at(30, 30)}},
       {"button down1 15,15", "button up1", "button click"}},
      {"right button: no click",
       {{WM_RBUTTONDOWN, at(60, 20)}, {WM_RBUTTONUP, at(60, 20)}},
       {"box down2 50,10", "box up2"}},
      {"pressed on the button, released on the box",
       {{WM_LBUTTONDOWN, at(20, 20)}, {WM_LBUTTONUP, at(80, 20)}},
       {"button down1 5,5", "box up1"}},
      {"outside every control", {{WM_LBUTTONDOWN, at(5, 5)}, {WM_LBUTTONUP, at(200, 5)}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Board& board = ui::Instance<Board>::get();
    for (const auto& [msg, point] : c.messages) ui::SendMessage(board.hWnd(), msg, 0, point);
    EXPECT_EQ(board.seen, c.seen);
    ui::Instance<Board>::Unload();
  }

  // A form may unload itself from its own handler: it goes once the handler has returned.
  Board& board = ui::Instance<Board>::get();
  board.unloadOnUp = true;
  const HWND hwnd = board.hWnd();
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

TEST(FormControls, PicturesKeepTheirSizeAndBrokenOnesAreRefused) {
  EXPECT_EQ(ui::PictureWidth(ui::LoadArt("clip_button")), 24);
  EXPECT_EQ(ui::PictureHeight(ui::LoadArt("menu_arrow")), 25);
  const auto bytes = ui::ArtBytes("menu_help");
  const std::vector<std::uint8_t> truncated(bytes.begin(), bytes.end() - 1);
  std::vector<std::uint8_t> notBmp(bytes.begin(), bytes.end());
  notBmp[0] = 'X';
  for (const auto& broken : {truncated, notBmp, std::vector<std::uint8_t>{}}) {
    try {
      ui::LoadBitmapFile(broken);
      ADD_FAILURE() << "accepted";
    } catch (const platform::Error& e) {
      EXPECT_EQ(e.number, 481);
    }
  }
}

TEST(FormControls, PopupMenuAnswersTheQueuedChoiceOrNothing) {
  Board& board = ui::Instance<Board>::get();
  ui::PopupMenu menu;
  menu.hWndOwner = board.hWnd();
  menu.AddItem({"One", "", 0, 0, -1, false, true, "first"});
  menu.AddItem({"Two", "", 0, 0, -1, false, true, "second"});
  headless::ChooseMenuItem(2);
  EXPECT_EQ(menu.ShowPopupMenu(0, 0), 2);
  EXPECT_EQ(menu.ItemKey(2), "second");
  EXPECT_EQ(menu.ShowPopupMenu(0, 0), 0) << "nobody chose: dismissed";
  headless::ChooseMenuItem(7);
  EXPECT_EQ(menu.ShowPopupMenu(0, 0), 0) << "no such item";
  EXPECT_THROW(menu.ItemKey(3), platform::Error);
  ui::Instance<Board>::Unload();
}
