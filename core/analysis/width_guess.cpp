// width_guess.cpp: the width guess, from how alike the bytes are at each distance.
//
// At the right width W a byte and the byte W further on are one above the other in the
// picture, and pictures are continuous from one pixel row to the next: the correlation of
// the bytes at distance W stands above that at W - 1 and W + 1, which pair each byte with
// one a byte to the side in the next row. Other widths show no such peak: at a divisor the
// pairs lie side by side in one row, at W +- 1 they lie diagonally, and at 2W two rows apart,
// where less is alike. Each width is scored by its correlation and by how far it stands out
// of its neighbours'; width 1, which has none, by its correlation alone, at a discount.
//
// The guess judges the picture that starts at the first byte, as the screen lays it out
// from there: each width on the first rows it shows, so that graphics followed by code or
// by graphics of another width are judged on themselves.
//
// Width 1 has no neighbour to stand out of, and a font or tile set of 8-byte characters
// peaks at 8 and its multiples too, where the same row of the next character lies below.
// The two are told apart pixel by pixel. Bytes one above the other share their pixel
// columns: a pixel matches the one below it more often than the one two columns to the
// side. Bytes side by side do not; instead the last pixel of the one continues into the
// first of the next. Width 1 comes first when consecutive bytes line up like rows and do
// not join like neighbours in a row.
#include "analysis/width_guess.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "analysis/row_clues.h"

