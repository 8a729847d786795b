// graphics_commands.h: finding graphics in the loaded file and going from one found to the
// next, from the "View" menu.
#pragma once

#include "shell_state.h"

namespace pelorin {

// Forgets what "Find graphics" found: another file is loaded, or the same one read the other
// way.
void ForgetGraphics(ShellState& shell);

// "Find graphics" searches and shows the first region at or after the offset; "Next" and
// "Previous graphics" show the first region that starts after it, or the last that starts
// before it, going round at the ends. Before any search they search as "Find graphics"
// does. With nothing found, the title says so and nothing moves; with nothing loaded,
// nothing happens.
void FindFirstGraphics(ShellState& shell);
void GoToNextGraphics(ShellState& shell);
void GoToPreviousGraphics(ShellState& shell);

// Shows region `index` of what was found, as Next and Previous show it: at its width, one
// screen only, the title saying which it is. Nothing for an index past the last.
void GoToGraphics(ShellState& shell, std::size_t index);

// Searches the loaded file as "Find graphics" does, without going anywhere. False when it
// can no longer be read (said).
bool SearchLoadedFile(ShellState& shell);

}  // namespace pelorin
