// Tests of the built pelorin-convert run as its own process: exit status, the exact text on
// its streams, file names beyond ASCII (through the entry point, and agreeing with the
// window), and a file it may not read.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include "platform/platform.h"
#include "run_converter.h"
#include "run_process.h"
#include "tool_test_support.h"

namespace pelorin {
namespace {

struct ExeCase {
  const char* name;
  std::vector<Text> arguments;  // "@" starts a path inside the scratch folder
  int exitCode;
  std::string error;   // "@" stands for the scratch folder and its separator
  std::string output;  // its start
};

const ExeCase kExeCases[] = {
    {"help", {u"--help"}, kExitConverted, "", "Usage: pelorin-convert [options] FILE...\n"},
    {"version", {u"--version"}, kExitConverted, "", "pelorin-convert " PELORIN_VERSION "\n"},
    {"converted", {u"@good.bin"}, kExitConverted, "", ""},
    {"missing file",
     {u"@missing.bin", u"@good.bin"},
     kExitSomeFailed,
     "pelorin-convert: error reading: @missing.bin: no such file\n"
     "pelorin-convert: 1 of 2 files failed\n",
     ""},
    {"missing file named beyond ASCII",
     {u"@m\u00e4\u20ac\U0001F600.bin"},
     kExitSomeFailed,
     "pelorin-convert: error reading: @m\u00e4\u20ac\U0001F600.bin: no such file\n",
     ""},
    {"bad width",
     {u"-w", u"99", u"@good.bin"},
     kExitBadCommandLine,
     "pelorin-convert: -w takes a width from 1 to 31, not: 99\n"
     "Try 'pelorin-convert --help' for more information.\n",
     ""},
    {"output is an input",
     {u"@good.bin.scr", u"@good.bin"},
     kExitSomeFailed,
     "pelorin-convert: would replace an input file: @good.bin.scr\n"
     "pelorin-convert: 1 of 2 files failed\n",
     ""},
};

Text InFolder(const ScratchFolder& folder, const Text& argument) {
  return argument.starts_with(u"@") ? folder.Path(argument.substr(1)) : argument;
}

std::string Expanded(const std::string& text, const ScratchFolder& folder) {
  std::string result;
  for (const char c : text) result += c == '@' ? TextToUtf8(folder.Path(u"")) : std::string(1, c);
  return result;
}

TEST(ConverterExe, ExitStatusAndMessages) {
  for (const ExeCase& c : kExeCases) {
    ScratchFolder folder;
    WriteBytes(folder.Path(u"good.bin"), SampleBytes(100, 1));
    WriteBytes(folder.Path(u"good.bin.scr"), {'k', 'e', 'p', 't'});
    std::vector<Text> arguments;
    for (const Text& argument : c.arguments) arguments.push_back(InFolder(folder, argument));

    const ProcessResult result = RunConverterExe(arguments, folder);
    ASSERT_TRUE(result.started) << c.name;
    EXPECT_EQ(result.exitCode, c.exitCode) << c.name;
    EXPECT_EQ(result.error, Expanded(c.error, folder)) << c.name;
    EXPECT_EQ(result.output.substr(0, c.output.size()), c.output) << c.name;
  }
}

TEST(ConverterExe, ConvertsFilesNamedBeyondAscii) {
  ScratchFolder folder;
  const Text input = folder.Path(u"sp\u00e4te \u20ac\U0001F600.bin");
  WriteBytes(input, SampleBytes(5000, 3));
  const ProcessResult result = RunConverterExe({u"-w", u"3", u"--png", input}, folder);
  EXPECT_EQ(result.exitCode, kExitConverted) << result.error;
  EXPECT_EQ(ReadBytes(input + u".scr"), WindowSave(input, 3, u"71"));
  EXPECT_TRUE(ReadBytes(input + u".png").has_value());
}

TEST(ConverterExe, ReportsAFileItMayNotRead) {
  ScratchFolder folder;
  const Text locked = folder.Path(u"locked.bin");
  const Text open = folder.Path(u"open.bin");
  WriteBytes(locked, SampleBytes(100, 1));
  WriteBytes(open, SampleBytes(100, 2));
#ifdef _WIN32
  // Windows refuses to share a file with a reader while another program writes it.
  const HANDLE writer = CreateFileW(WideText(locked), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  const ProcessResult result = RunConverterExe({locked, open}, folder);
  CloseHandle(writer);
  const std::string why = "in use by another program";
#else
  // Permission bits stop any user but root, so the converter runs as nobody when the tests
  // run as root; the folder lets nobody write the other file's output.
  std::filesystem::permissions(FsPath(locked), std::filesystem::perms::none);
  std::filesystem::permissions(folder.root, std::filesystem::perms::all);
  const ProcessResult result = RunConverterExe({locked, open}, folder, true);
  if (!result.unprivileged) GTEST_SKIP() << "cannot run as a user whom permissions stop";
  if (result.exitCode != kExitSomeFailed || !ReadBytes(open + u".scr"))
    GTEST_SKIP() << "the unprivileged user cannot work in the scratch folder: " << result.error;
  const std::string why = "permission denied";
#endif
  EXPECT_EQ(result.exitCode, kExitSomeFailed);
  EXPECT_EQ(result.error, "pelorin-convert: error reading: " + TextToUtf8(locked) + ": " + why +
                              "\npelorin-convert: 1 of 2 files failed\n");
  EXPECT_TRUE(ReadBytes(open + u".scr").has_value());
}

#ifndef _WIN32
// An answer printed to a full disk was not given: "error writing", exit status 1.
TEST(ConverterExe, AnAnswerThatCannotBeWrittenIsAWritingError) {
  ScratchFolder folder;
  WriteBytes(folder.Path(u"game.tap"), {4, 0, 0xFF, 9, 9, 0xFF});
  for (const std::string answer : {"--memory --list game.tap", "--find game.tap"}) {
    const std::string command = "cd '" + folder.root.string() + "' && " PELORIN_CONVERT_EXE " " +
                                answer + " >/dev/full 2>errors.txt";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kExitSomeFailed) << answer;
    EXPECT_EQ(ReadText(folder.Path(u"errors.txt")),
              "pelorin-convert: error writing: standard output\n")
        << answer;
  }
}
#endif

}  // namespace
}  // namespace pelorin
