// decision_tables.cpp: reading the tables of weights that the fitting wrote.
#include "decision_tables.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace pelorin {

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

}  // namespace

std::optional<std::map<std::string, finder::DecisionTable>> ReadDecisionTables(
    const std::filesystem::path& path) {
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line)) return std::nullopt;
  const std::vector<std::string> head = SplitTabs(line);
  if (head.size() != finder::kFeatureCount + 2) return std::nullopt;
  for (int k = 0; k < finder::kFeatureCount; ++k)
    if (head[static_cast<std::size_t>(k) + 2] != finder::kFeatureNames[static_cast<std::size_t>(k)])
      return std::nullopt;
  std::map<std::string, finder::DecisionTable> tables;
  while (std::getline(in, line)) {
    const std::vector<std::string> fields = SplitTabs(line);
    if (fields.size() != head.size()) return std::nullopt;
    finder::DecisionTable table;
    table.bias = std::stof(fields[1]);
    for (std::size_t k = 0; k < table.weights.size(); ++k)
      table.weights[k] = std::stof(fields[k + 2]);
    tables[fields[0]] = table;
  }
  return tables;
}

const finder::DecisionTable& TableWithout(
    const std::map<std::string, finder::DecisionTable>& tables, const std::string& name) {
  const auto found = tables.find("without " + name);
  return found != tables.end() ? found->second : finder::FittedDecision();
}

}  // namespace pelorin
