// search.h: the finder's search of one scan of bytes, from the first look to the regions.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/finder/bounds.h"

namespace pelorin::finder {

// The regions of the first `span` bytes, in order and apart, their starts counted from the
// first; `available` bytes may be read, so that those near the end are measured against the
// bytes after them.
std::vector<Found> FindInScan(const std::uint8_t* data, std::int64_t span, std::int64_t available);

}  // namespace pelorin::finder
