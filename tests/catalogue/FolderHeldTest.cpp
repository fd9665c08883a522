// A session holds its catalogue's folder from its open to its close. The user
// moves that folder while a session in another process is held at each step
// of a change and its close: moved aside with a copy put where it was (the
// advice after damage), renamed, or with its parent renamed. Every change
// goes into the folder the session holds, nothing is refused, the session
// says where the folder is now, and a copy put in its place is never
// touched. A folder removed, or a copy written over the folder's files, is
// met with a plain line and nothing more written.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <thread>

#include "platform/FaultInjector.h"
#include "tests/catalogue/ChildProcess.h"
#include "tests/catalogue/SessionSupport.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test::folderheld {
namespace {

namespace fs = std::filesystem;
using namespace sessions;

struct Change {
  const char* name;
  std::function<void(TEngine&, const std::string& tree)> run;
  std::set<std::string> after;  // the discs once it is made
};

const std::vector<Change>& Changes() {
  static const std::vector<Change> changes{
      {"add", [](TEngine& e, const std::string& tree) { AddDisc(e, "Added", tree); }, {"First", "Added"}},
      {"rename",
       [](TEngine& e, const std::string&) {
         TDiscData d = e.Discs->GetDisc(0);
         d.Label = u"Renamed";
         e.UpdateDisc(0, d);
       },
       {"Renamed"}},
      {"delete", [](TEngine& e, const std::string&) { e.DeleteDisc(e.Discs->GetDisc(0)); }, {}},
      {"category", [](TEngine& e, const std::string&) { e.Discs->Categories.Add("Cables"); }, {"First"}},
      {"clear", [](TEngine& e, const std::string&) { e.ClearDatabase(); }, {}},
  };
  return changes;
}

const Change& ChangeNamed(const std::string& name) {
  for (const Change& c : Changes())
    if (name == c.name) return c;
  throw std::runtime_error("no change " + name);
}

enum class Move { ReplacedByACopy, Renamed, ParentRenamed, Removed, CopiedOver };

class FolderHeld : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int f = 0; f < 6; ++f) {
      MakeFile(dir / ("a/d/f" + std::to_string(f)));
      MakeFile(dir / ("b/d/g" + std::to_string(f)));
    }
    original = dir / "original";
    MakeCatalogue(original, "Kept", "First", dir / "a");
    copy = dir / "copy";
    fs::copy(original, copy);
    copied = Files(copy);
  }

  // A session on folder in a child: held at its step `hold` (0: never),
  // between its open and its change, at each file opened and each write of
  // the change, between the change and its close, and at each file opened
  // and each write of the close. What it said goes to `out`.
  void Start(Child& session, const std::string& folder, const Change& change, int hold,
             const std::string& out) {
    session.Start([&, folder, hold, out](Child& self) {
      RecordingHost host;
      host.folder = folder;
      FaultInjector faults;
      TEngine engine(host, QV_TEST_APP_DIR, faults);
      if (!engine.OpenDatabase("")) ::_exit(2);
      int n = 0;
      auto step = [&] {
        if (++n == hold) self.Hold();
      };
      step();
      faults.SetWriteHook([&](int64_t, const std::string&) { step(); });
      faults.SetOpenHook([&](const std::string&, const std::string&) { step(); });
      change.run(engine, dir / "b");
      step();
      engine.CloseDatabase();
      faults.SetWriteHook(nullptr);
      faults.SetOpenHook(nullptr);
      std::ofstream(out + ".steps") << n;
      Outcome o;
      o.said = host.console;
      o.Write(out);
    });
  }

  int Steps(const Change& change) {
    const std::string folder = dir / (std::string("alone-") + change.name);
    fs::copy(original, folder);
    Child alone;
    Start(alone, folder, change, 0, folder + ".out");
    EXPECT_TRUE(alone.Finish());
    return ReadNumber(folder + ".out.steps");
  }

  // Makes the move; where the session's folder is now ("" when gone).
  std::string MoveAway(Move move, const fs::path& root, const fs::path& folder) {
    switch (move) {
      case Move::ReplacedByACopy:
        fs::rename(folder, root / "aside");
        fs::copy(copy, folder);
        return root / "aside";
      case Move::Renamed:
        fs::rename(folder, root / "renamed");
        return root / "renamed";
      case Move::ParentRenamed: {
        const fs::path moved = root.string() + "-moved";
        fs::rename(root, moved);
        return moved / folder.filename();
      }
      case Move::Removed:
        fs::remove_all(folder);
        return "";
      case Move::CopiedOver:
        // As `cp copy/* folder/`: each file written over in place.
        for (const auto& [name, bytes] : copied) std::ofstream(folder / name, std::ios::binary) << bytes;
        return folder;
    }
    return "";
  }

  void MoveAtEachStep(const std::string& changeName, Move move) {
    const Change& change = ChangeNamed(changeName);
    const int steps = Steps(change);
    ASSERT_GT(steps, 3);
    std::cout << "the folder moved at each of " << steps << " steps of the " << change.name << "\n";
    for (int hold = 1; hold <= steps; ++hold) {
      SCOPED_TRACE(std::string("the ") + change.name + " held at step " + std::to_string(hold));
      const fs::path root = dir / ("m" + std::to_string(hold));
      const fs::path folder = root / "catalogue";
      const std::string out = dir / ("out" + std::to_string(hold));
      fs::create_directories(root);
      fs::copy(original, folder);
      Child session;
      Start(session, folder, change, hold, out);
      ASSERT_EQ(session.Next(), 'h');
      const std::string now = MoveAway(move, root, folder);
      // A session looks at its files before a write when a millisecond has
      // passed since it last looked (a run of writes is one write for it):
      // the user's change lands later than that.
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      ASSERT_TRUE(session.Finish());
      const Outcome o = Outcome::Read(out);
      if (move == Move::Removed)
        CheckRemoved(o, root);
      else if (move == Move::CopiedOver)
        CheckCopiedOver(o, folder);
      else
        CheckMoved(o, change, move, folder, now);
      if (HasFailure()) return;
    }
  }

  // Nothing refused, nothing false: the one thing said is where the folder
  // went, and the change is there.
  void CheckMoved(const Outcome& o, const Change& change, Move move, const fs::path& folder,
                  const std::string& now) {
    const std::string moved = "W The folder of database \"Kept\" was moved to \"" +
                              fs::canonical(now).string() +
                              "\" while it was open; this session's changes are there";
    EXPECT_EQ(Count(o.said, "E "), 0) << testing::PrintToString(o.said);
    EXPECT_GE(std::count(o.said.begin(), o.said.end(), moved), 1) << testing::PrintToString(o.said);
    EXPECT_EQ(Count(o.said, "W "), std::count(o.said.begin(), o.said.end(), moved))
        << testing::PrintToString(o.said);
    if (move == Move::ReplacedByACopy) {
      EXPECT_EQ(Files(folder), copied);
      ExpectOpens(folder, "Kept", {"First"});
    }
    ExpectOpens(now, "Kept", change.after);
  }

  // The change is refused, or the close says it, in one plain line, and
  // nothing is written anywhere: the folder's parent holds nothing new.
  void CheckRemoved(const Outcome& o, const fs::path& root) {
    for (const auto& l : o.said) {
      if (l.rfind("E ", 0) == 0 || l.rfind("W ", 0) == 0) {
        EXPECT_NE(l.find("removed while it was open"), std::string::npos) << l;
      }
    }
    EXPECT_EQ(Count(o.said, "E ") + Count(o.said, "W "), 1) << testing::PrintToString(o.said);
    EXPECT_TRUE(fs::is_empty(root));
  }

  // The session notices before it writes again, says so once, and leaves
  // the files as the user put them: the catalogue opens as the copy does.
  void CheckCopiedOver(const Outcome& o, const fs::path& folder) {
    for (const auto& l : o.said) {
      if (l.rfind("E ", 0) == 0 || l.rfind("W ", 0) == 0) {
        EXPECT_NE(l.find("changed by another program while it was open"), std::string::npos) << l;
      }
    }
    EXPECT_EQ(Count(o.said, "E ") + Count(o.said, "W "), 1) << testing::PrintToString(o.said);
    const auto now = Files(folder);
    std::string extra;
    for (const auto& [name, bytes] : now) extra += copied.count(name) ? "" : " " + name;
    SCOPED_TRACE("files besides the copy's:" + extra + "; said " + testing::PrintToString(o.said));
    for (const auto& [name, bytes] : copied) EXPECT_TRUE(now.count(name) && now.at(name) == bytes) << name;
    ExpectOpens(folder, "Kept", {"First"});
  }

  TempDir dir;
  std::string original, copy;
  std::map<std::string, std::string> copied;
};

