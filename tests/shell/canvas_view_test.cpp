// The canvas control: its buffer, its painter, what it shows and the events it queues.
#include <gtest/gtest.h>

#include <array>
#include <climits>

#include "window/canvas_view.h"
#include "window/main_window.h"
#include "shell_test_support.h"

namespace pelorin {
namespace {

using testing::CanvasBytes;
using testing::CountGuiObjects;
using testing::GuiObjects;
using testing::ScreenPixel;

class CanvasViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenMainWindow(main, GetModuleHandleW(nullptr), queue));
    canvas = CreateCanvasView(main.controls, kCanvasControl, 0, 0, 256, 192);
    ASSERT_NE(canvas, nullptr);
    painter = CanvasViewPainter(canvas);
  }
  void TearDown() override { CloseMainWindow(main); }

  // The three bytes of picture pixel (x, y) in the buffer: blue, green, red.
  static std::array<std::uint8_t, 3> StoredPixel(const std::vector<std::uint8_t>& bytes, int x,
                                                 int y) {
    const std::size_t at =
        static_cast<std::size_t>(191 - y) * 768 + static_cast<std::size_t>(x) * 3;
    return {bytes[at], bytes[at + 1], bytes[at + 2]};
  }

  EventQueue queue;
  MainWindow main;
  HWND canvas = nullptr;
  CanvasPainter painter;
};

TEST_F(CanvasViewTest, IsAControlWithAWhiteBottomUpBuffer) {
  EXPECT_EQ(GetWindowLongW(canvas, GWL_ID), kCanvasControl);
  EXPECT_EQ(ControlWindow(main.controls, kCanvasControl), canvas);
  EXPECT_EQ(GetWindowLongW(canvas, GWL_STYLE) & WS_TABSTOP, 0);

  DIBSECTION dib{};
  ASSERT_EQ(GetObjectW(CanvasViewOf(canvas)->buffer.Get(), sizeof dib, &dib), int{sizeof dib});
  EXPECT_EQ(dib.dsBm.bmWidth, 256);
  EXPECT_EQ(dib.dsBm.bmHeight, 192);
  EXPECT_EQ(dib.dsBm.bmWidthBytes, 768);
  EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
  EXPECT_GT(dib.dsBmih.biHeight, 0) << "rows stored bottom-up";
  const std::vector<std::uint8_t> bytes = CanvasBytes(canvas);
  ASSERT_EQ(bytes.size(), 768u * 192u);
  for (std::size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0xFF) << "byte " << i;
}

TEST_F(CanvasViewTest, BeginOpensAPaintingOverTheBufferInItsOwnLayout) {
  ASSERT_TRUE(BeginPainting(painter));
  EXPECT_EQ(painter.painting.stride, 768);
  EXPECT_EQ(painter.painting.width, 256);
  EXPECT_EQ(painter.painting.height, 192);
  EXPECT_TRUE(painter.painting.bottomUp);
  // Full red at the top left: the first three bytes of the last stored row, blue first.
  FillRectangle(painter.painting, 0, 0, 1, 1, 0x0000FF);
  // Full blue, with bits 24-31 set, at the bottom right: they play no part.
  FillRectangle(painter.painting, 255, 191, 1, 1, 0xAAFF0000);
  FillRectangle(painter.painting, 1, 0, 1, 1, 0x00336699);
  EndPainting(painter);

  const std::vector<std::uint8_t> bytes = CanvasBytes(canvas);
  EXPECT_EQ(bytes[768 * 191 + 0], 0);
  EXPECT_EQ(bytes[768 * 191 + 1], 0);
  EXPECT_EQ(bytes[768 * 191 + 2], 255);
  EXPECT_EQ(StoredPixel(bytes, 255, 191), (std::array<std::uint8_t, 3>{255, 0, 0}));
  EXPECT_EQ(StoredPixel(bytes, 1, 0), (std::array<std::uint8_t, 3>{0x33, 0x66, 0x99}));
  EXPECT_EQ(StoredPixel(bytes, 2, 0), (std::array<std::uint8_t, 3>{255, 255, 255}));
}

