// The commit point, built as the harm happens on real files: what another
// writer, an earlier version or a changed digit leaves beside the recorded
// commit is kept (or the database opened for reading only), never cut; a
// journal is finished only on the files it was written against; damage found
// is remembered; and data written after the last commit is given back.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "classlib/IniFiles.h"
#include "storage/CommitMark.h"
#include "storage/Crc32.h"
#include "tests/storage/BaseFixture.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class CommitPointTest : public BaseTest {
 protected:
  std::string File(const std::string& name) { return Folder() + name; }
  std::string Read(const std::string& name) {
    std::string data;
    ReadWholeFile(File(name), data);
    return data;
  }
  void Write(const std::string& name, const std::string& data) {
    ASSERT_TRUE(WriteFileAtomic(File(name), data));
  }
  int64_t Size(const std::string& name) { return FileSizeOf(File(name)); }
  void SetEngineKey(const std::string& key, const std::string& value) {
    TMemIniFile ini(File("xbase.vlm"));
    if (value.empty())
      ini.DeleteKey("ENGINE", key);
    else
      ini.WriteString("ENGINE", key, value);
    ASSERT_TRUE(ini.UpdateFile());
  }
  std::string EngineKey(const std::string& key) {
    return TMemIniFile(File("xbase.vlm")).ReadString("ENGINE", key, "");
  }

  // Items with keys from..to-1, named by key, closed cleanly.
  void AddItems(int from, int to, bool create = false) {
    TXBase base;
    ASSERT_TRUE(create ? Create(base) : OpenDb(base)) << base.LastError;
    for (int k = from; k < to; ++k) AddItem(base, k, "n" + std::to_string(k));
    ASSERT_TRUE(base.Close()) << base.LastError;
  }
  // Every live item: key -> name, and whether each read back.
  static std::map<int64_t, std::string> Items(TXBase& base) {
    std::map<int64_t, std::string> items;
    base.GIndex().ForEach([&](const TXGIndexRec& e, int64_t id) {
      if (e.IsDeleted()) return true;
      TXRecData* rec = base.FetchData(id);
      if (!rec)
        ADD_FAILURE() << "ID " << id << ": " << base.LastError;
      else
        items[KeyOf(rec)] = NameOf(rec);
      return true;
    });
    return items;
  }
  static std::map<int64_t, std::string> Named(int from, int to) {
    std::map<int64_t, std::string> items;
    for (int k = from; k < to; ++k) items[k] = "n" + std::to_string(k);
    return items;
  }
  static bool NoteHas(const TXBase& base, const std::string& text) {
    for (const std::string& n : base.OpenNotes())
      if (n.find(text) != std::string::npos) return true;
    return false;
  }

  // A session killed once the journal of its flush is on disk, before
  // index.vlm is touched: 20 items closed, then 3 renamed and 2 added.
  void KillAfterJournal() {
    AddItems(0, 20, true);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      TXBase& base = *new TXBase(faults);  // never destroyed: the process is killed
      if (!OpenDb(base)) ::_exit(2);
      for (int64_t id = 1; id <= 3; ++id) SetName(base.GetData(id), "renamed");
      AddItem(base, 100);
      AddItem(base, 101);
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
    ASSERT_TRUE(fs::exists(File("index.jnl")));
  }
};

// A writer that keeps to the stored format appends records and writes only
// its own sections of xbase.vlm: [ENGINE] still names the earlier commit.
TEST_F(CommitPointTest, EntriesAnotherWriterAppendedAreKeptWhenTheyCheckOut) {
  AddItems(0, 30, true);
  const std::string before = Read("xbase.vlm");
  AddItems(30, 45);
  Write("xbase.vlm", before);
  const int64_t index = Size("index.vlm");
  {
    TXBase base;
    ASSERT_TRUE(OpenDb(base)) << base.LastError;
    EXPECT_FALSE(base.ReadOnly()) << base.DamageText();
    EXPECT_EQ(Items(base), Named(0, 45));
    EXPECT_TRUE(NoteHas(base, "15 entries past the last commit")) << testing::PrintToString(base.OpenNotes());
    EXPECT_EQ(Size("index.vlm"), index);
    EXPECT_EQ(AddItem(base, 45, "n45"), 46);  // the next ID follows the kept ones
    ASSERT_TRUE(base.Close());
  }
  TXBase base;
  ASSERT_TRUE(OpenDb(base));
  EXPECT_TRUE(base.OpenNotes().empty()) << testing::PrintToString(base.OpenNotes());
  EXPECT_EQ(Items(base), Named(0, 46));
  ASSERT_TRUE(base.Close());

  // One appended entry whose chain does not check out: nothing is cut, and
  // the database opens for reading only.
  const std::string recorded = Read("xbase.vlm");
  AddItems(46, 50);
  Write("xbase.vlm", recorded);
  std::string g = Read("index.vlm");
  g[48 * 16 + 8] = char(0x42);  // entry 48 claims the other kind
  Write("index.vlm", g);
  ASSERT_TRUE(OpenDb(base));
  EXPECT_TRUE(base.ReadOnly());
  EXPECT_NE(base.DamageText().find("1 of them do not check out (ID 48"), std::string::npos)
      << base.DamageText();
  EXPECT_EQ(Size("index.vlm"), 51 * 16);
  ASSERT_TRUE(base.Close());
}

