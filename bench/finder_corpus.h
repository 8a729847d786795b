// finder_corpus.h: the images the finder is scored on, each with its known blocks: the two
// makers' planted images and the real corpus's files, raw and as memory images.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "finder_scoring.h"
#include "planted_images.h"
#include "real_corpus.h"

namespace pelorin {

// The planted blocks as known blocks, with their layouts, gathered under their kind.
std::vector<Truth> PlantedTruth(const PlantedImage& image, std::uint32_t seed);

// A real file, raw or as its memory image, with the blocks known in it.
struct RealImage {
  std::string file;
  std::string source;  // the repository its blocks come from
  bool memory;         // the memory image of a tape or snapshot, not the file as stored
  std::vector<std::uint8_t> bytes;
  std::vector<Truth> blocks;
};

// The corpus's files, each raw and, for tapes and snapshots, as memory images, in the order of
// their names. A block is known in a memory image where its address holds it.
std::vector<RealImage> ReadRealImages(const std::vector<KnownBlock>& known,
                                      const std::filesystem::path& folder);

}  // namespace pelorin