TEST_F(CanvasViewTest, FillsAreClippedToTheBuffer) {
  struct Case {
    const char* name;
    std::int32_t x, y, width, height;
    RECT covered;  // left, top, right, bottom (exclusive); empty when nothing is written
  };
  const Case cases[] = {
      {"whole picture", 0, 0, 256, 192, {0, 0, 256, 192}},
      {"past the right edge", 250, 0, 10, 1, {250, 0, 256, 1}},
      {"hidden last column", 255, 10, 1, 1, {255, 10, 256, 11}},
      {"just right of the picture", 256, 0, 1, 1, {}},
      {"just below the picture", 0, 192, 1, 1, {}},
      {"just left of the picture", -1, 0, 1, 1, {}},
      {"just above the picture", 0, -1, 1, 1, {}},
      {"across the left edge", -2, 5, 4, 1, {0, 5, 2, 6}},
      {"across the top edge", 3, -1, 1, 3, {3, 0, 4, 2}},
      {"across the bottom edge", 0, 190, 1, 5, {0, 190, 1, 192}},
      {"negative width", 10, 0, -3, 1, {7, 0, 10, 1}},
      {"negative height", 0, 10, 1, -3, {0, 7, 1, 10}},
      {"zero width", 5, 5, 0, 4, {}},
      {"zero height", 5, 5, 4, 0, {}},
      {"extreme position and size", INT_MAX, INT_MAX, INT_MAX, INT_MAX, {}},
      {"extreme negative size", 5, 5, INT_MIN, 1, {0, 5, 5, 6}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(BeginPainting(painter));
    FillRectangle(painter.painting, 0, 0, 256, 192, 0xFFFFFF);
    FillRectangle(painter.painting, c.x, c.y, c.width, c.height, 0x00FF00);
    EndPainting(painter);
    const std::vector<std::uint8_t> bytes = CanvasBytes(canvas);
    int wrong = 0;
    for (int y = 0; y < 192; ++y)
      for (int x = 0; x < 256; ++x) {
        const bool inside = x >= c.covered.left && x < c.covered.right && y >= c.covered.top &&
                            y < c.covered.bottom;
        const auto expected = inside ? std::array<std::uint8_t, 3>{0, 255, 0}
                                     : std::array<std::uint8_t, 3>{255, 255, 255};
        if (StoredPixel(bytes, x, y) != expected) ++wrong;
      }
    EXPECT_EQ(wrong, 0) << c.name;
  }
}

TEST_F(CanvasViewTest, EndShowsThePictureAtOnce) {
  ASSERT_TRUE(BeginPainting(painter));
  FillRectangle(painter.painting, 0, 0, 256, 192, 0x0000FF);
  FillRectangle(painter.painting, 10, 20, 1, 1, 0xFF0000);
  // Nothing reaches the window before end.
  EXPECT_NE(ScreenPixel(canvas, 0, 0), RGB(255, 0, 0));
  EndPainting(painter);
  // No message is handled in between: end itself put the picture on the screen.
  EXPECT_EQ(ScreenPixel(canvas, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(ScreenPixel(canvas, 10, 20), RGB(0, 0, 255));
  EXPECT_EQ(ScreenPixel(canvas, 254, 191), RGB(255, 0, 0));
}

TEST_F(CanvasViewTest, RepaintingAndPrintingShowTheBuffer) {
  ASSERT_TRUE(BeginPainting(painter));
  FillRectangle(painter.painting, 0, 0, 256, 192, 0x00FFFF);
  EndPainting(painter);
  // Paint over the window behind the canvas's back, then let it repaint itself.
  {
    const HDC dc = GetDC(canvas);
    RECT all{0, 0, 256, 192};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(canvas, dc);
  }
  ASSERT_EQ(ScreenPixel(canvas, 5, 5), RGB(0, 0, 0));
  RedrawWindow(canvas, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(ScreenPixel(canvas, 5, 5), RGB(255, 255, 0));

  const HDC memory = CreateCompatibleDC(nullptr);
  const HDC screen = GetDC(nullptr);
  const HBITMAP target = CreateCompatibleBitmap(screen, 256, 192);
  ReleaseDC(nullptr, screen);
  const HGDIOBJ old = SelectObject(memory, target);
  SendMessageW(canvas, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  EXPECT_EQ(GetPixel(memory, 100, 100), RGB(255, 255, 0));
  SelectObject(memory, old);
  DeleteObject(target);
  DeleteDC(memory);
}

TEST_F(CanvasViewTest, PaintingWithoutACanvasDoesNothing) {
  HWND notCanvases[] = {nullptr, main.window.Get(), reinterpret_cast<HWND>(0x12345)};
  for (HWND window : notCanvases) {
    CanvasPainter nowhere = CanvasViewPainter(window);
    EXPECT_FALSE(BeginPainting(nowhere));
    EXPECT_EQ(nowhere.painting.pixels, nullptr);
    FillRectangle(nowhere.painting, 0, 0, 256, 192, 0);
    EndPainting(nowhere);
  }
}

TEST_F(CanvasViewTest, AFillOrAnEndWithoutAnOpenPaintingWritesNothing) {
  ASSERT_TRUE(BeginPainting(painter));
  FillRectangle(painter.painting, 0, 0, 256, 192, 0x123456);
  EndPainting(painter);
  const std::vector<std::uint8_t> before = CanvasBytes(canvas);
  FillRectangle(painter.painting, 0, 0, 256, 192, 0);
  EndPainting(painter);
  EXPECT_EQ(CanvasBytes(canvas), before);
}

TEST_F(CanvasViewTest, PaintingsLeaveNoDeviceContextBehind) {
  const GuiObjects before = CountGuiObjects();
  for (int i = 0; i < 50; ++i) {
    BeginPainting(painter);
    BeginPainting(painter);  // a second begin goes on in the first painting's context
    FillRectangle(painter.painting, 0, 0, 10, 10, static_cast<Rgb>(i));
    EndPainting(painter);
    EndPainting(painter);
  }
  EXPECT_EQ(CountGuiObjects().gdi, before.gdi);
}

TEST_F(CanvasViewTest, MouseInputIsQueuedAsCanvasEventsWithCapture) {
  const LPARAM at = MAKELPARAM(12, 34);
  SendMessageW(canvas, WM_MOUSEMOVE, 0, at);
  SendMessageW(canvas, WM_MOUSEMOVE, 0, MAKELPARAM(13, 34));
  SendMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON, at);
  EXPECT_EQ(GetCapture(), canvas);
  SendMessageW(canvas, WM_LBUTTONUP, 0, at);
  EXPECT_NE(GetCapture(), canvas);
  SendMessageW(canvas, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(canvas, WM_LBUTTONUP, 0, at);
  SendMessageW(canvas, WM_MOUSELEAVE, 0, 0);
  SendMessageW(canvas, WM_MOUSEMOVE, 0, at);

  const std::int32_t expected[] = {kPointerEnter, kPointerMove, kButtonDown,   kButtonUp,
                                   kDoubleClick,  kButtonUp,    kPointerLeave, kPointerEnter};
  std::vector<std::int32_t> details;
  while (TakeEvent(queue)) {
    if (queue.current->kind != EventKind::Control) continue;  // the main window's own
    EXPECT_EQ(queue.current->source, kCanvasControl);
    EXPECT_EQ(queue.current->window, kMainWindowNumber);
    details.push_back(queue.current->detail);
  }
  EXPECT_EQ(details, std::vector<std::int32_t>(std::begin(expected), std::end(expected)));
}

TEST_F(CanvasViewTest, DestroyingTheWindowGivesTheNumberBack) {
  const GuiObjects before = CountGuiObjects();
  DestroyWindow(canvas);
  EXPECT_EQ(ControlWindow(main.controls, kCanvasControl), nullptr);
  EXPECT_EQ(CanvasViewOf(canvas), nullptr);
  EXPECT_EQ(CountGuiObjects().gdi, before.gdi - 1) << "the buffer went with the window";
  EXPECT_NE(CreateCanvasView(main.controls, kCanvasControl, 0, 0, 256, 192), nullptr);
}

TEST_F(CanvasViewTest, ATakenNumberIsRefused) {
  EXPECT_EQ(CreateCanvasView(main.controls, kCanvasControl, 0, 0, 256, 192), nullptr);
  EXPECT_EQ(CreateCanvasView(main.controls, kControlCount, 0, 0, 256, 192), nullptr);
  EXPECT_EQ(ControlWindow(main.controls, kCanvasControl), canvas);
}

}  // namespace
}  // namespace pelorin
