// bounds.cpp: a run's bounds to the byte, and a font's to the character.
#include "analysis/finder/bounds.h"

#include "analysis/row_clues.h"

#include <algorithm>
#include <array>

namespace pelorin::finder {

namespace {

constexpr double kSettleToll = 0.3;       // of the usual unmatched bits, per pair
constexpr std::int64_t kSettleCells = 4;  // how far inside a run its bounds may move
constexpr int kCharactersBack = 16;       // a font's characters taken in before its evidence
// How much of the evidence for the width the division found a width that divides it must have
// to be the width of the rows.
constexpr double kRowShare = 0.5;
// Rows stored right to left every other row continue, mirrored, into the next with this share
// fewer unmatched pixels than the rows two apart at least, as in the drawn sheets the width
// guess is measured on.
constexpr double kSerpentineMargin = 0.1;
constexpr std::int64_t kSerpentineBytes = 512;  // enough rows to tell by
constexpr std::int64_t kSerpentineTried = 192;  // and to tell where they begin
constexpr std::int32_t kSerpentineWidest = 16;  // two rows of sprites 8 bytes wide

// A character of the font: its spacing column clear, and a blank row where the font has one,
// or anywhere for the few characters (a tilde, a bar) that fill that row.
bool LooksLikeCharacter(const std::uint8_t* p, std::int32_t blankRow, std::uint8_t spacing) {
  if (!std::all_of(p, p + 8, [&](std::uint8_t b) { return (b & spacing) == 0; })) return false;
  return p[blankRow] == 0 || std::find(p, p + 8, 0) != p + 8;
}

}  // namespace

std::int64_t StoredUnit(const GraphicsRegion& region) {
  const SpriteLayout& layout = region.layout;
  if (layout.screen == ScreenLayout::kSpectrumScreen) return kScreenBytes;
  const std::int64_t row = region.width * StoredPerLaid(layout);
  return HasColumns(layout) ? row * layout.columnHeight : row;
}

void WholeUnits(GraphicsRegion& region) {
  const std::int64_t unit = StoredUnit(region);
  region.length = std::max<std::int64_t>(region.length / unit, 1) * unit;
}

Found BoundRun(const std::uint8_t* data, std::int64_t available, std::int64_t origin,
               const std::vector<double>& usualAround, const Segment& segment) {
  const std::int32_t w = segment.width;
  // What continuity is usual around byte i: over the cells near its own, as Weigh has it.
  const auto n = static_cast<std::int64_t>(usualAround.size());
  const auto usual = [&](std::int64_t i) {
    return usualAround[static_cast<std::size_t>(
        std::clamp<std::int64_t>((i - origin) / kCell, 0, n - 1))];
  };
  // Each pair pays a little, so that the bounds do not reach into bytes that agree by chance
  // as often as not; pairs of blank or filled bytes tell nothing either way.
  const auto agreement = [&](std::int64_t i) {
    if (i < 0 || i + w >= available) return -8.0;
    if (!Partial(data[i]) && !Partial(data[i + w])) return 0.0;
    return (1 - kSettleToll) * usual(i) - PairUnmatched(data[i], data[i + w]);
  };
  const std::int64_t first = origin + segment.firstCell * kCell;
  const std::int64_t last = std::min(available, origin + segment.endCell * kCell);
  // Start: the latest byte from which the sum up to a point inside is largest.
  const std::int64_t inside = std::min(first + kSettleCells * kCell, last);
  double sum = 0, bestSum = -1e300;
  std::int64_t start = inside;
  for (std::int64_t i = inside - 1; i >= std::max<std::int64_t>(0, first - 2 * kCell); --i) {
    sum += agreement(i);
    if (sum > bestSum) {
      bestSum = sum;
      start = i;
    }
  }
  const std::int64_t from = std::max(start, last - kSettleCells * kCell);
  sum = 0;
  bestSum = 0;
  std::int64_t pairsEnd = from;
  for (std::int64_t i = from; i < std::min(available - w, last + 2 * kCell); ++i) {
    sum += agreement(i);
    if (sum > bestSum) {
      bestSum = sum;
      pairsEnd = i + 1;
    }
  }
  Found found;
  found.region.start = start;
  found.region.length = std::max<std::int64_t>(pairsEnd + w, start + 1) - start;
  found.region.width = w;
  found.score = segment.score;
  return found;
}

std::int32_t RowWidth(const std::uint8_t* data, const std::vector<Cell>& cells,
                      const Evidence& evidence, std::int64_t origin, std::int64_t start,
                      std::int64_t length, std::int32_t width) {
  const auto first = static_cast<std::size_t>(std::max<std::int64_t>(0, (start - origin) / kCell));
  const auto end = std::min(
      cells.size(), static_cast<std::size_t>((start - origin + length + kCell - 1) / kCell));
  std::array<double, kStates> totals{};
  std::array<std::int64_t, kMaxLag + 1> unmatched{};
  for (std::size_t c = first; c < end; ++c) {
    for (std::size_t v = 1; v < totals.size(); ++v) totals[v] += evidence.widths[c][v];
    for (std::size_t lag = 1; lag < unmatched.size(); ++lag)
      unmatched[lag] += cells[c].unmatched[lag];
  }
  for (std::int32_t d = 1; d < width; ++d) {
    if (width % d != 0 || totals[static_cast<std::size_t>(d)] <= 0) continue;
    // Rows of a pattern every other row (hatching, stripes) continue better two rows down:
    // at half the width, where mask and graphic pairs do not make the peak, that is no reason
    // against.
    const bool striped = 2 * d == width &&
                         !MaskPairs(data + start, std::min(length, kJudgedBytes)) &&
                         HalfRowsEnd(data + start, std::min(length, kJudgedBytes), width);
    const bool rows =
        striped || 2 * d > kMaxLag ||
        unmatched[static_cast<std::size_t>(d)] < unmatched[static_cast<std::size_t>(2 * d)];
    if (rows &&
        totals[static_cast<std::size_t>(d)] >= kRowShare * totals[static_cast<std::size_t>(width)])
      return d;
  }
  return width;
}

std::int32_t SerpentineWidth(const std::uint8_t* data, GraphicsRegion& region, bool pairs) {
  const std::int32_t width = region.width;
  // A row of one byte (or pair) mirrored is itself; the routines that draw so draw sprites of a
  // few bytes, not pictures.
  if (width % (pairs ? 4 : 2) != 0 || width < (pairs ? 8 : 4) || width > kSerpentineWidest)
    return width;
  const std::int32_t half = width / 2;
  const std::uint8_t* p = data + region.start;
  const std::int64_t n = std::min(region.length, kSerpentineBytes);
  const auto unmatched = [&](std::int64_t k, std::int64_t below) {
    return Partial(p[k]) || Partial(p[below]) ? PairUnmatched(p[k], p[below]) : 0;
  };
  std::int64_t twoRows = 0;
  for (std::int64_t k = 0; k + width < n; ++k) twoRows += unmatched(k, k + width);
  // Where the rows begin is not known: each place in a pair of rows is tried on the first
  // rows, and the best one judged on all.
  const auto mirroredFrom = [&](std::int32_t phase, std::int32_t unit, std::int64_t end) {
    std::int64_t mirrored = 0, column = 0;
    for (std::int64_t k = phase; k + width < end; ++k) {
      // The byte (or pair) `column` of a row lies over the one as far from the end of the next.
      const std::int64_t inUnit = unit == 1 ? 0 : column & 1;
      mirrored += unmatched(k, k - column + 2 * half - unit - (column - inUnit) + inUnit);
      if (++column == half) column = 0;
    }
    return mirrored;
  };
  for (std::int32_t unit = pairs ? 2 : 1; unit <= 2 && half % unit == 0; ++unit) {
    std::int32_t best = 0;
    std::int64_t fewest = -1;
    for (std::int32_t phase = 0; phase < width; phase += unit) {
      const std::int64_t mirrored = mirroredFrom(phase, unit, std::min(n, kSerpentineTried));
      if (fewest < 0 || mirrored < fewest) {
        fewest = mirrored;
        best = phase;
      }
    }
    // Per pair, against the rows two apart over as many pairs.
    const double expected = static_cast<double>(twoRows) * static_cast<double>(n - width - best) /
                            static_cast<double>(n - width);
    if (static_cast<double>(mirroredFrom(best, unit, n)) <= (1 - kSerpentineMargin) * expected) {
      const std::int32_t skip = best % half;
      region.start += skip;
      region.length -= skip;
      return half;
    }
  }
  return width;
}

void TakeFilledRows(const std::uint8_t* data, std::int64_t available, GraphicsRegion& region) {
  const std::int64_t w = region.width;
  const std::int64_t most = region.start + 2 * region.length;
  std::int64_t end = region.start + region.length;
  const auto row = [&](std::int64_t at) { return data + at; };
  while (end + 2 * w <= std::min(available, most)) {
    const std::uint8_t* first = row(end);
    if (std::all_of(first, first + w, [](std::uint8_t b) { return b == 0; })) break;
    std::int64_t next = end + w;
    while (next + w <= std::min(available, most) && std::equal(first, first + w, row(next)))
      next += w;
    if (next - end < 2 * w) break;
    end = next;
  }
  region.length = end - region.start;
}

void TakeWholeCharacters(const std::uint8_t* data, std::int64_t available, GraphicsRegion& region,
                         const Judgment& j) {
  const std::uint8_t* p = data + region.start;
  std::int64_t left = 0, right = 0;
  for (std::int64_t i = 0; i < std::min(region.length, kJudgedBytes); ++i) {
    left += (p[i] & 0x80) == 0;
    right += (p[i] & 0x01) == 0;
  }
  const std::uint8_t spacing = left >= right ? 0x80 : 0x01;
  const std::int32_t blankRow = (j.blankRow - j.characterStart + 8) % 8;
  const auto character = [&](std::int64_t at) {
    return at >= 0 && at + 8 <= available && LooksLikeCharacter(data + at, blankRow, spacing);
  };
  std::int64_t start = region.start + j.characterStart - (j.characterStart > 0 ? 8 : 0);
  std::int64_t end = start + (region.start + region.length - start + 7) / 8 * 8;
  for (int steps = 0; steps < kCharactersBack && start + 8 < end && !character(start); ++steps)
    start += 8;
  for (int steps = 0; steps < kCharactersBack && end - 8 > start && !character(end - 8); ++steps)
    end -= 8;
  for (int steps = 0; steps < kCharactersBack && character(start - 8); ++steps) start -= 8;
  for (int steps = 0; steps < kCharactersBack && character(end); ++steps) end += 8;
  region.start = std::max<std::int64_t>(0, start);
  region.length = std::min(end, available) - region.start;
}

}  // namespace pelorin::finder
