// redraw.cpp: sprite placement and painting of the screen.
#include "redraw.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "sprite_file.h"

namespace pelorin {

namespace {

constexpr std::array<std::int32_t, kMaxStripWidth + 1> MakeVisibleSprite() {
  std::array<std::int32_t, kMaxStripWidth + 1> visible{};
  for (std::int32_t width = kMinStripWidth; width <= kMaxStripWidth; ++width)
    visible[width] = VisibleSpriteBytes(width);
  return visible;
}

// How many leading sprite bytes can land on the screen, for each strip width.
constexpr std::array<std::int32_t, kMaxStripWidth + 1> VisibleSprite = MakeVisibleSprite();

constexpr std::array<PixelColours, 256> MakeAttributeColours() {
  std::array<PixelColours, 256> colours{};
  for (unsigned a = 0; a < 256; ++a) colours[a] = MakePixelColours(InkTable[a], PaperTable[a]);
  return colours;
}

// The ink and paper of every attribute byte, ready for FillPixelBytes.
constexpr std::array<PixelColours, 256> AttributeColours = MakeAttributeColours();

// Copies n bytes, at most 32, as two fixed-size copies that may overlap: one sprite row in a
// few moves, where a byte loop or a call to memcpy costs more than the row itself.
inline void CopyRow(std::uint8_t* to, const std::uint8_t* from, std::int64_t n) {
  const auto twice = [&]<std::size_t size>() {
    std::memcpy(to, from, size);
    std::memcpy(to + n - size, from + n - size, size);
  };
  if (n >= 16) {
    twice.operator()<16>();
  } else if (n >= 8) {
    twice.operator()<8>();
  } else if (n >= 4) {
    twice.operator()<4>();
  } else if (n >= 2) {
    twice.operator()<2>();
  } else if (n == 1) {
    *to = *from;
  }
}

}  // namespace

void PlaceSprite(ConverterState& state) {
  std::uint8_t* screen = state.screen.data();
  std::memset(screen, 0, kPixelBytes);
  std::memset(screen + kPixelBytes, state.fillAttribute, kAttributeBytes);

  const std::int32_t width = std::clamp(state.stripWidth, kMinStripWidth, kMaxStripWidth);
  // Never read past what spriteData holds, whatever the length claims.
  const std::int64_t length = std::min<std::int64_t>(
      state.spriteLength, static_cast<std::int64_t>(state.spriteData.size()));
  const std::uint8_t* source = state.spriteData.data();

  if (length >= VisibleSprite[width]) {
    // Every strip's first line is there. Screen byte p is then written last by line 0 of
    // strip p / width: no strip that starts further right reaches p, and line 0 starts at
    // offset 0, so every other line of that strip lands elsewhere or earlier. The bytes
    // cleared and filled above are all overwritten, and 6,912 copies replace a walk over
    // up to 1.3 million bytes.
    for (std::int32_t p = 0; p < kScreenBytes; ++p)
      screen[p] = source[p / width * kScreenHeight * width + p % width];
    return;
  }

  // One sprite row per picture line; after 192 rows the next strip starts at the top, one
  // strip width further right. Offsets past the line's 32 bytes are not clipped: they land
  // in later lines or the attributes, and only what falls past the screen's end is dropped.
  // Once the strip offset reaches the end no later byte can land, so placement stops there.
  std::int64_t j = 0;
  for (std::int32_t stripOffset = 0; stripOffset < kScreenBytes && j < length;
       stripOffset += width) {
    for (int line = 0; line < kScreenHeight && j < length; ++line) {
      const std::int32_t target = LineAddressTable[line] + stripOffset;
      const std::int64_t count = std::min<std::int64_t>(width, length - j);
      const std::int64_t fits = std::clamp<std::int64_t>(kScreenBytes - target, 0, count);
      CopyRow(screen + target, source + j, fits);
      j += count;
    }
  }
}

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

void Redraw(ConverterState& state, CanvasPainter& painter) {
  if (state.spriteLength <= 0) return;
  PlaceSprite(state);
  PaintScreen(state.screen, painter);
}

}  // namespace pelorin
