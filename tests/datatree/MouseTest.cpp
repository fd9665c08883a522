// Mouse input on a shown tree: clicks in single- and multi-select trees,
// double clicks with and without toggling, right and middle double clicks,
// hot tracking of labels and check boxes, and unselecting a range.
#include "TreeTestSupport.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/Messages.h"

namespace qv::test {
namespace {

// Opens the protected range operations to the test.
class RangeTree : public TDataStringTree {
 public:
  using TBaseDataTree::SelectNodes;
  using TBaseDataTree::UnselectNodes;
  using TDataStringTree::TDataStringTree;
};

class Mouse : public TreeTest {
 protected:
  // Five top-level rows; the first has two children.
  TDataStringTree* MakeTree(TDataStringTree* t = nullptr) {
    if (!t) t = NewTree({0, 0, 300, 200});
    t->OnGetText = [](TBaseDataTree*, PDataNode n, TColumnIndex, TVSTTextType, std::u16string& s) {
      s = n->Parent->Parent ? u"child" : u"top";
    };
    t->SetRootNodeCount(5);
    t->SetChildCount(t->GetFirst(), 2);
    t->SetFocus();
    Pump();
    return t;
  }
  POINT LabelOf(TBaseDataTree* t, PDataNode n) {
    RECT r = t->GetDisplayRect(n, NoColumn, true);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void Click(POINT p) {
    backend.Click(p.x, p.y);
    Pump();
  }
  void DoubleClick(TBaseDataTree* t, POINT p, UINT msg = WM_LBUTTONDBLCLK) {
    SendMessage(t->Handle(), msg, 0, MAKELPARAM(p.x, p.y));
    Pump();
  }
};

TEST_F(Mouse, ABelowTheRowsClickClearsOnlyAMultiSelection) {
  TDataStringTree* t = MakeTree();
  t->TreeOptions()->SetSelectionOptions({toFullRowSelect});
  PDataNode second = t->GetFirst()->NextSibling;
  Click(POINT{250, LabelOf(t, second).y});  // full row: right of the text selects too
  EXPECT_EQ(t->FocusedNode(), second);
  EXPECT_TRUE(t->Selected(second));
  Click(POINT{100, 180});  // below the last row
  EXPECT_TRUE(t->Selected(second));
  EXPECT_EQ(t->SelectionCount(), 1);
  t->TreeOptions()->SetSelectionOptions({toFullRowSelect, toMultiSelect});
  Click(POINT{100, 180});
  EXPECT_EQ(t->SelectionCount(), 0);
}

TEST_F(Mouse, TheButtonsThatSelectClearAndStartABandBelowTheRowsUnlessRowsDragFromAnywhere) {
  TDataStringTree* t = MakeTree();
  PDataNode second = t->GetFirst()->NextSibling;
  auto press = [&](MouseButton b, bool expectCleared) {
    t->SetSelected(second, true);
    backend.AdvanceClock(1000);   // a press, not a double click
    backend.MouseMove(100, 180);  // below the last row
    backend.MouseDown(b);
    Pump();
    EXPECT_EQ(t->Selected(second), !expectCleared);
    bool armed = t->TreeStates().Contains(tsDrawSelPending);
    backend.MouseUp(b);
    Pump();
    EXPECT_FALSE(t->TreeStates().Contains(tsDrawSelPending));
    return armed;
  };
  t->TreeOptions()->SetSelectionOptions({toMultiSelect});
  EXPECT_TRUE(press(MouseButton::Left, true));
  EXPECT_FALSE(press(MouseButton::Right, false));
  EXPECT_FALSE(press(MouseButton::Middle, false));
  t->TreeOptions()->SetSelectionOptions({toMultiSelect, toRightClickSelect, toMiddleClickSelect});
  EXPECT_TRUE(press(MouseButton::Right, true));
  EXPECT_TRUE(press(MouseButton::Middle, true));
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toFullRowDrag);
  EXPECT_FALSE(press(MouseButton::Left, false));
  EXPECT_FALSE(press(MouseButton::Right, false));
  t->ClearSelection();
}

TEST_F(Mouse, DoubleClicksToggleWhereTheOptionAllows) {
  TDataStringTree* t = MakeTree();
  PDataNode first = t->GetFirst();
  POINT label = LabelOf(t, first), indent{2, label.y};
  RECT r = t->GetDisplayRect(first, NoColumn, true);
  POINT rightOfText{r.right + 20, label.y};
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() - toToggleOnDblClick);
  DoubleClick(t, label);  // without the option nothing toggles
  EXPECT_FALSE(t->Expanded(first));
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toToggleOnDblClick);
  DoubleClick(t, label);
  EXPECT_TRUE(t->Expanded(first));
  DoubleClick(t, rightOfText);  // right of the content: only with full-row select
  EXPECT_TRUE(t->Expanded(first));
  t->TreeOptions()->SetSelectionOptions({toFullRowSelect});
  DoubleClick(t, rightOfText);
  EXPECT_FALSE(t->Expanded(first));
  THitInfo hit;
  t->GetHitTestInfoAt(indent.x, indent.y, true, hit);
  ASSERT_TRUE(hit.HitPositions.Contains(hpOnItemButton) || hit.HitPositions.Contains(hpOnItemIndent));
  // Right double clicks count only with right-click selection.
  DoubleClick(t, label, WM_RBUTTONDBLCLK);
  EXPECT_FALSE(t->Expanded(first));
  t->TreeOptions()->SetSelectionOptions({toFullRowSelect, toRightClickSelect});
  DoubleClick(t, label, WM_RBUTTONDBLCLK);
  EXPECT_TRUE(t->Expanded(first));
  DoubleClick(t, label, WM_MBUTTONDBLCLK);
  EXPECT_TRUE(t->Expanded(first));
  t->TreeOptions()->SetSelectionOptions({toFullRowSelect, toMiddleClickSelect});
  DoubleClick(t, label, WM_MBUTTONDBLCLK);
  EXPECT_FALSE(t->Expanded(first));
}

