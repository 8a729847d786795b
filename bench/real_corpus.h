// real_corpus.h: real Spectrum files with known graphics blocks, and Debian's console fonts:
// the yardstick of the width guess on what people really store.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pelorin {

struct RealCase {
  std::string name;  // the file, where in it, and how the bytes were cut
  std::vector<std::uint8_t> bytes;
  std::int32_t width;  // the strip width at which the bytes form rows
};

struct RealBlocks {
  // From each block's start to the end of what the window loads: raw from its offset in the
  // file and, for a tape or snapshot, from its place in the memory image (its address, or
  // where the image holds it when the tape does not say where it loads).
  std::vector<RealCase> atOffset;
  std::vector<RealCase> alone;  // each block cut out, nothing before or after it
};

// The blocks that truth.tsv in the folder lists, read from its files/ folder. Whole screens
// are left out: they are laid out in screen order, not in rows. Nothing when the folder, its
// table or a file it names cannot be read, a row is malformed, or a tape's or snapshot's
// memory image does not hold the block.
std::optional<RealBlocks> ReadRealBlocks(const std::filesystem::path& folder);

// Every gzipped PSF font in the folder whose characters are 8 pixels wide, whole as
// unpacked (header and unicode table included), each to be seen at width 1. Nothing when
// the folder cannot be read or a font cannot be unpacked.
std::optional<std::vector<RealCase>> ReadConsoleFonts(const std::filesystem::path& folder);

}  // namespace pelorin
