// How a session reaches its catalogue's folder, met as a user meets it, with
// a session in a process of its own: the folder's file system unmounted
// lazily (`umount -l`, an eject that detaches it) by another process at each
// step of an add and between changes; a folder that may be entered but not
// listed, opened by another user; and a folder moved while the session runs
// where /proc is hidden (a container, a chroot). Nothing is said added that
// is lost, a folder that exists is never said missing, and a moved folder
// keeps every change without a false word.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/FaultInjector.h"
#include "platform/Files.h"
#include "tests/catalogue/ChildProcess.h"
#include "tests/catalogue/SessionInChild.h"
#include "tests/catalogue/SessionSupport.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test::folderreach {
namespace {

namespace fs = std::filesystem;
using namespace sessions;

const char kUnreached[] = "can no longer be reached";
const char kOnlyThere[] = "what this session stored before is only on that file system";

// In a forked process: mounts of its own, which no other process sees.
bool OwnMounts() {
  return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// As `umount -l` run by another process in the mount namespace of pid.
bool UnmountLazilyIn(pid_t pid, const std::string& mountPoint) {
  std::fflush(nullptr);
  const pid_t helper = ::fork();
  if (helper < 0) return false;
  if (helper == 0) {
    const int ns = ::open(("/proc/" + std::to_string(pid) + "/ns/mnt").c_str(), O_RDONLY | O_CLOEXEC);
    ::_exit(ns >= 0 && ::setns(ns, CLONE_NEWNS) == 0 && ::umount2(mountPoint.c_str(), MNT_DETACH) == 0 ? 0
                                                                                                       : 1);
  }
  int status = 0;
  ::waitpid(helper, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool HasLine(const std::vector<std::string>& said, const std::string& words) {
  return std::any_of(said.begin(), said.end(),
                     [&](const std::string& l) { return l.find(words) != std::string::npos; });
}

// Every warning and error says the words.
void ExpectEveryLineSays(const std::vector<std::string>& said, const std::string& words) {
  for (const auto& l : said) {
    if (l.rfind("E ", 0) == 0 || l.rfind("W ", 0) == 0) {
      EXPECT_NE(l.find(words), std::string::npos) << l;
    }
  }
}

// A session on a catalogue on a tmpfs of its own: the add of disc "Added",
// then a rename and another add, then the close. It is held at its step
// `hold` (0: never): before the add, at each file opened and each write of
// the add, and after it. Its outcome: what it said, and for each change
// whether the disc list shows it made.
class FolderUnmounted : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int f = 0; f < 6; ++f) {
      MakeFile(dir / ("a/d/f" + std::to_string(f)));
      MakeFile(dir / ("b/d/g" + std::to_string(f)));
    }
    fs::create_directories(disc);
  }

  // hold -1: after the add. closeOnly: after the add, nothing but the close.
  void Start(Child& session, int hold, const std::string& out, bool closeOnly = false) {
    session.Start([this, hold, out, closeOnly](Child& self) {
      if (!OwnMounts() || ::mount("tmpfs", disc.c_str(), "tmpfs", 0, "size=8m") != 0) {
        std::ofstream(out + ".cannot-mount");
        return;
      }
      if (hideProc && ::mount("tmpfs", "/proc", "tmpfs", 0, "size=64k") != 0) ::_exit(4);
      const std::string folder = disc + "/catalogue";
      MakeCatalogue(folder, "Kept", "First", dir / "a");
      std::ofstream(out + ".pid") << ::getpid();
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
      const bool added = AddDisc(engine, "Added", dir / "b");
      faults.SetWriteHook(nullptr);
      faults.SetOpenHook(nullptr);
      step();
      if (hold < 0) self.Hold();
      bool renamed = false, later = false;
      if (!closeOnly) {
        TDiscData d = engine.Discs->GetDisc(0);
        d.Label = u"Renamed";
        engine.UpdateDisc(0, d);
        renamed = Discs(engine).count("Renamed") > 0;
        later = AddDisc(engine, "Later", dir / "b");
      }
      engine.CloseDatabase();
      std::ofstream(out + ".steps") << n;
      std::ofstream(out + ".made") << added << renamed << later;
      Outcome o;
      o.said = host.console;
      o.Write(out);
    });
  }

  // Unmounted lazily before the add, at each file opened and each write of
  // the add, and after it: every change the session makes from then on is
  // refused, in words that say why, and none is said made.
  void UnmountAtEachStep() {
    Child alone;
    Start(alone, 0, dir / "alone");
    ASSERT_TRUE(alone.Finish());
    if (fs::exists(dir / "alone.cannot-mount")) GTEST_SKIP() << "the tests may not mount here";
    std::string made;
    std::ifstream(dir / "alone.made") >> made;
    ASSERT_EQ(made, "111");
    const int steps = ReadNumber(dir / "alone.steps");
    ASSERT_GT(steps, 3);
    std::cout << "the file system unmounted at each of " << steps << " steps\n";
    for (int hold = 1; hold <= steps; ++hold) {
      SCOPED_TRACE("unmounted at step " + std::to_string(hold));
      const std::string out = dir / ("out" + std::to_string(hold));
      Child session;
      Start(session, hold, out);
      ASSERT_EQ(session.Next(), 'h');
      ASSERT_TRUE(UnmountLazilyIn(ReadNumber(out + ".pid"), disc));
      ASSERT_TRUE(session.Finish());
      const Outcome o = Outcome::Read(out);
      std::ifstream(out + ".made") >> made;
      // The add is said made only when it was whole before the unmount.
      const bool addDone = hold == steps;
      EXPECT_EQ(made, addDone ? "100" : "000") << testing::PrintToString(o.said);
      EXPECT_EQ(HasLine(o.said, "were added to the database"), addDone) << testing::PrintToString(o.said);
      EXPECT_TRUE(HasLine(o.said, kUnreached)) << testing::PrintToString(o.said);
      ExpectEveryLineSays(o.said, kUnreached);
      // What it stored before the unmount is not said safe: once, where it is.
      EXPECT_EQ(std::count_if(o.said.begin(), o.said.end(),
                              [](const std::string& l) { return l.find(kOnlyThere) != std::string::npos; }),
                1)
          << testing::PrintToString(o.said);
      if (HasFailure()) return;
    }
  }

  TempDir dir;
  const std::string disc = dir / "disc";
  bool hideProc = false;  // an empty tmpfs over /proc in the session's namespace
};

TEST_F(FolderUnmounted, AtEachStepOfAnAddAndBetweenChanges) {
  UnmountAtEachStep();
}
TEST_F(FolderUnmounted, AtEachStepOfAnAddAndBetweenChangesWithProcHidden) {
  hideProc = true;
  UnmountAtEachStep();
}

// Unmounted after a change, the session then closed: the close says it.
TEST_F(FolderUnmounted, BeforeTheCloseTheCloseSaysIt) {
  const std::string out = dir / "out";
  Child session;
  Start(session, -1, out, true);
  const char at = session.Next();
  if (fs::exists(out + ".cannot-mount")) GTEST_SKIP() << "the tests may not mount here";
  ASSERT_EQ(at, 'h');
  ASSERT_TRUE(UnmountLazilyIn(ReadNumber(out + ".pid"), disc));
  ASSERT_TRUE(session.Finish());
  const Outcome o = Outcome::Read(out);
  EXPECT_EQ(Count(o.said, "W ") + Count(o.said, "E "), 1) << testing::PrintToString(o.said);
  EXPECT_TRUE(HasLine(o.said, "W The folder of database \"Kept\" can no longer be reached"))
      << testing::PrintToString(o.said);
  EXPECT_TRUE(HasLine(o.said, kOnlyThere)) << testing::PrintToString(o.said);
}

// A folder that may be entered, and written, but not listed (as a shared
// folder often is), opened by another user: it opens with what it holds,
// and what it cannot do is said as it is.
// The program's data as another user reaches it: the build tree may lie in
// a folder only its owner may enter (a clone in a fresh temporary folder).
std::string AppFolderForAnother(const fs::path& dir) {
  const fs::path app = dir / "app";
  fs::create_directories(app);
  fs::copy_file(fs::path(QV_TEST_APP_DIR) / "Quirvane.ctx", app / "Quirvane.ctx");
  fs::permissions(app, fs::perms(0755));
  fs::permissions(app / "Quirvane.ctx", fs::perms(0644));
  return app.string() + "/";
}

class FolderNotListed : public ::testing::TestWithParam<mode_t> {};

TEST_P(FolderNotListed, OpensForAnotherUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may act as another user";
  TempDir dir;
  MakeFile(dir / "a/d/f");
  const std::string folder = dir / "shared";
  MakeCatalogue(folder, "Kept", "First", dir / "a");
  for (const auto& entry : fs::directory_iterator(folder)) fs::permissions(entry.path(), fs::perms(0666));
  const std::string app = AppFolderForAnother(dir.Path());
  fs::permissions(dir.Path(), fs::perms(0711));
  fs::permissions(folder, fs::perms(GetParam()));
  const std::string out = dir / "out";
  std::ofstream(out).close();
  fs::permissions(out, fs::perms(0666));

  Child other;
  other.Start([&](Child&) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    RecordingHost host;
    host.folder = folder;
    TEngine engine(host, app);
    Outcome o;
    o.made = engine.OpenDatabase("");
    o.stored = o.made && Discs(engine) == std::set<std::string>{"First"};
    if (o.made) engine.CloseDatabase();
    o.said = host.console;
    o.Write(out);
  });
  ASSERT_TRUE(other.Finish());
  const Outcome o = Outcome::Read(out);
  EXPECT_TRUE(o.made) << testing::PrintToString(o.said);
  EXPECT_TRUE(o.stored);
  EXPECT_FALSE(HasLine(o.said, "does not exist")) << testing::PrintToString(o.said);
  // What it may not do (make a file there, or sync the folder it may not
  // read) is said as the system's reason.
  ExpectEveryLineSays(o.said, "Permission denied");
  fs::permissions(folder, fs::perms(0755));
  EXPECT_TRUE(fs::exists(folder + "/xbase.vlm"));
}

