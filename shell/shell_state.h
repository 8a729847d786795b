// shell_state.h: everything the program keeps for the life of the process, which every
// command is handed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/graphics_finder.h"
#include "converter_state.h"
#include "events/event_queue.h"
#include "screen/canvas_painter.h"
#include "window/graphics_list.h"
#include "window/main_window.h"

namespace pelorin {

// What the thread set up for the common controls, OLE and COM, to be undone at the end.
struct ThreadPlatform {
  bool ole = false;
  bool com = false;
};

struct ShellState {
  ThreadPlatform platform;
  std::unique_ptr<ConverterState> state;
  EventQueue queue;
  MainWindow main;
  CanvasPainter painter;        // the canvas's; paints nothing when there is no canvas
  ReportError reportError;      // the error box, unless another was handed in before the start
  ReportWarning reportWarning;  // the warning box, likewise
  bool quit = false;
  bool locateOnClick = false;      // "Locate byte on click": a left click names the byte
  bool byteInTitle = false;        // the title names a located byte, until the next command
  std::int32_t wheelTurn = 0;      // wheel movement short of a whole notch, kept for the next
  std::int32_t columnAnswer = 24;  // "Stored by columns.." offers the last answer, 24 at first
  // What "Find graphics" found in the loaded file, or its memory image; forgotten when
  // another file is loaded or the memory switch reads it the other way.
  bool graphicsSearched = false;
  std::vector<GraphicsRegion> graphics;
  // The region of `graphics` the last Find, Next or Previous (or the list) went to: what
  // Export and Copy take while the view still starts there.
  std::optional<std::size_t> landedGraphics;
  GraphicsListWindow graphicsList;  // "List of graphics..", made when first asked for
};

}  // namespace pelorin
