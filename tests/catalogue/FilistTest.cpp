// The folder scanner on generated trees: what is taken and left out, the
// order of the tree, the filters, progress and aborting, and the tree nodes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "catalogue/FileData.h"
#include "catalogue/FileKinds.h"
#include "catalogue/Filist.h"
#include "platform/Files.h"
#include "tests/common/TempDir.h"

namespace qv {
namespace {

using test::TempDir;

void MakeFile(const std::string& path, std::size_t size = 0, int64_t mtime = -1) {
  std::ofstream(path, std::ios::binary) << std::string(size, 'x');
  if (mtime >= 0) {
    struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }
}

void MakeDir(const std::string& path) {
  ASSERT_EQ(::mkdir(path.c_str(), 0755), 0) << path;
}

// Checks the tree's own rules and returns its file and folder counts.
void CheckTree(const TFileData* node, int64_t& files, int64_t& folders) {
  ASSERT_NE(node->Kind, TFileData::kFile);
  bool seenFolder = false;
  for (int32_t i = 0; i < node->Count(); ++i) {
    const TFileData* c = node->GetChild(i);
    ASSERT_EQ(c->Parent, node);
    if (c->Kind == TFileData::kFile) {
      ASSERT_FALSE(seenFolder) << "a folder's files come before its sub-folders";
      ASSERT_EQ(c->Children, nullptr);
      ++files;
    } else {
      ASSERT_EQ(c->Kind, TFileData::kFolder);
      ASSERT_EQ(c->Size, 0);
      seenFolder = true;
      ++folders;
      CheckTree(c, files, folders);
    }
  }
}

void CheckScanner(const TFilist& s) {
  int64_t files = 0, folders = 0;
  CheckTree(s.Root(), files, folders);
  EXPECT_EQ(files, s.FileCount);
  EXPECT_EQ(folders, s.FolderCount);
  EXPECT_EQ(s.TotalCount, files + folders);
}

// Every node as "path+name" (folders with a trailing "/").
void Collect(const TFileData* node, std::vector<std::string>& out) {
  for (int32_t i = 0; i < node->Count(); ++i) {
    const TFileData* c = node->GetChild(i);
    out.push_back(c->GetPath() + c->Name + (c->IsFolder() ? "/" : ""));
    Collect(c, out);
  }
}

std::vector<std::string> Names(const TFilist& s) {
  std::vector<std::string> out;
  Collect(s.Root(), out);
  std::sort(out.begin(), out.end());
  return out;
}

const TFileData* Find(const TFileData* node, const std::string& name) {
  for (int32_t i = 0; i < node->Count(); ++i)
    if (node->GetChild(i)->Name == name) return node->GetChild(i);
  return nullptr;
}

class ScannerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kinds.LoadDefaults();
    MakeFile(dir / "a.txt", 10);
    MakeFile(dir / "b.exe", 20);
    MakeFile(dir / "noext", 5);
    MakeFile(dir / "junk.tmp", 1);
    MakeFile(dir / ".hidden.txt");
    MakeDir(dir / "sub");
    MakeFile(dir / "sub/c.TXT", 30);
    MakeDir(dir / "sub/deep");
    MakeFile(dir / "sub/deep/d.c", 40);
    MakeDir(dir / ".hiddendir");
    MakeFile(dir / ".hiddendir/x.txt");
    ASSERT_EQ(::symlink("sub", (dir / "linkdir").c_str()), 0);
    ASSERT_EQ(::symlink(".", (dir / "sub/loop").c_str()), 0);
    ASSERT_EQ(::symlink("a.txt", (dir / "linkfile.txt").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir / "fifo.txt").c_str(), 0644), 0);
  }

  TScanOpts Opts(bool allFiles = true) {
    TScanOpts o;
    o.Path = dir.Path();
    o.AllFiles = allFiles;
    return o;
  }

  TempDir dir;
  TFileKinds kinds;
  TFilist scanner{&kinds};
};

TEST_F(ScannerTest, TakesFoldersAndRegularFilesOnly) {
  ASSERT_TRUE(scanner.Scan(Opts()));
  CheckScanner(scanner);
  std::vector<std::string> expected = {"/a.txt", "/b.exe",     "/junk.tmp",  "/noext",
                                       "/sub/",  "/sub/c.TXT", "/sub/deep/", "/sub/deep/d.c"};
  EXPECT_EQ(Names(scanner), expected);  // no hidden entries, links or FIFOs
  EXPECT_EQ(scanner.FileCount, 6);
  EXPECT_EQ(scanner.FolderCount, 2);
  EXPECT_EQ(scanner.RootPath, dir.Path());
  EXPECT_EQ(scanner.Root()->Name, "Root");
  EXPECT_EQ(scanner.Root()->Kind, TFileData::kRoot);
}

