// weighing.cpp: each cell's evidence for each width, and the division into runs.
#include "analysis/finder/weighing.h"

#include <cmath>

namespace pelorin::finder {

namespace {

// What a cell costs a run, and entering a run: a cell of few edges (inside a filled or
// blank area of a picture) costs as little as a blank one.
constexpr double kCellCost = 1.0;
constexpr double kBlankCellCost = 0.25;
constexpr double kEntryCost = 10.0;
// Characters 8 rows high: what their likeness 8, 16 and 24 bytes on and their blank rows
// must pass before width 1 gains by them.
constexpr double kCharacterCost = 2.0;
// Tiles: the cells to either side whose ends are counted, what the evidence from their
// inside rows and from their pattern of changes costs, how far the place where tiles end
// must stand out, and below what evidence at 8, 16 and 24 bytes the rows are no picture's.
constexpr std::ptrdiff_t kTileCells = 4;
constexpr double kTileCost = 0.5;
constexpr double kProfileCost = 0.25;
constexpr float kTileStandsOut = 4.0f;
constexpr float kTileAlike = 0.0f;
// Width 1 is compared with distance 2 alone, where the others take the likelier of two
// neighbours: this evens out what the noise gives it.
constexpr double kWidthOneCost = 0.5;

// Pairs of the cell over all distances 1 to kMaxLag.
std::int32_t AllPairs(const Cell& cell) {
  if (cell.reach >= kMaxLag + cell.bytes) return kMaxLag * cell.bytes;
  std::int32_t pairs = 0;
  for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) pairs += PairCount(cell, lag);
  return pairs;
}

// 1 / the standard deviation of the blank rows at the places of a font's expected from
// those elsewhere, for each count of those.
const std::array<float, 256> kBlankRowScales = [] {
  std::array<float, 256> scales{};
  for (std::size_t k = 0; k < scales.size(); ++k)
    scales[k] = 1 / std::sqrt((static_cast<float>(k) + 1.0f) * 3 / 14 + 1);
  return scales;
}();

// Whether `most` of `all` can stand kTileStandsOut standard deviations above the rest, as
// Weigh works it out in floating point: false where, as whole numbers, it falls short by more
// than rounding could make up, so that the root is taken only where it may tell.
bool StandsOut(std::uint64_t most, std::uint64_t all) {
  const auto above = static_cast<std::int64_t>(8 * most) - static_cast<std::int64_t>(all);
  const auto spread = static_cast<std::int64_t>(7 * most + 1);
  constexpr auto score = static_cast<std::int64_t>(kTileStandsOut);
  static_assert(score == kTileStandsOut);
  return above > 0 && above * above * ((1 << 19) + 1) >= score * score * spread * (1 << 19);
}

// The first of the 8 bytes of the word that holds the most.
int MostAt(std::uint64_t counts) {
  int end = 0;
  for (int k = 1; k < 8; ++k)
    if ((counts >> (8 * k) & 0xFF) > (counts >> (8 * end) & 0xFF)) end = k;
  return end;
}

// Tiles whose rows change at several places in each 8 (bricks, frames, ladders), not only
// where one tile ends: the cells around show at which places rows change more than their
// mean and at which less, and the cell's own changes, weighed by how far each place stands
// from that mean, tell in standard deviations how well it keeps to that pattern, whatever
// the rate of its changes. `around` holds the counts of the cells around without this one,
// so that its own changes do not pick their weights; a pair that does not match leaves half
// a byte's bits unmatched or so, which spreads the counts of a place's 2 pairs to 8 times
// the usual rate.
float TileProfile(std::uint64_t own, std::uint64_t around, float base) {
  std::int32_t all = 0, owned = 0, products = 0, squares = 0;
  for (int k = 0; k < 8; ++k) {
    const auto a = static_cast<std::int32_t>(around >> (8 * k) & 0xFF);
    const auto o = static_cast<std::int32_t>(own >> (8 * k) & 0xFF);
    all += a;
    owned += o;
    products += a * o;
    squares += a * a;
  }
  const auto spread = static_cast<float>(8 * squares - all * all);
  if (spread <= 0) return 0;
  return static_cast<float>(8 * products - all * owned) / (8 * std::sqrt(base * spread));
}

}  // namespace

