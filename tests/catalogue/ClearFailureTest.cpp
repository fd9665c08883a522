// A clear and a create as a user meets them when a write fails, the disc is
// full or the program is killed. Each write, sync, open for writing, removal
// and folder sync of a clear fails in turn (ENOSPC, EIO), or the process
// ends there, in a session of its own; the session then adds a disc and
// closes. A fresh program opens the catalogue writable with all of its
// discs or none, as the session said, and takes one more. A damaged
// catalogue is cleared and then takes a disc; a clear on a real full disc
// goes through. A create cut short at any step leaves no catalogue, or one
// with the name it was given.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "catalogue/Engine.h"
#include "classlib/IniFiles.h"
#include "platform/FaultInjector.h"
#include "tests/catalogue/SessionSupport.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/SmallDisc.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test::clearfailure {
namespace {

namespace fs = std::filesystem;

const char* const kNotCleared = "E Failed to clear global access index";
const std::set<std::string> kAll = {"First", "Second"};

using sessions::AddDisc;

std::set<std::string> Discs(TEngine& engine) {
  std::set<std::string> labels;
  for (int32_t i = 0; i < engine.Discs->Count(); ++i)
    labels.insert(Utf16ToUtf8(engine.Discs->DiscAt(i).Label));
  return labels;
}

int Lines(const std::vector<std::string>& said, const std::string& start) {
  int n = 0;
  for (const auto& l : said) n += l.rfind(start, 0) == 0;
  return n;
}

void MarkDamaged(const std::string& folder) {
  TMemIniFile description(folder + "/xbase.vlm");
  description.WriteString("ENGINE", "Damage", "The database is damaged: marked so by hand");
  ASSERT_TRUE(description.UpdateFile());
}

// How the clear's step n goes wrong.
enum class Fault { Write, NoSpace, IoError, Kill };

// What the session in its child said and did, kept beside the catalogue.
struct Outcome {
  std::vector<std::string> said;  // from the clear on
  bool added = false;             // its disc "Third" after the clear was stored

  void Write(const std::string& file) const {
    std::ofstream out(file);
    out << added << "\n";
    for (const auto& l : said) out << l << "\n";
  }
  static Outcome Read(const std::string& file) {
    Outcome o;
    std::ifstream in(file);
    std::string line;
    if (std::getline(in, line)) o.added = line == "1";
    while (std::getline(in, line)) o.said.push_back(line);
    return o;
  }
};

class ClearFailure : public ::testing::TestWithParam<std::tuple<Fault, bool>> {
 protected:
  Fault TheFault() const { return std::get<0>(GetParam()); }
  bool Damaged() const { return std::get<1>(GetParam()); }

  void SetUp() override {
    for (int f = 0; f < 4; ++f) {
      MakeFile(dir / ("a/d/f" + std::to_string(f)), f);
      MakeFile(dir / ("b/e/g" + std::to_string(f)), f);
      MakeFile(dir / ("c/h" + std::to_string(f)), f);
    }
    original = dir / "original";
    RecordingHost host;
    host.folder = original;
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.NewDatabase("", "Shelf"));
    ASSERT_TRUE(AddDisc(engine, "First", dir / "a"));
    ASSERT_TRUE(AddDisc(engine, "Second", dir / "b"));
    ASSERT_TRUE(engine.CloseDatabase());
    if (Damaged()) MarkDamaged(original);
  }

