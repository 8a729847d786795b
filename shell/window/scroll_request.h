// scroll_request.h: where a scrollbar's thumb goes for each scroll request.
#pragma once

#include <cstdint>

namespace pelorin {

// The platform's scroll request codes (the low word of a scroll notification).
enum ScrollRequest : std::int32_t {
  kLineLeft = 0,
  kLineRight = 1,
  kPageLeft = 2,
  kPageRight = 3,
  kThumbPosition = 4,
  kThumbTrack = 5,
  kLeftEnd = 6,
  kRightEnd = 7,
  kEndScroll = 8,
};

struct ScrollRange {
  std::int32_t minimum = 0;
  std::int32_t maximum = 0;
  std::uint32_t page = 0;
};

// The last position the thumb can reach: a page-sized thumb stops page - 1 short of the
// maximum, so with page 1 the maximum itself is reachable.
std::int32_t LastScrollPosition(const ScrollRange& range);

// The position after a request: a line or a page step from `position`, the tracking
// position while the thumb is dragged, and no move for every other request (Home and End
// included). The result lies within the reachable positions.
std::int32_t RequestedScrollPosition(const ScrollRange& range, std::int32_t request,
                                     std::int32_t position, std::int32_t trackPosition);

}  // namespace pelorin
