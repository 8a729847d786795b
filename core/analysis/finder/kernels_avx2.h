// kernels_avx2.h: the pieces of the AVX2 kernels that the AVX-512 ones use as well, each
// compiled for those registers alone; only the kernels' own files include it.
#pragma once

#include <immintrin.h>

#include "analysis/finder/kernels.h"

namespace pelorin::finder::avx2 {

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

// Each byte widened by a pixel to either side, as WidenByte.
[[gnu::target("avx2")]] inline __m256i WidenWide(__m256i v) {
  return _mm256_or_si256(_mm256_or_si256(v, _mm256_add_epi8(v, v)),
                         _mm256_and_si256(_mm256_srli_epi16(v, 1), _mm256_set1_epi8(0x7F)));
}

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
[[gnu::target("avx2,popcnt")]] inline int WorthALookWide(const std::uint8_t* p) {
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

}  // namespace pelorin::finder::avx2