std::string ModeName(const ::testing::TestParamInfo<mode_t>& mode) {
  return mode.param == 0711 ? "Mode0711" : "Mode0733";
}
INSTANTIATE_TEST_SUITE_P(Modes, FolderNotListed, ::testing::Values(mode_t(0711), mode_t(0733)), ModeName);

// A folder behind one this user may not enter: it is not said missing, and
// the system's reason is said.
TEST(FolderNotReached, IsNotSaidMissing) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may act as another user";
  TempDir dir;
  const std::string folder = dir / "closed/catalogue";
  MakeCatalogue(folder, "Kept");
  const std::string app = AppFolderForAnother(dir.Path());
  fs::permissions(dir.Path(), fs::perms(0711));
  fs::permissions(dir / "closed", fs::perms(0700));
  const std::string out = dir / "out";
  std::ofstream(out).close();
  fs::permissions(out, fs::perms(0666));
  Child other;
  other.Start([&](Child&) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    RecordingHost host;
    host.folder = folder;
    TEngine engine(host, app);
    Outcome o;
    o.made = engine.OpenDatabase("");
    o.said = host.console;
    o.Write(out);
  });
  ASSERT_TRUE(other.Finish());
  const Outcome o = Outcome::Read(out);
  EXPECT_FALSE(o.made);
  EXPECT_TRUE(HasLine(o.said, "E Failed to open the folder \"" + folder + "\": Permission denied"))
      << testing::PrintToString(o.said);
  EXPECT_FALSE(HasLine(o.said, "does not exist")) << testing::PrintToString(o.said);
}

