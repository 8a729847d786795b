// The readers against the field's reference converters: snapshots and tapes made here from
// known memory and blocks, converted to the other formats by snapconv and tapeconv, must all
// give the memory that was put in.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "memory_image.h"
#include "spectrum_files.h"
#include "test_support.h"

namespace pelorin {
namespace {

namespace fs = std::filesystem;
using namespace testing;

bool HaveTool(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs the tool on the input to make the output; a failure fails the test.
void Convert(const char* tool, const std::string& options, const fs::path& in,
             const fs::path& out) {
  const std::string command = std::string(tool) + " " + options + " '" + in.string() + "' '" +
                              out.string() + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

Bytes ImageBytes(const fs::path& path) {
  const auto image = ReadMemoryImage(PathText(path));
  return image ? image->bytes : Bytes{};
}

struct SnapshotCase {
  const char* name;
  int paged;  // -1: a 48K machine
  std::uint32_t seed;
};

const SnapshotCase kSnapshotCases[] = {
    {"48K", -1, 1},
    {"128K, bank 3 at 0xC000", 3, 2},
    {"128K, bank 5 at 0xC000, stored twice", 5, 3},
    {"128K, bank 2 at 0xC000, stored twice", 2, 4},
};

TEST(MemoryImageOracle, SnapshotsOfEveryFormatHoldTheMemoryPutIn) {
  if (!HaveTool("snapconv")) GTEST_SKIP() << "snapconv (fuse-emulator-utils) is not installed";
  for (const SnapshotCase& c : kSnapshotCases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    const Banks banks = SampleBanks(c.seed);
    WriteBytes(folder / "in.sna", c.paged < 0 ? Sna48(banks) : Sna128(banks, c.paged));
    const Bytes expected = SnapshotImageOf(banks, c.paged);
    EXPECT_EQ(ImageBytes(folder / "in.sna"), expected);
    for (const auto& [options, name] :
         {std::pair{"", "out.z80"}, {"-n", "raw.z80"}, {"", "out.szx"}, {"-c", "packed.szx"}}) {
      Convert("snapconv", options, folder / "in.sna", folder / name);
      EXPECT_EQ(ImageBytes(folder / name), expected) << name;
    }
  }
}

TEST(MemoryImageOracle, TapesInBothFormatsHoldWhatTheirBlocksSay) {
  if (!HaveTool("tapeconv")) GTEST_SKIP() << "tapeconv (fuse-emulator-utils) is not installed";
  const Bytes program = RandomBytes(20, 10), screen = RandomBytes(6912, 11),
              game = RandomBytes(5000, 12), loose = RandomBytes(3000, 13),
              array = RandomBytes(50, 14), tail = RandomBytes(1000, 15),
              over = RandomBytes(100, 16), custom = RandomBytes(10, 17);
  const std::vector<Bytes> blocks = {
      TapeBlock(0, TapeHeader(0, "loader", 20, 10, 20)),  // 1
      TapeBlock(0xFF, program),
      TapeBlock(0, TapeHeader(3, "screen", 6912, 16384, 32768)),
      TapeBlock(0xFF, screen),  // 4
      TapeBlock(0, TapeHeader(3, "game", 5000, 30000, 32768)),
      TapeBlock(0xFF, game),   // 6
      TapeBlock(0xFF, loose),  // 7: no header
      TapeBlock(0, TapeHeader(1, "a", 50, 0x8100, 32768)),
      TapeBlock(0xFF, array),
      TapeBlock(0, TapeHeader(3, "tail", 1000, 65000, 32768)),
      TapeBlock(0xFF, tail),  // 11: runs past the address space
      TapeBlock(0, TapeHeader(3, "over", 100, 31000, 32768)),
      TapeBlock(0xFF, over),    // 13: over part of "game"
      TapeBlock(0x42, custom),  // 14: a custom loader's flag
  };
  Bytes expected(65536, 0);
  std::copy(screen.begin(), screen.end(), expected.begin() + 16384);
  std::copy(game.begin(), game.end(), expected.begin() + 30000);
  std::copy(tail.begin(), tail.begin() + 536, expected.begin() + 65000);
  std::copy(over.begin(), over.end(), expected.begin() + 31000);
  expected.insert(expected.end(), loose.begin(), loose.end());
  expected.insert(expected.end(), custom.begin(), custom.end());
  using Kind = PlacedBlock::Kind;
  std::vector<PlacedBlock> placed = {
      {Kind::kCode, 4, "screen", 6912, 16384}, {Kind::kCode, 6, "game", 5000, 30000},
      {Kind::kData, 7, "", 3000, 65536},       {Kind::kCode, 11, "tail", 536, 65000},
      {Kind::kCode, 13, "over", 100, 31000},   {Kind::kData, 14, "", 10, 68536}};

  ScratchFolder folder;
  WriteBytes(folder / "in.tap", Tap(blocks));
  Convert("tapeconv", "", folder / "in.tap", folder / "out.tzx");
  for (const char* name : {"in.tap", "out.tzx"}) {
    const auto image = ReadMemoryImage(PathText(folder / name));
    ASSERT_TRUE(image) << name;
    EXPECT_EQ(image->bytes, expected) << name;
    EXPECT_EQ(image->blocks, placed) << name;
  }

  // Blocks tapeconv does not write: turbo and pure data kept as recorded, flag and checksum
  // included, and the blocks around them skipped by their lengths, an unknown kind included.
  Bytes tzx = ReadBytes(folder / "out.tzx");
  const Bytes extra = {
      0x30, 3,    'a', 'b',  'c',                                              // 15 text
      0x11, 0x78, 8,   0x9B, 2,   0xDF, 2,   0x57, 3, 0xAE, 6, 0x7F, 0x1F, 8,  // 16 turbo
      0xE8, 3,    3,   0,    0,   0xFF, 1,   0xFE,                             //    its data
      0x5A, 'X',  'T', 'a',  'p', 'e',  '!', 0x1A, 1, 20,                      // 17 glue
      0x14, 0x57, 3,   0xAE, 6,   8,    0,   0,    2, 0,    0, 0x11, 0x22,     // 18 pure data
      0x60, 3,    0,   0,    0,   9,    9,   9,                                // 19 unknown
      0x12, 0x78, 8,   0x7F, 0x1F};                                            // 20 tone
  tzx.insert(tzx.end(), extra.begin(), extra.end());
  WriteBytes(folder / "more.tzx", tzx);
  expected.insert(expected.end(), {0xFF, 1, 0xFE, 0x11, 0x22});
  placed.push_back({Kind::kData, 16, "", 3, 68546});
  placed.push_back({Kind::kData, 18, "", 2, 68549});
  const auto image = ReadMemoryImage(PathText(folder / "more.tzx"));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->bytes, expected);
  EXPECT_EQ(image->blocks, placed);
}

}  // namespace
}  // namespace pelorin
