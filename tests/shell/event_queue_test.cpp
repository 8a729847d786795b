// The queue's merge and order rules, and when payloads are released.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "events/event_queue.h"

// Live heap blocks of this test program, so that a released payload can be seen to go.
static std::atomic<long> liveBlocks{0};

void* operator new(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  ++liveBlocks;
  return block;
}
void operator delete(void* block) noexcept {
  if (block == nullptr) return;
  --liveBlocks;
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  operator delete(block);
}

namespace pelorin {
namespace {

struct Queued {
  EventKind kind;
  std::int32_t source;
  std::int32_t window;
  std::int32_t detail;
};

std::vector<Queued> TakeAll(EventQueue& queue) {
  std::vector<Queued> taken;
  while (TakeEvent(queue)) {
    const ShellEvent& event = *queue.current;
    taken.push_back({event.kind, event.source, event.window, event.detail});
  }
  return taken;
}

bool operator==(const Queued& a, const Queued& b) {
  return a.kind == b.kind && a.source == b.source && a.window == b.window && a.detail == b.detail;
}

constexpr Queued kScroll{EventKind::Control, 1, 0, 0};
constexpr Queued kCanvasMove{EventKind::Control, 0, 0, 2};
constexpr Queued kCanvasPress{EventKind::Control, 0, 0, 4};
constexpr Queued kClose{EventKind::Close, 0, 0, 0};
constexpr Queued kSave{EventKind::Menu, 2, 0, 0};
constexpr Queued kQuit{EventKind::Menu, 3, 0, 0};
constexpr Queued kOtherWindow{EventKind::Control, 1, 7, 0};

struct MergeCase {
  const char* name;
  std::vector<Queued> queued;
  std::vector<Queued> handedOut;
};

TEST(EventQueueTest, RepeatsOfTheNewestWaitingEventMergeAndNothingElseDoes) {
  const MergeCase cases[] = {
      {"two scrollbar events in a row", {kScroll, kScroll}, {kScroll}},
      {"a burst of scrollbar events", std::vector<Queued>(1000, kScroll), {kScroll}},
      {"scrollbar, canvas, scrollbar",
       {kScroll, kCanvasMove, kScroll},
       {kScroll, kCanvasMove, kScroll}},
      {"only the detail differs", {kCanvasMove, kCanvasPress}, {kCanvasMove, kCanvasPress}},
      {"only the source differs", {kSave, kQuit}, {kSave, kQuit}},
      {"only the window differs", {kScroll, kOtherWindow}, {kScroll, kOtherWindow}},
      {"only the kind differs",
       {Queued{EventKind::Menu, 0, 0, 0}, kClose},
       {Queued{EventKind::Menu, 0, 0, 0}, kClose}},
      {"an older equal event is not looked at",
       {kScroll, kSave, kScroll, kScroll},
       {kScroll, kSave, kScroll}},
      {"order is kept", {kClose, kSave, kScroll, kQuit}, {kClose, kSave, kScroll, kQuit}},
  };
  for (const MergeCase& c : cases) {
    EventQueue queue;
    for (const Queued& q : c.queued) QueueEvent(queue, q.kind, q.source, q.window, q.detail);
    EXPECT_EQ(TakeAll(queue), c.handedOut) << c.name;
  }
}

TEST(EventQueueTest, AnEventEqualToTheCurrentOneIsAppended) {
  EventQueue queue;
  QueueEvent(queue, EventKind::Control, 1, 0, 0);
  ASSERT_EQ(TakeEvent(queue), EventKind::Control);
  QueueEvent(queue, EventKind::Control, 1, 0, 0);
  EXPECT_EQ(queue.waiting.size(), 1u);
  EXPECT_EQ(TakeEvent(queue), EventKind::Control);
}

TEST(EventQueueTest, TakingFromAnEmptyQueueGivesNoEventAndEndsTheCurrentOne) {
  EventQueue queue;
  EXPECT_FALSE(TakeEvent(queue));
  QueueEvent(queue, EventKind::Close, 0, 0, 0);
  ASSERT_TRUE(TakeEvent(queue));
  EXPECT_FALSE(TakeEvent(queue));
  EXPECT_FALSE(queue.current.has_value());
}

DropPayload DroppedBlock(std::uint8_t fill) {
  DropPayload payload;
  payload.format = 15;
  payload.data.assign(4096, fill);
  return payload;
}

TEST(EventQueueTest, ARepeatedDropIsDiscardedWithItsPayloadAtOnce) {
  EventQueue queue;
  QueueEvent(queue, EventKind::Drop, 0, 0, 0, DroppedBlock(1));
  const long before = liveBlocks;
  EventPayload repeat = DroppedBlock(2);
  ASSERT_EQ(liveBlocks, before + 1);
  QueueEvent(queue, EventKind::Drop, 0, 0, 0, std::move(repeat));
  EXPECT_EQ(liveBlocks, before);

  ASSERT_EQ(TakeEvent(queue), EventKind::Drop);
  const auto& kept = std::get<DropPayload>(queue.current->payload);
  EXPECT_EQ(kept.data.front(), 1) << "the waiting event keeps its own payload";
}

TEST(EventQueueTest, TheCurrentPayloadLivesUntilTheNextTake) {
  EventQueue queue;
  const long empty = liveBlocks;
  QueueEvent(queue, EventKind::Drop, 0, 0, 0, DroppedBlock(1));
  ASSERT_EQ(TakeEvent(queue), EventKind::Drop);
  EXPECT_EQ(std::get<DropPayload>(queue.current->payload).data.size(), 4096u);
  EXPECT_GT(liveBlocks, empty);
  EXPECT_FALSE(TakeEvent(queue));
  EXPECT_EQ(liveBlocks, empty);
}

}  // namespace
}  // namespace pelorin
