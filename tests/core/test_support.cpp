// test_support.cpp: helpers shared by the core's tests.
#include "test_support.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace pelorin::testing {

CountingCanvas::CountingCanvas() : painter(MemoryPainter(buffer)) {
  painter.canvas = this;
  painter.begin = [](CanvasPainter& p) {
    auto& canvas = *static_cast<CountingCanvas*>(p.canvas);
    ++canvas.paintings;
    CanvasPainter memory = MemoryPainter(canvas.buffer);
    if (!BeginPainting(memory)) return false;
    p.painting = memory.painting;
    return true;
  };
}

namespace {
std::filesystem::path UniqueFolderName() {
  static std::mt19937 random{std::random_device{}()};
  return std::filesystem::temp_directory_path() /
         ("pelorin-test-" + std::to_string(random()) + "-" + std::to_string(random()));
}
}  // namespace

ScratchFolder::ScratchFolder() : path_(UniqueFolderName()) {
  if (!std::filesystem::create_directories(path_)) throw std::runtime_error("no scratch folder");
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::all, ignored);
  std::filesystem::remove_all(path_, ignored);
}

Text PathText(const std::filesystem::path& path) {
  return path.u16string();
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> RandomBytes(std::size_t count, std::uint32_t seed) {
  std::mt19937 random{seed};
  std::vector<std::uint8_t> bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

int HardwareLineAddress(int y) {
  return (y & 0xC0) << 5 | (y & 0x07) << 8 | (y & 0x38) << 2;
}

ScreenImage ReferenceScreen(const std::vector<std::uint8_t>& sprite, int width,
                            std::uint8_t fillAttribute) {
  ScreenImage screen{};
  for (int i = kPixelBytes; i < kScreenBytes; ++i) screen[i] = fillAttribute;
  for (std::size_t k = 0; k < sprite.size(); ++k) {
    const std::size_t row = k / width;
    const std::size_t line = row % 192;
    const std::size_t offset = row / 192 * width + k % width;
    const std::size_t target = HardwareLineAddress(static_cast<int>(line)) + offset;
    if (target < screen.size()) screen[target] = sprite[k];
  }
  return screen;
}

std::vector<std::int64_t> ReferenceOwners(std::size_t length, int width) {
  std::vector<std::int64_t> owners(kScreenBytes, -1);
  for (std::size_t k = 0; k < length; ++k) {
    const std::size_t row = k / width;
    const std::size_t target =
        HardwareLineAddress(static_cast<int>(row % 192)) + row / 192 * width + k % width;
    if (target < owners.size()) owners[target] = static_cast<std::int64_t>(k);
  }
  return owners;
}

Rgb ReferenceColour(const ScreenImage& screen, int x, int y) {
  const int pixels = screen[HardwareLineAddress(y) + x / 8];
  const int attribute = screen[kPixelBytes + y / 8 * 32 + x / 8];
  const bool ink = pixels >> (7 - x % 8) & 1;
  const int colour = ink ? attribute & 7 : attribute >> 3 & 7;
  const Rgb level = attribute & 0x40 ? 255 : 127;
  // Colour numbers are G R B from the top bit down.
  return (colour & 2 ? level : 0) | (colour & 4 ? level : 0) << 8 | (colour & 1 ? level : 0) << 16;
}

int PixelsDifferingFrom(const PixelBuffer& buffer, const ScreenImage& screen) {
  int differing = 0;
  for (int y = 0; y < kScreenHeight; ++y)
    for (int x = 0; x < kScreenWidth; ++x)
      differing += buffer.PixelAt(x, y) != ReferenceColour(screen, x, y);
  return differing;
}

}  // namespace pelorin::testing
