// Folder compare, deleting and clearing, categories, and calls made from
// inside a running operation's message loop.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "classlib/SysUtils.h"
#include "platform/Files.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

using EngineDiscs = EngineFixture;

TEST_F(EngineDiscs, CompareListsWhatIsNotStored) {
  MakeFile(Tree("cat/same.txt"), 10, 1600000000);
  MakeFile(Tree("cat/size.txt"), 10, 1600000000);
  AddDisc("Stored", Tree("cat"));
  MakeFile(Tree("cmp/SAME.TXT"), 10, 1600000000);    // stored (names fold)
  MakeFile(Tree("cmp/size.txt"), 11, 1600000000);    // another size
  MakeFile(Tree("cmp/sub/new.txt"), 1, 1600000000);  // never stored
  TSearchOpts o;
  o.FileMask = "*";
  std::string path = ExcludeTrailingPathDelimiter(Tree("cmp"));
  ASSERT_TRUE(engine->CompareFolder(path, o));
  std::sort(host.report.begin(), host.report.end());
  EXPECT_EQ(host.report, (std::vector<std::string>{path + "/size.txt", path + "/sub/new.txt"}));
  EXPECT_EQ(Entries(), (std::multiset<std::string>{"Stored|/same.txt"}));
  EXPECT_TRUE(host.HasLine("I Done. 2 files that are NOT stored in the database are listed in REPORTS!"));
  // A folder given with its trailing delimiter reports the same paths.
  host.report.clear();
  ASSERT_TRUE(engine->CompareFolder(path + "/", o));
  std::sort(host.report.begin(), host.report.end());
  EXPECT_EQ(host.report, (std::vector<std::string>{path + "/size.txt", path + "/sub/new.txt"}));
  EXPECT_FALSE(engine->CompareFolder(Tree("missing"), o));
  EXPECT_TRUE(host.HasLine("E Path \"" + Tree("missing") + "\" does not exist"));
}

// A deleted disc's file records are never loaded, yet their space is reused
// once the deletion is on disk: deleting and adding the same tree again and
// again keeps the data file within a few copies of its size.
TEST_F(EngineDiscs, SpaceOfADeletedDiscIsReused) {
  for (int i = 0; i < 300; ++i)
    MakeFile(Tree("d" + std::to_string(i % 9) + "/file" + std::to_string(i) + ".txt"), i);
  AddDisc("Round 0", Tree());
  Reopen();
  const int64_t once = FileSizeOf(host.folder + "/storage.vlm");
  for (int round = 1; round <= 4; ++round) {
    host.answers.assign(1, true);
    ASSERT_TRUE(engine->DeleteDisc(engine->Discs->GetDisc(0)));
    AddDisc("Round " + std::to_string(round), Tree());
    Reopen();  // the new disc's records are on disk and unloaded again
  }
  EXPECT_LT(FileSizeOf(host.folder + "/storage.vlm"), once * 3);  // five times that without reuse
  ASSERT_TRUE(engine->Search(Files("file1*")));
  EXPECT_EQ(Entries().size(), 111u);  // file1, file10-19, file100-199
}

TEST_F(EngineDiscs, DeletingADiscAddedThisSessionDeletesItsRecords) {
  MakeFile(Tree("a/f.txt"), 1);
  AddDisc("Gone", Tree());
  TDiscData d = engine->Discs->GetDisc(0);
  host.answers.assign(1, true);
  ASSERT_TRUE(engine->DeleteDisc(d));
  EXPECT_EQ(host.questions.size(), 1u);
  EXPECT_EQ(engine->Discs->Count(), 0);
  EXPECT_EQ(engine->Discs->Categories.GetDiscCount(0), 0);
  // Every folder and file record is marked deleted in the global index.
  int live = 0;
  engine->Base->GIndex().ForEach([&](const TXGIndexRec& e, int64_t) {
    if (!e.IsDeleted() &&
        (int32_t(e.KindId) == engine->FileRecKind->Id || int32_t(e.KindId) == engine->FolderRecKind->Id))
      ++live;
    return true;
  });
  EXPECT_EQ(live, 0);
  EXPECT_FALSE(engine->Search(Files("f.txt")));  // estimate 0
}

