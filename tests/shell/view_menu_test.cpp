// The View menu in the running program: its items, marks and shortcuts, moving through a
// file, and the window's geometry and the clicks read back at each zoom. The zoomed pixels
// themselves are compared by the end-to-end test.
#include <filesystem>

#include <gtest/gtest.h>

#include "analysis/graphics_finder.h"
#include "window/canvas_view.h"
#include "commands/menus.h"
#include "dialog_test_support.h"
#include "screen/pixel_buffer.h"
#include "redraw.h"
#include "shell_test_support.h"
#include "view_offset.h"
#include "view_title.h"
#include "window/width_scrollbar.h"

namespace pelorin {
namespace {

using testing::CanvasBytes;
using testing::PatternBytes;
using testing::WindowText;

// The core's picture of the bytes from `offset` on, in the canvas's layout.
std::vector<std::uint8_t> PictureFrom(const std::vector<std::uint8_t>& bytes, std::size_t offset,
                                      std::int32_t width = 1, bool oneScreen = false) {
  return testing::CorePicture({bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.end()},
                              width, kDefaultFillAttribute, oneScreen);
}

class ViewMenuTest : public ::testing::Test {
 protected:
  void Start(const std::vector<std::uint8_t>& bytes = {}, const std::string& name = "browse.bin") {
    shell.reportError = [this](const Text& message) { reports.push_back(message); };
    path = testing::WriteTestFile(name, bytes);
    const Text line = bytes.empty() ? u"app.exe" : u"app.exe \"" + testing::PathText(path) + u"\"";
    ASSERT_TRUE(StartShell(shell, GetModuleHandleW(nullptr), line));
    ASSERT_TRUE(testing::RunWhileBusy(shell));
  }
  void TearDown() override { EndShell(shell); }

  HWND Window() const { return shell.main.window.Get(); }
  HWND Canvas() const { return ControlWindow(shell.main.controls, kCanvasControl); }
  HMENU View() const { return GetSubMenu(GetMenu(Window()), 2); }
  bool Checked(std::int32_t item) const {
    return GetMenuState(View(), item, MF_BYCOMMAND) & MF_CHECKED;
  }
  void Choose(std::int32_t item) {
    PostMessageW(Window(), WM_COMMAND, MAKEWPARAM(item, 0), 0);
    ASSERT_TRUE(testing::RunWhileBusy(shell));
  }

