// dialog_support.cpp: dialog owner, window suspension and the message boxes.
#include "dialogs/dialog_support.h"

#include <list>

namespace pelorin {

namespace {

struct SuspendedWindow {
  HWND window;
  DWORD thread;
  bool wasTopmost;
  bool disabledHere;
};

// Newest first. Entries carry their thread: each thread resumes only what it suspended.
std::list<SuspendedWindow> suspendedWindowList;

BOOL CALLBACK SuspendOne(HWND window, LPARAM) {
  const DWORD thread = GetCurrentThreadId();
  if (GetWindowThreadProcessId(window, nullptr) != thread || !IsWindowVisible(window)) return TRUE;
  SuspendedWindow entry{window, thread, false, false};
  entry.wasTopmost = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  if (window != GetForegroundWindow() && IsWindowEnabled(window)) {
    entry.disabledHere = true;
    EnableWindow(window, FALSE);
  }
  suspendedWindowList.push_front(entry);
  return TRUE;
}

}  // namespace

HWND DialogOwner() {
  const HWND foreground = GetForegroundWindow();
  DWORD process = 0;
  if (foreground != nullptr) GetWindowThreadProcessId(foreground, &process);
  return foreground != nullptr && process == GetCurrentProcessId() ? foreground : nullptr;
}

void SuspendWindows() {
  EnumWindows(SuspendOne, 0);
  const DWORD thread = GetCurrentThreadId();
  for (const SuspendedWindow& entry : suspendedWindowList) {
    if (entry.thread == thread && entry.wasTopmost)
      SetWindowPos(entry.window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
}

void ResumeWindows() {
  const DWORD thread = GetCurrentThreadId();
  for (auto entry = suspendedWindowList.begin(); entry != suspendedWindowList.end();) {
    if (entry->thread != thread) {
      ++entry;
      continue;
    }
    if (entry->disabledHere) EnableWindow(entry->window, TRUE);
    if (entry->wasTopmost)
      SetWindowPos(entry->window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    entry = suspendedWindowList.erase(entry);
  }
}

void ShowMessageBox(const Text& caption, const Text& text) {
  SuspendWindows();
  MessageBoxW(DialogOwner(), WideText(text), WideText(caption), 0);
  ResumeWindows();
}

void ShowErrorMessage(const Text& text) {
  ShowMessageBox(u"Error", text);
}

}  // namespace pelorin
