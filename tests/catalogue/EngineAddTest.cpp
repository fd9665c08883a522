// Adding discs: counts, console narration, shared name records, partial adds.
#include <algorithm>
#include <chrono>
#include <thread>

#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

using EngineAdd = EngineFixture;

TEST_F(EngineAdd, StoresTheTreeAndNarrates) {
  MakeFile(Tree("a.txt"), 10);
  MakeFile(Tree("sub/b.TXT"), 20);
  MakeFile(Tree("sub/deeper/B.txt"), 30);
  MakeFile(Tree(".hidden"), 5);
  MakeFolder(Tree("empty"));
  host.console.clear();
  AddDisc("Disc1", Tree());
  ASSERT_EQ(engine->Discs->Count(), 1);
  TDiscData d = engine->Discs->GetDisc(0);
  EXPECT_EQ(d.Files, 3);
  EXPECT_EQ(d.Folders, 3);
  EXPECT_GE(d.Root, 0);
  ASSERT_GE(host.console.size(), 6u);
  EXPECT_EQ(host.console[0], "I Scanning \"Disc1\" [" + Tree() + "] ...");
  EXPECT_EQ(host.console[1], "I Found 3 file(s) and 3 folders(s)");
  EXPECT_EQ(host.console[2], "I Adding files and folders to the database ...");
  // Files are said added once they are on disk.
  EXPECT_EQ(host.console[3], "I Finalizing database");
  EXPECT_EQ(host.console[4], "I 3 file(s) and 3 folder(s) were added to the database");
  EXPECT_EQ(host.console[5].rfind("I Done in ", 0), 0u);
  // The final write cannot be stopped: the windows are told for its length.
  auto call = [&](const std::string& c) { return std::count(host.calls.begin(), host.calls.end(), c); };
  EXPECT_EQ(call("StopAvailable 0 before line 3"), 1);
  EXPECT_EQ(call("StopAvailable 1 before line 4"), 1);

  // The search folds case; each spelling keeps a name record of its own.
  ASSERT_TRUE(engine->Search(Files("b.txt")));
  EXPECT_EQ(Groups(), (std::set<std::string>{"b.TXT", "B.txt"}));
  EXPECT_EQ(Entries(), (std::multiset<std::string>{"Disc1|/sub/b.TXT", "Disc1|/sub/deeper/B.txt"}));
}

TEST_F(EngineAdd, RefusesBadLabelsAndDuplicates) {
  MakeFile(Tree("x"), 1);
  AddDisc("", Tree());
  EXPECT_TRUE(host.HasLine("E Disc label must be specified"));
  AddDisc("Same", Tree());
  AddDisc("SAME", Tree());
  EXPECT_TRUE(host.HasLine("E Disc labeled \"SAME\" is already in the database"));
  EXPECT_EQ(engine->Discs->Count(), 1);
}

TEST_F(EngineAdd, LabelsAndLocationsBeyond255BytesAreRefused) {
  MakeFile(Tree("x"), 1);
  // 85 three-byte characters fill the field exactly; one byte more is refused.
  const std::string full(255 / 3, 'x');
  std::string wide;
  for (std::size_t i = 0; i < full.size(); ++i) wide += "\u4E2D";
  AddDisc(wide + "a", Tree());
  EXPECT_TRUE(host.HasLine("E Disc label is longer than 255 bytes"));
  EXPECT_EQ(engine->Discs->Count(), 0);
  AddDisc(wide, Tree());
  ASSERT_EQ(engine->Discs->Count(), 1);
  TScanOpts scan;
  scan.Path = Tree();
  TDiscData d;
  d.Label = u"Other";
  d.Location = Utf8ToUtf16(std::string(256, 'l'));
  engine->AddDisc(scan, d);
  EXPECT_TRUE(host.HasLine("E Disc location is longer than 255 bytes"));
  EXPECT_EQ(engine->Discs->Count(), 1);
  // The disc properties refuse too, and change nothing.
  TDiscData edit = engine->Discs->GetDisc(0);
  edit.Label = Utf8ToUtf16(wide + wide);
  edit.Category = 4;
  engine->UpdateDisc(0, edit);
  EXPECT_EQ(engine->Discs->GetDisc(0).Label, Utf8ToUtf16(wide));
  EXPECT_EQ(engine->Discs->GetDisc(0).Category, 0);
  Reopen();
  EXPECT_EQ(engine->Discs->GetDisc(0).Label, Utf8ToUtf16(wide));
}

TEST_F(EngineAdd, WithoutFilesStoresAnEmptyDisc) {
  TScanOpts scan;
  scan.IncludeFiles = false;
  TDiscData d;
  d.Label = u"Bare";
  engine->AddDisc(scan, d);
  ASSERT_EQ(engine->Discs->Count(), 1);
  EXPECT_EQ(engine->Discs->GetDisc(0).Root, -1);
  EXPECT_TRUE(host.HasLine("I Finalizing database"));
}

