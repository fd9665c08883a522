// Binary file access and the fault injector the crash tests rely on.
#include <gtest/gtest.h>

#include "platform/BinaryFile.h"
#include "platform/FaultInjector.h"
#include "platform/Files.h"
#include "tests/common/TempDir.h"

namespace qv {
namespace {

struct BinaryFileTest : ::testing::Test {
  test::TempDir dir;
  FaultInjector faults;
};

TEST_F(BinaryFileTest, WritesAndReadsAt64BitPositions) {
  BinaryFile f;
  ASSERT_TRUE(f.Open(dir / "a.bin", BinaryFile::Mode::Create));
  const int64_t far = (int64_t(1) << 32) + 5;  // past 4 GiB: sparse, costs no space
  ASSERT_TRUE(f.WriteAt(far, "xyz", 3));
  EXPECT_EQ(f.Size(), far + 3);
  char buf[8] = {};
  EXPECT_EQ(f.ReadAt(far, buf, 8), 3);
  EXPECT_EQ(std::string(buf, 3), "xyz");
  EXPECT_EQ(f.ReadAt(far + 10, buf, 8), 0);
}

TEST_F(BinaryFileTest, OpenFailuresReportErrno) {
  BinaryFile f;
  EXPECT_FALSE(f.Open(dir / "missing", BinaryFile::Mode::Read));
  EXPECT_NE(f.Error(), 0);
  EXPECT_FALSE(f.Open(dir.Path(), BinaryFile::Mode::Read));  // a folder is not a file
}

TEST_F(BinaryFileTest, SecondLockFails) {
  BinaryFile a, b;
  ASSERT_TRUE(a.Open(dir / "l", BinaryFile::Mode::Create));
  ASSERT_TRUE(b.Open(dir / "l", BinaryFile::Mode::ReadWrite));
  EXPECT_TRUE(a.TryLock());
  EXPECT_FALSE(b.TryLock());
  a.Close();
  EXPECT_TRUE(b.TryLock());
}

TEST_F(BinaryFileTest, InjectedWriteFailures) {
  BinaryFile f;
  ASSERT_TRUE(f.Open(dir / "w", BinaryFile::Mode::Create, faults));
  faults.FailOnlyWrite(2);
  EXPECT_TRUE(f.WriteAt(0, "a", 1));
  EXPECT_FALSE(f.WriteAt(1, "b", 1));
  EXPECT_TRUE(f.WriteAt(1, "c", 1));
  faults.FailWritesFrom(5);
  EXPECT_TRUE(f.WriteAt(2, "d", 1));
  EXPECT_FALSE(f.WriteAt(3, "e", 1));
  EXPECT_FALSE(f.Sync());
  EXPECT_EQ(faults.WriteCount(), 6);
}

TEST_F(BinaryFileTest, PowerLossRollsBackToLastSync) {
  faults.TrackUnsynced(true);
  {
    BinaryFile f;
    ASSERT_TRUE(f.Open(dir / "p", BinaryFile::Mode::Create, faults));
    ASSERT_TRUE(f.WriteAt(0, "synced", 6));
    ASSERT_TRUE(f.Sync());
    ASSERT_TRUE(f.WriteAt(0, "lost!!--", 8));
  }
  ASSERT_TRUE(WriteFileAtomic(dir / "r", "kept", faults));
  faults.SimulatePowerLoss();
  std::string data;
  ASSERT_TRUE(ReadWholeFile(dir / "p", data));
  EXPECT_EQ(data, "synced");
  ASSERT_TRUE(ReadWholeFile(dir / "r", data));
  EXPECT_EQ(data, "kept");
}

TEST_F(BinaryFileTest, PathText) {
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a//"), "/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
  EXPECT_EQ(ExtractFilePath("/a/b.txt"), "/a/");
  EXPECT_EQ(ExtractFileName("/a/b.txt"), "b.txt");
  EXPECT_EQ(ExtractFileExt("/a.d/b"), "");
  EXPECT_EQ(ExtractFileExt("b.tar.gz"), ".gz");
  EXPECT_EQ(ChangeFileExt("/x/prog", ".ini"), "/x/prog.ini");
  EXPECT_TRUE(ForceDirectories(dir / "x/y/z"));
  EXPECT_TRUE(DirectoryExists(dir / "x/y/z"));
}

}  // namespace
}  // namespace qv
