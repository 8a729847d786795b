// layouts.h: how a run's bytes are stored: mask and graphic bytes in pairs, and in which
// order; rows, or sprites stored column by column, and how high and wide; and where its first
// row starts.
#pragma once

#include <cstdint>
#include <utility>

#include "analysis/finder/judgment.h"

namespace pelorin::finder {

// Sets the region's layout and the width it is shown at under it, from its bytes as stored
// at its stored width and their judgment, and moves its start onto its first row: the pairs'
// first byte, the first byte of a row, the first row of a sprite stored by columns, with the
// blank rows (or blank graphic-and-mask pairs) just before it taken in. `data` holds
// `available` bytes.
void SetLayout(const std::uint8_t* data, std::int64_t available, const Judgment& j,
               GraphicsRegion& region);

// The longest stretch of whole pairs in the bytes whose two bytes share no pixel where both
// hold some, as a mask and its graphic do, as an offset and a length; {0, 0} where no such
// stretch holds enough pairs, or where it holds all the bytes.
std::pair<std::int64_t, std::int64_t> MaskedStretch(const std::uint8_t* p, std::int64_t length);

}  // namespace pelorin::finder
