// Reuse of data file space: the free list against a byte model, its file
// against damage, and a database driven through random rewrites, flushes,
// cut-short flushes and power losses, checked against a model of what was
// committed: no committed chain is ever overwritten, and after every crash
// each record reads back as last flushed (or as the flush that was cut).
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include "storage/FreeSpace.h"
#include "storage/StreamStrings.h"
#include "tests/storage/BaseFixture.h"

namespace qv::test {
namespace {

// --- The free list on its own ----------------------------------------------------

TEST(FreeSpaceList, HandsOutOnlyFreeBytesAndMergesNeighbours) {
  constexpr int64_t kSpan = 4000;
  std::vector<char> state(kSpan, 'u');  // u: in use, f: free, p: pending
  TFreeSpace space;
  std::mt19937 rng(7);
  std::vector<std::pair<int64_t, int64_t>> used;  // stretches handed out or never freed
  for (int64_t at = 32; at < kSpan;) {
    int64_t n = 1 + int64_t(rng() % 60);
    if (at + n > kSpan) n = kSpan - at;
    used.push_back({at, n});
    at += n;
  }
  for (int step = 0; step < 2500; ++step) {
    int op = int(rng() % 10);
    if (op < 4 && !used.empty()) {
      std::size_t k = rng() % used.size();
      auto [at, n] = used[k];
      used.erase(used.begin() + std::ptrdiff_t(k));
      bool now = op < 2;
      now ? space.Release(at, n) : space.Retire(at, n);
      std::fill(state.begin() + at, state.begin() + at + n, now ? 'f' : 'p');
    } else if (op < 8) {
      int64_t n = 1 + int64_t(rng() % 80);
      int64_t at = space.Take(n);
      if (at < 0) continue;
      for (int64_t i = at; i < at + n; ++i) ASSERT_EQ(state[std::size_t(i)], 'f') << "step " << step;
      std::fill(state.begin() + at, state.begin() + at + n, 'u');
      used.push_back({at, n});
    } else if (op == 8) {
      space.Committed();
      std::replace(state.begin(), state.end(), 'p', 'f');
    }
    // The list is exactly the model's free bytes, in maximal stretches.
    int64_t free = std::count(state.begin(), state.end(), 'f');
    ASSERT_EQ(space.FreeBytes(), free);
    int64_t last = -1;
    for (auto [at, n] : space.Stretches()) {
      ASSERT_GT(at, last) << "stretches touch or overlap";
      ASSERT_TRUE(at == 32 || state[std::size_t(at - 1)] != 'f');
      for (int64_t i = at; i < at + n; ++i) ASSERT_EQ(state[std::size_t(i)], 'f');
      last = at + n;
    }
  }
}

TEST(FreeSpaceList, OverlappingReleaseIsDroppedNotDoubled) {
  TFreeSpace space;
  space.Release(100, 50);
  space.Release(120, 50);  // overlaps: only a fault can do this
  space.Release(10, 5);    // inside the data file header
  EXPECT_EQ(space.FreeBytes(), 50);
  EXPECT_EQ(space.Take(51), -1);
  EXPECT_EQ(space.Take(50), 100);
  EXPECT_EQ(space.Take(1), -1);
}

TEST(FreeSpaceList, FileRoundTripAndDamageGiveNothingFree) {
  TempDir dir;
  const std::string file = dir / "free.vlm";
  TGUID guid, other;
  MakeGUID(guid);
  MakeGUID(other);
  TFreeSpace space;
  space.Release(40, 100);
  space.Release(500, 30);
  ASSERT_TRUE(space.Save(file, guid, 1000));
  TFreeSpace loaded;
  ASSERT_TRUE(loaded.Load(file, guid, 1000));
  EXPECT_EQ(loaded.Stretches(), space.Stretches());
  EXPECT_FALSE(loaded.Load(file, other, 1000));  // another database's list
  EXPECT_EQ(loaded.FreeBytes(), 0);
  EXPECT_FALSE(loaded.Load(file, guid, 999));  // made for a longer data file
  std::string data;
  ASSERT_TRUE(ReadWholeFile(file, data));
  for (std::size_t at = 0; at < data.size(); at += 7) {
    std::string bad = data;
    bad[at] = char(bad[at] ^ 0x10);
    ASSERT_TRUE(WriteFileAtomic(file, bad));
    EXPECT_FALSE(loaded.Load(file, guid, 1000)) << "flip at " << at;
    ASSERT_TRUE(WriteFileAtomic(file, data.substr(0, at)));
    EXPECT_FALSE(loaded.Load(file, guid, 1000)) << "cut at " << at;
    EXPECT_EQ(loaded.FreeBytes(), 0);
  }
}

// --- A database under random rewrites --------------------------------------------

// What each record holds: a name and a number of links (sizes from 16 bytes
// to about 1 KB, so chains often fit freed space and often do not).
struct Content {
  std::string name;
  int links = 0;
  bool operator==(const Content&) const = default;
};
using Model = std::map<int64_t, Content>;

void Put(TXRecData* rec, const Content& c) {
  SetName(rec, c.name);
  auto* arr = rec->FieldAs<TXArrData>(3);
  arr->Clear();
  for (int i = 0; i < c.links; ++i) arr->AddRef(i + 1);
  rec->SetModified(true);
}

Content Get(TXRecData* rec) {
  return {NameOf(rec), rec->FieldAs<TXArrData>(3)->Count()};
}

Content RandomContent(std::mt19937& rng) {
  return {std::string(rng() % 120, char('a' + rng() % 26)), int(rng() % 3 ? rng() % 20 : rng() % 120)};
}

class FreeSpaceTest : public BaseTest {
 protected:
  // The record at a committed position, read from the file itself.
  static bool ReadAt(TXBase& base, int64_t id, int64_t position, Content& out) {
    TMemoryStream stream;
    uint32_t kindId = 0;
    if (!base.DataFile()->ReadRecord(kindId, stream, position)) return false;
    auto rec = TXRecData::Create(RecKind(base, "Item"), position, id);
    if (!rec->LoadFromStream(stream)) return false;
    out = Get(rec.get());
    return true;
  }