// A changed digit of the count: the mark, which checks itself, is taken;
// without a sound mark (a description of an earlier version) a lower count
// keeps the entries past it that check out, and a higher one is damage that
// opens for reading only. No file is shortened either way.
TEST_F(CommitPointTest, ChangedCountsLoseNothing) {
  AddItems(0, 40, true);
  const std::string sound = Read("xbase.vlm");
  const int64_t index = Size("index.vlm"), data = Size("storage.vlm");
  ASSERT_EQ(EngineKey("Entries"), "41");
  struct Case {
    const char* what;
    std::string entries, mark;
    bool readOnly, note;
  };
  const std::string mark = EngineKey("Commit");
  std::string changed = mark;
  changed[0] = changed[0] == '1' ? '2' : '1';  // one digit of the mark
  for (const Case& c :
       {Case{"lowered", "11", mark, false, true}, Case{"raised", "9041", mark, false, true},
        Case{"lowered, no mark", "11", "", false, true}, Case{"raised, no mark", "9041", "", true, false},
        Case{"changed mark", "41", changed, false, true},
        Case{"closed by the previous version", "41", "", false, false}}) {
    SCOPED_TRACE(c.what);
    Write("xbase.vlm", sound);
    SetEngineKey("Entries", c.entries);
    SetEngineKey("Commit", c.mark);
    TXBase base;
    ASSERT_TRUE(OpenDb(base)) << base.LastError;
    EXPECT_EQ(base.ReadOnly(), c.readOnly) << base.DamageText();
    EXPECT_EQ(Items(base), Named(0, 40));
    EXPECT_EQ(Size("index.vlm"), index);
    EXPECT_EQ(Size("storage.vlm"), data);
    EXPECT_EQ(base.OpenNotes().empty(), !c.note) << testing::PrintToString(base.OpenNotes());
    ASSERT_TRUE(base.Close());
    if (!c.readOnly) {
      EXPECT_EQ(EngineKey("Entries"), "41");  // written right again
    }
  }
}

// The previous version recorded only Entries and wrote its journal (count,
// rewritten entries) after the appended entries: killed after its journal,
// its commit is finished; killed before its count was written, the entries
// it appended are kept.
TEST_F(CommitPointTest, CataloguesOfThePreviousVersionOpenWhole) {
  AddItems(0, 20, true);
  const std::string before = Read("xbase.vlm");
  const std::string oldIndex = Read("index.vlm");
  {
    TXBase base;
    ASSERT_TRUE(OpenDb(base));
    for (int64_t id = 1; id <= 3; ++id) SetName(base.GetData(id), "renamed");
    AddItem(base, 100);
    ASSERT_TRUE(base.Close());
  }
  const std::string newIndex = Read("index.vlm");
  ASSERT_EQ(newIndex.size(), 22u * 16);
  // The state of a kill after the journal: the new entries appended, the
  // rewritten ones not yet, and a journal of the earlier layout.
  std::string g = newIndex;
  g.replace(16, 3 * 16, oldIndex.substr(16, 3 * 16));
  Write("index.vlm", g);
  std::string journal = Read("index.vlm").substr(0, 16);  // the database ID
  auto put64 = [&](int64_t v) {
    for (int i = 0; i < 8; ++i) journal += char(uint64_t(v) >> (8 * i));
  };
  put64(22);
  put64(3);
  for (int64_t id = 1; id <= 3; ++id) {
    put64(id);
    journal += newIndex.substr(std::size_t(id) * 16, 16);
  }
  const uint32_t crc = CalcCRC32(journal.data(), journal.size());
  for (int i = 0; i < 4; ++i) journal += char(crc >> (8 * i));
  Write("xbase.vlm", before);
  SetEngineKey("Commit", "");
  ASSERT_EQ(EngineKey("Entries"), "21");
  Write("index.jnl", journal);
  {
    TXBase base;
    ASSERT_TRUE(OpenDb(base)) << base.LastError;
    EXPECT_FALSE(base.ReadOnly()) << base.DamageText();
    auto items = Items(base);
    EXPECT_EQ(items.size(), 21u);
    EXPECT_EQ(items[0], "renamed");
    EXPECT_EQ(items[100], "");
    EXPECT_FALSE(fs::exists(File("index.jnl")));
    ASSERT_TRUE(base.Close());
  }
  // Killed before the count: no journal, the appended entry past it.
  Write("xbase.vlm", before);
  SetEngineKey("Commit", "");
  TXBase base;
  ASSERT_TRUE(OpenDb(base)) << base.LastError;
  EXPECT_FALSE(base.ReadOnly()) << base.DamageText();
  EXPECT_EQ(Items(base).size(), 21u);
  ASSERT_TRUE(base.Close());
}

