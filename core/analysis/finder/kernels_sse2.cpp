// kernels_sse2.cpp: the finder's hot loops four floats at a time in SSE2, and the cells and
// looks counted with the instruction that counts the bits of a word. In WebAssembly the
// compiler translates the SSE2 to its 128-bit vectors, and has that instruction anyway.
#include "analysis/finder/kernels.h"

#ifdef PELORIN_FINDER_SSE2
#include <emmintrin.h>

#ifndef __SSE2__
#error "the finder's floating point is SSE2's in every build, so that every set agrees"
#endif

#ifdef PELORIN_FINDER_X86
#define PELORIN_COUNTS_BITS [[gnu::target("popcnt")]]
#else
#define PELORIN_COUNTS_BITS
#endif

namespace pelorin::finder::sse2 {

PELORIN_COUNTS_BITS void MeasureCells(const Planes& planes, std::int64_t first, std::int64_t end,
                                      Cell* cells) {
  MeasureBody(planes, first, end, cells);
}

PELORIN_COUNTS_BITS void SampleBlocks(const std::uint8_t* bytes, std::int64_t blocks, Look* looks) {
  SampleBody(bytes, blocks, looks);
}

// The widths past 1 four at a time, the same sums as WindowEvidence.
void WindowEvidences(const WindowSums& sums, float mean, float root, float* evidence) {
  std::int32_t w = 2;
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
  for (; w <= kMaxStripWidth; ++w) evidence[w] = WindowEvidence(sums, w, mean, root);
  evidence[1] = WindowEvidence(sums, 1, mean, root);
}

// Four blocks at a time: the same sums as the plain kernel.
void ScreenEvidences(const Look* looks, std::size_t count, float* evidence) {
  std::size_t worked = 0;
  for (; worked + 4 <= count; worked += 4) {
    const Look* l = looks + worked;
    const __m128 mean = _mm_div_ps(_mm_setr_ps(l[0].total, l[1].total, l[2].total, l[3].total),
                                   _mm_set1_ps(kMaxLag));
    const __m128 below =
        _mm_sub_ps(mean, _mm_setr_ps(l[0].differ[kMaxLag + 1], l[1].differ[kMaxLag + 1],
                                     l[2].differ[kMaxLag + 1], l[3].differ[kMaxLag + 1]));
    const __m128 scale = _mm_div_ps(_mm_set1_ps(1), _mm_sqrt_ps(_mm_add_ps(mean, _mm_set1_ps(1))));
    _mm_storeu_ps(evidence + worked,
                  _mm_max_ps(_mm_mul_ps(below, scale), _mm_set1_ps(-kScreenBlockDoubt)));
  }
  plain::ScreenEvidences(looks + worked, count - worked, evidence + worked);
}

// The neighbours taken from the counts 16 at a time as bytes, the sums four at a time as
// floats: the same sums as the plain kernel.
void WholeCellWidths(const Cell& cell, float expected, float scale, float cost, WidthRow& e) {
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
}

// Four states at a time; the same sums and comparisons as the plain kernel.
void Forward(const std::vector<WidthRow>& evidence, float entry, std::uint32_t* stayed,
             std::uint8_t* best) {
  const std::size_t n = evidence.size();
  WidthRow score;
  score.fill(-1e30f);
  score[0] = 0;
  float bestBefore = 0;
  for (std::size_t c = 0; c < n; ++c) {
    const float enter = bestBefore - entry;
    std::uint32_t stay = 0;
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
    stayed[c] = stay;
    std::int32_t topState = 0;
    while (score[topState] != top) ++topState;
    best[c] = static_cast<std::uint8_t>(topState);
    bestBefore = top;
  }
}

}  // namespace pelorin::finder::sse2

#endif
