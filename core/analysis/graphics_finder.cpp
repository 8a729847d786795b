// graphics_finder.cpp: the graphics finder.
#include "analysis/graphics_finder.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>
#include <tuple>

#include "analysis/two_cores.h"
#include "screen/screen.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define PELORIN_X86 1
#endif
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
constexpr double kEntryCost = 10.0;
// The evidence a region needs: more where its bytes are as ragged as random ones, less
// where they hold the whole shapes of pictures.
constexpr double kReportScore = 10.0;
constexpr double kRaggedScore = 16.0;  // per ink edge per byte past kSmooth
constexpr double kSmooth = 2.0;
constexpr double kTileEdgeScore = 4.0;     // per standard deviation of tile edges
constexpr double kConfidenceScore = 40.0;  // the evidence that makes a region 63 in 100 sure
constexpr double kScreenScore = 200.0;
constexpr float kCandidateScore = 4.0f;
constexpr float kCandidateReach = 1.0f;
constexpr float kTileCandidateScore = 8.0f;
constexpr std::int64_t kGapBlocks = 4;
constexpr std::int64_t kWindowBlocks = 4;
constexpr std::int64_t kJudgedBytes = 2048;  // enough to judge a region by
constexpr double kSettleToll = 0.3;          // of the usual unmatched bits, per pair
constexpr std::int64_t kSettleCells = 4;     // how far inside a run its bounds may move
constexpr int kCharactersBack = 16;          // a font's characters taken in before its evidence
constexpr std::int64_t kColumnRows = 12;     // rows enough to judge each byte column on its own
constexpr double kCounting = 0.3;
constexpr std::int64_t kTableRowCost = 3;  // a row that steps evenly, against one that does not
constexpr double kTableShare = 0.6;        // of a table's rows that step evenly
constexpr double kMaskedShare = 0.9;
constexpr double kFlippingBit = -0.15;  // correlation of a bit from row to row
constexpr double kLoneBit = 0.25;       // below that of the whole bytes
constexpr double kMapRuns = 0.5;
constexpr double kMapRagged = 2.0;
constexpr double kSmoothChanges = 0.3;
constexpr double kScreenCandidateScore = 40.0;
constexpr float kScreenBlockDoubt = 4.0f;
constexpr double kScreenRoundMargin = 8.0;
constexpr std::int32_t kColourCells = kAttributeBytes / 64;  // of one colour, to count
constexpr double kCharacterCost = 2.0;
constexpr std::ptrdiff_t kTileCells = 4;  // to either side: where the tiles around end
constexpr double kTileCost = 0.5;
constexpr double kProfileCost = 0.25;
constexpr float kTileStandsOut = 4.0f;
constexpr float kTileAlike = 0.0f;
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
  // The unmatched bits one byte on, of the pairs that start at each place in 8, a byte each:
  // tiles 8 rows high continue at all places but the one where a tile ends.
  std::uint64_t places = 0;
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

// Each byte of the word widened by a pixel to either side, as WidenByte.
std::uint64_t WidenWord(std::uint64_t word) {
  return word | (word << 1 & 0xFEFEFEFEFEFEFEFEull) | (word >> 1 & 0x7F7F7F7F7F7F7F7Full);
}

// The bits set in each byte of the word, a byte each.
std::uint64_t BitsPerByte(std::uint64_t word) {
  word -= (word >> 1) & 0x5555555555555555ull;
  word = (word & 0x3333333333333333ull) + ((word >> 2) & 0x3333333333333333ull);
  return (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0Full;
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

#ifdef PELORIN_X86
bool HasVectors();
std::size_t MakePlanesWide(const std::uint8_t* p, std::size_t n, std::uint8_t* widened,
                           std::uint8_t* edges, std::uint64_t* blank);
#endif

// The planes of the bytes from `from` to `to`, and the reach of the last cell beyond.
Planes MakePlanes(const std::uint8_t* data, std::int64_t available, std::int64_t from,
                  std::int64_t to, PlaneStore& store) {
  const auto n = static_cast<std::size_t>(std::min(available, to + kReach) - from);
  store.widened.resize(n + 8);
  store.edges.resize(n + 8);
  store.blank.assign(n / 64 + 2, 0);
  std::uint8_t* widened = store.widened.data();
  std::uint8_t* edges = store.edges.data();
  std::uint64_t* blank = store.blank.data();
  const std::uint8_t* p = data + from;
  std::size_t made = 0;  // bytes whose planes are made, a multiple of 64
#ifdef PELORIN_X86
  if (HasVectors()) made = MakePlanesWide(p, n, widened, edges, blank);
#endif
  for (std::size_t i = made; i < n; ++i) {
    const std::uint8_t b = p[i];
    widened[i] = static_cast<std::uint8_t>(b | b >> 1 | b << 1);
    edges[i] = static_cast<std::uint8_t>(-static_cast<int>((b != 0) & (b != 0xFF)));
  }
  for (std::size_t i = n; i < n + 8; ++i) widened[i] = edges[i] = 0;
  // Eight bytes at a time: the top bit of each byte that is 0, gathered into one byte.
  constexpr std::uint64_t kLow = 0x7F7F7F7F7F7F7F7Full;
  for (std::size_t i = made; i + 8 <= n; i += 8) {
    const std::uint64_t word = Load(p + i);
    const std::uint64_t zero = ~(((word & kLow) + kLow) | word | kLow);
    blank[i / 64] |= ((zero >> 7) * 0x0102040810204080ull >> 56) << (i % 64);
  }
  for (std::size_t i = std::max(made, n / 8 * 8); i < n; ++i)
    blank[i / 64] |= static_cast<std::uint64_t>(p[i] == 0) << (i % 64);
  return {data, available, from, widened, edges, blank};
}

// A bit for each of the 64 bytes from `at` that is 0, as far as the planes reach.
std::uint64_t BlankBits(const Planes& planes, std::int64_t at) {
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

int UnmatchedBytes(const std::uint8_t* p, std::int32_t count, std::int32_t lag,
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
bool Whole(const Planes& planes, std::int64_t at, std::int64_t end) {
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

#ifdef PELORIN_X86
[[gnu::target("avx2")]] inline __m256i LoadWide(const std::uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// The bits set in each byte, from a table of the 16 nibbles.
[[gnu::target("avx2")]] inline __m256i BitsPerByteWide(__m256i v) {
  const __m256i low = _mm256_set1_epi8(0x0F);
  const __m256i bits = _mm256_setr_epi8(0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4, 0, 1, 1, 2,
                                        1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4);
  return _mm256_add_epi8(_mm256_shuffle_epi8(bits, _mm256_and_si256(v, low)),
                         _mm256_shuffle_epi8(bits, _mm256_and_si256(_mm256_srli_epi16(v, 4), low)));
}

// The sums of the bytes of each half, a cell each, in the low 64 bits of its 128.
[[gnu::target("avx2")]] inline __m256i CellSums(__m256i counts) {
  const __m256i sums = _mm256_sad_epu8(counts, _mm256_setzero_si256());
  return _mm256_add_epi64(sums, _mm256_srli_si256(sums, 8));
}

[[gnu::target("avx2")]] inline std::uint8_t LowByte(__m128i v) {
  return static_cast<std::uint8_t>(_mm_cvtsi128_si32(v));
}

[[gnu::target("avx2")]] inline std::uint32_t TopBits(__m256i v) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(v));
}

// The bits of the 32 bytes `x` unmatched in those at `bytes`, counted in each byte, as
// UnmatchedBits has them: `w` and `e` are the widened and edge planes of `x`, `widened` and
// `edges` those of the bytes.
[[gnu::target("avx2")]] inline __m256i UnmatchedWide(__m256i x, __m256i w, __m256i e,
                                                     const std::uint8_t* bytes,
                                                     const std::uint8_t* widened,
                                                     const std::uint8_t* edges) {
  const __m256i y = LoadWide(bytes), v = LoadWide(widened);
  const __m256i counted = _mm256_or_si256(e, LoadWide(edges));
  return BitsPerByteWide(_mm256_and_si256(
      _mm256_or_si256(_mm256_andnot_si256(v, x), _mm256_andnot_si256(w, y)), counted));
}

// Two whole cells from `at`, as MeasureCell has them, 32 bytes at a time: the bits unmatched
// at each lag counted in each byte, the counts of 8 lags gathered into one byte each of a
// lane before they are stored.
[[gnu::target("avx2,popcnt")]] void MeasurePairWide(const Planes& planes, std::int64_t at,
                                                    Cell* cells) {
  const std::uint8_t* bytes = planes.bytes + at;
  const std::uint8_t* widened = planes.widened + (at - planes.origin);
  const std::uint8_t* edges = planes.edges + (at - planes.origin);
  const __m256i x = LoadWide(bytes), w = LoadWide(widened), e = LoadWide(edges);
  const __m256i zero = _mm256_setzero_si256();
  Cell& first = cells[0];
  Cell& second = cells[1];
  for (Cell* cell : {&first, &second}) {
    cell->bytes = kCell;
    cell->reach = kReach;
  }
  __m256i totals = zero;
  for (std::int32_t lag = 1; lag <= kMaxLag; lag += 8) {
    __m256i gathered = zero;
    for (std::int32_t k = 0; k < 8; ++k) {
      const __m256i c = UnmatchedWide(x, w, e, bytes + lag + k, widened + lag + k, edges + lag + k);
      if (lag + k == 1) {
        // The pairs one byte on at each place in 8: the two words of a cell added.
        const __m256i places = _mm256_add_epi8(c, _mm256_srli_si256(c, 8));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(&first.places), _mm256_castsi256_si128(places));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(&second.places),
                         _mm256_extracti128_si256(places, 1));
      }
      gathered = _mm256_or_si256(
          gathered, _mm256_sll_epi64(_mm256_sad_epu8(c, zero), _mm_cvtsi32_si128(8 * k)));
    }
    // Each 64-bit lane holds the counts of 8 bytes at 8 lags; a cell is two lanes.
    const __m256i counts = _mm256_add_epi8(gathered, _mm256_srli_si256(gathered, 8));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(first.unmatched.data() + lag),
                     _mm256_castsi256_si128(counts));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(second.unmatched.data() + lag),
                     _mm256_extracti128_si256(counts, 1));
    totals = _mm256_add_epi64(totals, _mm256_sad_epu8(_mm256_unpacklo_epi64(counts, zero), zero));
  }
  first.total = static_cast<std::uint16_t>(_mm256_extract_epi32(totals, 0));
  second.total = static_cast<std::uint16_t>(_mm256_extract_epi32(totals, 4));
  const __m256i screen = CellSums(
      UnmatchedWide(x, w, e, bytes + kScreenLag, widened + kScreenLag, edges + kScreenLag));
  first.screenUnmatched = LowByte(_mm256_castsi256_si128(screen));
  second.screenUnmatched = LowByte(_mm256_extracti128_si256(screen, 1));
  // Blank bytes against those 8 to 24 on: -1 for each pair, added up apart for the lags that
  // are multiples of 8.
  const __m256i blank = _mm256_cmpeq_epi8(x, zero);
  __m256i aligned = zero, elsewhere = zero;
  for (std::int32_t lag = 8; lag <= 24; ++lag) {
    const __m256i both = _mm256_and_si256(blank, _mm256_cmpeq_epi8(LoadWide(bytes + lag), zero));
    if (lag % 8 == 0)
      aligned = _mm256_sub_epi8(aligned, both);
    else
      elsewhere = _mm256_sub_epi8(elsewhere, both);
  }
  aligned = CellSums(aligned);
  elsewhere = CellSums(elsewhere);
  first.blankRowsAligned = LowByte(_mm256_castsi256_si128(aligned));
  second.blankRowsAligned = LowByte(_mm256_extracti128_si256(aligned, 1));
  first.blankRowsElsewhere = LowByte(_mm256_castsi256_si128(elsewhere));
  second.blankRowsElsewhere = LowByte(_mm256_extracti128_si256(elsewhere, 1));
  // Every byte of a cell the same as its first; the bytes that hold an edge.
  const std::uint32_t same = TopBits(_mm256_cmpeq_epi8(x, _mm256_shuffle_epi8(x, zero)));
  first.blank = (same & 0xFFFF) == 0xFFFF;
  second.blank = same >> 16 == 0xFFFF;
  const std::uint32_t edgeBytes = TopBits(e);
  first.edges = static_cast<std::uint8_t>(std::popcount(edgeBytes & 0xFFFF));
  second.edges = static_cast<std::uint8_t>(std::popcount(edgeBytes >> 16));
}
#endif

