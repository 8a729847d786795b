// Tests of the finder's kernels: every set this processor has gives what the plain set gives,
// bit for bit, kernel by kernel and over a whole search.
#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "analysis/finder/kernels.h"
#include "analysis/finder/weighing.h"
#include "analysis/graphics_finder.h"

namespace pelorin::finder {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Bytes of every sort the finder meets, the same on every platform: noise, blank and full
// runs, text, and rings at a few widths, each cut short at odd places.
Bytes Mixed(std::size_t count) {
  std::uint32_t state = 12345;
  const auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  Bytes bytes;
  while (bytes.size() < count) {
    const std::uint32_t length = 40 + next() % 900;
    switch (next() % 5) {
      case 0:
        for (std::uint32_t i = 0; i < length; ++i)
          bytes.push_back(static_cast<std::uint8_t>(next()));
        break;
      case 1:
        bytes.insert(bytes.end(), length, next() % 2 == 0 ? 0 : 0xFF);
        break;
      case 2:
        for (std::uint32_t i = 0; i < length; ++i) bytes.push_back("Press fire to start "[i % 20]);
        break;
      default: {
        const std::uint32_t width = 1 + next() % 12;
        for (std::uint32_t i = 0; i < length; ++i) {
          const double x = static_cast<double>(i % width) * 8 - width * 4.0;
          const double y = static_cast<double>(i / width % 24) - 12;
          const int ring = static_cast<int>(std::sqrt(x * x + y * y * 4)) % 9;
          bytes.push_back(static_cast<std::uint8_t>((0xFF00u >> ring) & 0xFF));
        }
      }
    }
  }
  bytes.resize(count);
  return bytes;
}

bool SameCells(const std::vector<Cell>& a, const std::vector<Cell>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const Cell &x = a[i], &y = b[i];
    if (x.unmatched != y.unmatched || x.screenUnmatched != y.screenUnmatched ||
        x.blankRowsAligned != y.blankRowsAligned || x.blankRowsElsewhere != y.blankRowsElsewhere ||
        x.bytes != y.bytes || x.edges != y.edges || x.reach != y.reach || x.total != y.total ||
        x.blank != y.blank || x.places != y.places)
      return false;
  }
  return true;
}

bool SameLooks(const std::vector<Look>& a, const std::vector<Look>& b) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    const Look &x = a[i], &y = b[i];
    if (x.none != y.none || x.differ != y.differ || x.total != y.total ||
        x.instructions != y.instructions || x.places != y.places)
      return false;
  }
  return true;
}

template <typename T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

