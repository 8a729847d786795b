// progress_window.h: the small window that shows how far a long task has come, with a
// Cancel button, run between the pieces of the task on the one thread.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>

#include "platform/text.h"

namespace pelorin {

// The window's class and the numbers of its bar and its "Cancel" button.
inline constexpr wchar_t kProgressWindowClass[] = L"PelorinProgressWindow";
constexpr int kProgressBarId = 10;
constexpr int kProgressCancelId = 2;  // IDCANCEL

// A task that takes longer than this shows the window.
constexpr std::chrono::milliseconds kProgressDelay{500};

// One task's progress. The window appears at the first report after kProgressDelay; while
// it is up, the thread's other windows take no input but go on repainting, as under a
// dialog. Lives at one address while the window exists: its procedure reaches it.
struct ProgressWindow {
  ProgressWindow() = default;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;
  ~ProgressWindow();

  Text title;
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
  HWND window = nullptr;
  HWND bar = nullptr;
  HWND owner = nullptr;
  bool ownerDisabledHere = false;
  bool suspended = false;  // the thread's other windows are suspended while it is up
  bool cancelled = false;  // Cancel, Escape or the close box; the task should stop
  bool quitting = false;   // a quit message came meanwhile: it is posted again at the end
  int quitCode = 0;
};

// Reports that `done` of `total` units are done: shows the window once the task has taken
// long enough, moves its bar, and dispatches the messages waiting for any of the thread's
// windows. False once the user has cancelled.
bool ReportProgress(ProgressWindow& progress, std::int64_t done, std::int64_t total);

// Closes the window, if it was shown, and gives its owner its input back. The destructor
// does the same.
void CloseProgressWindow(ProgressWindow& progress);

}  // namespace pelorin
