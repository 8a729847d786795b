// progress_window.cpp: the progress window, its controls, and the messages dispatched
// between the pieces of a task.
#include "dialogs/progress_window.h"

#include <commctrl.h>

#include <algorithm>

#include "dialogs/dialog_support.h"

namespace pelorin {

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 110;
constexpr int kBarSteps = 1000;

LRESULT CALLBACK ProgressProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* progress = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (progress == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kProgressCancelId) progress->cancelled = true;
      return 0;
    case WM_CLOSE:  // the window stays until the task has stopped
      progress->cancelled = true;
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int x,
                 int y, int width, int height, int id) {
  const HWND child = CreateWindowExW(
      0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  return child;
}

// The window centred on the primary screen, over the foreground window of this process,
// which is disabled meanwhile as a dialog's owner is.
void OpenProgressWindow(ProgressWindow& progress) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ProgressProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kProgressWindowClass;
  RegisterClassW(&windowClass);  // still registered from an earlier task: fine

  SuspendWindows();
  progress.suspended = true;
  progress.owner = DialogOwner();
  if (progress.owner != nullptr && IsWindowEnabled(progress.owner)) {
    EnableWindow(progress.owner, FALSE);
    progress.ownerDisabledHere = true;
  }
  progress.window =
      CreateWindowExW(WS_EX_DLGMODALFRAME, kProgressWindowClass, WideText(progress.title),
                      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                      GetSystemMetrics(SM_CXSCREEN) / 2 - kWidth / 2,
                      GetSystemMetrics(SM_CYSCREEN) / 2 - kHeight / 2, kWidth, kHeight,
                      progress.owner, nullptr, instance, nullptr);
  if (progress.window == nullptr) return;
  SetWindowLongPtrW(progress.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&progress));
  progress.bar =
      CreateChild(progress.window, PROGRESS_CLASSW, L"", 0, 10, 12, 272, 18, kProgressBarId);
  SendMessageW(progress.bar, PBM_SETRANGE32, 0, kBarSteps);
  const HWND cancel =
      CreateChild(progress.window, L"BUTTON", L"Cancel", WS_TABSTOP | BS_DEFPUSHBUTTON, 110, 42, 80,
                  25, kProgressCancelId);
  SetFocus(cancel);
  SetForegroundWindow(progress.window);
}

// Every message waiting for the thread's windows; Escape and Enter in the window cancel.
void DispatchWaiting(ProgressWindow& progress) {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Asked to end: the task stops, and the loop further out gets the message after it.
      progress.quitting = true;
      progress.quitCode = static_cast<int>(message.wParam);
      progress.cancelled = true;
      return;
    }
    if (progress.window != nullptr && message.message == WM_KEYDOWN &&
        (message.wParam == VK_ESCAPE || message.wParam == VK_RETURN) &&
        (message.hwnd == progress.window || IsChild(progress.window, message.hwnd))) {
      progress.cancelled = true;
      continue;
    }
    if (progress.window == nullptr || !IsDialogMessageW(progress.window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

}  // namespace

ProgressWindow::~ProgressWindow() {
  CloseProgressWindow(*this);
}

bool ReportProgress(ProgressWindow& progress, std::int64_t done, std::int64_t total) {
  if (progress.window == nullptr && !progress.cancelled &&
      std::chrono::steady_clock::now() - progress.started >= kProgressDelay)
    OpenProgressWindow(progress);
  if (progress.bar != nullptr && total > 0)
    SendMessageW(progress.bar, PBM_SETPOS,
                 static_cast<WPARAM>(std::min<std::int64_t>(done, total) * kBarSteps / total), 0);
  DispatchWaiting(progress);
  return !progress.cancelled;
}

void CloseProgressWindow(ProgressWindow& progress) {
  if (progress.ownerDisabledHere) EnableWindow(progress.owner, TRUE);
  progress.ownerDisabledHere = false;
  // The owner is enabled before the window goes, so that activation returns to it.
  if (progress.window != nullptr) DestroyWindow(progress.window);
  progress.window = nullptr;
  progress.bar = nullptr;
  if (progress.suspended) {
    ResumeWindows();
    UnregisterClassW(kProgressWindowClass, GetModuleHandleW(nullptr));
  }
  progress.suspended = false;
  if (progress.quitting) PostQuitMessage(progress.quitCode);
  progress.quitting = false;
}

}  // namespace pelorin