// Killed after its journal; then another writer (which knows no journal)
// adds items. The journal no longer fits the files: it is set aside, never
// applied, and the database is read-only now and at every later open.
TEST_F(CommitPointTest, AStaleJournalIsSetAsideNotApplied) {
  KillAfterJournal();
  const std::string killed = Read("xbase.vlm");
  fs::rename(File("index.jnl"), Folder() + "../held.jnl");
  AddItems(200, 230);
  Write("xbase.vlm", killed);
  fs::rename(Folder() + "../held.jnl", File("index.jnl"));
  const int64_t index = Size("index.vlm");
  for (int open = 0; open < 2; ++open) {
    SCOPED_TRACE(open);
    TXBase base;
    ASSERT_TRUE(OpenDb(base)) << base.LastError;
    EXPECT_TRUE(base.ReadOnly());
    EXPECT_NE(base.DamageText().find("kept as \"index.jnl.1\""), std::string::npos) << base.DamageText();
    auto items = Items(base);
    EXPECT_EQ(items.size(), 50u);
    EXPECT_EQ(items[0], "n0");  // not renamed by the stale journal
    EXPECT_EQ(items[229], "n229");
    EXPECT_EQ(base.NewData(RecKind(base, "Item")), nullptr);
    EXPECT_FALSE(fs::exists(File("index.jnl")));
    EXPECT_TRUE(fs::exists(File("index.jnl.1")));
    EXPECT_EQ(Size("index.vlm"), index);
    ASSERT_TRUE(base.Close());
  }
}

// The same journal whole is applied; with one byte changed (its length
// whole) it is damage: both files are kept as they are, for reading only.
TEST_F(CommitPointTest, AWholeJournalIsFinishedADamagedOneKept) {
  KillAfterJournal();
  fs::copy(Folder(), Folder("damaged"));
  std::string journal = Read("index.jnl");
  journal[journal.size() / 2] ^= 1;
  ASSERT_TRUE(WriteFileAtomic(Folder("damaged") + "index.jnl", journal));
  {
    TXBase base;
    ASSERT_TRUE(OpenDb(base)) << base.LastError;
    EXPECT_FALSE(base.ReadOnly()) << base.DamageText();
    auto items = Items(base);
    EXPECT_EQ(items.size(), 22u);
    EXPECT_EQ(items[0], "renamed");
    EXPECT_TRUE(NoteHas(base, "cut short before it was written whole; it has been completed"));
    ASSERT_TRUE(base.Close());
  }
  const int64_t index = FileSizeOf(Folder("damaged") + "index.vlm");
  TXBase base;
  ASSERT_TRUE(OpenDb(base, "damaged")) << base.LastError;
  EXPECT_TRUE(base.ReadOnly());
  EXPECT_NE(base.DamageText().find("index.jnl fails its checksum"), std::string::npos) << base.DamageText();
  EXPECT_EQ(Items(base), Named(0, 20));
  ASSERT_TRUE(base.Close());
  std::string kept;
  ASSERT_TRUE(ReadWholeFile(Folder("damaged") + "index.jnl", kept));
  EXPECT_EQ(kept, journal);
  EXPECT_EQ(FileSizeOf(Folder("damaged") + "index.vlm"), index);
}

