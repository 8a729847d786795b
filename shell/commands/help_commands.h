// help_commands.h: what the "Help" menu shows: the keyboard shortcuts and the About box.
#pragma once

#include <span>

#include "platform/text.h"
#include "shell_state.h"
#include "window/menu_row.h"

namespace pelorin {

// Each menu's title, then a line for each of its rows that has a shortcut, the item's text
// and the shortcut ("Guess width: Ctrl+W"; a message box cannot line up columns); a blank
// line between menus. The mouse's gestures over the picture follow.
Text ShortcutListText(std::span<const TableMenu> menus);

// The name and version with the one-line description, then the licence.
Text AboutText();

void ShowKeyboardShortcuts(ShellState& shell);
void ShowAbout(ShellState& shell);

}  // namespace pelorin
