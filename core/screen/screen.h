// screen.h: the Spectrum screen layout and the three read-only lookup tables.
#pragma once

#include <array>
#include <cstdint>

namespace pelorin {

constexpr int kScreenWidth = 256;   // pixels
constexpr int kScreenHeight = 192;  // picture lines
constexpr int kBytesPerLine = 32;
constexpr int kPixelBytes = 6144;
constexpr int kAttributeBytes = 768;
constexpr int kScreenBytes = kPixelBytes + kAttributeBytes;  // 6,912: also the .scr file

// A sprite is laid down in vertical strips 1 to 31 bytes wide.
constexpr std::int32_t kMinStripWidth = 1;
constexpr std::int32_t kMaxStripWidth = 31;

// The width that is laid out for any width asked: the scrollbar and the converter keep to
// the range, and what comes from elsewhere is held to it here.
constexpr std::int32_t ClampStripWidth(std::int32_t width) {
  return width < kMinStripWidth ? kMinStripWidth : width > kMaxStripWidth ? kMaxStripWidth : width;
}

// 6,144 pixel bytes in the interleaved line order, then 32 x 24 attribute bytes.
using ScreenImage = std::array<std::uint8_t, kScreenBytes>;

// Red in bits 0-7, green in 8-15, blue in 16-23, bits 24-31 zero.
using Rgb = std::uint32_t;

// Offset of the first pixel byte of picture line y. The line number's bits are shuffled:
//
//   y:       | T1 T0 | R2 R1 R0 | L2 L1 L0 |     third, cell row, pixel line
//   offset:  | 0  0  0 T1 T0 L2 L1 L0 | R2 R1 R0 X4 X3 X2 X1 X0 |
//
// so line 1 starts 256 bytes after line 0, and line 8 only 32 bytes after it.
constexpr std::array<std::int16_t, kScreenHeight> MakeLineAddressTable() {
  std::array<std::int16_t, kScreenHeight> table{};
  int y = 0;
  for (int third = 0; third < 3; ++third)
    for (int row = 0; row < 8; ++row)
      for (int line = 0; line < 8; ++line)
        table[y++] = static_cast<std::int16_t>(line * 256 + row * 32 + third * 2048);
  return table;
}

// Bits 0-2 ink blue, red, green; bits 3-5 paper blue, red, green; bit 6 bright, which
// lifts every channel that is on from 127 to 255; bit 7 (flash) is not shown.
constexpr Rgb AttributeColour(unsigned attribute, int firstBit) {
  const Rgb level = (attribute & 64) ? 255 : 127;
  const Rgb blue = (attribute >> firstBit) & 1 ? level : 0;
  const Rgb red = (attribute >> (firstBit + 1)) & 1 ? level : 0;
  const Rgb green = (attribute >> (firstBit + 2)) & 1 ? level : 0;
  return red | green << 8 | blue << 16;
}

constexpr std::array<Rgb, 256> MakeColourTable(int firstBit) {
  std::array<Rgb, 256> table{};
  for (unsigned a = 0; a < 256; ++a) table[a] = AttributeColour(a, firstBit);
  return table;
}

// Built once, by the compiler, and only read afterwards. Indexed by the whole attribute
// byte so that painting finds a colour with one look-up.
inline constexpr std::array<std::int16_t, kScreenHeight> LineAddressTable = MakeLineAddressTable();
inline constexpr std::array<Rgb, 256> InkTable = MakeColourTable(0);
inline constexpr std::array<Rgb, 256> PaperTable = MakeColourTable(3);

constexpr int AttributeOffset(int y, int x) {
  return kPixelBytes + (y / 8) * kBytesPerLine + x;
}

}  // namespace pelorin
