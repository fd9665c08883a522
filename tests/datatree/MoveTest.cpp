// Moving nodes within and between trees and deleting the selection: every
// count, height and the selection stay right, checked against the links.
#include "TransferTestSupport.h"
#include "datatree/DataTreeClipboard.h"

namespace qv::test {
namespace {

using Move = TreeTest;
using MoveByClipboard = TransferTest;

std::vector<int> Ids(TBaseDataTree* t, PDataNode parent) {
  std::vector<int> out;
  for (PDataNode c = parent ? parent->FirstChild : t->RootNode()->FirstChild; c; c = c->NextSibling)
    out.push_back(Id(t, c));
  return out;
}

TEST_F(Move, RandomMovesKeepTheStoreConsistent) {
  std::mt19937 rng(21);
  auto t = DetachedTree();
  MakeNumbered(t.get());
  t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toMultiSelect);
  BuildRandom(t.get(), 120, rng);
  std::vector<PDataNode> nodes;
  for (PDataNode n = t->GetFirst(); n; n = t->GetNext(n)) nodes.push_back(n);
  for (PDataNode n : nodes)
    if (rng() % 6 == 0) t->SetSelected(n, true);
  uint32_t total = t->TotalCount();
  int refused = 0;
  for (int i = 0; i < 400; ++i) {
    PDataNode s = nodes[rng() % nodes.size()];
    PDataNode target = rng() % 10 == 0 ? nullptr : nodes[rng() % nodes.size()];
    auto mode = TDTNodeAttachMode(1 + rng() % 4);
    bool childrenOnly = rng() % 4 == 0;
    try {
      t->MoveTo(s, target, mode, childrenOnly);
    } catch (const EDataTreeError& e) {
      EXPECT_EQ(e.HelpContext, 2001);
      EXPECT_TRUE(TBaseDataTree::HasAsParent(target, s));
      ++refused;
    }
    ASSERT_TRUE(TreeInvariantsHold(*t)) << "move " << i;
    ASSERT_TRUE(SelectionAgrees(*t));
    ASSERT_EQ(t->TotalCount(), total);
  }
  EXPECT_GT(refused, 0);
}

TEST_F(Move, TargetsModesAndOrder) {
  auto t = DetachedTree();
  MakeNumbered(t.get());
  for (int i = 1; i <= 3; ++i) Id(t.get(), t->AddChild(nullptr)) = i;
  PDataNode p = t->GetFirst();
  for (int i = 10; i <= 13; ++i) Id(t.get(), t->AddChild(p)) = i;
  // No target: the top of the tree.
  t->MoveTo(t->GetLastChild(p), nullptr, amAddChildLast, false);
  EXPECT_EQ(Ids(t.get(), nullptr), (std::vector<int>{13, 1, 2, 3}));
  // The children of a node, in their order, to the front of another.
  PDataNode three = t->RootNode()->LastChild;
  Id(t.get(), t->AddChild(three)) = 30;
  t->MoveTo(p, three, amAddChildFirst, true);
  EXPECT_EQ(Ids(t.get(), three), (std::vector<int>{10, 11, 12, 30}));
  EXPECT_FALSE(t->HasChildren(p));
  EXPECT_TRUE(TreeInvariantsHold(*t));
  // A read-only tree moves nothing.
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toReadOnly);
  t->MoveTo(three, nullptr, amAddChildFirst, false);
  EXPECT_EQ(Ids(t.get(), nullptr), (std::vector<int>{13, 1, 2, 3}));
}

TEST_F(Move, ToAnotherTreeTheNodesChangeTrees) {
  auto a = DetachedTree(), b = DetachedTree();
  MakeNumbered(a.get());
  MakeNumbered(b.get());
  std::mt19937 rng(8);
  BuildRandom(a.get(), 25, rng);
  BuildRandom(b.get(), 5, rng);
  uint32_t ta = a->TotalCount(), tb = b->TotalCount();
  PDataNode s = a->GetFirst();
  uint32_t moved = s->TotalCount;
  int movedId = Id(a.get(), s);
  int events = 0;
  a->OnNodeMoved = [&](TBaseDataTree*, PDataNode) { ++events; };
  a->MoveTo(s, b->RootNode(), amInsertAfter, false);
  EXPECT_EQ(a->TotalCount(), ta - moved);
  EXPECT_EQ(b->TotalCount(), tb + moved);
  EXPECT_EQ(Id(b.get(), b->RootNode()->LastChild), movedId);
  EXPECT_EQ(events, 1);
  EXPECT_TRUE(TreeInvariantsHold(*a));
  EXPECT_TRUE(TreeInvariantsHold(*b));
  // Into a collapsed node deep down.
  PDataNode deep = b->GetLast(nullptr);
  a->MoveTo(a->GetFirst(), deep, amAddChildFirst, true);
  EXPECT_TRUE(TreeInvariantsHold(*a));
  EXPECT_TRUE(TreeInvariantsHold(*b));
}

