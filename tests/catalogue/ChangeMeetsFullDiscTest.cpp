// A delete, a rename, a disc's edit or a category's edit whose commit meets a
// full disc at any of its writes (the file layer's fault seam failing every
// write from the nth on): the console says whether the change was stored and
// why not, never a bare "Some data has not been updated"; a change not stored
// leaves the session as the catalogue is stored, one stored (the failure
// after its commit point) as changed; the session then writes nothing, its
// search gives its count and its close succeeds; and the next open with room
// finds the catalogue as the console said, telling of a change not stored
// in those words.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/Engine.h"
#include "platform/FaultInjector.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test::fullchange {
namespace {

namespace fs = std::filesystem;

struct Change {
  const char* name;
  std::function<void(TEngine&)> run;
  std::string notStored;  // the error line's start when the change was not stored
  std::string stored;     // its start when the change was stored, what follows not
};

int32_t Second(TEngine& engine) {
  return engine.Discs->FindByLabel(u"Second");
}

std::vector<Change> Changes() {
  return {
      {"delete", [](TEngine& e) { e.DeleteDisc(e.Discs->GetDisc(Second(e))); },
       "E Disc \"Second\" was not deleted: ", "E Disc \"Second\" has been deleted, but "},
      {"rename",
       [](TEngine& e) {
         TDiscData d = e.Discs->GetDisc(Second(e));
         d.Label = u"Another";
         e.UpdateDisc(Second(e), d);
       },
       "E Disc \"Second\" was not renamed to \"Another\": ",
       "E Disc \"Second\" has been renamed to \"Another\", but "},
      {"disc category",
       [](TEngine& e) {
         TDiscData d = e.Discs->GetDisc(Second(e));
         d.Category = 3;
         e.UpdateDisc(Second(e), d);
       },
       "E The changes to disc \"Second\" were not stored: ",
       "E The changes to disc \"Second\" were stored, but "},
      {"category add", [](TEngine& e) { e.Discs->Categories.Add("Extra"); },
       "E Category \"Extra\" was not added: ", "E Category \"Extra\" has been added, but "},
      {"category rename", [](TEngine& e) { e.Discs->Categories.Rename(1, "Programs"); },
       "E Category \"Software\" was not renamed to \"Programs\": ",
       "E Category \"Software\" has been renamed to \"Programs\", but "},
      {"category delete", [](TEngine& e) { e.Discs->Categories.Delete(2); },
       "E Category \"Audio\" was not deleted: ", "E Category \"Audio\" has been deleted, but "},
  };
}

int Lines(const RecordingHost& host, const std::string& start) {
  int n = 0;
  for (auto& l : host.console) n += l.rfind(start, 0) == 0;
  return n;
}

class ChangeMeetsFullDisc : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int d = 0; d < 3; ++d)
      for (int f = 0; f < 5; ++f) MakeFile(dir / ("first/d" + std::to_string(d) + "/f" + std::to_string(f)));
    for (int d = 0; d < 2; ++d)
      for (int f = 0; f < 10; ++f)
        MakeFile(dir / ("second/s" + std::to_string(d) + "/g" + std::to_string(f)));
    RecordingHost host;
    host.folder = dir / "template";
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.NewDatabase("secret", "Full"));
    for (const char* label : {"First", "Second"}) {
      TScanOpts scan;
      scan.Path = dir / (std::string(label) == "First" ? "first" : "second");
      TDiscData d;
      d.Label = Utf8ToUtf16(label);
      engine.AddDisc(scan, d);
    }
    before = State(engine, host);
    ASSERT_TRUE(engine.CloseDatabase());
  }

  // The discs with their category and counts, the category names, and what
  // a search of every file finds, with no error line on the way.
  std::string State(TEngine& engine, RecordingHost& host) {
    std::string s;
    for (int32_t i = 0; i < engine.Discs->Count(); ++i) {
      const TDiscData& d = engine.Discs->DiscAt(i);
      s += Utf16ToUtf8(d.Label) + "|" + std::to_string(d.Category) + "|" + std::to_string(d.Files) + "|" +
           std::to_string(d.Folders) + ";";
    }
    for (int32_t k = 0; k < engine.Discs->Categories.Count(); ++k)
      s += engine.Discs->Categories.GetName(k) + ",";
    const std::size_t lines = host.console.size();
    TSearchOpts all;
    all.FileMask = "*";
    engine.Search(all);
    std::size_t found = 0;
    for (auto& r : host.rows) found += r.parent >= 0;
    s += " found " + std::to_string(found);
    for (std::size_t i = lines; i < host.console.size(); ++i)
      if (host.console[i].rfind("E ", 0) == 0) s += " " + host.console[i];
    return s;
  }

  // The change made on a copy of the template with room: its writes, and
  // the state it leaves.
  int64_t WithRoom(const Change& change, std::string& after) {
    const std::string folder = dir / (std::string("room-") + change.name);
    fs::copy(dir / "template", folder);
    RecordingHost host;
    host.folder = folder;
    FaultInjector faults;
    TEngine engine(host, QV_TEST_APP_DIR, faults);
    EXPECT_TRUE(engine.OpenDatabase("secret"));
    faults.FailWritesFrom(int64_t(1) << 40);
    change.run(engine);
    const int64_t writes = faults.WriteCount();
    EXPECT_EQ(Lines(host, "E "), 0) << testing::PrintToString(host.console);
    after = State(engine, host);
    EXPECT_NE(after, before);
    EXPECT_TRUE(engine.CloseDatabase());
    return writes;
  }

  TempDir dir;
  std::string before;
};

