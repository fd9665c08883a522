// The tree's commands: old form data's option names, the standard edit
// actions and their refusal on a read-only tree, and the drag threshold.
#include "TransferTestSupport.h"
#include "datatree/DataTreeClipboard.h"
#include "platform/gdi/SystemMetrics.h"

namespace qv::test {
namespace {

using Commands = TransferTest;

TEST_F(Commands, LegacyOptionNamesLandInTheirSets) {
  auto t = DetachedTree();
  t->ReadLegacyOptions({"voMultiSelect", "voNoSuchOption", "voShowRoot", "voAnimatedToggle", "voEditable",
                        "voAutoSort", "", "voHotTrack"});
  auto* o = t->TreeOptions();
  EXPECT_TRUE(o->SelectionOptions().Contains(toMultiSelect));
  EXPECT_TRUE(o->PaintOptions().Contains(toShowRoot));
  EXPECT_FALSE(o->PaintOptions().Contains(toHotTrack));  // after the end
  EXPECT_FALSE(o->PaintOptions().Contains(toShowButtons));
  EXPECT_TRUE(o->AnimationOptions().Contains(toAnimatedToggle));
  EXPECT_TRUE(o->MiscOptions().Contains(toEditable));
  EXPECT_FALSE(o->MiscOptions().Contains(toAcceptOLEDrop));
  EXPECT_TRUE(o->AutoOptions().Contains(toAutoSort));
}

TEST_F(Commands, StandardEditActionsAndReadOnlyTrees) {
  TDataStringTree* t = NewTree();
  MakeNumbered(t);
  t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toMultiSelect);
  t->ClipboardFormats()->Add("Data Tree Data");
  t->SetRootNodeCount(4);
  EXPECT_TRUE(t->ExecuteStandardEditAction(0));  // select all
  EXPECT_EQ(t->SelectionCount(), 4);
  EXPECT_TRUE(t->ExecuteStandardEditAction(1));  // copy
  EXPECT_TRUE(t->TreeStates().Contains(tsCopyPending));
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toReadOnly);
  EXPECT_FALSE(t->ExecuteStandardEditAction(2));
  EXPECT_FALSE(t->ExecuteStandardEditAction(3));
  EXPECT_FALSE(t->ExecuteStandardEditAction(4));
  EXPECT_EQ(t->RootNodeCount(), 4u);
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() - toReadOnly);
  t->SelectAll(false);
  EXPECT_TRUE(t->ExecuteStandardEditAction(4));  // delete
  EXPECT_TRUE(t->IsEmpty());
  // A drag threshold of -1 is the system's.
  t->BeginDrag(false, -1);
  EXPECT_EQ(t->DragThreshold, GetSystemMetrics(SM_CXDRAG));
  EXPECT_TRUE(t->Dragging());
  t->BeginDrag(false, 3);  // already pending: unchanged
  EXPECT_EQ(t->DragThreshold, GetSystemMetrics(SM_CXDRAG));
}

}  // namespace
}  // namespace qv::test
