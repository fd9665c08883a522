// A catalogue file put back from an earlier copy (a partial restore of a
// backup), as a user meets it: copy one file, rename or add a disc, put the
// copy back, open. A file the catalogue's records live in (index.vlm,
// storage.vlm, or xbase.vlm with the commit mark) opens the catalogue
// read-only with an error that names it, and nothing is written; a file
// the catalogue can make again (free.vlm, a sorted index) is made again
// from index.vlm, and every row stays as it was: a sorted index is said so,
// the free space found again is no news to a user.
#include <filesystem>
#include <fstream>
#include <map>

#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class FilesPutBack : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    for (int d = 0; d < 2; ++d)
      for (int f = 0; f < 30; ++f) {
        MakeFile(Tree("one/d" + std::to_string(d) + "/f" + std::to_string(f) + ".txt"), f);
        MakeFile(Tree("two/e" + std::to_string(d) + "/g" + std::to_string(f) + ".txt"), f + 1);
      }
    MakeFile(Tree("three/h.txt"), 4);
    MakeFile(Tree("four/k/new.txt"), 5);
    AddDisc("One", Tree("one"));
    AddDisc("Two", Tree("two"));
    // A deleted disc leaves space in free.vlm.
    AddDisc("Gone", Tree("three"));
    ASSERT_TRUE(engine->DeleteDisc(engine->Discs->GetDisc(engine->Discs->FindByLabel(u"Gone"))));
    ASSERT_TRUE(engine->CloseDatabase());
  }
  // Renames the first disc, or adds one.
  void Change(bool rename) {
    OpenClosed();
    if (rename) {
      TDiscData d = engine->Discs->GetDisc(engine->Discs->FindByLabel(u"One"));
      d.Label = u"Renamed";
      engine->UpdateDisc(engine->Discs->FindByLabel(u"One"), d);
    } else {
      AddDisc("Four", Tree("four"));
    }
    ASSERT_TRUE(engine->CloseDatabase());
  }
};

TEST_F(FilesPutBack, AFileOfAnotherCommitIsNamedAtOpen) {
  const auto original = Snapshot();
  // The files the records live in, and what the error says of each: the one
  // file put back is named as the file that does not belong.
  const std::map<std::string, std::string> held = {
      {"index.vlm", "index.vlm"},
      {"storage.vlm", "storage.vlm"},
      {"xbase.vlm", "files do not match: xbase.vlm is not of the last commit"}};
  int tried = 0;
  for (const bool rename : {true, false})
    for (const auto& [name, copy] : original) {
      SCOPED_TRACE(name + (rename ? " put back after a rename" : " put back after an add"));
      for (const auto& [n, content] : original)
        std::ofstream(Db(n), std::ios::binary | std::ios::trunc) << content;
      Change(rename);
      if (HasFatalFailure()) return;
      OpenClosed();
      const auto rows = All();
      ASSERT_TRUE(engine->CloseDatabase());
      if (Content(Db(name)) == copy) continue;  // the change left this file as it was
      ++tried;
      std::ofstream(Db(name), std::ios::binary | std::ios::trunc) << copy;
      const auto found = Snapshot();
      OpenClosed();
      auto it = held.find(name);
      if (it != held.end()) {
        EXPECT_TRUE(engine->Base->ReadOnly());
        EXPECT_EQ(Lines("E ", it->second), 1) << testing::PrintToString(host.console);
        EXPECT_EQ(Lines("E ", "cannot tell"), 0);
        if (name != "xbase.vlm") {
          EXPECT_EQ(Lines("E ", "xbase.vlm is not of"), 0);
        }
        const int32_t discs = engine->Discs->Count();
        AddDisc("More", Tree("three"));
        EXPECT_EQ(engine->Discs->Count(), discs);
        ASSERT_TRUE(engine->CloseDatabase());
        auto now = Snapshot();
        EXPECT_EQ(now.erase("xbase.vlm"), 1u);  // the open marker is all a read-only session writes
        auto before = found;
        before.erase("xbase.vlm");
        EXPECT_TRUE(now == before) << "a catalogue opened read-only wrote to its files";
      } else {
        EXPECT_FALSE(engine->Base->ReadOnly()) << engine->Base->DamageText();
        EXPECT_EQ(Lines("W ", "\"" + name + "\"") + Lines("W ", name + " is not"), name == "free.vlm" ? 0 : 1)
            << testing::PrintToString(host.console);
        if (name == "free.vlm") {
          EXPECT_EQ(Lines("W ", ""), 0) << testing::PrintToString(host.console);
        }
        EXPECT_EQ(All(), rows);
        // What is made again is sound: an add then keeps every earlier row.
        AddDisc("More", Tree("three"));
        auto after = All();
        ASSERT_TRUE(engine->CloseDatabase());
        OpenClosed();
        EXPECT_EQ(All(), after);
        for (const std::string& row : rows) EXPECT_EQ(after.count(row), rows.count(row)) << row;
        ASSERT_TRUE(engine->CloseDatabase());
      }
    }
  // index.vlm, storage.vlm, xbase.vlm, free.vlm and the three sorted indexes
  // change with an add; fewer with a rename.
  EXPECT_GE(tried, 11);
}

// index.vlm put back with the disc index from the same copy: xbase.vlm fits
// storage.vlm as closed, but not a sorted index file it records, so the
// open cannot tell which of index.vlm and xbase.vlm is not the last commit's,
// and names both.
TEST_F(FilesPutBack, WhenTheFilesCannotTellWhichBothAreNamed) {
  const auto original = Snapshot();
  OpenClosed();
  const int32_t one = engine->Discs->FindByLabel(u"One");
  TDiscData d = engine->Discs->GetDisc(one);
  d.Label = u"Zed";  // after "Two" now: the disc index changes
  engine->UpdateDisc(one, d);
  ASSERT_TRUE(engine->CloseDatabase());
  for (const char* name : {"index.vlm", "0041-000.idx"}) {
    ASSERT_NE(Content(Db(name)), original.at(name)) << name;
    std::ofstream(Db(name), std::ios::binary | std::ios::trunc) << original.at(name);
  }
  OpenClosed();
  EXPECT_TRUE(engine->Base->ReadOnly());
  EXPECT_EQ(Lines("E ",
                  "index.vlm is not as the last commit recorded in xbase.vlm left it, and the other files "
                  "cannot tell which of the two is not of the last commit"),
            1)
      << testing::PrintToString(host.console);
}

}  // namespace
}  // namespace qv::test
