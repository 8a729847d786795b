// Tests of the converter reading snapshots and tapes as memory: the offset as an address,
// the listing of what went where, and the files it refuses.
#include <gtest/gtest.h>

#include "run_converter.h"
#include "tool_test_support.h"

namespace pelorin {
namespace {

struct Outcome {
  int exitCode;
  std::string output;
  std::string error;
};

Outcome Convert(const std::vector<Text>& arguments) {
  Text output, error;
  const Console console{[&](const Text& text) { output += text; },
                        [&](const Text& text) { error += text; }, false};
  const int exitCode = RunConverter(arguments, console);
  return {exitCode, TextToUtf8(output), TextToUtf8(error)};
}

// A 48K snapshot: a 27-byte header, then the RAM from 0x4000 up.
Bytes Sna48(const Bytes& ram) {
  Bytes file(27 + ram.size(), 0);
  std::copy(ram.begin(), ram.end(), file.begin() + 27);
  return file;
}

// A tape: a CODE header for 5 bytes at 23296 and its data, then a headerless block.
Bytes Tape() {
  return {19, 0,    0x00, 3, 'g', 'a',  'm', 'e', ' ', ' ', ' ', ' ',  ' ', ' ', 5,    0, 0, 91,
          0,  0x80, 0x00, 7, 0,   0xFF, 1,   2,   3,   4,   5,   0xFF, 4,   0,   0xFF, 9, 9, 0xFF};
}

TEST(ConverterMemory, OffsetsAreAddressesAndOtherFilesAreRefused) {
  ScratchFolder folder;
  const Bytes ram = SampleBytes(49152, 7);
  WriteBytes(folder.Path(u"game.SNA"), Sna48(ram));
  WriteBytes(folder.Path(u"top.bin"), Bytes(ram.begin() + 32768, ram.end()));
  WriteBytes(folder.Path(u"other.bin"), SampleBytes(100, 8));
  const Outcome run = Convert({u"--memory", u"--offset", u"$C000", u"-w", u"2",
                               folder.Path(u"other.bin"), folder.Path(u"game.SNA")});
  EXPECT_EQ(run.exitCode, kExitSomeFailed);
  EXPECT_EQ(run.error,
            "pelorin-convert: not a snapshot or tape: " + TextToUtf8(folder.Path(u"other.bin")) +
                "\npelorin-convert: 1 of 2 files failed\n");
  EXPECT_FALSE(ReadBytes(folder.Path(u"other.bin.scr")));
  EXPECT_EQ(ReadBytes(folder.Path(u"game.SNA.scr")), WindowSave(folder.Path(u"top.bin"), 2, u"71"));
}

TEST(ConverterMemory, ListSaysWhatWentWhereAndWritesNothing) {
  ScratchFolder folder;
  const Text tape = folder.Path(u"game.tap"), broken = folder.Path(u"broken.z80");
  WriteBytes(tape, Tape());
  WriteBytes(broken, Bytes(20, 0));
  const std::string listing =
      "block 2: code \"game\" 5 bytes at 23296\nblock 3: data 2 bytes at 65536\n";

  const Outcome one = Convert({u"--memory", u"--list", tape});
  EXPECT_EQ(one.exitCode, kExitConverted) << one.error;
  EXPECT_EQ(one.output, listing);
  EXPECT_FALSE(ReadBytes(tape + u".scr"));

  const Outcome two = Convert({u"--list", u"--memory", broken, tape});
  EXPECT_EQ(two.exitCode, kExitSomeFailed);
  EXPECT_EQ(two.output, TextToUtf8(tape) + ":\n" + listing);
  EXPECT_EQ(two.error, "pelorin-convert: error reading: " + TextToUtf8(broken) +
                           "\npelorin-convert: 1 of 2 files failed\n");

  WriteBytes(folder.Path(u"game.sna"), Sna48(Bytes(49152, 0)));
  EXPECT_EQ(Convert({u"--memory", u"--list", folder.Path(u"game.sna")}).output,
            "bank 5: 16384 bytes at 16384\nbank 2: 16384 bytes at 32768\n"
            "bank 0: 16384 bytes at 49152\n");
}

}  // namespace
}  // namespace pelorin
