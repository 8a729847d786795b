// decision.cpp: the weighing of a run's measures, and the table in use.
#include "analysis/finder/decision.h"

#include <algorithm>
#include <atomic>

namespace pelorin::finder {

namespace {

#include "analysis/finder/decision_table.inc"

std::atomic<const DecisionTable*> chosen{&kFitted};

}  // namespace

float LogOdds(const DecisionTable& table, const Features& features) {
  float sum = table.bias;
  for (std::size_t k = 0; k < features.size(); ++k) sum += table.weights[k] * features[k];
  return sum;
}

const DecisionTable& FittedDecision() {
  return kFitted;
}

const DecisionTable& Decision() {
  return *chosen.load(std::memory_order_relaxed);
}

void UseDecision(const DecisionTable& table) {
  chosen.store(&table, std::memory_order_relaxed);
}

bool JudgeRun(const std::uint8_t* data, const std::vector<Cell>& cells, const Evidence& evidence,
              std::int64_t origin, const GraphicsRegion& region, double score, Judgment& j,
              Features& features) {
  const std::uint8_t* p = data + region.start;
  j = Judge(p, region.length, region.width,
            Continuity(cells, origin, region.start, region.length, region.width),
            Ragged(p, std::min(region.length, kJudgedBytes)));
  features = MeasureRun(data, cells, evidence, origin, region, score, j);
  return LogOdds(Decision(), features) >= 0;
}

}  // namespace pelorin::finder
