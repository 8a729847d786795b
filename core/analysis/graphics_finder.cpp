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
// The evidence a region needs: more where its bytes are as ragged as random ones, less
// where they hold the whole shapes of pictures.
constexpr double kReportScore = 10.0;
constexpr double kRaggedScore = 16.0;  // per ink edge per byte past kSmooth
constexpr double kSmooth = 2.0;
constexpr double kConfidenceScore = 40.0;  // the evidence that makes a region 63 in 100 sure
constexpr double kScreenScore = 200.0;
constexpr double kCandidateScore = -1.0;
constexpr double kCandidateDrift = 0.5;
constexpr std::int64_t kJudgedBytes = 8192;  // enough to judge a region by
constexpr std::int64_t kSeamPairs = 24;
constexpr std::int64_t kColumnRows = 12;  // rows enough to judge each byte column on its own
constexpr double kCounting = 0.25;
constexpr double kSeamCorrelation = 0.15;
constexpr double kMaskedShare = 0.9;
constexpr double kScreenCandidateScore = 40.0;
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
  std::uint8_t edges = 0;   // bytes that hold an edge: neither 0 nor 0xFF
  std::int16_t reach = 0;   // bytes available from the cell's start, up to kReach
  std::uint16_t total = 0;  // unmatched bits over distances 1 to kMaxLag
  bool blank = false;       // every byte the same
};

constexpr std::int32_t kReach = kScreenLag + kCell + 8;

// Pairs of the cell at the lag whose later byte lies in the bytes available.
std::int32_t PairCount(const Cell& cell, std::int32_t lag) {
  return std::clamp<std::int32_t>(cell.reach - lag, 0, cell.bytes);
}

std::uint64_t Load(const std::uint8_t* p) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  return word;
}

std::uint8_t WidenByte(std::uint8_t byte) {
  return static_cast<std::uint8_t>(byte | byte >> 1 | byte << 1);
}

bool Partial(std::uint8_t byte) {
  return byte != 0 && byte != 0xFF;
}

constexpr std::array<std::uint8_t, 256> MakeBitCounts() {
  std::array<std::uint8_t, 256> counts{};
  for (int b = 0; b < 256; ++b)
    counts[b] = static_cast<std::uint8_t>(std::popcount(static_cast<unsigned>(b)));
  return counts;
}
constexpr std::array<std::uint8_t, 256> kBitCounts = MakeBitCounts();

std::int32_t PairUnmatched(std::uint8_t x, std::uint8_t y) {
  return kBitCounts[static_cast<std::uint8_t>((x & ~WidenByte(y)) | (y & ~WidenByte(x)))];
}

// The bytes of a scan with two derived copies that the hot loops read as words: each byte
// widened by a pixel to either side, and 0xFF where it holds an edge (neither 0 nor 0xFF).
struct Planes {
  const std::uint8_t* bytes;
  const std::uint8_t* widened;
  const std::uint8_t* edges;
  std::int64_t available;
};

struct PlaneStore {
  std::vector<std::uint8_t> widened;
  std::vector<std::uint8_t> edges;
};

Planes MakePlanes(const std::uint8_t* data, std::int64_t available, PlaneStore& store) {
  const auto n = static_cast<std::size_t>(available);
  store.widened.assign(n + 8, 0);
  store.edges.assign(n + 8, 0);
  for (std::size_t i = 0; i < n; ++i) {
    store.widened[i] = WidenByte(data[i]);
    store.edges[i] = Partial(data[i]) ? 0xFF : 0;
  }
  return {data, store.widened.data(), store.edges.data(), available};
}

// Bits of the pairs from `p` and `lag` bytes further on that count: those of pairs in which
// one byte holds an edge. Where both bytes are all clear or all set, as inside a blank area
// or a filled one, the pair looks the same at every distance and tells nothing of the width.
[[gnu::always_inline]] inline int UnmatchedWord(const Planes& planes, std::int64_t at,
                                                std::int32_t lag) {
  const std::uint64_t x = Load(planes.bytes + at), y = Load(planes.bytes + at + lag);
  const std::uint64_t counted = Load(planes.edges + at) | Load(planes.edges + at + lag);
  return std::popcount(((x & ~Load(planes.widened + at + lag)) | (y & ~Load(planes.widened + at))) &
                       counted);
}

