// Tests of the width guess: drawn sprite files of every kind, the widths too short to judge,
// the long runs judged on samples, and the guess over the loaded window.
#include <algorithm>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "sprite_corpus.h"
#include "test_support.h"
#include "width_guess.h"

namespace pelorin {
namespace {

WidthGuess Guess(const std::vector<std::uint8_t>& bytes) {
  return GuessStripWidth(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

// Eight files of each kind: the drawn width comes first for nearly all, and the guess is
// sure of it. A dithered fill at twice its width, a masked sprite at its graphic's width or
// a wide sparse one at width 1 would fail here.
TEST(GuessStripWidth, FindsTheWidthOfEveryKindOfSprite) {
  for (const SpriteKind kind : kSpriteKinds) {
    int first = 0;
    std::string misses;
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
      const SpriteFile file = MakeSpriteFile(kind, seed);
      const WidthGuess guess = Guess(file.bytes);
      if (guess.ranked[0] != file.width) {
        misses += " seed " + std::to_string(seed) + ": " + std::to_string(file.width) + " as " +
                  std::to_string(guess.ranked[0]);
        continue;
      }
      ++first;
      EXPECT_FALSE(guess.unsure) << SpriteKindName(kind) << " seed " << seed;
    }
    EXPECT_GE(first, 7) << SpriteKindName(kind) << misses;
  }
}

// Only widths that hold two rows are candidates, each once; none at all is width 1, unsure.
TEST(GuessStripWidth, RanksOnlyWidthsWithTwoRows) {
  const struct {
    std::int32_t length;
    std::int32_t candidates;
  } cases[] = {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {7, 3}, {61, 30}, {62, 31}, {5000, 31}};
  for (const auto& c : cases) {
    const std::vector<std::uint8_t> bytes = testing::RandomBytes(c.length, 7);
    const WidthGuess guess = Guess(bytes);
    ASSERT_EQ(guess.count, c.candidates) << c.length;
    const std::set<std::int32_t> widths(guess.ranked.begin(), guess.ranked.begin() + guess.count);
    EXPECT_EQ(widths.size(), static_cast<std::size_t>(guess.count)) << c.length;
    EXPECT_EQ(*widths.begin(), 1) << c.length;
    EXPECT_LE(*widths.rbegin(), std::max(1, c.length / 2)) << c.length;
    if (c.length < 2) {
      EXPECT_TRUE(guess.unsure) << c.length;
    }
  }
}

// Nothing repeats from row to row in a blank run, a run of one value or noise.
TEST(GuessStripWidth, IsUnsureWhereNoWidthShowsAPicture) {
  const std::vector<std::vector<std::uint8_t>> runs = {
      std::vector<std::uint8_t>(4000, 0), std::vector<std::uint8_t>(4000, 0x5A),
      testing::RandomBytes(4000, 3), testing::RandomBytes(2'000'000, 4)};
  for (const auto& run : runs) EXPECT_TRUE(Guess(run).unsure) << run.size();
}

// A long run is judged on samples spread along it: a megabyte of one sheet, behind a header
// of other sprites, still shows the sheet's width; and the same bytes give the same ranking.
TEST(GuessStripWidth, JudgesLongRunsAndIsDeterministic) {
  for (const std::uint32_t seed : {11u, 12u, 13u}) {
    const SpriteFile sheet = MakeSpriteFile(SpriteKind::kSheet, seed);
    std::vector<std::uint8_t> bytes = MakeSpriteFile(SpriteKind::kText, seed).bytes;
    while (bytes.size() < 1'300'000)
      bytes.insert(bytes.end(), sheet.bytes.begin(), sheet.bytes.end());
    const WidthGuess guess = Guess(bytes);
    EXPECT_EQ(guess.ranked[0], sheet.width) << seed;
    const WidthGuess again = Guess(bytes);
    EXPECT_EQ(again.ranked, guess.ranked);
    EXPECT_EQ(again.count, guess.count);
  }
}

// The state's guess is over the bytes in use, not over all that spriteData holds.
TEST(GuessStripWidth, OverTheStateUsesTheLoadedBytesOnly) {
  const SpriteFile file = MakeSpriteFile(SpriteKind::kAnimation, 2);
  ConverterState state;
  state.spriteData = file.bytes;
  state.spriteLength = 40;
  state.spriteData.resize(file.bytes.size() * 2, 0xFF);
  const WidthGuess guess = GuessStripWidth(state);
  const WidthGuess expected = GuessStripWidth(file.bytes.data(), 40);
  EXPECT_EQ(guess.ranked, expected.ranked);
  EXPECT_EQ(guess.count, 20);
  state.spriteLength = 0;
  EXPECT_TRUE(GuessStripWidth(state).unsure);
}

}  // namespace
}  // namespace pelorin
