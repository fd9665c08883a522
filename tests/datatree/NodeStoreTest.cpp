// The node store against a plain reference tree: random sequences of adds,
// count changes, deletions, expansions and height changes, inside and
// outside update brackets, with every invariant checked after each step;
// plus the lazy-initialisation and event contract.
#include <algorithm>
#include <map>
#include <memory>
#include <random>

#include "TreeTestSupport.h"

namespace qv::test {
namespace {

struct Model {
  int id = 0;
  std::vector<std::unique_ptr<Model>> children;
  bool expanded = false;
  int height = 18;
};

class NodeStoreFuzz {
 public:
  explicit NodeStoreFuzz(TBaseDataTree& t) : tree(t) {
    tree.SetNodeDataSize(sizeof(int));
    root.expanded = true;
  }

  // Gives every node without an id (made by a count) the next id, in both trees.
  void Label(PDataNode n, Model& m) {
    ASSERT_EQ(n->ChildCount, m.children.size());
    size_t i = 0;
    for (PDataNode c = n->FirstChild; c; c = c->NextSibling, ++i) {
      int& id = *tree.GetNodeData<int>(c);
      if (id == 0) {
        id = ++nextId;
        m.children[i]->id = id;
      }
      Label(c, *m.children[i]);
    }
  }

  void Compare(PDataNode n, const Model& m) {
    ASSERT_EQ(n->ChildCount, m.children.size());
    if (n != tree.RootNode()) {
      ASSERT_EQ(*tree.GetNodeData<int>(n), m.id);
      ASSERT_EQ(n->Has(vsExpanded), m.expanded) << "node " << m.id;
      ASSERT_EQ(n->NodeHeight, m.height);
    }
    size_t i = 0;
    for (PDataNode c = n->FirstChild; c; c = c->NextSibling, ++i) Compare(c, *m.children[i]);
  }

  // Picks a node uniformly from the tree (nullptr stands for the root).
  std::pair<PDataNode, Model*> Pick(std::mt19937& rng) {
    std::vector<std::pair<PDataNode, Model*>> all{{nullptr, &root}};
    Collect(tree.RootNode(), root, all);
    return all[std::uniform_int_distribution<size_t>(0, all.size() - 1)(rng)];
  }
  void Collect(PDataNode n, Model& m, std::vector<std::pair<PDataNode, Model*>>& out) {
    size_t i = 0;
    for (PDataNode c = n->FirstChild; c; c = c->NextSibling, ++i) {
      out.push_back({c, m.children[i].get()});
      Collect(c, *m.children[i], out);
    }
  }
  Model* ParentOf(Model* target, Model* from) {
    for (auto& c : from->children) {
      if (c.get() == target) return from;
      if (Model* p = ParentOf(target, c.get())) return p;
    }
    return nullptr;
  }

  void Step(std::mt19937& rng) {
    auto [node, model] = Pick(rng);
    int op = std::uniform_int_distribution<int>(0, 9)(rng);
    switch (op) {
      case 0:
      case 1: {
        tree.AddChild(node);
        model->children.push_back(std::make_unique<Model>());
        if (!node) break;
        // A node that gains its first child keeps its expanded state.
        break;
      }
      case 2: {
        uint32_t n = std::uniform_int_distribution<uint32_t>(0, 6)(rng);
        tree.SetChildCount(node, n);
        if (n == 0) {
          model->children.clear();
          if (node) model->expanded = node->Has(vsExpanded);
        } else {
          while (model->children.size() > n) model->children.pop_back();
          while (model->children.size() < n) model->children.push_back(std::make_unique<Model>());
        }
        break;
      }
      case 3:
        if (node) {
          Model* parent = ParentOf(model, &root);
          tree.DeleteNode(node);
          auto& siblings = parent->children;
          for (auto it = siblings.begin(); it != siblings.end(); ++it)
            if (it->get() == model) {
              siblings.erase(it);
              break;
            }
          if (parent != &root && siblings.empty()) parent->expanded = false;
        }
        break;
      case 4:
        tree.DeleteChildren(node);
        model->children.clear();
        if (node) model->expanded = false;
        break;
      case 5:
      case 6:
        if (node) {
          tree.SetExpanded(node, !node->Has(vsExpanded));
          model->expanded = node->Has(vsExpanded);
        }
        break;
      case 7:
        if (node) {
          int h = std::uniform_int_distribution<int>(1, 40)(rng);
          tree.SetNodeHeight(node, uint32_t(h));
          model->height = h;
        }
        break;
      case 8:
        if (std::uniform_int_distribution<int>(0, 1)(rng))
          tree.BeginUpdate(), ++depth;
        else if (depth > 0)
          tree.EndUpdate(), --depth;
        break;
      case 9:
        if (node && !node->Has(vsSelected)) tree.SetSelected(node, true);
        if (node && std::uniform_int_distribution<int>(0, 3)(rng) == 0) tree.SetFocusedNode(node);
        break;
    }
  }

