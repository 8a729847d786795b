// Tests of browsing a file: the windows of it that offsets show, the View steps and their
// limits, the typed offset, the title, and locating a byte, against the layout model.
#include <gtest/gtest.h>

#include "sprite_file.h"
#include "test_support.h"
#include "view_offset.h"

namespace pelorin {
namespace {

using testing::CountingCanvas;
using testing::MessageLog;
using testing::PathText;
using testing::RandomBytes;
using testing::ReadBytes;
using testing::ReferenceOwners;
using testing::ReferenceScreen;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(ViewOffset, EachOffsetShowsAndSavesTheFileFromThereOn) {
  ScratchFolder folder;
  const std::vector<std::uint8_t> bytes = RandomBytes(200000, 11);
  WriteBytes(folder / "game.bin", bytes);
  for (int width : {1, 2, 3, 8, 16, 31}) {
    for (std::int64_t offset : {std::int64_t{0}, std::int64_t{1}, std::int64_t{3},
                                ScreenStep(width), std::int64_t{150001}, std::int64_t{199999}}) {
      ConverterState state;
      state.viewOffset = 77;  // whatever was shown before
      state.stripWidth = width;
      state.sourcePath = PathText(folder / "game.bin");
      CountingCanvas canvas;
      MessageLog log;
      LoadSpriteAtOffset(state, canvas.painter, log.reporter(), offset);
      const std::vector<std::uint8_t> shown(bytes.begin() + offset, bytes.end());
      ASSERT_EQ(state.screen, ReferenceScreen(shown, width, 71))
          << "width " << width << " offset " << offset;
      EXPECT_EQ(state.viewOffset, offset);
      EXPECT_EQ(state.sourceLength, 200000);
      EXPECT_TRUE(log.messages.empty());
      if (offset == 3) {  // Save writes what is shown
        SaveScreen(state, log.reporter());
        const std::vector<std::uint8_t> saved = ReadBytes(folder / "game.bin.scr");
        EXPECT_TRUE(
            std::equal(saved.begin(), saved.end(), state.screen.begin(), state.screen.end()));
      }
    }
  }
}

TEST(ViewOffset, AScreenStepIsTheWholeStripsThatFitAcross) {
  // Ten strips of 3 fit in 32 bytes, two of 16, one of 31.
  for (auto [width, step] : {std::pair{1, 6144}, {3, 5760}, {16, 6144}, {31, 5952}})
    EXPECT_EQ(ScreenStep(width), step) << "width " << width;
  // The next screen starts with the first strip that does not fit whole across.
  for (int width = 1; width <= 31; ++width) {
    const std::int64_t across = ScreenStep(width) / kScreenHeight;
    EXPECT_EQ(across % width, 0) << "width " << width;
    EXPECT_TRUE(across <= 32 && across + width > 32) << "width " << width;
  }
}

TEST(SteppedOffset, StaysWithinTheFile) {
  struct Case {
    std::int64_t offset, length;
    std::int32_t width;
    ViewStep step;
    std::int64_t expected;
  };
  const Case cases[] = {
      {0, 6145, 1, ViewStep::kNextScreen, 6144},
      {0, 6144, 1, ViewStep::kNextScreen, 0},  // onto the end: refused
      {100, 5800, 3, ViewStep::kNextScreen, 100},
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
  for (const Case& c : cases)
    EXPECT_EQ(SteppedOffset(c.offset, c.length, c.width, c.step), c.expected)
        << c.offset << " of " << c.length << ", step " << static_cast<int>(c.step);
}

TEST(OffsetAnswer, ReadsAsTheColourEntryDoesInSixtyFourBits) {
  struct Case {
    Text answer;
    std::int64_t length;
    std::optional<std::int64_t> offset;
    Text message;
  };
  const Case cases[] = {
      {u"6912", 10000, 6912, u""},
      {u"$1b00", 10000, 6912, u""},
      {u"#1B00", 10000, 6912, u""},
      {u"%1101", 10000, 13, u""},
      {u"$200000000", 10000000000, 8589934592, u""},  // past 32 bits, not cut
      {u"12x4", 10000, 12, u"Wrong character:X"},
      {u"-5", 10000, 0, u"Wrong character:-"},
      {u"$", 10000, 0, u""},
      {u"10000", 10000, 9999, u""},  // at the end: the last byte
      {u"99999999999999999999999", 10000, 9999, u""},
      {u"$FFFFFFFFFFFFFFFFFFFF", 10000, 9999, u""},
      {u"5", 0, 0, u""},
      {u"", 10000, std::nullopt, u""},
  };
  for (const Case& c : cases) {
    MessageLog log;
    EXPECT_EQ(OffsetAnswer(c.answer, c.length, log.reporter()), c.offset) << TextToUtf8(c.answer);
    EXPECT_EQ(log.messages, c.message.empty() ? std::vector<Text>{} : std::vector<Text>{c.message})
        << TextToUtf8(c.answer);
  }
  EXPECT_EQ(DefaultOffsetText(5000000000), u"5000000000");
}

TEST(ViewTitle, ShowsTheWidthAndANonZeroOffset) {
  EXPECT_EQ(ViewTitle(3, 6912), u"Pelorin,3 @ 6912 ($1B00)");
  EXPECT_EQ(ViewTitle(3, 0), u"Pelorin,3");
  EXPECT_EQ(ViewTitle(31, 1), u"Pelorin,31 @ 1 ($1)");
  EXPECT_EQ(ViewTitle(1, 0xABCDEF012), u"Pelorin,1 @ 46118400018 ($ABCDEF012)");
  EXPECT_EQ(LocatedByteTitle(2, 0), u"Pelorin,2 byte 0 ($0)");
  EXPECT_EQ(LocatedByteTitle(2, 255), u"Pelorin,2 byte 255 ($FF)");
  EXPECT_EQ(LocatedByteTitle(17, std::nullopt), u"Pelorin,17 byte none");
}

TEST(LocateByte, NamesTheByteTheModelPutsUnderEveryPixel) {
  const std::vector<std::uint8_t> bytes = RandomBytes(SpriteReadBound, 13);
  for (int width = 1; width <= 31; ++width) {
    // Short of the screen, just past one screen, and every byte that can land.
    for (std::size_t length :
         {std::size_t{4000} + width, static_cast<std::size_t>(ScreenStep(width) + 1),
          static_cast<std::size_t>(VisibleSpriteBytes(width))}) {
      ConverterState state;
      state.spriteData.assign(bytes.begin(), bytes.begin() + length);
      state.spriteLength = static_cast<std::int32_t>(length);
      state.stripWidth = width;
      state.viewOffset = 1000 * width;
      const std::vector<std::int64_t> owners = ReferenceOwners(length, width);
      for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
          const std::int64_t owner = owners[testing::HardwareLineAddress(y) + x / 8];
          const std::optional<std::int64_t> expected =
              owner < 0 ? std::nullopt : std::optional{state.viewOffset + owner};
          ASSERT_EQ(LocateByte(state, x, y), expected)
              << "width " << width << " length " << length << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(LocateByte, FindsNothingOffTheScreenOrWithNothingLoaded) {
  ConverterState state;
  state.spriteData = RandomBytes(50000, 14);
  EXPECT_EQ(LocateByte(state, 0, 0), std::nullopt);  // held, but none in use
  state.spriteLength = 50000;
  EXPECT_EQ(LocateByte(state, 0, 0), 0);
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {256, 0}, {0, 192}})
    EXPECT_EQ(LocateByte(state, x, y), std::nullopt) << x << "," << y;
}

}  // namespace
}  // namespace pelorin
