// graphics_finder.cpp: the graphics finder.
#include "analysis/graphics_finder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "screen/screen.h"

namespace pelorin {

namespace {

constexpr std::int32_t kCell = 16;
constexpr std::int32_t kMaxLag = kMaxStripWidth + 1;  // the widest width and its neighbour
constexpr std::int32_t kScreenLag = 256;              // one pixel line down in a screen
constexpr std::int32_t kLookahead = kScreenLag + kCell;
constexpr std::int64_t kScanBytes = 1 << 20;
constexpr std::int64_t kHold = 16 << 10;  // regions that end this close to a scan's end wait

constexpr std::int32_t kStates = kMaxStripWidth + 1;  // background, then widths 1 to 31

// Tuning.
constexpr double kContrastShare = 0.5;
constexpr double kCellCost = 1.0;
constexpr double kBlankCellCost = 0.25;
constexpr double kEntryCost = 12.0;
constexpr double kReportScore = 20.0;
constexpr double kScreenScore = 200.0;
constexpr double kCharacterCost = 2.0;
// Width 1 is compared with distance 2 alone, where the others take the likelier of two
// neighbours: this evens out what the noise gives it.
constexpr double kWidthOneCost = 0.5;

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
  bool blank = false;  // every byte the same
};

std::uint64_t Load(const std::uint8_t* p) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  return word;
}

// Each byte of the word with its pixels widened by one to either side.
std::uint64_t Widen(std::uint64_t word) {
  return word | ((word >> 1) & 0x7F7F7F7F7F7F7F7Full) | ((word << 1) & 0xFEFEFEFEFEFEFEFEull);
}

std::uint8_t WidenByte(std::uint8_t byte) {
  return static_cast<std::uint8_t>(byte | byte >> 1 | byte << 1);
}

bool Partial(std::uint8_t byte) {
  return byte != 0 && byte != 0xFF;
}

// Bits of the pairs from `p` and `lag` bytes further on that count: those of pairs in which
// one byte holds an edge. Where both bytes are all clear or all set, as inside a blank area
// or a filled one, the pair looks the same at every distance and tells nothing of the width.
std::uint8_t Unmatched(const std::uint8_t* p, const std::uint8_t* edge, std::int32_t count,
                       std::int32_t lag, const std::uint8_t* end) {
  if (count == kCell && p + count + lag + 8 <= end) {
    int bits = 0;
    for (int half = 0; half < 2; ++half) {
      const std::uint64_t x = Load(p + 8 * half), y = Load(p + 8 * half + lag);
      const std::uint64_t counted = Load(edge + 8 * half) | Load(edge + 8 * half + lag);
      bits += std::popcount(((x & ~Widen(y)) | (y & ~Widen(x))) & counted);
    }
    return static_cast<std::uint8_t>(bits);
  }
  int bits = 0;
  for (std::int32_t i = 0; i < count && p + i + lag < end; ++i) {
    const std::uint8_t x = p[i], y = p[i + lag];
    if (Partial(x) || Partial(y))
      bits +=
          std::popcount(static_cast<unsigned>((x & ~WidenByte(y)) | (y & ~WidenByte(x))) & 0xFFu);
  }
  return static_cast<std::uint8_t>(bits);
}

