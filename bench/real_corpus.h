// real_corpus.h: real Spectrum files with known graphics blocks, and Debian's console fonts:
// the yardstick of the width guess on what people really store.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "screen/layout.h"

namespace pelorin {

struct RealCase {
  std::string name;  // the file, where in it, and how the bytes were cut
  std::vector<std::uint8_t> bytes;
  std::int32_t width;  // the strip width at which the bytes form rows
  std::string source;  // the repository the file comes from: the unit left out when judging
};

// A block that truth.tsv lists, as stored in its file.
struct KnownBlock {
  std::string file;
  std::string source;
  std::int64_t offset;                  // in the file as stored
  std::optional<std::int64_t> address;  // in its memory image, where the table gives one
  std::int32_t width;                   // a row's graphic bytes; a sprite's columns by columns
  std::int64_t rows;                    // rows; rows of each column by columns
  SpriteLayout layout;                  // its masks and columns, or the Spectrum screen
  bool serpentine;                      // odd rows stored right to left
  std::string head;                     // its first bytes, in hexadecimal

  // Stored bytes, mask bytes included; a screen's colours included.
  std::int64_t Length() const;
  // The strip width at which its stored bytes form rows: twice the width when masked, 1 (2)
  // by columns; 0 for a screen.
  std::int32_t StoredWidth() const;
};

// Every block truth.tsv in the folder lists, but screens cut short (a third of one), which no
// layout shows whole. Nothing when the table cannot be read or a row is malformed.
std::optional<std::vector<KnownBlock>> ReadKnownBlocks(const std::filesystem::path& folder);

struct RealBlocks {
  // From each block's start to the end of what the window loads: raw from its offset in the
  // file and, for a tape or snapshot, from its place in the memory image (its address, or
  // where the image holds it when the tape does not say where it loads).
  std::vector<RealCase> atOffset;
  std::vector<RealCase> alone;  // each block cut out, nothing before or after it
};

// The blocks that truth.tsv in the folder lists, read from its files/ folder. Screens are left
// out, as are blocks wider than the widest strip: they are laid out in screen order or in
// rows no strip width shows. Nothing when the folder, its
// table or a file it names cannot be read, a row is malformed, or a tape's or snapshot's
// memory image does not hold the block.
std::optional<RealBlocks> ReadRealBlocks(const std::filesystem::path& folder);

// Every gzipped PSF font in the folder whose characters are 8 pixels wide, whole as
// unpacked (header and unicode table included), each to be seen at width 1. Nothing when
// the folder cannot be read or a font cannot be unpacked.
std::optional<std::vector<RealCase>> ReadConsoleFonts(const std::filesystem::path& folder);

}  // namespace pelorin
