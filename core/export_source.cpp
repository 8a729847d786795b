// export_source.cpp: the document's region, its bytes and its file's digest.
#include "export_source.h"

#include <algorithm>
#include <memory>

#include "export/sha256.h"
#include "graphics_search.h"
#include "platform/platform.h"
#include "redraw.h"

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
    // The bytes the view holds already, when the region lies among them; else read again.
    const std::int64_t from = region.start - state.viewOffset;
    if (from >= 0 && from + region.length <= HeldSpriteBytes(state))
      return std::vector<std::uint8_t>(state.spriteData.begin() + from,
                                       state.spriteData.begin() + from + region.length);
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
  // Pieces of 64 KiB: large enough that reading costs little beside hashing, and a small
  // file's piece is not a megabyte to clear. Left uncleared (new without braces), as the page's
  // older C++ library has no make_unique_for_overwrite.
  constexpr std::int32_t kPiece = 1 << 16;
  const std::unique_ptr<std::uint8_t[]> piece(new std::uint8_t[kPiece]);
  for (;;) {
    const std::int64_t delivered = file.Read(piece.get(), kPiece);
    if (delivered < 0) return std::nullopt;
    if (delivered == 0) break;
    digest.Update({piece.get(), static_cast<std::size_t>(delivered)});
  }
  return DigestHex(digest.Finish());
}

std::optional<std::string> SourceSha256(const ConverterState& state) {
  const bool wholeFileHeld =
      state.memoryImage.empty() && state.viewOffset == 0 &&
      state.spriteLength == state.sourceLength &&
      static_cast<std::int64_t>(state.spriteData.size()) >= state.spriteLength;
  if (!wholeFileHeld) return FileSha256(state.sourcePath);
  Sha256 digest;
  digest.Update({state.spriteData.data(), static_cast<std::size_t>(state.spriteLength)});
  return DigestHex(digest.Finish());
}

Text SourceFileName(const Text& path) {
  return platform::FileNamePart(path);
}

}  // namespace pelorin
