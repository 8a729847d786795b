// The View menu in the running program: its items and marks, its shortcuts, moving through
// a file, locating a byte by a click, and the window's geometry at each zoom.
#include <gtest/gtest.h>

#include "canvas_view.h"
#include "pixel_buffer.h"
#include "redraw.h"
#include "shell_test_support.h"
#include "width_scrollbar.h"

namespace pelorin {
namespace {

using testing::CanvasBytes;
using testing::PathText;
using testing::PatternBytes;
using testing::RunWhileBusy;
using testing::ScreenPixel;
using testing::WriteTestFile;

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

// The core's picture of the bytes from `offset` on, in the canvas's layout.
PixelBuffer PictureFrom(const std::vector<std::uint8_t>& bytes, std::size_t offset,
                        std::int32_t width = 1) {
  ConverterState state;
  state.stripWidth = width;
  state.spriteData.assign(bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.end());
  state.spriteLength = static_cast<std::int32_t>(state.spriteData.size());
  PixelBuffer buffer;
  CanvasPainter painter = MemoryPainter(buffer);
  Redraw(state, painter);
  return buffer;
}

class ViewMenuTest : public ::testing::Test {
 protected:
  void Start(const std::u16string& commandLine = u"app.exe") {
    shell.reportError = [this](const Text& message) { reports.push_back(message); };
    ASSERT_TRUE(StartShell(shell, GetModuleHandleW(nullptr), commandLine));
    ASSERT_TRUE(RunWhileBusy(shell));
  }
  void StartWith(const std::vector<std::uint8_t>& bytes) {
    Start(u"app.exe \"" + PathText(WriteTestFile("browse.bin", bytes)) + u"\"");
  }
  void TearDown() override { EndShell(shell); }

  HWND Window() const { return shell.main.window.Get(); }
  HWND Canvas() const { return ControlWindow(shell.main.controls, kCanvasControl); }
  HMENU View() const { return GetSubMenu(GetMenu(Window()), 1); }

