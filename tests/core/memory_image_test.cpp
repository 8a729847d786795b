// Tests of the snapshot and tape readers: files made here from known memory, and converted by
// the field's reference converters (snapconv, tapeconv), give what was put in; hand-made files
// cover what those do not write and broken files; and an image loads into the window's state.
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>
#include <zlib.h>

#include "memory_image_file.h"
#include "sprite_file.h"
#include "test_support.h"

namespace pelorin {
namespace {

using namespace testing;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Banks = std::array<Bytes, 8>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Word(std::size_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
}

Bytes Fill(int value) {
  return Bytes(kBankBytes, static_cast<std::uint8_t>(value));
}

// The file with byte `at` (counted from the end when negative) set to `value`.
Bytes Set(Bytes file, std::ptrdiff_t at, int value) {
  file[at < 0 ? file.size() + at : at] = static_cast<std::uint8_t>(value);
  return file;
}

// The file's first `count` bytes, or all but the last -count.
Bytes Head(const Bytes& file, std::ptrdiff_t count) {
  return Bytes(file.begin(), count < 0 ? file.end() + count : file.begin() + count);
}

// Banks 5, 2 and the one at 0xC000 (0 on a 48K machine, where `paged` is negative), then on
// 128K the others in ascending order: the order of a .sna and of the image alike.
std::vector<int> BankOrder(int paged) {
  std::vector<int> order = {5, 2, paged < 0 ? 0 : paged};
  for (int bank = 0; paged >= 0 && bank < 8; ++bank)
    if (bank != 5 && bank != 2 && bank != paged) order.push_back(bank);
  return order;
}

// A paged bank 5 or 2 is stored twice, as the format wants.
Bytes Sna(const Banks& banks, int paged = -1) {
  Bytes file(27, 0);
  file[24] = 0xFF;  // SP 0xFF00, in RAM: a 48K file's PC is read from there
  file[25] = 1;     // interrupt mode
  const std::vector<int> order = BankOrder(paged);
  for (std::size_t i = 0; i < order.size(); ++i) {
    // PC, the paging port (the bank, ROM 1) and TR-DOS not paged.
    if (i == 3) file = Cat({file, Word(0x8000), {static_cast<std::uint8_t>(paged | 0x10), 0}});
    file = Cat({file, banks[order[i]]});
  }
  return file;
}

// `count` bytes of `value` as 255-byte runs and a last shorter one.
Bytes Runs(int value, int count) {
  Bytes coded;
  for (; count > 0; count -= 255)
    coded = Cat({coded, {0xED, 0xED, std::uint8_t(std::min(count, 255)), std::uint8_t(value)}});
  return coded;
}

// A memory block of a version 2 or 3 file: the page coded as runs of the value.
Bytes Z80Page(int page, int value) {
  const Bytes coded = Runs(value, kBankBytes);
  return Cat({Word(coded.size()), {std::uint8_t(page)}, coded});
}

// Version 3 (or 2, with a 23-byte extra header): pages 8, 4 and 5 coded as runs of 0x11, 0x22
// and 0x33, the paging port showing bank 3. The page numbers sit at 88, 351 and 614; the
// last block starts at 612 and ends the file at 875.
Bytes Z80(int hardware = 0, int extraHeader = 54) {
  Bytes file(32 + extraHeader, 0);
  file[30] = static_cast<std::uint8_t>(extraHeader);
  file[34] = static_cast<std::uint8_t>(hardware);
  file[35] = 0x13;
  return Cat({file, Z80Page(8, 0x11), Z80Page(4, 0x22), Z80Page(5, 0x33)});
}

Bytes Z80Version1(bool compressed) {
  Bytes file(30, 0);
  file[7] = 0x80;  // PC 0x8000: not 0, so version 1
  file[12] = compressed ? 0x20 : 0x00;
  for (int value : {0x11, 0x22, 0x33})
    file = Cat({file, compressed ? Runs(value, kBankBytes) : Fill(value)});
  return compressed ? Cat({file, {0x00, 0xED, 0xED, 0x00}}) : file;
}

Bytes Chunk(const char* id, const Bytes& body) {
  return Cat({Bytes(id, id + 4), Word(body.size()), Word(body.size() >> 16), body});
}

Bytes Ramp(int bank, const Bytes& bytes, bool compress = false) {
  Bytes data = bytes;
  if (compress) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    data.assign(size, 0);
    compress2(data.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), 9);
    data.erase(data.begin() + size, data.end());
  }
  return Chunk("RAMP", Cat({{std::uint8_t(compress), 0, std::uint8_t(bank)}, data}));
}