namespace pelorin {

namespace {

constexpr std::int32_t kMaxLag = kMaxStripWidth + 1;  // the widest width and its neighbour

// Each width is judged on its first two strips of 192 rows, and on no fewer bytes than 64
// characters of 8: enough rows to tell, few enough to stay within what starts there.
constexpr std::int32_t kJudgedRows = 384;
constexpr std::int32_t kCharacterBytes = 8;
constexpr std::int32_t kFewCharacters = 32;
constexpr std::int32_t kLeastJudgedBytes = 2 * kFewCharacters * kCharacterBytes;

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

// Width 1 first when consecutive bytes line up (pixel-for-pixel likeness above that two
// columns aside) by more than chance, nearly as well as the rows of the best other width, and
// their edge pixels do not join. It is judged on the first 32 characters, where what starts
// there is least mixed with what follows, and on the first 64, where chance lines up less:
// the shorter stretch needs twice the line-up.
constexpr double kWidthOneAlignment = 0.02;  // over twice the few characters
constexpr double kWidthOneAlignmentLag = 0.1;
constexpr double kWidthOneJoin = 0.12;

// The small blocks looked for at the first byte, in bytes, the fewest rows that make one, and
// how much less alike rows must be where the bytes change character.
constexpr std::int32_t kBlockBytes[] = {48, 64, 96, 128, 192, 256, 384};
constexpr std::int32_t kLeastBlockRows = 6;
constexpr double kCharacterChange = 0.15;
constexpr double kRows = 0.3;    // rows alike at least this much go on
constexpr double kNoRows = 0.1;  // and at most this much do not

// Half the best width comes first where its rows stand out of their neighbours this share as
// far as the best width's do.
constexpr double kHalfPeak = 0.5;
constexpr std::int32_t kFewestRows = 3;  // rows enough to judge a width by, ranked before others

// A serpentine reading must beat the rows two apart by this much, in likeness and in line-up.
constexpr double kSerpentineMargin = 0.04;

inline std::uint8_t Smeared(std::uint8_t byte) {
  return static_cast<std::uint8_t>(byte | (byte >> 1));
}

inline bool HoldsEdge(std::uint8_t byte) {
  return byte != 0x00 && byte != 0xFF;
}

// Counting set bits with plain arithmetic: the 32-bit Windows build has no popcount
// instruction to rely on, and the library call for each word would cost most of the guess.
inline std::uint64_t OnesPerByte(std::uint64_t word) {
  word -= (word >> 1) & 0x5555555555555555;
  word = (word & 0x3333333333333333) + ((word >> 2) & 0x3333333333333333);
  return (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0F;
}

// The sum of the eight bytes of a word whose bytes each hold a count.
inline std::uint32_t SumOfBytes(std::uint64_t word) {
  word = (word & 0x00FF00FF00FF00FF) + ((word >> 8) & 0x00FF00FF00FF00FF);
  return static_cast<std::uint32_t>((word * 0x0001000100010001) >> 48);
}

// Each bit of a byte moved to a byte of its own, so that adding spread bytes counts every
// bit position at once.
constexpr std::array<std::uint64_t, 256> kSpread = [] {
  std::array<std::uint64_t, 256> spread{};
  for (int byte = 0; byte < 256; ++byte)
    for (int bit = 0; bit < 8; ++bit)
      if ((byte >> bit) & 1) spread[byte] |= std::uint64_t{1} << (8 * bit);
  return spread;
}();

std::int32_t JudgedBytes(std::int32_t width, std::int32_t length) {
  return std::min(length, std::max(kLeastJudgedBytes, kJudgedRows * width));
}

// Correlation of two features from the share of pairs in which both have them and the share
// of bytes that have each; 0 where either never or always holds.
double Correlation(double both, double first, double second) {
  const double variance = first * (1 - first) * second * (1 - second);
  if (variance <= 1e-12) return 0;
  return (both - first * second) / std::sqrt(variance);
}

// The bytes that any width is judged on, and the likeness of their pairs at each lag.
class Likeness {
 public:
  Likeness(const std::uint8_t* bytes, std::int32_t length) : bytes_(bytes) {
    const std::int32_t judged = JudgedBytes(kMaxStripWidth, length);
    smeared_.assign(static_cast<std::size_t>(judged), 0);
    edges_.assign(static_cast<std::size_t>(judged / 64 + 2), 0);
    pixelsBefore_.assign(static_cast<std::size_t>(judged + 1), 0);
    edgesBefore_.assign(static_cast<std::size_t>(judged + 1), 0);
    for (std::int32_t k = 0; k < judged; ++k) {
      smeared_[k] = Smeared(bytes[k]);
      if (HoldsEdge(bytes[k])) edges_[k / 64] |= std::uint64_t{1} << (k % 64);
      pixelsBefore_[k + 1] = pixelsBefore_[k] + Ones(smeared_[k]);
      edgesBefore_[k + 1] = edgesBefore_[k] + HoldsEdge(bytes[k]);
    }
    // Each lag is tallied once, in blocks of 64 pairs, as far as the widest width that
    // looks at it reaches; a window then adds only its last part block.
    for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) {
      first_[lag] = static_cast<std::int32_t>(pixelsTogether_.size());
      const std::int32_t reach = JudgedBytes(std::min(lag + 1, kMaxStripWidth), length);
      std::uint32_t pixels = 0;
      std::uint32_t edges = 0;
      pixelsTogether_.push_back(0);
      edgesTogether_.push_back(0);
      for (std::int32_t block = 0; (block + 1) * 64 <= reach - lag; ++block) {
        std::uint64_t lanes = 0;
        for (std::int32_t k = block * 64; k < block * 64 + 64; k += 8)
          lanes += OnesPerByte(Word(k) & Word(k + lag));
        pixels += SumOfBytes(lanes);
        edges += SumOfBytes(OnesPerByte(edges_[block] & EdgesFrom(block * 64 + lag)));
        pixelsTogether_.push_back(pixels);
        edgesTogether_.push_back(edges);
      }
    }
  }

  // The mixed correlation of the pairs (k, k + lag) that lie within the first `window`
  // bytes; the window reaches no further than the widest width that looks at the lag.
  double AtLag(std::int32_t lag, std::int32_t window) const {
    const std::int32_t count = window - lag;
    if (count <= 0) return 0;
    const std::int32_t blocks = count / 64;
    double pixels = pixelsTogether_[first_[lag] + blocks];
    double together = edgesTogether_[first_[lag] + blocks];
    for (std::int32_t k = blocks * 64; k < count; ++k)
      pixels += Ones(static_cast<std::uint8_t>(smeared_[k] & smeared_[k + lag]));
    if (count % 64 != 0) {
      const std::uint64_t pairs = edges_[blocks] & EdgesFrom(blocks * 64 + lag);
      together += SumOfBytes(OnesPerByte(pairs & ((std::uint64_t{1} << (count % 64)) - 1)));
    }
    return Mixed(window, pixels, together, count);
  }

  // The same over pairs that `partner` names: for each byte of the window, the byte that
  // lies below it.
  template <typename Partner>
  double OfPairs(std::int32_t window, Partner partner) const {
    double pixels = 0;
    double together = 0;
    std::int32_t count = 0;
    for (std::int32_t k = 0; k < window; ++k) {
      const std::int32_t below = partner(k);
      if (below >= window) continue;
      pixels += Ones(static_cast<std::uint8_t>(smeared_[k] & smeared_[below]));
      together += HoldsEdge(bytes_[k]) && HoldsEdge(bytes_[below]);
      ++count;
    }
    return Mixed(window, pixels, together, count);
  }

 private:
  static std::uint32_t Ones(std::uint8_t byte) {
    return static_cast<std::uint32_t>(kSpread[byte] * 0x0101010101010101 >> 56);
  }

  std::uint64_t Word(std::int32_t at) const {
    std::uint64_t word;
    std::memcpy(&word, smeared_.data() + at, 8);
    return word;
  }

  // The edge flags of the 64 bytes from `at` on.
  std::uint64_t EdgesFrom(std::int32_t at) const {
    const std::int32_t shift = at % 64;
    std::uint64_t flags = edges_[at / 64] >> shift;
    if (shift != 0) flags |= edges_[at / 64 + 1] << (64 - shift);
    return flags;
  }

  double Mixed(std::int32_t window, double pixels, double together, std::int32_t count) const {
    if (count <= 0) return 0;
    const double pixelShare = pixelsBefore_[window] / (8.0 * window);
    const double edgeShare = static_cast<double>(edgesBefore_[window]) / window;
    return (1 - kEdgeShare) * Correlation(pixels / (8.0 * count), pixelShare, pixelShare) +
           kEdgeShare * Correlation(together / count, edgeShare, edgeShare);
  }

  const std::uint8_t* bytes_;
  std::vector<std::uint8_t> smeared_;
  std::vector<std::uint64_t> edges_;        // one bit a byte: whether it holds an edge
  std::vector<std::int32_t> pixelsBefore_;  // smeared pixels set in the bytes before each
  std::vector<std::int32_t> edgesBefore_;
  // Per lag, from first_[lag] on: the sums over the pairs of the blocks before each.
  std::array<std::int32_t, kMaxLag + 1> first_{};
  std::vector<std::uint32_t> pixelsTogether_;
  std::vector<std::uint32_t> edgesTogether_;
};

// How the pixels of a byte relate to those of another it is paired with, bit by bit.
struct PixelLineUp {
  double alignment;  // likeness of a pixel to the one in its column, less that two columns aside
  double join;       // the first byte's last pixel against the second's first, less the reverse
};

// Over the pairs of the first `window` bytes that `partner` names. Each bit position is
// correlated on its own, as a font's edge columns are mostly clear.
template <typename Partner>
PixelLineUp LineUp(const std::uint8_t* bytes, std::int32_t window, Partner partner) {
  // Counts of each bit position, eight at once in the bytes of a word, moved out to the
  // totals before a byte can overflow.
  std::array<double, 8> share{};
  std::array<double, 8> aligned{};  // bit i set in both
  std::array<double, 8> upper{};    // bit i in the first, bit i + 2 in the second
  std::array<double, 8> lower{};    // bit i in the first, bit i - 2 in the second
  std::uint64_t lanes[4] = {};
  const auto moveOut = [&] {
    for (int bit = 0; bit < 8; ++bit) {
      share[bit] += (lanes[0] >> (8 * bit)) & 0xFF;
      aligned[bit] += (lanes[1] >> (8 * bit)) & 0xFF;
      upper[bit] += (lanes[2] >> (8 * bit)) & 0xFF;
      lower[bit] += (lanes[3] >> (8 * bit)) & 0xFF;
    }
    for (std::uint64_t& lane : lanes) lane = 0;
  };
  double pairs = 0;
  double lastFirst = 0;  // the first byte's last pixel and the second's first
  double firstLast = 0;
  for (std::int32_t k = 0; k < window; ++k) {
    const std::uint8_t a = bytes[k];
    lanes[0] += kSpread[a];
    const std::int32_t below = partner(k);
    if (below < window) {
      const std::uint8_t b = bytes[below];
      lanes[1] += kSpread[a & b];
      lanes[2] += kSpread[a & (b >> 2)];
      lanes[3] += kSpread[a & (b << 2) & 0xFF];
      lastFirst += (a & 1) && (b >> 7);
      firstLast += (a >> 7) && (b & 1);
      ++pairs;
    }
    if (k % 255 == 254) moveOut();
  }
  moveOut();
  if (pairs == 0) return {0, 0};
  for (double& s : share) s /= window;
  const auto c = [&](double both, int bit, int other) {
    return Correlation(both / pairs, share[bit], share[other]);
  };
  // Averaged over the bit positions that vary: a column that is always clear tells nothing.
  const auto varies = [&](int bit) { return share[bit] > 0 && share[bit] < 1; };
  double column = 0;
  double aside = 0;
  int columns = 0;
  int asides = 0;
  for (int bit = 0; bit < 8; ++bit) {
    if (!varies(bit)) continue;
    column += c(aligned[bit], bit, bit);
    ++columns;
    if (bit + 2 < 8 && varies(bit + 2)) {
      aside += c(upper[bit], bit, bit + 2) + c(lower[bit + 2], bit + 2, bit);
      asides += 2;
    }
  }
  const double alignment = (columns > 0 ? column / columns : 0) - (asides > 0 ? aside / asides : 0);
  return {alignment, c(lastFirst, 0, 7) - c(firstLast, 7, 0)};
}

// The partner below a byte in a serpentine sheet `width` bytes wide, whose odd rows are
// stored right to left in units of `unit` bytes (2 for mask and graphic pairs): the
// mirrored place in the next row.
std::int32_t SerpentineBelow(std::int32_t k, std::int32_t width, std::int32_t unit) {
  const std::int32_t row = k / width;
  const std::int32_t column = k % width;
  const std::int32_t mirrored = width - unit - column / unit * unit + column % unit;
  return (row + 1) * width + mirrored;
}

// The guess over the first `length` bytes.
WidthGuess GuessWithin(const std::uint8_t* bytes, std::int32_t length) {
  const Likeness likeness(bytes, length);

  WidthGuess guess;
  guess.count = 0;
  std::array<double, kMaxStripWidth + 1> score{};
  std::array<double, kMaxStripWidth + 1> r{};  // each width's correlation at its own lag
  for (std::int32_t width = kMinStripWidth; width <= kMaxStripWidth; ++width) {
    if (length < 2 * width) break;  // not two rows: nothing to compare
    const std::int32_t window = JudgedBytes(width, length);
    r[width] = likeness.AtLag(width, window);
    score[width] = r[width];
    if (width == 1) {
      score[width] *= kWidthOneShare;
    } else if (width + 1 < window) {  // a lag the run is too short for tells nothing
      score[width] += kPeakWeight * (r[width] - std::max(likeness.AtLag(width - 1, window),
                                                         likeness.AtLag(width + 1, window)));
    }
    guess.ranked[guess.count++] = width;
  }
  if (guess.count == 0) return WidthGuess{};  // width 1, unsure
  std::stable_sort(guess.ranked.begin(), guess.ranked.begin() + guess.count,
                   [&](std::int32_t a, std::int32_t b) { return score[a] > score[b]; });
  // Two rows are one pair of rows, too few to judge a width by: such widths come last.
  std::stable_partition(guess.ranked.begin(), guess.ranked.begin() + guess.count,
                        [&](std::int32_t w) { return w == 1 || length >= kFewestRows * w; });
  const auto putFirst = [&](std::int32_t width) {
    const auto at = std::find(guess.ranked.begin(), guess.ranked.begin() + guess.count, width);
    std::rotate(guess.ranked.begin(), at, at + 1);
  };

  // The best other width's rows, against which width 1 and serpentine readings are judged.
  std::int32_t best = guess.ranked[0] != 1 || guess.count == 1 ? guess.ranked[0] : guess.ranked[1];
  const auto below = [](std::int32_t lag) { return [lag](std::int32_t k) { return k + lag; }; };
  const std::int32_t fewBytes = std::min(length, kFewCharacters * kCharacterBytes);
  const std::int32_t moreBytes = std::min(length, 2 * kFewCharacters * kCharacterBytes);
  bool promoted = false;

  // A serpentine sheet, its odd rows stored right to left, peaks at twice its width, where
  // the rows two apart lie one above the other. Read at its own width with each row mirrored
  // into the next, its rows are more alike, and line up pixel for pixel.
  std::int32_t serpentineUnit = 0;
  if (best % 2 == 0 && best >= 4) {
    const std::int32_t half = best / 2;
    const PixelLineUp twoApart = LineUp(bytes, moreBytes, below(best));
    for (std::int32_t unit = 1; unit <= 2 && half % unit == 0; ++unit) {
      const auto mirrored = [half, unit](std::int32_t k) { return SerpentineBelow(k, half, unit); };
      const double serpentine = likeness.OfPairs(JudgedBytes(half, length), mirrored);
      if (serpentine > r[best] + kSerpentineMargin &&
          LineUp(bytes, moreBytes, mirrored).alignment > twoApart.alignment + kSerpentineMargin) {
        putFirst(half);
        best = half;
        r[half] = serpentine;
        serpentineUnit = unit;
        promoted = true;
        break;
      }
    }
  }

  // Rows with a pattern that repeats every other row (hatching, stripes) are more alike two
  // rows down than one, and peak at twice their width; their own width peaks too, as no width
  // whose half-rows are unalike does, and shapes stop at its rows' ends, unlike those of a
  // picture whose halves are alike.
  if (serpentineUnit == 0 && best % 2 == 0 && best >= 4 && !MaskPairs(bytes, moreBytes) &&
      HalfRowsEnd(bytes, JudgedBytes(best, length), best)) {
    const std::int32_t half = best / 2;
    const auto window = [&](std::int32_t w) { return JudgedBytes(w, length); };
    const auto peak = [&](std::int32_t w) {
      return r[w] - std::max(likeness.AtLag(w - 1, window(w)), likeness.AtLag(w + 1, window(w)));
    };
    if (peak(half) > kHalfPeak * peak(best)) {
      putFirst(half);
      best = half;
      promoted = true;
    }
  }

  if (best != 1) {
    const auto bestRows = [best, serpentineUnit](std::int32_t k) {
      return serpentineUnit != 0 ? SerpentineBelow(k, best, serpentineUnit) : k + best;
    };
    // A run no longer than the few characters is judged once, as the more.
    for (const bool few : {true, false}) {
      if (few && fewBytes == moreBytes) continue;
      const std::int32_t window = few ? fewBytes : moreBytes;
      const double threshold = few ? 2 * kWidthOneAlignment : kWidthOneAlignment;
      const PixelLineUp rows = LineUp(bytes, window, below(1));
      if (rows.alignment > threshold &&
          rows.alignment > LineUp(bytes, window, bestRows).alignment - kWidthOneAlignmentLag &&
          rows.join < kWidthOneJoin) {
        putFirst(1);
        promoted = true;
        break;
      }
    }
  }

  const std::int32_t first = guess.ranked[0];
  guess.unsure =
      !(r[first] > kSureCorrelation) ||
      (!promoted && guess.count > 1 && score[first] - score[guess.ranked[1]] < kSureMargin);
  return guess;
}

}  // namespace

WidthGuess GuessStripWidth(const std::uint8_t* bytes, std::int32_t length) {
  length = std::max(length, 0);
  const WidthGuess guess = GuessWithin(bytes, length);
  // A small block at the first byte, followed at once by bytes of another character: the
  // shortest stretch from the first byte whose own guess is sure, whose width's rows do not go
  // on into what follows, and at the start of which the rows of the width the bytes beyond
  // are guessed at do not continue as they do further on. It is judged on itself.
  const Likeness likeness(bytes, length);
  const std::int32_t beyond = guess.ranked[0];
  const double further = likeness.AtLag(beyond, JudgedBytes(beyond, length));
  for (const std::int32_t block : kBlockBytes) {
    if (block >= JudgedBytes(beyond, length)) break;
    const WidthGuess small = GuessWithin(bytes, block);
    const std::int32_t own = small.ranked[0];
    if (small.unsure || own == beyond || block < kLeastBlockRows * std::max(own, beyond)) continue;
    const double ownRows = likeness.AtLag(own, block);
    const bool changes = likeness.AtLag(beyond, block) < kNoRows && further >= kRows &&
                         ownRows >= std::max(kRows, further) &&
                         likeness.AtLag(own, JudgedBytes(own, length)) < ownRows - kCharacterChange;
    if (changes) return small;
  }
  return guess;
}

}  // namespace pelorin
