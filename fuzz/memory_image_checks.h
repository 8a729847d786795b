// memory_image_checks.h: what every memory image a reader returns must satisfy, whatever
// the file: the fuzzers abort on the first breach.
#pragma once

#include <algorithm>
#include <cstdlib>

#include "memory_image/memory_image.h"

namespace pelorin {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

// Every block lies inside the image.
inline void CheckBlocks(const MemoryImage& image) {
  for (const PlacedBlock& block : image.blocks)
    Check(block.position >= 0 && block.length >= 0 &&
          block.position + block.length <= static_cast<std::int64_t>(image.bytes.size()));
}

// The address space, then whole banks; the ROM area zero; each bank placed holds its bytes.
inline void CheckSnapshot(const std::optional<MemoryImage>& image) {
  if (!image) return;
  const std::size_t size = image->bytes.size();
  Check(size == kAddressSpaceBytes || size == kAddressSpaceBytes + 5 * kBankBytes ||
        size == kAddressSpaceBytes + 6 * kBankBytes);
  Check(std::all_of(image->bytes.begin(), image->bytes.begin() + kBankBytes,
                    [](std::uint8_t b) { return b == 0; }));
  CheckBlocks(*image);
  for (const PlacedBlock& block : image->blocks)
    Check(block.kind == PlacedBlock::Kind::kBank && block.length == kBankBytes &&
          block.position % kBankBytes == 0 && block.position >= kBankBytes);
}

// The address space, then the appended blocks one after another, filling the rest exactly.
inline void CheckTape(const std::optional<MemoryImage>& image, std::size_t fileSize) {
  if (!image) return;
  Check(image->bytes.size() >= kAddressSpaceBytes &&
        image->bytes.size() <= kAddressSpaceBytes + fileSize);
  CheckBlocks(*image);
  std::int64_t next = kAddressSpaceBytes;
  for (const PlacedBlock& block : image->blocks) {
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
