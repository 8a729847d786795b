// kernels_avx2.cpp: the finder's hot loops 32 bytes or eight floats at a time in AVX2.
#include "analysis/finder/kernels.h"

#ifdef PELORIN_FINDER_X86
#include "analysis/finder/kernels_avx2.h"

namespace pelorin::finder::avx2 {

namespace {

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

// The largest of the 32 floats of `a`, `b`, `c` and `d` in every lane.
[[gnu::target("avx2")]] inline __m256 Largest(__m256 a, __m256 b, __m256 c, __m256 d) {
  __m256 top = _mm256_max_ps(_mm256_max_ps(a, b), _mm256_max_ps(c, d));
  top = _mm256_max_ps(top, _mm256_permute2f128_ps(top, top, 1));
  top = _mm256_max_ps(top, _mm256_shuffle_ps(top, top, _MM_SHUFFLE(1, 0, 3, 2)));
  return _mm256_max_ps(top, _mm256_shuffle_ps(top, top, _MM_SHUFFLE(2, 3, 0, 1)));
}

}  // namespace

// 32 bytes at a time as far as whole words of the blank plane go, the rest as the plain
// kernel has it.
[[gnu::target("avx2")]] void MakePlanes(const std::uint8_t* p, std::size_t n, std::uint8_t* widened,
                                        std::uint8_t* edges, std::uint64_t* blank) {
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
  const std::size_t made = n / 64 * 64;
  plain::MakePlanes(p + made, n - made, widened + made, edges + made, blank + made / 64);
}

// Two whole cells from `at`, as MeasureCell has them, 32 bytes at a time: the bits unmatched
// at each lag counted in each byte, the counts of 8 lags gathered into one byte each of a
// lane before they are stored.
[[gnu::target("avx2,popcnt")]] void MeasurePair(const Planes& planes, std::int64_t at,
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

[[gnu::target("avx2,popcnt")]] void MeasureCells(const Planes& planes, std::int64_t first,
                                                 std::int64_t end, Cell* cells) {
  for (std::int64_t at = first; at < end;) {
    if (Whole(planes, at, end) && Whole(planes, at + kCell, end)) {
      MeasurePair(planes, at, cells);
      at += 2 * kCell;
      cells += 2;
    } else {
      MeasureCell(planes, at, end, *cells);
      at += kCell;
      ++cells;
    }
  }
}

[[gnu::target("avx2,popcnt")]] void SampleBlocks(const std::uint8_t* bytes, std::int64_t blocks,
                                                 Look* looks) {
  for (std::int64_t b = 0; b < blocks; ++b) {
    const std::uint8_t *sample, *second;
    if (LookWide(bytes + b * kBlock, looks[b], sample, second))
      StoreDiffer(DifferWide(second, DifferWide(sample, _mm256_setzero_si256())), looks[b]);
  }
}

// Eight widths at a time: the same sums as the plain kernel.
[[gnu::target("avx2")]] void WholeCellWidths(const Cell& cell, float expected, float scale,
                                             float cost, WidthRow& e) {
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

// All the states in four registers, eight at a time: the same sums and comparisons as the
// plain kernel.
[[gnu::target("avx2")]] void Forward(const std::vector<WidthRow>& evidence, float entry,
                                     std::uint32_t* stayed, std::uint8_t* best) {
  static_assert(kStates == 32);
  __m256 score[4];
  for (__m256& states : score) states = _mm256_set1_ps(-1e30f);
  score[0] = _mm256_blend_ps(score[0], _mm256_setzero_ps(), 1);
  // The best score before the cell in every lane.
  __m256 bestBefore = _mm256_setzero_ps();
  const __m256 entries = _mm256_set1_ps(entry);
  const __m256 nothing = _mm256_set1_ps(-INFINITY);
  for (std::size_t c = 0; c < evidence.size(); ++c) {
    const __m256 entering = _mm256_sub_ps(bestBefore, entries);
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

}  // namespace pelorin::finder::avx2

#endif
