// fake_platform.cpp: the core's file layer over the fake file system in memory.
#include "fake_platform.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace pelorin {
namespace fake {

FileSystem& Files() {
  static FileSystem files;
  return files;
}

namespace {

struct OpenFile {
  Text path;
  std::size_t position = 0;
};

std::vector<OpenFile>& OpenFiles() {
  static std::vector<OpenFile> open;
  return open;
}

OpenFile* Find(std::intptr_t handle) {
  auto& open = OpenFiles();
  return handle >= 0 && static_cast<std::size_t>(handle) < open.size() ? &open[handle] : nullptr;
}

platform::File Open(const Text& path) {
  OpenFiles().push_back(OpenFile{path});
  return platform::File{static_cast<std::intptr_t>(OpenFiles().size() - 1)};
}

}  // namespace
}  // namespace fake

namespace platform {

std::int64_t QueryFileSize(const Text& path) {
  const auto& files = fake::Files();
  if (files.reportedSize) return *files.reportedSize;
  const auto found = files.files.find(path);
  return found == files.files.end() ? kNoSuchFile : static_cast<std::int64_t>(found->second.size());
}

File OpenForReading(const Text& path) {
  return fake::Files().files.count(path) ? fake::Open(path) : File{};
}

Text WhyUnreadable(const Text& path) {
  return fake::Files().files.count(path) ? u"cannot be read" : u"no such file";
}

// As the platforms do it: the bytes to a file of another name, which replaces the file only
// when complete.
bool WriteWholeFile(const Text& path, std::span<const std::uint8_t> bytes) {
  auto& files = fake::Files().files;
  const Text temporary = path + u".tmp";
  File file = fake::Open(temporary);
  files[temporary].clear();
  const auto size = static_cast<std::int32_t>(bytes.size());
  bool written = file.Write(bytes.data(), size) == size;
  written = file.Close() && written;
  if (written) files[path] = files[temporary];
  files.erase(temporary);
  return written;
}

std::int64_t File::Read(void* buffer, std::int32_t n) {
  auto& files = fake::Files();
  files.readRequests.push_back(n);
  fake::OpenFile* file = fake::Find(handle_);
  if (file == nullptr || files.readFails) return -1;
  const auto& bytes = files.files[file->path];
  const std::int64_t available =
      static_cast<std::int64_t>(bytes.size() - std::min(file->position, bytes.size()));
  const std::int64_t count = std::min({std::int64_t{n}, available, files.deliverAtMost});
  if (count > 0)
    std::memcpy(buffer, bytes.data() + file->position, static_cast<std::size_t>(count));
  file->position += count;
  return count;
}

std::int64_t File::Write(const void* bytes, std::int32_t n) {
  auto& files = fake::Files();
  files.writeRequests.push_back(n);
  fake::OpenFile* file = fake::Find(handle_);
  if (file == nullptr || files.writeFails) return -1;
  const std::int64_t count = std::min(std::int64_t{n}, files.writeAtMost);
  const auto* data = static_cast<const std::uint8_t*>(bytes);
  files.files[file->path].insert(files.files[file->path].end(), data, data + count);
  return count;
}

bool File::Seek(std::int64_t offset) {
  fake::OpenFile* file = fake::Find(handle_);
  if (file == nullptr || offset < 0) return false;
  file->position = static_cast<std::size_t>(offset);
  return true;
}

bool File::Close() {
  if (!IsOpen()) return true;
  handle_ = kClosed;
  return !fake::Files().closeFails;
}

char16_t UpperCase(char16_t c) {
  return c >= u'a' && c <= u'z' ? c - 32 : c;
}

Text FileNamePart(const Text& path) {
  return path.substr(path.rfind(u'/') + 1);
}

}  // namespace platform
}  // namespace pelorin
