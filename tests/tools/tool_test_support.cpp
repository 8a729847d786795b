// tool_test_support.cpp: the converter tests' files and the window's conversion.
#include "tool_test_support.h"

#include <random>

#include <gtest/gtest.h>

#include "colour_entry.h"
#include "screen/pixel_buffer.h"
#include "platform/platform.h"
#include "sprite_file.h"

namespace pelorin {

std::filesystem::path FsPath(const Text& text) {
#ifdef _WIN32
  return std::filesystem::path(text);
#else
  return std::filesystem::path(TextToUtf8(text));
#endif
}

Text PathText(const std::filesystem::path& path) {
#ifdef _WIN32
  return path.u16string();
#else
  return Utf8ToText(path.string());
#endif
}

ScratchFolder::ScratchFolder() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("pelorin-") + test->test_suite_name() + "-" + test->name() + "-" +
                     std::to_string(std::random_device{}());
  for (char& c : name)
    if (c == '/') c = '-';  // parameterised test names
  root = std::filesystem::temp_directory_path() / name;
  std::filesystem::create_directories(root);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

void WriteBytes(const Text& path, const Bytes& bytes) {
  ASSERT_TRUE(platform::WriteWholeFile(path, bytes)) << TextToUtf8(path);
}

std::optional<Bytes> ReadBytes(const Text& path) {
  const std::int64_t size = platform::QueryFileSize(path);
  platform::File file = platform::OpenForReading(path);
  if (size < 0 || !file.IsOpen()) return std::nullopt;
  Bytes bytes(static_cast<std::size_t>(size));
  if (file.Read(bytes.data(), static_cast<std::int32_t>(size)) != size) return std::nullopt;
  return bytes;
}

std::string ReadText(const Text& path) {
  const Bytes bytes = ReadBytes(path).value_or(Bytes{});
  return std::string(bytes.begin(), bytes.end());
}

Bytes SampleBytes(std::size_t count, std::uint32_t seed) {
  std::minstd_rand generator(seed);
  Bytes bytes(count);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator() >> 8);
  return bytes;
}

ConverterState WindowState(const Text& path, std::int32_t width, const Text& attribute) {
  ConverterState state;
  PixelBuffer canvas;
  CanvasPainter painter = MemoryPainter(canvas);
  const ReportError noError = [](const Text& message) { ADD_FAILURE() << TextToUtf8(message); };
  ApplyColourAnswer(state, attribute, painter, noError);
  state.stripWidth = width;
  state.sourcePath = path;
  LoadSprite(state, painter, noError);
  return state;
}

Bytes WindowSave(const Text& path, std::int32_t width, const Text& attribute) {
  const Text copy = path + u".window";
  WriteBytes(copy, ReadBytes(path).value());
  ConverterState state = WindowState(copy, width, attribute);
  SaveScreen(state, [](const Text& message) { ADD_FAILURE() << TextToUtf8(message); });
  return ReadBytes(ScreenFilePath(copy)).value();
}

}  // namespace pelorin
