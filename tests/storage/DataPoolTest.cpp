// The record pool against a plain ordered map as the model.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "storage/Context.h"
#include "storage/DataPool.h"

namespace qv {
namespace {

struct TPoolFixture : ::testing::Test {
  TContext ctx{"P"};
  TRecKind* kind = ctx.AddRec("R");
  std::unique_ptr<TXRecData> Rec(int64_t id) { return TXRecData::Create(kind, -1, id); }
};

TEST_F(TPoolFixture, MatchesAnOrderedModel) {
  TXDataPool pool;
  std::map<int64_t, TXRecData*> model;
  std::mt19937_64 rng(7);
  auto check = [&] {
    ASSERT_EQ(pool.Count(), model.size());
    std::vector<TXRecData*> sorted = pool.SortedByID();
    auto it = model.begin();
    for (TXRecData* r : sorted) EXPECT_EQ(r, (it++)->second);
  };
  for (int step = 0; step < 20000; ++step) {
    // Negative, clustered and far-apart IDs; collisions in the table are common.
    int64_t id = int64_t(rng() % 3000) - 100;
    if (step % 7 == 0) id = int64_t(rng());
    if (rng() % 3 == 0) {
      pool.Delete(id);
      model.erase(id);
    } else if (!model.count(id)) {
      model[id] = pool.Insert(Rec(id));
    }
    auto it = model.find(id);
    EXPECT_EQ(pool.Find(id), it == model.end() ? nullptr : it->second);
    if (step % 2000 == 0) check();
  }
  check();
  for (auto& [id, rec] : model) EXPECT_EQ(pool.Find(id), rec);
}

TEST_F(TPoolFixture, IndexOfCountsInAscendingSignedOrder) {
  TXDataPool pool;
  EXPECT_EQ(pool.Find(5), nullptr);
  EXPECT_EQ(pool.IndexOf(5), -1);
  for (int64_t id : {9, 2, 5, -4}) pool.Insert(Rec(id));
  EXPECT_EQ(pool.IndexOf(-4), 0);
  EXPECT_EQ(pool.IndexOf(5), 2);
  EXPECT_EQ(pool.IndexOf(6), -1);
  EXPECT_THROW(pool.Insert(Rec(5)), EAssertionFailed);
  pool.Delete(5);
  pool.Delete(5);
  EXPECT_EQ(pool.IndexOf(9), 2);
  pool.Clear();
  EXPECT_EQ(pool.Count(), 0u);
  EXPECT_EQ(pool.Find(9), nullptr);
}

TEST_F(TPoolFixture, PinsTravelWithTheRecord) {
  TXDataPool pool;
  TXRecData* r = pool.Insert(Rec(1));
  EXPECT_EQ(r->Pins, 0);
  ++pool.Find(1)->Pins;
  for (int64_t id = 2; id < 1000; ++id) pool.Insert(Rec(id));  // the table grows; records stay put
  EXPECT_EQ(pool.Find(1), r);
  EXPECT_EQ(r->Pins, 1);
}

}  // namespace
}  // namespace qv
