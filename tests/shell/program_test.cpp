// The running program in-process: start-up, the main window, the dispatch table, the end
// of the loop, and what a long run leaves behind.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "window/canvas_view.h"
#include "screen/pixel_buffer.h"
#include "redraw.h"
#include "window/scroll_request.h"
#include "shell_test_support.h"
#include "commands/menus.h"
#include "sprite_file.h"
#include "window/width_scrollbar.h"

namespace pelorin {
namespace {

using testing::CanvasBytes;
using testing::CorePicture;
using testing::CountGuiObjects;
using testing::GuiObjects;
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

class ShellTest : public ::testing::Test {
 protected:
  void Start(const std::u16string& commandLine = u"app.exe") {
    shell.reportError = [this](const Text& message) {
      reports.push_back(message);
      // The window and its menu are up before the command line is loaded.
      visibleAtReport =
          IsWindowVisible(shell.main.window.Get()) && GetMenu(shell.main.window.Get()) != nullptr;
    };
    ASSERT_TRUE(StartShell(shell, GetModuleHandleW(nullptr), commandLine));
    ASSERT_TRUE(RunWhileBusy(shell));
  }
  void TearDown() override { EndShell(shell); }

  HWND Window() const { return shell.main.window.Get(); }
  HWND Canvas() const { return ControlWindow(shell.main.controls, kCanvasControl); }
  HWND Bar() const { return ControlWindow(shell.main.controls, kWidthScrollbarControl); }

  void Scroll(std::int32_t request) {
    SendMessageW(Window(), WM_HSCROLL, MAKEWPARAM(request, 0), reinterpret_cast<LPARAM>(Bar()));
  }
  void Choose(std::int32_t item) { PostMessageW(Window(), WM_COMMAND, MAKEWPARAM(item, 0), 0); }

  RECT PlaceInClient(HWND control) const {
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&place), 2);
    return place;
  }

  ShellState shell;
  std::vector<Text> reports;
  bool visibleAtReport = false;
};

TEST_F(ShellTest, OpensACentredFixedSizeWindowTitledPelorin) {
  Start();
  EXPECT_EQ(WindowText(Window()), L"Pelorin");
  const LONG style = GetWindowLongW(Window(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
            WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CHILD), 0);
  EXPECT_EQ(GetParent(Window()), nullptr);

  RECT asked{0, 0, 255, 240};
  AdjustWindowRectEx(&asked, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, FALSE, 0);
  RECT outer{};
  GetWindowRect(Window(), &outer);
  EXPECT_EQ(outer.right - outer.left, asked.right - asked.left);
  EXPECT_EQ(outer.bottom - outer.top, asked.bottom - asked.top) << "computed without the menu";
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);

  RECT client{};
  GetClientRect(Window(), &client);
  EXPECT_EQ(client.right, 255);
  EXPECT_LT(client.bottom, 240) << "the menu bar takes its rows from the client area";
  EXPECT_GE(client.bottom, 214) << "the scrollbar is still inside";

  EXPECT_EQ(GetClassLongW(Window(), GCL_STYLE), CS_DBLCLKS);
  EXPECT_EQ(GetClassLongPtrW(Window(), GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
}

TEST_F(ShellTest, PlacesTheCanvasAndTheScrollbarWithTheBackgroundBetween) {
  Start();
  const RECT canvas = PlaceInClient(Canvas());
  EXPECT_EQ(canvas.left, 0);
  EXPECT_EQ(canvas.top, 0);
  EXPECT_EQ(canvas.right, 256);
  EXPECT_EQ(canvas.bottom, 192);
  const RECT bar = PlaceInClient(Bar());
  EXPECT_EQ(bar.left, 0);
  EXPECT_EQ(bar.top, 194);
  EXPECT_EQ(bar.right, 255);
  EXPECT_EQ(bar.bottom, 214);

  const COLORREF background = GetSysColor(COLOR_BTNFACE);
  for (int x : {0, 100, 254}) {
    EXPECT_EQ(ScreenPixel(Window(), x, 191), RGB(0, 0, 0)) << "the canvas is painted black";
    EXPECT_EQ(ScreenPixel(Window(), x, 192), background) << x;
    EXPECT_EQ(ScreenPixel(Window(), x, 193), background) << x;
  }
  const std::vector<std::uint8_t> bytes = CanvasBytes(Canvas());
  ASSERT_EQ(bytes.size(), 768u * 192u);
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), static_cast<long>(bytes.size()));
}

