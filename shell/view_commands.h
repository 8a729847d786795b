// view_commands.h: what the "View" menu's items and their shortcuts do, and a click on the
// picture while bytes are being located.
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

// A Control event of the canvas: while "Locate byte on click" is on, a left button press
// on the picture names the file byte under the pointer in the title.
void LocateClickedByte(ShellState& shell, const ShellEvent& event);

}  // namespace pelorin
