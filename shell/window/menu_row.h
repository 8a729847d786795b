// menu_row.h: a menu as a table of rows, each row an item with its text, its shortcut and
// what it does. The window builds its menus and its keyboard table from the rows; choosing
// an item or pressing its shortcut runs the row's handler.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

namespace pelorin {

struct ShellState;

// What an item does, with everything the program keeps at hand.
using CommandHandler = void (*)(ShellState& shell);

enum class MenuRowKind { kCommand, kCheck, kRadio, kSeparator };

// One entry of a menu built from a table. Its shortcut, the key with the modifiers, is shown
// after the text (except in the "File" menu) and taken by the main window's keyboard table
// to the same Menu event as the item.
struct MenuRow {
  MenuRowKind kind;
  std::int32_t item;  // the Menu event's source; -1 for a separator
  const wchar_t* text;
  const wchar_t* shortcut;  // null: none
  WORD key;                 // a virtual key; 0: none
  BYTE modifiers;           // FCONTROL, FSHIFT, FALT, as the keyboard table takes them
  bool checkedAtStart;
  CommandHandler run;  // null for a separator
};

constexpr BYTE kCtrl = FCONTROL;
constexpr BYTE kCtrlShift = FCONTROL | FSHIFT;
constexpr BYTE kShift = FSHIFT;

// A menu's title and its rows.
struct TableMenu {
  const wchar_t* title;
  std::span<const MenuRow> rows;
};

}  // namespace pelorin
