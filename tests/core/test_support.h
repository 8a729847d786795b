// test_support.h: what the core's tests share: a counting canvas, a message log, scratch
// folders and an independent model of the screen layout.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "screen/canvas_painter.h"
#include "converter_state.h"
#include "screen/pixel_buffer.h"
#include "screen/screen.h"
#include "platform/text.h"

namespace pelorin::testing {

// A canvas in memory that counts how often it was painted.
struct CountingCanvas {
  PixelBuffer buffer;
  int paintings = 0;
  CanvasPainter painter;
  CountingCanvas();
  CountingCanvas(const CountingCanvas&) = delete;
  CountingCanvas& operator=(const CountingCanvas&) = delete;
};

// Collects what the core reports, in order.
struct MessageLog {
  std::vector<Text> messages;
  ReportError reporter() {
    return [this](const Text& message) { messages.push_back(message); };
  }
};

// A fresh folder, removed with everything in it when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

Text PathText(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);
std::vector<std::uint8_t> RandomBytes(std::size_t count, std::uint32_t seed);

// The offset of line y's first pixel byte, from the hardware's bit layout.
int HardwareLineAddress(int y);
// The screen built byte by byte from the layout rule, with the line address taken from the
// hardware's bit layout rather than from the program's table.
ScreenImage ReferenceScreen(const std::vector<std::uint8_t>& sprite, int width,
                            std::uint8_t fillAttribute);
// For each screen byte, the index of the sprite byte of `length` that the layout rule puts
// there last, or -1 where none lands.
std::vector<std::int64_t> ReferenceOwners(std::size_t length, int width);
// The colour of pixel (x, y) of a screen, from the documented colour chart.
Rgb ReferenceColour(const ScreenImage& screen, int x, int y);
// How many of the 256 x 192 pixels of the buffer differ from the screen's colours.
int PixelsDifferingFrom(const PixelBuffer& buffer, const ScreenImage& screen);

}  // namespace pelorin::testing