  ShellState shell;
  std::vector<Text> reports;
  std::filesystem::path path;  // of the file loaded at the start
};

TEST_F(ViewMenuTest, ShowsItsRowsInOrderEachReachedByItsKeyWithItsModifiersOnly) {
  Start();
  const TableMenu& table = MenuBar()[2];
  wchar_t text[64] = {};
  GetMenuStringW(GetMenu(Window()), 2, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"View");
  EXPECT_STREQ(table.title, L"View");
  ASSERT_EQ(GetMenuItemCount(View()), static_cast<int>(table.rows.size()));
  BYTE keys[256] = {};
  for (UINT i = 0; i < table.rows.size(); ++i) {
    const MenuRow& row = table.rows[i];
    text[0] = 0;
    GetMenuStringW(View(), i, text, 64, MF_BYPOSITION);
    const UINT state = GetMenuState(View(), i, MF_BYPOSITION);  // its type and state
    EXPECT_EQ((state & MF_SEPARATOR) != 0, row.kind == MenuRowKind::kSeparator) << i;
    if (row.kind == MenuRowKind::kSeparator) continue;
    EXPECT_EQ(std::wstring(text), std::wstring(row.text) + L"\t" + row.shortcut);
    EXPECT_EQ(GetMenuItemID(View(), static_cast<int>(i)), static_cast<UINT>(row.item)) << i;
    EXPECT_EQ((state & MFT_RADIOCHECK) != 0, row.kind == MenuRowKind::kRadio) << i;
    EXPECT_EQ((state & MF_CHECKED) != 0, row.checkedAtStart) << i;
    // Tab, arrows and the rest keep their meaning without Ctrl; F3 does nothing with it; a
    // Ctrl+Shift key does nothing with Shift alone (with Ctrl alone it may be another row's).
    for (const bool own : {false, true}) {
      const BYTE held = own                           ? row.modifiers
                        : row.modifiers == kCtrl      ? 0
                        : row.modifiers == kCtrlShift ? kShift
                                                      : kCtrl;
      keys[VK_CONTROL] = held & kCtrl ? 0x80 : 0;
      keys[VK_SHIFT] = held & kShift ? 0x80 : 0;
      ASSERT_TRUE(SetKeyboardState(keys));
      shell.queue.waiting.clear();
      MSG message{Window(), WM_KEYDOWN, row.key, 1, 0, {}};
      EXPECT_EQ(TranslateAcceleratorW(Window(), shell.main.accelerators.Get(), &message) != 0, own);
      const auto& waiting = shell.queue.waiting;
      EXPECT_EQ(!waiting.empty() && waiting.back().kind == EventKind::Menu &&
                    waiting.back().source == row.item,
                own)
          << "key " << row.key << (own ? " with" : " without") << " its modifiers";
    }
  }
  keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

TEST_F(ViewMenuTest, WithNothingLoadedTheStepsDoNothing) {
  Start();
  // A dialog opened here would never be answered.
  for (std::int32_t item : {kGuessWidthItem, kNextScreenItem, kGoToOffsetItem}) Choose(item);
  EXPECT_EQ(WindowText(Window()), u"Pelorin");
  EXPECT_EQ(ScrollbarPosition(shell.main.controls, kWidthScrollbarControl), 1);
  EXPECT_TRUE(reports.empty());
}

TEST_F(ViewMenuTest, GuessWidthActsAsAMoveOfTheScrollbarToTheGuess) {
  // Eight frames of a ball 3 bytes wide and 20 rows high, shifting a pixel a frame.
  std::vector<std::uint8_t> bytes(8 * 20 * 3, 0);
  for (int i = 0; i < static_cast<int>(bytes.size()); ++i)
    for (int bit = 0; bit < 8; ++bit) {
      const int x = i % 3 * 8 + bit - 12 + i / 60 % 3, y = i / 3 % 20 - 10;
      if (x * x + y * y < 90) bytes[i] |= 0x80 >> bit;
    }
  Start(bytes);
  Choose(kGuessWidthItem);
  EXPECT_EQ(ScrollbarPosition(shell.main.controls, kWidthScrollbarControl), 3);
  EXPECT_EQ(WindowText(Window()), u"Pelorin,3");
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(bytes, 0, 3));
}

// Eight frames of a ball `width` bytes wide and 20 rows high, shifting a pixel a frame.
std::vector<std::uint8_t> Balls(int width) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(8 * 20 * width), 0);
  for (int i = 0; i < static_cast<int>(bytes.size()); ++i)
    for (int bit = 0; bit < 8; ++bit) {
      const int x = i % width * 8 + bit - width * 4 + i / (20 * width) % 3, y = i / width % 20 - 10;
      if (x * x + y * y < 90) bytes[static_cast<std::size_t>(i)] |= 0x80 >> bit;
    }
  return bytes;
}

// A loading screen in the screen's own line order: rings of many sizes, and colours.
std::vector<std::uint8_t> Rings() {
  std::vector<std::uint8_t> screen(kScreenBytes, 0x47);
  std::fill_n(screen.begin(), kPixelBytes, 0);
  std::uint32_t state = 777;
  const auto next = [&](std::uint32_t range) {
    state = state * 1103515245 + 12345;
    return static_cast<int>((state >> 8) % range);
  };
  for (int ring = 0; ring < 14; ++ring) {
    const int cx = next(256), cy = next(192), radius = 8 + next(30);
    for (int y = 0; y < 192; ++y)
      for (int x = 0; x < 256; ++x) {
        const int r = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        if (r < radius * radius && r > (radius - 4) * (radius - 4))
          screen[LineAddressTable[y] + x / 8] |= 0x80 >> (x % 8);
      }
  }
  return screen;
}

// Bytes that show no picture at any width, the same every time.
void AppendNoise(std::vector<std::uint8_t>& bytes, std::size_t count) {
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < count; ++i) {
    state = state * 1103515245 + 12345;
    bytes.push_back(static_cast<std::uint8_t>(state >> 16));
  }
}

