// menus.cpp: the menu bar's tables and the running of an item.
#include "commands/menus.h"

#include "commands/export_commands.h"
#include "commands/file_commands.h"
#include "commands/graphics_list_commands.h"
#include "commands/graphics_commands.h"
#include "commands/help_commands.h"
#include "commands/layout_commands.h"
#include "commands/view_commands.h"

namespace pelorin {

namespace {

constexpr MenuRow kSeparator = {
    MenuRowKind::kSeparator, -1, nullptr, nullptr, 0, 0, false, nullptr};

// clang-format off
// The "File" menu shows no shortcuts: its keys are the keyboard table's only.
constexpr MenuRow kFileMenu[] = {
    {MenuRowKind::kCommand,    kOpenItem,             L"Open..",                        L"Ctrl+O",     'O',      kCtrl,      false, OpenChosenFile},
    {MenuRowKind::kCommand,    kFillItem,             L"Fill with color..",             nullptr,       0,        0,          false, FillWithColour},
    {MenuRowKind::kCommand,    kSaveItem,             L"Save",                          L"Ctrl+S",     'S',      kCtrl,      false, SaveShownScreen},
    {MenuRowKind::kCommand,    kExportItem,           L"Export..",                      L"Ctrl+E",     'E',      kCtrl,      false, ExportShownRegion},
    kSeparator,
    {MenuRowKind::kCommand,    kQuitItem,             L"Quit",                          nullptr,       0,        0,          false, QuitProgram},
};

constexpr MenuRow kEditMenu[] = {
    {MenuRowKind::kCommand,    kCopyPictureItem,      L"Copy picture",                  L"Ctrl+C",     'C',      kCtrl,      false, CopyPicture},
};

constexpr MenuRow kViewMenu[] = {
    {MenuRowKind::kCommand,    kGuessWidthItem,       L"Guess width",                   L"Ctrl+W",     'W',      kCtrl,      false, GuessWidth},
    {MenuRowKind::kCommand,    kWiderItem,            L"Wider",                         L"]",          VK_OEM_6, 0,          false, MakeWider},
    {MenuRowKind::kCommand,    kNarrowerItem,         L"Narrower",                      L"[",          VK_OEM_4, 0,          false, MakeNarrower},
    kSeparator,
    {MenuRowKind::kCommand,    kFindGraphicsItem,     L"Find graphics",                 L"Ctrl+F",     'F',      kCtrl,      false, FindFirstGraphics},
    {MenuRowKind::kCommand,    kNextGraphicsItem,     L"Next graphics",                 L"F3",         VK_F3,    0,          false, GoToNextGraphics},
    {MenuRowKind::kCommand,    kPreviousGraphicsItem, L"Previous graphics",             L"Shift+F3",   VK_F3,    kShift,     false, GoToPreviousGraphics},
    {MenuRowKind::kCommand,    kListGraphicsItem,     L"List of graphics..",            L"Ctrl+Shift+F", 'F',    kCtrlShift, false, ListGraphics},
    kSeparator,
    {MenuRowKind::kCommand,    kNextScreenItem,       L"Next screen",                   L"Ctrl+PgDn",  VK_NEXT,  kCtrl,      false, NextScreen},
    {MenuRowKind::kCommand,    kPreviousScreenItem,   L"Previous screen",               L"Ctrl+PgUp",  VK_PRIOR, kCtrl,      false, PreviousScreen},
    {MenuRowKind::kCommand,    kNextRowItem,          L"Next row",                      L"Ctrl+Down",  VK_DOWN,  kCtrl,      false, NextRow},
    {MenuRowKind::kCommand,    kPreviousRowItem,      L"Previous row",                  L"Ctrl+Up",    VK_UP,    kCtrl,      false, PreviousRow},
    {MenuRowKind::kCommand,    kNextByteItem,         L"Next byte",                     L"Ctrl+Right", VK_RIGHT, kCtrl,      false, NextByte},
    {MenuRowKind::kCommand,    kPreviousByteItem,     L"Previous byte",                 L"Ctrl+Left",  VK_LEFT,  kCtrl,      false, PreviousByte},
    {MenuRowKind::kCommand,    kStartOfFileItem,      L"Start of file",                 L"Ctrl+Home",  VK_HOME,  kCtrl,      false, StartOfFile},
    {MenuRowKind::kCommand,    kGoToOffsetItem,       L"Go to offset..",                L"Ctrl+G",     'G',      kCtrl,      false, GoToOffset},
    kSeparator,
    {MenuRowKind::kCheck,      kLocateItem,           L"Locate byte on click",          L"Ctrl+L",     'L',      kCtrl,      false, ToggleLocate},
    {MenuRowKind::kCheck,      kOneScreenItem,        L"One screen only",               L"Ctrl+K",     'K',      kCtrl,      false, ToggleOneScreen},
    {MenuRowKind::kCheck,      kMemoryItem,           L"Snapshots and tapes as memory", L"Ctrl+M",     'M',      kCtrl,      false, ToggleMemoryImages},
    kSeparator,
    {MenuRowKind::kRadio,      kZoom1Item,            L"Zoom 1x",                       L"Ctrl+1",     '1',      kCtrl,      true,  Zoom1x},
    {MenuRowKind::kRadio,      kZoom2Item,            L"Zoom 2x",                       L"Ctrl+2",     '2',      kCtrl,      false, Zoom2x},
    {MenuRowKind::kRadio,      kZoom3Item,            L"Zoom 3x",                       L"Ctrl+3",     '3',      kCtrl,      false, Zoom3x},
};

// The mask items follow MaskOrder's order, from kNotMaskedItem on.
constexpr MenuRow kLayoutMenu[] = {
    {MenuRowKind::kRadio,      kStripsItem,           L"Strips",                        L"Ctrl+Shift+S", 'S',    kCtrlShift, true,  ShowStrips},
    {MenuRowKind::kRadio,      kSpectrumScreenItem,   L"Spectrum screen",               L"Ctrl+Shift+D", 'D',    kCtrlShift, false, ShowSpectrumScreen},
    kSeparator,
    {MenuRowKind::kRadio,      kNotMaskedItem,        L"Not masked",                    L"Ctrl+Shift+0", '0',    kCtrlShift, true,  ShowNotMasked},
    {MenuRowKind::kRadio,      kMaskFirstItem,        L"Masked, mask first",            L"Ctrl+Shift+1", '1',    kCtrlShift, false, ShowMaskFirst},
    {MenuRowKind::kRadio,      kGraphicFirstItem,     L"Masked, graphic first",         L"Ctrl+Shift+2", '2',    kCtrlShift, false, ShowGraphicFirst},
    {MenuRowKind::kCheck,      kShowMasksItem,        L"Show masks",                    L"Ctrl+Shift+3", '3',    kCtrlShift, false, ToggleShowMasks},
    kSeparator,
    {MenuRowKind::kCheck,      kStoredByColumnsItem,  L"Stored by columns..",           L"Ctrl+Shift+C", 'C',    kCtrlShift, false, StoreByColumns},
};

constexpr MenuRow kHelpMenu[] = {
    {MenuRowKind::kCommand,    kKeyboardShortcutsItem, L"Keyboard shortcuts",           L"F1",         VK_F1,    0,          false, ShowKeyboardShortcuts},
    {MenuRowKind::kCommand,    kAboutItem,            L"About Pelorin",                 nullptr,       0,        0,          false, ShowAbout},
};

constexpr TableMenu kMenuBar[] = {
    {L"File", kFileMenu},
    {L"Edit", kEditMenu},
    {L"View", kViewMenu},
    {L"Layout", kLayoutMenu},
    {L"Help", kHelpMenu},
};
// clang-format on

}  // namespace

std::span<const TableMenu> MenuBar() {
  return kMenuBar;
}

void RunMenuItem(ShellState& shell, std::int32_t item) {
  for (const TableMenu& menu : kMenuBar)
    for (const MenuRow& row : menu.rows)
      if (row.item == item && row.run != nullptr) {
        row.run(shell);
        return;
      }
}

}  // namespace pelorin
