// A threaded add killed for real: a child process opens the catalogue, adds a
// disc (the scan on its worker, records written ahead in batches) and sends
// itself SIGKILL just before a chosen write of the storage files. The parent
// then opens the catalogue: it must open for writing, give back what the add
// wrote past its last commit, keep the earlier disc whole and searchable,
// hold the interrupted disc either not at all, empty (no root, zero counts)
// or whole, and take a further add. The points are chosen from a first run
// that notes which file each write goes to: after writes of every kind
// (data, name indexes, global index, free space, description), for an
// enciphered catalogue and one without a password.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "catalogue/Engine.h"
#include "platform/FaultInjector.h"
#include "tests/catalogue/SessionInChild.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

// The kind of a storage file's write: D data, N name (sorted) index, I global
// index or its journal, F free space, X description, ? anything else.
char KindOf(const std::string& path) {
  const std::string name = fs::path(path).filename().string();
  auto starts = [&](const char* s) { return name.rfind(s, 0) == 0; };
  if (starts("storage.vlm")) return 'D';
  if (name.find(".idx") != std::string::npos) return 'N';
  if (starts("index.vlm") || starts("index.jnl")) return 'I';
  if (starts("free.vlm")) return 'F';
  if (starts("xbase.vlm")) return 'X';
  return '?';
}

struct Search {
  std::multiset<std::string> entries;  // "disc|path|name"
  std::vector<std::string> errors;
};

// Every file and folder a search finds, and the error lines on the way.
Search FindAll(TEngine& engine, RecordingHost& host) {
  Search out;
  TSearchOpts files, folders;
  files.FileMask = "*";
  folders.FolderMask = "*";
  for (const TSearchOpts& o : {files, folders}) {
    host.rows.clear();
    host.console.clear();
    engine.Search(o);
    for (auto& r : host.rows) {
      if (r.parent < 0) continue;
      const auto& g = host.rows[std::size_t(r.parent)].data;
      out.entries.insert(Utf16ToUtf8(r.data.Disc) + "|" + Utf16ToUtf8(r.data.Path) + Utf16ToUtf8(g.Name));
    }
    for (auto& l : host.console)
      if (l.rfind("E ", 0) == 0 || l.rfind("F ", 0) == 0) out.errors.push_back(l);
  }
  return out;
}

std::multiset<std::string> OfDisc(const std::multiset<std::string>& all, const std::string& label) {
  std::multiset<std::string> out;
  for (const std::string& e : all)
    if (e.rfind(label + "|", 0) == 0) out.insert(e);
  return out;
}

void Add(TEngine& engine, const std::string& label, const std::string& path) {
  TScanOpts scan;
  scan.Path = path;
  TDiscData d;
  d.Label = Utf8ToUtf16(label);
  engine.AddDisc(scan, d);
}

