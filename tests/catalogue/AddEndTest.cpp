// Whether an add ended, as the user is told it and as the next opens find
// it. An add of a disc without files (a label, a category, a location and a
// description typed by hand) and one with files are made to fail at each of
// their writes (the file layer's fault seam: the disc full from that write
// on, or that write alone failing) and killed before each of them (a real
// process). A disc said added, or "has been added, but", is there with
// everything typed; one said not stored is not; the next open says so once,
// the one after says nothing; nothing else changes. A note left by the
// version before, or one that names no record the add can have made,
// removes nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "catalogue/Engine.h"
#include "classlib/IniFiles.h"
#include "platform/FaultInjector.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test::addend {
namespace {

namespace fs = std::filesystem;

struct Add {
  const char* label;
  bool files;
};

const Add kBox{"Box", false};   // catalogued by hand
const Add kTree{"Tree", true};  // 2 folders, 6 files

int Lines(const RecordingHost& host, const std::string& part) {
  int n = 0;
  for (auto& l : host.console) n += l.find(part) != std::string::npos;
  return n;
}

class AddEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int f = 0; f < 4; ++f) MakeFile(dir / ("first/d/f" + std::to_string(f)));
    for (int d = 0; d < 2; ++d)
      for (int f = 0; f < 3; ++f) MakeFile(dir / ("tree/t" + std::to_string(d) + "/g" + std::to_string(f)));
    RecordingHost host;
    host.folder = dir / "template";
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.NewDatabase("", "Ends"));
    Run(engine, {"First", true});
    before = State(engine, host);
    firstID = engine.Discs->DiscAt(0).ID;
    ASSERT_TRUE(engine.CloseDatabase());
  }

  void Run(TEngine& engine, const Add& add) {
    TScanOpts scan;
    scan.IncludeFiles = add.files;
    scan.Path = dir / (add.files ? (std::string(add.label) == "First" ? "first" : "tree") : "");
    TDiscData d;
    d.Label = Utf8ToUtf16(add.label);
    d.Category = 2;
    d.Location = u"Shelf 3, left";
    d.Description = u"Cables, manuals\r\nand the spare keys";
    engine.AddDisc(scan, d);
  }

  // Every disc with what was typed and stored for it, and the files a
  // search finds.
  static std::string State(TEngine& engine, RecordingHost& host) {
    std::string s;
    for (int32_t i = 0; i < engine.Discs->Count(); ++i) {
      const TDiscData& d = engine.Discs->DiscAt(i);
      s += Utf16ToUtf8(d.Label) + "|" + std::to_string(d.Category) + "|" + Utf16ToUtf8(d.Location) + "|" +
           Utf16ToUtf8(d.Description) + "|" + std::to_string(d.Files) + "|" + std::to_string(d.Folders) + ";";
    }
    host.rows.clear();
    TSearchOpts all;
    all.FileMask = "*";
    engine.Search(all);
    std::size_t found = 0;
    for (auto& r : host.rows) found += r.parent >= 0;
    return s + " found " + std::to_string(found);
  }

  // The add on a copy of the template with room: its writes and the state
  // it leaves.
  int64_t WithRoom(const Add& add) {
    const std::string folder = dir / (std::string("room-") + add.label);
    fs::copy(dir / "template", folder);
    RecordingHost host;
    host.folder = folder;
    FaultInjector faults;
    TEngine engine(host, QV_TEST_APP_DIR, faults);
    EXPECT_TRUE(engine.OpenDatabase(""));
    faults.FailWritesFrom(int64_t(1) << 40);
    Run(engine, add);
    const int64_t writes = faults.WriteCount();
    EXPECT_EQ(Lines(host, "E "), 0) << testing::PrintToString(host.console);
    after = State(engine, host);
    EXPECT_NE(after, before);
    EXPECT_TRUE(engine.CloseDatabase());
    return writes;
  }

  // The next two opens of folder: the first finds the state the session
  // told of and says "not stored" at most once, in those words; the second
  // says nothing of the disc.
  // told: the session said whether the disc was stored (it was not killed).
  void Reopen(const std::string& folder, const Add& add, bool stored, bool told) {
    const std::string quoted = "\"" + std::string(add.label) + "\"";
    for (int open = 1; open <= 2; ++open) {
      SCOPED_TRACE("open " + std::to_string(open));
      RecordingHost host;
      host.folder = folder;
      TEngine engine(host, QV_TEST_APP_DIR);
      ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
      EXPECT_FALSE(engine.Base->ReadOnly()) << testing::PrintToString(host.console);
      EXPECT_EQ(Lines(host, "E "), 0) << testing::PrintToString(host.console);
      EXPECT_EQ(
          Lines(host, "did not end") + Lines(host, "index.jnl was torn") + Lines(host, "no disc was removed"),
          0)
          << testing::PrintToString(host.console);
      const int mentions = Lines(host, quoted);
      if (!stored && told) {
        EXPECT_LE(Lines(host, "W "), 1) << testing::PrintToString(host.console);
      }
      if (stored || open == 2)
        EXPECT_EQ(mentions, 0) << testing::PrintToString(host.console);
      else
        EXPECT_LE(mentions, 1) << testing::PrintToString(host.console);
      const std::vector<std::string> said = host.console;
      EXPECT_EQ(State(engine, host), stored ? after : before) << testing::PrintToString(said);
      EXPECT_TRUE(engine.CloseDatabase());
    }
  }

  TempDir dir;
  std::string before, after;
  int64_t firstID = -1;
};

