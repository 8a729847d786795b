// first_look.h: the finder's first look at every 64 bytes, a block, which picks out the
// stretches worth measuring cell by cell, and the sums of its looks over a window of blocks.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "analysis/finder/cells.h"

namespace pelorin::finder {

inline constexpr std::int32_t kBlock = 64;

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

// A window with a place in 8 that stands out this many standard deviations is tiles.
inline constexpr float kTileCandidateScore = 8.0f;
// A block tells against a screen this many standard deviations at most: the line below the
// last of a row of cells lies in the next third, or in the colours below the last third.
inline constexpr float kScreenBlockDoubt = 4.0f;

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

// Whether a block of 64 bytes is worth a look, not one byte repeated, nor code, nor text:
// the instructions of the list in it then, -1 otherwise.
inline int WorthALook(const std::uint8_t* p) {
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

// The stretches of the `span` bytes worth measuring cell by cell, as byte offsets from and to,
// in order and apart; `available` bytes may be read.
std::vector<std::pair<std::int64_t, std::int64_t>> Candidates(const std::uint8_t* bytes,
                                                              std::int64_t span,
                                                              std::int64_t available);

}  // namespace pelorin::finder
