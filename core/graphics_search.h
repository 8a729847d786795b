// graphics_search.h: the graphics finder run over the document's source: a file read a piece
// at a time, or the memory image of a snapshot or tape.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/graphics_finder.h"
#include "memory_image/memory_image.h"
#include "platform/text.h"

namespace pelorin {

// Told after each piece searched: the bytes searched so far and how many there are in all.
// Returning false stops the search; what was found up to there is kept.
using SearchProgress = std::function<bool(std::int64_t searched, std::int64_t total)>;

struct GraphicsSearch {
  std::vector<GraphicsRegion> regions;  // in order, their starts counted as the offsets are
  bool complete = true;                 // false when the progress stopped it
};

// Searches the file the path names from `offset` on. Regions start at their position in the
// file. Memory stays bounded whatever the file's size: it is read a piece at a time. Nothing
// when it cannot be read.
std::optional<GraphicsSearch> SearchGraphics(const Text& path, std::int64_t offset,
                                             const SearchProgress& progress);

// Searches bytes already held, a memory image made once by its load, from `offset` on, in
// the same pieces and with the same progress as a file.
GraphicsSearch SearchGraphicsIn(ByteSpan bytes, std::int64_t offset,
                                const SearchProgress& progress);

// The first `count` bytes of a region of the file (fewer at its end), for showing it;
// nothing when they cannot be read.
std::optional<std::vector<std::uint8_t>> ReadRegionBytes(const Text& path, std::int64_t start,
                                                         std::int64_t count);

}  // namespace pelorin
