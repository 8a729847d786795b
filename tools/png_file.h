// png_file.h: pictures as the bytes of PNG files.
#pragma once

#include <cstdint>
#include <vector>

#include "screen/pixel_buffer.h"

namespace pelorin {

// The picture as the bytes of a PNG file, 8-bit RGB, each pixel enlarged to a square of
// scale x scale; empty when it cannot be made (no memory for a picture this size).
std::vector<std::uint8_t> EncodePng(const PixelBuffer& picture, std::int32_t scale);

}  // namespace pelorin