// With /proc hidden (an empty tmpfs over it, in a mount namespace of the
// session's own), the folder moved at each step of a change: every change
// lands in the folder moved, and the one line said is where it went.
class FolderMovedWithoutProc : public ::testing::Test {
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

  // The change: "add" (disc "Added") or "rename" (the first disc to
  // "Renamed"); held at `hold` as in FolderUnmounted, and before the close.
  void Start(Child& session, const std::string& folder, const std::string& change, int hold,
             const std::string& out) {
    session.Start([this, folder, change, hold, out](Child& self) {
      if (!OwnMounts() || ::mount("tmpfs", "/proc", "tmpfs", 0, "size=64k") != 0) {
        std::ofstream(out + ".cannot-mount");
        return;
      }
      if (::access("/proc/self/fd", F_OK) == 0) ::_exit(4);
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
      if (change == "add") {
        AddDisc(engine, "Added", dir / "b");
      } else {
        TDiscData d = engine.Discs->GetDisc(0);
        d.Label = u"Renamed";
        engine.UpdateDisc(0, d);
      }
      faults.SetWriteHook(nullptr);
      faults.SetOpenHook(nullptr);
      step();
      engine.CloseDatabase();
      std::ofstream(out + ".steps") << n;
      Outcome o;
      o.said = host.console;
      o.Write(out);
    });
  }