// Counting bits is one instruction where the processor has it, and the wide registers that
// count 32 bytes at once are there on most; neither build may assume them: checked once, at
// the first use.
#ifdef PELORIN_X86
[[gnu::target("popcnt")]] void MeasureWithCount(const Planes& planes, std::int64_t first,
                                                std::int64_t end, Cell* cells) {
  MeasureBody(planes, first, end, cells);
}
[[gnu::target("avx2,popcnt")]] void MeasureWithVectors(const Planes& planes, std::int64_t first,
                                                       std::int64_t end, Cell* cells) {
  for (std::int64_t at = first; at < end;) {
    if (Whole(planes, at, end) && Whole(planes, at + kCell, end)) {
      MeasurePairWide(planes, at, cells);
      at += 2 * kCell;
      cells += 2;
    } else {
      MeasureCell(planes, at, end, *cells);
      at += kCell;
      ++cells;
    }
  }
}
bool HasCount() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("popcnt") != 0;
  }();
  return has;
}
bool HasVectors() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("popcnt") != 0;
  }();
  return has;
}

// The widest registers, 64 bytes, and the instruction that counts the bits of each byte in
// them: four whole cells at once, as MeasurePairWide has two. The compiler's own headers for
// them pass an undefined register where no mask is given, which it then warns of.
#ifndef __clang__
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#define PELORIN_WIDEST "avx2,popcnt,avx512f,avx512bw,avx512vl,avx512bitalg"
bool HasWidest() {
  static const bool has = [] {
    __builtin_cpu_init();
    return HasVectors() && __builtin_cpu_supports("avx512f") != 0 &&
           __builtin_cpu_supports("avx512bw") != 0 && __builtin_cpu_supports("avx512vl") != 0 &&
           __builtin_cpu_supports("avx512bitalg") != 0;
  }();
  return has;
}

[[gnu::target(PELORIN_WIDEST)]] inline __m512i LoadWidest(const std::uint8_t* p) {
  return _mm512_loadu_si512(p);
}

// The low 64 bits of each 128 of `v`, a cell each, stored at `to` and every `step` bytes on.
[[gnu::target(PELORIN_WIDEST)]] inline void StoreLanes(__m512i v, std::uint8_t* to,
                                                       std::size_t step) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(to), _mm512_castsi512_si128(v));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(to + step), _mm512_extracti32x4_epi32(v, 1));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(to + 2 * step), _mm512_extracti32x4_epi32(v, 2));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(to + 3 * step), _mm512_extracti32x4_epi32(v, 3));
}

// The sums of the bytes of each 128 bits, a cell each, in its low 64.
[[gnu::target(PELORIN_WIDEST)]] inline __m512i CellSumsWidest(__m512i counts) {
  const __m512i sums = _mm512_sad_epu8(counts, _mm512_setzero_si512());
  return _mm512_add_epi64(sums, _mm512_bsrli_epi128(sums, 8));
}

// As UnmatchedWide, 64 bytes at a time.
[[gnu::target(PELORIN_WIDEST)]] inline __m512i UnmatchedWidest(__m512i x, __m512i w, __m512i e,
                                                               const std::uint8_t* bytes,
                                                               const std::uint8_t* widened,
                                                               const std::uint8_t* edges) {
  const __m512i y = LoadWidest(bytes), v = LoadWidest(widened);
  const __m512i counted = _mm512_or_si512(e, LoadWidest(edges));
  return _mm512_popcnt_epi8(_mm512_and_si512(
      _mm512_or_si512(_mm512_andnot_si512(v, x), _mm512_andnot_si512(w, y)), counted));
}

// Four whole cells from `at`, as MeasurePairWide has two.
[[gnu::target(PELORIN_WIDEST)]] void MeasureQuadWidest(const Planes& planes, std::int64_t at,
                                                       Cell* cells) {
  const std::uint8_t* bytes = planes.bytes + at;
  const std::uint8_t* widened = planes.widened + (at - planes.origin);
  const std::uint8_t* edges = planes.edges + (at - planes.origin);
  const __m512i x = LoadWidest(bytes), w = LoadWidest(widened), e = LoadWidest(edges);
  const __m512i zero = _mm512_setzero_si512();
  constexpr std::size_t kStep = sizeof(Cell);
  __m512i totals = zero;
  for (std::int32_t lag = 1; lag <= kMaxLag; lag += 8) {
    __m512i gathered = zero;
    for (std::int32_t k = 0; k < 8; ++k) {
      const __m512i c =
          UnmatchedWidest(x, w, e, bytes + lag + k, widened + lag + k, edges + lag + k);
      if (lag + k == 1)
        StoreLanes(_mm512_add_epi8(c, _mm512_bsrli_epi128(c, 8)),
                   reinterpret_cast<std::uint8_t*>(&cells->places), kStep);
      gathered = _mm512_or_si512(
          gathered, _mm512_sll_epi64(_mm512_sad_epu8(c, zero), _mm_cvtsi32_si128(8 * k)));
    }
    const __m512i counts = _mm512_add_epi8(gathered, _mm512_bsrli_epi128(gathered, 8));
    StoreLanes(counts, cells->unmatched.data() + lag, kStep);
    totals = _mm512_add_epi64(totals, _mm512_sad_epu8(_mm512_unpacklo_epi64(counts, zero), zero));
  }
  const __m512i screen = CellSumsWidest(
      UnmatchedWidest(x, w, e, bytes + kScreenLag, widened + kScreenLag, edges + kScreenLag));
  const __mmask64 blank = _mm512_cmpeq_epi8_mask(x, zero);
  __m512i aligned = zero, elsewhere = zero;
  const __m512i one = _mm512_set1_epi8(1);
  for (std::int32_t lag = 8; lag <= 24; ++lag) {
    const __mmask64 both = blank & _mm512_cmpeq_epi8_mask(LoadWidest(bytes + lag), zero);
    if (lag % 8 == 0)
      aligned = _mm512_mask_add_epi8(aligned, both, aligned, one);
    else
      elsewhere = _mm512_mask_add_epi8(elsewhere, both, elsewhere, one);
  }
  aligned = CellSumsWidest(aligned);
  elsewhere = CellSumsWidest(elsewhere);
  const std::uint64_t same = _mm512_cmpeq_epi8_mask(x, _mm512_shuffle_epi8(x, zero));
  const std::uint64_t edgeBytes = _mm512_movepi8_mask(e);
  alignas(64) std::uint64_t lanes[4][8];
  _mm512_store_si512(lanes[0], totals);
  _mm512_store_si512(lanes[1], screen);
  _mm512_store_si512(lanes[2], aligned);
  _mm512_store_si512(lanes[3], elsewhere);
  for (int i = 0; i < 4; ++i) {
    Cell& cell = cells[i];
    cell.bytes = kCell;
    cell.reach = kReach;
    cell.total = static_cast<std::uint16_t>(lanes[0][2 * i]);
    cell.screenUnmatched = static_cast<std::uint8_t>(lanes[1][2 * i]);
    cell.blankRowsAligned = static_cast<std::uint8_t>(lanes[2][2 * i]);
    cell.blankRowsElsewhere = static_cast<std::uint8_t>(lanes[3][2 * i]);
    cell.blank = (same >> (16 * i) & 0xFFFF) == 0xFFFF;
    cell.edges = static_cast<std::uint8_t>(std::popcount(edgeBytes >> (16 * i) & 0xFFFF));
  }
}

[[gnu::target(PELORIN_WIDEST)]] void MeasureWithWidest(const Planes& planes, std::int64_t first,
                                                       std::int64_t end, Cell* cells) {
  for (std::int64_t at = first; at < end;) {
    if (Whole(planes, at + 3 * kCell, end)) {
      MeasureQuadWidest(planes, at, cells);
      at += 4 * kCell;
      cells += 4;
    } else if (Whole(planes, at + kCell, end)) {
      MeasurePairWide(planes, at, cells);
      at += 2 * kCell;
      cells += 2;
    } else {
      MeasureCell(planes, at, end, *cells);
      at += kCell;
      ++cells;
    }
  }
}
#ifndef __clang__
#pragma GCC diagnostic pop
#endif
#endif

void MeasureGeneric(const Planes& planes, std::int64_t first, std::int64_t end, Cell* cells) {
  MeasureBody(planes, first, end, cells);
}

// The cells of the bytes from `first` to `end`.
std::vector<Cell> MeasureCells(const Planes& planes, std::int64_t first, std::int64_t end) {
  std::vector<Cell> cells(static_cast<std::size_t>((end - first + kCell - 1) / kCell));
#ifdef PELORIN_X86
  if (HasWidest()) {
    MeasureWithWidest(planes, first, end, cells.data());
    return cells;
  }
  if (HasVectors()) {
    MeasureWithVectors(planes, first, end, cells.data());
    return cells;
  }
  if (HasCount()) {
    MeasureWithCount(planes, first, end, cells.data());
    return cells;
  }
#endif
  MeasureGeneric(planes, first, end, cells.data());
  return cells;
}

constexpr std::int32_t kBlock = 64;
constexpr std::int64_t kZoneMargin = kBlock;

// What the bytes of a block are, counted at once from a table: in the low byte the Z80
// instructions that pictures hardly ever hold, as their bits alternate (calls and returns,
// the prefixes of the index registers and of the extended and bit instructions, pushes and
// pops, the steps of register pairs: some 15% of the bytes of code, 7% of random bytes,
// almost none of a picture's); in the next the printable characters; in the third the
// spaces.
constexpr int kInstructions[] = {0xCD, 0xC9, 0xC3, 0xCB, 0xED, 0xDD, 0xFD, 0xC5, 0xD5, 0xE5, 0xF5,
                                 0xC1, 0xD1, 0xE1, 0xF1, 0xD9, 0xEB, 0x13, 0x1B, 0x23, 0x2B};

constexpr std::array<std::uint32_t, 256> MakeByteClasses() {
  std::array<std::uint32_t, 256> classes{};
  for (const int op : kInstructions) classes[static_cast<std::size_t>(op)] = 1;
  for (int c = 0x20; c < 0x7F; ++c) classes[static_cast<std::size_t>(c)] |= 1 << 8;
  classes[0x20] |= 1 << 16;
  return classes;
}
constexpr std::array<std::uint32_t, 256> kByteClasses = MakeByteClasses();
// A block of 64 bytes with this many of those instructions is machine code; with this many
// printable characters, some of them spaces, it is text. Neither is worth a look.
constexpr std::uint32_t kCodeInstructions = 8;
constexpr std::uint32_t kTextCharacters = 56;
constexpr std::uint32_t kTextSpaces = 4;
// A window of blocks with this many of them is code that a block now and then hides.
constexpr std::int32_t kWindowInstructions = 16;

