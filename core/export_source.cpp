// export_source.cpp: the document's region, its bytes and its file's digest.
#include "export_source.h"

#include <algorithm>

#include "export/sha256.h"
#include "graphics_search.h"
#include "platform/platform.h"

namespace pelorin {

ExportRegion ExportRegionOf(const ConverterState& state, const GraphicsRegion* landed) {
  const bool memory = !state.memoryImage.empty();
  if (landed != nullptr && landed->start == state.viewOffset)
    return FoundRegion(*landed, state.sourceLength, state.stripWidth, state.layout, memory);
  return ScreenRegion(state.viewOffset, state.sourceLength, state.stripWidth, state.layout, memory);
}

std::optional<std::vector<std::uint8_t>> ReadExportBytes(const ConverterState& state,
                                                         const ExportRegion& region) {
  if (!region.memory) {
    auto bytes = ReadRegionBytes(state.sourcePath, region.start, region.length);
    // A file that shrank since it was loaded no longer holds the region.
    if (bytes && static_cast<std::int64_t>(bytes->size()) != region.length) return std::nullopt;
    return bytes;
  }
  const std::vector<std::uint8_t>& image = state.memoryImage;
  const auto size = static_cast<std::int64_t>(image.size());
  if (region.start < 0 || region.length < 0 || region.start + region.length > size)
    return std::nullopt;
  return std::vector<std::uint8_t>(image.begin() + region.start,
                                   image.begin() + region.start + region.length);
}

std::optional<std::string> FileSha256(const Text& path) {
  platform::File file = platform::OpenForReading(path);
  if (!file.IsOpen()) return std::nullopt;
  Sha256 digest;
  std::vector<std::uint8_t> piece(1 << 20);
  for (;;) {
    const std::int64_t delivered = file.Read(piece.data(), static_cast<std::int32_t>(piece.size()));
    if (delivered < 0) return std::nullopt;
    if (delivered == 0) break;
    digest.Update({piece.data(), static_cast<std::size_t>(delivered)});
  }
  return DigestHex(digest.Finish());
}

Text SourceFileName(const Text& path) {
#ifdef _WIN32
  const std::size_t last = path.find_last_of(u"\\/:");
#else
  const std::size_t last = path.rfind(u'/');
#endif
  return last == Text::npos ? path : path.substr(last + 1);
}

}  // namespace pelorin