// Nodes read in below a node settle only their own selection bits: a
// selected node after them keeps its selection.
TEST_F(Move, NodesReadInLeaveTheSelectionOfTheOthersAlone) {
  auto a = DetachedTree(), b = DetachedTree();
  MakeNumbered(a.get());
  MakeNumbered(b.get());
  for (int i = 1; i <= 3; ++i) Id(a.get(), a->AddChild(nullptr)) = i;
  for (int i = 10; i <= 12; ++i) Id(b.get(), b->AddChild(nullptr)) = i;
  PDataNode later = b->GetLast(nullptr);
  b->SetSelected(later, true);
  a->GetFirst()->Include(vsSelected);  // as a stream from elsewhere may say
  a->MoveTo(a->GetFirst(), b->GetFirst(), amAddChildLast, false);
  EXPECT_TRUE(b->Selected(later));
  EXPECT_EQ(b->SelectionCount(), 1);
  EXPECT_TRUE(SelectionAgrees(*b));
  EXPECT_TRUE(TreeInvariantsHold(*b));
}

TEST_F(Move, DeletingTheSelectionDeletesEachSubtreeOnce) {
  auto t = DetachedTree();
  MakeNumbered(t.get());
  t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toMultiSelect);
  std::mt19937 rng(4);
  BuildRandom(t.get(), 60, rng);
  PDataNode parent = t->GetFirst();
  while (parent && !parent->FirstChild) parent = t->GetNext(parent);
  ASSERT_NE(parent, nullptr);
  t->SetSelected(parent, true);
  t->SetSelected(parent->FirstChild, true);
  t->SetSelected(t->GetLast(nullptr), true);
  uint32_t expected = t->TotalCount() - parent->TotalCount -
                      (TBaseDataTree::HasAsParent(t->GetLast(nullptr), parent) ? 0 : 1);
  t->DeleteSelectedNodes();
  EXPECT_EQ(t->TotalCount(), expected);
  EXPECT_EQ(t->SelectionCount(), 0);
  EXPECT_TRUE(TreeInvariantsHold(*t));
}

TEST_F(MoveByClipboard, ACutOfRowsSpreadOverALongListIsPastedAtItsEndInOrder) {
  TDataStringTree* t = NewTree();
  MakeNumbered(t);
  t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toMultiSelect);
  t->ClipboardFormats()->Add("Data Tree Data");
  t->SetRootNodeCount(3000);
  std::vector<int> expected, moved;
  int id = 0;
  for (PDataNode n = t->GetFirstNoInit(); n; n = n->NextSibling) Id(t, n) = ++id;
  for (PDataNode n = t->GetFirstNoInit(); n; n = n->NextSibling) {
    if (Id(t, n) % 3 == 1 && Id(t, n) != 3000) {
      t->SetSelected(n, true);
      moved.push_back(Id(t, n));
    } else {
      expected.push_back(Id(t, n));
    }
  }
  expected.insert(expected.end(), moved.begin(), moved.end());
  // A handler of the moves sees every index settled at its call.
  int unsettled = 0;
  t->OnNodeMoved = [&](TBaseDataTree*, PDataNode n) {
    uint32_t index = 0;
    for (PDataNode s = n->Parent->FirstChild; s; s = s->NextSibling, ++index)
      if (s->Index != index) ++unsettled;
  };
  t->CutToClipboard();
  t->SetFocusedNode(t->RootNode()->LastChild);
  t->DefaultPasteMode = amInsertAfter;
  ASSERT_TRUE(t->PasteFromClipboard());
  EXPECT_EQ(Ids(t, nullptr), expected);
  EXPECT_EQ(unsettled, 0);
  EXPECT_TRUE(TreeInvariantsHold(*t));

  // Without a handler the lists are renumbered once, when the paste is done.
  t->OnNodeMoved = nullptr;
  t->ClearSelection();
  for (PDataNode n = t->GetFirstNoInit(); n; n = n->NextSibling)
    if (Id(t, n) % 2 == 0) t->SetSelected(n, true);
  std::vector<int> before = Ids(t, nullptr), after, evens;
  for (int i : before) (i % 2 == 0 ? evens : after).push_back(i);
  t->CutToClipboard();
  PDataNode target = t->GetFirstNoInit()->NextSibling;  // the first odd row
  ASSERT_EQ(Id(t, target) % 2, 1);
  t->SetFocusedNode(target);
  t->DefaultPasteMode = amInsertBefore;
  ASSERT_TRUE(t->PasteFromClipboard());
  evens.insert(evens.end(), after.begin(), after.end());
  EXPECT_EQ(Ids(t, nullptr), evens);
  EXPECT_TRUE(TreeInvariantsHold(*t));
}

TEST_F(Move, MembershipIsKnownForLiveNodesOnlyInLongLists) {
  auto t = DetachedTree();
  t->SetNodeDataSize(4);
  t->SetRootNodeCount(300000);
  PDataNode last = t->RootNode()->LastChild;
  PDataNode middle = t->GetFirstNoInit();
  for (int i = 0; i < 150000; ++i) middle = middle->NextSibling;
  EXPECT_TRUE(t->IsNodeOfThisTree(last));
  EXPECT_TRUE(t->IsNodeOfThisTree(middle));
  auto other = DetachedTree();
  other->SetNodeDataSize(4);
  other->SetRootNodeCount(3);
  EXPECT_FALSE(t->IsNodeOfThisTree(other->GetFirstNoInit()));
  EXPECT_FALSE(t->IsNodeOfThisTree(t->RootNode()));
  t->DeleteNode(middle);
  EXPECT_FALSE(t->IsNodeOfThisTree(middle));  // a freed slot
  EXPECT_TRUE(t->IsNodeOfThisTree(last));
}

}  // namespace
}  // namespace qv::test
