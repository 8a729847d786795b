// redraw.h: laying the sprite bytes out on the screen and painting the screen.
#pragma once

#include "converter_state.h"
#include "screen/canvas_painter.h"

namespace pelorin {

// Rebuilds the screen from the sprite bytes at the current strip width and fill attribute,
// then paints all 256 x 192 pixels. With nothing loaded (sprite length 0) it does nothing at
// all: the screen and the canvas keep the previous picture.
void Redraw(ConverterState& state, CanvasPainter& painter);

// How many sprite bytes are held: the length in use, never more than spriteData holds,
// whatever the length claims.
std::int64_t HeldSpriteBytes(const ConverterState& state);

// How many leading bytes placement lays down in strips: those held, or as many as the
// layout makes of them (masks halve them, columns round them up to whole sprites), and with
// oneScreen only the first screen's strips.
std::int64_t PlacedSpriteBytes(const ConverterState& state);

// The first half of Redraw: clears the pixels, fills every attribute cell and lays the
// sprite down in strips through the layout's steps, or copies the screen layout's bytes.
// The second half is PaintScreen (screen/paint_screen.h).
void PlaceSprite(ConverterState& state);

}  // namespace pelorin
