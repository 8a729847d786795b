// snapshot_z80.cpp: .z80 snapshots, versions 1 to 3, their memory run-length coded or not.
#include <algorithm>
#include <array>
#include <limits>

#include "memory_image/memory_image.h"
#include "memory_image/snapshot_banks.h"

namespace pelorin {

namespace {

constexpr std::size_t kBaseHeaderBytes = 30;
constexpr std::size_t kLongestExtraHeader = 55;  // version 3 with the +3's second port
constexpr std::size_t kVersion1RamBytes = 3 * kBankBytes;
constexpr std::uint8_t kVersion1EndMarker[] = {0x00, 0xED, 0xED, 0x00};
constexpr std::uint8_t kMarker = 0xED;

// Decodes `ED ED count value` runs and literal bytes from `in` into exactly out.size()
// bytes. Returns the count of input bytes used, or nothing when the output would overflow,
// or when the input runs out (a run cut short included) before the output is full.
std::optional<std::size_t> DecodeRuns(ByteSpan in, std::span<std::uint8_t> out) {
  std::size_t read = 0;
  std::size_t written = 0;
  while (written < out.size()) {
    if (read + 1 < in.size() && in[read] == kMarker && in[read + 1] == kMarker) {
      if (read + 4 > in.size()) return std::nullopt;
      const std::size_t count = in[read + 2];
      if (count > out.size() - written) return std::nullopt;
      std::fill_n(out.begin() + written, count, in[read + 3]);
      written += count;
      read += 4;
    } else if (read < in.size()) {
      out[written++] = in[read++];
    } else {
      return std::nullopt;
    }
  }
  return read;
}

// The machine a version 2 or 3 header describes, by its hardware byte and, in bit 7 of the
// byte after the port, the flag that turns a 48K machine into a 16K one (a 128K one into a
// +2, a +3 into a +2A: the same memory). Nothing for hardware of other memory.
std::optional<SnapshotModel> HardwareModel(int hardware, bool version3, bool modified) {
  const SnapshotModel small = modified ? SnapshotModel::k16K : SnapshotModel::k48K;
  switch (hardware) {
    case 0:  // 48K
    case 1:  // 48K and Interface 1
      return small;
    case 3:  // 128K in version 2, 48K and M.G.T. in version 3
      return version3 ? small : SnapshotModel::k128K;
    case 4:   // 128K (and Interface 1 in version 2)
    case 7:   // +3
    case 8:   // +3, as some writers put it
    case 9:   // Pentagon 128
    case 12:  // +2
    case 13:  // +2A
      return SnapshotModel::k128K;
    case 5:  // 128K and Interface 1, version 3 only
    case 6:  // 128K and M.G.T., version 3 only
      if (version3) return SnapshotModel::k128K;
      return std::nullopt;
    default:  // SamRam, Scorpion, Didaktik, Timex and anything unknown
      return std::nullopt;
  }
}

// The RAM bank a memory block's page number holds; -1 for ROM and other pages that are no
// RAM of the machine, -2 for a page number no file may have.
int PageBank(int page, SnapshotModel model) {
  if (page > 18) return -2;
  if (model == SnapshotModel::k128K) {
    if (page >= 3 && page <= 10) return page - 3;
    return page <= 11 ? -1 : -2;  // 12 to 18: banks of machines with more than eight
  }
  switch (page) {
    case 8:
      return 5;
    case 4:
      return 2;
    case 5:
      return 0;
    default:
      return -1;
  }
}

// The 48K of memory after a version 1 header: stored as they are, or run-length coded and
// followed by an end marker.
ImageRead ReadVersion1(ByteSpan header, ByteStream& file, const PlacedBlockSink& placed) {
  SnapshotImage image(SnapshotModel::k48K, 0, placed);
  std::array<std::uint8_t, kVersion1RamBytes> ram;
  // Byte 12 holds 0xFF in some old files, which means 1: no flags set.
  const std::uint8_t flags = header[12] == 0xFF ? 1 : header[12];
  if (flags & 0x20) {
    const ByteSpan body = file.Take(std::numeric_limits<std::uint64_t>::max());
    const auto used = DecodeRuns(body, ram);
    if (!used) return Refusal{u"its memory does not decode to 48 KiB"};
    if (body.size() - *used < sizeof kVersion1EndMarker ||
        !std::equal(std::begin(kVersion1EndMarker), std::end(kVersion1EndMarker),
                    body.begin() + *used))
      return Refusal{u"no end marker after its memory"};
  } else {
    const ByteSpan body = file.Take(kVersion1RamBytes);
    if (body.size() < kVersion1RamBytes) return Refusal{u"cut off inside its memory"};
    std::copy(body.begin(), body.end(), ram.begin());
  }
  const ByteSpan all(ram);
  image.Place(5, all.subspan(0, kBankBytes));
  image.Place(2, all.subspan(kBankBytes, kBankBytes));
  image.Place(0, all.subspan(2 * kBankBytes, kBankBytes));
  return image.Take();
}

}  // namespace

ImageRead ReadZ80Image(ByteStream& file, const PlacedBlockSink& placed, ReadFor) {
  // The base header, then the extra header's length and the extra header; each copied
  // before the next is taken.
  const Refusal kCutHeader{u"cut off inside its header"};
  std::array<std::uint8_t, kBaseHeaderBytes + 2 + kLongestExtraHeader> header{};
  const ByteSpan base = file.Take(kBaseHeaderBytes);
  if (base.size() < kBaseHeaderBytes) return kCutHeader;
  std::copy(base.begin(), base.end(), header.begin());
  if (LittleEndian(header, 6, 2) != 0) return ReadVersion1(header, file, placed);

  const ByteSpan lengthField = file.Take(2);
  if (lengthField.size() < 2) return kCutHeader;
  const std::size_t extraBytes = LittleEndian(lengthField, 0, 2);
  if (extraBytes != 23 && extraBytes != 54 && extraBytes != kLongestExtraHeader)
    return Refusal{u"an extra header of " + DecimalText(static_cast<long long>(extraBytes)) +
                   u" bytes, which no .z80 has"};
  const ByteSpan extra = file.Take(extraBytes);
  if (extra.size() < extraBytes) return kCutHeader;
  std::copy(extra.begin(), extra.end(), header.begin() + kBaseHeaderBytes + 2);
  const auto model = HardwareModel(header[34], extraBytes != 23, (header[37] & 0x80) != 0);
  if (!model)
    return Refusal{u"hardware " + DecimalText(header[34]) +
                   u", which is no 16K, 48K or 128K Spectrum"};
  SnapshotImage image(*model, header[35], placed);

  std::array<std::uint8_t, kBankBytes> bank;
  for (int block = 1; !file.AtEnd(); ++block) {
    const Text number = DecimalText(block);
    const ByteSpan blockHeader = file.Take(3);
    if (blockHeader.size() < 3) return Refusal{u"cut off inside block " + number};
    const std::size_t stored = LittleEndian(blockHeader, 0, 2);
    const int page = blockHeader[2];
    // Three zero bytes end the memory where level data follows it (.slt files).
    if (stored == 0 && page == 0) break;
    const bool raw = stored == 0xFFFF;
    const std::size_t length = raw ? kBankBytes : stored;
    const ByteSpan data = file.Take(length);
    if (data.size() < length) return Refusal{u"cut off inside block " + number};

    const int bankNumber = PageBank(page, *model);
    const Text pageText = u"page " + DecimalText(page);
    if (bankNumber == -2)
      return Refusal{u"block " + number + u" holds " + pageText + u", which no .z80 has"};
    if (raw) {
      std::copy(data.begin(), data.end(), bank.begin());
    } else {
      const auto used = DecodeRuns(data, bank);
      if (!used || *used != data.size())
        return Refusal{u"block " + number + u" does not decode to one page"};
    }
    if (bankNumber < 0) continue;
    // A 16K machine's file may hold the pages of the RAM it lacks: they are no memory of it.
    if (!image.Has(bankNumber)) continue;
    if (!image.Place(bankNumber, bank))
      return Refusal{u"block " + number + u" repeats " + pageText};
  }
  return image.Take();
}

}  // namespace pelorin
