// window_zoom.h: the main window's client area at each zoom, and the largest zoom whose
// window fits a monitor's work area.
#pragma once

#include <cstdint>

namespace pelorin {

// The client area asked for at 1x, before the menu bar takes its rows from the top.
constexpr std::int32_t kClientWidth = 255;
constexpr std::int32_t kClientHeight = 240;
constexpr std::int32_t kMaxZoom = 3;

struct Extent {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The client area asked for at `zoom`: the 1x area grown by the picture's growth.
Extent ZoomedClientSize(std::int32_t zoom);

// The largest zoom from 1 to `zoom` at which the window, its client area at that zoom and
// the `frame` around it, fits inside `workArea`; 1 when none does, there being nothing
// smaller.
std::int32_t FittingZoom(std::int32_t zoom, Extent frame, Extent workArea);

}  // namespace pelorin