int UnmatchedBytes(const std::uint8_t* p, std::int32_t count, std::int32_t lag,
                   const std::uint8_t* end) {
  int bits = 0;
  for (std::int32_t i = 0; i < count && p + i + lag < end; ++i) {
    const std::uint8_t x = p[i], y = p[i + lag];
    if (Partial(x) || Partial(y)) bits += PairUnmatched(x, y);
  }
  return bits;
}

// The cells from `first` to `end`, each kCell bytes of data from its start.
[[gnu::always_inline]] inline void MeasureBody(const Planes& planes, std::int64_t first,
                                               std::int64_t end, Cell* cells) {
  const std::uint8_t* data = planes.bytes;
  const std::int64_t available = planes.available;
  const std::uint8_t* stop = data + available;
  for (std::int64_t at = first; at < end; at += kCell, ++cells) {
    Cell& cell = *cells;
    const std::uint8_t* p = data + at;
    const auto count = static_cast<std::int32_t>(std::min<std::int64_t>(kCell, end - at));
    cell.bytes = static_cast<std::uint8_t>(count);
    cell.reach = static_cast<std::int16_t>(std::min<std::int64_t>(kReach, available - at));
    cell.blank = std::all_of(p, p + count, [&](std::uint8_t b) { return b == p[0]; });
    cell.edges = static_cast<std::uint8_t>(
        std::count_if(p, p + count, [](std::uint8_t b) { return Partial(b); }));
    const bool whole = count == kCell && cell.reach == kReach;
    for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) {
      cell.unmatched[lag] = static_cast<std::uint8_t>(whole ? UnmatchedWord(planes, at, lag) +
                                                                  UnmatchedWord(planes, at + 8, lag)
                                                            : UnmatchedBytes(p, count, lag, stop));
      cell.total = static_cast<std::uint16_t>(cell.total + cell.unmatched[lag]);
    }
    cell.screenUnmatched = static_cast<std::uint8_t>(
        whole ? UnmatchedWord(planes, at, kScreenLag) + UnmatchedWord(planes, at + 8, kScreenLag)
              : UnmatchedBytes(p, count, kScreenLag, stop));
    for (std::int32_t i = 0; i < count; ++i) {
      if (p[i] != 0) continue;
      for (std::int32_t lag = 8; lag <= 24 && p + i + lag < stop; ++lag)
        (lag % 8 == 0 ? cell.blankRowsAligned : cell.blankRowsElsewhere) += p[i + lag] == 0;
    }
  }
}

// Counting bits is one instruction where the processor has it, which neither build may
// assume; checked once, at the first use.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
[[gnu::target("popcnt")]] void MeasureWithCount(const Planes& planes, std::int64_t first,
                                                std::int64_t end, Cell* cells) {
  MeasureBody(planes, first, end, cells);
}
bool HasCount() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("popcnt") != 0;
  }();
  return has;
}
#endif

void MeasureGeneric(const Planes& planes, std::int64_t first, std::int64_t end, Cell* cells) {
  MeasureBody(planes, first, end, cells);
}

// The cells of the bytes from `first` to `end`.
std::vector<Cell> MeasureCells(const Planes& planes, std::int64_t first, std::int64_t end) {
  std::vector<Cell> cells(static_cast<std::size_t>((end - first + kCell - 1) / kCell));
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  if (HasCount()) {
    MeasureWithCount(planes, first, end, cells.data());
    return cells;
  }
#endif
  MeasureGeneric(planes, first, end, cells.data());
  return cells;
}

constexpr std::int32_t kBlock = 64;
constexpr std::int64_t kZoneMargin = 2 * kBlock;

