// canvas_painter.cpp: the rare, slow case of the painting record's fills.
#include "screen/canvas_painter.h"

namespace pelorin {

void FillPixelBytesClipped(CanvasPainting painting, std::int32_t x, std::int32_t y,
                           const std::uint8_t* bits, const PixelColours* const* colours,
                           std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) {
    const Rgb paper = painting_detail::StoredColour(colours[i]->paper[0]);
    const Rgb ink = painting_detail::StoredColour(colours[i]->paper[0] ^ colours[i]->difference[0]);
    for (int m = 0; m < 8; ++m)
      FillRectangle(painting, x + 8 * i + m, y, 1, 1, (bits[i] & (0x80u >> m)) ? ink : paper);
  }
}

}  // namespace pelorin
