// width_scrollbar.h: the scrollbar that sets the strip width, and reading its position.
#pragma once

#include <windows.h>

#include <cstdint>

#include "window/control_registry.h"

namespace pelorin {

// Makes a horizontal scrollbar (no tab stop) in the registry's parent with the range and
// page given, registered as control `number`; it starts at its minimum. Null on failure.
HWND CreateWidthScrollbar(ControlRegistry& controls, std::int32_t number, std::int32_t x,
                          std::int32_t y, std::int32_t width, std::int32_t height,
                          std::int32_t minimum, std::int32_t maximum, std::int32_t page);

// The scrollbar's handler of one scroll notification: moves the thumb as the request says
// and queues a Control event (detail 0) for every notification, moved or not.
LRESULT HandleWidthScroll(ControlRegistry& controls, std::int32_t number, std::int32_t request);

// Moves a scrollbar control's thumb to `position`, as a user's move would leave it; queues
// nothing. A number that names no scrollbar is ignored.
void SetScrollbarPosition(const ControlRegistry& controls, std::int32_t number,
                          std::int32_t position);

// The position of a scrollbar control; 0 for a control that has none (the canvas) and for
// a number that names no control.
std::int32_t ScrollbarPosition(const ControlRegistry& controls, std::int32_t number);

}  // namespace pelorin