TEST_F(Mouse, HotTrackingFollowsLabelsAndCheckBoxes) {
  TDataStringTree* t = MakeTree();
  std::vector<PDataNode> changes;
  t->OnHotChange = [&](TBaseDataTree*, PDataNode, PDataNode n) { changes.push_back(n); };
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toCheckSupport);
  PDataNode second = t->GetFirst()->NextSibling;
  t->SetCheckType(second, ctCheckBox);
  Pump();
  POINT label = LabelOf(t, second);
  backend.MouseMove(label.x, label.y);
  Pump();
  EXPECT_EQ(t->HotNode(), second);
  // Right of the text is no hot part without full-row select.
  RECT r = t->GetDisplayRect(second, NoColumn, true);
  backend.MouseMove(r.right + 30, label.y);
  Pump();
  EXPECT_EQ(t->HotNode(), nullptr);
  // The check box is hot, and shows it.
  int boxX = -1;
  for (int x = 0; x < r.left && boxX < 0; ++x) {
    THitInfo hit;
    t->GetHitTestInfoAt(x, label.y, true, hit);
    if (hit.HitPositions.Contains(hpOnItemCheckbox)) boxX = x + 2;
  }
  ASSERT_GE(boxX, 0);
  backend.MouseMove(boxX, label.y);
  Pump();
  EXPECT_EQ(t->HotNode(), second);
  EXPECT_EQ(changes, (TNodeArray{second, nullptr, second}));
}

TEST_F(Mouse, UnselectNodesDropsTheVisibleRangeOnly) {
  NewTree({0, 0, 300, 200});
  auto* t = new RangeTree(form);
  t->SetParent(form);
  t->SetBoundsRect(RECT{0, 0, 300, 200});
  MakeTree(t);
  t->TreeOptions()->SetSelectionOptions({toMultiSelect});
  t->SetExpanded(t->GetFirst(), true);
  PDataNode last = t->GetLast(nullptr);
  t->SelectNodes(nullptr, last, false);
  ASSERT_EQ(t->SelectionCount(), 7);
  PDataNode child = t->GetFirst()->FirstChild;
  PDataNode third = t->GetFirst()->NextSibling->NextSibling;
  t->UnselectNodes(third, child);  // given in reverse order
  EXPECT_FALSE(t->Selected(child));
  EXPECT_FALSE(t->Selected(child->NextSibling));
  EXPECT_FALSE(t->Selected(third));
  EXPECT_TRUE(t->Selected(t->GetFirst()));
  EXPECT_TRUE(t->Selected(third->NextSibling));
  EXPECT_EQ(t->SelectionCount(), 3);
  EXPECT_EQ(t->GetSortedSelection(false).size(), 3u);
  // A start node hidden in a collapsed parent counts from its visible predecessor.
  t->SetExpanded(t->GetFirst(), false);
  t->UnselectNodes(child->NextSibling, t->GetFirst()->NextSibling->NextSibling->NextSibling);
  EXPECT_FALSE(t->Selected(t->GetFirst()));
  EXPECT_EQ(t->SelectionCount(), 1);
  EXPECT_TRUE(t->Selected(last));
}

