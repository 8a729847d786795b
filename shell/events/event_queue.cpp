// event_queue.cpp: queueing, merging and handing out shell events.
#include "events/event_queue.h"

namespace pelorin {

void QueueEvent(EventQueue& queue, EventKind kind, std::int32_t source, std::int32_t window,
                std::int32_t detail, EventPayload payload) {
  if (!queue.waiting.empty()) {
    const ShellEvent& newest = queue.waiting.back();
    if (newest.kind == kind && newest.source == source && newest.window == window &&
        newest.detail == detail)
      return;  // the payload goes with this call
  }
  queue.waiting.push_back(ShellEvent{kind, source, window, detail, std::move(payload)});
}

std::optional<EventKind> TakeEvent(EventQueue& queue) {
  queue.current.reset();
  if (queue.waiting.empty()) return std::nullopt;
  queue.current = std::move(queue.waiting.front());
  queue.waiting.pop_front();
  return queue.current->kind;
}

}  // namespace pelorin
