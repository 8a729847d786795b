// weighing.h: the evidence of each cell for each width, and the division of the cells into
// background and runs of one width each.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/finder/kernels.h"

namespace pelorin::finder {

struct Evidence {
  std::vector<std::array<float, kStates>> widths;  // per cell: 0 for background, then widths
  std::vector<float> screen;  // per cell: continuity 256 bytes on, one pixel line down a screen
  std::vector<double> usual;  // per cell: the unmatched bits per pair around it, at all lags
  std::vector<float> rows;    // per cell: the evidence for width 1 from its rows alone, not tiles
};

Evidence Weigh(const std::vector<Cell>& cells);

struct Segment {
  std::int64_t firstCell;
  std::int64_t endCell;
  std::int32_t width;
  double score;
};

// The best division of the cells into background and runs of one width each: entering a
// run has a cost, so that a run is kept only where its evidence pays for it.
std::vector<Segment> Divide(const std::vector<WidthRow>& evidence);

}  // namespace pelorin::finder