std::vector<Cell> MeasureCells(const std::uint8_t* data, std::int64_t span,
                               std::int64_t available) {
  std::vector<Cell> cells(static_cast<std::size_t>((span + kCell - 1) / kCell));
  std::vector<std::uint8_t> edges(static_cast<std::size_t>(available) + 8);
  for (std::int64_t i = 0; i < available; ++i)
    edges[static_cast<std::size_t>(i)] = Partial(data[i]) ? 0xFF : 0;
  const std::uint8_t* end = data + available;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    Cell& cell = cells[c];
    const std::uint8_t* p = data + c * kCell;
    const std::uint8_t* edge = edges.data() + c * kCell;
    const auto count = static_cast<std::int32_t>(std::min<std::int64_t>(kCell, span - c * kCell));
    cell.bytes = static_cast<std::uint8_t>(count);
    cell.blank = std::all_of(p, p + count, [&](std::uint8_t b) { return b == p[0]; });
    for (std::int32_t lag = 1; lag <= kMaxLag; ++lag)
      cell.unmatched[lag] = Unmatched(p, edge, count, lag, end);
    cell.screenUnmatched = Unmatched(p, edge, count, kScreenLag, end);
    for (std::int32_t i = 0; i < count; ++i) {
      if (p[i] != 0) continue;
      for (std::int32_t lag = 8; lag <= 24 && p + i + lag < end; ++lag)
        (lag % 8 == 0 ? cell.blankRowsAligned : cell.blankRowsElsewhere) += p[i + lag] == 0;
    }
  }
  return cells;
}

// Pairs of the cell at the lag whose later byte lies in the bytes available.
std::int32_t PairCount(std::size_t c, const Cell& cell, std::int32_t lag, std::int64_t available) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      available - lag - static_cast<std::int64_t>(c) * kCell, 0, cell.bytes));
}

// The evidence of each cell for each width: how much better its bytes continue into those
// one row down than into those at the other distances around it, and than into the bytes
// diagonally below, in standard deviations.
struct Evidence {
  std::vector<std::array<float, kStates>> widths;  // per cell: 0 for background, then widths
  std::vector<float> screen;  // per cell: continuity 256 bytes on, one pixel line down a screen
};

Evidence Weigh(const std::vector<Cell>& cells, std::int64_t available) {
  Evidence weighed;
  weighed.widths.resize(cells.size());
  weighed.screen.resize(cells.size());
  auto& evidence = weighed.widths;
  const auto n = static_cast<std::ptrdiff_t>(cells.size());
  for (std::ptrdiff_t c = 0; c < n; ++c) {
    const Cell& cell = cells[static_cast<std::size_t>(c)];
    auto& e = evidence[static_cast<std::size_t>(c)];
    e[0] = 0;
    std::int64_t total = 0, pairs = 0;
    for (std::ptrdiff_t d = std::max<std::ptrdiff_t>(0, c - 2); d <= std::min(n - 1, c + 2); ++d)
      for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) {
        total += cells[static_cast<std::size_t>(d)].unmatched[lag];
        pairs += PairCount(static_cast<std::size_t>(d), cells[static_cast<std::size_t>(d)], lag,
                           available);
      }
    if (cell.blank || total == 0) {
      e.fill(static_cast<float>(-kBlankCellCost));
      e[0] = 0;
      continue;
    }
    const double base = static_cast<double>(total) / static_cast<double>(pairs);
    const std::int32_t screenPairs =
        PairCount(static_cast<std::size_t>(c), cell, kScreenLag, available);
    weighed.screen[static_cast<std::size_t>(c)] = static_cast<float>(
        (base * screenPairs - cell.screenUnmatched) / std::sqrt(base * screenPairs + 1));
    for (std::int32_t w = 1; w <= kMaxStripWidth; ++w) {
      const std::int32_t count = PairCount(static_cast<std::size_t>(c), cell, w, available);
      if (count == 0) {
        e[w] = static_cast<float>(-kCellCost);
        continue;
      }
      const double expected = base * count;
      const double side =
          w == 1 ? cell.unmatched[2] : std::min(cell.unmatched[w - 1], cell.unmatched[w + 1]);
      const double contrast = side - cell.unmatched[w];
      e[w] = static_cast<float>((expected - cell.unmatched[w] + kContrastShare * contrast) /
                                    std::sqrt(expected + 1) -
                                kCellCost);
    }
    // Characters 8 rows high, one after another: beside the rows continuing within each
    // character, every character is laid out as the others are (a blank row at the same
    // place, the letters' sides in the same columns), whose likeness at 8, 16 and 24 bytes
    // holds as well for the third character on as for the next. A sheet 8 bytes wide is
    // most alike one row down and less so further.
    const double layout = std::min({e[8], e[16], e[24]}) + kCellCost;
    const double elsewhere = (cell.blankRowsElsewhere + 1.0) * 3 / 14;
    const double blankRows = (cell.blankRowsAligned - elsewhere) / std::sqrt(elsewhere + 1);
    e[1] += static_cast<float>(std::max(0.0, layout + blankRows - kCharacterCost) - kWidthOneCost);
  }
  return weighed;
}