// The first look at a block: the 16 bytes of it that hold the most edges, against those at
// each distance: the pixels of either with none at or beside them in the other per lag (as
// LooseDiffer has them), the screen's lag last. Nothing for a block of one byte repeated or of
// machine code.
struct Look {
  bool none = true;
  std::array<std::uint8_t, kMaxLag + 2> differ{};
  std::uint16_t total = 0;        // over the lags 1 to kMaxLag
  std::uint8_t instructions = 0;  // of the list above, fewer than kCodeInstructions
  // Over all 64 bytes: the pixels of a byte that do not continue into the next byte, at each
  // place in 8, a byte each; tiles 8 rows high continue but where one ends.
  std::uint64_t places = 0;
};

// 0xFF in each byte of the word that is neither 0 nor 0xFF, 0 in the others.
std::uint64_t EdgeBytes(std::uint64_t word) {
  constexpr std::uint64_t kLow = 0x7F7F7F7F7F7F7F7Full;
  const std::uint64_t set = ((word & kLow) + kLow) | word;      // top bit: some bit set
  const std::uint64_t clear = ((~word & kLow) + kLow) | ~word;  // top bit: some bit clear
  return ((set & clear & ~kLow) >> 7) * 0xFF;
}

// Whether a block of 64 bytes is worth a look, not one byte repeated, nor code, nor text:
// the instructions of the list in it then, -1 otherwise.
int WorthALook(const std::uint8_t* p) {
  const std::uint64_t first = Load(p);
  bool blank = (first & 0xFF) * 0x0101010101010101ull == first;
  for (int k = 8; blank && k < kBlock; k += 8) blank = Load(p + k) == first;
  if (blank) return -1;
  std::uint32_t classes = 0;
  for (int k = 0; k < kBlock; ++k) classes += kByteClasses[p[k]];
  const bool worth = (classes & 0xFF) < kCodeInstructions &&
                     ((classes >> 8 & 0xFF) < kTextCharacters || (classes >> 16) < kTextSpaces);
  return worth ? static_cast<int>(classes & 0xFF) : -1;
}

#ifdef PELORIN_X86
// An instruction is known by its two halves: each high half of the list gets a bit, and
// each low half the bits of the high halves it goes with.
struct NibbleTables {
  std::array<std::uint8_t, 16> low{}, high{};
};
constexpr NibbleTables MakeNibbleTables() {
  NibbleTables tables;
  int bits = 0;
  for (const int op : kInstructions) {
    std::uint8_t& bit = tables.high[static_cast<std::size_t>(op >> 4)];
    if (bit == 0) bit = static_cast<std::uint8_t>(1 << bits++);
  }
  for (const int op : kInstructions)
    tables.low[static_cast<std::size_t>(op & 15)] |= tables.high[static_cast<std::size_t>(op >> 4)];
  return tables;
}
constexpr NibbleTables kNibbles = MakeNibbleTables();
// The halves tell the list exactly: no other byte matches.
constexpr bool NibblesExact() {
  for (int v = 0; v < 256; ++v)
    if (((kNibbles.low[static_cast<std::size_t>(v & 15)] &
          kNibbles.high[static_cast<std::size_t>(v >> 4)]) != 0) !=
        ((kByteClasses[static_cast<std::size_t>(v)] & 1) != 0))
      return false;
  return true;
}
static_assert(NibblesExact());

// WorthALook 32 bytes at a time.
[[gnu::target("avx2,popcnt")]] int WorthALookWide(const std::uint8_t* p) {
  const __m256i halves[] = {LoadWide(p), LoadWide(p + 32)};
  const __m256i first = _mm256_set1_epi8(static_cast<char>(p[0]));
  if ((TopBits(_mm256_cmpeq_epi8(halves[0], first)) &
       TopBits(_mm256_cmpeq_epi8(halves[1], first))) == 0xFFFFFFFFu)
    return -1;
  const __m256i low = _mm256_set1_epi8(0x0F);
  __m128i lows, highs;
  std::memcpy(&lows, kNibbles.low.data(), 16);
  std::memcpy(&highs, kNibbles.high.data(), 16);
  const __m256i lowTable = _mm256_broadcastsi128_si256(lows);
  const __m256i highTable = _mm256_broadcastsi128_si256(highs);
  int instructions = 0, printable = 0, spaces = 0;
  for (const __m256i& v : halves) {
    const __m256i both = _mm256_and_si256(
        _mm256_shuffle_epi8(lowTable, _mm256_and_si256(v, low)),
        _mm256_shuffle_epi8(highTable, _mm256_and_si256(_mm256_srli_epi16(v, 4), low)));
    instructions += 32 - std::popcount(TopBits(_mm256_cmpeq_epi8(both, _mm256_setzero_si256())));
    // 0x20 to 0x7E: above 0x1F and below 0x7F as signed bytes, which the top half is not.
    printable +=
        std::popcount(TopBits(_mm256_and_si256(_mm256_cmpgt_epi8(v, _mm256_set1_epi8(0x1F)),
                                               _mm256_cmpgt_epi8(_mm256_set1_epi8(0x7F), v))));
    spaces += std::popcount(TopBits(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(0x20))));
  }
  const bool worth = static_cast<std::uint32_t>(instructions) < kCodeInstructions &&
                     (static_cast<std::uint32_t>(printable) < kTextCharacters ||
                      static_cast<std::uint32_t>(spaces) < kTextSpaces);
  return worth ? instructions : -1;
}
#endif

// The pixels of each word with no pixel at or beside them in the other, as UnmatchedBits has
// them for all bytes: a line that moves by a pixel from row to row, as an outline's do, still
// continues. `widened` is WidenWord(word).
[[gnu::always_inline]] inline int LooseDiffer(std::uint64_t word, std::uint64_t widened,
                                              std::uint64_t other) {
  return std::popcount((word & ~WidenWord(other)) | (other & ~widened));
}

// The two words of a block with the most bytes that hold an edge, the first of equals first;
// `counts` holds each word's count in a byte.
[[gnu::always_inline]] inline void TwoRichest(const std::uint8_t* p, std::uint64_t counts,
                                              const std::uint8_t*& sample,
                                              const std::uint8_t*& second) {
  sample = p;
  second = p + 8;
  int edges = -1, secondEdges = -1;
  for (int k = 0; k < kBlock; k += 8) {
    const auto here = static_cast<int>(counts >> k & 0xFF);
    if (here > edges) {
      second = sample;
      secondEdges = edges;
      sample = p + k;
      edges = here;
    } else if (here > secondEdges) {
      second = p + k;
      secondEdges = here;
    }
  }
}

[[gnu::always_inline]] inline void SampleBody(const std::uint8_t* bytes, std::int64_t blocks,
                                              Look* looks) {
  for (std::int64_t b = 0; b < blocks; ++b) {
    const std::uint8_t* p = bytes + b * kBlock;
    Look& look = looks[b];
    const int instructions = WorthALook(p);
    if (instructions < 0) continue;
    look.instructions = static_cast<std::uint8_t>(instructions);
    std::uint64_t counts = 0;
    for (int k = 0; k < kBlock; k += 8)
      counts |= static_cast<std::uint64_t>(std::popcount(EdgeBytes(Load(p + k))) / 8) << k;
    const std::uint8_t *sample, *second;
    TwoRichest(p, counts, sample, second);
    const std::uint64_t x = Load(sample), y = Load(second);
    look.none = false;
    const std::uint64_t wx = WidenWord(x), wy = WidenWord(y);
    const auto differ = [&](std::int32_t lag) {
      return static_cast<std::uint8_t>(LooseDiffer(x, wx, Load(sample + lag)) +
                                       LooseDiffer(y, wy, Load(second + lag)));
    };
    for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) {
      look.differ[lag] = differ(lag);
      look.total = static_cast<std::uint16_t>(look.total + look.differ[lag]);
    }
    look.differ[kMaxLag + 1] = differ(kScreenLag);
    for (int k = 0; k < kBlock; k += 8) {
      const std::uint64_t here = Load(p + k), next = Load(p + k + 1);
      look.places += BitsPerByte((here & ~WidenWord(next)) | (next & ~WidenWord(here)));
    }
  }
}

#ifdef PELORIN_X86
[[gnu::target("popcnt")]] void SampleWithCount(const std::uint8_t* bytes, std::int64_t blocks,
                                               Look* looks) {
  SampleBody(bytes, blocks, looks);
}

// Each byte widened by a pixel to either side, as WidenByte.
[[gnu::target("avx2")]] inline __m256i WidenWide(__m256i v) {
  return _mm256_or_si256(_mm256_or_si256(v, _mm256_add_epi8(v, v)),
                         _mm256_and_si256(_mm256_srli_epi16(v, 1), _mm256_set1_epi8(0x7F)));
}

// MakePlanes 32 bytes at a time, as far as whole words of the blank plane go; how far that is.
[[gnu::target("avx2")]] std::size_t MakePlanesWide(const std::uint8_t* p, std::size_t n,
                                                   std::uint8_t* widened, std::uint8_t* edges,
                                                   std::uint64_t* blank) {
  const __m256i zero = _mm256_setzero_si256(), full = _mm256_set1_epi8(-1);
  for (std::size_t i = 0; i + 32 <= n / 64 * 64; i += 32) {
    const __m256i v = LoadWide(p + i);
    const __m256i none = _mm256_cmpeq_epi8(v, zero);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(widened + i), WidenWide(v));
    _mm256_storeu_si256(
        reinterpret_cast<__m256i*>(edges + i),
        _mm256_andnot_si256(_mm256_or_si256(none, _mm256_cmpeq_epi8(v, full)), full));
    blank[i / 64] |= static_cast<std::uint64_t>(TopBits(none)) << (i % 64);
  }
  return n / 64 * 64;
}

// The pixels of `a` with none at or beside them in `b`, and those of `b` so, as LooseDiffer
// has them, in each byte: `wa` is `a` widened.
[[gnu::target("avx2")]] inline __m256i LooseWide(__m256i a, __m256i wa, __m256i b) {
  return _mm256_or_si256(_mm256_andnot_si256(WidenWide(b), a), _mm256_andnot_si256(wa, b));
}

// The byte `i` of a sample and of its widened word in every byte.
struct SampleByte {
  __m256i byte, wide;
};
[[gnu::target("avx2")]] inline SampleByte SampleByteWide(const std::uint8_t* sample,
                                                         std::uint64_t widened, int i) {
  return {_mm256_set1_epi8(static_cast<char>(sample[i])),
          _mm256_set1_epi8(static_cast<char>(widened >> (8 * i)))};
}

// The 8 bytes from `sample` against those at each lag from 1 to 32, LooseDiffer's pixels
// added to `counts` a lag a byte: one byte of the sample against all the lags at once.
[[gnu::target("avx2")]] inline __m256i DifferWide(const std::uint8_t* sample, __m256i counts) {
  const std::uint64_t widened = WidenWord(Load(sample));
  for (int i = 0; i < 8; ++i) {
    const auto [byte, wide] = SampleByteWide(sample, widened, i);
    counts =
        _mm256_add_epi8(counts, BitsPerByteWide(LooseWide(byte, wide, LoadWide(sample + i + 1))));
  }
  return counts;
}

// A bit for each of the 32 bytes that holds an edge.
[[gnu::target("avx2")]] inline std::uint32_t EdgeBitsWide(const std::uint8_t* p) {
  const __m256i v = LoadWide(p);
  return ~TopBits(_mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_setzero_si256()),
                                  _mm256_cmpeq_epi8(v, _mm256_set1_epi8(-1))));
}