  void Choose(std::int32_t item) {
    PostMessageW(Window(), WM_COMMAND, MAKEWPARAM(item, 0), 0);
    ASSERT_TRUE(RunWhileBusy(shell));
  }
  void Click(int x, int y) {
    PostMessageW(Canvas(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(Canvas(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    ASSERT_TRUE(RunWhileBusy(shell));
  }
  UINT State(std::int32_t item) const { return GetMenuState(View(), item, MF_BYCOMMAND); }
  RECT PlaceInClient(HWND control) const {
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&place), 2);
    return place;
  }

  ShellState shell;
  std::vector<Text> reports;
};

TEST_F(ViewMenuTest, ListsTheItemsInOrderWithTheirShortcutsAndMarks) {
  Start();
  wchar_t text[64] = {};
  GetMenuStringW(GetMenu(Window()), 1, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"View");
  enum Kind { kPlain, kCheck, kRadio, kSeparator };
  struct Item {
    const wchar_t* text;
    UINT id;
    Kind kind;
    bool checked;
  };
  const Item items[] = {
      {L"Guess width\tCtrl+W", 4, kPlain, false},
      {nullptr, 0, kSeparator, false},
      {L"Next screen\tCtrl+PgDn", 5, kPlain, false},
      {L"Previous screen\tCtrl+PgUp", 6, kPlain, false},
      {L"Next row\tCtrl+Down", 7, kPlain, false},
      {L"Previous row\tCtrl+Up", 8, kPlain, false},
      {L"Next byte\tCtrl+Right", 9, kPlain, false},
      {L"Previous byte\tCtrl+Left", 10, kPlain, false},
      {L"Start of file\tCtrl+Home", 11, kPlain, false},
      {L"Go to offset..\tCtrl+G", 12, kPlain, false},
      {nullptr, 0, kSeparator, false},
      {L"Locate byte on click\tCtrl+L", 13, kCheck, false},
      {L"Snapshots and tapes as memory\tCtrl+M", 14, kCheck, false},
      {nullptr, 0, kSeparator, false},
      {L"Zoom 1x\tCtrl+1", 15, kRadio, true},
      {L"Zoom 2x\tCtrl+2", 16, kRadio, false},
      {L"Zoom 3x\tCtrl+3", 17, kRadio, false},
  };
  ASSERT_EQ(GetMenuItemCount(View()), static_cast<int>(std::size(items)));
  for (UINT i = 0; i < std::size(items); ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 64;
    text[0] = 0;
    ASSERT_TRUE(GetMenuItemInfoW(View(), i, TRUE, &info));
    EXPECT_EQ(info.hSubMenu, nullptr);
    EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, items[i].kind == kSeparator) << i;
    if (items[i].kind == kSeparator) continue;
    EXPECT_STREQ(text, items[i].text) << i;
    EXPECT_EQ(info.wID, items[i].id) << i;
    EXPECT_EQ((info.fType & MFT_RADIOCHECK) != 0, items[i].kind == kRadio) << i;
    EXPECT_EQ((info.fState & MFS_CHECKED) != 0, items[i].checked) << i;
  }

  Choose(kLocateItem);
  EXPECT_TRUE(State(kLocateItem) & MF_CHECKED);
  Choose(kZoom3Item);
  Choose(kLocateItem);
  EXPECT_FALSE(State(kLocateItem) & MF_CHECKED);
  EXPECT_FALSE(State(kZoom1Item) & MF_CHECKED);
  EXPECT_TRUE(State(kZoom3Item) & MF_CHECKED);
  EXPECT_EQ(WindowText(Window()), L"Pelorin") << "zoom and the locate switch leave the title";
}

TEST_F(ViewMenuTest, EachShortcutWithCtrlReachesItsCommand) {
  Start();
  const std::pair<WORD, std::int32_t> shortcuts[] = {
      {'W', 4},      {VK_NEXT, 5},  {VK_PRIOR, 6}, {VK_DOWN, 7}, {VK_UP, 8},
      {VK_RIGHT, 9}, {VK_LEFT, 10}, {VK_HOME, 11}, {'G', 12},    {'L', 13},
      {'M', 14},     {'1', 15},     {'2', 16},     {'3', 17},
  };
  BYTE keys[256] = {};
  for (const bool control : {false, true}) {
    keys[VK_CONTROL] = control ? 0x80 : 0;
    ASSERT_TRUE(SetKeyboardState(keys));
    for (const auto& [key, item] : shortcuts) {
      shell.queue.waiting.clear();
      MSG message{Window(), WM_KEYDOWN, key, 1, 0, {}};
      EXPECT_EQ(TranslateAcceleratorW(Window(), shell.main.accelerators.Get(), &message) != 0,
                control)
          << key;
      const bool queued = !shell.queue.waiting.empty() &&
                          shell.queue.waiting.back().kind == EventKind::Menu &&
                          shell.queue.waiting.back().source == item;
      EXPECT_EQ(queued, control) << "key " << key;
    }
  }
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

TEST_F(ViewMenuTest, WithNothingLoadedTheStepsDoNothing) {
  Start();
  Choose(kGuessWidthItem);
  Choose(kNextScreenItem);
  Choose(kGoToOffsetItem);  // a dialog here would never be answered
  EXPECT_EQ(WindowText(Window()), L"Pelorin");
  EXPECT_EQ(ScrollbarPosition(shell.main.controls, kWidthScrollbarControl), 1);
  EXPECT_TRUE(reports.empty());
}

TEST_F(ViewMenuTest, GuessWidthActsAsAMoveOfTheScrollbarToTheGuess) {
  // Eight frames of a ball 3 bytes wide and 20 rows high, shifting a pixel a frame.
  std::vector<std::uint8_t> bytes;
  for (int frame = 0; frame < 8; ++frame)
    for (int row = 0; row < 20; ++row)
      for (int column = 0; column < 3; ++column) {
        std::uint8_t byte = 0;
        for (int bit = 0; bit < 8; ++bit) {
          const int x = column * 8 + bit - 12 + frame % 3, y = row - 10;
          if (x * x + y * y < 90) byte |= 0x80 >> bit;
        }
        bytes.push_back(byte);
      }
  StartWith(bytes);
  Choose(kGuessWidthItem);
  EXPECT_EQ(ScrollbarPosition(shell.main.controls, kWidthScrollbarControl), 3);
  EXPECT_EQ(shell.state->stripWidth, 3);
  EXPECT_EQ(WindowText(Window()), L"Pelorin,3");
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(bytes, 0, 3).bytes);
}

TEST_F(ViewMenuTest, TheMemorySwitchReadsASnapshotAgainAsTheMemoryItHolds) {
  std::vector<std::uint8_t> file(27, 0);
  file[24] = 0x80;  // the stack pointer, at $8000, inside the RAM
  const std::vector<std::uint8_t> ram = PatternBytes(49152);
  file.insert(file.end(), ram.begin(), ram.end());
  std::vector<std::uint8_t> image(16384, 0);  // the ROM area shows as zeros
  image.insert(image.end(), ram.begin(), ram.end());
  Start(u"app.exe \"" + PathText(WriteTestFile("game.sna", file)) + u"\"");
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(file, 0).bytes) << "off: the file's own bytes";

