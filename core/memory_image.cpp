// memory_image.cpp: choosing a memory image's reader by extension, reading the file for it,
// and the sprite window taken from the image.
#include "memory_image.h"

#include <algorithm>
#include <new>
#include <string_view>

#include "platform.h"
#include "sprite_file.h"

namespace pelorin {

namespace {

// No snapshot holds more than a few hundred KiB; tapes of multi-part games a few MiB.
// Anything larger is no such file, and is refused before it fills the memory.
constexpr std::int64_t kMaxImageFileBytes = 32 << 20;
constexpr std::int32_t kReadChunk = 1 << 20;

using Reader = std::optional<MemoryImage> (*)(ByteSpan);

struct Format {
  std::u16string_view extension;
  Reader read;
};

constexpr Format kFormats[] = {
    {u".sna", ReadSnaImage}, {u".z80", ReadZ80Image}, {u".szx", ReadSzxImage},
    {u".tap", ReadTapImage}, {u".tzx", ReadTzxImage},
};

Reader FindReader(const Text& path) {
  for (const Format& format : kFormats) {
    if (path.size() < format.extension.size()) continue;
    const std::u16string_view tail =
        std::u16string_view{path}.substr(path.size() - format.extension.size());
    const bool same = std::equal(
        tail.begin(), tail.end(), format.extension.begin(),
        [](char16_t a, char16_t b) { return (a >= u'A' && a <= u'Z' ? a - u'A' + u'a' : a) == b; });
    if (same) return format.read;
  }
  return nullptr;
}

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

// A file name's byte as the Spectrum shows it: its character set is ASCII but for the
// pound sign and the copyright sign; other bytes are tokens and graphics.
char16_t SpectrumCharacter(std::uint8_t byte) {
  if (byte == 0x60) return u'£';
  if (byte == 0x7F) return u'©';
  return byte >= 0x20 && byte < 0x7F ? byte : u'?';
}

}  // namespace

bool IsMemoryImagePath(const Text& path) {
  return FindReader(path) != nullptr;
}

std::optional<MemoryImage> ReadMemoryImage(const Text& path) {
  const Reader read = FindReader(path);
  if (read == nullptr) return std::nullopt;
  const auto file = ReadWholeFile(path);
  if (!file) return std::nullopt;
  try {
    return read(*file);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

bool ReadMemoryImageWindow(ConverterState& state, std::int64_t offset) {
  if (offset < 0) return false;
  const auto image = ReadMemoryImage(state.sourcePath);
  if (!image) return false;
  const auto length = static_cast<std::int64_t>(image->bytes.size());
  const std::int64_t start = std::min(offset, length);
  const auto shown =
      static_cast<std::int32_t>(std::min<std::int64_t>(length - start, SpriteReadBound));
  try {
    state.spriteData.assign(image->bytes.begin() + start, image->bytes.begin() + start + shown);
  } catch (const std::bad_alloc&) {
    return false;
  }
  state.spriteLength = shown;
  state.sourceLength = length;
  return true;
}

Text DescribeBlock(const PlacedBlock& block) {
  Text what;
  switch (block.kind) {
    case PlacedBlock::Kind::kBank:
      what = u"bank " + DecimalText(block.number) + u": ";
      break;
    case PlacedBlock::Kind::kCode:
      what = u"block " + DecimalText(block.number) + u": code \"";
      for (const char c : block.name) what += SpectrumCharacter(static_cast<std::uint8_t>(c));
      what += u"\" ";
      break;
    case PlacedBlock::Kind::kData:
      what = u"block " + DecimalText(block.number) + u": data ";
      break;
  }
  return what + DecimalText(block.length) + u" bytes at " + DecimalText(block.position);
}

}  // namespace pelorin
