// placement.cpp: sprite bytes laid down the screen in strips.
#include "screen/placement.h"

#include <algorithm>
#include <cstring>

namespace pelorin {

namespace {

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

void PlaceStrips(ScreenImage& screenImage, const std::uint8_t* source, std::int64_t length,
                 std::int32_t width, std::uint8_t fill) {
  std::uint8_t* screen = screenImage.data();
  std::memset(screen, 0, kPixelBytes);
  std::memset(screen + kPixelBytes, fill, kAttributeBytes);
  width = ClampStripWidth(width);

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

}  // namespace pelorin