TEST_F(ShellTest, BuildsTheFileMenuItemByItem) {
  Start();
  const HMENU bar = GetMenu(Window());
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 5) << "File, then Edit, View, Layout and Help";
  wchar_t text[64] = {};
  GetMenuStringW(bar, 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"File");
  const HMENU file = GetSubMenu(bar, 0);
  ASSERT_NE(file, nullptr);

  struct Item {
    const wchar_t* text;  // null: a separator
    UINT id;
  };
  const Item items[] = {{L"Open..", 0},  {L"Fill with color..", 1}, {L"Save", 2},
                        {L"Export..", 24}, {nullptr, 0},             {L"Quit", 3}};
  ASSERT_EQ(GetMenuItemCount(file), 6);
  for (UINT i = 0; i < 6; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 64;
    text[0] = 0;
    ASSERT_TRUE(GetMenuItemInfoW(file, i, TRUE, &info));
    EXPECT_EQ(info.hSubMenu, nullptr);
    if (items[i].text == nullptr) {
      EXPECT_NE(info.fType & MFT_SEPARATOR, 0u) << i;
      continue;
    }
    EXPECT_EQ(info.fType & MFT_SEPARATOR, 0u) << i;
    EXPECT_EQ(info.wID, items[i].id) << i;
    EXPECT_STREQ(text, items[i].text) << i;
  }
}

TEST_F(ShellTest, TabAndShiftTabAreTranslatedButMoveNothing) {
  Start();
  ACCEL keys[4] = {};
  // Tab and Shift+Tab come first; the menus' shortcuts follow them.
  ASSERT_EQ(CopyAcceleratorTableW(shell.main.accelerators.Get(), keys, 4), 4);
  EXPECT_EQ(keys[0].fVirt, FVIRTKEY | FNOINVERT);
  EXPECT_EQ(keys[0].key, VK_TAB);
  EXPECT_EQ(keys[0].cmd, 64001);
  EXPECT_EQ(keys[1].fVirt, FVIRTKEY | FNOINVERT | FSHIFT);
  EXPECT_EQ(keys[1].key, VK_TAB);
  EXPECT_EQ(keys[1].cmd, 64002);

  SetFocus(Window());
  SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(64001, 1), 0);
  SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(64002, 1), 0);
  EXPECT_EQ(GetFocus(), Window()) << "no control has a tab stop";
  // With a tab stop the keys do move the focus, both ways round.
  SetWindowLongW(Bar(), GWL_STYLE, GetWindowLongW(Bar(), GWL_STYLE) | WS_TABSTOP);
  SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(64001, 1), 0);
  EXPECT_EQ(GetFocus(), Bar());
  SetFocus(Window());
  SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(64002, 1), 0);
  EXPECT_EQ(GetFocus(), Bar());
  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_EQ(shell.state->stripWidth, 1);
}

TEST_F(ShellTest, AScrollbarEventSetsTheWidthAndTheTitleAndRestrips) {
  const std::vector<std::uint8_t> bytes = PatternBytes(9000);
  Start(u"app.exe \"" + PathText(WriteTestFile("restrip.bin", bytes)) + u"\"");
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(bytes, 1));
  EXPECT_EQ(WindowText(Window()), L"Pelorin") << "loading does not set the title";

  Scroll(kLineRight);
  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_EQ(shell.state->stripWidth, 2);
  EXPECT_EQ(WindowText(Window()), L"Pelorin,2");
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(bytes, 2));

  Scroll(kLineLeft);
  Scroll(kLineLeft);  // already at 1: the title is set all the same
  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_EQ(WindowText(Window()), L"Pelorin,1");
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(bytes, 1));

  for (int i = 0; i < 40; ++i) Scroll(kPageRight);
  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_EQ(WindowText(Window()), L"Pelorin,31");
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(bytes, 31));
}