struct Segment {
  std::int64_t firstCell;
  std::int64_t endCell;
  std::int32_t width;
  double score;
};

// The best division of the cells into background and runs of one width each: entering a
// run costs kEntryCost, so that a run is kept only where its evidence pays for it.
std::vector<Segment> Divide(const std::vector<std::array<float, kStates>>& evidence) {
  const std::size_t n = evidence.size();
  std::vector<Segment> segments;
  if (n == 0) return segments;
  std::vector<std::uint32_t> stayed(n);  // bit w: state w continued from the cell before
  std::vector<std::uint8_t> best(n);     // the best state at each cell
  std::array<double, kStates> score{};
  double bestBefore = 0;
  for (std::size_t c = 0; c < n; ++c) {
    std::uint32_t stay = 0;
    std::array<double, kStates> next{};
    next[0] = bestBefore;
    for (std::int32_t w = 1; w < kStates; ++w) {
      const double enter = bestBefore - kEntryCost;
      const double keep = c == 0 ? -1e300 : score[w];
      if (keep >= enter) stay |= 1u << w;
      next[w] = evidence[c][w] + std::max(keep, enter);
    }
    score = next;
    std::int32_t top = 0;
    for (std::int32_t w = 1; w < kStates; ++w)
      if (score[w] > score[top]) top = w;
    best[c] = static_cast<std::uint8_t>(top);
    bestBefore = score[top];
    stayed[c] = stay;
  }
  std::vector<std::uint8_t> state(n);
  std::int32_t s = best[n - 1];
  for (std::size_t c = n; c-- > 0;) {
    state[c] = static_cast<std::uint8_t>(s);
    if (c == 0) break;
    if (s == 0 || (stayed[c] >> s & 1) == 0) s = best[c - 1];
  }
  for (std::size_t c = 0; c < n;) {
    std::size_t end = c + 1;
    while (end < n && state[end] == state[c]) ++end;
    if (state[c] != 0) {
      double total = 0;
      for (std::size_t d = c; d < end; ++d) total += evidence[d][state[c]];
      segments.push_back(
          {static_cast<std::int64_t>(c), static_cast<std::int64_t>(end), state[c], total});
    }
    c = end;
  }
  return segments;
}

std::int32_t PairUnmatched(std::uint8_t x, std::uint8_t y) {
  return std::popcount(static_cast<unsigned>((x & ~WidenByte(y)) | (y & ~WidenByte(x))) & 0xFFu);
}

// The stretch's statistics at one width, over its bytes.
struct Judgment {
  double correlation = 0;       // continuity one row down against that at other distances
  double exactCorrelation = 0;  // of the bits one row apart
  double worstBit = 0;          // the least correlated bit that varies
  std::int64_t inked = 0;       // bytes neither 0 nor 0xFF
  double maskedShare = 0;       // pairs of the best phase whose mask clears the graphic
  bool font = false;
  bool tiles = false;
  double text = 0;     // share of bytes that are letters, digits, blanks or punctuation
  double letters = 0;  // share of bytes that are letters
  int bitsUsed = 0;    // pixel columns of the byte that hold ink in some rows
  double runs = 0;     // share of inked bytes equal to the byte before
  double ragged = 0;   // ink edges per byte that starts a run, as likely by chance as not
};

