// screens.cpp: finding whole screens and placing them to the byte.
#include "analysis/finder/screens.h"

#include <algorithm>
#include <array>

namespace pelorin::finder {

namespace {

// The continuity a line on that a screen's cells must sum to (half what once was, which
// still lets none of the makers' fillers through, where 60 lets a packed screen pass); how
// little less a round address may fit than the best start; how many cells of one colour count
// as colours.
constexpr double kScreenScore = 100.0;
constexpr double kScreenRoundMargin = 8.0;
constexpr std::int32_t kColourCells = kAttributeBytes / 64;

// A colour byte that shows something: ink unlike paper, not flashing. Pictures hold such
// bytes too, but seldom as many of one value as the cells of one colour are.
bool Colour(std::uint8_t b) {
  return (b & 0x80) == 0 && (b & 7) != (b >> 3 & 7);
}

// A screen's colours come in areas: most cells have the colours of the cell to their left or
// above, and there are a few pairs of ink and paper, not the many values of a table or of
// code; and they show something, unlike a blank run.
constexpr double kAreaShare = 0.5;
constexpr int kMostColours = 64;

bool LooksLikeColours(const std::uint8_t* attributes) {
  std::array<bool, 256> used{};
  int colours = 0, inArea = 0, shown = 0;
  for (int cell = 0; cell < kAttributeBytes; ++cell) {
    const std::uint8_t b = attributes[cell];
    colours += !used[b];
    used[b] = true;
    inArea +=
        (cell % 32 > 0 && b == attributes[cell - 1]) || (cell >= 32 && b == attributes[cell - 32]);
    shown += (b & 7) != (b >> 3 & 7);
  }
  return colours <= kMostColours && inArea >= kAreaShare * kAttributeBytes && shown > 0;
}

// A screen shows something in its pixels: not every byte the same.
bool HoldsPixels(const std::uint8_t* pixels) {
  return std::any_of(pixels, pixels + kPixelBytes, [&](std::uint8_t b) { return b != pixels[0]; });
}

}  // namespace

std::vector<Found> FindScreens(const std::uint8_t* data, std::int64_t available,
                               std::int64_t origin, const std::vector<Cell>& cells,
                               const Evidence& evidence) {
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
  std::vector<std::int32_t> agreed;  // running sums of the agreement of lines a line apart
  std::vector<std::int32_t> colours;
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
    // Width 1 from the rows alone: a screen's lines end at the same place in every 8 bytes,
    // as tiles do.
    // The cells taken in order, the widths side by side: each width's sum as it was.
    std::array<double, kStates> totals{};
    for (std::int64_t d = best; d < best + kPixelCells; ++d) {
      const auto& widths = evidence.widths[static_cast<std::size_t>(d)];
      totals[1] += evidence.rows[static_cast<std::size_t>(d)];
      for (std::int32_t w = 2; w <= kMaxStripWidth; ++w) totals[w] += widths[w];
    }
    for (std::int32_t w = 1; w <= kMaxStripWidth; ++w) widthScore = std::max(widthScore, totals[w]);
    // A picture over the screen, not a stretch of something else that repeats at 256 bytes
    // (a font, every 32 characters): lines that continue in two thirds of it at least, or in
    // every third that is not blank, as a title over an empty screen; and more evidence than
    // any strip width finds in the same bytes.
    int thirds = 0, blank = 0;
    for (std::int64_t t = 0; t < 3; ++t) {
      const std::int64_t from = best + t * kPixelCells / 3, to = best + (t + 1) * kPixelCells / 3;
      thirds += sum[static_cast<std::size_t>(to)] - sum[static_cast<std::size_t>(from)] >=
                kScreenScore / 4;
      blank += std::all_of(cells.begin() + from, cells.begin() + to,
                           [](const Cell& cell) { return cell.blank && cell.edges == 0; });
    }
    // Where that fails, so does the next start but one or two: the search goes on an eighth
    // of a screen later, and the start found is placed to the byte over a wider stretch.
    if ((thirds < 2 && (thirds == 0 || thirds + blank < 3)) || window(best) < widthScore) {
      c = best + kPixelCells / 8;
      continue;
    }
    // The start: where the pairs of lines that lie one above the other agree and those
    // across the edge of a third (the last line of a row of cells and the first line of the
    // next third) do not, summed over each stretch of either from running sums, and where
    // the last 768 bytes hold colours. Colours that stay over a band of cells agree a line
    // on as well as any picture does, and blank lines agree with anything: the colours
    // outweigh what either gives a start that is not the screen's. A start moved by a byte
    // changes few of those; where they barely tell two starts apart, a round address wins,
    // as the display file and most screens kept in memory have.
    const std::int64_t first = std::max<std::int64_t>(0, origin + best * kCell - 2048);
    const std::int64_t last = std::min(available - kScreenBytes, origin + best * kCell + 2048);
    agreed.assign(static_cast<std::size_t>(last - first + kPixelBytes) + 1, 0);
    std::int32_t running = 0;
    const auto add = [&](std::int64_t i, std::int32_t a) {
      running += a;
      agreed[static_cast<std::size_t>(i - first) + 1] = running;
    };
    // Eight pairs a word, the bits unmatched in each byte counted at once.
    const std::int64_t pairsEnd = last + kPixelBytes - kScreenLag;
    std::int64_t i = first;
    for (; i + 8 <= pairsEnd; i += 8) {
      const std::uint64_t x = Load(data + i), y = Load(data + i + kScreenLag);
      const std::uint64_t counted = EdgeBytes(x) | EdgeBytes(y);
      const std::uint64_t bits = BitsPerByte(((x & ~WidenWord(y)) | (y & ~WidenWord(x))) & counted);
      for (int k = 0; k < 8; ++k)
        add(i + k, static_cast<std::int32_t>(counted >> (8 * k) & 1) -
                       static_cast<std::int32_t>(bits >> (8 * k) & 0xFF));
    }
    for (; i < pairsEnd; ++i) {
      const std::uint8_t x = data[i], y = data[i + kScreenLag];
      add(i, Partial(x) || Partial(y) ? 1 - PairUnmatched(x, y) : 0);
    }
    // The stretches of the thirds' lines added and those across their edges taken away, as
    // one sum of the running sums.
    const auto at = [&](std::int64_t from) {
      return agreed[static_cast<std::size_t>(from - first)];
    };
    // The colour bytes of the last 768 from each start, counted as the window slides.
    colours.assign(static_cast<std::size_t>(last - first) + 1, 0);
    std::array<std::int32_t, 256> cells{};
    std::int32_t coloured = 0;
    const auto count = [&](std::uint8_t b, std::int32_t step) {
      if (!Colour(b)) return;
      std::int32_t& n = cells[b];
      coloured -= n >= kColourCells ? n : 0;
      n += step;
      coloured += n >= kColourCells ? n : 0;
    };
    for (std::int64_t i = first + kPixelBytes; i < first + kScreenBytes; ++i) count(data[i], 1);
    for (std::int64_t s = first; s <= last; ++s) {
      if (s > first) {
        count(data[s - 1 + kPixelBytes], -1);
        count(data[s - 1 + kScreenBytes], 1);
      }
      colours[static_cast<std::size_t>(s - first)] = coloured;
    }
    const auto fit = [&](std::int64_t s) {
      return colours[static_cast<std::size_t>(s - first)] +
             2 * (at(s + 1792) - at(s + 2048) + at(s + 3840) - at(s + 4096)) + at(s + 5888) - at(s);
    };
    std::int64_t start = first;
    std::int32_t most = fit(first);
    for (std::int64_t s = first + 1; s <= last; ++s) {
      const std::int32_t here = fit(s);
      if (here > most) {
        most = here;
        start = s;
      }
    }
    const std::int64_t round = (start + kScreenLag / 2) / kScreenLag * kScreenLag;
    if (round >= first && round <= last &&
        fit(round) >= static_cast<double>(most) - kScreenRoundMargin)
      start = round;
    if (start <= last && HoldsPixels(data + start) &&
        LooksLikeColours(data + start + kPixelBytes)) {
      Found f;
      f.region = {start, kScreenBytes,          16,
                  0,     GraphicsKind::kScreen, {ScreenLayout::kSpectrumScreen}};
      f.score = window(best);
      screens.push_back(f);
    }
    c = (start - origin + kScreenBytes + kCell - 1) / kCell;
  }
  return screens;
}

}  // namespace pelorin::finder
