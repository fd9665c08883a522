// A session holds its catalogue's folder from its open to its close. The user
// moves that folder while a session in another process is held at each step
// of a change and its close: moved aside with a copy put where it was (the
// advice after damage), renamed, or with its parent renamed. Every change
// goes into the folder the session holds, nothing is refused, the session
// says where the folder is now, and a copy put in its place is never
// touched. A folder removed, or a copy written over the folder's files, is
// met with a plain line and nothing more written: a copy written over them
// file by file as `cp` writes them while a change goes on stays byte for
// byte the copy, and a folder copied away file by file and removed (as `mv`
// to another disc does) during a run of adds is said at the add's end, with
// what a copy may lack.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>

#include "platform/FaultInjector.h"
#include "tests/catalogue/ChildProcess.h"
#include "tests/catalogue/SessionSupport.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test::folderheld {
namespace {

namespace fs = std::filesystem;
using namespace sessions;

// Put among the lines a session said when its change has returned.
constexpr char kChangeEnded[] = "- the change ended";
// Put among them where the session was held for the user's move.
constexpr char kHeld[] = "- held";

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
      {"adds",
       [](TEngine& e, const std::string& tree) {
         for (const char* label : {"Run 1", "Run 2", "Run 3"}) AddDisc(e, label, tree);
       },
       {"First", "Run 1", "Run 2", "Run 3"}},
  };
  return changes;
}

const Change& ChangeNamed(const std::string& name) {
  for (const Change& c : Changes())
    if (name == c.name) return c;
  throw std::runtime_error("no change " + name);
}

enum class Move {
  ReplacedByACopy,
  Renamed,
  ParentRenamed,
  Removed,
  CopiedOver,
  CopiedFileByFile,
  DataPutBack
};

