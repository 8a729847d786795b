// first_look.cpp: the stretches worth a closer look, from the first look at every block.
#include "analysis/finder/first_look.h"

#include "analysis/finder/kernels.h"
#include "analysis/two_cores.h"

namespace pelorin::finder {

namespace {

// A window of kWindowBlocks blocks is a candidate where a width stands out kCandidateScore
// standard deviations, and reaches on while it still stands out kCandidateReach; gaps of
// kGapBlocks between candidates are closed, and each keeps a margin of a block.
constexpr float kCandidateScore = 4.0f;
constexpr float kCandidateReach = 1.0f;
constexpr std::int64_t kGapBlocks = 4;
constexpr std::int64_t kWindowBlocks = 4;
constexpr std::int64_t kZoneMargin = kBlock;
// A window of blocks with this many instructions is code that a block now and then hides.
constexpr std::int32_t kWindowInstructions = 16;
// A screen's length of blocks whose lines continue this well, in standard deviations summed.
constexpr double kScreenCandidateScore = 40.0;

float WindowEvidence(const WindowSums& sums, std::int32_t w) {
  const float mean = sums.Mean();
  return WindowEvidence(sums, w, mean, std::sqrt(mean + 1));
}

}  // namespace

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
    Kernels().sampleBlocks(bytes + first * kBlock, (part == 0 ? half : blocks) - first,
                           looks.data() + first);
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
    Kernels().windowEvidences(sums, mean, root, evidences.data());
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
  Kernels().screenEvidences(looks.data(), looks.size(), screenEvidence.data());
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

}  // namespace pelorin::finder
