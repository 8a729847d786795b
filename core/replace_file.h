// replace_file.h: writing a whole file so that no half-written file is ever left under its
// name.
#pragma once

#include <cstdint>
#include <span>

#include "platform/text.h"

namespace pelorin {

// Makes the file at the path hold exactly these bytes, or leaves it as it was: they are
// written to a new file beside it under a temporary name, which is renamed over the path
// once complete and removed when anything fails. False then.
bool ReplaceFileWith(const Text& path, std::span<const std::uint8_t> bytes);

}  // namespace pelorin