Judgment Judge(const std::uint8_t* p, std::int64_t length, std::int32_t width) {
  Judgment j;
  std::array<std::int64_t, 8> set{}, differ{};
  const std::int64_t pairs = length - width;
  for (std::int64_t i = 0; i < length; ++i) {
    j.inked += p[i] != 0 && p[i] != 0xFF;
    for (int k = 0; k < 8; ++k) set[k] += (p[i] >> k) & 1;
  }
  for (std::int64_t i = 0; i < pairs; ++i) {
    const unsigned x = p[i] ^ p[i + width];
    for (int k = 0; k < 8; ++k) differ[k] += (x >> k) & 1;
  }
  double chanceAll = 0, differAll = 0;
  j.worstBit = 1;
  for (int k = 0; k < 8; ++k) {
    const double q = 2.0 * set[k] / length * (1 - static_cast<double>(set[k]) / length);
    const double v = pairs > 0 ? static_cast<double>(differ[k]) / pairs : 0;
    chanceAll += q;
    differAll += v;
    if (q >= 0.1) j.worstBit = std::min(j.worstBit, 1 - v / q);
  }
  j.exactCorrelation = chanceAll > 0 ? 1 - differAll / chanceAll : 0;
  // Continuity one row down, against that at every other distance.
  double unmatched[kMaxLag + 1] = {};
  for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) {
    std::int64_t bits = 0, counted = 0;
    for (std::int64_t i = 0; i + lag < length; ++i) {
      if (!Partial(p[i]) && !Partial(p[i + lag])) continue;
      bits += PairUnmatched(p[i], p[i + lag]);
      ++counted;
    }
    unmatched[lag] = counted > 0 ? static_cast<double>(bits) / counted : 0;
  }
  // Against the distances that are no multiple of 8: characters 8 rows high are alike at
  // those that are, row for row, as much as from one row to the next.
  double base = 0;
  for (std::int32_t lag = 1; lag <= kMaxLag; ++lag)
    if (lag % 8 != 0) base += unmatched[lag] / (kMaxLag - kMaxLag / 8);
  const double continued = width == 1 ? std::min(unmatched[1], unmatched[8]) : unmatched[width];
  j.correlation = base > 0 ? 1 - continued / base : 0;
  std::int64_t printable = 0, letters = 0, repeats = 0, starts = 0, edges = 0;
  for (std::int64_t i = 0; i < length; ++i) {
    const std::uint8_t b = p[i] & 0x7F;
    printable += (p[i] >= 0x20 && p[i] < 0x7F) || (p[i] > 0xA0 && b >= 0x21 && b < 0x7F);
    letters += (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
    if (p[i] == 0) continue;
    if (i > 0 && p[i] == p[i - 1]) {
      ++repeats;
    } else {
      ++starts;
      edges += std::popcount(static_cast<unsigned>((p[i] ^ (p[i] >> 1)) & 0x7F));
    }
  }
  j.text = static_cast<double>(printable) / length;
  j.letters = static_cast<double>(letters) / length;
  const std::int64_t nonzero = repeats + starts;
  j.runs = nonzero > 0 ? static_cast<double>(repeats) / nonzero : 0;
  j.ragged = starts > 0 ? static_cast<double>(edges) / starts : 0;
  for (int k = 0; k < 8; ++k) j.bitsUsed += set[k] * 33 >= nonzero && set[k] > 0;
  if (width % 2 == 0) {
    for (int phase = 0; phase < 2; ++phase) {
      std::int64_t clear = 0, counted = 0;
      for (std::int64_t i = phase; i + 1 < length; i += 2) {
        const std::uint8_t a = p[i], b = p[i + 1];
        if ((a | b) == 0) continue;
        ++counted;
        clear += (a & b) == 0 && (a | b) != 0 && (a == 0xFF || b == 0xFF || (a != 0 && b != 0));
      }
      if (counted > 0)
        j.maskedShare = std::max(j.maskedShare, static_cast<double>(clear) / counted);
    }
  }
  if (width == 1 && length >= 16) {
    // Letters stand apart: a blank row at one place in most characters, and a blank column.
    std::int64_t blankRows[8] = {};
    for (std::int64_t i = 0; i < length; ++i) blankRows[i % 8] += p[i] == 0;
    const std::int64_t glyphs = length / 8;
    const std::int64_t most = *std::max_element(std::begin(blankRows), std::end(blankRows));
    std::int64_t edgeClear = 0;
    for (std::int64_t i = 0; i < length; ++i) edgeClear += (p[i] & 0x01) == 0 || (p[i] & 0x80) == 0;
    j.font = most * 10 >= glyphs * 6 && edgeClear * 10 >= length * 9;
    j.tiles = !j.font;
  }
  return j;
}

