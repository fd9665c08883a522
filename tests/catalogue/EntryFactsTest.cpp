// The search's facts table: entries and name reference lists across pages,
// and lists that a damaged catalogue would tangle are left unknown rather
// than chained into loops.
#include <gtest/gtest.h>

#include "catalogue/EntryFacts.h"

namespace qv {
namespace {

TEST(EntryFacts, KeepsEntriesAndReferenceListsInOrder) {
  TEntryFacts facts;
  const int64_t name = 5, far = (int64_t(1) << 20) + 3;  // on another page
  facts.PutRefs(name, {10, far});
  facts.AddRef(name, 11);
  facts.PutEntry(far, {7, 2, 300, 1.5});
  std::vector<int64_t> refs;
  facts.Refs(name, refs);
  EXPECT_EQ(refs, (std::vector<int64_t>{10, far, 11}));
  TEntryFacts::Entry e{};
  ASSERT_TRUE(facts.FindEntry(far, e));
  EXPECT_EQ(e.disc, 7);
  EXPECT_EQ(e.parent, 2);
  EXPECT_EQ(e.size, 300);
  EXPECT_FALSE(facts.FindEntry(10, e));  // listed, but its facts were never read
  EXPECT_FALSE(facts.KnowsRefs(6));
  facts.AddRef(6, 12);  // an unknown list stays unknown
  EXPECT_FALSE(facts.KnowsRefs(6));
  facts.Clear();
  EXPECT_FALSE(facts.KnowsRefs(name));
  EXPECT_FALSE(facts.FindEntry(far, e));
}

TEST(EntryFacts, TangledListsAreLeftUnknown) {
  TEntryFacts facts;
  facts.PutRefs(1, {10, 10});  // one reference twice
  EXPECT_FALSE(facts.KnowsRefs(1));
  facts.PutRefs(2, {20, 21});
  facts.PutRefs(3, {21, 22});  // a reference another name lists
  EXPECT_FALSE(facts.KnowsRefs(3));
  EXPECT_TRUE(facts.KnowsRefs(2));
  facts.AddRef(2, 2);  // a name listing itself
  EXPECT_FALSE(facts.KnowsRefs(2));
  // Forgotten lists release their references for another name.
  facts.PutRefs(4, {20, 21, -1});
  EXPECT_FALSE(facts.KnowsRefs(4));
  facts.PutRefs(4, {20, 21, 22});
  std::vector<int64_t> refs;
  facts.Refs(4, refs);
  EXPECT_EQ(refs, (std::vector<int64_t>{20, 21, 22}));
  facts.PutEntry(4, {1, 1, 1, 1});  // a name's ID is no entry
  TEntryFacts::Entry e{};
  EXPECT_FALSE(facts.FindEntry(4, e));
}

}  // namespace
}  // namespace qv
