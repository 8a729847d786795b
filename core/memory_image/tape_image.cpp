// tape_image.cpp: .tap and .tzx tapes. Only the data blocks carry memory: a CODE file's
// bytes go to the address its header names, every other data block after the address space.
#include <algorithm>
#include <array>
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
// each data block placed. For a listing it keeps no bytes, only the length the image would
// have, so that the positions told are the image's all the same.
class TapeImage {
 public:
  TapeImage(const PlacedBlockSink& placed, ReadFor readFor)
      : placed_(placed), keepBytes_(readFor == ReadFor::kImage) {
    if (keepBytes_) image_.bytes.assign(kAddressSpaceBytes, 0);
  }

  // A block as the ROM saves it: flag, data, checksum (at least the flag and checksum).
  void Standard(std::int32_t number, ByteSpan block) {
    if (block[0] == kHeaderFlag && block.size() == kHeaderBlockBytes &&
        block[1] <= kLastHeaderType) {
      std::copy(block.begin(), block.end(), header_.begin());
      headerWaiting_ = true;
      return;
    }
    const ByteSpan data = block.subspan(1, block.size() - 2);
    if (!headerWaiting_) {
      Append(number, data.size(), data);
    } else if (header_[1] == kCodeType) {
      PlaceCode(number, data);
    }  // a program's or an array's data is no memory image
    headerWaiting_ = false;
  }

  // A block of other timing, kept as recorded; a header before it has lost its data. Its
  // bytes are needed only when they are kept.
  void Raw(std::int32_t number, std::uint64_t length, ByteSpan data) {
    headerWaiting_ = false;
    Append(number, length, data);
  }

  // A block that carries no data for the image: a recording of the signal, a pause, a
  // description. A header before it has lost its data too: the data block that follows
  // later is not the one the header announced.
  void Skip() { headerWaiting_ = false; }

  MemoryImage Take() { return std::move(image_); }

 private:
  void Append(std::int32_t number, std::uint64_t length, ByteSpan data) {
    if (keepBytes_) image_.bytes.insert(image_.bytes.end(), data.begin(), data.end());
    if (placed_)
      placed_({PlacedBlock::Kind::kData, number, {}, static_cast<std::int64_t>(length), length_});
    length_ += static_cast<std::int64_t>(length);
  }

  // The header's start address, and as many bytes as fit below 65,536.
  void PlaceCode(std::int32_t number, ByteSpan data) {
    const std::size_t start = LittleEndian(header_, 14, 2);
    const std::size_t fits = std::min(data.size(), kAddressSpaceBytes - start);
    if (keepBytes_) std::copy_n(data.begin(), fits, image_.bytes.begin() + start);
    if (!placed_) return;
    const ByteSpan name = ByteSpan(header_).subspan(2, kNameBytes);
    std::string text(name.begin(), name.end());
    text.erase(text.find_last_not_of(' ') + 1);
    placed_({PlacedBlock::Kind::kCode, number, std::move(text), static_cast<std::int64_t>(fits),
             static_cast<std::int64_t>(start)});
  }

  const PlacedBlockSink& placed_;
  bool keepBytes_;
  MemoryImage image_;
  std::int64_t length_ = kAddressSpaceBytes;  // the image's, whether its bytes are kept or not
  std::array<std::uint8_t, kHeaderBlockBytes> header_{};  // the last header block
  bool headerWaiting_ = false;                            // it waits for its data
};

Refusal CutInside(std::int32_t number) {
  return Refusal{u"cut off inside block " + DecimalText(number)};
}

Refusal TooShort(std::int32_t number) {
  return Refusal{u"block " + DecimalText(number) + u" is too short for a flag and a checksum"};
}

constexpr std::size_t kTzxHeaderBytes = 10;

// Where each kind of TZX block keeps the length of its body (after the ID byte): `fixed`
// bytes, plus a count of `fieldBytes` bytes at `at` times `unit`, the count always within
// the fixed bytes.
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

// The rule for a TZX block's length by its ID.
const TzxLengthRule& LengthRule(std::uint8_t id) {
  for (const TzxLengthRule& known : kTzxLengthRules)
    if (known.id == id) return known;
  return kLengthFirst;
}

constexpr std::uint8_t kGlueId = 0x5A;

}  // namespace

ImageRead ReadTapImage(ByteStream& file, const PlacedBlockSink& placed, ReadFor readFor) {
  TapeImage image(placed, readFor);
  for (std::int32_t number = 1; !file.AtEnd(); ++number) {
    const ByteSpan lengthField = file.Take(2);
    if (lengthField.size() < 2) return CutInside(number);
    const std::size_t length = LittleEndian(lengthField, 0, 2);
    if (length < 2) return TooShort(number);
    const ByteSpan block = file.Take(length);
    if (block.size() < length) return CutInside(number);
    image.Standard(number, block);
  }
  return image.Take();
}

ImageRead ReadTzxImage(ByteStream& file, const PlacedBlockSink& placed, ReadFor readFor) {
  const ByteSpan header = file.Take(kTzxHeaderBytes);
  if (header.size() < kTzxHeaderBytes || std::memcmp(header.data(), "ZXTape!\x1A", 8) != 0)
    return Refusal{u"not a .tzx tape"};
  if (header[8] != 1)
    return Refusal{u"major version " + DecimalText(header[8]) + u", which is not 1"};
  TapeImage image(placed, readFor);
  std::int32_t number = 0;
  while (!file.AtEnd()) {
    const std::uint8_t id = file.Take(1)[0];
    const TzxLengthRule& rule = LengthRule(id);
    // The fixed part holds the length of the rest, and the used bits of the data blocks.
    const ByteSpan fixed = file.Take(rule.fixed);
    if (fixed.size() < rule.fixed) return CutInside(number + 1);
    const std::uint64_t rest =
        rule.fieldBytes == 0
            ? 0
            : rule.unit * std::uint64_t{LittleEndian(fixed, rule.at, rule.fieldBytes)};
    // A glue block is where two tape files were joined: no block of the tape, and a header
    // before it keeps its data after it.
    if (id == kGlueId) continue;
    ++number;
    if (id == 0x10) {
      const ByteSpan block = file.Take(rest);
      if (block.size() < rest) return CutInside(number);
      if (block.size() < 2) return TooShort(number);  // no room for the flag and the checksum
      image.Standard(number, block);
    } else if (id == 0x11 || id == 0x14) {
      // The bits of the last byte that carry data; with none, the byte is no data.
      const int usedBits = fixed[id == 0x11 ? 0x0C : 0x04];
      const std::uint64_t length = usedBits == 0 && rest > 0 ? rest - 1 : rest;
      if (readFor == ReadFor::kImage) {
        const ByteSpan data = file.Take(rest);
        if (data.size() < rest) return CutInside(number);
        image.Raw(number, length, data.first(static_cast<std::size_t>(length)));
      } else {
        if (!file.Skip(rest)) return CutInside(number);
        image.Raw(number, length, {});
      }
    } else {
      if (!file.Skip(rest)) return CutInside(number);
      image.Skip();
    }
  }
  return image.Take();
}

}  // namespace pelorin
