// canvas_painter.h: the painting record through which the core paints, and its fill.
//
// The painter is plain procedures over one record: the owner of the picture (the window's
// canvas, or a pixel buffer in memory) supplies begin and end, and every fill in between is
// the inline FillRectangle below, a few byte stores the compiler can see through.
#pragma once

#include <cstdint>

#include "screen.h"

namespace pelorin {

// The open painting: where the pixels are and how rows are laid out. A painting whose
// pixels are null is closed; fills then write nothing.
struct CanvasPainting {
  std::uint8_t* pixels = nullptr;
  std::int32_t stride = 0;  // bytes per stored row
  std::int32_t width = 0;   // clipping bounds, in pixels
  std::int32_t height = 0;
  bool bottomUp = true;  // picture row y is stored as row height - 1 - y
  std::int32_t originX = 0;
  std::int32_t originY = 0;
  Rgb colour = 0;  // the last fill's colour, split into the three bytes stored per pixel
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

struct CanvasPainter {
  // Opens `painting`; false when no painting could be opened (it then stays closed).
  bool (*begin)(CanvasPainter& painter) = nullptr;
  // Closes `painting` and shows the picture.
  void (*end)(CanvasPainter& painter) = nullptr;
  void* canvas = nullptr;  // whatever begin and end work on
  CanvasPainting painting;
};

inline bool BeginPainting(CanvasPainter& painter) {
  painter.painting = CanvasPainting{};
  return painter.begin != nullptr && painter.begin(painter) && painter.painting.pixels != nullptr;
}

inline void EndPainting(CanvasPainter& painter) {
  if (painter.painting.pixels == nullptr) return;
  if (painter.end != nullptr) painter.end(painter);
  painter.painting = CanvasPainting{};
}

// Sets the pixels of the rectangle to the colour, clipped to the painting. A negative size
// extends the rectangle to the left of (above) the given corner: width -3 at x = 10 covers
// columns 7, 8 and 9. Bits 24-31 of the colour play no part.
inline void FillRectangle(CanvasPainting& painting, std::int32_t x, std::int32_t y,
                          std::int32_t width, std::int32_t height, Rgb colour) {
  if (painting.pixels == nullptr) return;
  // Splitting the colour costs less than a branch on whether it changed, which random
  // pictures make unpredictable.
  painting.colour = colour;
  painting.red = static_cast<std::uint8_t>(colour);
  painting.green = static_cast<std::uint8_t>(colour >> 8);
  painting.blue = static_cast<std::uint8_t>(colour >> 16);

  // 64-bit arithmetic: extreme positions and sizes must not wrap around into the picture.
  std::int64_t left = std::int64_t{x} + painting.originX;
  std::int64_t top = std::int64_t{y} + painting.originY;
  if (width == 1 && height == 1) {
    // A screen is painted with 49,152 one-pixel fills: they skip the size arithmetic.
    if (left < 0 || left >= painting.width || top < 0 || top >= painting.height) return;
    const std::int64_t stored = painting.bottomUp ? painting.height - 1 - top : top;
    std::uint8_t* p = painting.pixels + stored * painting.stride + left * 3;
    p[0] = painting.blue;
    p[1] = painting.green;
    p[2] = painting.red;
    return;
  }
  std::int64_t w = width;
  std::int64_t h = height;
  if (w < 0) left += w, w = -w;
  if (h < 0) top += h, h = -h;
  if (left < 0) w += left, left = 0;
  if (top < 0) h += top, top = 0;
  if (left + w > painting.width) w = painting.width - left;
  if (top + h > painting.height) h = painting.height - top;
  if (w <= 0 || h <= 0) return;

  for (std::int64_t row = top; row < top + h; ++row) {
    const std::int64_t stored = painting.bottomUp ? painting.height - 1 - row : row;
    std::uint8_t* p = painting.pixels + stored * painting.stride + left * 3;
    for (std::int64_t i = 0; i < w; ++i, p += 3) {
      p[0] = painting.blue;
      p[1] = painting.green;
      p[2] = painting.red;
    }
  }
}

}  // namespace pelorin
