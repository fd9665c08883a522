// The validation worker under stress: trees change structure and heights
// while the one shared worker rebuilds their position caches. Run under
// ThreadSanitizer by the test command's thread build.
#include <random>
#include <thread>

#include "TreeTestSupport.h"
#include "datatree/ValidationWorker.h"
#include "platform/window/MessageQueue.h"

namespace qv::test {
namespace {

using ValidationThreads = TreeTest;

// Runs this thread's messages until Done holds; every message the worker
// sends wakes the wait (the bound only paces the re-check).
template <class F>
void PumpUntil(F Done) {
  while (!Done()) {
    Application->ProcessMessages();
    if (!Done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

bool WaitForCache(TBaseDataTree& t) {
  PumpUntil([&] { return t.TreeStates().Contains(tsUseCache); });
  return true;
}

// The worker's messages as the trees' OnStateChange hears them.
struct HeardRun {
  TBaseDataTree* tree;
  TDataTreeStates enter, leave;
};
struct WorkerLog {
  std::vector<HeardRun> runs;  // the changes that enter or leave tsValidating
  bool offThread = false;
  DWORD thread = GetCurrentThreadId();
  void Listen(TBaseDataTree* t) {
    t->OnStateChange = [this](TBaseDataTree* s, TDataTreeStates e, TDataTreeStates l) {
      if (GetCurrentThreadId() != thread) offThread = true;
      if ((e + l).Contains(tsValidating)) runs.push_back({s, e, l});
    };
  }
  std::vector<HeardRun> Of(TBaseDataTree* t) const {
    std::vector<HeardRun> r;
    for (const HeardRun& h : runs)
      if (h.tree == t) r.push_back(h);
    return r;
  }
  bool Ended(TBaseDataTree* t) const {
    auto r = Of(t);
    return !r.empty() && r.back().leave.Contains(tsValidating);
  }
};

const TDataTreeStates kStarted{tsValidating}, kUseCache{tsUseCache};

TEST_F(ValidationThreads, ACompletedRunIsReportedOnTheWindowThread) {
  TDataStringTree* t = NewTree();
  t->SetNodeDataSize(4);
  WorkerLog log;
  log.Listen(t);
  t->SetRootNodeCount(20000);
  ASSERT_TRUE(WaitForCache(*t));
  auto runs = log.Of(t);
  ASSERT_GE(runs.size(), 2u);
  const HeardRun& start = runs[runs.size() - 2];
  const HeardRun& end = runs.back();
  EXPECT_TRUE(start.enter == kStarted && start.leave == kUseCache);
  EXPECT_TRUE(end.enter == kUseCache);
  EXPECT_TRUE(end.leave == (TDataTreeStates{tsStopValidation, tsValidating, tsValidationNeeded}));
  EXPECT_FALSE(log.offThread);
  for (TDataTreeState s : {tsValidating, tsStopValidation, tsValidationNeeded})
    EXPECT_FALSE(t->TreeStates().Contains(s));
  // Rows 0, 2000, ... 18000 and the last row.
  EXPECT_EQ(t->PositionCacheSize(), 11u);
  int top;
  EXPECT_EQ(t->GetNodeAt(0, 18 * 12345 + 3, false, top)->Index, 12345u);
  EXPECT_EQ(top, 18 * 12345);
  EXPECT_NE(ValidationWorker, nullptr);
  t->OnStateChange = nullptr;
}

TEST_F(ValidationThreads, TreesAreServedInQueueOrderOnceEachAndAStoppedOneIsSkipped) {
  TDataStringTree* trees[3] = {NewTree(), NewTree(), NewTree()};
  WorkerLog log;
  for (TDataStringTree* t : trees) {
    t->SetNodeDataSize(4);
    t->InterruptValidation();  // none of them waits or is validated now
    log.Listen(t);
  }
  // The worker blocks in its first message to trees[0] until this thread
  // handles messages, so all three wait before any run goes on.
  for (TDataStringTree* t : trees) t->SetRootNodeCount(5000);
  ValidationWorker->QueueTree(trees[1]);  // already waiting: still one entry
  ValidationWorker->SignalEvent();
  trees[1]->DoStateChange({tsStopValidation});  // its turn comes with the stop set
  PumpUntil([&] { return log.Ended(trees[2]); });
  std::vector<TBaseDataTree*> order;
  for (const HeardRun& h : log.runs)
    if (h.enter.Contains(tsValidating)) order.push_back(h.tree);
  EXPECT_EQ(order, (std::vector<TBaseDataTree*>{trees[0], trees[1], trees[2]}));
  EXPECT_TRUE(trees[0]->TreeStates().Contains(tsUseCache) && trees[2]->TreeStates().Contains(tsUseCache));
  // The stopped tree was not validated: enter 4 / leave 2, then leave 5.
  auto stopped = log.Of(trees[1]);
  ASSERT_EQ(stopped.size(), 2u);
  EXPECT_TRUE(stopped[0].enter == kStarted && stopped[0].leave == kUseCache);
  EXPECT_TRUE(stopped[1].enter.Empty());
  EXPECT_TRUE(stopped[1].leave == (TDataTreeStates{tsStopValidation, tsValidating}));
  EXPECT_FALSE(trees[1]->TreeStates().Contains(tsUseCache));
  EXPECT_TRUE(trees[1]->TreeStates().Contains(tsValidationNeeded));
  EXPECT_FALSE(trees[1]->TreeStates().Contains(tsValidating) ||
               trees[1]->TreeStates().Contains(tsStopValidation));
  EXPECT_FALSE(log.offThread);
  for (TDataStringTree* t : trees) t->OnStateChange = nullptr;
}

TEST_F(ValidationThreads, SmallTreesKeepNoCacheAndStayInNeedOfValidation) {
  TDataStringTree* t = NewTree();
  t->SetNodeDataSize(4);
  WorkerLog log;
  log.Listen(t);
  t->SetRootNodeCount(2000);
  PumpUntil([&] { return log.Ended(t); });
  EXPECT_EQ(t->PositionCacheSize(), 0u);
  EXPECT_FALSE(t->TreeStates().Contains(tsUseCache));
  EXPECT_TRUE(t->TreeStates().Contains(tsValidationNeeded));
  t->OnStateChange = nullptr;
}

TEST_F(ValidationThreads, TheLastTreeEndsTheWorker) {
  auto one = DetachedTree();
  auto two = DetachedTree();
  TWorkerThread* worker = ValidationWorker;
  ASSERT_NE(worker, nullptr);
  one->SetNodeDataSize(4);
  one->SetRootNodeCount(30000);  // queued or validating while it goes
  one.reset();
  EXPECT_EQ(ValidationWorker, worker);
  two.reset();
  EXPECT_EQ(ValidationWorker, nullptr);
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
    // A tree without a window hears nothing from the worker and walks from its first node.
    if (t == shown) {
      ASSERT_TRUE(WaitForCache(*t));
    }
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
  // The last expansion scrolled to the end, where every move that changes the
  // height would scroll the view: the moves are what is tested, from the top.
  t->SetOffsetY(0);
  std::mt19937 rng(5);
  for (int i = 0; i < 3000; ++i) {
    PDataNode source = nodes[rng() % nodes.size()];
    PDataNode target = nodes[rng() % nodes.size()];
    if (source == target || TBaseDataTree::HasAsParent(target, source)) continue;
    t->MoveTo(source, target, TDTNodeAttachMode(amInsertBefore + rng() % 4), false);
    if (i % 100 == 0) backend.Pump();
  }
  ASSERT_TRUE(WaitForCache(*t));
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
  EXPECT_EQ(ValidationWorker, nullptr);
}

}  // namespace
}  // namespace qv::test