TEST_F(ShellTest, LoadsTheFirstParameterOnly) {
  const std::vector<std::uint8_t> bytes = PatternBytes(6912);
  const Text first = PathText(WriteTestFile("first.bin", bytes));
  Start(u"\"C:\\Program Files\\Pelorin.exe\" " + first + u" second.bin");
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(shell.state->sourcePath, first);
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(bytes, 1));
}

TEST_F(ShellTest, AnUnreadableParameterIsReportedOverTheWindow) {
  const Text missing = PathText(WriteTestFile("x", {}).parent_path() / "no such file.bin");
  Start(u"app.exe \"" + missing + u"\"");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], u"error reading\n" + missing);
  EXPECT_TRUE(visibleAtReport);
  EXPECT_TRUE(shell.state->sourcePath.empty());
  const std::vector<std::uint8_t> bytes = CanvasBytes(Canvas());
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), static_cast<long>(bytes.size()))
      << "still black";
}

TEST_F(ShellTest, TheEmptyParameterIsLoadedAndFails) {
  Start(u"app.exe \"\"");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], u"error reading\n");
}

TEST_F(ShellTest, SaveWritesTheScreenBesideTheSource) {
  const std::filesystem::path source = WriteTestFile("save me.bin", PatternBytes(5000));
  std::filesystem::remove(source.string() + ".scr");
  Start(u"app.exe \"" + PathText(source) + u"\"");
  Scroll(kLineRight);
  Choose(kSaveItem);
  ASSERT_TRUE(RunWhileBusy(shell));
  std::ifstream written(source.string() + ".scr", std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(written), {}};
  ASSERT_EQ(bytes.size(), 6912u);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), shell.state->screen.begin(),
                         [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
  EXPECT_TRUE(reports.empty());
}

TEST_F(ShellTest, SaveWithNothingLoadedDoesNothingAndSaysNothing) {
  Start();
  Choose(kSaveItem);
  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_TRUE(reports.empty());
  EXPECT_FALSE(shell.quit);
}

