// program.h: the program's run: start-up, one turn of the event loop, and the end.
#pragma once

#include <windows.h>

#include <string_view>

#include "shell_state.h"

namespace pelorin {

// Start-up: the platform, the state, the main window with its canvas and scrollbar, the
// canvas made a target for dropped files and painted black, the menu, then the file named
// first on the command line, if any. False when the main window cannot be opened: the end
// sequence follows at once.
bool StartShell(ShellState& shell, HINSTANCE instance, std::u16string_view commandLine);

// One turn of the event loop: takes the next event and acts on it. False once the user
// has asked to end the program.
bool RunEventLoopTurn(ShellState& shell);

// Releases the state, the window with its menu and controls (the canvas's drop registration
// goes with it), the keyboard table, the class and the thread's platform set-up. The caller
// then ends the process with exit code 0.
void EndShell(ShellState& shell);

}  // namespace pelorin