  // After a flush: the model and where its chains lie.
  static void Committed(TXBase& base, const Model& current, Model& committed,
                        std::map<int64_t, int64_t>& positions) {
    committed = current;
    positions.clear();
    for (auto& [id, c] : committed) {
      TXGIndexRec e;
      base.GIndex().ReadEntry(e, id);
      positions[id] = e.Position;
    }
  }

  // Random new records, rewrites, releases and deletions until `until`
  // returns false; after every write each committed chain must still hold
  // its committed content. Returns the model of the last successful flush.
  static void Drive(TXBase& base, std::mt19937& rng, int steps, Model& committed,
                    std::map<int64_t, int64_t>& positions, Model& current) {
    for (int step = 0; step < steps; ++step) {
      int op = int(rng() % 20);
      if (op < 3 || current.empty()) {
        TXRecData* rec = base.NewData(RecKind(base, "Item"));
        ASSERT_NE(rec, nullptr);
        Content c = RandomContent(rng);
        Put(rec, c);
        current[rec->ID] = c;
        if (rng() % 2) {
          ASSERT_TRUE(base.Release(rec)) << base.LastError;
        }
      } else if (op < 16) {
        auto it = std::next(current.begin(), std::ptrdiff_t(rng() % current.size()));
        TXRecData* rec = base.GetData(it->first);
        ASSERT_NE(rec, nullptr) << base.LastError;
        Content c = RandomContent(rng);
        Put(rec, c);
        it->second = c;
        ASSERT_TRUE(base.Release(rec)) << base.LastError;
      } else if (op < 17) {
        auto it = std::next(current.begin(), std::ptrdiff_t(rng() % current.size()));
        TXRecData* rec = base.GetData(it->first);
        ASSERT_NE(rec, nullptr);
        base.Release(rec);
        ASSERT_TRUE(base.DeleteData(it->first));
        current.erase(it);
      } else {
        // An overwrite stays, so checking before each flush sees every one.
        CheckCommitted(base, committed, positions, step);
        ASSERT_TRUE(base.Flush()) << base.LastError;
        Committed(base, current, committed, positions);
      }
    }
    CheckCommitted(base, committed, positions, steps);
  }

  static void CheckCommitted(TXBase& base, Model& committed, const std::map<int64_t, int64_t>& positions,
                             int step) {
    for (auto& [id, position] : positions) {
      Content c;
      ASSERT_TRUE(ReadAt(base, id, position, c)) << "step " << step << " ID " << id;
      ASSERT_EQ(c, committed[id]) << "committed chain of ID " << id << " overwritten before step " << step;
    }
  }

