// platform.h: the core's only contact with the platform: file access, the upper-casing of
// one character, and the standard streams the converter writes to. platform_win32.cpp and
// platform_posix.cpp implement it; the build picks one, and tests may link their own to make
// failures happen on demand.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/text.h"

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
  // Moves the position to `offset` bytes from the file's start; past the end is allowed and
  // reads nothing there. False when the platform refuses.
  bool Seek(std::int64_t offset);
  // Releases the file. False when the platform says the file could not be completed.
  bool Close();

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;
};

// An existing regular file, shared with readers only. Closed when it cannot be opened.
File OpenForReading(const Text& path);

// Why OpenForReading cannot open the path, in a few words: "no such file", "a folder", "not
// a file" (a device, a FIFO), "permission denied", "in use by another program"; "cannot be
// read" when it opens after all.
Text WhyUnreadable(const Text& path);

// Makes the file at the path hold exactly these bytes, or leaves it as it was. The bytes go
// to a new file in the same folder under a temporary name, which replaces the old file only
// once every byte is written and the file is complete: a full disk or any other failure
// leaves the old file untouched and no temporary file behind. False then, and when the path
// names anything but a regular file or nothing (a folder, a FIFO, a device).
bool WriteWholeFile(const Text& path, std::span<const std::uint8_t> bytes);

// Whether the path names a folder (a directory, or the root of a drive).
bool IsFolder(const Text& path);

// The last part of a path, the file's own name: after the last separator of the platform's
// paths ("\\", "/" or a drive's ":" on Windows, "/" elsewhere); the whole path when it has none.
Text FileNamePart(const Text& path);

// Which file a path reaches, whatever its spelling: two paths give the same identity only
// when they reach the same file (through links, "." and "..", or letter case where the file
// system ignores it).
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  auto operator<=>(const FileIdentity&) const = default;
};
// Nothing when the path reaches no file or folder.
std::optional<FileIdentity> QueryFileIdentity(const Text& path);

// The character upper-cased by the platform's text rules.
char16_t UpperCase(char16_t c);

enum class StandardStream { kOutput, kError };

// Whether the stream is shown on a terminal (a console window) rather than sent to a file
// or a pipe.
bool IsTerminal(StandardStream stream);
// Writes the text to the stream as it is: UTF-16 to a Windows console, which shows any
// character that way, and UTF-8 bytes everywhere else. False when not all of it could be
// written (a full disk, a closed pipe).
bool WriteStandardStream(StandardStream stream, const Text& text);

}  // namespace pelorin::platform
