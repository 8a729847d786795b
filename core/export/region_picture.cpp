// region_picture.cpp: a region's stored bytes drawn in strips, or as a screen.
#include "export/region_picture.h"

#include <algorithm>

#include "screen/paint_screen.h"
#include "screen/pixel_buffer.h"

namespace pelorin {

namespace {

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

  // The mask of each graphic byte is the other byte of its pair.
  SpriteLayout maskLayout = layout;
  maskLayout.showMasks = true;
  for (std::int64_t k = 0; k < laid; ++k) {
    const std::int64_t at = StoredIndex(layout, width, k);
    if (at >= stored) continue;  // the missing end of a last sprite: paper
    const std::uint8_t graphic = bytes[static_cast<std::size_t>(at)];
    std::uint8_t mask = 0;
    if (transparency) {
      const std::int64_t maskAt = StoredIndex(maskLayout, width, k);
      if (maskAt < stored) mask = bytes[static_cast<std::size_t>(maskAt)];
    }
    const std::int64_t row = k / width;
    const std::int64_t x = (row / kScreenHeight * width + k % width) * 8;
    std::uint8_t* pixel =
        picture.pixels.data() + static_cast<std::size_t>(row % kScreenHeight) * picture.width + x;
    for (int bit = 0; bit < 8; ++bit) {
      const std::uint8_t b = 0x80 >> bit;
      pixel[bit] = (graphic & b) ? kInkIndex : (mask & b) ? kTransparentIndex : kPaperIndex;
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
