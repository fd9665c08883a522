// The chunked item sequence behind the list box against a plain vector:
// random inserts, sorted inserts, erases and lookups across many chunk
// splits and removals must keep the same order and indexes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "platform/controls/ItemList.h"

namespace qv {
namespace {

void ExpectSame(const ItemList<int>& list, const std::vector<int>& model) {
  ASSERT_EQ(list.size(), model.size());
  for (std::size_t i = 0; i < model.size(); ++i) ASSERT_EQ(list[i], model[i]) << "at " << i;
  // Backwards and scattered lookups take other paths than a forward walk.
  for (std::size_t i = model.size(); i-- > 0;) ASSERT_EQ(list[i], model[i]) << "at " << i;
}

TEST(ItemListTest, RandomEditsMatchAVector) {
  std::mt19937 rng(7);
  ItemList<int> list;
  std::vector<int> model;
  for (int step = 0; step < 20000; ++step) {
    const unsigned op = rng() % 10;
    if (op < 6 || model.empty()) {
      const std::size_t at = rng() % (model.size() + 2);  // past the end appends
      const int value = int(rng() % 100000);
      list.insert(at, value);
      model.insert(model.begin() + std::ptrdiff_t(std::min(at, model.size())), value);
    } else if (op < 9) {
      const std::size_t at = rng() % model.size();
      list.erase(at);
      model.erase(model.begin() + std::ptrdiff_t(at));
    } else {
      const std::size_t at = rng() % model.size();
      ASSERT_EQ(list[at], model[at]);
    }
  }
  ExpectSame(list, model);
  // Erasing down to nothing and filling again.
  while (!model.empty()) {
    list.erase(model.size() / 2);
    model.erase(model.begin() + std::ptrdiff_t(model.size() / 2));
  }
  EXPECT_TRUE(list.empty());
  for (int i = 0; i < 300; ++i) list.insert(0, i), model.insert(model.begin(), i);
  ExpectSame(list, model);
}

TEST(ItemListTest, SortedInsertsReturnTheirIndexAndKeepEqualsInArrivalOrder) {
  std::mt19937 rng(11);
  ItemList<int> list;
  std::vector<int> model;
  for (int i = 0; i < 5000; ++i) {
    // Values carry their arrival in the low digits; order compares the rest.
    int value = int(rng() % 300) * 10000 + i;
    auto key = [](int v) { return v / 10000; };
    std::size_t at = list.InsertSorted(int(value), [&](int other) {
      return key(other) < key(value) ? -1 : key(other) > key(value) ? 1 : 0;
    });
    auto pos = std::upper_bound(model.begin(), model.end(), value,
                                [&](int v, int other) { return key(v) < key(other); });
    ASSERT_EQ(at, std::size_t(pos - model.begin()));
    model.insert(pos, value);
    if (i % 7 == 0) {
      std::size_t upper =
          list.UpperBound([&](int other) { return key(other) < 150 ? -1 : key(other) > 150; });
      auto bound =
          std::upper_bound(model.begin(), model.end(), 150, [&](int k, int v) { return k < key(v); });
      ASSERT_EQ(upper, std::size_t(bound - model.begin()));
    }
  }
  ExpectSame(list, model);
}

}  // namespace
}  // namespace qv
