// tape_image.cpp: .tap and .tzx tapes. Only the data blocks carry memory: a CODE file's
// bytes go to the address its header names, every other data block after the address space.
#include <algorithm>
#include <cstring>

#include "memory_image/memory_image.h"

namespace pelorin {

namespace {

constexpr std::size_t kHeaderBlockBytes = 19;  // flag, 17 bytes of header, checksum
constexpr std::uint8_t kHeaderFlag = 0x00;
constexpr int kCodeType = 3;
constexpr int kLastHeaderType = 3;  // program, number array, character array, CODE
constexpr std::size_t kNameBytes = 10;

// Builds the image block by block, in tape order, telling `placed` (when it is set) of
// each data block placed.
class TapeImage {
 public:
  explicit TapeImage(const PlacedBlockSink& placed) : placed_(placed) {
    image_.bytes.assign(kAddressSpaceBytes, 0);
  }

  // A block as the ROM saves it: flag, data, checksum (at least the flag and checksum).
  void Standard(std::int32_t number, ByteSpan block) {
    if (block[0] == kHeaderFlag && block.size() == kHeaderBlockBytes &&
        block[1] <= kLastHeaderType) {
      header_ = block;
      return;
    }
    const ByteSpan data = block.subspan(1, block.size() - 2);
    if (header_.empty()) {
      Append(number, data);
    } else if (header_[1] == kCodeType) {
      PlaceCode(number, data);
    }  // a program's or an array's data is no memory image
    header_ = {};
  }

  // A block of other timing, kept as recorded; a header before it has lost its data.
  void Raw(std::int32_t number, ByteSpan data) {
    header_ = {};
    Append(number, data);
  }

  // A block that carries no data for the image: a recording of the signal, a pause, a
  // description. A header before it has lost its data too: the data block that follows
  // later is not the one the header announced.
  void Skip() { header_ = {}; }

  MemoryImage Take() { return std::move(image_); }

 private:
  void Append(std::int32_t number, ByteSpan data) {
    const auto position = static_cast<std::int64_t>(image_.bytes.size());
    image_.bytes.insert(image_.bytes.end(), data.begin(), data.end());
    if (placed_)
      placed_(
          {PlacedBlock::Kind::kData, number, {}, static_cast<std::int64_t>(data.size()), position});
  }

  // The header's start address, and as many bytes as fit below 65,536.
  void PlaceCode(std::int32_t number, ByteSpan data) {
    const std::size_t start = LittleEndian(header_, 14, 2);
    const std::size_t fits = std::min(data.size(), kAddressSpaceBytes - start);
    std::copy_n(data.begin(), fits, image_.bytes.begin() + start);
    if (!placed_) return;
    const ByteSpan name = header_.subspan(2, kNameBytes);
    std::string text(name.begin(), name.end());
    text.erase(text.find_last_not_of(' ') + 1);
    placed_({PlacedBlock::Kind::kCode, number, std::move(text), static_cast<std::int64_t>(fits),
             static_cast<std::int64_t>(start)});
  }

