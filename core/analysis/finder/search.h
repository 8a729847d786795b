// search.h: the finder's search of one scan of bytes, from the first look to the regions.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/finder/bounds.h"
#include "analysis/finder/features.h"

namespace pelorin::finder {

// The regions of the first `span` bytes, in order and apart, their starts counted from the
// first; `available` bytes may be read, so that those near the end are measured against the
// bytes after them.
// With `judged`, every run judged is added to it with its measures.
std::vector<Found> FindInScan(const std::uint8_t* data, std::int64_t span, std::int64_t available,
                              std::vector<JudgedRun>* judged = nullptr);

}  // namespace pelorin::finder