// What every kernel is run on, made by the plain set: the bytes, their planes and cells (the
// last of them short of the bytes they are measured against), the first looks, and the
// evidence of the cells.
struct Inputs {
  Bytes bytes = Mixed(150'000);
  PlaneStore store;
  Planes planes{};
  std::vector<Cell> cells;
  std::vector<Look> looks;
  std::vector<WidthRow> evidence;
};

Inputs MakeInputs() {
  Inputs in;
  const auto n = static_cast<std::int64_t>(in.bytes.size());
  in.planes = MakePlanes(in.bytes.data(), n, 3, n - 5, in.store);
  in.cells = MeasureCells(in.planes, 3, n - 5);
  in.looks.resize(static_cast<std::size_t>((n - kReach - kBlock) / kBlock));
  Kernels().sampleBlocks(in.bytes.data(), std::ssize(in.looks), in.looks.data());
  in.evidence = Weigh(in.cells).widths;
  // Evidence of halves and whole numbers, so that states tie as well.
  for (std::size_t c = 0; c < in.evidence.size(); c += 3)
    for (float& e : in.evidence[c]) e = std::round(e * 2) / 2;
  return in;
}

// One kernel of a set against the plain set's on the same inputs: empty where every result
// agrees, else what differs.
using Comparison =
    std::function<std::string(const FinderKernels& set, const FinderKernels& plain, Inputs& in)>;

std::string ComparePlanes(const FinderKernels& set, const FinderKernels& plain, Inputs& in) {
  for (const std::size_t n : {0u, 1u, 63u, 64u, 100u, 4133u}) {
    Bytes widened[2], edges[2];
    std::vector<std::uint64_t> blank[2];
    for (int k = 0; k < 2; ++k) {
      widened[k].assign(n, 0);
      edges[k].assign(n, 0);
      blank[k].assign(n / 64 + 2, 0);
      (k == 0 ? plain : set)
          .makePlanes(in.bytes.data() + 7, n, widened[k].data(), edges[k].data(), blank[k].data());
    }
    if (widened[0] != widened[1] || edges[0] != edges[1] || blank[0] != blank[1])
      return "planes of " + std::to_string(n) + " bytes";
  }
  return "";
}

std::string CompareCells(const FinderKernels& set, const FinderKernels&, Inputs& in) {
  std::vector<Cell> cells(in.cells.size());
  const std::int64_t end = static_cast<std::int64_t>(in.bytes.size()) - 5;
  set.measureCells(in.planes, 3, end, cells.data());
  return SameCells(cells, in.cells) ? "" : "cells";
}

std::string CompareLooks(const FinderKernels& set, const FinderKernels&, Inputs& in) {
  std::vector<Look> looks(in.looks.size());
  set.sampleBlocks(in.bytes.data(), std::ssize(looks), looks.data());
  return SameLooks(looks, in.looks) ? "" : "first looks";
}

std::string CompareWindows(const FinderKernels& set, const FinderKernels& plain, Inputs& in) {
  WindowSums sums;
  for (std::size_t b = 0; b < in.looks.size(); ++b) {
    sums.Add(in.looks[b], 1);
    if (b >= 4) sums.Add(in.looks[b - 4], -1);
    const float mean = sums.Mean(), root = std::sqrt(mean + 1);
    std::vector<float> mine(kMaxStripWidth + 2), plains(kMaxStripWidth + 2);
    set.windowEvidences(sums, mean, root, mine.data());
    plain.windowEvidences(sums, mean, root, plains.data());
    if (!SameBits(mine, plains)) return "window evidence at block " + std::to_string(b);
  }
  return "";
}

std::string CompareScreens(const FinderKernels& set, const FinderKernels& plain, Inputs& in) {
  std::vector<float> mine(in.looks.size()), plains(in.looks.size());
  set.screenEvidences(in.looks.data(), in.looks.size(), mine.data());
  plain.screenEvidences(in.looks.data(), in.looks.size(), plains.data());
  return SameBits(mine, plains) ? "" : "screen evidence";
}

std::string CompareWidths(const FinderKernels& set, const FinderKernels& plain, Inputs& in) {
  for (std::size_t c = 0; c < in.cells.size(); ++c) {
    const Cell& cell = in.cells[c];
    if (cell.reach < kMaxLag + cell.bytes) continue;
    const float expected = 0.1f + static_cast<float>(c % 97) * 0.37f;
    const float scale = 1 / std::sqrt(expected + 1), cost = 0.25f + static_cast<float>(c % 4) / 4;
    WidthRow mine{}, plains{};
    set.wholeCellWidths(cell, expected, scale, cost, mine);
    plain.wholeCellWidths(cell, expected, scale, cost, plains);
    if (std::memcmp(mine.data(), plains.data(), sizeof mine) != 0)
      return "widths of cell " + std::to_string(c);
  }
  return "";
}

std::string CompareForward(const FinderKernels& set, const FinderKernels& plain, Inputs& in) {
  const std::size_t n = in.evidence.size();
  std::vector<std::uint32_t> stayed[2] = {std::vector<std::uint32_t>(n),
                                          std::vector<std::uint32_t>(n)};
  std::vector<std::uint8_t> best[2] = {Bytes(n), Bytes(n)};
  set.forward(in.evidence, 10.0f, stayed[0].data(), best[0].data());
  plain.forward(in.evidence, 10.0f, stayed[1].data(), best[1].data());
  return stayed[0] == stayed[1] && best[0] == best[1] ? "" : "division";
}

std::string CompareSearch(const FinderKernels& set, const FinderKernels& plain, Inputs& in) {
  UseKernels(plain);
  const auto plains = FindGraphics(in.bytes.data(), std::ssize(in.bytes));
  UseKernels(set);
  const auto mine = FindGraphics(in.bytes.data(), std::ssize(in.bytes));
  return !plains.empty() && mine == plains ? "" : "regions of a whole search";
}

TEST(FinderKernels, EverySetOfThisProcessorGivesWhatThePlainOneGivesBitForBit) {
  const std::vector<const FinderKernels*> sets = KernelsOfThisProcessor();
  const FinderKernels& plain = *sets.front();
  ASSERT_STREQ(plain.name, "plain");
  UseKernels(plain);
  Inputs in = MakeInputs();
  const std::pair<const char*, Comparison> kernels[] = {
      {"planes", ComparePlanes},           {"cells", CompareCells},
      {"first looks", CompareLooks},       {"window evidence", CompareWindows},
      {"screen evidence", CompareScreens}, {"cell widths", CompareWidths},
      {"division", CompareForward},        {"whole search", CompareSearch},
  };
  for (const FinderKernels* set : sets)
    for (const auto& [name, compare] : kernels)
      EXPECT_EQ(compare(*set, plain, in), "") << set->name << ": " << name;
  UseKernels(*sets.back());
}

}  // namespace
}  // namespace pelorin::finder
