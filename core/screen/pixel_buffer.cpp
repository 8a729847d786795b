// pixel_buffer.cpp: a canvas-shaped picture in memory and its painter.
#include "screen/pixel_buffer.h"

#include <algorithm>

namespace pelorin {

PixelBuffer::PixelBuffer(std::int32_t w, std::int32_t h)
    : width(std::max(w, 1)),
      height(std::max(h, 1)),
      stride((width * 3 + 3) / 4 * 4),
      bytes(static_cast<std::size_t>(stride) * height, 0xFF) {}

Rgb PixelBuffer::PixelAt(std::int32_t x, std::int32_t y) const {
  const std::uint8_t* p = bytes.data() + static_cast<std::size_t>(height - 1 - y) * stride + x * 3;
  return Rgb{p[2]} | Rgb{p[1]} << 8 | Rgb{p[0]} << 16;
}

namespace {

bool BeginMemoryPainting(CanvasPainter& painter) {
  auto& buffer = *static_cast<PixelBuffer*>(painter.canvas);
  painter.painting.pixels = buffer.bytes.data();
  painter.painting.stride = buffer.stride;
  painter.painting.width = buffer.width;
  painter.painting.height = buffer.height;
  painter.painting.bottomUp = true;
  return true;
}

void EndMemoryPainting(CanvasPainter&) {}

}  // namespace

CanvasPainter MemoryPainter(PixelBuffer& buffer) {
  CanvasPainter painter;
  painter.begin = BeginMemoryPainting;
  painter.end = EndMemoryPainting;
  painter.canvas = &buffer;
  return painter;
}

}  // namespace pelorin
