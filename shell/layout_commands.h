// layout_commands.h: what the "Layout" menu's items and their shortcuts do.
#pragma once

#include <cstdint>

#include "program.h"

namespace pelorin {

// Runs the Layout item: sets the layout and its marks, and shows the file through it from
// the same offset. False for an item that is not one of them.
bool RunLayoutCommand(ShellState& shell, std::int32_t item);

// Sets the layout and the menu's marks; the caller shows the file through it.
void SetLayout(ShellState& shell, const SpriteLayout& layout);

}  // namespace pelorin