TEST_F(AddEnd, FailedAtAnyWriteTheNextOpensListWhatTheSessionSaid) {
  for (const Add& add : {kBox, kTree}) {
    const int64_t writes = WithRoom(add);
    ASSERT_GT(writes, 4) << add.label;
    const std::string disc = "Disc \"" + std::string(add.label) + "\" ";
    // The disc full from write n on, or write n alone failing (an I/O error).
    for (int64_t at = 1; at <= 2 * writes; ++at) {
      const bool full = at <= writes;
      const int64_t n = full ? at : at - writes;
      SCOPED_TRACE(std::string(add.label) + (full ? ", full from write " : ", only write ") +
                   std::to_string(n) + " of " + std::to_string(writes) + " failing");
      const std::string folder = dir / (std::string(add.label) + "-" + std::to_string(at));
      fs::copy(dir / "template", folder);
      bool stored = false;
      {
        RecordingHost host;
        host.folder = folder;
        FaultInjector faults;
        TEngine engine(host, QV_TEST_APP_DIR, faults);
        ASSERT_TRUE(engine.OpenDatabase(""));
        if (full)
          faults.FailWritesFrom(n);
        else
          faults.FailOnlyWrite(n);
        host.console.clear();
        Run(engine, add);
        const bool notStored = Lines(host, "E " + disc + "was not stored: ") == 1;
        const bool storedBut = Lines(host, "E " + disc + "has been added, but ") == 1;
        EXPECT_NE(notStored, storedBut || Lines(host, "I Done in ") == 1)
            << testing::PrintToString(host.console);
        EXPECT_EQ(Lines(host, "E "), int(notStored || storedBut)) << testing::PrintToString(host.console);
        if (!add.files && !notStored) {
          EXPECT_EQ(Lines(host, "I " + disc + "was added without its files (\"Include disc files\" was off)"),
                    1);
        }
        stored = !notStored;
        host.console.clear();
        EXPECT_EQ(State(engine, host), stored ? after : before);
        engine.CloseDatabase();  // may fail: the disc is still full
      }
      Reopen(folder, add, stored, true);
      if (HasFailure()) return;
    }
  }
}

