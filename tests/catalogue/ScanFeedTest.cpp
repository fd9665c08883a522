// The scan on a worker thread: the taking thread sees exactly the walk of a
// scan on its own thread, folder by folder; the worker's console lines wait
// for the end; Stop from the taking thread ends the walk with every folder
// closed; and an add stopped while its scan runs takes back what it stored.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/Filist.h"
#include "catalogue/RecordFields.h"
#include "catalogue/ScanFeed.h"
#include "platform/FaultInjector.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

using namespace std::chrono_literals;

// "D name" and "F name" for each entry, ")" when a folder is complete.
void Walk(const TFileData* node, std::vector<std::string>& out) {
  for (int32_t i = 0; i < node->Count(); ++i) {
    const TFileData* c = node->GetChild(i);
    out.push_back(std::string(c->Kind == TFileData::kFile ? "F " : "D ") + c->Name);
    if (c->Kind != TFileData::kFile) Walk(c, out);
  }
  out.push_back(")");
}

// Takes everything the worker puts, as the storing thread does.
std::vector<std::string> Drain(TScanFeed& feed) {
  std::vector<std::string> out;
  TFileData* node = nullptr;
  for (;;) {
    const TScanFeed::TTake got = feed.Take(node, 5);
    if (got == TScanFeed::TTake::Ended) return out;
    if (got == TScanFeed::TTake::Entry)
      out.push_back(!node ? ")" : std::string(node->Kind == TFileData::kFile ? "F " : "D ") + node->Name);
  }
}

void MakeTree(const std::string& root, int folders, int filesEach) {
  for (int d = 0; d < folders; ++d) {
    const std::string folder = root + "/d" + std::to_string(d % 7) + "/s" + std::to_string(d);
    MakeFolder(folder + "/empty");
    for (int f = 0; f < filesEach; ++f) MakeFile(folder + "/f" + std::to_string(f) + ".txt", f);
  }
  MakeFile(root + "/top.txt", 1);
}

