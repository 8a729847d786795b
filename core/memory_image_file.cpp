// memory_image_file.cpp: a snapshot or tape file made into its memory image as it is read,
// and the window of the image kept that the picture shows.
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

}  // namespace

ImageRead ReadMemoryImage(const Text& path, const PlacedBlockSink& placed, ReadFor readFor) {
  const MemoryImageReader read = FindMemoryImageReader(path);
  if (read == nullptr) return Refusal{u"not a snapshot or tape"};
  const Refusal tooLarge{u"larger than 32 MiB, more than any snapshot or tape holds"};
  // The size is asked first, so that a file too large is refused before it is read.
  const std::int64_t size = platform::QueryFileSize(path);
  if (size > kMaxImageFileBytes) return tooLarge;
  platform::File file = platform::OpenForReading(path);
  if (!file.IsOpen()) return Refusal{platform::WhyUnreadable(path)};
  // The size asked is only the first guess: the file may have grown since. What is read
  // past the limit fails the read.
  std::int64_t delivered = 0;
  ByteStream stream(
      [&](std::uint8_t* into, std::int32_t n) -> std::int64_t {
        const std::int64_t got = file.Read(into, n);
        delivered += std::max<std::int64_t>(got, 0);
        return delivered > kMaxImageFileBytes ? -1 : got;
      },
      static_cast<std::uint64_t>(std::max<std::int64_t>(size, 0)));
  try {
    ImageRead made = read(stream, placed, readFor);
    // The reader saw the file end early; why it did counts more than where.
    if (delivered > kMaxImageFileBytes) return tooLarge;
    if (stream.Failed()) return Refusal{u"cannot be read"};
    return made;
  } catch (const std::bad_alloc&) {
    return Refusal{u"out of memory"};
  }
}

Text KeepMemoryImage(ConverterState& state, Text& warning) {
  state.memoryImage = std::vector<std::uint8_t>();  // released first: two may not fit at once
  ImageRead read = ReadMemoryImage(state.sourcePath);
  if (!read) return read.why;
  state.memoryImage = std::move(read->bytes);
  warning = std::move(read->warning);
  return {};
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