TEST_F(ScannerTest, KeepsSizesAndDates) {
  MakeFile(dir / "dated.bin", 1234, 1000000000);
  ASSERT_TRUE(scanner.Scan(Opts()));
  const TFileData* f = Find(scanner.Root(), "dated.bin");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Size, 1234);
  EXPECT_EQ(f->Date, UnixToLocalDateTime(1000000000));
  const TFileData* sub = Find(scanner.Root(), "sub");
  ASSERT_NE(sub, nullptr);
  struct statx st {};
  ASSERT_EQ(::statx(AT_FDCWD, (dir / "sub").c_str(), 0, STATX_BTIME | STATX_MTIME, &st), 0);
  int64_t born = (st.stx_mask & STATX_BTIME) ? st.stx_btime.tv_sec : st.stx_mtime.tv_sec;
  EXPECT_EQ(sub->Date, UnixToLocalDateTime(born));
}

TEST_F(ScannerTest, AFolderWithoutBirthTimeTakesItsModificationTime) {
  struct statx st {};
  st.stx_mtime.tv_sec = 1600000000;
  // No birth time offered, and one offered as 0 (some file systems do so):
  // both mean the modification time, never 01/01/1970.
  st.stx_mask = STATX_MTIME;
  EXPECT_EQ(FolderTime(st), 1600000000);
  st.stx_mask = STATX_MTIME | STATX_BTIME;
  EXPECT_EQ(FolderTime(st), 1600000000);
  st.stx_btime.tv_sec = 1500000000;
  EXPECT_EQ(FolderTime(st), 1500000000);
  // A scanned folder is never dated at the epoch.
  ASSERT_TRUE(scanner.Scan(Opts()));
  const TFileData* sub = Find(scanner.Root(), "sub");
  ASSERT_NE(sub, nullptr);
  EXPECT_GT(sub->Date, UnixToLocalDateTime(86400));
}

TEST_F(ScannerTest, TrailingDelimiterScansTheSameFolder) {
  ASSERT_TRUE(scanner.Scan(Opts()));
  auto with = Names(scanner);
  TScanOpts o = Opts();
  o.Path = ExcludeTrailingPathDelimiter(o.Path);
  ASSERT_TRUE(scanner.Scan(o));
  EXPECT_EQ(Names(scanner), with);
  EXPECT_EQ(scanner.RootPath, o.Path);
}

TEST_F(ScannerTest, TypeTableDropsUnselectedAndUnlistedFiles) {
  ASSERT_TRUE(scanner.Scan(Opts(false)));
  CheckScanner(scanner);
  // noext has no type, .tmp is "Temporary" (not selected); .c is a program source.
  std::vector<std::string> expected = {"/a.txt",     "/b.exe",     "/sub/",
                                       "/sub/c.TXT", "/sub/deep/", "/sub/deep/d.c"};
  EXPECT_EQ(Names(scanner), expected);
}

TEST_F(ScannerTest, FoldersOnlyRecordsNoFile) {
  TScanOpts o = Opts();
  o.FoldersOnly = true;
  ASSERT_TRUE(scanner.Scan(o));
  EXPECT_EQ(scanner.FileCount, 0);
  EXPECT_EQ(Names(scanner), (std::vector<std::string>{"/sub/", "/sub/deep/"}));
}

TEST_F(ScannerTest, MissingFolderIsEmpty) {
  TScanOpts o = Opts();
  o.Path = dir / "nowhere";
  EXPECT_TRUE(scanner.Scan(o));
  EXPECT_EQ(scanner.TotalCount, 0);
  EXPECT_EQ(scanner.Root()->Count(), 0);
}