  const PlacedBlockSink& placed_;
  MemoryImage image_;
  ByteSpan header_;  // the header block waiting for its data; empty: none
};

constexpr std::size_t kTzxHeaderBytes = 10;

// Where each kind of TZX block keeps the length of its body (after the ID byte): `fixed`
// bytes, plus a count of `fieldBytes` bytes at `at` times `unit`.
struct TzxLengthRule {
  std::uint8_t id;
  std::uint32_t fixed;
  std::uint32_t at;
  int fieldBytes;  // 0: the length is fixed
  std::uint32_t unit;
};

// clang-format off
constexpr TzxLengthRule kTzxLengthRules[] = {
    {0x10, 0x04, 0x02, 2, 1},  // standard speed data
    {0x11, 0x12, 0x0F, 3, 1},  // turbo speed data
    {0x12, 4,    0,    0, 0},  // pure tone
    {0x13, 1,    0,    1, 2},  // pulse sequence
    {0x14, 0x0A, 0x07, 3, 1},  // pure data
    {0x15, 8,    5,    3, 1},  // direct recording
    {0x20, 2,    0,    0, 0},  // pause
    {0x21, 1,    0,    1, 1},  // group start
    {0x22, 0,    0,    0, 0},  // group end
    {0x23, 2,    0,    0, 0},  // jump
    {0x24, 2,    0,    0, 0},  // loop start
    {0x25, 0,    0,    0, 0},  // loop end
    {0x26, 2,    0,    2, 2},  // call sequence
    {0x27, 0,    0,    0, 0},  // return from sequence
    {0x28, 2,    0,    2, 1},  // select
    {0x2A, 4,    0,    0, 0},  // stop the tape if 48K
    {0x2B, 5,    0,    0, 0},  // set signal level
    {0x30, 1,    0,    1, 1},  // text description
    {0x31, 2,    1,    1, 1},  // message
    {0x32, 2,    0,    2, 1},  // archive info
    {0x33, 1,    0,    1, 3},  // hardware type
    {0x34, 8,    0,    0, 0},  // emulation info
    {0x35, 0x14, 0x10, 4, 1},  // custom info
    {0x40, 4,    1,    3, 1},  // snapshot
    {0x5A, 9,    0,    0, 0},  // glue between two joined files
};
// clang-format on

// CSW, generalized and C64 data, and any block of a later revision: a length comes first.
constexpr TzxLengthRule kLengthFirst = {0, 4, 0, 4, 1};

// The length of a TZX block's body; nothing when its length field runs past the end.
std::optional<std::uint64_t> TzxBodyLength(std::uint8_t id, ByteSpan body) {
  TzxLengthRule rule = kLengthFirst;
  for (const TzxLengthRule& known : kTzxLengthRules)
    if (known.id == id) rule = known;
  if (rule.fieldBytes == 0) return rule.fixed;
  if (body.size() < std::size_t{rule.at} + rule.fieldBytes) return std::nullopt;
  return rule.fixed + std::uint64_t{rule.unit} * LittleEndian(body, rule.at, rule.fieldBytes);
}

}  // namespace

std::optional<MemoryImage> ReadTapImage(ByteSpan file, const PlacedBlockSink& placed) {
  TapeImage image(placed);
  std::int32_t number = 0;
  for (std::size_t offset = 0; offset < file.size();) {
    if (file.size() - offset < 2) return std::nullopt;
    const std::size_t length = LittleEndian(file, offset, 2);
    offset += 2;
    // Shorter than a flag and a checksum, or longer than what is left: not a block.
    if (length < 2 || length > file.size() - offset) return std::nullopt;
    image.Standard(++number, file.subspan(offset, length));
    offset += length;
  }
  return image.Take();
}

std::optional<MemoryImage> ReadTzxImage(ByteSpan file, const PlacedBlockSink& placed) {
  if (file.size() < kTzxHeaderBytes || std::memcmp(file.data(), "ZXTape!\x1A", 8) != 0 ||
      file[8] != 1)
    return std::nullopt;
  TapeImage image(placed);
  std::int32_t number = 0;
  for (std::size_t offset = kTzxHeaderBytes; offset < file.size();) {
    const std::uint8_t id = file[offset++];
    const ByteSpan body = file.subspan(offset);
    const auto length = TzxBodyLength(id, body);
    if (!length || *length > body.size()) return std::nullopt;
    ++number;
    if (id == 0x10) {
      const ByteSpan block = body.subspan(4, *length - 4);
      if (block.size() < 2) return std::nullopt;  // no room for the flag and the checksum
      image.Standard(number, block);
    } else if (id == 0x11) {
      image.Raw(number, body.subspan(0x12, *length - 0x12));
    } else if (id == 0x14) {
      image.Raw(number, body.subspan(0x0A, *length - 0x0A));
    } else {
      image.Skip();
    }
    offset += static_cast<std::size_t>(*length);
  }
  return image.Take();
}

}  // namespace pelorin
