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

bool IsChunk(ByteSpan header, const char (&id)[5]) {
  return std::memcmp(header.data(), id, 4) == 0;
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
  int chunk;  // its place among the chunks, from 1
  std::array<std::uint8_t, kBankBytes> bytes;
};

}  // namespace

ImageRead ReadSzxImage(ByteStream& file, const PlacedBlockSink& placed, ReadFor) {
  const ByteSpan header = file.Take(kFileHeaderBytes);
  if (header.size() < kFileHeaderBytes || std::memcmp(header.data(), "ZXST", 4) != 0)
    return Refusal{u"not a .szx snapshot"};
  if (header[4] != 1)
    return Refusal{u"major version " + DecimalText(header[4]) + u", which is not 1"};
  const int machine = header[6];
  const auto model = MachineModel(machine);
  if (!model)
    return Refusal{u"machine " + DecimalText(machine) + u", which is no 16K, 48K or 128K Spectrum"};

  // The paging register may come after the pages, so the pages are kept until the end.
  // Without it a 128K machine pages as the port's value 7 does: bank 7 at 0xC000.
  std::vector<Page> pages;
  pages.reserve(8);
  int port = 7;
  for (int chunk = 1; !file.AtEnd(); ++chunk) {
    const Text number = DecimalText(chunk);
    const Refusal cut{u"cut off inside chunk " + number};
    const ByteSpan chunkHeader = file.Take(kChunkHeaderBytes);
    if (chunkHeader.size() < kChunkHeaderBytes) return cut;
    const std::uint64_t size = LittleEndian(chunkHeader, 4, 4);
    if (IsChunk(chunkHeader, "SPCR")) {
      if (size != kSpecRegsBytes)
        return Refusal{u"chunk " + number + u" holds paging registers of " +
                       DecimalText(static_cast<long long>(size)) + u" bytes"};
      const ByteSpan body = file.Take(size);
      if (body.size() < size) return cut;
      port = body[1];
    } else if (IsChunk(chunkHeader, "RAMP")) {
      const ByteSpan body = file.Take(size);
      if (body.size() < size) return cut;
      if (size < kPageHeaderBytes)
        return Refusal{u"chunk " + number + u" is a RAM page without its header"};
      if (pages.size() == 8)
        return Refusal{u"chunk " + number +
                       u" is a ninth RAM page"};  // more than any machine here has
      const bool compressed = LittleEndian(body, 0, 2) & 1;
      const ByteSpan data = body.subspan(kPageHeaderBytes);
      Page& page = pages.emplace_back();
      page.bank = body[2];
      page.chunk = chunk;
      if (compressed) {
        if (!Inflate(data, page.bytes))
          return Refusal{u"chunk " + number + u" does not inflate to one page"};
      } else {
        if (data.size() != kBankBytes)
          return Refusal{u"chunk " + number + u" holds a page of " +
                         DecimalText(static_cast<long long>(data.size())) + u" bytes"};
        std::copy(data.begin(), data.end(), page.bytes.begin());
      }
    } else if (!file.Skip(size)) {
      return cut;
    }
  }

  SnapshotImage image(*model, port, placed);
  for (const Page& page : pages) {
    const Text what = u"chunk " + DecimalText(page.chunk);
    if (!image.Has(page.bank))
      return Refusal{what + u" holds RAM page " + DecimalText(page.bank) +
                     u", which the machine lacks"};
    if (!image.Place(page.bank, page.bytes))
      return Refusal{what + u" repeats RAM page " + DecimalText(page.bank)};
  }
  return image.Take();
}

}  // namespace pelorin
