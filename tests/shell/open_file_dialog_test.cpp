// Tests of the open-file dialog: the record it is shown with, and its answers when a user
// types a path or cancels; and of "Open..", which stores and loads the answer.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "commands/file_commands.h"
#include "dialog_test_support.h"
#include "dialogs/open_file_dialog.h"
#include "screen/pixel_buffer.h"
#include "redraw.h"

namespace pelorin {
namespace {

using namespace std::string_literals;
using testing::DialogDriver;
using testing::PostKey;
using testing::TypePathAndPressEnter;
using testing::WindowText;

const wchar_t kDialogClass[] = L"#32770";

Text TextAt(const wchar_t* units) {
  return units == nullptr ? Text{} : Text(reinterpret_cast<const char16_t*>(units));
}

// The filter list up to and including the empty string that ends it.
Text FilterAt(const wchar_t* units) {
  const auto* start = reinterpret_cast<const char16_t*>(units);
  const char16_t* end = start;
  while (end[0] != 0 || end[1] != 0) ++end;
  return Text(start, end + 2);
}

TEST(OpenFileRequest, RecordAsTheDialogIsShownWithIt) {
  testing::TestWindow owner;
  ASSERT_TRUE(testing::MakeForeground(owner.handle()));
  const auto request =
      MakeOpenFileRequest(u"Please choose file to load", u"", u"All files (*.*)|*.*", 0);
  const OPENFILENAMEW& record = request->record;
  EXPECT_EQ(record.lStructSize, 76u);
  EXPECT_EQ(record.Flags, 0x8080Cu);
  EXPECT_EQ(record.hwndOwner, owner.handle());
  EXPECT_EQ(record.hInstance, nullptr);
  ASSERT_NE(record.lpstrFilter, nullptr);
  EXPECT_EQ(FilterAt(record.lpstrFilter), u"All files (*.*)\0*.*\0\0"s);
  EXPECT_EQ(record.lpstrCustomFilter, nullptr);
  EXPECT_EQ(record.nMaxCustFilter, 0u);
  EXPECT_EQ(record.nFilterIndex, 1u);
  ASSERT_NE(record.lpstrFile, nullptr);
  EXPECT_EQ(record.nMaxFile, 260u);
  EXPECT_EQ(TextAt(record.lpstrFile), u"");
  EXPECT_EQ(record.lpstrFileTitle, nullptr);
  EXPECT_EQ(record.nMaxFileTitle, 0u);
  ASSERT_NE(record.lpstrInitialDir, nullptr) << "the empty starting folder is given";
  EXPECT_EQ(TextAt(record.lpstrInitialDir), u"");
  EXPECT_EQ(TextAt(record.lpstrTitle), u"Please choose file to load");
  EXPECT_EQ(record.lpstrDefExt, nullptr);
  EXPECT_EQ(record.lCustData, 0);
  EXPECT_EQ(record.lpfnHook, nullptr);
  EXPECT_EQ(record.lpTemplateName, nullptr);
}

TEST(OpenFileRequest, PatternListBecomesTheFilterListAndIndexCountsFromOne) {
  struct Case {
    Text patterns;
    std::int32_t index;
    Text filter;
    DWORD filterIndex;
  };
  const Case cases[] = {
      {u"All files (*.*)|*.*", 0, u"All files (*.*)\0*.*\0\0"s, 1},
      {u"Sprites|*.bin;*.spr|All|*.*", 1, u"Sprites\0*.bin;*.spr\0All\0*.*\0\0"s, 2},
      {u"", 0, u"\0\0"s, 1},
  };
  for (const Case& c : cases) {
    const auto request = MakeOpenFileRequest(u"t", u"", c.patterns, c.index);
    EXPECT_EQ(FilterAt(request->record.lpstrFilter), c.filter);
    EXPECT_EQ(request->record.nFilterIndex, c.filterIndex);
  }
}

TEST(OpenFileRequest, DefaultPathGivesStartingFolderAndPresetName) {
  const Text longName(300, u'n');
  struct Case {
    const char* name;
    Text defaultPath;
    Text folder;
    Text preset;
  };
  const Case cases[] = {
      {"empty", u"", u"", u""},
      {"folder and name", u"C:\\sprites\\ship.bin", u"C:\\sprites", u"ship.bin"},
      {"split at the last backslash", u"C:\\a\\b\\c.bin", u"C:\\a\\b", u"c.bin"},
      {"name alone", u"ship.bin", u"", u"ship.bin"},
      {"a drive's root folder", u"C:\\ship.bin", u"C:", u"ship.bin"},
      {"leading backslash only: no folder, name dropped", u"\\ship.bin", u"", u""},
      {"folder with no name", u"C:\\sprites\\", u"C:\\sprites", u""},
      {"name with a colon dropped", u"C:\\sprites\\a:b", u"C:\\sprites", u""},
      {"name with a question mark dropped", u"C:\\s\\a?.bin", u"C:\\s", u""},
      {"name with a quote dropped", u"C:\\s\\\"a\"", u"C:\\s", u""},
      {"name with a slash dropped", u"C:\\s\\a/b", u"C:\\s", u""},
      {"name with a control character dropped", u"C:\\s\\a\tb", u"C:\\s", u""},
      {"blanks are fine", u"C:\\s\\my ship.bin", u"C:\\s", u"my ship.bin"},
      {"long name cut to 259", u"C:\\s\\" + longName, u"C:\\s", longName.substr(0, 259)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DefaultPathParts parts = SplitDefaultPath(c.defaultPath);
    EXPECT_EQ(parts.startFolder, c.folder);
    EXPECT_EQ(parts.presetName, c.preset);
    const auto request = MakeOpenFileRequest(u"t", c.defaultPath, u"All|*.*", 0);
    EXPECT_EQ(TextAt(request->record.lpstrInitialDir), c.folder);
    EXPECT_EQ(TextAt(request->record.lpstrFile), c.preset);
  }
}

class OpenFileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(testing::MakeForeground(owner.handle())); }