// What tells pictures from the other things that repeat at a distance: tables of numbers,
// whose low bits count or hop while the high ones stay, or that use only some of the bits;
// text; runs of numbers such as a level map holds, whose values are ragged where shapes are
// whole.
bool LooksLikePictures(const Judgment& j, std::int32_t width) {
  if (j.inked < 4 || j.correlation < 0.2 || j.worstBit < -0.15) return false;
  if (j.text >= 0.9 && j.letters >= 0.5) return false;
  if (j.bitsUsed < 6) return false;
  return !(width == 1 && j.runs >= 0.5 && j.ragged >= 2.0);
}

struct Found {
  GraphicsRegion region;
  double score;
};

// The byte where a run's evidence begins and the byte after its last row, found from how
// well each byte continues into the one a row down, around the cells' coarse bounds.
Found Settle(const std::uint8_t* data, std::int64_t available, const std::vector<Cell>& cells,
             const Segment& segment) {
  const std::int32_t w = segment.width;
  std::int64_t total = 0, pairs = 0;
  for (std::int64_t c = segment.firstCell; c < segment.endCell; ++c)
    for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) {
      total += cells[static_cast<std::size_t>(c)].unmatched[lag];
      pairs += PairCount(static_cast<std::size_t>(c), cells[static_cast<std::size_t>(c)], lag,
                         available);
    }
  const double base = pairs > 0 ? static_cast<double>(total) / static_cast<double>(pairs) : 0;
  const auto agreement = [&](std::int64_t i) {
    if (i < 0 || i + w >= available) return -8.0;
    if (!Partial(data[i]) && !Partial(data[i + w])) return 0.0;
    return base - PairUnmatched(data[i], data[i + w]);
  };
  const std::int64_t first = segment.firstCell * kCell;
  const std::int64_t last = std::min(available, segment.endCell * kCell);
  // Start: the latest byte from which the sum up to a point inside is largest.
  const std::int64_t inside = std::min(first + kCell, last);
  double sum = 0, bestSum = -1e300;
  std::int64_t start = inside;
  for (std::int64_t i = inside - 1; i >= std::max<std::int64_t>(0, first - 2 * kCell); --i) {
    sum += agreement(i);
    if (sum > bestSum) {
      bestSum = sum;
      start = i;
    }
  }
  const std::int64_t from = std::max(start, last - kCell);
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

GraphicsKind KindOf(const Judgment& j, std::int32_t width) {
  if (j.maskedShare >= 0.9) return GraphicsKind::kMasked;
  if (width == 1) return j.font ? GraphicsKind::kFont : GraphicsKind::kTiles;
  return width > 16 ? GraphicsKind::kPicture : GraphicsKind::kSprites;
}