// Runs body in a child process (as an unprivileged user when the tests run
// as root, so that permissions hold); the child's exit code is body's result.
template <class Body>
void InChild(Body body, bool unprivileged) {
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    ::_exit(body() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(ScannerTest, UnreadableFolderIsKeptEmptyWithOneWarning) {
  MakeDir(dir / "locked");
  MakeFile(dir / "locked/in.txt");
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod((dir / "locked").c_str(), 0), 0);
  InChild(
      [&] {
        std::vector<std::string> warnings;
        scanner.OnWarning = [&](const std::string& w) { warnings.push_back(w); };
        const TFileData* locked = scanner.Scan(Opts()) ? Find(scanner.Root(), "locked") : nullptr;
        return locked && locked->Count() == 0 && Find(scanner.Root(), "a.txt") &&
               warnings == std::vector<std::string>{"Failed to read folder \"" + (dir / "locked") + "\""};
      },
      true);
  ::chmod((dir / "locked").c_str(), 0755);
}

TEST_F(ScannerTest, UnreadableFoldersBelowOneTopFolderGiveOneLineAndACount) {
  // As in /proc: many folders that cannot be read, deep in one tree.
  for (const char* p : {"sys", "sys/p1", "sys/p2", "sys/p3"}) MakeDir(dir / p);
  for (const char* p : {"sys/p1/locked", "sys/p2/locked", "sys/p3/locked", "solo"}) {
    MakeDir(dir / p);
    MakeFile(dir / (std::string(p) + "/in.txt"));
  }
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  for (const char* p : {"sys", "sys/p1", "sys/p2", "sys/p3"}) ASSERT_EQ(::chmod((dir / p).c_str(), 0755), 0);
  for (const char* p : {"sys/p1/locked", "sys/p2/locked", "sys/p3/locked", "solo"})
    ASSERT_EQ(::chmod((dir / p).c_str(), 0), 0);
  InChild(
      [&] {
        std::vector<std::string> warnings;
        scanner.OnWarning = [&](const std::string& w) { warnings.push_back(w); };
        if (!scanner.Scan(Opts()) || warnings.size() != 3) return false;
        // The walk meets the folders in the file system's order.
        std::sort(warnings.begin(), warnings.begin() + 2);
        const std::string named = warnings[1];
        const std::string prefix = "Failed to read folder \"" + (dir / "sys/p");
        return warnings[0] == "Failed to read folder \"" + (dir / "solo") + "\"" &&
               named.compare(0, prefix.size(), prefix) == 0 && named.size() == prefix.size() + 9 &&
               named.substr(prefix.size() + 1) == "/locked\"" &&
               warnings[2] == "Failed to read 2 more folder(s) under \"" + (dir / "sys") + "\"";
      },
      true);
  for (const char* p : {"sys/p1/locked", "sys/p2/locked", "sys/p3/locked", "solo"})
    ::chmod((dir / p).c_str(), 0755);
}

TEST(ScannerDepth, TreesDeeperThanTheOpenFileLimitAreStoredWhole) {
  TempDir dir;
  // 1,100 levels, with a side folder holding a file every 100 levels, so that
  // the walk comes back up through folders it had to let go of.
  const int depth = 1100;
  std::string path = dir.Path();
  for (int level = 1; level <= depth; ++level) {
    path += "d/";
    MakeDir(path);
    if (level % 100 == 0) {
      MakeDir(path + "side");
      MakeFile(path + "side/s.txt");
    }
  }
  MakeFile(path + "bottom.txt");
  MakeDir(dir / "last");
  MakeFile(dir / "last/top.txt");
  InChild(
      [&] {
        struct rlimit limit {
          256, 256
        };
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) return false;
        TFileKinds kinds;
        TFilist scanner(&kinds);
        int warnings = 0;
        scanner.OnWarning = [&](const std::string&) { ++warnings; };
        TScanOpts o;
        o.Path = dir.Path();
        o.AllFiles = true;
        if (!scanner.Scan(o)) return false;
        int64_t files = 0, folders = 0;
        CheckTree(scanner.Root(), files, folders);
        return warnings == 0 && scanner.FileCount == 13 && scanner.FolderCount == depth + 11 + 1;
      },
      false);
}

TEST_F(ScannerTest, FilterByCriteria) {
  MakeFile(dir / "big.txt", 100, 2000000000);
  MakeFile(dir / "edge.txt", 50, 1500000000);
  MakeFile(dir / "sub/c.TXT", 30, 1400000000);
  TSearchOpts c;
  c.FileMask = "*.txt";
  c.MinSizeOn = true;
  c.MinSize = 30;  // c.TXT has exactly 30 bytes: kept
  c.MaxDateOn = true;
  c.MaxDate = UnixToLocalDateTime(1500000000);  // edge.txt is dated exactly then: kept
  ASSERT_TRUE(scanner.ScanFiltered(Opts(), c));
  CheckScanner(scanner);
  auto names = Names(scanner);
  std::vector<std::string> files;
  for (auto& n : names)
    if (n.back() != '/') files.push_back(n);
  EXPECT_EQ(files, (std::vector<std::string>{"/edge.txt", "/sub/c.TXT"}));
  EXPECT_TRUE(scanner.FilterOn);
}

