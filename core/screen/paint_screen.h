// paint_screen.h: painting a Spectrum screen in its colours through a painter.
#pragma once

#include "screen/canvas_painter.h"
#include "screen/screen.h"

namespace pelorin {

// Paints all 256 x 192 pixels of the screen, each in its cell's ink or paper. A painter
// that cannot begin takes nothing.
void PaintScreen(const ScreenImage& screen, CanvasPainter& painter);

}  // namespace pelorin