  // The clear in a session of its own process, its step n failing (0:
  // none), then an add and the close; the counts of its writes and changes.
  Outcome Session(const std::string& folder, int64_t n, int64_t* writes = nullptr,
                  int64_t* changes = nullptr) {
    const Fault fault = TheFault();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
      RecordingHost host;
      host.folder = folder;
      FaultInjector faults;
      TEngine e(host, QV_TEST_APP_DIR, faults);
      if (!e.OpenDatabase("")) ::_exit(2);
      host.console.clear();
      faults.SetWriteHook([&](int64_t w, const std::string&) {
        if (fault == Fault::Kill && w == n) ::_exit(9);
      });
      if (fault == Fault::Write) faults.FailOnlyWrite(n);
      faults.FailOnlyChange(fault == Fault::NoSpace || fault == Fault::IoError ? n : 0,
                            fault == Fault::IoError ? EIO : ENOSPC);
      e.ClearDatabase();
      std::ofstream(folder + ".counts") << faults.WriteCount() << " " << faults.ChangeCount();
      faults.Reset();
      Outcome o;
      const int errors = Lines(host.console, "E ");
      o.added = AddDisc(e, "Third", dir / "c") && Lines(host.console, "E ") == errors;
      o.said = host.console;
      o.Write(folder + ".session");
      e.CloseDatabase();
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(child > 0 && WIFEXITED(status) && WEXITSTATUS(status) != 2) << status;
    if (writes && changes) std::ifstream(folder + ".counts") >> *writes >> *changes;
    return Outcome::Read(folder + ".session");
  }

  TempDir dir;
  std::string original;
};

// A fresh program opens the catalogue: writable, saying nothing of damage,
// with the discs expected; it takes a disc, and the next open finds it.
void ExpectWholeAndWritable(const std::string& folder, const std::set<std::string>& discs,
                            const std::string& tree) {
  {
    RecordingHost host;
    host.folder = folder;
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
    EXPECT_EQ(Lines(host.console, "E "), 0) << testing::PrintToString(host.console);
    for (const auto& l : host.console) {
      if (l.rfind("W ", 0) == 0) {
        EXPECT_NE(l.find("has been completed"), std::string::npos) << l;
      }
    }
    EXPECT_FALSE(engine.Base->ReadOnly()) << engine.Base->ReadOnlyText();
    EXPECT_EQ(engine.Base->Name, "Shelf");
    EXPECT_EQ(Discs(engine), discs);
    EXPECT_EQ(engine.Discs->Categories.Count(), 10);
    EXPECT_TRUE(AddDisc(engine, "Fourth", tree)) << testing::PrintToString(host.console);
    EXPECT_TRUE(engine.CloseDatabase());
  }
  RecordingHost host;
  host.folder = folder;
  TEngine engine(host, QV_TEST_APP_DIR);
  ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
  EXPECT_EQ(Lines(host.console, "E ") + Lines(host.console, "W "), 0) << testing::PrintToString(host.console);
  std::set<std::string> more = discs;
  more.insert("Fourth");
  EXPECT_EQ(Discs(engine), more);
  EXPECT_TRUE(engine.CloseDatabase());
}

// A damaged catalogue that the clear left as it was: it still says so, and
// is cleared now.
void ClearTheDamaged(const std::string& folder) {
  RecordingHost host;
  host.folder = folder;
  TEngine engine(host, QV_TEST_APP_DIR);
  ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
  EXPECT_NE(engine.Base->DamageText().find("marked so by hand"), std::string::npos)
      << engine.Base->DamageText();
  ASSERT_TRUE(engine.ClearDatabase()) << testing::PrintToString(host.console);
  EXPECT_TRUE(engine.CloseDatabase());
}