// A snapshot whose memory holds a loading screen and two sets of balls, 3 and 5 bytes wide,
// among noise: found by the core in the file and in its memory image, and shown by the window
// as the core finds them, one after another and round, a screen as a Spectrum screen; the
// memory switch forgets them.
TEST_F(ViewMenuTest, FindGraphicsShowsEachRegionFoundAtItsWidthOneScreenOnly) {
  std::vector<std::uint8_t> file(27, 0);
  file[24] = 0x80;  // the stack pointer, at $8000, inside the RAM
  const std::vector<std::uint8_t> screen = Rings();
  file.insert(file.end(), screen.begin(), screen.end());
  for (const int width : {3, 5}) {
    AppendNoise(file, 3000);
    const std::vector<std::uint8_t> balls = Balls(width);
    file.insert(file.end(), balls.begin(), balls.end());
  }
  AppendNoise(file, 27 + 49152 - file.size());
  std::vector<std::uint8_t> image(16384 + 49152, 0);  // the ROM area shows as zeros
  std::copy(file.begin() + 27, file.end(), image.begin() + 16384);
  Start(file, "balls.sna");
  const HWND bar = ControlWindow(shell.main.controls, kWidthScrollbarControl);
  const auto shows = [&](const std::vector<std::uint8_t>& bytes,
                         const std::vector<GraphicsRegion>& found, std::size_t index) {
    const GraphicsRegion& region = found[index];
    SpriteLayout layout;
    if (region.kind == GraphicsKind::kScreen) layout.screen = ScreenLayout::kSpectrumScreen;
    EXPECT_EQ(WindowText(Window()),
              GraphicsTitle(region.width, region.start, index + 1, found.size(), layout));
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), region.width);
    EXPECT_TRUE(Checked(kOneScreenItem));
    EXPECT_EQ(GetMenuState(GetMenu(Window()), kSpectrumScreenItem, MF_BYCOMMAND) & MF_CHECKED,
              layout.screen == ScreenLayout::kSpectrumScreen ? MF_CHECKED : 0u);
    EXPECT_EQ(CanvasBytes(Canvas()),
              testing::CorePicture({bytes.begin() + region.start, bytes.end()}, region.width,
                                   kDefaultFillAttribute, true, layout));
  };
  const std::vector<GraphicsRegion> inFile = FindGraphics(file.data(), std::ssize(file));
  ASSERT_GE(inFile.size(), 2u);
  // item -> the region then shown
  const std::pair<std::int32_t, std::size_t> moves[] = {{kFindGraphicsItem, 0},
                                                        {kNextGraphicsItem, 1},
                                                        {kPreviousGraphicsItem, 0},
                                                        {kPreviousGraphicsItem, inFile.size() - 1},
                                                        {kNextGraphicsItem, 0}};
  for (const auto& [item, index] : moves) {
    Choose(item);
    shows(file, inFile, index);
  }
  Choose(kMemoryItem);
  const std::vector<GraphicsRegion> inImage = FindGraphics(image.data(), std::ssize(image));
  ASSERT_GE(inImage.size(), 2u);
  EXPECT_EQ(inImage[0].kind, GraphicsKind::kScreen);
  EXPECT_EQ(inImage[0].start, 16384) << "an address";
  for (std::size_t index = 0; index < inImage.size(); ++index) {
    Choose(kNextGraphicsItem);  // the first searches again, the image this time
    shows(image, inImage, index);
  }
  EXPECT_TRUE(reports.empty());
}

TEST_F(ViewMenuTest, WithNoGraphicsTheTitleSaysSoAndNothingMoves) {
  Start(std::vector<std::uint8_t>(20000, 0));
  Choose(kNextRowItem);
  for (const std::int32_t item : {kFindGraphicsItem, kNextGraphicsItem, kPreviousGraphicsItem}) {
    Choose(item);
    EXPECT_EQ(WindowText(Window()), u"Pelorin,1 graphics none") << item;
    EXPECT_EQ(shell.state->viewOffset, 1) << item;
    EXPECT_FALSE(Checked(kOneScreenItem)) << item;
  }
}

