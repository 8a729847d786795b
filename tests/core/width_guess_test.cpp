// Tests of the width guess: sprite files of every kind, candidates, unsure runs, long runs.
#include <set>

#include <gtest/gtest.h>

#include "sprite_corpus.h"
#include "test_support.h"
#include "analysis/width_guess.h"
#include "sprite_file.h"

namespace pelorin {
namespace {

using Bytes = std::vector<std::uint8_t>;

WidthGuess Guess(const Bytes& bytes) {
  return GuessStripWidth(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

// Eight files of each kind: the drawn width comes first, and sure, for at least seven. A
// dithered fill at twice its width, a masked sprite at half or a wide sparse one at 1 fail.
TEST(GuessStripWidth, FindsTheWidthOfEveryKindOfSprite) {
  for (const SpriteKind kind : kSpriteKinds) {
    int first = 0;
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
      const SpriteFile file = MakeSpriteFile(kind, seed);
      const WidthGuess guess = Guess(file.bytes);
      first += guess.ranked[0] == file.width;
      EXPECT_TRUE(guess.ranked[0] != file.width || !guess.unsure) << SpriteKindName(kind) << seed;
    }
    EXPECT_GE(first, 7) << SpriteKindName(kind);
  }
}

// Graphics stored as programs store them, alone and followed by code or by sprites of another
// width: the width at which their bytes form rows comes first, and sure, for at least seven
// of eight. A font or tile set guessed at 8, column-stored sprites at their sprite's width, a
// serpentine sheet at twice its width, or a guess swayed by what follows, fail.
TEST(GuessStripWidth, FindsTheRowsOfGraphicsAsProgramsStoreThem) {
  const struct {
    StoredKind kind;
    Followed followed;
  } cases[] = {
      {StoredKind::kFont, Followed::kByNothing},
      {StoredKind::kFont, Followed::kByCode},
      {StoredKind::kFont, Followed::kByOtherSprites},
      {StoredKind::kTileSet, Followed::kByCode},
      {StoredKind::kTileSet, Followed::kByOtherSprites},
      {StoredKind::kColumns, Followed::kByNothing},
      {StoredKind::kColumns, Followed::kByOtherSprites},
      {StoredKind::kMaskedColumns, Followed::kByNothing},
      {StoredKind::kMaskedColumns, Followed::kByCode},
      {StoredKind::kSerpentine, Followed::kByNothing},
  };
  for (const auto& [kind, followed] : cases) {
    int first = 0;
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
      const SpriteFile file = MakeStoredFile(kind, followed, seed);
      const WidthGuess guess = Guess(file.bytes);
      first += guess.ranked[0] == file.width;
      EXPECT_TRUE(guess.ranked[0] != file.width || !guess.unsure) << StoredKindName(kind) << seed;
    }
    EXPECT_GE(first, 7) << StoredKindName(kind) << " followed " << static_cast<int>(followed);
  }
}

// Only widths that hold two rows are candidates, each once; with none the guess is width 1.
// The state's guess is over the bytes in use, not over all that spriteData holds.
TEST(GuessStripWidth, RanksOnlyWidthsWithTwoRows) {
  const std::int32_t cases[][2] = {{0, 1}, {1, 1}, {3, 1}, {7, 3}, {61, 30}, {62, 31}, {5000, 31}};
  for (const auto& [length, candidates] : cases) {
    ConverterState state;
    state.spriteData = testing::RandomBytes(length + 100, 7);
    state.spriteLength = length;
    const WidthGuess guess = GuessStripWidth(state);
    const std::set<std::int32_t> widths(guess.ranked.begin(), guess.ranked.begin() + guess.count);
    EXPECT_EQ(guess.count, candidates) << length;
    EXPECT_EQ(std::ssize(widths), guess.count) << length;
    EXPECT_EQ(*widths.begin(), 1) << length;
    EXPECT_EQ(*widths.rbegin(), candidates) << length;
  }
}

// Too few bytes for two rows, a blank run, a run of one value, noise however long.
TEST(GuessStripWidth, IsUnsureWhereNoWidthShowsAPicture) {
  for (const Bytes& run : {Bytes{}, Bytes{0x18}, Bytes(4000, 0), Bytes(4000, 0x5A),
                           testing::RandomBytes(2'000'000, 4)})
    EXPECT_TRUE(Guess(run).unsure) << run.size();
}

// A long run is judged on samples spread along it: a megabyte of one sheet behind a header of
// text still shows the sheet's width; a copy of the bytes elsewhere gives the same ranking.
TEST(GuessStripWidth, JudgesLongRunsAndIsDeterministic) {
  for (const std::uint32_t seed : {11u, 12u, 13u}) {
    const SpriteFile sheet = MakeSpriteFile(SpriteKind::kSheet, seed);
    Bytes bytes = MakeSpriteFile(SpriteKind::kText, seed).bytes;
    while (bytes.size() < 1'300'000)
      bytes.insert(bytes.end(), sheet.bytes.begin(), sheet.bytes.end());
    const WidthGuess guess = Guess(bytes);
    EXPECT_EQ(guess.ranked[0], sheet.width) << seed;
    EXPECT_EQ(Guess(Bytes(bytes)).ranked, guess.ranked) << seed;
  }
}

}  // namespace
}  // namespace pelorin