// The first look at a block: 8 bytes from its middle against those at each distance, with
// the evidence per width weighed as for cells.
[[gnu::always_inline]] inline void SampleBody(const Planes& planes, std::int64_t blocks,
                                              float* widths, float* screen) {
  for (std::int64_t b = 0; b < blocks; ++b, widths += kStates, ++screen) {
    const std::int64_t at = b * kBlock;
    const std::uint64_t first = Load(planes.bytes + at);
    bool blank = (first & 0xFF) * 0x0101010101010101ull == first;
    for (int k = 8; blank && k < kBlock; k += 8) blank = Load(planes.bytes + at + k) == first;
    if (blank) continue;
    // The 8 bytes of the block that hold the most edges: blank and filled ones tell nothing.
    std::int64_t sample = at;
    int edges = -1;
    for (int k = 0; k < kBlock; k += 8) {
      const int here = std::popcount(Load(planes.edges + at + k));
      if (here > edges) {
        edges = here;
        sample = at + k;
      }
    }
    int unmatched[kMaxLag + 1];
    int total = 0;
    for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) {
      unmatched[lag] = UnmatchedWord(planes, sample, lag);
      total += unmatched[lag];
    }
    if (total == 0) continue;
    const double base = total / static_cast<double>(kMaxLag);
    const double scale = 1 / std::sqrt(base + 1);
    for (std::int32_t w = 1; w <= kMaxStripWidth; ++w) {
      const int side = w == 1 ? unmatched[2] : std::min(unmatched[w - 1], unmatched[w + 1]);
      widths[w] = static_cast<float>(
          (base - unmatched[w] + kContrastShare * (side - unmatched[w])) * scale);
    }
    widths[1] = std::max(
        widths[1], static_cast<float>(
                       (base - std::max({unmatched[8], unmatched[16], unmatched[24]})) * scale));
    *screen = static_cast<float>((base - UnmatchedWord(planes, sample, kScreenLag)) * scale);
  }
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
[[gnu::target("popcnt")]] void SampleWithCount(const Planes& planes, std::int64_t blocks,
                                               float* widths, float* screen) {
  SampleBody(planes, blocks, widths, screen);
}
#endif

void SampleGeneric(const Planes& planes, std::int64_t blocks, float* widths, float* screen) {
  SampleBody(planes, blocks, widths, screen);
}

// The stretches worth measuring cell by cell: blocks where the first look, over a block and
// its two neighbours, shows continuity at some width, or over a screen's length a screen's,
// with a margin; and the end, where the look cannot reach. The rest (blank runs, code, text,
// packed data) is passed over.
std::vector<std::pair<std::int64_t, std::int64_t>> Candidates(const Planes& planes,
                                                              std::int64_t span) {
  const std::int64_t available = planes.available;
  const std::int64_t blocks =
      std::clamp<std::int64_t>((available - kReach - kBlock) / kBlock, 0, span / kBlock);
  std::vector<float> widths(static_cast<std::size_t>(blocks * kStates), 0.0f);
  std::vector<float> screen(static_cast<std::size_t>(blocks), 0.0f);
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  if (HasCount())
    SampleWithCount(planes, blocks, widths.data(), screen.data());
  else
#endif
    SampleGeneric(planes, blocks, widths.data(), screen.data());
  std::vector<bool> active(static_cast<std::size_t>(blocks), false);
  // Per width, the evidence gathered since it last fell to nothing, each block paying a
  // drift: a stretch is picked out from where its sum began once the sum passes the mark,
  // so that a long stretch of weak evidence is found as surely as a short one of strong.
  std::array<float, kStates> gathered{};
  std::array<std::int64_t, kStates> since{};
  for (std::int64_t b = 0; b < blocks; ++b) {
    for (std::int32_t w = 1; w <= kMaxStripWidth; ++w) {
      gathered[w] +=
          widths[static_cast<std::size_t>(b * kStates + w)] - static_cast<float>(kCandidateDrift);
      if (gathered[w] <= 0) {
        gathered[w] = 0;
        since[w] = b + 1;
      } else if (gathered[w] >= kCandidateScore) {
        for (std::int64_t d = since[w]; d <= b; ++d) active[static_cast<std::size_t>(d)] = true;
        since[w] = b + 1;
      }
    }
  }
  constexpr std::int64_t kScreenBlocks = kPixelBytes / kBlock;
  double sum = 0;
  for (std::int64_t b = 0; b < blocks; ++b) {
    sum += screen[static_cast<std::size_t>(b)];
    if (b >= kScreenBlocks) sum -= screen[static_cast<std::size_t>(b - kScreenBlocks)];
    if (sum >= kScreenCandidateScore)
      for (std::int64_t d = std::max<std::int64_t>(0, b - kScreenBlocks); d <= b; ++d)
        active[static_cast<std::size_t>(d)] = true;
  }
  std::vector<std::pair<std::int64_t, std::int64_t>> zones;
  const auto add = [&](std::int64_t from, std::int64_t to) {
    from = std::max<std::int64_t>(0, from - kZoneMargin);
    to = std::min(span, to + kZoneMargin);
    if (!zones.empty() && from <= zones.back().second)
      zones.back().second = std::max(zones.back().second, to);
    else
      zones.emplace_back(from, to);
  };
  for (std::int64_t b = 0; b < blocks;) {
    if (!active[static_cast<std::size_t>(b)]) {
      ++b;
      continue;
    }
    std::int64_t end = b;
    while (end < blocks && active[static_cast<std::size_t>(end)]) ++end;
    add(b * kBlock, end * kBlock);
    b = end;
  }
  if (blocks * kBlock < span) add(blocks * kBlock, span);
  return zones;
}