// In a child without privileges, so that a locked folder cannot be read.
void InChild(const std::function<bool()>& body) {
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    ::_exit(body() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(FedScan, TheTakerSeesTheWalkInOrderAndTheLinesAtTheEnd) {
  TempDir dir;
  const std::string root = dir / "t";
  MakeTree(root, 40, 30);
  MakeFile(root + "/locked/in.txt");
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(root.c_str(), 0755), 0);
  ASSERT_EQ(::chmod((root + "/locked").c_str(), 0), 0);
  InChild([&] {
    TScanOpts opts;
    opts.Path = root;
    TFilist alone(nullptr);
    std::vector<std::string> lines;
    alone.OnWarning = [&](const std::string& w) { lines.push_back(w); };
    if (!alone.Scan(opts)) return false;
    std::vector<std::string> expected;
    Walk(alone.Root(), expected);
    const std::vector<std::string> expectedLines = lines;

    TFilist fed(nullptr);
    lines.clear();
    fed.OnWarning = [&](const std::string& w) { lines.push_back(w); };
    TScanFeed feed;
    if (!fed.StartFeed(opts, feed)) return false;
    const std::vector<std::string> got = Drain(feed);
    const bool held = lines.empty();  // nothing reported from the worker
    if (!fed.EndFeed()) return false;
    return held && got == expected && lines == expectedLines && expectedLines.size() == 1 &&
           fed.FileCount == alone.FileCount && fed.FolderCount == alone.FolderCount &&
           feed.Count() == fed.TotalCount;
  });
  ::chmod((root + "/locked").c_str(), 0755);
}

TEST(FedScan, StopFromTheTakerEndsTheWalkWithEveryFolderClosed) {
  TempDir dir;
  MakeTree(dir / "t", 60, 40);
  TScanOpts opts;
  opts.Path = dir / "t";
  TFilist fed(nullptr);
  TScanFeed feed;
  ASSERT_TRUE(fed.StartFeed(opts, feed));
  EXPECT_FALSE(fed.StartFeed(opts, feed));  // one scan at a time
  int open = 1;                             // the root
  std::size_t taken = 0;
  TFileData* node = nullptr;
  for (TScanFeed::TTake got; (got = feed.Take(node, 5)) != TScanFeed::TTake::Ended;) {
    if (got != TScanFeed::TTake::Entry) continue;
    if (++taken == 50) fed.Abort();
    if (!node)
      --open;
    else if (node->Kind == TFileData::kFolder)
      ++open;
    ASSERT_GE(open, 0);
  }
  EXPECT_EQ(open, 0);
  EXPECT_FALSE(fed.EndFeed());
  fed.Reset();
  EXPECT_EQ(fed.Root()->Count(), 0);
}

class FedAdd : public EngineFixture {
 protected:
  // Every file and folder entry a search for "*" finds.
  std::multiset<std::string> FindAll() {
    std::multiset<std::string> all;
    TSearchOpts folders;
    folders.FolderMask = "*";
    for (const TSearchOpts& o : {Files("*"), folders}) {
      host.rows.clear();
      if (!engine->Search(o)) continue;  // nothing found
      for (const std::string& e : Entries()) all.insert(e);
    }
    return all;
  }
  // References of the name records in the indexes to records not there.
  int64_t DeadRefs() {
    int64_t dead = 0;
    for (TXIndex* index : {engine->FileNameIndex, engine->FolderNameIndex})
      for (int i = 0; i < index->Count(); ++i) {
        TXRecData* name = engine->Base->GetData(index->GetItem(i));
        if (!name) return -1;
        for (int r = 0; r < rec::RefCount(name, fld::nRefs); ++r) {
          TXGIndexRec entry;
          const bool there = engine->Base->GIndex().ReadEntry(entry, rec::RefAt(name, fld::nRefs, r));
          dead += !there || entry.IsDeleted();
        }
        engine->Base->Release(name);
      }
    return dead;
  }

  // Files and folders of the browsed tree of a disc.
  void CountBrowsed(const TFileData* node, int64_t& files, int64_t& folders) {
    for (int32_t i = 0; i < node->Count(); ++i) {
      const TFileData* c = node->GetChild(i);
      ++(c->IsFolder() ? folders : files);
      if (c->IsFolder()) CountBrowsed(c, files, folders);
    }
  }
  // An earlier disc that shares some names (f0.txt to f4.txt, d0, s0 to s9)
  // with the tree added and stopped.
  void AddEarlierDisc() {
    const std::string before = dir / "before";
    for (int d = 0; d < 10; ++d)
      for (int f = 0; f < 5; ++f)
        MakeFile(before + "/d0/s" + std::to_string(d) + "/f" + std::to_string(f) + ".txt");
    AddDisc("Before", before);
    kept = FindAll();
    ASSERT_EQ(kept.size(), 50u + 11u);
    fileNames = engine->FileNameIndex->Count();
    folderNames = engine->FolderNameIndex->Count();
    MakeTree(Tree(), 200, 20);
    engine->MessageIntervalMs = 0;
    engine->WriteAheadRecords = 16;
  }
  // Adds the tree, pressing Stop at the given message-loop pass; when
  // afterScan, at the first pass after the storing has taken the scan's end
  // (and said what was found), which that pass lets come.
  TDiscData AddStopped(const std::string& label, int stopAt, bool afterScan) {
    int pumps = 0;
    bool stopped = false;
    host.console.clear();
    host.onPump = [&](int) {
      ++pumps;
      if (stopped || pumps < stopAt) return;
      if (afterScan && pumps == stopAt) {
        // The walk never waits for storing here (the tree is smaller than the
        // scan's lead), so it ends; this waits for an outcome, not a time.
        // The storing takes the end at its next entry, hundreds of folders
        // before its own end.
        while (!engine->Scanner->WalkEnded()) std::this_thread::sleep_for(1ms);
        return;
      }
      if (afterScan && !host.HasLine("I Found 4001 file(s) and 407 folders(s)")) return;
      stopped = true;
      engine->Abort();
    };
    AddDisc(label, Tree());
    host.onPump = nullptr;
    EXPECT_TRUE(stopped) << label;
    EXPECT_FALSE(host.HasLine("I 4001 file(s) and 407 folder(s) were added to the database")) << label;
    const int32_t at = engine->Discs->FindByLabel(Utf8ToUtf16(label));
    EXPECT_GE(at, 0) << label;
    return at < 0 ? TDiscData{} : engine->Discs->GetDisc(at);
  }
  int64_t Mine(const std::string& label) {
    int64_t mine = 0;
    for (const std::string& e : FindAll()) mine += e.rfind(label + "|", 0) == 0;
    return mine;
  }
  void ExpectKeptOnly(const std::string& label) {
    EXPECT_EQ(FindAll(), kept) << label;
    EXPECT_EQ(engine->FileNameIndex->Count(), fileNames) << label;
    EXPECT_EQ(engine->FolderNameIndex->Count(), folderNames) << label;
  }
  // After the last add: the catalogue reopens, the stopped discs are as they
  // were left, and the next add is stored whole.
  void ReopenAndAddWhole() {
    Reopen();
    std::multiset<std::string> all = kept;
    for (int32_t i = 0; i < engine->Discs->Count(); ++i) {
      const TDiscData d = engine->Discs->GetDisc(i);
      if (d.Label == u"Before") continue;
      EXPECT_EQ(d.Root, -1);
      EXPECT_EQ(d.Files + d.Folders, 0);
    }
    EXPECT_EQ(FindAll(), all);
    AddDisc("Whole", Tree());
    EXPECT_TRUE(host.HasLine("I 4001 file(s) and 407 folder(s) were added to the database"));
    const TDiscData whole = engine->Discs->GetDisc(engine->Discs->FindByLabel(u"Whole"));
    EXPECT_EQ(whole.Files, 4001);
    EXPECT_EQ(whole.Folders, 407);
    EXPECT_EQ(FindAll().size(), kept.size() + 4001 + 407);
  }

  std::multiset<std::string> kept;
  int fileNames = 0, folderNames = 0;
};

// Stop pressed while the scan still walks: the add takes back all it stored.
// The disc stays with no root and zero counts, and the console says why; no
// name joins an index and none is left pointing at nothing. The scan may run
// only a few entries ahead of storing, so at each of these passes of the
// message loop its walk has not ended, whatever the threads' pace.
TEST_F(FedAdd, StopDuringTheScanTakesBackWhatWasStored) {
  AddEarlierDisc();
  engine->ScanAheadEntries = 16;
  for (int stopAt : {1, 6, 9, 12, 16, 24, 40, 150}) {
    const std::string label = "Stopped" + std::to_string(stopAt);
    const int64_t deadBefore = DeadRefs();
    const TDiscData d = AddStopped(label, stopAt, false);
    EXPECT_TRUE(host.HasLine("W Scanning process interrupted; the disc was kept empty")) << label;
    EXPECT_FALSE(host.HasLine("I Finalizing database")) << label;
    EXPECT_EQ(d.Root, -1) << label;
    EXPECT_EQ(d.Files + d.Folders, 0) << label;
    EXPECT_EQ(Mine(label), 0) << label;
    ExpectKeptOnly(label);
    EXPECT_EQ(DeadRefs(), deadBefore) << label;
  }
  ReopenAndAddWhole();
}

// The disc of an add stopped during its scan is said kept empty once its
// last commit has made it so, not before: after that commit, or not at all
// when that commit fails (the disc is then said not stored, and the next
// open takes its empty entry out).
TEST_F(FedAdd, AStoppedAddSaysTheDiscKeptEmptyOnceItsLastCommitIsOnDisk) {
  AddEarlierDisc();
  engine->ScanAheadEntries = 16;
  const std::string keptEmpty = "W Scanning process interrupted; the disc was kept empty";
  AddStopped("Stopped", 1, false);
  int said = -1, committed = -1;
  for (std::size_t i = 0; i < host.console.size(); ++i)
    if (host.console[i] == keptEmpty) said = int(i);
  for (const std::string& c : host.calls)
    if (c.rfind("StopAvailable 1 before line ", 0) == 0) committed = std::stoi(c.substr(28));
  ASSERT_GE(said, 0) << testing::PrintToString(host.console);
  EXPECT_GE(said, committed) << testing::PrintToString(host.calls);
  // The same with the last commit failing.
  ASSERT_TRUE(engine->CloseDatabase());
  FaultInjector faults;
  engine = std::make_unique<TEngine>(host, QV_TEST_APP_DIR, faults);
  ASSERT_TRUE(engine->OpenDatabase("secret"));
  engine->MessageIntervalMs = 0;
  engine->ScanAheadEntries = 16;
  host.console.clear();
  host.onPump = [&](int) {
    host.onPump = nullptr;
    engine->Abort();
    faults.FailWritesFrom(1);  // from the next write on: the add's last commit
  };
  AddDisc("Failed", Tree());
  host.onPump = nullptr;
  EXPECT_FALSE(host.HasLine(keptEmpty)) << testing::PrintToString(host.console);
  EXPECT_TRUE(host.HasLine("E Disc \"Failed\" was not stored: No space left on device"))
      << testing::PrintToString(host.console);
  EXPECT_LT(engine->Discs->FindByLabel(u"Failed"), 0);
  engine->CloseDatabase();
  faults.Reset();
  engine.reset();
  OpenClosed();
  EXPECT_LT(engine->Discs->FindByLabel(u"Failed"), 0);
  EXPECT_GE(engine->Discs->FindByLabel(u"Stopped"), 0);
}

// Stop pressed once the storing has taken the scan's end: what was stored
// stays, every part of it linked into the disc's tree (also the folders being
// stored when Stop came), and the counts say how much. Deleting the disc then
// deletes it all: its names leave their indexes.
TEST_F(FedAdd, StopAfterTheScanKeepsALinkedPartialDisc) {
  AddEarlierDisc();
  for (int stopAt : {2, 6, 40, 150}) {
    const std::string label = "Partial" + std::to_string(stopAt);
    const TDiscData d = AddStopped(label, stopAt, true);
    EXPECT_FALSE(host.HasLine("W Scanning process interrupted; the disc was kept empty")) << label;
    EXPECT_TRUE(host.HasLine("I Finalizing database")) << label;
    ASSERT_GE(d.Root, 0) << label;
    EXPECT_LT(d.Files, 4001) << label;
    EXPECT_EQ(Mine(label), d.Files + d.Folders) << label;
    ASSERT_TRUE(engine->Browse(engine->Discs->FindByLabel(Utf8ToUtf16(label)))) << label;
    int64_t files = 0, folders = 0;
    CountBrowsed(engine->Discs->BrowseRoot.get(), files, folders);
    EXPECT_EQ(files, d.Files) << label;
    EXPECT_EQ(folders, d.Folders) << label;
    ASSERT_TRUE(engine->DeleteDisc(d)) << label;
    ExpectKeptOnly(label);
    EXPECT_FALSE(host.HasLine("W Deleted disc reference encountered!")) << label;
  }
  Reopen();
  EXPECT_EQ(engine->Discs->Count(), 1);
  ExpectKeptOnly("reopened");
}

}  // namespace
}  // namespace qv::test
