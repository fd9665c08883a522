// The validation worker under stress: trees change structure and heights
// while the one shared worker rebuilds their position caches. Run under
// ThreadSanitizer by the test command's thread build.
#include <random>
#include <thread>

#include "TreeTestSupport.h"
#include "datatree/ValidationWorker.h"

namespace qv::test {
namespace {

using ValidationThreads = TreeTest;

bool WaitForCache(TBaseDataTree& t, HeadlessBackend& b) {
  for (int i = 0; i < 4000; ++i) {
    if (t.HasState(tsUseCache)) return true;
    b.Pump();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return false;
}

TEST_F(ValidationThreads, WorkerBuildsCachesThatMatchTheWalk) {
  TDataStringTree* t = NewTree();
  t->SetNodeDataSize(4);
  t->SetRootNodeCount(20000);
  ASSERT_TRUE(WaitForCache(*t, backend));
  EXPECT_GE(t->PositionCacheSize(), 10u);
  int top;
  EXPECT_EQ(t->GetNodeAt(0, 18 * 12345 + 3, false, top)->Index, 12345u);
  EXPECT_EQ(top, 18 * 12345);
  EXPECT_TRUE(TValidationWorker::Running());
}

TEST_F(ValidationThreads, StructureChangesInterruptTheWorker) {
  // Two trees, one with a window and one without, changed while validating.
  TDataStringTree* shown = NewTree();
  auto hidden = DetachedTree();
  std::mt19937 rng(11);
  for (TBaseDataTree* t : {static_cast<TBaseDataTree*>(shown), static_cast<TBaseDataTree*>(hidden.get())}) {
    t->SetNodeDataSize(4);
    t->SetRootNodeCount(30000);
  }
  for (int round = 0; round < 300; ++round) {
    for (TBaseDataTree* t : {static_cast<TBaseDataTree*>(shown), static_cast<TBaseDataTree*>(hidden.get())}) {
      PDataNode n = t->GetFirstNoInit();
      uint32_t skip = rng() % 20000;
      for (uint32_t i = 0; i < skip && n; ++i) n = n->NextSibling;
      switch (rng() % 5) {
        case 0:
          t->SetChildCount(n, rng() % 4);
          break;
        case 1:
          t->SetExpanded(n, !t->Expanded(n));
          break;
        case 2:
          t->SetNodeHeight(n, 5 + rng() % 30);
          break;
        case 3:
          t->DeleteNode(n);
          break;
        default:
          t->AddChild(nullptr);
          break;
      }
      // No check of the state flags here: the worker may restart and finish a
      // validation between any two reads. The cache is checked against the walk below.
    }
    if (round % 10 == 0) backend.Pump();
  }
  for (TBaseDataTree* t : {static_cast<TBaseDataTree*>(shown), static_cast<TBaseDataTree*>(hidden.get())}) {
    ASSERT_TRUE(WaitForCache(*t, backend));
    ASSERT_TRUE(TreeInvariantsHold(*t));
    std::vector<PDataNode> visible;
    int y = 0;
    for (PDataNode n = t->GetFirstVisibleNoInit(); n; n = t->GetNextVisibleNoInit(n)) {
      if (visible.size() % 997 == 0) {
        int top;
        ASSERT_EQ(t->GetNodeAt(0, y, false, top), n);
      }
      visible.push_back(n);
      y += n->NodeHeight;
    }
  }
  hidden.reset();  // a tree destroyed while the worker may hold it
}

TEST_F(ValidationThreads, MovesWithinOneTreeWaitForTheWorker) {
  // Each move restarts the worker on the tree; the next one unlinks nodes
  // only once the worker has left it (ThreadSanitizer checks the rest).
  TDataStringTree* t = NewTree();
  t->SetNodeDataSize(4);
  t->SetRootNodeCount(20000);
  std::vector<PDataNode> nodes;
  for (PDataNode n = t->GetFirstNoInit(); n; n = n->NextSibling) nodes.push_back(n);
  for (int i = 0; i < 40; ++i) t->SetChildCount(nodes[size_t(i) * 500], 50);
  for (int i = 0; i < 40; ++i) t->SetExpanded(nodes[size_t(i) * 500], true);
  std::mt19937 rng(5);
  for (int i = 0; i < 3000; ++i) {
    PDataNode source = nodes[rng() % nodes.size()];
    PDataNode target = nodes[rng() % nodes.size()];
    if (source == target || TBaseDataTree::HasAsParent(target, source)) continue;
    t->MoveTo(source, target, TDTNodeAttachMode(amInsertBefore + rng() % 4), false);
    if (i % 100 == 0) backend.Pump();
  }
  ASSERT_TRUE(WaitForCache(*t, backend));
  ASSERT_TRUE(TreeInvariantsHold(*t));
  int y = 0, checked = 0;
  for (PDataNode n = t->GetFirstVisibleNoInit(); n; n = t->GetNextVisibleNoInit(n), ++checked) {
    if (checked % 499 == 0) {
      int top;
      ASSERT_EQ(t->GetNodeAt(0, y, false, top), n);
    }
    y += n->NodeHeight;
  }
}

TEST_F(ValidationThreads, ManyTreesComeAndGo) {
  for (int i = 0; i < 20; ++i) {
    auto t = DetachedTree();
    t->SetNodeDataSize(4);
    t->SetRootNodeCount(5000 + uint32_t(i) * 100);
    if (i % 3 == 0) t->SetChildCount(t->GetFirstNoInit(), 3);
  }
  EXPECT_FALSE(TValidationWorker::Running());
}

}  // namespace
}  // namespace qv::test
