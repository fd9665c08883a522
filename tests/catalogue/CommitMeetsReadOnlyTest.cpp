// A catalogue left mid-commit that cannot be written when it is next opened:
// a child process adds a disc and is killed at a chosen write, then the
// catalogue is opened on read-only media and on a full disc (nothing written,
// nothing committed lost, the reason said once as a warning, no damage
// remembered), and at last with write access, which settles what the kill
// left, even when it is killed in turn. A disc that fills up at any write of
// that settling open, or of an add, leaves the catalogue to an open with
// room the same way; and a record that cannot be read is remembered as
// damage only by a session that can write it down.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "catalogue/Engine.h"
#include "classlib/IniFiles.h"
#include "platform/FaultInjector.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/SmallDisc.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test::meet {
namespace {

namespace fs = std::filesystem;

using Files = std::map<std::string, std::string>;

// Every file of a folder with its content.
Files Contents(const std::string& folder) {
  Files files;
  for (auto& entry : fs::directory_iterator(folder)) {
    std::ostringstream content;
    content << std::ifstream(entry.path(), std::ios::binary).rdbuf();
    files[entry.path().filename().string()] = content.str();
  }
  return files;
}

void Add(TEngine& engine, const std::string& label, const std::string& path) {
  TScanOpts scan;
  scan.Path = path;
  TDiscData d;
  d.Label = Utf8ToUtf16(label);
  engine.AddDisc(scan, d);
}

// "disc|path|name" of every file and folder a search finds.
std::multiset<std::string> FindAll(TEngine& engine, RecordingHost& host) {
  std::multiset<std::string> out;
  TSearchOpts files, folders;
  files.FileMask = "*";
  folders.FolderMask = "*";
  for (const TSearchOpts& o : {files, folders}) {
    host.rows.clear();
    engine.Search(o);
    for (auto& r : host.rows) {
      if (r.parent < 0) continue;
      const auto& g = host.rows[std::size_t(r.parent)].data;
      out.insert(Utf16ToUtf8(r.data.Disc) + "|" + Utf16ToUtf8(r.data.Path) + Utf16ToUtf8(g.Name));
    }
  }
  return out;
}

std::multiset<std::string> OfDisc(const std::multiset<std::string>& all, const std::string& label) {
  std::multiset<std::string> out;
  for (const std::string& e : all)
    if (e.rfind(label + "|", 0) == 0) out.insert(e);
  return out;
}

int Lines(const RecordingHost& host, const std::string& start) {
  int n = 0;
  for (auto& l : host.console) n += l.rfind(start, 0) == 0;
  return n;
}

class CommitMeetsReadOnly : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int d = 0; d < 3; ++d)
      for (int f = 0; f < 4; ++f)
        MakeFile(dir / ("first/a/d" + std::to_string(d) + "/f" + std::to_string(f) + ".txt"));
    for (int d = 0; d < 6; ++d)
      for (int f = 0; f < 7; ++f)
        MakeFile(dir / ("second/a/s" + std::to_string(d) + "/sub/f" + std::to_string(f) + ".txt"), f);
    for (int f = 0; f < 3; ++f) MakeFile(dir / ("third/t" + std::to_string(f) + ".txt"));
    RecordingHost host;
    host.folder = dir / "template";
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.NewDatabase("secret", "Meet"));
    Add(engine, "First", dir / "first");
    first = OfDisc(FindAll(engine, host), "First");
    ASSERT_EQ(first.size(), 16u);
    ASSERT_TRUE(engine.CloseDatabase());
    templateData = int64_t(fs::file_size(dir / "template/storage.vlm"));
  }

  // A copy of the template where a child adds the second disc and is killed
  // before write killAt (0: never); the number of writes the add made.
  int64_t RunChild(const std::string& folder, int64_t killAt) {
    fs::remove_all(folder);
    fs::copy(dir / "template", folder);
    return Kill(folder, killAt, true);
  }

  // A child opens the catalogue, adds the second disc when add says so, and
  // is killed before write killAt (0: never); the number of writes it made.
  int64_t Kill(const std::string& folder, int64_t killAt, bool add) {
    const std::string census = folder + ".census";
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child == 0) {
      RecordingHost host;
      host.folder = folder;
      FaultInjector faults;
      TEngine engine(host, QV_TEST_APP_DIR, faults);
      auto killHook = [&](int64_t n, const std::string&) {
        if (n == killAt) ::raise(SIGKILL);
      };
      if (!add) faults.SetWriteHook(killHook);  // the writes counted from the open
      if (!engine.OpenDatabase("secret")) ::_exit(2);
      engine.WriteAheadRecords = 8;
      if (add) {
        faults.SetWriteHook(killHook);  // from the add
        Add(engine, "Second", dir / "second");
      }
      std::ofstream(census) << faults.WriteCount();
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    EXPECT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "write " << killAt;
    int64_t writes = 0;
    std::ifstream(census) >> writes;
    return writes;
  }

  // The second disc is there whole, empty (no root, no counts) or not at
  // all, and the first as it was.
  void ExpectNothingLost(TEngine& engine, RecordingHost& host, bool& whole) {
    const std::multiset<std::string> all = FindAll(engine, host);
    EXPECT_EQ(OfDisc(all, "First"), first);
    const int32_t at = engine.Discs->FindByLabel(u"Second");
    whole = false;
    if (at >= 0) {
      const TDiscData d = engine.Discs->GetDisc(at);
      whole = d.Root >= 0 && d.Files == 42 && d.Folders == 13;
      EXPECT_TRUE(whole || (d.Root < 0 && d.Files == 0 && d.Folders == 0))
          << d.Root << " " << d.Files << " " << d.Folders;
      EXPECT_EQ(OfDisc(all, "Second").size(), whole ? 55u : 0u);
    } else {
      EXPECT_TRUE(OfDisc(all, "Second").empty());
    }
  }

  // An open that may write nothing (refused with error from the start, or
  // every write failing): read-only with the reason said once as a warning,
  // no error, nothing lost and not a byte changed.
  enum class Unwritable { Media, FullDisc, Mount };
  void OpenUnwritable(const std::string& folder, Unwritable how, const std::string& reason) {
    SCOPED_TRACE(reason);
    const Files before = Contents(folder);
    RecordingHost host;
    host.folder = folder;
    FaultInjector faults;
    if (how == Unwritable::FullDisc)
      faults.FailWritesFrom(1);
    else if (how == Unwritable::Media)
      faults.RefuseChanges(EROFS);
    {
      TEngine engine(host, QV_TEST_APP_DIR, faults);
      ASSERT_TRUE(engine.OpenDatabase("secret")) << testing::PrintToString(host.console);
      EXPECT_TRUE(engine.Base->ReadOnly());
      EXPECT_TRUE(engine.Base->DamageText().empty()) << engine.Base->DamageText();
      EXPECT_EQ(Lines(host, "E "), 0) << testing::PrintToString(host.console);
      // Said once, last before the load; a note of a failed give-back of
      // space may name the reason too.
      int said = 0, why = 0;
      for (auto& l : host.console) {
        said += l.find(reason) != std::string::npos;
        why += l == "W " + engine.Base->ReadOnlyText();
      }
      EXPECT_EQ(why, 1) << testing::PrintToString(host.console);
      EXPECT_GE(said, 1);
      const std::size_t n = host.console.size();
      EXPECT_TRUE(n >= 2 && host.console[n - 2] == "W " + engine.Base->ReadOnlyText() &&
                  host.console[n - 2].find(reason) != std::string::npos)
          << testing::PrintToString(host.console);
      bool whole = false;
      ExpectNothingLost(engine, host, whole);
      EXPECT_TRUE(engine.CloseDatabase());
    }
    const Files after = Contents(folder);
    for (auto& [name, content] : before) {
      if (name.ends_with(".tmp")) continue;  // a write the kill cut short, opened again in vain
      auto it = after.find(name);
      EXPECT_TRUE(it != after.end() && it->second == content) << name << " changed";
    }
    for (auto& [name, content] : after) EXPECT_TRUE(before.count(name)) << name << " appeared";
  }

  // An open with write access settles what the kill left: read-write, no
  // damage said or remembered, the space of an add cut short given back, no
  // journal left, and a further add taken whole.
  void OpenWritable(const std::string& folder, bool* wasWhole = nullptr, bool* listed = nullptr) {
    SCOPED_TRACE("writable");
    RecordingHost host;
    host.folder = folder;
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.OpenDatabase("secret")) << testing::PrintToString(host.console);
    ASSERT_FALSE(engine.Base->ReadOnly()) << engine.Base->ReadOnlyText();
    EXPECT_EQ(Lines(host, "E "), 0) << testing::PrintToString(host.console);
    EXPECT_EQ(std::set<std::string>(host.console.begin(), host.console.end()).size(), host.console.size())
        << testing::PrintToString(host.console);
    EXPECT_EQ(engine.Base->ReadEngineKey("Damage"), "");
    bool whole = false;
    ExpectNothingLost(engine, host, whole);
    if (wasWhole) *wasWhole = whole;
    if (listed) *listed = engine.Discs->FindByLabel(u"Second") >= 0;
    if (!whole) {
      EXPECT_LE(int64_t(fs::file_size(folder + "/storage.vlm")), templateData + 1024);
    }
    EXPECT_FALSE(fs::exists(folder + "/index.jnl"));
    Add(engine, "Third", dir / "third");
    EXPECT_EQ(OfDisc(FindAll(engine, host), "Third").size(), 3u);
    EXPECT_EQ(OfDisc(FindAll(engine, host), "First"), first);
    EXPECT_TRUE(engine.CloseDatabase());
  }

  TempDir dir;
  std::multiset<std::string> first;
  int64_t templateData = 0;
};

