// Keyboard, mouse and header input on a shown tree: navigation keys and
// ranges, Space checks, the incremental search with the test clock, clicks
// on buttons, labels and check boxes, and the header's click, resize and drag.
#include "TreeTestSupport.h"
#include "platform/window/Input.h"

namespace qv::test {
namespace {

class Input : public TreeTest {
 protected:
  TDataStringTree* MakeTree(std::vector<std::u16string> texts) {
    TDataStringTree* t = NewTree({0, 0, 300, 200});
    t->SetNodeDataSize(4);
    names = std::move(texts);
    t->OnGetText = [this](TBaseDataTree*, PDataNode n, TColumnIndex, TVSTTextType, std::u16string& s) {
      s = n->Parent->Parent ? u"child" : names[n->Index % names.size()];
    };
    t->SetRootNodeCount(uint32_t(names.size()));
    t->SetFocus();
    Pump();
    return t;
  }
  void Key(UINT vk) {
    backend.KeyPress(vk);
    Pump();
  }
  void Type(const std::u16string& s) {
    for (char16_t c : s) {
      backend.KeyPress(UINT(c >= u'a' && c <= u'z' ? c - 32 : c));
      backend.TypeText(std::u16string(1, c));
      Pump();
    }
  }
  std::vector<std::u16string> names;
};

TEST_F(Input, CursorKeysMoveFocusAndShiftExtendsTheRange) {
  TDataStringTree* t = MakeTree({u"a", u"b", u"c", u"d", u"e"});
  t->TreeOptions()->SetSelectionOptions({toMultiSelect});
  Key(VK_DOWN);
  EXPECT_EQ(t->FocusedNode(), t->GetFirst());
  Key(VK_DOWN);
  EXPECT_EQ(t->FocusedNode()->Index, 1u);
  EXPECT_EQ(t->SelectionCount(), 1);
  backend.KeyDown(VK_SHIFT);
  Key(VK_DOWN);
  Key(VK_DOWN);
  backend.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(t->SelectionCount(), 3);
  Key(VK_END);
  EXPECT_EQ(t->FocusedNode()->Index, 4u);
  EXPECT_EQ(t->SelectionCount(), 1);
  Key(VK_HOME);
  EXPECT_EQ(t->FocusedNode()->Index, 0u);
  Key(VK_UP);  // at the top: stays
  EXPECT_EQ(t->FocusedNode()->Index, 0u);
}

// The selected indexes of the top-level nodes, in order.
std::vector<uint32_t> SelectedIndexes(TBaseDataTree* t) {
  std::vector<uint32_t> r;
  for (PDataNode n = t->GetFirst(); n; n = n->NextSibling)
    if (t->Selected(n)) r.push_back(n->Index);
  return r;
}

TEST_F(Input, ShiftRangeKeysSelectExactlyFromTheAnchor) {
  TDataStringTree* t = MakeTree(std::vector<std::u16string>(20, u"n"));
  t->TreeOptions()->SetSelectionOptions({toMultiSelect});
  t->SetDefaultNodeHeight(20);  // the client shows 10 of the 20 rows
  t->SetFocusedNode(t->GetFirst()->NextSibling->NextSibling->NextSibling);
  Key(VK_DOWN);
  Key(VK_UP);  // anchor on node 3
  using V = std::vector<uint32_t>;
  auto shifted = [&](UINT vk) {
    backend.KeyDown(VK_SHIFT);
    Key(vk);
    backend.KeyUp(VK_SHIFT);
    Pump();
  };
  shifted(VK_END);
  V tail;
  for (uint32_t i = 3; i < 20; ++i) tail.push_back(i);
  EXPECT_EQ(SelectedIndexes(t), tail);
  shifted(VK_HOME);  // across the anchor: the anchor stays, the far side goes
  EXPECT_EQ(SelectedIndexes(t), (V{0, 1, 2, 3}));
  EXPECT_EQ(t->FocusedNode()->Index, 0u);
  shifted(VK_NEXT);
  uint32_t page = t->FocusedNode()->Index;
  ASSERT_GT(page, 3u);
  V expected;
  for (uint32_t i = 3; i <= page; ++i) expected.push_back(i);
  EXPECT_EQ(SelectedIndexes(t), expected);
  shifted(VK_PRIOR);
  EXPECT_EQ(SelectedIndexes(t), (V{0, 1, 2, 3}));
  shifted(VK_DOWN);
  EXPECT_EQ(SelectedIndexes(t), (V{1, 2, 3}));
  EXPECT_EQ(t->SelectionCount(), 3);
  Key(VK_END);  // unshifted: a single selection and a new anchor
  EXPECT_EQ(SelectedIndexes(t), (V{19}));
  shifted(VK_HOME);
  EXPECT_EQ(t->SelectionCount(), 20);
}

TEST_F(Input, CtrlAloneScrollsWhileCtrlWithShiftMovesAndExtendsTheRange) {
  TDataStringTree* t = MakeTree(std::vector<std::u16string>(20, u"n"));
  t->TreeOptions()->SetSelectionOptions({toMultiSelect});
  t->SetDefaultNodeHeight(20);  // the client shows 10 of the 20 rows
  t->SetChildCount(t->GetFirst(), 2);
  t->SetFocusedNode(t->GetFirst()->NextSibling->NextSibling->NextSibling);
  Key(VK_DOWN);
  Key(VK_UP);  // anchor on node 3
  using V = std::vector<uint32_t>;
  auto with = [&](std::vector<UINT> modifiers, UINT vk) {
    for (UINT m : modifiers) backend.KeyDown(m);
    Key(vk);
    for (UINT m : modifiers) backend.KeyUp(m);
    Pump();
  };
  with({VK_CONTROL}, VK_END);  // scrolls to the end; the focus stays
  EXPECT_EQ(t->FocusedNode()->Index, 3u);
  EXPECT_LT(t->OffsetY(), 0);
  EXPECT_EQ(SelectedIndexes(t), (V{3}));
  with({VK_CONTROL}, VK_HOME);
  EXPECT_EQ(t->OffsetY(), 0);
  EXPECT_EQ(t->FocusedNode()->Index, 3u);
  with({VK_CONTROL, VK_SHIFT}, VK_END);
  EXPECT_EQ(t->FocusedNode()->Index, 19u);
  V tail;
  for (uint32_t i = 3; i < 20; ++i) tail.push_back(i);
  EXPECT_EQ(SelectedIndexes(t), tail);
  with({VK_CONTROL, VK_SHIFT}, VK_HOME);
  EXPECT_EQ(t->FocusedNode(), t->GetFirst());
  EXPECT_EQ(SelectedIndexes(t), (V{0, 1, 2, 3}));
  // Ctrl with 'A', or with the lower-case code, selects every visible node.
  Key(VK_HOME);
  with({VK_CONTROL}, 'A');
  EXPECT_EQ(t->SelectionCount(), 20);
  Key(VK_HOME);
  with({VK_CONTROL}, 0x61);
  EXPECT_EQ(t->SelectionCount(), 20);
  // Shift+Right on a collapsed node: its first child takes the focus, the
  // node opens to show it, and the range grows by it.
  Key(VK_HOME);
  ASSERT_FALSE(t->Expanded(t->GetFirst()));
  with({VK_SHIFT}, VK_RIGHT);
  EXPECT_EQ(t->FocusedNode(), t->GetFirst()->FirstChild);
  EXPECT_TRUE(t->Expanded(t->GetFirst()));
  EXPECT_EQ(t->GetSortedSelection(false), (TNodeArray{t->GetFirst(), t->GetFirst()->FirstChild}));
  EXPECT_TRUE(TreeInvariantsHold(*t));
}

TEST_F(Input, OperatorCharactersOfTheMainKeyboardActAsThePadKeys) {
  TDataStringTree* t = MakeTree({u"a", u"b"});
  t->SetChildCount(t->GetFirst(), 2);
  t->SetChildCount(t->GetFirst()->FirstChild, 2);
  t->SetFocusedNode(t->GetFirst());
  Key(VK_OEM_PLUS);  // an unshifted '=' is no '+'
  EXPECT_FALSE(t->Expanded(t->GetFirst()));
  backend.KeyDown(VK_SHIFT);
  Key('8');  // '*'
  backend.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_TRUE(t->Expanded(t->GetFirst()));
  EXPECT_TRUE(t->Expanded(t->GetFirst()->FirstChild));
  Key(VK_OEM_2);  // '/'
  EXPECT_FALSE(t->Expanded(t->GetFirst()));
  EXPECT_FALSE(t->Expanded(t->GetFirst()->FirstChild));
  backend.KeyDown(VK_SHIFT);
  Key(VK_OEM_PLUS);  // '+'
  backend.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_TRUE(t->Expanded(t->GetFirst()));
  Key(VK_OEM_MINUS);  // '-'
  EXPECT_FALSE(t->Expanded(t->GetFirst()));
  EXPECT_TRUE(TreeInvariantsHold(*t));
}

TEST_F(Input, GridKeysWalkTheColumns) {
  TDataStringTree* t = MakeTree({u"a", u"b"});
  for (int i = 0; i < 3; ++i) t->Header()->Columns()->Add()->SetWidth(80);
  t->TreeOptions()->SetSelectionOptions({toExtendedFocus});
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toGridExtensions);
  t->WantTabs = true;
  t->SetFocusedNode(t->GetFirst());
  t->SetFocusedColumn(0);
  Key(VK_END);  // grid mode: the last column, same node
  EXPECT_EQ(t->FocusedColumn(), 2);
  EXPECT_EQ(t->FocusedNode(), t->GetFirst());
  Key(VK_HOME);
  EXPECT_EQ(t->FocusedColumn(), 0);
  Key(VK_TAB);
  EXPECT_EQ(t->FocusedColumn(), 1);
  Key(VK_TAB);
  Key(VK_TAB);  // past the last column: the next row's first cell
  EXPECT_EQ(t->FocusedColumn(), 0);
  EXPECT_EQ(t->FocusedNode(), t->GetFirst()->NextSibling);
  backend.KeyDown(VK_SHIFT);
  Key(VK_TAB);
  backend.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(t->FocusedColumn(), 2);
  EXPECT_EQ(t->FocusedNode(), t->GetFirst());
  // Refused columns are skipped.
  t->OnFocusChanging = [](TBaseDataTree*, PDataNode, PDataNode, TColumnIndex, TColumnIndex c, bool& ok) {
    ok = c != 1;
  };
  Key(VK_HOME);
  Key(VK_RIGHT);  // extended focus in grid mode: the next visible column (refused: stays)
  EXPECT_EQ(t->FocusedColumn(), 0);
  Key(VK_TAB);
  EXPECT_EQ(t->FocusedColumn(), 2);
}

TEST_F(Input, PlusMinusAndArrowsExpandAndCollapse) {
  TDataStringTree* t = MakeTree({u"a", u"b"});
  t->SetChildCount(t->GetFirst(), 2);
  t->SetFocusedNode(t->GetFirst());
  Key(VK_ADD);
  EXPECT_TRUE(t->Expanded(t->GetFirst()));
  Key(VK_SUBTRACT);
  EXPECT_FALSE(t->Expanded(t->GetFirst()));
  Key(VK_RIGHT);
  EXPECT_TRUE(t->Expanded(t->GetFirst()));
  Key(VK_RIGHT);
  EXPECT_EQ(t->FocusedNode()->Parent, t->GetFirst());
  Key(VK_LEFT);
  EXPECT_EQ(t->FocusedNode(), t->GetFirst());
  Key(VK_LEFT);
  EXPECT_FALSE(t->Expanded(t->GetFirst()));
  EXPECT_TRUE(TreeInvariantsHold(*t));
}

TEST_F(Input, SpaceChecksOnReleaseAndAnotherKeyCancels) {
  TDataStringTree* t = MakeTree({u"a", u"b"});
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toCheckSupport);
  t->SetCheckType(t->GetFirst(), ctCheckBox);
  t->SetFocusedNode(t->GetFirst());
  backend.KeyDown(VK_SPACE);
  Pump();
  EXPECT_EQ(t->CheckState(t->GetFirst()), csUncheckedPressed);
  backend.KeyUp(VK_SPACE);
  Pump();
  EXPECT_EQ(t->CheckState(t->GetFirst()), csCheckedNormal);
  backend.KeyDown(VK_SPACE);
  Pump();
  Key(VK_RIGHT);  // cancels the pending check
  backend.KeyUp(VK_SPACE);
  Pump();
  EXPECT_EQ(t->CheckState(t->GetFirst()), csCheckedNormal);
}

