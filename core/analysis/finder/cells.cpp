// cells.cpp: the planes of a stretch of bytes and the measures of its cells.
#include "analysis/finder/cells.h"

#include "analysis/finder/kernels.h"

namespace pelorin::finder {

Planes MakePlanes(const std::uint8_t* data, std::int64_t available, std::int64_t from,
                  std::int64_t to, PlaneStore& store) {
  const auto n = static_cast<std::size_t>(std::min(available, to + kReach) - from);
  store.widened.resize(n + 8);
  store.edges.resize(n + 8);
  store.blank.assign(n / 64 + 2, 0);
  Kernels().makePlanes(data + from, n, store.widened.data(), store.edges.data(),
                       store.blank.data());
  for (std::size_t i = n; i < n + 8; ++i) store.widened[i] = store.edges[i] = 0;
  return {data, available, from, store.widened.data(), store.edges.data(), store.blank.data()};
}

std::vector<Cell> MeasureCells(const Planes& planes, std::int64_t first, std::int64_t end) {
  std::vector<Cell> cells(static_cast<std::size_t>((end - first + kCell - 1) / kCell));
  Kernels().measureCells(planes, first, end, cells.data());
  return cells;
}

}  // namespace pelorin::finder
