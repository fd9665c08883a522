// Selection, focus and check states: the sorted selection with its
// constraints, focus changes that can be refused, radio siblings and
// tri-state propagation up and down.
#include <random>

#include "TreeTestSupport.h"

namespace qv::test {
namespace {

using Selection = TreeTest;

TEST_F(Selection, SingleAndMultipleSelectionWithConstraints) {
  auto t = DetachedTree();
  t->SetNodeDataSize(4);
  t->SetRootNodeCount(3);
  PDataNode a = t->GetFirst(), b = t->GetNext(a), c = t->GetNext(b);
  t->SetChildCount(a, 2);
  PDataNode a1 = t->GetFirstChild(a);
  t->SetSelected(a, true);
  t->SetSelected(b, true);  // without multi-select only one stays
  EXPECT_EQ(t->SelectionCount(), 1);
  EXPECT_TRUE(t->Selected(b));
  EXPECT_FALSE(t->Selected(a));
  std::vector<PDataNode> changes;
  t->OnChange = [&](TBaseDataTree*, PDataNode n) { changes.push_back(n); };
  t->SetSelected(b, true);  // already selected: nothing
  EXPECT_TRUE(changes.empty());
  t->TreeOptions()->SetSelectionOptions({toMultiSelect, toLevelSelectConstraint});
  EXPECT_EQ(t->SelectionCount(), 0);  // the constraint change cleared the selection
  t->SetSelected(c, true);
  t->SetSelected(a1, true);  // another level: refused
  t->SetSelected(a, true);
  EXPECT_EQ(t->GetSortedSelection(false), (TNodeArray{a, c}));
  t->SetDisabled(b, true);
  t->SetSelected(b, true);  // disabled: refused
  EXPECT_FALSE(t->Selected(b));
  t->ClearSelection();
  EXPECT_EQ(t->SelectionCount(), 0);
  EXPECT_FALSE(t->Selected(a));
}

TEST_F(Selection, BatchesSelectAllAndResetNode) {
  auto t = DetachedTree();
  t->SetNodeDataSize(4);
  t->SetRootNodeCount(4);
  int changes = 0;
  t->OnChange = [&](TBaseDataTree*, PDataNode) { ++changes; };
  t->SelectAll(false);  // needs multi-select
  EXPECT_EQ(t->SelectionCount(), 0);
  t->TreeOptions()->SetSelectionOptions({toMultiSelect});
  t->SelectAll(false);
  EXPECT_EQ(t->SelectionCount(), 4);
  EXPECT_EQ(changes, 1);
  t->SelectAll(false);  // everything selected already: no change
  EXPECT_EQ(changes, 1);
  PDataNode a = t->GetFirst();
  t->SetChildCount(a, 3);
  t->SetExpanded(a, true);
  int resets = 0, inits = 0;
  t->OnResetNode = [&](TBaseDataTree*, PDataNode) { ++resets; };
  t->OnInitNode = [&](TBaseDataTree*, PDataNode, PDataNode, TDataNodeInitStates&) { ++inits; };
  t->ResetNode(a);
  EXPECT_EQ(resets, 1);
  EXPECT_FALSE(a->Has(vsInitialized));
  EXPECT_EQ(a->ChildCount, 0u);
  EXPECT_TRUE(TreeInvariantsHold(*t));
  t->GetFirst();
  EXPECT_EQ(inits, 1);  // asked again
  EXPECT_EQ(t->LevelDifference(a, a), 0);
  EXPECT_EQ(TBaseDataTree::DetermineNextCheckState(ctCheckBox, csMixedNormal), csCheckedNormal);
  EXPECT_EQ(TBaseDataTree::DetermineNextCheckState(ctNone, csCheckedNormal), csMixedNormal);
  t->ResetNode(nullptr);
  EXPECT_EQ(t->RootNodeCount(), 0u);
}

// A tree read from stored settings: loading state switched by hand.
class LoadingTree : public TDataStringTree {
 public:
  using TDataStringTree::TDataStringTree;
  void BeginLoad() { State().Include(csLoading); }
  void EndLoad() {
    State().Exclude(csLoading);
    Loaded();
  }
};

TEST_F(Selection, LoadedAppliesTheStoredCountAndAssignCopiesSettings) {
  LoadingTree t(nullptr);
  t.SetNodeDataSize(4);
  t.TreeOptions()->SetMiscOptions(t.TreeOptions()->MiscOptions() + toReadOnly);
  t.BeginLoad();
  t.SetRootNodeCount(7);
  EXPECT_EQ(t.TotalCount(), 0u);  // only stored while loading
  EXPECT_TRUE(t.TreeStates().Contains(tsNeedRootCountUpdate));
  t.EndLoad();
  EXPECT_EQ(t.TotalCount(), 7u);  // also on a read-only tree
  EXPECT_TRUE(t.TreeOptions()->MiscOptions().Contains(toReadOnly));
  EXPECT_TRUE(TreeInvariantsHold(t));

  auto copy = DetachedTree();
  t.TreeOptions()->SetMiscOptions(t.TreeOptions()->MiscOptions() - toReadOnly);
  t.SetIndent(25);
  t.Header()->Columns()->Add()->SetWidth(77);
  copy->Assign(&t);
  EXPECT_EQ(copy->Indent(), 25u);
  EXPECT_EQ(copy->RootNodeCount(), 7u);
  EXPECT_EQ(copy->Header()->Columns()->Count(), 1);
  EXPECT_EQ(copy->Header()->Columns()->Items(0)->Width(), 77);
  EXPECT_FALSE(copy->TreeOptions()->MiscOptions().Contains(toReadOnly));
  // A read-only target keeps its settings.
  copy->TreeOptions()->SetMiscOptions(copy->TreeOptions()->MiscOptions() + toReadOnly);
  t.SetIndent(30);
  copy->Assign(&t);
  EXPECT_EQ(copy->Indent(), 25u);
}

// The rest of the list: the windowed control's border width, limits, tab
// order and hint parent flag, and the tree's drag image and hint animation.
TEST_F(Selection, AssignCopiesTheControlsSettingsOfItsList) {
  TDataStringTree* t = NewTree();
  auto* second = new TDataStringTree(form);
  second->SetParent(form);
  auto* copy = new TDataStringTree(form);
  copy->SetParent(form);
  ASSERT_EQ(t->TabOrder(), 0);
  t->SetBorderWidth(3);
  t->Constraints().MinWidth = 120;
  t->Constraints().MaxHeight = 900;
  t->DragImageKind = diMainColumnOnly;
  t->HintAnimation = hatSlide;
  t->SetParentShowHint(!copy->ParentShowHint());
  t->SetBevelKind(bkFlat);
  t->SetBevelInner(bvLowered);
  t->SetBevelOuter(bvRaised);
  t->SetBevelEdges(TBevelEdges{beLeft, beBottom});
  t->SetBevelWidth(2);
  copy->Assign(t);
  EXPECT_EQ(copy->BevelKind(), bkFlat);
  EXPECT_EQ(copy->BevelInner(), bvLowered);
  EXPECT_EQ(copy->BevelOuter(), bvRaised);
  EXPECT_EQ(copy->BevelEdges(), (TBevelEdges{beLeft, beBottom}));
  EXPECT_EQ(copy->BevelWidth(), 2);
  EXPECT_EQ(copy->BorderWidth(), 3);
  EXPECT_EQ(copy->Constraints().MinWidth, 120);
  EXPECT_EQ(copy->Constraints().MaxHeight, 900);
  EXPECT_EQ(copy->DragImageKind, diMainColumnOnly);
  EXPECT_EQ(copy->HintAnimation, hatSlide);
  EXPECT_EQ(copy->ParentShowHint(), t->ParentShowHint());
  EXPECT_EQ(copy->TabOrder(), 0);
  EXPECT_EQ(t->TabOrder(), 1);
  EXPECT_EQ(second->TabOrder(), 2);
}

TEST_F(Selection, FocusChangesCanBeRefused) {
  auto t = DetachedTree();
  t->SetNodeDataSize(4);
  t->SetRootNodeCount(2);
  PDataNode a = t->GetFirst(), b = t->GetNext(a);
  bool allow = true;
  int changed = 0;
  t->OnFocusChanging = [&](TBaseDataTree*, PDataNode, PDataNode, TColumnIndex, TColumnIndex, bool& ok) {
    ok = allow;
  };
  t->OnFocusChanged = [&](TBaseDataTree*, PDataNode, TColumnIndex) { ++changed; };
  t->SetFocusedNode(a);
  EXPECT_EQ(changed, 1);
  t->SetFocusedNode(a);
  EXPECT_EQ(changed, 1);
  allow = false;
  t->SetFocusedNode(b);
  EXPECT_EQ(t->FocusedNode(), a);
  EXPECT_EQ(changed, 1);
  allow = true;
  t->SetFocusedNode(t->RootNode());  // the root counts as nil
  EXPECT_EQ(t->FocusedNode(), nullptr);
}

TEST_F(Selection, RadioSiblingsAndTriStatePropagation) {
  auto t = DetachedTree();
  t->SetNodeDataSize(4);
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toCheckSupport);
  PDataNode top = t->AddChild(nullptr);
  t->SetCheckType(top, ctTriStateCheckBox);
  std::vector<PDataNode> kids;
  for (int i = 0; i < 3; ++i) {
    kids.push_back(t->AddChild(top));
    t->SetCheckType(kids.back(), ctCheckBox);
  }
  PDataNode r1 = t->AddChild(nullptr), r2 = t->AddChild(nullptr), box = t->AddChild(nullptr);
  t->SetCheckType(r1, ctRadioButton);
  t->SetCheckType(r2, ctRadioButton);
  t->SetCheckType(box, ctCheckBox);
  t->SetCheckState(box, csCheckedNormal);
  t->SetCheckState(r1, csCheckedNormal);
  t->SetCheckState(r2, csCheckedNormal);
  EXPECT_EQ(t->CheckState(r1), csUncheckedNormal);
  EXPECT_EQ(t->CheckState(box), csCheckedNormal);  // not a radio sibling