// A disc with files is deleted only after the question; one without files
// is not asked about. Either way a delete shows on the console, and a
// refused one leaves the disc and the console as they were.
TEST_F(EngineDiscs, EveryDeleteIsAskedOrShownOnTheConsole) {
  MakeFile(Tree("a/f.txt"), 1);
  AddDisc("Full", Tree());
  TScanOpts bare;
  bare.IncludeFiles = false;
  TDiscData empty;
  empty.Label = u"Empty";
  engine->AddDisc(bare, empty);
  ASSERT_EQ(engine->Discs->Count(), 2);
  auto find = [&](const char16_t* label) {
    return engine->Discs->GetDisc(engine->Discs->FindByLabel(label));
  };
  auto deleted = [&](const std::string& label) {
    return std::count(host.console.begin(), host.console.end(), "I Disc \"" + label + "\" has been deleted");
  };
  host.answers.assign(1, false);
  EXPECT_FALSE(engine->DeleteDisc(find(u"Full")));
  EXPECT_EQ(host.questions.size(), 1u);
  EXPECT_EQ(deleted("Full"), 0);
  EXPECT_EQ(engine->Discs->Count(), 2);
  ASSERT_TRUE(engine->DeleteDisc(find(u"Empty")));
  EXPECT_EQ(host.questions.size(), 1u);  // nothing asked
  EXPECT_EQ(deleted("Empty"), 1);
  host.answers.assign(1, true);
  ASSERT_TRUE(engine->DeleteDisc(find(u"Full")));
  EXPECT_EQ(host.questions.size(), 2u);
  EXPECT_EQ(deleted("Full"), 1);
  EXPECT_EQ(engine->Discs->Count(), 0);
}

TEST_F(EngineDiscs, ClearingRestoresDefaultsAndRestartsIds) {
  MakeFile(Tree("x"), 1);
  AddDisc("One", Tree());
  ASSERT_TRUE(engine->ClearDatabase());
  EXPECT_EQ(engine->Discs->Count(), 0);
  EXPECT_EQ(engine->Discs->Categories.Count(), 10);
  AddDisc("Again", Tree());
  EXPECT_EQ(engine->Discs->Count(), 1);
  Reopen();
  EXPECT_EQ(engine->Discs->Count(), 1);
  EXPECT_EQ(Utf16ToUtf8(engine->Discs->GetDisc(0).Label), "Again");
}

TEST_F(EngineDiscs, DeletingACategoryRenumbersLaterDiscs) {
  MakeFile(Tree("x"), 1);
  AddDisc("InVideo", Tree(), 3);
  AddDisc("InPhotos", Tree(), 9);
  TDiscKinds& cats = engine->Discs->Categories;
  cats.Delete(1);  // "Software": the later categories move down
  EXPECT_EQ(engine->Discs->GetDisc(0).Category, 2);
  EXPECT_EQ(engine->Discs->GetDisc(1).Category, 8);
  EXPECT_EQ(cats.GetName(2), "Video");
  EXPECT_EQ(cats.GetDiscCount(2), 1);
  Reopen();
  EXPECT_EQ(engine->Discs->Categories.Count(), 9);
  EXPECT_EQ(engine->Discs->GetDisc(1).Category, 8);
  EXPECT_EQ(engine->Discs->Categories.GetName(8), "Photos");
  EXPECT_EQ(engine->Discs->Categories.GetName(-1), "<ERROR>");
}

TEST_F(EngineDiscs, CallsFromInsideTheMessageLoopAreRefused) {
  for (int i = 0; i < 20; ++i) MakeFile(Tree("d" + std::to_string(i) + "/n.txt"), i);
  AddDisc("First", Tree());
  engine->MessageIntervalMs = 0;
  host.pumpOnLines = true;
  int calls = 0;
  host.onPump = [&](int) {
    if (calls++ > 50) return;
    host.answers.assign(1, true);
    EXPECT_FALSE(engine->CloseDatabase());
    EXPECT_FALSE(engine->OpenDatabase("secret"));
    EXPECT_FALSE(engine->NewDatabase("x", "y"));
    EXPECT_FALSE(engine->DeleteDisc(engine->Discs->GetDisc(0)));
    EXPECT_FALSE(engine->ClearDatabase());
    EXPECT_FALSE(engine->Search(Files("*")));
    EXPECT_FALSE(engine->Browse(0));
    AddDisc("Nested", Tree());
  };
  AddDisc("Second", Tree());
  EXPECT_TRUE(engine->Search(Files("n.txt")));
  host.onPump = nullptr;
  EXPECT_EQ(engine->Discs->Count(), 2);
  EXPECT_EQ(Entries().size(), 40u);
}