// SampleBody's look at one block, 32 bytes at a time, but for LooseDiffer's pixels of its two
// samples at the lags from 1 to 32, which the caller counts: whether the block is worth a
// look, and its samples.
[[gnu::target("avx2,popcnt")]] inline bool LookWide(const std::uint8_t* p, Look& look,
                                                    const std::uint8_t*& sample,
                                                    const std::uint8_t*& second) {
  const int instructions = WorthALookWide(p);
  if (instructions < 0) return false;
  look.instructions = static_cast<std::uint8_t>(instructions);
  // The two words with the most bytes that hold an edge.
  const std::uint64_t edgeBits = EdgeBitsWide(p) | static_cast<std::uint64_t>(EdgeBitsWide(p + 32))
                                                       << 32;
  TwoRichest(p, BitsPerByte(edgeBits), sample, second);
  look.none = false;
  const std::uint64_t x = Load(sample), y = Load(second);
  look.differ[kMaxLag + 1] =
      static_cast<std::uint8_t>(LooseDiffer(x, WidenWord(x), Load(sample + kScreenLag)) +
                                LooseDiffer(y, WidenWord(y), Load(second + kScreenLag)));
  // Byte j of the counts is place j % 8: the four words of each half added.
  __m256i places = _mm256_setzero_si256();
  for (int k = 0; k < kBlock; k += 32) {
    const __m256i here = LoadWide(p + k), next = LoadWide(p + k + 1);
    places = _mm256_add_epi8(places, BitsPerByteWide(LooseWide(here, WidenWide(here), next)));
  }
  __m128i folded =
      _mm_add_epi8(_mm256_castsi256_si128(places), _mm256_extracti128_si256(places, 1));
  folded = _mm_add_epi8(folded, _mm_srli_si128(folded, 8));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(&look.places), folded);
  return true;
}

// LooseDiffer's pixels of a look's samples at the lags from 1 to 32, a byte each, and their sum.
[[gnu::target("avx2")]] inline void StoreDiffer(__m256i differ, Look& look) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(look.differ.data() + 1), differ);
  const __m256i sums = _mm256_sad_epu8(differ, _mm256_setzero_si256());
  const __m128i half =
      _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
  look.total = static_cast<std::uint16_t>(
      _mm_cvtsi128_si32(_mm_add_epi64(half, _mm_unpackhi_epi64(half, half))));
}

[[gnu::target("avx2,popcnt")]] void SampleWithVectors(const std::uint8_t* bytes,
                                                      std::int64_t blocks, Look* looks) {
  for (std::int64_t b = 0; b < blocks; ++b) {
    const std::uint8_t *sample, *second;
    if (LookWide(bytes + b * kBlock, looks[b], sample, second))
      StoreDiffer(DifferWide(second, DifferWide(sample, _mm256_setzero_si256())), looks[b]);
  }
}

// DifferWide with the instruction that counts the bits of each byte.
[[gnu::target(PELORIN_WIDEST)]] inline __m256i DifferWidest(const std::uint8_t* sample,
                                                            __m256i counts) {
  const std::uint64_t widened = WidenWord(Load(sample));
  for (int i = 0; i < 8; ++i) {
    const auto [byte, wide] = SampleByteWide(sample, widened, i);
    counts = _mm256_add_epi8(counts,
                             _mm256_popcnt_epi8(LooseWide(byte, wide, LoadWide(sample + i + 1))));
  }
  return counts;
}

[[gnu::target(PELORIN_WIDEST)]] void SampleWithWidest(const std::uint8_t* bytes,
                                                      std::int64_t blocks, Look* looks) {
  for (std::int64_t b = 0; b < blocks; ++b) {
    const std::uint8_t *sample, *second;
    if (LookWide(bytes + b * kBlock, looks[b], sample, second))
      StoreDiffer(DifferWidest(second, DifferWidest(sample, _mm256_setzero_si256())), looks[b]);
  }
}
#endif

void SampleGeneric(const std::uint8_t* bytes, std::int64_t blocks, Look* looks) {
  SampleBody(bytes, blocks, looks);
}

void SampleBlocks(const std::uint8_t* bytes, std::int64_t blocks, Look* looks) {
#ifdef PELORIN_X86
  if (HasWidest())
    SampleWithWidest(bytes, blocks, looks);
  else if (HasVectors())
    SampleWithVectors(bytes, blocks, looks);
  else if (HasCount())
    SampleWithCount(bytes, blocks, looks);
  else
#endif
    SampleGeneric(bytes, blocks, looks);
}

// The differing bits of a window of blocks at each lag, their mean over the lags, and the
// scale that makes their differences standard deviations.
struct WindowSums {
  // 16 bits each, so that the wide registers add more of them at once: 4 blocks of 128 at most.
  std::array<std::int16_t, kMaxLag + 2> differ{};
  std::int32_t total = 0;
  std::int32_t looked = 0;  // blocks of the window with a look
  std::int32_t instructions = 0;
  std::array<std::int16_t, 8> places{};

  void Add(const Look& look, std::int32_t sign) {
    if (look.none) return;
    for (std::int32_t lag = 1; lag <= kMaxLag + 1; ++lag) differ[lag] += sign * look.differ[lag];
    total += sign * look.total;
    looked += sign;
    instructions += sign * look.instructions;
    for (int k = 0; k < 8; ++k)
      places[static_cast<std::size_t>(k)] +=
          sign * static_cast<std::int32_t>(look.places >> (8 * k) & 0xFF);
  }
  // The window moved on by a block: `out` leaves it and `in` enters, in one pass where both
  // have a look.
  void Slide(const Look& out, const Look& in) {
    if (out.none || in.none) {
      Add(out, -1);
      Add(in, 1);
      return;
    }
    for (std::int32_t lag = 1; lag <= kMaxLag + 1; ++lag)
      differ[lag] += in.differ[lag] - out.differ[lag];
    total += in.total - out.total;
    instructions += in.instructions - out.instructions;
    for (int k = 0; k < 8; ++k)
      places[static_cast<std::size_t>(k)] +=
          static_cast<std::int32_t>(in.places >> (8 * k) & 0xFF) -
          static_cast<std::int32_t>(out.places >> (8 * k) & 0xFF);
  }
  // Whether the place in 8 where most pixels do not continue stands above the others by
  // kTileCandidateScore standard deviations, as where tiles lie, whose ends are there.
  bool TileEnds() const {
    const std::int32_t most = *std::max_element(places.begin(), places.end());
    std::int32_t all = 0;
    for (const std::int32_t count : places) all += count;
    // Far enough below, as whole numbers, that rounding cannot lift it: no root taken.
    const std::int64_t above = 8 * most - all, spread = 7 * most + 1;
    constexpr auto score = static_cast<std::int64_t>(kTileCandidateScore);
    static_assert(score == kTileCandidateScore);
    if (above <= 0 || above * above * ((1 << 19) + 1) < score * score * spread * (1 << 19))
      return false;
    const auto expected = static_cast<float>(most) * 7;
    return (expected - static_cast<float>(all - most)) / std::sqrt(expected + 1) >=
           kTileCandidateScore;
  }
  float Mean() const { return static_cast<float>(total) / kMaxLag; }
};

// The first look's evidence for a width over a window of blocks: how far fewer bits differ
// at that lag than on average and than at the lags beside it, in standard deviations.
// `mean` is the window's and `root` the square root of one more, as WindowEvidence has them:
// worked out once for all the widths.
[[gnu::always_inline]] inline float WindowEvidence(const WindowSums& sums, std::int32_t w,
                                                   float mean, float root) {
  const auto at = [&](std::int32_t lag) { return static_cast<float>(sums.differ[lag]); };
  const float side = w == 1 ? at(2) : std::min(at(w - 1), at(w + 1));
  float evidence = mean - at(w) + static_cast<float>(kContrastShare) * (side - at(w));
  // Characters and tiles 8 rows high are alike 8, 16 and 24 bytes on.
  if (w == 1) evidence = std::max(evidence, mean - std::max({at(8), at(16), at(24)}));
  return evidence / root;
}

// WindowEvidence for every width, at `evidence` + w; the widths past 1 four at a time where
// the wide registers are there, the same sums.
void WindowEvidences(const WindowSums& sums, float mean, float root, float* evidence) {
  std::int32_t w = 2;
#ifdef __SSE2__
  static_assert(kMaxStripWidth + 2 <= kMaxLag + 2);
  const __m128 means = _mm_set1_ps(mean), roots = _mm_set1_ps(root);
  const __m128 share = _mm_set1_ps(static_cast<float>(kContrastShare));
  const auto at = [&](std::int32_t lag) {
    const __m128i counts =
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(sums.differ.data() + lag));
    return _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(counts, counts), 16));
  };
  for (; w + 4 <= kMaxStripWidth + 1; w += 4) {
    const __m128 here = at(w);
    const __m128 side = _mm_min_ps(at(w - 1), at(w + 1));
    const __m128 sum =
        _mm_add_ps(_mm_sub_ps(means, here), _mm_mul_ps(share, _mm_sub_ps(side, here)));
    _mm_storeu_ps(evidence + w, _mm_div_ps(sum, roots));
  }
#endif
  for (; w <= kMaxStripWidth; ++w) evidence[w] = WindowEvidence(sums, w, mean, root);
  evidence[1] = WindowEvidence(sums, 1, mean, root);
}

float WindowEvidence(const WindowSums& sums, std::int32_t w) {
  const float mean = sums.Mean();
  return WindowEvidence(sums, w, mean, std::sqrt(mean + 1));
}

