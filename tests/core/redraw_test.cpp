// Tests of sprite placement and painting, against a byte-by-byte model of the layout.
#include <gtest/gtest.h>

#include "redraw.h"
#include "sprite_file.h"
#include "test_support.h"

namespace pelorin {
namespace {

using testing::CountingCanvas;
using testing::PixelsDifferingFrom;
using testing::RandomBytes;
using testing::ReferenceScreen;

ConverterState StateWith(std::vector<std::uint8_t> sprite, int width, std::uint8_t attribute = 71) {
  ConverterState state;
  state.spriteLength = static_cast<std::int32_t>(sprite.size());
  state.spriteData = std::move(sprite);
  state.stripWidth = width;
  state.fillAttribute = attribute;
  return state;
}

TEST(Redraw, NothingLoadedChangesNeitherScreenNorCanvas) {
  ConverterState state;
  state.screen[100] = 0x55;
  state.spriteData = {1, 2, 3};  // bytes held, but none in use
  CountingCanvas canvas;
  Redraw(state, canvas.painter);
  EXPECT_EQ(canvas.paintings, 0);
  EXPECT_EQ(state.screen[100], 0x55);
  EXPECT_EQ(state.screen[0], 0);
}

TEST(Redraw, OneByteAtWidthOneLightsTheTopLeftEightPixels) {
  ConverterState state = StateWith({0xFF}, 1);
  CountingCanvas canvas;
  Redraw(state, canvas.painter);
  ASSERT_EQ(canvas.paintings, 1);
  for (int y = 0; y < 192; ++y) {
    for (int x = 0; x < 256; ++x) {
      const Rgb expected = (y == 0 && x < 8) ? 0xFFFFFF : 0;
      ASSERT_EQ(canvas.buffer.PixelAt(x, y), expected) << x << "," << y;
    }
  }
  for (int i = kPixelBytes; i < kScreenBytes; ++i) ASSERT_EQ(state.screen[i], 71) << i;
}

struct PlacementCase {
  const char* name;
  int width;
  std::size_t length;
  // Sprite byte index -> screen offset, for the bytes that matter in the case.
  std::vector<std::pair<std::size_t, int>> places;
};

class PlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTest, BytesLandWhereTheLayoutPutsThem) {
  const PlacementCase& c = GetParam();
  std::vector<std::uint8_t> sprite(c.length);
  for (std::size_t k = 0; k < sprite.size(); ++k)
    sprite[k] = static_cast<std::uint8_t>(k % 251 + 1);
  ConverterState state = StateWith(sprite, c.width);
  PlaceSprite(state);
  for (auto [index, offset] : c.places) {
    EXPECT_EQ(state.screen[offset], sprite[index]) << "byte " << index << " at " << offset;
  }
  EXPECT_EQ(state.screen, ReferenceScreen(sprite, c.width, 71));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlacementTest,
    ::testing::Values(
        PlacementCase{"WidthTwoFillsTwoBytesPerLine", 2, 4, {{0, 0}, {1, 1}, {2, 256}, {3, 257}}},
        PlacementCase{"SecondStripStartsAtTheTop", 1, 193, {{191, 6112}, {192, 1}}},
        PlacementCase{"LineEightIsThirtyTwoBytesOn", 1, 9, {{8, 32}}},
        PlacementCase{"FourStripsFillThePixelsExactly", 8, 6144, {{6143, 6143}}},
        // The second strip's second byte runs past the line's 32 bytes into line 8.
        PlacementCase{
            "OffsetsPastTheLineSpillIntoLaterLines", 31, 192 * 31 + 2, {{5952, 31}, {5953, 32}}},
        // 6,144 + c of line 0 is attribute byte c: a byte far enough right replaces it.
        PlacementCase{"FarStripsSpillIntoTheAttributes",
                      1,
                      6145 * 192 + 1,
                      {{6144 * 192, 6144}, {6145 * 192, 6145}}},
        PlacementCase{"TheLastVisibleByteIsTheLastAttribute",
                      1,
                      SpriteReadBound,
                      {{SpriteReadBound - 1, 6911}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlaceSprite, MatchesTheModelForEveryWidthAndManyLengths) {
  const std::vector<std::uint8_t> bytes = RandomBytes(SpriteReadBound + 4096, 1);
  for (int width = 1; width <= 31; ++width) {
    for (std::size_t length :
         {std::size_t{1}, std::size_t{31}, std::size_t{6144}, std::size_t{50000},
          static_cast<std::size_t>(VisibleSpriteBytes(width)), bytes.size()}) {
      const std::vector<std::uint8_t> sprite(bytes.begin(), bytes.begin() + length);
      ConverterState state = StateWith(sprite, width, 0x2A);
      PlaceSprite(state);
      ASSERT_EQ(state.screen, ReferenceScreen(sprite, width, 0x2A))
          << "width " << width << ", " << length << " bytes";
    }
  }
}

// One screen only: byte k of row q = k / W lands at line q mod 192, byte column
// (q / 192) W + k mod W, for the strips that fit across whole; nothing else is placed.
TEST(PlaceSprite, OneScreenLaysOnlyTheWholeStripsEachAtItsLineAndColumn) {
  const std::vector<std::uint8_t> bytes = RandomBytes(SpriteReadBound, 7);
  for (int width : {1, 3, 5, 7, 8, 11, 16, 17, 31}) {
    for (std::size_t length : {std::size_t{1000}, bytes.size()}) {
      const std::vector<std::uint8_t> sprite(bytes.begin(), bytes.begin() + length);
      ScreenImage model{};
      std::fill(model.begin() + kPixelBytes, model.end(), 0x2A);
      const std::size_t strips = 32 / width;
      for (std::size_t k = 0; k < std::min(length, 192 * width * strips); ++k) {
        const std::size_t q = k / width;
        model[LineAddressTable[q % 192] + q / 192 * width + k % width] = sprite[k];
      }
      ConverterState state = StateWith(sprite, width, 0x2A);
      state.oneScreen = true;
      PlaceSprite(state);
      ASSERT_EQ(state.screen, model) << "width " << width << ", " << length << " bytes";
    }
  }
}

TEST(PlaceSprite, NoByteBeyondTheVisiblePrefixReachesTheScreen) {
  for (int width = 1; width <= 31; ++width) {
    const std::size_t visible = VisibleSpriteBytes(width);
    std::vector<std::uint8_t> sprite(visible + 3 * 192 * 31, 0);
    sprite[visible - 1] = 0xEE;  // the last byte that still lands
    ConverterState edge =
        StateWith(std::vector<std::uint8_t>(sprite.begin(), sprite.begin() + visible), width);
    PlaceSprite(edge);
    std::fill(sprite.begin() + visible, sprite.end(), 0xFF);  // all later bytes must vanish
    ConverterState longer = StateWith(sprite, width);
    PlaceSprite(longer);
    EXPECT_EQ(longer.screen, edge.screen) << "width " << width;
    EXPECT_NE(std::count(edge.screen.begin(), edge.screen.end(), 0xEE), 0) << "width " << width;
  }
}

TEST(PlaceSprite, NeverReadsPastTheBytesHeld) {
  // The length claims more than the buffer holds; only what is held may be placed (the
  // sanitizer build turns any overread into a failure).
  ConverterState state = StateWith({9, 8, 7}, 1);
  state.spriteLength = 1000000;
  PlaceSprite(state);
  EXPECT_EQ(state.screen[0], 9);
  EXPECT_EQ(state.screen[512], 7);
  EXPECT_EQ(state.screen[768], 0);
}

TEST(PlaceSprite, WidthsOutsideTheScrollbarRangeAreHeldToIt) {
  const std::vector<std::uint8_t> sprite = RandomBytes(20000, 2);
  for (auto [given, used] : {std::pair{0, 1}, {-7, 1}, {32, 31}, {1000, 31}}) {
    ConverterState state = StateWith(sprite, given);
    PlaceSprite(state);
    EXPECT_EQ(state.screen, ReferenceScreen(sprite, used, 71)) << "width " << given;
  }
}

TEST(Redraw, AWidthChangeRebuildsTheScreenFromScratch) {
  const std::vector<std::uint8_t> sprite = RandomBytes(3000, 3);
  ConverterState state = StateWith(sprite, 2);
  CountingCanvas canvas;
  Redraw(state, canvas.painter);
  state.stripWidth = 1;
  Redraw(state, canvas.painter);
  EXPECT_EQ(state.screen, ReferenceScreen(sprite, 1, 71));
  EXPECT_EQ(PixelsDifferingFrom(canvas.buffer, state.screen), 0);
}

TEST(Redraw, PaintsEveryPixelInTheScreensColours) {
  // Random pixels and attributes: every ink, paper and brightness, set and clear bits.
  for (int width : {1, 8, 31}) {
    const std::vector<std::uint8_t> sprite = RandomBytes(SpriteReadBound, 4 + width);
    ConverterState state = StateWith(sprite, width, 0x7A);
    CountingCanvas canvas;
    Redraw(state, canvas.painter);
    EXPECT_EQ(canvas.paintings, 1);
    EXPECT_EQ(PixelsDifferingFrom(canvas.buffer, ReferenceScreen(sprite, width, 0x7A)), 0)
        << "width " << width;
  }
}

TEST(Redraw, PlacesTheBytesEvenWhenThePainterCannotBegin) {
  ConverterState state = StateWith({0xAB}, 1);
  CanvasPainter broken;
  broken.begin = [](CanvasPainter&) { return false; };
  Redraw(state, broken);
  EXPECT_EQ(state.screen[0], 0xAB);
  EXPECT_EQ(broken.painting.pixels, nullptr);
}

}  // namespace
}  // namespace pelorin