// Whole screens: 6,144 pixel bytes whose lines continue 256 bytes on, within each third but
// for its last line of each row of cells, then 768 attribute bytes. Found where that
// continuity over a screen's cells outweighs what any strip width makes of them, and placed
// to the byte where the lines' pairs agree best.
std::vector<Found> FindScreens(const std::uint8_t* data, std::int64_t available,
                               const std::vector<Cell>& cells, const Evidence& evidence) {
  constexpr std::int64_t kPixelCells = kPixelBytes / kCell;
  std::vector<Found> screens;
  const auto n = static_cast<std::int64_t>(cells.size());
  if (n < kPixelCells || available < kScreenBytes) return screens;
  std::vector<double> sum(static_cast<std::size_t>(n) + 1, 0);
  for (std::int64_t c = 0; c < n; ++c)
    sum[static_cast<std::size_t>(c) + 1] =
        sum[static_cast<std::size_t>(c)] + evidence.screen[static_cast<std::size_t>(c)];
  const auto window = [&](std::int64_t c) {
    return sum[static_cast<std::size_t>(c + kPixelCells)] - sum[static_cast<std::size_t>(c)];
  };
  for (std::int64_t c = 0; c + kPixelCells <= n;) {
    const double score = window(c);
    if (score < kScreenScore) {
      ++c;
      continue;
    }
    // The best start within a screen's length on.
    std::int64_t best = c;
    for (std::int64_t d = c; d < std::min(c + kPixelCells, n - kPixelCells + 1); ++d)
      if (window(d) > window(best)) best = d;
    double widthScore = 0;
    for (std::int32_t w = 1; w <= kMaxStripWidth; ++w) {
      double total = 0;
      for (std::int64_t d = best; d < best + kPixelCells; ++d)
        total += evidence.widths[static_cast<std::size_t>(d)][w];
      widthScore = std::max(widthScore, total);
    }
    // A picture over the screen, not a stretch of something else that repeats at 256 bytes
    // (a font, every 32 characters): lines that continue in two thirds of it at least.
    int thirds = 0;
    for (std::int64_t t = 0; t < 3; ++t)
      thirds += sum[static_cast<std::size_t>(best + (t + 1) * kPixelCells / 3)] -
                    sum[static_cast<std::size_t>(best + t * kPixelCells / 3)] >=
                kScreenScore / 4;
    if (thirds < 2 || window(best) < widthScore + kScreenScore) {
      c = best + 1;
      continue;
    }
    // The start: where the pairs of lines that lie one above the other agree and those
    // across the edge of a third (the last line of a row of cells and the first line of the
    // next third) do not, summed over each stretch of either from running sums.
    const std::int64_t first = std::max<std::int64_t>(0, best * kCell - 2048);
    const std::int64_t last = std::min(available - kScreenBytes, best * kCell + 2048);
    std::vector<double> agreed(static_cast<std::size_t>(last - first + kPixelBytes) + 1, 0);
    for (std::int64_t i = first; i < last + kPixelBytes - kScreenLag; ++i) {
      const std::uint8_t x = data[i], y = data[i + kScreenLag];
      const double a = Partial(x) || Partial(y) ? 1.0 - PairUnmatched(x, y) : 0.0;
      agreed[static_cast<std::size_t>(i - first) + 1] =
          agreed[static_cast<std::size_t>(i - first)] + a;
    }
    const auto stretch = [&](std::int64_t from, std::int64_t to) {
      return agreed[static_cast<std::size_t>(to - first)] -
             agreed[static_cast<std::size_t>(from - first)];
    };
    double bestAgreement = -1e300;
    std::int64_t start = first;
    for (std::int64_t s = first; s <= last; ++s) {
      double agreement = 0;
      for (std::int64_t third = 0; third < 3; ++third) {
        const std::int64_t t = s + third * 2048;
        agreement += stretch(t, t + 1792);
        if (third < 2) agreement -= stretch(t + 1792, t + 2048);
      }
      if (agreement > bestAgreement) {
        bestAgreement = agreement;
        start = s;
      }
    }
    if (start <= last) {
      Found f;
      f.region = {start, kScreenBytes, 16, 0, GraphicsKind::kScreen};
      f.score = window(best);
      screens.push_back(f);
    }
    c = (start + kScreenBytes + kCell - 1) / kCell;
  }
  return screens;
}

