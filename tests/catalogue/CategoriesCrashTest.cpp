// The categories record survives sessions that end without Close: a child
// process does one thing to the catalogue and dies with _exit, then the
// parent opens the catalogue again.
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

class CategoriesCrash : public EngineFixture {
 protected:
  // Runs step in a child process that ends without closing anything; the
  // child's exit code carries step's result.
  void Crash(const std::function<bool(TEngine&)>& step) {
    if (engine->IsOpen()) {
      ASSERT_TRUE(engine->CloseDatabase());
    }
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      bool ok = step(*engine);
      ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    host.console.clear();
    ASSERT_TRUE(engine->OpenDatabase("secret"));
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (int32_t i = 0; i < engine->Discs->Categories.Count(); ++i)
      out.push_back(engine->Discs->Categories.GetName(i));
    return out;
  }

  static std::vector<std::string> Defaults() {
    return {"Other", "Software", "Audio", "Video", "Games", "Backup", "Files", "Music", "Movies", "Photos"};
  }

  bool OpenIn(TEngine& e) { return e.OpenDatabase("secret"); }
};

TEST_F(CategoriesCrash, ANewCatalogueOpensAfterACrash) {
  host.folder = dir / "fresh";
  Crash([&](TEngine& e) { return e.NewDatabase("secret", "Fresh"); });
  EXPECT_EQ(Names(), Defaults());
  EXPECT_FALSE(host.HasLine("E Failed to retrieve categories descriptions"));
  EXPECT_EQ(engine->Base->Name, "Fresh");
}

TEST_F(CategoriesCrash, AClearedCatalogueOpensAfterACrash) {
  MakeFile(Tree("x"), 1);
  AddDisc("Before", Tree());
  engine->Discs->Categories.Add("Mine");
  Crash([&](TEngine& e) { return OpenIn(e) && e.ClearDatabase(); });
  EXPECT_EQ(Names(), Defaults());
  EXPECT_EQ(engine->Discs->Count(), 0);
}

TEST_F(CategoriesCrash, ADiscAddedInTheCreatingSessionKeepsItsCategory) {
  MakeFile(Tree("x"), 1);
  host.folder = dir / "fresh";
  Crash([&](TEngine& e) {
    if (!e.NewDatabase("secret", "Fresh")) return false;
    AddDisc("Film", Tree(), 8);
    return e.Discs->Count() == 1;
  });
  EXPECT_EQ(Names(), Defaults());
  ASSERT_EQ(engine->Discs->Count(), 1);
  EXPECT_EQ(engine->Discs->Categories.GetName(engine->Discs->GetDisc(0).Category), "Movies");
  EXPECT_EQ(engine->Discs->Categories.GetDiscCount(8), 1);
}

TEST_F(CategoriesCrash, EveryCategoryOperationReachesTheDisc) {
  MakeFile(Tree("x"), 1);
  AddDisc("Late", Tree(), 9);
  Crash([&](TEngine& e) { return OpenIn(e) && (e.Discs->Categories.Add("Tapes"), true); });
  EXPECT_EQ(Names().back(), "Tapes");
  Crash([&](TEngine& e) { return OpenIn(e) && (e.Discs->Categories.Rename(2, "Sound"), true); });
  EXPECT_EQ(Names()[2], "Sound");
  Crash([&](TEngine& e) { return OpenIn(e) && (e.Discs->Categories.Delete(1), true); });
  std::vector<std::string> want = {"Other", "Sound", "Video",  "Games",  "Backup",
                                   "Files", "Music", "Movies", "Photos", "Tapes"};
  EXPECT_EQ(Names(), want);
  // The disc that stood in "Photos" moved down with its category.
  ASSERT_EQ(engine->Discs->Count(), 1);
  EXPECT_EQ(engine->Discs->Categories.GetName(engine->Discs->GetDisc(0).Category), "Photos");
  Crash([&](TEngine& e) {
    if (!OpenIn(e)) return false;
    TDiscData d = e.Discs->GetDisc(0);
    d.Category = 2;
    e.UpdateDisc(0, d);
    return true;
  });
  EXPECT_EQ(engine->Discs->GetDisc(0).Category, 2);
  EXPECT_EQ(engine->Discs->Categories.GetDiscCount(2), 1);
}

TEST_F(CategoriesCrash, AMissingOrUnreadableRecordGivesTheDefaults) {
  engine->Discs->Categories.Add("Mine");
  const int64_t first = engine->Discs->Categories.KindsID;
  // The record is gone: the catalogue opens with the defaults and one warning.
  ASSERT_TRUE(engine->CloseDatabase());
  {
    TXBase base;
    ASSERT_TRUE(base.Open(host.folder, "quirvane", "secret"));
    ASSERT_TRUE(base.DeleteData(first));
    ASSERT_TRUE(base.Close());
  }
  host.console.clear();
  ASSERT_TRUE(engine->OpenDatabase("secret"));
  EXPECT_EQ(Names(), Defaults());
  int warnings = 0;
  for (auto& l : host.console) warnings += l.rfind("W ", 0) == 0;
  EXPECT_EQ(warnings, 1);
  // The new record is kept: the next opening is quiet.
  engine->Discs->Categories.Rename(0, "Misc");
  Reopen();
  EXPECT_EQ(Names()[0], "Misc");
  EXPECT_EQ(host.console.back(), "I Database \"Test\" has been loaded");

  // The record's index entry points at a record of another kind: unreadable.
  MakeFile(Tree("x"), 1);
  AddDisc("Disc", Tree());
  const int64_t second = engine->Discs->Categories.KindsID;
  const int64_t disc = engine->Discs->GetDisc(0).ID;
  ASSERT_TRUE(engine->CloseDatabase());
  {
    TXBase base;
    ASSERT_TRUE(base.Open(host.folder, "quirvane", "secret"));
    TXGIndexRec entry, other;
    ASSERT_TRUE(base.GIndex().ReadEntry(entry, second));
    ASSERT_TRUE(base.GIndex().ReadEntry(other, disc));
    entry.Position = other.Position;
    ASSERT_TRUE(base.GIndex().WriteEntry(entry, second));
    ASSERT_TRUE(base.GIndex().Commit());
    ASSERT_TRUE(base.Close());
  }
  host.console.clear();
  ASSERT_TRUE(engine->OpenDatabase("secret"));
  EXPECT_EQ(Names(), Defaults());
  Reopen();
  EXPECT_EQ(Names(), Defaults());
}

}  // namespace
}  // namespace qv::test
