// decision.h: whether a run holds pictures, weighed from its measures by a table of weights
// fitted on labelled runs (bench/fit/), and the one table the finder uses.
#pragma once

#include <array>

#include "analysis/finder/features.h"

namespace pelorin::finder {

// The log-odds that a run holds pictures: bias + the sum of weight times measure. Each
// measure's weight is that of its standardised value divided by its spread, so that the
// measures are used as they come.
struct DecisionTable {
  float bias = 0;
  std::array<float, kFeatureCount> weights{};
};

float LogOdds(const DecisionTable& table, const Features& features);

// The table fitted on all the labelled runs, which the finder uses unless told otherwise.
const DecisionTable& FittedDecision();

// The table searches use from now on: the fitted one, or one fitted without some of the
// runs, for measuring the finder on what its table never saw.
const DecisionTable& Decision();
// `table` must outlive the searches.
void UseDecision(const DecisionTable& table);

// Whether the region of the bytes, with the evidence `score` of its run, holds pictures, by the
// table in use; `j` and `features` then hold its judgment and its measures. `cells` and
// `evidence` from `origin` measured the bytes.
bool JudgeRun(const std::uint8_t* data, const std::vector<Cell>& cells, const Evidence& evidence,
              std::int64_t origin, const GraphicsRegion& region, double score, Judgment& j,
              Features& features);

}  // namespace pelorin::finder
