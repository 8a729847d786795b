// png_encoder.cpp: the PNG chunks of an indexed picture, the pixels deflated by zlib.
#include "export/png_encoder.h"

#include <zlib.h>

#include <algorithm>
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

}  // namespace

std::vector<std::uint8_t> EncodeIndexedPng(const IndexedPicture& picture) {
  if (picture.width <= 0 || picture.height <= 0 || picture.palette.empty() ||
      picture.palette.size() > 256)
    return {};
  // As few bits a pixel as the palette needs: a region in two colours packs eight to a byte.
  const std::size_t colours = picture.palette.size();
  const int bits = colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
  const std::size_t perByte = 8 / bits;
  const std::size_t rowBytes =
      (static_cast<std::size_t>(picture.width) + perByte - 1) / perByte + 1;
  if (rowBytes * picture.height > std::numeric_limits<uLong>::max() / 2) return {};
  try {
    // Every row unfiltered (filter 0), a filter byte first: a few colours in runs deflate
    // well as they are.
    std::vector<std::uint8_t> raw(rowBytes * picture.height, 0);
    for (std::int32_t y = 0; y < picture.height; ++y) {
      std::uint8_t* row = raw.data() + y * rowBytes + 1;
      const std::uint8_t* pixel =
          picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
      for (std::int32_t x = 0; x < picture.width; ++x)
        row[x / perByte] |= static_cast<std::uint8_t>(pixel[x] << (8 - bits - x % perByte * bits));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
      return {};
    packed.resize(packedSize);

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
