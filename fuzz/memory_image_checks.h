// memory_image_checks.h: what every memory image a reader returns must satisfy, whatever
// the file: the fuzzers abort on the first breach.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "fuzz_check.h"
#include "memory_image/memory_image.h"

namespace pelorin {

// What a reader made of a file, and the blocks it told of on the way.
struct ReadResult {
  std::optional<MemoryImage> image;
  Text why;
  std::vector<PlacedBlock> blocks;
};

inline ReadResult ReadAll(MemoryImageReader read, ByteSpan file) {
  ReadResult result;
  ImageRead made =
      ReadImage(read, file, [&](const PlacedBlock& block) { result.blocks.push_back(block); });
  result.image = std::move(made.image);
  result.why = std::move(made.why);
  Check(result.image.has_value() != !result.why.empty());
  return result;
}

// The file read as from a disk, in pieces of a few bytes (a few KiB for a file as long as a
// .sna), for its blocks only: what the reader tells and answers is what it did with the
// bytes held.
inline void CheckListed(MemoryImageReader read, ByteSpan file, const ReadResult& held) {
  const std::size_t scale = 1 + file.size() / 4096;
  const std::size_t piece = file.empty() ? 1 : scale * (1 + file[file.size() / 2] % 61);
  std::size_t at = 0;
  ByteStream stream(
      [&](std::uint8_t* into, std::int32_t n) -> std::int64_t {
        const std::size_t count = std::min({static_cast<std::size_t>(n), piece, file.size() - at});
        std::copy_n(file.data() + at, count, into);
        at += count;
        return static_cast<std::int64_t>(count);
      },
      file.size());
  std::vector<PlacedBlock> blocks;
  const ImageRead listed = read(
      stream, [&](const PlacedBlock& block) { blocks.push_back(block); }, ReadFor::kBlocksOnly);
  Check(listed.image.has_value() == held.image.has_value() && listed.why == held.why &&
        blocks == held.blocks);
  Check(!listed || listed->warning == held.image->warning);
}

// Every block lies inside the image.
inline void CheckBlocks(const ReadResult& read) {
  for (const PlacedBlock& block : read.blocks)
    Check(block.position >= 0 && block.length >= 0 &&
          block.position + block.length <= static_cast<std::int64_t>(read.image->bytes.size()));
}

// The address space, then whole banks; the ROM area zero; each bank placed holds its bytes.
inline void CheckSnapshot(const ReadResult& read) {
  const auto& image = read.image;
  if (!image) return;
  const std::size_t size = image->bytes.size();
  Check(size == kAddressSpaceBytes || size == kAddressSpaceBytes + 5 * kBankBytes ||
        size == kAddressSpaceBytes + 6 * kBankBytes);
  Check(std::all_of(image->bytes.begin(), image->bytes.begin() + kBankBytes,
                    [](std::uint8_t b) { return b == 0; }));
  CheckBlocks(read);
  for (const PlacedBlock& block : read.blocks)
    Check(block.kind == PlacedBlock::Kind::kBank && block.length == kBankBytes &&
          block.position % kBankBytes == 0 && block.position >= kBankBytes);
}

// The address space, then the appended blocks one after another, filling the rest exactly.
inline void CheckTape(const ReadResult& read, std::size_t fileSize) {
  const auto& image = read.image;
  if (!image) return;
  Check(image->bytes.size() >= kAddressSpaceBytes &&
        image->bytes.size() <= kAddressSpaceBytes + fileSize);
  CheckBlocks(read);
  std::int64_t next = kAddressSpaceBytes;
  for (const PlacedBlock& block : read.blocks) {
    if (block.kind == PlacedBlock::Kind::kCode) {
      Check(block.position + block.length <= kAddressSpaceBytes);
      continue;
    }
    Check(block.kind == PlacedBlock::Kind::kData && block.position == next);
    next += block.length;
  }
  Check(next == static_cast<std::int64_t>(image->bytes.size()));
}

}  // namespace pelorin
