// main_window.cpp: opening the main window, its menu and its window procedure.
#include "window/main_window.h"

#include <windowsx.h>

#include <algorithm>
#include <string>
#include <vector>

#include "window/canvas_view.h"

namespace pelorin {

namespace {

constexpr wchar_t kMainClassName[] = L"PelorinMainWindow";

MainWindow* MainWindowOf(HWND window) {
  return reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void QueueWindowEvent(const MainWindow& main, EventKind kind, std::int32_t source,
                      std::int32_t detail) {
  if (main.controls.queue != nullptr)
    QueueEvent(*main.controls.queue, kind, source, kMainWindowNumber, detail);
}

// Gives the focus to the next (or previous) visible, enabled child with a tab stop, in the
// children's order, going round; with none, the focus stays where it is.
void MoveFocus(HWND window, bool forward) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  if (children.empty()) return;
  const auto count = static_cast<std::ptrdiff_t>(children.size());
  const auto found = std::find(children.begin(), children.end(), GetFocus());
  std::ptrdiff_t at = found == children.end() ? (forward ? -1 : count) : found - children.begin();
  for (std::ptrdiff_t step = 0; step < count; ++step) {
    at = ((forward ? at + 1 : at - 1) % count + count) % count;
    const HWND child = children[static_cast<std::size_t>(at)];
    if ((GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) != 0 && IsWindowVisible(child) &&
        IsWindowEnabled(child)) {
      SetFocus(child);
      return;
    }
  }
}

bool IsShortcutItem(const MainWindow& main, std::int32_t command) {
  return std::any_of(main.menus.begin(), main.menus.end(), [command](const TableMenu& menu) {
    return std::any_of(menu.rows.begin(), menu.rows.end(), [command](const MenuRow& row) {
      return row.key != 0 && row.item == command;
    });
  });
}

LRESULT OnCommand(MainWindow& main, HWND window, WPARAM wParam, LPARAM lParam) {
  if (lParam == 0 && HIWORD(wParam) == 0) {
    QueueWindowEvent(main, EventKind::Menu, LOWORD(wParam), 0);
  } else if (lParam == 0 && HIWORD(wParam) == 1) {
    if (LOWORD(wParam) == kFocusNextCommand) MoveFocus(window, true);
    if (LOWORD(wParam) == kFocusPreviousCommand) MoveFocus(window, false);
    // A shortcut does what its item does.
    const std::int32_t item = LOWORD(wParam) - kShortcutCommandBase;
    if (IsShortcutItem(main, item)) QueueWindowEvent(main, EventKind::Menu, item, 0);
  }
  return 0;
}

void BuildTableMenu(HMENU bar, const TableMenu& menu) {
  OwnedMenu popup(CreateMenu());
  if (!popup ||
      !AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup.Get()), menu.title))
    return;
  const HMENU view = popup.Release();  // the bar owns it now
  for (const MenuRow& row : menu.rows) {
    if (row.kind == MenuRowKind::kSeparator) {
      AppendMenuW(view, MF_SEPARATOR, static_cast<UINT_PTR>(-1), nullptr);
      continue;
    }
    std::wstring text = row.text;
    if (row.shortcut != nullptr) text += std::wstring(L"\t") + row.shortcut;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_STATE;
    info.fType = row.kind == MenuRowKind::kRadio ? MFT_RADIOCHECK : MFT_STRING;
    info.fState = row.checkedAtStart ? MFS_CHECKED : MFS_UNCHECKED;
    info.wID = static_cast<UINT>(row.item);
    info.dwTypeData = text.data();
    InsertMenuItemW(view, static_cast<UINT>(GetMenuItemCount(view)), TRUE, &info);
  }
}