TEST_F(Input, IncrementalSearchRefinesAndEndsWithTheTimeout) {
  TDataStringTree* t = MakeTree({u"apple", u"abc", u"b"});
  t->SetIncrementalSearch(isAll);
  Type(u"a");
  EXPECT_EQ(t->FocusedNode()->Index, 0u);  // apple
  Type(u"b");
  EXPECT_EQ(t->FocusedNode()->Index, 1u);  // abc: the search goes on with "ab"
  EXPECT_EQ(t->SearchBuffer(), u"ab");
  EXPECT_EQ(t->LastSearchNode(), t->FocusedNode());
  // The timeout ends the search: the typed text and the node last found go.
  backend.AdvanceClock(1100);
  Pump();
  EXPECT_EQ(t->SearchBuffer(), u"");
  EXPECT_EQ(t->LastSearchNode(), nullptr);
  Type(u"b");
  EXPECT_EQ(t->FocusedNode()->Index, 2u);  // b
  backend.AdvanceClock(1100);
  Pump();
  t->SetFocusedNode(t->GetFirst());
  Type(u"a");  // a new search starts after the focused node
  EXPECT_EQ(t->FocusedNode()->Index, 1u);
  size_t beeps = backend.Beeps.size();
  Type(u"z");  // nothing matches: a beep, the buffer stays
  EXPECT_EQ(backend.Beeps.size(), beeps + 1);
  EXPECT_EQ(t->SearchBuffer(), u"a");
  t->SetIncrementalSearch(isNone);
  EXPECT_EQ(t->LastSearchNode(), nullptr);
}

