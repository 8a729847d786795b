// canvas_painter.cpp: the rare, slow case of the painting record's fills.
#include "canvas_painter.h"

namespace pelorin {

void FillPixelByteClipped(CanvasPainting painting, std::int32_t x, std::int32_t y, unsigned bits,
                          const PixelColours& colours) {
  const Rgb paper = painting_detail::StoredColour(colours.paper[0]);
  const Rgb ink = painting_detail::StoredColour(colours.paper[0] ^ colours.difference[0]);
  for (int m = 0; m < 8; ++m)
    FillRectangle(painting, x + m, y, 1, 1, (bits & (0x80u >> m)) ? ink : paper);
}

}  // namespace pelorin
