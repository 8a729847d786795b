// memory_image_file.cpp: a snapshot or tape file read whole and made into its memory image,
// the image kept for the steps, and the window of it that the picture shows.
#include "memory_image_file.h"

#include <algorithm>
#include <new>

#include "platform/platform.h"
#include "screen/layout.h"

namespace pelorin {

namespace {

// No snapshot holds more than a few hundred KiB; tapes of multi-part games a few MiB.
// Anything larger is no such file, and is refused before it fills the memory.
constexpr std::int64_t kMaxImageFileBytes = 32 << 20;
constexpr std::int32_t kReadChunk = 1 << 20;

// The whole file, read until it ends; nothing when it cannot be read or is too large. The
// size from the directory entry is only the first guess: the file may have grown since, and
// a read may deliver less than asked before the end.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const Text& path) {
  const std::int64_t size = platform::QueryFileSize(path);
  platform::File file = platform::OpenForReading(path);
  if (!file.IsOpen()) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  std::size_t held = 0;
  try {
    // One byte more than expected, so that a file of the expected size needs no growing.
    bytes.resize(size >= 0 && size < kMaxImageFileBytes ? static_cast<std::size_t>(size) + 1
                                                        : kReadChunk);
    for (;;) {
      if (held == bytes.size()) {
        if (static_cast<std::int64_t>(held) > kMaxImageFileBytes) return std::nullopt;
        bytes.resize(held + kReadChunk);
      }
      const auto wanted =
          static_cast<std::int32_t>(std::min<std::size_t>(bytes.size() - held, kReadChunk));
      const std::int64_t delivered = file.Read(bytes.data() + held, wanted);
      if (delivered < 0) return std::nullopt;
      if (delivered == 0) break;
      held += static_cast<std::size_t>(delivered);
    }
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  if (static_cast<std::int64_t>(held) > kMaxImageFileBytes) return std::nullopt;
  bytes.resize(held);
  return bytes;
}

}  // namespace

std::optional<MemoryImage> ReadMemoryImage(const Text& path, const PlacedBlockSink& placed) {
  const MemoryImageReader read = FindMemoryImageReader(path);
  if (read == nullptr) return std::nullopt;
  const auto file = ReadWholeFile(path);
  if (!file) return std::nullopt;
  try {
    return read(*file, placed);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

bool KeepMemoryImage(ConverterState& state) {
  state.memoryImage = std::vector<std::uint8_t>();  // released first: two may not fit at once
  auto image = ReadMemoryImage(state.sourcePath);
  if (!image) return false;
  state.memoryImage = std::move(image->bytes);
  return true;
}

bool CopyMemoryImageWindow(ConverterState& state, std::int64_t offset) {
  const std::vector<std::uint8_t>& image = state.memoryImage;
  if (image.empty() || offset < 0) return false;
  const auto length = static_cast<std::int64_t>(image.size());
  const std::int64_t start = std::min(offset, length);
  const auto shown = static_cast<std::int32_t>(
      std::min<std::int64_t>(length - start, StoredReadBound(state.layout)));
  try {
    state.spriteData.assign(image.begin() + start, image.begin() + start + shown);
  } catch (const std::bad_alloc&) {
    return false;
  }
  state.spriteLength = shown;
  state.sourceLength = length;
  return true;
}

}  // namespace pelorin