  Choose(kMemoryItem);
  EXPECT_TRUE(State(kMemoryItem) & MF_CHECKED);
  EXPECT_EQ(shell.state->sourceLength, 65536);
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(image, 0).bytes);
  Choose(kNextScreenItem);
  EXPECT_EQ(WindowText(Window()), L"Pelorin,1 @ 6144 ($1800)") << "offsets count in the image";
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(image, 6144).bytes);

  Choose(kMemoryItem);
  EXPECT_FALSE(State(kMemoryItem) & MF_CHECKED);
  EXPECT_EQ(shell.state->viewOffset, 0);
  EXPECT_EQ(shell.state->sourceLength, static_cast<std::int64_t>(file.size()));
  EXPECT_EQ(WindowText(Window()), L"Pelorin,1");
  EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(file, 0).bytes);
  EXPECT_TRUE(reports.empty());
}

TEST_F(ViewMenuTest, StepsThroughTheFileWithinItsEnds) {
  const std::vector<std::uint8_t> bytes = PatternBytes(20000);
  StartWith(bytes);
  struct Step {
    std::int32_t item;
    std::size_t offset;
    const wchar_t* title;
  };
  const Step steps[] = {
      {kNextScreenItem, 6144, L"Pelorin,1 @ 6144 ($1800)"},
      {kNextScreenItem, 12288, L"Pelorin,1 @ 12288 ($3000)"},
      {kNextScreenItem, 18432, L"Pelorin,1 @ 18432 ($4800)"},
      {kNextScreenItem, 18432, L"Pelorin,1 @ 18432 ($4800)"},  // 24,576 is past the end
      {kPreviousByteItem, 18431, L"Pelorin,1 @ 18431 ($47FF)"},
      {kNextRowItem, 18432, L"Pelorin,1 @ 18432 ($4800)"},
      {kPreviousScreenItem, 12288, L"Pelorin,1 @ 12288 ($3000)"},
      {kStartOfFileItem, 0, L"Pelorin,1"},
      {kPreviousRowItem, 0, L"Pelorin,1"},
  };
  for (const Step& step : steps) {
    Choose(step.item);
    EXPECT_EQ(shell.state->viewOffset, static_cast<std::int64_t>(step.offset)) << step.item;
    EXPECT_EQ(WindowText(Window()), step.title) << step.item;
    EXPECT_EQ(CanvasBytes(Canvas()), PictureFrom(bytes, step.offset).bytes) << step.item;
  }
  EXPECT_TRUE(reports.empty());
}

