// graphics_list_commands.h: "List of graphics..": the regions of the last Find in a window
// beside the main one, from which a region is gone to or several are exported.
#pragma once

#include "shell_state.h"

namespace pelorin {

// Opens the list of the regions found, searching first as "Find graphics" does when there
// has been no search; the row of the region the view is at is chosen. Nothing when nothing
// is loaded.
void ListGraphics(ShellState& shell);

// Gives an open list the regions found now (none after they were forgotten).
void RefreshGraphicsList(ShellState& shell);

// The list's Control events: go to the focused row's region, or export the chosen rows.
void RunGraphicsListInput(ShellState& shell, const ShellEvent& event);

}  // namespace pelorin
