// png_file.cpp: PNG encoding with stb_image_write, into memory.
#include "png_file.h"

#include <algorithm>
#include <limits>
#include <new>

// Encoding goes to memory only: files are written through the platform layer, which takes
// the program's own paths on both platforms and replaces a file only once it is complete.
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace pelorin {

namespace {

struct EncodedPng {
  std::vector<std::uint8_t> bytes;
  bool failed = false;
};

void AppendPngBytes(void* context, void* data, int size) {
  auto& png = *static_cast<EncodedPng*>(context);
  const auto* first = static_cast<const std::uint8_t*>(data);
  try {
    png.bytes.insert(png.bytes.end(), first, first + size);
  } catch (const std::bad_alloc&) {
    png.failed = true;  // no exception may pass through the encoder's C code
  }
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const PixelBuffer& picture, std::int32_t scale) {
  const std::int64_t width = std::int64_t{picture.width} * scale;
  const std::int64_t height = std::int64_t{picture.height} * scale;
  if (scale < 1 || width * 3 > std::numeric_limits<int>::max() / height) return {};

  // The buffer holds bottom-up blue-green-red rows; PNG wants top-down red-green-blue.
  std::vector<std::uint8_t> rows;
  try {
    rows.resize(static_cast<std::size_t>(width * height * 3));
  } catch (const std::bad_alloc&) {
    return {};
  }
  std::uint8_t* out = rows.data();
  for (std::int32_t y = 0; y < picture.height; ++y) {
    std::uint8_t* const rowStart = out;
    for (std::int32_t x = 0; x < picture.width; ++x) {
      const Rgb colour = picture.PixelAt(x, y);
      for (std::int32_t copy = 0; copy < scale; ++copy) {
        *out++ = static_cast<std::uint8_t>(colour);
        *out++ = static_cast<std::uint8_t>(colour >> 8);
        *out++ = static_cast<std::uint8_t>(colour >> 16);
      }
    }
    for (std::int32_t copy = 1; copy < scale; ++copy, out += width * 3)
      std::copy(rowStart, rowStart + width * 3, out);
  }

  EncodedPng png;
  const int encoded =
      stbi_write_png_to_func(AppendPngBytes, &png, static_cast<int>(width),
                             static_cast<int>(height), 3, rows.data(), static_cast<int>(width * 3));
  if (encoded == 0 || png.failed) return {};
  return std::move(png.bytes);
}

}  // namespace pelorin