// The stretches worth measuring cell by cell: windows of blocks where the first look shows
// continuity at some width, reaching on to either side while the look still shows some at
// that width; gaps of a few blocks between them closed (a blank stretch of sky, a block that
// looked like code); or over a screen's length a screen's continuity; each with a margin;
// and the end, where the look cannot reach. Blank runs, code, text and packed data are
// passed over.
std::vector<std::pair<std::int64_t, std::int64_t>> Candidates(const std::uint8_t* bytes,
                                                              std::int64_t span,
                                                              std::int64_t available) {
  const std::int64_t blocks =
      std::clamp<std::int64_t>((available - kReach - kBlock) / kBlock, 0, span / kBlock);
  std::vector<Look> looks(static_cast<std::size_t>(blocks));
  // Each block is looked at on its own: the first half of them here, the rest beside.
  const std::int64_t half = blocks / 2;
  OnTwoCores([&](int part) {
    const std::int64_t first = part == 0 ? 0 : half;
    SampleBlocks(bytes + first * kBlock, (part == 0 ? half : blocks) - first, looks.data() + first);
  });
  const auto look = [&](std::int64_t b) -> const Look& {
    return looks[static_cast<std::size_t>(b)];
  };
  const auto window = [&](std::int64_t first) {
    WindowSums sums;
    for (std::int64_t b = first; b < first + kWindowBlocks; ++b) sums.Add(look(b), 1);
    return sums;
  };
  std::vector<std::uint8_t> active(static_cast<std::size_t>(blocks), false);
  WindowSums sums = blocks >= kWindowBlocks ? window(0) : WindowSums{};
  for (std::int64_t b = 0; b + kWindowBlocks <= blocks; ++b) {
    if (b > 0) sums.Slide(look(b - 1), look(b + kWindowBlocks - 1));
    if (2 * sums.looked < kWindowBlocks || sums.instructions >= kWindowInstructions) continue;
    if (sums.TileEnds()) {
      for (std::int64_t d = b; d < b + kWindowBlocks; ++d)
        if (!look(d).none) active[static_cast<std::size_t>(d)] = true;
      continue;
    }
    // No width can pass where even the fewest differing bits are not far enough below the
    // mean.
    const float mean = sums.Mean();
    std::int32_t fewest = sums.differ[1];
    for (std::int32_t lag = 2; lag <= kMaxLag; ++lag)
      fewest = std::min<std::int32_t>(fewest, sums.differ[lag]);
    const float root = std::sqrt(mean + 1);
    if ((mean - fewest) * (1 + static_cast<float>(kContrastShare)) < kCandidateScore * root)
      continue;
    std::array<float, kMaxStripWidth + 2> evidences;
    WindowEvidences(sums, mean, root, evidences.data());
    std::int32_t best = 0;
    float bestEvidence = kCandidateScore;
    for (std::int32_t w = 1; w <= kMaxStripWidth; ++w) {
      const float evidence = evidences[static_cast<std::size_t>(w)];
      if (evidence >= bestEvidence) {
        bestEvidence = evidence;
        best = w;
      }
    }
    if (best == 0) continue;
    for (std::int64_t d = b; d < b + kWindowBlocks; ++d)
      if (!look(d).none) active[static_cast<std::size_t>(d)] = true;
    std::int64_t last = b;
    while (last + kWindowBlocks < blocks && !look(last + kWindowBlocks).none &&
           WindowEvidence(window(last + 1), best) >= kCandidateReach)
      active[static_cast<std::size_t>(++last + kWindowBlocks - 1)] = true;
    for (std::int64_t first = b;
         first > 0 && !look(first - 1).none && !active[static_cast<std::size_t>(first - 1)] &&
         WindowEvidence(window(first - 1), best) >= kCandidateReach;
         --first)
      active[static_cast<std::size_t>(first - 1)] = true;
    if (last > b) {
      b = last;
      sums = window(b);
    }
  }
  // Screens: the continuity 256 bytes on over a screen's length of blocks.
  constexpr std::int64_t kScreenBlocks = kPixelBytes / kBlock;
  double screen = 0;
  std::int64_t marked = 0;  // blocks before this one are marked already
  // A block tells a little against a screen at most: the line below the last of a row of
  // cells lies in the next third, or in the colours below the last third.
  // Worked out once for each block, as it enters the window and as it leaves.
  std::vector<float> screenEvidence(looks.size());
  std::size_t worked = 0;
#ifdef __SSE2__
  // Four blocks at a time: the same sums.
  for (; worked + 4 <= looks.size(); worked += 4) {
    const Look* l = looks.data() + worked;
    const __m128 mean = _mm_div_ps(_mm_setr_ps(l[0].total, l[1].total, l[2].total, l[3].total),
                                   _mm_set1_ps(kMaxLag));
    const __m128 below =
        _mm_sub_ps(mean, _mm_setr_ps(l[0].differ[kMaxLag + 1], l[1].differ[kMaxLag + 1],
                                     l[2].differ[kMaxLag + 1], l[3].differ[kMaxLag + 1]));
    const __m128 scale = _mm_div_ps(_mm_set1_ps(1), _mm_sqrt_ps(_mm_add_ps(mean, _mm_set1_ps(1))));
    _mm_storeu_ps(screenEvidence.data() + worked,
                  _mm_max_ps(_mm_mul_ps(below, scale), _mm_set1_ps(-kScreenBlockDoubt)));
  }
#endif
  for (std::size_t b = worked; b < looks.size(); ++b) {
    const Look& l = looks[b];
    const float mean = static_cast<float>(l.total) / kMaxLag;
    const float scale = 1 / std::sqrt(mean + 1);
    screenEvidence[b] = std::max((mean - l.differ[kMaxLag + 1]) * scale, -kScreenBlockDoubt);
  }
  for (std::int64_t b = 0; b < blocks; ++b) {
    screen += screenEvidence[static_cast<std::size_t>(b)];
    if (b >= kScreenBlocks) screen -= screenEvidence[static_cast<std::size_t>(b - kScreenBlocks)];
    if (screen < kScreenCandidateScore) continue;
    // The lines of the last third, often sky or the ground below hills, tell least: the
    // stretch reaches on by a third of a screen.
    const std::int64_t reach = std::min(blocks - 1, b + kScreenBlocks / 3);
    for (std::int64_t d = std::max(marked, b - kScreenBlocks); d <= reach; ++d)
      active[static_cast<std::size_t>(d)] = true;
    marked = reach + 1;
  }
  // Gaps of a few blocks closed.
  for (std::int64_t b = 0, lastActive = -1; b < blocks; ++b) {
    if (!active[static_cast<std::size_t>(b)]) continue;
    if (lastActive >= 0 && b - lastActive - 1 <= kGapBlocks)
      for (std::int64_t d = lastActive + 1; d < b; ++d) active[static_cast<std::size_t>(d)] = true;
    lastActive = b;
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
  std::vector<double> usual;  // per cell: the unmatched bits per pair around it, at all lags
  std::vector<float> rows;    // per cell: the evidence for width 1 from its rows alone, not tiles
};

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

constexpr auto kContrast = static_cast<float>(kContrastShare);

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
#ifdef __SSE2__
  const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&counts));
  __m128i most = _mm_max_epu8(v, _mm_srli_si128(v, 4));
  most = _mm_max_epu8(most, _mm_srli_si128(most, 2));
  most = _mm_max_epu8(most, _mm_srli_si128(most, 1));
  most = _mm_unpacklo_epi8(most, most);
  most = _mm_shuffle_epi32(_mm_unpacklo_epi16(most, most), 0);  // the first byte in every one
  const __m128i equal = _mm_cmpeq_epi8(v, most);
  return std::countr_zero(static_cast<unsigned>(_mm_movemask_epi8(equal)));
#else
  int end = 0;
  for (int k = 1; k < 8; ++k)
    if ((counts >> (8 * k) & 0xFF) > (counts >> (8 * end) & 0xFF)) end = k;
  return end;
#endif
}

// The unmatched bits beside width w's: the fewer of w - 1 and w + 1; width 1 has one
// neighbour, distance 2.
float Side(const Cell& cell, std::int32_t w) {
  return w == 1 ? cell.unmatched[2] : std::min(cell.unmatched[w - 1], cell.unmatched[w + 1]);
}

// The evidence for each width of a cell whose pairs at every lag are all there, width 0
// left as it is.
void WholeCellWidths(const Cell& cell, float expected, float scale, float cost,
                     std::array<float, kStates>& e) {
#ifdef __SSE2__
  // The neighbours taken from the counts 16 at a time as bytes, the sums four at a time as
  // floats: the same sums as below.
  static_assert(kStates == 32 && kMaxLag == 32);
  const std::uint8_t* counts = cell.unmatched.data();
  const __m128i zero = _mm_setzero_si128();
  const __m128 expect = _mm_set1_ps(expected), costs = _mm_set1_ps(cost);
  const __m128 scales = _mm_set1_ps(scale), share = _mm_set1_ps(kContrast);
  const auto load = [&](std::int32_t at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(counts + at));
  };
  const auto quarter = [&](__m128i bytes, int q) {
    const __m128i words = q < 2 ? _mm_unpacklo_epi8(bytes, zero) : _mm_unpackhi_epi8(bytes, zero);
    return _mm_cvtepi32_ps(q % 2 == 0 ? _mm_unpacklo_epi16(words, zero)
                                      : _mm_unpackhi_epi16(words, zero));
  };
  for (std::int32_t half = 0; half < 2; ++half) {
    const __m128i here = load(16 * half);
    // Below width 1 lies none: all bits set, so that the lesser is distance 2.
    const __m128i left =
        half == 0 ? _mm_or_si128(_mm_slli_si128(here, 1),
                                 _mm_setr_epi8(0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0))
                  : load(15);
    const __m128i side = _mm_min_epu8(left, load(16 * half + 1));
    for (int q = 0; q < 4; ++q) {
      const __m128 h = quarter(here, q), s = quarter(side, q);
      const __m128 sum = _mm_add_ps(_mm_sub_ps(expect, h), _mm_mul_ps(share, _mm_sub_ps(s, h)));
      _mm_storeu_ps(e.data() + 16 * half + 4 * q, _mm_sub_ps(_mm_mul_ps(sum, scales), costs));
    }
  }
  e[0] = 0;
#else
  for (std::int32_t w = 1; w <= kMaxStripWidth; ++w) {
    const float here = cell.unmatched[w];
    e[w] = (expected - here + kContrast * (Side(cell, w) - here)) * scale - cost;
  }
#endif
}

#ifdef PELORIN_X86
// WholeCellWidths eight widths at a time: the same sums.
[[gnu::target("avx2")]] void WholeCellWidthsWide(const Cell& cell, float expected, float scale,
                                                 float cost, std::array<float, kStates>& e) {
  static_assert(kStates == 32 && kMaxLag == 32);
  const std::uint8_t* counts = cell.unmatched.data();
  const __m256 expect = _mm256_set1_ps(expected), costs = _mm256_set1_ps(cost);
  const __m256 scales = _mm256_set1_ps(scale), share = _mm256_set1_ps(kContrast);
  const auto* sixteens = reinterpret_cast<const __m128i*>(counts);
  for (std::int32_t half = 0; half < 2; ++half) {
    const __m128i here = _mm_loadu_si128(sixteens + half);
    // Below width 1 lies none: all bits set, so that the lesser is distance 2.
    const __m128i left =
        half == 0 ? _mm_or_si128(_mm_slli_si128(here, 1),
                                 _mm_setr_epi8(0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0))
                  : _mm_loadu_si128(reinterpret_cast<const __m128i*>(counts + 15));
    const __m128i side = _mm_min_epu8(
        left, _mm_loadu_si128(reinterpret_cast<const __m128i*>(counts + 16 * half + 1)));
    const __m128i heres[] = {here, _mm_unpackhi_epi64(here, here)};
    const __m128i sides[] = {side, _mm_unpackhi_epi64(side, side)};
    for (int eighth = 0; eighth < 2; ++eighth) {
      const __m256 h = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(heres[eighth]));
      const __m256 s = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(sides[eighth]));
      const __m256 sum =
          _mm256_add_ps(_mm256_sub_ps(expect, h), _mm256_mul_ps(share, _mm256_sub_ps(s, h)));
      _mm256_storeu_ps(e.data() + 16 * half + 8 * eighth,
                       _mm256_sub_ps(_mm256_mul_ps(sum, scales), costs));
    }
  }
  e[0] = 0;
}
#endif

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
#ifdef __SSE2__
  // The counts widened to 16 bits, their products summed in pairs and then across.
  const __m128i zero = _mm_setzero_si128();
  const __m128i a8 = _mm_cvtsi64_si128(static_cast<long long>(around));
  const __m128i o8 = _mm_cvtsi64_si128(static_cast<long long>(own));
  const __m128i a = _mm_unpacklo_epi8(a8, zero), o = _mm_unpacklo_epi8(o8, zero);
  const __m128i pairs = _mm_madd_epi16(a, o), squared = _mm_madd_epi16(a, a);
  __m128i sums =
      _mm_add_epi32(_mm_unpacklo_epi64(pairs, squared), _mm_unpackhi_epi64(pairs, squared));
  sums = _mm_add_epi32(sums, _mm_srli_epi64(sums, 32));
  products = _mm_cvtsi128_si32(sums);
  squares = _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
  const __m128i totals = _mm_sad_epu8(_mm_unpacklo_epi64(a8, o8), zero);
  all = _mm_cvtsi128_si32(totals);
  owned = _mm_cvtsi128_si32(_mm_srli_si128(totals, 8));
#else
  for (int k = 0; k < 8; ++k) {
    const auto a = static_cast<std::int32_t>(around >> (8 * k) & 0xFF);
    const auto o = static_cast<std::int32_t>(own >> (8 * k) & 0xFF);
    all += a;
    owned += o;
    products += a * o;
    squares += a * a;
  }
