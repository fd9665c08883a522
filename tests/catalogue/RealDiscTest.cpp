// The catalogue on a real small file system, as a user meets it: a disc that
// fills up during an add, a delete, a rename or a category edit, a catalogue
// kept on a full disc, and one on a read-only mount. Each case runs in a child process with a mount namespace
// of its own, where a tmpfs of a fixed size is mounted; without the right to
// mount (not root) the cases are skipped, and the file layer's fault seam
// tests cover the same paths.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/Engine.h"
#include "platform/Files.h"
#include "platform/Utf.h"
#include "storage/Base.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/SmallDisc.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test {
namespace {

// Keeps the disc rows the views were last given.
class DiscRowHost : public RecordingHost {
 public:
  void DiscTreeClear() override {
    shown.clear();
    RecordingHost::DiscTreeClear();
  }
  void DiscTreeAddDisc(const TDiscData& d) override {
    shown.push_back(d);
    RecordingHost::DiscTreeAddDisc(d);
  }
  std::vector<TDiscData> shown;
};

class RealDiscTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 30; ++i)
      MakeFile(dir / ("tree/sub" + std::to_string(i % 3) + "/f" + std::to_string(i)), i);
    for (int i = 0; i < 3000; ++i)
      MakeFile(dir / ("big/d" + std::to_string(i % 50) + "/a-rather-long-file-name-" + std::to_string(i)), 1);
    MakeFolder(dir / "mnt");
  }

  // Runs body in a child with a tmpfs of kb kilobytes mounted on dir/mnt; the
  // child's exit code is the body's result.
  void OnSmallDisc(int kb, const std::function<bool()>& body) {
    const int status = RunOnSmallDisc(dir / "mnt", kb, [&] { return body() ? 0 : 1; });
    if (status == kCannotMount) GTEST_SKIP() << "no right to mount a file system here";
    EXPECT_EQ(status, 0) << "see the child's lines above";
  }

  // A failed check in the child: says what and where, with the console.
  bool Check(bool ok, const char* what) {
    if (!ok) {
      std::fprintf(stderr, "failed: %s\n", what);
      for (auto& l : host.console) std::fprintf(stderr, "  %s\n", l.c_str());
    }
    return ok;
  }
  bool Said(const std::string& text) const {
    for (auto& l : host.console)
      if (l.find(text) != std::string::npos) return true;
    return false;
  }
  std::size_t Found(TEngine& engine, const std::string& mask) {
    TSearchOpts o;
    o.FileMask = mask;
    engine.Search(o);
    std::size_t n = 0;
    for (auto& r : host.rows) n += r.parent >= 0;
    return n;
  }
  bool AddDisc(TEngine& engine, const char* label, const std::string& folder) {
    TScanOpts scan;
    scan.Path = folder;
    TDiscData d;
    d.Label = Utf8ToUtf16(label);
    const int32_t before = engine.Discs->Count();
    engine.AddDisc(scan, d);
    return engine.Discs->Count() > before;
  }
  // A catalogue "Real" with one disc of the small tree, closed.
  bool MakeCatalogue() {
    host.folder = dir / "mnt/db/";
    TEngine engine(host, QV_TEST_APP_DIR);
    return Check(engine.NewDatabase("", "Real"), "create") &&
           Check(AddDisc(engine, "Disc", dir / "tree"), "add") && Check(engine.CloseDatabase(), "close");
  }
  // Fills the file system to the last byte.
  static void FillUp(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    static const char block[4096] = {};
    while (fd >= 0 && ::write(fd, block, sizeof block) > 0) {
    }
    while (fd >= 0 && ::write(fd, block, 1) > 0) {
    }
    if (fd >= 0) ::close(fd);
  }

  // Fills the file system but for about kb kilobytes.
  void FillUpBut(int kb) {
    const std::string spare = dir / "mnt/spare";
    int fd = ::open(spare.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string block(std::size_t(kb) * 1024, 'x');
    if (fd >= 0 && ::write(fd, block.data(), block.size()) < 0) std::perror("spare");
    if (fd >= 0) ::close(fd);
    FillUp(dir / "mnt/filler");
    ::unlink(spare.c_str());
  }
  // The open after a change said not stored: at most one line, in the
  // words the user was told, naming no file of the catalogue and no bytes.
  bool SaidInUsersWords() const {
    int warnings = 0;
    for (auto& l : host.console) warnings += l.rfind("W ", 0) == 0;
    return warnings <= 1 && !Said("free.vlm") && !Said("storage.vlm") && !Said("index.vlm") &&
           !Said("index.jnl") && !Said("xbase.vlm") && !Said("bytes");
  }
  bool SaidStart(const std::string& start) const {
    for (auto& l : host.console)
      if (l.rfind(start, 0) == 0) return true;
    return false;
  }
  // The disc row of a label as the views show it, with its counts.
  bool Shows(const char* label, int64_t files, int64_t folders) const {
    for (const TDiscData& d : host.shown)
      if (d.Label == Utf8ToUtf16(label)) return d.Files == files && d.Folders == folders;
    return false;
  }

  bool ChangeOnFullDisc(int kb, const std::function<void(TEngine&)>& change, const std::string& notStored,
                        const std::function<bool(TEngine&)>& asStored);

  TempDir dir;
  DiscRowHost host;
};