TEST_P(ClearFailure, AtEachStepLeavesTheCatalogueAsItWasOrClearedAndWritable) {
  int64_t writes = 0, changes = 0;
  {
    const std::string folder = dir / "clean";
    fs::copy(original, folder);
    const Outcome o = Session(folder, 0, &writes, &changes);
    EXPECT_EQ(Lines(o.said, "E ") + Lines(o.said, "W "), 0) << testing::PrintToString(o.said);
    EXPECT_TRUE(o.added);
    ExpectWholeAndWritable(folder, {"Third"}, dir / "a");
  }
  const bool byChange = TheFault() == Fault::NoSpace || TheFault() == Fault::IoError;
  const int64_t steps = byChange ? changes : writes;
  ASSERT_GT(steps, 3);
  std::cout << "a clear failing at each of its " << steps << (byChange ? " changes\n" : " writes\n");
  // How often the catalogue was found as it was, cleared, and cleared by
  // the next open after the session said it was not written whole.
  int kept = 0, cleared = 0, finishedByOpen = 0;
  for (int64_t n = 1; n <= steps; ++n) {
    SCOPED_TRACE("the clear's step " + std::to_string(n));
    const std::string folder = dir / ("f" + std::to_string(n));
    fs::copy(original, folder);
    const Outcome o = Session(folder, n);
    std::set<std::string> discs;
    if (TheFault() == Fault::Kill) {
      // Killed: nothing was said; the catalogue is as it was or cleared.
      RecordingHost look;
      look.folder = folder;
      TEngine engine(look, QV_TEST_APP_DIR);
      ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(look.console);
      discs = Discs(engine);
      EXPECT_TRUE(discs.empty() || discs == kAll) << testing::PrintToString(discs);
      const bool wasKept = !discs.empty();
      (wasKept ? kept : cleared)++;
      EXPECT_TRUE(engine.CloseDatabase());
      if (wasKept && Damaged()) {
        ClearTheDamaged(folder);
        discs.clear();
      }
    } else {
      // Not cleared: said so, plainly, and the catalogue is as it was.
      const bool wasCleared = Lines(o.said, kNotCleared) == 0;
      (wasCleared ? cleared : kept)++;
      finishedByOpen += Lines(o.said, "E The database has been cleared, but not written whole (");
      if (!wasCleared) {
        EXPECT_EQ(Lines(o.said, "E "), Damaged() ? 2 : 1) << testing::PrintToString(o.said);
        discs = kAll;
      }
      if (o.added) discs.insert("Third");
      if (!wasCleared && Damaged()) {
        ClearTheDamaged(folder);
        discs.clear();
      }
    }
    ExpectWholeAndWritable(folder, discs, dir / "a");
    if (HasFailure()) return;
  }
  std::cout << kept << " kept, " << cleared << " cleared, " << finishedByOpen
            << " of them by the next open\n";
  EXPECT_GT(kept, 0);
  EXPECT_GT(cleared, 0);
  if (TheFault() != Fault::Kill) {
    EXPECT_GT(finishedByOpen, 0);
  }
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Fault, bool>>& info) {
  static const char* const faults[] = {"Write", "NoSpace", "IoError", "Kill"};
  return std::string(faults[int(std::get<0>(info.param))]) + (std::get<1>(info.param) ? "_Damaged" : "");
}

INSTANTIATE_TEST_SUITE_P(Clears, ClearFailure,
                         ::testing::Combine(::testing::Values(Fault::Write, Fault::NoSpace, Fault::IoError,
                                                              Fault::Kill),
                                            ::testing::Bool()),
                         CaseName);

// A clear killed once xbase.vlm records it (Clearing=1), at its first write
// of `next` ("index.vlm": nothing emptied yet; "storage.vlm": index.vlm
// emptied), in a process of its own.
void KillClearBefore(const std::string& folder, const std::string& next) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    RecordingHost host;
    host.folder = folder;
    FaultInjector faults;
    TEngine e(host, QV_TEST_APP_DIR, faults);
    if (!e.OpenDatabase("")) ::_exit(2);
    bool noted = false;
    faults.SetWriteHook([&](int64_t, const std::string& path) {
      const std::string name = fs::path(path).filename();
      if (name.rfind("xbase.vlm", 0) == 0) noted = true;
      if (noted && name == next) ::_exit(9);
    });
    e.ClearDatabase();
    ::_exit(3);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9) << status;
  TMemIniFile description(folder + "/xbase.vlm");
  ASSERT_EQ(description.ReadString("ENGINE", "Clearing", ""), "1");
}

// A build that knows no Clearing key opens the catalogue as the files stand,
// adds a disc, and keeps the key it does not know: this build without the
// key is that build, and the key is put back as it kept it.
void AddAsABuildWithoutTheKey(const std::string& folder, const std::string& tree) {
  {
    TMemIniFile description(folder + "/xbase.vlm");
    description.DeleteKey("ENGINE", "Clearing");
    ASSERT_TRUE(description.UpdateFile());
  }
  {
    RecordingHost host;
    host.folder = folder;
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
    ASSERT_FALSE(engine.Base->ReadOnly()) << engine.Base->ReadOnlyText();
    ASSERT_TRUE(AddDisc(engine, "Later", tree)) << testing::PrintToString(host.console);
    ASSERT_TRUE(engine.CloseDatabase());
  }
  TMemIniFile description(folder + "/xbase.vlm");
  description.WriteString("ENGINE", "Clearing", "1");
  ASSERT_TRUE(description.UpdateFile());
}