TEST_F(ScannerTest, FilterByFileType) {
  TSearchOpts c;
  c.FileMask = "*";
  c.FileType = kinds.IndexOf("c");
  ASSERT_GE(c.FileType, 0);
  ASSERT_TRUE(scanner.ScanFiltered(Opts(), c));
  EXPECT_EQ(scanner.FileCount, 1);
  EXPECT_NE(Find(Find(Find(scanner.Root(), "sub"), "deep"), "d.c"), nullptr);
}

TEST_F(ScannerTest, EmptyFileMaskListsNoFiles) {
  ASSERT_TRUE(scanner.ScanFiltered(Opts(), TSearchOpts{}));
  EXPECT_EQ(scanner.FileCount, 0);
  EXPECT_EQ(scanner.FolderCount, 2);
}

TEST_F(ScannerTest, MalformedMaskIsReportedOnlyWhenANameReachesIt) {
  std::vector<std::string> errors;
  scanner.OnError = [&](const std::string& e) { errors.push_back(e); };
  TSearchOpts c;
  c.FileMask = "a[";
  EXPECT_TRUE(scanner.ScanFiltered(Opts(), c));  // no file is named "a["
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(scanner.FileCount, 0);

  MakeFile(dir / "A[");
  EXPECT_FALSE(scanner.ScanFiltered(Opts(), c));
  EXPECT_EQ(errors, (std::vector<std::string>{"Invalid file mask \"a[\" specifed"}));
  EXPECT_TRUE(scanner.Aborted);
  EXPECT_EQ(scanner.FileCount, 0);
}

TEST_F(ScannerTest, SetMasksWorkInFilteredScans) {
  TSearchOpts c;
  c.FileMask = "[ab].*";
  ASSERT_TRUE(scanner.ScanFiltered(Opts(), c));
  EXPECT_EQ(scanner.FileCount, 2);  // a.txt and b.exe
}

TEST_F(ScannerTest, ProgressCountsEntriesInUnitsOf500) {
  for (int i = 0; i < 1200; ++i) MakeFile(dir / ("f" + std::to_string(i) + ".txt"));
  std::vector<int32_t> values;
  scanner.OnProgress = [&](int32_t v) { values.push_back(v); };
  ASSERT_TRUE(scanner.Scan(Opts()));
  ASSERT_GE(values.size(), 3u);
  EXPECT_EQ(values.front(), 0);
  EXPECT_EQ(values.back(), 0);
  EXPECT_EQ(values[values.size() - 2], scanner.TotalCount / 500);
  EXPECT_TRUE(std::is_sorted(values.begin() + 1, values.end() - 1));
  EXPECT_EQ(int64_t(values.size()), scanner.TotalCount + 2);  // one per entry, plus start and end
}

TEST_F(ScannerTest, AbortStopsTheScanAndKeepsWhatWasAdded) {
  for (int i = 0; i < 1200; ++i) MakeFile(dir / ("f" + std::to_string(i) + ".txt"));
  scanner.OnProgress = [&](int32_t v) {
    if (v == 1) scanner.Abort();
  };
  EXPECT_FALSE(scanner.Scan(Opts()));
  EXPECT_EQ(scanner.TotalCount, 500);
  EXPECT_EQ(scanner.FolderCount, 0);  // aborted among the root's files: no folder walked
  CheckScanner(scanner);
  // The next scan clears the flag.
  scanner.OnProgress = nullptr;
  EXPECT_TRUE(scanner.Scan(Opts()));
  EXPECT_EQ(scanner.FileCount, 1206);
}

