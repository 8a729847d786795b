// Tests of --export and --recipe: a region exported, the rip replayed into another folder
// byte for byte, and refused once the source has changed; bad regions and lines said.
#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "run_converter.h"
#include "tool_test_support.h"

namespace pelorin {
namespace {

// The names in the folder, sorted; none when it is missing.
std::vector<std::string> Listing(const Text& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(FsPath(folder), error))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ConverterExport, RipReplayedByteForByteAndRefusedOnceTheSourceChanged) {
  const ScratchFolder scratch;
  const Text source = scratch.Path(u"a.bin");
  Bytes bytes = SampleBytes(20000, 9);
  WriteBytes(source, bytes);
  for (const Text folder : {u"out", u"again", u"changed", u"empty"})
    std::filesystem::create_directory(FsPath(scratch.Path(folder)));
  const Text rip = scratch.Path(u"out") + Text(1, kSeparator) + u"rip.tsv";
  const std::vector<std::string> exported = {"a.bin-100-w3.asm", "a.bin-100-w3.bin",
                                             "a.bin-100-w3.png", "a.bin-19900-w3.bin"};

  struct Step {
    const char* what;
    std::vector<Text> arguments;
    int exitCode;
    std::string error;  // a line the error stream holds; empty: nothing said
    Text folder;        // then holds exactly these names
    std::vector<std::string> names;
  };
  const Step steps[] = {
      {"a region, twice: the files replaced",
       {u"--export", scratch.Path(u"out"), u"-w", u"3", u"--offset", u"100", u"--length", u"300",
        source},
       kExitConverted, "", u"out", {"a.bin-100-w3.asm", "a.bin-100-w3.bin", "a.bin-100-w3.png", "rip.tsv"}},
      {"the same again: the files replaced",
       {u"--export", scratch.Path(u"out"), u"-w", u"3", u"--offset", u"100", u"--length", u"300",
        source},
       kExitConverted, "", u"out", {"a.bin-100-w3.asm", "a.bin-100-w3.bin", "a.bin-100-w3.png", "rip.tsv"}},
      {"--length past the end cut",
       {u"--export", scratch.Path(u"out"), u"-w", u"3", u"--offset", u"19900", u"--length", u"500",
        u"--export-as", u"bin", source},
       kExitConverted, "", u"out", {exported[0], exported[1], exported[2], exported[3], "rip.tsv"}},
      {"nothing at the end",
       {u"--export", scratch.Path(u"empty"), u"--offset", u"20000", source},
       kExitSomeFailed, "pelorin-convert: " + TextToUtf8(source) + ": nothing at 20000\n",
       u"empty", {}},
      {"replayed into another folder",
       {u"--recipe", rip, u"-o", scratch.Path(u"again"), source},
       kExitConverted, "", u"again", exported},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    Text error;
    const Console console{[](const Text&) {}, [&](const Text& text) { error += text; }, false};
    EXPECT_EQ(RunConverter(step.arguments, console), step.exitCode);
    EXPECT_EQ(TextToUtf8(error), step.error);
    EXPECT_EQ(Listing(scratch.Path(step.folder)), step.names);
  }
  for (const std::string& name : exported)
    EXPECT_EQ(ReadBytes(scratch.Path(u"again") + Text(1, kSeparator) + Utf8ToText(name)),
              ReadBytes(scratch.Path(u"out") + Text(1, kSeparator) + Utf8ToText(name)))
        << name;
  EXPECT_EQ(ReadBytes(scratch.Path(u"again") + Text(1, kSeparator) + u"a.bin-19900-w3.bin"),
            Bytes(bytes.end() - 100, bytes.end()));

  // A line spoilt and the source changed: the line is named, the source refused, nothing
  // written, and the status is 1.
  std::string text = ReadText(rip);
  text += "not\ta line\n";
  WriteBytes(rip, Bytes(text.begin(), text.end()));
  bytes[5000] ^= 1;
  WriteBytes(source, bytes);
  Text error;
  const Console console{[](const Text&) {}, [&](const Text& text) { error += text; }, false};
  EXPECT_EQ(RunConverter({u"--recipe", rip, u"-o", scratch.Path(u"changed"), source}, console),
            kExitSomeFailed);
  const std::string said = TextToUtf8(error);
  EXPECT_NE(said.find(TextToUtf8(rip) + ":5: not a line of a rip, skipped\n"), std::string::npos)
      << said;
  EXPECT_NE(said.find(TextToUtf8(source) + ": changed since the recipe was made\n"),
            std::string::npos)
      << said;
  EXPECT_EQ(Listing(scratch.Path(u"changed")), std::vector<std::string>{});
}

}  // namespace
}  // namespace pelorin