TEST_F(Input, ClicksOnButtonsLabelsAndCheckBoxes) {
  TDataStringTree* t = MakeTree({u"a", u"b", u"c"});
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toCheckSupport);
  t->SetChildCount(t->GetFirst(), 2);
  t->SetCheckType(t->GetNext(t->GetFirst())->Parent->NextSibling, ctCheckBox);
  Pump();
  // The button of the first row toggles without moving the focus.
  backend.Click(9, 9);
  Pump();
  EXPECT_TRUE(t->Expanded(t->GetFirst()));
  EXPECT_EQ(t->FocusedNode(), nullptr);
  // A click on a label focuses and selects.
  backend.Click(40, 18 + 9);
  Pump();
  EXPECT_EQ(t->FocusedNode()->Parent, t->GetFirst());
  EXPECT_TRUE(t->Selected(t->FocusedNode()));
  // The check box of row 4 (node b) checks on release over it.
  PDataNode b = t->GetFirst()->NextSibling;
  THitInfo hit;
  t->GetHitTestInfoAt(30, 3 * 18 + 9, true, hit);
  EXPECT_EQ(hit.HitNode, b);
  EXPECT_TRUE(hit.HitPositions.Contains(hpOnItemCheckbox));
  backend.Click(30, 3 * 18 + 9);
  Pump();
  EXPECT_EQ(t->CheckState(b), csCheckedNormal);
  // Below the last row: nowhere.
  t->GetHitTestInfoAt(30, 190, true, hit);
  EXPECT_TRUE(hit.HitPositions.Contains(hpNowhere));
  t->GetHitTestInfoAt(-1, 10, true, hit);
  EXPECT_TRUE(hit.HitPositions.Contains(hpToLeft));
  EXPECT_EQ(hit.HitNode, nullptr);
}