// A copy put back names what the session must not have claimed.
const char* const kFalseClaim = "nothing of this session was written over them";
const char* const kPutBackAgain = "put the copy back again with the catalogue closed";
const char* const kMayLack = "may lack the changes this session stored since it opened at ";

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
  // With holdOn it is held at every step from `hold` on.
  void Start(Child& session, const std::string& folder, const Change& change, int hold,
             const std::string& out, bool holdOn = false) {
    session.Start([&, folder, hold, out, holdOn](Child& self) {
      RecordingHost host;
      host.folder = folder;
      FaultInjector faults;
      TEngine engine(host, QV_TEST_APP_DIR, faults);
      if (!engine.OpenDatabase("")) ::_exit(2);
      int n = 0;
      auto step = [&] {
        if (++n == hold) host.console.push_back(kHeld);
        if (n == hold || (holdOn && hold > 0 && n > hold)) self.Hold();
      };
      step();
      faults.SetWriteHook([&](int64_t, const std::string&) { step(); });
      faults.SetOpenHook([&](const std::string&, const std::string&) { step(); });
      change.run(engine, dir / "b");
      host.console.push_back(kChangeEnded);
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
        for (const auto& [name, bytes] : copied) WriteOver(folder / name, bytes);
        return folder;
      case Move::DataPutBack:
        WriteOver(folder / "storage.vlm", copied.at("storage.vlm"));
        return folder;
      case Move::CopiedFileByFile:
        break;  // CopyFileByFile
    }
    return "";
  }

  static void WriteOver(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }

  // As `cp copy/* folder/` running beside the session, in its order (by
  // name): the files before storage.vlm (index.vlm among them) written over
  // where it is held, then storage.vlm and the rest (xbase.vlm) each at its
  // next step; what is left once it has ended is written after.
  void CopyFileByFile(Child& session, const fs::path& folder) {
    std::vector<std::vector<std::string>> files(3);
    for (const auto& [name, bytes] : copied)
      files[name < "storage.vlm" ? 0 : name == "storage.vlm" ? 1 : 2].push_back(name);
    bool running = true;
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (i > 0 && running) {
        session.Go();
        running = session.Next() == 'h';
      }
      for (const auto& name : files[i]) WriteOver(folder / name, copied.at(name));
    }
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
      Start(session, folder, change, hold, out, move == Move::CopiedFileByFile);
      ASSERT_EQ(session.Next(), 'h');
      const std::string now = MoveAway(move, root, folder);
      if (move == Move::CopiedFileByFile) CopyFileByFile(session, folder);
      ASSERT_TRUE(session.Finish());
      const Outcome o = Outcome::Read(out);
      if (move == Move::Removed)
        CheckRemoved(o, root);
      else if (move == Move::CopiedOver || move == Move::CopiedFileByFile)
        CheckCopiedOver(o, folder, move == Move::CopiedOver);
      else if (move == Move::DataPutBack)
        CheckDataPutBack(o, change, folder);
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
    // Moved while the change ran (it said more after the move): said by
    // the change, at its end at the latest, not only at the close.
    const auto held = std::find(o.said.begin(), o.said.end(), kHeld);
    const auto ended = std::find(o.said.begin(), o.said.end(), kChangeEnded);
    const auto said = [](const std::string& l) { return l.rfind("- ", 0) != 0; };
    if (held < ended && std::any_of(held + 1, ended, said)) {
      EXPECT_NE(std::find(held, ended, moved), ended) << testing::PrintToString(o.said);
    }
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

  // The change is refused, or its end or the close says it, and nothing is
  // written anywhere: the folder's parent holds nothing new. The words say
  // what a copy made meanwhile may lack.
  void CheckRemoved(const Outcome& o, const fs::path& root) {
    for (const auto& l : o.said) {
      if (l.rfind("E ", 0) == 0 || l.rfind("W ", 0) == 0) {
        EXPECT_NE(l.find("removed while it was open"), std::string::npos) << l;
      }
    }
    EXPECT_EQ(CountWith(o.said, kMayLack), 1) << testing::PrintToString(o.said);
    EXPECT_LE(Count(o.said, "E ") + Count(o.said, "W "), 2) << testing::PrintToString(o.said);
    EXPECT_TRUE(fs::is_empty(root));
  }

  static int CountWith(const std::vector<std::string>& said, const std::string& words) {
    return int(std::count_if(said.begin(), said.end(),
                             [&](const std::string& l) { return l.find(words) != std::string::npos; }));
  }

  // The session notices before it writes again, says so, and leaves the
  // files as the user put them: the catalogue opens as the copy does. Met
  // while a change was writing, it says to put the copy back again; it
  // never claims that nothing was written over it.
  void CheckCopiedOver(const Outcome& o, const fs::path& folder, bool wholeAtOnce) {
    for (const auto& l : o.said) {
      if (l.rfind("E ", 0) == 0 || l.rfind("W ", 0) == 0) {
        EXPECT_NE(l.find("changed by another program while"), std::string::npos) << l;
        EXPECT_EQ(l.find(kFalseClaim), std::string::npos) << l;
      }
    }
    const int writing = CountWith(o.said, "while a change was being written to them");
    const bool putBackAgain = CountWith(o.said, kPutBackAgain) == 1;
    EXPECT_EQ(putBackAgain, writing > 0) << testing::PrintToString(o.said);
    // A copy written whole at once meets a look before any write; one written
    // file by file may end after the session's last write, unmet and untouched.
    if (wholeAtOnce) {
      EXPECT_GE(Count(o.said, "E ") + Count(o.said, "W "), 1) << testing::PrintToString(o.said);
    }
    EXPECT_LE(Count(o.said, "E ") + Count(o.said, "W "), 2) << testing::PrintToString(o.said);
    // Told that its writes may have reached the copy, the user puts it back
    // again with the catalogue closed: nothing the session left beside it
    // (a journal of its own) changes what it opens as.
    if (putBackAgain) {
      for (const auto& [name, bytes] : copied) WriteOver(folder / name, bytes);
    }
    const auto now = Files(folder);
    std::string extra;
    for (const auto& [name, bytes] : now) extra += copied.count(name) ? "" : " " + name;
    SCOPED_TRACE("files besides the copy's:" + extra + "; said " + testing::PrintToString(o.said));
    for (const auto& [name, bytes] : copied) EXPECT_TRUE(now.count(name) && now.at(name) == bytes) << name;
    ExpectOpens(folder, "Kept", {"First"});
  }

  // storage.vlm alone put back: met, and nothing more written into it; or,
  // when it was as the session had it (put back before the change wrote
  // there), the change is made and nothing is said.
  void CheckDataPutBack(const Outcome& o, const Change& change, const fs::path& folder) {
    const int said = Count(o.said, "E ") + Count(o.said, "W ");
    if (said == 0) {
      ExpectOpens(folder, "Kept", change.after);
      return;
    }
    for (const auto& l : o.said) {
      if (l.rfind("E ", 0) == 0 || l.rfind("W ", 0) == 0) {
        EXPECT_NE(l.find("changed by another program while"), std::string::npos) << l;
      }
    }
    EXPECT_TRUE(Files(folder).at("storage.vlm") == copied.at("storage.vlm"));
  }

  TempDir dir;
  std::string original, copy;
  std::map<std::string, std::string> copied;
};

