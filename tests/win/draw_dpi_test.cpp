// The one rounding rule between design pixels and a display's: what is written reads back, and
// units that meet in the form meet on the screen, at every scale and on both sides of 0.
#include <gtest/gtest.h>

#include "runtime/draw/dpi.h"

namespace rc::draw {
namespace {

TEST(DrawDpi, PositionsReadBackAndNeighboursStillMeet) {
  for (int dpi : {96, 120, 144, 168, 192, 288}) {
    SCOPED_TRACE(dpi);
    for (int v = -700; v <= 700; v += 7) {
      ASSERT_EQ(UnscaleEdge(ScaleEdge(v, dpi), dpi), v) << "a place reads back as written";
      const RECT a = ScaleRect(v, 3, 25, 9, dpi), b = ScaleRect(v + 25, 3, 13, 9, dpi);
      ASSERT_EQ(a.right, b.left) << "side by side, no gap and no overlap";
      const LogicalRect back = UnscaleRect(a, dpi);
      ASSERT_TRUE(back.left == v && back.width == 25 && back.height == 9);
      const LogicalRect window = UnscaleRect(ScaleRect(v, v, 617, 407, dpi, true), dpi, true);
      ASSERT_TRUE(window.width == 617 && window.height == 407) << "a window's size, any place";
    }
  }
  EXPECT_EQ(ScaleLength(1, 120), 1);
  EXPECT_EQ(ScaleLength(1, 144), 2);
  EXPECT_EQ(ScaleLength(1, 48), 1) << "a line never vanishes";
  EXPECT_EQ(ScaleEdge(-3, 144), -5) << "halves away from zero, as MulDiv";
}

}  // namespace
}  // namespace rc::draw
