// Damaged index files: a sorted index whose file was cut or reordered is
// rebuilt rather than trusted; an index.vlm shorter than the last commit
// recorded, or one that no longer fits an intact sorted index, opens the
// database for reading only, and it then hands out no ID and writes nothing.
#include <functional>

#include "classlib/IniFiles.h"
#include "tests/storage/BaseFixture.h"

namespace qv::test {
namespace {

class DamagedIndexTest : public BaseTest {
 protected:
  // 40 items in a key index, closed cleanly.
  void Build() {
    TXBase base;
    ASSERT_TRUE(Create(base));
    TXIndex* index = base.OpenIndex("Item", 0, CompareKeys);
    ASSERT_NE(index, nullptr);
    for (int i = 0; i < 40; ++i) {
      TXRecData* rec = base.NewData(RecKind(base, "Item"));
      SetKey(rec, (i * 17) % 40);
      ASSERT_TRUE(index->Insert(rec, -1));
      base.Release(rec);
    }
    ASSERT_TRUE(base.Close());
  }
  std::string File(const std::string& name) { return Folder() + name; }
  void Rewrite(const std::string& name, const std::function<void(std::string&)>& change) {
    std::string data;
    ASSERT_TRUE(ReadWholeFile(File(name), data));
    change(data);
    ASSERT_TRUE(WriteFileAtomic(File(name), data));
  }
  // The keys in index order after a reopen.
  std::vector<int64_t> Keys(TXBase& base) {
    TXIndex* index = base.OpenIndex("Item", 0, CompareKeys);
    std::vector<int64_t> keys;
    if (!index) return keys;
    for (int i = 0; i < index->Count(); ++i) keys.push_back(KeyOf(base.FetchData(index->GetItem(i))));
    return keys;
  }
  std::vector<int64_t> AllKeys() {
    std::vector<int64_t> k(40);
    for (int i = 0; i < 40; ++i) k[std::size_t(i)] = i;
    return k;
  }
};

TEST_F(DamagedIndexTest, CutOrReorderedIndexFileIsRebuilt) {
  Build();
  const std::string idx = "0041-000.idx";
  Rewrite(idx, [](std::string& d) { d.resize(d.size() - 8); });  // one ID fewer, still well formed
  TXBase base;
  ASSERT_TRUE(OpenDb(base));
  EXPECT_EQ(Keys(base), AllKeys());
  EXPECT_FALSE(base.ReadOnly());
  ASSERT_TRUE(base.Close());

  Rewrite(idx, [](std::string& d) { std::swap_ranges(d.begin() + 8, d.begin() + 24, d.begin() + 40); });
  ASSERT_TRUE(OpenDb(base));
  EXPECT_EQ(Keys(base), AllKeys());
  ASSERT_TRUE(base.Close());
}

TEST_F(DamagedIndexTest, ShortGlobalIndexOpensReadOnlyAndHandsOutNoId) {
  Build();
  TMemIniFile ini(File("xbase.vlm"));
  EXPECT_EQ(ini.ReadString("ENGINE", "Entries", ""), "41");  // the header and 40 items
  Rewrite("index.vlm", [](std::string& d) { d.resize(d.size() - 16); });
  const std::string before = [&] {
    std::string all, part;
    for (const char* f : {"index.vlm", "storage.vlm", "0041-000.idx", "xbase.vlm"}) {
      ReadWholeFile(File(f), part);
      all += part;
    }
    return all;
  }();
  TXBase base;
  ASSERT_TRUE(OpenDb(base)) << base.LastError;
  EXPECT_TRUE(base.ReadOnly());
  EXPECT_NE(base.DamageText().find("reading only"), std::string::npos) << base.DamageText();
  EXPECT_EQ(base.NewData(RecKind(base, "Item")), nullptr);
  EXPECT_EQ(base.LastError,
            "The database is damaged and opened for reading only; to write it again, empty it with Database, "
            "Clear, or close it and put back all of its files from one copy");
  TXRecData* rec = base.GetData(3);
  ASSERT_NE(rec, nullptr);
  SetKey(rec, 99);
  EXPECT_FALSE(base.Release(rec));
  EXPECT_FALSE(base.DeleteData(4));
  EXPECT_TRUE(base.Close());
  std::string after, part;
  for (const char* f : {"index.vlm", "storage.vlm", "0041-000.idx", "xbase.vlm"}) {
    ReadWholeFile(File(f), part);
    after += part;
  }
  EXPECT_EQ(after, before) << "a read-only database wrote to its files";
}

TEST_F(DamagedIndexTest, GlobalIndexThatNoLongerFitsItsCommitIsDamage) {
  Build();
  // Entry 5 claims the kind "Other": the commit mark's sum of the whole
  // index finds it at open, before the intact .idx file is even read.
  Rewrite("index.vlm", [](std::string& d) { d[5 * 16 + 8] = char(0x42); });
  TXBase base;
  ASSERT_TRUE(OpenDb(base));
  EXPECT_TRUE(base.ReadOnly());
  EXPECT_NE(base.DamageText().find("index.vlm is not as the last commit"), std::string::npos)
      << base.DamageText();
  EXPECT_EQ(Keys(base).size(), 39u);
  EXPECT_TRUE(base.Close());
}

TEST_F(DamagedIndexTest, ClearedDatabaseRecordsItsShorterIndex) {
  Build();
  TXBase base;
  ASSERT_TRUE(OpenDb(base));
  ASSERT_NE(base.OpenIndex("Item", 0, CompareKeys), nullptr);
  ASSERT_TRUE(base.ClearGlobalAccessIndex());
  ASSERT_TRUE(base.Close());
  ASSERT_TRUE(OpenDb(base));
  EXPECT_FALSE(base.ReadOnly());
  EXPECT_TRUE(Keys(base).empty());
  EXPECT_NE(base.NewData(RecKind(base, "Item")), nullptr);
  ASSERT_TRUE(base.Close());
}

}  // namespace
}  // namespace qv::test
