// Navigation against a reference: random trees with collapsed subtrees are
// flattened by plain recursion, and every walk of the tree (all nodes,
// visible nodes, backwards, NoInit and initialising) must give the same order.
#include <functional>
#include <random>

#include "TreeTestSupport.h"

namespace qv::test {
namespace {

using Navigation = TreeTest;

void BuildRandom(TBaseDataTree& tree, std::mt19937& rng, PDataNode parent, int depth) {
  int n = std::uniform_int_distribution<int>(0, depth > 3 ? 0 : 4)(rng);
  for (int i = 0; i < n; ++i) {
    PDataNode c = tree.AddChild(parent);
    BuildRandom(tree, rng, c, depth + 1);
  }
  if (parent && std::uniform_int_distribution<int>(0, 2)(rng) > 0) tree.SetExpanded(parent, true);
}

void PreOrder(PDataNode n, std::vector<PDataNode>& all, std::vector<PDataNode>& visible, bool shown) {
  for (PDataNode c = n->FirstChild; c; c = c->NextSibling) {
    all.push_back(c);
    if (shown) visible.push_back(c);
    PreOrder(c, all, visible, shown && c->Has(vsExpanded));
  }
}

TEST_F(Navigation, EveryWalkMatchesThePlainRecursion) {
  for (unsigned seed = 1; seed <= 8; ++seed) {
    auto tree = DetachedTree();
    tree->SetNodeDataSize(4);
    std::mt19937 rng(seed);
    BuildRandom(*tree, rng, nullptr, 0);
    std::vector<PDataNode> all, visible;
    PreOrder(tree->RootNode(), all, visible, true);
    ASSERT_EQ(tree->VisibleCount(), visible.size());

    std::vector<PDataNode> got;
    for (PDataNode n = tree->GetFirst(); n; n = tree->GetNext(n)) got.push_back(n);
    EXPECT_EQ(got, all);
    got.clear();
    for (PDataNode n = tree->GetFirstNoInit(); n; n = tree->GetNextNoInit(n)) got.push_back(n);
    EXPECT_EQ(got, all);
    got.clear();
    for (PDataNode n = tree->GetLast(); n; n = tree->GetPrevious(n)) got.insert(got.begin(), n);
    EXPECT_EQ(got, all);
    got.clear();
    for (PDataNode n = tree->GetFirstVisible(); n; n = tree->GetNextVisible(n)) got.push_back(n);
    EXPECT_EQ(got, visible);
    got.clear();
    for (PDataNode n = tree->GetFirstVisibleNoInit(); n; n = tree->GetNextVisibleNoInit(n)) got.push_back(n);
    EXPECT_EQ(got, visible);
    got.clear();
    for (PDataNode n = tree->GetLastVisible(); n; n = tree->GetPreviousVisible(n)) got.insert(got.begin(), n);
    EXPECT_EQ(got, visible);
    got.clear();
    for (PDataNode n = tree->GetLastVisibleNoInit(); n; n = tree->GetPreviousVisibleNoInit(n))
      got.insert(got.begin(), n);
    EXPECT_EQ(got, visible);

    // Positions and levels.
    for (size_t i = 0; i + 1 < all.size() && i < 60; ++i) {
      for (size_t j = i + 1; j < all.size() && j < i + 8; ++j) {
        EXPECT_LT(tree->CompareNodePositions(all[i], all[j]), 0);
        EXPECT_GT(tree->CompareNodePositions(all[j], all[i]), 0);
      }
      uint32_t level = 0;
      for (PDataNode p = all[i]->Parent; p != tree->RootNode(); p = p->Parent) ++level;
      EXPECT_EQ(tree->GetNodeLevel(all[i]), level);
    }
    // A node inside a collapsed parent steps to what follows its shown ancestor.
    for (PDataNode n : all) {
      if (tree->IsNodeVisible(n)) continue;
      PDataNode shown = tree->GetVisibleParent(n);
      PDataNode expected = shown == tree->RootNode() ? nullptr : tree->GetNextVisibleNoInit(shown);
      // The next visible node after n lies after n's shown ancestor and is not inside it.
      PDataNode next = tree->GetNextVisibleNoInit(n);
      if (shown != tree->RootNode()) {
        EXPECT_TRUE(next == expected || (next && tree->CompareNodePositions(next, shown) > 0));
      }
    }
  }
}

TEST_F(Navigation, SortedSelectionResolvesSubtreesAndEmptySelectionWalksNothing) {
  auto tree = DetachedTree();
  tree->SetNodeDataSize(4);
  tree->TreeOptions()->SetSelectionOptions({toMultiSelect});
  PDataNode a = tree->AddChild(nullptr);
  PDataNode a1 = tree->AddChild(a);
  PDataNode b = tree->AddChild(nullptr);
  int inits = 0;
  tree->OnInitNode = [&](TBaseDataTree*, PDataNode, PDataNode, TDataNodeInitStates&) { ++inits; };
  EXPECT_EQ(tree->GetFirstSelected(), nullptr);
  EXPECT_EQ(inits, 0);  // an empty selection walks nothing
  tree->SetSelected(b, true);
  tree->SetSelected(a1, true);
  tree->SetSelected(a, true);
  EXPECT_EQ(tree->GetSortedSelection(false), (TNodeArray{a, a1, b}));
  EXPECT_EQ(tree->GetSortedSelection(true), (TNodeArray{a, b}));
  EXPECT_EQ(tree->GetFirstSelected(), a);
  EXPECT_EQ(tree->GetNextSelected(a), a1);
  EXPECT_EQ(tree->CompareNodePositions(a, a1), -1);
  EXPECT_THROW(tree->GetNext(tree->RootNode()), EAssertionFailed);
  EXPECT_EQ(tree->GetNext(nullptr), nullptr);
}

}  // namespace
}  // namespace qv::test
