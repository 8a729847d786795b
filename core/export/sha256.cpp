// sha256.cpp: SHA-256 over 64-byte blocks, with the processor's own SHA instructions where
// it has them.
#include "export/sha256.h"

#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace pelorin {

namespace {

constexpr std::array<std::uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

void Sha256Blocks(std::array<std::uint32_t, 8>& state, const std::uint8_t* blocks,
                  std::size_t count) {
  for (; count > 0; --count, blocks += 64) {
    std::array<std::uint32_t, 64> w;
    for (int i = 0; i < 16; ++i)
      w[i] = std::uint32_t{blocks[4 * i]} << 24 | std::uint32_t{blocks[4 * i + 1]} << 16 |
             std::uint32_t{blocks[4 * i + 2]} << 8 | blocks[4 * i + 3];
    for (int i = 16; i < 64; ++i) {
      const std::uint32_t s0 =
          std::rotr(w[i - 15], 7) ^ std::rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
      const std::uint32_t s1 = std::rotr(w[i - 2], 17) ^ std::rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    auto [a, b, c, d, e, f, g, h] = state;
    for (int i = 0; i < 64; ++i) {
      const std::uint32_t t1 = h + (std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25)) +
                               ((e & f) ^ (~e & g)) + kRound[i] + w[i];
      const std::uint32_t t2 =
          (std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      h = g;
      g = f;
      f = e;
      e = d + t1;
      d = c;
      c = b;
      b = a;
      a = t1 + t2;
    }
    const std::array<std::uint32_t, 8> add = {a, b, c, d, e, f, g, h};
    for (int i = 0; i < 8; ++i) state[i] += add[i];
  }
}

#if defined(__x86_64__) || defined(__i386__)
// The same with the SHA extensions: each instruction does two rounds, or a step of the
// message schedule, on the state kept as ABEF and CDGH.
__attribute__((target("sha,sse4.1"))) void Sha256BlocksWithShaExtensions(
    std::array<std::uint32_t, 8>& state, const std::uint8_t* blocks, std::size_t count) {
  const __m128i byteOrder = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
  const __m128i dcba =
      _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<__m128i*>(&state[0])), 0xB1);
  const __m128i hgfe =
      _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<__m128i*>(&state[4])), 0x1B);
  __m128i abef = _mm_alignr_epi8(dcba, hgfe, 8);
  __m128i cdgh = _mm_blend_epi16(hgfe, dcba, 0xF0);
  for (; count > 0; --count, blocks += 64) {
    const __m128i abefBefore = abef;
    const __m128i cdghBefore = cdgh;
    __m128i w[4];  // the last four groups of four schedule words, the oldest at [i % 4]
    for (int group = 0; group < 16; ++group) {
      __m128i& words = w[group % 4];
      if (group < 4) {
        words = _mm_shuffle_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * group)), byteOrder);
      } else {
        const __m128i& previous = w[(group + 3) % 4];
        words =
            _mm_sha256msg2_epu32(_mm_add_epi32(_mm_sha256msg1_epu32(words, w[(group + 1) % 4]),
                                               _mm_alignr_epi8(previous, w[(group + 2) % 4], 4)),
                                 previous);
      }
      __m128i message = _mm_add_epi32(
          words, _mm_loadu_si128(reinterpret_cast<const __m128i*>(&kRound[4 * group])));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
      message = _mm_shuffle_epi32(message, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), _mm_alignr_epi8(dchg, feba, 8));
}
#endif

// Chosen once: the processor does not change under a running program.
Sha256::Blocks ChosenBlocks() {
#if defined(__x86_64__) || defined(__i386__)
  // The compiler's own processor check does not know the SHA extensions: leaf 7 says them
  // (EBX bit 29), leaf 1 SSE4.1 (ECX bit 19).
  unsigned a = 0, b = 0, c = 0, d = 0;
  const bool sse41 = __get_cpuid(1, &a, &b, &c, &d) && (c & (1u << 19)) != 0;
  const bool sha = __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & (1u << 29)) != 0;
  if (sse41 && sha) return Sha256BlocksWithShaExtensions;
#endif
  return Sha256Blocks;
}

const Sha256::Blocks kChosenBlocks = ChosenBlocks();

}  // namespace

Sha256::Sha256(bool processorInstructions)
    : blocks_(processorInstructions ? kChosenBlocks : Sha256Blocks),
      state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void Sha256::Update(std::span<const std::uint8_t> bytes) {
  total_ += bytes.size();
  const std::uint8_t* p = bytes.data();
  std::size_t left = bytes.size();
  if (pendingCount_ > 0) {
    const std::size_t take = std::min(left, 64 - pendingCount_);
    std::memcpy(pending_.data() + pendingCount_, p, take);
    pendingCount_ += take;
    p += take;
    left -= take;
    if (pendingCount_ < 64) return;
    blocks_(state_, pending_.data(), 1);
    pendingCount_ = 0;
  }
  const std::size_t whole = left / 64;
  blocks_(state_, p, whole);
  p += 64 * whole;
  left -= 64 * whole;
  if (left > 0) std::memcpy(pending_.data(), p, left);
  pendingCount_ = left;
}

std::array<std::uint8_t, 32> Sha256::Finish() {
  const std::uint64_t bits = total_ * 8;
  // A one bit, zeros up to 8 bytes short of a block, then the length in bits.
  std::array<std::uint8_t, 72> tail{};
  tail[0] = 0x80;
  const std::size_t zeros = (pendingCount_ < 56 ? 56 : 120) - pendingCount_;
  for (int i = 0; i < 8; ++i) tail[zeros + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  Update({tail.data(), zeros + 8});
  std::array<std::uint8_t, 32> digest;
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 4; ++j)
      digest[4 * i + j] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * j));
  return digest;
}

std::string DigestHex(const std::array<std::uint8_t, 32>& digest) {
  constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : digest) {
    text += kHex[byte >> 4];
    text += kHex[byte & 15];
  }
  return text;
}

}  // namespace pelorin
