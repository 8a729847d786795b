// menus.h: the menu bar as tables, one row an item: its id, text, shortcut and handler. A
// new command is a row here and the function it runs.
#pragma once

#include <cstdint>
#include <span>

#include "window/menu_row.h"

namespace pelorin {

// Ids of the menu items, the sources of their Menu events.
enum MenuItem : std::int32_t {
  kOpenItem = 0,
  kFillItem = 1,
  kSaveItem = 2,
  kQuitItem = 3,
  kGuessWidthItem = 4,
  kNextScreenItem = 5,
  kPreviousScreenItem = 6,
  kNextRowItem = 7,
  kPreviousRowItem = 8,
  kNextByteItem = 9,
  kPreviousByteItem = 10,
  kStartOfFileItem = 11,
  kGoToOffsetItem = 12,
  kLocateItem = 13,
  kMemoryItem = 14,
  kZoom1Item = 15,
  kZoom2Item = 16,
  kZoom3Item = 17,
  kOneScreenItem = 18,
  kFindGraphicsItem = 19,
  kNextGraphicsItem = 20,
  kPreviousGraphicsItem = 21,
  kWiderItem = 22,
  kNarrowerItem = 23,
  kExportItem = 24,
  kCopyPictureItem = 25,
  kListGraphicsItem = 26,
  kStripsItem = 30,
  kSpectrumScreenItem = 31,
  kNotMaskedItem = 32,
  kMaskFirstItem = 33,
  kGraphicFirstItem = 34,
  kShowMasksItem = 35,
  kStoredByColumnsItem = 36,
  kKeyboardShortcutsItem = 40,
  kAboutItem = 41,
};

// The menus in the order of the menu bar: "File", "Edit", "View", "Layout", "Help".
std::span<const TableMenu> MenuBar();

// Runs the handler of the item's row; an id that names no row does nothing.
void RunMenuItem(ShellState& shell, std::int32_t item);

}  // namespace pelorin