TEST_F(ViewMenuTest, TheMemorySwitchReadsASnapshotAgainAsTheMemoryItHoldsOneScreenAtATime) {
  std::vector<std::uint8_t> file(27, 0);
  file[24] = 0x80;  // the stack pointer, at $8000, inside the RAM
  const std::vector<std::uint8_t> ram = PatternBytes(49152);
  file.insert(file.end(), ram.begin(), ram.end());
  std::vector<std::uint8_t> image(16384, 0);  // the ROM area shows as zeros
  image.insert(image.end(), ram.begin(), ram.end());
  Start(file, "game.sna");
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(file, 0)) << "off: the file's own bytes";
  Choose(kMemoryItem);
  EXPECT_TRUE(Checked(kMemoryItem));
  EXPECT_TRUE(Checked(kOneScreenItem)) << "the image's later bytes would cover the screen";
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(image, 0, 1, true));
  Choose(kNextScreenItem);
  EXPECT_EQ(WindowText(Window()), u"Pelorin,1 @ 6144 ($1800)") << "offsets count in the image";
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(image, 6144, 1, true));
  Choose(kOneScreenItem);
  EXPECT_FALSE(Checked(kOneScreenItem));
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(image, 6144)) << "spilling again";
  Choose(kMemoryItem);
  EXPECT_FALSE(Checked(kMemoryItem));
  EXPECT_EQ(WindowText(Window()), u"Pelorin,1");
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(file, 0));
  EXPECT_TRUE(reports.empty());
  Choose(kMemoryItem);
  std::filesystem::remove(path);  // the steps copy from the image the switch made
  Choose(kNextScreenItem);
  EXPECT_EQ(WindowText(Window()), u"Pelorin,1 @ 6144 ($1800)");
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(image, 6144, 1, true));
  EXPECT_TRUE(reports.empty());
}

// A file named as a snapshot that is none stays its own bytes when the memory switch is
// turned on: the switch and its mark go off again, the error says so, and Save works on it.
TEST_F(ViewMenuTest, AFileThatIsNoSnapshotStaysItsOwnBytesWithTheSwitchOff) {
  const std::vector<std::uint8_t> file = PatternBytes(5000);
  Start(file, "fake.sna");
  Choose(kMemoryItem);
  EXPECT_FALSE(Checked(kMemoryItem));
  EXPECT_EQ(reports, std::vector<Text>{u"error reading\n" + testing::PathText(path) +
                                       u"\na length no .sna snapshot has\nshown as its own "
                                       u"bytes: \"Snapshots and tapes as memory\" is off"});
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(file, 0, 1, true));
  Choose(kSaveItem);
  EXPECT_TRUE(std::filesystem::exists(path.string() + ".scr"));
  EXPECT_EQ(reports.size(), 1u);
}

TEST_F(ViewMenuTest, StepsThroughTheFileWithinItsEnds) {
  const std::vector<std::uint8_t> bytes = PatternBytes(20000);
  Start(bytes);
  const HWND bar = ControlWindow(shell.main.controls, kWidthScrollbarControl);
  for (int i = 0; i < 2; ++i)  // to width 3, where a row and a byte differ
    SendMessageW(Window(), WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(bar));
  ASSERT_TRUE(testing::RunWhileBusy(shell));
  // item -> offset; a fourth screen would start at 23,040, past the end.
  const std::pair<std::int32_t, std::int64_t> steps[] = {
      {kNextScreenItem, 5760},  {kNextScreenItem, 11520},   {kNextScreenItem, 17280},
      {kNextScreenItem, 17280}, {kPreviousByteItem, 17279}, {kNextRowItem, 17282},
      {kNextByteItem, 17283},   {kPreviousRowItem, 17280},  {kPreviousScreenItem, 11520},
      {kStartOfFileItem, 0},    {kPreviousRowItem, 0}};
  for (const auto& [item, offset] : steps) {
    Choose(item);
    EXPECT_EQ(WindowText(Window()), ViewTitle(3, offset)) << item;
    EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(bytes, static_cast<std::size_t>(offset), 3))
        << item;
  }
  EXPECT_TRUE(reports.empty());
  std::filesystem::remove(path);  // the step cannot read: the picture and its title stay
  Choose(kNextScreenItem);
  EXPECT_EQ(WindowText(Window()), ViewTitle(3, 0));
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(bytes, 0, 3));
  EXPECT_EQ(reports, std::vector<Text>{u"error reading\n" + testing::PathText(path)});
}

