// canvas_view.h: the picture control: its off-screen picture, its window and its painter.
#pragma once

#include <windows.h>

#include <cstdint>

#include "screen/canvas_painter.h"
#include "window/control_registry.h"
#include "win32_handles.h"

namespace pelorin {

// Detail codes of the canvas's Control events. They tell one kind of input from another, so
// that the queue does not merge, say, a press into a move; the loop acts on presses and on
// the wheel.
enum CanvasInput : std::int32_t {
  kPointerEnter = 1,
  kPointerMove,
  kPointerLeave,
  kButtonDown,
  kButtonUp,
  kDoubleClick,
  kWheel,
  kKeyDown,
  kKeyUp,
  kCharacter,
  kFocusGained,
  kFocusLost,
  kHorizontalWheel,
};

// The record attached to a canvas window, which owns it.
struct CanvasView {
  HWND window = nullptr;
  std::int32_t number = 0;
  EventQueue* queue = nullptr;
  // 24-bit bottom-up device-independent bitmap, white when made.
  OwnedBitmap buffer;
  // Open from painter begin to end, with the buffer selected into it; the buffer cannot be
  // shown meanwhile, so a half-painted picture never reaches the screen.
  OwnedMemoryDC paintingDC;
  HGDIOBJ displacedBitmap = nullptr;  // what the painting's DC held before the buffer
  bool pointerInside = false;         // tells the first move (enter) from the others
  HCURSOR cursor = nullptr;
  std::int32_t zoom = 1;  // window pixels per picture pixel, across and down
};

// Makes the canvas window at the given place in the registry's parent, with its buffer,
// and registers it as control `number`. Null when the window or its buffer cannot be made.
HWND CreateCanvasView(ControlRegistry& controls, std::int32_t number, std::int32_t x,
                      std::int32_t y, std::int32_t width, std::int32_t height);

// The record of a canvas window; null for any other window, or none.
CanvasView* CanvasViewOf(HWND window);

// Shows the picture enlarged `zoom` times by repeating its pixels, the window sized to fit.
// The buffer and the painting stay at the picture's own size.
void SetCanvasZoom(HWND canvas, std::int32_t zoom);

// The canvas's zoom; 1 for a window that is no canvas.
std::int32_t CanvasZoom(HWND canvas);

// The painter of a canvas window. Begin fails (and the fills then write nothing) when the
// window is no canvas, so a missing canvas makes painting do nothing.
CanvasPainter CanvasViewPainter(HWND canvas);

}  // namespace pelorin
