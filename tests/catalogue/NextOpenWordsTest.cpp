// The next open after a change that failed or was cut short, in the user's
// words. In a catalogue that has free space, each kind of change (a rename,
// a description edit, a disc moved to another category, a category deleted
// with its discs moved, an add with files and one without) is made to fail
// at each of its writes (the file layer's fault seam: the disc full from
// that write on, or that write alone failing, the session then closed or
// cut short) and killed before each of them (a real process). The next
// open says at most one line, naming no file of the catalogue and no count
// of bytes, and no error; the open after it says nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/Engine.h"
#include "platform/FaultInjector.h"
#include "tests/catalogue/SessionInChild.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test::nextopen {
namespace {

namespace fs = std::filesystem;

struct Change {
  const char* name;
  std::function<void(TEngine&, const std::string& trees)> run;  // trees: the folder of the test's trees
};

int32_t Second(TEngine& e) {
  return e.Discs->FindByLabel(u"Second");
}

void AddDisc(TEngine& e, const char* label, const std::string& path, bool files) {
  TScanOpts scan;
  scan.IncludeFiles = files;
  scan.Path = path;
  TDiscData d;
  d.Label = Utf8ToUtf16(label);
  d.Category = 2;
  d.Location = u"Shelf 3";
  d.Description = u"Cables";
  e.AddDisc(scan, d);
}

const std::vector<Change>& Changes() {
  static const std::vector<Change> changes{
      {"rename",
       [](TEngine& e, const std::string&) {
         TDiscData d = e.Discs->GetDisc(Second(e));
         d.Label = u"Another";
         e.UpdateDisc(Second(e), d);
       }},
      {"description",
       [](TEngine& e, const std::string&) {
         TDiscData d = e.Discs->GetDisc(Second(e));
         d.Description = u"Another description, longer than the one before it";
         e.UpdateDisc(Second(e), d);
       }},
      {"disc-category",
       [](TEngine& e, const std::string&) {
         TDiscData d = e.Discs->GetDisc(Second(e));
         d.Category = 3;
         e.UpdateDisc(Second(e), d);
       }},
      {"category-delete", [](TEngine& e, const std::string&) { e.Discs->Categories.Delete(2); }},
      {"add-files", [](TEngine& e, const std::string& trees) { AddDisc(e, "Tree", trees + "tree", true); }},
      {"add-empty", [](TEngine& e, const std::string&) { AddDisc(e, "Box", "", false); }},
  };
  return changes;
}

// Words of the storage that a user has no use for.
const char* const kStorageWords[] = {"free.vlm",  "storage.vlm", "index.vlm", "index.jnl",
                                     "xbase.vlm", ".idx",        " bytes",    " byte "};

class NextOpenWords : public ::testing::TestWithParam<int> {
 protected:
  const Change& TheChange() const { return Changes()[std::size_t(GetParam())]; }

  void SetUp() override {
    for (int d = 0; d < 2; ++d)
      for (int f = 0; f < 4; ++f) {
        MakeFile(dir / ("first/d" + std::to_string(d) + "/f" + std::to_string(f)));
        MakeFile(dir / ("second/s" + std::to_string(d) + "/g" + std::to_string(f)));
        MakeFile(dir / ("gone/x" + std::to_string(d) + "/h" + std::to_string(f)));
        MakeFile(dir / ("tree/t" + std::to_string(d) + "/k" + std::to_string(f)));
      }
    RecordingHost host;
    host.folder = dir / "template";
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.NewDatabase("", "Words"));
    AddDisc(engine, "First", dir / "first", true);
    AddDisc(engine, "Second", dir / "second", true);
    AddDisc(engine, "Gone", dir / "gone", true);
    // The deleted disc's chains are free space that the change may take.
    ASSERT_TRUE(engine.DeleteDisc(engine.Discs->GetDisc(engine.Discs->FindByLabel(u"Gone"))));
    ASSERT_EQ(engine.Discs->Count(), 2);
    before = State(engine);
    ASSERT_TRUE(engine.CloseDatabase());
  }

  static std::string State(TEngine& engine) {
    std::string s;
    for (int32_t i = 0; i < engine.Discs->Count(); ++i) {
      const TDiscData& d = engine.Discs->DiscAt(i);
      s += Utf16ToUtf8(d.Label) + "|" + std::to_string(d.Category) + "|" + Utf16ToUtf8(d.Description) + "|" +
           std::to_string(d.Files) + ";";
    }
    for (int32_t k = 0; k < engine.Discs->Categories.Count(); ++k)
      s += engine.Discs->Categories.GetName(k) + ",";
    return s;
  }

