// Tests of the snapshot and tape readers on hand-made files: the versions and machines the
// reference converters do not write, every kind of broken file (each a few bytes edited from
// a good one), and the loading of a memory image into the window's state.
#include <functional>

#include <gtest/gtest.h>
#include <zlib.h>

#include "memory_image.h"
#include "sprite_file.h"
#include "spectrum_files.h"
#include "test_support.h"

namespace pelorin {
namespace {

using namespace testing;

Bytes Edited(Bytes file, const std::function<void(Bytes&)>& edit) {
  edit(file);
  return file;
}

void Append(Bytes& file, const Bytes& more) {
  file.insert(file.end(), more.begin(), more.end());
}

// `count` bytes of `value` as 255-byte runs and a last shorter one.
Bytes Runs(std::uint8_t value, int count) {
  Bytes coded;
  for (; count > 0; count -= 255)
    Append(coded, {0xED, 0xED, std::uint8_t(std::min(count, 255)), value});
  return coded;
}

Bytes Z80Block(int page, const Bytes& data) {
  Bytes block;
  AppendWord(block, static_cast<unsigned>(data.size()));
  block.push_back(static_cast<std::uint8_t>(page));
  Append(block, data);
  return block;
}

// Version 3, 48K: pages 8, 4 and 5 (0x4000, 0x8000, 0xC000) coded as runs of 0x11, 0x22
// and 0x33. The last block starts at 612 and ends the file at 875.
Bytes Z80(int hardware = 0, int extraHeader = 54) {
  Bytes file(32 + extraHeader, 0);
  file[30] = static_cast<std::uint8_t>(extraHeader);
  file[34] = static_cast<std::uint8_t>(hardware);
  file[35] = 0x13;  // the paging port, for 128K hardware: bank 3 at 0xC000
  for (const auto& [page, value] : {std::pair{8, 0x11}, {4, 0x22}, {5, 0x33}})
    Append(file, Z80Block(page, Runs(static_cast<std::uint8_t>(value), 16384)));
  return file;
}

Bytes Z80Version1(bool compressed) {
  Bytes file(30, 0);
  file[6] = 0x00;
  file[7] = 0x80;  // PC 0x8000: not 0, so version 1
  file[12] = compressed ? 0x20 : 0x00;
  if (compressed) {
    Append(file, Runs(0x11, 16384));
    Append(file, Runs(0x22, 16384));
    Append(file, Runs(0x33, 16384));
    Append(file, {0x00, 0xED, 0xED, 0x00});
  } else {
    for (std::uint8_t value : {0x11, 0x22, 0x33}) Append(file, Bytes(16384, value));
  }
  return file;
}

Bytes Chunk(const char* id, const Bytes& body) {
  Bytes chunk(id, id + 4);
  AppendWord(chunk, static_cast<unsigned>(body.size()));
  AppendWord(chunk, static_cast<unsigned>(body.size() >> 16));
  Append(chunk, body);
  return chunk;
}

Bytes Page(int bank, const Bytes& bytes, bool compress) {
  Bytes body = {compress ? std::uint8_t{1} : std::uint8_t{0}, 0, static_cast<std::uint8_t>(bank)};
  if (!compress) {
    Append(body, bytes);
    return Chunk("RAMP", body);
  }
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  Bytes packed(size);
  compress2(packed.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), 9);
  packed.resize(size);
  Append(body, packed);
  return Chunk("RAMP", body);
}

Bytes RawPage(int bank, std::uint8_t value) {
  return Page(bank, Bytes(16384, value), false);
}

Bytes Szx(int machine, const std::vector<Bytes>& chunks) {
  Bytes file = {'Z', 'X', 'S', 'T', 1, 4, static_cast<std::uint8_t>(machine), 0};
  for (const Bytes& chunk : chunks) Append(file, chunk);
  return file;
}

const Bytes kSpecRegs = Chunk("SPCR", {2, 0, 0, 0, 0, 0, 0, 0});

// 48K: bank 5 raw, bank 2 compressed, bank 0 raw; the last chunk is 16,395 bytes.
Bytes GoodSzx() {
  return Szx(1, {kSpecRegs, RawPage(5, 0x11), Page(2, Bytes(16384, 0x22), true), RawPage(0, 0x33)});
}

Bytes GoodTap() {
  return Tap({TapeBlock(0, TapeHeader(3, "code", 3, 40000, 32768)), TapeBlock(0xFF, {1, 2, 3})});
}

Bytes GoodTzx() {
  Bytes file = {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20};
  for (const Bytes& block :
       {TapeBlock(0, TapeHeader(3, "code", 3, 40000, 32768)), TapeBlock(0xFF, {1, 2, 3})}) {
    Append(file, {0x10, 0xE8, 0x03});
    AppendWord(file, static_cast<unsigned>(block.size()));
    Append(file, block);
  }
  Append(file, {0x30, 3, 'e', 'n', 'd'});
  return file;
}

// Where a good file of each kind must put what.
struct ValidCase {
  const char* name;
  Bytes file;
  std::optional<MemoryImage> (*read)(ByteSpan);
  std::size_t imageSize;
  std::vector<std::pair<std::size_t, std::uint8_t>> bytesAt;
};

TEST(MemoryImage, ValidFilesPutTheirMemoryAtItsAddresses) {
  const std::vector<std::pair<std::size_t, std::uint8_t>> k48 = {
      {16383, 0}, {16384, 0x11}, {32767, 0x11}, {32768, 0x22}, {49152, 0x33}, {65535, 0x33}};
  const ValidCase cases[] = {
      {"z80 version 3, 48K", Z80(), ReadZ80Image, 65536, k48},
      {"z80 version 2, 48K", Z80(0, 23), ReadZ80Image, 65536, k48},
      {"z80 version 1, run-length coded", Z80Version1(true), ReadZ80Image, 65536, k48},
      {"z80 version 1, stored", Z80Version1(false), ReadZ80Image, 65536, k48},
      {"z80 hardware 3 is 128K in version 2: pages 4, 5 are banks 1, 2",
       Z80(3, 23),
       ReadZ80Image,
       147456,
       {{16384, 0x11}, {32768, 0x33}, {49152, 0}, {65536 + 16384, 0x22}}},
      {"z80 hardware 3 is 48K in version 3", Z80(3, 55), ReadZ80Image, 65536, k48},
      {"z80 16K: pages 4 and 5 are no memory of it",
       Edited(Z80(), [](Bytes& f) { f[37] = 0x80; }),
       ReadZ80Image,
       65536,
       {{16384, 0x11}, {32768, 0}, {65535, 0}}},
      {"z80 level data after the memory (.slt)",
       Edited(Z80(),
              [](Bytes& f) {
                Append(f, {0, 0, 0, 'S', 'L', 'T', 1, 2});
              }),
       ReadZ80Image, 65536, k48},
      {"szx 48K, one page compressed", GoodSzx(), ReadSzxImage, 65536, k48},
      {"szx 128K, paging after the pages, an unknown chunk skipped",
       Szx(2, {RawPage(3, 0x33), Chunk("ZZZZ", {9, 9}), Chunk("SPCR", {0, 3, 0, 0, 0, 0, 0, 0})}),
       ReadSzxImage,
       147456,
       {{49152, 0x33}, {49152 + 16383, 0x33}, {65536 + 2 * 16384, 0}}},
      {"szx 16K, its one page",
       Szx(0, {RawPage(5, 0x11)}),
       ReadSzxImage,
       65536,
       {{16384, 0x11}, {32768, 0}}},
      {"tap whose checksum is wrong: data kept",
       Edited(GoodTap(), [](Bytes& f) { f.back() ^= 1; }),
       ReadTapImage,
       65536,
       {{40000, 1}, {40002, 3}, {40003, 0}}},
      {"tzx: CODE placed, text skipped", GoodTzx(), ReadTzxImage, 65536, {{40000, 1}, {40002, 3}}},
  };
  for (const ValidCase& c : cases) {
    const auto image = c.read(c.file);
    ASSERT_TRUE(image) << c.name;
    ASSERT_EQ(image->bytes.size(), c.imageSize) << c.name;
    for (const auto& [at, value] : c.bytesAt)
      EXPECT_EQ(image->bytes[at], value) << c.name << " at " << at;
  }
}

struct MalformedCase {
  const char* name;
  Bytes file;
};

void ExpectAllRefused(std::optional<MemoryImage> (*read)(ByteSpan), const Bytes& good,
                      const std::vector<MalformedCase>& cases) {
  ASSERT_TRUE(read(good)) << "the file the cases are edited from";
  for (const MalformedCase& c : cases) EXPECT_FALSE(read(c.file)) << c.name;
}

TEST(MemoryImage, BrokenSnapshotsAreRefused) {
  const Banks zero{Bytes(16384, 0), Bytes(16384, 0), Bytes(16384, 0), Bytes(16384, 0),
                   Bytes(16384, 0), Bytes(16384, 0), Bytes(16384, 0), Bytes(16384, 0)};
  const Bytes sna = Sna48(zero);
  ExpectAllRefused(ReadSnaImage, sna,
                   {{"one byte short", Bytes(sna.begin(), sna.end() - 1)},
                    {"one byte over", Edited(sna, [](Bytes& f) { f.push_back(0); })},
                    {"rounded up to 128 bytes", Edited(sna, [](Bytes& f) { f.resize(49280); })},
                    {"128K paging bank 5 without its second copy",
                     Edited(Sna128(zero, 3), [](Bytes& f) { f[49181] = 0x15; })},
                    {"128K with a second copy, paging bank 3",
                     Edited(Sna128(zero, 5), [](Bytes& f) { f[49181] = 0x13; })},
                    {"128K whose second copy differs",
                     Edited(Sna128(zero, 2), [](Bytes& f) { f[27 + 2 * 16384 + 100] = 1; })}});

  const Bytes z80 = Z80();
  ExpectAllRefused(
      ReadZ80Image, z80,
      {{"cut inside the last block", Bytes(z80.begin(), z80.end() - 1)},
       {"a block longer than the file", Edited(z80, [](Bytes& f) { ++f[612]; })},
       {"a run that writes past its page", Edited(z80, [](Bytes& f) { f[f.size() - 2] = 0x41; })},
       {"a page that decodes short", Edited(z80, [](Bytes& f) { f[f.size() - 2] = 0x3F; })},
       {"bytes left in a block once its page is full",
        Edited(z80,
               [](Bytes& f) {
                 f[612] += 2, Append(f, {0xED, 0xED});
               })},
       {"a run cut after its count", Edited(z80, [](Bytes& f) { --f[612], f.pop_back(); })},
       {"a header length of 24", Edited(z80, [](Bytes& f) { f[30] = 24; })},
       {"a header cut short", Bytes(z80.begin(), z80.begin() + 60)},
       {"a header of 31 bytes", Bytes(z80.begin(), z80.begin() + 31)},
       {"SamRam", Edited(z80, [](Bytes& f) { f[34] = 2; })},
       {"Scorpion 256", Edited(z80, [](Bytes& f) { f[34] = 10; })},
       {"Timex TC2048", Edited(z80, [](Bytes& f) { f[34] = 14; })},
       {"hardware 5 in version 2", Edited(Z80(5, 23), [](Bytes&) {})},
       {"page 19", Edited(z80, [](Bytes& f) { f[88] = 19; })},
       {"a bank past 7 on 128K", Edited(z80, [](Bytes& f) { f[34] = 4, f[88] = 12; })},
       {"the same page twice", Edited(z80, [](Bytes& f) { f[351] = 8; })},
       {"a cut block header", Edited(z80,
                                     [](Bytes& f) {
                                       Append(f, {0xFF, 0xFF});
                                     })},
       {"version 1 without its end marker",
        Edited(Z80Version1(true), [](Bytes& f) { f.erase(f.end() - 4, f.end()); })},
       {"version 1 stored, one byte short",
        Edited(Z80Version1(false), [](Bytes& f) { f.pop_back(); })}});

  const Bytes szx = GoodSzx();
  const std::size_t last = szx.size() - 16395;  // the last chunk, bank 0 raw
  ExpectAllRefused(
      ReadSzxImage, szx,
      {{"wrong signature", Edited(szx, [](Bytes& f) { f[0] = 'X'; })},
       {"major version 2", Edited(szx, [](Bytes& f) { f[4] = 2; })},
       {"Timex TC2048", Edited(szx, [](Bytes& f) { f[6] = 8; })},
       {"Pentagon 512", Edited(szx, [](Bytes& f) { f[6] = 13; })},
       {"a chunk longer than the file", Edited(szx, [&](Bytes& f) { ++f[last + 4]; })},
       {"a chunk size that wraps 32 bits",
        Edited(szx, [&](Bytes& f) { std::fill_n(f.begin() + last + 4, 4, 0xFF); })},
       {"a chunk header cut short", Edited(szx,
                                           [](Bytes& f) {
                                             Append(f, {'A', 'B', 'C', 'D', 1});
                                           })},
       {"a page chunk too short for its header", Szx(1, {Chunk("RAMP", {0, 0})})},
       {"a raw page one byte short", Szx(1, {Page(5, Bytes(16383, 0), false)})},
       {"a stream whose checksum fails", Edited(szx, [&](Bytes& f) { f[last - 1] ^= 0xFF; })},
       {"a stream that inflates past its page", Szx(1, {Page(5, Bytes(16385, 1), true)})},
       {"a stream that inflates short", Szx(1, {Page(5, Bytes(16383, 1), true)})},
       {"a page the machine lacks", Edited(szx, [&](Bytes& f) { f[last + 10] = 3; })},
       {"the same page twice", Edited(szx, [&](Bytes& f) { f[last + 10] = 5; })},
       {"paging registers of 9 bytes", Szx(2, {Chunk("SPCR", Bytes(9, 0))})}});
}

TEST(MemoryImage, BrokenTapesAreRefused) {
  const Bytes tap = GoodTap();
  ExpectAllRefused(
      ReadTapImage, tap,
      {{"a lone byte after the last block", Edited(tap, [](Bytes& f) { f.push_back(0); })},
       {"a block of length 0", Edited(tap,
                                      [](Bytes& f) {
                                        Append(f, {0, 0});
                                      })},
       {"a block of length 1", Edited(tap,
                                      [](Bytes& f) {
                                        Append(f, {1, 0, 0xFF});
                                      })},
       {"a block longer than the file", Edited(tap, [](Bytes& f) {
          Append(f, {5, 0, 0xFF, 1});
        })}});

  const Bytes tzx = GoodTzx();
  const auto with = [&](const Bytes& more) {
    return Edited(tzx, [&](Bytes& f) { Append(f, more); });
  };
  Bytes customInfo = {0x35};
  Append(customInfo, Bytes(16, 'x'));
  Append(customInfo, {100, 0, 0, 0, 1});
  ExpectAllRefused(
      ReadTzxImage, tzx,
      {{"wrong signature", Edited(tzx, [](Bytes& f) { f[0] = 'z'; })},
       {"major version 2", Edited(tzx, [](Bytes& f) { f[8] = 2; })},
       {"shorter than its header", Bytes(tzx.begin(), tzx.begin() + 9)},
       {"standard data of one byte", with({0x10, 0xE8, 0x03, 1, 0, 0xFF})},
       {"standard data cut in its header", with({0x10, 0xE8, 0x03})},
       {"standard data longer than the file", with({0x10, 0xE8, 0x03, 9, 0, 0xFF, 1})},
       {"turbo data longer than the file",
        with({0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 100, 0, 0, 1})},
       {"pure data longer than the file", with({0x14, 0, 0, 0, 0, 8, 0, 0, 0, 0, 1, 1})},
       {"an unknown block longer than the file", with({0x60, 0xFF, 0xFF, 0xFF, 0xFF, 0})},
       {"custom info longer than the file", with(customInfo)},
       {"text cut short", with({0x30, 10, 'a'})}});
}

TEST(MemoryImage, TheSwitchLoadsSnapshotsAndTapesAsTheirMemory) {
  ScratchFolder folder;
  CountingCanvas canvas;
  MessageLog log;
  ConverterState state;
  const Bytes z80 = Z80();
  WriteBytes(folder / "game.Z80", z80);
  const auto load = [&](const std::string& name, std::int64_t offset) {
    state.sourcePath = PathText(folder / name);
    LoadSpriteAtOffset(state, canvas.painter, log.reporter(), offset);
  };

  load("game.Z80", 0);  // off: the file's own bytes
  EXPECT_EQ(state.spriteLength, static_cast<std::int32_t>(z80.size()));
  EXPECT_EQ(state.screen, ReferenceScreen(z80, 1, 71));

  state.readMemoryImages = true;
  load("game.Z80", 0xC000);  // on: the offset is an address
  EXPECT_EQ(state.spriteLength, 16384);
  EXPECT_EQ(state.sourceLength, 65536);
  EXPECT_EQ(state.screen, ReferenceScreen(Bytes(16384, 0x33), 1, 71));
  load("game.Z80", 70000);  // past the image: nothing to show, as with an empty file
  EXPECT_EQ(state.spriteLength, 0);
  EXPECT_TRUE(log.messages.empty());

  WriteBytes(folder / "plain.bin", {7, 8, 9});
  load("plain.bin", 1);  // other files load as before
  EXPECT_EQ(state.spriteLength, 2);
  EXPECT_EQ(state.spriteData[0], 8);

  const ScreenImage shown = state.screen;
  WriteBytes(folder / "short.sna", Bytes(1000, 1));
  load("short.sna", 0);
  EXPECT_EQ(log.messages, std::vector<Text>{u"error reading\n" + PathText(folder / "short.sna")});
  EXPECT_EQ(state.sourcePath, u"");
  EXPECT_EQ(state.spriteLength, 0);
  EXPECT_EQ(state.screen, shown);
}

}  // namespace
}  // namespace pelorin
