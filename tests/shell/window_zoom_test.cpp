// The zoom whose window fits a work area.
#include <gtest/gtest.h>

#include "window/window_zoom.h"

namespace pelorin {
namespace {

TEST(FittingZoom, IsTheLargestUpToTheAskedOneWhoseWholeWindowFits) {
  constexpr Extent kFrame{6, 25};  // borders and caption; the 3x window is 771 x 649
  // asked, work area -> the zoom shown
  const std::tuple<std::int32_t, Extent, std::int32_t> cases[] = {
      {3, {771, 649}, 3},  {3, {770, 649}, 2}, {3, {771, 648}, 2},
      {2, {1024, 768}, 2}, {3, {640, 450}, 1}, {2, {200, 200}, 1}};
  for (const auto& [asked, workArea, expected] : cases)
    EXPECT_EQ(FittingZoom(asked, kFrame, workArea), expected)
        << asked << "x in " << workArea.width << " x " << workArea.height;
}

}  // namespace
}  // namespace pelorin
