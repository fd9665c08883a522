// The ID sequence, the global index (index.vlm) and sorted indexes (.idx).
#include <algorithm>
#include <fstream>
#include <map>
#include <random>

#include "storage/IdSequence.h"
#include "tests/storage/BaseFixture.h"

namespace qv::test {
namespace {

// --- TIdSequence against a plain vector ------------------------------------

TEST(IdSequence, RandomEditsMatchVector) {
  std::mt19937 rng(7);
  TIdSequence seq;
  std::vector<int64_t> model;
  for (int step = 0; step < 30000; ++step) {
    int op = int(rng() % 10);
    if (op < 6 || model.empty()) {
      int pos = int(rng() % (model.size() + 1));
      // Runs of inserts at one place split chunks repeatedly.
      if (step % 3000 < 1000) pos = int(model.size() / 2);
      seq.Insert(pos, step);
      model.insert(model.begin() + pos, step);
    } else if (op < 9) {
      int pos = int(rng() % model.size());
      seq.Remove(pos);
      model.erase(model.begin() + pos);
    } else {
      int pos = int(rng() % model.size());
      ASSERT_EQ(seq.Get(pos), model[std::size_t(pos)]) << "step " << step;
    }
    ASSERT_EQ(seq.Count(), int(model.size()));
  }
  EXPECT_EQ(seq.ToVector(), model);
  for (std::size_t i = 0; i < model.size(); ++i) ASSERT_EQ(seq.Get(int(i)), model[i]);
}

TEST(IdSequence, AssignThenEditAndRemoveEverything) {
  std::vector<int64_t> ids(5000);
  for (std::size_t i = 0; i < ids.size(); ++i) ids[i] = int64_t(i) * 3;
  TIdSequence seq;
  seq.Assign(ids);
  EXPECT_EQ(seq.ToVector(), ids);
  seq.Insert(5000, -1);
  seq.Insert(0, -2);
  EXPECT_EQ(seq.Get(0), -2);
  EXPECT_EQ(seq.Get(5001), -1);
  while (seq.Count() > 0) seq.Remove(seq.Count() / 2);
  EXPECT_TRUE(seq.ToVector().empty());
  seq.Insert(0, 9);
  EXPECT_EQ(seq.Get(0), 9);
}

// --- Global index ------------------------------------------------------------

class GIndexTest : public BaseTest {};

TEST_F(GIndexTest, AppendReadMarkDeletedAndForEach) {
  TXBase base;
  ASSERT_TRUE(Create(base)) << base.LastError;
  TXGIndex& g = base.GIndex();
  TXGIndexRec e;
  EXPECT_FALSE(g.ReadEntry(e, 0));
  EXPECT_EQ(e.Position, -1);
  EXPECT_EQ(e.KindId, 0u);
  EXPECT_EQ(e.Flags, 1u);

  bool called = false;
  EXPECT_TRUE(g.ForEach([&](const TXGIndexRec&, int64_t) { return called = true; }));
  EXPECT_FALSE(called);

  EXPECT_EQ(g.Append(0x41, 100), 1);
  EXPECT_EQ(g.Append(0x42, 200), 2);
  EXPECT_EQ(g.Append(0x41, 300), 3);
  EXPECT_EQ(g.Append(0x41, 400), 4);
  EXPECT_FALSE(g.ReadEntry(e, 5));
  EXPECT_EQ(e.Flags, 1u);

  EXPECT_TRUE(g.MarkDeleted(2));
  EXPECT_FALSE(g.MarkDeleted(5));
  ASSERT_TRUE(g.ReadEntry(e, 2));
  EXPECT_EQ(e.Position, 200);
  EXPECT_EQ(e.KindId, 0x42u);
  EXPECT_EQ(e.Flags, 2u);
  EXPECT_EQ(g.Append(0x41, -1), 5);  // deleted IDs are never given out again

  std::vector<int64_t> seen;
  EXPECT_FALSE(g.ForEach([&](const TXGIndexRec&, int64_t id) {
    seen.push_back(id);
    return id != 3;
  }));
  EXPECT_EQ(seen, (std::vector<int64_t>{1, 2, 3}));
  EXPECT_FALSE(g.WriteEntry(e, 0));
  EXPECT_FALSE(g.WriteEntry(e, 6));
}

TEST_F(GIndexTest, CommitWritesEntriesInPlaceAndReopens) {
  TXBase base;
  ASSERT_TRUE(Create(base));
  TXGIndex& g = base.GIndex();
  for (int i = 1; i <= 100; ++i) ASSERT_EQ(g.Append(uint32_t(i), i * 10), i);
  EXPECT_EQ(FileSizeOf(Folder() + "index.vlm"), 16);  // batched until Commit
  ASSERT_TRUE(g.Commit()) << g.LastError();
  EXPECT_EQ(FileSizeOf(Folder() + "index.vlm"), 16 * 101);
  ASSERT_TRUE(g.MarkDeleted(50));
  ASSERT_TRUE(g.WriteEntry({777, 7, 0}, 7));
  ASSERT_TRUE(g.Commit());

  TXGIndex reread;
  ASSERT_TRUE(reread.Open(base));
  EXPECT_EQ(reread.RecordCount(), 101);
  for (int i = 1; i <= 100; ++i) {
    TXGIndexRec a, b;
    g.ReadEntry(a, i);
    reread.ReadEntry(b, i);
    EXPECT_EQ(a.Position, b.Position);
    EXPECT_EQ(a.KindId, b.KindId);
    EXPECT_EQ(a.Flags, b.Flags);
  }
  TXGIndexRec e;
  reread.ReadEntry(e, 7);
  EXPECT_EQ(e.Position, 777);
}

TEST_F(GIndexTest, FailedCommitKeepsEverythingPending) {
  TXBase base(faults);
  ASSERT_TRUE(Create(base));
  TXGIndex& g = base.GIndex();
  ASSERT_EQ(g.Append(0x41, 64), 1);
  ASSERT_TRUE(g.Commit());
  ASSERT_EQ(g.Append(0x41, 96), 2);
  ASSERT_TRUE(g.MarkDeleted(1));
  for (int fail = 1; fail <= 3; ++fail) {
    faults.Reset();
    faults.FailOnlyWrite(fail);
    EXPECT_FALSE(g.Commit()) << "write " << fail;
    EXPECT_TRUE(g.HasPending());
  }
  faults.Reset();
  ASSERT_TRUE(g.Commit()) << g.LastError();
  TXGIndex reread;
  ASSERT_TRUE(reread.Open(base));
  TXGIndexRec e;
  ASSERT_TRUE(reread.ReadEntry(e, 1));
  EXPECT_EQ(e.Flags, 2u);
  ASSERT_TRUE(reread.ReadEntry(e, 2));
  EXPECT_EQ(e.Position, 96);
}

TEST_F(GIndexTest, ForeignShortAndTornFiles) {
  TXBase a, b;
  ASSERT_TRUE(Create(a, "a"));
  ASSERT_TRUE(Create(b, "b"));
  a.GIndex().Append(0x41, 5);
  ASSERT_TRUE(a.GIndex().Commit());

  // Files are written in place: a file put in place of the one a session
  // holds is not its file.
  auto writeInPlace = [](const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  };
  // index.vlm of another database does not bind.
  std::string data;
  ASSERT_TRUE(ReadWholeFile(Folder("a") + "index.vlm", data));
  writeInPlace(Folder("b") + "index.vlm", data);
  TXGIndex g;
  EXPECT_FALSE(g.Open(b));
  EXPECT_FALSE(g.Bound());

  // A torn last entry is ignored.
  writeInPlace(Folder("a") + "index.vlm", data + std::string(7, 'x'));
  ASSERT_TRUE(g.Open(a));
  EXPECT_EQ(g.RecordCount(), 2);
  g.Close();

  // A file shorter than its header does not open.
  writeInPlace(Folder("a") + "index.vlm", data.substr(0, 15));
  EXPECT_FALSE(g.Open(a));
}

// --- Sorted indexes ----------------------------------------------------------

class SortedIndexTest : public BaseTest {
 protected:
  void SetUp() override {
    BaseTest::SetUp();
    ASSERT_TRUE(Create(base)) << base.LastError;
    item = RecKind(base, "Item");
  }
  TXRecData* Key(int64_t k) {
    keys.push_back(TXRecData::Create(item, -1, -1));
    SetKey(keys.back().get(), k);
    return keys.back().get();
  }
  TXIndex* Index(uint32_t number = 0) { return base.GetIndex(base.AddIndex(item, number, CompareKeys)); }

