// control_registry.h: the main window's controls by number, and what joining it means.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "events/event_queue.h"

namespace pelorin {

constexpr std::int32_t kCanvasControl = 0;
constexpr std::int32_t kWidthScrollbarControl = 1;
constexpr std::int32_t kControlCount = 2;

// The number of the one top-level window, which every event of this program belongs to.
constexpr std::int32_t kMainWindowNumber = 0;

struct ControlRegistry;

enum class ControlKind { Canvas, Scrollbar };

// Handles one scroll notification (the request code) that a control sent its parent.
using ScrollHandler = LRESULT (*)(ControlRegistry& controls, std::int32_t number,
                                  std::int32_t request);

struct ControlEntry {
  HWND window = nullptr;  // null: the number is free
  ControlKind kind = ControlKind::Canvas;
  ScrollHandler onScroll = nullptr;
};

// Must outlive the windows registered in it: their destruction gives their numbers back here.
struct ControlRegistry {
  HWND parent = nullptr;        // the window the controls are made in
  EventQueue* queue = nullptr;  // where the controls report
  std::array<ControlEntry, kControlCount> entries{};
};

// Makes `window` control `number`: its control identifier becomes the number, it gets the
// default GUI font, and its destruction frees the number again. False when the number is
// out of range or taken, or the window cannot be watched.
bool RegisterControl(ControlRegistry& controls, HWND window, std::int32_t number, ControlKind kind,
                     ScrollHandler onScroll);

// The window of control `number`, or null.
HWND ControlWindow(const ControlRegistry& controls, std::int32_t number);

// The number of a registered control's window, or -1.
std::int32_t ControlNumberOf(const ControlRegistry& controls, HWND window);

}  // namespace pelorin
