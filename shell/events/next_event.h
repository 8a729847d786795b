// next_event.h: the event loop's one call: hand out a waiting event or handle one message.
#pragma once

#include <windows.h>

#include <optional>

#include "events/event_queue.h"

namespace pelorin {

// Releases the current event. Then hands out the oldest waiting event, or, when none
// waits, waits for one platform message of the thread and dispatches it (through the main
// window's keyboard table while that window is active) and returns no event: the events
// the message caused come out of the following calls.
std::optional<EventKind> NextEvent(EventQueue& queue, HWND mainWindow, HACCEL accelerators);

}  // namespace pelorin
