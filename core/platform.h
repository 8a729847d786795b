// platform.h: the core's only contact with the platform: file access and the upper-casing
// of one character. platform_win32.cpp and platform_posix.cpp implement it; the build picks
// one, and tests may link their own to make failures happen on demand.
#pragma once

#include <cstdint>

#include "text.h"

namespace pelorin::platform {

constexpr std::int64_t kNoSuchFile = -1;  // empty path, or the path names nothing
constexpr std::int64_t kNotAFile = -2;    // a directory, a drive, or nothing regular

// The size in bytes of the regular file the path names, from its directory entry.
std::int64_t QueryFileSize(const Text& path);

// An open file, released when the object goes. Moves, never copies.
class File {
 public:
  File() = default;
  // Takes over an open handle of the platform layer (a file descriptor, a HANDLE).
  explicit File(std::intptr_t handle) : handle_(handle) {}
  File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = kClosed; }
  File& operator=(File&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.handle_;
      other.handle_ = kClosed;
    }
    return *this;
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { Close(); }

  bool IsOpen() const { return handle_ != kClosed; }

  // One request for n bytes at the current position. The count delivered, which is short
  // at the end of the file, or -1 when the platform reports a failure.
  std::int64_t Read(void* buffer, std::int32_t n);
  // One request for n bytes. The count written, or -1 when nothing could be written.
  std::int64_t Write(const void* bytes, std::int32_t n);
  // Releases the file. False when the platform says the file could not be completed.
  bool Close();

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;
};

// An existing regular file, shared with readers only. Closed when it cannot be opened.
File OpenForReading(const Text& path);
// The file emptied or made anew, for writing. Closed when it cannot be made.
File CreateForWriting(const Text& path);

// The character upper-cased by the platform's text rules.
char16_t UpperCase(char16_t c);

}  // namespace pelorin::platform