TEST_F(RealDiscTest, ADiscThatFillsUpDuringAnAddSaysSoAndLosesNothingStored) {
  OnSmallDisc(2048, [&] {
    if (!MakeCatalogue()) return false;
    {
      TEngine engine(host, QV_TEST_APP_DIR);
      if (!Check(engine.OpenDatabase(""), "open")) return false;
      FillUp(dir / "mnt/filler");
      host.console.clear();
      AddDisc(engine, "Big", dir / "big");
      if (!Check(Said("No space left on device"), "the add names the reason")) return false;
      if (!Check(!Said("Done in"), "no Done after a failed write")) return false;
      engine.CloseDatabase();  // may fail too: the disc is still full
    }
    // Room again: the disc stored before is whole.
    ::unlink((dir / "mnt/filler").c_str());
    host.console.clear();
    TEngine again(host, QV_TEST_APP_DIR);
    return Check(again.OpenDatabase(""), "reopen") &&
           Check(Found(again, "f1*") == 11, "the first disc is whole");
  });
}

TEST_F(RealDiscTest, ACatalogueOnAFullDiscOpensForReadingAndSaysWhy) {
  OnSmallDisc(2048, [&] {
    if (!MakeCatalogue()) return false;
    FillUp(dir / "mnt/filler");
    host.console.clear();
    TEngine engine(host, QV_TEST_APP_DIR);
    return Check(engine.OpenDatabase(""), "open") && Check(engine.Base->ReadOnly(), "read-only") &&
           Check(Said("No space left on device"), "the reason") &&
           Check(Found(engine, "f1*") == 11, "search") && Check(engine.CloseDatabase(), "close");
  });
}

