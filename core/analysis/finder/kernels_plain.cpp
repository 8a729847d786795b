// kernels_plain.cpp: the finder's hot loops in plain C++, the yardstick of the others.
#include "analysis/finder/kernels.h"

namespace pelorin::finder::plain {

void MakePlanes(const std::uint8_t* p, std::size_t n, std::uint8_t* widened, std::uint8_t* edges,
                std::uint64_t* blank) {
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t b = p[i];
    widened[i] = static_cast<std::uint8_t>(b | b >> 1 | b << 1);
    edges[i] = static_cast<std::uint8_t>(-static_cast<int>((b != 0) & (b != 0xFF)));
  }
  // Eight bytes at a time: the top bit of each byte that is 0, gathered into one byte.
  constexpr std::uint64_t kLow = 0x7F7F7F7F7F7F7F7Full;
  for (std::size_t i = 0; i + 8 <= n; i += 8) {
    const std::uint64_t word = Load(p + i);
    const std::uint64_t zero = ~(((word & kLow) + kLow) | word | kLow);
    blank[i / 64] |= ((zero >> 7) * 0x0102040810204080ull >> 56) << (i % 64);
  }
  for (std::size_t i = n / 8 * 8; i < n; ++i)
    blank[i / 64] |= static_cast<std::uint64_t>(p[i] == 0) << (i % 64);
}

void MeasureCells(const Planes& planes, std::int64_t first, std::int64_t end, Cell* cells) {
  MeasureBody(planes, first, end, cells);
}

void SampleBlocks(const std::uint8_t* bytes, std::int64_t blocks, Look* looks) {
  SampleBody(bytes, blocks, looks);
}

void WindowEvidences(const WindowSums& sums, float mean, float root, float* evidence) {
  for (std::int32_t w = 1; w <= kMaxStripWidth; ++w)
    evidence[w] = WindowEvidence(sums, w, mean, root);
}

void ScreenEvidences(const Look* looks, std::size_t count, float* evidence) {
  for (std::size_t b = 0; b < count; ++b) {
    const Look& l = looks[b];
    const float mean = static_cast<float>(l.total) / kMaxLag;
    const float scale = 1 / std::sqrt(mean + 1);
    evidence[b] = std::max((mean - l.differ[kMaxLag + 1]) * scale, -kScreenBlockDoubt);
  }
}

void WholeCellWidths(const Cell& cell, float expected, float scale, float cost, WidthRow& e) {
  for (std::int32_t w = 1; w <= kMaxStripWidth; ++w) {
    const float here = cell.unmatched[w];
    e[w] = (expected - here + kContrast * (Side(cell, w) - here)) * scale - cost;
  }
  e[0] = 0;
}

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
    for (std::int32_t w = 0; w < kStates; ++w)
      stay |= static_cast<std::uint32_t>(score[w] >= enter) << w;
    for (std::int32_t w = 0; w < kStates; ++w)
      score[w] = evidence[c][w] + std::max(score[w], enter);
    score[0] = bestBefore;
    float top = score[0];
    for (std::int32_t w = 1; w < kStates; ++w) top = std::max(top, score[w]);
    stayed[c] = stay;
    std::int32_t topState = 0;
    while (score[topState] != top) ++topState;
    best[c] = static_cast<std::uint8_t>(topState);
    bestBefore = top;
  }
}

}  // namespace pelorin::finder::plain