class AddCrash : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    // The earlier disc and the one added share names (f0.txt to f3.txt, "a").
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
    ASSERT_TRUE(engine.NewDatabase(GetParam(), "Crash"));
    Add(engine, "First", dir / "first");
    Search found = FindAll(engine, host);
    first = found.entries;
    ASSERT_EQ(first.size(), 12u + 4u);
    ASSERT_TRUE(engine.CloseDatabase());
  }

  // A copy of the catalogue holding the first disc, where a child adds the
  // second and is killed before write killAt (0: never). The child's writes
  // are noted, by kind, in census; the file the fatal write was for in died.
  void RunChild(const std::string& folder, int64_t killAt) {
    fs::remove_all(folder);
    fs::copy(dir / "template", folder);
    const std::string census = folder + ".census", died = folder + ".died";
    // No close: the add's own flush is what is on disc.
    const int status = RunSessionInChild(folder, GetParam(), [&](TEngine& engine, FaultInjector& faults) {
      engine.WriteAheadRecords = 8;  // several batches written ahead on the worker
      std::string kinds;
      faults.SetWriteHook([&](int64_t n, const std::string& path) {
        kinds += KindOf(path);
        if (n != killAt) return;
        int fd = ::open(died.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0 && ::write(fd, path.data(), path.size()) < 0) ::_exit(3);
        ::raise(SIGKILL);
      });
      Add(engine, "Second", dir / "second");
      faults.Reset();
      std::ofstream(census) << kinds;
    });
    // An add that made fewer writes this time ends whole: that state is
    // checked the same way.
    killed = killAt > 0 && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    ASSERT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "write " << killAt;
  }

  // A kill in the middle of an append leaves part of it: the tail of the file
  // written to gains bytes of no whole entry or chain.
  static void TearTail(const std::string& died) {
    std::string path;
    std::getline(std::ifstream(died), path);
    const char kind = KindOf(path);
    if ((kind != 'I' && kind != 'D') || !fs::exists(path)) return;
    std::ofstream(path, std::ios::binary | std::ios::app) << std::string(kind == 'I' ? 7 : 21, '\x5A');
  }

  // The catalogue after a kill: see the file's head.
  void Check(const std::string& folder, const std::string& point) {
    SCOPED_TRACE(point);
    RecordingHost host;
    host.folder = folder;
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.OpenDatabase(GetParam())) << testing::PrintToString(host.console);
    ASSERT_FALSE(engine.Base->ReadOnly()) << engine.Base->DamageText();
    const int64_t data = int64_t(fs::file_size(folder + "/storage.vlm"));
    EXPECT_LE(data, wholeData);
    Search found = FindAll(engine, host);
    EXPECT_TRUE(found.errors.empty()) << testing::PrintToString(found.errors);
    EXPECT_EQ(OfDisc(found.entries, "First"), first);
    const int32_t at = engine.Discs->FindByLabel(u"Second");
    const std::multiset<std::string> mine = OfDisc(found.entries, "Second");
    if (at >= 0) {
      const TDiscData d = engine.Discs->GetDisc(at);
      const bool whole = d.Root >= 0 && d.Files == 42 && d.Folders == 13;
      EXPECT_TRUE(whole || (d.Root < 0 && d.Files == 0 && d.Folders == 0))
          << d.Root << " " << d.Files << " " << d.Folders;
      EXPECT_EQ(mine, whole ? second : std::multiset<std::string>{});
      // What the killed add wrote past its last commit was given back: at
      // most the disc record is left.
      if (!whole) {
        EXPECT_LE(data, templateData + 1024) << "of " << wholeData;
      }
    } else {
      EXPECT_TRUE(mine.empty());
      EXPECT_LE(data, templateData + 1024) << "of " << wholeData;
    }
    // The catalogue takes the next add whole.
    Add(engine, "Third", dir / "third");
    EXPECT_TRUE(host.HasLine("I 3 file(s) and 0 folder(s) were added to the database"))
        << testing::PrintToString(host.console);
    found = FindAll(engine, host);
    EXPECT_TRUE(found.errors.empty()) << testing::PrintToString(found.errors);
    EXPECT_EQ(OfDisc(found.entries, "Third").size(), 3u);
    EXPECT_EQ(OfDisc(found.entries, "First"), first);
    EXPECT_TRUE(engine.CloseDatabase());
  }

  TempDir dir;
  std::multiset<std::string> first, second;
  int64_t templateData = 0;  // storage.vlm's size with the first disc
  int64_t wholeData = 0;     // and after the second's add that was not killed
  bool killed = false;
};

TEST_P(AddCrash, KilledAtAnyKindOfWriteTheCatalogueOpensWhole) {
  // The run that is not killed notes every write, and gives the whole second
  // disc (stored by its own flush; the process ends without Close).
  const std::string whole = dir / "whole";
  RunChild(whole, 0);
  wholeData = int64_t(fs::file_size(whole + "/storage.vlm"));
  templateData = int64_t(fs::file_size(dir / "template/storage.vlm"));
  std::string kinds;
  std::getline(std::ifstream(whole + ".census"), kinds);
  {
    RecordingHost host;
    host.folder = whole;
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.OpenDatabase(GetParam()));
    second = OfDisc(FindAll(engine, host).entries, "Second");
    ASSERT_EQ(second.size(), 42u + 13u);
    ASSERT_TRUE(engine.CloseDatabase());
  }
  // Before the very first write, and just after the first, the middle and
  // the last write of each run of writes to files of one kind; every kind
  // must be among them.
  std::set<int64_t> points{1};
  for (std::size_t i = 0; i < kinds.size();) {
    std::size_t end = i;
    while (end < kinds.size() && kinds[end] == kinds[i]) ++end;
    for (std::size_t n : {i + 1, (i + end + 1) / 2, end})
      if (n < kinds.size()) points.insert(int64_t(n) + 1);
    i = end;
  }
  for (char kind : std::string("DNIFX"))
    ASSERT_NE(kinds.find(kind), std::string::npos) << "no write of kind " << kind << " in " << kinds;
  for (int64_t n : points) {
    const std::string folder = dir / ("k" + std::to_string(n));
    RunChild(folder, n);
    if (HasFatalFailure()) return;
    if (n == 1) {
      ASSERT_TRUE(killed);  // there is always a first write
    }
    TearTail(folder + ".died");
    Check(folder, "killed before write " + std::to_string(n) + " of " + kinds);
  }
}

INSTANTIATE_TEST_SUITE_P(Catalogues, AddCrash, ::testing::Values("secret", ""),
                         [](const auto& p) { return std::string(p.param[0] ? "Enciphered" : "Plain"); });

}  // namespace
}  // namespace qv::test