// A child adds and sends itself SIGKILL just before write n; census: the
// file of each write, 'J' for the journal.
class AddKilled : public AddEnd {
 protected:
  bool RunChild(const std::string& folder, const Add& add, int64_t killAt, std::string& census) {
    fs::copy(dir / "template", folder);
    const std::string noted = folder + ".census";
    const pid_t child = ::fork();
    if (child == 0) {
      RecordingHost host;
      host.folder = folder;
      FaultInjector faults;
      TEngine engine(host, QV_TEST_APP_DIR, faults);
      if (!engine.OpenDatabase("")) ::_exit(2);
      std::string kinds;
      faults.SetWriteHook([&](int64_t n, const std::string& path) {
        kinds += fs::path(path).filename().string().rfind("index.jnl", 0) == 0 ? 'J' : '.';
        if (n == killAt) ::raise(SIGKILL);
      });
      Run(engine, add);
      faults.Reset();
      std::ofstream(noted) << kinds;
      ::_exit(0);  // no close: the add's own commit is what is on disc
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    std::getline(std::ifstream(noted), census);
    return killAt > 0 ? WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL
                      : WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
};

TEST_F(AddKilled, AtAnyWriteTheDiscIsStoredWholeExactlyWhenItsLastCommitIsOnDisc) {
  for (const Add& add : {kBox, kTree}) {
    std::string census;
    ASSERT_TRUE(RunChild(dir / (std::string("whole-") + add.label), add, 0, census));
    {
      RecordingHost host;
      host.folder = dir / (std::string("whole-") + add.label);
      TEngine engine(host, QV_TEST_APP_DIR);
      ASSERT_TRUE(engine.OpenDatabase(""));
      after = State(engine, host);
      ASSERT_NE(after, before);
    }
    // A write is counted, then its sync: the last commit is on disc (for a
    // process killed, not a power loss) once its journal is written.
    const int64_t lastJournal = int64_t(census.rfind("JJ")) + 1;
    ASSERT_GT(lastJournal, 1) << census;
    for (int64_t n = 1; n <= int64_t(census.size()); ++n) {
      SCOPED_TRACE(std::string(add.label) + ", killed before write " + std::to_string(n) + " of " + census);
      const std::string folder = dir / (std::string(add.label) + "-k" + std::to_string(n));
      std::string none;
      ASSERT_TRUE(RunChild(folder, add, n, none));
      Reopen(folder, add, n > lastJournal, false);
      if (HasFailure()) return;
    }
  }
}

// xbase.vlm's [ENGINE] AddingDisc set by hand, as another version or writer
// may leave it.
void SetNote(const std::string& folder, const std::string& value) {
  TMemIniFile ini(folder + "/xbase.vlm");
  ini.WriteString("ENGINE", "AddingDisc", value);
  ASSERT_TRUE(ini.UpdateFile());
}

TEST_F(AddEnd, ANoteThatCannotTellTheAddsEntryRemovesNothing) {
  // The version before noted "Box" (its label in hex); the user then stored
  // a disc under that label in any case; a note of no form; one naming the
  // record of a disc with files.
  const std::string hexOfBox = "426F78";
  int made = 0;
  for (const std::string& note :
       {hexOfBox, std::string("12:x:41"), std::to_string(firstID) + "::4669727374"}) {
    SCOPED_TRACE(note);
    const std::string folder = dir / ("note-" + std::to_string(++made));
    fs::copy(dir / "template", folder);
    {
      RecordingHost host;
      host.folder = folder;
      TEngine engine(host, QV_TEST_APP_DIR);
      ASSERT_TRUE(engine.OpenDatabase(""));
      Run(engine, {"BOX", false});
      after = State(engine, host);
      ASSERT_TRUE(engine.CloseDatabase());
    }
    SetNote(folder, note);
    {
      // An open that cannot write leaves everything listed.
      RecordingHost host;
      host.folder = folder;
      FaultInjector faults;
      faults.RefuseChanges(EROFS);
      TEngine engine(host, QV_TEST_APP_DIR, faults);
      ASSERT_TRUE(engine.OpenDatabase(""));
      EXPECT_EQ(State(engine, host), after);
    }
    for (int open = 1; open <= 2; ++open) {
      RecordingHost host;
      host.folder = folder;
      TEngine engine(host, QV_TEST_APP_DIR);
      ASSERT_TRUE(engine.OpenDatabase(""));
      EXPECT_EQ(Lines(host, "W xbase.vlm noted "), open == 1 ? 1 : 0) << testing::PrintToString(host.console);
      EXPECT_EQ(Lines(host, "was not stored"), 0) << testing::PrintToString(host.console);
      EXPECT_EQ(State(engine, host), after);
      EXPECT_TRUE(engine.CloseDatabase());
    }
  }
}

}  // namespace
}  // namespace qv::test::addend
