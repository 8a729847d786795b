// Tests of the converter's width guess: the lines --guess-width prints, and -w auto against
// the same conversion at the width it names.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "run_converter.h"
#include "sprite_corpus.h"
#include "tool_test_support.h"

namespace pelorin {
namespace {

struct Outcome {
  int exitCode;
  std::string output;
  std::string error;
};

Outcome Converter(const std::vector<Text>& arguments) {
  Text output, error;
  const Console console{[&](const Text& text) { output += text; },
                        [&](const Text& text) { error += text; }, false};
  const int exitCode = RunConverter(arguments, console);
  return {exitCode, TextToUtf8(output), TextToUtf8(error)};
}

std::size_t FilesIn(const ScratchFolder& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.root))
    ++count;
  return count;
}

Bytes Joined(const Bytes& first, const Bytes& second) {
  Bytes joined = first;
  joined.insert(joined.end(), second.begin(), second.end());
  return joined;
}

// One line per file, in the order given, naming the file as given; the guess first, then
// the two runners-up. A file too short for two rows has no runner-up and is unsure. The
// header before a sheet of another width is skipped by --offset. Nothing is written.
TEST(GuessWidthOption, PrintsALinePerFileAndWritesNothing) {
  ScratchFolder folder;
  const SpriteFile sheet = MakeSpriteFile(SpriteKind::kSheet, 21);
  const SpriteFile header = MakeSpriteFile(SpriteKind::kMasked, 22);
  ASSERT_NE(sheet.width, header.width);
  WriteBytes(folder.Path(u"sheet.bin"), sheet.bytes);
  WriteBytes(folder.Path(u"one.bin"), {0x18});
  WriteBytes(folder.Path(u"headed.bin"), Joined(header.bytes, sheet.bytes));
  const std::size_t files = FilesIn(folder);

  const Text sheetPath = folder.Path(u"sheet.bin");
  const Outcome plain = Converter({u"--guess-width", sheetPath, folder.Path(u"one.bin")});
  EXPECT_EQ(plain.exitCode, kExitConverted) << plain.error;
  EXPECT_EQ(plain.error, "");
  const std::string prefix = TextToUtf8(sheetPath) + ": " + std::to_string(sheet.width) + " (also ";
  ASSERT_EQ(plain.output.substr(0, prefix.size()), prefix) << plain.output;
  int first = 0, second = 0;
  char tail[64] = {};
  ASSERT_EQ(
      std::sscanf(plain.output.c_str() + prefix.size(), "%d, %d)%63[^\n]", &first, &second, tail),
      2)
      << plain.output;
  EXPECT_TRUE(first != second && first != sheet.width && second != sheet.width) << plain.output;
  EXPECT_EQ(plain.output.substr(plain.output.find('\n') + 1),
            TextToUtf8(folder.Path(u"one.bin")) + ": 1 (unsure)\n");

  const Text headed = folder.Path(u"headed.bin");
  const Outcome offset =
      Converter({u"--offset", DecimalText(static_cast<long long>(header.bytes.size())),
                 u"--guess-width", headed});
  const std::string guessedSheet = TextToUtf8(headed) + ": " + std::to_string(sheet.width) + " ";
  EXPECT_EQ(offset.output.substr(0, guessedSheet.size()), guessedSheet);
  EXPECT_EQ(FilesIn(folder), files);

  const Outcome missing =
      Converter({u"--guess-width", folder.Path(u"gone.bin"), u"-q", folder.Path(u"one.bin")});
  EXPECT_EQ(missing.exitCode, kExitSomeFailed);
  EXPECT_EQ(missing.output, TextToUtf8(folder.Path(u"one.bin")) + ": 1 (unsure)\n");
  EXPECT_NE(missing.error.find("error reading: " + TextToUtf8(folder.Path(u"gone.bin"))),
            std::string::npos);
}

// -w auto writes what -w N writes for the N that --guess-width puts first, and says which
// width it took unless -q; with --offset the guess is over the bytes after the header.
TEST(GuessWidthOption, AutoConvertsAtTheGuessedWidth) {
  for (const bool withHeader : {false, true}) {
    ScratchFolder folder;
    const SpriteFile sprites = MakeSpriteFile(SpriteKind::kAnimation, 23);
    const Bytes header = SampleBytes(withHeader ? 7 : 0, 5);
    const Text input = folder.Path(u"s.bin");
    WriteBytes(input, Joined(header, sprites.bytes));
    std::filesystem::create_directory(folder.root / "auto");
    std::filesystem::create_directory(folder.root / "fixed");
    const Text offset = DecimalText(static_cast<long long>(header.size()));

    const Outcome guessed = Converter({u"--offset", offset, u"--guess-width", input});
    const std::string width =
        std::to_string(std::atoi(guessed.output.c_str() + TextToUtf8(input).size() + 2));
    EXPECT_EQ(width, std::to_string(sprites.width)) << guessed.output;

    const Outcome automatic =
        Converter({u"-w", u"auto", u"--offset", offset, u"-o", folder.Path(u"auto"), input});
    EXPECT_EQ(automatic.exitCode, kExitConverted) << automatic.error;
    EXPECT_EQ(automatic.output, TextToUtf8(input) + ": width " + width + "\n");
    const Outcome fixed = Converter(
        {u"-w", Utf8ToText(width), u"--offset", offset, u"-o", folder.Path(u"fixed"), input});
    EXPECT_EQ(fixed.output, "");
    EXPECT_EQ(ReadBytes(folder.Path(u"auto/s.bin.scr")),
              ReadBytes(folder.Path(u"fixed/s.bin.scr")));

    const Outcome quiet = Converter({u"-q", u"-w", u"auto", u"-o", folder.Path(u"auto"), input});
    EXPECT_EQ(quiet.output, "");
  }
}

}  // namespace
}  // namespace pelorin
