// dialog_test_support.h: what the dialog tests share: an owner window, a second thread that
// finds a dialog the test's thread is showing and works it like a user, keys as they arrive,
// and temporary files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/text.h"

namespace pelorin::testing {

// Polls until the condition holds or the time is up; whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// A visible top-level window of the calling thread that counts its paintings.
class TestWindow {
 public:
  explicit TestWindow(const wchar_t* title = L"Test owner", DWORD extendedStyle = 0);
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  ~TestWindow();

  HWND handle() const { return window_; }
  long paintCount() const;

 private:
  HWND window_;
};

// Lets the window's messages be handled so that it is drawn and can become the foreground
// window, then makes it the foreground window; whether it is.
bool MakeForeground(HWND window);

// Handles the calling thread's waiting messages.
void PumpMessages();

// Runs `drive`, on a thread of its own, on the first visible top-level window of the
// constructing thread whose class is `className`, while that thread sits in a dialog's
// modal loop. If the window is still there some seconds after `drive` returned, it is
// cancelled so that the test ends. The window's messages are handled by the dialog's loop,
// so `drive` posts or sends messages to it as a user's input would arrive.
class DialogDriver {
 public:
  DialogDriver(const wchar_t* className, std::function<void(HWND dialog)> drive);
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;
  ~DialogDriver();

  // Waits for the thread; true when the dialog was found and closed by `drive`.
  bool Finish();

 private:
  std::thread thread_;
  bool found_ = false;
  bool closed_ = false;
};

// The first visible top-level window of the thread with the class, or null.
HWND FindThreadWindow(DWORD thread, const wchar_t* className);

// The edit field of the open-file dialog in which the user types the file name (it is made
// a little after the dialog itself), or null when none comes.
HWND OpenFileNameField(HWND dialog);
// Types the path into that field and presses Enter, as a user answers the dialog.
void TypePathAndPressEnter(HWND dialog, const Text& path);

// Keyboard input as the window's queue receives it: a key press and release, a key pressed
// with Alt held, and typed characters.
void PostKey(HWND window, UINT virtualKey);
void PostAltKey(HWND window, UINT virtualKey);
void PostText(HWND window, std::u16string_view text);
// Presses and releases each key on the keyboard: the input goes to the foreground window's
// focus, through the thread's queue, as a user's typing does.
void PressKeys(std::initializer_list<WORD> virtualKeys);

Text WindowText(HWND window);

// A folder of its own under the temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  // The full path of a new file holding the bytes, or of a new folder.
  Text WriteFile(std::u16string_view name, const std::vector<std::uint8_t>& bytes);
  Text MakeFolder(std::u16string_view name);
  Text path() const;

 private:
  std::filesystem::path path_;
};

// Whether nothing was painted on the buffer's bytes since they were made white.
bool AllWhite(const std::vector<std::uint8_t>& bytes);

}  // namespace pelorin::testing