  // The writes of the change made with room, and the state it leaves.
  int64_t WithRoom() {
    const std::string folder = dir / "room";
    fs::copy(dir / "template", folder);
    RecordingHost host;
    host.folder = folder;
    FaultInjector faults;
    TEngine engine(host, QV_TEST_APP_DIR, faults);
    EXPECT_TRUE(engine.OpenDatabase(""));
    EXPECT_GT(engine.Base->FreeSpace().FreeBytes(), 0);
    faults.FailWritesFrom(int64_t(1) << 40);
    TheChange().run(engine, dir.Path());
    const int64_t writes = faults.WriteCount();
    after = State(engine);
    EXPECT_NE(after, before);
    EXPECT_TRUE(engine.CloseDatabase());
    return writes;
  }

  enum class Mode { FullThenClose, OnlyThenClose, FullThenCrash, OnlyThenCrash, Killed };

  // In a child: the change on a copy of the template, with write n failing
  // (or the disc full from it on) or the process killed before it; the
  // session then closes, or ends without a close.
  void RunChild(const std::string& folder, Mode mode, int64_t n) {
    fs::copy(dir / "template", folder);
    const int status = RunSessionInChild(folder, "", [&](TEngine& engine, FaultInjector& faults) {
      switch (mode) {
        case Mode::FullThenClose:
        case Mode::FullThenCrash:
          faults.FailWritesFrom(n);
          break;
        case Mode::OnlyThenClose:
        case Mode::OnlyThenCrash:
          faults.FailOnlyWrite(n);
          break;
        case Mode::Killed:
          faults.SetWriteHook([n](int64_t at, const std::string&) {
            if (at == n) ::raise(SIGKILL);
          });
          break;
      }
      TheChange().run(engine, dir.Path());
      if (mode == Mode::FullThenClose || mode == Mode::OnlyThenClose) {
        faults.Reset();
        engine.CloseDatabase();
      }
    });
    ASSERT_TRUE(WIFEXITED(status) ? WEXITSTATUS(status) == 0 : mode == Mode::Killed) << status;
  }

  // The two opens after it.
  void Reopen(const std::string& folder) {
    for (int open = 1; open <= 2; ++open) {
      SCOPED_TRACE("open " + std::to_string(open));
      RecordingHost host;
      host.folder = folder;
      TEngine engine(host, QV_TEST_APP_DIR);
      ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
      EXPECT_FALSE(engine.Base->ReadOnly()) << testing::PrintToString(host.console);
      int warnings = 0;
      for (const std::string& l : host.console) {
        EXPECT_NE(l.rfind("E ", 0), 0u) << l;
        if (l.rfind("W ", 0) != 0) continue;
        ++warnings;
        for (const char* word : kStorageWords) EXPECT_EQ(l.find(word), std::string::npos) << l;
      }
      EXPECT_LE(warnings, open == 1 ? 1 : 0) << testing::PrintToString(host.console);
      const std::string state = State(engine);
      EXPECT_TRUE(state == before || state == after) << state;
      EXPECT_TRUE(engine.CloseDatabase());
    }
  }

  void Sweep(Mode mode, const char* what) {
    const int64_t writes = WithRoom();
    ASSERT_GT(writes, 3);
    for (int64_t n = 1; n <= writes; ++n) {
      SCOPED_TRACE(std::string(TheChange().name) + ", " + what + " " + std::to_string(n) + " of " +
                   std::to_string(writes));
      const std::string folder = dir / ("at-" + std::to_string(n));
      RunChild(folder, mode, n);
      if (HasFatalFailure()) return;
      Reopen(folder);
      if (HasFailure()) break;
    }
  }

  TempDir dir;
  std::string before, after;
};

TEST_P(NextOpenWords, FullFromAnyWriteThenClosed) {
  Sweep(Mode::FullThenClose, "full from write");
}
TEST_P(NextOpenWords, OneWriteFailingThenClosed) {
  Sweep(Mode::OnlyThenClose, "only write");
}
TEST_P(NextOpenWords, FullFromAnyWriteThenCutShort) {
  Sweep(Mode::FullThenCrash, "full from write, then cut short,");
}
TEST_P(NextOpenWords, OneWriteFailingThenCutShort) {
  Sweep(Mode::OnlyThenCrash, "only write, then cut short,");
}
TEST_P(NextOpenWords, KilledAtAnyWrite) {
  Sweep(Mode::Killed, "killed before write");
}

INSTANTIATE_TEST_SUITE_P(Changes, NextOpenWords, ::testing::Range(0, int(Changes().size())),
                         [](const auto& p) {
                           std::string name = Changes()[std::size_t(p.param)].name;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
}  // namespace qv::test::nextopen