TEST_F(RealDiscTest, ACatalogueOnAReadOnlyMountOpensForReadingAndSaysWhy) {
  OnSmallDisc(2048, [&] {
    if (!MakeCatalogue()) return false;
    const std::string mnt = dir / "mnt";
    if (!Check(::mount(nullptr, mnt.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0, "remount"))
      return false;
    host.console.clear();
    TEngine engine(host, QV_TEST_APP_DIR);
    if (!Check(engine.OpenDatabase(""), "open") || !Check(engine.Base->ReadOnly(), "read-only") ||
        !Check(Said("Read-only file system"), "the reason") || !Check(Found(engine, "f1*") == 11, "search") ||
        !Check(engine.Browse(0), "browse"))
      return false;
    host.console.clear();
    AddDisc(engine, "More", dir / "tree/sub1");
    // Refused, without the reason the open gave said again.
    return Check(engine.Discs->Count() == 1, "no disc added") &&
           Check(Said("E The database cannot be written and is opened for reading only"), "refused") &&
           Check(!Said("Read-only file system"), "the reason said once") &&
           Check(engine.CloseDatabase(), "close");
  });
}

// The disc fills up while an add's records are written: the add says that
// the disc was not stored and why (and nothing of files "added"), and the
// disc is not listed; the rest of the session reads on with nothing more to
// write (its searches give their count, its close is as any other). The next
// open with room gives the bytes past the commit back and takes the disc's
// empty entry out, saying so in one line in the words the add used, and the
// label is free.
TEST_F(RealDiscTest, AnAddWhoseCommitFindsTheDiscFullIsNotStoredAndTheSessionGoesOn) {
  OnSmallDisc(2048, [&] {
    if (!MakeCatalogue()) return false;
    const int64_t stored = FileSizeOf(dir / "mnt/db/storage.vlm");
    {
      TEngine engine(host, QV_TEST_APP_DIR);
      if (!Check(engine.OpenDatabase(""), "open")) return false;
      FillUpBut(64);
      host.console.clear();
      AddDisc(engine, "Big", dir / "big");
      if (!Check(Said("E Disc \"Big\" was not stored: No space left on device"), "not stored, and why") ||
          !Check(!Said("were added") && !Said("Done in"), "nothing said added") ||
          !Check(engine.Discs->FindByLabel(u"Big") < 0 && engine.Discs->Count() == 1,
                 "the disc not listed") ||
          !Check(!Shows("Big", 0, 0) && Shows("Disc", 30, 3), "the rows as stored"))
        return false;
      host.console.clear();
      if (!Check(Found(engine, "f1*") == 11, "a search after it") ||
          !Check(Said("I 11 file(s) and 0 folder(s) found") && !SaidStart("E "), "its count, no error") ||
          !Check(engine.CloseDatabase(), "the close"))
        return false;
    }
    ::unlink((dir / "mnt/filler").c_str());
    host.console.clear();
    TEngine again(host, QV_TEST_APP_DIR);
    if (!Check(again.OpenDatabase(""), "reopen") || !Check(!SaidStart("E "), "reopened without an error") ||
        !Check(Said("W Disc \"Big\" was not stored; its empty entry has been removed") && SaidInUsersWords(),
               "the empty entry and the bytes past the commit removed, in one line") ||
        !Check(FileSizeOf(dir / "mnt/db/storage.vlm") <= stored + 4096, "the space given back") ||
        !Check(again.Discs->FindByLabel(u"Big") < 0 && !Shows("Big", 0, 0),
               "the disc not in the catalogue") ||
        !Check(Found(again, "f1*") == 11, "the first disc whole"))
      return false;
    // The label is free again.
    host.console.clear();
    if (!Check(AddDisc(again, "Big", dir / "tree/sub1") && Found(again, "f1*") == 16, "adds Big again") ||
        !Check(again.CloseDatabase(), "close"))
      return false;
    host.console.clear();
    TEngine third(host, QV_TEST_APP_DIR);
    return Check(third.OpenDatabase(""), "third open") && Check(!Said("was not stored"), "said once") &&
           Check(Shows("Big", 10, 0), "the new Big stays");
  });
}

// A catalogue with a second disc of 3,000 files, closed, on a disc that then
// fills up (up to kb kilobytes) after the open; the session runs change and
// must keep what is stored, say why the change was not, and go on reading.
bool RealDiscTest::ChangeOnFullDisc(int kb, const std::function<void(TEngine&)>& change,
                                    const std::string& notStored,
                                    const std::function<bool(TEngine&)>& asStored) {
  if (!MakeCatalogue()) return false;
  {
    TEngine engine(host, QV_TEST_APP_DIR);
    if (!Check(engine.OpenDatabase("") && AddDisc(engine, "Big", dir / "big") && engine.CloseDatabase(),
               "the second disc"))
      return false;
  }
  {
    TEngine engine(host, QV_TEST_APP_DIR);
    if (!Check(engine.OpenDatabase(""), "open")) return false;
    if (kb > 0)
      FillUpBut(kb);
    else
      FillUp(dir / "mnt/filler");
    host.console.clear();
    change(engine);
    if (!Check(Said("E " + notStored + ": No space left on device"), "not stored, and why") ||
        !Check(!Said("Some data has not been updated"), "no bare failure") ||
        !Check(
            Said("W The database cannot be written (No space left on device); it is opened for reading only"),
            "the session writes no more") ||
        !Check(Shows("Big", 3000, 50) && Shows("Disc", 30, 3) && engine.Discs->Count() == 2,
               "the rows as stored") ||
        !Check(asStored(engine), "the session as stored"))
      return false;
    host.console.clear();
    if (!Check(Found(engine, "a-rather-long*") == 3000, "a search after it") ||
        !Check(Said("I 3000 file(s) and 0 folder(s) found") && !SaidStart("E "), "its count, no error") ||
        !Check(engine.Browse(engine.Discs->FindByLabel(u"Big")), "browse") ||
        !Check(engine.CloseDatabase() && !SaidStart("E "), "the close"))
      return false;
  }
  ::unlink((dir / "mnt/filler").c_str());
  host.console.clear();
  TEngine again(host, QV_TEST_APP_DIR);
  return Check(again.OpenDatabase(""), "reopen") && Check(!SaidStart("E "), "reopened without an error") &&
         Check(SaidInUsersWords(), "one line at most, in the user's words") &&
         Check(!again.Base->ReadOnly(), "writable") && Check(Shows("Big", 3000, 50), "the disc as stored") &&
         Check(Found(again, "a-rather-long*") == 3000, "its files") && Check(asStored(again), "as stored");
}

TEST_F(RealDiscTest, ADeleteWhoseCommitFindsTheDiscFullIsNotStoredAndTheDiscStays) {
  OnSmallDisc(2048, [&] {
    auto remove = [](TEngine& engine) {
      engine.DeleteDisc(engine.Discs->GetDisc(engine.Discs->FindByLabel(u"Big")));
    };
    auto listed = [](TEngine& engine) { return engine.Discs->FindByLabel(u"Big") >= 0; };
    if (!ChangeOnFullDisc(8, remove, "Disc \"Big\" was not deleted", listed)) return false;
    // With room, the delete goes through.
    TEngine engine(host, QV_TEST_APP_DIR);
    host.console.clear();
    return Check(engine.OpenDatabase(""), "open") && (remove(engine), true) &&
           Check(Said("I Disc \"Big\" has been deleted") && engine.Discs->Count() == 1, "deleted with room");
  });
}

TEST_F(RealDiscTest, ARenameWhoseCommitFindsTheDiscFullIsNotStored) {
  OnSmallDisc(2048, [&] {
    return ChangeOnFullDisc(
        0,
        [](TEngine& engine) {
          const int32_t at = engine.Discs->FindByLabel(u"Big");
          TDiscData d = engine.Discs->GetDisc(at);
          d.Label = u"Bigger";
          engine.UpdateDisc(at, d);
        },
        "Disc \"Big\" was not renamed to \"Bigger\"",
        [](TEngine& engine) { return engine.Discs->FindByLabel(u"Bigger") < 0; });
  });
}

TEST_F(RealDiscTest, ACategoryEditWhoseCommitFindsTheDiscFullIsNotStored) {
  OnSmallDisc(2048, [&] {
    return ChangeOnFullDisc(
        0, [](TEngine& engine) { engine.Discs->Categories.Rename(1, "Programs"); },
        "Category \"Software\" was not renamed to \"Programs\"",
        [](TEngine& engine) { return engine.Discs->Categories.GetName(1) == "Software"; });
  });
}

}  // namespace
}  // namespace qv::test
