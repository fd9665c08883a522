// The rubber band on its own: it draws only with an area, ends without one,
// and each edge's walk row goes with its node or with the geometry.
#include <gtest/gtest.h>

#include <vector>

#include "datatree/DataNode.h"
#include "datatree/RubberBand.h"

namespace qv::test {
namespace {

TEST(RubberBand, HasAnAreaOnlyWhenBothCornersDiffer) {
  TRubberBand band;
  band.Begin(POINT{5, 7}, true);
  EXPECT_EQ(band.Start().x, 5);
  EXPECT_TRUE(band.Ctrl());
  EXPECT_FALSE(band.HasArea());
  band.MoveCorner(50, 7);
  EXPECT_FALSE(band.HasArea());  // a line selects by its rows but draws nothing
  band.MoveCorner(50, 40);
  EXPECT_TRUE(band.HasArea());
  band.End();
  EXPECT_FALSE(band.HasArea());
}

TEST(RubberBand, EachEdgesWalkRowGoesWithItsNodeOrTheGeometry) {
  std::vector<TDataNode> n(2);
  TRubberBand band;
  band.Begin(POINT{0, 0}, false);
  band.SetRow(&n[0], 36, 0);
  band.SetRow(&n[1], 90, 1);
  EXPECT_EQ(band.Row(0), &n[0]);
  EXPECT_EQ(band.RowTop(0), 36);
  EXPECT_EQ(band.Row(1), &n[1]);
  EXPECT_EQ(band.RowTop(1), 90);
  band.ForgetNode(&n[1]);  // only the walk that stood on it forgets
  EXPECT_EQ(band.Row(0), &n[0]);
  EXPECT_EQ(band.Row(1), nullptr);
  band.SetRow(&n[0], 36, 1);
  band.ForgetNode(&n[0]);
  EXPECT_EQ(band.Row(0), nullptr);
  EXPECT_EQ(band.Row(1), nullptr);
  band.SetRow(&n[1], 18, 0);
  band.SetRow(&n[0], 0, 1);
  band.ForgetRow();
  EXPECT_EQ(band.Row(0), nullptr);
  EXPECT_EQ(band.Row(1), nullptr);
  band.SetRow(&n[1], 18, 0);
  band.SetRow(&n[0], 0, 1);
  band.Begin(POINT{0, 0}, false);  // a new band starts its own walks
  EXPECT_EQ(band.Row(0), nullptr);
  EXPECT_EQ(band.Row(1), nullptr);
}

}  // namespace
}  // namespace qv::test
