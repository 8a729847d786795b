// dialog_support.h: what the three modal dialogs share: their owner, and the suspending of
// the thread's other windows while one is up.
#pragma once

#include <windows.h>

#include "platform/text.h"

namespace pelorin {

// The foreground window if it is one of this process's, else none.
HWND DialogOwner();

// Disables every visible, enabled top-level window of the calling thread except the
// foreground window (which becomes the dialog's owner) and lifts topmost windows to normal,
// remembering what it did in the SuspendedWindowList.
void SuspendWindows();
// Undoes the calling thread's suspensions, newest first.
void ResumeWindows();

// A message box with the caption and the text, one OK button, no icon, over the dialog
// owner. Returns when the user has closed it.
void ShowMessageBox(const Text& caption, const Text& text);

// The error message box: caption "Error". This is the shell's ReportError.
void ShowErrorMessage(const Text& text);

}  // namespace pelorin