Evidence Weigh(const std::vector<Cell>& cells) {
  const FinderKernels& kernels = Kernels();
  Evidence weighed;
  weighed.widths.resize(cells.size());
  weighed.screen.resize(cells.size());
  weighed.usual.resize(cells.size());
  weighed.rows.resize(cells.size());
  const auto n = static_cast<std::ptrdiff_t>(cells.size());
  // What continuity is usual here: over the cell and two neighbours to either side, at every
  // distance; summed as a window slides.
  std::int64_t total = 0, pairs = 0;
  const auto add = [&](std::ptrdiff_t d, int sign) {
    if (d < 0 || d >= n) return;
    total += sign * cells[static_cast<std::size_t>(d)].total;
    pairs += sign * AllPairs(cells[static_cast<std::size_t>(d)]);
  };
  for (std::ptrdiff_t d = 0; d < 2; ++d) add(d, 1);
  // The unmatched bits one byte on at each place in 8 over the cells around: where tiles 8
  // rows high lie, most at the place where one tile ends and the next begins.
  // A count in each byte, at most 16 per cell and so at most 144 over the 9 cells.
  std::uint64_t places = 0;
  std::int32_t placeCells = 0;
  const auto addPlaces = [&](std::ptrdiff_t d, int sign) {
    if (d < 0 || d >= n) return;
    const std::uint64_t counts = cells[static_cast<std::size_t>(d)].places;
    places = sign > 0 ? places + counts : places - counts;
    placeCells += sign;
  };
  static_assert(2 * kTileCells + 1 <= 15);
  for (std::ptrdiff_t d = 0; d < kTileCells; ++d) addPlaces(d, 1);
  for (std::ptrdiff_t c = 0; c < n; ++c) {
    add(c + 2, 1);
    add(c - 3, -1);
    addPlaces(c + kTileCells, 1);
    addPlaces(c - kTileCells - 1, -1);
    const Cell& cell = cells[static_cast<std::size_t>(c)];
    auto& e = weighed.widths[static_cast<std::size_t>(c)];
    weighed.usual[static_cast<std::size_t>(c)] =
        pairs > 0 ? static_cast<double>(total) / static_cast<double>(pairs) : 0.0;
    if (cell.blank || total == 0 || pairs == 0) {
      e.fill(static_cast<float>(-kBlankCellCost));
      e[0] = 0;
      weighed.rows[static_cast<std::size_t>(c)] = e[1];
      continue;
    }
    const float base = static_cast<float>(total) / static_cast<float>(pairs);
    const float scale = 1 / std::sqrt(base * cell.bytes + 1);
    // A whole cell has all its pairs a line of a screen on, and shares the cell's scale.
    const std::int32_t screenPairs = PairCount(cell, kScreenLag);
    weighed.screen[static_cast<std::size_t>(c)] =
        (base * screenPairs - cell.screenUnmatched) *
        (screenPairs == cell.bytes ? scale : 1 / std::sqrt(base * screenPairs + 1));
    // A cell of few edges (inside a filled or blank area of a picture) tells little either
    // way, and costs a run as little.
    const float cost =
        static_cast<float>(kBlankCellCost) + static_cast<float>(kCellCost - kBlankCellCost) *
                                                 std::min(1.0f, static_cast<float>(cell.edges) / 8);
    const bool whole = cell.reach >= kMaxLag + cell.bytes;
    e[0] = 0;
    if (whole) {
      kernels.wholeCellWidths(cell, base * cell.bytes, scale, cost, e);
    } else {
      for (std::int32_t w = 1; w <= kMaxStripWidth; ++w) {
        const auto count = static_cast<float>(PairCount(cell, w));
        const float here = cell.unmatched[w];
        const float side = Side(cell, w);
        e[w] =
            count == 0 ? -cost : (base * count - here + kContrast * (side - here)) * scale - cost;
      }
    }
    // Characters 8 rows high, one after another: beside the rows continuing within each
    // character, every character is laid out as the others are (a blank row at the same
    // place, the letters' sides in the same columns), whose likeness at 8, 16 and 24 bytes
    // holds as well for the third character on as for the next. A sheet 8 bytes wide is
    // most alike one row down and less so further.
    const float layout = std::min({e[8], e[16], e[24]}) + cost;
    const float elsewhere = (cell.blankRowsElsewhere + 1.0f) * 3 / 14;
    const float blankRows =
        (cell.blankRowsAligned - elsewhere) * kBlankRowScales[cell.blankRowsElsewhere];
    e[1] += std::max(0.0f, layout + blankRows - static_cast<float>(kCharacterCost)) -
            static_cast<float>(kWidthOneCost);
    // Tiles: the rows continue within each tile, not from one tile to the next, so the pairs
    // at the place where the tiles around end are left out.
    weighed.rows[static_cast<std::size_t>(c)] = e[1];
    if (whole) {
      const int end = MostAt(places);
      const auto inside = static_cast<float>(cell.unmatched[1]) -
                          static_cast<float>(cell.places >> (8 * end) & 0xFF);
      const float insidePairs = cell.bytes * 7.0f / 8;
      // Where one place stands out over the cells around, as the ends of tiles do, and the
      // rows are not alike 8, 16 or 24 bytes on as those of a picture that wide are, the
      // pairs across those ends are measured against the others.
      const auto atEnd = static_cast<float>(places >> (8 * end) & 0xFF);
      const std::uint64_t pairs16 =
          (places & 0x00FF00FF00FF00FFull) + (places >> 8 & 0x00FF00FF00FF00FFull);
      const auto others = static_cast<float>(pairs16 * 0x0001000100010001ull >> 48) - atEnd;
      const bool tiles =
          std::max({e[8], e[16], e[24]}) < kTileAlike &&
          StandsOut(places >> (8 * end) & 0xFF, pairs16 * 0x0001000100010001ull >> 48) &&
          (atEnd * 7 - others) / std::sqrt(atEnd * 7 + 1) >= kTileStandsOut;
      const float across = tiles ? std::max(base, atEnd / (2.0f * placeCells)) : base;
      e[1] = std::max(
          e[1], (across * insidePairs - inside) * scale - cost - static_cast<float>(kTileCost));
      // Rows alike 8, 16 or 24 bytes on, as those of a picture or of masked sprites 8 bytes
      // wide are, repeat their pattern of changes every 8 bytes as well.
      if (std::max({e[8], e[16], e[24]}) < kTileAlike)
        e[1] = std::max(e[1],
                        weighed.rows[static_cast<std::size_t>(c)] +
                            std::max(0.0f, TileProfile(cell.places, places - cell.places, base)) -
                            static_cast<float>(kProfileCost));
    }
  }
  return weighed;
}

std::vector<Segment> Divide(const std::vector<WidthRow>& evidence) {
  const std::size_t n = evidence.size();
  std::vector<Segment> segments;
  if (n == 0) return segments;
  static_assert(kStates <= 32);
  std::vector<std::uint32_t> stayed(n);
  std::vector<std::uint8_t> best(n);
  Kernels().forward(evidence, static_cast<float>(kEntryCost), stayed.data(), best.data());
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

}  // namespace pelorin::finder
