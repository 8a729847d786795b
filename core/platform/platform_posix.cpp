// platform_posix.cpp: file access and upper-casing on POSIX systems. Paths are UTF-16 in
// the core and UTF-8 bytes here. Only regular files are read or written: a directory, a FIFO
// or a device answers as no file, and nothing here ever blocks waiting for a writer or reader.
#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cwctype>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/platform.h"

namespace pelorin::platform {

namespace {

// The path as the file system takes it, or false when it cannot name a file (empty, or
// holding a NUL that would cut it short).
bool FileSystemPath(const Text& path, std::string& bytes) {
  if (path.empty() || path.find(u'\0') != Text::npos) return false;
  bytes = TextToUtf8(path);
  return true;
}

int OpenPath(const Text& path, int flags) {
  std::string bytes;
  if (!FileSystemPath(path, bytes)) return -1;
  int fd;
  do {
    fd = ::open(bytes.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

int Descriptor(StandardStream stream) {
  return stream == StandardStream::kOutput ? STDOUT_FILENO : STDERR_FILENO;
}

}  // namespace

std::int64_t QueryFileSize(const Text& path) {
  std::string bytes;
  struct stat info;
  if (!FileSystemPath(path, bytes) || ::stat(bytes.c_str(), &info) != 0) return kNoSuchFile;
  if (!S_ISREG(info.st_mode)) return kNotAFile;
  return static_cast<std::int64_t>(info.st_size);
}

File OpenForReading(const Text& path) {
  const int fd = OpenPath(path, O_RDONLY);
  if (fd < 0) return File{};
  File file{fd};
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return File{};
  return file;
}

Text WhyUnreadable(const Text& path) {
  std::string bytes;
  struct stat info;
  if (!FileSystemPath(path, bytes)) return u"no such file";
  if (::stat(bytes.c_str(), &info) != 0)
    return errno == EACCES ? u"permission denied" : u"no such file";
  if (S_ISDIR(info.st_mode)) return u"a folder";
  if (!S_ISREG(info.st_mode)) return u"not a file";
  const int fd = OpenPath(path, O_RDONLY);
  if (fd < 0) return errno == EACCES || errno == EPERM ? u"permission denied" : u"cannot be opened";
  ::close(fd);
  return u"cannot be read";
}

bool WriteWholeFile(const Text& path, std::span<const std::uint8_t> bytes) {
  std::string target;
  if (!FileSystemPath(path, target)) return false;
  // Through a link the file it leads to is replaced, as writing into it would have done.
  // Only a link as the file's own name matters: the rename happens in the folder that holds
  // the name, whatever links lead to that folder.
  struct stat old;
  bool replacing = ::lstat(target.c_str(), &old) == 0;
  if (replacing && S_ISLNK(old.st_mode)) {
    if (char* real = ::realpath(target.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
    replacing = ::stat(target.c_str(), &old) == 0;
  }
  // A FIFO would pass the bytes to whoever reads it, or to no one; a device or a folder is
  // not ours to replace.
  if (replacing && !S_ISREG(old.st_mode)) return false;
  // A file its owner made read-only stays as it is, though the folder would let it be replaced.
  if (replacing) {
    const int probe = OpenPath(path, O_WRONLY);
    if (probe < 0) return false;
    ::close(probe);
  }

  std::string temporary;
  int fd = -1;
  static const std::string process = std::to_string(::getpid());
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = target + "." + process + "-" + std::to_string(attempt) + ".tmp";
    do {
      fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  // The new file keeps the old one's permissions.
  if (replacing) ::fchmod(fd, old.st_mode & 07777);
  File file{fd};
  bool written = true;
  constexpr std::size_t kLargestWrite = 1 << 30;
  for (std::size_t done = 0; written && done < bytes.size();) {
    const auto count = static_cast<std::int32_t>(std::min(bytes.size() - done, kLargestWrite));
    written = file.Write(bytes.data() + done, count) == count;
    done += static_cast<std::size_t>(count);
  }
  // A full disk may only show when the file is completed.
  written = file.Close() && written;
  if (written && ::rename(temporary.c_str(), target.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

std::int64_t File::Read(void* buffer, std::int32_t n) {
  if (!IsOpen()) return -1;
  auto* bytes = static_cast<char*>(buffer);
  std::int64_t delivered = 0;
  while (delivered < n) {
    const ssize_t got = ::read(static_cast<int>(handle_), bytes + delivered,
                               static_cast<std::size_t>(n - delivered));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;  // end of file
    delivered += got;
  }
  return delivered;
}

std::int64_t File::Write(const void* bytes, std::int32_t n) {
  if (!IsOpen()) return -1;
  const auto* data = static_cast<const char*>(bytes);
  std::int64_t written = 0;
  while (written < n) {
    const ssize_t put =
        ::write(static_cast<int>(handle_), data + written, static_cast<std::size_t>(n - written));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;  // disk full, file size limit, or a pipe that takes no more
    written += put;
  }
  return written > 0 || n == 0 ? written : -1;
}

bool File::Seek(std::int64_t offset) {
  if (!IsOpen() || offset < 0) return false;
  return ::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_SET) == offset;
}

bool File::Close() {
  if (!IsOpen()) return true;
  const int fd = static_cast<int>(handle_);
  handle_ = kClosed;
  // After EINTR the descriptor is already released on Linux: never close it twice.
  return ::close(fd) == 0 || errno == EINTR;
}

bool IsFolder(const Text& path) {
  std::string bytes;
  struct stat info;
  return FileSystemPath(path, bytes) && ::stat(bytes.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Text FileNamePart(const Text& path) {
  const std::size_t last = path.rfind(u'/');
  return last == Text::npos ? path : path.substr(last + 1);
}

std::optional<FileIdentity> QueryFileIdentity(const Text& path) {
  std::string bytes;
  struct stat info;
  if (!FileSystemPath(path, bytes) || ::stat(bytes.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

char16_t UpperCase(char16_t c) {
  if (c >= 0xD800 && c <= 0xDFFF) return c;  // half of a pair: no case of its own
  // Unicode case rules whatever locale the process runs in; plain ASCII if there are none.
  static const locale_t unicode = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  if (unicode == locale_t{}) return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
  const wint_t upper = ::towupper_l(static_cast<wint_t>(c), unicode);
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

bool IsTerminal(StandardStream stream) {
  return ::isatty(Descriptor(stream)) == 1;
}

bool WriteStandardStream(StandardStream stream, const Text& text) {
  const std::string bytes = TextToUtf8(text);
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t put = ::write(Descriptor(stream), bytes.data() + written, bytes.size() - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;  // a closed pipe or a full disk
    written += static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace pelorin::platform