TEST_F(ShellTest, CloseEndsTheLoopAndLeavesTheWindowToTheEnd) {
  Start();
  PostMessageW(Window(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(RunWhileBusy(shell));
  EXPECT_TRUE(IsWindow(Window())) << "destroyed only by the end sequence";
  const HWND window = Window();
  EndShell(shell);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(ShellTest, QuitEndsTheLoopAndOtherItemsDoNot) {
  Start();
  Choose(99);
  Choose(kSaveItem);
  EXPECT_TRUE(RunWhileBusy(shell));
  Choose(kQuitItem);
  EXPECT_FALSE(RunWhileBusy(shell));
}

TEST_F(ShellTest, ABurstOfNotificationsInOneDispatchIsOneEventAndOneRedraw) {
  const std::vector<std::uint8_t> bytes = PatternBytes(20000);
  Start(u"app.exe " + PathText(WriteTestFile("burst.bin", bytes)));

  // Count the paintings made through the canvas's painter.
  struct CountingCanvas {
    CanvasPainter canvas;
    int paintings = 0;
  } counting{shell.painter};
  shell.painter.canvas = &counting;
  shell.painter.begin = [](CanvasPainter& painter) {
    auto& c = *static_cast<CountingCanvas*>(painter.canvas);
    ++c.paintings;
    const bool open = BeginPainting(c.canvas);
    painter.painting = c.canvas.painting;
    return open;
  };
  shell.painter.end = [](CanvasPainter& painter) {
    auto& c = *static_cast<CountingCanvas*>(painter.canvas);
    c.canvas.painting = painter.painting;
    EndPainting(c.canvas);
  };

  // A window whose one message sends 10,000 notifications, as a held arrow does.
  struct Burst {
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
      if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
      for (int i = 0; i < 10000; ++i)
        SendMessageW(reinterpret_cast<HWND>(wParam), WM_HSCROLL, MAKEWPARAM(kLineRight, 0), lParam);
      return 0;
    }
  };
  WNDCLASSW burstClass{};
  burstClass.lpfnWndProc = Burst::Procedure;
  burstClass.hInstance = GetModuleHandleW(nullptr);
  burstClass.lpszClassName = L"PelorinTestBurst";
  RegisterClassW(&burstClass);
  const HWND sender = CreateWindowExW(0, L"PelorinTestBurst", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, burstClass.hInstance, nullptr);
  ASSERT_NE(sender, nullptr);
  PostMessageW(sender, WM_APP, reinterpret_cast<WPARAM>(Window()), reinterpret_cast<LPARAM>(Bar()));

  while (shell.queue.waiting.empty()) ASSERT_TRUE(RunEventLoopTurn(shell));
  int controlEvents = 0;
  for (const ShellEvent& event : shell.queue.waiting)
    if (event.kind == EventKind::Control) ++controlEvents;
  EXPECT_EQ(controlEvents, 1);
  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_EQ(counting.paintings, 1);
  EXPECT_EQ(WindowText(Window()), L"Pelorin,31");
  EXPECT_EQ(CanvasBytes(Canvas()), CorePicture(bytes, 31));

  shell.painter = counting.canvas;
  DestroyWindow(sender);
  UnregisterClassW(L"PelorinTestBurst", burstClass.hInstance);
}

TEST_F(ShellTest, ALongRunLeavesNoGuiObjectsBehind) {
  const std::vector<std::uint8_t> bytes = PatternBytes(30000);
  const Text path = PathText(WriteTestFile("long run.bin", bytes));
  Start();
  shell.state->sourcePath = path;
  LoadSprite(*shell.state, shell.painter, shell.reportError);
  Scroll(kLineRight);
  ASSERT_TRUE(RunWhileBusy(shell));

  const GuiObjects before = CountGuiObjects();
  // The counts are live: one more bitmap is seen.
  const HBITMAP probe = CreateBitmap(1, 1, 1, 1, nullptr);
  EXPECT_EQ(CountGuiObjects().gdi, before.gdi + 1);
  DeleteObject(probe);

  for (int i = 0; i < 1000; ++i) {
    Scroll(i % 40 < 20 ? kLineRight : kLineLeft);
    ASSERT_TRUE(RunWhileBusy(shell));
  }
  for (int i = 0; i < 200; ++i) {
    shell.state->sourcePath = path;
    LoadSprite(*shell.state, shell.painter, shell.reportError);
    ASSERT_TRUE(RunWhileBusy(shell));
  }
  const GuiObjects after = CountGuiObjects();
  EXPECT_EQ(after.gdi, before.gdi);
  EXPECT_EQ(after.user, before.user);
  EXPECT_TRUE(reports.empty());
}

TEST_F(ShellTest, WithoutCanvasOrScrollbarTheLoopGoesOnSafely) {
  const std::vector<std::uint8_t> bytes = PatternBytes(7000);
  Start(u"app.exe \"" + PathText(WriteTestFile("no controls.bin", bytes)) + u"\"");
  DestroyWindow(Canvas());
  DestroyWindow(Bar());
  ASSERT_EQ(Canvas(), nullptr);
  ASSERT_EQ(Bar(), nullptr);

  // A scrollbar event with no scrollbar leaves the width and the title alone.
  QueueEvent(shell.queue, EventKind::Control, kWidthScrollbarControl, kMainWindowNumber, 0);
  ASSERT_TRUE(RunWhileBusy(shell));
  EXPECT_EQ(shell.state->stripWidth, 1);
  EXPECT_EQ(WindowText(Window()), L"Pelorin");

  // Loading and redrawing with no canvas paint nothing and fail nothing.
  LoadSprite(*shell.state, shell.painter, shell.reportError);
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(shell.state->spriteLength, 7000);
  Choose(kQuitItem);
  EXPECT_FALSE(RunWhileBusy(shell));
}

TEST_F(ShellTest, EndingReleasesEverythingTheStartMade) {
  // A first run loads what stays loaded for the process (window classes, fonts, themes).
  Start();
  EndShell(shell);
  const GuiObjects before = CountGuiObjects();
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(StartShell(shell, GetModuleHandleW(nullptr), u"app.exe"));
    ASSERT_TRUE(RunWhileBusy(shell));
    EndShell(shell);
  }
  const GuiObjects after = CountGuiObjects();
  EXPECT_EQ(after.gdi, before.gdi);
  EXPECT_EQ(after.user, before.user);
  ASSERT_TRUE(StartShell(shell, GetModuleHandleW(nullptr), u"app.exe"));
}

}  // namespace
}  // namespace pelorin
