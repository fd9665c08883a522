// The header's mouse gesture on its own: tracking a width from the column's
// left edge, a press that becomes a drag only beyond the threshold and only
// when allowed, and ending whatever runs.
#include <gtest/gtest.h>

#include "datatree/HeaderMouseState.h"

namespace qv::test {
namespace {

TEST(HeaderMouseState, GesturesStartDecideAndEnd) {
  THeaderMouseState m;
  EXPECT_FALSE(m.Busy());
  m.StartTracking(100, POINT{180, 5});
  EXPECT_TRUE(m.Tracking() && m.Busy());
  EXPECT_EQ(m.TrackedWidth(POINT{150, 9}), 50);
  m.End();
  EXPECT_FALSE(m.Busy());

  m.Press(POINT{40, 5}, false);  // a column that cannot be dragged
  EXPECT_FALSE(m.Busy());
  m.Press(POINT{40, 5}, true);
  EXPECT_TRUE(m.DragPending());
  EXPECT_FALSE(m.BeyondDragThreshold(POINT{44, 1}, 4));
  EXPECT_TRUE(m.BeyondDragThreshold(POINT{45, 5}, 4));
  EXPECT_TRUE(m.BeyondDragThreshold(POINT{40, 10}, 4));
  m.DecideDrag(false);  // refused: nothing runs
  EXPECT_FALSE(m.Busy());
  m.Press(POINT{40, 5}, true);
  m.DecideDrag(true);
  EXPECT_TRUE(m.Dragging() && !m.DragPending());
  EXPECT_EQ(m.DragStart().x, 40);
  m.End();
  EXPECT_FALSE(m.Busy());
}

}  // namespace
}  // namespace qv::test
