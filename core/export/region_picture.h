// region_picture.h: a region drawn as the picture draws it with "One screen only" on, cut to
// the strips it fills, in a few colours.
#pragma once

#include <cstdint>
#include <vector>

#include "export/export_region.h"
#include "screen/screen.h"

namespace pelorin {

// One palette index per pixel, rows top-down.
struct IndexedPicture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<Rgb> palette;
  std::int32_t transparent = -1;  // the index of the pixels that show nothing; -1: none
  std::vector<std::uint8_t> pixels;

  std::uint8_t At(std::int32_t x, std::int32_t y) const {
    return pixels[static_cast<std::size_t>(y) * width + x];
  }
};

// The palette of a region in strips: the paper, the ink, and for masked sprites the
// transparent entry, whose colour is the paper's.
constexpr std::uint8_t kPaperIndex = 0;
constexpr std::uint8_t kInkIndex = 1;
constexpr std::uint8_t kTransparentIndex = 2;

// The region's `bytes` (its stored bytes) as the picture shows them. In strips: each
// laid-out row a line of 8 pixels a byte, 192 rows a strip, further strips to the right;
// what no byte covers is paper, in `attribute`'s ink and paper. Masked (masks not shown): a
// graphic bit 1 is ink, a mask bit 1 over a graphic bit 0 transparent, the rest paper. The
// screen layout: the 256 x 192 screen in its own colours.
IndexedPicture RegionPicture(ExportBytesView bytes, const ExportRegion& region,
                             std::uint8_t attribute);

// The picture as 24-bit pixels, top-down rows of blue, green, red padded to 4 bytes (a
// device-independent bitmap's, top-down): transparent pixels in the paper's colour, for
// what cannot show transparency.
std::vector<std::uint8_t> OpaqueRows(const IndexedPicture& picture);

}  // namespace pelorin