LRESULT OnScroll(MainWindow& main, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const std::int32_t number = ControlNumberOf(main.controls, reinterpret_cast<HWND>(lParam));
  const ScrollHandler handler =
      number >= 0 ? main.controls.entries[static_cast<std::size_t>(number)].onScroll : nullptr;
  if (handler == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return handler(main.controls, number, LOWORD(wParam));
}

// The wheel reaches the window with the focus, which the canvas never has: turned over the
// picture, it is the canvas's.
LRESULT OnWheel(MainWindow& main, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND canvas = ControlWindow(main.controls, kCanvasControl);
  const POINT pointer{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (canvas != nullptr && WindowFromPoint(pointer) == canvas)
    return SendMessageW(canvas, message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT OnActivate(MainWindow& main, HWND window, WPARAM wParam, LPARAM lParam) {
  QueueWindowEvent(main, EventKind::Activate, kMainWindowNumber, LOWORD(wParam));
  if (LOWORD(wParam) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    main.focusedControl = focus != nullptr && IsChild(window, focus) ? focus : nullptr;
  } else if (main.focusedControl != nullptr && IsChild(window, main.focusedControl)) {
    SetFocus(main.focusedControl);
    return 0;
  }
  return DefWindowProcW(window, WM_ACTIVATE, wParam, lParam);
}

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  MainWindow* main = MainWindowOf(window);
  if (main == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_CLOSE:  // the window stays: the loop ends and the end sequence destroys it
      QueueWindowEvent(*main, EventKind::Close, kMainWindowNumber, 0);
      return 0;
    case WM_COMMAND:
      return OnCommand(*main, window, wParam, lParam);
    case WM_HSCROLL:
    case WM_VSCROLL:
      return OnScroll(*main, window, message, wParam, lParam);
    case WM_ACTIVATE:
      return OnActivate(*main, window, wParam, lParam);
    case WM_MOVE:
      QueueWindowEvent(*main, EventKind::Move, kMainWindowNumber, 0);
      return 0;
    case WM_DISPLAYCHANGE:  // the work area around the window changed, as if it had moved
      QueueWindowEvent(*main, EventKind::Move, kMainWindowNumber, 0);
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) QueueWindowEvent(*main, EventKind::Move, kMainWindowNumber, 0);
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      return OnWheel(*main, window, message, wParam, lParam);
    case WM_SIZE:
      QueueWindowEvent(*main, EventKind::Resize, kMainWindowNumber,
                       static_cast<std::int32_t>(wParam));
      return 0;
    case WM_ERASEBKGND:
      QueueWindowEvent(*main, EventKind::EraseBackground, kMainWindowNumber, 0);
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONUP:
      QueueWindowEvent(*main, EventKind::MouseButton, kMainWindowNumber,
                       static_cast<std::int32_t>(message));
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// Places the window in the middle of the primary screen (its whole size, the taskbar
// included); on an axis where the window is larger than the screen, at 0.
void CentreOnScreen(HWND window) {
  RECT outer{};
  GetWindowRect(window, &outer);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int x = (screenWidth - std::min<int>(outer.right - outer.left, screenWidth)) / 2;
  const int y = (screenHeight - std::min<int>(outer.bottom - outer.top, screenHeight)) / 2;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// What the window's style adds around its client area; the menu bar takes its rows from the
// client area instead.
Extent WindowFrame() {
  RECT outer{0, 0, 0, 0};
  AdjustWindowRectEx(&outer, kMainWindowStyle, FALSE, 0);
  return {outer.right - outer.left, outer.bottom - outer.top};
}

// The work area (the screen less the taskbar) of the monitor that holds most of the window.
RECT WorkAreaOf(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return monitor.rcWork;
}

}  // namespace

bool OpenMainWindow(MainWindow& main, HINSTANCE instance, EventQueue& queue,
                    std::span<const TableMenu> menus) {
  main.controls.queue = &queue;
  main.menus = menus;
  WNDCLASSW windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = MainWindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainClassName;
  main.windowClass.Reset(RegisterClassW(&windowClass), instance);

  // The outer size for the client size asked for, computed without a menu: the menu bar
  // attached later takes its rows from the client area, not from the screen.
  RECT outer{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, kMainWindowStyle, FALSE, 0);
  main.window.Reset(CreateWindowExW(0, kMainClassName, L"Pelorin", kMainWindowStyle, 0, 0,
                                    outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                    nullptr, instance, &main));
  if (!main.window) {
    main.windowClass.Reset();
    return false;
  }
  const HWND window = main.window.Get();
  main.controls.parent = window;
  CentreOnScreen(window);
  ShowWindow(window, SW_SHOWNORMAL);

  std::vector<ACCEL> keys = {
      {FVIRTKEY | FNOINVERT, VK_TAB, kFocusNextCommand},
      {FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, kFocusPreviousCommand},
  };
  for (const TableMenu& menu : menus)
    for (const MenuRow& row : menu.rows)
      if (row.key != 0)
        keys.push_back({static_cast<BYTE>(FVIRTKEY | row.modifiers), row.key,
                        static_cast<WORD>(kShortcutCommandBase + row.item)});
  main.accelerators.Reset(CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size())));
  return true;
}

bool BuildMainMenu(MainWindow& main) {
  const HWND window = main.window.Get();
  if (main.menus.empty()) return false;
  const TableMenu& fileMenu = main.menus.front();
  OwnedMenu bar(CreateMenu());
  if (!bar) return false;
  OwnedMenu popup(CreateMenu());
  if (!popup || !AppendMenuW(bar.Get(), MF_POPUP | MF_STRING,
                             reinterpret_cast<UINT_PTR>(popup.Get()), fileMenu.title))
    return false;
  const HMENU file = popup.Release();  // the bar owns it now
  if (!SetMenu(window, bar.Get())) return false;
  const HMENU attached = bar.Release();  // and the window owns the bar
  // The window is given the bar again after each item, so that it shows the item at once.
  for (const MenuRow& row : fileMenu.rows) {
    if (row.kind == MenuRowKind::kSeparator) {
      AppendMenuW(file, MF_SEPARATOR, static_cast<UINT_PTR>(-1), nullptr);
      continue;
    }
    AppendMenuW(file, MF_STRING, static_cast<UINT_PTR>(row.item), row.text);
    SetMenu(window, attached);
  }
  for (const TableMenu& menu : main.menus.subspan(1)) BuildTableMenu(attached, menu);
  DrawMenuBar(window);
  return true;
}

void SetMainTitle(const MainWindow& main, const Text& title) {
  SetWindowTextW(main.window.Get(), WideText(title));
}

void ZoomMainWindow(MainWindow& main, std::int32_t zoom) {
  const HWND window = main.window.Get();
  if (window == nullptr || zoom < 1) return;
  // Computed without the menu, as at the start: at 1x this is the window's first size.
  const Extent client = ZoomedClientSize(zoom);
  const Extent frame = WindowFrame();
  const int width = client.width + frame.width;
  const int height = client.height + frame.height;
  RECT place{};
  GetWindowRect(window, &place);
  const RECT work = WorkAreaOf(window);
  const int x = std::max<int>(work.left, std::min<int>(place.left, work.right - width));
  const int y = std::max<int>(work.top, std::min<int>(place.top, work.bottom - height));
  SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  SetCanvasZoom(ControlWindow(main.controls, kCanvasControl), zoom);
  const HWND bar = ControlWindow(main.controls, kWidthScrollbarControl);
  if (bar != nullptr)
    SetWindowPos(bar, nullptr, 0, kScreenHeight * zoom + (kScrollbarTop - kScreenHeight),
                 kClientWidth * zoom, kScrollbarHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::int32_t MonitorFittingZoom(const MainWindow& main, std::int32_t zoom) {
  const RECT work = WorkAreaOf(main.window.Get());
  return FittingZoom(zoom, WindowFrame(), {work.right - work.left, work.bottom - work.top});
}

void CloseMainWindow(MainWindow& main) {
  main.window.Reset();
  main.controls.parent = nullptr;
  main.focusedControl = nullptr;
  main.accelerators.Reset();
  main.windowClass.Reset();
}

}  // namespace pelorin
