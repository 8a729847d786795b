// file_commands.h: what the "File" menu and a file drop do: ask the user or read the drop,
// then hand the answer to the core. A new file is always shown from its start.
#pragma once

#include "converter_state.h"
#include "events/event_queue.h"
#include "screen/canvas_painter.h"
#include "shell_state.h"

namespace pelorin {

// "Open..": the open-file dialog's answer becomes the source path, even when the user
// cancelled (the previous path is then gone); a chosen file is loaded and shown from its
// start.
void OpenSourceFile(ConverterState& state, CanvasPainter& painter, const ReportError& reportError);

// "Fill with color..": asks for the fill attribute, offering the present one, and applies
// the answer; a cancelled dialog changes nothing.
void EnterFillColour(ConverterState& state, CanvasPainter& painter, const ReportError& reportError);

// A Drop event, while it is the current event: the first dropped path becomes the source
// path and is loaded; the others are ignored.
void LoadDroppedFile(ConverterState& state, const ShellEvent* current, CanvasPainter& painter,
                     const ReportError& reportError);

// The menu's items and the drop as the program runs them: what was found in the last file
// is forgotten with it, and a title that named an offset into it goes back to the width.
void OpenChosenFile(ShellState& shell);
void FillWithColour(ShellState& shell);
void SaveShownScreen(ShellState& shell);  // nothing when nothing is loaded
void QuitProgram(ShellState& shell);
void OpenDroppedFile(ShellState& shell);

}  // namespace pelorin