TEST_F(ViewMenuTest, AClickWhileLocatingNamesTheByteUnderThePointerAtAnyZoom) {
  const std::vector<std::uint8_t> bytes = PatternBytes(20000);
  StartWith(bytes);
  Click(9, 0);
  EXPECT_EQ(WindowText(Window()), L"Pelorin") << "the switch is off";
  Choose(kLocateItem);
  // From offset 18,432 the last 1,568 bytes fill 9 strips at width 1, none spilling over.
  Choose(kNextScreenItem);
  Choose(kNextScreenItem);
  Choose(kNextScreenItem);
  Choose(kZoom2Item);
  Click(2 * 8 + 1, 2 * 3 + 1);  // picture (8, 3): line 3 of the second strip
  EXPECT_EQ(WindowText(Window()), L"Pelorin,1 byte 18627 ($48C3)");
  Choose(kZoom3Item);
  Click(3 * 8 * 2, 3 * 191 + 2);  // picture (16, 191): line 191 of the third strip
  EXPECT_EQ(WindowText(Window()), L"Pelorin,1 byte 19007 ($4A3F)");
  Click(3 * 8 * 20, 0);  // no strip reaches the 21st byte column
  EXPECT_EQ(WindowText(Window()), L"Pelorin,1 byte none");
  PostMessageW(Canvas(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(0, 0));
  PostMessageW(Canvas(), WM_RBUTTONUP, 0, MAKELPARAM(0, 0));
  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_EQ(WindowText(Window()), L"Pelorin,1 byte none") << "only the left button locates";
}

TEST_F(ViewMenuTest, ZoomGrowsTheClientAroundTheEnlargedPictureAndStaysOnScreen) {
  const std::vector<std::uint8_t> bytes = PatternBytes(20000);
  StartWith(bytes);
  RECT client{};
  GetClientRect(Window(), &client);
  const int menuRows = 240 - client.bottom;
  const PixelBuffer picture = PictureFrom(bytes, 0);
  for (std::int32_t zoom : {2, 3, 1}) {
    Choose(kZoom1Item + zoom - 1);
    GetClientRect(Window(), &client);
    EXPECT_EQ(client.right, 255 * zoom) << zoom;
    EXPECT_EQ(client.bottom, 240 + 192 * (zoom - 1) - menuRows) << zoom;
    const RECT canvas = PlaceInClient(Canvas());
    EXPECT_TRUE(EqualRect(&canvas, std::data({RECT{0, 0, 256 * zoom, 192 * zoom}}))) << zoom;
    const RECT bar = PlaceInClient(ControlWindow(shell.main.controls, kWidthScrollbarControl));
    EXPECT_TRUE(EqualRect(&bar, std::data({RECT{0, 192 * zoom + 2, 255 * zoom, 192 * zoom + 22}})))
        << zoom;
    RECT outer{}, screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    GetWindowRect(Window(), &outer);
    RECT onScreen{};
    IntersectRect(&onScreen, &outer, &screen);
    EXPECT_TRUE(EqualRect(&onScreen, &outer)) << "the window stays on the screen at " << zoom;
    // Each picture pixel is a zoom x zoom square: both corners of squares along a diagonal.
    UpdateWindow(Canvas());
    for (int p = 0; p < 190; p += 3) {
      const Rgb colour = picture.PixelAt(p + 1, p);
      const COLORREF shown = RGB(colour & 255, colour >> 8 & 255, colour >> 16 & 255);
      EXPECT_EQ(ScreenPixel(Canvas(), (p + 1) * zoom, p * zoom), shown) << p << " at " << zoom;
      EXPECT_EQ(ScreenPixel(Canvas(), (p + 2) * zoom - 1, (p + 1) * zoom - 1), shown) << p;
    }
  }
  RECT asked{0, 0, 255, 240};
  AdjustWindowRectEx(&asked, kMainWindowStyle, FALSE, 0);
  RECT outer{};
  GetWindowRect(Window(), &outer);
  EXPECT_EQ(outer.right - outer.left, asked.right - asked.left) << "1x is the first size again";
  EXPECT_EQ(outer.bottom - outer.top, asked.bottom - asked.top);
}

}  // namespace
}  // namespace pelorin
