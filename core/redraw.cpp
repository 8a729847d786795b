// redraw.cpp: the loaded sprite laid out and painted.
#include "redraw.h"

#include <algorithm>

#include "screen/layout.h"
#include "screen/paint_screen.h"
#include "screen/placement.h"

namespace pelorin {

std::int64_t HeldSpriteBytes(const ConverterState& state) {
  return std::min<std::int64_t>(state.spriteLength,
                                static_cast<std::int64_t>(state.spriteData.size()));
}

std::int64_t PlacedSpriteBytes(const ConverterState& state) {
  const std::int32_t width = ClampStripWidth(state.stripWidth);
  const std::int64_t held = HeldSpriteBytes(state);
  const std::int64_t laid = Rearranges(state.layout) ? LaidLength(state.layout, width, held) : held;
  if (!state.oneScreen) return laid;
  // The bytes that one screen's whole strips hold land each at its line and byte column.
  return std::min(laid, ScreenStep(width));
}

void PlaceSprite(ConverterState& state) {
  const std::uint8_t* bytes = state.spriteData.data();
  if (state.layout.screen == ScreenLayout::kSpectrumScreen) {
    PlaceScreenImage(state.screen, bytes, HeldSpriteBytes(state));
  } else if (Rearranges(state.layout)) {
    PlaceLaidOut(state.screen, state.layout, bytes, HeldSpriteBytes(state),
                 PlacedSpriteBytes(state), state.stripWidth, state.fillAttribute);
  } else {
    PlaceStrips(state.screen, bytes, PlacedSpriteBytes(state), state.stripWidth,
                state.fillAttribute);
  }
}

void Redraw(ConverterState& state, CanvasPainter& painter) {
  if (state.spriteLength <= 0) return;
  PlaceSprite(state);
  PaintScreen(state.screen, painter);
}

}  // namespace pelorin
