// The node store on its own, without a tree: linking and unlinking against
// the totals up the parent chain, membership of live, freed, unlinked and
// foreign nodes, and the position cache's lookups by node and by pixel.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "datatree/DataNodeStore.h"

namespace qv::test {
namespace {

class DataNodeStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store.Pool().SetSlotSize(sizeof(TDataNode));
    store.CreateRoot(18, sizeof(TDataNode));
  }
  PDataNode Add(PDataNode parent, uint16_t height = 18) {
    PDataNode n = store.NewNode(height);
    store.Link(n, parent, amAddChildLast);
    return n;
  }
  // Recomputes a subtree's count and height from the links.
  static std::pair<uint32_t, uint64_t> Totals(PDataNode n) {
    uint32_t count = 1;
    uint64_t height = n->NodeHeight;
    for (PDataNode c = n->FirstChild; c; c = c->NextSibling) {
      auto [cc, ch] = Totals(c);
      count += cc;
      if (n->Has(vsExpanded)) height += ch;
    }
    return {count, height};
  }
  TDataNodeStore store;
};

TEST_F(DataNodeStoreTest, LinksKeepCountsHeightsAndIndexes) {
  PDataNode root = store.Root();
  std::vector<PDataNode> nodes;
  std::mt19937 rng(7);
  for (int i = 0; i < 300; ++i) {
    PDataNode parent = nodes.empty() || rng() % 3 == 0 ? root : nodes[rng() % nodes.size()];
    parent->Include(vsExpanded);
    PDataNode n = store.NewNode(uint16_t(10 + rng() % 30));
    auto mode = TDTNodeAttachMode(amInsertBefore + rng() % 4);
    PDataNode destination = mode == amInsertBefore || mode == amInsertAfter
                                ? (parent->FirstChild ? parent->FirstChild : nullptr)
                                : parent;
    if (!destination) destination = parent, mode = amAddChildFirst;
    store.Link(n, destination, mode);
    nodes.push_back(n);
  }
  // Move a third of them elsewhere (never below themselves).
  for (int i = 0; i < 100; ++i) {
    PDataNode n = nodes[rng() % nodes.size()];
    store.Unlink(n, true);
    store.Link(n, root, amAddChildFirst);
  }
  auto [count, height] = Totals(root);
  EXPECT_EQ(root->TotalCount, count);
  EXPECT_EQ(uint64_t(root->TotalHeight), height);
  for (PDataNode n : nodes) {
    uint32_t index = 0;
    for (PDataNode s = n->Parent->FirstChild; s != n; s = s->NextSibling) ++index;
    EXPECT_EQ(n->Index, index);
  }
}

TEST_F(DataNodeStoreTest, OwnsOnlyLiveLinkedNodes) {
  PDataNode a = Add(store.Root());
  PDataNode b = Add(store.Root());
  PDataNode c = Add(b);
  EXPECT_TRUE(store.Owns(a));
  EXPECT_TRUE(store.Owns(b));
  EXPECT_TRUE(store.Owns(c));
  EXPECT_FALSE(store.Owns(store.Root()));
  EXPECT_FALSE(store.Owns(nullptr));
  TDataNode foreign{};
  EXPECT_FALSE(store.Owns(&foreign));
  EXPECT_FALSE(store.Owns(reinterpret_cast<char*>(a) + 8));  // inside a slot
  // Unlinked, then freed: neither is a member any more.
  store.Unlink(a, true);
  EXPECT_FALSE(store.Owns(a));
  store.FreeNode(a);
  EXPECT_FALSE(store.Owns(a));
  EXPECT_TRUE(store.Owns(b));
  // The slot comes back as a fresh node: a member again once linked.
  PDataNode again = Add(store.Root());
  EXPECT_EQ(again, a);
  EXPECT_TRUE(store.Owns(again));
}

TEST_F(DataNodeStoreTest, CacheFindsTheEntryAtOrBefore) {
  PDataNode root = store.Root();
  std::vector<PDataNode> rows;
  for (int i = 0; i < 5000; ++i) rows.push_back(Add(root, 20));
  store.SetVisibleCount(5000);
  ASSERT_TRUE(store.BuildCache(nullptr));
  // One entry per 2000 rows (rows 0, 2000, 4000) and the last row at its top.
  EXPECT_EQ(store.CacheSize(), 4u);
  int64_t top = -1;
  EXPECT_EQ(store.FindInCache(rows[1999], top), rows[0]);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(store.FindInCache(rows[2345], top), rows[2000]);
  EXPECT_EQ(top, 2000 * 20);
  EXPECT_EQ(store.FindInCache(int64_t(4000 * 20 - 1), top), rows[2000]);
  EXPECT_EQ(store.FindInCache(int64_t(4321 * 20 + 5), top), rows[4000]);
  EXPECT_EQ(store.FindInCache(rows[4999], top), rows[4999]);
  EXPECT_EQ(top, 4999 * 20);
  EXPECT_EQ(store.FindInCache(int64_t(999999), top), rows[4999]);
  EXPECT_EQ(top, 4999 * 20);
  // The row index built by the same walk answers alike from nearer rows.
  const int step = int(TDataNodeStore::kRowIndexSpacing);
  EXPECT_EQ(store.FindNearRow(rows[2345], top), rows[2345 / step * step]);
  EXPECT_EQ(top, 2345 / step * step * 20);
  EXPECT_EQ(store.FindNearRow(int64_t(4321 * 20 + 5), top), rows[4321 / step * step]);
  EXPECT_EQ(top, 4321 / step * step * 20);
  EXPECT_EQ(store.FindNearRow(rows[0], top), rows[0]);
  EXPECT_EQ(store.FindNearRow(int64_t(-1), top), nullptr);
  store.ClearCache();
  EXPECT_EQ(store.FindNearRow(rows[4999], top), nullptr);
  EXPECT_EQ(top, 0);
  std::atomic<bool> stop{true};
  EXPECT_FALSE(store.BuildCache(&stop));
}

TEST_F(DataNodeStoreTest, TheClosingEntryFollowsTheLastRowEvenWhenItIsCachedAlready) {
  PDataNode root = store.Root();
  std::vector<PDataNode> rows;
  for (int i = 0; i < 4001; ++i) rows.push_back(Add(root, 20));
  store.SetVisibleCount(4001);
  ASSERT_TRUE(store.BuildCache(nullptr));
  // Rows 0, 2000 and 4000, then the closing entry for row 4000 as well.
  EXPECT_EQ(store.CacheSize(), 4u);
  int64_t top = -1;
  EXPECT_EQ(store.FindInCache(rows[4000], top), rows[4000]);
  EXPECT_EQ(top, 4000 * 20);
  EXPECT_EQ(store.FindInCache(rows[3999], top), rows[2000]);
  EXPECT_EQ(top, 2000 * 20);
  EXPECT_EQ(store.FindInCache(int64_t(4000 * 20 + 19), top), rows[4000]);
  EXPECT_EQ(top, 4000 * 20);
  EXPECT_EQ(store.FindInCache(int64_t(4000 * 20 - 1), top), rows[2000]);
  EXPECT_EQ(store.FindInCache(int64_t(1) << 40, top), rows[4000]);
  EXPECT_EQ(top, 4000 * 20);
  // An emptied cache finds nothing.
  store.ClearCache();
  EXPECT_EQ(store.FindInCache(rows[4000], top), nullptr);
}

}  // namespace
}  // namespace qv::test
