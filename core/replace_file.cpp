// replace_file.cpp: a whole file written under a temporary name and renamed into place.
#include "replace_file.h"

#include <filesystem>
#include <limits>
#include <system_error>

#include "platform/platform.h"

namespace pelorin {

namespace {

std::filesystem::path NativePath(const Text& path) {
#ifdef _WIN32
  return std::filesystem::path(std::wstring(WideText(path)));
#else
  return std::filesystem::path(TextToUtf8(path));
#endif
}

}  // namespace

bool ReplaceFileWith(const Text& path, std::span<const std::uint8_t> bytes) {
  if (path.empty() ||
      bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    return false;
  // Where the path names anything but a regular file or nothing, nothing is put there.
  const std::int64_t size = platform::QueryFileSize(path);
  if (size == platform::kNotAFile) return false;
  const Text temporary = path + u".pelorin-part";
  platform::File file = platform::CreateForWriting(temporary);
  if (!file.IsOpen()) return false;
  const auto count = static_cast<std::int32_t>(bytes.size());
  bool written = count == 0 || file.Write(bytes.data(), count) == count;
  // A full disk may only show when the file is completed.
  written = file.Close() && written;
  std::error_code error;
  if (written) std::filesystem::rename(NativePath(temporary), NativePath(path), error);
  if (!written || error) {
    std::filesystem::remove(NativePath(temporary), error);
    return false;
  }
  return true;
}

}  // namespace pelorin