  TBaseDataTree& tree;
  Model root;
  int nextId = 0;
  int depth = 0;
};

using NodeStore = TreeTest;

TEST_F(NodeStore, RandomOperationsKeepEveryInvariantAndMatchThePlainTree) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    auto tree = DetachedTree();
    NodeStoreFuzz fuzz(*tree);
    std::mt19937 rng(seed);
    for (int step = 0; step < 400; ++step) {
      fuzz.Step(rng);
      fuzz.Label(tree->RootNode(), fuzz.root);
      ASSERT_TRUE(TreeInvariantsHold(*tree)) << "seed " << seed << " step " << step;
      fuzz.Compare(tree->RootNode(), fuzz.root);
      if (HasFatalFailure()) return;
      // The selection only holds live, selected nodes.
      for (PDataNode n : tree->GetSortedSelection(false)) ASSERT_TRUE(n->Has(vsSelected));
    }
    while (fuzz.depth-- > 0) tree->EndUpdate();
    ASSERT_TRUE(TreeInvariantsHold(*tree));
  }
}

TEST_F(NodeStore, RandomOperationsOnAShownTree) {
  TDataStringTree* tree = NewTree();
  NodeStoreFuzz fuzz(*tree);
  std::mt19937 rng(99);
  for (int step = 0; step < 300; ++step) {
    fuzz.Step(rng);
    fuzz.Label(tree->RootNode(), fuzz.root);
    ASSERT_TRUE(TreeInvariantsHold(*tree)) << "step " << step;
    if (step % 50 == 0) Pump();
  }
  while (fuzz.depth-- > 0) tree->EndUpdate();
  Pump();
  ASSERT_TRUE(TreeInvariantsHold(*tree));
}

TEST_F(NodeStore, CountsCreateBlankNodesThatInitialiseOnFirstTouch) {
  auto tree = DetachedTree();
  tree->SetNodeDataSize(8);
  std::vector<std::string> log;
  tree->OnInitNode = [&](TBaseDataTree*, PDataNode parent, PDataNode node, TDataNodeInitStates& states) {
    log.push_back("init " + std::to_string(node->Index) + (parent ? " child" : " top"));
    if (!parent && node->Index == 0) states.Include(ivsHasChildren);
  };
  tree->OnInitChildren = [&](TBaseDataTree*, PDataNode, uint32_t& count) {
    log.push_back("children");
    count = 2;
  };
  std::vector<std::string> structure;
  tree->OnStructureChange = [&](TBaseDataTree* t, PDataNode n, TChangeReason r) {
    structure.push_back((n == nullptr ? "nil " : n == t->RootNode() ? "root " : "node ") + std::to_string(r));
  };
  tree->SetRootNodeCount(3);
  EXPECT_TRUE(log.empty());
  tree->SetRootNodeCount(3);  // the same value: nothing happens
  EXPECT_EQ(structure, (std::vector<std::string>{"nil 2"}));
  PDataNode first = tree->GetFirst();
  EXPECT_EQ(log, (std::vector<std::string>{"init 0 top"}));
  PDataNode next = tree->GetNext(first);  // walks into the lazily made children
  EXPECT_EQ(next->Parent, first);
  EXPECT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1], "children");
  EXPECT_EQ(tree->TotalCount(), 5u);
  EXPECT_TRUE(TreeInvariantsHold(*tree));
  // Setting a count to 0 keeps the button: the children are asked for again.
  tree->SetChildCount(first, 0);
  EXPECT_TRUE(first->Has(vsHasChildren));
  structure.clear();
  tree->AddChild(first);
  EXPECT_EQ(structure, (std::vector<std::string>{"node 2"}));
  tree->Clear();
  EXPECT_EQ(structure.back(), "root 3");  // Clear reports the hidden root itself
}

