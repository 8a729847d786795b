// Tests of the converter reading snapshots and tapes as memory: the offset as an address,
// the listing of what went where, and the files it refuses.
#include <gtest/gtest.h>

#include "run_converter.h"
#include "tool_test_support.h"

namespace pelorin {
namespace {

TEST(ConverterMemory, ConvertsOrListsTheMemoryAndRefusesOtherFiles) {
  ScratchFolder folder;
  const Text sna = folder.Path(u"game.SNA"), tape = folder.Path(u"game.tap"),
             other = folder.Path(u"other.bin"), broken = folder.Path(u"broken.z80"),
             top = folder.Path(u"top.bin"), empties = folder.Path(u"empties.tap");
  Bytes snapshot(27, 0);  // a 48K snapshot: a 27-byte header, then the RAM from 0x4000 up
  const Bytes ram = SampleBytes(49152, 7);
  snapshot.insert(snapshot.end(), ram.begin(), ram.end());
  WriteBytes(sna, snapshot);
  WriteBytes(top, Bytes(ram.begin() + 32768, ram.end()));
  WriteBytes(other, SampleBytes(100, 8));
  WriteBytes(broken, Bytes(20, 0));
  // A CODE header for 5 bytes at 23296 and its data, then a headerless block.
  WriteBytes(tape, {19,  0,   0x00, 3, 'g', 'a',  'm', 'e',  ' ',  ' ', ' ', ' ',
                    ' ', ' ', 5,    0, 0,   91,   0,   0x80, 0x00, 7,   0,   0xFF,
                    1,   2,   3,    4, 5,   0xFF, 4,   0,    0xFF, 9,   9,   0xFF});
  const std::string listing =
      "block 2: code \"game\" 5 bytes at 23296\nblock 3: data 2 bytes at 65536\n";
  const std::string banks =
      "bank 5: 16384 bytes at 16384\nbank 2: 16384 bytes at 32768\nbank 0: 16384 bytes at 49152\n";
  const std::string failed = "\npelorin-convert: 1 of 2 files failed\n";
  const std::string refused =
      "pelorin-convert: not a snapshot or tape: " + TextToUtf8(other) + failed;
  const std::string unread = "pelorin-convert: error reading: " + TextToUtf8(broken) +
                             ": cut off inside its header" + failed;
  const std::string named = TextToUtf8(tape) + ":\n" + listing;  // when there are two files
  Bytes emptyBlocks;  // more lines than the listing writes at once
  std::string emptyListing;
  for (int block = 1; block <= 3000; ++block) {
    emptyBlocks.insert(emptyBlocks.end(), {2, 0, 0xFF, 0xFF});
    emptyListing += "block " + std::to_string(block) + ": data 0 bytes at 65536\n";
  }
  WriteBytes(empties, emptyBlocks);
  // A 48K snapshot whose blocks are whole but which holds only the page at 0x4000.
  const Text cut = folder.Path(u"cut.z80");
  Bytes oneOfThree(86, 0);
  oneOfThree[30] = 54;  // version 3
  oneOfThree.insert(oneOfThree.end(), {0xFF, 0xFF, 8});
  oneOfThree.insert(oneOfThree.end(), ram.begin(), ram.begin() + 16384);
  WriteBytes(cut, oneOfThree);
  const std::string warned =
      TextToUtf8(cut) + ": warning: RAM pages 0, 2 missing, shown as zeros\n";
  const std::tuple<std::vector<Text>, int, std::string, std::string> cases[] = {
      {{u"--memory", u"--offset", u"$C000", u"-w", u"2", other, sna}, kExitSomeFailed, "", refused},
      {{u"--memory", u"--list", tape}, kExitConverted, listing, ""},
      {{u"--list", u"--memory", broken, tape}, kExitSomeFailed, named, unread},
      {{u"--memory", u"--list", sna}, kExitConverted, banks, ""},
      {{u"--memory", u"--list", empties}, kExitConverted, emptyListing, ""},
      {{u"--memory", u"--list", cut}, kExitConverted, "bank 5: 16384 bytes at 16384\n", warned},
      {{u"--memory", u"--offset", u"$C000", cut}, kExitConverted, "", warned},
      {{u"--memory", u"-q", u"--list", cut}, kExitConverted, "bank 5: 16384 bytes at 16384\n", ""},
  };
  for (const auto& [arguments, exitCode, output, error] : cases) {
    Text out, err;
    const Console console{[&](const Text& t) { out += t; }, [&](const Text& t) { err += t; }};
    EXPECT_EQ(RunConverter(arguments, console), exitCode) << TextToUtf8(arguments.back());
    EXPECT_EQ(TextToUtf8(out), output);
    EXPECT_EQ(TextToUtf8(err), error);
  }
  EXPECT_EQ(ReadBytes(sna + u".scr"), WindowSave(top, 2, u"71")) << "the offset is an address";
  const Text zeros = folder.Path(u"zeros.bin");
  WriteBytes(zeros, Bytes(16384, 0));
  EXPECT_EQ(ReadBytes(cut + u".scr"), WindowSave(zeros, 1, u"71")) << "a page left out is zeros";
  for (const Text& unwritten : {other, tape, broken}) EXPECT_FALSE(ReadBytes(unwritten + u".scr"));
}

}  // namespace
}  // namespace pelorin
