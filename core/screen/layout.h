// layout.h: how stored bytes become the picture. Masked sprites and sprites stored column by
// column are rearranged into plain rows before they are laid down in strips; a Spectrum
// screen is shown as it is.
#pragma once

#include <cstdint>

#include "screen/placement.h"
#include "screen/screen.h"

namespace pelorin {

enum class ScreenLayout : std::uint8_t { kStrips, kSpectrumScreen };

// The order of the bytes of each pair when mask and graphic bytes alternate.
enum class MaskOrder : std::uint8_t { kNotMasked, kMaskFirst, kGraphicFirst };

constexpr std::int32_t kMaxColumnHeight = kScreenHeight;

// The steps between the stored bytes and the strips, in the one order they compose: masks,
// then columns, then strips. The screen layout takes none of them, nor the width.
struct SpriteLayout {
  ScreenLayout screen = ScreenLayout::kStrips;
  MaskOrder masks = MaskOrder::kNotMasked;
  bool showMasks = false;         // with masks: the mask bytes are laid out, not the graphic
  std::int32_t columnHeight = 0;  // rows of each sprite stored column by column; 0: by rows

  bool operator==(const SpriteLayout&) const = default;
};

constexpr bool IsMasked(const SpriteLayout& layout) {
  return layout.masks != MaskOrder::kNotMasked;
}

constexpr bool HasColumns(const SpriteLayout& layout) {
  return layout.columnHeight > 0;
}

// Whether the strips are laid from other bytes than the stored ones in their order.
constexpr bool Rearranges(const SpriteLayout& layout) {
  return layout.screen == ScreenLayout::kStrips && (IsMasked(layout) || HasColumns(layout));
}

// Stored bytes per laid-out byte: a pair when masked.
constexpr std::int64_t StoredPerLaid(const SpriteLayout& layout) {
  return IsMasked(layout) ? 2 : 1;
}

// Which byte of each stored pair is laid out: 1 for the second.
constexpr std::int64_t PairPhase(const SpriteLayout& layout) {
  const bool maskFirst = layout.masks == MaskOrder::kMaskFirst;
  return IsMasked(layout) && maskFirst != layout.showMasks ? 1 : 0;
}

// How the laid-out rows are stored. They come in sprites of `height` rows (one row when
// stored by rows): row r of sprite s starts at first + s * spriteStride + r * rowStride, and
// its bytes lie `stride` apart. A sprite stored by columns keeps each of its rows across its
// columns, one column height apart; masks then take one byte of every pair.
struct StoredRows {
  std::int64_t height;
  std::int64_t first;
  std::int64_t spriteStride;
  std::int64_t rowStride;
  std::int64_t stride;
};

constexpr StoredRows StoredRowsOf(const SpriteLayout& layout, std::int32_t width) {
  const std::int64_t pair = StoredPerLaid(layout);
  const std::int64_t height = HasColumns(layout) ? layout.columnHeight : 1;
  return {height, PairPhase(layout), height * width * pair, pair, height * pair};
}

// Where the `width` bytes of laid-out row `row` are stored: byte c at start + c * stride.
struct StoredRow {
  std::int64_t start;
  std::int64_t stride;
};

constexpr StoredRow StoredRowOf(const SpriteLayout& layout, std::int32_t width, std::int64_t row) {
  const StoredRows rows = StoredRowsOf(layout, width);
  return {rows.first + row / rows.height * rows.spriteStride + row % rows.height * rows.rowStride,
          rows.stride};
}

// The stored position of laid-out byte `laid`.
constexpr std::int64_t StoredIndex(const SpriteLayout& layout, std::int32_t width,
                                   std::int64_t laid) {
  const StoredRow row = StoredRowOf(layout, width, laid / width);
  return row.start + laid % width * row.stride;
}

// How many bytes are laid out from `stored` stored bytes: one of each pair, rounded up to
// whole sprites when stored by columns. The missing end of a last sprite cut short is laid
// out as zeros: its stored positions lie at or past `stored`.
constexpr std::int64_t LaidLength(const SpriteLayout& layout, std::int32_t width,
                                  std::int64_t stored) {
  std::int64_t laid = IsMasked(layout) ? (stored + 1 - PairPhase(layout)) / 2 : stored;
  if (HasColumns(layout)) {
    const std::int64_t sprite = std::int64_t{width} * layout.columnHeight;
    laid = (laid + sprite - 1) / sprite * sprite;
  }
  return laid;
}

// Stored bytes behind one laid-out row; for the screen layout, one line of the screen.
constexpr std::int64_t RowStoredStep(const SpriteLayout& layout, std::int32_t width) {
  if (layout.screen == ScreenLayout::kSpectrumScreen) return kBytesPerLine;
  return width * StoredPerLaid(layout);
}

// Stored bytes behind what one screen shows: its whole strips, and when stored by columns
// only the whole sprites among them, so that the next screen starts at a sprite.
constexpr std::int64_t ScreenStoredStep(const SpriteLayout& layout, std::int32_t width) {
  if (layout.screen == ScreenLayout::kSpectrumScreen) return kScreenBytes;
  std::int64_t laid = ScreenStep(width);
  if (HasColumns(layout)) {
    const std::int64_t sprite = std::int64_t{width} * layout.columnHeight;
    laid = laid / sprite * sprite;
  }
  return laid * StoredPerLaid(layout);
}

// No stored byte past this many can reach the screen at any width: the laid-out bytes that
// can, a sprite further for the columns of the last one, each a pair when masked.
constexpr std::int64_t StoredReadBound(const SpriteLayout& layout) {
  if (!Rearranges(layout)) return SpriteReadBound;
  const std::int64_t lastSprite = HasColumns(layout) ? kMaxStripWidth * layout.columnHeight : 0;
  return (SpriteReadBound + lastSprite) * StoredPerLaid(layout);
}

// PlaceStrips for a layout that rearranges: clears the pixels, fills the attributes and
// lays down the first `laidCount` laid-out bytes of the `storedLength` stored ones, read
// where StoredRowOf says; those stored at or past the end are zeros.
void PlaceLaidOut(ScreenImage& screen, const SpriteLayout& layout, const std::uint8_t* stored,
                  std::int64_t storedLength, std::int64_t laidCount, std::int32_t width,
                  std::uint8_t fill);

// The bytes as a Spectrum screen: the first 6,912 of them, a shorter run padded with zeros.
void PlaceScreenImage(ScreenImage& screen, const std::uint8_t* bytes, std::int64_t length);

}  // namespace pelorin
