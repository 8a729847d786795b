// bits.h: the finder's byte and word arithmetic: pixels widened, edges, blanks and the bits
// that fail to continue from one byte to another, eight bytes a word where it counts.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace pelorin::finder {

inline std::uint64_t Load(const std::uint8_t* p) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  return word;
}

inline std::uint8_t WidenByte(std::uint8_t byte) {
  return static_cast<std::uint8_t>(byte | byte >> 1 | byte << 1);
}

// A byte that holds an edge: neither 0 nor 0xFF.
inline bool Partial(std::uint8_t byte) {
  return byte != 0 && byte != 0xFF;
}

constexpr std::array<std::uint8_t, 256> MakeBitCounts() {
  std::array<std::uint8_t, 256> counts{};
  for (int b = 0; b < 256; ++b)
    counts[b] = static_cast<std::uint8_t>(std::popcount(static_cast<unsigned>(b)));
  return counts;
}
inline constexpr std::array<std::uint8_t, 256> kBitCounts = MakeBitCounts();

// Pixels set in one byte with no pixel set at or beside them in the other, both ways: a line
// that moves by a pixel from one row to the next still counts as continued.
inline std::int32_t PairUnmatched(std::uint8_t x, std::uint8_t y) {
  return kBitCounts[static_cast<std::uint8_t>((x & ~WidenByte(y)) | (y & ~WidenByte(x)))];
}

// Each byte of the word widened by a pixel to either side, as WidenByte.
inline std::uint64_t WidenWord(std::uint64_t word) {
  return word | (word << 1 & 0xFEFEFEFEFEFEFEFEull) | (word >> 1 & 0x7F7F7F7F7F7F7F7Full);
}

// The bits set in each byte of the word, a byte each.
inline std::uint64_t BitsPerByte(std::uint64_t word) {
  word -= (word >> 1) & 0x5555555555555555ull;
  word = (word & 0x3333333333333333ull) + ((word >> 2) & 0x3333333333333333ull);
  return (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0Full;
}

// 0xFF in each byte of the word that is neither 0 nor 0xFF, 0 in the others.
inline std::uint64_t EdgeBytes(std::uint64_t word) {
  constexpr std::uint64_t kLow = 0x7F7F7F7F7F7F7F7Full;
  const std::uint64_t set = ((word & kLow) + kLow) | word;      // top bit: some bit set
  const std::uint64_t clear = ((~word & kLow) + kLow) | ~word;  // top bit: some bit clear
  return ((set & clear & ~kLow) >> 7) * 0xFF;
}

inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;

// 1 in each byte of the word that is 0, 0 in the others.
inline std::uint64_t ZeroBytes(std::uint64_t word) {
  constexpr std::uint64_t kLow = 0x7F7F7F7F7F7F7F7Full;
  return ~(((word & kLow) + kLow) | word | kLow) >> 7;
}

// The bits set in a byte, counted without a table or a branch, so that a run of bytes is
// counted at once.
inline std::uint32_t BitsOfByte(std::uint32_t byte) {
  byte -= byte >> 1 & 0x55;
  byte = (byte & 0x33) + (byte >> 2 & 0x33);
  return (byte + (byte >> 4)) & 0x0F;
}

// The pixels of each word with no pixel at or beside them in the other, as PairUnmatched has
// them for all bytes. `widened` is WidenWord(word).
[[gnu::always_inline]] inline int LooseDiffer(std::uint64_t word, std::uint64_t widened,
                                              std::uint64_t other) {
  return std::popcount((word & ~WidenWord(other)) | (other & ~widened));
}

}  // namespace pelorin::finder
