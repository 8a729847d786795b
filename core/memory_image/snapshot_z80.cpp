// snapshot_z80.cpp: .z80 snapshots, versions 1 to 3, their memory run-length coded or not.
#include <algorithm>
#include <array>

#include "memory_image/memory_image.h"
#include "memory_image/snapshot_banks.h"

namespace pelorin {

namespace {

constexpr std::size_t kBaseHeaderBytes = 30;
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

std::optional<MemoryImage> ReadVersion1(ByteSpan file, const PlacedBlockSink& placed) {
  SnapshotImage image(SnapshotModel::k48K, 0, placed);
  const ByteSpan body = file.subspan(kBaseHeaderBytes);
  std::array<std::uint8_t, kVersion1RamBytes> ram;
  // Byte 12 holds 0xFF in some old files, which means 1: no flags set.
  const std::uint8_t flags = file[12] == 0xFF ? 1 : file[12];
  if (flags & 0x20) {
    const auto used = DecodeRuns(body, ram);
    if (!used || body.size() - *used < sizeof kVersion1EndMarker ||
        !std::equal(std::begin(kVersion1EndMarker), std::end(kVersion1EndMarker),
                    body.begin() + *used))
      return std::nullopt;
  } else {
    if (body.size() < kVersion1RamBytes) return std::nullopt;
    std::copy_n(body.begin(), kVersion1RamBytes, ram.begin());
  }
  const ByteSpan all(ram);
  image.Place(5, all.subspan(0, kBankBytes));
  image.Place(2, all.subspan(kBankBytes, kBankBytes));
  image.Place(0, all.subspan(2 * kBankBytes, kBankBytes));
  return image.Take();
}

}  // namespace

std::optional<MemoryImage> ReadZ80Image(ByteSpan file, const PlacedBlockSink& placed) {
  if (file.size() < kBaseHeaderBytes + 2) return std::nullopt;
  if (LittleEndian(file, 6, 2) != 0) return ReadVersion1(file, placed);

  const std::size_t extraBytes = LittleEndian(file, 30, 2);
  if (extraBytes != 23 && extraBytes != 54 && extraBytes != 55) return std::nullopt;
  std::size_t offset = kBaseHeaderBytes + 2 + extraBytes;
  if (file.size() < offset) return std::nullopt;
  const auto model = HardwareModel(file[34], extraBytes != 23, (file[37] & 0x80) != 0);
  if (!model) return std::nullopt;
  SnapshotImage image(*model, file[35], placed);

  std::array<std::uint8_t, kBankBytes> bank;
  while (offset < file.size()) {
    if (file.size() - offset < 3) return std::nullopt;
    const std::size_t stored = LittleEndian(file, offset, 2);
    const int page = file[offset + 2];
    offset += 3;
    // Three zero bytes end the memory where level data follows it (.slt files).
    if (stored == 0 && page == 0) break;
    const bool raw = stored == 0xFFFF;
    const std::size_t length = raw ? kBankBytes : stored;
    if (file.size() - offset < length) return std::nullopt;
    const ByteSpan data = file.subspan(offset, length);
    offset += length;

    const int bankNumber = PageBank(page, *model);
    if (bankNumber == -2) return std::nullopt;
    if (raw) {
      std::copy(data.begin(), data.end(), bank.begin());
    } else {
      const auto used = DecodeRuns(data, bank);
      if (!used || *used != data.size()) return std::nullopt;
    }
    if (bankNumber < 0) continue;
    // A 16K machine's file may hold the pages of the RAM it lacks: they are no memory of it.
    if (!image.Has(bankNumber)) continue;
    if (!image.Place(bankNumber, bank)) return std::nullopt;  // the same page twice
  }
  return image.Take();
}

}  // namespace pelorin
