// layouts.h: how a run's bytes are stored: mask and graphic bytes in pairs, and in which
// order; rows, or sprites stored column by column, and how high and wide; and where its first
// row starts.
#pragma once

#include <cstdint>

#include "analysis/finder/judgment.h"

namespace pelorin::finder {

// Sets the region's layout and the width it is shown at under it, from its bytes as stored
// at its stored width and their judgment, and moves its start onto its first row: the pairs'
// first byte, the first byte of a row, the first row of a sprite stored by columns, with the
// blank rows (or blank graphic-and-mask pairs) just before it taken in. `data` holds
// `available` bytes.
void SetLayout(const std::uint8_t* data, std::int64_t available, const Judgment& j,
               GraphicsRegion& region);

}  // namespace pelorin::finder
