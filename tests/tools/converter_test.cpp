// Tests of the converter run in-process: agreement with the window's Save, the header
// offset, --locate, the width guess, the refusals and error paths, and what reaches the
// error stream.
#include <functional>
#include <iterator>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include "allocation_failure.h"
#include "convert_options.h"
#include "analysis/graphics_finder.h"
#include "run_converter.h"
#include "sprite_corpus.h"
#include "sprite_file.h"
#include "tool_test_support.h"
#include "analysis/width_guess.h"

namespace pelorin {
namespace {

struct Result {
  int exitCode;
  std::string error;
  std::string output;  // only for the options that print
};

Result Convert(const std::vector<Text>& arguments, bool terminal = false) {
  Text output, error;
  const Console console{[&](const Text& text) { output += text; },
                        [&](const Text& text) { error += text; }, terminal};
  const int exitCode = RunConverter(arguments, console);
  EXPECT_EQ(output, u"");
  return {exitCode, TextToUtf8(error), {}};
}

// For the options that print: --guess-width, -w auto and --locate.
Result Print(const std::vector<Text>& arguments) {
  Text output, error;
  const Console console{[&](const Text& text) { output += text; },
                        [&](const Text& text) { error += text; }, false};
  const int exitCode = RunConverter(arguments, console);
  return {exitCode, TextToUtf8(error), TextToUtf8(output)};
}

struct SaveCase {
  const char* name;
  std::size_t size;
  std::int32_t width;
  Text attribute;
};

const SaveCase kSaveCases[] = {
    {"empty file", 0, 1, u"71"},
    {"one byte", 1, 1, u"$47"},
    {"a screen's worth at width 8", kScreenBytes, 8, u"%00111000"},
    {"width 31 spilling into the attributes", 192 * 31 + 2, 31, u"#0a"},
    {"past the read bound", SpriteReadBound + 4096, 1, u"300"},
    {"three megabytes at width 13", 3'000'000, 13, u"$FF"},
    {"empty file at the guessed width", 0, kGuessedWidth, u"71"},
};

TEST(Converter, WritesWhatTheWindowsSaveWrites) {
  for (const SaveCase& c : kSaveCases) {
    ScratchFolder folder;
    const Text input = folder.Path(u"sprite.bin");
    WriteBytes(input, SampleBytes(c.size, static_cast<std::uint32_t>(c.size)));
    std::filesystem::create_directory(folder.root / "out");
    const Text width = c.width == kGuessedWidth ? Text{u"auto"} : DecimalText(c.width);
    const Result result =
        Convert({u"-q", u"-o", folder.Path(u"out"), u"-w", width, u"-a", c.attribute, input});
    EXPECT_EQ(result.exitCode, kExitConverted) << c.name << ": " << result.error;
    EXPECT_EQ(ReadBytes(folder.Path(u"out/sprite.bin.scr")),
              WindowSave(input, c.width, c.attribute))
        << c.name;
  }
}

struct OffsetCase {
  const char* name;
  std::size_t header;
  Text offset;
};

const OffsetCase kOffsetCases[] = {
    {"short header, decimal", 128, u"128"},
    {"header longer than the read bound, hexadecimal", 2'000'000, u"$1E8480"},
};

TEST(Converter, OffsetSkipsTheHeader) {
  for (const OffsetCase& c : kOffsetCases) {
    ScratchFolder folder;
    const Bytes sprite = SampleBytes(9000, 2);
    Bytes headed = SampleBytes(c.header, 1);
    headed.insert(headed.end(), sprite.begin(), sprite.end());
    WriteBytes(folder.Path(u"bare.bin"), sprite);
    WriteBytes(folder.Path(u"headed.bin"), headed);
    const Result result = Convert({u"--offset", c.offset, u"-w", u"4", folder.Path(u"headed.bin")});
    EXPECT_EQ(result.exitCode, kExitConverted) << c.name << ": " << result.error;
    EXPECT_EQ(ReadBytes(folder.Path(u"headed.bin.scr")),
              WindowSave(folder.Path(u"bare.bin"), 4, u"71"))
        << c.name;
  }
}

TEST(Converter, OffsetAtOrPastTheEndGivesTheBlankScreenAndSaysSo) {
  // The largest offset is past what any file system can seek to.
  for (const Text offset : {u"500", u"2000", u"$7FFFFFFFFFFFFFFF"}) {
    ScratchFolder folder;
    const Text input = folder.Path(u"header-only.bin");
    WriteBytes(input, SampleBytes(500, 3));
    const Result result = Convert({u"--offset", offset, input});
    EXPECT_EQ(result.exitCode, kExitConverted) << TextToUtf8(offset);
    EXPECT_EQ(result.error, "pelorin-convert: warning: no sprite bytes, the screen is blank: " +
                                TextToUtf8(input) + "\n");
    EXPECT_EQ(ReadBytes(input + u".scr"), Bytes(kScreenBytes, 0));
  }
}

TEST(Converter, LocatePrintsTheFilePositionShownAtThePixelAndWritesNothing) {
  ScratchFolder folder;
  const Text input = folder.Path(u"sprite.bin"), sprites = folder.Path(u"sprites.bin");
  WriteBytes(input, SampleBytes(700, 4));
  const SpriteFile sheet = MakeSpriteFile(SpriteKind::kSheet, 21);
  Bytes headed = SampleBytes(5, 4);
  headed.insert(headed.end(), sheet.bytes.begin(), sheet.bytes.end());
  WriteBytes(sprites, headed);
  // Width W from offset 5: pixel (8, 1) is byte 1 of row 1, sprite byte W + 1, file byte
  // W + 6. Nothing of the 695 bytes reaches line 0's byte 31, nor line 1 from another file.
  struct Case {
    std::vector<Text> files;
    Text width;
    Text pixel;
    std::string output;
    int exitCode;
  };
  const Case cases[] = {
      {{input}, u"2", u"8,1", "8\n", kExitConverted},
      {{input}, u"2", u"255,0", "none\n", kExitConverted},
      {{input, folder.Path(u"missing.bin"), input}, u"2", u"15,1", "8\n8\n", kExitSomeFailed},
      {{sprites},
       u"auto",
       u"8,1",
       TextToUtf8(sprites) + ": width " + std::to_string(sheet.width) + "\n" +
           std::to_string(sheet.width + 6) + "\n",
       kExitConverted},
  };
  for (const Case& c : cases) {
    std::vector<Text> arguments{u"-w", c.width, u"--offset", u"5", u"--locate", c.pixel};
    arguments.insert(arguments.end(), c.files.begin(), c.files.end());
    const Result result = Print(arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << TextToUtf8(c.pixel);
    EXPECT_EQ(result.output, c.output) << TextToUtf8(c.pixel);
  }
  EXPECT_FALSE(std::filesystem::exists(FsPath(input + u".scr")));
}

TEST(Converter, MemoryThatRunsOutFailsTheFileAsUnreadable) {
  ScratchFolder folder;
  const Text input = folder.Path(u"sprite.bin");
  WriteBytes(input, SampleBytes(100, 1));
  testing::FailLargeAllocations(true);  // the sheet's picture takes several MiB
  Result result{};
  EXPECT_NO_THROW(result = Convert({u"--sheet", folder.Path(u"sheet.png"), input}));
  testing::FailLargeAllocations(false);
  EXPECT_EQ(result.exitCode, kExitSomeFailed);
  EXPECT_EQ(result.error,
            "pelorin-convert: error reading: " + TextToUtf8(input) + ": out of memory\n");
}

// The screen layout saves the bytes from the offset as they are, padded with zeros.
TEST(Converter, SavesTheScreenLayoutsBytesAsTheyAre) {
  ScratchFolder folder;
  const Text input = folder.Path(u"screen.bin");
  const Bytes bytes = SampleBytes(8000, 6);
  WriteBytes(input, bytes);
  EXPECT_EQ(Convert({u"--layout", u"screen", u"--offset", u"1000", input}).exitCode, 0);
  Bytes screen(bytes.begin() + 1000, bytes.end());
  screen.resize(kScreenBytes, 0);
  EXPECT_EQ(ReadBytes(input + u".scr"), screen);
}

// Each case makes its files and gives the arguments and the expected error stream. Every
// case converts other.bin last, which must be written whatever else fails, and a file the
// case marks as kept must still hold what it held.
struct Arranged {
  std::vector<Text> arguments;
  std::string error;
};

struct ErrorCase {
  const char* name;
  std::function<Arranged(const ScratchFolder&)> arrange;
  int exitCode;
  const char16_t* kept;
};

std::string Line(const std::string& text) {
  return "pelorin-convert: " + text + "\n";
}
std::string Utf8(const Text& text) {
  return TextToUtf8(text);
}

const Bytes kKept = {'k', 'e', 'e', 'p'};

const ErrorCase kErrorCases[] = {
    {"missing file",
     [](const ScratchFolder& f) {
       return Arranged{{f.Path(u"missing.bin")},
                       Line("error reading: " + Utf8(f.Path(u"missing.bin")) + ": no such file") +
                           Line("1 of 2 files failed")};
     },
     kExitSomeFailed, nullptr},
    {"a folder",
     [](const ScratchFolder& f) {
       std::filesystem::create_directory(f.root / "folder");
       return Arranged{{f.Path(u"folder")},
                       Line("error reading: " + Utf8(f.Path(u"folder")) + ": a folder") +
                           Line("1 of 2 files failed")};
     },
     kExitSomeFailed, nullptr},
    {"empty path",
     [](const ScratchFolder&) {
       return Arranged{{u""}, Line("error reading: : no such file") + Line("1 of 2 files failed")};
     },
     kExitSomeFailed, nullptr},
    {"output would replace an input",
     [](const ScratchFolder& f) {
       WriteBytes(f.Path(u"a.bin"), SampleBytes(10, 1));
       WriteBytes(f.Path(u"a.bin.scr"), kKept);
       return Arranged{{f.Path(u"a.bin.scr"), f.Path(u"a.bin")},
                       Line("would replace an input file: " + Utf8(f.Path(u"a.bin.scr"))) +
                           Line("1 of 3 files failed")};
     },
     kExitSomeFailed, u"a.bin.scr"},
    {"the input spelt another way",
     [](const ScratchFolder& f) {
       std::filesystem::create_directory(f.root / "sub");
       WriteBytes(f.Path(u"a.bin"), SampleBytes(10, 1));
       WriteBytes(f.Path(u"a.bin.scr"), kKept);
       return Arranged{{f.Path(u"sub/../a.bin.scr"), f.Path(u"a.bin")},
                       Line("would replace an input file: " + Utf8(f.Path(u"a.bin.scr"))) +
                           Line("1 of 3 files failed")};
     },
     kExitSomeFailed, u"a.bin.scr"},
    {"output is a hard link to an input",
     [](const ScratchFolder& f) {
       WriteBytes(f.Path(u"kept.bin"), kKept);
       WriteBytes(f.Path(u"b.bin"), SampleBytes(10, 1));
       std::filesystem::create_hard_link(f.root / "kept.bin", f.root / "b.bin.scr");
       return Arranged{{f.Path(u"kept.bin"), f.Path(u"b.bin")},
                       Line("would replace an input file: " + Utf8(f.Path(u"b.bin.scr"))) +
                           Line("1 of 3 files failed")};
     },
     kExitSomeFailed, u"kept.bin"},
    {"two inputs of one name sent to one folder",
     [](const ScratchFolder& f) {
       for (const char* name : {"out", "one", "two"})
         std::filesystem::create_directory(f.root / name);
       WriteBytes(f.Path(u"one/a.bin"), SampleBytes(10, 1));
       WriteBytes(f.Path(u"two/a.bin"), kKept);
       return Arranged{{u"-o", f.Path(u"out"), f.Path(u"one/a.bin"), f.Path(u"two/a.bin")},
                       Line("already written from another input: " + Utf8(f.Path(u"out")) +
                            kSeparator + "a.bin.scr") +
                           Line("1 of 3 files failed")};
     },
     kExitSomeFailed, nullptr},
    {"the same input twice",
     [](const ScratchFolder& f) {
       WriteBytes(f.Path(u"a.bin"), SampleBytes(10, 1));
       return Arranged{{f.Path(u"a.bin"), f.Path(u"a.bin")}, ""};
     },
     kExitConverted, nullptr},
    {"a folder in the screen file's place",
     [](const ScratchFolder& f) {
       WriteBytes(f.Path(u"a.bin"), SampleBytes(10, 1));
       std::filesystem::create_directory(f.root / "a.bin.scr");
       return Arranged{
           {f.Path(u"a.bin")},
           Line("error writing: " + Utf8(f.Path(u"a.bin.scr"))) + Line("1 of 2 files failed")};
     },
     kExitSomeFailed, nullptr},
    {"a sheet onto its own input",
     [](const ScratchFolder& f) {
       WriteBytes(f.Path(u"kept.bin"), kKept);
       return Arranged{{u"--sheet", f.Path(u"kept.bin"), f.Path(u"kept.bin")},
                       Line("would replace an input file: " + Utf8(f.Path(u"kept.bin")))};
     },
     kExitSomeFailed, u"kept.bin"},
    {"missing output folder",
     [](const ScratchFolder& f) {
       return Arranged{{u"-o", f.Path(u"nowhere")},
                       Line("no such folder: " + Utf8(f.Path(u"nowhere")))};
     },
     kExitBadCommandLine, nullptr},
    {"a file as the output folder",
     [](const ScratchFolder& f) {
       WriteBytes(f.Path(u"kept.bin"), kKept);
       return Arranged{{u"-o", f.Path(u"kept.bin")},
                       Line("not a folder: " + Utf8(f.Path(u"kept.bin")))};
     },
     kExitBadCommandLine, u"kept.bin"},
#ifndef _WIN32
    {"a device as the output folder",
     [](const ScratchFolder&) {
       return Arranged{{u"-o", u"/dev/null"}, Line("not a folder: /dev/null")};
     },
     kExitBadCommandLine, nullptr},
    {"a FIFO in the screen file's place",  // would take the screen and keep none of it
     [](const ScratchFolder& f) {
       WriteBytes(f.Path(u"a.bin"), SampleBytes(10, 1));
       mkfifo((f.root / "a.bin.scr").c_str(), 0600);
       return Arranged{
           {f.Path(u"a.bin")},
           Line("error writing: " + Utf8(f.Path(u"a.bin.scr"))) + Line("1 of 2 files failed")};
     },
     kExitSomeFailed, nullptr},
#endif
};

TEST(Converter, ReportsEachFailureAndConvertsTheOtherFiles) {
  for (const ErrorCase& c : kErrorCases) {
    ScratchFolder folder;
    Arranged arranged = c.arrange(folder);
    const bool sheet = arranged.arguments.front() == u"--sheet";
    if (!sheet) arranged.arguments.push_back(folder.Path(u"other.bin"));
    WriteBytes(folder.Path(u"other.bin"), SampleBytes(20, 9));

    const Result result = Convert(arranged.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.name;
    EXPECT_EQ(result.error, arranged.error) << c.name;
    const bool otherConverted = c.exitCode != kExitBadCommandLine && !sheet;
    const bool intoOut = arranged.arguments.front() == u"-o";
    EXPECT_EQ(ReadBytes(folder.Path(intoOut ? u"out/other.bin.scr" : u"other.bin.scr")).has_value(),
              otherConverted)
        << c.name;
    if (c.kept) {
      EXPECT_EQ(ReadBytes(folder.Path(c.kept)), kKept) << c.name;
    }
  }
}

// --guess-width prints a line per file in the order given, naming it as given, even when
// quiet: the guess, then the runners-up; unsure and alone with too few bytes for two rows.
// --offset skips a header of another width. Nothing is written.
TEST(Converter, GuessWidthPrintsALinePerFileAndWritesNothing) {
  ScratchFolder folder;
  const SpriteFile sheet = MakeSpriteFile(SpriteKind::kSheet, 21);
  Bytes headed = MakeSpriteFile(SpriteKind::kMasked, 22).bytes;
  const Text header = DecimalText(std::ssize(headed));
  headed.insert(headed.end(), sheet.bytes.begin(), sheet.bytes.end());
  WriteBytes(folder.Path(u"sheet.bin"), sheet.bytes);
  WriteBytes(folder.Path(u"one.bin"), {0x18});
  WriteBytes(folder.Path(u"headed.bin"), headed);
  const WidthGuess guess = GuessStripWidth(sheet.bytes.data(), std::ssize(sheet.bytes));
  const std::string line = ": " + std::to_string(sheet.width) + " (also " +
                           std::to_string(guess.ranked[1]) + ", " +
                           std::to_string(guess.ranked[2]) + ")\n";

  const Result plain = Print({u"--guess-width", folder.Path(u"sheet.bin"), folder.Path(u"gone.bin"),
                              u"-q", folder.Path(u"one.bin")});
  EXPECT_EQ(plain.exitCode, kExitSomeFailed);
  EXPECT_EQ(plain.output, Utf8(folder.Path(u"sheet.bin")) + line + Utf8(folder.Path(u"one.bin")) +
                              ": 1 (unsure)\n");
  EXPECT_EQ(plain.error,
            Line("error reading: " + Utf8(folder.Path(u"gone.bin")) + ": no such file"));
  const Result offset = Print({u"--offset", header, u"--guess-width", folder.Path(u"headed.bin")});
  EXPECT_EQ(offset.exitCode, kExitConverted) << offset.error;
  EXPECT_EQ(offset.output, Utf8(folder.Path(u"headed.bin")) + line);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.root), {}), 3);
}

// -w auto writes for each file what -w N writes at that file's width, from the offset, and
// says which width unless -q.
TEST(Converter, WidthAutoConvertsEachFileAtItsOwnWidth) {
  ScratchFolder folder;
  std::filesystem::create_directory(folder.root / "auto");
  const SpriteFile files[] = {MakeSpriteFile(SpriteKind::kAnimation, 23),
                              MakeSpriteFile(SpriteKind::kSheet, 21)};
  ASSERT_NE(files[0].width, files[1].width);
  std::vector<Text> arguments{u"-w", u"auto", u"--offset", u"7", u"-o", folder.Path(u"auto")};
  std::string said;
  for (const SpriteFile& file : files) {
    const Text input = folder.Path(DecimalText(file.width) + u".bin");
    Bytes bytes = SampleBytes(7, 5);
    bytes.insert(bytes.end(), file.bytes.begin(), file.bytes.end());
    WriteBytes(input, bytes);
    arguments.push_back(input);
    said += Utf8(input) + ": width " + std::to_string(file.width) + "\n";
  }
  const Result automatic = Print(arguments);
  EXPECT_EQ(automatic.exitCode, kExitConverted) << automatic.error;
  EXPECT_EQ(automatic.output, said);
  for (const SpriteFile& file : files) {
    const Text name = DecimalText(file.width) + u".bin";
    Convert({u"-w", DecimalText(file.width), u"--offset", u"7", folder.Path(name)});
    EXPECT_EQ(ReadBytes(folder.Path(u"auto/" + name + u".scr")),
              ReadBytes(folder.Path(name + u".scr")));
  }
  arguments.insert(arguments.begin(), u"-q");
  EXPECT_EQ(Print(arguments).output, "");
}

// --find writes nothing and prints a line per region, in order: the offset in decimal and
// upper-case hexadecimal, the length, the width and the kind, then the layout; "none" for a
// file without any. --offset searches from there on, counting from the file's start; with
// --memory the offsets are addresses in the image.
TEST(Converter, FindPrintsALinePerRegionFoundAsTheCoreFindsIt) {
  ScratchFolder folder;
  Bytes ram = SampleBytes(4000, 1);
  for (const std::uint32_t seed : {21u, 24u, 6u}) {
    const Bytes sheet =
        seed < 20 ? MakeStoredFile(StoredKind::kMaskedColumns, Followed::kByNothing, seed).bytes
                  : MakeSpriteFile(SpriteKind::kSheet, seed).bytes;
    ram.insert(ram.end(), sheet.begin(), sheet.end());
    const Bytes noise = SampleBytes(4000, seed);
    ram.insert(ram.end(), noise.begin(), noise.end());
  }
  ram.resize(49152);
  Bytes sna = ram, image = ram;
  sna.insert(sna.begin(), 27, 0);
  sna[24] = 0x80;  // the stack pointer, inside the RAM
  image.insert(image.begin(), 16384, 0);
  const Text game = folder.Path(u"game.sna"), blank = folder.Path(u"blank.bin");
  WriteBytes(game, sna);
  WriteBytes(blank, Bytes(5000, 0));
  const auto lines = [&](const Bytes& bytes, std::int64_t from) {
    std::string text;
    for (GraphicsRegion r : FindGraphics(bytes.data() + from, std::ssize(bytes) - from)) {
      std::string layout;
      if (IsMasked(r.layout))
        layout += r.layout.masks == MaskOrder::kMaskFirst ? ", masked mask-first"
                                                          : ", masked graphic-first";
      if (HasColumns(r.layout)) layout += ", columns " + std::to_string(r.layout.columnHeight);
      char line[200];
      std::snprintf(line, sizeof line, ": at %lld ($%llX), %lld bytes, width %d (%s%s)\n",
                    static_cast<long long>(r.start + from), static_cast<long long>(r.start + from),
                    static_cast<long long>(r.length), r.width, GraphicsKindName(r.kind),
                    layout.c_str());
      text += Utf8(game) + line;
    }
    return text;
  };
  ASSERT_NE(lines(sna, 0).find(", masked graphic-first, columns "), std::string::npos)
      << "a region with its layout among them";
  const std::pair<std::vector<Text>, std::string> cases[] = {
      {{u"--find", game, blank}, lines(sna, 0) + Utf8(blank) + ": none\n"},
      {{u"--find", u"--offset", u"$1800", game}, lines(sna, 0x1800)},
      {{u"--find", u"--memory", game}, lines(image, 0)},
  };
  for (const auto& [arguments, output] : cases) {
    const Result result = Print(arguments);
    EXPECT_EQ(result.exitCode, kExitConverted) << result.error;
    EXPECT_EQ(result.output, output);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.root), {}), 2);
}

