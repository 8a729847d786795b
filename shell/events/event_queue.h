// event_queue.h: the records through which the window side tells the event loop what the
// user did, and the queue that holds them. Platform-free: NextEvent, which also waits for
// the platform's messages, is built on TakeEvent.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <variant>
#include <vector>

namespace pelorin {

enum class EventKind : std::int32_t {
  Close = 1,  // the user asked to close the main window
  Menu,       // a menu item was chosen; source is its id
  Control,    // a control reported activity; source is its number
  Drop,       // files were dropped on a control; source is its number
  // Window notifications that the loop takes and ignores.
  Activate,
  Move,
  Resize,
  EraseBackground,
  MouseButton,
};

// A file list dropped on a control: a private copy of the whole dropped block.
struct DropPayload {
  std::uint32_t format = 0;
  std::uint32_t privateType = 0;
  std::uint32_t effect = 0;  // what the drag source was told
  std::int32_t x = 0;        // drop point, in the control's client coordinates
  std::int32_t y = 0;
  std::vector<std::uint8_t> data;
};

// Pointer input on the canvas: where, which buttons and keys (Shift, Ctrl), the wheel turn.
struct PointerInput {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::uint32_t buttons = 0;
  std::uint32_t keys = 0;
  std::int32_t wheel = 0;
};

using EventPayload = std::variant<std::monostate, DropPayload, PointerInput>;

struct ShellEvent {
  EventKind kind{};
  std::int32_t source = 0;
  std::int32_t window = 0;
  std::int32_t detail = 0;
  EventPayload payload;
};

struct EventQueue {
  std::deque<ShellEvent> waiting;     // oldest first
  std::optional<ShellEvent> current;  // handed out last; valid until the next take
};

// Appends the event unless it repeats the newest waiting one (same kind, source, window and
// detail; payloads are not compared), in which case it is dropped with its payload. A burst
// of identical scrollbar notifications thus leaves one event.
void QueueEvent(EventQueue& queue, EventKind kind, std::int32_t source, std::int32_t window,
                std::int32_t detail, EventPayload payload = {});

// Releases the current event with its payload, then makes the oldest waiting event current
// and returns its kind; no event when none waits.
std::optional<EventKind> TakeEvent(EventQueue& queue);

}  // namespace pelorin
