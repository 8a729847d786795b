// planted_images.h: Spectrum memory images made in code, each labelled with the graphics
// planted in it: the yardstick of the graphics finder.
#pragma once

#include <cstdint>
#include <vector>

#include "screen/layout.h"

namespace pelorin {

enum class PlantedKind {
  kRomFont,        // the ROM's own character set at $3D00
  kFont,           // a font of 8-pixel-wide characters, 8 to 16 rows each
  kTiles,          // 8 x 8 tiles or UDGs, a few to a few dozen
  kSprites,        // frames stored row after row, 1 to 16 bytes wide
  kMasked,         // the same with mask and graphic bytes alternating
  kColumns,        // frames stored column by column, each column top to bottom
  kMaskedColumns,  // the same with mask and graphic bytes alternating
  kPicture,        // a picture 12 to 31 bytes wide
  kScreen,         // a whole screen in display-file order, attributes after it
};

inline constexpr PlantedKind kPlantedKinds[] = {
    PlantedKind::kRomFont,       PlantedKind::kFont,    PlantedKind::kTiles,
    PlantedKind::kSprites,       PlantedKind::kMasked,  PlantedKind::kColumns,
    PlantedKind::kMaskedColumns, PlantedKind::kPicture, PlantedKind::kScreen};

const char* PlantedKindName(PlantedKind kind);

struct PlantedBlock {
  std::int64_t start;
  std::int64_t length;
  std::int32_t width;  // the stored row width: doubled when masked, 1 (2) for columns
  PlantedKind kind;
  MaskOrder masks;            // which byte of each pair comes first, when masked
  std::int32_t columnHeight;  // rows of each stored column, blank padding included; 0: by rows
  std::int32_t columns;       // 8-pixel columns of each sprite stored by columns; 0: by rows
};

// The layout under which the block shows its pictures whole: its masks and columns, or the
// Spectrum screen.
SpriteLayout LayoutOf(const PlantedBlock& block);

// The width the window shows the block at under that layout: a masked row's graphic bytes, a
// column-stored sprite's columns, otherwise the stored width.
std::int32_t ShownWidth(const PlantedBlock& block);

// A stretch of what lies around the graphics, and what it is: code, text, a table..
struct FillerSpan {
  std::int64_t start;
  std::int64_t length;
  const char* kind;
};

struct PlantedImage {
  std::vector<std::uint8_t> bytes;
  std::vector<PlantedBlock> blocks;  // in the order of their start
  std::vector<FillerSpan> fillers;   // in order, as laid
};

// What the images are made of besides what is drawn in code: the free Spectrum ROM (real Z80
// code, a message table and a font) and Debian's 8-pixel-wide console fonts. Read from the
// packages scripts/setup installs; `rom` is empty when the ROM is missing.
struct PlantingMaterial {
  std::vector<std::uint8_t> rom;
  std::vector<std::vector<std::uint8_t>> fonts;  // glyphs 32 to 127, one byte per row
  std::vector<std::int32_t> fontHeights;         // rows per glyph of each font
};

PlantingMaterial LoadPlantingMaterial();

// A 48K (65,536 bytes) or, for one seed in three, a 128K (147,456 bytes) memory image: the
// ROM at 0, the screen, then real code, texts, zero runs, number tables and compressed data
// around 3 to 8 planted graphics blocks. The same seed gives the same image everywhere.
PlantedImage MakePlantedImage(const PlantingMaterial& material, std::uint32_t seed);

}  // namespace pelorin
