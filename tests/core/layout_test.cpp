// Tests of the layouts: masked sprites and sprites stored by columns, rearranged against a
// model that does each step on its own, then placed and located through them; and the bytes
// shown and saved as a Spectrum screen.
#include <gtest/gtest.h>

#include "redraw.h"
#include "sprite_file.h"
#include "test_support.h"
#include "view_offset.h"

namespace pelorin {
namespace {

// The stored position behind each laid-out byte, -1 for the zeros that fill a last sprite
// cut short: the bytes of every pair that are shown, then each sprite of `height` rows
// turned from columns into rows.
std::vector<std::int64_t> ModelLaidOut(std::int64_t length, const SpriteLayout& layout, int width) {
  const bool firstShown = (layout.masks == MaskOrder::kGraphicFirst) != layout.showMasks;
  std::vector<std::int64_t> shown;
  for (std::int64_t i = 0; i < length; ++i)
    if (!IsMasked(layout) || (i % 2 == 0) == firstShown) shown.push_back(i);
  if (!HasColumns(layout)) return shown;
  const std::size_t height = layout.columnHeight, sprite = width * height;
  shown.resize((shown.size() + sprite - 1) / sprite * sprite, -1);
  std::vector<std::int64_t> laid;
  for (std::size_t first = 0; first < shown.size(); first += sprite)
    for (std::size_t row = 0; row < height; ++row)
      for (std::size_t column = 0; column < static_cast<std::size_t>(width); ++column)
        laid.push_back(shown[first + column * height + row]);
  return laid;
}

struct LayoutCase {
  MaskOrder masks;
  bool showMasks;
  std::int32_t height;
  std::int32_t width;
  std::int64_t length;
  bool oneScreen;
};

TEST(Layout, RearrangesPlacesAndLocatesAsEachStepDoneOnItsOwn) {
  const LayoutCase cases[] = {
      {MaskOrder::kMaskFirst, false, 0, 3, 1001, false},  // the last mask without its graphic
      {MaskOrder::kGraphicFirst, false, 0, 2, 6001, false},
      {MaskOrder::kMaskFirst, true, 0, 1, 999, false},
      {MaskOrder::kNotMasked, false, 5, 3, 200, false},  // the last sprite cut short
      {MaskOrder::kNotMasked, false, 24, 31, 100000, false},
      {MaskOrder::kGraphicFirst, false, 24, 8, 2 * SpriteReadBound + 7, false},  // every byte
      {MaskOrder::kGraphicFirst, true, 7, 2, 30001, true},
  };
  const std::vector<std::uint8_t> bytes = testing::RandomBytes(2 * SpriteReadBound + 7, 5);
  for (const LayoutCase& c : cases) {
    const SpriteLayout layout{ScreenLayout::kStrips, c.masks, c.showMasks, c.height};
    const std::vector<std::int64_t> model = ModelLaidOut(c.length, layout, c.width);
    ASSERT_EQ(LaidLength(layout, c.width, c.length), std::ssize(model));
    std::vector<std::uint8_t> laid;
    for (std::int64_t k = 0; k < std::ssize(model); ++k) {
      const std::int64_t stored = StoredIndex(layout, c.width, k);
      ASSERT_EQ(stored < c.length ? stored : -1, model[k]) << "laid byte " << k;
      laid.push_back(model[k] < 0 ? 0 : bytes[model[k]]);
    }
    if (c.oneScreen) laid.resize(std::min<std::size_t>(laid.size(), ScreenStep(c.width)));

    ConverterState state;
    state.spriteData.assign(bytes.begin(), bytes.begin() + c.length);
    state.spriteLength = static_cast<std::int32_t>(c.length);
    state.stripWidth = c.width;
    state.layout = layout;
    state.oneScreen = c.oneScreen;
    state.viewOffset = 40;
    PlaceSprite(state);
    ASSERT_EQ(state.screen, testing::ReferenceScreen(laid, c.width, 71)) << c.height;
    const std::vector<std::int64_t> owners = testing::ReferenceOwners(laid.size(), c.width);
    for (int y = 0; y < kScreenHeight; ++y)
      for (int x = 3; x < kScreenWidth; x += 8) {
        const std::int64_t owner = owners[testing::HardwareLineAddress(y) + x / 8];
        const std::int64_t stored = owner < 0 ? -1 : model[owner];
        ASSERT_EQ(LocateByte(state, x, y), stored < 0 ? std::nullopt : std::optional{40 + stored})
            << x << "," << y;
      }
  }
}

TEST(Layout, TheScreenLayoutShowsSavesAndLocatesTheBytesFromTheOffsetAsTheyAre) {
  testing::ScratchFolder folder;
  const std::vector<std::uint8_t> bytes = testing::RandomBytes(10000, 8);
  testing::WriteBytes(folder / "screens.bin", bytes);
  ConverterState state;
  state.sourcePath = testing::PathText(folder / "screens.bin");
  state.layout.screen = ScreenLayout::kSpectrumScreen;
  state.stripWidth = 5;  // applies no more than masks and columns do
  state.layout.masks = MaskOrder::kMaskFirst;
  state.layout.columnHeight = 24;
  testing::CountingCanvas canvas;
  testing::MessageLog log;
  // offset, pixel -> the file position located there
  const std::tuple<std::int64_t, int, int, std::optional<std::int64_t>> cases[] = {
      {50, 0, 0, 50},           {50, 255, 191, 50 + 6143},    {50, 9, 8, 50 + 32 + 1},
      {7000, 8, 1, 7000 + 257}, {7000, 0, 128, std::nullopt},  // past the end: zeros
  };
  for (const auto& [offset, x, y, located] : cases) {
    LoadSpriteAtOffset(state, canvas.painter, log.reporter(), offset);
    SaveScreen(state, log.reporter());
    std::vector<std::uint8_t> expected(
        bytes.begin() + offset, bytes.begin() + std::min<std::int64_t>(offset + 6912, 10000));
    expected.resize(kScreenBytes, 0);
    EXPECT_EQ(testing::ReadBytes(folder / "screens.bin.scr"), expected) << offset;
    EXPECT_EQ(LocateByte(state, x, y), located) << offset << " at " << x << "," << y;
  }
  EXPECT_EQ(testing::PixelsDifferingFrom(canvas.buffer, state.screen), 0);
  EXPECT_TRUE(log.messages.empty());
}

}  // namespace
}  // namespace pelorin
