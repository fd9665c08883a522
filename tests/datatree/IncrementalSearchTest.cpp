// The incremental search on its own: typed text grows and shrinks, the same
// key steps through the matches and wraps, and a miss leaves the text alone.
#include "TreeTestSupport.h"
#include "datatree/IncrementalSearch.h"

namespace qv::test {
namespace {

using IncrementalSearch = TreeTest;

TEST_F(IncrementalSearch, KeysWalkTheMatchesInTreeOrder) {
  auto t = DetachedTree();
  t->SetNodeDataSize(4);
  static const char16_t* texts[] = {u"apple", u"banana", u"abc", u"berry", u"avocado"};
  t->OnGetText = [](TBaseDataTree*, PDataNode n, TColumnIndex, TVSTTextType, std::u16string& s) {
    s = texts[n->Index];
  };
  t->SetRootNodeCount(5);
  std::vector<PDataNode> rows;
  for (PDataNode n = t->GetFirst(); n; n = t->GetNext(n)) rows.push_back(n);
  TIncrementalSearch search(*t);
  bool failed = false;
  auto key = [&](char16_t k, PDataNode focused) {
    PDataNode found = search.Key(k, isAll, ssFocusedNode, sdForward, focused, failed);
    if (found) search.Accept(found);
    return found;
  };
  EXPECT_EQ(key(u'a', nullptr), rows[0]);
  EXPECT_EQ(key(u'b', rows[0]), rows[2]);  // "ab"
  EXPECT_EQ(search.Buffer(), u"ab");
  EXPECT_EQ(key(u'x', rows[2]), nullptr);  // "abx" matches nothing
  EXPECT_TRUE(failed);
  EXPECT_EQ(search.Buffer(), u"ab");
  EXPECT_EQ(key(8, rows[2]), rows[0]);  // back to "a", searched backwards from "abc"
  search.Reset();
  // The same first letter again steps on to the next match and wraps round.
  EXPECT_EQ(key(u'b', rows[0]), rows[1]);
  EXPECT_EQ(key(u'b', rows[1]), rows[3]);
  EXPECT_EQ(key(u'b', rows[3]), rows[1]);
  EXPECT_EQ(search.LastHit(), rows[1]);
  search.ForgetNode(rows[1]);
  EXPECT_EQ(search.LastHit(), nullptr);
}

}  // namespace
}  // namespace qv::test
