// tool_test_support.h: scratch folders, file bytes, sample sprites and the window's own
// conversion, for the converter's tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "converter_state.h"
#include "platform/text.h"

namespace pelorin {

using Bytes = std::vector<std::uint8_t>;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::filesystem::path FsPath(const Text& text);
Text PathText(const std::filesystem::path& path);

// A fresh folder for one test, removed with all it holds when the test ends.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  Text Path(const Text& name) const { return PathText(root / FsPath(name)); }

  std::filesystem::path root;
};

void WriteBytes(const Text& path, const Bytes& bytes);
std::optional<Bytes> ReadBytes(const Text& path);  // nothing when it cannot be read
std::string ReadText(const Text& path);            // the bytes as they are; empty if unread

// Bytes that look like nothing in particular, the same for the same seed.
Bytes SampleBytes(std::size_t count, std::uint32_t seed);

// What the window holds after "Fill with color.." answered with `attribute`, the strip
// width set to `width` and the file loaded: the window's code, done here in-process.
ConverterState WindowState(const Text& path, std::int32_t width, const Text& attribute);

// The bytes the window's Save writes for that state (through a copy of the file, so that
// the window's .scr does not stand where the converter's goes).
Bytes WindowSave(const Text& path, std::int32_t width, const Text& attribute);

}  // namespace pelorin
