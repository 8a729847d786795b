// Where the thumb goes for each scroll request.
#include <gtest/gtest.h>

#include <climits>

#include "window/scroll_request.h"

namespace pelorin {
namespace {

constexpr ScrollRange kWidthRange{1, 31, 1};

struct RequestCase {
  std::int32_t request;
  std::int32_t from;
  std::int32_t expected;
};

TEST(ScrollRequestTest, EveryRequestAtBothEndsAndInTheMiddle) {
  constexpr std::int32_t kTrack = 20;  // where a dragged thumb is
  const RequestCase cases[] = {
      {kLineLeft, 1, 1},
      {kLineLeft, 16, 15},
      {kLineLeft, 31, 30},
      {kLineRight, 1, 2},
      {kLineRight, 16, 17},
      {kLineRight, 31, 31},
      {kPageLeft, 1, 1},
      {kPageLeft, 16, 15},
      {kPageLeft, 31, 30},
      {kPageRight, 1, 2},
      {kPageRight, 16, 17},
      {kPageRight, 31, 31},
      {kThumbPosition, 1, 1},
      {kThumbPosition, 16, 16},
      {kThumbPosition, 31, 31},
      {kThumbTrack, 1, kTrack},
      {kThumbTrack, 16, kTrack},
      {kThumbTrack, 31, kTrack},
      {kLeftEnd, 1, 1},
      {kLeftEnd, 16, 16},
      {kLeftEnd, 31, 31},
      {kRightEnd, 1, 1},
      {kRightEnd, 16, 16},
      {kRightEnd, 31, 31},
      {kEndScroll, 1, 1},
      {kEndScroll, 16, 16},
      {kEndScroll, 31, 31},
      {9, 16, 16},
      {-1, 16, 16},
      {0xFFFF, 16, 16},
  };
  for (const RequestCase& c : cases) {
    EXPECT_EQ(RequestedScrollPosition(kWidthRange, c.request, c.from, kTrack), c.expected)
        << "request " << c.request << " from " << c.from;
  }
}

TEST(ScrollRequestTest, PageStepsAndTrackingStayWithinTheReachablePositions) {
  const ScrollRange paged{0, 100, 10};  // a 10-unit thumb stops at 91
  EXPECT_EQ(LastScrollPosition(paged), 91);
  EXPECT_EQ(RequestedScrollPosition(paged, kPageRight, 50, 0), 60);
  EXPECT_EQ(RequestedScrollPosition(paged, kPageRight, 85, 0), 91);
  EXPECT_EQ(RequestedScrollPosition(paged, kPageLeft, 5, 0), 0);
  EXPECT_EQ(RequestedScrollPosition(kWidthRange, kThumbTrack, 5, 99), 31);
  EXPECT_EQ(RequestedScrollPosition(kWidthRange, kThumbTrack, 5, -4), 1);
}

TEST(ScrollRequestTest, LastPositionForEachPage) {
  EXPECT_EQ(LastScrollPosition({1, 31, 0}), 31);
  EXPECT_EQ(LastScrollPosition({1, 31, 1}), 31) << "page 1 reaches the maximum itself";
  EXPECT_EQ(LastScrollPosition({1, 31, 2}), 30);
  EXPECT_EQ(LastScrollPosition({1, 31, 1000}), 1) << "a thumb larger than the range";
}

TEST(ScrollRequestTest, StepsFromExtremePositionsDoNotWrap) {
  const ScrollRange wide{INT_MIN, INT_MAX, 1};
  EXPECT_EQ(RequestedScrollPosition(wide, kLineRight, INT_MAX, 0), INT_MAX);
  EXPECT_EQ(RequestedScrollPosition(wide, kLineLeft, INT_MIN, 0), INT_MIN);
  const ScrollRange hugePage{0, INT_MAX, 0xFFFFFFFFu};
  EXPECT_EQ(RequestedScrollPosition(hugePage, kPageRight, 0, 0), 0);
}

}  // namespace
}  // namespace pelorin
