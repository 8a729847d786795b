// view_commands.h: what the "View" menu's width, step, switch and zoom items do.
#pragma once

#include <cstdint>

#include "commands/menus.h"
#include "shell_state.h"

namespace pelorin {

// Shows the file from `offset` on, and the title says where. When the file cannot be read
// there, the picture stays as it was, and so does the title, which still says what is shown.
void MoveView(ShellState& shell, std::int64_t offset);

// Sets a check item's switch and its mark together.
void SetCheck(ShellState& shell, MenuItem item, bool& on, bool value);

// The scrollbar's event: the width is its position, the title says so, and the picture is
// laid out again. Nothing without a scrollbar.
void ShowScrollbarWidth(ShellState& shell);

// Greys the zooms whose window would not fit the work area of the window's monitor, and
// steps the zoom down to the largest that fits.
void FitZoomToWorkArea(ShellState& shell);

// The items. Moving through a file needs one: with none, as "Save", nothing happens and
// nothing is said.
void GuessWidth(ShellState& shell);
void MakeWider(ShellState& shell);
void MakeNarrower(ShellState& shell);
void NextScreen(ShellState& shell);
void PreviousScreen(ShellState& shell);
void NextRow(ShellState& shell);
void PreviousRow(ShellState& shell);
void NextByte(ShellState& shell);
void PreviousByte(ShellState& shell);
void StartOfFile(ShellState& shell);
void GoToOffset(ShellState& shell);
void ToggleLocate(ShellState& shell);
void ToggleOneScreen(ShellState& shell);
void ToggleMemoryImages(ShellState& shell);
void Zoom1x(ShellState& shell);
void Zoom2x(ShellState& shell);
void Zoom3x(ShellState& shell);

}  // namespace pelorin
