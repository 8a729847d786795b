// layout.cpp: rearranged bytes laid down in strips, and a screen shown as it is.
#include "screen/layout.h"

#include <algorithm>
#include <cstring>

namespace pelorin {

namespace {

// Reads laid-out bytes from where they are stored: a zero past the end.
struct StoredBytes {
  const std::uint8_t* bytes;
  std::int64_t length;

  std::uint8_t At(const StoredRow& row, std::int64_t column) const {
    const std::int64_t at = row.start + column * row.stride;
    return at < length ? bytes[at] : 0;
  }
};

}  // namespace

void PlaceLaidOut(ScreenImage& screenImage, const SpriteLayout& layout, const std::uint8_t* stored,
                  std::int64_t storedLength, std::int64_t laidCount, std::int32_t width,
                  std::uint8_t fill) {
  std::uint8_t* screen = screenImage.data();
  std::memset(screen, 0, kPixelBytes);
  std::memset(screen + kPixelBytes, fill, kAttributeBytes);
  width = ClampStripWidth(width);
  const StoredBytes from{stored, storedLength};

  if (laidCount >= VisibleSprite[width]) {
    // As in PlaceStrips: every screen byte is written last by line 0 of the strip it lies
    // in, so only those rows are read.
    for (std::int32_t strip = 0; strip * width < kScreenBytes; ++strip) {
      const StoredRow row = StoredRowOf(layout, width, std::int64_t{strip} * kScreenHeight);
      const std::int32_t first = strip * width;
      for (std::int32_t column = 0; column < width && first + column < kScreenBytes; ++column)
        screen[first + column] = from.At(row, column);
    }
    return;
  }

  // The rows in order, each found from the last: StoredRowOf without its division.
  const StoredRows rows = StoredRowsOf(layout, width);
  std::int64_t row = 0, spriteStart = rows.first, rowInSprite = 0;
  for (std::int32_t stripOffset = 0; stripOffset < kScreenBytes && row * width < laidCount;
       stripOffset += width) {
    for (int line = 0; line < kScreenHeight && row * width < laidCount; ++line, ++row) {
      const StoredRow storedRow{spriteStart + rowInSprite * rows.rowStride, rows.stride};
      const std::int32_t target = LineAddressTable[line] + stripOffset;
      const std::int64_t count = std::min<std::int64_t>(
          {width, laidCount - row * width, std::int64_t{kScreenBytes} - target});
      for (std::int64_t column = 0; column < count; ++column)
        screen[target + column] = from.At(storedRow, column);
      if (++rowInSprite == rows.height) {
        rowInSprite = 0;
        spriteStart += rows.spriteStride;
      }
    }
  }
}

void PlaceScreenImage(ScreenImage& screen, const std::uint8_t* bytes, std::int64_t length) {
  const auto shown = static_cast<std::size_t>(std::clamp<std::int64_t>(length, 0, kScreenBytes));
  if (shown > 0) std::memcpy(screen.data(), bytes, shown);
  std::memset(screen.data() + shown, 0, kScreenBytes - shown);
}

}  // namespace pelorin
