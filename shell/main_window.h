// main_window.h: the one top-level window: its class, size and place, keyboard table, menu
// and window procedure.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

#include "control_registry.h"
#include "event_queue.h"
#include "screen/screen.h"
#include "platform/text.h"
#include "win32_handles.h"
#include "window_zoom.h"

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

enum class MenuRowKind { kCommand, kCheck, kRadio, kSeparator };

// One entry of a menu built from a table. Its shortcut, the key with the modifiers, is shown
// after the text and taken by the main window's keyboard table to the same Menu event as
// the item.
struct MenuRow {
  MenuRowKind kind;
  std::int32_t item;  // -1 for a separator
  const wchar_t* text;
  const wchar_t* shortcut;  // null: none
  WORD key;                 // a virtual key; 0: none
  BYTE modifiers;           // FCONTROL, FSHIFT, FALT, as the keyboard table takes them
  bool checkedAtStart;
};

constexpr BYTE kCtrl = FCONTROL;
constexpr BYTE kCtrlShift = FCONTROL | FSHIFT;
constexpr BYTE kShift = FSHIFT;

// clang-format off
inline constexpr MenuRow kViewMenu[] = {
    {MenuRowKind::kCommand,    kGuessWidthItem,     L"Guess width",                   L"Ctrl+W",    'W',      kCtrl, false},
    {MenuRowKind::kCommand,    kWiderItem,          L"Wider",                         L"]",         VK_OEM_6, 0,     false},
    {MenuRowKind::kCommand,    kNarrowerItem,       L"Narrower",                      L"[",         VK_OEM_4, 0,     false},
    {MenuRowKind::kSeparator, -1,                  nullptr,                          nullptr,      0,        0,     false},
    {MenuRowKind::kCommand,    kFindGraphicsItem,   L"Find graphics",                 L"Ctrl+F",    'F',      kCtrl, false},
    {MenuRowKind::kCommand,    kNextGraphicsItem,   L"Next graphics",                 L"F3",        VK_F3,    0,     false},
    {MenuRowKind::kCommand,    kPreviousGraphicsItem, L"Previous graphics",           L"Shift+F3",  VK_F3,    kShift, false},
    {MenuRowKind::kSeparator, -1,                  nullptr,                          nullptr,      0,        0,     false},
    {MenuRowKind::kCommand,    kNextScreenItem,     L"Next screen",                   L"Ctrl+PgDn", VK_NEXT,  kCtrl, false},
    {MenuRowKind::kCommand,    kPreviousScreenItem, L"Previous screen",               L"Ctrl+PgUp", VK_PRIOR, kCtrl, false},
    {MenuRowKind::kCommand,    kNextRowItem,        L"Next row",                      L"Ctrl+Down", VK_DOWN,  kCtrl, false},
    {MenuRowKind::kCommand,    kPreviousRowItem,    L"Previous row",                  L"Ctrl+Up",   VK_UP,    kCtrl, false},
    {MenuRowKind::kCommand,    kNextByteItem,       L"Next byte",                     L"Ctrl+Right", VK_RIGHT, kCtrl, false},
    {MenuRowKind::kCommand,    kPreviousByteItem,   L"Previous byte",                 L"Ctrl+Left", VK_LEFT,  kCtrl, false},
    {MenuRowKind::kCommand,    kStartOfFileItem,    L"Start of file",                 L"Ctrl+Home", VK_HOME,  kCtrl, false},
    {MenuRowKind::kCommand,    kGoToOffsetItem,     L"Go to offset..",                L"Ctrl+G",    'G',      kCtrl, false},
    {MenuRowKind::kSeparator, -1,                  nullptr,                          nullptr,      0,        0,     false},
    {MenuRowKind::kCheck,      kLocateItem,         L"Locate byte on click",          L"Ctrl+L",    'L',      kCtrl, false},
    {MenuRowKind::kCheck,      kOneScreenItem,      L"One screen only",               L"Ctrl+K",    'K',      kCtrl, false},
    {MenuRowKind::kCheck,      kMemoryItem,         L"Snapshots and tapes as memory", L"Ctrl+M",    'M',      kCtrl, false},
    {MenuRowKind::kSeparator, -1,                  nullptr,                          nullptr,      0,        0,     false},
    {MenuRowKind::kRadio,      kZoom1Item,          L"Zoom 1x",                       L"Ctrl+1",    '1',      kCtrl, true},
    {MenuRowKind::kRadio,      kZoom2Item,          L"Zoom 2x",                       L"Ctrl+2",    '2',      kCtrl, false},
    {MenuRowKind::kRadio,      kZoom3Item,          L"Zoom 3x",                       L"Ctrl+3",    '3',      kCtrl, false},
};

inline constexpr MenuRow kHelpMenu[] = {
    {MenuRowKind::kCommand,    kKeyboardShortcutsItem, L"Keyboard shortcuts",         L"F1",        VK_F1,    0,     false},
    {MenuRowKind::kCommand,    kAboutItem,          L"About Pelorin",                 nullptr,      0,        0,     false},
};

