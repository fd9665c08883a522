// The scan on a worker thread: the taking thread sees exactly the walk of a
// scan on its own thread, folder by folder; the worker's console lines wait
// for the end; Stop from the taking thread ends the walk with every folder
// closed; and an add stopped while its scan runs leaves a consistent disc.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "catalogue/Filist.h"
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

using FedAdd = EngineFixture;

// Stop pressed while the scan may still run: whatever was stored is the disc,
// its counts say so, and it reads back the same after reopening.
TEST_F(FedAdd, StopDuringTheScanLeavesAConsistentDisc) {
  MakeTree(Tree(), 200, 20);
  engine->MessageIntervalMs = 0;
  engine->WriteAheadRecords = 16;
  int pumps = 0;
  host.onPump = [&](int) {
    if (++pumps == 3) engine->Abort();
  };
  AddDisc("Stopped", Tree());
  host.onPump = nullptr;
  const bool interrupted = host.HasLine("W Scanning process interrupted");
  EXPECT_NE(interrupted, host.HasLine("I Found 4001 file(s) and 407 folders(s)"));
  EXPECT_FALSE(host.HasLine("I 4001 file(s) and 407 folder(s) were added to the database"));
  ASSERT_EQ(engine->Discs->Count(), 1);
  const TDiscData d = engine->Discs->GetDisc(0);
  ASSERT_GE(d.Root, 0);
  EXPECT_LT(d.Files, 4001);
  ASSERT_TRUE(engine->Search(Files("*")));
  int64_t files = 0;
  for (const std::string& e : Entries()) files += e.find(".txt") != std::string::npos;
  EXPECT_EQ(files, d.Files);
  Reopen();
  EXPECT_EQ(engine->Discs->GetDisc(0).Files, d.Files);
  EXPECT_EQ(engine->Discs->GetDisc(0).Folders, d.Folders);
  // The next add goes on soundly and finds every file.
  AddDisc("Whole", Tree());
  EXPECT_TRUE(host.HasLine("I 4001 file(s) and 407 folder(s) were added to the database"));
  EXPECT_EQ(engine->Discs->GetDisc(1).Files, 4001);
}

}  // namespace
}  // namespace qv::test
