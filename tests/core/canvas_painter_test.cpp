// Tests of the painting record: clipping, negative sizes, colour bytes and row order.
#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "screen/canvas_painter.h"
#include "screen/pixel_buffer.h"

namespace pelorin {
namespace {

constexpr Rgb kWhite = 0xFFFFFF;
constexpr Rgb kRed = 0x0000FF;

struct FillCase {
  const char* name;
  int x, y, width, height;
  // The painted pixels: columns left..right of rows top..bottom; none when right < left.
  int left, right, top, bottom;
};

class FillRectangleTest : public ::testing::TestWithParam<FillCase> {};

TEST_P(FillRectangleTest, PaintsExactlyTheClippedRectangle) {
  const FillCase& c = GetParam();
  PixelBuffer buffer;
  CanvasPainter painter = MemoryPainter(buffer);
  ASSERT_TRUE(BeginPainting(painter));
  FillRectangle(painter.painting, c.x, c.y, c.width, c.height, kRed);
  EndPainting(painter);
  int wrong = 0;
  for (int y = 0; y < buffer.height; ++y) {
    for (int x = 0; x < buffer.width; ++x) {
      const bool inside = x >= c.left && x <= c.right && y >= c.top && y <= c.bottom;
      if (buffer.PixelAt(x, y) != (inside ? kRed : kWhite)) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

constexpr int kNone = -1;  // right < left: nothing painted

INSTANTIATE_TEST_SUITE_P(
    Cases, FillRectangleTest,
    ::testing::Values(FillCase{"TopLeftPixel", 0, 0, 1, 1, 0, 0, 0, 0},
                      FillCase{"HiddenLastColumnIsStillWritten", 255, 10, 1, 1, 255, 255, 10, 10},
                      FillCase{"RightEdgeClips", 250, 0, 10, 1, 250, 255, 0, 0},
                      FillCase{"BottomEdgeClips", 0, 190, 1, 5, 0, 0, 190, 191},
                      FillCase{"PastRightEdge", 256, 0, 1, 1, 0, kNone, 0, 0},
                      FillCase{"PastBottomEdge", 0, 192, 1, 1, 0, kNone, 0, 0},
                      FillCase{"LeftOfCanvas", -1, 0, 1, 1, 0, kNone, 0, 0},
                      FillCase{"LeftEdgeClips", -3, 5, 5, 1, 0, 1, 5, 5},
                      FillCase{"TopEdgeClips", 4, -2, 1, 3, 4, 4, 0, 0},
                      FillCase{"NegativeWidthGoesLeft", 10, 0, -3, 1, 7, 9, 0, 0},
                      FillCase{"NegativeHeightGoesUp", 0, 10, 1, -3, 0, 0, 7, 9},
                      FillCase{"ZeroWidth", 5, 5, 0, 1, 0, kNone, 0, 0},
                      FillCase{"ZeroHeight", 5, 5, 1, 0, 0, kNone, 0, 0},
                      FillCase{"HugeSizesDoNotWrap", INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0, kNone,
                               0, 0},
                      FillCase{"HugeNegativeSizesReachTheEdge", 3, 3, INT_MIN, INT_MIN, 0, 2, 0, 2},
                      FillCase{"WholeCanvas", 0, 0, 256, 192, 0, 255, 0, 191}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FillRectangle, StoresBlueGreenRedWithTheTopRowLast) {
  PixelBuffer buffer;
  CanvasPainter painter = MemoryPainter(buffer);
  ASSERT_TRUE(BeginPainting(painter));
  FillRectangle(painter.painting, 0, 0, 1, 1, 0x0000FF);  // full red
  FillRectangle(painter.painting, 1, 191, 1, 1, 0x123456);
  EndPainting(painter);
  const std::size_t topRow = 191 * 768;
  EXPECT_EQ(buffer.bytes[topRow + 0], 0);
  EXPECT_EQ(buffer.bytes[topRow + 1], 0);
  EXPECT_EQ(buffer.bytes[topRow + 2], 255);
  EXPECT_EQ(buffer.bytes[3 + 0], 0x12);  // bottom row first in memory; blue first
  EXPECT_EQ(buffer.bytes[3 + 1], 0x34);
  EXPECT_EQ(buffer.bytes[3 + 2], 0x56);
}

TEST(FillPixelBytes, StoresWhatOnePixelFillsStore) {
  // Runs (x, y, bytes) inside the painting, at and across every edge, from an origin, rows stored
  // either way; each byte in its own colours.
  const std::uint8_t bits[] = {0x00, 0xFF, 0x80, 0x01, 0xA5, 0x5A};
  const Rgb inks[] = {0x12FF7F, 0xFFFFFF, 0, 0x7F0000, 0x00FF00, 0x0000FF};
  const Rgb papers[] = {0x7F0034, 0, 0xFFFFFF, 0x007F7F, 0x0000FF, 0x00FF00};
  PixelColours pairs[6];
  const PixelColours* colours[6];
  for (int i = 0; i < 6; ++i) {
    pairs[i] = MakePixelColours(inks[i], papers[i]);
    colours[i] = &pairs[i];
  }
  const int runs[][3] = {{0, 0, 6},  {8, 191, 1}, {101, 57, 3}, {208, 1, 6}, {209, 2, 6},
                         {-1, 3, 2}, {-8, 4, 1},  {256, 5, 1},  {0, -1, 6},  {0, 192, 6}};
  for (const bool bottomUp : {true, false}) {
    for (const auto& [x, y, count] : runs) {
      PixelBuffer byPixel, byByte;
      CanvasPainter one = MemoryPainter(byPixel), eight = MemoryPainter(byByte);
      ASSERT_TRUE(BeginPainting(one) && BeginPainting(eight));
      one.painting.bottomUp = eight.painting.bottomUp = bottomUp;
      one.painting.originX = eight.painting.originX = 2;
      for (int i = 0; i < count; ++i)
        for (int m = 0; m < 8; ++m)
          FillRectangle(one.painting, x - 2 + 8 * i + m, y, 1, 1,
                        bits[i] & (0x80u >> m) ? inks[i] : papers[i]);
      FillPixelBytes(eight.painting, x - 2, y, bits, colours, count);
      EXPECT_EQ(byByte.bytes, byPixel.bytes) << x << "," << y << " x " << count;
    }
  }
}

TEST(FillRectangle, IgnoresTheTopByteOfTheColour) {
  PixelBuffer plain, tagged;
  CanvasPainter a = MemoryPainter(plain), b = MemoryPainter(tagged);
  BeginPainting(a);
  BeginPainting(b);
  // After a fill in the same colour with the top bits set, the colour bytes must still be
  // those of the low 24 bits.
  FillRectangle(a.painting, 0, 0, 4, 4, 0x00808080);
  FillRectangle(b.painting, 0, 0, 2, 4, 0x00808080);
  FillRectangle(b.painting, 2, 0, 2, 4, 0xFF808080);
  EXPECT_EQ(plain.bytes, tagged.bytes);
}

TEST(FillRectangle, ClosedPaintingWritesNothing) {
  PixelBuffer buffer;
  const auto before = buffer.bytes;
  CanvasPainting closed;  // no pixels: begin failed or was never called
  FillRectangle(closed, 0, 0, 256, 192, 0);
  CanvasPainter painter = MemoryPainter(buffer);
  FillRectangle(painter.painting, 0, 0, 256, 192, 0);  // not begun
  EXPECT_EQ(buffer.bytes, before);
}

TEST(BeginPainting, AFailedBeginLeavesAClosedPaintingAndEndDoesNothing) {
  static int ends = 0;
  CanvasPainter painter;
  painter.begin = [](CanvasPainter&) { return false; };
  painter.end = [](CanvasPainter&) { ++ends; };
  EXPECT_FALSE(BeginPainting(painter));
  EXPECT_EQ(painter.painting.pixels, nullptr);
  EndPainting(painter);
  EXPECT_EQ(ends, 0);
}

TEST(PixelBuffer, IsWhiteWhenMadeWithRowsPaddedToFourBytes) {
  PixelBuffer canvas;
  EXPECT_EQ(canvas.stride, 768);
  for (int x : {0, 128, 255}) EXPECT_EQ(canvas.PixelAt(x, 191), kWhite);
  EXPECT_EQ(PixelBuffer(5, 1).stride, 16);
  EXPECT_EQ(PixelBuffer(0, 0).width, 1);  // never an empty picture
}

}  // namespace
}  // namespace pelorin