struct Evidence {
  std::vector<std::array<float, kStates>> widths;  // per cell: 0 for background, then widths
  std::vector<float> screen;  // per cell: continuity 256 bytes on, one pixel line down a screen
};

Evidence Weigh(const std::vector<Cell>& cells) {
  Evidence weighed;
  weighed.widths.resize(cells.size());
  weighed.screen.resize(cells.size());
  const auto n = static_cast<std::ptrdiff_t>(cells.size());
  for (std::ptrdiff_t c = 0; c < n; ++c) {
    const Cell& cell = cells[static_cast<std::size_t>(c)];
    auto& e = weighed.widths[static_cast<std::size_t>(c)];
    e[0] = 0;
    // What continuity is usual here: over the neighbouring cells, at every distance.
    std::int64_t total = 0, pairs = 0;
    for (std::ptrdiff_t d = std::max<std::ptrdiff_t>(0, c - 2); d <= std::min(n - 1, c + 2); ++d) {
      const Cell& near = cells[static_cast<std::size_t>(d)];
      total += near.total;
      pairs += near.reach >= kMaxLag + near.bytes ? kMaxLag * near.bytes : 0;
      if (near.reach < kMaxLag + near.bytes)
        for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) pairs += PairCount(near, lag);
    }
    if (cell.blank || total == 0 || pairs == 0) {
      e.fill(static_cast<float>(-kBlankCellCost));
      e[0] = 0;
      continue;
    }
    const double base = static_cast<double>(total) / static_cast<double>(pairs);
    const std::int32_t screenPairs = PairCount(cell, kScreenLag);
    weighed.screen[static_cast<std::size_t>(c)] = static_cast<float>(
        (base * screenPairs - cell.screenUnmatched) / std::sqrt(base * screenPairs + 1));
    const double scale = 1 / std::sqrt(base * cell.bytes + 1);
    // A cell of few edges (inside a filled or blank area of a picture) tells little either
    // way, and costs a run as little.
    const double cost =
        kBlankCellCost + (kCellCost - kBlankCellCost) * std::min(1.0, cell.edges / 8.0);
    for (std::int32_t w = 1; w <= kMaxStripWidth; ++w) {
      const std::int32_t count = PairCount(cell, w);
      if (count == 0) {
        e[w] = static_cast<float>(-cost);
        continue;
      }
      const double side =
          w == 1 ? cell.unmatched[2] : std::min(cell.unmatched[w - 1], cell.unmatched[w + 1]);
      const double contrast = side - cell.unmatched[w];
      e[w] = static_cast<float>(
          (base * count - cell.unmatched[w] + kContrastShare * contrast) * scale - cost);
    }
    // Characters 8 rows high, one after another: beside the rows continuing within each
    // character, every character is laid out as the others are (a blank row at the same
    // place, the letters' sides in the same columns), whose likeness at 8, 16 and 24 bytes
    // holds as well for the third character on as for the next. A sheet 8 bytes wide is
    // most alike one row down and less so further.
    const double layout = std::min({e[8], e[16], e[24]}) + cost;
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
  // How well the last pixel of a byte continues into the first of the next one in its row
  // (or of the next but one, where mask and graphic alternate), beyond chance; 0 where no
  // ink meets the seams. High in a picture of that width; by chance where the bytes of a
  // row are in truth the rows of a narrower picture, as a font's at 8.
  double seams = 0;
  std::int64_t seamPairs = 0;
  double counting = 0;  // share of rows in which some column's number steps evenly
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
  for (int k = 0; k < 8; ++k) {
    chanceAll += 2.0 * set[k] / length * (1 - static_cast<double>(set[k]) / length);
    differAll += pairs > 0 ? static_cast<double>(differ[k]) / pairs : 0;
  }
  j.exactCorrelation = chanceAll > 0 ? 1 - differAll / chanceAll : 0;
  j.worstBit = 1;
  for (int k = 0; k < 8; ++k) {
    const double q = 2.0 * set[k] / length * (1 - static_cast<double>(set[k]) / length);
    if (q >= 0.1)
      j.worstBit =
          std::min(j.worstBit, 1 - (pairs > 0 ? static_cast<double>(differ[k]) / pairs : 0) / q);
  }
  // Each byte of the row read as a number down its column: in a table the numbers of some
  // column go up or down by a step that stays or changes little (counts, addresses, sines),
  // where the bytes of a picture leap from one shape to the next.
  const std::int64_t rows = length / width;
  if (rows >= kColumnRows) {
    for (std::int32_t column = 0; column < width; ++column) {
      std::int64_t stepped = 0;
      for (std::int64_t r = 1; r + 1 < rows; ++r) {
        const auto at = [&](std::int64_t row) { return p[row * width + column]; };
        const auto step = static_cast<std::int8_t>(at(r) - at(r - 1));
        const auto next = static_cast<std::int8_t>(at(r + 1) - at(r));
        stepped +=
            step != 0 && (next == step || (std::abs(step) >= 4 && std::abs(next - step) <= 1));
      }
      j.counting = std::max(j.counting, static_cast<double>(stepped) / (rows - 2));
    }
  }
  // Continuity one row down, against that at a few distances that are no multiple of 8
  // (characters 8 rows high are alike at those, row for row) and no row nor near one.
  const std::int64_t judged = std::min<std::int64_t>(length, kJudgedBytes);
  const auto unmatched = [&](std::int32_t lag) {
    std::int64_t bits = 0, counted = 0;
    for (std::int64_t i = 0; i + lag < judged; ++i) {
      if (!Partial(p[i]) && !Partial(p[i + lag])) continue;
      bits += PairUnmatched(p[i], p[i + lag]);
      ++counted;
    }
    return counted > 0 ? static_cast<double>(bits) / counted : 0.0;
  };
  double base = 0;
  int lags = 0;
  for (const std::int32_t lag : {5, 7, 11, 13, 19, 23, 29}) {
    if (std::abs(lag - width) <= 1 || lag == 2 * width) continue;
    base += unmatched(lag);
    ++lags;
  }
  base /= lags;
  const double continued = width == 1 ? std::min(unmatched(1), unmatched(8)) : unmatched(width);
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
      edges += kBitCounts[(p[i] ^ (p[i] >> 1)) & 0x7F];
    }
  }
  j.text = static_cast<double>(printable) / length;
  j.letters = static_cast<double>(letters) / length;
  const std::int64_t nonzero = repeats + starts;
  j.runs = nonzero > 0 ? static_cast<double>(repeats) / nonzero : 0;
  j.ragged = starts > 0 ? static_cast<double>(edges) / starts : 0;
  for (int k = 0; k < 8; ++k) j.bitsUsed += set[k] * 33 >= nonzero && set[k] > 0;
  for (std::int32_t step = 1; step <= 2 && step < width; ++step) {
    std::int64_t inked = 0, agreed = 0;
    for (std::int64_t i = 0; i + step < judged; ++i) {
      if (i % width + step >= width) continue;  // the next byte is in the next row
      const bool last = p[i] & 0x01, first = p[i + step] & 0x80;
      if (!last && !first) continue;
      ++inked;
      agreed += last && first;
    }
    // Chance: both set, among the pairs where either is, from how often each is set.
    const double p0 = static_cast<double>(set[0]) / length,
                 p7 = static_cast<double>(set[7]) / length;
    const double either = 1 - (1 - p0) * (1 - p7);
    if (inked < 16 || either <= 0) continue;
    const double chance = p0 * p7 / either;
    const double seams =
        chance < 1 ? (static_cast<double>(agreed) / inked - chance) / (1 - chance) : 0;
    if (inked > j.seamPairs || seams > j.seams) {
      j.seams = std::max(j.seams, seams);
      j.seamPairs = std::max(j.seamPairs, inked);
    }
  }
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
  if (j.counting >= kCounting) return false;
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
Found Settle(const std::uint8_t* data, std::int64_t available, std::int64_t origin,
             const std::vector<Cell>& cells, const Segment& segment) {
  const std::int32_t w = segment.width;
  std::int64_t total = 0, pairs = 0;
  for (std::int64_t c = segment.firstCell; c < segment.endCell; ++c)
    for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) {
      total += cells[static_cast<std::size_t>(c)].unmatched[lag];
      pairs += PairCount(cells[static_cast<std::size_t>(c)], lag);
    }
  const double base = pairs > 0 ? static_cast<double>(total) / static_cast<double>(pairs) : 0;
  const auto agreement = [&](std::int64_t i) {
    if (i < 0 || i + w >= available) return -8.0;
    if (!Partial(data[i]) && !Partial(data[i + w])) return 0.0;
    return base - PairUnmatched(data[i], data[i + w]);
  };
  const std::int64_t first = origin + segment.firstCell * kCell;
  const std::int64_t last = std::min(available, origin + segment.endCell * kCell);
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
  if (j.maskedShare >= kMaskedShare) return GraphicsKind::kMasked;
  if (width == 1) return j.font ? GraphicsKind::kFont : GraphicsKind::kTiles;
  return width > 16 ? GraphicsKind::kPicture : GraphicsKind::kSprites;
}