TEST_F(FolderHeld, AnAddWhileTheFolderIsReplacedByACopy) {
  MoveAtEachStep("add", Move::ReplacedByACopy);
}
TEST_F(FolderHeld, ARenameWhileTheFolderIsReplacedByACopy) {
  MoveAtEachStep("rename", Move::ReplacedByACopy);
}
TEST_F(FolderHeld, ADeleteWhileTheFolderIsReplacedByACopy) {
  MoveAtEachStep("delete", Move::ReplacedByACopy);
}
TEST_F(FolderHeld, ACategoryAddWhileTheFolderIsReplacedByACopy) {
  MoveAtEachStep("category", Move::ReplacedByACopy);
}
TEST_F(FolderHeld, AClearWhileTheFolderIsReplacedByACopy) {
  MoveAtEachStep("clear", Move::ReplacedByACopy);
}
TEST_F(FolderHeld, AnAddWhileTheFolderIsRenamed) {
  MoveAtEachStep("add", Move::Renamed);
}
TEST_F(FolderHeld, ARenameWhileTheParentFolderIsRenamed) {
  MoveAtEachStep("rename", Move::ParentRenamed);
}
TEST_F(FolderHeld, AnAddWhileTheFolderIsRemoved) {
  MoveAtEachStep("add", Move::Removed);
}
TEST_F(FolderHeld, AnAddWhileACopyIsWrittenOverTheFiles) {
  MoveAtEachStep("add", Move::CopiedOver);
}
TEST_F(FolderHeld, ADeleteWhileACopyIsWrittenOverTheFiles) {
  MoveAtEachStep("delete", Move::CopiedOver);
}

}  // namespace
}  // namespace qv::test::folderheld
