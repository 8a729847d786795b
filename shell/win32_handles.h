// win32_handles.h: owners for the shell's platform handles, one release point each.
#pragma once

#include <windows.h>

#include <utility>

namespace pelorin {

// Owns one handle and releases it with `Free` when reset or destroyed. Not copyable: a
// copy would release the handle twice.
template <typename Handle, auto Free>
class Owned {
 public:
  Owned() = default;
  explicit Owned(Handle handle) : handle_(handle) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : handle_(other.Release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~Owned() { Reset(); }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle{}; }
  Handle Release() { return std::exchange(handle_, Handle{}); }
  void Reset(Handle handle = Handle{}) {
    if (handle_ != Handle{}) Free(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_{};
};

using OwnedBitmap = Owned<HBITMAP, &DeleteObject>;
using OwnedMemoryDC = Owned<HDC, &DeleteDC>;
using OwnedWindow = Owned<HWND, &DestroyWindow>;
using OwnedAccelerators = Owned<HACCEL, &DestroyAcceleratorTable>;
using OwnedMenu = Owned<HMENU, &DestroyMenu>;
using OwnedGlobal = Owned<HGLOBAL, &GlobalFree>;  // until the clipboard takes it

// The clipboard, opened for the window and closed when the object goes. Check it before use:
// another program may hold it.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }

  explicit operator bool() const { return open_; }

 private:
  bool open_;
};

// A window class registered by this program, unregistered when released.
class RegisteredClass {
 public:
  RegisteredClass() = default;
  RegisteredClass(const RegisteredClass&) = delete;
  RegisteredClass& operator=(const RegisteredClass&) = delete;
  ~RegisteredClass() { Reset(); }

  explicit operator bool() const { return atom_ != 0; }
  void Reset(ATOM atom = 0, HINSTANCE instance = nullptr) {
    if (atom_ != 0) UnregisterClassW(MAKEINTATOM(atom_), instance_);
    atom_ = atom;
    instance_ = instance;
  }

 private:
  ATOM atom_ = 0;
  HINSTANCE instance_ = nullptr;
};

// A window's device context, taken with GetDC and given back with ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }

  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace pelorin
