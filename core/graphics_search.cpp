// graphics_search.cpp: feeding the finder from a file or a memory image.
#include "graphics_search.h"

#include <algorithm>
#include <new>

#include "platform/platform.h"

namespace pelorin {

namespace {

// A piece of the file is read and searched between two reports of progress: small enough to
// report often, large enough that reading it costs little beside searching it, and several of
// the finder's scans long, so that most of it is searched where it lies and not copied first.
constexpr std::int32_t kPiece = 4 << 20;

}  // namespace

GraphicsSearch SearchGraphicsIn(ByteSpan bytes, std::int64_t offset,
                                const SearchProgress& progress) {
  GraphicsSearch search;
  const auto total = static_cast<std::int64_t>(bytes.size());
  const std::int64_t from = std::clamp<std::int64_t>(offset, 0, total);
  GraphicsFinder finder(from);
  for (std::int64_t at = from; at < total;) {
    const std::int64_t piece = std::min<std::int64_t>(kPiece, total - at);
    finder.Feed(bytes.data() + at, static_cast<std::size_t>(piece));
    at += piece;
    if (progress && !progress(at - from, total - from) && at < total) {
      search.complete = false;
      break;
    }
  }
  finder.Finish();
  search.regions = finder.TakeRegions();
  return search;
}

std::optional<GraphicsSearch> SearchGraphics(const Text& path, std::int64_t offset,
                                             const SearchProgress& progress) {
  if (offset < 0) return std::nullopt;
  const std::int64_t size = platform::QueryFileSize(path);
  platform::File file = platform::OpenForReading(path);
  if (!file.IsOpen()) return std::nullopt;
  const bool pastTheEnd = size >= 0 && offset >= size;
  if (offset > 0 && !pastTheEnd && !file.Seek(offset)) return std::nullopt;
  const std::int64_t total = size >= 0 ? std::max<std::int64_t>(size - offset, 0) : -1;
  GraphicsSearch search;
  GraphicsFinder finder(offset);
  std::vector<std::uint8_t> piece;
  try {
    piece.resize(kPiece);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  std::int64_t searched = 0;
  while (!pastTheEnd) {
    const std::int64_t delivered = file.Read(piece.data(), kPiece);
    if (delivered < 0) return std::nullopt;
    if (delivered == 0) break;
    finder.Feed(piece.data(), static_cast<std::size_t>(delivered));
    searched += delivered;
    if (progress && !progress(searched, std::max(total, searched))) {
      search.complete = false;
      break;
    }
  }
  finder.Finish();
  search.regions = finder.TakeRegions();
  return search;
}

std::optional<std::vector<std::uint8_t>> ReadRegionBytes(const Text& path, std::int64_t start,
                                                         std::int64_t count) {
  if (start < 0 || count < 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  platform::File file = platform::OpenForReading(path);
  if (!file.IsOpen() || (start > 0 && !file.Seek(start))) return std::nullopt;
  bytes.resize(static_cast<std::size_t>(count));
  std::int64_t held = 0;
  while (held < count) {
    const std::int64_t delivered =
        file.Read(bytes.data() + held,
                  static_cast<std::int32_t>(std::min<std::int64_t>(count - held, kPiece)));
    if (delivered < 0) return std::nullopt;
    if (delivered == 0) break;
    held += delivered;
  }
  bytes.resize(static_cast<std::size_t>(held));
  return bytes;
}

}  // namespace pelorin
