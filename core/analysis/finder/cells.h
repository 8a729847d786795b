// cells.h: the finder's measures of every 16 bytes, a cell: how many of their pixels fail to
// continue into the bytes at each distance, and what else tells a font or tiles, from planes
// of the bytes made once per stretch.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "analysis/finder/bits.h"
#include "screen/screen.h"

namespace pelorin::finder {

inline constexpr std::int32_t kCell = 16;
inline constexpr std::int32_t kMaxLag = kMaxStripWidth + 1;  // the widest width and its neighbour
inline constexpr std::int32_t kScreenLag = 256;              // one pixel line down in a screen
inline constexpr std::int32_t kStates = kMaxStripWidth + 1;  // background, then widths 1 to 31
inline constexpr std::int32_t kReach = kScreenLag + kCell + 8;

// How much a width's standing out of the widths beside it counts, against its continuity
// itself, wherever a width is weighed.
inline constexpr double kContrastShare = 0.5;
inline constexpr auto kContrast = static_cast<float>(kContrastShare);

struct Cell {
  // Pixels set in one byte with no pixel set at or beside them in the byte `lag` further on,
  // and the other way round: a line that moves by a pixel from one row to the next still
  // counts as continued, as a dithered fill does.
  std::array<std::uint8_t, kMaxLag + 1> unmatched{};
  std::uint8_t screenUnmatched = 0;
  // Blank bytes with a blank byte 8, 16 or 24 on, and at the 14 distances from 9 to 23 that
  // are no multiple of 8: a font's blank rows, at the same place in every character.
  std::uint8_t blankRowsAligned = 0;
  std::uint8_t blankRowsElsewhere = 0;
  std::uint8_t bytes = 0;
  std::uint8_t edges = 0;   // bytes that hold an edge: neither 0 nor 0xFF
  std::int16_t reach = 0;   // bytes available from the cell's start, up to kReach
  std::uint16_t total = 0;  // unmatched bits over distances 1 to kMaxLag
  bool blank = false;       // every byte the same
  // The unmatched bits one byte on, of the pairs that start at each place in 8, a byte each:
  // tiles 8 rows high continue at all places but the one where a tile ends.
  std::uint64_t places = 0;
};

// Pairs of the cell at the lag whose later byte lies in the bytes available.
inline std::int32_t PairCount(const Cell& cell, std::int32_t lag) {
  return std::clamp<std::int32_t>(cell.reach - lag, 0, cell.bytes);
}

// The unmatched bits beside width w's: the fewer of w - 1 and w + 1; width 1 has one
// neighbour, distance 2.
inline float Side(const Cell& cell, std::int32_t w) {
  return w == 1 ? cell.unmatched[2] : std::min(cell.unmatched[w - 1], cell.unmatched[w + 1]);
}

// The bytes of a scan, and for a stretch of them from `origin` two derived copies that the
// hot loops read as words: each byte widened by a pixel to either side, and 0xFF where it
// holds an edge (neither 0 nor 0xFF).
struct Planes {
  const std::uint8_t* bytes;
  std::int64_t available;
  std::int64_t origin;
  const std::uint8_t* widened;
  const std::uint8_t* edges;
  const std::uint64_t* blank;  // a bit for each byte that is 0, 64 to a word
};

struct PlaneStore {
  std::vector<std::uint8_t> widened;
  std::vector<std::uint8_t> edges;
  std::vector<std::uint64_t> blank;
};

// The planes of the bytes from `from` to `to`, and of the reach of the last cell beyond.
Planes MakePlanes(const std::uint8_t* data, std::int64_t available, std::int64_t from,
                  std::int64_t to, PlaneStore& store);

// The cells of the bytes from `first` to `end`.
std::vector<Cell> MeasureCells(const Planes& planes, std::int64_t first, std::int64_t end);

// A bit for each of the 64 bytes from `at` that is 0, as far as the planes reach.
inline std::uint64_t BlankBits(const Planes& planes, std::int64_t at) {
  const auto here = static_cast<std::size_t>(at - planes.origin);
  const std::uint64_t low = planes.blank[here / 64] >> (here % 64);
  return here % 64 == 0 ? low : low | planes.blank[here / 64 + 1] << (64 - here % 64);
}

// Bits of the pairs from `p` and `lag` bytes further on that count: those of pairs in which
// one byte holds an edge. Where both bytes are all clear or all set, as inside a blank area
// or a filled one, the pair looks the same at every distance and tells nothing of the width.
// The same for the 16 bytes of a whole cell at every lag from 1 to kMaxLag, the words of
// the cell read once.
[[gnu::always_inline]] inline void UnmatchedCell(const Planes& planes, std::int64_t at,
                                                 std::uint8_t* unmatched) {
  const std::uint8_t* bytes = planes.bytes + at;
  const std::uint8_t* widened = planes.widened + (at - planes.origin);
  const std::uint8_t* edges = planes.edges + (at - planes.origin);
  const std::uint64_t x0 = Load(bytes), x1 = Load(bytes + 8);
  const std::uint64_t w0 = Load(widened), w1 = Load(widened + 8);
  const std::uint64_t e0 = Load(edges), e1 = Load(edges + 8);
  for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) {
    const std::uint64_t y0 = Load(bytes + lag), y1 = Load(bytes + 8 + lag);
    const std::uint64_t v0 = Load(widened + lag), v1 = Load(widened + 8 + lag);
    const std::uint64_t f0 = Load(edges + lag), f1 = Load(edges + 8 + lag);
    unmatched[lag] =
        static_cast<std::uint8_t>(std::popcount(((x0 & ~v0) | (y0 & ~w0)) & (e0 | f0)) +
                                  std::popcount(((x1 & ~v1) | (y1 & ~w1)) & (e1 | f1)));
  }
}

