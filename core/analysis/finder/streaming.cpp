// streaming.cpp: the finder over bytes handed in a piece at a time, searched a scan at a
// time, with the regions cut by a scan's end joined again.
#include <algorithm>

#include "analysis/finder/search.h"
#include "analysis/graphics_finder.h"

namespace pelorin {

namespace {

// The bytes searched at a time, and the bytes past them that the search reads. A region that
// ends within kHold of a scan's end waits for the next scan. The fuzz build makes scans
// small, so that short inputs cross their edges.
#ifdef PELORIN_FINDER_SCAN_BYTES
constexpr std::int64_t kScanBytes = PELORIN_FINDER_SCAN_BYTES;
#else
constexpr std::int64_t kScanBytes = 1 << 20;
#endif
constexpr std::int64_t kHold = kScanBytes / 64;
constexpr std::int32_t kLookahead = finder::kScreenLag + finder::kCell;

}  // namespace

const char* GraphicsKindName(GraphicsKind kind) {
  switch (kind) {
    case GraphicsKind::kFont:
      return "font";
    case GraphicsKind::kTiles:
      return "tiles";
    case GraphicsKind::kSprites:
      return "sprites";
    case GraphicsKind::kPicture:
      return "picture";
    case GraphicsKind::kScreen:
      return "screen";
  }
  return "";
}

GraphicsFinder::GraphicsFinder(std::int64_t origin) : origin_(origin) {}

void GraphicsFinder::Feed(const std::uint8_t* bytes, std::size_t count) {
  if (finished_) return;
  constexpr std::size_t kWindow = kScanBytes + kLookahead;
  while (count > 0) {
    // Scanned where they lie while nothing waits before them; only what remains is copied.
    if (buffer_.empty() && count >= kWindow) {
      const auto used = static_cast<std::size_t>(Scan(bytes, kWindow, false));
      bytes += used;
      count -= used;
      continue;
    }
    const std::size_t take = std::min(count, kWindow - std::min(kWindow, buffer_.size()));
    buffer_.insert(buffer_.end(), bytes, bytes + take);
    bytes += take;
    count -= take;
    if (buffer_.size() >= kWindow) {
      const std::size_t held = buffer_.size() - take;
      const auto used = static_cast<std::size_t>(
          Scan(buffer_.data(), static_cast<std::int64_t>(buffer_.size()), false));
      if (used >= held) {
        // What was held before is all settled: the rest is in the bytes fed, searched where
        // they lie from here on.
        const std::size_t back = buffer_.size() - used;
        bytes -= back;
        count += back;
        buffer_.clear();
      } else {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(used));
      }
    }
  }
}

void GraphicsFinder::Finish() {
  if (finished_) return;
  Scan(buffer_.data(), static_cast<std::int64_t>(buffer_.size()), true);
  buffer_.clear();
  if (pending_) settled_.push_back(*pending_);
  pending_.reset();
  finished_ = true;
}

std::vector<GraphicsRegion> GraphicsFinder::TakeRegions() {
  std::vector<GraphicsRegion> taken;
  taken.swap(settled_);
  return taken;
}

void GraphicsFinder::HandOn(GraphicsRegion region, bool more) {
  // A region cut where the last scan ended goes on with the first of this one when that is
  // of its width and starts where it stopped, give or take a cell.
  if (pending_) {
    const std::int64_t end = pending_->start + pending_->length;
    if (region.width == pending_->width && region.layout == pending_->layout &&
        region.start <= end + finder::kCell && region.start + region.length > end) {
      region.length = region.start + region.length - pending_->start;
      region.start = pending_->start;
      region.kind = pending_->kind;
      region.confidence = std::max(region.confidence, pending_->confidence);
      finder::WholeUnits(region);
    } else {
      settled_.push_back(*pending_);
    }
    pending_.reset();
  }
  if (more)
    pending_ = region;
  else
    settled_.push_back(region);
}

std::int64_t GraphicsFinder::Scan(const std::uint8_t* data, std::int64_t available, bool last) {
  const std::int64_t span = last ? available : kScanBytes;
  const std::int64_t hold = span - kHold;
  std::int64_t used = last ? available : hold;
  const std::int64_t at = scanned_ + origin_;
  for (const finder::Found& f : finder::FindInScan(data, span, available)) {
    GraphicsRegion region = f.region;
    region.start += at;
    if (!last && f.region.start + f.region.length > hold) {
      if (f.region.start >= span / 2) {  // the next scan takes it from its start
        used = f.region.start;
        break;
      }
      // A region this long is cut here, and the next scan may go on with it.
      region.length = hold - f.region.start;
      finder::WholeUnits(region);
      HandOn(region, true);
      break;
    }
    HandOn(region, false);
  }
  scanned_ += used;
  return used;
}

std::vector<GraphicsRegion> FindGraphics(const std::uint8_t* bytes, std::int64_t length) {
  GraphicsFinder finder;
  finder.Feed(bytes, static_cast<std::size_t>(std::max<std::int64_t>(length, 0)));
  finder.Finish();
  return finder.TakeRegions();
}

}  // namespace pelorin