#endif
  const auto spread = static_cast<float>(8 * squares - all * all);
  if (spread <= 0) return 0;
  return static_cast<float>(8 * products - all * owned) / (8 * std::sqrt(base * spread));
}

Evidence Weigh(const std::vector<Cell>& cells) {
#ifdef PELORIN_X86
  const bool wide = HasVectors();
#endif
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
#ifdef PELORIN_X86
      if (wide)
        WholeCellWidthsWide(cell, base * cell.bytes, scale, cost, e);
      else
#endif
        WholeCellWidths(cell, base * cell.bytes, scale, cost, e);
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

struct Segment {
  std::int64_t firstCell;
  std::int64_t endCell;
  std::int32_t width;
  double score;
};

// The best division of the cells into background and runs of one width each: entering a
// run costs kEntryCost, so that a run is kept only where its evidence pays for it.
// Divide's pass forward over the cells: per cell, a bit for each state whether it continued
// from the cell before, and the best state, the first of equals.
void Forward(const std::vector<std::array<float, kStates>>& evidence, std::uint32_t* stayed,
             std::uint8_t* best) {
  const std::size_t n = evidence.size();
  std::array<float, kStates> score;
  score.fill(-1e30f);
  score[0] = 0;
  float bestBefore = 0;
  const auto entry = static_cast<float>(kEntryCost);
  for (std::size_t c = 0; c < n; ++c) {
    const float enter = bestBefore - entry;
    std::uint32_t stay = 0;
#ifdef __SSE2__
    // Four states at a time; the same sums and comparisons as below.
    static_assert(kStates % 4 == 0);
    const __m128 entering = _mm_set1_ps(enter);
    for (std::int32_t w = 0; w < kStates; w += 4) {
      const __m128 before = _mm_loadu_ps(score.data() + w);
      stay |= static_cast<std::uint32_t>(_mm_movemask_ps(_mm_cmpge_ps(before, entering))) << w;
      _mm_storeu_ps(score.data() + w,
                    _mm_add_ps(_mm_loadu_ps(evidence[c].data() + w), _mm_max_ps(before, entering)));
    }
    score[0] = bestBefore;
    __m128 tops = _mm_loadu_ps(score.data());
    for (std::int32_t w = 4; w < kStates; w += 4)
      tops = _mm_max_ps(tops, _mm_loadu_ps(score.data() + w));
    tops = _mm_max_ps(tops, _mm_shuffle_ps(tops, tops, _MM_SHUFFLE(1, 0, 3, 2)));
    tops = _mm_max_ps(tops, _mm_shuffle_ps(tops, tops, _MM_SHUFFLE(2, 3, 0, 1)));
    const float top = _mm_cvtss_f32(tops);
#else
    for (std::int32_t w = 0; w < kStates; ++w)
      stay |= static_cast<std::uint32_t>(score[w] >= enter) << w;
    for (std::int32_t w = 0; w < kStates; ++w)
      score[w] = evidence[c][w] + std::max(score[w], enter);
    score[0] = bestBefore;
    float top = score[0];
    for (std::int32_t w = 1; w < kStates; ++w) top = std::max(top, score[w]);
#endif
    stayed[c] = stay;
    std::int32_t topState = 0;
    while (score[topState] != top) ++topState;
    best[c] = static_cast<std::uint8_t>(topState);
    bestBefore = top;
  }
}

#ifdef PELORIN_X86
// Forward with all the states in four registers, eight at a time: the same sums and
// comparisons.
// The largest of the 32 floats of `a`, `b`, `c` and `d` in every lane.
[[gnu::target("avx2")]] inline __m256 Largest(__m256 a, __m256 b, __m256 c, __m256 d) {
  __m256 top = _mm256_max_ps(_mm256_max_ps(a, b), _mm256_max_ps(c, d));
  top = _mm256_max_ps(top, _mm256_permute2f128_ps(top, top, 1));
  top = _mm256_max_ps(top, _mm256_shuffle_ps(top, top, _MM_SHUFFLE(1, 0, 3, 2)));
  return _mm256_max_ps(top, _mm256_shuffle_ps(top, top, _MM_SHUFFLE(2, 3, 0, 1)));
}

[[gnu::target("avx2")]] void ForwardWide(const std::vector<std::array<float, kStates>>& evidence,
                                         std::uint32_t* stayed, std::uint8_t* best) {
  static_assert(kStates == 32);
  __m256 score[4];
  for (__m256& states : score) states = _mm256_set1_ps(-1e30f);
  score[0] = _mm256_blend_ps(score[0], _mm256_setzero_ps(), 1);
  // The best score before the cell in every lane.
  __m256 bestBefore = _mm256_setzero_ps();
  const __m256 entry = _mm256_set1_ps(static_cast<float>(kEntryCost));
  const __m256 nothing = _mm256_set1_ps(-INFINITY);
  for (std::size_t c = 0; c < evidence.size(); ++c) {
    const __m256 entering = _mm256_sub_ps(bestBefore, entry);
    __m256 here[4];
    for (int k = 0; k < 4; ++k) here[k] = _mm256_loadu_ps(evidence[c].data() + 8 * k);
    // A sum rounds no lower for a larger term, so the best of the states is the best of
    // those that stay, whose scores are known a cell early, and the best entered: the cell's
    // best waits on the one before only for a sum and two comparisons. State 0 is left out.
    const __m256 staying =
        Largest(_mm256_blend_ps(_mm256_add_ps(here[0], score[0]), nothing, 1),
                _mm256_add_ps(here[1], score[1]), _mm256_add_ps(here[2], score[2]),
                _mm256_add_ps(here[3], score[3]));
    const __m256 entered = _mm256_add_ps(
        Largest(_mm256_blend_ps(here[0], nothing, 1), here[1], here[2], here[3]), entering);
    const __m256 top = _mm256_max_ps(bestBefore, _mm256_max_ps(staying, entered));
    std::uint32_t stay = 0, tied = 0;
    for (int k = 0; k < 4; ++k) {
      stay |= static_cast<std::uint32_t>(
                  _mm256_movemask_ps(_mm256_cmp_ps(score[k], entering, _CMP_GE_OQ)))
              << (8 * k);
      score[k] = _mm256_add_ps(here[k], _mm256_max_ps(score[k], entering));
    }
    score[0] = _mm256_blend_ps(score[0], bestBefore, 1);
    for (int k = 0; k < 4; ++k)
      tied |=
          static_cast<std::uint32_t>(_mm256_movemask_ps(_mm256_cmp_ps(score[k], top, _CMP_EQ_OQ)))
          << (8 * k);
    stayed[c] = stay;
    best[c] = static_cast<std::uint8_t>(std::countr_zero(tied));
    bestBefore = top;
  }
}
#endif

std::vector<Segment> Divide(const std::vector<std::array<float, kStates>>& evidence) {
  const std::size_t n = evidence.size();
  std::vector<Segment> segments;
  if (n == 0) return segments;
  static_assert(kStates <= 32);
  std::vector<std::uint32_t> stayed(n);
  std::vector<std::uint8_t> best(n);
#ifdef PELORIN_X86
  if (HasVectors())
    ForwardWide(evidence, stayed.data(), best.data());
  else
#endif
    Forward(evidence, stayed.data(), best.data());
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
  std::int32_t blankRow = 0;        // of a font: where in each 8 bytes, from the start, the
  std::int32_t characterStart = 0;  // blank row lies, and where each character begins
  double text = 0;     // share of bytes that are letters, digits, blanks or punctuation
  double letters = 0;  // share of bytes that are letters
  int bitsUsed = 0;    // pixel columns of the byte that hold ink in some rows
  double runs = 0;     // share of inked bytes equal to the byte before
  double ragged = 0;   // ink edges per byte that starts a run, as likely by chance as not
};

// The bits set in a byte, counted without a table or a branch, so that a run of bytes is
// counted at once.
std::uint32_t BitsOfByte(std::uint32_t byte) {
  byte -= byte >> 1 & 0x55;
  byte = (byte & 0x33) + (byte >> 2 & 0x33);
  return (byte + (byte >> 4)) & 0x0F;
}

// Words of counts up to `most` in each byte added up, a count for each place in 8, spilled
// before a byte can overflow: the judgment's counts taken eight bytes at a time.
class PlaceCounts {
 public:
  explicit PlaceCounts(int most = 1) : words_(255 / most), left_(words_) {}
  void Add(std::uint64_t counts) {
    lanes_ += counts;
    if (--left_ == 0) Spill();
  }
  std::int64_t At(std::size_t place) {
    Spill();
    return counts_[place];
  }
  std::int64_t Total() {
    Spill();
    std::int64_t total = 0;
    for (const std::int64_t count : counts_) total += count;
    return total;
  }

 private:
  void Spill() {
    for (std::size_t k = 0; k < 8; ++k)
      counts_[k] += static_cast<std::int64_t>(lanes_ >> (8 * k) & 0xFF);
    lanes_ = 0;
    left_ = words_;
  }
  std::array<std::int64_t, 8> counts_{};
  std::uint64_t lanes_ = 0;
  int words_;  // added between spills
  int left_;
};

constexpr std::uint64_t kOnes = 0x0101010101010101ull;

// 1 in each byte of the word that is 0, 0 in the others.
std::uint64_t ZeroBytes(std::uint64_t word) {
  constexpr std::uint64_t kLow = 0x7F7F7F7F7F7F7F7Full;
  return ~(((word & kLow) + kLow) | word | kLow) >> 7;
}

// Ink edges per byte that starts a run of equal bytes, blank bytes left out: about 3.5 for
// random bytes, 1 or 2 for the whole shapes of pictures.
double Ragged(const std::uint8_t* p, std::int64_t length) {
  if (length <= 0) return 0;
  std::int64_t starts = p[0] != 0, edges = p[0] != 0 ? BitsOfByte((p[0] ^ (p[0] >> 1)) & 0x7F) : 0;
  PlaceCounts started, edged(7);
  std::int64_t i = 1;
  for (; i + 8 <= length; i += 8) {
    const std::uint64_t word = Load(p + i);
    const std::uint64_t starting = ~ZeroBytes(word) & ~ZeroBytes(word ^ Load(p + i - 1)) & kOnes;
    started.Add(starting);
    edged.Add(BitsPerByte((word ^ word >> 1) & 0x7F7F7F7F7F7F7F7Full & starting * 0xFF));
  }
  starts += started.Total();
  edges += edged.Total();
  for (; i < length; ++i) {
    const std::uint32_t b = p[i];
    const std::uint32_t starting = (b != 0) & (b != p[i - 1]);
    starts += starting;
    edges += starting * BitsOfByte((b ^ (b >> 1)) & 0x7F);
  }
  return starts > 0 ? static_cast<double>(edges) / starts : 0;
}

// What each byte is, for the counts Judge takes in one pass, 12 bits to a count (it judges
// kJudgedBytes at most): neither 0 nor 0xFF; printable, as text is (top bit set or not); a
// letter; clear in its leftmost or rightmost pixel; not 0.
constexpr std::array<std::uint64_t, 256> MakeByteFacts() {
  std::array<std::uint64_t, 256> facts{};
  for (int v = 0; v < 256; ++v) {
    const int b = v & 0x7F;
    const bool partial = v != 0 && v != 0xFF;
    const bool printable = (v >= 0x20 && v < 0x7F) || (v > 0xA0 && b >= 0x21 && b < 0x7F);
    const bool letter = (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
    const bool sideClear = (v & 0x01) == 0 || (v & 0x80) == 0;
    facts[static_cast<std::size_t>(v)] =
        static_cast<std::uint64_t>(partial) | static_cast<std::uint64_t>(printable) << 12 |
        static_cast<std::uint64_t>(letter) << 24 | static_cast<std::uint64_t>(sideClear) << 36 |
        static_cast<std::uint64_t>(v != 0) << 48;
  }
  return facts;
}
constexpr std::array<std::uint64_t, 256> kByteFacts = MakeByteFacts();

// The evidence a region of that raggedness needs.
double ScoreNeeded(double ragged) {
  return kReportScore + kRaggedScore * std::max(0.0, ragged - kSmooth);
}

// Tiles and characters 1 byte wide, 8 rows each: their rows continue from one byte to the
// next but at the edges of each 8, the same place in all of them. How many unmatched bits
// fewer the pairs inside have than the edges' rate gives them, in standard deviations; near
// 0 where no place in each 8 stands out, as in code.
double TileEdges(const std::uint8_t* p, std::int64_t length) {
  // Counted as whole numbers, 8 pairs a word: a count for each place in a byte of it, added
  // up before a byte can overflow.
  std::array<std::int64_t, 8> unmatchedAt{}, pairsAt{};
  const auto spill = [&](std::uint64_t& bits, std::uint64_t& counted) {
    for (std::size_t k = 0; k < 8; ++k) {
      unmatchedAt[k] += static_cast<std::int64_t>(bits >> (8 * k) & 0xFF);
      pairsAt[k] += static_cast<std::int64_t>(counted >> (8 * k) & 0xFF);
    }
    bits = counted = 0;
  };
  const std::int64_t pairCount = std::max<std::int64_t>(length - 1, 0);
  std::uint64_t bits = 0, counted = 0;
  for (std::int64_t i = 0; i + 8 <= pairCount; i += 8) {
    const std::uint64_t x = Load(p + i), y = Load(p + i + 1);
    const std::uint64_t edges = EdgeBytes(x) | EdgeBytes(y);
    bits += BitsPerByte(((x & ~WidenWord(y)) | (y & ~WidenWord(x))) & edges);
    counted += edges & 0x0101010101010101ull;
    if (i % (8 * 31) == 8 * 30) spill(bits, counted);  // 31 words of 8 bits at most
  }
  spill(bits, counted);
  for (std::int64_t i = pairCount / 8 * 8; i < pairCount; ++i) {
    if (!Partial(p[i]) && !Partial(p[i + 1])) continue;
    unmatchedAt[static_cast<std::size_t>(i % 8)] += PairUnmatched(p[i], p[i + 1]);
    pairsAt[static_cast<std::size_t>(i % 8)] += 1;
  }
  std::array<double, 8> unmatched{}, pairs{};
  for (std::size_t k = 0; k < 8; ++k) {
    unmatched[k] = static_cast<double>(unmatchedAt[k]);
    pairs[k] = static_cast<double>(pairsAt[k]);
  }
  std::size_t edge = 0;
  for (std::size_t k = 1; k < 8; ++k)
    if (unmatched[k] * pairs[edge] > unmatched[edge] * pairs[k]) edge = k;
  if (pairs[edge] == 0) return 0;
  const double rate = unmatched[edge] / pairs[edge];
  double inside = 0, insidePairs = 0;
  for (std::size_t k = 0; k < 8; ++k)
    if (k != edge) {
      inside += unmatched[k];
      insidePairs += pairs[k];
    }
  return (rate * insidePairs - inside) / std::sqrt(rate * insidePairs + 1);
}

// Each bit of a byte moved to the lowest bit of its own byte of a word, so that adding the
// words of up to 255 bytes counts each bit apart.
constexpr std::array<std::uint64_t, 256> MakeSpread() {
  std::array<std::uint64_t, 256> spread{};
  for (int b = 0; b < 256; ++b)
    for (int k = 0; k < 8; ++k) spread[b] |= static_cast<std::uint64_t>((b >> k) & 1) << (8 * k);
  return spread;
}
constexpr std::array<std::uint64_t, 256> kSpread = MakeSpread();

// How many of the `count` bytes have each bit set; byte i is p[i], or p[i] ^ p[i + lag].
std::array<std::int64_t, 8> BitCounts(const std::uint8_t* p, std::int64_t count, std::int32_t lag) {
  std::array<std::int64_t, 8> counts{};
  // Eight bytes a word: bits j and j + 4 of each byte counted in the low and the high half of
  // that byte of the sum for j, added up before a half can overflow.
  std::array<std::uint64_t, 4> halves{};
  const auto spill = [&] {
    for (std::size_t j = 0; j < 4; ++j) {
      constexpr std::uint64_t kLow = 0x0F0F0F0F0F0F0F0Full, kBytes = 0x0101010101010101ull;
      counts[j] += static_cast<std::int64_t>((halves[j] & kLow) * kBytes >> 56);
      counts[j + 4] += static_cast<std::int64_t>((halves[j] >> 4 & kLow) * kBytes >> 56);
      halves[j] = 0;
    }
  };
  std::int64_t i = 0;
  for (int words = 0; i + 8 <= count; i += 8) {
    const std::uint64_t word = lag == 0 ? Load(p + i) : Load(p + i) ^ Load(p + i + lag);
    for (std::size_t j = 0; j < 4; ++j) halves[j] += word >> j & 0x1111111111111111ull;
    if (++words == 15) {
      spill();
      words = 0;
    }
  }
  spill();
  for (; i < count; ++i) {
    const std::uint64_t spread = kSpread[lag == 0 ? p[i] : p[i] ^ p[i + lag]];
    for (std::size_t k = 0; k < 8; ++k)
      counts[k] += static_cast<std::int64_t>(spread >> (8 * k) & 1);
  }
  return counts;
}

// How much better the bytes of a stretch continue one row down than at the distances that
// are no multiple of 8 (characters 8 rows high are alike at those, row for row) and no row
// nor near one: 1 - the bits unmatched one row down / those unmatched there, from the cells
// of the stretch's first kJudgedBytes. Width 1 takes the better of 1 and 8 rows down.
double Continuity(const std::vector<Cell>& cells, std::int64_t origin, std::int64_t start,
                  std::int64_t length, std::int32_t width) {
  const auto first = static_cast<std::size_t>(std::max<std::int64_t>(0, (start - origin) / kCell));
  const auto end = std::min(
      cells.size(), static_cast<std::size_t>(
                        (start - origin + std::min(length, kJudgedBytes) + kCell - 1) / kCell));
  // 32 bits are enough for kJudgedBytes of cells, and add more at once.
  std::array<std::int32_t, kMaxLag + 1> unmatched{};
  for (std::size_t c = first; c < end; ++c)
    for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) unmatched[lag] += cells[c].unmatched[lag];
  double base = 0;
  int lags = 0;
  for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) {
    if (lag % 8 == 0 || std::abs(lag - width) <= 1 || lag == 2 * width) continue;
    base += static_cast<double>(unmatched[lag]);
    ++lags;
  }
  base /= lags;
  const double continued =
      static_cast<double>(width == 1 ? std::min(unmatched[1], unmatched[8]) : unmatched[width]);
  return base > 0 ? 1 - continued / base : 0;
}

