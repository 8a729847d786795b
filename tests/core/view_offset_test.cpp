// Tests of browsing a file: the windows of it that offsets show, the View steps and their
// limits, the typed offset, the title, and locating a byte, against the layout model.
#include <gtest/gtest.h>

#include <tuple>

#include "sprite_file.h"
#include "test_support.h"
#include "view_offset.h"
#include "locate_byte.h"
#include "view_title.h"

namespace pelorin {
namespace {

TEST(ViewOffset, EachOffsetShowsAndSavesTheFileFromThereOn) {
  testing::ScratchFolder folder;
  const std::vector<std::uint8_t> bytes = testing::RandomBytes(200000, 11);
  testing::WriteBytes(folder / "game.bin", bytes);
  ConverterState state;  // each load follows another offset and width
  state.sourcePath = testing::PathText(folder / "game.bin");
  testing::CountingCanvas canvas;
  testing::MessageLog log;
  for (int width : {1, 2, 3, 8, 16, 31}) {
    state.stripWidth = width;
    for (std::int64_t offset :
         {std::int64_t{3}, ScreenStep(width), std::int64_t{199999}, std::int64_t{0}}) {
      LoadSpriteAtOffset(state, canvas.painter, log.reporter(), offset);
      const std::vector<std::uint8_t> shown(bytes.begin() + offset, bytes.end());
      ASSERT_EQ(state.screen, testing::ReferenceScreen(shown, width, 71))
          << "width " << width << " offset " << offset;
      EXPECT_EQ(state.viewOffset, offset);
      EXPECT_EQ(state.sourceLength, 200000);
      SaveScreen(state, log.reporter());  // Save writes what is shown
      const std::vector<std::uint8_t> saved = testing::ReadBytes(folder / "game.bin.scr");
      EXPECT_TRUE(std::equal(saved.begin(), saved.end(), state.screen.begin(), state.screen.end()));
      EXPECT_TRUE(log.messages.empty());
    }
  }
}

TEST(SteppedOffset, MovesByTheWholeStripsThatFitAcrossAndStaysWithinTheFile) {
  // offset, file length, width, step -> the offset after it
  const std::tuple<std::int64_t, std::int64_t, std::int32_t, ViewStep, std::int64_t> cases[] = {
      {0, 6145, 1, ViewStep::kNextScreen, 6144},
      {0, 6144, 1, ViewStep::kNextScreen, 0},      // onto the end: refused
      {0, 50000, 3, ViewStep::kNextScreen, 5760},  // ten strips of 3 fit in 32 bytes
      {0, 50000, 16, ViewStep::kNextScreen, 6144},
      {0, 50000, 31, ViewStep::kNextScreen, 5952},
      {100, 50000, 1, ViewStep::kPreviousScreen, 0},  // stops at the start
      {6000, 50000, 3, ViewStep::kPreviousScreen, 240},
      {96, 100, 3, ViewStep::kNextRow, 99},
      {97, 100, 3, ViewStep::kNextRow, 97},
      {2, 100, 3, ViewStep::kPreviousRow, 0},
      {99, 100, 5, ViewStep::kNextByte, 99},
      {0, 100, 5, ViewStep::kPreviousByte, 0},
      {0, 0, 1, ViewStep::kNextByte, 0},  // an empty file
      {5000000000, 5000000002, 31, ViewStep::kNextByte, 5000000001},
      {123456, 200000, 7, ViewStep::kStartOfFile, 0},
  };
  for (const auto& [offset, length, width, step, expected] : cases)
    EXPECT_EQ(SteppedOffset(offset, length, width, step), expected)
        << offset << " of " << length << ", step " << static_cast<int>(step);
}

TEST(OffsetAnswer, ReadsAsTheColourEntryDoesInSixtyFourBitsAndMovesNothingOnAMistake) {
  // answer, file length -> the offset, what is reported
  const std::tuple<Text, std::int64_t, std::optional<std::int64_t>, Text> cases[] = {
      {u"6912", 10000, 6912, u""},
      {u"$1b00", 10000, 6912, u""},
      {u"$200000000", 10000000000, 8589934592, u""},  // past 32 bits, not cut
      {u"12x4", 10000, std::nullopt, u"Wrong character:X"},
      {u"10000", 10000, 9999, u""},  // at the end: the last byte
      {u"99999999999999999999999", 10000, 9999, u""},
      {u"$FFFFFFFFFFFFFFFFFFFF", 10000, 9999, u""},
      {u"5", 0, 0, u""},
      {u"", 10000, std::nullopt, u""},
  };
  for (const auto& [answer, length, offset, message] : cases) {
    testing::MessageLog log;
    EXPECT_EQ(OffsetAnswer(answer, length, log.reporter()), offset) << TextToUtf8(answer);
    EXPECT_EQ(log.messages, message.empty() ? std::vector<Text>{} : std::vector<Text>{message})
        << TextToUtf8(answer);
  }
}

TEST(ViewTitle, ShowsTheWidthAndANonZeroOffsetOrTheLocatedByte) {
  EXPECT_EQ(ViewTitle(3, 6912), u"Pelorin,3 @ 6912 ($1B00)");
  EXPECT_EQ(ViewTitle(3, 0), u"Pelorin,3");
  EXPECT_EQ(ViewTitle(1, 0xABCDEF012), u"Pelorin,1 @ 46118400018 ($ABCDEF012)");
  ConverterState state;  // the view keeps its offset part; the value is the file's byte
  state.stripWidth = 2;
  state.viewOffset = 6912;
  state.spriteData = {0x3C, 5};
  EXPECT_EQ(LocatedByteTitle(state, 6912), u"Pelorin,2 @ 6912 ($1B00) byte 6912 ($1B00) = $3C");
  EXPECT_EQ(LocatedByteTitle(state, 6913), u"Pelorin,2 @ 6912 ($1B00) byte 6913 ($1B01) = $05");
  EXPECT_EQ(LocatedByteTitle(state, std::nullopt), u"Pelorin,2 @ 6912 ($1B00) byte none");
  state.layout = SpriteLayout{ScreenLayout::kStrips, MaskOrder::kMaskFirst, true, 24};
  EXPECT_EQ(LocatedByteTitle(state, std::nullopt),
            u"Pelorin,2 masks columns 24 @ 6912 ($1B00) byte none");
  SpriteLayout layout{ScreenLayout::kStrips, MaskOrder::kNotMasked, true, 24};
  EXPECT_EQ(ViewTitle(1, 0, layout), u"Pelorin,1 columns 24") << "masks shown only when masked";
  layout.screen = ScreenLayout::kSpectrumScreen;
  EXPECT_EQ(ViewTitle(1, 16384, layout), u"Pelorin screen @ 16384 ($4000)");
}

TEST(WheeledOffset, TurnsThreeRowsOrAScreenANotchWithinTheLimitsOfTheSteps) {
  // offset, file length, width, notches (forward when positive), by screens -> the offset;
  // from 95 of 100 a third row would reach the end
  const std::tuple<std::int64_t, std::int64_t, std::int32_t, std::int32_t, bool, std::int64_t>
      cases[] = {{0, 100, 3, 2, false, 18},     {95, 100, 3, 1, false, 98},
                 {5, 100, 3, -1, false, 0},     {7, 100, 3, 0, false, 7},
                 {0, 11521, 3, 3, true, 11520}, {6000, 50000, 3, -1, true, 240},
                 {0, 0, 1, 1, false, 0}};
  for (const auto& [offset, length, width, notches, byScreens, expected] : cases)
    EXPECT_EQ(WheeledOffset(offset, length, width, notches, byScreens), expected)
        << offset << " of " << length << ", " << notches << (byScreens ? " screens" : " notches");
}

TEST(LocateByte, NamesTheByteTheModelPutsUnderEveryPixelAndNoneOffTheScreen) {
  ConverterState state;
  state.spriteData = testing::RandomBytes(SpriteReadBound, 13);  // held beyond what is in use
  for (int width = 1; width <= 31; ++width) {
    // Short of the screen, just past one screen, and every byte that can land; one screen
    // only places none past the first screen's strips.
    for (auto [length, oneScreen] : {std::pair{std::int64_t{4000} + width, false},
                                     {ScreenStep(width) + 1, false},
                                     {std::int64_t{VisibleSpriteBytes(width)}, false},
                                     {std::int64_t{VisibleSpriteBytes(width)}, true}}) {
      state.spriteLength = static_cast<std::int32_t>(length);
      state.stripWidth = width;
      state.viewOffset = 1000 * width;
      state.oneScreen = oneScreen;
      const std::vector<std::int64_t> owners = testing::ReferenceOwners(
          static_cast<std::size_t>(oneScreen ? ScreenStep(width) : length), width);
      for (int y = -1; y <= kScreenHeight; ++y) {
        for (int x = -1; x <= kScreenWidth; ++x) {
          const bool on = x >= 0 && x < kScreenWidth && y >= 0 && y < kScreenHeight;
          const std::int64_t owner = on ? owners[testing::HardwareLineAddress(y) + x / 8] : -1;
          ASSERT_EQ(LocateByte(state, x, y),
                    owner < 0 ? std::nullopt : std::optional{state.viewOffset + owner})
              << "width " << width << " length " << length << " at " << x << "," << y;
        }
      }
    }
  }
}

}  // namespace
}  // namespace pelorin
