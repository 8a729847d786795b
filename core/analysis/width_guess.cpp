// width_guess.cpp: the width guess, from how alike the bytes are at each distance.
//
// At the right width W a byte and the byte W further on are one above the other in the
// picture, and pictures are continuous from one pixel row to the next: the correlation of
// the bytes at distance W stands above that at W - 1 and W + 1, which pair each byte with
// one a byte to the side in the next row. Other widths show no such peak: at a divisor the
// pairs lie side by side in one row, at W +- 1 they lie diagonally, and at 2W two rows apart,
// where less is alike. Each width is scored by its correlation and by how far it stands out
// of its neighbours'; width 1, which has no neighbour to stand out of, by its correlation
// alone, at a discount.
#include "analysis/width_guess.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace pelorin {

namespace {

constexpr std::int32_t kMaxLag = kMaxStripWidth + 1;  // the widest width and its neighbour

// Two looks at each byte, correlated separately and then mixed:
// - its pixels, smeared one pixel to the right, so that the rows of a 0xAA / 0x55 dither,
//   which share no pixel, are as alike as the fill that the eye sees;
// - whether it holds an edge (neither all clear nor all set), which follows a thin outline
//   from row to row even where the line moves by a few pixels, as a shallow slope does.
constexpr double kEdgeShare = 0.4;
constexpr double kPeakWeight = 4.0;        // how much standing out of the neighbours counts
constexpr double kWidthOneShare = 0.5;     // width 1's correlation, against the others' scores
constexpr double kSureCorrelation = 0.05;  // below this nothing repeats from row to row
constexpr double kSureMargin = 0.01;       // a closer runner-up: no width stands out

inline std::uint8_t Smeared(std::uint8_t byte) {
  return static_cast<std::uint8_t>(byte | (byte >> 1));
}

inline bool HoldsEdge(std::uint8_t byte) {
  return byte != 0x00 && byte != 0xFF;
}

// Sums over the byte pairs (k, k + lag) of one stretch of bytes.
struct Tallies {
  std::array<std::uint64_t, kMaxLag + 1> pixelsTogether{};  // pixels set in both bytes
  std::array<std::uint64_t, kMaxLag + 1> edgesTogether{};   // pairs that both hold an edge
  std::array<std::uint64_t, kMaxLag + 1> pairs{};
  std::uint64_t pixels = 0;  // pixels set, over the first bytes of the pairs
  std::uint64_t edges = 0;
  std::uint64_t bytes = 0;
};

// Adds the pairs (k, k + lag) for the first `positions` bytes of the stretch, as far as its
// length lets each lag reach.
void TallyStretch(const std::uint8_t* stretch, std::int32_t length, std::int32_t positions,
                  Tallies& tallies) {
  // Zeros after the stretch: a pair that reaches past it adds nothing, so whole words of
  // pairs can be taken to the end.
  std::vector<std::uint8_t> smeared(static_cast<std::size_t>(length + kMaxLag + 8), 0);
  std::vector<std::uint64_t> edges(static_cast<std::size_t>((length + kMaxLag) / 64 + 2), 0);
  for (std::int32_t k = 0; k < length; ++k) {
    smeared[k] = Smeared(stretch[k]);
    if (HoldsEdge(stretch[k])) edges[k / 64] |= std::uint64_t{1} << (k % 64);
  }
  for (std::int32_t k = 0; k < positions; ++k) {
    tallies.pixels += static_cast<std::uint64_t>(std::popcount(smeared[k]));
    tallies.edges += HoldsEdge(stretch[k]);
  }
  tallies.bytes += static_cast<std::uint64_t>(positions);

  const std::uint8_t* s = smeared.data();
  for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) {
    const std::int32_t count = std::min(positions, length - lag);
    if (count <= 0) break;
    std::uint64_t pixels = 0;
    for (std::int32_t k = 0; k < count; k += 8) {  // eight pairs at once
      std::uint64_t a, b;
      std::memcpy(&a, s + k, 8);
      std::memcpy(&b, s + k + lag, 8);
      pixels += static_cast<std::uint64_t>(std::popcount(a & b));
    }
    // Sixty-four pairs at once; bits at or past `count` meet the zeros after the stretch
    // or, where the stretch goes on, are cut off.
    std::uint64_t together = 0;
    const std::int32_t wordShift = lag / 64;
    const std::int32_t bitShift = lag % 64;
    for (std::int32_t word = 0; word * 64 < count; ++word) {
      std::uint64_t later = edges[word + wordShift] >> bitShift;
      if (bitShift != 0) later |= edges[word + wordShift + 1] << (64 - bitShift);
      std::uint64_t pairs = edges[word] & later;
      if (count - word * 64 < 64) pairs &= (std::uint64_t{1} << (count - word * 64)) - 1;
      together += static_cast<std::uint64_t>(std::popcount(pairs));
    }
    tallies.pixelsTogether[lag] += pixels;
    tallies.edgesTogether[lag] += together;
    tallies.pairs[lag] += static_cast<std::uint64_t>(count);
  }
}

