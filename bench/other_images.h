// other_images.h: Spectrum memory images from a second maker of planted graphics, which shares
// no drawing, numbers or fillers with the first: other shapes, letters, block sizes and data
// around them. What is tuned on one maker's images is judged on the other's.
#pragma once

#include <cstdint>
#include <vector>

#include "planted_images.h"

namespace pelorin {

// What the second maker takes from outside, from packages scripts/setup installs: real Z80
// code from a free MSX BIOS (its main, sub, disk, music and BASIC ROMs, with their padding and
// the main ROM's character set cut out; the logo's ROM is left out, being a picture) and from
// the small-device C compiler's Z80 library (its modules' bytes one after another, the
// addresses in them not filled in), and the BIOS's character set. `code` is empty when both
// packages are missing.
struct OtherMaterial {
  std::vector<std::vector<std::uint8_t>> code;  // stretches of code, with the data among them
  std::vector<std::uint8_t> charset;            // glyphs from the space on, 8 bytes each
};

OtherMaterial LoadOtherMaterial();

// A 48K (65,536 bytes) or, for about two seeds in five, a 128K (147,456 bytes) memory image:
// the ROM's place zero or filled, the screen a loading picture or cleared, a BASIC loader after
// the system's area now and then, and 3 to 10 planted blocks among code, packed screens, level
// maps, music tables, colours, pointers, blank runs and messages. The same seed gives the same
// image everywhere.
PlantedImage MakeOtherPlantedImage(const OtherMaterial& material, std::uint32_t seed);

}  // namespace pelorin