std::map<std::string, std::string> Files(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& f : fs::directory_iterator(folder)) {
    std::ifstream in(f.path(), std::ios::binary);
    files[f.path().filename()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

// A clear cut short is finished by the next open only while the commit
// xbase.vlm records is still the clear's. Once a build that knows no
// Clearing key has opened the catalogue as it stood and added a disc, the
// open wipes nothing: it shows what is stored, read-only, says why and the
// way out, and a clear then empties it.
TEST(UnendedClear, IsFinishedOnlyWhileNothingWasCommittedSince) {
  TempDir dir;
  for (int f = 0; f < 3; ++f) {
    MakeFile(dir / ("a/f" + std::to_string(f)), f);
    MakeFile(dir / ("b/g" + std::to_string(f)), f);
  }
  const std::string original = dir / "original";
  {
    RecordingHost host;
    host.folder = original;
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.NewDatabase("", "Shelf"));
    ASSERT_TRUE(AddDisc(engine, "First", dir / "a"));
    ASSERT_TRUE(AddDisc(engine, "Second", dir / "a"));
    ASSERT_TRUE(engine.CloseDatabase());
  }
  const std::string finished =
      "W The database was being cleared when it was last open; the clear has been completed, and the "
      "database is now empty";
  for (const auto& [next, kept] : std::vector<std::pair<std::string, std::set<std::string>>>{
           {"index.vlm", {"First", "Second", "Later"}}, {"storage.vlm", {"Later"}}}) {
    SCOPED_TRACE("the clear killed at its write of " + next);
    {
      // Nobody since: an open that cannot write leaves it for the next that
      // can, which finishes it and says so, once.
      const std::string folder = dir / ("alone-" + next);
      fs::copy(original, folder);
      KillClearBefore(folder, next);
      const auto files = Files(folder);
      {
        RecordingHost host;
        host.folder = folder;
        FaultInjector faults;
        faults.RefuseChanges(EROFS);
        TEngine engine(host, QV_TEST_APP_DIR, faults);
        ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
        EXPECT_TRUE(engine.Base->ReadOnly());
        EXPECT_EQ(Lines(host.console, "E ") + Lines(host.console, "W "), 1)
            << testing::PrintToString(host.console);
        EXPECT_EQ(Lines(host.console,
                        "W The database was being cleared when it was last open; the clear is "
                        "completed at the next open that can write it, and until then it is "
                        "opened for reading only"),
                  1)
            << testing::PrintToString(host.console);
        host.console.clear();
        EXPECT_FALSE(engine.ClearDatabase());
        EXPECT_EQ(host.console, std::vector<std::string>{
                                    "E The database cannot be written and is opened for reading only"});
        EXPECT_TRUE(engine.CloseDatabase());
        EXPECT_TRUE(Files(folder) == files) << "the open wrote to the catalogue";
      }
      for (int open = 1; open <= 2; ++open) {
        RecordingHost host;
        host.folder = folder;
        TEngine engine(host, QV_TEST_APP_DIR);
        ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
        EXPECT_EQ(Lines(host.console, "E ") + Lines(host.console, "W "), open == 1 ? 1 : 0)
            << testing::PrintToString(host.console);
        EXPECT_EQ(Lines(host.console, finished), open == 1 ? 1 : 0) << testing::PrintToString(host.console);
        EXPECT_FALSE(engine.Base->ReadOnly());
        EXPECT_TRUE(Discs(engine).empty());
        EXPECT_TRUE(engine.CloseDatabase());
      }
    }
    {
      // The clear's mark damaged (one digit changed): it cannot be told to be
      // the last commit, so the same holds, and the line says why.
      const std::string folder = dir / ("damaged-" + next);
      fs::copy(original, folder);
      KillClearBefore(folder, next);
      {
        TMemIniFile description(folder + "/xbase.vlm");
        std::string mark = description.ReadString("ENGINE", "Commit", "");
        ASSERT_FALSE(mark.empty());
        mark[0] = mark[0] == '1' ? '2' : '1';
        description.WriteString("ENGINE", "Commit", mark);
        ASSERT_TRUE(description.UpdateFile());
      }
      const auto files = Files(folder);
      RecordingHost host;
      host.folder = folder;
      TEngine engine(host, QV_TEST_APP_DIR);
      ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
      EXPECT_TRUE(engine.Base->ReadOnly());
      EXPECT_EQ(Lines(host.console, "W "), 0) << testing::PrintToString(host.console);
      EXPECT_EQ(Lines(host.console,
                      "E The database was being cleared when it was last open, and the commit "
                      "mark in xbase.vlm is damaged (\""),
                1)
          << testing::PrintToString(host.console);
      EXPECT_EQ(Discs(engine), next == "index.vlm" ? kAll : std::set<std::string>{});
      EXPECT_TRUE(engine.CloseDatabase());
      EXPECT_TRUE(Files(folder) == files) << "the open wrote to the catalogue";
    }
    const std::string folder = dir / ("later-" + next);
    fs::copy(original, folder);
    KillClearBefore(folder, next);
    AddAsABuildWithoutTheKey(folder, dir / "b");
    const auto files = Files(folder);
    for (int open = 1; open <= 2; ++open) {
      RecordingHost host;
      host.folder = folder;
      TEngine engine(host, QV_TEST_APP_DIR);
      ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
      EXPECT_EQ(Lines(host.console, "W "), 0) << testing::PrintToString(host.console);
      EXPECT_EQ(Lines(host.console,
                      "E The database was being cleared when it was last open, and an earlier "
                      "version of this program (or another program) has written it since "
                      "without completing the clear; it is opened for reading only, as it may "
                      "hold what was stored since; to write it again, empty it with Database, "
                      "Clear, or close it and put back all of its files from one copy"),
                1)
          << testing::PrintToString(host.console);
      EXPECT_TRUE(engine.Base->ReadOnly());
      EXPECT_EQ(Discs(engine), kept);
      EXPECT_TRUE(engine.CloseDatabase());
      EXPECT_TRUE(Files(folder) == files) << "the open wrote to the catalogue";
    }
    // The way out it names.
    {
      RecordingHost host;
      host.folder = folder;
      TEngine engine(host, QV_TEST_APP_DIR);
      ASSERT_TRUE(engine.OpenDatabase(""));
      ASSERT_TRUE(engine.ClearDatabase()) << testing::PrintToString(host.console);
      EXPECT_FALSE(engine.Base->ReadOnly());
      EXPECT_TRUE(AddDisc(engine, "Again", dir / "a")) << testing::PrintToString(host.console);
      EXPECT_TRUE(engine.CloseDatabase());
    }
    ExpectWholeAndWritable(folder, {"Again"}, dir / "b");
  }
}

TEST(DamagedClear, ADamagedCatalogueIsClearedAndTakesADisc) {
  TempDir dir;
  for (int f = 0; f < 3; ++f) MakeFile(dir / ("a/f" + std::to_string(f)), f);
  const std::string folder = dir / "db";
  {
    RecordingHost host;
    host.folder = folder;
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.NewDatabase("", "Shelf"));
    ASSERT_TRUE(AddDisc(engine, "First", dir / "a"));
    ASSERT_TRUE(engine.CloseDatabase());
  }
  // Real damage: the data file cut short under its records.
  fs::resize_file(folder + "/storage.vlm", 40);
  RecordingHost host;
  host.folder = folder;
  {
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.OpenDatabase(""));
    ASSERT_FALSE(engine.Base->DamageText().empty());
    EXPECT_FALSE(AddDisc(engine, "Refused", dir / "a"));
    host.console.clear();
    ASSERT_TRUE(engine.ClearDatabase()) << testing::PrintToString(host.console);
    EXPECT_TRUE(host.console.empty()) << testing::PrintToString(host.console);
    EXPECT_FALSE(engine.Base->ReadOnly());
    EXPECT_TRUE(Discs(engine).empty());
    EXPECT_TRUE(AddDisc(engine, "Second", dir / "a")) << testing::PrintToString(host.console);
    EXPECT_TRUE(engine.CloseDatabase());
  }
  host.console.clear();
  TEngine engine(host, QV_TEST_APP_DIR);
  ASSERT_TRUE(engine.OpenDatabase(""));
  EXPECT_EQ(Lines(host.console, "E ") + Lines(host.console, "W "), 0) << testing::PrintToString(host.console);
  EXPECT_EQ(Discs(engine), std::set<std::string>{"Second"});
  EXPECT_TRUE(engine.ClearDatabase());
  EXPECT_TRUE(engine.CloseDatabase());
}