Bytes Szx(int machine, std::initializer_list<Bytes> chunks) {
  return Cat({{'Z', 'X', 'S', 'T', 1, 4, std::uint8_t(machine), 0}, Cat(chunks)});
}

// A tape block as the ROM saves it: flag, data, checksum.
Bytes Block(std::uint8_t flag, const Bytes& data) {
  Bytes block = Cat({{flag}, data, {0}});
  for (std::size_t i = 0; i + 1 < block.size(); ++i) block.back() ^= block[i];
  return block;
}

// A standard header's block: type, name, length, start address (or line), 32768.
Bytes Header(int type, std::string name, int length, int start) {
  name.resize(10, ' ');
  const Bytes data = Cat({Bytes(name.begin(), name.end()), Word(length), Word(start), Word(32768)});
  return Block(0, Cat({{std::uint8_t(type)}, data}));
}

// The blocks in .tap form, or in .tzx form at standard speed with 1000 ms pauses.
Bytes Tape(const std::vector<Bytes>& blocks, bool tzx) {
  Bytes file = tzx ? Bytes{'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20} : Bytes{};
  for (const Bytes& block : blocks)
    file = Cat({file, tzx ? Bytes{0x10, 0xE8, 3} : Bytes{}, Word(block.size()), block});
  return file;
}

const Banks kBanks = {Fill(0x33), Fill(1),    Fill(0x22), Fill(3),
                      Fill(4),    Fill(0x11), Fill(6),    Fill(7)};
const Bytes kSna = Sna(kBanks);
const Bytes kZ80 = Z80();
// Bank 5 raw, bank 2 compressed, bank 0 raw in the last chunk, of 16,395 bytes.
const Bytes kSzx = Szx(1, {Ramp(5, Fill(0x11)), Ramp(2, Fill(0x22), true), Ramp(0, Fill(0x33))});
const std::vector<Bytes> kCodeBlocks = {Header(3, "code", 3, 40000), Block(0xFF, {1, 2, 3})};
const Bytes kTap = Tape(kCodeBlocks, false);
const Bytes kTzx = Cat({Tape(kCodeBlocks, true), {0x30, 3, 'e', 'n', 'd'}});  // and a text block
// The header of kCodeBlocks, in .tzx form, ends at byte 34.
const Bytes kTzxRecorded =
    Cat({Head(kTzx, 34), {0x15, 0x4F, 0, 0, 0, 8, 0, 0, 0}, Bytes(kTzx.begin() + 34, kTzx.end())});

TEST(MemoryImage, GoodFilesPutTheirMemoryAtItsAddresses) {
  using At = std::vector<std::pair<std::size_t, int>>;
  const At k48 = {{16383, 0},    {16384, 0x11}, {32767, 0x11},
                  {32768, 0x22}, {49152, 0x33}, {65535, 0x33}};
  const At k16 = {{16384, 0x11}, {32768, 0}, {65535, 0}};
  const At z80On128 = {
      {16384, 0x11}, {32768, 0x33}, {49152, 0}, {81920, 0x22}};  // banks 5, 2, 3, 1
  const At szx128 = {{49152, 0x33}, {65535, 0x33}, {65536, 0}};
  const At code = {{39999, 0}, {40000, 1}, {40002, 3}, {40003, 0}};
  Bytes szx128File = Szx(2, {Ramp(3, Fill(0x33)), Chunk("ZZZZ", {9})});
  for (int bank : {0, 1, 2, 4, 5, 6, 7}) szx128File = Cat({szx128File, Ramp(bank, Fill(0), true)});
  szx128File = Cat({szx128File, Chunk("SPCR", {0, 3, 0, 0, 0, 0, 0, 0})});
  Bytes z80Of128 = Z80(3, 23);
  for (int page : {3, 6, 7, 9, 10}) z80Of128 = Cat({z80Of128, Z80Page(page, 0)});
  const At recorded = {{40000, 0}, {65536, 1}, {65538, 3}};
  const Bytes glued = Cat({Head(kTzx, 34),
                           {0x5A, 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20},
                           Bytes(kTzx.begin() + 34, kTzx.end())});
  // Turbo data of 3 bytes and pure data of 2, neither using a bit of its last byte.
  const Bytes unused =
      Cat({Tape({}, true),
           {0x11, 0x78, 8, 0x9B, 2,    0xDF, 2, 0x57, 3, 0xAE, 6, 0x7F, 0x1F, 0, 0xE8, 3, 3, 0,
            0,    1,    2, 3,    0x14, 0x57, 3, 0xAE, 6, 0,    0, 0,    2,    0, 0,    4, 5}});
  const std::tuple<const char*, MemoryImageReader, Bytes, std::size_t, At> cases[] = {
      {"sna 48K", ReadSnaImage, kSna, 65536, k48},
      {"z80 version 3", ReadZ80Image, kZ80, 65536, k48},
      {"z80 version 2", ReadZ80Image, Z80(0, 23), 65536, k48},
      {"z80 version 1, run-length coded", ReadZ80Image, Z80Version1(true), 65536, k48},
      {"z80 version 1, stored", ReadZ80Image, Z80Version1(false), 65536, k48},
      {"z80 version 2, hardware 3: 128K", ReadZ80Image, z80Of128, 147456, z80On128},
      {"z80 version 3, hardware 3: 48K", ReadZ80Image, Z80(3, 55), 65536, k48},
      {"z80 16K: pages 4, 5 no memory of it", ReadZ80Image, Set(kZ80, 37, 0x80), 65536, k16},
      {"z80 then level data", ReadZ80Image, Cat({kZ80, {0, 0, 0, 'S', 'L', 'T'}}), 65536, k48},
      {"szx 48K, one page compressed", ReadSzxImage, kSzx, 65536, k48},
      {"szx 128K: paging last, a chunk skipped", ReadSzxImage, szx128File, 147456, szx128},
      {"szx 16K", ReadSzxImage, Szx(0, {Ramp(5, Fill(0x11))}), 65536, k16},
      {"tap whose checksum is wrong", ReadTapImage, Set(kTap, -1, kTap.back() ^ 1), 65536, code},
      {"tzx, a text block skipped", ReadTzxImage, kTzx, 65536, code},
      {"tzx, a header's data lost behind a recording", ReadTzxImage, kTzxRecorded, 65539, recorded},
      {"tzx, a glue block between header and data", ReadTzxImage, glued, 65536, code},
      {"tzx, last bytes without a bit used", ReadTzxImage, unused, 65539, {{65537, 2}, {65538, 4}}},
  };
  for (const auto& [name, read, file, size, at] : cases) {
    const auto image = ReadImage(read, file);
    ASSERT_TRUE(image) << name << ": " << TextToUtf8(image.why);
    EXPECT_EQ(image->warning, u"") << name;
    ASSERT_EQ(image->bytes.size(), size) << name;
    for (const auto& [where, value] : at)
      EXPECT_EQ(image->bytes[where], value) << name << " at " << where;
  }
}

#ifndef _WIN32
// Runs the command on the files, quietly; its exit status.
int Shell(std::string command, std::initializer_list<std::filesystem::path> files = {}) {
  for (const auto& file : files) command += " '" + file.string() + "'";
  return std::system((command + " >/dev/null 2>&1").c_str());
}

#endif

// Snapshots whose blocks are all whole, read as the field's reference reader reads them: RAM
// pages one leaves out are zeros, and the warning names them; a 128K .szx without paging
// registers pages as port value 7 does. Natively each is also read from the reference
// converter's .szx of it, and a 128K one from its .z80 (its 48K .z80 of a snapshot without
// every page cannot be had: it crashes).
struct WholeBlocks {
  const char* name;
  MemoryImageReader read;
  Bytes file;
  std::size_t size;
  std::vector<std::pair<std::size_t, int>> at;
  std::u16string_view warning;
};

TEST(MemoryImage, WholeBlocksReadAsTheReferenceReadsThem) {
  const std::u16string_view none = u"no RAM pages: shown as zeros";
  Bytes z80Of128 = Z80(3, 23);  // version 2: pages 8, 4, 5, bank 3 paged; pages 3 ... 9 added
  for (int page : {3, 6, 7, 9}) z80Of128 = Cat({z80Of128, Z80Page(page, 0)});
  Bytes unpaged = Szx(2, {});
  for (int bank = 0; bank < 8; ++bank) unpaged = Cat({unpaged, Ramp(bank, Fill(bank + 1), true)});
  // clang-format off
  const WholeBlocks cases[] = {
      {"szx 48K, one chunk and no page", ReadSzxImage, Szx(1, {Chunk("CRTR", Bytes(36, 'x'))}),
       65536, {{16384, 0}, {65535, 0}}, none},
      {"szx 128K, one chunk and no page", ReadSzxImage, Szx(2, {Chunk("Z80R", Bytes(37, 0))}),
       147456, {{49152, 0}, {147455, 0}}, none},
      {"szx cut between two pages", ReadSzxImage, Head(kSzx, 8 + 8 + 3 + kBankBytes), 65536,
       {{16384, 0x11}, {32768, 0}, {65535, 0}}, u"RAM pages 0, 2 missing, shown as zeros"},
      {"z80 cut between two pages", ReadZ80Image, Head(kZ80, 349), 65536,
       {{16384, 0x11}, {32768, 0}, {65535, 0}}, u"RAM pages 0, 2 missing, shown as zeros"},
      {"z80 +3 with 3 of 8 pages", ReadZ80Image, Z80(7), 147456,
       {{16384, 0x11}, {32768, 0x33}, {49152, 0}, {81920, 0x22}},
       u"RAM pages 0, 3, 4, 6, 7 missing, shown as zeros"},
      {"z80 128K without bank 7", ReadZ80Image, z80Of128, 147456, {{81920, 0x22}, {131072, 0}},
       u"RAM page 7 missing, shown as zeros"},
      {"szx 128K without paging registers: banks 7, then 0 ... 6", ReadSzxImage, unpaged, 147456,
       {{49152, 8}, {65536, 1}, {147455, 7}}, u""},
  };
  // clang-format on
  for (const WholeBlocks& c : cases) {
    const auto image = ReadImage(c.read, c.file);
    ASSERT_TRUE(image) << c.name << ": " << TextToUtf8(image.why);
    EXPECT_EQ(image->warning, c.warning) << c.name;
    ASSERT_EQ(image->bytes.size(), c.size) << c.name;
    for (const auto& [where, value] : c.at)
      EXPECT_EQ(image->bytes[where], value) << c.name << " at " << where;
#ifndef _WIN32
    if (Shell("command -v snapconv")) continue;  // fuse-emulator-utils is not installed
    ScratchFolder folder;
    const std::filesystem::path input = folder / (c.read == ReadZ80Image ? "in.z80" : "in.szx");
    WriteBytes(input, c.file);
    for (const char* output : {"out.szx", "out.z80"}) {
      if (c.size == 65536 && std::string_view(output) == "out.z80") continue;
      ASSERT_EQ(Shell("snapconv", {input, folder / output}), 0) << c.name << ": " << output;
      const auto converted = ReadMemoryImage(PathText(folder / output));
      ASSERT_TRUE(converted) << c.name << ": " << output << ": " << TextToUtf8(converted.why);
      EXPECT_EQ(converted->bytes, image->bytes) << c.name << ": " << output;
      EXPECT_EQ(converted->warning, image->warning) << c.name << ": " << output;
    }
#endif
  }
}

// A file refused, and where it is given, why: each a few bytes edited from a good file of
// the table above.
struct Broken {
  const char* name;
  Bytes file;
  std::u16string_view why = {};
};

TEST(MemoryImage, BrokenFilesAreRefused) {
  const std::size_t last = kSzx.size() - 16395;
  const std::pair<MemoryImageReader, std::vector<Broken>> readers[] = {
      {ReadSnaImage,
       {{"one byte short", Head(kSna, -1), u"a length no .sna snapshot has"},
        {"128K paging bank 5 without its second copy", Set(Sna(kBanks, 3), 49181, 0x15)},
        {"128K with a second copy, paging bank 3", Set(Sna(kBanks, 5), 49181, 0x13)},
        {"128K whose second copy differs", Set(Sna(kBanks, 2), 27 + 2 * 16384 + 100, 9)}}},
      {ReadZ80Image,
       {{"cut inside the last block", Head(kZ80, -1), u"cut off inside block 3"},
        {"a run that writes past its page", Set(kZ80, -2, 0x41)},
        {"a page that decodes short", Set(kZ80, -2, 0x3F), u"block 3 does not decode to one page"},
        {"bytes left once the page is full", Cat({Set(kZ80, 612, kZ80[612] + 2), {0xED, 0xED}})},
        {"a run cut after its count", Set(Head(kZ80, -1), 612, kZ80[612] - 1)},
        {"a header length of 24", Set(kZ80, 30, 24)},
        {"a header cut short", Head(kZ80, 60)},
        {"SamRam", Set(kZ80, 34, 2)},
        {"hardware 5 in version 2", Z80(5, 23)},
        {"page 19", Set(kZ80, 88, 19)},
        {"a bank past 7 on 128K", Set(Set(kZ80, 34, 4), 88, 12)},
        {"the same page twice", Set(kZ80, 351, 8), u"block 2 repeats page 8"},
        {"a cut block header", Cat({kZ80, {0xFF, 0xFF}})},
        {"version 1 without its end marker", Head(Z80Version1(true), -4)},
        {"version 1 stored, one byte short", Head(Z80Version1(false), -1)}}},
      {ReadSzxImage,
       {{"wrong signature", Set(kSzx, 0, 'X')},
        {"major version 2", Set(kSzx, 4, 2)},
        {"Timex TC2048", Set(kSzx, 6, 8)},
        {"a chunk size past the end, wrapping 32 bits",
         Cat({kSzx, {'Z', 'Z', 'Z', 'Z', 0xFF, 0xFF, 0xFF, 0xFF}})},
        {"a chunk header cut short", Cat({kSzx, {'A', 'B', 'C', 'D', 1}})},
        {"a page chunk too short for its header", Szx(1, {Chunk("RAMP", {0, 0})})},
        {"a raw page one byte short", Szx(1, {Ramp(5, Bytes(16383, 0))})},
        {"a stream whose checksum fails", Set(kSzx, last - 1, ~kSzx[last - 1])},
        {"a stream that inflates past its page", Szx(1, {Ramp(5, Bytes(16385, 1), true)})},
        {"a stream that inflates short", Szx(1, {Ramp(5, Bytes(16383, 1), true)})},
        {"a page the machine lacks", Set(kSzx, last + 10, 3),
         u"chunk 3 holds RAM page 3, which the machine lacks"},
        {"the same page twice", Set(kSzx, last + 10, 5)},
        {"paging registers of 9 bytes", Szx(2, {Chunk("SPCR", Bytes(9, 0))})},
        {"cut inside a page", Head(kSzx, -1), u"cut off inside chunk 3"}}},
      {ReadTapImage,
       {{"a lone byte after the last block", Cat({kTap, {0}})},
        {"a block of length 1", Cat({kTap, {1, 0, 0xFF}}),
         u"block 3 is too short for a flag and a checksum"},
        {"a block longer than the file", Cat({kTap, {5, 0, 0xFF, 1}})}}},
      {ReadTzxImage,
       {{"wrong signature", Set(kTzx, 0, 'z')},
        {"major version 2", Set(kTzx, 8, 2)},
        {"shorter than its header", Head(kTzx, 9)},
        {"standard data of one byte", Cat({kTzx, {0x10, 0xE8, 3, 1, 0, 0xFF}})},
        {"standard data cut in its header", Cat({kTzx, {0x10, 0xE8, 3}}),
         u"cut off inside block 4"},
        {"standard data longer than the file", Cat({kTzx, {0x10, 0xE8, 3, 9, 0, 0xFF, 1}})},
        {"an unknown block longer than the file", Cat({kTzx, {0x60, 0xFF, 0xFF, 0xFF, 0xFF, 0}})}}},
  };
  for (const auto& [read, cases] : readers) {
    for (const Broken& c : cases) {
      const ImageRead image = ReadImage(read, c.file);
      EXPECT_FALSE(image) << c.name;
      EXPECT_EQ(image.why, c.why.empty() ? image.why : c.why) << c.name;
      EXPECT_NE(image.why, u"") << c.name;
    }
  }
}

TEST(MemoryImage, TheSwitchLoadsSnapshotsAndTapesAsTheirMemory) {
  ScratchFolder folder;
  CountingCanvas canvas;
  MessageLog log;
  ConverterState state;
  const auto load = [&](const char* name, const Bytes& file, std::int64_t offset) {
    WriteBytes(folder / name, file);
    state.sourcePath = PathText(folder / name);
    LoadSpriteAtOffset(state, canvas.painter, log.reporter(), offset);
    return state.spriteLength;
  };
  EXPECT_EQ(load("game.Z80", kZ80, 0), std::int32_t(kZ80.size())) << "off: the file's own bytes";
  state.readMemoryImages = true;
  EXPECT_EQ(load("game.Z80", kZ80, 0xC000), 16384) << "on: the offset is an address";
  EXPECT_EQ(state.sourceLength, 65536);
  EXPECT_EQ(state.screen, ReferenceScreen(Fill(0x33), 1, 71));
  WriteBytes(folder / "game.Z80", {});  // a step copies from the image the load kept
  EXPECT_TRUE(MoveViewOffset(state, canvas.painter, log.reporter(), 0x4000));
  EXPECT_EQ(state.screen, ReferenceScreen(Cat({Fill(0x11), Fill(0x22), Fill(0x33)}), 1, 71));
  EXPECT_EQ(load("game.Z80", kZ80, 70000), 0) << "past the image: nothing to show";
  EXPECT_EQ(load("plain.bin", {7, 8, 9}, 1), 2) << "other files load as before";
  EXPECT_EQ(state.spriteData[0], 8);
  EXPECT_TRUE(LoadedMemoryImage(state).empty());
  EXPECT_TRUE(log.messages.empty());

  const ScreenImage shown = state.screen;
  EXPECT_EQ(load("short.sna", Bytes(1000, 1), 0), 0);
  EXPECT_EQ(log.messages, std::vector<Text>{u"error reading\n" + PathText(folder / "short.sna") +
                                            u"\na length no .sna snapshot has"});
  EXPECT_EQ(state.sourcePath, u"");
  EXPECT_EQ(state.screen, shown);
}

// The window's load of a file it is given. A snapshot or tape that is no memory image is
// shown as its own bytes, the switch turned off, so that it can be saved and searched; pages
// left out are a warning; a file that cannot be read either way fails as any load does.
TEST(MemoryImage, TheWindowShowsWhatAGivenFileHolds) {
  const Text off = u"\nshown as its own bytes: \"Snapshots and tapes as memory\" is off";
  // What is said: errors as they are, warnings after "warning: "; "@" stands for the path.
  const std::tuple<const char*, Bytes, bool, Text, bool, std::int32_t> cases[] = {
      {"a snapshot, as memory", kZ80, true, u"", true, 65536},
      {"pages left out", Head(kZ80, 349), true,
       u"warning: RAM pages 0, 2 missing, shown as zeros\n@", true, 65536},
      {"no snapshot: its own bytes", Set(kZ80, 30, 24), true,
       u"error reading\n@\nan extra header of 24 bytes, which no .z80 has" + off, false, 875},
      {"no such file", {}, true, u"error reading\n@\nno such file", true, 0},
      {"the switch off", kZ80, false, u"", false, 875},
  };
  for (const auto& [name, file, switchOn, said, switchAfter, shown] : cases) {
    ScratchFolder folder;
    const Text path = PathText(folder / "game.z80");
    if (!file.empty()) WriteBytes(folder / "game.z80", file);
    ConverterState state;
    state.readMemoryImages = switchOn;
    state.sourcePath = path;
    CountingCanvas canvas;
    Text told;
    LoadGivenFile(
        state, canvas.painter, [&](const Text& error) { told += error; },
        [&](const Text& warning) { told += u"warning: " + warning; });
    Text expected = said;
    if (const std::size_t at = expected.find(u'@'); at != Text::npos) expected.replace(at, 1, path);
    EXPECT_EQ(told, expected) << name;
    EXPECT_EQ(state.readMemoryImages, switchAfter) << name;
    EXPECT_EQ(state.spriteLength, shown) << name;
    // Whatever is shown can be saved.
    SaveScreen(state, [&](const Text& error) { told += error; });
    EXPECT_EQ(fs::exists(folder / "game.z80.scr"), shown > 0) << name;
  }
}

#ifndef _WIN32
// The reference converters are Debian programs: these checks run in the native tree.

// Eight banks of random bytes from the seed, with the runs that coders treat specially, and
// one bank almost all zero.
Banks SampleBanks(std::uint32_t seed) {
  Banks banks;
  for (int bank = 0; bank < 8; ++bank) {
    Bytes& b = banks[bank] = RandomBytes(kBankBytes, seed * 8 + bank);
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

TEST(MemoryImageOracle, SnapshotsOfEveryFormatHoldTheMemoryPutIn) {
  if (Shell("command -v snapconv"))
    GTEST_SKIP() << "snapconv (fuse-emulator-utils) is not installed";
  const std::pair<int, std::uint32_t> cases[] = {{-1, 1}, {3, 2}, {5, 3}, {2, 4}};  // paged, seed
  for (const auto& [paged, seed] : cases) {
    SCOPED_TRACE(paged < 0 ? "48K" : "128K, bank " + std::to_string(paged) + " at 0xC000");
    ScratchFolder folder;
    const Banks banks = SampleBanks(seed);
    Bytes expected(kBankBytes, 0);  // the ROM area
    for (int bank : BankOrder(paged)) expected = Cat({expected, banks[bank]});
    WriteBytes(folder / "in.sna", Sna(banks, paged));
    for (const auto& [command, name] : {std::pair{"", "in.sna"},
                                        {"snapconv", "out.z80"},
                                        {"snapconv -n", "raw.z80"},
                                        {"snapconv", "out.szx"},
                                        {"snapconv -c", "packed.szx"}}) {
      ASSERT_EQ(*command ? Shell(command, {folder / "in.sna", folder / name}) : 0, 0) << name;
      const auto image = ReadMemoryImage(PathText(folder / name));
      ASSERT_TRUE(image) << name << ": " << TextToUtf8(image.why);
      EXPECT_EQ(image->bytes, expected) << name;
    }
  }
}

TEST(MemoryImageOracle, TapesInBothFormatsHoldWhatTheirBlocksSay) {
  if (Shell("command -v tapeconv"))
    GTEST_SKIP() << "tapeconv (fuse-emulator-utils) is not installed";
  const Bytes screen = RandomBytes(6912, 11), game = RandomBytes(5000, 12),
              loose = RandomBytes(3000, 13), tail = RandomBytes(1000, 15),
              over = RandomBytes(100, 16), custom = RandomBytes(10, 17);
  ScratchFolder folder;
  WriteBytes(folder / "in.tap",
             Tape({Header(0, "loader", 20, 10), Block(0xFF, RandomBytes(20, 10)),  // 1, 2
                   Header(3, "screen", 6912, 16384), Block(0xFF, screen),          // 3, 4
                   Header(3, "game", 5000, 30000), Block(0xFF, game),              // 5, 6
                   Block(0xFF, loose),                                             // 7: no header
                   Header(1, "a", 50, 0x8100), Block(0xFF, RandomBytes(50, 14)),   // 8, 9: array
                   Header(3, "tail", 1000, 65000), Block(0xFF, tail),  // 10, 11: past 65,535
                   Header(3, "over", 100, 31000), Block(0xFF, over),   // 12, 13: over "game"
                   Block(0x42, custom)},                               // 14: a custom flag
                  false));
  Bytes expected(65536, 0);
  for (const auto& [data, at] : {std::pair{&screen, 16384}, {&game, 30000}, {&over, 31000}})
    std::copy(data->begin(), data->end(), expected.begin() + at);
  std::copy_n(tail.begin(), 536, expected.begin() + 65000);
  expected = Cat({expected, loose, custom});
  using Kind = PlacedBlock::Kind;
  std::vector<PlacedBlock> placed = {
      {Kind::kCode, 4, "screen", 6912, 16384}, {Kind::kCode, 6, "game", 5000, 30000},
      {Kind::kData, 7, "", 3000, 65536},       {Kind::kCode, 11, "tail", 536, 65000},
      {Kind::kCode, 13, "over", 100, 31000},   {Kind::kData, 14, "", 10, 68536}};
  const auto check = [&](const char* name) {
    std::vector<PlacedBlock> blocks;
    const auto image = ReadMemoryImage(PathText(folder / name),
                                       [&](const PlacedBlock& block) { blocks.push_back(block); });
    ASSERT_TRUE(image) << name;
    EXPECT_EQ(image->bytes, expected) << name;
    EXPECT_EQ(blocks, placed) << name;
  };
  ASSERT_EQ(Shell("tapeconv", {folder / "in.tap", folder / "out.tzx"}), 0);
  check("in.tap");
  check("out.tzx");

  // Blocks tapeconv does not write: turbo and pure data kept as recorded, flag and checksum
  // included, and the blocks around them skipped by their lengths, an unknown kind included.
  WriteBytes(
      folder / "more.tzx",
      Cat({ReadBytes(folder / "out.tzx"),
           {0x30, 3,    'a', 'b',  'c',                                               // 15 text
            0x11, 0x78, 8,   0x9B, 2,    0xDF, 2,   0x57, 3, 0xAE, 6, 0x7F, 0x1F, 8,  // 16 turbo
            0xE8, 3,    3,   0,    0,    0xFF, 1,   0xFE,                             //    data
            0x5A, 'X',  'T', 'a',  'p',  'e',  '!', 0x1A, 1, 20,                      // glue
            0x14, 0x57, 3,   0xAE, 6,    8,    0,   0,    2, 0,    0, 0x11, 0x22,     // 17 pure
            0x12, 0x78, 8,   0x7F, 0x1F,                                              // 18 tone
            0x60, 3,    0,   0,    0,    9,    9,   9}}));                            // 19 unknown
  expected = Cat({expected, {0xFF, 1, 0xFE, 0x11, 0x22}});
  placed.push_back({Kind::kData, 16, "", 3, 68546});
  placed.push_back({Kind::kData, 17, "", 2, 68549});
  check("more.tzx");

  // Numbered as tzxlist numbers them from 0, glue not counted: each data block placed is one
  // it lists as such. It stops at a block it does not know: that one is left out for it.
  WriteBytes(folder / "listed.tzx", Head(ReadBytes(folder / "more.tzx"), -8));
  FILE* listing = popen(("tzxlist '" + (folder / "listed.tzx").string() + "'").c_str(), "r");
  std::string types;  // each listed block's type: "10 10 ..."
  for (char line[256]; listing && fgets(line, sizeof line, listing);)
    if (std::strncmp(line, "  Block type 0x", 15) == 0) types += std::string(line + 15, 2) + ' ';
  ASSERT_TRUE(listing && pclose(listing) == 0);
  EXPECT_EQ(types.size(), 3u * 18);
  for (const PlacedBlock& block : placed) {
    const std::string type = types.substr(3 * (block.number - 1), 2);
    EXPECT_TRUE(type == "10" || type == "11" || type == "14") << block.number << ": " << type;
  }
}

#endif

}  // namespace
}  // namespace pelorin
