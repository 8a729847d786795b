// Tests of the snapshot and tape readers: snapshots and tapes made here from known memory and
// blocks, converted to the other formats by the field's reference converters (snapconv and
// tapeconv), must all give what was put in; hand-made files cover the versions and machines
// those do not write and every kind of broken file (each a few bytes edited from a good
// one); and a memory image loads into the window's state.
#include <array>
#include <cstdlib>
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <zlib.h>

#include "memory_image.h"
#include "sprite_file.h"
#include "test_support.h"

namespace pelorin {
namespace {

using namespace testing;
using Bytes = std::vector<std::uint8_t>;
using Banks = std::array<Bytes, 8>;  // 16,384 bytes each

void Append(Bytes& file, const Bytes& more) {
  file.insert(file.end(), more.begin(), more.end());
}

void AppendWord(Bytes& bytes, unsigned value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

Bytes SnaHeader() {
  Bytes header(27, 0);
  header[23] = 0x00;  // SP 0xFF00: a 48K file's PC is read from there
  header[24] = 0xFF;
  header[25] = 1;  // interrupt mode
  header[26] = 2;  // border
  return header;
}

// A 48K .sna of banks 5, 2 and 0, and a 128K one with `paged` at 0xC000 (stored twice,
// as the format wants, when it is bank 5 or 2).
Bytes Sna48(const Banks& banks) {
  Bytes file = SnaHeader();
  for (int bank : {5, 2, 0}) Append(file, banks[bank]);
  return file;
}

Bytes Sna128(const Banks& banks, int paged) {
  Bytes file = SnaHeader();
  for (int bank : {5, 2, paged}) Append(file, banks[bank]);
  AppendWord(file, 0x8000);                                 // PC
  file.push_back(static_cast<std::uint8_t>(paged | 0x10));  // port 0x7FFD: bank, ROM 1
  file.push_back(0);                                        // TR-DOS not paged
  for (int bank = 0; bank < 8; ++bank)
    if (bank != 5 && bank != 2 && bank != paged) Append(file, banks[bank]);
  return file;
}

// A tape block as the ROM saves it: flag, data, checksum.
Bytes TapeBlock(std::uint8_t flag, const Bytes& data) {
  Bytes block(data.size() + 2, flag);
  std::copy(data.begin(), data.end(), block.begin() + 1);
  block.back() = 0;
  for (std::size_t i = 0; i + 1 < block.size(); ++i) block.back() ^= block[i];
  return block;
}

// The 17 bytes of a standard header's data.
Bytes TapeHeader(int type, const std::string& name, int length, int parameter1, int parameter2) {
  Bytes header(11, ' ');
  header[0] = static_cast<std::uint8_t>(type);
  std::copy(name.begin(), name.end(), header.begin() + 1);
  AppendWord(header, length);
  AppendWord(header, parameter1);
  AppendWord(header, parameter2);
  return header;
}

// Blocks in .tap form: each behind its two-byte length.
Bytes Tap(const std::vector<Bytes>& blocks) {
  Bytes file;
  for (const Bytes& block : blocks) {
    AppendWord(file, static_cast<unsigned>(block.size()));
    Append(file, block);
  }
  return file;
}

Bytes Edited(Bytes file, const std::function<void(Bytes&)>& edit) {
  edit(file);
  return file;
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
  file[7] = 0x80;  // PC 0x8000: not 0, so version 1
  file[12] = compressed ? 0x20 : 0x00;
  for (std::uint8_t value : {0x11, 0x22, 0x33})
    Append(file, compressed ? Runs(value, 16384) : Bytes(16384, value));
  if (compressed) Append(file, {0x00, 0xED, 0xED, 0x00});
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
       {"a page chunk longer than the file", Edited(szx, [&](Bytes& f) { ++f[last + 4]; })},
       {"an unknown chunk longer than the file",
        Edited(szx,
               [](Bytes& f) {
                 Append(f, {'Z', 'Z', 'Z', 'Z', 100, 0, 0, 0, 1, 2});
               })},
       {"a chunk size that wraps 32 bits",
        Edited(szx,
               [](Bytes& f) {
                 Append(f, {'Z', 'Z', 'Z', 'Z', 0xFF, 0xFF, 0xFF, 0xFF});
               })},
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

#ifndef _WIN32
// The reference converters are Debian programs: these checks run in the native tree.
namespace fs = std::filesystem;

// Eight banks of random bytes from the seed, with the runs that coders treat specially:
// runs of 0xED, short and long runs of one byte, and one bank almost all zero.
Banks SampleBanks(std::uint32_t seed) {
  Banks banks;
  for (int bank = 0; bank < 8; ++bank) {
    banks[bank] = RandomBytes(16384, seed * 8 + bank);
    Bytes& b = banks[bank];
    std::fill_n(b.begin() + 100, 300, 0xED);  // longer than one coded run
    std::fill_n(b.begin() + 1000, 2, 0xED);   // the shortest coded run of 0xED
    std::fill_n(b.begin() + 2000, 5, 0x41);   // the shortest coded run of another byte
    std::fill_n(b.begin() + 3000, 4, 0x41);   // one byte short of a run
    b[4000] = 0xED;                           // a lone 0xED before a run
    std::fill_n(b.begin() + 4001, 6, 0x00);
    b.back() = 0xED;  // a lone 0xED at the very end
  }
  Bytes& quiet = banks[seed % 2 == 0 ? 7 : 0];
  std::fill(quiet.begin() + 16, quiet.end(), 0);
  return banks;
}

// The image a snapshot of these banks must give: the address space with the ROM area zero,
// then for 128K (paged >= 0) the banks not shown there in ascending order.
Bytes SnapshotImageOf(const Banks& banks, int paged) {
  Bytes image(16384, 0);
  for (int bank : {5, 2, paged < 0 ? 0 : paged}) Append(image, banks[bank]);
  if (paged < 0) return image;
  for (int bank = 0; bank < 8; ++bank)
    if (bank != 5 && bank != 2 && bank != paged) Append(image, banks[bank]);
  return image;
}

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

#endif

}  // namespace
}  // namespace pelorin
