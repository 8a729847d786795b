// region_picture.cpp: a region's stored bytes drawn in strips, or as a screen.
#include "export/region_picture.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "screen/paint_screen.h"
#include "screen/pixel_buffer.h"

namespace pelorin {

namespace {

// Each bit of a byte as a byte of its own, 0 or 1, bit 7 first in memory.
constexpr std::array<std::uint64_t, 256> MakeSpread() {
  std::array<std::uint64_t, 256> spread{};
  for (unsigned value = 0; value < 256; ++value)
    for (unsigned bit = 0; bit < 8; ++bit)
      if (value & (0x80u >> bit))
        spread[value] |= std::endian::native == std::endian::little
                             ? std::uint64_t{1} << (8 * bit)
                             : std::uint64_t{1} << (56 - 8 * bit);
  return spread;
}
constexpr std::array<std::uint64_t, 256> kSpread = MakeSpread();

// The screen layout: placed and painted as the window paints it, then indexed by colour.
IndexedPicture ScreenPicture(ExportBytesView bytes) {
  ScreenImage screen{};
  PlaceScreenImage(screen, bytes.data(), static_cast<std::int64_t>(bytes.size()));
  PixelBuffer buffer;
  CanvasPainter painter = MemoryPainter(buffer);
  PaintScreen(screen, painter);
  IndexedPicture picture{kScreenWidth, kScreenHeight, {}, -1, {}};
  picture.pixels.resize(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
  for (std::int32_t y = 0; y < kScreenHeight; ++y)
    for (std::int32_t x = 0; x < kScreenWidth; ++x) {
      const Rgb colour = buffer.PixelAt(x, y);
      auto found = std::find(picture.palette.begin(), picture.palette.end(), colour);
      if (found == picture.palette.end())
        found = picture.palette.insert(picture.palette.end(), colour);
      picture.pixels[static_cast<std::size_t>(y) * kScreenWidth + x] =
          static_cast<std::uint8_t>(found - picture.palette.begin());
    }
  return picture;
}

}  // namespace

IndexedPicture RegionPicture(ExportBytesView bytes, const ExportRegion& region,
                             std::uint8_t attribute) {
  const SpriteLayout& layout = region.layout;
  if (layout.screen == ScreenLayout::kSpectrumScreen) return ScreenPicture(bytes);

  const std::int32_t width = ClampStripWidth(region.width);
  const auto stored = static_cast<std::int64_t>(bytes.size());
  const std::int64_t laid = Rearranges(layout) ? LaidLength(layout, width, stored) : stored;
  const std::int64_t rows = (laid + width - 1) / width;
  const std::int64_t strips = (rows + kScreenHeight - 1) / kScreenHeight;

  IndexedPicture picture;
  picture.width = static_cast<std::int32_t>(strips * width * 8);
  picture.height = static_cast<std::int32_t>(std::min<std::int64_t>(rows, kScreenHeight));
  picture.palette = {PaperTable[attribute], InkTable[attribute]};
  const bool transparency = IsMasked(layout) && !layout.showMasks;
  if (transparency) {
    picture.palette.push_back(PaperTable[attribute]);
    picture.transparent = kTransparentIndex;
  }
  picture.pixels.assign(static_cast<std::size_t>(picture.width) * picture.height, kPaperIndex);

  // Row by row, each where StoredRowOf says; the mask of each graphic byte is the other
  // byte of its pair.
  SpriteLayout maskLayout = layout;
  maskLayout.showMasks = true;
  for (std::int64_t row = 0; row < rows; ++row) {
    const StoredRow graphics = StoredRowOf(layout, width, row);
    const StoredRow masks = StoredRowOf(maskLayout, width, row);
    std::uint8_t* pixel = picture.pixels.data() +
                          static_cast<std::size_t>(row % kScreenHeight) * picture.width +
                          row / kScreenHeight * width * 8;
    const std::int64_t count = std::min<std::int64_t>(width, laid - row * width);
    for (std::int64_t column = 0; column < count; ++column, pixel += 8) {
      const std::int64_t at = graphics.start + column * graphics.stride;
      if (at >= stored) continue;  // the missing end of a last sprite: paper
      const unsigned graphic = bytes[static_cast<std::size_t>(at)];
      const std::int64_t maskAt = masks.start + column * masks.stride;
      const unsigned mask =
          transparency && maskAt < stored ? bytes[static_cast<std::size_t>(maskAt)] : 0;
      // Ink where the graphic is set, else transparent where the mask is: the indices add.
      const std::uint64_t indices =
          kSpread[graphic] * kInkIndex + kSpread[mask & ~graphic & 0xFF] * kTransparentIndex;
      std::memcpy(pixel, &indices, 8);
    }
  }
  return picture;
}

std::vector<std::uint8_t> OpaqueRows(const IndexedPicture& picture) {
  const std::size_t stride = (static_cast<std::size_t>(picture.width) * 3 + 3) / 4 * 4;
  std::vector<std::uint8_t> rows(stride * picture.height, 0);
  for (std::int32_t y = 0; y < picture.height; ++y)
    for (std::int32_t x = 0; x < picture.width; ++x) {
      const std::uint8_t index = picture.At(x, y);
      const Rgb colour =
          index == picture.transparent ? picture.palette[kPaperIndex] : picture.palette[index];
      std::uint8_t* p = rows.data() + y * stride + static_cast<std::size_t>(x) * 3;
      p[0] = static_cast<std::uint8_t>(colour >> 16);
      p[1] = static_cast<std::uint8_t>(colour >> 8);
      p[2] = static_cast<std::uint8_t>(colour);
    }
  return rows;
}

}  // namespace pelorin
