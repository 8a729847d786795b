// pixel_buffer.h: a picture in memory with the window canvas's exact layout, and the
// painter that paints into it. The converter, the benchmarks and the tests paint here.
#pragma once

#include <cstdint>
#include <vector>

#include "screen/canvas_painter.h"

namespace pelorin {

// 24 bits per pixel, blue, green, red; rows padded to 4 bytes and stored bottom-up, as a
// device-independent bitmap is.
struct PixelBuffer {
  explicit PixelBuffer(std::int32_t width = kScreenWidth, std::int32_t height = kScreenHeight);

  std::int32_t width;
  std::int32_t height;
  std::int32_t stride;
  std::vector<std::uint8_t> bytes;  // white when made

  Rgb PixelAt(std::int32_t x, std::int32_t y) const;
};

// Begin opens a painting over the buffer; end has nothing to show.
CanvasPainter MemoryPainter(PixelBuffer& buffer);

}  // namespace pelorin