TEST_F(Input, DelayedChangesAndHotTracking) {
  TDataStringTree* t = MakeTree({u"a", u"b", u"c"});
  t->ChangeDelay = 100;
  std::vector<PDataNode> changes;
  t->OnChange = [&](TBaseDataTree*, PDataNode n) { changes.push_back(n); };
  t->SetSelected(t->GetFirst(), true);
  Pump();
  EXPECT_TRUE(changes.empty());  // fired by the change timer
  backend.AdvanceClock(150);
  Pump();
  EXPECT_EQ(changes, (TNodeArray{t->GetFirst()}));
  std::vector<std::pair<PDataNode, PDataNode>> hot;
  t->OnHotChange = [&](TBaseDataTree*, PDataNode o, PDataNode n) { hot.push_back({o, n}); };
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toHotTrack);
  backend.MouseMove(30, 18 + 9);
  Pump();
  ASSERT_EQ(hot.size(), 1u);
  EXPECT_EQ(hot[0].second, t->GetFirst()->NextSibling);
  EXPECT_EQ(t->HotNode(), t->GetFirst()->NextSibling);
  backend.MouseMove(30, 150);  // below the rows
  Pump();
  EXPECT_EQ(t->HotNode(), nullptr);
  PDataNode c = t->GetLastNoInit();
  backend.MouseMove(30, 2 * 18 + 9);
  Pump();
  EXPECT_EQ(t->HotNode(), c);
  t->DeleteNode(c);  // the hot node goes away with its node
  EXPECT_EQ(t->HotNode(), nullptr);
  // Clearing the tree lets go of every node it names, the focused column stays.
  backend.MouseMove(30, 9);
  Pump();
  ASSERT_EQ(t->HotNode(), t->GetFirst());
  t->SetFocusedNode(t->GetFirst()->NextSibling);
  ASSERT_NE(t->RangeAnchor(), nullptr);
  TColumnIndex column = t->FocusedColumn();
  t->Clear();
  EXPECT_EQ(t->HotNode(), nullptr);
  EXPECT_EQ(t->FocusedNode(), nullptr);
  EXPECT_EQ(t->RangeAnchor(), nullptr);
  EXPECT_EQ(t->FocusedColumn(), column);
}

