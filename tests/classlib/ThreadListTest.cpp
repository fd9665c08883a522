// TThreadList: duplicates policy, and the lock it holds between LockList and
// UnlockList against writers on other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "classlib/ThreadList.h"

namespace qv {
namespace {

TEST(ThreadList, DuplicatesFollowThePolicy) {
  TThreadList list;
  int a = 0, b = 0;
  list.Add(&a);
  list.Add(&a);  // ignored by default
  list.Add(&b);
  EXPECT_EQ(list.Count(), 2);
  list.Duplicates = dupError;
  EXPECT_THROW(list.Add(&b), EListError);
  list.Duplicates = dupAccept;
  list.Add(&b);
  EXPECT_EQ(list.Count(), 3);
  list.Remove(&b);  // the first occurrence only
  auto* items = list.LockList();
  EXPECT_EQ(*items, (TThreadList::TList{&a, &b}));
  list.UnlockList();
  list.Remove(&b);
  list.Remove(&b);  // absent: nothing happens
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(ThreadList, WritersWaitWhileTheListIsLocked) {
  TThreadList list;
  int item = 0;
  auto* locked = list.LockList();
  EXPECT_EQ(list.Count(), 0);  // the locking thread may call in again
  std::atomic<bool> added{false};
  std::thread writer([&] {
    list.Add(&item);
    added = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(added);
  EXPECT_TRUE(locked->empty());
  list.UnlockList();
  writer.join();
  EXPECT_TRUE(added);
  EXPECT_EQ(list.Count(), 1);
  // Many writers, no lost items.
  TThreadList many;
  many.Duplicates = dupAccept;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) many.Add(&item);
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(many.Count(), 4000);
}

}  // namespace
}  // namespace qv
