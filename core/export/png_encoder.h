// png_encoder.h: pictures as the bytes of PNG files, compressed with zlib.
#pragma once

#include <cstdint>
#include <vector>

#include "export/region_picture.h"

namespace pelorin {

// An indexed PNG of the picture: 1, 2, 4 or 8 bits a pixel as its palette needs, the
// palette, and when it has a transparent entry the transparency of that entry alone. Empty when it
// cannot be made (no pixels, a palette past 256 colours, no memory).
std::vector<std::uint8_t> EncodeIndexedPng(const IndexedPicture& picture);

}  // namespace pelorin
