// A folder held by its descriptor: names under its path land in the held
// folder wherever it is moved, never in one put where it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/BinaryFile.h"
#include "platform/Files.h"
#include "platform/HeldFolder.h"
#include "tests/common/TempDir.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

TEST(HeldFolder, FollowsTheFolderItHoldsAndNotThePath) {
  test::TempDir dir;
  const std::string at = dir / "held";
  fs::create_directories(at);
  HeldFolder folder;
  ASSERT_TRUE(folder.Open(at));
  EXPECT_EQ(folder.OpenedPath(), at + "/");
  EXPECT_TRUE(folder.IsAt(at));
  EXPECT_EQ(folder.WhereNow(), fs::canonical(at).string() + "/");
  ASSERT_TRUE(WriteFileAtomic(folder.Path() + "one", "1"));

  // Moved aside, another folder put where it was: a name made, renamed and
  // removed through the held folder touches only the one moved.
  fs::rename(at, dir / "aside");
  fs::create_directories(at);
  EXPECT_FALSE(folder.IsAt(at));
  EXPECT_EQ(folder.WhereNow(), fs::canonical(dir / "aside").string() + "/");
  ASSERT_TRUE(WriteFileAtomic(folder.Path() + "two", "2"));
  ASSERT_TRUE(RenameFile(folder.Path() + "one", folder.Path() + "three"));
  ASSERT_TRUE(SyncDirectory(folder.Path()));
  EXPECT_TRUE(fs::is_empty(at));
  EXPECT_TRUE(FileExists(dir / "aside/two"));
  EXPECT_TRUE(FileExists(dir / "aside/three"));
  EXPECT_FALSE(FileExists(dir / "aside/one"));

  // What a user reads names the folder as it was given.
  EXPECT_EQ(folder.Shown("Failed to write \"" + folder.Path() + "two\""),
            "Failed to write \"" + at + "/two\"");

  // Removed: no longer anywhere, and nothing is made through it.
  fs::remove_all(dir / "aside");
  EXPECT_TRUE(folder.Removed());
  EXPECT_EQ(folder.WhereNow(), "");
  BinaryFile f;
  EXPECT_FALSE(f.Open(folder.Path() + "four", BinaryFile::Mode::Create));
  EXPECT_TRUE(fs::is_empty(at));

  folder.Close();
  EXPECT_FALSE(folder.IsOpen());
  EXPECT_FALSE(folder.Open(dir / "missing"));
}

}  // namespace
}  // namespace qv
