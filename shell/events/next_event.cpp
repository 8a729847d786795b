// next_event.cpp: waiting for and dispatching platform messages between events.
#include "events/next_event.h"

namespace pelorin {

std::optional<EventKind> NextEvent(EventQueue& queue, HWND mainWindow, HACCEL accelerators) {
  if (const std::optional<EventKind> kind = TakeEvent(queue)) return kind;
  MSG message{};
  // 0 is a quit message and -1 an error: neither is the user's doing, so neither ends the
  // loop, and there is nothing to dispatch.
  if (GetMessageW(&message, nullptr, 0, 0) <= 0) return std::nullopt;
  const bool translated = mainWindow != nullptr && accelerators != nullptr &&
                          GetActiveWindow() == mainWindow &&
                          TranslateAcceleratorW(mainWindow, accelerators, &message) != 0;
  if (!translated) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return std::nullopt;
}

}  // namespace pelorin