TEST_F(Input, HeaderClickResizeAndDrag) {
  TDataStringTree* t = MakeTree({u"a", u"b"});
  TDTHeader* h = t->Header();
  for (int i = 0; i < 3; ++i) h->Columns()->Add()->SetWidth(80);
  h->SetOptions(TDTHeaderOptions{hoVisible, hoColumnResize, hoDrag, hoShowSortGlyphs});
  std::vector<TColumnIndex> clicks;
  t->OnHeaderClick = [&](TDTHeader*, TColumnIndex c, TMouseButton, TShiftState, int, int) {
    clicks.push_back(c);
  };
  Pump();
  backend.Click(100, 8);
  Pump();
  EXPECT_EQ(clicks, (std::vector<TColumnIndex>{1}));
  // Resize column 0 by its right edge.
  backend.MouseMove(80, 8);
  backend.MouseDown();
  backend.MouseMove(120, 8);
  backend.MouseUp();
  Pump();
  EXPECT_EQ(h->Columns()->Items(0)->Width(), 120);
  EXPECT_EQ(clicks.size(), 1u);
  // Drag column 2 onto the left half of column 0.
  backend.MouseMove(220, 8);
  backend.MouseDown();
  backend.MouseMove(200, 8);
  backend.MouseMove(10, 8);
  backend.MouseUp();
  Pump();
  EXPECT_EQ(h->Columns()->PositionToIndex(), (std::vector<int32_t>{2, 0, 1}));
  EXPECT_EQ(clicks.size(), 1u);
  // Clicks on cells report their column.
  std::vector<TColumnIndex> cells;
  t->OnColumnClick = [&](TBaseDataTree*, TColumnIndex c, TShiftState) { cells.push_back(c); };
  backend.Click(130, 17 + 9);
  Pump();
  EXPECT_EQ(cells, (std::vector<TColumnIndex>{0}));  // column 0 now sits at position 1
  // Escape cancels a drag.
  backend.MouseMove(10, 8);
  backend.MouseDown();
  backend.MouseMove(200, 8);
  Pump();
  backend.KeyPress(VK_ESCAPE);
  backend.MouseUp();
  Pump();
  EXPECT_EQ(h->Columns()->PositionToIndex(), (std::vector<int32_t>{2, 0, 1}));
}

}  // namespace
}  // namespace qv::test
