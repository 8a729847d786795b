// redraw.cpp: the loaded sprite laid out and painted.
#include "redraw.h"

#include <algorithm>

#include "screen/paint_screen.h"
#include "screen/placement.h"

namespace pelorin {

void PlaceSprite(ConverterState& state) {
  // Never read past what spriteData holds, whatever the length claims.
  const std::int64_t length = std::min<std::int64_t>(
      state.spriteLength, static_cast<std::int64_t>(state.spriteData.size()));
  PlaceStrips(state.screen, state.spriteData.data(), length, state.stripWidth, state.fillAttribute);
}

void Redraw(ConverterState& state, CanvasPainter& painter) {
  if (state.spriteLength <= 0) return;
  PlaceSprite(state);
  PaintScreen(state.screen, painter);
}

}  // namespace pelorin