// `mv` to another disc during a run of adds, from each seventh step on: the
// files copied one by one while the session goes on (one at each of its
// steps), then the folder removed. The session says so, at the end of the
// add that met it, with what the copy may lack; no add after it says it
// was added, and nothing is written anywhere.
TEST_F(FolderHeld, ARunOfAddsWhileTheFolderIsMovedToAnotherDisc) {
  const Change& change = ChangeNamed("adds");
  const int steps = Steps(change);
  ASSERT_GT(steps, 20);
  for (int hold = 1; hold <= steps; hold += 7) {
    SCOPED_TRACE("moved from step " + std::to_string(hold));
    const fs::path root = dir / ("mv" + std::to_string(hold));
    const fs::path folder = root / "catalogue";
    const fs::path moved = dir / ("other-disc" + std::to_string(hold));
    const std::string out = dir / ("mv-out" + std::to_string(hold));
    fs::create_directories(root);
    fs::create_directories(moved);
    fs::copy(original, folder);
    Child session;
    Start(session, folder, change, hold, out, true);
    ASSERT_EQ(session.Next(), 'h');
    bool running = true;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
    for (const fs::path& file : files) {
      if (fs::exists(file)) fs::copy_file(file, moved / file.filename());
      if (running) {
        session.Go();
        running = session.Next() == 'h';
      }
    }
    fs::remove_all(folder);
    ASSERT_TRUE(session.Finish());
    const Outcome o = Outcome::Read(out);
    bool met = false;
    for (const auto& l : o.said) {
      if (l.find(kMayLack) != std::string::npos) met = true;
      if (l.rfind("E ", 0) == 0 || l.rfind("W ", 0) == 0) {
        EXPECT_NE(l.find("removed while it was open"), std::string::npos) << l;
      }
      if (met) {
        EXPECT_EQ(l.find("were added to the database"), std::string::npos) << testing::PrintToString(o.said);
        EXPECT_EQ(l.find("Scanning"), std::string::npos) << testing::PrintToString(o.said);
      }
    }
    // Unmet only when the session ended before the folder went.
    EXPECT_EQ(CountWith(o.said, kMayLack), running ? 1 : CountWith(o.said, kMayLack))
        << testing::PrintToString(o.said);
    EXPECT_LE(CountWith(o.said, kMayLack), 1);
    EXPECT_TRUE(fs::is_empty(root));
    if (HasFailure()) return;
  }
}

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
TEST_F(FolderHeld, AnAddWhileACopyIsWrittenOverTheFilesOneByOne) {
  MoveAtEachStep("add", Move::CopiedFileByFile);
}
TEST_F(FolderHeld, AClearWhileACopyIsWrittenOverTheFilesOneByOne) {
  MoveAtEachStep("clear", Move::CopiedFileByFile);
}
TEST_F(FolderHeld, AnAddWhileItsDataFileIsPutBack) {
  MoveAtEachStep("add", Move::DataPutBack);
}

}  // namespace
}  // namespace qv::test::folderheld