// Initialising a node that is open already: when the handler does not ask
// for it open, its children are asked for again; when it does, nothing more.
TEST_F(NodeStore, InitialisingAnOpenNodeAsksForItsChildrenUnlessToldItIsOpen) {
  auto tree = DetachedTree();
  tree->SetNodeDataSize(8);
  TDataNodeInitStates answer{ivsHasChildren};
  tree->OnInitNode = [&](TBaseDataTree*, PDataNode parent, PDataNode, TDataNodeInitStates& states) {
    if (!parent) states = answer;
  };
  uint32_t children = 2;
  int asked = 0;
  tree->OnInitChildren = [&](TBaseDataTree*, PDataNode, uint32_t& count) {
    ++asked;
    count = children;
  };
  tree->SetRootNodeCount(1);
  PDataNode top = tree->GetFirst();
  tree->SetExpanded(top, true);
  ASSERT_EQ(asked, 1);
  ASSERT_EQ(tree->ChildCount(top), 2u);
  children = 3;
  tree->ReinitNode(top, false);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(tree->ChildCount(top), 3u);
  EXPECT_TRUE(tree->Expanded(top));
  answer.Include(ivsExpanded);
  children = 5;
  tree->ReinitNode(top, false);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(tree->ChildCount(top), 3u);
  EXPECT_TRUE(tree->Expanded(top));
  EXPECT_TRUE(TreeInvariantsHold(*tree));
}

TEST_F(NodeStore, AddChildNumbersSiblingsAndRefusesUserDataThatDoesNotFit) {
  auto tree = DetachedTree();
  tree->SetNodeDataSize(3);
  PDataNode a = tree->AddChild(nullptr);
  PDataNode b = tree->AddChild(nullptr);
  EXPECT_EQ(a->Index, 0u);
  EXPECT_EQ(b->Index, 1u);
  int value = 7;
  try {
    tree->AddChild(nullptr, &value);
    FAIL() << "no error";
  } catch (const EDataTreeError& e) {
    EXPECT_EQ(e.HelpContext, 2008);
  }
  EXPECT_EQ(tree->RootNodeCount(), 3u);  // the node stays added
  // A whole pointer is stored when it fits.
  tree->SetNodeDataSize(sizeof(void*));
  PDataNode c = tree->AddChild(nullptr, &value);
  EXPECT_EQ(*tree->GetNodeData<int*>(c), &value);
  EXPECT_TRUE(c->Has(vsInitialUserData));
  auto empty = DetachedTree();
  empty->SetNodeDataSize(-5);
  EXPECT_EQ(empty->NodeDataSize(), -1);
  empty->SetRootNodeCount(1);  // no size handler: a user area of 0 bytes
  EXPECT_EQ(empty->NodeDataSize(), 0);
  EXPECT_THROW(empty->GetNodeData(empty->GetFirst()), EAssertionFailed);
}

TEST_F(NodeStore, NodeDataSizeChangeRecreatesFreshTopLevelNodes) {
  auto tree = DetachedTree();
  tree->SetNodeDataSize(4);
  tree->SetRootNodeCount(10);
  tree->SetChildCount(tree->GetFirst(), 4);
  *tree->GetNodeData<int>(tree->GetFirst()) = 5;
  tree->SetNodeDataSize(16);
  EXPECT_EQ(tree->RootNodeCount(), 10u);
  EXPECT_EQ(tree->TotalCount(), 10u);
  EXPECT_FALSE(tree->GetFirstNoInit()->Has(vsInitialized));
  EXPECT_EQ(*tree->GetNodeData<int>(tree->GetFirstNoInit()), 0);
  EXPECT_THROW(DetachedTree()->GetNodeData(nullptr), EAssertionFailed);
}