// Damage found in a session is remembered: the next open reports it and is
// read-only too. IDs below the recorded high-water mark were handed out: an
// index.vlm that lacks them is damage, even when the count was lowered.
TEST_F(CommitPointTest, DamageFoundAndIdsHandedOutAreRemembered) {
  AddItems(0, 10, true);
  {
    TXBase base;
    ASSERT_TRUE(OpenDb(base));
    base.MarkDamaged("The database is damaged: found by a search");
    ASSERT_TRUE(base.Close());
  }
  {
    TXBase base;
    ASSERT_TRUE(OpenDb(base));
    EXPECT_EQ(base.DamageText(), "The database is damaged: found by a search");
    EXPECT_EQ(base.NewData(RecKind(base, "Item")), nullptr);
    ASSERT_TRUE(base.Close());
  }
  SetEngineKey("Damage", "");
  TCommitMark mark;
  ASSERT_TRUE(mark.FromText(EngineKey("Commit")));
  EXPECT_EQ(mark.HighWater, 11);
  mark.HighWater = 15;
  SetEngineKey("Commit", mark.ToText());
  TXBase base;
  ASSERT_TRUE(OpenDb(base));
  EXPECT_NE(base.DamageText().find("holds 10 of 14 entries"), std::string::npos) << base.DamageText();
  ASSERT_TRUE(base.Close());
}

// A session killed while it wrote records ahead of a flush leaves them past
// the last commit: the next open cuts storage.vlm back to it. When another
// program closed the data file since (its header stamp differs from the one
// the commit saw), nothing is cut.
TEST_F(CommitPointTest, DataWrittenAfterTheLastCommitIsGivenBack) {
  AddItems(0, 10, true);
  const int64_t committed = Size("storage.vlm");
  auto killedSession = [&] {
    pid_t pid = ::fork();
    if (pid == 0) {
      TXBase& base = *new TXBase;  // never destroyed: the process ends
      if (!OpenDb(base)) ::_exit(2);
      for (int k = 0; k < 200; ++k) AddItem(base, 1000 + k, std::string(100, 'x'));
      ::_exit(base.DataFile()->Sync() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_GT(Size("storage.vlm"), committed + 200 * 100);
  };
  killedSession();
  const int64_t past = Size("storage.vlm") - committed;
  {
    TXBase base;
    ASSERT_TRUE(OpenDb(base)) << base.LastError;
    EXPECT_EQ(Size("storage.vlm"), committed);
    EXPECT_EQ(base.GivenBack(), past);
    EXPECT_TRUE(NoteHas(base, "was not stored; the catalogue is as it was before that change"))
        << testing::PrintToString(base.OpenNotes());
    EXPECT_EQ(Items(base), Named(0, 10));
    AddItem(base, 10, "n10");
    ASSERT_TRUE(base.Close());
  }
  {
    TXBase base;
    ASSERT_TRUE(OpenDb(base));
    EXPECT_EQ(Items(base), Named(0, 11));
    ASSERT_TRUE(base.Close());
  }
  const int64_t closed = Size("storage.vlm");
  killedSession();
  std::string data = Read("storage.vlm");
  data[8] ^= 1;  // another program's close stamps the header
  Write("storage.vlm", data);
  const int64_t grown = Size("storage.vlm");
  ASSERT_GT(grown, closed);
  TXBase base;
  ASSERT_TRUE(OpenDb(base));
  EXPECT_EQ(Size("storage.vlm"), grown);
  EXPECT_EQ(Items(base), Named(0, 11));
  ASSERT_TRUE(base.Close());
}

// A description written by the version before, whose mark holds the five
// values only (and no free.vlm checksum), opens as it did; the next commit
// records the whole mark, which then finds a changed entry anywhere in
// index.vlm, where the five values saw only the last sixteen.
TEST_F(CommitPointTest, AnEarlierVersionsMarkIsTakenAndMadeWhole) {
  AddItems(0, 40, true);
  TCommitMark mark;
  ASSERT_TRUE(mark.FromText(EngineKey("Commit")));
  EXPECT_TRUE(mark.Whole);
  TCommitMark shorter = mark;
  shorter.Whole = false;
  shorter.IndexSum = 0;
  shorter.ChainId = 0;
  shorter.ChainCheck = 0;
  const std::string text = shorter.ToText();
  ASSERT_EQ(std::count(text.begin(), text.end(), ':'), 5);
  SetEngineKey("Commit", text);
  SetEngineKey("Free", "");
  {
    TXBase base;
    ASSERT_TRUE(OpenDb(base)) << base.LastError;
    EXPECT_FALSE(base.ReadOnly()) << base.DamageText();
    EXPECT_TRUE(base.OpenNotes().empty()) << testing::PrintToString(base.OpenNotes());
    EXPECT_EQ(Items(base), Named(0, 40));
    AddItem(base, 40, "n40");
    ASSERT_TRUE(base.Close());
  }
  ASSERT_TRUE(mark.FromText(EngineKey("Commit")));
  EXPECT_TRUE(mark.Whole);
  EXPECT_FALSE(EngineKey("Free").empty());
  std::string index = Read("index.vlm");
  index[3 * 16 + 12] ^= 2;  // entry 3 flagged deleted, far from the tail
  Write("index.vlm", index);
  TXBase base;
  ASSERT_TRUE(OpenDb(base));
  EXPECT_TRUE(base.ReadOnly());
  EXPECT_NE(base.DamageText().find("index.vlm"), std::string::npos) << base.DamageText();
  ASSERT_TRUE(base.Close());
}

// The mark's text: a whole one reads back as written, and any changed
// character fails its check.
TEST(CommitMarkText, ReadsBackAndRefusesAChangedCharacter) {
  TCommitMark mark;
  mark.Entries = 1234;
  mark.TailCrc = 0x89ABCDEF;
  mark.DataSize = 734016;
  mark.Stamp = 0x40E6C1B7A3D2E000ull;
  mark.HighWater = 1300;
  mark.Whole = true;
  mark.IndexSum = 0xFEDCBA9876543210ull;
  mark.ChainId = 1200;
  mark.ChainCheck = 0x0F1E2D3C;
  const std::string text = mark.ToText();
  TCommitMark back;
  ASSERT_TRUE(back.FromText(text));
  EXPECT_EQ(back, mark);
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string changed = text;
    changed[i] = changed[i] == '1' ? '2' : '1';
    TCommitMark m;
    EXPECT_FALSE(m.FromText(changed)) << changed;
  }
}

void PutU32(std::string& s, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + std::size_t(i)] = char(uint8_t(v >> (8 * i)));
}

