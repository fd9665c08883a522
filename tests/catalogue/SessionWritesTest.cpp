// What a session writes: a session that only reads ends without a commit,
// and a catalogue that cannot be written (read-only media, a full disc) still
// opens, for reading only, with the system's reason on the console.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <mutex>

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

}  // namespace
}  // namespace qv::test
