// kernels_avx512.cpp: the finder's cells and first looks 64 bytes at a time in AVX-512, with
// the instruction that counts the bits of each byte. The compiler's own headers for these
// registers pass an undefined register where no mask is given, which it then warns of.
#include "analysis/finder/kernels.h"

#ifdef PELORIN_FINDER_X86
#include "analysis/finder/kernels_avx2.h"

#ifndef __clang__
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#define PELORIN_WIDEST "avx2,popcnt,avx512f,avx512bw,avx512vl,avx512bitalg"

namespace pelorin::finder::avx512 {

namespace {

using avx2::LoadWide;
using avx2::LooseWide;
using avx2::SampleByteWide;

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

// Four whole cells from `at`, as the AVX2 kernel has two.
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

}  // namespace

[[gnu::target(PELORIN_WIDEST)]] void MeasureCells(const Planes& planes, std::int64_t first,
                                                  std::int64_t end, Cell* cells) {
  for (std::int64_t at = first; at < end;) {
    if (Whole(planes, at + 3 * kCell, end)) {
      MeasureQuadWidest(planes, at, cells);
      at += 4 * kCell;
      cells += 4;
    } else if (Whole(planes, at + kCell, end)) {
      avx2::MeasurePair(planes, at, cells);
      at += 2 * kCell;
      cells += 2;
    } else {
      MeasureCell(planes, at, end, *cells);
      at += kCell;
      ++cells;
    }
  }
}

[[gnu::target(PELORIN_WIDEST)]] void SampleBlocks(const std::uint8_t* bytes, std::int64_t blocks,
                                                  Look* looks) {
  for (std::int64_t b = 0; b < blocks; ++b) {
    const std::uint8_t *sample, *second;
    if (avx2::LookWide(bytes + b * kBlock, looks[b], sample, second))
      avx2::StoreDiffer(DifferWidest(second, DifferWidest(sample, _mm256_setzero_si256())),
                        looks[b]);
  }
}

}  // namespace pelorin::finder::avx512

#ifndef __clang__
#pragma GCC diagnostic pop
#endif

#endif
