// finder_corpus.cpp: the planted images' truth, and the real files with their known blocks.
#include "finder_corpus.h"

#include <fstream>
#include <iterator>
#include <map>

#include "memory_image_file.h"

namespace pelorin {

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes{std::istreambuf_iterator<char>(in), {}};
}

std::string Hex(const Bytes& bytes, std::int64_t at, std::size_t count) {
  std::string hex;
  char digits[3];
  for (std::size_t i = 0; i < count && at + static_cast<std::int64_t>(i) < std::ssize(bytes); ++i) {
    std::snprintf(digits, sizeof digits, "%02x", bytes[static_cast<std::size_t>(at) + i]);
    hex += digits;
  }
  return hex;
}

}  // namespace

std::vector<Truth> PlantedTruth(const PlantedImage& image, std::uint32_t seed) {
  std::vector<Truth> truths;
  for (const PlantedBlock& block : image.blocks) {
    const bool screen = block.kind == PlantedKind::kScreen;
    truths.push_back({block.start, block.length, ShownWidth(block), screen ? 0 : block.width,
                      LayoutOf(block), true, PlantedKindName(block.kind),
                      "seed " + std::to_string(seed) + " " + PlantedKindName(block.kind) + " at " +
                          std::to_string(block.start) + ", " + std::to_string(block.length) +
                          " bytes, width " + std::to_string(block.width)});
  }
  return truths;
}

std::vector<RealImage> ReadRealImages(const std::vector<KnownBlock>& known,
                                      const fs::path& folder) {
  std::vector<RealImage> images;
  std::map<std::string, std::vector<const KnownBlock*>> files;
  for (const KnownBlock& block : known) files[block.file].push_back(&block);
  for (const auto& [file, blocks] : files) {
    const fs::path path = folder / "files" / file;
    const std::string& source = blocks.front()->source;
    RealImage raw{file, source, false, ReadBytes(path), {}};
    const auto image = ReadMemoryImage(Utf8ToText(path.string()));
    RealImage memory{file, source, true, image ? image->bytes : Bytes{}, {}};
    for (const KnownBlock* block : blocks) {
      const std::string name = file + "@" + std::to_string(block->offset);
      const Truth truth{
          block->offset, block->Length(), block->width, block->StoredWidth(), block->layout,
          true,          block->source,   name};
      raw.blocks.push_back(truth);
      // In the image only where its address holds the block: a headerless tape block goes
      // after the address space, not to the address its loader gives it.
      if (image && block->address &&
          Hex(image->bytes, *block->address, block->head.size() / 2) == block->head) {
        Truth inImage = truth;
        inImage.start = *block->address;
        inImage.name = name + " in memory at " + std::to_string(*block->address);
        memory.blocks.push_back(inImage);
      }
    }
    images.push_back(std::move(raw));
    if (image) images.push_back(std::move(memory));
  }
  return images;
}

}  // namespace pelorin