  TXBase base;
  const TRecKind* item = nullptr;
  std::vector<std::unique_ptr<TXRecData>> keys;
};

TEST_F(SortedIndexTest, FileNames) {
  TContext ctx;
  ctx.Name = "N";
  TRecKind* k41 = ctx.AddRec("A");
  EXPECT_EQ(k41->Id, 0x41);
  EXPECT_EQ(TXIndex::FileName(base, k41, 2), base.Path() + "0041-002.idx");
  EXPECT_EQ(TXIndex::FileName(base, k41, 0xFFF), base.Path() + "0041-FFF.idx");
  EXPECT_EQ(TXIndex::FileName(base, k41, 0x1000), "");
  EXPECT_EQ(base.CreateIndex("Item", 0x1000, CompareKeys), nullptr);
  EXPECT_EQ(base.LastError, "Invalid index number 4096");
  EXPECT_EQ(base.OpenIndex("Nothing", 0, CompareKeys), nullptr);
  EXPECT_EQ(base.LastError, "Unknown kind name \"Nothing\"");
  EXPECT_EQ(base.OpenIndex("Int32", 0, CompareKeys), nullptr);
}

TEST_F(SortedIndexTest, FindInsertRemoveSemantics) {
  TXIndex* index = Index();
  ASSERT_TRUE(index->Init());
  int at = 0;
  EXPECT_EQ(index->Find(Key(5), at), 0);
  EXPECT_EQ(at, -1);

  int64_t below = AddItem(base, 1), equal = AddItem(base, 5), above = AddItem(base, 9);
  for (int64_t id : {below, equal, above}) ASSERT_TRUE(index->Insert(base.FetchData(id), -1));
  EXPECT_EQ(index->Find(Key(5), at), -1);
  EXPECT_EQ(at, 1);
  EXPECT_EQ(index->Find(Key(6), at), 2);
  EXPECT_EQ(at, -1);
  EXPECT_EQ(index->Find(Key(100), at), 3);

  // Equal keys are not inserted again; a given position is used unsearched.
  int64_t dup = AddItem(base, 5);
  EXPECT_FALSE(index->Insert(base.FetchData(dup), -1));
  EXPECT_EQ(index->Count(), 3);
  EXPECT_TRUE(index->Insert(base.FetchData(dup), 0));
  EXPECT_EQ(index->GetItem(0), dup);
  EXPECT_EQ(index->Count(), 4);

  EXPECT_FALSE(index->Remove(Key(7)));
  EXPECT_TRUE(index->Remove(Key(9)));
  EXPECT_EQ(IndexIds(*index), (std::vector<int64_t>{dup, below, equal}));
}

TEST_F(SortedIndexTest, FailedProbeIsReported) {
  TXIndex* index = Index();
  ASSERT_TRUE(index->Init());
  index->Assign({12345});  // no such record
  int at = 7;
  EXPECT_EQ(index->Find(Key(1), at), -1);
  EXPECT_EQ(at, -1);
  EXPECT_FALSE(index->Insert(Key(1), -1));
}

TEST_F(SortedIndexTest, RandomEditsKeepOrderAgainstModel) {
  TXIndex* index = Index();
  ASSERT_TRUE(index->Init());
  std::mt19937 rng(11);
  std::map<int64_t, int64_t> model;  // key -> id
  for (int step = 0; step < 1500; ++step) {
    int64_t k = int64_t(rng() % 400);
    if (rng() % 3) {
      int64_t id = AddItem(base, k);
      bool inserted = index->Insert(base.FetchData(id), -1);
      ASSERT_EQ(inserted, !model.count(k));
      if (inserted) model[k] = id;
    } else {
      ASSERT_EQ(index->Remove(Key(k)), model.erase(k) == 1);
    }
    if (step % 100 == 0) {
      ASSERT_TRUE(base.Flush());  // probes then read from the file
    }
  }
  std::vector<int64_t> expected;
  for (auto& [k, id] : model) expected.push_back(id);
  ASSERT_EQ(IndexIds(*index), expected);
  int pos = 0;
  for (auto& [k, id] : model) EXPECT_EQ(index->IndexOf(Key(k)), pos++);
}

TEST_F(SortedIndexTest, SaveLoadAndDamagedFiles) {
  std::vector<int64_t> ids;
  for (int k : {30, 10, 20}) ids.push_back(AddItem(base, k));
  TXIndex* index = base.CreateIndex("Item", 2, CompareKeys);
  ASSERT_NE(index, nullptr) << base.LastError;
  EXPECT_EQ(IndexIds(*index), (std::vector<int64_t>{ids[1], ids[2], ids[0]}));
  ASSERT_TRUE(base.Flush());
  const std::string file = index->FileName();
  std::string good;
  ASSERT_TRUE(ReadWholeFile(file, good));
  ASSERT_EQ(good.size(), 32u);
  EXPECT_EQ(good.substr(0, 8), std::string("\x41\0\0\0\x02\0\0\0", 8));

  TXIndex other(base, 2, CompareKeys, item);
  ASSERT_TRUE(other.Load());
  EXPECT_EQ(IndexIds(other), IndexIds(*index));

  auto loads = [&](const std::string& content) {
    EXPECT_TRUE(WriteFileAtomic(file, content));
    TXIndex probe(base, 2, CompareKeys, item);
    bool ok = probe.Load();
    EXPECT_EQ(probe.Loaded(), ok);
    probe.Discard();
    return ok;
  };
  std::string otherNumber = good;
  otherNumber[4] = 3;
  EXPECT_FALSE(loads(otherNumber));
  EXPECT_FALSE(loads(good.substr(0, 31)));  // odd size
  EXPECT_FALSE(loads(""));                  // no header
  std::string outOfRange = good;
  outOfRange[8] = char(0x7F);  // ID 127: no such entry
  EXPECT_FALSE(loads(outOfRange));
  std::string repeated = good;
  repeated.replace(16, 8, good.substr(8, 8));  // the same ID twice
  EXPECT_FALSE(loads(repeated));
  int64_t otherKind = [&] {
    TXRecData* rec = base.NewData(RecKind(base, "Other"));
    int64_t id = rec->ID;
    base.Release(rec);
    return id;
  }();
  std::string wrongKind = good;
  wrongKind[8] = char(otherKind);
  EXPECT_FALSE(loads(wrongKind));
  EXPECT_TRUE(loads(good));
}

TEST_F(SortedIndexTest, RebuildSkipsDeletedAndForeignAndKeepsFirstOfEqual) {
  int64_t a = AddItem(base, 3), b = AddItem(base, 1), c = AddItem(base, 3), d = AddItem(base, 2);
  TXRecData* other = base.NewData(RecKind(base, "Other"));
  base.Release(other);
  ASSERT_TRUE(base.DeleteData(d));
  TXIndex* index = base.CreateIndex("Item", 0, CompareKeys);
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(IndexIds(*index), (std::vector<int64_t>{b, a}));
  (void)c;
  EXPECT_EQ(base.CreateIndex("Item", 0, CompareKeys), nullptr);
  EXPECT_EQ(base.LastError, "Index is already initialized");
  // No file yet (it is written at the next Flush): the Part's OpenIndex
  // refuses to create it a second time.
  EXPECT_EQ(base.OpenIndex("Item", 0, CompareKeys), nullptr);
  EXPECT_EQ(base.LastError, "Index is already initialized");
  ASSERT_TRUE(base.Flush());
  EXPECT_EQ(base.OpenIndex("Item", 0, CompareKeys), index);
}

TEST_F(SortedIndexTest, ReopenLoadsAndDamagedFileIsRebuilt) {
  std::vector<int64_t> ids;
  for (int k = 0; k < 50; ++k) ids.push_back(AddItem(base, (k * 37) % 50));
  TXIndex* index = base.OpenIndex("Item", 1, CompareKeys);
  ASSERT_NE(index, nullptr);
  std::vector<int64_t> expected = IndexIds(*index);
  ASSERT_EQ(expected.size(), 50u);
  // Named as the folder was given: the index's own name goes through the
  // folder the session holds, and only while it is open.
  const std::string file = base.ShownPath() + ExtractFileName(index->FileName());
  EXPECT_TRUE(FileExists(file));  // a rebuilt index is saved at once
  ASSERT_TRUE(base.Close());

  ASSERT_TRUE(OpenDb(base));
  index = base.OpenIndex("Item", 1, CompareKeys);
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(IndexIds(*index), expected);
  ASSERT_TRUE(base.Close());

  // Byte flips, and cuts inside a record: the index comes back rebuilt. (A
  // cut at a record boundary looks like a shorter index and is not caught.)
  std::string good;
  ASSERT_TRUE(ReadWholeFile(file, good));
  std::mt19937 rng(3);
  for (int round = 0; round < 12; ++round) {
    std::string bad = good;
    if (round % 2) {
      std::size_t cut = rng() % good.size();
      bad.resize(cut % 8 ? cut : cut + 3);
    } else {
      bad[rng() % bad.size()] ^= char(1 << (rng() % 8));
    }
    ASSERT_TRUE(WriteFileAtomic(file, bad));
    ASSERT_TRUE(OpenDb(base));
    index = base.OpenIndex("Item", 1, CompareKeys);
    ASSERT_NE(index, nullptr) << base.LastError;
    EXPECT_EQ(IndexIds(*index), expected) << "round " << round;
    ASSERT_TRUE(base.Close());
    ASSERT_TRUE(ReadWholeFile(file, bad));
    EXPECT_EQ(bad, good) << "round " << round;
  }
}

}  // namespace
}  // namespace qv::test