// `continuity`: how much better the bytes continue one row down than at other distances
// (1 - unmatched one row down / unmatched elsewhere), from the cells that measured them.
Judgment Judge(const std::uint8_t* p, std::int64_t length, std::int32_t width, double continuity,
               double ragged) {
  Judgment j;
  length = std::min(length, kJudgedBytes);
  j.correlation = continuity;
  j.ragged = ragged;
  const std::int64_t pairs = length - width;
  std::uint64_t facts = 0;
  static_assert(kJudgedBytes < 4096);
  for (std::int64_t i = 0; i < length; ++i) facts += kByteFacts[p[i]];
  const auto count = [&](int field) {
    return static_cast<std::int64_t>(facts >> (12 * field) & 0xFFF);
  };
  const std::int64_t nonzero = count(4);
  PlaceCounts repeated;
  std::int64_t i = 1;
  for (; i + 8 <= length; i += 8) {
    const std::uint64_t word = Load(p + i);
    repeated.Add(~ZeroBytes(word) & ZeroBytes(word ^ Load(p + i - 1)) & kOnes);
  }
  std::int64_t repeats = repeated.Total();
  for (; i < length; ++i) repeats += (p[i] != 0) & (p[i] == p[i - 1]);
  j.inked = count(0);
  const std::array<std::int64_t, 8> set = BitCounts(p, length, 0);
  const std::array<std::int64_t, 8> differ = BitCounts(p, std::max<std::int64_t>(pairs, 0), width);
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
  j.text = static_cast<double>(count(1)) / length;
  j.letters = static_cast<double>(count(2)) / length;
  j.runs = nonzero > 0 ? static_cast<double>(repeats) / nonzero : 0;
  for (int k = 0; k < 8; ++k) j.bitsUsed += set[k] * 33 >= nonzero && set[k] > 0;
  if (width % 2 == 0) {
    for (int phase = 0; phase < 2; ++phase) {
      std::uint32_t clear = 0, counted = 0;
      for (std::int64_t i = phase; i + 1 < length; i += 2) {
        const std::uint32_t a = p[i], b = p[i + 1];
        counted += (a | b) != 0;
        // The mask clears what the graphic sets and little more: together they cover most
        // of the byte, which a number and its zero high byte do not.
        clear += ((a & b) == 0) & (BitsOfByte(a | b) >= 5);
      }
      if (counted > 0)
        j.maskedShare = std::max(j.maskedShare, static_cast<double>(clear) / counted);
    }
  }
  if (width == 1 && length >= 16) {
    // Letters stand apart: a blank row at one place in most characters, and a blank column.
    std::int64_t blankRows[8] = {};
    PlaceCounts blankAt;
    std::int64_t at = 0;
    for (; at + 8 <= length; at += 8) blankAt.Add(ZeroBytes(Load(p + at)));
    for (std::size_t k = 0; k < 8; ++k) blankRows[k] = blankAt.At(k);
    for (; at < length; ++at) blankRows[at % 8] += p[at] == 0;
    const std::int64_t glyphs = length / 8;
    const auto most = std::max_element(std::begin(blankRows), std::end(blankRows));
    const auto blank = static_cast<std::int32_t>(most - std::begin(blankRows));
    j.blankRow = blank;
    // Where each character begins: at its blank row, which is the first as in the
    // machine's own font, or between two blank rows (the last of one character and the
    // first of the next) when the one after is blank too.
    const bool blankAfter = blankRows[(blank + 1) % 8] * 10 >= glyphs * 6;
    j.characterStart = blankAfter ? (blank + 1) % 8 : blank;
    j.font = *most * 10 >= glyphs * 6 && count(3) * 10 >= length * 9;
    j.tiles = !j.font;
  }
  return j;
}

// Whether the byte at `p`, read as a number down its column, steps from the row above as it
// steps to the row below: by the same, or by 4 or more give or take 1. A step of 128 is the
// top bit turning on and off, as a dither at the edge of a column does, not a count.
// Worked out on bytes without branches, so that a run of places is tested at once: 4 or more
// either way is a step 3 on that is 7 or more; the step changes by 1 at most where one
// further on it is 2 at most and the sign stays.
bool StepsEvenly(const std::uint8_t* p, std::int32_t width) {
  const auto step = static_cast<std::uint8_t>(p[width] - p[0]);
  const auto next = static_cast<std::uint8_t>(p[2 * width] - p[width]);
  const bool counts = (step & 0x7F) != 0;
  const bool large = static_cast<std::uint8_t>(step + 3) >= 7;
  const bool near = static_cast<std::uint8_t>(next - step + 1) <= 2;
  const bool sameSign = ((next ^ step) & 0x80) == 0;
  return counts & ((next == step) | (large & near & sameSign));
}

