// NextEvent: one waiting event or one platform message per call, never both.
#include <gtest/gtest.h>

#include "events/next_event.h"

namespace pelorin {
namespace {

// A window that counts the messages it is sent and queues a Menu event for each, with the
// message's wParam as the source.
struct Counter {
  static inline EventQueue* queue = nullptr;
  static inline int handled = 0;
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    ++handled;
    QueueEvent(*queue, EventKind::Menu, static_cast<std::int32_t>(wParam), 0, 0);
    QueueEvent(*queue, EventKind::Control, static_cast<std::int32_t>(wParam), 0, 0);
    return 0;
  }
};

class NextEventTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Counter::queue = &queue;
    Counter::handled = 0;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Counter::Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PelorinTestCounter";
    RegisterClassW(&windowClass);
    window = CreateWindowExW(0, L"PelorinTestCounter", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    DestroyWindow(window);
    UnregisterClassW(L"PelorinTestCounter", GetModuleHandleW(nullptr));
  }

  EventQueue queue;
  HWND window = nullptr;
};

TEST_F(NextEventTest, HandsOutWaitingEventsBeforeHandlingTheNextMessage) {
  PostMessageW(window, WM_APP, 1, 0);
  PostMessageW(window, WM_APP, 2, 0);

  EXPECT_FALSE(NextEvent(queue, nullptr, nullptr)) << "a message handled: no event";
  EXPECT_EQ(Counter::handled, 1) << "exactly one message";
  ASSERT_EQ(NextEvent(queue, nullptr, nullptr), EventKind::Menu);
  EXPECT_EQ(queue.current->source, 1);
  ASSERT_EQ(NextEvent(queue, nullptr, nullptr), EventKind::Control);
  EXPECT_EQ(Counter::handled, 1) << "no message while events wait";

  EXPECT_FALSE(NextEvent(queue, nullptr, nullptr));
  EXPECT_FALSE(queue.current.has_value()) << "the last event is released on the way";
  EXPECT_EQ(Counter::handled, 2);
  ASSERT_EQ(NextEvent(queue, nullptr, nullptr), EventKind::Menu);
  EXPECT_EQ(queue.current->source, 2);
}

TEST_F(NextEventTest, EventsQueuedDuringOneDispatchComeOutInOrder) {
  PostMessageW(window, WM_APP, 7, 0);
  EXPECT_FALSE(NextEvent(queue, nullptr, nullptr));
  QueueEvent(queue, EventKind::Close, 0, 0, 0);
  EXPECT_EQ(NextEvent(queue, nullptr, nullptr), EventKind::Menu);
  EXPECT_EQ(NextEvent(queue, nullptr, nullptr), EventKind::Control);
  EXPECT_EQ(NextEvent(queue, nullptr, nullptr), EventKind::Close);
}

}  // namespace
}  // namespace pelorin
