// canvas_painter.h: the painting record through which the core paints, and its fill.
//
// The painter is plain procedures over one record: the owner of the picture (the window's
// canvas, or a pixel buffer in memory) supplies begin and end, and every fill in between is
// the inline FillRectangle and FillPixelBytes below, a few stores the compiler can see through.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "screen/screen.h"

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

// The two colours of one screen byte's pixels, each as eight pixels are stored: blue, green,
// red, eight times over, in three 64-bit words (the first pixel in the lowest byte). Made
// once for each pair of colours, so that FillPixelBytes only chooses between them.
struct PixelColours {
  std::array<std::uint64_t, 3> paper{};
  std::array<std::uint64_t, 3> difference{};  // ink XOR paper
};

constexpr std::array<std::uint64_t, 3> EightPixels(Rgb colour) {
  const std::uint64_t s = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
  return {s | s << 24 | s << 48, s >> 16 | s << 8 | s << 32 | s << 56, s >> 8 | s << 16 | s << 40};
}

constexpr PixelColours MakePixelColours(Rgb ink, Rgb paper) {
  const std::array<std::uint64_t, 3> inks = EightPixels(ink);
  PixelColours colours;
  colours.paper = EightPixels(paper);
  for (int i = 0; i < 3; ++i) colours.difference[i] = inks[i] ^ colours.paper[i];
  return colours;
}

namespace painting_detail {

// For each screen byte, the stored bytes of its eight pixels that take the ink: all ones
// where the bit (from bit 7, the leftmost pixel, down) is set.
constexpr std::array<std::array<std::uint64_t, 3>, 256> MakeInkMasks() {
  std::array<std::array<std::uint64_t, 3>, 256> masks{};
  for (unsigned bits = 0; bits < 256; ++bits)
    for (unsigned byte = 0; byte < 24; ++byte)
      if (bits & (0x80u >> (byte / 3)))
        masks[bits][byte / 8] |= std::uint64_t{0xFF} << (byte % 8 * 8);
  return masks;
}

inline constexpr std::array<std::array<std::uint64_t, 3>, 256> kInkMasks = MakeInkMasks();

constexpr Rgb StoredColour(std::uint64_t word) {
  return static_cast<Rgb>((word >> 16 & 0xFF) | (word & 0xFF00) | (word & 0xFF) << 16);
}

}  // namespace painting_detail

// FillPixelBytes pixel by pixel: at the painting's edges, and on hosts that store the words'
// bytes the other way round. Out of line and given a copy of the painting, so that the fast
// path's stores cannot be taken to change the painting: it stays in registers.
void FillPixelBytesClipped(CanvasPainting painting, std::int32_t x, std::int32_t y,
                           const std::uint8_t* bits, const PixelColours* const* colours,
                           std::int32_t count);

// Paints `count` screen bytes side by side, from (x, y) to the right, eight pixels each: bit 7
// first, a set bit in the ink of the byte's colours (colours[i] for bits[i]), a clear one in
// their paper. The same pixels as one-pixel FillRectangle calls, but a run that lies inside
// the painting is clipped once and stored three words a byte, chosen by mask, not by branch.
inline void FillPixelBytes(CanvasPainting& painting, std::int32_t x, std::int32_t y,
                           const std::uint8_t* bits, const PixelColours* const* colours,
                           std::int32_t count) {
  if (painting.pixels == nullptr || count <= 0) return;
  const std::int64_t left = std::int64_t{x} + painting.originX;
  const std::int64_t top = std::int64_t{y} + painting.originY;
  if constexpr (std::endian::native == std::endian::little) {
    if (left >= 0 && left + 8 * std::int64_t{count} <= painting.width && top >= 0 &&
        top < painting.height) {
      const std::int64_t stored = painting.bottomUp ? painting.height - 1 - top : top;
      std::uint8_t* p = painting.pixels + stored * painting.stride + left * 3;
      for (std::int32_t i = 0; i < count; ++i, p += 24) {
        const std::array<std::uint64_t, 3>& mask = painting_detail::kInkMasks[bits[i]];
        const PixelColours& pair = *colours[i];
        for (int w = 0; w < 3; ++w) {
          const std::uint64_t word = pair.paper[w] ^ (pair.difference[w] & mask[w]);
          std::memcpy(p + 8 * w, &word, sizeof word);
        }
      }
      return;
    }
  }
  FillPixelBytesClipped(painting, x, y, bits, colours, count);
}

}  // namespace pelorin
