// A tree on a form shown at a higher density: with toAutoChangeScale its
// node height and header font grow with the form; without it only its bounds
// and own font do, as for any control (its form lays it out again).
#include "TreeTestSupport.h"
#include "classlib/graphics/Font.h"
#include "datatree/DataTreeHeader.h"
#include "datatree/DataTreeOptions.h"

namespace qv::test {
namespace {

using ScaleTest = TreeTest;

TEST_F(ScaleTest, NodeHeightAndHeaderFontFollowTheScaleWhenAsked) {
  TDataStringTree* tree = NewTree();
  uint32_t height = tree->DefaultNodeHeight();
  int headerSize = tree->Header()->Font()->Size();
  TControl* control = tree;  // as the form scales its controls
  control->ChangeScale(3, 2);
  EXPECT_EQ(tree->DefaultNodeHeight(), height) << "not asked";
  EXPECT_EQ(tree->Header()->Font()->Size(), headerSize);

  auto options = tree->TreeOptions()->AutoOptions();
  options.Include(toAutoChangeScale);
  tree->TreeOptions()->SetAutoOptions(options);
  control->ChangeScale(3, 2);
  EXPECT_EQ(tree->DefaultNodeHeight(), uint32_t(MulDiv(int(height), 3, 2)));
  EXPECT_EQ(tree->Header()->Font()->Size(), MulDiv(headerSize, 3, 2));
  control->ChangeScale(2, 2);
  EXPECT_EQ(tree->DefaultNodeHeight(), uint32_t(MulDiv(int(height), 3, 2)));
  EXPECT_TRUE(TreeInvariantsHold(*tree));
}

}  // namespace
}  // namespace qv::test