  Text Show(const std::function<void(HWND)>& act) {
    DialogDriver driver(kDialogClass, act);
    const Text answer =
        OpenFileDialog(u"Please choose file to load", u"", u"All files (*.*)|*.*", 0);
    EXPECT_TRUE(driver.Finish()) << "the dialog was not found, or did not close";
    return answer;
  }

  testing::TestWindow owner;
  testing::TempFolder folder;
};

TEST_F(OpenFileDialogTest, TypedPathIsTheAnswer) {
  const Text existing = folder.WriteFile(u"ship.bin", {1, 2, 3});
  const Text missing = folder.path() + u"\\not there.bin";
  for (const Text& path : {existing, missing}) {
    EXPECT_EQ(Show([&](HWND dialog) { TypePathAndPressEnter(dialog, path); }), path);
  }
}

TEST_F(OpenFileDialogTest, CancellingAnswersTheEmptyText) {
  struct Case {
    const char* name;
    std::function<void(HWND)> act;
  };
  const Case cases[] = {
      {"Cancel button",
       [](HWND dialog) { PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0); }},
      {"Escape", [](HWND dialog) { PostKey(testing::OpenFileNameField(dialog), VK_ESCAPE); }},
      {"close box", [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Show(c.act), u"");
  }
}

TEST_F(OpenFileDialogTest, OwnerTakesNoInputWhileItIsUpAndCurrentFolderStays) {
  wchar_t before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  const Text path = folder.WriteFile(u"ship.bin", {1});
  bool ownerEnabled = true;
  HWND dialogOwner = nullptr;
  Text title;
  EXPECT_EQ(Show([&](HWND dialog) {
              ownerEnabled = IsWindowEnabled(owner.handle());
              dialogOwner = GetWindow(dialog, GW_OWNER);
              title = WindowText(dialog);
              TypePathAndPressEnter(dialog, path);
            }),
            path);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_EQ(dialogOwner, owner.handle());
  EXPECT_EQ(title, u"Please choose file to load");
  EXPECT_TRUE(IsWindowEnabled(owner.handle()));
  wchar_t after[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_STREQ(after, before);
}

class OpenSourceFileTest : public OpenFileDialogTest {
 protected:
  void Open(const std::function<void(HWND)>& act) {
    DialogDriver driver(kDialogClass, act);
    OpenSourceFile(state, painter, [&](const Text& message) { messages.push_back(message); });
    EXPECT_TRUE(driver.Finish());
  }

  ConverterState state;
  PixelBuffer picture;
  CanvasPainter painter = MemoryPainter(picture);
  std::vector<Text> messages;
};

TEST_F(OpenSourceFileTest, ChosenFileIsLoadedAndShown) {
  const std::vector<std::uint8_t> sprite(500, 0x81);
  const Text path = folder.WriteFile(u"ship.bin", sprite);
  state.stripWidth = 3;
  state.fillAttribute = 0x38;
  Open([&](HWND dialog) { TypePathAndPressEnter(dialog, path); });

  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(state.sourcePath, path);
  EXPECT_EQ(state.spriteLength, 500);
  ConverterState expected;
  expected.spriteData = sprite;
  expected.spriteLength = 500;
  expected.stripWidth = 3;
  expected.fillAttribute = 0x38;
  PixelBuffer expectedPicture;
  CanvasPainter expectedPainter = MemoryPainter(expectedPicture);
  Redraw(expected, expectedPainter);
  EXPECT_EQ(picture.bytes, expectedPicture.bytes);
}

TEST_F(OpenSourceFileTest, MissingFileIsReportedWhenRead) {
  const Text path = folder.path() + u"\\not there.bin";
  Open([&](HWND dialog) { TypePathAndPressEnter(dialog, path); });
  EXPECT_EQ(messages, std::vector<Text>{u"error reading\n" + path});
  EXPECT_EQ(state.sourcePath, u"");
}

TEST_F(OpenSourceFileTest, CancelForgetsThePathAndKeepsThePicture) {
  state.sourcePath = u"C:\\earlier.bin";
  state.spriteData = {1, 2, 3};
  state.spriteLength = 3;
  Open([](HWND dialog) { PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0); });
  EXPECT_EQ(state.sourcePath, u"");
  EXPECT_EQ(state.spriteLength, 3);
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(testing::AllWhite(picture.bytes)) << "the canvas was repainted";
}

}  // namespace
}  // namespace pelorin
