// platform_win32.cpp: file access and upper-casing through Win32, the core's one Win32 file.
#include <windows.h>

#include <algorithm>

#include "platform/platform.h"

namespace pelorin::platform {

namespace {

bool CanNameFile(const Text& path) {
  return !path.empty() && path.find(u'\0') == Text::npos;
}

// Wildcards would make the directory search match other names. The "\\?\" prefix of long
// paths is the one place where a question mark belongs.
bool HasWildcard(const Text& path) {
  const std::size_t start = path.rfind(u"\\\\?\\", 0) == 0 ? 4 : 0;
  return path.find_first_of(u"*?", start) != Text::npos;
}

bool IsBareDrive(const Text& path) {
  return path.size() == 2 && path[1] == u':' &&
         ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
}

// A handle from CreateFileW as a File. Devices (CON, COM1, pipes) are refused: reading one
// could wait for ever.
File DiskFile(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return File{};
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return File{};
  }
  return File{reinterpret_cast<std::intptr_t>(handle)};
}

HANDLE StandardHandle(StandardStream stream) {
  return GetStdHandle(stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

}  // namespace

std::int64_t QueryFileSize(const Text& path) {
  if (!CanNameFile(path)) return kNoSuchFile;
  Text name = path;
  while (!name.empty() && name.back() == u'\\') name.pop_back();
  if (name.empty()) {  // the root of the current drive
    const DWORD attributes = GetFileAttributesW(WideText(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
               ? kNotAFile
               : kNoSuchFile;
  }
  if (IsBareDrive(name)) {
    const Text root = name + u"\\";
    const UINT type = GetDriveTypeW(WideText(root));
    return type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN ? kNoSuchFile : kNotAFile;
  }
  if (HasWildcard(name)) return kNoSuchFile;
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileW(WideText(name), &entry);
  if (search == INVALID_HANDLE_VALUE) return kNoSuchFile;
  FindClose(search);
  if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return kNotAFile;
  return static_cast<std::int64_t>(entry.nFileSizeHigh) << 32 | entry.nFileSizeLow;
}

File OpenForReading(const Text& path) {
  if (!CanNameFile(path)) return File{};
  return DiskFile(CreateFileW(WideText(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

Text WhyUnreadable(const Text& path) {
  const std::int64_t size = QueryFileSize(path);
  if (size == kNoSuchFile) return u"no such file";
  if (IsFolder(path)) return u"a folder";
  if (size == kNotAFile) return u"not a file";
  const HANDLE handle = CreateFileW(WideText(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
    switch (GetLastError()) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
        return u"no such file";
      case ERROR_SHARING_VIOLATION:
      case ERROR_LOCK_VIOLATION:
        return u"in use by another program";
      case ERROR_ACCESS_DENIED:
        return u"permission denied";
      default:
        return u"cannot be opened";
    }
  }
  const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
  CloseHandle(handle);
  return disk ? u"cannot be read" : u"not a file";
}

bool WriteWholeFile(const Text& path, std::span<const std::uint8_t> bytes) {
  if (!CanNameFile(path)) return false;
  // A folder or a device (CON, COM1, a pipe) is not ours to replace.
  if (IsFolder(path)) return false;
  const HANDLE existing =
      CreateFileW(WideText(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (existing != INVALID_HANDLE_VALUE && existing != nullptr) {
    const bool disk = GetFileType(existing) == FILE_TYPE_DISK;
    CloseHandle(existing);
    if (!disk) return false;
  }

  Text temporary;
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; handle == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
    temporary =
        path + u"." + DecimalText(GetCurrentProcessId()) + u"-" + DecimalText(attempt) + u".tmp";
    handle = CreateFileW(WideText(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return false;
  File file{reinterpret_cast<std::intptr_t>(handle)};
  bool written = true;
  constexpr std::size_t kLargestWrite = 1 << 30;
  for (std::size_t done = 0; written && done < bytes.size();) {
    const auto count = static_cast<std::int32_t>(std::min(bytes.size() - done, kLargestWrite));
    written = file.Write(bytes.data() + done, count) == count;
    done += static_cast<std::size_t>(count);
  }
  // A full disk may only show when the file is completed.
  written = file.Close() && written;
  if (written && MoveFileExW(WideText(temporary), WideText(path), MOVEFILE_REPLACE_EXISTING))
    return true;
  DeleteFileW(WideText(temporary));
  return false;
}

std::int64_t File::Read(void* buffer, std::int32_t n) {
  if (!IsOpen() || n < 0) return -1;
  DWORD delivered = 0;
  const BOOL ok = ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(n),
                           &delivered, nullptr);
  return ok ? static_cast<std::int64_t>(delivered) : -1;
}

std::int64_t File::Write(const void* bytes, std::int32_t n) {
  if (!IsOpen() || n < 0) return -1;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(reinterpret_cast<HANDLE>(handle_), bytes, static_cast<DWORD>(n), &written, nullptr);
  return ok || written > 0 ? static_cast<std::int64_t>(written) : -1;
}

bool File::Seek(std::int64_t offset) {
  if (!IsOpen() || offset < 0) return false;
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  return SetFilePointerEx(reinterpret_cast<HANDLE>(handle_), distance, nullptr, FILE_BEGIN) != 0;
}

bool File::Close() {
  if (!IsOpen()) return true;
  const HANDLE handle = reinterpret_cast<HANDLE>(handle_);
  handle_ = kClosed;
  return CloseHandle(handle) != 0;
}

bool IsFolder(const Text& path) {
  if (!CanNameFile(path)) return false;
  const DWORD attributes = GetFileAttributesW(WideText(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Text FileNamePart(const Text& path) {
  const std::size_t last = path.find_last_of(u"\\/:");
  return last == Text::npos ? path : path.substr(last + 1);
}

std::optional<FileIdentity> QueryFileIdentity(const Text& path) {
  if (!CanNameFile(path)) return std::nullopt;
  // No access asked and every sharing allowed: the file is only looked at, and a file that
  // another program holds open still answers. Backup semantics let folders open too.
  const HANDLE handle =
      CreateFileW(WideText(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information;
  const BOOL known = GetFileInformationByHandle(handle, &information);
  CloseHandle(handle);
  if (!known) return std::nullopt;
  return FileIdentity{
      information.dwVolumeSerialNumber,
      static_cast<std::uint64_t>(information.nFileIndexHigh) << 32 | information.nFileIndexLow};
}

char16_t UpperCase(char16_t c) {
  // With the high word zero, CharUpperW converts the one character in the low word.
  const auto upper =
      reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(ULONG_PTR{c})));
  return static_cast<char16_t>(upper & 0xFFFF);
}

bool IsTerminal(StandardStream stream) {
  DWORD mode;
  return GetConsoleMode(StandardHandle(stream), &mode) != 0;
}

bool WriteStandardStream(StandardStream stream, const Text& text) {
  const HANDLE handle = StandardHandle(stream);
  if (text.empty()) return true;
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return false;
  DWORD mode;
  if (GetConsoleMode(handle, &mode)) {
    // A console takes UTF-16 whatever its code page; UTF-8 bytes would show as other letters.
    DWORD written = 0;
    return WriteConsoleW(handle, WideText(text), static_cast<DWORD>(text.size()), &written,
                         nullptr) &&
           written == text.size();
  }
  const std::string bytes = TextToUtf8(text);
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                   nullptr) ||
        written == 0)
      return false;  // a closed pipe or a full disk
    done += written;
  }
  return true;
}

}  // namespace pelorin::platform
