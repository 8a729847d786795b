// redraw_fuzz.cpp: Redraw over arbitrary sprite bytes, widths and lengths up to the read
// bound, checked against a byte-by-byte model of the layout and the colour chart.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "screen/pixel_buffer.h"
#include "redraw.h"
#include "sprite_file.h"
#include "fuzz_check.h"

namespace {

using namespace pelorin;

int HardwareLineAddress(int y) {
  return (y & 0xC0) << 5 | (y & 0x07) << 8 | (y & 0x38) << 2;
}

Rgb ChartColour(int colour, bool bright) {
  const Rgb level = bright ? 255 : 127;
  return (colour & 2 ? level : 0) | (colour & 4 ? level : 0) << 8 | (colour & 1 ? level : 0) << 16;
}

}  // namespace

// Input: width byte, attribute byte, three bytes of length, then the sprite's bytes, which
// repeat to fill the length. A fourth byte decides whether the length claims more bytes
// than the sprite holds.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  const int width = data[0] % 31 + 1;
  const std::uint8_t attribute = data[1];
  const std::int32_t length =
      static_cast<std::int32_t>((data[2] | data[3] << 8 | data[4] << 16) % (SpriteReadBound + 1));
  const bool overstated = data[5] & 1;
  const std::uint8_t* pattern = data + 6;
  const std::size_t patternSize = size - 6;

  ConverterState state;
  state.stripWidth = width;
  state.fillAttribute = attribute;
  state.spriteData.resize(static_cast<std::size_t>(length));
  for (std::int32_t k = 0; k < length; ++k)
    state.spriteData[k] = patternSize ? pattern[k % patternSize] : static_cast<std::uint8_t>(k);
  state.spriteLength = length;
  if (overstated && length > 0) state.spriteData.resize(length / 2);
  const std::size_t held = std::min<std::size_t>(length, state.spriteData.size());

  PixelBuffer buffer;
  CanvasPainter painter = MemoryPainter(buffer);
  const auto blank = buffer.bytes;
  Redraw(state, painter);

  if (length == 0) {
    Check(buffer.bytes == blank);
    return 0;
  }
  ScreenImage expected{};
  std::memset(expected.data() + kPixelBytes, attribute, kAttributeBytes);
  for (std::size_t k = 0; k < held; ++k) {
    const std::size_t row = k / width;
    const std::size_t target =
        HardwareLineAddress(static_cast<int>(row % 192)) + row / 192 * width + k % width;
    if (target < expected.size()) expected[target] = state.spriteData[k];
  }
  Check(state.screen == expected);
  for (int y = 0; y < 192; ++y) {
    for (int x = 0; x < 256; ++x) {
      const int pixels = expected[HardwareLineAddress(y) + x / 8];
      const int a = expected[kPixelBytes + y / 8 * 32 + x / 8];
      const bool ink = pixels >> (7 - x % 8) & 1;
      Check(buffer.PixelAt(x, y) == ChartColour(ink ? a & 7 : a >> 3 & 7, a & 64));
    }
  }
  return 0;
}
