// paint_screen.cpp: the screen painted in Spectrum colours, one pixel byte at a time.
#include "screen/paint_screen.h"

#include <array>

namespace pelorin {

namespace {

constexpr std::array<PixelColours, 256> MakeAttributeColours() {
  std::array<PixelColours, 256> colours{};
  for (unsigned a = 0; a < 256; ++a) colours[a] = MakePixelColours(InkTable[a], PaperTable[a]);
  return colours;
}

// The ink and paper of every attribute byte, ready for FillPixelBytes.
constexpr std::array<PixelColours, 256> AttributeColours = MakeAttributeColours();

}  // namespace

void PaintScreen(const ScreenImage& screen, CanvasPainter& painter) {
  // A painting that did not open takes no fills, so there is nothing to do: the converter
  // redraws with no canvas at all when it writes only the screen file.
  if (!BeginPainting(painter)) return;
  // A local copy of the record: the pixel stores (bytes, which may alias anything) cannot
  // then force the compiler to reload the record after every pixel.
  CanvasPainting painting = painter.painting;
  std::array<const PixelColours*, kBytesPerLine> cellColours{};
  for (int y = 0; y < kScreenHeight; ++y) {
    if (y % 8 == 0) {  // the eight lines of a cell row share its attributes
      const std::uint8_t* attributeRow = screen.data() + AttributeOffset(y, 0);
      for (int x = 0; x < kBytesPerLine; ++x) cellColours[x] = &AttributeColours[attributeRow[x]];
    }
    FillPixelBytes(painting, 0, y, screen.data() + LineAddressTable[y], cellColours.data(),
                   kBytesPerLine);
  }
  painter.painting = painting;
  EndPainting(painter);
}

}  // namespace pelorin
