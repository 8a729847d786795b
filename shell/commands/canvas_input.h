// canvas_input.h: the wheel and clicks on the picture.
#pragma once

#include "events/event_queue.h"
#include "shell_state.h"

namespace pelorin {

// A Control event of the canvas. The wheel moves the view by rows, by screens with Shift.
// While "Locate byte on click" is on, a left button press on the picture names the file
// byte under the pointer in the title; with Shift, the view starts at that byte instead.
void RunCanvasInput(ShellState& shell, const ShellEvent& event);

// Gives the title back without a located byte, if it names one.
void ForgetLocatedByte(ShellState& shell);

}  // namespace pelorin
