// Tests of the layouts that rearrange: masked sprites and sprites stored by columns, against
// a model that does each step on its own, then placed and located through them.
#include <gtest/gtest.h>

#include "redraw.h"
#include "test_support.h"
#include "view_offset.h"
#include "locate_byte.h"

namespace pelorin {
namespace {

// The stored position behind each laid-out byte, -1 for the zeros that fill a last sprite
// cut short: the shown byte of every pair, then each sprite turned from columns into rows.
std::vector<std::int64_t> ModelLaidOut(std::int64_t length, const SpriteLayout& layout,
                                       std::size_t width) {
  const bool firstShown = (layout.masks == MaskOrder::kGraphicFirst) != layout.showMasks;
  std::vector<std::int64_t> shown, laid;
  for (std::int64_t i = 0; i < length; ++i)
    if (!IsMasked(layout) || (i % 2 == 0) == firstShown) shown.push_back(i);
  if (!HasColumns(layout)) return shown;
  const std::size_t height = layout.columnHeight, sprite = width * height;
  shown.resize((shown.size() + sprite - 1) / sprite * sprite, -1);
  for (std::size_t at = 0; at < shown.size(); ++at)  // sprite, row, column
    laid.push_back(shown[at / sprite * sprite + at % width * height + at % sprite / width]);
  return laid;
}

TEST(Layout, RearrangesPlacesAndLocatesAsEachStepDoneOnItsOwn) {
  using enum MaskOrder;
  // masks, masks shown, sprite height, width, stored bytes, one screen only
  const std::tuple<MaskOrder, bool, std::int32_t, std::int32_t, std::int64_t, bool> cases[] = {
      {kMaskFirst, false, 0, 3, 1001, false},  // the last mask without its graphic
      {kMaskFirst, true, 0, 1, 999, false},
      {kNotMasked, false, 5, 3, 200, false},  // the last sprite cut short
      {kNotMasked, false, 24, 31, 100000, false},
      {kGraphicFirst, false, 24, 8, 2 * SpriteReadBound + 7, false},  // all that can land
      {kGraphicFirst, true, 7, 2, 30001, true},
  };
  const std::vector<std::uint8_t> bytes = testing::RandomBytes(2 * SpriteReadBound + 7, 5);
  for (const auto& [masks, showMasks, height, width, length, oneScreen] : cases) {
    ConverterState state;
    state.layout = {ScreenLayout::kStrips, masks, showMasks, height};
    state.spriteData.assign(bytes.begin(), bytes.begin() + length);
    state.spriteLength = static_cast<std::int32_t>(length);
    state.stripWidth = width;
    state.oneScreen = oneScreen;
    state.viewOffset = 40;
    const std::vector<std::int64_t> model = ModelLaidOut(length, state.layout, width);
    ASSERT_EQ(LaidLength(state.layout, width, length), std::ssize(model));
    std::vector<std::uint8_t> laid;
    for (std::int64_t k = 0; k < std::ssize(model); ++k) {
      const std::int64_t stored = StoredIndex(state.layout, width, k);
      ASSERT_EQ(stored < length ? stored : -1, model[k]) << "laid byte " << k;
      laid.push_back(model[k] < 0 ? 0 : bytes[model[k]]);
    }
    if (oneScreen) laid.resize(std::min<std::size_t>(laid.size(), ScreenStep(width)));
    PlaceSprite(state);
    ASSERT_EQ(state.screen, testing::ReferenceScreen(laid, width, 71)) << height;
    const std::vector<std::int64_t> owners = testing::ReferenceOwners(laid.size(), width);
    for (int y = 0; y < kScreenHeight; ++y)
      for (int x = 3; x < kScreenWidth; x += 8) {
        const std::int64_t owner = owners[testing::HardwareLineAddress(y) + x / 8];
        const std::int64_t stored = owner < 0 ? -1 : model[owner];
        ASSERT_EQ(LocateByte(state, x, y), stored < 0 ? std::nullopt : std::optional{40 + stored})
            << x << "," << y;
      }
  }
}

}  // namespace
}  // namespace pelorin
