// memory_image_file.h: snapshots and tapes read from their files as the memory they hold,
// and the image a load keeps in the document for the steps that follow it.
#pragma once

#include <cstdint>

#include "converter_state.h"
#include "memory_image/memory_image.h"

namespace pelorin {

// Reads the file the path names and makes its memory image by the reader its extension
// picks, telling `placed` (when it is set) of each block as it is placed; with
// ReadFor::kBlocksOnly a tape keeps none of its bytes. The file is read as the reader takes
// it: a tape is never held whole. A refusal, saying why, when it cannot be read, is larger than any
// such file can be, is not what its extension says (cut off, inconsistent, or for other hardware),
// or memory runs out on the way.
ImageRead ReadMemoryImage(const Text& path, const PlacedBlockSink& placed = {},
                          ReadFor readFor = ReadFor::kImage);

// Makes the memory image of the file sourcePath names and keeps its bytes in the state, where
// they stay until the next load; `warning` gets what the user should know of it (the RAM
// pages a snapshot left out). Why it cannot be made; empty when it was, and is kept.
Text KeepMemoryImage(ConverterState& state, Text& warning);

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
