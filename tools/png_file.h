// png_file.h: pictures as PNG files, and writing whole files through the platform layer.
#pragma once

#include <cstdint>
#include <vector>

#include "screen/pixel_buffer.h"
#include "platform/text.h"

namespace pelorin {

// The picture as the bytes of a PNG file, 8-bit RGB, each pixel enlarged to a square of
// scale x scale; empty when it cannot be made (no memory for a picture this size).
std::vector<std::uint8_t> EncodePng(const PixelBuffer& picture, std::int32_t scale);

// Makes the file hold exactly these bytes; false when it could not be written whole.
bool WriteWholeFile(const Text& path, const std::vector<std::uint8_t>& bytes);

}  // namespace pelorin
