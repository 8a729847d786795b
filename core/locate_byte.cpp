// locate_byte.cpp: from a pixel back to the stored byte that placement put there.
#include "locate_byte.h"

#include "redraw.h"
#include "screen/screen.h"

namespace pelorin {

std::optional<std::int64_t> LocateByte(const ConverterState& state, std::int32_t x,
                                       std::int32_t y) {
  if (x < 0 || x >= kScreenWidth || y < 0 || y >= kScreenHeight) return std::nullopt;
  const std::int32_t target = LineAddressTable[y] + x / 8;
  const std::int64_t held = HeldSpriteBytes(state);
  if (state.layout.screen == ScreenLayout::kSpectrumScreen) {
    if (target >= held) return std::nullopt;
    return state.viewOffset + target;
  }
  const std::int32_t width = ClampStripWidth(state.stripWidth);
  const std::int64_t length = PlacedSpriteBytes(state);
  // Laid-out byte k lands at line (k / width) mod 192, horizontal offset (k / width / 192) *
  // width + k mod width. Each line start at or before the target gives the one byte of its
  // line that lands there; bytes come in order, so the largest index present wrote last.
  std::optional<std::int64_t> last;
  for (int line = 0; line < kScreenHeight; ++line) {
    const std::int64_t along = target - LineAddressTable[line];
    if (along < 0) continue;
    const std::int64_t k = (along / width * kScreenHeight + line) * width + along % width;
    if (k < length && (!last || k > *last)) last = k;
  }
  if (!last) return std::nullopt;
  const std::int64_t stored =
      Rearranges(state.layout) ? StoredIndex(state.layout, width, *last) : *last;
  if (stored >= held) return std::nullopt;
  return state.viewOffset + stored;
}

}  // namespace pelorin