TEST_F(CommitMeetsReadOnly, AnAddKilledAtAnyWriteOpensUnwritableThenSettles) {
  const int64_t writes = RunChild(dir / "whole", 0);
  ASSERT_GT(writes, 10);
  int journals = 0;
  for (int64_t n = 1; n <= writes; n += std::max<int64_t>(1, writes / 60)) {
    SCOPED_TRACE("killed before write " + std::to_string(n) + " of " + std::to_string(writes));
    const std::string folder = dir / ("k" + std::to_string(n));
    RunChild(folder, n);
    journals += fs::exists(folder + "/index.jnl");
    OpenUnwritable(folder, Unwritable::Media, "Read-only file system");
    OpenUnwritable(folder, Unwritable::FullDisc, "No space left on device");
    OpenWritable(folder);
    if (HasFailure()) return;
  }
}

// The open that settles a kill is killed in turn, at each of its writes.
TEST_F(CommitMeetsReadOnly, ASettlingOpenKilledAtAnyWriteLeavesAnotherToSettle) {
  const int64_t writes = RunChild(dir / "whole", 0);
  for (int64_t kill = 1; kill <= writes; kill += std::max<int64_t>(1, writes / 4)) {
    const std::string killed = dir / ("k" + std::to_string(kill));
    RunChild(killed, kill);
    fs::copy(killed, killed + "-count");
    const int64_t settling = Kill(killed + "-count", 0, false);
    for (int64_t n = 1; n <= settling; ++n) {
      SCOPED_TRACE("killed before write " + std::to_string(kill) + ", then at write " + std::to_string(n) +
                   " of " + std::to_string(settling) + " of the open");
      const std::string folder = killed + "-" + std::to_string(n);
      fs::copy(killed, folder);
      Kill(folder, n, false);
      OpenUnwritable(folder, Unwritable::Media, "Read-only file system");
      OpenWritable(folder);
      if (HasFailure()) return;
    }
  }
}