// The "File" menu is built by hand and shows no shortcuts: these keys are accelerators only.
inline constexpr MenuRow kFileShortcuts[] = {
    {MenuRowKind::kCommand,    kOpenItem,           L"Open..",                        L"Ctrl+O",    'O',      kCtrl, false},
    {MenuRowKind::kCommand,    kSaveItem,           L"Save",                          L"Ctrl+S",    'S',      kCtrl, false},
};

// The mask items follow MaskOrder's order, from kNotMaskedItem on.
inline constexpr MenuRow kLayoutMenu[] = {
    {MenuRowKind::kRadio,      kStripsItem,          L"Strips",                 L"Ctrl+Shift+S", 'S', kCtrlShift, true},
    {MenuRowKind::kRadio,      kSpectrumScreenItem,  L"Spectrum screen",        L"Ctrl+Shift+D", 'D', kCtrlShift, false},
    {MenuRowKind::kSeparator, -1,                   nullptr,                   nullptr,         0,   0,          false},
    {MenuRowKind::kRadio,      kNotMaskedItem,       L"Not masked",             L"Ctrl+Shift+0", '0', kCtrlShift, true},
    {MenuRowKind::kRadio,      kMaskFirstItem,       L"Masked, mask first",     L"Ctrl+Shift+1", '1', kCtrlShift, false},
    {MenuRowKind::kRadio,      kGraphicFirstItem,    L"Masked, graphic first",  L"Ctrl+Shift+2", '2', kCtrlShift, false},
    {MenuRowKind::kCheck,      kShowMasksItem,       L"Show masks",             L"Ctrl+Shift+3", '3', kCtrlShift, false},
    {MenuRowKind::kSeparator, -1,                   nullptr,                   nullptr,         0,   0,          false},
    {MenuRowKind::kCheck,      kStoredByColumnsItem, L"Stored by columns..",    L"Ctrl+Shift+C", 'C', kCtrlShift, false},
};
// clang-format on

// A menu's title and its rows.
struct TableMenu {
  const wchar_t* title;
  std::span<const MenuRow> rows;
};
// The menus after "File", in the order of the menu bar, each built from its table.
inline constexpr TableMenu kTableMenus[] = {
    {L"View", kViewMenu},
    {L"Layout", kLayoutMenu},
    {L"Help", kHelpMenu},
};

// The menus whose rows give the keyboard table its keys and the Help box its lines: the
// File menu's shortcuts, then the table menus.
std::vector<TableMenu> ShortcutMenus();

// Commands of the keyboard table: Tab and Shift+Tab move the focus between tab stops.
constexpr WORD kFocusNextCommand = 64001;
constexpr WORD kFocusPreviousCommand = 64002;
// A shortcut's command is its item's id from here on: the platform would take a command 0
// ("Open..") for the window menu's separators, which have id 0.
constexpr WORD kShortcutCommandBase = 0x8000;

constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The scrollbar under the picture, at 1x; it moves down and stretches with the zoom.
constexpr std::int32_t kScrollbarTop = kScreenHeight + 2;
constexpr std::int32_t kScrollbarHeight = 20;

// Lives at one address while its window exists: the window procedure reaches it through
// the window's user data. Members are released in reverse order: the window before the
// registry that its controls give their numbers back to, the class last.
struct MainWindow {
  MainWindow() = default;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  RegisteredClass windowClass;
  ControlRegistry controls;       // parent: the window; queue: where events go
  HWND focusedControl = nullptr;  // the child that had the focus when the window lost it
  OwnedWindow window;
  OwnedAccelerators accelerators;
};

// Registers the class, creates the window centred on the primary screen with the client
// size asked for, shows it and makes its keyboard table. Events go to `queue`. False, with
// nothing left registered, when the window cannot be created.
bool OpenMainWindow(MainWindow& main, HINSTANCE instance, EventQueue& queue);

// Attaches the menu bar with its "File" popup and the table menus after it. False when the bar
// cannot be made; the window then has no menu.
bool BuildMainMenu(MainWindow& main);

void SetMainTitle(const MainWindow& main, const Text& title);

// Shows the picture `zoom` times enlarged: the client area grows by the picture's growth
// (the same 255 of its 256 columns stay visible), the scrollbar moves under it at the new
// width, and the window is pulled back into the work area of its monitor where it would
// leave it.
void ZoomMainWindow(MainWindow& main, std::int32_t zoom);

// The largest zoom up to `zoom` whose window fits the work area of the window's monitor.
std::int32_t MonitorFittingZoom(const MainWindow& main, std::int32_t zoom);

// Destroys the window with its menu and controls, then the keyboard table and the class.
void CloseMainWindow(MainWindow& main);

}  // namespace pelorin