  // Every live record reads back as one of the allowed contents, no free
  // stretch overlaps a live chain, and writing on reuses only free space.
  void CheckReopened(const std::string& name, const Model& before, const Model& after) {
    TXBase base;
    ASSERT_TRUE(OpenDb(base, name)) << base.LastError;
    if (base.FreeSpace().FreeBytes() > 0) ++reopenedWithFreeSpace;
    std::vector<std::pair<int64_t, int64_t>> chains;
    Model model;
    for (auto& [id, c] : before) {
      TXRecData* rec = base.GetData(id);
      ASSERT_NE(rec, nullptr) << "ID " << id << ": " << base.LastError;
      auto later = after.find(id);
      if (rec->IsDeleted() && later == after.end()) {  // the cut flush got this far
        base.Release(rec);
        continue;
      }
      Content got = Get(rec);
      EXPECT_TRUE(got == c || (later != after.end() && got == later->second)) << "ID " << id;
      chains.push_back({rec->Position, -int64_t(rec->ChainBytes)});
      model[id] = got;
      base.Release(rec);
    }
    std::sort(chains.begin(), chains.end());
    for (auto [at, n] : base.FreeSpace().Stretches()) {
      auto next = std::lower_bound(chains.begin(), chains.end(), std::make_pair(at, int64_t(0)));
      if (next != chains.end()) {
        EXPECT_LE(at + n, next->first) << "free space over a live chain";
      }
      if (next != chains.begin()) {
        EXPECT_LE(std::prev(next)->first + std::prev(next)->second, at) << "free space over a live chain";
      }
    }
    std::mt19937 rng(99);
    Model committed;
    std::map<int64_t, int64_t> positions;
    Drive(base, rng, 150, committed, positions, model);
    ASSERT_TRUE(base.Close());
    ASSERT_TRUE(OpenDb(base, name));
    for (auto& [id, c] : model) EXPECT_EQ(Get(base.GetData(id)), c) << "ID " << id;
  }

