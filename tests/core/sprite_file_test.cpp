// Tests of loading sprite files and saving screen files, against the real file system.
#include <functional>
#include <iterator>
#include <optional>

#include <gtest/gtest.h>

#include "redraw.h"
#include "sprite_file.h"
#include "test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace pelorin {
namespace {

namespace fs = std::filesystem;
using testing::CountingCanvas;
using testing::MessageLog;
using testing::PathText;
using testing::RandomBytes;
using testing::ReadBytes;
using testing::ReferenceScreen;
using testing::ScratchFolder;
using testing::WriteBytes;

class SpriteFileTest : public ::testing::Test {
 protected:
  // Loads the file at `path` into the state, as the shell does: path first, then the load.
  void Load(const fs::path& path) { LoadText(PathText(path)); }
  void LoadText(const Text& path) {
    state.sourcePath = path;
    LoadSprite(state, canvas.painter, log.reporter());
  }
  void Save() { SaveScreen(state, log.reporter()); }

  ScratchFolder folder;
  ConverterState state;
  CountingCanvas canvas;
  MessageLog log;
};

TEST_F(SpriteFileTest, LoadsAFileAndSavesItsScreenBesideIt) {
  const std::vector<std::uint8_t> sprite{1, 2, 3, 4, 5, 6, 7};
  WriteBytes(folder / "ship.bin", sprite);
  Load(folder / "ship.bin");
  EXPECT_TRUE(log.messages.empty());
  EXPECT_EQ(state.spriteLength, 7);
  EXPECT_EQ(canvas.paintings, 1);
  Save();
  EXPECT_TRUE(log.messages.empty());
  const std::vector<std::uint8_t> saved = ReadBytes(folder / "ship.bin.scr");
  ASSERT_EQ(saved.size(), 6912u);
  EXPECT_TRUE(std::equal(saved.begin(), saved.end(), state.screen.begin()));
  for (int line = 0; line < 7; ++line) EXPECT_EQ(saved[line * 256], line + 1);
  EXPECT_EQ(std::count(saved.begin(), saved.begin() + 6144, 0), 6144 - 7);
  EXPECT_EQ(std::count(saved.begin() + 6144, saved.end(), 71), 768);
  EXPECT_EQ(ReadBytes(folder / "ship.bin"), sprite) << "the source is never touched";
}

TEST_F(SpriteFileTest, UnreadablePathsReportOnceAndKeepThePicture) {
  WriteBytes(folder / "first.bin", {0xFF, 0xFF});
  Load(folder / "first.bin");
  const ScreenImage shown = state.screen;
  const auto picture = canvas.buffer.bytes;
  const std::vector<std::uint8_t> held = state.spriteData;
  fs::create_directory(folder / "folder");

  for (const Text& path : {PathText(folder / "missing.bin"), PathText(folder / "folder"), Text{}}) {
    log.messages.clear();
    LoadText(path);
    EXPECT_EQ(log.messages, std::vector<Text>{u"error reading\n" + path});
    EXPECT_EQ(state.sourcePath, u"");
    EXPECT_EQ(state.spriteLength, 0);
    EXPECT_EQ(state.spriteData, held);
    EXPECT_EQ(state.screen, shown);
    EXPECT_EQ(canvas.buffer.bytes, picture);
    log.messages.clear();
    Save();  // after a failed load there is nothing to save
    EXPECT_TRUE(log.messages.empty());
  }
  EXPECT_FALSE(fs::exists(folder / "missing.bin.scr"));
  EXPECT_FALSE(fs::exists(folder / "folder.scr"));
}

TEST_F(SpriteFileTest, AnEmptyFileKeepsThePictureAndSavesIt) {
  WriteBytes(folder / "full.bin", {0x3C});
  Load(folder / "full.bin");
  const ScreenImage shown = state.screen;
  const int paintings = canvas.paintings;
  WriteBytes(folder / "empty.bin", {});
  Load(folder / "empty.bin");
  EXPECT_TRUE(log.messages.empty());
  EXPECT_EQ(state.spriteLength, 0);
  EXPECT_EQ(state.sourcePath, PathText(folder / "empty.bin"));
  EXPECT_EQ(canvas.paintings, paintings);
  Save();
  const std::vector<std::uint8_t> saved = ReadBytes(folder / "empty.bin.scr");
  EXPECT_TRUE(std::equal(saved.begin(), saved.end(), shown.begin(), shown.end()));
}

TEST_F(SpriteFileTest, AnEmptyFileFirstSavesAScreenOfZeros) {
  WriteBytes(folder / "empty.bin", {});
  Load(folder / "empty.bin");
  Save();
  EXPECT_EQ(ReadBytes(folder / "empty.bin.scr"), std::vector<std::uint8_t>(6912, 0));
}

TEST_F(SpriteFileTest, ASecondShorterFileUsesOnlyItsOwnBytes) {
  WriteBytes(folder / "long.bin", std::vector<std::uint8_t>(5000, 0xAA));
  Load(folder / "long.bin");
  WriteBytes(folder / "short.bin", {0x11, 0x22});
  Load(folder / "short.bin");
  EXPECT_EQ(state.spriteLength, 2);
  EXPECT_EQ(state.screen, ReferenceScreen({0x11, 0x22}, 1, 71));
}

TEST_F(SpriteFileTest, SavingWithNoSourceWritesNothing) {
  Save();
  EXPECT_TRUE(log.messages.empty());
  EXPECT_TRUE(fs::is_empty(folder.path()));
  EXPECT_FALSE(fs::exists(".scr"));
}

TEST_F(SpriteFileTest, TheExtensionIsAppendedNeverSubstituted) {
  const std::vector<std::uint8_t> sprite = RandomBytes(100, 5);
  WriteBytes(folder / "picture.scr", sprite);
  Load(folder / "picture.scr");
  Save();
  EXPECT_EQ(ReadBytes(folder / "picture.scr"), sprite);
  EXPECT_EQ(ReadBytes(folder / "picture.scr.scr").size(), 6912u);
}

TEST_F(SpriteFileTest, ALongerScreenFileIsReplacedByExactlyTheScreen) {
  WriteBytes(folder / "a.bin", {0x80});
  WriteBytes(folder / "a.bin.scr", std::vector<std::uint8_t>(100000, 0x77));
  Load(folder / "a.bin");
  Save();
  const std::vector<std::uint8_t> saved = ReadBytes(folder / "a.bin.scr");
  ASSERT_EQ(saved.size(), 6912u);
  EXPECT_EQ(saved[0], 0x80);
  EXPECT_EQ(saved[6911], 71);
}

TEST_F(SpriteFileTest, AFolderInTheWayOfTheScreenFileIsReported) {
  WriteBytes(folder / "a.bin", {1});
  fs::create_directory(folder / "a.bin.scr");
  Load(folder / "a.bin");
  Save();
  EXPECT_EQ(log.messages, std::vector<Text>{u"error writing\n" + PathText(folder / "a.bin")});
  EXPECT_TRUE(fs::is_directory(folder / "a.bin.scr"));
  EXPECT_EQ(state.sourcePath, PathText(folder / "a.bin")) << "a failed save changes nothing";
}

TEST_F(SpriteFileTest, ReadsOnlyThePrefixThatCanReachTheScreen) {
  // A distinct last visible byte, and different bytes after it that must not matter.
  std::vector<std::uint8_t> file = RandomBytes(SpriteReadBound + 10000, 6);
  WriteBytes(folder / "big.bin", file);
  Load(folder / "big.bin");
  EXPECT_EQ(state.spriteLength, SpriteReadBound);
  EXPECT_EQ(state.spriteData.size(), static_cast<std::size_t>(SpriteReadBound));
  for (int width : {1, 2, 17, 31}) {
    state.stripWidth = width;
    Redraw(state, canvas.painter);
    EXPECT_EQ(state.screen, ReferenceScreen(file, width, 71)) << "width " << width;
  }
}

TEST_F(SpriteFileTest, AHugeSparseFileLoadsItsVisiblePrefix) {
  const fs::path path = folder / "huge.bin";
  WriteBytes(path, {0xC3, 0x81});
  std::error_code error;
  fs::resize_file(path, (std::uintmax_t{1} << 32) + 5, error);  // 4 GiB: no room in 32 bits
  if (error) GTEST_SKIP() << "this file system has no sparse files: " << error.message();
  Load(path);
  EXPECT_TRUE(log.messages.empty());
  EXPECT_EQ(state.spriteLength, SpriteReadBound);
  std::vector<std::uint8_t> prefix(SpriteReadBound, 0);
  prefix[0] = 0xC3;
  prefix[1] = 0x81;
  EXPECT_EQ(state.screen, ReferenceScreen(prefix, 1, 71));
  EXPECT_EQ(state.screen[0], 0xC3);
  Save();
  EXPECT_EQ(ReadBytes(folder / "huge.bin.scr").size(), 6912u);
}

#ifdef _WIN32

const wchar_t* Wide(const fs::path& path) {
  return path.c_str();
}

TEST_F(SpriteFileTest, AFileHeldOpenForWritingCannotBeRead) {
  WriteBytes(folder / "busy.bin", {1, 2, 3});
  const HANDLE writer = CreateFileW(Wide(folder / "busy.bin"), GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  Load(folder / "busy.bin");
  CloseHandle(writer);
  EXPECT_EQ(log.messages, std::vector<Text>{u"error reading\n" + PathText(folder / "busy.bin")});
  EXPECT_EQ(state.sourcePath, u"");
}

// Wine, running as root here, does not refuse to write a read-only file as Windows does, so
// the screen file is made unwritable the way another program holding it open does.
TEST_F(SpriteFileTest, AScreenFileHeldOpenByAnotherProgramIsReported) {
  WriteBytes(folder / "a.bin", {1});
  WriteBytes(folder / "a.bin.scr", {9, 9, 9});
  const HANDLE reader = CreateFileW(Wide(folder / "a.bin.scr"), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  Load(folder / "a.bin");
  Save();
  CloseHandle(reader);
  EXPECT_EQ(log.messages, std::vector<Text>{u"error writing\n" + PathText(folder / "a.bin")});
  EXPECT_EQ(ReadBytes(folder / "a.bin.scr"), (std::vector<std::uint8_t>{9, 9, 9}));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2) << "nothing left beside";
}

TEST_F(SpriteFileTest, PathFormsTheSizeQueryMustUnderstand) {
  WriteBytes(folder / "a.bin", {1, 2, 3, 4});
  // A trailing backslash on a folder, a wildcard that would match a file, and a device.
  for (const Text& path :
       {PathText(folder.path()) + u"\\", PathText(folder / "*.bin"), Text{u"CON"}}) {
    log.messages.clear();
    LoadText(path);
    EXPECT_EQ(log.messages, std::vector<Text>{u"error reading\n" + path});
  }
}

#else

// Runs `action` as an unprivileged user, since permission bits do not stop root. Returns
// what it printed, or nothing when that cannot be arranged here.
std::optional<std::string> RunUnprivileged(const std::function<std::string()>& action) {
  if (geteuid() != 0) return action();
  int channel[2];
  if (pipe(channel) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    const std::string result = action();
    const bool sent = write(channel[1], result.data(), result.size()) == ssize_t(result.size());
    _exit(sent ? 0 : 4);
  }
  close(channel[1]);
  std::string result;
  char chunk[256];
  for (ssize_t got; (got = read(channel[0], chunk, sizeof chunk)) > 0;) result.append(chunk, got);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return result;
}

// The messages of one operation as one string, for the trip back from the child.
std::string Messages(const MessageLog& log) {
  std::string all;
  for (const Text& message : log.messages) all += TextToUtf8(message) + "|";
  return all;
}

TEST_F(SpriteFileTest, AFileWithoutReadPermissionCannotBeRead) {
  fs::permissions(folder.path(), fs::perms::all);
  WriteBytes(folder / "open.bin", {4, 5, 6});
  fs::permissions(folder / "open.bin", fs::perms::all);
  WriteBytes(folder / "secret.bin", {1, 2, 3});
  fs::permissions(folder / "secret.bin", fs::perms::none);
  const std::optional<std::string> result = RunUnprivileged([&] {
    Load(folder / "open.bin");  // proves the folder itself is within reach
    Load(folder / "secret.bin");
    return Messages(log) + (state.sourcePath.empty() ? "cleared" : "kept");
  });
  if (!result) GTEST_SKIP() << "cannot run as an unprivileged user here";
  EXPECT_EQ(*result, "error reading\n" + (folder / "secret.bin").string() + "|cleared");
}

TEST_F(SpriteFileTest, AReadOnlyScreenFileIsReported) {
  fs::permissions(folder.path(), fs::perms::all);
  WriteBytes(folder / "a.bin", {1});
  WriteBytes(folder / "a.bin.scr", {9, 9, 9});
  fs::permissions(folder / "a.bin", fs::perms::all);
  fs::permissions(folder / "a.bin.scr",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::optional<std::string> result = RunUnprivileged([&] {
    Load(folder / "a.bin");
    Save();
    return Messages(log);
  });
  if (!result) GTEST_SKIP() << "cannot run as an unprivileged user here";
  EXPECT_EQ(*result, "error writing\n" + (folder / "a.bin").string() + "|");
  EXPECT_EQ(ReadBytes(folder / "a.bin.scr"), (std::vector<std::uint8_t>{9, 9, 9}));
}

TEST_F(SpriteFileTest, AFifoIsRefusedWithoutWaitingForAWriter) {
  ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
  Load(folder / "pipe");  // would block for ever if the open waited for a writer
  EXPECT_EQ(log.messages, std::vector<Text>{u"error reading\n" + PathText(folder / "pipe")});
}

TEST_F(SpriteFileTest, AFullDiskIsReportedAsAWritingError) {
  WriteBytes(folder / "a.bin", {1});
  std::error_code error;
  fs::create_symlink("/dev/full", folder / "a.bin.scr", error);  // every write: no space
  if (error) GTEST_SKIP() << "no /dev/full link: " << error.message();
  Load(folder / "a.bin");
  Save();
  EXPECT_EQ(log.messages, std::vector<Text>{u"error writing\n" + PathText(folder / "a.bin")});
}

// The earlier screen file stays as it was, and nothing written in part is left behind.
TEST_F(SpriteFileTest, AScreenFileCutShortIsReportedAsAWritingError) {
  WriteBytes(folder / "a.bin", {1});
  WriteBytes(folder / "a.bin.scr", {9, 9, 9});
  Load(folder / "a.bin");
  // The file size limit lets the write through in part, as a nearly full disk would.
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = saved;
  limit.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  Save();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(log.messages, std::vector<Text>{u"error writing\n" + PathText(folder / "a.bin")});
  EXPECT_EQ(ReadBytes(folder / "a.bin.scr"), (std::vector<std::uint8_t>{9, 9, 9}));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2);
}

TEST_F(SpriteFileTest, FileNamesThatAreNotUtf8StillLoad) {
  const std::string name = "sprite-\xff\xfe.bin";
  WriteBytes(folder.path() / name, {0x42});
  LoadText(PathText(folder.path()) + u"/" + Utf8ToText(name));
  EXPECT_TRUE(log.messages.empty());
  EXPECT_EQ(state.screen[0], 0x42);
}

#endif

}  // namespace
}  // namespace pelorin