  // Moved aside with a copy put where it was, or renamed.
  void MoveAtEachStep(const std::string& change, bool copyPut, const std::set<std::string>& after) {
    Child alone;
    const std::string aloneFolder = dir / "alone";
    fs::copy(original, aloneFolder);
    Start(alone, aloneFolder, change, 0, dir / "alone.out");
    ASSERT_TRUE(alone.Finish());
    if (fs::exists(dir / "alone.out.cannot-mount")) GTEST_SKIP() << "the tests may not mount here";
    const int steps = ReadNumber(dir / "alone.out.steps");
    ASSERT_GT(steps, 3);
    std::cout << "the folder moved at each of " << steps << " steps of the " << change << "\n";
    for (int hold = 1; hold <= steps; ++hold) {
      SCOPED_TRACE("moved at step " + std::to_string(hold));
      const fs::path root = dir / ("m" + std::to_string(hold));
      const fs::path folder = root / "catalogue";
      const std::string out = dir / ("out" + std::to_string(hold));
      fs::create_directories(root);
      fs::copy(original, folder);
      Child session;
      Start(session, folder, change, hold, out);
      ASSERT_EQ(session.Next(), 'h');
      const fs::path now = root / "moved";
      fs::rename(folder, now);
      if (copyPut) fs::copy(copy, folder);
      ASSERT_TRUE(session.Finish());
      const Outcome o = Outcome::Read(out);
      const std::string moved = "W The folder of database \"Kept\" was moved to \"" +
                                fs::canonical(now).string() +
                                "\" while it was open; this session's changes are there";
      EXPECT_TRUE(HasLine(o.said, moved)) << testing::PrintToString(o.said);
      ExpectEveryLineSays(o.said, moved);
      if (copyPut) {
        EXPECT_EQ(Files(folder), copied);
        ExpectOpens(folder, "Kept", {"First"});
      }
      ExpectOpens(now, "Kept", after);
      if (HasFailure()) return;
    }
  }

  TempDir dir;
  std::string original, copy;
  std::map<std::string, std::string> copied;
};

TEST_F(FolderMovedWithoutProc, AnAddWhileTheFolderIsRenamed) {
  MoveAtEachStep("add", false, {"First", "Added"});
}
TEST_F(FolderMovedWithoutProc, ARenameWhileTheFolderIsReplacedByACopy) {
  MoveAtEachStep("rename", true, {"Renamed"});
}