// Whole screens: 6,144 pixel bytes whose lines continue 256 bytes on, within each third but
// for its last line of each row of cells, then 768 attribute bytes. Found where that
// continuity over a screen's cells outweighs what any strip width makes of them, and placed
// to the byte where the lines' pairs agree best.
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
    const std::int64_t first = std::max<std::int64_t>(0, origin + best * kCell - 2048);
    const std::int64_t last = std::min(available - kScreenBytes, origin + best * kCell + 2048);
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
    c = (start - origin + kScreenBytes + kCell - 1) / kCell;
  }
  return screens;
}

// The regions in one stretch that the first look picked out, measured cell by cell.
std::vector<Found> FindInZone(const Planes& planes, std::int64_t origin, std::int64_t end) {
  const std::uint8_t* data = planes.bytes;
  const std::int64_t available = planes.available;
  const std::vector<Cell> cells = MeasureCells(planes, origin, end);
  Evidence evidence = Weigh(cells);
  std::vector<Found> found = FindScreens(data, available, origin, cells, evidence);
  // No run of a strip width goes into or across a screen.
  for (const Found& screen : found) {
    const auto first = static_cast<std::size_t>((screen.region.start - origin) / kCell);
    const auto last =
        std::min(evidence.widths.size(),
                 static_cast<std::size_t>(
                     (screen.region.start - origin + kScreenBytes + kCell - 1) / kCell));
    for (std::size_t c = first; c < last; ++c) {
      evidence.widths[c].fill(-1e6f);
      evidence.widths[c][0] = 0;
    }
  }
  for (const Segment& segment : Divide(evidence.widths)) {
    Found f = Settle(data, available, origin, cells, segment);
    if (f.region.length < 2 * f.region.width) continue;
    Judgment j = Judge(data + f.region.start, f.region.length, f.region.width);
    // Rows whose bytes do not join at their seams are no rows: a narrower picture's rows
    // side by side, most often characters or sprite columns 1 byte wide, repeating at this
    // distance.
    if (f.region.width > 1 && j.maskedShare < kMaskedShare && j.seamPairs >= kSeamPairs &&
        j.seams < kSeamCorrelation) {
      const Judgment one = Judge(data + f.region.start, f.region.length, 1);
      if (LooksLikePictures(one, 1)) {
        f.region.width = 1;
        j = one;
      }
    }
    if (!LooksLikePictures(j, f.region.width) ||
        f.score < kReportScore + kRaggedScore * std::max(0.0, j.ragged - kSmooth))
      continue;
    f.region.kind = KindOf(j, f.region.width);
    found.push_back(f);
  }
  return found;
}

