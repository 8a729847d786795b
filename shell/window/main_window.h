// main_window.h: the one top-level window: its class, size and place, keyboard table, menu
// and window procedure.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "window/control_registry.h"
#include "window/menu_row.h"
#include "events/event_queue.h"
#include "screen/screen.h"
#include "platform/text.h"
#include "win32_handles.h"
#include "window/window_zoom.h"

namespace pelorin {

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
  ControlRegistry controls;          // parent: the window; queue: where events go
  std::span<const TableMenu> menus;  // the menu bar's, "File" first; they give the keys too
  HWND focusedControl = nullptr;     // the child that had the focus when the window lost it
  OwnedWindow window;
  OwnedAccelerators accelerators;
};

// Registers the class, creates the window centred on the primary screen with the client
// size asked for, shows it and makes its keyboard table from the shortcuts of the menus'
// rows. Events go to `queue`. False, with nothing left registered, when the window cannot be
// created.
bool OpenMainWindow(MainWindow& main, HINSTANCE instance, EventQueue& queue,
                    std::span<const TableMenu> menus = {});

// Attaches the menu bar with the window's menus: the first, "File", item by item with the bar
// given to the window again after each and no shortcut shown; each other one built whole from
// its table. False when the bar cannot be made; the window then has no menu.
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
