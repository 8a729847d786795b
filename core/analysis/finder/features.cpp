// features.cpp: the measures of a run that its judgment weighs.
#include "analysis/finder/features.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "analysis/finder/first_look.h"

namespace pelorin::finder {

const std::array<const char*, kFeatureCount> kFeatureNames = {
    "rows_log",     "width_log",    "score_per_cell", "score_log",
    "continuity",   "margin",       "best_share",     "double_lag",
    "ragged",       "exact_corr",   "worst_bit",      "inked",
    "zero_share",   "ff_share",     "text",           "counting",
    "changes",      "tile_edges",   "masked_share",   "bit_balance",
    "seam",         "alphabet",     "entropy",        "repeat_contrast",
    "instructions", "small_values", "blank_rows",     "column_alphabet",
    "runs",         "pair_ink_gap", "bit_pairs",      "letters"};

namespace {

// c times the logarithm to base 2 of c, for each count c of a value among the bytes judged.
const std::array<float, kJudgedBytes + 1> kCountLogs = [] {
  std::array<float, kJudgedBytes + 1> logs{};
  for (std::size_t c = 1; c < logs.size(); ++c)
    logs[c] = static_cast<float>(static_cast<double>(c) * std::log2(static_cast<double>(c)));
  return logs;
}();

// Enough bytes to tell how a run's bytes change by.
constexpr std::int64_t kChangedBytes = 512;

// The correlation of two yes-or-no measures from their counts over `n` cases.
double Phi(double both, double a, double b, double n) {
  if (n <= 0) return 0;
  const double pa = a / n, pb = b / n, pab = both / n;
  const double v = pa * (1 - pa) * pb * (1 - pb);
  return v > 1e-12 ? (pab - pa * pb) / std::sqrt(v) : 0;
}

// What each byte is, counted in one pass, 12 bits to a count: blank; all set; a small number
// (1 to 15); one of the Z80 instructions that pictures hardly hold.
constexpr std::array<std::uint64_t, 256> MakeByteKinds() {
  std::array<std::uint64_t, 256> kinds{};
  for (int v = 0; v < 256; ++v)
    kinds[static_cast<std::size_t>(v)] =
        static_cast<std::uint64_t>(v == 0) | static_cast<std::uint64_t>(v == 0xFF) << 12 |
        static_cast<std::uint64_t>(v > 0 && v < 16) << 24 |
        static_cast<std::uint64_t>((kByteClasses[static_cast<std::size_t>(v)] & 0xFF) != 0) << 36;
  return kinds;
}
constexpr std::array<std::uint64_t, 256> kByteKinds = MakeByteKinds();

// The share of pairs a row apart, blank pairs left out, whose bytes are equal, less the larger
// share of those a byte either side of that.
double RepeatContrast(const std::uint8_t* p, std::int64_t n, std::int32_t w) {
  std::array<std::int64_t, 3> equal{}, pairs{};
  // Eight pairs a word: a 1 in each byte where both are blank, or where the two are equal.
  const auto sum = [](std::uint64_t ones) { return static_cast<std::int64_t>(ones * kOnes >> 56); };
  std::int64_t i = 0;
  for (; i + 8 + w + 1 <= n; i += 8) {
    const std::uint64_t x = Load(p + i);
    for (std::size_t k = 0; k < 3; ++k) {
      const std::uint64_t y = Load(p + i + w - 1 + static_cast<std::int64_t>(k));
      const std::uint64_t blank = ZeroBytes(x | y);
      pairs[k] += 8 - sum(blank);
      equal[k] += sum(ZeroBytes(x ^ y) & ~blank);
    }
  }
  for (; i + w + 1 < n; ++i)
    for (std::size_t k = 0; k < 3; ++k) {
      const std::uint8_t a = p[i], b = p[i + w - 1 + static_cast<std::int64_t>(k)];
      const bool blank = (a | b) == 0;
      pairs[k] += !blank;
      equal[k] += !blank && a == b;
    }
  const auto share = [&](std::size_t k) {
    return pairs[k] > 0 ? static_cast<double>(equal[k]) / static_cast<double>(pairs[k]) : 0.0;
  };
  return share(1) - std::max(w > 1 ? share(0) : 0.0, share(2));
}

}  // namespace

Features MeasureRun(const std::uint8_t* data, const std::vector<Cell>& cells,
                    const Evidence& evidence, std::int64_t origin, const GraphicsRegion& region,
                    double score, const Judgment& j) {
  Features f{};
  const std::uint8_t* p = data + region.start;
  const std::int32_t w = region.width;
  const std::int64_t n = std::min(region.length, kJudgedBytes);
  const auto judged = static_cast<double>(std::max<std::int64_t>(n, 1));
  const double length = static_cast<double>(region.length);
  f[0] = static_cast<float>(std::log2(std::max(1.0, length / w)));
  f[1] = static_cast<float>(std::log2(w));
  f[2] = static_cast<float>(score / std::max(1.0, length / kCell));
  f[3] = static_cast<float>(std::log1p(std::max(0.0, score)));
  f[4] = static_cast<float>(j.correlation);
  // How far the width stands above every other over the run's cells, and in how many of
  // them it is the best; how much less the rows continue two rows down than one.
  const auto first =
      static_cast<std::size_t>(std::max<std::int64_t>(0, (region.start - origin) / kCell));
  const auto end = std::min(
      cells.size(), static_cast<std::size_t>((region.start - origin + n + kCell - 1) / kCell));
  double margin = 0, best = 0, at = 0, twice = 0;
  for (std::size_t c = first; c < end; ++c) {
    const auto& e = evidence.widths[c];
    float other = -1e30f;
    for (std::int32_t v = 1; v <= kMaxStripWidth; ++v)
      if (v != w) other = std::max(other, e[static_cast<std::size_t>(v)]);
    margin += e[static_cast<std::size_t>(w)] - other;
    best += e[static_cast<std::size_t>(w)] >= other;
    if (2 * w <= kMaxLag) {
      at += cells[c].unmatched[static_cast<std::size_t>(w)];
      twice += cells[c].unmatched[static_cast<std::size_t>(2 * w)];
    }
  }
  const double measured = std::max<double>(1, static_cast<double>(end - first));
  f[5] = static_cast<float>(margin / measured);
  f[6] = static_cast<float>(best / measured);
  f[7] = static_cast<float>(2 * w <= kMaxLag ? (at + 1) / (twice + 1) : 1);
  f[8] = static_cast<float>(j.ragged);
  f[9] = static_cast<float>(j.exactCorrelation);
  f[10] = static_cast<float>(j.worstBit);
  f[11] = static_cast<float>(static_cast<double>(j.inked) / judged);
  // One pass over the bytes: what each is, its value in its column; and, eight bytes at a
  // time, its pixels and the seams between them.
  std::uint64_t kinds = 0;
  std::array<std::int32_t, 256> values{};
  std::array<std::array<std::uint64_t, 4>, kMaxStripWidth> columns{};
  std::size_t column = 0;
  for (std::int64_t i = 0; i < n; ++i) {
    const std::uint32_t b = p[i];
    kinds += kByteKinds[b];
    ++values[b];
    columns[column][b >> 6] |= std::uint64_t{1} << (b & 63);
    if (++column == static_cast<std::size_t>(w)) column = 0;
  }
  const auto sum = [](std::uint64_t counts) {  // of up to 8 in each byte
    return static_cast<std::int64_t>(counts * kOnes >> 56);
  };
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full, kEven = 0x00FF00FF00FF00FFull;
  std::array<std::int64_t, 8> bits{};
  std::array<std::uint64_t, 8> lanes{};  // each pixel column's count in each byte of a word
  std::int64_t evenInk = 0, oddInk = 0, pairsBoth = 0, pairsLow = 0, pairsHigh = 0;
  std::int64_t seamBoth = 0, seamLast = 0, seamFirst = 0;
  const auto spill = [&] {
    for (std::size_t k = 0; k < 8; ++k) {
      for (int lane = 0; lane < 8; ++lane)
        bits[k] += static_cast<std::int64_t>(lanes[k] >> (8 * lane) & 0xFF);
      lanes[k] = 0;
    }
  };
  std::int64_t i = 0;
  for (int words = 0; i + 9 <= n; i += 8) {
    const std::uint64_t x = Load(p + i), next = Load(p + i + 1);
    for (std::size_t k = 0; k < 8; ++k) lanes[k] += x >> k & kOnes;
    if (++words == 255) {
      spill();
      words = 0;
    }
    const std::uint64_t ink = BitsPerByte(x);
    evenInk += sum(ink & kEven);
    oddInk += sum(ink >> 8 & kEven);
    // Pixels side by side within a byte: set together as a shape's, or at random.
    pairsBoth += sum(BitsPerByte(x & x >> 1 & kLow7));
    pairsLow += sum(BitsPerByte(x & kLow7));
    pairsHigh += sum(BitsPerByte(x >> 1 & kLow7));
    const std::uint64_t last = x & kOnes, first = next >> 7 & kOnes;
    seamBoth += sum(last & first);
    seamLast += sum(last);
    seamFirst += sum(first);
  }
  spill();
  for (; i < n; ++i) {
    const std::uint32_t b = p[i];
    for (std::size_t k = 0; k < 8; ++k) bits[k] += b >> k & 1;
    ((i & 1) == 0 ? evenInk : oddInk) += kBitCounts[b];
    pairsBoth += kBitCounts[b & b >> 1 & 0x7F];
    pairsLow += kBitCounts[b & 0x7F];
    pairsHigh += kBitCounts[b >> 1];
    if (i + 1 < n) {
      const std::uint32_t last = b & 1, first = p[i + 1] >> 7;
      seamBoth += last & first;
      seamLast += last;
      seamFirst += first;
    }
  }
  const auto count = [&](int field) {
    return static_cast<double>(kinds >> (12 * field) & 0xFFF) / judged;
  };
  f[12] = static_cast<float>(count(0));
  f[13] = static_cast<float>(count(1));
  f[14] = static_cast<float>(j.text);
  f[15] = static_cast<float>(Counting(p, n, w));
  f[16] = static_cast<float>(Changes(p, std::min<std::int64_t>(n, kChangedBytes)));
  f[17] = static_cast<float>(TileEdges(p, n));
  f[18] = static_cast<float>(j.maskedShare);
  // How evenly the 8 pixel columns of a byte carry ink: numbers that stay small use only the
  // low bits.
  double allBits = 0, balance = 0;
  for (const std::int64_t b : bits) allBits += static_cast<double>(b);
  for (const std::int64_t b : bits)
    if (b > 0)
      balance -= static_cast<double>(b) / allBits * std::log2(static_cast<double>(b) / allBits);
  f[19] = static_cast<float>(allBits > 0 ? balance / 3 : 0);
  // Shapes cross the seams between the bytes of a row.
  f[20] =
      static_cast<float>(w > 1 ? Phi(static_cast<double>(seamBoth), static_cast<double>(seamLast),
                                     static_cast<double>(seamFirst), judged - 1)
                               : 0);
  double distinct = 0, spreadOut = 0;
  for (const std::int32_t c : values) {
    distinct += c > 0;
    spreadOut += kCountLogs[static_cast<std::size_t>(c)];
  }
  const double entropy = std::log2(judged) - spreadOut / judged;
  f[21] = static_cast<float>(distinct / static_cast<double>(std::min<std::int64_t>(n, 256)));
  f[22] = static_cast<float>(entropy / 8);
  f[23] = static_cast<float>(RepeatContrast(p, n, w));
  f[24] = static_cast<float>(count(3));
  f[25] = static_cast<float>(count(2));
  double blankRows = 0, rows = 0;
  for (std::int64_t r = 0; (r + 1) * w <= n; ++r) {
    ++rows;
    blankRows += std::all_of(p + r * w, p + (r + 1) * w, [](std::uint8_t b) { return b == 0; });
  }
  f[26] = static_cast<float>(rows > 0 ? blankRows / rows : 0);
  // A table's columns each hold their own kind of number; a picture's are alike.
  double fewest = 256, most = 0;
  for (std::int32_t c = 0; c < std::min<std::int64_t>(w, n); ++c) {
    double here = 0;
    for (const std::uint64_t word : columns[static_cast<std::size_t>(c)])
      here += std::popcount(word);
    fewest = std::min(fewest, here);
    most = std::max(most, here);
  }
  f[27] = static_cast<float>(most > 0 ? fewest / most : 1);
  f[28] = static_cast<float>(j.runs);
  f[29] = static_cast<float>(std::abs(static_cast<double>(evenInk - oddInk)) /
                             std::max<double>(1, static_cast<double>(evenInk + oddInk)));
  f[30] = static_cast<float>(Phi(static_cast<double>(pairsBoth), static_cast<double>(pairsLow),
                                 static_cast<double>(pairsHigh), 7 * judged));
  f[31] = static_cast<float>(j.letters);
  return f;
}

}  // namespace pelorin::finder