TEST_F(NodeStore, DeletionRenumbersFreesInitialisedNodesAndForgetsReferences) {
  auto tree = DetachedTree();
  tree->SetNodeDataSize(4);
  int freed = 0;
  tree->OnFreeNode = [&](TBaseDataTree*, PDataNode) { ++freed; };
  std::vector<PDataNode> focusLog;
  tree->OnFocusChanged = [&](TBaseDataTree*, PDataNode n, TColumnIndex) { focusLog.push_back(n); };
  tree->SetRootNodeCount(3);
  PDataNode a = tree->GetFirst();
  PDataNode b = tree->GetNext(a);
  PDataNode c = tree->GetNextNoInit(b);  // never initialised
  tree->SetFocusedNode(b);
  tree->DeleteNode(b);
  EXPECT_EQ(freed, 1);
  EXPECT_EQ(c->Index, 1u);
  EXPECT_EQ(tree->FocusedNode(), nullptr);
  EXPECT_EQ(focusLog.back(), nullptr);
  tree->DeleteNode(c);
  EXPECT_EQ(freed, 1);  // never initialised: no OnFreeNode
  EXPECT_EQ(tree->RangeAnchor(), nullptr);
  EXPECT_TRUE(TreeInvariantsHold(*tree));
  // Read-only trees keep their nodes, but destruction still frees them.
  auto misc = tree->TreeOptions()->MiscOptions();
  tree->TreeOptions()->SetMiscOptions(misc + toReadOnly);
  tree->Clear();
  EXPECT_EQ(tree->RootNodeCount(), 1u);
  EXPECT_EQ(tree->AddChild(nullptr), nullptr);
  tree.reset();
  EXPECT_EQ(freed, 2);
}

TEST_F(NodeStore, UpdateBracketDefersEventsToTheOutermostEnd) {
  auto tree = DetachedTree();
  tree->SetNodeDataSize(4);
  std::vector<std::string> log;
  tree->OnUpdating = [&](TBaseDataTree*, TDTUpdateState s) {
    log.push_back("updating " + std::to_string(s));
  };
  tree->OnStructureChange = [&](TBaseDataTree*, PDataNode, TChangeReason r) {
    log.push_back("structure " + std::to_string(r));
  };
  tree->OnChange = [&](TBaseDataTree*, PDataNode) { log.push_back("change"); };
  tree->BeginUpdate();
  tree->BeginUpdate();
  tree->SetRootNodeCount(5);
  tree->SetSelected(tree->GetFirst(), true);
  tree->DeleteNode(tree->GetFirst());  // a selected node is only marked during the update
  EXPECT_EQ(tree->SelectionCount(), 1);
  tree->EndUpdate();
  tree->EndUpdate();
  EXPECT_EQ(tree->SelectionCount(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"updating 0", "updating 3", "updating 3", "updating 3",
                                           "updating 3", "structure 1", "change", "updating 4"}));
}

TEST_F(NodeStore, HiddenChildrenFlagFollowsTheUnlinkedState) {
  auto tree = DetachedTree();
  tree->SetNodeDataSize(4);
  PDataNode p = tree->AddChild(nullptr);
  PDataNode c = tree->AddChild(p);
  EXPECT_FALSE(p->Has(vsAllChildrenHidden));
  tree->DeleteNode(c);
  // The flag is computed once the child is gone: no children, no has-children flag.
  EXPECT_TRUE(p->Has(vsAllChildrenHidden));
  EXPECT_FALSE(p->Has(vsHasChildren));
}

