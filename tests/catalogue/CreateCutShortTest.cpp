// A create cut short at any of its steps (the lock, each file it reads or
// opens and each write; the process ends there) leaves no catalogue, where
// a create then succeeds, or a catalogue under the name it was given that
// opens writable and takes a disc: never one named "". A create whose
// folder is replaced under it says so in the database's own words.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "catalogue/Engine.h"
#include "platform/FaultInjector.h"
#include "tests/catalogue/SessionSupport.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test::createcut {
namespace {

namespace fs = std::filesystem;

int Lines(const std::vector<std::string>& said, const std::string& start) {
  int n = 0;
  for (const auto& l : said) n += l.rfind(start, 0) == 0;
  return n;
}

using sessions::AddDisc;

// Creates catalogue "Shelf" in folder in a process of its own that ends at
// its step `kill` (0: never, and it ends without a close all the same); the
// number of steps it took.
int CreateInChild(const std::string& folder, int kill) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    RecordingHost host;
    host.folder = folder;
    FaultInjector faults;
    int steps = 0;
    auto step = [&] {
      if (++steps == kill) ::_exit(9);
    };
    faults.SetOpenHook([&](const std::string&, const std::string&) { step(); });
    faults.SetWriteHook([&](int64_t, const std::string&) { step(); });
    TEngine engine(host, QV_TEST_APP_DIR, faults);
    const bool made = engine.NewDatabase("", "Shelf");
    std::ofstream(folder + ".steps") << steps;
    ::_exit(made ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(child > 0 && WIFEXITED(status) && WEXITSTATUS(status) != 1) << status;
  int steps = 0;
  std::ifstream(folder + ".steps") >> steps;
  return steps;
}

TEST(CreateCutShort, AtEachStepLeavesNoCatalogueOrTheOneNamed) {
  TempDir dir;
  for (int f = 0; f < 3; ++f) MakeFile(dir / ("t/f" + std::to_string(f)), f);
  const int steps = CreateInChild(dir / "whole", 0);
  ASSERT_GT(steps, 5);
  std::cout << "a create cut short at each of its " << steps << " steps\n";
  for (int kill = 1; kill <= steps; ++kill) {
    SCOPED_TRACE("the create cut short at step " + std::to_string(kill));
    const std::string folder = dir / ("c" + std::to_string(kill));
    CreateInChild(folder, kill);
    RecordingHost host;
    host.folder = folder;
    TEngine engine(host, QV_TEST_APP_DIR);
    if (!fs::exists(folder + "/xbase.vlm")) {
      // No catalogue: one is made there as in an empty folder.
      ASSERT_TRUE(engine.NewDatabase("", "Again")) << testing::PrintToString(host.console);
      EXPECT_TRUE(engine.CloseDatabase());
      continue;
    }
    ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
    EXPECT_EQ(engine.Base->Name, "Shelf");
    // At most the open's word that the create's last change was not stored.
    EXPECT_EQ(Lines(host.console, "E "), 0) << testing::PrintToString(host.console);
    EXPECT_LE(Lines(host.console, "W The last change made before this open "), 1);
    EXPECT_EQ(Lines(host.console, "W "), Lines(host.console, "W The last change made before this open "))
        << testing::PrintToString(host.console);
    EXPECT_FALSE(engine.Base->ReadOnly()) << engine.Base->ReadOnlyText();
    EXPECT_EQ(engine.Discs->Categories.Count(), 10);
    EXPECT_TRUE(AddDisc(engine, "Disc", dir / "t")) << testing::PrintToString(host.console);
    EXPECT_TRUE(engine.CloseDatabase());
    RecordingHost next;
    next.folder = folder;
    TEngine again(next, QV_TEST_APP_DIR);
    ASSERT_TRUE(again.OpenDatabase(""));
    EXPECT_EQ(next.console.back(), "I Database \"Shelf\" has been loaded");
    EXPECT_EQ(again.Discs->Count(), 1);
    EXPECT_TRUE(again.CloseDatabase());
    if (HasFailure()) return;
  }
}

// The folder moved aside and another put in its place as the description
// is about to be written: the catalogue is made whole in the folder the
// create holds, and the one put in its place is not touched.
TEST(CreateCutShort, AFolderReplacedUnderTheCreateIsMadeWhereItWent) {
  TempDir dir;
  const std::string folder = dir / "db";
  RecordingHost host;
  host.folder = folder;
  FaultInjector faults;
  bool replaced = false;
  faults.SetOpenHook([&](const std::string& step, const std::string& path) {
    if (replaced || step != "open" || path.find("xbase.vlm") == std::string::npos) return;
    replaced = true;
    fs::rename(folder, folder + ".aside");
    fs::create_directory(folder);
    std::ofstream(folder + "/storage.vlm") << "another";
  });
  {
    TEngine engine(host, QV_TEST_APP_DIR, faults);
    EXPECT_TRUE(engine.NewDatabase("", "Shelf")) << testing::PrintToString(host.console);
    EXPECT_TRUE(replaced);
    EXPECT_TRUE(engine.CloseDatabase());
  }
  for (const auto& l : host.console) EXPECT_NE(l.rfind("E ", 0), 0u) << l;
  EXPECT_EQ(host.console.back(), "W The folder of database \"Shelf\" was moved to \"" +
                                     fs::canonical(folder + ".aside").string() +
                                     "\" while it was open; this session's changes are there");
  EXPECT_FALSE(fs::exists(folder + "/xbase.vlm"));
  std::ifstream other(folder + "/storage.vlm");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(other), {}), "another");
  RecordingHost next;
  next.folder = folder + ".aside";
  TEngine engine(next, QV_TEST_APP_DIR);
  ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(next.console);
  EXPECT_EQ(engine.Base->Name, "Shelf");
  EXPECT_FALSE(engine.Base->ReadOnly());
}

}  // namespace
}  // namespace qv::test::createcut
