// memory_image_file.h: snapshots and tapes read from their files as the memory they hold,
// and the image a load keeps in the document for the steps that follow it.
#pragma once

#include <cstdint>
#include <optional>

#include "converter_state.h"
#include "memory_image/memory_image.h"

namespace pelorin {

// Reads the file the path names and makes its memory image by the reader its extension
// picks, telling `placed` (when it is set) of each block as it is placed. Nothing when the
// file cannot be read, is larger than any such file can be, is not what its extension says
// (truncated, inconsistent, or for other hardware), or memory runs out on the way.
std::optional<MemoryImage> ReadMemoryImage(const Text& path, const PlacedBlockSink& placed = {});

// Makes the memory image of the file sourcePath names and keeps it in the state, where it
// stays until the next load. False, with no image kept, when it cannot be made.
bool KeepMemoryImage(ConverterState& state);

// Fills the state's sprite bytes from the kept memory image, from `offset` on and at most
// as many as its layout can show (StoredReadBound); sourceLength becomes the image's length. False,
// with the sprite bytes untouched, when no image is kept, the offset is negative or memory runs
// out.
bool CopyMemoryImageWindow(ConverterState& state, std::int64_t offset);

// The bytes of the memory image the last load made: the memory of the snapshot or tape
// shown. Empty when the source was loaded as its own bytes, or nothing is loaded.
inline ByteSpan LoadedMemoryImage(const ConverterState& state) {
  return state.memoryImage;
}

}  // namespace pelorin
