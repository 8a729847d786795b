// graphics_finder_fuzz.cpp: the graphics finder over arbitrary bytes fed in pieces of
// arbitrary sizes: the regions are those it finds in the bytes all at once, in order, apart,
// inside the bytes, each with a width the strips have and whole rows of it under its layout.
// The fuzz build searches in scans of a few kilobytes, so that short inputs cross their edges.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "analysis/graphics_finder.h"
#include "screen/screen.h"
#include "fuzz_check.h"

// Input: one byte that sets the size of the pieces, then the bytes searched.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelorin;
  if (size < 1) return 0;
  const std::size_t piece = data[0] * 13 + 1;
  const std::uint8_t* bytes = data + 1;
  const auto length = static_cast<std::int64_t>(size - 1);
  const std::vector<GraphicsRegion> whole = FindGraphics(bytes, length);

  GraphicsFinder finder;
  std::vector<GraphicsRegion> fed;
  for (std::int64_t at = 0; at < length; at += static_cast<std::int64_t>(piece)) {
    finder.Feed(bytes + at, static_cast<std::size_t>(std::min<std::int64_t>(piece, length - at)));
    for (const GraphicsRegion& region : finder.TakeRegions()) fed.push_back(region);
  }
  finder.Finish();
  for (const GraphicsRegion& region : finder.TakeRegions()) fed.push_back(region);
  Check(fed == whole);

  std::int64_t end = 0;
  for (const GraphicsRegion& region : whole) {
    Check(region.start >= end && region.length > 0 && region.start + region.length <= length);
    Check(region.width >= kMinStripWidth && region.width <= kMaxStripWidth);
    const SpriteLayout& layout = region.layout;
    const std::int64_t row = region.width * StoredPerLaid(layout);
    const std::int64_t unit = layout.screen == ScreenLayout::kSpectrumScreen ? kScreenBytes
                              : HasColumns(layout) ? row * layout.columnHeight
                                                   : row;
    Check(region.length % unit == 0);
    end = region.start + region.length;
  }
  return 0;
}