// As another user, with /proc hidden, the folder moved under a folder that
// user may enter but not list: every change still lands in it, and the
// session says it was moved without claiming a place.
TEST_F(FolderMovedWithoutProc, ToWhereNoPathCanBeToldIsSaidSo) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may act as another user";
  const fs::path folder = dir / "catalogue";
  fs::copy(original, folder);
  ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
  for (const auto& entry : fs::directory_iterator(folder))
    ASSERT_EQ(::chown(entry.path().c_str(), 65534, 65534), 0);
  fs::permissions(dir.Path(), fs::perms(0755));
  const std::string app = AppFolderForAnother(dir.Path());
  fs::create_directories(dir / "hidden");
  fs::permissions(dir / "hidden", fs::perms(0711));
  const std::string out = dir / "out";
  std::ofstream(out).close();
  fs::permissions(out, fs::perms(0666));

  Child session;
  session.Start([&](Child& self) {
    if (!OwnMounts() || ::mount("tmpfs", "/proc", "tmpfs", 0, "size=64k") != 0) {
      std::ofstream(out + ".cannot-mount");
      return;
    }
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    RecordingHost host;
    host.folder = folder;
    TEngine engine(host, app);
    if (!engine.OpenDatabase("")) ::_exit(2);
    self.Hold();
    Outcome o;
    o.stored = AddDisc(engine, "Added", dir / "b");
    engine.CloseDatabase();
    o.said = host.console;
    o.Write(out);
  });
  const char at = session.Next();
  if (fs::exists(out + ".cannot-mount")) GTEST_SKIP() << "the tests may not mount here";
  ASSERT_EQ(at, 'h');
  const fs::path now = dir / "hidden/moved";
  fs::rename(folder, now);
  ASSERT_TRUE(session.Finish());
  const Outcome o = Outcome::Read(out);
  EXPECT_TRUE(o.stored) << testing::PrintToString(o.said);
  const std::string untold =
      "W The folder of database \"Kept\" was moved while it was open; this session's "
      "changes are in it, wherever it is now (where that is cannot be told here)";
  EXPECT_TRUE(HasLine(o.said, untold)) << testing::PrintToString(o.said);
  ExpectEveryLineSays(o.said, untold);
  ExpectOpens(now, "Kept", {"First", "Added"});
}

// A session cut short after its journal was written; the next open cannot
// write (a full disc) the commit it finishes: the line that says why names
// the file in the folder as the user gave it, never through the descriptor.
TEST(FolderAsGiven, TheReadOnlyLineAfterAFullDiscNamesTheFolderAsGiven) {
  TempDir dir;
  MakeFile(dir / "a/d/f");
  const std::string folder = dir / "catalogue";
  MakeCatalogue(folder, "Kept");
  const int status = RunSessionInChild(folder, "", [&](TEngine& engine, FaultInjector& faults) {
    faults.SetWriteHook([](int64_t, const std::string& path) {
      if (ExtractFileName(path) == "index.vlm") ::_exit(0);
    });
    AddDisc(engine, "Cut", dir / "a");
    ::_exit(3);
  });
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  ASSERT_TRUE(fs::exists(folder + "/index.jnl"));

  RecordingHost host;
  host.folder = folder;
  FaultInjector faults;
  faults.FailWritesFrom(1);
  TEngine engine(host, QV_TEST_APP_DIR, faults);
  ASSERT_TRUE(engine.OpenDatabase(""));
  EXPECT_TRUE(engine.Base->ReadOnly());
  EXPECT_TRUE(HasLine(host.console, "\"" + folder + "/index.vlm\": No space left on device"))
      << testing::PrintToString(host.console);
  EXPECT_FALSE(HasLine(host.console, "/proc/")) << testing::PrintToString(host.console);
  engine.CloseDatabase();
}

}  // namespace
}  // namespace qv::test::folderreach