std::vector<Found> FindInScan(const std::uint8_t* data, std::int64_t span, std::int64_t available) {
  const std::vector<Cell> cells = MeasureCells(data, span, available);
  Evidence evidence = Weigh(cells, available);
  const std::vector<Found> screens = FindScreens(data, available, cells, evidence);
  // No run of a strip width goes into or across a screen.
  for (const Found& screen : screens) {
    const auto first = static_cast<std::size_t>(screen.region.start / kCell);
    const auto end = std::min(
        evidence.widths.size(),
        static_cast<std::size_t>((screen.region.start + kScreenBytes + kCell - 1) / kCell));
    for (std::size_t c = first; c < end; ++c) {
      evidence.widths[c].fill(-1e6f);
      evidence.widths[c][0] = 0;
    }
  }
  std::vector<Found> found;
  const auto place = [&](Found f) {
    if (!found.empty()) {
      const GraphicsRegion& before = found.back().region;
      const std::int64_t cut = before.start + before.length;
      if (f.region.start < cut) {
        f.region.length -= cut - f.region.start;
        f.region.start = cut;
      }
    }
    if (f.region.length >= 2 * f.region.width) found.push_back(f);
  };
  std::size_t nextScreen = 0;
  for (const Segment& segment : Divide(evidence.widths)) {
    Found f = Settle(data, available, cells, segment);
    if (f.region.length < 2 * f.region.width) continue;
    const Judgment j = Judge(data + f.region.start, f.region.length, f.region.width);
    if (f.score < kReportScore || !LooksLikePictures(j, f.region.width)) continue;
    f.region.kind = KindOf(j, f.region.width);
    for (; nextScreen < screens.size() &&
           screens[nextScreen].region.start < f.region.start + f.region.length;
         ++nextScreen)
      place(screens[nextScreen]);
    place(f);
  }
  for (; nextScreen < screens.size(); ++nextScreen) place(screens[nextScreen]);
  for (Found& f : found)
    f.region.confidence = static_cast<std::int32_t>(
        std::clamp(100.0 * (1 - std::exp(-f.score / kReportScore)), 1.0, 100.0));
  return found;
}

}  // namespace

const char* GraphicsKindName(GraphicsKind kind) {
  switch (kind) {
    case GraphicsKind::kFont:
      return "font";
    case GraphicsKind::kTiles:
      return "tiles";
    case GraphicsKind::kSprites:
      return "sprites";
    case GraphicsKind::kMasked:
      return "masked";
    case GraphicsKind::kPicture:
      return "picture";
    case GraphicsKind::kScreen:
      return "screen";
  }
  return "";
}

GraphicsFinder::GraphicsFinder(std::int64_t origin) : origin_(origin) {}

void GraphicsFinder::Feed(const std::uint8_t* bytes, std::size_t count) {
  if (finished_) return;
  buffer_.insert(buffer_.end(), bytes, bytes + count);
  fed_ += static_cast<std::int64_t>(count);
  while (static_cast<std::int64_t>(buffer_.size()) >= kScanBytes + kLookahead) Scan(false);
}

void GraphicsFinder::Finish() {
  if (finished_) return;
  Scan(true);
  finished_ = true;
}

std::vector<GraphicsRegion> GraphicsFinder::TakeRegions() {
  std::vector<GraphicsRegion> taken;
  taken.swap(settled_);
  return taken;
}

void GraphicsFinder::Scan(bool last) {
  const auto available = static_cast<std::int64_t>(buffer_.size());
  const std::int64_t span = last ? available : kScanBytes;
  std::int64_t keep = last ? available : span - kHold;
  for (const Found& f : FindInScan(buffer_.data(), span, available)) {
    GraphicsRegion region = f.region;
    if (!last && region.start + region.length > span - kHold) {
      keep = std::min(keep, std::max<std::int64_t>(region.start, 1));
      break;
    }
    region.start += bufferStart_ + origin_;
    settled_.push_back(region);
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + keep);
  bufferStart_ += keep;
}

std::vector<GraphicsRegion> FindGraphics(const std::uint8_t* bytes, std::int64_t length) {
  GraphicsFinder finder;
  finder.Feed(bytes, static_cast<std::size_t>(std::max<std::int64_t>(length, 0)));
  finder.Finish();
  return finder.TakeRegions();
}

}  // namespace pelorin
