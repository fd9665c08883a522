// The scan on a worker thread: the taking thread sees exactly the walk of a
// scan on its own thread, folder by folder; the worker's console lines wait
// for the end; Stop from the taking thread ends the walk with every folder
// closed; and an add stopped while its scan runs takes back what it stored.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "catalogue/Filist.h"
#include "catalogue/RecordFields.h"
#include "catalogue/ScanFeed.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

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
};

// Stop pressed at several points of an add. While the scan still ran, the
// add takes back all it stored: the disc stays with no root and zero counts,
// no name is left pointing at nothing, and the catalogue reopens and takes
// the next add whole. Once the scan has ended, what was stored stays and the
// counts say how much.
TEST_F(FedAdd, StopDuringTheScanTakesBackWhatWasStored) {
  // An earlier disc shares some names (f0.txt to f4.txt, d0, s0 to s9).
  const std::string before = dir / "before";
  for (int d = 0; d < 10; ++d)
    for (int f = 0; f < 5; ++f)
      MakeFile(before + "/d0/s" + std::to_string(d) + "/f" + std::to_string(f) + ".txt");
  AddDisc("Before", before);
  const std::multiset<std::string> kept = FindAll();
  ASSERT_EQ(kept.size(), 50u + 11u);
  const int fileNames = engine->FileNameIndex->Count();
  const int folderNames = engine->FolderNameIndex->Count();

  MakeTree(Tree(), 200, 20);
  engine->MessageIntervalMs = 0;
  engine->WriteAheadRecords = 16;
  int interrupted = 0;
  for (int stopAt : {1, 6, 9, 12, 16, 24, 40, 150}) {
    const std::string label = "Stopped" + std::to_string(stopAt);
    int pumps = 0;
    const int64_t deadBefore = DeadRefs();
    host.console.clear();
    host.onPump = [&](int) {
      if (++pumps == stopAt) engine->Abort();
    };
    AddDisc(label, Tree());
    host.onPump = nullptr;
    EXPECT_FALSE(host.HasLine("I 4001 file(s) and 407 folder(s) were added to the database"));
    const bool scanStopped = host.HasLine("W Scanning process interrupted");
    const bool finalized = host.HasLine("I Finalizing database");
    const int32_t at = engine->Discs->FindByLabel(Utf8ToUtf16(label));
    ASSERT_GE(at, 0) << label;
    const TDiscData d = engine->Discs->GetDisc(at);
    std::multiset<std::string> found = FindAll();
    int64_t mine = 0;
    for (const std::string& e : found) mine += e.rfind(label + "|", 0) == 0;
    if (scanStopped) {
      ++interrupted;
      EXPECT_FALSE(finalized) << label;
      EXPECT_EQ(d.Root, -1) << label;
      EXPECT_EQ(d.Files + d.Folders, 0) << label;
      EXPECT_EQ(mine, 0) << label;
      EXPECT_EQ(engine->FileNameIndex->Count(), fileNames) << label;
      EXPECT_EQ(engine->FolderNameIndex->Count(), folderNames) << label;
      EXPECT_EQ(DeadRefs(), deadBefore) << label;
    } else {
      // Stopped while storing after the scan: the partial disc stays.
      ASSERT_GE(d.Root, 0) << label;
      EXPECT_LT(d.Files, 4001) << label;
      EXPECT_EQ(mine, d.Files + d.Folders) << label;
      ASSERT_TRUE(engine->DeleteDisc(d)) << label;
      EXPECT_EQ(FindAll(), kept) << label;
    }
  }
  EXPECT_GT(interrupted, 0);

  Reopen();
  for (int32_t i = 0; i < engine->Discs->Count(); ++i) {
    const TDiscData d = engine->Discs->GetDisc(i);
    if (d.Label == u"Before") continue;
    EXPECT_EQ(d.Root, -1);
    EXPECT_EQ(d.Files + d.Folders, 0);
  }
  EXPECT_EQ(FindAll(), kept);
  AddDisc("Whole", Tree());
  EXPECT_TRUE(host.HasLine("I 4001 file(s) and 407 folder(s) were added to the database"));
  const TDiscData whole = engine->Discs->GetDisc(engine->Discs->FindByLabel(u"Whole"));
  EXPECT_EQ(whole.Files, 4001);
  EXPECT_EQ(whole.Folders, 407);
  EXPECT_EQ(FindAll().size(), kept.size() + 4001 + 407);
}

}  // namespace
}  // namespace qv::test