TEST_F(NodeStore, NodesAreCompact) {
  auto tree = DetachedTree();
  tree->SetNodeDataSize(16);
  tree->SetRootNodeCount(100000);
  // 64 bytes of record, 4 of cached width, 16 of user data, in 8-byte slots.
  EXPECT_EQ(tree->NodeSlotBytes(), 88u);
  // Blocks double, so at most about half of the memory is spare.
  EXPECT_LT(double(tree->NodeBytesReserved()), 2.0 * 88 * 100000);
  EXPECT_EQ(tree->TotalCount(), 100000u);
}

TEST_F(NodeStore, LargeCountsLinkLikeSingleAdditions) {
  // Big counts are made in one run of slots by several threads; they must
  // join the children already there and leave like any other node.
  auto t = DetachedTree();
  t->SetNodeDataSize(16);
  PDataNode first = t->AddChild(nullptr);
  t->AddChild(nullptr);
  uint32_t big = TBaseDataTree::kBulkChildren * 3 + 7;
  t->SetRootNodeCount(big);
  EXPECT_TRUE(TreeInvariantsHold(*t));
  EXPECT_EQ(t->GetFirstNoInit(), first);
  EXPECT_EQ(first->NextSibling->NextSibling->Index, 2u);
  EXPECT_EQ(t->GetLastNoInit()->Index, big - 1);
  uint32_t zeroData = 0;
  for (PDataNode n = t->GetFirstNoInit(); n; n = n->NextSibling) {
    auto* d = static_cast<const uint8_t*>(t->GetNodeData(n));
    zeroData += std::all_of(d, d + 16, [](uint8_t b) { return b == 0; });
  }
  EXPECT_EQ(zeroData, big);
  // Children of a node too, then shrinking and deleting inside the run.
  t->SetChildCount(first, TBaseDataTree::kBulkChildren + 1);
  t->SetExpanded(first, true);
  t->DeleteNode(first->FirstChild->NextSibling);
  t->SetRootNodeCount(big / 2);
  EXPECT_TRUE(TreeInvariantsHold(*t));
  EXPECT_EQ(t->TotalCount(), big / 2 + TBaseDataTree::kBulkChildren);
  t->Clear();
  EXPECT_TRUE(TreeInvariantsHold(*t));
}

TEST_F(NodeStore, SortingManyNodesIsStableInBothDirections) {
  auto t = DetachedTree();
  t->SetNodeDataSize(8);
  std::mt19937 rng(7);
  const int count = 5000;
  t->SetRootNodeCount(count);
  int i = 0;
  for (PDataNode n = t->GetFirstNoInit(); n; n = n->NextSibling, ++i) {
    int* d = t->GetNodeData<int>(n);
    d[0] = int(rng() % 40);  // many equal keys
    d[1] = i;                // the original place
  }
  t->OnCompareNodes = [](TBaseDataTree* tree, PDataNode x, PDataNode y, TColumnIndex, int& r) {
    r = tree->GetNodeData<int>(x)[0] - tree->GetNodeData<int>(y)[0];
  };
  for (TSortDirection dir : {sdAscending, sdDescending}) {
    t->SortTree(0, dir, false);
    std::vector<std::pair<int, int>> got;
    for (PDataNode n = t->GetFirstNoInit(); n; n = n->NextSibling)
      got.push_back({t->GetNodeData<int>(n)[0], t->GetNodeData<int>(n)[1]});
    std::vector<std::pair<int, int>> want = got;
    std::sort(want.begin(), want.end(), [dir](auto a, auto b) {
      if (a.first != b.first) return dir == sdAscending ? a.first < b.first : a.first > b.first;
      return a.second < b.second;  // equal keys keep their order
    });
    // Equal keys keep the order they had before this sort.
    EXPECT_EQ(got, want) << dir;
    EXPECT_TRUE(TreeInvariantsHold(*t));
    int j = 0;
    for (PDataNode n = t->GetFirstNoInit(); n; n = n->NextSibling) t->GetNodeData<int>(n)[1] = j++;
  }
}

}  // namespace
}  // namespace qv::test
