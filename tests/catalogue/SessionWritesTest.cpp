// What a session writes: a session that only reads ends without a commit,
// and a catalogue that cannot be written (read-only media, a full disc) still
// opens, for reading only, with the system's reason on the console.
#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "catalogue/Engine.h"
#include "platform/FaultInjector.h"
#include "storage/Base.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class SessionWritesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 30; ++i)
      MakeFile(dir / ("tree/sub" + std::to_string(i % 3) + "/f" + std::to_string(i)), i);
    host.folder = dir / "db";
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.NewDatabase("secret", "Writes"));
    TScanOpts scan;
    scan.Path = dir / "tree";
    TDiscData d;
    d.Label = u"Disc";
    engine.AddDisc(scan, d);
    ASSERT_EQ(engine.Discs->Count(), 1);
    ASSERT_TRUE(engine.CloseDatabase());
  }

  // Notes from now on every write, truncation and sync, by file name.
  void NoteWrites() {
    faults.SetWriteHook([this](int64_t, const std::string& path) {
      std::lock_guard g(lock);
      ++writes[fs::path(path).filename().string()];
    });
  }

  // Every file of the catalogue with its content.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (auto& entry : fs::directory_iterator(host.folder)) {
      std::ostringstream content;
      content << std::ifstream(entry.path(), std::ios::binary).rdbuf();
      files[entry.path().filename().string()] = content.str();
    }
    return files;
  }

  bool SaidOnce(const std::string& text) const {
    int n = 0;
    for (auto& l : host.console) n += l.find(text) != std::string::npos;
    return n == 1;
  }

  // A catalogue that cannot be written: it opens for reading only, saying
  // why; search, browse and compare work; every change is refused, without
  // the reason said again; and nothing of it changes.
  void ExpectReadOnlySession(TEngine& engine, const std::string& reason) {
    const auto before = Files();
    ASSERT_TRUE(engine.OpenDatabase("secret")) << ::testing::PrintToString(host.console);
    EXPECT_TRUE(engine.Base->ReadOnly());
    EXPECT_TRUE(SaidOnce(reason)) << ::testing::PrintToString(host.console);
    EXPECT_EQ(Found(engine, "f1*"), 11u);
    EXPECT_TRUE(engine.Browse(0));
    EXPECT_EQ(engine.Discs->BrowseRoot->Count(), 3);
    TSearchOpts all;
    all.FileMask = "*";
    EXPECT_TRUE(engine.CompareFolder(dir / "tree/sub1", all)) << ::testing::PrintToString(host.console);
    EXPECT_FALSE(host.rows.empty());  // the folder's files, found on the disc
    host.console.clear();
    TScanOpts scan;
    scan.Path = dir / "tree/sub2";
    TDiscData d;
    d.Label = u"More";
    engine.AddDisc(scan, d);
    EXPECT_FALSE(engine.DeleteDisc(engine.Discs->GetDisc(0)));
    TDiscData renamed = engine.Discs->GetDisc(0);
    renamed.Label = u"Renamed";
    engine.UpdateDisc(0, renamed);
    EXPECT_EQ(engine.Discs->Count(), 1);
    EXPECT_EQ(engine.Discs->GetDisc(0).Label, u"Disc");
    // Each refused once, as an error; the reason, said at the open, is not
    // said again.
    std::size_t refused = 0, again = 0;
    for (auto& l : host.console) {
      refused += l == "E The database cannot be written and is opened for reading only";
      again += l.find(reason) != std::string::npos;
    }
    EXPECT_EQ(refused, 3u) << ::testing::PrintToString(host.console);
    EXPECT_EQ(again, 0u) << ::testing::PrintToString(host.console);
    EXPECT_EQ(host.console.size(), 3u) << ::testing::PrintToString(host.console);
    EXPECT_TRUE(engine.CloseDatabase());
    EXPECT_EQ(Files(), before);
  }

  std::size_t Found(TEngine& engine, const std::string& mask) {
    TSearchOpts o;
    o.FileMask = mask;
    engine.Search(o);
    std::size_t n = 0;
    for (auto& r : host.rows) n += r.parent >= 0;
    return n;
  }

  TempDir dir;
  RecordingHost host;
  FaultInjector faults;
  std::mutex lock;
  std::map<std::string, int> writes;
};

TEST_F(SessionWritesTest, ASessionThatOnlyReadsCommitsNothing) {
  TEngine engine(host, QV_TEST_APP_DIR, faults);
  ASSERT_TRUE(engine.OpenDatabase("secret"));
  NoteWrites();
  EXPECT_EQ(Found(engine, "f1*"), 11u);
  EXPECT_TRUE(engine.Browse(0));
  ASSERT_TRUE(engine.CloseDatabase());
  faults.Reset();
  // The close clears the open mark in xbase.vlm and stamps the data file's
  // header; no record, index entry, journal or free-space list is written.
  writes.erase("xbase.vlm.tmp");
  EXPECT_LE(writes["storage.vlm"], 1);
  writes.erase("storage.vlm");
  EXPECT_TRUE(writes.empty()) << ::testing::PrintToString(writes);
}

TEST_F(SessionWritesTest, ACatalogueOnReadOnlyMediaOpensForReadingOnly) {
  faults.RefuseChanges(EROFS);
  TEngine engine(host, QV_TEST_APP_DIR, faults);
  ExpectReadOnlySession(engine, "Read-only file system");
}

TEST_F(SessionWritesTest, ACatalogueOnAFullDiscOpensForReadingOnly) {
  faults.FailWritesFrom(1);
  TEngine engine(host, QV_TEST_APP_DIR, faults);
  ExpectReadOnlySession(engine, "No space left on device");
}

TEST_F(SessionWritesTest, ACatalogueInAFolderWeMayNotWriteOpensForReadingOnly) {
  // Permission bits do not stop the superuser, for whom the refusal is
  // played by the file layer instead.
  if (::geteuid() == 0) faults.RefuseChanges(EACCES);
  ::chmod(host.folder.c_str(), 0555);
  for (auto& entry : fs::directory_iterator(host.folder)) ::chmod(entry.path().c_str(), 0444);
  TEngine engine(host, QV_TEST_APP_DIR, faults);
  ExpectReadOnlySession(engine, "Permission denied");
  ::chmod(host.folder.c_str(), 0755);
}

}  // namespace
}  // namespace qv::test