TEST_F(Mouse, TheRubberBandChangesOnlyRowsWhoseInsideStatusChanged) {
  TDataStringTree* t = MakeTree();
  t->TreeOptions()->SetSelectionOptions({toMultiSelect});
  PDataNode second = t->GetFirst()->NextSibling, third = second->NextSibling;
  RECT label = t->GetDisplayRect(second, NoColumn, true);
  int threshold = GetSystemMetrics(SM_CXDRAG);
  // From right of the texts, leftwards into the second row's text only.
  int startX = label.right + 40, y = (label.top + label.bottom) / 2;
  backend.MouseMove(startX, y);
  backend.MouseDown();
  Pump();
  backend.MouseMove(startX - threshold, y + 1);  // within the drag threshold: nothing yet
  Pump();
  EXPECT_FALSE(t->TreeStates().Contains(tsDrawSelecting));
  backend.MouseMove(label.right - 5, y + 2);
  Pump();
  EXPECT_TRUE(t->TreeStates().Contains(tsDrawSelecting));
  EXPECT_EQ(t->GetSortedSelection(false), (TNodeArray{second}));
  backend.MouseMove(label.right + 10, y + 2);  // out of the text again
  Pump();
  EXPECT_EQ(t->SelectionCount(), 0);
  // Down over the third row's text, and beyond the content: the band is clamped.
  backend.MouseMove(label.right - 5, 5000);
  Pump();
  EXPECT_EQ(t->GetSortedSelection(false),
            (TNodeArray{second, third, third->NextSibling, t->GetLast(nullptr)}));
  backend.MouseUp();
  Pump();
  EXPECT_FALSE(t->TreeStates().Contains(tsDrawSelecting));
  // Ctrl at the start toggles: the selected rows swept go, and come back.
  backend.AdvanceClock(1000);  // a press, not a double click
  backend.KeyDown(VK_CONTROL);
  backend.MouseMove(startX, y);
  backend.MouseDown();
  backend.MouseMove(label.right - 5, y + 2 * 18);
  Pump();
  EXPECT_FALSE(t->Selected(second));
  EXPECT_FALSE(t->Selected(third));
  EXPECT_FALSE(t->Selected(third->NextSibling));
  EXPECT_TRUE(t->Selected(t->GetLast(nullptr)));
  backend.MouseMove(label.right - 5, y + 1 + threshold);
  Pump();
  EXPECT_FALSE(t->Selected(second));
  EXPECT_TRUE(t->Selected(third));
  EXPECT_TRUE(t->Selected(third->NextSibling));
  backend.MouseUp();
  backend.KeyUp(VK_CONTROL);
  Pump();
  EXPECT_TRUE(TreeInvariantsHold(*t));
}

TEST_F(Mouse, ASimpleRubberBandTakesWholeRowsAndVisitsOnlyTheRowsItCrosses) {
  TDataStringTree* t = NewTree({0, 0, 300, 200});
  t->SetRootNodeCount(3000);
  t->TreeOptions()->SetSelectionOptions({toMultiSelect});
  t->SelectAll(false);
  t->SetSelected(t->GetFirst(), false);
  t->SetSelected(t->GetFirst()->NextSibling, false);
  int queries = 0;  // asked by the band, not by painting
  t->OnGetImageIndex = [&](TBaseDataTree* tree, PDataNode, TDTImageKind, TColumnIndex, bool&, int&) {
    queries += !tree->TreeStates().Contains(tsPainting);
  };
  auto band = [&](int toY) {
    // Shift keeps the selection; the band starts left of the texts.
    backend.AdvanceClock(1000);  // each band starts with a press, not a double click
    backend.KeyDown(VK_SHIFT);
    backend.MouseMove(2, 3);
    backend.MouseDown();
    backend.MouseMove(8, toY);
    Pump();
    backend.MouseUp();
    backend.KeyUp(VK_SHIFT);
    Pump();
  };
  band(18 + 4);
  EXPECT_FALSE(t->Selected(t->GetFirst()));  // left of the text: outside
  EXPECT_EQ(t->SelectionCount(), 2998);
  EXPECT_LE(queries, 2 * 2);  // two rows crossed, two image kinds each
  t->TreeOptions()->SetSelectionOptions({toMultiSelect, toSimpleDrawSelection});
  band(18 + 4);
  EXPECT_TRUE(t->Selected(t->GetFirst()));
  EXPECT_TRUE(t->Selected(t->GetFirst()->NextSibling));
  EXPECT_EQ(t->SelectionCount(), 3000);
}

}  // namespace
}  // namespace qv::test