// Each byte of the row read as a number down its column: in a table the numbers of some
// column go up or down by a step that stays or changes little (counts, addresses, sines),
// where the bytes of a picture leap from one shape to the next. The share of rows in which
// the column that does so most steps evenly.
double Counting(const std::uint8_t* p, std::int64_t length, std::int32_t width) {
  const std::int64_t rows = length / width;
  if (rows < kColumnRows) return 0;
  // Every place tested in one run, then added up by column.
  std::array<std::uint8_t, kJudgedBytes> even;
  const std::int64_t places = std::min(rows - 2, kJudgedBytes / width) * width;
  for (std::int64_t i = 0; i < places; ++i)
    even[static_cast<std::size_t>(i)] = StepsEvenly(p + i, width);
  std::array<std::int32_t, kMaxStripWidth> stepped{};
  for (std::int64_t i = 0; i < places; i += width)
    for (std::int32_t column = 0; column < width; ++column)
      stepped[static_cast<std::size_t>(column)] += even[static_cast<std::size_t>(i + column)];
  return static_cast<double>(*std::max_element(stepped.begin(), stepped.begin() + width)) /
         static_cast<double>(rows - 2);
}

// The rows of a region before or after a table of its width: the stretch of rows in which
// rows that step evenly in some column are fewest against the others, as a byte offset and
// a length, where the rows left out are a table's, most of them stepping evenly; the whole
// region otherwise.
std::pair<std::int64_t, std::int64_t> WithoutTable(const std::uint8_t* p, std::int64_t length,
                                                   std::int32_t width) {
  const std::int64_t rows = length / width;
  if (rows < kColumnRows) return {0, length};
  // Every place tested in one run, as Counting has them, then each row's columns looked over.
  std::vector<std::uint8_t> even(static_cast<std::size_t>((rows - 2) * width));
  for (std::size_t i = 0; i < even.size(); ++i) even[i] = StepsEvenly(p + i, width);
  std::vector<std::uint8_t> steps(static_cast<std::size_t>(rows), 0);
  std::int64_t stepping = 0;
  for (std::int64_t r = 1; r + 1 < rows; ++r) {
    const std::uint8_t* row = even.data() + (r - 1) * width;
    std::uint8_t any = 0;
    for (std::int32_t column = 0; column < width; ++column) any |= row[column];
    steps[static_cast<std::size_t>(r)] = any;
    stepping += any;
  }
  std::int64_t sum = 0, bestSum = -1, first = 0, bestFirst = 0, bestEnd = 0, inside = 0;
  for (std::int64_t r = 0, counted = 0; r < rows; ++r) {
    if (sum <= 0) {
      sum = 0;
      first = r;
      counted = 0;
    }
    sum += steps[static_cast<std::size_t>(r)] ? -kTableRowCost : 1;
    counted += steps[static_cast<std::size_t>(r)];
    if (sum > bestSum) {
      bestSum = sum;
      bestFirst = first;
      bestEnd = r + 1;
      inside = counted;
    }
  }
  const std::int64_t outside = rows - (bestEnd - bestFirst);
  if (outside == 0 || (stepping - inside) < kTableShare * static_cast<double>(outside))
    return {0, length};
  return {bestFirst * width, (bestEnd - bestFirst) * width};
}

// Of bytes 1 wide: how much fewer pixels a byte that changes from the one before leaves
// unmatched than one that differs from a byte 5, 7 or 9 on (1 - the ratio): the rows of a
// sprite change little where they change, the numbers of a level map leap. Those bytes lie
// beyond the next block of a sprite drawn in pixels two or three rows high, whose rows so
// near are alike as well.
double Changes(const std::uint8_t* p, std::int64_t length) {
  std::int64_t next = 0, nextPairs = 0, apart = 0, apartPairs = 0;
  for (std::int64_t i = 0; i + 9 < length; ++i) {
    if (p[i] != p[i + 1]) {
      next += PairUnmatched(p[i], p[i + 1]);
      ++nextPairs;
    }
    for (const int lag : {5, 7, 9}) {
      if (p[i] == p[i + lag]) continue;
      apart += PairUnmatched(p[i], p[i + lag]);
      ++apartPairs;
    }
  }
  if (nextPairs == 0 || apart == 0) return 1;
  return 1 - (static_cast<double>(next) / nextPairs) / (static_cast<double>(apart) / apartPairs);
}

// A bit that turns on and off from row to row while the others stay, as the low bit of a
// count does. In a dithered fill all of them turn so, and the bytes as a whole agree as
// little as that bit; not so the bytes 1 apart of pairs, as of a mask and its graphic.
bool LoneBit(const Judgment& j, std::int32_t width) {
  return j.worstBit < kFlippingBit && (width == 1 || j.worstBit < j.exactCorrelation - kLoneBit);
}

// What tells pictures from the other things that repeat at a distance: tables of numbers,
// whose low bits count or hop while the high ones stay, or that use only some of the bits;
// text; runs of small numbers such as a level map holds, whose values are ragged where
// shapes are whole and which leap where they change.
// The judgment and the bytes judged; what takes longest is looked at last.
bool LooksLikePictures(const Judgment& j, const std::uint8_t* p, std::int64_t length,
                       std::int32_t width) {
  if (j.inked < 4 || j.correlation < 0.2 || LoneBit(j, width)) return false;
  if (j.text >= 0.9 && j.letters >= 0.5) return false;
  if (j.bitsUsed < 6) return false;
  length = std::min(length, kJudgedBytes);
  if (width == 1 && j.runs >= kMapRuns && j.ragged >= kMapRagged &&
      Changes(p, length) < kSmoothChanges)
    return false;
  return Counting(p, length, width) < kCounting;
}

struct Found {
  GraphicsRegion region;
  double score;
};

// The byte where a run's evidence begins and the byte after its last row, found from how
// well each byte continues into the one a row down, around the cells' coarse bounds.
Found Settle(const std::uint8_t* data, std::int64_t available, std::int64_t origin,
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

// A character of the font: its spacing column clear, and a blank row where the font has one,
// or anywhere for the few characters (a tilde, a bar) that fill that row.
bool LooksLikeCharacter(const std::uint8_t* p, std::int32_t blankRow, std::uint8_t spacing) {
  if (!std::all_of(p, p + 8, [&](std::uint8_t b) { return (b & spacing) == 0; })) return false;
  return p[blankRow] == 0 || std::find(p, p + 8, 0) != p + 8;
}

// A font starts and ends with whole characters: where its evidence began and ended inside a
// character, or on bytes before or after it that are no characters, its bounds move to the
// nearest characters, and take in those just outside as far as they look like its characters,
// the space that most fonts begin with included.
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

GraphicsKind KindOf(const Judgment& j, std::int32_t width) {
  if (j.maskedShare >= kMaskedShare) return GraphicsKind::kMasked;
  if (width == 1) return j.font ? GraphicsKind::kFont : GraphicsKind::kTiles;
  return width > 16 ? GraphicsKind::kPicture : GraphicsKind::kSprites;
}

// A colour byte that shows something: ink unlike paper, not flashing. Pictures hold such
// bytes too, but seldom as many of one value as the cells of one colour are.
bool Colour(std::uint8_t b) {
  return (b & 0x80) == 0 && (b & 7) != (b >> 3 & 7);
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
    // (a font, every 32 characters): lines that continue in two thirds of it at least.
    int thirds = 0;
    for (std::int64_t t = 0; t < 3; ++t)
      thirds += sum[static_cast<std::size_t>(best + (t + 1) * kPixelCells / 3)] -
                    sum[static_cast<std::size_t>(best + t * kPixelCells / 3)] >=
                kScreenScore / 4;
    // Where that fails, so does the next start but one or two: the search goes on an eighth
    // of a screen later, and the start found is placed to the byte over a wider stretch.
    if (thirds < 2 || window(best) < widthScore + kScreenScore) {
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
std::vector<Found> FindInZone(const std::uint8_t* data, std::int64_t available, std::int64_t origin,
                              std::int64_t end, PlaneStore& store) {
  const std::vector<Cell> cells =
      MeasureCells(MakePlanes(data, available, origin, end, store), origin, end);
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
    Found f = Settle(data, available, origin, evidence.usual, segment);
    if (f.region.length < 2 * f.region.width) continue;
    // Most runs are noise that the raggedness of their bytes alone rules out; tiles are
    // ragged too, but their edges every 8 bytes make up for it.
    const auto judge = [&](const GraphicsRegion& region, double score, Judgment& j) {
      const std::int64_t judged = std::min(region.length, kJudgedBytes);
      const double tiled =
          region.width == 1 ? kTileEdgeScore * TileEdges(data + region.start, judged) : 0;
      const double ragged = Ragged(data + region.start, judged);
      if (score < std::max(kReportScore, ScoreNeeded(ragged) - tiled)) return false;
      j = Judge(data + region.start, region.length, region.width,
                Continuity(cells, origin, region.start, region.length, region.width), ragged);
      return LooksLikePictures(j, data + region.start, region.length, region.width);
    };
    Judgment j;
    if (!judge(f.region, f.score, j)) {
      // A run that goes on into a table of its width: judged again without the table, on
      // the evidence of what is left.
      const auto [skip, length] =
          WithoutTable(data + f.region.start, f.region.length, f.region.width);
      if (length == f.region.length || length < kColumnRows * f.region.width) continue;
      f.region.start += skip;
      f.region.length = length;
      f.score = 0;
      // Only the cells measured: a run's bounds may reach a little before the first.
      for (std::int64_t c = std::max<std::int64_t>(0, (f.region.start - origin) / kCell);
           c <
           std::min<std::int64_t>(std::ssize(cells), (f.region.start + length - origin) / kCell);
           ++c)
        f.score += evidence.widths[static_cast<std::size_t>(c)][f.region.width];
      if (!judge(f.region, f.score, j)) continue;
    }
    f.region.kind = KindOf(j, f.region.width);
    if (f.region.kind == GraphicsKind::kFont) TakeWholeCharacters(data, available, f.region, j);
    found.push_back(f);
  }
  return found;
}

std::vector<Found> FindInScan(const std::uint8_t* data, std::int64_t span, std::int64_t available) {
  // Zones are judged each on its own, the largest first, each core taking the next one left
  // when it is done with its last, so that both finish together; their regions are gathered
  // in the zones' order.
  const std::vector<std::pair<std::int64_t, std::int64_t>> zones =
      Candidates(data, span, available);
  std::vector<std::size_t> order(zones.size());
  for (std::size_t z = 0; z < zones.size(); ++z) order[z] = z;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return zones[a].second - zones[a].first > zones[b].second - zones[b].first;
  });
  std::atomic<std::size_t> next{0};
  std::vector<std::vector<Found>> inZone(zones.size());
  OnTwoCores([&](int) {
    PlaneStore store;
    for (std::size_t i; (i = next.fetch_add(1)) < order.size();)
      inZone[order[i]] =
          FindInZone(data, available, zones[order[i]].first, zones[order[i]].second, store);
  });
  std::vector<Found> all;
  for (const std::vector<Found>& zone : inZone) all.insert(all.end(), zone.begin(), zone.end());
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
      const std::size_t held = buffer_.size() - take;
      const auto used = static_cast<std::size_t>(
          Scan(buffer_.data(), static_cast<std::int64_t>(buffer_.size()), false));
      if (used >= held) {
        // What was held before is all settled: the rest is in the bytes fed, searched where
        // they lie from here on.
        const std::size_t back = buffer_.size() - used;
        bytes -= back;
        count += back;
        buffer_.clear();
      } else {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(used));
      }
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