TEST_F(ScannerTest, MessageLoopRunsDuringALongScan) {
  for (int i = 0; i < 300; ++i) MakeFile(dir / ("f" + std::to_string(i)));
  int calls = 0;
  scanner.OnProcessMessages = [&] {
    ++calls;
    scanner.Abort();  // Stop pressed: the scan ends at the next entry
  };
  // Slow each entry down so that the throttled message loop gets its turn.
  scanner.OnProgress = [](int32_t) { ::usleep(200); };
  EXPECT_FALSE(scanner.Scan(Opts()));
  EXPECT_EQ(calls, 1);
  EXPECT_LT(scanner.TotalCount, 300);
}

TEST_F(ScannerTest, CallsBackIntoTheScannerAreSafe) {
  int calls = 0;
  scanner.OnProgress = [&](int32_t) {
    if (++calls != 4) return;
    EXPECT_FALSE(scanner.ScanFiltered(Opts(), TSearchOpts{}));  // a second scan is refused
    EXPECT_FALSE(scanner.FilterOn);
    scanner.Reset();  // aborts; the tree goes when the walk has ended
  };
  EXPECT_FALSE(scanner.Scan(Opts()));
  EXPECT_EQ(scanner.Root()->Count(), 0);
  EXPECT_EQ(scanner.TotalCount, 0);
  scanner.OnProgress = nullptr;
  EXPECT_TRUE(scanner.Scan(Opts()));
  EXPECT_EQ(scanner.TotalCount, 8);
}

TEST(Scanner, DeepTreesNeedNoDeepStack) {
  TempDir dir;
  int fd = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
  const int depth = 1000;
  for (int i = 0; i < depth; ++i) {
    ASSERT_EQ(::mkdirat(fd, "d", 0755), 0);
    int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
  }
  ::close(::openat(fd, "leaf.txt", O_CREAT | O_WRONLY, 0644));
  ::close(fd);
  TFilist scanner(nullptr);
  TScanOpts o;
  o.Path = dir.Path();
  ASSERT_TRUE(scanner.Scan(o));
  EXPECT_EQ(scanner.FolderCount, depth);
  EXPECT_EQ(scanner.FileCount, 1);
  const TFileData* node = scanner.Root();
  while (node->Count() > 0) node = node->GetChild(node->Count() - 1);
  EXPECT_EQ(node->Name, "leaf.txt");
  EXPECT_EQ(node->GetPath().size(), std::size_t(1 + 2 * depth));
}

TEST(FileData, PathsAndChildren) {
  auto root = TFileData::CreateRoot();
  TFileData* a = root->AddNew(TFileData::kFolder, 0, 0, "a");
  TFileData* b = a->AddNew(TFileData::kFolder, 0, 0, "b");
  TFileData* f = b->AddNew(TFileData::kFile, 0, 7, "f.txt");
  EXPECT_EQ(a->GetPath(), "/");
  EXPECT_EQ(f->GetPath(), "/a/b/");
  // Real paths meet at one delimiter, under the root folder "/" too.
  EXPECT_EQ(f->PathUnder("/"), "/a/b/f.txt");
  EXPECT_EQ(f->PathUnder("/mnt/disc"), "/mnt/disc/a/b/f.txt");
  EXPECT_EQ(f->PathUnder("/mnt/disc/"), "/mnt/disc/a/b/f.txt");
  EXPECT_EQ(a->PathUnder("/"), "/a");
  EXPECT_EQ(root->PathUnder("/mnt/disc/"), "/mnt/disc/");
  EXPECT_EQ(f->Count(), 0);
  EXPECT_THROW(f->AddNew(TFileData::kFile, 0, 0, "x"), EAssertionFailed);
  EXPECT_THROW(b->GetChild(1), EAssertionFailed);
  EXPECT_THROW(b->GetChild(-1), EAssertionFailed);
  for (int i = 0; i < 120; ++i)
    EXPECT_EQ(b->AddChild(std::make_unique<TFileData>(TFileData::kFile, b)), i + 1);
  EXPECT_EQ(b->Count(), 121);
  a->ClearChildren();
  EXPECT_EQ(a->Count(), 0);
  TFileData empty(TFileData::kFolder, nullptr);
  EXPECT_EQ(empty.Name, "");
  EXPECT_NE(empty.Children, nullptr);
}

TEST(FileData, FreeingAVeryDeepTreeIsIterative) {
  auto root = TFileData::CreateRoot();
  TFileData* node = root.get();
  for (int i = 0; i < 200000; ++i) node = node->AddNew(TFileData::kFolder, 0, 0, "x");
  root.reset();  // would overflow the stack if freeing recursed
  SUCCEED();
}

}  // namespace
}  // namespace qv