TEST_F(EngineAdd, CountsAndRootSurviveReopening) {
  MakeFile(Tree("f1"), 1);
  MakeFile(Tree("d/f2"), 2);
  AddDisc("Keep", Tree());
  Reopen();
  ASSERT_EQ(engine->Discs->Count(), 1);
  TDiscData d = engine->Discs->GetDisc(0);
  EXPECT_EQ(d.Files, 2);
  EXPECT_EQ(d.Folders, 1);
  ASSERT_TRUE(engine->Browse(0));
  EXPECT_EQ(engine->Discs->BrowseRoot->Size, 3);
  EXPECT_NE(engine->Discs->FindFolder("/d/"), nullptr);
  EXPECT_NE(engine->Discs->FindFolder("/D/"), nullptr);  // a-z in any case
}

TEST_F(EngineAdd, StopWhileStoringLeavesAConsistentDiscSaidToBeStoredInPart) {
  for (int i = 0; i < 30; ++i) MakeFile(Tree("d" + std::to_string(i) + "/f.txt"), i);
  int storing = 0;
  bool walked = false;
  host.onPump = [&](int) {
    if (!walked) {
      // The walk is far smaller than the scan's lead, so it ends without
      // waiting for the storing, which takes the end at its next entry: the
      // stop below comes with most folders still to store, however the
      // threads are scheduled. This waits for an outcome, not a time.
      walked = true;
      while (!engine->Scanner->WalkEnded()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return;
    }
    if (host.HasLine("I Adding files and folders to the database ...") && ++storing == 5) engine->Abort();
  };
  engine->MessageIntervalMs = 0;  // every stored folder lets the message loop run
  AddDisc("Partial", Tree());
  EXPECT_FALSE(host.HasLine("I 30 file(s) and 30 folder(s) were added to the database"));
  TDiscData d = engine->Discs->GetDisc(0);
  EXPECT_LT(d.Files, 30);
  ASSERT_GE(d.Root, 0);
  // Stopped (or the window closed, which stops it): the disc stays as it
  // was stored, and the console says so now and at the next open, once.
  const std::string inPart = "W Disc \"Partial\" was stored in part: " + std::to_string(d.Files) +
                             " file(s) and " + std::to_string(d.Folders) +
                             " folder(s) were stored before the add was stopped";
  EXPECT_TRUE(host.HasLine(inPart)) << testing::PrintToString(host.console);
  host.console.clear();
  Reopen();
  EXPECT_TRUE(host.HasLine(inPart)) << testing::PrintToString(host.console);
  ASSERT_TRUE(engine->Browse(0));
  EXPECT_EQ(engine->Discs->GetDisc(0).Files, d.Files);
  host.console.clear();
  Reopen();
  EXPECT_FALSE(host.HasLine(inPart)) << testing::PrintToString(host.console);
}

TEST_F(EngineAdd, SkipsLinksAndSpecialFiles) {
  MakeFile(Tree("real.txt"), 1);
  std::filesystem::create_directory_symlink(Tree(), Tree("loop"));
  std::filesystem::create_symlink(Tree("real.txt"), Tree("link.txt"));
  ASSERT_EQ(::mkfifo(Tree("pipe").c_str(), 0644), 0);
  AddDisc("Links", Tree());
  TDiscData d = engine->Discs->GetDisc(0);
  EXPECT_EQ(d.Files, 1);
  EXPECT_EQ(d.Folders, 0);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// Records are made depth first: a folder, then its files, then each
// sub-folder with everything in it; new names get their record on first use.
TEST_F(EngineAdd, RecordsAreMadeDepthFirst) {
  MakeFile(Tree("a/x1"));
  MakeFile(Tree("a/b/x2"));
  MakeFile(Tree("c/x3"));
  MakeFile(Tree("top"));
  AddDisc("Order", Tree());
  std::string kinds;
  const TContext& ctx = engine->Base->Context();
  engine->Base->GIndex().ForEach([&](const TXGIndexRec& e, int64_t) {
    const std::string& name = ctx.KindById(int32_t(e.KindId))->Name;
    if (name == "xFolder")
      kinds += 'D';
    else if (name == "xFile")
      kinds += 'F';
    else if (name == "xFolderName" || name == "xFileName")
      kinds += 'n';
    return true;
  });
  // root, top; a, x1; b, x2; c, x3 (the disc and category records are not counted)
  EXPECT_EQ(kinds, "DnFnDnFnDnFnDnF");
}

}  // namespace
}  // namespace qv::test