// A catalogue whose disc fills up while it is open, to its last byte or
// all but a few kilobytes: the clear goes through (what it removes first
// makes room for its own writes), and a fresh open finds it cleared and
// writable, and it takes a disc. Skipped where the tests may not mount.
TEST(FullDiscClear, GoesThroughAndTheCatalogueTakesADisc) {
  TempDir dir;
  for (int f = 0; f < 200; ++f)
    MakeFile(dir / ("a/d" + std::to_string(f % 7) + "/file-" + std::to_string(f)), 1);
  for (int f = 0; f < 3; ++f) MakeFile(dir / ("b/f" + std::to_string(f)), f);
  MakeFolder(dir / "mnt");
  const std::string folder = dir / "mnt/db";
  const std::string filler = dir / "mnt/filler";
  auto fillUpBut = [&](int kb) {
    const std::string spare = dir / "mnt/spare";
    const int keep = ::open(spare.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string room(std::size_t(kb) * 1024, 'x');
    if (keep >= 0 && ::write(keep, room.data(), room.size()) < 0) std::perror("spare");
    if (keep >= 0) ::close(keep);
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    static const char block[4096] = {};
    while (fd >= 0 && ::write(fd, block, sizeof block) > 0) {
    }
    while (fd >= 0 && ::write(fd, block, 1) > 0) {
    }
    if (fd >= 0) ::close(fd);
    ::unlink(spare.c_str());
  };
  auto round = [&](int kb) {
    std::error_code ec;
    fs::remove_all(folder, ec);
    ::unlink(filler.c_str());
    RecordingHost host;
    host.folder = folder;
    TEngine engine(host, QV_TEST_APP_DIR);
    if (!engine.NewDatabase("", "Shelf") || !AddDisc(engine, "First", dir / "a")) return 1;
    fillUpBut(kb);
    const bool cleared = engine.ClearDatabase() && Discs(engine).empty();
    engine.CloseDatabase();
    if (!cleared) {
      for (const auto& l : host.console) std::fprintf(stderr, "  %s\n", l.c_str());
      return 2;
    }
    RecordingHost next;
    next.folder = folder;
    TEngine again(next, QV_TEST_APP_DIR);
    if (!again.OpenDatabase("") || again.Base->ReadOnly() || !Discs(again).empty() ||
        Lines(next.console, "E ") || Lines(next.console, "W ") || !AddDisc(again, "Second", dir / "b") ||
        !again.CloseDatabase()) {
      for (const auto& l : next.console) std::fprintf(stderr, "  %s\n", l.c_str());
      return 3;
    }
    return 0;
  };
  const int code = RunOnSmallDisc(dir / "mnt", 1024, [&] {
    for (int kb : {0, 4, 8, 12, 16, 24, 32, 64}) {
      if (const int failed = round(kb)) {
        std::fprintf(stderr, "with %d KB left: step %d failed\n", kb, failed);
        return failed;
      }
    }
    return 0;
  });
  if (code == kCannotMount) GTEST_SKIP() << "no right to mount a file system here";
  EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace qv::test::clearfailure
