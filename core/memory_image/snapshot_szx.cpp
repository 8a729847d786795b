// snapshot_szx.cpp: .szx snapshots: a header and chunks, of which only the RAM pages and
// the 128K paging register matter here; every other chunk is skipped by its length.
#include <array>
#include <cstring>

#include <zlib.h>

#include "memory_image/memory_image.h"
#include "memory_image/snapshot_banks.h"

namespace pelorin {

namespace {

constexpr std::size_t kFileHeaderBytes = 8;
constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kPageHeaderBytes = 3;  // flags word, page number
constexpr std::size_t kSpecRegsBytes = 8;

std::optional<SnapshotModel> MachineModel(int machine) {
  switch (machine) {
    case 0:
      return SnapshotModel::k16K;
    case 1:   // 48K
    case 15:  // 48K NTSC
      return SnapshotModel::k48K;
    case 2:   // 128K
    case 3:   // +2
    case 4:   // +2A
    case 5:   // +3
    case 6:   // +3e
    case 7:   // Pentagon 128
    case 16:  // 128Ke
      return SnapshotModel::k128K;
    default:  // Timex, Scorpion, SE, Pentagon 512 and 1024, and anything unknown
      return std::nullopt;
  }
}

bool IsChunk(ByteSpan file, std::size_t offset, const char (&id)[5]) {
  return std::memcmp(file.data() + offset, id, 4) == 0;
}

// Inflates a zlib stream into exactly out.size() bytes; false for a broken stream, one that
// ends early, or one that holds more.
bool Inflate(ByteSpan in, std::span<std::uint8_t> out) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  stream.next_in = const_cast<Bytef*>(in.data());
  stream.avail_in = static_cast<uInt>(in.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  const int status = inflate(&stream, Z_FINISH);
  const bool whole = status == Z_STREAM_END && stream.avail_out == 0;
  inflateEnd(&stream);
  return whole;
}

struct Page {
  int bank;
  std::array<std::uint8_t, kBankBytes> bytes;
};

}  // namespace

std::optional<MemoryImage> ReadSzxImage(ByteSpan file, const PlacedBlockSink& placed) {
  if (file.size() < kFileHeaderBytes || std::memcmp(file.data(), "ZXST", 4) != 0 || file[4] != 1)
    return std::nullopt;
  const auto model = MachineModel(file[6]);
  if (!model) return std::nullopt;

  // The paging register may come after the pages, so the pages are kept until the end.
  std::vector<Page> pages;
  int port = 0;
  std::size_t offset = kFileHeaderBytes;
  while (offset < file.size()) {
    if (file.size() - offset < kChunkHeaderBytes) return std::nullopt;
    const std::uint64_t size = LittleEndian(file, offset + 4, 4);
    const std::size_t body = offset + kChunkHeaderBytes;
    if (size > file.size() - body) return std::nullopt;
    if (IsChunk(file, offset, "SPCR")) {
      if (size != kSpecRegsBytes) return std::nullopt;
      port = file[body + 1];
    } else if (IsChunk(file, offset, "RAMP")) {
      if (size < kPageHeaderBytes) return std::nullopt;
      const bool compressed = LittleEndian(file, body, 2) & 1;
      const ByteSpan data = file.subspan(body + kPageHeaderBytes, size - kPageHeaderBytes);
      if (pages.size() == 8) return std::nullopt;  // more pages than any machine here has
      Page& page = pages.emplace_back();
      page.bank = file[body + 2];
      if (compressed) {
        if (!Inflate(data, page.bytes)) return std::nullopt;
      } else {
        if (data.size() != kBankBytes) return std::nullopt;
        std::copy(data.begin(), data.end(), page.bytes.begin());
      }
    }
    offset = body + static_cast<std::size_t>(size);
  }

  SnapshotImage image(*model, port, placed);
  for (const Page& page : pages)
    if (!image.Place(page.bank, page.bytes)) return std::nullopt;  // foreign or repeated
  return image.Take();
}

}  // namespace pelorin
