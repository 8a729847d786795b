// The width scrollbar: its range, the handler of each request, and its events.
#include <gtest/gtest.h>

#include "window/canvas_view.h"
#include "window/main_window.h"
#include "window/scroll_request.h"
#include "window/width_scrollbar.h"

namespace pelorin {
namespace {

class WidthScrollbarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenMainWindow(main, GetModuleHandleW(nullptr), queue));
    bar = CreateWidthScrollbar(main.controls, kWidthScrollbarControl, 0, 194, 255, 20, 1, 31, 1);
    ASSERT_NE(bar, nullptr);
  }
  void TearDown() override { CloseMainWindow(main); }

  void MoveTo(std::int32_t position) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
  }

  // Sends one notification to the main window as the bar does, and returns the events it
  // left in the queue.
  std::vector<ShellEvent> Notify(std::int32_t request) {
    SendMessageW(main.window.Get(), WM_HSCROLL, MAKEWPARAM(request, 0),
                 reinterpret_cast<LPARAM>(bar));
    std::vector<ShellEvent> events;
    while (TakeEvent(queue)) events.push_back(std::move(*queue.current));
    return events;
  }

  EventQueue queue;
  MainWindow main;
  HWND bar = nullptr;
};

TEST_F(WidthScrollbarTest, StartsAtOneWithRangeOneToThirtyOneAndPageOne) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &info));
  EXPECT_EQ(info.nMin, 1);
  EXPECT_EQ(info.nMax, 31);
  EXPECT_EQ(info.nPage, 1u);
  EXPECT_EQ(info.nPos, 1);
  EXPECT_EQ(ScrollbarPosition(main.controls, kWidthScrollbarControl), 1);
  EXPECT_EQ(GetWindowLongW(bar, GWL_ID), kWidthScrollbarControl);
  EXPECT_EQ(GetWindowLongW(bar, GWL_STYLE) & (WS_TABSTOP | SBS_VERT), 0);
  MoveTo(31);
  EXPECT_EQ(ScrollbarPosition(main.controls, kWidthScrollbarControl), 31) << "31 is reachable";
}

TEST_F(WidthScrollbarTest, EveryRequestAtBothEndsAndInTheMiddleQueuesOneEvent) {
  struct Case {
    std::int32_t request;
    std::int32_t from;
    std::int32_t to;
  };
  // Outside a drag the tracking position is the position itself.
  const Case cases[] = {
      {kLineLeft, 1, 1},      {kLineLeft, 16, 15},      {kLineLeft, 31, 30},
      {kLineRight, 1, 2},     {kLineRight, 16, 17},     {kLineRight, 31, 31},
      {kPageLeft, 1, 1},      {kPageLeft, 16, 15},      {kPageLeft, 31, 30},
      {kPageRight, 1, 2},     {kPageRight, 16, 17},     {kPageRight, 31, 31},
      {kThumbPosition, 1, 1}, {kThumbPosition, 16, 16}, {kThumbPosition, 31, 31},
      {kThumbTrack, 1, 1},    {kThumbTrack, 16, 16},    {kThumbTrack, 31, 31},
      {kLeftEnd, 1, 1},       {kLeftEnd, 16, 16},       {kLeftEnd, 31, 31},
      {kRightEnd, 1, 1},      {kRightEnd, 16, 16},      {kRightEnd, 31, 31},
      {kEndScroll, 1, 1},     {kEndScroll, 16, 16},     {kEndScroll, 31, 31},
      {42, 16, 16},
  };
  for (const Case& c : cases) {
    MoveTo(c.from);
    const std::vector<ShellEvent> events = Notify(c.request);
    EXPECT_EQ(ScrollbarPosition(main.controls, kWidthScrollbarControl), c.to)
        << "request " << c.request << " from " << c.from;
    int controlEvents = 0;
    for (const ShellEvent& event : events) {
      if (event.kind != EventKind::Control) continue;
      ++controlEvents;
      EXPECT_EQ(event.source, kWidthScrollbarControl);
      EXPECT_EQ(event.detail, 0);
      EXPECT_EQ(event.window, kMainWindowNumber);
    }
    EXPECT_EQ(controlEvents, 1) << "request " << c.request << " from " << c.from;
  }
}

TEST_F(WidthScrollbarTest, ControlsWithoutAPositionGiveZero) {
  ASSERT_NE(CreateCanvasView(main.controls, kCanvasControl, 0, 0, 256, 192), nullptr);
  EXPECT_EQ(ScrollbarPosition(main.controls, kCanvasControl), 0);
  EXPECT_EQ(ScrollbarPosition(main.controls, -1), 0);
  EXPECT_EQ(ScrollbarPosition(main.controls, kControlCount), 0);
  DestroyWindow(bar);
  EXPECT_EQ(ScrollbarPosition(main.controls, kWidthScrollbarControl), 0);
}

TEST_F(WidthScrollbarTest, ScrollMessagesFromOtherWindowsQueueNothing) {
  const HWND stranger = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | SBS_HORZ, 0, 0, 10, 10,
                                        main.window.Get(), nullptr, nullptr, nullptr);
  SendMessageW(main.window.Get(), WM_HSCROLL, MAKEWPARAM(kLineRight, 0),
               reinterpret_cast<LPARAM>(stranger));
  while (TakeEvent(queue)) EXPECT_NE(queue.current->kind, EventKind::Control);
  EXPECT_EQ(ScrollbarPosition(main.controls, kWidthScrollbarControl), 1);
}

}  // namespace
}  // namespace pelorin