[[gnu::always_inline]] inline std::uint64_t UnmatchedBits(const Planes& planes, std::int64_t at,
                                                          std::int32_t lag) {
  const std::uint64_t x = Load(planes.bytes + at), y = Load(planes.bytes + at + lag);
  const std::int64_t here = at - planes.origin;
  const std::uint64_t counted = Load(planes.edges + here) | Load(planes.edges + here + lag);
  return ((x & ~Load(planes.widened + here + lag)) | (y & ~Load(planes.widened + here))) & counted;
}

[[gnu::always_inline]] inline int UnmatchedWord(const Planes& planes, std::int64_t at,
                                                std::int32_t lag) {
  return std::popcount(UnmatchedBits(planes, at, lag));
}

inline int UnmatchedBytes(const std::uint8_t* p, std::int32_t count, std::int32_t lag,
                          const std::uint8_t* end) {
  int bits = 0;
  for (std::int32_t i = 0; i < count && p + i + lag < end; ++i) {
    const std::uint8_t x = p[i], y = p[i + lag];
    if (Partial(x) || Partial(y)) bits += PairUnmatched(x, y);
  }
  return bits;
}

// Whether the cell at `at` has all its bytes before `end` and all the bytes it is measured
// against.
inline bool Whole(const Planes& planes, std::int64_t at, std::int64_t end) {
  return at + kCell <= end && planes.available - at >= kReach;
}

// The cell from `at`: kCell bytes of data, or those before `end`.
[[gnu::always_inline]] inline void MeasureCell(const Planes& planes, std::int64_t at,
                                               std::int64_t end, Cell& cell) {
  const std::uint8_t* data = planes.bytes;
  const std::int64_t available = planes.available;
  const std::uint8_t* stop = data + available;
  const bool whole = Whole(planes, at, end);
  const std::uint8_t* p = data + at;
  const auto count = static_cast<std::int32_t>(std::min<std::int64_t>(kCell, end - at));
  cell.bytes = static_cast<std::uint8_t>(count);
  cell.reach = static_cast<std::int16_t>(std::min<std::int64_t>(kReach, available - at));
  if (count == kCell) {
    const std::uint64_t same = (p[0] * 0x0101010101010101ull);
    cell.blank = Load(p) == same && Load(p + 8) == same;
    const std::uint8_t* edges = planes.edges + (at - planes.origin);
    cell.edges = static_cast<std::uint8_t>(
        (std::popcount(Load(edges)) + std::popcount(Load(edges + 8))) / 8);
  } else {
    cell.blank = std::all_of(p, p + count, [&](std::uint8_t b) { return b == p[0]; });
    cell.edges = static_cast<std::uint8_t>(
        std::count_if(p, p + count, [](std::uint8_t b) { return Partial(b); }));
  }
  if (whole) {
    UnmatchedCell(planes, at, cell.unmatched.data());
  } else {
    for (std::int32_t lag = 1; lag <= kMaxLag; ++lag)
      cell.unmatched[lag] = static_cast<std::uint8_t>(UnmatchedBytes(p, count, lag, stop));
  }
  // The 32 counts added a word at a time, in pairs of 16 bits.
  std::uint64_t pairs = 0;
  for (std::int32_t lag = 1; lag <= kMaxLag; lag += 8) {
    const std::uint64_t counts = Load(cell.unmatched.data() + lag);
    pairs += (counts & 0x00FF00FF00FF00FFull) + (counts >> 8 & 0x00FF00FF00FF00FFull);
  }
  cell.total = static_cast<std::uint16_t>(pairs * 0x0001000100010001ull >> 48);
  if (whole) {
    cell.places =
        BitsPerByte(UnmatchedBits(planes, at, 1)) + BitsPerByte(UnmatchedBits(planes, at + 8, 1));
  } else {
    for (std::int32_t i = 0; i < count && p + i + 1 < stop; ++i)
      if (Partial(p[i]) || Partial(p[i + 1]))
        cell.places += static_cast<std::uint64_t>(PairUnmatched(p[i], p[i + 1])) << (8 * (i % 8));
  }
  cell.screenUnmatched = static_cast<std::uint8_t>(
      whole ? UnmatchedWord(planes, at, kScreenLag) + UnmatchedWord(planes, at + 8, kScreenLag)
            : UnmatchedBytes(p, count, kScreenLag, stop));
  if (whole) {
    const std::uint64_t blank = BlankBits(planes, at);
    for (std::int32_t lag = 8; lag <= 24; ++lag) {
      const auto both = static_cast<std::uint8_t>(std::popcount(blank & (blank >> lag) & 0xFFFF));
      (lag % 8 == 0 ? cell.blankRowsAligned : cell.blankRowsElsewhere) += both;
    }
  } else {
    for (std::int32_t i = 0; i < count; ++i) {
      if (p[i] != 0) continue;
      for (std::int32_t lag = 8; lag <= 24 && p + i + lag < stop; ++lag)
        (lag % 8 == 0 ? cell.blankRowsAligned : cell.blankRowsElsewhere) += p[i + lag] == 0;
    }
  }
}

// The cells from `first` to `end`.
[[gnu::always_inline]] inline void MeasureBody(const Planes& planes, std::int64_t first,
                                               std::int64_t end, Cell* cells) {
  for (std::int64_t at = first; at < end; at += kCell, ++cells)
    MeasureCell(planes, at, end, *cells);
}

}  // namespace pelorin::finder
