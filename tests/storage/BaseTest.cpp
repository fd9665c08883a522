// The database object: lifecycle and files, records and pins, the flush
// contract under injected write failures, and damaged description files.
#include <atomic>
#include <filesystem>
#include <map>
#include <random>

#include "classlib/IniFiles.h"
#include "tests/storage/BaseFixture.h"

namespace qv::test {
namespace {

// --- Lifecycle and files -------------------------------------------------------

TEST_F(BaseTest, CreateNewMakesParentsAndTheFileSet) {
  TXBase base;
  const std::string path = dir / "a/b/c";  // no trailing delimiter
  ASSERT_TRUE(base.CreateNew(path, "quirvane", schema, "secret")) << base.LastError;
  EXPECT_TRUE(base.Opened());
  EXPECT_EQ(base.ShownPath(), path + "/");
  EXPECT_TRUE(base.Pass);
  EXPECT_EQ(FileSizeOf(path + "/storage.vlm"), 32);
  EXPECT_EQ(FileSizeOf(path + "/index.vlm"), 16);
  EXPECT_GT(FileSizeOf(path + "/context.vlm"), 0);

  // The description exists at once and marks the session open.
  TMemIniFile ini(path + "/xbase.vlm");
  ASSERT_TRUE(ini.Loaded());
  EXPECT_EQ(ini.ReadString("GENERAL", "ID", ""), base.GetIDText());
  EXPECT_EQ(ini.ReadString("GENERAL", "Pass", ""), "1");
  EXPECT_EQ(ini.ReadString("USERS", "Count", ""), "1");
  EXPECT_EQ(ini.ReadString("USERS", "U_00_L", ""), "quirvane");
  EXPECT_EQ(ini.ReadString("USERS", "U_00_S", "").size(), 64u);
  EXPECT_TRUE(ini.ValueExists("USERS", "U_00_P"));
  EXPECT_EQ(ini.ReadString("USERS", "U_00_P", "?"), "");
  EXPECT_TRUE(ini.ReadBool("ENGINE", "Open", false));

  // Close rewrites GENERAL and USERS, clears the marker, keeps other sections.
  ASSERT_TRUE(base.Close());
  TMemIniFile extra(path + "/xbase.vlm");
  extra.WriteString("MINE", "Key", "kept");
  ASSERT_TRUE(extra.UpdateFile());
  ASSERT_TRUE(base.Open(path, "quirvane", "secret")) << base.LastError;
  base.Name = "Discs";
  ASSERT_TRUE(base.Close());
  EXPECT_FALSE(base.Opened());
  TMemIniFile after(path + "/xbase.vlm");
  EXPECT_EQ(after.ReadString("GENERAL", "Name", ""), "Discs");
  EXPECT_FALSE(after.ReadBool("ENGINE", "Open", true));
  EXPECT_EQ(after.ReadString("MINE", "Key", ""), "kept");
  EXPECT_FALSE(base.Close());  // not open
}

TEST_F(BaseTest, OpenChecksLoginAndPassword) {
  {
    TXBase base;
    ASSERT_TRUE(Create(base));
    base.Name = "N";
  }
  TXBase base;
  EXPECT_FALSE(base.Open(Folder(), "Quirvane", "secret"));
  EXPECT_EQ(base.LastError, "Invalid user login \"Quirvane\"");
  EXPECT_FALSE(base.Open(Folder(), "quirvane", "Secret"));
  EXPECT_EQ(base.LastError, "Invalid password");
  EXPECT_FALSE(base.Opened());
  EXPECT_EQ(base.UserCount(), 0);
  ASSERT_TRUE(base.Open(Folder(), "quirvane", "secret")) << base.LastError;
  EXPECT_EQ(base.Name, "N");
  EXPECT_TRUE(base.Pass);
  EXPECT_EQ(base.User()->Rights, MasterRights);

  TXBase other;
  EXPECT_FALSE(other.Open(dir / "missing", "quirvane", ""));
  EXPECT_EQ(other.LastError, "Path \"" + (dir / "missing") + "\" does not exist");
  std::filesystem::create_directory(dir / "empty");
  EXPECT_FALSE(other.Open(dir / "empty", "quirvane", ""));
  EXPECT_EQ(other.LastError, "Failed to find dtabase file \"" + (dir / "empty/xbase.vlm") + "\"");
}

TEST_F(BaseTest, EmptyPasswordDatabase) {
  TXBase base;
  ASSERT_TRUE(Create(base, "db", ""));
  EXPECT_FALSE(base.Pass);
  int64_t id = AddItem(base, 42);
  ASSERT_TRUE(base.Close());
  ASSERT_TRUE(OpenDb(base, "db", ""));
  EXPECT_EQ(KeyOf(base.GetData(id)), 42);
}

TEST_F(BaseTest, FlushProgressSequences) {
  std::vector<int> seen;  // outlives the database, whose Close reports too
  TXBase base;
  ASSERT_TRUE(Create(base));
  base.OnProgress = [&](int p) { seen.push_back(p); };
  auto flushWith = [&](int records) {
    for (int i = 0; i < records; ++i) SetKey(base.NewData(RecKind(base, "Item")), i);
    seen.clear();
    EXPECT_TRUE(base.Flush());
    return seen;
  };
  EXPECT_EQ(flushWith(0), (std::vector<int>{0, 0}));
  EXPECT_EQ(flushWith(1), (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(flushWith(2), (std::vector<int>{0, 100, 0}));
  EXPECT_EQ(flushWith(9), (std::vector<int>{0, 12, 25, 37, 50, 62, 75, 87, 100, 0}));
}

// --- Records -------------------------------------------------------------------

TEST_F(BaseTest, RecordEdgeCases) {
  TXBase base;
  ASSERT_TRUE(Create(base));
  EXPECT_EQ(base.GetData(-1), nullptr);
  EXPECT_EQ(base.LastError, "Ivalid data ID");
  EXPECT_EQ(base.GetData(0), nullptr);
  EXPECT_EQ(base.LastError, "Unknown kind ID = 00000000");
  EXPECT_EQ(base.GetData(99), nullptr);
  EXPECT_EQ(base.LastError, "Unknown kind ID = 00000000");

  // Records are made of the database's own kinds only.
  EXPECT_EQ(base.NewData(static_cast<TRecKind*>(schema.KindByName("Item"))), nullptr);
  EXPECT_EQ(base.LastError, "Unknown kind ID = 00000041");

  // A record never given a value is not written.
  TXRecData* blank = base.NewData(RecKind(base, "Item"));
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(blank->ID, 1);
  ASSERT_TRUE(base.Flush());
  EXPECT_EQ(FileSizeOf(Folder() + "storage.vlm"), 32);
  TXRecData* again = base.GetData(1);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Position, -1);
  EXPECT_TRUE(again->GetField(0)->IsEmpty());
  base.Release(again);

  int64_t id = AddItem(base, 5, "five");
  ASSERT_TRUE(base.DeleteData(id));
  TXRecData* gone = base.GetData(id);
  ASSERT_NE(gone, nullptr);
  EXPECT_TRUE(gone->IsDeleted());
  EXPECT_TRUE(gone->GetField(0)->IsEmpty());
  EXPECT_TRUE(base.DeleteData(id));  // pooled and already deleted

  EXPECT_FALSE(base.DeleteData(0));
  EXPECT_EQ(base.LastError, "");
  EXPECT_FALSE(base.DeleteData(-1));
  EXPECT_EQ(base.LastError, "Invalid data ID");
}

TEST_F(BaseTest, PinsKeepRecordsAcrossFlush) {
  TXBase base;
  ASSERT_TRUE(Create(base));
  int64_t a = AddItem(base, 1), b = AddItem(base, 2);
  EXPECT_EQ(base.Pool().Count(), 0u);  // released at once

  TXRecData* held = base.GetData(a);
  TXRecData* twice = base.GetData(a);
  ASSERT_EQ(held, twice);
  base.FetchData(b);  // an unpinned probe
  SetKey(held, 10);
  ASSERT_TRUE(base.Flush());
  EXPECT_EQ(base.Pool().Count(), 1u);  // only the pinned record stays
  EXPECT_EQ(base.Pool().Find(a), held);
  EXPECT_FALSE(held->IsModified());

  ASSERT_TRUE(base.Release(twice));
  EXPECT_EQ(twice, nullptr);
  EXPECT_EQ(base.Pool().Find(a), held);
  SetKey(held, 11);
  ASSERT_TRUE(base.Release(held));  // last pin: saved and freed
  EXPECT_EQ(base.Pool().Count(), 0u);
  EXPECT_FALSE(base.Release(held));  // nil

  // A pinned record deleted stays until its last Release, which writes nothing.
  TXRecData* doomed = base.GetData(b);
  SetKey(doomed, 99);
  ASSERT_TRUE(base.DeleteData(b));
  EXPECT_EQ(base.Pool().Find(b), doomed);
  EXPECT_TRUE(doomed->IsDeleted());
  ASSERT_TRUE(base.Flush());
  EXPECT_EQ(base.Pool().Find(b), doomed);
  ASSERT_TRUE(base.Release(doomed));
  EXPECT_EQ(base.Pool().Count(), 0u);
  ASSERT_TRUE(base.Close());

  ASSERT_TRUE(OpenDb(base));
  EXPECT_EQ(KeyOf(base.GetData(a)), 11);
  EXPECT_TRUE(base.GetData(b)->IsDeleted());
}

TEST_F(BaseTest, ClearGlobalAccessIndexStartsOver) {
  TXBase base(faults);
  ASSERT_TRUE(Create(base));
  for (int i = 0; i < 5; ++i) AddItem(base, i);
  TXIndex* index = base.CreateIndex("Item", 0, CompareKeys);
  ASSERT_NE(index, nullptr);
  ASSERT_TRUE(base.Flush());

  // A wipe that cannot record itself changes nothing.
  faults.FailWritesFrom(1);
  EXPECT_FALSE(base.ClearGlobalAccessIndex());
  EXPECT_EQ(base.LastError, "Failed to clear global access index: No space left on device");
  EXPECT_FALSE(base.CommitReached());
  faults.Reset();
  EXPECT_EQ(index->Count(), 5);
  EXPECT_EQ(KeyOf(base.GetData(5)), 4);
  EXPECT_EQ(AddItem(base, 9), 6);

  ASSERT_TRUE(base.ClearGlobalAccessIndex()) << base.LastError;
  EXPECT_EQ(FileSizeOf(Folder() + "storage.vlm"), 32);
  EXPECT_EQ(FileSizeOf(Folder() + "index.vlm"), 16);
  EXPECT_EQ(index->Count(), 0);
  EXPECT_TRUE(index->Loaded());
  EXPECT_EQ(FileSizeOf(index->FileName()), 8);
  EXPECT_EQ(AddItem(base, 7), 1);
  ASSERT_TRUE(base.Close());
  ASSERT_TRUE(OpenDb(base));
  EXPECT_EQ(KeyOf(base.GetData(1)), 7);
}

// --- Against a model -----------------------------------------------------------

struct ModelRecord {
  int64_t key = 0;
  std::string name;
  int64_t link = -1;
  std::vector<int64_t> links;
  bool deleted = false;
};

void Store(TXRecData* rec, const ModelRecord& m) {
  SetKey(rec, m.key);
  SetName(rec, m.name);
  rec->FieldAs<TXRefData>(2)->SetRefID(m.link);
  auto* arr = rec->FieldAs<TXArrData>(3);
  arr->Clear();
  for (int64_t id : m.links) arr->AddRef(id);
}

void Compare(TXRecData* rec, const ModelRecord& m, int64_t id) {
  ASSERT_NE(rec, nullptr) << "ID " << id;
  ASSERT_EQ(rec->IsDeleted(), m.deleted) << "ID " << id;
  if (m.deleted) return;
  EXPECT_EQ(KeyOf(rec), m.key) << "ID " << id;
  EXPECT_EQ(NameOf(rec), m.name) << "ID " << id;
  EXPECT_EQ(rec->FieldAs<TXRefData>(2)->RefID(), m.link) << "ID " << id;
  auto* arr = rec->FieldAs<TXArrData>(3);
  std::vector<int64_t> links;
  for (int i = 0; i < arr->Count(); ++i) links.push_back(arr->GetRef(i));
  EXPECT_EQ(links, m.links) << "ID " << id;
}

TEST_F(BaseTest, RandomWritesMatchModelAcrossReopen) {
  TXBase base;
  ASSERT_TRUE(Create(base));
  std::mt19937 rng(2024);
  std::map<int64_t, ModelRecord> model;
  auto randomRecord = [&] {
    ModelRecord m;
    m.key = int64_t(rng() % 100000) - 50000;
    m.name = std::string(rng() % 60, char('a' + rng() % 26));
    m.link = model.empty() ? -1 : int64_t(rng() % (model.size() + 1));
    for (unsigned n = rng() % (rng() % 10 ? 4 : 300); n > 0; --n) m.links.push_back(int64_t(rng() % 5000));
    return m;
  };
  for (int step = 0; step < 10000; ++step) {
    int op = int(rng() % 100);
    if (op < 45 || model.size() < 10) {
      TXRecData* rec = base.NewData(RecKind(base, "Item"));
      ASSERT_NE(rec, nullptr);
      model[rec->ID] = randomRecord();
      Store(rec, model[rec->ID]);
      if (rng() % 2) {
        EXPECT_TRUE(base.Release(rec));  // else left for the flush
      }
    } else if (op < 80) {
      int64_t id = int64_t(rng() % model.size()) + 1;
      if (model[id].deleted) continue;
      TXRecData* rec = base.GetData(id);
      ModelRecord m = randomRecord();
      if (rng() % 4 == 0) m.links = model[id].links, m.links.push_back(7);  // grows in place
      model[id] = m;
      Store(rec, m);
      if (rng() % 3) {
        EXPECT_TRUE(base.Release(rec));
      }
    } else if (op < 88) {
      int64_t id = int64_t(rng() % model.size()) + 1;
      ASSERT_EQ(base.DeleteData(id), true);
      model[id].deleted = true;
    } else if (op < 97) {
      int64_t id = int64_t(rng() % model.size()) + 1;
      Compare(base.FetchData(id), model[id], id);
    } else if (op < 99) {
      ASSERT_TRUE(base.Flush()) << base.LastError;
    } else {
      ASSERT_TRUE(base.Close()) << base.LastError;
      ASSERT_TRUE(OpenDb(base)) << base.LastError;
    }
  }
  ASSERT_TRUE(base.Close());
  ASSERT_TRUE(OpenDb(base));
  for (auto& [id, m] : model) {
    Compare(base.FetchData(id), m, id);
    if (HasFatalFailure()) return;
  }
}

// A flush large enough to encipher on several threads writes the same
// records as one record at a time would, rewrites included.
TEST_F(BaseTest, LargeFlushRoundTrips) {
  TXBase base;
  ASSERT_TRUE(Create(base));
  std::map<int64_t, ModelRecord> model;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 3000; ++i) {
      const int64_t id = round == 0 ? -1 : int64_t(i) + 1;
      TXRecData* rec = round == 0 ? base.NewData(RecKind(base, "Item")) : base.FetchData(id);
      ASSERT_NE(rec, nullptr);
      ModelRecord m;
      m.key = i * (round + 1);
      m.name = std::string(std::size_t(i % 50), char('a' + i % 26));
      m.links.assign(std::size_t(20 + (i * 7 + round) % 40), int64_t(i));
      model[rec->ID] = m;
      Store(rec, m);
    }
    ASSERT_TRUE(base.Flush()) << base.LastError;
  }
  ASSERT_TRUE(base.Close());
  ASSERT_TRUE(OpenDb(base));
  for (auto& [id, m] : model) {
    Compare(base.FetchData(id), m, id);
    if (HasFatalFailure()) return;
  }
}

// --- Injected write failures ---------------------------------------------------

TEST_F(BaseTest, FailedFlushKeepsChangesAndRetriedCloseWritesThem) {
  TXBase base(faults);
  ASSERT_TRUE(Create(base));
  std::vector<int64_t> ids;
  for (int i = 0; i < 20; ++i) {
    TXRecData* rec = base.NewData(RecKind(base, "Item"));
    SetKey(rec, i * 3);
    ids.push_back(rec->ID);
  }
  faults.FailWritesFrom(1);
  EXPECT_FALSE(base.Flush());
  // The failure names the system's reason.
  EXPECT_EQ(base.LastError.rfind("Some data has not been updated: ", 0), 0u) << base.LastError;
  EXPECT_NE(base.LastError.find("No space left on device"), std::string::npos) << base.LastError;
  EXPECT_EQ(base.Pool().Count(), 20u);
  EXPECT_FALSE(base.Close());
  EXPECT_TRUE(base.Opened());
  for (int64_t id : ids) EXPECT_TRUE(base.Pool().Find(id)->IsModified());
  faults.Reset();
  ASSERT_TRUE(base.Close()) << base.LastError;
  ASSERT_TRUE(OpenDb(base));
  for (int i = 0; i < 20; ++i) EXPECT_EQ(KeyOf(base.GetData(ids[std::size_t(i)])), i * 3);
}

// Fails each single write of a flush and close in turn (data file, its sync,
// index.vlm, its sync, the .idx file, xbase.vlm): every failure is reported,
// and retrying writes everything.
TEST_F(BaseTest, EveryFailedWriteIsReportedAndRetried) {
  int failures = 0;
  for (int k = 1;; ++k) {
    std::string name = "k" + std::to_string(k);
    TXBase base(faults);
    ASSERT_TRUE(Create(base, name));
    AddItem(base, 100);
    ASSERT_NE(base.CreateIndex("Item", 0, CompareKeys), nullptr);
    ASSERT_TRUE(base.Flush());
    TXRecData* grown = base.GetData(1);
    SetName(grown, std::string(200, 'g'));  // rewritten past its old chain
    std::vector<int64_t> added;
    for (int i = 0; i < 3; ++i) {
      TXRecData* rec = base.NewData(RecKind(base, "Item"));
      SetKey(rec, i);
      base.GetIndex(0)->Insert(rec, -1);
      added.push_back(rec->ID);
    }
    ASSERT_TRUE(base.GetIndex(0)->Remove(base.FetchData(added[1])));
    ASSERT_TRUE(base.DeleteData(added[1]));
    faults.Reset();
    faults.FailOnlyWrite(k);
    bool flushed = base.Flush();
    bool closed = flushed && base.Close();
    int64_t writes = faults.WriteCount();
    faults.Reset();
    if (flushed && closed && writes < k) break;  // no write left to fail
    if (!closed) {
      ++failures;
      EXPECT_FALSE(base.LastError.empty());
      ASSERT_TRUE(base.Close()) << "write " << k << ": " << base.LastError;
    }
    ASSERT_TRUE(OpenDb(base, name)) << "write " << k << ": " << base.LastError;
    EXPECT_EQ(NameOf(base.GetData(1)), std::string(200, 'g')) << "write " << k;
    EXPECT_TRUE(base.GetData(added[1])->IsDeleted());
    TXIndex* index = base.OpenIndex("Item", 0, CompareKeys);
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(IndexIds(*index), (std::vector<int64_t>{added[0], added[2], 1})) << "write " << k;
    ASSERT_LT(k, 100);
  }
  EXPECT_GE(failures, 5);
}

TEST_F(BaseTest, FailedReleaseKeepsTheRecordPinned) {
  TXBase base(faults);
  ASSERT_TRUE(Create(base));
  int64_t id = AddItem(base, 1);
  // A rewrite leaves the first chain free after the next flush, so the
  // failing write below goes to the file at once, not to write-behind.
  ASSERT_TRUE(base.Flush());
  TXRecData* rec = base.GetData(id);
  SetKey(rec, 3);
  ASSERT_TRUE(base.Release(rec));
  ASSERT_TRUE(base.Flush());
  ASSERT_GT(base.FreeSpace().FreeBytes(), 0);
  rec = base.GetData(id);
  SetKey(rec, 2);
  faults.FailWritesFrom(1);
  EXPECT_FALSE(base.Release(rec));
  EXPECT_NE(rec, nullptr);
  EXPECT_EQ(rec->Pins, 1);
  EXPECT_EQ(base.Pool().Find(id), rec);
  faults.Reset();
  ASSERT_TRUE(base.Release(rec));
  ASSERT_TRUE(base.Close());
  ASSERT_TRUE(OpenDb(base));
  EXPECT_EQ(KeyOf(base.GetData(id)), 2);
}

TEST_F(BaseTest, FailedDescriptionWriteFailsClose) {
  TXBase base;
  ASSERT_TRUE(Create(base));
  AddItem(base, 1);
  // A folder where the temporary description file goes makes the write fail.
  std::filesystem::create_directory(Folder() + "xbase.vlm.tmp");
  // The flush cannot record what it committed, so it fails first.
  EXPECT_FALSE(base.Close());
  EXPECT_EQ(base.LastError.rfind("Some data has not been updated: Failed to write database description", 0),
            0u)
      << base.LastError;
  EXPECT_TRUE(base.Opened());
  EXPECT_FALSE(base.WriteDescription());
  std::filesystem::remove(Folder() + "xbase.vlm.tmp");
  ASSERT_TRUE(base.Close());
}

TEST_F(BaseTest, ReplacingAfterAFailedCloseDropsThePool) {
  TXBase base(faults);
  ASSERT_TRUE(Create(base, "first"));
  TXRecData* held = base.GetData(AddItem(base, 1));
  SetKey(held, 5);
  for (int i = 0; i < 10; ++i) SetKey(base.NewData(RecKind(base, "Item")), i);
  faults.FailOnlyWrite(1);  // the first record's write
  EXPECT_FALSE(base.Close());
  EXPECT_EQ(base.Pool().Count(), 11u);

  // The second database's context replaces the first one's: the old records
  // must be gone before that (ASan catches any left behind).
  TContext other;
  other.Name = "Other";
  other.AddRec("Only")->AddField("X", other.KindByName("Int32"));
  faults.Reset();
  faults.FailOnlyWrite(1);  // the Close inside CreateNew fails again
  ASSERT_TRUE(base.CreateNew(Folder("second"), "quirvane", other, "")) << base.LastError;
  EXPECT_EQ(base.LastError.rfind("Some data has not been updated: ", 0), 0u) << base.LastError;
  EXPECT_EQ(base.Pool().Count(), 0u);
  EXPECT_EQ(base.Context().KindByName("Item"), nullptr);
  SetKey(base.NewData(RecKind(base, "Only")), 3);
  ASSERT_TRUE(base.Close());

  // The first database holds record 1 either as it was or as changed (the
  // retried write may have gone through). A failed write ends its flush, so
  // the new records after it were never written: each reads as set or, its
  // chain never written, empty.
  ASSERT_TRUE(OpenDb(base, "first"));
  const auto first = KeyOf(base.GetData(1));
  EXPECT_TRUE(first == 1 || first == 5) << first;
  for (int i = 0; i < 10; ++i) {
    const auto key = KeyOf(base.GetData(2 + i));
    EXPECT_TRUE(key == i || key == 0) << key;
  }
}

// Each database writes through the hooks it was given: a fault armed for one
// neither fails nor counts the other's writes in the same process.
TEST_F(BaseTest, TwoDatabasesInOneProcessSeeOnlyTheirOwnFaults) {
  FaultInjector full, counting;
  TXBase failing(full), passing(counting);
  ASSERT_TRUE(Create(failing, "failing"));
  ASSERT_TRUE(Create(passing, "passing"));
  std::atomic<int> strays{0};
  full.FailWritesFrom(1);
  counting.SetWriteHook([&](int64_t, const std::string& path) {
    if (path.rfind(passing.Path(), 0) != 0) ++strays;
  });
  SetKey(failing.NewData(RecKind(failing, "Item")), 2);
  SetKey(passing.NewData(RecKind(passing, "Item")), 3);

  EXPECT_FALSE(failing.Flush());
  EXPECT_EQ(failing.LastError.rfind("Some data has not been updated: ", 0), 0u) << failing.LastError;
  const int64_t failed = full.WriteCount();
  EXPECT_GT(failed, 0);
  ASSERT_TRUE(passing.Flush()) << passing.LastError;
  ASSERT_TRUE(passing.Close()) << passing.LastError;
  EXPECT_GT(counting.WriteCount(), 0);
  EXPECT_EQ(full.WriteCount(), failed);
  EXPECT_EQ(strays, 0);

  full.Reset();
  ASSERT_TRUE(failing.Close()) << failing.LastError;
  ASSERT_TRUE(OpenDb(failing, "failing"));
  ASSERT_TRUE(OpenDb(passing, "passing"));
  EXPECT_EQ(KeyOf(failing.GetData(1)), 2);
  EXPECT_EQ(KeyOf(passing.GetData(1)), 3);
}

// --- Locks and hostile folders --------------------------------------------------

TEST_F(BaseTest, SecondOpenOfTheSameFolderIsRefused) {
  TXBase first;
  ASSERT_TRUE(Create(first));
  int64_t id = AddItem(first, 8);
  ASSERT_TRUE(first.Flush());

  TXBase second;
  EXPECT_FALSE(OpenDb(second));
  EXPECT_EQ(second.LastError, "Database is in use");
  // A create never writes over a database, in use or not.
  EXPECT_FALSE(Create(second));
  EXPECT_EQ(second.LastError, "A database already exists in this folder");
  EXPECT_FALSE(second.Opened());

  EXPECT_EQ(KeyOf(first.GetData(id)), 8);
  ASSERT_TRUE(first.Close());
  ASSERT_TRUE(OpenDb(second)) << second.LastError;
  EXPECT_EQ(KeyOf(second.GetData(id)), 8);
}

TEST_F(BaseTest, UnusableFoldersFailWithoutThrowing) {
  TXBase base;
  ASSERT_TRUE(WriteFileAtomic(dir / "plain", "x"));
  EXPECT_FALSE(base.CreateNew(dir / "plain/sub", "quirvane", schema, ""));
  EXPECT_EQ(base.LastError, "Failed to create path \"" + (dir / "plain/sub") + "\"");
  EXPECT_FALSE(base.CreateNew("", "quirvane", schema, ""));
  EXPECT_FALSE(base.CreateNew(Folder(), "", schema, ""));
  EXPECT_EQ(base.LastError, "Failed to initialize master access");

  // storage.vlm is a folder: neither create nor open can use it.
  std::filesystem::create_directories(Folder("blocked") + "storage.vlm");
  EXPECT_FALSE(Create(base, "blocked"));
  EXPECT_FALSE(base.LastError.empty());
  EXPECT_FALSE(base.Opened());

  ASSERT_TRUE(Create(base, "ok"));
  ASSERT_TRUE(base.Close());
  std::filesystem::remove(Folder("ok") + "storage.vlm");
  std::filesystem::create_directory(Folder("ok") + "storage.vlm");
  EXPECT_FALSE(OpenDb(base, "ok"));
  EXPECT_FALSE(base.LastError.empty());
}

// --- Damaged description and global index files --------------------------------

class DamagedFilesTest : public BaseTest {
 protected:
  void SetUp() override {
    BaseTest::SetUp();
    TXBase base;
    ASSERT_TRUE(Create(base));
    for (int i = 0; i < 20; ++i) AddItem(base, i, "n" + std::to_string(i));
    ASSERT_TRUE(base.Close());
    ASSERT_TRUE(ReadWholeFile(Folder() + "xbase.vlm", description));
    ASSERT_TRUE(ReadWholeFile(Folder() + "index.vlm", gindex));
  }
  std::string WithKey(const std::string& section, const std::string& key, const std::string& value) {
    EXPECT_TRUE(WriteFileAtomic(Folder() + "xbase.vlm", description));
    TMemIniFile ini(Folder() + "xbase.vlm");
    ini.WriteString(section, key, value);
    EXPECT_TRUE(ini.UpdateFile());
    TXBase base;
    bool ok = OpenDb(base);
    return ok ? "opened" : base.LastError;
  }
  std::string description, gindex;
};

// A value that is not of the form the format gives its key shows damage of
// xbase.vlm, and the open says so, naming the key; a well-formed value that
// does not match (a check value, which a wrong password cannot be told
// from, a login) keeps its plain message.
TEST_F(DamagedFilesTest, DescriptionFaultsGiveMessages) {
  auto damaged = [](const std::string& key, const std::string& section, const std::string& what) {
    return "xbase.vlm is damaged: key \"" + key + "\" of [" + section + "] " + what +
           "; with the catalogue closed, put back all of its files from one copy";
  };
  const std::string notGuid = damaged("ID", "GENERAL", "is not a database ID (a GUID)");
  EXPECT_EQ(WithKey("GENERAL", "ID", "not a guid"), notGuid);
  EXPECT_EQ(WithKey("GENERAL", "ID", ""), "Invalid database ID");
  EXPECT_EQ(WithKey("GENERAL", "ID", "{00000000-0000-0000-0000-00000000000G}"), notGuid);
  EXPECT_EQ(WithKey("GENERAL", "ID", "{00000000-0000-0000-0000-000000000000}"),
            "Failed to open global index");
  EXPECT_EQ(WithKey("USERS", "Count", "0"), "Database has no master account");
  EXPECT_EQ(WithKey("USERS", "Count", "-3"), damaged("Count", "USERS", "is not a count of users"));
  EXPECT_EQ(WithKey("USERS", "Count", "1x"), damaged("Count", "USERS", "is not a count of users"));
  EXPECT_EQ(WithKey("USERS", "U_00_L", ""), damaged("U_00_L", "USERS", "(a login) is missing or empty"));
  const std::string check = "(the check value of login \"quirvane\") ";
  EXPECT_EQ(WithKey("USERS", "U_00_S", std::string(63, 'A')),
            damaged("U_00_S", "USERS", check + "is not 64 hex digits"));
  EXPECT_EQ(WithKey("USERS", "U_00_S", std::string(64, 'Z')),
            damaged("U_00_S", "USERS", check + "is not 64 hex digits"));
  EXPECT_EQ(WithKey("USERS", "U_00_S", ""), damaged("U_00_S", "USERS", check + "is not 64 hex digits"));
  EXPECT_EQ(WithKey("USERS", "U_00_P", "12"),
            damaged("U_00_P", "USERS",
                    "(the wrapped key of login \"quirvane\") is neither empty "
                    "nor 64 hex digits"));
  // The password is right, and the check value gives the master's rights.
  EXPECT_EQ(WithKey("USERS", "U_00_P", std::string(64, '0')),
            damaged("U_00_P", "USERS",
                    "(the wrapped key of login \"quirvane\") does not fit the rights its check value gives"));
  EXPECT_EQ(WithKey("USERS", "U_00_S", std::string(64, 'A')), "Invalid password");
  EXPECT_EQ(WithKey("USERS", "U_00_L", "someone"), "Invalid user login \"quirvane\"");
  // A count above the users present is tolerated: the users that are there work.
  EXPECT_EQ(WithKey("USERS", "Count", "2147483647"), "opened");
  // No user at all, and nothing that says one was lost.
  EXPECT_TRUE(WriteFileAtomic(Folder() + "xbase.vlm", description));
  {
    TMemIniFile ini(Folder() + "xbase.vlm");
    ini.EraseSection("USERS");
    ini.WriteString("USERS", "Count", "0");
    EXPECT_TRUE(ini.UpdateFile());
  }
  TXBase base;
  EXPECT_FALSE(OpenDb(base));
  EXPECT_EQ(base.LastError, "Database has no master account");
}

TEST_F(DamagedFilesTest, MutatedFilesNeverThrowOrCrash) {
  std::mt19937 rng(99);
  auto tryOpen = [&] {
    TXBase base;
    bool ok = false;
    EXPECT_NO_THROW(ok = OpenDb(base));
    if (!ok) {
      EXPECT_FALSE(base.LastError.empty());
      return;
    }
    for (int64_t id = 0; id <= 22; ++id) {
      TXRecData* rec = base.GetData(id);
      if (rec) base.Release(rec);
    }
    EXPECT_NO_THROW(base.Close());
  };
  for (int round = 0; round < 60; ++round) {
    std::string d = description, g = gindex;
    std::string& target = round % 2 ? d : g;
    if (round % 3 == 0)
      target.resize(rng() % (target.size() + 1));
    else
      for (int n = 0; n < 4; ++n) target[rng() % target.size()] = char(rng());
    ASSERT_TRUE(WriteFileAtomic(Folder() + "xbase.vlm", d));
    ASSERT_TRUE(WriteFileAtomic(Folder() + "index.vlm", g));
    tryOpen();
  }
}

}  // namespace
}  // namespace qv::test
