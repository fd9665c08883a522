// The focus part on its own: a leaving node gives up only the hot role,
// dropping every node keeps the column, and a new hot node hands back the
// one it replaces (what the tree announces as the old hot node).
#include <gtest/gtest.h>

#include "datatree/DataNode.h"
#include "datatree/FocusState.h"

namespace qv::test {
namespace {

TEST(FocusState, NodesLeaveTheirRolesButTheColumnStays) {
  TDataNode a, b;
  TFocusState f;
  EXPECT_EQ(f.Column(), NoColumn);
  f.SetNode(&a);
  f.SetAnchor(&a);
  f.SetColumn(2);
  EXPECT_EQ(f.SetHot(&a), nullptr);
  EXPECT_EQ(f.SetHot(&b), &a);

  f.ForgetHot(&a);  // not the hot node any more: nothing changes
  EXPECT_EQ(f.Hot(), &b);
  f.ForgetHot(&b);
  EXPECT_EQ(f.Hot(), nullptr);
  f.SetHot(&a);
  f.ForgetHot(&a);  // focus and anchor move only through the tree
  EXPECT_EQ(f.Hot(), nullptr);
  EXPECT_EQ(f.Node(), &a);
  EXPECT_EQ(f.Anchor(), &a);

  f.SetHot(&b);
  f.DropNodes();
  EXPECT_EQ(f.Node(), nullptr);
  EXPECT_EQ(f.Anchor(), nullptr);
  EXPECT_EQ(f.Hot(), nullptr);
  EXPECT_EQ(f.Column(), 2);
}

}  // namespace
}  // namespace qv::test
