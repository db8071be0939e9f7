#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/ui.h"

namespace {

thread_local std::vector<std::pair<HWND, UINT>> t_log;

LRESULT CALLBACK loggingProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_DESTROY || msg == WM_NCDESTROY || msg == WM_USER) t_log.push_back({hwnd, msg});
  return 0;
}

HWND make(HWND parent) {
  ui::RegisterWindowClass("TestWindow", &loggingProc);
  return ui::CreateWindowEx(0, "TestWindow", "", parent ? WS_CHILD : 0, 0, 0, 10, 10, parent);
}

}  // namespace

TEST(WindowTree, DestroyingAWindowDestroysItsDescendantsParentsFirst) {
  HWND top = make(nullptr);
  HWND child = make(top);
  HWND grandchild = make(child);
  HWND other = make(nullptr);
  t_log.clear();
  ASSERT_TRUE(ui::DestroyWindow(top));
  const std::vector<std::pair<HWND, UINT>> expected = {
      {top, WM_DESTROY},          {child, WM_DESTROY},   {grandchild, WM_DESTROY},
      {grandchild, WM_NCDESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
  EXPECT_EQ(t_log, expected);
  for (HWND h : {top, child, grandchild}) EXPECT_FALSE(ui::IsWindow(h));
  EXPECT_TRUE(ui::IsWindow(other));
  ui::DestroyWindow(other);
}

TEST(WindowTree, ParentsAndVisibilityFollowTheWin32Rules) {
  HWND top = make(nullptr);
  HWND a = make(top);
  HWND b = make(a);
  EXPECT_EQ(ui::SetParent(a, b), nullptr) << "a window cannot become its own descendant";
  EXPECT_EQ(ui::GetParent(a), top);
  EXPECT_EQ(ui::SetParent(b, top), a);
  EXPECT_EQ(ui::GetParent(b), top);

  ui::ShowWindow(b, SW_SHOWNORMAL);
  EXPECT_FALSE(ui::IsWindowVisible(b)) << "its parent is hidden";
  ui::ShowWindow(top, SW_SHOWNORMAL);
  EXPECT_TRUE(ui::IsWindowVisible(b));
  ui::DestroyWindow(top);
  EXPECT_EQ(ui::GetWindowLongPtr(b, GWL_STYLE), 0) << "a dead handle reads as nothing";
}

TEST(MessageQueue, PostedMessagesReachTheOwningThreadOnly) {
  HWND owned = nullptr;
  std::vector<std::pair<HWND, UINT>> received;
  std::atomic<bool> ready{false};
  std::thread owner([&] {
    owned = make(nullptr);
    ready = true;
    MSG msg;
    while (ui::GetMessage(&msg)) ui::DispatchMessage(&msg);
    received = t_log;
    ui::DestroyWindow(owned);
  });
  while (!ready) std::this_thread::yield();
  t_log.clear();
  ASSERT_TRUE(ui::PostMessage(owned, WM_USER, 1, 2));
  ASSERT_TRUE(ui::PostMessage(owned, WM_QUIT, 0, 0));
  owner.join();
  EXPECT_TRUE(t_log.empty()) << "nothing ran on the posting thread";
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0], std::make_pair(owned, WM_USER));
}

// Which of three overlapping windows a point hits shows their z-order.
TEST(WindowTree, SetWindowPosPlacesBehindAWindowAndTopmostStaysOnTop) {
  HWND a = make(nullptr), b = make(nullptr), c = make(nullptr);
  for (HWND h : {a, b, c}) {
    ui::MoveWindow(h, 5000, 5000, 10, 10, FALSE);
    ui::ShowWindow(h, SW_SHOWNORMAL);
  }
  const POINT p{5005, 5005};
  const auto place = [](HWND h, HWND after) {
    return ui::SetWindowPos(h, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  };
  ASSERT_EQ(ui::WindowFromPoint(p), c) << "the last made is on top";
  ASSERT_TRUE(place(a, HWND_TOPMOST));
  ui::BringWindowToTop(c);
  EXPECT_EQ(ui::WindowFromPoint(p), a) << "a topmost window stays above the others";
  ASSERT_TRUE(place(a, HWND_NOTOPMOST));
  ASSERT_TRUE(place(a, b));
  EXPECT_EQ(ui::WindowFromPoint(p), c) << "behind b, which is behind c";
  ASSERT_TRUE(place(c, a));
  EXPECT_EQ(ui::WindowFromPoint(p), b);

  ASSERT_TRUE(ui::SetWindowPos(b, HWND_TOP, 6000, 6000, 20, 30, SWP_NOZORDER));
  RECT r{};
  ui::GetWindowRect(b, &r);
  EXPECT_EQ(r.left + r.top + r.right + r.bottom, 6000 + 6000 + 6020 + 6030);
  ui::GetWindowRect(ui::GetDesktopWindow(), &r);
  EXPECT_EQ(r.right - r.left, 1280);
  EXPECT_EQ(r.bottom - r.top, 1024);
  EXPECT_NE(ui::WindowFromPoint({1, 1}), ui::GetDesktopWindow());
  for (HWND h : {a, b, c}) ui::DestroyWindow(h);
}