  int reopenedWithFreeSpace = 0;
};

TEST_F(FreeSpaceTest, RewritesReuseSpaceAndNeverTouchCommittedChains) {
  TXBase base;
  ASSERT_TRUE(Create(base));
  std::mt19937 rng(1);
  Model committed, current;
  std::map<int64_t, int64_t> positions;
  Drive(base, rng, 400, committed, positions, current);
  ASSERT_TRUE(base.Close());
  // Bounded: rewriting 60 records again and again keeps the file near the
  // size of two versions of them.
  const int64_t before = FileSizeOf(Folder() + "storage.vlm");
  ASSERT_TRUE(OpenDb(base));
  for (int round = 0; round < 30; ++round) {
    for (auto& [id, c] : current) {
      TXRecData* rec = base.GetData(id);
      c.links += 1;
      Put(rec, c);
      base.Release(rec);
    }
    ASSERT_TRUE(base.Flush());
  }
  ASSERT_TRUE(base.Close());
  EXPECT_LT(FileSizeOf(Folder() + "storage.vlm"), before * 2 + 30 * 60 * 8);
  CheckReopened("db", current, current);
}

// The chain of a record as the file holds it; 0 when it does not read back.
int64_t ChainSize(TXBase& base, int64_t id) {
  TXGIndexRec e;
  base.GIndex().ReadEntry(e, id);
  TMemoryStream stream;
  uint32_t kindId = 0;
  if (!base.DataFile()->ReadRecord(kindId, stream, e.Position)) return 0;
  return base.DataFile()->LastChainBytes();
}

bool Covered(const TXBase& base, int64_t position) {
  for (auto [at, n] : base.FreeSpace().Stretches())
    if (position >= at && position < at + n) return true;
  return false;
}

// Records deleted without being loaded (the files of a deleted disc) give
// their space back once the deletion is committed, or at once when they were
// written in this session; a chain that does not read back whole, or that
// another entry shares, is left alone.
TEST_F(FreeSpaceTest, DeletingUnloadedRecordsFreesOnlyVerifiedChains) {
  TXBase base;
  ASSERT_TRUE(Create(base));
  std::vector<int64_t> ids;
  for (int i = 0; i < 40; ++i) ids.push_back(AddItem(base, i, std::string(std::size_t(30 + i * 4), 'x')));
  ASSERT_TRUE(base.Close());
  ASSERT_TRUE(OpenDb(base));
  TXGIndexRec damaged;
  base.GIndex().ReadEntry(damaged, ids[5]);
  ASSERT_TRUE(base.Close());
  {
    BinaryFile f;
    ASSERT_TRUE(f.Open(Folder() + "storage.vlm", BinaryFile::Mode::ReadWrite));
    uint8_t b = 0;
    const int64_t at = damaged.Position + int64_t(XTagSize) + 4;
    ASSERT_EQ(f.ReadAt(at, &b, 1), 1);
    b ^= 0x40;
    ASSERT_TRUE(f.WriteAt(at, &b, 1));
  }

  ASSERT_TRUE(OpenDb(base));
  ASSERT_EQ(ChainSize(base, ids[5]), 0);
  int64_t expected = 0;
  for (int64_t id : ids) expected += ChainSize(base, id);
  for (int64_t id : ids) ASSERT_TRUE(base.DeleteData(id)) << base.LastError;
  EXPECT_EQ(base.FreeSpace().FreeBytes(), 0) << "committed chains freed before the commit";
  EXPECT_EQ(base.FreeSpace().PendingBytes(), expected);
  ASSERT_TRUE(base.Flush());
  EXPECT_EQ(base.FreeSpace().FreeBytes(), expected);
  EXPECT_FALSE(Covered(base, damaged.Position));

  // Written in this session, then deleted unloaded: free at once, and new
  // records go there instead of the end of the file.
  const int64_t size = base.DataFile()->Size();
  const int64_t fresh = AddItem(base, 99, std::string(200, 'y'));
  const int64_t freeBefore = base.FreeSpace().FreeBytes();
  ASSERT_TRUE(base.DeleteData(fresh));
  EXPECT_GT(base.FreeSpace().FreeBytes(), freeBefore);
  for (int i = 0; i < 30; ++i) AddItem(base, 100 + i, std::string(40, 'z'));
  ASSERT_TRUE(base.Flush());
  EXPECT_EQ(base.DataFile()->Size(), size);
  ASSERT_TRUE(base.Close());

  // Two entries pointing at one chain (a damaged index.vlm): nothing is freed.
  Create(base, "shared");
  const int64_t a = AddItem(base, 1, "a"), b = AddItem(base, 2, "b");
  ASSERT_TRUE(base.Close());
  ASSERT_TRUE(OpenDb(base, "shared"));
  TXGIndexRec ea;
  base.GIndex().ReadEntry(ea, a);
  ASSERT_TRUE(base.GIndex().WriteEntry(ea, b));
  ASSERT_TRUE(base.DeleteData(b));
  EXPECT_EQ(base.FreeSpace().PendingBytes() + base.FreeSpace().FreeBytes(), 0);
}

// Runs body in a child that ends with _exit, as a crash would.
int RunChild(const std::function<void()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    body();
    ::_exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void SaveModel(const std::string& file, const Model& m) {
  std::ofstream out(file, std::ios::trunc);
  for (auto& [id, c] : m) out << id << ' ' << c.links << ' ' << c.name.size() << ' ' << c.name << '\n';
}

Model LoadModel(const std::string& file) {
  Model m;
  std::ifstream in(file);
  int64_t id;
  Content c;
  std::size_t n;
  while (in >> id >> c.links >> n) {
    in.get();
    c.name.resize(n);
    in.read(c.name.data(), std::streamsize(n));
    m[id] = c;
  }
  return m;
}

// A power loss after a random number of steps, or during a flush cut short
// at a random write; the process then ends. The parent reopens.
TEST_F(FreeSpaceTest, EveryCrashPointKeepsTheFlushedRecordsAndSoundFreeSpace) {
  for (int run = 0; run < 12; ++run) {
    const std::string name = "crash" + std::to_string(run);
    const std::string before = dir / (name + ".before"), after = dir / (name + ".after");
    int code = RunChild([&] {
      faults.TrackUnsynced(true);
      TXBase& base = *new TXBase(faults);  // never destroyed: the power goes first
      ASSERT_TRUE(Create(base, name));
      std::mt19937 rng{unsigned(run)};
      Model committed, current;
      std::map<int64_t, int64_t> positions;
      // Earlier sessions leave free space in free.vlm for this one.
      Drive(base, rng, 120, committed, positions, current);
      ASSERT_TRUE(base.Close());
      ASSERT_TRUE(OpenDb(base, name));
      Committed(base, current, committed, positions);
      Drive(base, rng, 60 + int(rng() % 60), committed, positions, current);
      ASSERT_TRUE(base.Flush());
      Committed(base, current, committed, positions);
      SaveModel(before, committed);
      Drive(base, rng, int(rng() % 40), committed, positions, current);
      SaveModel(before, committed);
      SaveModel(after, current);
      if (run % 3 == 1) {
        faults.FailWritesFrom(faults.WriteCount() + 1 + int64_t(rng() % 12));
        base.Flush();
      } else if (run % 3 == 2) {
        // The flush commits but cannot write its free list: the old one,
        // which may list space this flush took, must not survive.
        std::filesystem::create_directory(Folder(name) + "free.vlm.tmp");
        base.Flush();
      }
      faults.SimulatePowerLoss();
    });
    ASSERT_EQ(code, 0) << "run " << run;
    CheckReopened(name, LoadModel(before), LoadModel(after));
  }
  EXPECT_GE(reopenedWithFreeSpace, 6);  // free.vlm was taken up, not just ignored
}

}  // namespace
}  // namespace qv::test
