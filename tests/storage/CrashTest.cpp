// Crash consistency: a process that ends without Close, a power loss that
// drops every unsynced write, and a flush cut short at each of its writes.
// Reopening must give a consistent database holding what was flushed.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "classlib/IniFiles.h"
#include "tests/storage/BaseFixture.h"

namespace qv::test {
namespace {

// Runs body in a child process that ends with _exit, as a crash would: no
// destructor, no Close. The child's exit code tells whether body got through.
int RunChild(const std::function<bool()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    bool ok = false;
    try {
      ok = body();
    } catch (...) {
    }
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class CrashTest : public BaseTest {
 protected:
  // Items with keys key0, key0+1, ...; each inserted into the index.
  static bool AddIndexed(TXBase& base, TXIndex* index, int64_t key0, int count) {
    for (int i = 0; i < count; ++i) {
      TXRecData* rec = base.NewData(RecKind(base, "Item"));
      if (!rec) return false;
      SetKey(rec, key0 + (i * 7919) % count);  // inserted out of order
      if (!index->Insert(rec, -1) || !base.Release(rec)) return false;
    }
    return true;
  }
  // Every live Item, by key, read through the global index.
  static std::map<int64_t, int64_t> LiveItems(TXBase& base) {
    std::map<int64_t, int64_t> byKey;
    const uint32_t item = uint32_t(RecKind(base, "Item")->Id);
    base.GIndex().ForEach([&](const TXGIndexRec& e, int64_t id) {
      if (e.KindId != item || e.IsDeleted()) return true;
      TXRecData* rec = base.FetchData(id);
      if (rec)
        byKey[KeyOf(rec)] = id;
      else
        ADD_FAILURE() << "ID " << id << ": " << base.LastError;
      return true;
    });
    return byKey;
  }
  static std::vector<int64_t> Ids(const std::map<int64_t, int64_t>& byKey) {
    std::vector<int64_t> ids;
    for (auto& [k, id] : byKey) ids.push_back(id);
    return ids;
  }
};

TEST_F(CrashTest, ExitWithoutCloseRebuildsStaleIndexes) {
  int code = RunChild([&] {
    TXBase& base = *new TXBase;  // never destroyed: the process just ends
    if (!Create(base)) return false;
    TXIndex* index = base.OpenIndex("Item", 0, CompareKeys);
    if (!index || !AddIndexed(base, index, 0, 500) || !base.Flush()) return false;
    // The next flush writes records and index.vlm but not the .idx file,
    // which then lags behind; then the process dies.
    if (!AddIndexed(base, index, 1000, 100)) return false;
    std::filesystem::create_directory(index->FileName() + ".tmp");
    return !base.Flush();
  });
  ASSERT_EQ(code, 0);
  std::filesystem::remove(Folder() + "0041-000.idx.tmp");

  TMemIniFile ini(Folder() + "xbase.vlm");
  EXPECT_TRUE(ini.ReadBool("ENGINE", "Open", false));
  TXBase base;
  ASSERT_TRUE(OpenDb(base)) << base.LastError;
  std::map<int64_t, int64_t> live = LiveItems(base);
  EXPECT_EQ(live.size(), 600u);
  TXIndex* index = base.OpenIndex("Item", 0, CompareKeys);
  ASSERT_NE(index, nullptr) << base.LastError;
  EXPECT_EQ(IndexIds(*index), Ids(live));
  ASSERT_TRUE(base.Close());

  // A clean close clears the marker: the saved index is loaded as it stands.
  ASSERT_TRUE(OpenDb(base));
  index = base.OpenIndex("Item", 0, CompareKeys);
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(index->Count(), 600);
}

TEST_F(CrashTest, PowerLossKeepsExactlyTheFlushedState) {
  std::map<int64_t, std::string> flushed;  // id -> name at the flush
  int code = RunChild([&] {
    faults.TrackUnsynced(true);
    TXBase& base = *new TXBase(faults);  // never destroyed: the power goes first
    if (!Create(base)) return false;
    TXIndex* index = base.OpenIndex("Item", 0, CompareKeys);
    if (!index || !AddIndexed(base, index, 0, 300)) return false;
    for (int64_t id = 1; id <= 300; id += 7) SetName(base.GetData(id), "flushed");  // kept pinned
    if (!base.Flush()) return false;
    // Unflushed: rewrites in place, growth past old chains, new records,
    // deletions and index changes, some of them already in the files.
    for (int64_t id = 1; id <= 300; id += 3) {
      TXRecData* rec = base.GetData(id);
      SetName(rec, std::string(size_t(id % 90), 'u'));
      if (id % 2) base.Release(rec);
    }
    if (!AddIndexed(base, index, 5000, 50)) return false;
    for (int64_t id = 2; id <= 300; id += 11) base.DeleteData(id);
    faults.SimulatePowerLoss();
    return true;
  });
  ASSERT_EQ(code, 0);

  TXBase base;
  ASSERT_TRUE(OpenDb(base)) << base.LastError;
  EXPECT_EQ(base.GIndex().RecordCount(), 301);
  std::map<int64_t, int64_t> live = LiveItems(base);
  ASSERT_EQ(live.size(), 300u);
  EXPECT_EQ(live.begin()->first, 0);
  EXPECT_EQ(live.rbegin()->first, 299);
  for (auto& [key, id] : live) {
    EXPECT_EQ(NameOf(base.FetchData(id)), (id - 1) % 7 == 0 ? "flushed" : "") << "ID " << id;
  }
  TXIndex* index = base.OpenIndex("Item", 0, CompareKeys);
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(IndexIds(*index), Ids(live));
}

// A flush that stops writing at its k-th write (every later write fails too,
// as if the machine stopped there), then the process ends without Close.
TEST_F(CrashTest, FlushCutShortAtEveryWrite) {
  for (int k = 1;; ++k) {
    std::string name = "k" + std::to_string(k);
    int64_t writes = 0;
    {
      TXBase base(faults);
      ASSERT_TRUE(Create(base, name));
      TXIndex* index = base.OpenIndex("Item", 0, CompareKeys);
      ASSERT_TRUE(AddIndexed(base, index, 0, 20));
      ASSERT_TRUE(base.Flush());
      for (int64_t id = 1; id <= 20; id += 4) SetName(base.GetData(id), std::string(40, 'n'));
      ASSERT_TRUE(AddIndexed(base, index, 100, 5));
      faults.Reset();
      faults.FailWritesFrom(k);
      base.Flush();
      writes = faults.WriteCount();
      base.Close();  // fails, like everything else from write k on
    }
    faults.Reset();
    TXBase base;
    ASSERT_TRUE(OpenDb(base, name)) << "write " << k << ": " << base.LastError;
    std::map<int64_t, int64_t> live = LiveItems(base);
    // Either state of the flush, never a mixture that breaks a record.
    ASSERT_TRUE(live.size() == 20u || live.size() == 25u) << "write " << k;
    for (auto& [key, id] : live) {
      TXRecData* rec = base.FetchData(id);
      ASSERT_NE(rec, nullptr) << "write " << k << ": " << base.LastError;
      std::string n = NameOf(rec);
      EXPECT_TRUE(n.empty() || n == std::string(40, 'n')) << "write " << k;
    }
    TXIndex* index = base.OpenIndex("Item", 0, CompareKeys);
    ASSERT_NE(index, nullptr) << base.LastError;
    EXPECT_EQ(IndexIds(*index), Ids(live)) << "write " << k;
    if (writes < k) break;  // the flush and close got through
    ASSERT_LT(k, 100);
  }
}

// A flush whose process is killed before each of its writes in turn (index
// entries rewritten and appended, the journal, the recorded count, the
// sorted index, free space), with a torn tail left on index.vlm. The next
// open sees the flush whole or not at all, never a part: the renamed records
// carry their new names exactly when the new records are there.
TEST_F(CrashTest, FlushKilledAtEveryWriteIsWholeOrAbsent) {
  for (int64_t k = 1;; ++k) {
    SCOPED_TRACE("killed before write " + std::to_string(k));
    const std::string name = "kill" + std::to_string(k);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      TXBase& base = *new TXBase(faults);  // never destroyed: the process is killed
      if (!Create(base, name)) ::_exit(2);
      TXIndex* index = base.OpenIndex("Item", 0, CompareKeys);
      if (!index || !AddIndexed(base, index, 0, 20) || !base.Flush()) ::_exit(2);
      for (int64_t id = 1; id <= 20; id += 4) SetName(base.GetData(id), std::string(40, 'n'));
      if (!AddIndexed(base, index, 100, 5)) ::_exit(2);
      faults.SetWriteHook([k](int64_t n, const std::string&) {
        if (n == k) ::raise(SIGKILL);
      });
      ::_exit(base.Flush() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    ASSERT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0));
    std::ofstream(Folder(name) + "index.vlm", std::ios::binary | std::ios::app) << "torn!!!";

    TXBase base;
    ASSERT_TRUE(OpenDb(base, name)) << base.LastError;
    ASSERT_FALSE(base.ReadOnly()) << base.DamageText();
    std::map<int64_t, int64_t> live = LiveItems(base);
    ASSERT_TRUE(live.size() == 20u || live.size() == 25u);
    EXPECT_EQ(base.GIndex().RecordCount(), int64_t(live.size()) + 1);
    const std::string renamed = live.size() == 25u ? std::string(40, 'n') : std::string();
    for (int64_t id = 1; id <= 20; id += 4) EXPECT_EQ(NameOf(base.FetchData(id)), renamed) << "ID " << id;
    TXIndex* index = base.OpenIndex("Item", 0, CompareKeys);
    ASSERT_NE(index, nullptr) << base.LastError;
    EXPECT_EQ(IndexIds(*index), Ids(live));
    // The settled database takes the next flush.
    ASSERT_TRUE(AddIndexed(base, index, 500, 3));
    ASSERT_TRUE(base.Close());
    if (!killed) break;  // the flush got through before write k
    ASSERT_LT(k, 200);
  }
}

// Killed once the journal of the rewritten entries is on disk and before any
// of them reaches index.vlm: the flush has happened, and the next open applies
// the journal. The same journal torn (a kill while it was written) belongs to
// a flush that never happened: it is dropped with the entries appended.
TEST_F(CrashTest, AWholeJournalIsAppliedATornOneDropped) {
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    TXBase& base = *new TXBase(faults);  // never destroyed: the process is killed
    if (!Create(base)) ::_exit(2);
    TXIndex* index = base.OpenIndex("Item", 0, CompareKeys);
    if (!index || !AddIndexed(base, index, 0, 10) || !base.Flush()) ::_exit(2);
    for (int64_t id = 1; id <= 3; ++id) SetName(base.GetData(id), "renamed");
    if (!AddIndexed(base, index, 100, 2)) ::_exit(2);
    bool journal = false;
    faults.SetWriteHook([&](int64_t, const std::string& path) {
      if (path.find("index.jnl") != std::string::npos) journal = true;
      if (journal && path.find("index.vlm") != std::string::npos) ::raise(SIGKILL);
    });
    base.Flush();
    ::_exit(1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  ASSERT_TRUE(std::filesystem::exists(Folder() + "index.jnl"));
  std::filesystem::copy(Folder(), Folder("torn"));
  std::filesystem::resize_file(Folder("torn") + "index.jnl",
                               std::filesystem::file_size(Folder() + "index.jnl") - 3);

  for (const char* name : {"db", "torn"}) {
    SCOPED_TRACE(name);
    const bool whole = std::string(name) == "db";
    TXBase base;
    ASSERT_TRUE(OpenDb(base, name)) << base.LastError;
    EXPECT_FALSE(std::filesystem::exists(Folder(name) + "index.jnl"));
    EXPECT_EQ(LiveItems(base).size(), whole ? 12u : 10u);
    for (int64_t id = 1; id <= 3; ++id) EXPECT_EQ(NameOf(base.FetchData(id)), whole ? "renamed" : "");
    ASSERT_TRUE(base.Close());
  }
}

}  // namespace
}  // namespace qv::test