// --find-sheet of a file without graphics writes no sheet and fails: the output asked for
// was not made. --find alone finds none and succeeds.
TEST(Converter, FindSheetOfNothingWritesNoSheet) {
  ScratchFolder folder;
  const Text blank = folder.Path(u"blank.bin"), sheet = folder.Path(u"found.png");
  WriteBytes(blank, Bytes(5000, 0));
  for (const bool alone : {true, false}) {
    const Result result = Print(alone ? std::vector<Text>{u"--find", blank}
                                      : std::vector<Text>{u"--find-sheet", sheet, blank});
    EXPECT_EQ(result.exitCode, alone ? kExitConverted : kExitSomeFailed) << result.error;
    EXPECT_EQ(result.output, Utf8(blank) + ": none\n");
    EXPECT_FALSE(ReadBytes(sheet));
  }
}

// The lines a terminal shows after the stream: a carriage return goes back to the start of
// the line and what follows overwrites it; blanks at a line's end are not seen.
std::vector<std::string> TerminalLines(const std::string& stream) {
  std::vector<std::string> lines{""};
  std::size_t column = 0;
  for (const char c : stream) {
    if (c == '\n') {
      lines.emplace_back();
      column = 0;
    } else if (c == '\r') {
      column = 0;
    } else {
      std::string& line = lines.back();
      if (column < line.size())
        line[column] = c;
      else
        line += c;
      ++column;
    }
  }
  for (std::string& line : lines) line.erase(line.find_last_not_of(' ') + 1);
  return lines;
}

