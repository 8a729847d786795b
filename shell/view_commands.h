// view_commands.h: what the "View" menu's items and their shortcuts do, and the wheel and
// clicks on the picture.
#pragma once

#include <cstdint>

#include "event_queue.h"
#include "program.h"

namespace pelorin {

// Forgets what "Find graphics" found: another file is loaded, or the same one read the other
// way.
void ForgetGraphics(ShellState& shell);

// Runs the View item; false for an item that is not one of them.
bool RunViewCommand(ShellState& shell, std::int32_t item);

// A Control event of the canvas. The wheel moves the view by rows, by screens with Shift.
// While "Locate byte on click" is on, a left button press on the picture names the file
// byte under the pointer in the title; with Shift, the view starts at that byte instead.
void RunCanvasInput(ShellState& shell, const ShellEvent& event);

// Gives the title back without a located byte, if it names one.
void ForgetLocatedByte(ShellState& shell);

// Greys the zooms whose window would not fit the work area of the window's monitor, and
// steps the zoom down to the largest that fits.
void FitZoomToWorkArea(ShellState& shell);

}  // namespace pelorin
