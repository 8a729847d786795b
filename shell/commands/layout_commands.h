// layout_commands.h: what the "Layout" menu's items and their shortcuts do. Each sets the
// layout and its marks, and shows the file through it from the same offset.
#pragma once

#include "screen/layout.h"
#include "shell_state.h"

namespace pelorin {

// Sets the layout and the menu's marks; the caller shows the file through it.
void SetLayout(ShellState& shell, const SpriteLayout& layout);

void ShowStrips(ShellState& shell);
void ShowSpectrumScreen(ShellState& shell);
void ShowNotMasked(ShellState& shell);
void ShowMaskFirst(ShellState& shell);
void ShowGraphicFirst(ShellState& shell);
void ToggleShowMasks(ShellState& shell);
// Asks for the sprite height; an empty answer or a wrong character changes nothing.
void StoreByColumns(ShellState& shell);

}  // namespace pelorin