std::vector<Found> FindInScan(const std::uint8_t* data, std::int64_t span, std::int64_t available) {
  PlaneStore store;
  const Planes planes = MakePlanes(data, available, store);
  std::vector<Found> all;
  for (const auto& [from, to] : Candidates(planes, span)) {
    const std::vector<Found> zone = FindInZone(planes, from, to);
    all.insert(all.end(), zone.begin(), zone.end());
  }
  std::stable_sort(all.begin(), all.end(),
                   [](const Found& a, const Found& b) { return a.region.start < b.region.start; });
  // In order and apart: a region that starts inside the one before keeps only what follows it.
  std::vector<Found> found;
  for (Found f : all) {
    if (!found.empty()) {
      const GraphicsRegion& before = found.back().region;
      const std::int64_t cut = before.start + before.length;
      if (f.region.start < cut) {
        f.region.length -= cut - f.region.start;
        f.region.start = cut;
      }
    }
    if (f.region.length < 2 * f.region.width) continue;
    f.region.confidence = static_cast<std::int32_t>(
        std::clamp(100.0 * (1 - std::exp(-f.score / kConfidenceScore)), 1.0, 100.0));
    found.push_back(f);
  }
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
  fed_ += static_cast<std::int64_t>(count);
  constexpr std::size_t kWindow = kScanBytes + kLookahead;
  while (count > 0) {
    // Scanned where they lie while nothing waits before them; only what remains is copied.
    if (buffer_.empty() && count >= kWindow) {
      const auto used = static_cast<std::size_t>(Scan(bytes, kWindow, false));
      bytes += used;
      count -= used;
      continue;
    }
    const std::size_t take = std::min(count, kWindow - std::min(kWindow, buffer_.size()));
    buffer_.insert(buffer_.end(), bytes, bytes + take);
    bytes += take;
    count -= take;
    if (buffer_.size() >= kWindow) {
      const std::int64_t used =
          Scan(buffer_.data(), static_cast<std::int64_t>(buffer_.size()), false);
      buffer_.erase(buffer_.begin(), buffer_.begin() + used);
    }
  }
}

