// Tests of the width guess: sprite files of every kind, candidates, unsure runs, long runs.
#include <cmath>
#include <functional>
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

// A picture `columns` bytes wide, one flag per pixel, drawn by a rule.
Bytes Draw(int columns, int rows, const std::function<bool(int x, int y)>& ink) {
  Bytes bytes;
  for (int y = 0; y < rows; ++y)
    for (int c = 0; c < columns; ++c) {
      std::uint8_t byte = 0;
      for (int bit = 0; bit < 8; ++bit)
        if (ink(c * 8 + bit, y)) byte |= static_cast<std::uint8_t>(0x80 >> bit);
      bytes.push_back(byte);
    }
  return bytes;
}

// Shapes hatched every other row are more alike two rows down than one, and a picture whose
// halves are alike peaks at half its width: each comes at its own width, told by where shapes
// stop crossing the seams between bytes.
TEST(GuessStripWidth, TellsHatchedRowsFromPicturesWithAlikeHalves) {
  const auto hatched = [](bool outlined) {
    return Draw(3, 192, [=](int x, int y) {
      const int fy = y % 24, fx = x - 12 + (y / 24) % 3;
      const bool body = fx * fx / 64.0 + (fy - 12) * (fy - 12) / 100.0 < 1;
      const bool inner = fx * fx / 49.0 + (fy - 12) * (fy - 12) / 81.0 < 1;
      return outlined ? body && (!inner || fy % 2 == 0)
                      : x > 1 && x < 22 && fy > 1 && fy < 22 && (fy % 2 == 0 || x < 4 || x > 19);
    });
  };
  // Balls and boxes every 12 bytes along a row, hills below them, a frame round it all.
  const Bytes alikeHalves = Draw(24, 64, [](int x, int y) {
    const bool frame = x == 0 || y == 0 || x == 191 || y == 63;
    const bool hill = y > 48 + 4 * std::sin(x / 12.0);
    const double dx = (x % 48) - 24, dy = y - 22;
    const bool ball = dx * dx + dy * dy < 120 && (x / 48) % 2 == 0;
    const bool box = (x / 48) % 2 == 1 && x % 48 > 10 && x % 48 < 36 && y > 12 && y < 34;
    return frame || hill || ball || box;
  });
  const std::pair<const char*, std::pair<Bytes, std::int32_t>> cases[] = {
      {"outlined shapes hatched inside", {hatched(true), 3}},
      {"framed boxes hatched", {hatched(false), 3}},
      {"a picture whose halves are alike", {alikeHalves, 24}},
  };
  for (const auto& [name, c] : cases) EXPECT_EQ(Guess(c.first).ranked[0], c.second) << name;
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
