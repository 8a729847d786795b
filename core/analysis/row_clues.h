// row_clues.h: what the bytes of graphics tell of their rows, shared by the width guess and
// the finder: pairs of a mask and its graphic, and where rows end.
#pragma once

#include <cstdint>

namespace pelorin {

// Whether the bytes come in pairs of a mask and its graphic, which share no pixel where both
// hold some, in nine pairs of ten at least (and enough pairs of two inked bytes to tell).
bool MaskPairs(const std::uint8_t* bytes, std::int64_t length);

// Whether the bytes, laid in rows of `width` (even, 4 to 31), end a row at its middle as well:
// shapes cross the seams between the bytes of a row, the last pixel of one byte and the first
// of the next both set, but not the seams from a row's last byte into the next row's first.
// True where the two seams a half-row apart are crossed far less than the others, as by chance
// they would not be; false for a picture whose halves are merely alike.
bool HalfRowsEnd(const std::uint8_t* bytes, std::int64_t length, std::int32_t width);

}  // namespace pelorin
