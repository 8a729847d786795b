// redraw.cpp: the loaded sprite laid out and painted.
#include "redraw.h"

#include <algorithm>

#include "screen/paint_screen.h"
#include "screen/placement.h"

namespace pelorin {

std::int64_t PlacedSpriteBytes(const ConverterState& state) {
  const std::int64_t held = std::min<std::int64_t>(
      state.spriteLength, static_cast<std::int64_t>(state.spriteData.size()));
  if (!state.oneScreen) return held;
  // The bytes that one screen's whole strips hold land each at its line and byte column.
  return std::min(held, ScreenStep(std::clamp(state.stripWidth, kMinStripWidth, kMaxStripWidth)));
}

void PlaceSprite(ConverterState& state) {
  PlaceStrips(state.screen, state.spriteData.data(), PlacedSpriteBytes(state), state.stripWidth,
              state.fillAttribute);
}

void Redraw(ConverterState& state, CanvasPainter& painter) {
  if (state.spriteLength <= 0) return;
  PlaceSprite(state);
  PaintScreen(state.screen, painter);
}

}  // namespace pelorin