TEST_F(ChangeMeetsFullDisc, AtAnyWriteSaysWhetherItWasStoredAndTheSessionShowsThat) {
  for (const Change& change : Changes()) {
    std::string after;
    const int64_t writes = WithRoom(change, after);
    ASSERT_GT(writes, 2) << change.name;
    for (int64_t n = 1; n <= writes; ++n) {
      SCOPED_TRACE(std::string(change.name) + ", full from write " + std::to_string(n) + " of " +
                   std::to_string(writes));
      const std::string folder = dir / (std::string(change.name) + "-" + std::to_string(n));
      fs::copy(dir / "template", folder);
      bool notStored = false;
      {
        RecordingHost host;
        host.folder = folder;
        FaultInjector faults;
        TEngine engine(host, QV_TEST_APP_DIR, faults);
        ASSERT_TRUE(engine.OpenDatabase("secret"));
        faults.FailWritesFrom(n);
        host.console.clear();
        change.run(engine);
        // The reason is the system's: a full disc, or a sync that fails.
        notStored = Lines(host, change.notStored) == 1;
        const bool storedBut = Lines(host, change.stored) == 1;
        EXPECT_FALSE(notStored && storedBut);
        EXPECT_EQ(Lines(host, "E "), int(notStored || storedBut)) << testing::PrintToString(host.console);
        EXPECT_EQ(Lines(host, "E Some data has not been updated"), 0);
        // What the commit itself needs failed: the session writes no more,
        // and says so.
        const bool said = notStored || storedBut;
        if (said) {
          EXPECT_TRUE(engine.Base->ReadOnly());
          EXPECT_EQ(Lines(host, "W " + engine.Base->ReadOnlyText()), 1);
        }
        host.console.clear();
        EXPECT_EQ(State(engine, host), notStored ? before : after);
        // Else only a file the next open can do without failed to be written
        // (the free list, the index files' checksums in xbase.vlm): the
        // change is stored whole, and a close on the full disc may fail.
        const bool closed = engine.CloseDatabase();
        EXPECT_TRUE(closed || !said) << testing::PrintToString(host.console);
      }
      RecordingHost host;
      host.folder = folder;
      TEngine engine(host, QV_TEST_APP_DIR);
      ASSERT_TRUE(engine.OpenDatabase("secret")) << testing::PrintToString(host.console);
      EXPECT_EQ(Lines(host, "E "), 0) << testing::PrintToString(host.console);
      EXPECT_FALSE(engine.Base->ReadOnly()) << engine.Base->ReadOnlyText();
      // A change said not stored left the catalogue as it was: the open
      // says no more than that, in those words.
      if (notStored) {
        EXPECT_EQ(Lines(host, "W "), Lines(host, "W The last change made before this open was not stored"));
        EXPECT_LE(Lines(host, "W "), 1) << testing::PrintToString(host.console);
      }
      host.console.clear();
      EXPECT_EQ(State(engine, host), notStored ? before : after);
      EXPECT_TRUE(engine.CloseDatabase());
      if (HasFailure()) return;
    }
  }
}

}  // namespace
}  // namespace qv::test::fullchange
