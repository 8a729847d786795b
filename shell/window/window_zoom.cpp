// window_zoom.cpp: the zoomed client area and the zoom that fits.
#include "window/window_zoom.h"

#include "screen/screen.h"

namespace pelorin {

Extent ZoomedClientSize(std::int32_t zoom) {
  return {kClientWidth * zoom, kClientHeight + kScreenHeight * (zoom - 1)};
}

std::int32_t FittingZoom(std::int32_t zoom, Extent frame, Extent workArea) {
  for (; zoom > 1; --zoom) {
    const Extent client = ZoomedClientSize(zoom);
    if (client.width + frame.width <= workArea.width &&
        client.height + frame.height <= workArea.height)
      break;
  }
  return zoom < 1 ? 1 : zoom;
}

}  // namespace pelorin
