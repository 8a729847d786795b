// screens.h: whole Spectrum screens among the bytes, in the display's own line order.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/finder/bounds.h"

namespace pelorin::finder {

// Whole screens: 6,144 pixel bytes whose lines continue 256 bytes on, within each third but
// for its last line of each row of cells, then 768 attribute bytes. Found where that
// continuity over a screen's cells outweighs what any strip width makes of them, and placed
// to the byte where the lines' pairs agree best.
std::vector<Found> FindScreens(const std::uint8_t* data, std::int64_t available,
                               std::int64_t origin, const std::vector<Cell>& cells,
                               const Evidence& evidence);

}  // namespace pelorin::finder
