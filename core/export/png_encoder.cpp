// png_encoder.cpp: the PNG chunks of an indexed picture, the pixels deflated by zlib.
#include "export/png_encoder.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>

namespace pelorin {

namespace {

void AppendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A chunk: its length, type, data and the CRC of type and data.
void AppendChunk(std::vector<std::uint8_t>& out, std::string_view type,
                 const std::vector<std::uint8_t>& data) {
  AppendBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
  AppendBigEndian(out, static_cast<std::uint32_t>(crc));
}

// Whether looking for runs can save anything: deflate's run search gains only from bytes that
// repeat the one before and from some byte values being more common than others. Bytes with
// neither (a picture of noise) are stored as they are, which costs a copy instead of coding
// every byte for nothing.
bool WorthPacking(const std::vector<std::uint8_t>& raw) {
  std::array<std::uint32_t, 256> counts{};
  std::size_t repeats = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    ++counts[raw[i]];
    repeats += i > 0 && raw[i] == raw[i - 1];
  }
  if (repeats * 16 >= raw.size()) return true;
  // The bits a byte needs at the least when each value is coded by how common it is.
  double bits = 0;
  for (const std::uint32_t count : counts)
    if (count > 0) {
      const double share = static_cast<double>(count) / static_cast<double>(raw.size());
      bits -= share * std::log2(share);
    }
  return bits < 7.5;
}

// The bytes as one zlib stream. A region's picture is a few kilobytes: the window and the
// hash table are sized to it, since clearing zlib's full-sized ones would cost more than
// compressing. Only runs are looked for: rows of a few colours are runs and repeats of the
// row above, which the search for longer matches barely improves on at many times the cost.
bool Deflate(const std::vector<std::uint8_t>& raw, std::vector<std::uint8_t>& packed) {
  int windowBits = 9;
  while (windowBits < 15 && (std::size_t{1} << windowBits) < raw.size()) ++windowBits;
  z_stream stream{};
  const int level = WorthPacking(raw) ? Z_BEST_SPEED : Z_NO_COMPRESSION;
  if (deflateInit2(&stream, level, Z_DEFLATED, windowBits, std::max(1, windowBits - 7), Z_RLE) !=
      Z_OK)
    return false;
  packed.resize(deflateBound(&stream, static_cast<uLong>(raw.size())));
  stream.next_in = const_cast<Bytef*>(raw.data());
  stream.avail_in = static_cast<uInt>(raw.size());
  stream.next_out = packed.data();
  stream.avail_out = static_cast<uInt>(packed.size());
  const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
  packed.resize(stream.total_out);
  deflateEnd(&stream);
  return done;
}

}  // namespace

std::vector<std::uint8_t> EncodeIndexedPng(const IndexedPicture& picture) {
  if (picture.width <= 0 || picture.height <= 0 || picture.palette.empty() ||
      picture.palette.size() > 256)
    return {};
  // As few bits a pixel as the palette needs: a region in two colours packs eight to a byte.
  const std::size_t colours = picture.palette.size();
  const int bits = colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
  const std::size_t perByte = static_cast<std::size_t>(8 / bits);
  const std::size_t rowBytes =
      (static_cast<std::size_t>(picture.width) + perByte - 1) / perByte + 1;
  if (rowBytes * picture.height > std::numeric_limits<uLong>::max() / 2) return {};
  try {
    // Every row unfiltered (filter 0), a filter byte first: a few colours in runs deflate
    // well as they are.
    std::vector<std::uint8_t> raw(rowBytes * picture.height, 0);
    for (std::int32_t y = 0; y < picture.height; ++y) {
      std::uint8_t* out = raw.data() + y * rowBytes + 1;
      const std::uint8_t* pixel =
          picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
      // Each pixel shifted in from the right; a full byte goes out, the last one padded.
      unsigned byte = 0;
      int filled = 0;
      std::int32_t x = 0;
      if (bits == 1 && std::endian::native == std::endian::little) {
        // Eight pixels of 0 or 1 at once: the multiplication gathers each byte's low bit
        // into the top byte, the first pixel highest.
        for (; x + 8 <= picture.width; x += 8) {
          std::uint64_t eight;
          std::memcpy(&eight, pixel + x, 8);
          *out++ = static_cast<std::uint8_t>(eight * 0x8040201008040201u >> 56);
        }
      }
      for (; x < picture.width; ++x) {
        byte = byte << bits | pixel[x];
        filled += bits;
        if (filled == 8) {
          *out++ = static_cast<std::uint8_t>(byte);
          byte = 0;
          filled = 0;
        }
      }
      if (filled > 0) *out = static_cast<std::uint8_t>(byte << (8 - filled));
    }
    std::vector<std::uint8_t> packed;
    if (!Deflate(raw, packed)) return {};

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    AppendBigEndian(header, static_cast<std::uint32_t>(picture.width));
    AppendBigEndian(header, static_cast<std::uint32_t>(picture.height));
    // Indexed, deflate, the filters by rows, no interlace.
    header.insert(header.end(), {static_cast<std::uint8_t>(bits), 3, 0, 0, 0});
    AppendChunk(png, "IHDR", header);
    std::vector<std::uint8_t> palette;
    for (const Rgb colour : picture.palette)
      palette.insert(palette.end(),
                     {static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 8),
                      static_cast<std::uint8_t>(colour >> 16)});
    AppendChunk(png, "PLTE", palette);
    if (picture.transparent >= 0 &&
        picture.transparent < static_cast<std::int32_t>(picture.palette.size())) {
      // Entries up to the transparent one: every other entry opaque.
      std::vector<std::uint8_t> alpha(static_cast<std::size_t>(picture.transparent) + 1, 255);
      alpha.back() = 0;
      AppendChunk(png, "tRNS", alpha);
    }
    AppendChunk(png, "IDAT", packed);
    AppendChunk(png, "IEND", {});
    return png;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

}  // namespace pelorin
