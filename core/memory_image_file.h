// memory_image_file.h: snapshots and tapes read from their files as the memory they hold.
#pragma once

#include <cstdint>
#include <optional>

#include "converter_state.h"
#include "memory_image/memory_image.h"

namespace pelorin {

// Reads the file the path names and makes its memory image by the reader its extension
// picks. Nothing when the file cannot be read, is larger than any such file can be, or is
// not what its extension says (truncated, inconsistent, or for other hardware).
std::optional<MemoryImage> ReadMemoryImage(const Text& path);

// Fills the state's sprite bytes from the memory image of the file sourcePath names, from
// `offset` on and at most as many as its layout can show (StoredReadBound); sourceLength
// becomes the image's length. False, with the sprite bytes untouched, when the image cannot
// be made or the offset is negative.
bool ReadMemoryImageWindow(ConverterState& state, std::int64_t offset);

}  // namespace pelorin
