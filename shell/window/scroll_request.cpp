// scroll_request.cpp: the scroll request table.
#include "window/scroll_request.h"

#include <algorithm>

namespace pelorin {

std::int32_t LastScrollPosition(const ScrollRange& range) {
  const std::int64_t pageSpan = range.page > 0 ? std::int64_t{range.page} - 1 : 0;
  return static_cast<std::int32_t>(
      std::max<std::int64_t>(range.minimum, std::int64_t{range.maximum} - pageSpan));
}

std::int32_t RequestedScrollPosition(const ScrollRange& range, std::int32_t request,
                                     std::int32_t position, std::int32_t trackPosition) {
  // 64-bit: a step from an extreme position must not wrap around.
  std::int64_t target = position;
  switch (request) {
    case kLineLeft:
      target -= 1;
      break;
    case kLineRight:
      target += 1;
      break;
    case kPageLeft:
      target -= range.page;
      break;
    case kPageRight:
      target += range.page;
      break;
    case kThumbTrack:
      target = trackPosition;
      break;
    default:
      break;
  }
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(target, range.minimum, LastScrollPosition(range)));
}

}  // namespace pelorin