struct StreamCase {
  const char* name;
  int files;
  bool terminal;
  bool quiet;
  bool oneMissing;
  bool progressShown;
};

const StreamCase kStreamCases[] = {
    {"ten files on a terminal", 10, true, false, false, true},
    {"a failure among ten on a terminal", 10, true, false, true, true},
    {"four files are too few for progress", 4, true, false, false, false},
    {"ten files into a file or pipe", 10, false, false, true, false},
    {"quiet on a terminal", 10, true, true, true, false},
};

TEST(Converter, ShowsProgressOnlyOnATerminalAndNeverAmongTheErrors) {
  for (const StreamCase& c : kStreamCases) {
    ScratchFolder folder;
    std::vector<Text> arguments;
    if (c.quiet) arguments.push_back(u"-q");
    for (int i = 0; i < c.files; ++i) {
      const Text path = folder.Path(DecimalText(i) + u".bin");
      if (!(c.oneMissing && i == 4)) WriteBytes(path, SampleBytes(30, i));
      arguments.push_back(path);
    }
    const Result result = Convert(arguments, c.terminal);

    std::vector<std::string> expected;
    if (c.oneMissing)
      expected.push_back("pelorin-convert: error reading: " + Utf8(arguments[4 + c.quiet]) +
                         ": no such file");
    if (c.oneMissing && !c.quiet) expected.push_back("pelorin-convert: 1 of 10 files failed");
    expected.push_back("");
    EXPECT_EQ(TerminalLines(result.error), expected) << c.name;
    const bool progressShown =
        result.error.find("pelorin-convert: " + std::to_string(c.files) + " of " +
                          std::to_string(c.files) + " files") != std::string::npos;
    EXPECT_EQ(progressShown, c.progressShown) << c.name;
    EXPECT_EQ(result.error.find('\r') != std::string::npos, c.progressShown) << c.name;
  }
}

TEST(Converter, ListingsOnATerminalKeepOffTheProgressLine) {
  ScratchFolder folder;
  std::vector<Text> arguments = {u"--memory", u"--list"};
  std::vector<std::string> expected;
  for (int i = 0; i < 5; ++i) {  // more than a few files: the progress line shows
    arguments.push_back(folder.Path(DecimalText(i) + u".tap"));
    WriteBytes(arguments.back(), {4, 0, 0xFF, 9, 9, 0xFF});
    expected.push_back(TextToUtf8(arguments.back()) + ":");
    expected.push_back("block 1: data 2 bytes at 65536");
  }
  expected.push_back("");
  Text screen;  // both streams, as one terminal shows them
  const auto show = [&](const Text& text) { screen += text; };
  EXPECT_EQ(RunConverter(arguments, {show, show, true}), kExitConverted);
  EXPECT_EQ(TerminalLines(TextToUtf8(screen)), expected);
}

}  // namespace
}  // namespace pelorin