  t->SetCheckState(kids[0], csCheckedNormal);
  EXPECT_EQ(t->CheckState(top), csMixedNormal);
  t->SetCheckState(kids[1], csCheckedNormal);
  t->SetCheckState(kids[2], csCheckedNormal);
  EXPECT_EQ(t->CheckState(top), csCheckedNormal);
  t->SetCheckState(top, csUncheckedNormal);  // down to every child
  for (PDataNode k : kids) EXPECT_EQ(t->CheckState(k), csUncheckedNormal);
  // A refusal stops the change.
  t->OnChecking = [&](TBaseDataTree*, PDataNode n, TCheckState&, bool& ok) { ok = n != kids[1]; };
  t->SetCheckState(kids[1], csCheckedNormal);
  EXPECT_EQ(t->CheckState(kids[1]), csUncheckedNormal);
  EXPECT_FALSE(t->TreeStates().Contains(tsCheckPropagation));
}

TEST_F(Selection, FullExpandAndCollapse) {
  auto t = DetachedTree();
  t->SetNodeDataSize(4);
  t->OnInitNode = [](TBaseDataTree* tree, PDataNode, PDataNode n, TDataNodeInitStates& s) {
    if (tree->GetNodeLevel(n) < 2) s.Include(ivsHasChildren);
  };
  t->OnInitChildren = [](TBaseDataTree*, PDataNode, uint32_t& c) { c = 3; };
  t->SetRootNodeCount(1);  // a single node with children still expands
  t->FullExpand();
  EXPECT_EQ(t->VisibleCount(), 1u + 3 + 9);
  EXPECT_TRUE(TreeInvariantsHold(*t));
  t->FullCollapse();
  EXPECT_EQ(t->VisibleCount(), 1u);
  EXPECT_TRUE(TreeInvariantsHold(*t));
  // Collapsing can be refused.
  t->SetExpanded(t->GetFirst(), true);
  t->OnCollapsing = [](TBaseDataTree*, PDataNode, bool& ok) { ok = false; };
  t->SetExpanded(t->GetFirst(), false);
  EXPECT_TRUE(t->Expanded(t->GetFirst()));
}

TEST_F(Selection, SortingIsStableInBothDirections) {
  auto t = DetachedTree();
  t->SetNodeDataSize(4);
  // Keys: a1 = 1, b = 2, a2 = 1.
  int keys[] = {1, 2, 1};
  for (int k : keys) *t->GetNodeData<int>(t->AddChild(nullptr)) = k;
  PDataNode a1 = t->GetFirstNoInit(), b = a1->NextSibling, a2 = b->NextSibling;
  t->OnCompareNodes = [](TBaseDataTree* tree, PDataNode x, PDataNode y, TColumnIndex, int& r) {
    r = *tree->GetNodeData<int>(x) - *tree->GetNodeData<int>(y);
  };
  auto order = [&] {
    TNodeArray o;
    for (PDataNode n = t->GetFirstNoInit(); n; n = n->NextSibling) o.push_back(n);
    return o;
  };
  t->SortTree(0, sdAscending);
  EXPECT_EQ(order(), (TNodeArray{a1, a2, b}));
  t->SortTree(0, sdDescending);
  EXPECT_EQ(order(), (TNodeArray{b, a1, a2}));
  EXPECT_TRUE(TreeInvariantsHold(*t));
  EXPECT_EQ(t->GetLastChildNoInit(nullptr), a2);
}

// The rubber band's entry points, open to the test.
struct BandTree : TDataStringTree {
  using TBaseDataTree::DoStateChange;
  using TBaseDataTree::HandleDrawSelection;
  using TBaseDataTree::StartDrawSelection;
  using TDataStringTree::TDataStringTree;
};

TEST_F(Selection, ARubberBandDraggedAroundChangesExactlyTheRowsThatCrossedItsEdge) {
  // Random moves of the band's corner, some keeping its width and some not,
  // some a few rows up or down and some far.
  // The model: a row whose inside status changes between two bands is
  // toggled (Ctrl) or takes the new status; every other row keeps its state.
  std::mt19937 rng(3);
  for (bool ctrl : {false, true}) {
    BandTree t(nullptr);
    t.SetNodeDataSize(4);
    t.TreeOptions()->SetSelectionOptions({toMultiSelect, toSimpleDrawSelection});
    t.SetRootNodeCount(200);
    std::vector<PDataNode> rows;
    std::vector<bool> model;
    for (PDataNode n = t.GetFirst(); n; n = t.GetNext(n)) {
      rows.push_back(n);
      model.push_back(rng() % 4 == 0);
      if (model.back()) t.SetSelected(n, true);
    }
    const int h = int(t.DefaultNodeHeight());
    POINT start{5, int(rng() % 3600)};
    t.StartDrawSelection(start, ctrl);
    t.DoStateChange({tsDrawSelecting});
    RECT band{start.x, start.y, start.x, start.y};
    auto inside = [&](const RECT& r, size_t i) {
      int top = std::min(r.top, r.bottom), bottom = std::max(r.top, r.bottom);
      return int(i) * h<bottom&& int(i + 1) * h> top;
    };
    for (int move = 0; move < 160; ++move) {
      int y = rng() % 2 ? std::max(0, int(band.bottom) + int(rng() % 161) - 80) : int(rng() % 3700);
      RECT next{start.x, start.y, rng() % 2 ? band.right : int(rng() % 300), y};
      t.HandleDrawSelection(band, next);
      if (next.left != next.right && next.top != next.bottom)  // an empty band changes nothing
        for (size_t i = 0; i < rows.size(); ++i)
          if (inside(band, i) != inside(next, i)) model[i] = ctrl ? !model[i] : inside(next, i);
      band = next;
      for (size_t i = 0; i < rows.size(); ++i)
        ASSERT_EQ(t.Selected(rows[i]), bool(model[i])) << "row " << i << " after move " << move;
    }
  }
}

}  // namespace
}  // namespace qv::test
