// drop_target_window.cpp: a test program whose window takes dropped files as the canvas does.
//
//   pelorin_drop_target_window RESULT
//
// Shows a window titled "Pelorin drop target" with a 256 x 192 child at its client area's
// top left that is made a drop target with EnableFileDrop, as the canvas is, and prints
// "canvas <x> <y>", the screen position of the child's top left. It runs an event loop over
// the event queue; the first Drop event is written to RESULT in UTF-8:
//   effect <n>
//   point <x> <y>
// and then the dropped file list, one path a line. It exits 0 after a drop and 3 when none
// came within a minute.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "events/event_queue.h"
#include "file_drop/file_drop.h"
#include "platform/text.h"

namespace {

using namespace pelorin;

EventQueue queue;

LRESULT CALLBACK CanvasProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) RevokeFileDrop(window);
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(const wchar_t* className, WNDPROC procedure, const wchar_t* title, DWORD style,
                int x, int y, int width, int height, HWND parent) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className;
  RegisterClassExW(&windowClass);
  return CreateWindowExW(0, className, title, style, x, y, width, height, parent, nullptr,
                         windowClass.hInstance, nullptr);
}

void WriteResult(const std::filesystem::path& path, const ShellEvent& event) {
  const auto& payload = std::get<DropPayload>(event.payload);
  std::ofstream out(path, std::ios::binary);
  out << "effect " << payload.effect << "\n"
      << "point " << payload.x << " " << payload.y << "\n"
      << TextToUtf8(DroppedFileList(&event)) << "\n";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 1;
  OleInitialize(nullptr);
  const HWND main = MakeWindow(L"PelorinDropTargetWindow", DefWindowProcW, L"Pelorin drop target",
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 260, nullptr);
  const HWND canvas = MakeWindow(L"PelorinDropTargetCanvas", CanvasProcedure, L"",
                                 WS_CHILD | WS_VISIBLE, 0, 0, 256, 192, main);
  if (main == nullptr || canvas == nullptr) return 1;
  EnableFileDrop(queue, canvas, 0, CF_HDROP, DROPEFFECT_COPY);
  SetTimer(main, 1, 60000, nullptr);
  // Where a drag must end: without a window manager Wine draws the caption and the frame
  // inside the X window, so its corner tells nothing about the client area.
  POINT origin{0, 0};
  ClientToScreen(canvas, &origin);
  std::printf("canvas %ld %ld\n", origin.x, origin.y);
  std::fflush(stdout);

  int code = 3;
  MSG message;
  while (code == 3 && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && message.hwnd == main) break;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    while (const auto kind = TakeEvent(queue)) {
      if (*kind != EventKind::Drop) continue;
      WriteResult(argv[1], *queue.current);
      code = 0;
      break;
    }
  }
  DestroyWindow(main);
  OleUninitialize();
  return code;
}