// A session of the version before, killed with its journal on disk: its
// journal ("QVJNL002", marks of five values) and its short mark in
// xbase.vlm. This version finishes the commit from it, as that one would.
TEST_F(CommitPointTest, AJournalOfTheVersionBeforeIsFinished) {
  KillAfterJournal();
  const std::string journal = Read("index.jnl");
  constexpr std::size_t kLong = TCommitMark::kBytes, kShort = TCommitMark::kShortBytes;
  const std::size_t head = 8 + 16 + 2 * kLong + 8;
  ASSERT_EQ(journal.compare(0, 8, "QVJNL003"), 0);
  std::string old = "QVJNL002" + journal.substr(8, 16) + journal.substr(24, kShort) +
                    journal.substr(24 + kLong, kShort) + journal.substr(head - 8, 8) + std::string(4, '\0');
  PutU32(old, old.size() - 4, CalcCRC32(reinterpret_cast<const uint8_t*>(old.data()), old.size() - 4));
  old += journal.substr(head + 4, journal.size() - head - 8) + std::string(4, '\0');
  PutU32(old, old.size() - 4, CalcCRC32(reinterpret_cast<const uint8_t*>(old.data()), old.size() - 4));
  Write("index.jnl", old);
  TCommitMark mark;
  ASSERT_TRUE(mark.FromText(EngineKey("Commit")));
  TCommitMark shorter;
  shorter.Entries = mark.Entries;
  shorter.TailCrc = mark.TailCrc;
  shorter.DataSize = mark.DataSize;
  shorter.Stamp = mark.Stamp;
  shorter.HighWater = mark.HighWater;
  SetEngineKey("Commit", shorter.ToText());
  SetEngineKey("Free", "");
  {
    TXBase base;
    ASSERT_TRUE(OpenDb(base)) << base.LastError;
    EXPECT_FALSE(base.ReadOnly()) << base.DamageText();
    EXPECT_TRUE(NoteHas(base, "cut short before it was written whole; it has been completed"))
        << testing::PrintToString(base.OpenNotes());
    auto items = Items(base);
    EXPECT_EQ(items.size(), 22u);
    EXPECT_EQ(items[0], "renamed");
    ASSERT_TRUE(base.Close());
  }
  EXPECT_FALSE(fs::exists(File("index.jnl")));
  ASSERT_TRUE(mark.FromText(EngineKey("Commit")));
  EXPECT_TRUE(mark.Whole);
}

}  // namespace
}  // namespace qv::test
