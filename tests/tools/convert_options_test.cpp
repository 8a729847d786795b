// Tests of the converter's command line: every option, how values are written, and the
// mistakes that stop it before anything is written.
#include <gtest/gtest.h>

#include "convert_options.h"
#include "view_offset.h"

namespace pelorin {
namespace {

struct GoodLine {
  const char* name;
  std::vector<Text> arguments;
  ConvertOptions expected;
};

const GoodLine kGoodLines[] = {
    {"defaults as the window starts", {u"a.bin"}, {.files = {u"a.bin"}}},
    {"width short", {u"-w", u"31", u"a"}, {.width = 31, .files = {u"a"}}},
    {"width attached", {u"-w7", u"a"}, {.width = 7, .files = {u"a"}}},
    {"width long with =", {u"--width=4", u"a"}, {.width = 4, .files = {u"a"}}},
    {"last width wins", {u"-w", u"2", u"-w", u"3", u"a"}, {.width = 3, .files = {u"a"}}},
    {"attr decimal", {u"-a", u"56", u"a"}, {.attribute = 56, .files = {u"a"}}},
    {"attr $ hex, lower case", {u"-a", u"$4f", u"a"}, {.attribute = 79, .files = {u"a"}}},
    {"attr # hex", {u"--attr", u"#0A", u"a"}, {.attribute = 10, .files = {u"a"}}},
    {"attr % binary", {u"--attr=%1000111", u"a"}, {.attribute = 71, .files = {u"a"}}},
    {"attr keeps the low 8 bits", {u"-a", u"300", u"a"}, {.attribute = 44, .files = {u"a"}}},
    {"attr prefix alone is 0", {u"-a", u"$", u"a"}, {.attribute = 0, .files = {u"a"}}},
    {"offset decimal", {u"--offset", u"128", u"a"}, {.offset = 128, .files = {u"a"}}},
    {"offset $ hex", {u"--offset", u"$1b", u"a"}, {.offset = 27, .files = {u"a"}}},
    {"offset past 32 bits", {u"--offset=$100000000", u"a"}, {.offset = 1LL << 32, .files = {u"a"}}},
    {"png beside scr", {u"--png", u"a"}, {.writePicture = true, .files = {u"a"}}},
    {"png only",
     {u"--png-only", u"a"},
     {.writeScreen = false, .writePicture = true, .files = {u"a"}}},
    {"scale",
     {u"--scale", u"4", u"--png", u"a"},
     {.writePicture = true, .scale = 4, .files = {u"a"}}},
    {"sheet", {u"--sheet", u"s.png", u"a"}, {.sheetPath = u"s.png", .files = {u"a"}}},
    {"output folder", {u"-o", u"out", u"a"}, {.outputFolder = u"out", .files = {u"a"}}},
    {"quiet", {u"-q", u"a"}, {.quiet = true, .files = {u"a"}}},
    {"width auto", {u"-w", u"auto", u"a"}, {.width = kGuessedWidth, .files = {u"a"}}},
    {"a width after auto wins", {u"-w", u"auto", u"-w5", u"a"}, {.width = 5, .files = {u"a"}}},
    {"guess width", {u"--guess-width", u"a"}, {.guessWidth = true, .files = {u"a"}}},
    {"locate the far corner",
     {u"--locate", u"255,191", u"a"},
     {.locate = true, .locateX = 255, .locateY = 191, .files = {u"a"}}},
    {"memory listed",
     {u"--list", u"a", u"--memory"},
     {.memory = true, .list = true, .files = {u"a"}}},
    {"masks shown, by columns",
     {u"--masked", u"graphic-first", u"--show-masks", u"--columns", u"$18", u"a"},
     {.layout = {ScreenLayout::kStrips, MaskOrder::kGraphicFirst, true, 24}, .files = {u"a"}}},
    {"options between files", {u"a", u"-w", u"2", u"b"}, {.width = 2, .files = {u"a", u"b"}}},
    {"-- ends the options", {u"--", u"-w", u"--png"}, {.files = {u"-w", u"--png"}}},
    {"- alone is a file", {u"-"}, {.files = {u"-"}}},
};

TEST(ParseCommandLine, ReadsEachOption) {
  for (const GoodLine& line : kGoodLines) {
    const CommandLine parsed = ParseCommandLine(line.arguments);
    EXPECT_EQ(parsed.action, CommandAction::kConvert)
        << line.name << ": " << TextToUtf8(parsed.mistake);
    EXPECT_TRUE(parsed.options == line.expected) << line.name;
  }
}

TEST(ParseCommandLine, HelpAndVersionWinOverTheRest) {
  EXPECT_EQ(ParseCommandLine({u"a", u"--help", u"-w", u"99"}).action, CommandAction::kHelp);
  EXPECT_EQ(ParseCommandLine({u"--version"}).action, CommandAction::kVersion);
}

struct BadLine {
  std::vector<Text> arguments;
  Text mistake;
};

const BadLine kBadLines[] = {
    {{u"-w", u"0", u"a"}, u"-w takes a width from 1 to 31, not: 0"},
    {{u"--width", u"32", u"a"}, u"--width takes a width from 1 to 31, not: 32"},
    {{u"-w", u"4x", u"a"}, u"-w takes a width from 1 to 31, not: 4x"},
    {{u"-w", u"$1F", u"a"}, u"-w takes a width from 1 to 31, not: $1F"},
    {{u"-w", u"Auto", u"a"}, u"-w takes a width from 1 to 31, not: Auto"},
    {{u"--guess-width=1", u"a"}, u"--guess-width takes no value"},
    {{u"--sheet", u"s.png", u"--guess-width", u"a"},
     u"--sheet writes only the sheet, at every width: --guess-width does not go with it"},
    {{u"a", u"-w"}, u"-w needs a value"},
    {{u"--width=", u"a"}, u"--width needs a value"},
    {{u"-a", u"$4G", u"a"}, u"-a $4G: Wrong character:G"},
    {{u"-a", u"-5", u"a"}, u"-a -5: Wrong character:-"},
    {{u"--attr", u"12 ", u"a"}, u"--attr 12 : Wrong character: "},
    {{u"--attr", u"%102", u"a"}, u"--attr %102: Wrong character:2"},
    {{u"--locate", u"256,0", u"a"},
     u"--locate takes a pixel X,Y of the 256 x 192 screen, not: 256,0"},
    {{u"--locate", u"0,192", u"a"},
     u"--locate takes a pixel X,Y of the 256 x 192 screen, not: 0,192"},
    {{u"--locate", u"12", u"a"}, u"--locate takes a pixel X,Y of the 256 x 192 screen, not: 12"},
    {{u"--locate", u"1,2,3", u"a"},
     u"--locate takes a pixel X,Y of the 256 x 192 screen, not: 1,2,3"},
    {{u"--offset", u"12x", u"a"},
     u"--offset takes a count of bytes: decimal, hexadecimal ($ # 0x) or binary (%), not: 12x"},
    {{u"--offset", u"-1", u"a"},
     u"--offset takes a count of bytes: decimal, hexadecimal ($ # 0x) or binary (%), not: -1"},
    {{u"--offset", u"9223372036854775808", u"a"},
     u"--offset takes a count of bytes: decimal, hexadecimal ($ # 0x) or binary (%), not: "
     u"9223372036854775808"},
    {{u"--scale", u"0", u"a"}, u"--scale takes a whole number from 1 to 4, not: 0"},
    {{u"--scale", u"5", u"a"}, u"--scale takes a whole number from 1 to 4, not: 5"},
    {{u"--bogus", u"a"}, u"unknown option: --bogus"},
    {{u"-x", u"a"}, u"unknown option: -x"},
    {{u"-qw4", u"a"}, u"unknown option: -qw4"},
    {{u"--png=yes", u"a"}, u"--png takes no value"},
    {{u"-w", u"3"}, u"no input files"},
    {{u"--list", u"a.z80"}, u"--list lists memory images: add --memory"},
    {{u"--memory", u"--list", u"--guess-width", u"a.z80"},
     u"--list and --guess-width each print their own answer: give one"},
    {{u"--locate", u"1,2", u"--list", u"--memory", u"a.z80"},
     u"--locate and --list each print their own answer: give one"},
    {{u"--guess-width", u"--locate=3,4", u"a"},
     u"--guess-width and --locate each print their own answer: give one"},
    {{u"--show-masks", u"a"}, u"--show-masks shows the masks of masked sprites: add --masked"},
    {{u"--layout", u"screen", u"--columns", u"8", u"a"},
     u"--layout screen shows the bytes as they are: --masked and --columns do not go with it"},
    {{u"--sheet", u"s.png", u"a", u"b"}, u"--sheet takes exactly one file"},
    {{u"--sheet", u"s.png", u"-w", u"3", u"a"},
     u"--sheet writes only the sheet, at every width: -w does not go with it"},
    {{u"--png-only", u"--sheet", u"s.png", u"a"},
     u"--sheet writes only the sheet, at every width: --png-only does not go with it"},
};

TEST(ParseCommandLine, NamesTheMistake) {
  for (const BadLine& line : kBadLines) {
    const CommandLine parsed = ParseCommandLine(line.arguments);
    EXPECT_EQ(parsed.action, CommandAction::kMistake) << TextToUtf8(line.mistake);
    EXPECT_EQ(TextToUtf8(parsed.mistake), TextToUtf8(line.mistake));
  }
}

TEST(OffsetForms, GoToOffsetAndTheConverterReadTheSame) {
  // typed -> the offset, or nothing for a mistake: Go to then moves nothing
  const std::pair<Text, std::optional<std::int64_t>> forms[] = {
      {u"6912", 6912},   {u"$1b00", 6912},  {u"#1B00", 6912}, {u"%1101", 13},
      {u"0x1B00", 6912}, {u"0X1b00", 6912}, {u"0x", 0},       {u"12x", {}},
      {u"00x1B", {}},    {u"0x1G", {}},     {u"-1", {}},      {u"$100000000", 1LL << 32}};
  for (const auto& [typed, offset] : forms) {
    SCOPED_TRACE(TextToUtf8(typed));
    Text reported;
    EXPECT_EQ(OffsetAnswer(typed, 1LL << 40, [&](const Text& message) { reported = message; }),
              offset);
    EXPECT_EQ(reported.empty(), offset.has_value());
    const CommandLine line = ParseCommandLine({u"--offset", typed, u"a"});
    EXPECT_EQ(line.action, offset ? CommandAction::kConvert : CommandAction::kMistake);
    EXPECT_EQ(line.options.offset, offset.value_or(0));
  }
}

}  // namespace
}  // namespace pelorin
