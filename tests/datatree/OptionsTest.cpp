// What changing an option set does to a shown tree: the drop target follows
// toAcceptOLEDrop, toFullRepaintOnResize makes the window again with the
// class styles it needs, and assigning options runs the same side effects.
#include "TreeTestSupport.h"
#include "platform/ole/DragDrop.h"
#include "platform/window/Messages.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"

namespace qv::test {
namespace {

class Options : public TreeTest {};

TEST_F(Options, TheDropTargetFollowsAcceptOleDrop) {
  TDataStringTree* t = NewTree();
  ASSERT_TRUE(t->TreeOptions()->MiscOptions().Contains(toAcceptOLEDrop));  // the default
  EXPECT_TRUE(RegisteredDropTarget(t->Handle()));
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() - toAcceptOLEDrop);
  EXPECT_FALSE(RegisteredDropTarget(t->Handle()));
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toAcceptOLEDrop);
  EXPECT_TRUE(RegisteredDropTarget(t->Handle()));
  // Assigning another tree's options registers or revokes as its flags say.
  auto other = DetachedTree();
  other->TreeOptions()->SetMiscOptions(other->TreeOptions()->MiscOptions() - toAcceptOLEDrop);
  t->TreeOptions()->Assign(other->TreeOptions());
  EXPECT_FALSE(RegisteredDropTarget(t->Handle()));
  other->TreeOptions()->SetMiscOptions(other->TreeOptions()->MiscOptions() + toAcceptOLEDrop);
  t->TreeOptions()->Assign(other->TreeOptions());
  EXPECT_TRUE(RegisteredDropTarget(t->Handle()));
}

TEST_F(Options, ScrollBarChoicesMakeTheWindowAgainWithTheirStyles) {
  TDataStringTree* t = NewTree();
  t->SetRootNodeCount(500);
  Pump();
  auto styles = [&] { return GetWindowLongPtrW(t->Handle(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL); };
  HWND before = t->Handle();
  t->ScrollBarOptions()->SetScrollBars(ssHorizontal);
  Pump();
  EXPECT_NE(t->Handle(), before);
  EXPECT_EQ(styles() & WS_VSCROLL, 0);  // 500 rows, but no vertical bar asked for
  EXPECT_EQ(t->RootNodeCount(), 500u);
  before = t->Handle();
  t->ScrollBarOptions()->SetScrollBars(ssHorizontal);  // no change, no new window
  EXPECT_EQ(t->Handle(), before);
  t->ScrollBarOptions()->SetScrollBars(ssBoth);
  t->ScrollBarOptions()->SetAlwaysVisible(true);
  Pump();
  EXPECT_NE(t->Handle(), before);
  EXPECT_EQ(styles(), WS_HSCROLL | WS_VSCROLL);  // both shown, the horizontal one without a range too
  EXPECT_TRUE(RegisteredDropTarget(t->Handle()));
}

TEST_F(Options, FullRepaintOnResizeMakesTheWindowAgain) {
  TDataStringTree* t = NewTree();
  t->SetRootNodeCount(5);
  t->SetFocusedNode(t->GetFirst());
  auto redraws = [&] { return (GetClassLongPtrW(t->Handle(), GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW)) != 0; };
  ASSERT_TRUE(t->TreeOptions()->MiscOptions().Contains(toFullRepaintOnResize));
  EXPECT_TRUE(redraws());
  HWND before = t->Handle();
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() - toFullRepaintOnResize);
  Pump();
  EXPECT_FALSE(redraws());
  EXPECT_NE(t->Handle(), before);
  EXPECT_FALSE(RegisteredDropTarget(before));
  EXPECT_TRUE(RegisteredDropTarget(t->Handle()));  // the new window takes drops too
  EXPECT_EQ(t->RootNodeCount(), 5u);               // the tree keeps its content
  EXPECT_EQ(t->FocusedNode(), t->GetFirst());
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toFullRepaintOnResize);
  Pump();
  EXPECT_TRUE(redraws());
}

TEST_F(Options, GhostedIfUnfocusedRepaintsOnlyTheFocusedRowOnFocusChanges) {
  TDataStringTree* t = NewTree();
  t->SetRootNodeCount(8);
  t->SetFocusedNode(t->GetFirst()->NextSibling);
  t->ClearSelection();
  Pump();
  auto dirty = [&] {
    RECT r{};
    GetUpdateRect(t->Handle(), &r, FALSE);
    return r;
  };
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toGhostedIfUnfocused);
  Pump();
  SendMessage(t->Handle(), WM_KILLFOCUS, 0, 0);
  RECT row = t->GetDisplayRect(t->FocusedNode(), NoColumn, false);
  RECT r = dirty();
  EXPECT_EQ(r.top, row.top);
  EXPECT_EQ(r.bottom, row.bottom);
  Pump();
  SendMessage(t->Handle(), WM_SETFOCUS, 0, 0);
  r = dirty();
  EXPECT_TRUE(IsRectEmpty(&r));
  Pump();
  // With a selection, or without the option, the whole control repaints.
  t->SetSelected(t->FocusedNode(), true);
  Pump();
  SendMessage(t->Handle(), WM_KILLFOCUS, 0, 0);
  r = dirty();
  EXPECT_EQ(r.bottom - r.top, t->ClientHeight());
  Pump();
}

}  // namespace
}  // namespace qv::test