void GraphicsFinder::Finish() {
  if (finished_) return;
  Scan(buffer_.data(), static_cast<std::int64_t>(buffer_.size()), true);
  buffer_.clear();
  if (pending_) settled_.push_back(*pending_);
  pending_.reset();
  finished_ = true;
}

std::vector<GraphicsRegion> GraphicsFinder::TakeRegions() {
  std::vector<GraphicsRegion> taken;
  taken.swap(settled_);
  return taken;
}

void GraphicsFinder::Settle(GraphicsRegion region, bool more) {
  // A region cut where the last scan ended goes on with the first of this one when that is
  // of its width and starts where it stopped, give or take a cell.
  if (pending_) {
    const std::int64_t end = pending_->start + pending_->length;
    if (region.width == pending_->width && region.start <= end + kCell &&
        region.start + region.length > end) {
      region.length = region.start + region.length - pending_->start;
      region.start = pending_->start;
      region.kind = pending_->kind;
      region.confidence = std::max(region.confidence, pending_->confidence);
    } else {
      settled_.push_back(*pending_);
    }
    pending_.reset();
  }
  if (more)
    pending_ = region;
  else
    settled_.push_back(region);
}

std::int64_t GraphicsFinder::Scan(const std::uint8_t* data, std::int64_t available, bool last) {
  const std::int64_t span = last ? available : kScanBytes;
  const std::int64_t hold = span - kHold;
  std::int64_t used = last ? available : hold;
  const std::int64_t at = scanned_ + origin_;
  for (const Found& f : FindInScan(data, span, available)) {
    GraphicsRegion region = f.region;
    region.start += at;
    if (!last && f.region.start + f.region.length > hold) {
      if (f.region.start >= span / 2) {  // the next scan takes it from its start
        used = f.region.start;
        break;
      }
      // A region this long is cut here, and the next scan may go on with it.
      region.length = hold - f.region.start;
      Settle(region, true);
      break;
    }
    Settle(region, false);
  }
  scanned_ += used;
  return used;
}

std::vector<GraphicsRegion> FindGraphics(const std::uint8_t* bytes, std::int64_t length) {
  GraphicsFinder finder;
  finder.Feed(bytes, static_cast<std::size_t>(std::max<std::int64_t>(length, 0)));
  finder.Finish();
  return finder.TakeRegions();
}

}  // namespace pelorin
