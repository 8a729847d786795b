// export_commands.h: taking graphics out of the window: "Export.." to a file in a form the
// user chooses, "Copy picture" to the clipboard, and the regions chosen in the list.
#pragma once

#include <cstddef>
#include <vector>

#include "shell_state.h"

namespace pelorin {

// "Export..": the region shown (the region found while the view is still at it, else what
// one screen shows), as a PNG, its bytes or assembler source, to the file the user names
// in the loaded file's folder, offered as NAME-OFFSET-wW. Nothing when nothing is loaded or
// the dialog is cancelled; an empty region or a failed write is said.
void ExportShownRegion(ShellState& shell);

// "Copy picture": the region's picture on the clipboard as a bitmap, its transparent
// pixels as paper.
void CopyPicture(ShellState& shell);

// The list's Ctrl+E: the regions found at these indices, each at its width and in its
// layout as Next shows it, into the folder of the file the user names, in the type chosen,
// named as the converter names them.
void ExportFoundRegions(ShellState& shell, const std::vector<std::size_t>& indices);

}  // namespace pelorin
