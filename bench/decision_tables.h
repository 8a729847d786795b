// decision_tables.h: the finder's tables of weights fitted without some of the labelled runs
// (bench/fit/tables.tsv), by which each unseen figure is scored.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "analysis/finder/decision.h"

namespace pelorin {

// The tables by name: "all", "without first", "without other", "without SOURCE". Nothing when
// the file cannot be read or its measures are not the finder's, in the finder's order.
std::optional<std::map<std::string, finder::DecisionTable>> ReadDecisionTables(
    const std::filesystem::path& path);

// The table fitted without `name`'s runs, or, where the fitting had none of them, the table
// fitted on all, which saw none of them either.
const finder::DecisionTable& TableWithout(
    const std::map<std::string, finder::DecisionTable>& tables, const std::string& name);

}  // namespace pelorin