// A record that cannot be read back is damage the catalogue remembers once
// it can write that down; a session on read-only media that met it cannot,
// so the next writable session finds it afresh, and remembers it.
TEST_F(CommitMeetsReadOnly, ADamageFoundIsRememberedOnlyWhereItCanBeWritten) {
  const std::string folder = dir / "template";
  // Overwritten in the middle, where nothing the open reads lies.
  {
    std::fstream data(folder + "/storage.vlm", std::ios::in | std::ios::out | std::ios::binary);
    data.seekp(std::streamoff(fs::file_size(folder + "/storage.vlm") / 2));
    data << std::string(256, '\xA5');
  }
  auto session = [&](bool media, bool search) {
    RecordingHost host;
    host.folder = folder;
    FaultInjector faults;
    if (media) faults.RefuseChanges(EROFS);
    TEngine engine(host, QV_TEST_APP_DIR, faults);
    EXPECT_TRUE(engine.OpenDatabase("secret")) << testing::PrintToString(host.console);
    const bool damaged = !engine.Base->DamageText().empty();
    if (search) {
      TSearchOpts files;
      files.FileMask = "*";
      engine.Search(files);
      EXPECT_FALSE(engine.Base->DamageText().empty());
      EXPECT_GE(Lines(host, "E "), 1) << testing::PrintToString(host.console);
    }
    EXPECT_TRUE(engine.CloseDatabase());
    return damaged;
  };
  const Files before = Contents(folder);
  EXPECT_FALSE(session(true, true));
  EXPECT_TRUE(Contents(folder) == before);
  EXPECT_FALSE(session(false, true));
  EXPECT_TRUE(session(true, false));
  EXPECT_TRUE(session(false, false));
}

