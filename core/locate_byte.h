// locate_byte.h: which byte of the source a pixel of the screen shows.
#pragma once

#include <cstdint>
#include <optional>

#include "converter_state.h"

namespace pelorin {

// The position in the source file (view offset included) of the stored byte behind the
// pixel byte under pixel (x, y): through the layout's steps, the one that placement wrote
// last there. Nothing where no sprite byte lies (the byte was only cleared, or laid out as
// a zero past the end, nothing is loaded, or the pixel is off the screen). Worked out from
// the layout when asked, so that placement pays nothing for it.
std::optional<std::int64_t> LocateByte(const ConverterState& state, std::int32_t x, std::int32_t y);

}  // namespace pelorin