TEST_F(ViewMenuTest, ZoomGrowsTheClientAroundTheEnlargedPictureAndReadsClicksBackThroughIt) {
  // Short of a screen at width 1, so that no strip spills past the 32nd byte column.
  Start(PatternBytes(6000));
  RECT first{}, client{}, outer{}, onScreen{};
  GetClientRect(Window(), &first);
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const auto click = [&](int x, int y, UINT down, WPARAM button) {
    PostMessageW(Canvas(), down, button, MAKELPARAM(x, y));
    PostMessageW(Canvas(), down + 1, 0, MAKELPARAM(x, y));  // the button's up message
    ASSERT_TRUE(testing::RunWhileBusy(shell));
  };
  Text title = u"Pelorin";  // zoom and the locate switch leave it alone, but for a located byte
  Choose(kLocateItem);
  EXPECT_TRUE(Checked(kLocateItem));
  for (std::int32_t zoom : {2, 3, 1}) {
    Choose(kZoom1Item + zoom - 1);
    for (int mark = 1; mark <= 3; ++mark) EXPECT_EQ(Checked(kZoom1Item + mark - 1), mark == zoom);
    EXPECT_EQ(WindowText(Window()), title);
    GetClientRect(Window(), &client);
    EXPECT_EQ(client.right, 255 * zoom);
    EXPECT_EQ(client.bottom, first.bottom + 192 * (zoom - 1));
    // control -> its place in the client area
    const std::pair<std::int32_t, RECT> places[] = {
        {kCanvasControl, {0, 0, 256 * zoom, 192 * zoom}},
        {kWidthScrollbarControl, {0, 192 * zoom + 2, 255 * zoom, 192 * zoom + 22}}};
    for (const auto& [control, expected] : places) {
      RECT place{};
      GetWindowRect(ControlWindow(shell.main.controls, control), &place);
      MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&place), 2);
      EXPECT_TRUE(EqualRect(&place, &expected)) << control << " at " << zoom;
    }
    GetWindowRect(Window(), &outer);
    IntersectRect(&onScreen, &outer, &screen);
    EXPECT_TRUE(EqualRect(&onScreen, &outer)) << "the window stays on the screen at " << zoom;
    // The far corner of picture pixel (8, zoom): line `zoom` of the second strip.
    click(9 * zoom - 1, (zoom + 1) * zoom - 1, WM_LBUTTONDOWN, MK_LBUTTON);
    title = LocatedByteTitle(*shell.state, 192 + zoom);
    EXPECT_EQ(WindowText(Window()), title) << zoom;
    click(0, 0, WM_RBUTTONDOWN, MK_RBUTTON);
    EXPECT_EQ(WindowText(Window()), title) << "only the left button locates";
    title = u"Pelorin,1";  // the next command takes the byte out of the title
  }
  click(8 * 31, 191, WM_LBUTTONDOWN, MK_LBUTTON);  // past the last byte of the last strip
  EXPECT_EQ(WindowText(Window()), u"Pelorin,1 byte none");
  Choose(kLocateItem);
  EXPECT_FALSE(Checked(kLocateItem));
  EXPECT_EQ(WindowText(Window()), u"Pelorin,1");
  click(9, 0, WM_LBUTTONDOWN, MK_LBUTTON);
  EXPECT_EQ(WindowText(Window()), u"Pelorin,1") << "the switch is off";
}

TEST_F(ViewMenuTest, TheWidthKeysAndTheWheelMoveWithinTheirLimits) {
  const std::vector<std::uint8_t> bytes = PatternBytes(20000);
  Start(bytes);
  // item, times -> the width: Narrower at 1 and Wider at 31 stay, as the arrows do
  const std::tuple<std::int32_t, int, std::int32_t> widths[] = {
      {kNarrowerItem, 1, 1}, {kWiderItem, 32, 31}, {kNarrowerItem, 28, 3}};
  for (const auto& [item, times, width] : widths) {
    for (int i = 0; i < times; ++i) Choose(item);
    EXPECT_EQ(WindowText(Window()), ViewTitle(width, 0));
    EXPECT_EQ(ScrollbarPosition(shell.main.controls, kWidthScrollbarControl), width);
  }
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(bytes, 0, 3));
  // turn (towards the user when negative), Shift -> the offset; half a notch waits
  const std::tuple<short, bool, std::int64_t> turns[] = {
      {-120, false, 9}, {-60, false, 9}, {-60, false, 18}, {-120, true, 5778}, {480, true, 0}};
  for (const auto& [turn, shift, offset] : turns) {
    PostMessageW(Canvas(), WM_MOUSEWHEEL, MAKEWPARAM(shift ? MK_SHIFT : 0, turn), 0);
    ASSERT_TRUE(testing::RunWhileBusy(shell));
    EXPECT_EQ(WindowText(Window()), ViewTitle(3, offset)) << turn << (shift ? " with Shift" : "");
  }
}

}  // namespace
}  // namespace pelorin