// The same on a real read-only mount (a tmpfs in a mount namespace of a
// child's own; skipped without the right to mount).
TEST_F(CommitMeetsReadOnly, AnAddKilledOnAReadOnlyMountOpensThenSettlesWhenWritable) {
  const int64_t writes = RunChild(dir / "whole", 0);
  std::vector<std::string> names;
  for (int64_t n = 1; n <= writes; n += std::max<int64_t>(1, writes / 12)) {
    names.push_back("k" + std::to_string(n));
    RunChild(dir / names.back(), n);
  }
  const std::string mnt = dir / "mnt";
  fs::create_directories(mnt);
  std::fflush(nullptr);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=65536k") != 0)
      ::_exit(kCannotMount);
    for (const std::string& name : names) fs::copy(dir / name, mnt + "/" + name);
    if (::mount(nullptr, mnt.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) ::_exit(3);
    for (const std::string& name : names)
      OpenUnwritable(mnt + "/" + name, Unwritable::Mount, "Read-only file system");
    if (::mount(nullptr, mnt.c_str(), nullptr, MS_REMOUNT, nullptr) != 0) ::_exit(4);
    for (const std::string& name : names) OpenWritable(mnt + "/" + name);
    std::fflush(nullptr);
    ::_exit(HasFailure() ? 1 : 0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == kCannotMount) GTEST_SKIP() << "no right to mount a file system here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "see the child's lines above";
}

// The disc fills up at a write of the open that settles a kill: what it
// could not settle stays for an open with room.
TEST_F(CommitMeetsReadOnly, ADiscFullAtAnyWriteOfTheSettlingOpenLosesNothing) {
  const int64_t writes = RunChild(dir / "whole", 0);
  for (int64_t kill = 1; kill <= writes; kill += std::max<int64_t>(1, writes / 4)) {
    const std::string killed = dir / ("k" + std::to_string(kill));
    RunChild(killed, kill);
    // The writes of an open with room, counted on a copy.
    int64_t settling = 0;
    {
      fs::copy(killed, killed + "-count");
      RecordingHost host;
      host.folder = killed + "-count";
      FaultInjector faults;
      faults.FailWritesFrom(int64_t(1) << 40);
      TEngine engine(host, QV_TEST_APP_DIR, faults);
      ASSERT_TRUE(engine.OpenDatabase("secret"));
      settling = faults.WriteCount();
    }
    for (int64_t n = 1; n <= settling; ++n) {
      SCOPED_TRACE("killed before write " + std::to_string(kill) + ", full from write " + std::to_string(n));
      const std::string folder = killed + "-" + std::to_string(n);
      fs::copy(killed, folder);
      {
        RecordingHost host;
        host.folder = folder;
        FaultInjector faults;
        faults.FailWritesFrom(n);
        TEngine engine(host, QV_TEST_APP_DIR, faults);
        ASSERT_TRUE(engine.OpenDatabase("secret")) << testing::PrintToString(host.console);
        EXPECT_TRUE(engine.Base->DamageText().empty()) << engine.Base->DamageText();
        EXPECT_EQ(Lines(host, "E "), 0) << testing::PrintToString(host.console);
        bool whole = false;
        ExpectNothingLost(engine, host, whole);
        engine.CloseDatabase();
      }
      OpenWritable(folder);
      if (HasFailure()) return;
    }
  }
}

TEST_F(CommitMeetsReadOnly, ADiscFullAtAnyWriteOfAnAddLosesNothing) {
  int64_t writes = 0;
  {
    // The writes of an add and close with room, counted on a copy.
    fs::copy(dir / "template", dir / "count");
    RecordingHost host;
    host.folder = dir / "count";
    FaultInjector faults;
    TEngine engine(host, QV_TEST_APP_DIR, faults);
    ASSERT_TRUE(engine.OpenDatabase("secret"));
    faults.FailWritesFrom(1 << 30);
    Add(engine, "Second", dir / "second");
    ASSERT_TRUE(engine.CloseDatabase());
    writes = faults.WriteCount();
  }
  for (int64_t n = 1; n <= writes; n += std::max<int64_t>(1, writes / 80)) {
    SCOPED_TRACE("full from write " + std::to_string(n) + " of " + std::to_string(writes));
    const std::string folder = dir / ("f" + std::to_string(n));
    fs::copy(dir / "template", folder);
    bool notStored = false, added = false;
    {
      RecordingHost host;
      host.folder = folder;
      FaultInjector faults;
      TEngine engine(host, QV_TEST_APP_DIR, faults);
      ASSERT_TRUE(engine.OpenDatabase("secret"));
      engine.WriteAheadRecords = 8;
      faults.FailWritesFrom(n);
      Add(engine, "Second", dir / "second");
      // An add whose commit failed says so, and only so; the session then
      // writes nothing more: its searches give their count, its close ends.
      notStored = Lines(host, "E Disc \"Second\" was not stored: No space left on device") == 1;
      added = Lines(host, "I 42 file(s) and 13 folder(s) were added to the database") == 1;
      EXPECT_FALSE(notStored && added) << testing::PrintToString(host.console);
      if (notStored) {
        EXPECT_TRUE(engine.Base->ReadOnly());
        // A disc said not stored is not listed.
        EXPECT_LT(engine.Discs->FindByLabel(u"Second"), 0);
        host.console.clear();
        EXPECT_EQ(OfDisc(FindAll(engine, host), "First"), first);
        EXPECT_EQ(Lines(host, "E "), 0) << testing::PrintToString(host.console);
        EXPECT_EQ(Lines(host, "I 0 file(s) and 4 folder(s) found"), 1)
            << testing::PrintToString(host.console);
        EXPECT_TRUE(engine.CloseDatabase());
      } else {
        engine.CloseDatabase();
      }
    }
    bool whole = false, listed = false;
    OpenWritable(folder, &whole, &listed);
    EXPECT_TRUE(whole || !added);
    // Nor is it in the catalogue at the next open.
    EXPECT_TRUE(!listed || !notStored);
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace qv::test::meet
