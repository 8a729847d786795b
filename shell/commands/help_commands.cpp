// help_commands.cpp: the Help menu's message boxes.
#include "commands/help_commands.h"

#include "dialogs/dialog_support.h"

namespace pelorin {

namespace {

Text FromWide(const wchar_t* text) {
  return Text(reinterpret_cast<const char16_t*>(text));
}

}  // namespace

Text ShortcutListText(std::span<const TableMenu> menus) {
  Text list;
  for (const TableMenu& menu : menus) {
    list += FromWide(menu.title) + u"\n";
    for (const MenuRow& row : menu.rows)
      if (row.shortcut != nullptr)
        list += FromWide(row.text) + u": " + FromWide(row.shortcut) + u"\n";
    list += u"\n";
  }
  return list +
         u"Mouse over the picture\n"
         u"Three rows on or back: wheel\n"
         u"A screen on or back: Shift+wheel\n"
         u"Start here, while locating bytes: Shift+click";
}

Text AboutText() {
  return u"Pelorin " PELORIN_VERSION u": " PELORIN_DESCRIPTION u".\n\n"
         u"Licence: MIT, in LICENSE beside Pelorin.exe.\n"
         u"Copyright (c) 2026 the Pelorin authors.";
}

void ShowKeyboardShortcuts(ShellState& shell) {
  ShowMessageBox(u"Keyboard shortcuts", ShortcutListText(shell.main.menus));
}

void ShowAbout(ShellState&) {
  ShowMessageBox(u"About Pelorin", AboutText());
}

}  // namespace pelorin