// A long run is judged on stretches spread evenly along it: what repeats from row to row
// repeats all along a run of sprites, and 16 KiB of pairs tell as much as a megabyte.
constexpr std::int32_t kStretches = 16;
constexpr std::int32_t kStretchPositions = 1024;

Tallies TallyRun(const std::uint8_t* bytes, std::int32_t length) {
  Tallies tallies;
  const std::int32_t stretchLength = kStretchPositions + kMaxLag;
  if (length <= kStretches * stretchLength) {
    TallyStretch(bytes, length, length, tallies);
  } else {
    const std::int64_t spacing = (length - stretchLength) / (kStretches - 1);
    for (std::int32_t i = 0; i < kStretches; ++i)
      TallyStretch(bytes + i * spacing, stretchLength, kStretchPositions, tallies);
  }
  return tallies;
}

// The correlation of a feature between the two bytes of a pair, at each lag, from the
// share of pairs in which both have it and the share of bytes that have it; `perByte` is
// how many of it a byte can hold. 0 where nothing varies.
std::array<double, kMaxLag + 1> Correlation(const std::array<std::uint64_t, kMaxLag + 1>& together,
                                            const Tallies& tallies, std::uint64_t having,
                                            double perByte) {
  std::array<double, kMaxLag + 1> correlation{};
  if (tallies.bytes == 0) return correlation;
  const double share = static_cast<double>(having) / (perByte * static_cast<double>(tallies.bytes));
  const double variance = share * (1 - share);
  if (variance <= 1e-9) return correlation;
  for (std::int32_t lag = 1; lag <= kMaxLag && tallies.pairs[lag] > 0; ++lag) {
    const double both =
        static_cast<double>(together[lag]) / (perByte * static_cast<double>(tallies.pairs[lag]));
    correlation[lag] = (both - share * share) / variance;
  }
  return correlation;
}

}  // namespace

WidthGuess GuessStripWidth(const std::uint8_t* bytes, std::int32_t length) {
  length = std::max(length, 0);
  const Tallies tallies = TallyRun(bytes, length);
  const auto pixels = Correlation(tallies.pixelsTogether, tallies, tallies.pixels, 8);
  const auto edges = Correlation(tallies.edgesTogether, tallies, tallies.edges, 1);
  std::array<double, kMaxLag + 1> r{};
  for (std::int32_t lag = 1; lag <= kMaxLag; ++lag)
    r[lag] = (1 - kEdgeShare) * pixels[lag] + kEdgeShare * edges[lag];

  WidthGuess guess;
  guess.count = 0;
  std::array<double, kMaxStripWidth + 1> score{};
  for (std::int32_t width = kMinStripWidth; width <= kMaxStripWidth; ++width) {
    if (length < 2 * width) break;  // not two rows: nothing to compare
    score[width] = r[width];
    if (width == 1) {
      score[width] *= kWidthOneShare;
    } else if (width + 1 < length) {  // a lag the run is too short for tells nothing
      score[width] += kPeakWeight * (r[width] - std::max(r[width - 1], r[width + 1]));
    }
    guess.ranked[guess.count++] = width;
  }
  if (guess.count == 0) return WidthGuess{};  // width 1, unsure
  std::stable_sort(guess.ranked.begin(), guess.ranked.begin() + guess.count,
                   [&](std::int32_t a, std::int32_t b) { return score[a] > score[b]; });
  const std::int32_t best = guess.ranked[0];
  guess.unsure = !(r[best] > kSureCorrelation) ||
                 (guess.count > 1 && score[best] - score[guess.ranked[1]] < kSureMargin);
  return guess;
}

}  // namespace pelorin
