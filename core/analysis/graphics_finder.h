// graphics_finder.h: finding the stretches of a run of bytes that hold pictures, each with
// the strip width that shows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "screen/layout.h"

namespace pelorin {

// The finder's own judgment of what a region holds; how it is stored is its layout.
enum class GraphicsKind {
  kFont,     // 8-pixel-wide characters: blank rows and columns between the letters
  kTiles,    // 8 x 8 blocks of scenery or UDGs that fill their squares
  kSprites,  // frames 1 to 16 bytes wide
  kPicture,  // 17 bytes wide or more
  kScreen,   // a whole screen in display-file order, 6,912 bytes with its colours
};

// "font", "tiles", "sprites", "picture" or "screen".
const char* GraphicsKindName(GraphicsKind kind);

// A stretch of graphics and the layout that shows it, as the window's Layout menu sets it:
// masked (graphic and mask bytes alternating, in the order `layout.masks` says), stored by
// columns (sprites `layout.columnHeight` rows high, each 8-pixel column top to bottom), both,
// or a Spectrum screen (`layout.screen`). `start` and `length` count stored bytes, mask bytes
// included: the region starts on its first row and holds whole rows of its width (whole
// graphic-and-mask pairs when masked, whole sprites when stored by columns), 6,912 bytes for a
// screen. `width` is the strip width that shows it under that layout, the one the window
// sets: a row's graphic bytes when masked, a sprite's columns when stored by columns, the
// stored row width otherwise, 16 for a screen (which the screen layout does not use).
struct GraphicsRegion {
  std::int64_t start = 0;  // counted from the first byte searched, plus the finder's origin
  std::int64_t length = 0;
  std::int32_t width = 1;
  std::int32_t confidence = 0;  // 1 to 100: how far the evidence passed the threshold
  GraphicsKind kind = GraphicsKind::kSprites;
  SpriteLayout layout;  // showMasks is never set

  bool operator==(const GraphicsRegion&) const = default;
};

// A search over bytes handed in a piece at a time, as they are read: memory stays bounded
// however long the run is. The same bytes give the same regions however they are cut into
// pieces. Regions come out in order, never overlapping.
class GraphicsFinder {
 public:
  // Regions are reported with `origin` added to their start: the position of the first
  // byte searched in its file or image.
  explicit GraphicsFinder(std::int64_t origin = 0);

  // The next bytes of the run.
  void Feed(const std::uint8_t* bytes, std::size_t count);
  // No more bytes come: what is still open is judged as it stands.
  void Finish();
  // The regions settled since the last call, in order. Bytes fed later change none of them.
  std::vector<GraphicsRegion> TakeRegions();

 private:
  // Searches the bytes from the first not yet settled, `available` of them; returns how many
  // of them are settled and need not be seen again.
  std::int64_t Scan(const std::uint8_t* data, std::int64_t available, bool last);
  // Hands a region on, or, when `more` may follow it in the next scan, holds it back.
  void HandOn(GraphicsRegion region, bool more);

  std::int64_t origin_;
  std::int64_t scanned_ = 0;          // bytes settled: the run's position of what comes next
  std::vector<std::uint8_t> buffer_;  // bytes fed and not yet settled
  std::vector<GraphicsRegion> settled_;
  std::optional<GraphicsRegion> pending_;
  bool finished_ = false;
};

// Every region in the bytes, as the finder fed them all at once finds them.
std::vector<GraphicsRegion> FindGraphics(const std::uint8_t* bytes, std::int64_t length);

}  // namespace pelorin
