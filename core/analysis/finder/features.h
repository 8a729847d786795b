// features.h: the measures of a run of one width that the decision whether it holds pictures
// weighs.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/finder/judgment.h"
#include "analysis/finder/weighing.h"

namespace pelorin::finder {

inline constexpr int kFeatureCount = 32;
using Features = std::array<float, kFeatureCount>;

// The names of the measures, in order, as the fitting reads them.
extern const std::array<const char*, kFeatureCount> kFeatureNames;

// The measures of the region's bytes at its stored width; `score` is its run's evidence,
// `evidence` the cells' from `origin`, `j` its judgment.
Features MeasureRun(const std::uint8_t* data, const std::vector<Cell>& cells,
                    const Evidence& evidence, std::int64_t origin, const GraphicsRegion& region,
                    double score, const Judgment& j);

// A run the search judged, with its measures and whether it was kept: the evidence the
// decision is fitted on.
struct JudgedRun {
  GraphicsRegion region;  // at its stored width
  Features features;
  bool kept;
};

}  // namespace pelorin::finder
