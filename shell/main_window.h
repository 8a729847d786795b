// main_window.h: the one top-level window: its class, size and place, keyboard table, menu
// and window procedure.
#pragma once

#include <windows.h>

#include <cstdint>

#include "control_registry.h"
#include "event_queue.h"
#include "text.h"
#include "win32_handles.h"

namespace pelorin {

// Ids of the "File" menu's items, the sources of their Menu events.
enum MenuItem : std::int32_t {
  kOpenItem = 0,
  kFillItem = 1,
  kSaveItem = 2,
  kQuitItem = 3,
};

// Commands of the keyboard table: Tab and Shift+Tab move the focus between tab stops.
constexpr WORD kFocusNextCommand = 64001;
constexpr WORD kFocusPreviousCommand = 64002;

// The client area asked for, before the menu bar takes its rows from the top.
constexpr std::int32_t kClientWidth = 255;
constexpr std::int32_t kClientHeight = 240;

constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

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

// Attaches the menu bar with its "File" popup. False when the bar cannot be made; the
// window then has no menu.
bool BuildMainMenu(MainWindow& main);

void SetMainTitle(const MainWindow& main, const Text& title);

// Destroys the window with its menu and controls, then the keyboard table and the class.
void CloseMainWindow(MainWindow& main);

}  // namespace pelorin
