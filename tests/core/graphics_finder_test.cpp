// Tests of the graphics finder: each kind of graphics found at its width among code, and
// blank runs, code, text, tables and noise left alone; the same regions however the bytes
// are handed in.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "analysis/graphics_finder.h"

namespace pelorin {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The same numbers on every platform.
struct Random {
  std::uint32_t state;
  std::uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
};

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

// `frames` balls in boxes `columns` bytes wide and 20 rows high, moving a pixel a frame.
Bytes Balls(int columns, int frames) {
  Bytes bytes;
  for (int f = 0; f < frames; ++f) {
    const Bytes frame = Draw(columns, 20, [&](int x, int y) {
      const double dx = x - columns * 4 + f % 3, dy = y - 10;
      return dx * dx / (columns * columns * 14) + dy * dy / 80 < 1;
    });
    bytes.insert(bytes.end(), frame.begin(), frame.end());
  }
  return bytes;
}

// `frames` rings in boxes `columns` bytes wide and 16 rows high: outlines a pixel thick, whose
// rows share few bytes exactly.
Bytes Rings(int columns, int frames) {
  Bytes bytes;
  for (int f = 0; f < frames; ++f) {
    const Bytes frame = Draw(columns, 16, [&](int x, int y) {
      const double dx = (x - columns * 4 + f % 3) / (columns * 3.5), dy = (y - 7.5) / 7.5;
      return std::abs(std::sqrt(dx * dx + dy * dy) - 1) < 0.04;
    });
    bytes.insert(bytes.end(), frame.begin(), frame.end());
  }
  return bytes;
}

// `frames` figures one byte wide in pixels two rows high, each pixel row the one above
// moved left or right, opened in its middle, or kept.
Bytes BlockyFigures(std::uint32_t seed, int frames) {
  Random random{seed};
  Bytes bytes;
  for (int f = 0; f < frames; ++f) {
    if (f > 0) bytes.insert(bytes.end(), 2, 0);
    std::uint8_t row = 0x18;
    for (int y = 0; y < 12; ++y) {
      const int step = random.Below(5);
      row = static_cast<std::uint8_t>(step == 0   ? row << 1 | 1
                                      : step == 1 ? row >> 1
                                      : step == 2 ? row ^ 0x24
                                                  : row);
      if (row == 0) row = 0x18;
      bytes.insert(bytes.end(), 2, row);
    }
  }
  return bytes;
}

// Each byte of the balls beside its mask, which clears the ball and a pixel around it.
Bytes MaskedBalls(int columns, int frames) {
  const Bytes balls = Balls(columns, frames);
  Bytes bytes;
  for (std::size_t i = 0; i < balls.size(); ++i) {
    const std::uint8_t b = balls[i];
    bytes.push_back(b);
    bytes.push_back(static_cast<std::uint8_t>(~(b | b << 1 | b >> 1)));
  }
  return bytes;
}

// The balls stored a column of bytes after another, each top to bottom.
Bytes ColumnBalls(int columns, int frames) {
  const Bytes balls = Balls(columns, frames);
  Bytes bytes;
  for (int f = 0; f < frames; ++f)
    for (int c = 0; c < columns; ++c)
      for (int y = 0; y < 20; ++y) bytes.push_back(balls[(f * 20 + y) * columns + c]);
  return bytes;
}

// `frames` wedges 3 bytes wide and 20 rows high, every other row stored right to left, byte by
// byte, as some engines draw them.
Bytes SerpentineWedges(int frames) {
  Bytes bytes;
  for (int f = 0; f < frames; ++f) {
    Bytes frame = Draw(3, 20, [&](int x, int y) {
      return x > 2 + f % 3 && x < 4 + y * 18 / 20 && (y < 16 || x % 5 != 0);
    });
    for (std::size_t row = 1; row < 20; row += 2)
      std::reverse(frame.begin() + static_cast<std::ptrdiff_t>(3 * row),
                   frame.begin() + static_cast<std::ptrdiff_t>(3 * row + 3));
    bytes.insert(bytes.end(), frame.begin(), frame.end());
  }
  return bytes;
}

// The balls, each byte before its mask, stored column by column as engines that shift sprites
// store them: 8 blank rows below each column, and a blank column after each frame to shift into.
Bytes PaddedColumnBalls(int columns, int frames) {
  const Bytes balls = Balls(columns, frames);
  Bytes bytes;
  const auto pair = [&](std::uint8_t b) {
    bytes.push_back(b);
    bytes.push_back(static_cast<std::uint8_t>(~(b | b << 1 | b >> 1)));
  };
  for (int f = 0; f < frames; ++f)
    for (int c = 0; c <= columns; ++c) {
      for (int y = 0; y < 20; ++y)
        pair(c < columns ? balls[static_cast<std::size_t>((f * 20 + y) * columns + c)] : 0);
      for (int y = 0; y < 8; ++y) pair(0);
    }
  return bytes;
}

// 64 letters of strokes on an 8 x 8 grid, the first row and the last column blank, as in
// the machine's own font.
Bytes Font() {
  Random random{7};
  Bytes bytes(8, 0);  // the space
  for (int g = 1; g < 64; ++g) {
    std::uint8_t glyph[8] = {};
    for (int s = 2 + random.Below(3); s > 0; --s) {
      const int a = 1 + random.Below(5), from = 1 + random.Below(3), to = 4 + random.Below(4);
      const bool down = random.Below(2) == 0;
      for (int t = from; t <= to; ++t)
        glyph[down ? t : a] |= static_cast<std::uint8_t>(0x80 >> (down ? a : t));
    }
    bytes.insert(bytes.end(), glyph, glyph + 8);
  }
  return bytes;
}

// A scene 24 bytes wide: a frame, hills and a few balls and boxes.
Bytes Picture() {
  return Draw(24, 64, [](int x, int y) {
    const bool frame = x == 0 || y == 0 || x == 191 || y == 63;
    const bool hill = y > 48 + 4 * std::sin(x / 12.0);
    const double dx = (x % 48) - 24, dy = y - 22;
    const bool ball = dx * dx + dy * dy < 120 && (x / 48) % 2 == 0;
    const bool box = (x / 48) % 2 == 1 && x % 48 > 10 && x % 48 < 36 && y > 12 && y < 34;
    return frame || hill || ball || box;
  });
}

// A whole screen of such a scene from line `first` to line `last`, blank elsewhere, in the
// machine's line order, its colours after it.
Bytes Screen(int first = 0, int last = 192) {
  const Bytes lines = Draw(32, 192, [&](int x, int y) {
    if (y < first || y >= last) return false;
    const double dx = x - 70, dy = y - 60, ex = x - 180, ey = y - 100;
    const bool box = x > 120 && x < 230 && y > 20 && y < 50;
    return dx * dx + dy * dy < 1600 || ex * ex / 4 + ey * ey < 900 || box ||
           y > 160 + 6 * std::sin(x / 20.0);
  });
  Bytes bytes(6912, 0x38);
  for (int y = 0; y < 192; ++y)
    for (int c = 0; c < 32; ++c)
      bytes[static_cast<std::size_t>((y & 7) * 256 + ((y >> 3) & 7) * 32 + (y >> 6) * 2048 + c)] =
          lines[static_cast<std::size_t>(y * 32 + c)];
  return bytes;
}

// Machine code of the kind games hold: loads, calls, jumps, arithmetic, with their operands.
Bytes Code(std::size_t count, std::uint32_t seed) {
  // Opcode, then how many operand bytes it takes.
  constexpr std::uint8_t kInstructions[][2] = {
      {0x3E, 1}, {0x21, 2}, {0xCD, 2}, {0xC9, 0}, {0x18, 1}, {0x20, 1}, {0x28, 1}, {0x7E, 0},
      {0x77, 0}, {0x23, 0}, {0x2B, 0}, {0xFE, 1}, {0xE6, 1}, {0x11, 2}, {0x01, 2}, {0xC3, 2},
      {0x3A, 2}, {0x32, 2}, {0x10, 1}, {0xD5, 0}, {0xE1, 0}, {0x47, 0}, {0x78, 0}, {0x19, 0},
      {0xB7, 0}, {0xED, 1}, {0xDD, 2}, {0xCB, 1}, {0x06, 1}, {0x0E, 1}, {0xAF, 0}, {0x4F, 0}};
  Random random{seed};
  Bytes bytes;
  while (bytes.size() < count) {
    const auto& [opcode, operands] = kInstructions[random.Below(32)];
    bytes.push_back(opcode);
    for (int i = 0; i < operands; ++i)
      bytes.push_back(
          static_cast<std::uint8_t>(i == 1 ? 0x60 + random.Below(0x90) : random.Below(256)));
  }
  bytes.resize(count);
  return bytes;
}

Bytes Text(std::size_t count) {
  const std::string words = "Press fire to start. You have found the golden key in the castle! ";
  Bytes bytes;
  while (bytes.size() < count) bytes.insert(bytes.end(), words.begin(), words.end());
  bytes.resize(count);
  return bytes;
}

Bytes Noise(std::size_t count, std::uint32_t seed) {
  Random random{seed};
  Bytes bytes;
  for (std::size_t i = 0; i < count; ++i) bytes.push_back(static_cast<std::uint8_t>(random.Next()));
  return bytes;
}

// A table of addresses, one record of 12 bytes apart.
Bytes Addresses(std::size_t count) {
  Bytes bytes;
  for (int address = 0x8000; bytes.size() < count; address += 12) {
    bytes.push_back(static_cast<std::uint8_t>(address));
    bytes.push_back(static_cast<std::uint8_t>(address >> 8));
  }
  return bytes;
}

struct FinderCase {
  const char* name;
  Bytes graphics;      // planted between code; empty: the filler alone
  std::int32_t width;  // the width it must be found at; 0: kind screen
  GraphicsKind kind;
  SpriteLayout layout;
  bool exact = false;  // found from its first byte on
};

constexpr SpriteLayout kGraphicFirst{ScreenLayout::kStrips, MaskOrder::kGraphicFirst};
constexpr SpriteLayout kScreenLayout{ScreenLayout::kSpectrumScreen};
constexpr SpriteLayout kColumns20{ScreenLayout::kStrips, MaskOrder::kNotMasked, false, 20};
constexpr SpriteLayout kMaskedColumns28{ScreenLayout::kStrips, MaskOrder::kGraphicFirst, false, 28};

// Graphics with code before and after: found at their width under their layout, over at
// least half of them, starting within two rows of their start (on it where it is known by
// the layout); nothing else reported.
TEST(FindGraphics, FindsEachKindAtItsWidthAndNothingAroundIt) {
  const FinderCase cases[] = {
      {"a font of 8 x 8 letters", Font(), 1, GraphicsKind::kFont, {}},
      {"frames 3 bytes wide", Balls(3, 10), 3, GraphicsKind::kSprites, {}},
      {"outlined frames 3 bytes wide", Rings(3, 6), 3, GraphicsKind::kSprites, {}},
      {"masked frames", MaskedBalls(2, 10), 2, GraphicsKind::kSprites, kGraphicFirst},
      {"frames stored column by column", ColumnBalls(2, 10), 2, GraphicsKind::kSprites, kColumns20},
      {"a picture 24 bytes wide", Picture(), 24, GraphicsKind::kPicture, {}},
      {"a whole screen", Screen(), 0, GraphicsKind::kScreen, kScreenLayout},
      {"a screen whose first third is blank", Screen(64), 0, GraphicsKind::kScreen, kScreenLayout},
      {"a title over a blank screen", Screen(0, 64), 0, GraphicsKind::kScreen, kScreenLayout},
      {"frames with every other row stored right to left",
       SerpentineWedges(10),
       3,
       GraphicsKind::kSprites,
       {}},
      {"masked frames by columns, padded below, a column to shift into", PaddedColumnBalls(2, 6), 3,
       GraphicsKind::kSprites, kMaskedColumns28, true},
  };
  for (const FinderCase& c : cases) {
    Bytes bytes = Code(3000, 1);
    const auto start = static_cast<std::int64_t>(bytes.size());
    bytes.insert(bytes.end(), c.graphics.begin(), c.graphics.end());
    const Bytes after = Code(3000, 2);
    bytes.insert(bytes.end(), after.begin(), after.end());
    const auto length = static_cast<std::int64_t>(c.graphics.size());
    const auto regions = FindGraphics(bytes.data(), std::ssize(bytes));
    ASSERT_FALSE(regions.empty()) << c.name;
    const GraphicsRegion& r = regions.front();
    EXPECT_EQ(regions.size(), 1u) << c.name << ": only the graphics";
    EXPECT_EQ(r.kind, c.kind) << c.name;
    EXPECT_EQ(r.layout, c.layout) << c.name;
    EXPECT_EQ(c.width > 0 ? r.width : 0, c.width) << c.name;
    const std::int64_t covered =
        std::min(r.start + r.length, start + length) - std::max(r.start, start);
    EXPECT_GE(2 * covered, length) << c.name;
    const std::int64_t row = IsMasked(r.layout) ? 2 * r.width : std::max(r.width, 1);
    EXPECT_LE(std::abs(r.start - start), c.exact ? 0 : 2 * row)
        << c.name << ": starts at " << r.start;
    EXPECT_GE(r.confidence, 1) << c.name;
    EXPECT_LE(r.confidence, 100) << c.name;
  }
}

// Rows that repeat in runs, as a level map's numbers do, but change by a pixel or two.
TEST(FindGraphics, FindsFiguresInBlocksAmongCode) {
  for (const std::uint32_t seed : {2u, 5u, 9u}) {
    Bytes bytes = Code(3000, 1);
    const auto start = static_cast<std::int64_t>(bytes.size());
    const Bytes figures = BlockyFigures(seed, 8), after = Code(3000, 2);
    bytes.insert(bytes.end(), figures.begin(), figures.end());
    bytes.insert(bytes.end(), after.begin(), after.end());
    const auto regions = FindGraphics(bytes.data(), std::ssize(bytes));
    ASSERT_EQ(regions.size(), 1u) << seed;
    EXPECT_EQ(regions[0].width, 1) << seed;
    EXPECT_LE(std::abs(regions[0].start - start), 8) << seed;
    EXPECT_GE(regions[0].length, std::ssize(figures) / 2) << seed;
  }
}

TEST(FindGraphics, ReportsNoBlankRunsCodeTextTablesOrNoise) {
  const std::pair<const char*, Bytes> cases[] = {
      {"zeros", Bytes(20000, 0)},
      {"one byte repeated", Bytes(20000, 0xE5)},
      {"code", Code(20000, 3)},
      {"text", Text(20000)},
      {"a table of addresses", Addresses(4000)},
      {"noise", Noise(200000, 4)},
  };
  for (const auto& [name, bytes] : cases)
    EXPECT_TRUE(FindGraphics(bytes.data(), std::ssize(bytes)).empty()) << name;
}

// Fed in pieces of any size, smaller or larger than a scan, or all at once, and more than a
// scan's worth of them, the bytes give the same regions, offset by the origin; a region longer
// than a scan comes out whole.
TEST(GraphicsFinder, GivesTheSameRegionsHoweverTheBytesArriveAndCountsFromTheOrigin) {
  Bytes bytes;
  while (bytes.size() < 3'000'000) {
    const Bytes parts[] = {Code(5000, static_cast<std::uint32_t>(bytes.size())), Balls(3, 10),
                           Font(), Picture()};
    for (const Bytes& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
  }
  const Bytes sheet = Balls(5, 12000);  // 1.2 MB of one sheet
  bytes.insert(bytes.end(), sheet.begin(), sheet.end());
  const auto whole = FindGraphics(bytes.data(), std::ssize(bytes));
  ASSERT_GT(whole.size(), 100u);
  EXPECT_EQ(whole.back().width, 5);
  EXPECT_GE(whole.back().length, std::ssize(sheet) - 5 * 20) << "the long sheet in one piece";
  for (const std::size_t piece : {1u, 4096u, 999'983u, 1'500'007u, 2'600'000u}) {
    GraphicsFinder finder(1000);
    std::vector<GraphicsRegion> found;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      finder.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
      const auto taken = finder.TakeRegions();
      found.insert(found.end(), taken.begin(), taken.end());
    }
    finder.Finish();
    const auto rest = finder.TakeRegions();
    found.insert(found.end(), rest.begin(), rest.end());
    ASSERT_EQ(found.size(), whole.size()) << piece;
    for (std::size_t i = 0; i < found.size(); ++i) {
      GraphicsRegion expected = whole[i];
      expected.start += 1000;
      EXPECT_EQ(found[i], expected) << piece << " " << i;
    }
  }
}

}  // namespace
}  // namespace pelorin
