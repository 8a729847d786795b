// program.h: the program's run: start-up, one turn of the event loop, and the end.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "analysis/graphics_finder.h"
#include "screen/canvas_painter.h"
#include "converter_state.h"
#include "event_queue.h"
#include "main_window.h"

namespace pelorin {

// What the thread set up for the common controls, OLE and COM, to be undone at the end.
struct ThreadPlatform {
  bool ole = false;
  bool com = false;
};

// Everything the shell keeps for the life of the process.
struct ShellState {
  ThreadPlatform platform;
  std::unique_ptr<ConverterState> state;
  EventQueue queue;
  MainWindow main;
  CanvasPainter painter;    // the canvas's; paints nothing when there is no canvas
  ReportError reportError;  // the error box, unless another was handed in before the start
  bool quit = false;
  bool locateOnClick = false;      // "Locate byte on click": a left click names the byte
  bool byteInTitle = false;        // the title names a located byte, until the next command
  std::int32_t wheelTurn = 0;      // wheel movement short of a whole notch, kept for the next
  std::int32_t columnAnswer = 24;  // "Stored by columns.." offers the last answer, 24 at first
  // What "Find graphics" found in the loaded file, or its memory image; forgotten when
  // another file is loaded or the memory switch reads it the other way.
  bool graphicsSearched = false;
  std::vector<GraphicsRegion> graphics;
};

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
