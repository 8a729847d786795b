// memory_image.h: snapshots and tapes read as the Spectrum memory they hold. Each format's
// reader is a pure function over the file's bytes, taken in order, in a file of its own;
// this header gathers them with the image they all make and the choice of reader by
// extension.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "memory_image/byte_stream.h"
#include "platform/text.h"

namespace pelorin {

constexpr std::int32_t kBankBytes = 16384;
constexpr std::int32_t kAddressSpaceBytes = 65536;

// One piece of the file that went into the image: a RAM bank of a snapshot, or a data
// block of a tape.
struct PlacedBlock {
  enum class Kind { kBank, kCode, kData };
  Kind kind = Kind::kData;
  std::int32_t number = 0;    // the bank number; for a tape, the block's place on it from 1
  std::string name;           // a CODE block's file name as its header gives it
  std::int64_t length = 0;    // bytes placed
  std::int64_t position = 0;  // where they start in the image

  bool operator==(const PlacedBlock&) const = default;
};

// Told of each block as it is placed, in order. The readers keep no record of them: a tape
// of millions of empty blocks then costs no more memory than its image.
using PlacedBlockSink = std::function<void(const PlacedBlock& block)>;

// The memory a snapshot or tape holds. Snapshots: the 64 KiB address space with the ROM
// area zero and, for 128K machines, the banks not paged in after it in ascending order.
// Tapes: the address space with each CODE block at its start address, then the other data
// blocks one after another. An offset in the image is a Spectrum address below 65,536.
struct MemoryImage {
  std::vector<std::uint8_t> bytes;
  // What the user should know of the image though it was made: the RAM pages of its
  // machine that a snapshot leaves out, shown as zeros. Empty when there is nothing to say.
  Text warning;
};

// Why a file holds no memory image, in a few words: "cut off inside block 3".
struct Refusal {
  Text why;
};

// What a reader made of a file: its memory image, or why there is none.
struct ImageRead {
  ImageRead(MemoryImage made) : image(std::move(made)) {}
  ImageRead(Refusal refusal) : why(std::move(refusal.why)) {}

  explicit operator bool() const { return image.has_value(); }
  // The image; only when there is one.
  MemoryImage* operator->() { return &*image; }
  const MemoryImage* operator->() const { return &*image; }

  std::optional<MemoryImage> image;
  Text why;  // empty when there is an image
};

// What the reader is asked for: the image, or only its blocks, told to the sink. A tape then
// keeps none of its data and returns an image without bytes, so that a tape of any length
// is listed in little memory.
enum class ReadFor { kImage, kBlocksOnly };

using MemoryImageReader = ImageRead (*)(ByteStream& file, const PlacedBlockSink& placed,
                                        ReadFor readFor);

// The reader for the path's extension: .sna, .z80, .szx, .tap or .tzx, in any letter case.
// Null for any other path.
MemoryImageReader FindMemoryImageReader(const Text& path);

// True when the path ends in .sna, .z80, .szx, .tap or .tzx, in any letter case.
bool IsMemoryImagePath(const Text& path);

// One line saying what the block is and where it went, e.g.
// `block 3: code "game" 41000 bytes at 23296` or `bank 5: 16384 bytes at 16384`.
Text DescribeBlock(const PlacedBlock& block);

// The readers, one per format, each telling `placed` (when it is set) of every block it
// places. A refusal when the bytes are not a file of that format for a 16K, 48K or 128K
// (8-bank) Spectrum, or when the file ends inside one of its blocks; the blocks told of
// before the fault was found are then no part of any image. A snapshot whose blocks are all
// whole may still leave out RAM pages of its machine: they are zeros, and the image's
// warning names them.
ImageRead ReadSnaImage(ByteStream& file, const PlacedBlockSink& placed, ReadFor readFor);
ImageRead ReadZ80Image(ByteStream& file, const PlacedBlockSink& placed, ReadFor readFor);
ImageRead ReadSzxImage(ByteStream& file, const PlacedBlockSink& placed, ReadFor readFor);
ImageRead ReadTapImage(ByteStream& file, const PlacedBlockSink& placed, ReadFor readFor);
ImageRead ReadTzxImage(ByteStream& file, const PlacedBlockSink& placed, ReadFor readFor);

// A reader over bytes already held, making the image.
inline ImageRead ReadImage(MemoryImageReader read, ByteSpan file,
                           const PlacedBlockSink& placed = {}) {
  ByteStream stream(file);
  return read(stream, placed, ReadFor::kImage);
}

// The little-endian number of `count` bytes at `offset`; the caller has checked the bounds.
inline std::uint32_t LittleEndian(ByteSpan bytes, std::size_t offset, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[offset + i];
  return value;
}

}  // namespace pelorin