// Stop pressed, then a call that is refused: the running add still stops.
TEST_F(EngineDiscs, ARefusedCallKeepsAPendingStop) {
  for (int i = 0; i < 20; ++i) MakeFile(Tree("d" + std::to_string(i) + "/n.txt"), i);
  AddDisc("First", Tree());
  engine->MessageIntervalMs = 0;
  host.pumpOnLines = true;
  bool stopped = false;
  host.onPump = [&](int) {
    if (stopped) return;
    stopped = true;
    engine->Aborted = true;
    EXPECT_FALSE(engine->Search(Files("*")));
    EXPECT_FALSE(engine->CompareFolder(Tree(), Files("*")));
    AddDisc("Nested", Tree());
  };
  AddDisc("Second", Tree());
  host.onPump = nullptr;
  ASSERT_TRUE(stopped);
  EXPECT_TRUE(engine->Aborted);
  EXPECT_TRUE(engine->Search(Files("n.txt")));
  EXPECT_EQ(Entries().size(), 20u);  // the second disc's files were never kept
}

TEST_F(EngineDiscs, ADiscAddedBeforeACrashIsThere) {
  for (int i = 0; i < 5; ++i) MakeFile(Tree("c/f" + std::to_string(i) + ".txt"), i);
  ASSERT_TRUE(engine->CloseDatabase());
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The child opens the catalogue, adds a disc and dies without closing.
    bool ok = engine->OpenDatabase("secret");
    AddDisc("Crashed", Tree("c"));
    ::_exit(ok && engine->Discs->Count() == 1 ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_TRUE(engine->OpenDatabase("secret"));
  ASSERT_EQ(engine->Discs->Count(), 1);
  EXPECT_EQ(engine->Discs->GetDisc(0).Files, 5);
  ASSERT_TRUE(engine->Search(Files("f*.txt")));
  EXPECT_EQ(Groups().size(), 5u);
  ASSERT_TRUE(engine->Browse(0));
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

TEST_F(EngineDiscs, ReferencesToAMissingDiscAreSkippedWithOneWarning) {
  MakeFile(Tree("one/shared.txt"));
  MakeFile(Tree("one/other.txt"));
  AddDisc("Lost", Tree("one"));
  MakeFile(Tree("two/shared.txt"));
  AddDisc("Kept", Tree("two"));
  // Take the first disc out of the disc index, as a damaged index would.
  TXRecData* disc = engine->Base->GetData(engine->Discs->GetDisc(0).ID);
  ASSERT_TRUE(engine->Discs->DiscIndex->Remove(disc));
  engine->Base->Release(disc);
  Reopen();
  ASSERT_EQ(engine->Discs->Count(), 1);
  ASSERT_TRUE(engine->Search(Files("*.txt")));
  EXPECT_EQ(Entries(), (std::multiset<std::string>{"Kept|/shared.txt"}));
  int warnings = 0;
  for (auto& l : host.console) warnings += l == "W Deleted disc reference encountered!";
  EXPECT_EQ(warnings, 1);
}

TEST_F(EngineDiscs, UpdatingADiscMovesItBetweenCategories) {
  MakeFile(Tree("x"), 1);
  AddDisc("Moving", Tree(), 2);
  TDiscData d = engine->Discs->GetDisc(0);
  d.Category = 5;
  d.Location = u"Shelf \u00e9";
  engine->UpdateDisc(0, d);
  EXPECT_EQ(engine->Discs->Categories.GetDiscCount(2), 0);
  EXPECT_EQ(engine->Discs->Categories.GetDiscCount(5), 1);
  Reopen();
  EXPECT_EQ(engine->Discs->GetDisc(0).Category, 5);
  EXPECT_EQ(engine->Discs->GetDisc(0).Location, u"Shelf \u00e9");
}

// The IDs of the disc index and those of the discs in label order.
std::vector<int64_t> IndexIds(TEngine& e) {
  std::vector<int64_t> ids;
  for (int i = 0; i < e.Discs->DiscIndex->Count(); ++i) ids.push_back(e.Discs->DiscIndex->GetItem(i));
  return ids;
}

int ErrorLines(const RecordingHost& host) {
  int n = 0;
  for (auto& l : host.console) n += l.rfind("E ", 0) == 0 || l.rfind("F ", 0) == 0;
  return n;
}

// A renamed disc moves in the label-ordered disc index, so that deleting
// another disc afterwards finds it there and no later open meets it again.
TEST_F(EngineDiscs, ARenameThenADeleteLeavesTheDiscIndexSound) {
  MakeFile(Tree("one/a.txt"), 1);
  MakeFile(Tree("four/b.txt"), 2);
  AddDisc("D1", Tree("one"));
  AddDisc("D4", Tree("four"));
  TDiscData d1 = engine->Discs->GetDisc(0);
  d1.Label = u"R5";
  engine->UpdateDisc(0, d1);
  host.answers.assign(1, true);
  ASSERT_TRUE(engine->DeleteDisc(engine->Discs->GetDisc(engine->Discs->FindByLabel(u"D4"))));
  for (int round = 0; round < 2; ++round) {
    host.console.clear();
    Reopen();
    EXPECT_EQ(ErrorLines(host), 0) << testing::PrintToString(host.console);
    ASSERT_EQ(engine->Discs->Count(), 1);
    EXPECT_EQ(engine->Discs->GetDisc(0).Label, u"R5");
    EXPECT_EQ(IndexIds(*engine), std::vector<int64_t>{d1.ID});
  }
  ASSERT_TRUE(engine->Search(Files("*.txt")));
  EXPECT_EQ(Entries(), (std::multiset<std::string>{"R5|/a.txt"}));
  // Renames that pass each other keep the order.
  AddDisc("Middle", Tree("four"));
  TDiscData r5 = engine->Discs->GetDisc(engine->Discs->FindByLabel(u"R5"));
  r5.Label = u"a first";
  engine->UpdateDisc(engine->Discs->FindByLabel(u"R5"), r5);
  const int32_t middle = engine->Discs->FindByLabel(u"middle");
  EXPECT_EQ(IndexIds(*engine), (std::vector<int64_t>{r5.ID, engine->Discs->GetDisc(middle).ID}));
}

// What earlier builds left: the deleted disc still listed, the labels out of
// order. The next open that can write mends it, says so once, and later
// opens find nothing to say.
TEST_F(EngineDiscs, ADiscIndexLeftDanglingIsMendedOnceAtOpen) {
  MakeFile(Tree("one/a.txt"), 1);
  MakeFile(Tree("four/b.txt"), 2);
  AddDisc("D1", Tree("one"));
  AddDisc("D4", Tree("four"));
  AddDisc("Alpha", Tree("four"));
  const int64_t d1 = engine->Discs->GetDisc(0).ID, d4 = engine->Discs->GetDisc(1).ID,
                alpha = engine->Discs->GetDisc(2).ID;
  TDiscData r5 = engine->Discs->GetDisc(0);
  r5.Label = u"R5";
  engine->UpdateDisc(0, r5);
  host.answers.assign(1, true);
  ASSERT_TRUE(engine->DeleteDisc(engine->Discs->GetDisc(1)));
  // The index as such a build wrote it: unchanged by the rename and the delete.
  engine->Discs->DiscIndex->Assign({d1, d4, alpha});
  ASSERT_TRUE(engine->Base->Flush());
  host.console.clear();
  Reopen();
  EXPECT_EQ(ErrorLines(host), 0) << testing::PrintToString(host.console);
  int mended = 0;
  for (auto& l : host.console) mended += l.rfind("W The disc index has been mended", 0) == 0;
  EXPECT_EQ(mended, 1) << testing::PrintToString(host.console);
  EXPECT_TRUE(host.HasLine("W The disc index has been mended: deleted disc [ID = " +
                           IntToHex(uint64_t(d4), 16) + "] removed; the discs put in label order"))
      << testing::PrintToString(host.console);
  EXPECT_EQ(IndexIds(*engine), (std::vector<int64_t>{alpha, d1}));
  EXPECT_FALSE(engine->Base->ReadOnly());
  host.console.clear();
  Reopen();
  for (auto& l : host.console) EXPECT_TRUE(l.rfind("I ", 0) == 0) << l;
  EXPECT_EQ(IndexIds(*engine), (std::vector<int64_t>{alpha, d1}));
  EXPECT_EQ(engine->Discs->Count(), 2);
}

TEST(Progress, PercentStaysWithinItsRange) {
  EXPECT_EQ(Percent(0, 0), 100);
  EXPECT_EQ(Percent(5, 0), 100);
  EXPECT_EQ(Percent(999, 1000), 99);
  EXPECT_EQ(Percent(1500, 1000), 100);
  EXPECT_EQ(Percent(-3, 10), 0);
}

}  // namespace
}  // namespace qv::test
