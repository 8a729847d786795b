// main_window.h: the one top-level window: its class, size and place, keyboard table, menu
// and window procedure.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "control_registry.h"
#include "event_queue.h"
#include "screen/screen.h"
#include "platform/text.h"
#include "win32_handles.h"

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
};

enum class MenuRowKind { kCommand, kCheck, kRadio, kSeparator };

// One entry of a menu built from a table. Its shortcut, the key with the modifiers, is shown
// after the text and taken by the main window's keyboard table to the same Menu event as
// the item.
struct MenuRow {
  MenuRowKind kind;
  std::int32_t item;  // -1 for a separator
  const wchar_t* text;
  const wchar_t* shortcut;
  WORD key;        // a virtual key; 0: none
  BYTE modifiers;  // FCONTROL, FSHIFT, FALT, as the keyboard table takes them
  bool checkedAtStart;
};

constexpr BYTE kCtrl = FCONTROL;
constexpr BYTE kShift = FSHIFT;

// clang-format off
inline constexpr MenuRow kViewMenu[] = {
    {MenuRowKind::kCommand,    kGuessWidthItem,     L"Guess width",                   L"Ctrl+W",    'W',      kCtrl, false},
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
// clang-format on

// The menus after "File", in the order of the menu bar, each built from its table.
struct TableMenu {
  const wchar_t* title;
  std::span<const MenuRow> rows;
};
inline constexpr TableMenu kTableMenus[] = {
    {L"View", kViewMenu},
};

// Commands of the keyboard table: Tab and Shift+Tab move the focus between tab stops.
constexpr WORD kFocusNextCommand = 64001;
constexpr WORD kFocusPreviousCommand = 64002;

// The client area asked for, before the menu bar takes its rows from the top.
constexpr std::int32_t kClientWidth = 255;
constexpr std::int32_t kClientHeight = 240;

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
// width, and the window is pulled back onto the primary screen where it would leave it.
void ZoomMainWindow(MainWindow& main, std::int32_t zoom);

// Destroys the window with its menu and controls, then the keyboard table and the class.
void CloseMainWindow(MainWindow& main);

}  // namespace pelorin
