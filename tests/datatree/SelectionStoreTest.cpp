// The selection array on its own against a std::set model: inserts in any
// order, marks that only count once packed, erasing (marked entries too),
// clearing and finding.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "datatree/DataNode.h"
#include "datatree/SelectionStore.h"

namespace qv::test {
namespace {

TEST(SelectionStore, AgreesWithASetThroughInsertsMarksAndPacks) {
  std::vector<TDataNode> nodes(400);
  std::mt19937 rng(9);
  TSelectionStore store;
  std::set<PDataNode> model, marked;
  for (int step = 0; step < 2000; ++step) {
    int op = int(rng() % 6);
    if (op < 2) {
      TNodeArray batch;
      for (int i = int(rng() % 5); i >= 0; --i) {
        PDataNode n = &nodes[rng() % nodes.size()];
        if (!model.count(n) && std::find(batch.begin(), batch.end(), n) == batch.end()) batch.push_back(n);
      }
      for (PDataNode n : batch) model.insert(n);
      store.Insert(batch);
    } else if (op == 2 && !model.empty()) {
      PDataNode n = *std::next(model.begin(), ptrdiff_t(rng() % model.size()));
      store.Mark(n);
      marked.insert(n);
    } else if (op == 3 && !model.empty()) {
      int at = int(rng() % model.size());
      PDataNode n = store.Node(at);
      store.Erase(at);
      model.erase(n);
      marked.erase(n);
    } else if (op == 4 && rng() % 50 == 0) {
      store.Clear();
      model.clear();
      marked.clear();
    } else {
      int packed = store.Pack();
      EXPECT_EQ(packed, marked.empty() ? -1 : int(model.size() - marked.size()));
      for (PDataNode n : marked) model.erase(n);
      marked.clear();
    }
    ASSERT_EQ(store.Count(), int32_t(model.size()));
    int i = 0;
    for (PDataNode n : model) {
      ASSERT_EQ(store.Node(i), n);
      ASSERT_EQ(store.IsMarked(i), marked.count(n) == 1);
      int at = -1;
      ASSERT_TRUE(store.Find(n, at));
      ASSERT_EQ(at, i++);
    }
  }
  int at;
  TDataNode outside{};
  EXPECT_FALSE(store.Find(&outside, at));
  store.Clear();
  EXPECT_EQ(store.Count(), 0);
}

}  // namespace
}  // namespace qv::test
