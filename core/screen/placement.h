// placement.h: laying a run of sprite bytes down the screen in vertical strips.
#pragma once

#include <array>
#include <cstdint>

#include "screen/screen.h"

namespace pelorin {

// The number of leading bytes of a sprite that can reach the screen at the given strip
// width: one past the last byte whose place lies inside the screen.
constexpr std::int32_t VisibleSpriteBytes(std::int32_t width) {
  // The last strip that starts inside the screen; its bytes come after every earlier one.
  const std::int32_t lastStripOffset = (kScreenBytes - 1) / width * width;
  const std::int32_t rowsBefore = lastStripOffset / width * kScreenHeight;
  std::int32_t visible = 0;
  for (int line = 0; line < kScreenHeight; ++line)
    for (int column = 0; column < width; ++column)
      if (LineAddressTable[line] + column + lastStripOffset < kScreenBytes)
        visible = (rowsBefore + line) * width + column + 1;
  return visible;
}

constexpr std::array<std::int32_t, kMaxStripWidth + 1> MakeVisibleSprite() {
  std::array<std::int32_t, kMaxStripWidth + 1> visible{};
  for (std::int32_t width = kMinStripWidth; width <= kMaxStripWidth; ++width)
    visible[width] = VisibleSpriteBytes(width);
  return visible;
}

// VisibleSpriteBytes for each strip width, looked up where placement needs it.
inline constexpr std::array<std::int32_t, kMaxStripWidth + 1> VisibleSprite = MakeVisibleSprite();

constexpr std::int32_t MakeSpriteReadBound() {
  std::int32_t bound = 0;
  for (const std::int32_t visible : VisibleSprite) bound = visible > bound ? visible : bound;
  return bound;
}

// No byte past this many can be shown or saved at any width, so no more is ever read.
inline constexpr std::int32_t SpriteReadBound = MakeSpriteReadBound();

// Bytes that one screen shows at the width: the whole strips that fit across, each 192 rows
// of `width` bytes. At width 3 that is ten strips, 5,760 bytes; at 17 and more only one.
// Placed alone, they land each at its line and byte column: none spills.
constexpr std::int64_t ScreenStep(std::int32_t width) {
  return std::int64_t{kScreenHeight} * width * (kBytesPerLine / width);
}

// Clears the pixels, fills every attribute cell with `fill` and lays the `length` bytes
// down in strips `width` bytes wide: one sprite row per picture line, and after 192 rows
// the next strip at the top, one strip width further right. Offsets past a line's 32 bytes
// are not clipped: they land in later lines or the attributes; only what falls past the
// screen's end is dropped.
void PlaceStrips(ScreenImage& screen, const std::uint8_t* bytes, std::int64_t length,
                 std::int32_t width, std::uint8_t fill);

}  // namespace pelorin
