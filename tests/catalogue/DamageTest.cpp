// Damaged catalogue files: each file of a small catalogue is truncated, has
// bytes flipped, a block overwritten, duplicated or swapped, or is deleted;
// then open, search, browse, add and close run in a child process. None may
// crash, hang or draw a sanitizer report, and whatever comes out different
// from the undamaged catalogue must come with an error line.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>

#include "catalogue/Engine.h"
#include "classlib/IniFiles.h"
#include "storage/CommitMark.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
}

void Digest(const TFileData* node, const std::string& path, std::ostringstream& out) {
  for (int32_t i = 0; i < node->Count(); ++i) {
    const TFileData* c = node->GetChild(i);
    out << "  " << path << c->Name << (c->IsFolder() ? "/" : "") << " " << c->Size << "\n";
    if (c->IsFolder()) Digest(c, path + c->Name + "/", out);
  }
}

// Counts the error lines, which searches and browses clear from the console.
class CountingHost : public RecordingHost {
 public:
  void AddError(const std::string& t) override {
    ++errors;
    said += t + " | ";
    RecordingHost::AddError(t);
  }
  void AddFatal(const std::string& t) override {
    ++errors;
    said += t + " | ";
    RecordingHost::AddFatal(t);
  }
  int errors = 0;
  std::string said;  // the error lines
};

// Everything the user would see of the catalogue, and how many error lines
// came with it.
struct Outcome {
  std::string seen;
  int errors = 0;
  std::string said;
};

class DamageTest : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    const std::string tree = *dir_ / "tree/";
    for (int d = 0; d < 3; ++d) {
      for (int i = 0; i < 6; ++i) {
        const std::string sub = "d" + std::to_string(d) + "/" + (i % 2 ? "src/" : "doc/");
        MakeFile(tree + "one/" + sub + "file" + std::to_string(i % 4) + ".txt", 100 + i * d);
        MakeFile(tree + "two/" + sub + "note" + std::to_string(i) + ".md", 7 * i);
      }
    }
    MakeFile(tree + "three/extra/file1.txt", 5);
    RecordingHost host;
    host.folder = *dir_ / "pristine";
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.NewDatabase("secret", "Damage"));
    AddDisc(engine, "One", tree + "one");
    AddDisc(engine, "Two", tree + "two");
    // A re-add and a delete leave free space behind, so free.vlm exists too.
    AddDisc(engine, "Gone", tree + "two");
    ASSERT_TRUE(engine.DeleteDisc(engine.Discs->GetDisc(2)));
    ASSERT_TRUE(engine.CloseDatabase());
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  static std::string Tree() { return *dir_ / "tree/"; }
  static void AddDisc(TEngine& engine, const std::string& label, const std::string& path) {
    TScanOpts scan;
    scan.Path = path;
    TDiscData d;
    d.Label = Utf8ToUtf16(label);
    engine.AddDisc(scan, d);
  }

  friend Outcome Look(const std::string& folder);
  static void Search(TEngine& engine, RecordingHost& host, const TSearchOpts& opts, std::ostringstream& out) {
    engine.Search(opts);
    std::vector<std::string> rows;
    for (auto& r : host.rows) {
      if (r.parent < 0) continue;
      const auto& g = host.rows[std::size_t(r.parent)].data;
      rows.push_back(Utf16ToUtf8(r.data.Disc) + "|" + Utf16ToUtf8(r.data.Path) + Utf16ToUtf8(g.Name) + " " +
                     std::to_string(r.data.Size));
    }
    std::sort(rows.begin(), rows.end());
    out << "search " << opts.FileMask << "|" << opts.FolderMask << "\n";
    for (auto& r : rows) out << "  " << r << "\n";
  }

  // Open, search, browse every disc, add a disc, search again, close.
  static Outcome Run(const std::string& folder) {
    CountingHost host;
    host.folder = folder;
    std::ostringstream out;
    {
      TEngine engine(host, QV_TEST_APP_DIR);
      out << "open " << engine.OpenDatabase("secret") << "\n";
      TSearchOpts files, folders, prefix;
      files.FileMask = "*";
      folders.FolderMask = "*";
      prefix.FileMask = "file1*";
      Search(engine, host, files, out);
      Search(engine, host, folders, out);
      for (int32_t i = 0; i < engine.Discs->Count(); ++i) {
        out << "browse " << Utf16ToUtf8(engine.Discs->GetDisc(i).Label) << " " << engine.Browse(i) << "\n";
        Digest(engine.Discs->BrowseRoot.get(), "/", out);
      }
      AddDisc(engine, "Three", (*dir_ / "tree/three"));
      Search(engine, host, prefix, out);
      out << "close " << engine.CloseDatabase() << "\n";
    }
    Outcome o;
    o.seen = out.str();
    o.errors = host.errors;

    return o;
  }

  // Runs the scenario on a damaged copy in a child process, with a time
  // limit; the child writes what it saw for the parent to compare.
  static void RunDamaged(const std::string& name, const std::function<void(const std::string&)>& damage,
                         const Outcome& sound) {
    const std::string folder = *dir_ / ("case/" + name + "/");
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy(*dir_ / "pristine", folder, fs::copy_options::recursive);
    damage(folder);
    const std::string result = folder + "outcome.txt";
    pid_t pid = ::fork();
    if (pid == 0) {
      ::alarm(30);
      Outcome o = Run(folder);
      WriteAll(result, std::to_string(o.errors) + "\n" + o.seen);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name << ": the child crashed or hung";
    std::string got = ReadAll(result);
    std::size_t nl = got.find('\n');
    ASSERT_NE(nl, std::string::npos) << name;
    int errors = std::stoi(got.substr(0, nl));
    if (got.substr(nl + 1) != sound.seen) {
      EXPECT_GT(errors, 0) << name << ": silently different\n" << got;
    }
  }

  static TempDir* dir_;
};

TempDir* DamageTest::dir_ = nullptr;

// What a user looks at without changing anything: the discs listed, every
// file and folder found, every disc browsed; whether the catalogue turned
// read-only.
Outcome Look(const std::string& folder) {
  CountingHost host;
  host.folder = folder;
  std::ostringstream out;
  TEngine engine(host, QV_TEST_APP_DIR);
  out << "open " << engine.OpenDatabase("secret") << "\n";
  for (int32_t i = 0; engine.IsOpen() && i < engine.Discs->Count(); ++i) {
    const TDiscData d = engine.Discs->GetDisc(i);
    out << "disc " << Utf16ToUtf8(d.Label) << " " << d.Files << " " << d.Folders << "\n";
  }
  TSearchOpts files, folders;
  files.FileMask = "*";
  folders.FolderMask = "*";
  DamageTest::Search(engine, host, files, out);
  DamageTest::Search(engine, host, folders, out);
  for (int32_t i = 0; engine.IsOpen() && i < engine.Discs->Count(); ++i) {
    out << "browse " << Utf16ToUtf8(engine.Discs->GetDisc(i).Label) << " " << engine.Browse(i) << "\n";
    Digest(engine.Discs->BrowseRoot.get(), "/", out);
  }
  Outcome o;
  o.seen = out.str();
  o.errors = host.errors + (engine.IsOpen() && engine.Base->ReadOnly() ? 1 : 0);
  o.said = host.said;
  engine.CloseDatabase();
  return o;
}

using Damage = std::function<void(std::string&)>;

// The damage kinds, each at a few positions chosen from the file's size.
std::map<std::string, Damage> Damages(std::size_t size) {
  std::map<std::string, Damage> d;
  const std::size_t block = 16;
  const std::size_t blocks = size / block;
  d["truncate-half"] = [](std::string& s) { s.resize(s.size() / 2); };
  d["truncate-block"] = [](std::string& s) { s.resize(s.size() >= 16 ? s.size() - 16 : 0); };
  for (int k = 1; k <= 3; ++k)
    d["flip" + std::to_string(k)] = [k](std::string& s) {
      if (!s.empty()) s[s.size() * std::size_t(k) / 4] ^= 0x24;
    };
  d["overwrite"] = [](std::string& s) {
    std::size_t at = s.size() / 3 / 16 * 16;
    for (std::size_t i = at; i < std::min(s.size(), at + 16); ++i) s[i] = char(0xA5);
  };
  if (blocks >= 3) {
    d["duplicate"] = [](std::string& s) {
      std::size_t n = s.size() / 16;
      s.replace((n - 1) * 16, 16, s.substr(n / 2 * 16, 16));
    };
    d["duplicate-first"] = [](std::string& s) { s.replace(2 * 16, 16, s.substr(16, 16)); };
    d["swap"] = [](std::string& s) {
      std::size_t n = s.size() / 16, a = 1, b = n - 1;
      std::string x = s.substr(a * 16, 16);
      s.replace(a * 16, 16, s.substr(b * 16, 16));
      s.replace(b * 16, 16, x);
    };
    d["swap-middle"] = [](std::string& s) {
      std::size_t n = s.size() / 16, a = n / 3, b = 2 * n / 3;
      if (a == b) return;
      std::string x = s.substr(a * 16, 16);
      s.replace(a * 16, 16, s.substr(b * 16, 16));
      s.replace(b * 16, 16, x);
    };
  }
  return d;
}

TEST_F(DamageTest, EveryFileDamagedEveryWayIsReportedNeverACrash) {
  fs::copy(*dir_ / "pristine", *dir_ / "sound", fs::copy_options::recursive);
  const Outcome baseline = Run(*dir_ / "sound/");
  ASSERT_EQ(baseline.errors, 0) << baseline.seen;

  ASSERT_NE(baseline.seen.find("browse One 1"), std::string::npos) << baseline.seen;
  int cases = 0;
  for (auto& entry : fs::directory_iterator(*dir_ / "pristine")) {
    const std::string file = entry.path().filename().string();
    const std::string content = ReadAll(entry.path().string());
    for (auto& [kind, damage] : Damages(content.size())) {
      RunDamaged(
          file + "-" + kind,
          [&](const std::string& folder) {
            std::string s = content;
            damage(s);
            WriteAll(folder + file, s);
          },
          baseline);
      ++cases;
    }
    RunDamaged(
        file + "-delete", [&](const std::string& folder) { fs::remove(folder + file); }, baseline);
  }
  EXPECT_GE(cases, 60);
}

// Seeded changes of single bytes of index.vlm (the same every run), each
// made to a copy of the catalogue in `from` and looked at in a child by
// `look`, a few at a time. `fault` gets what the child wrote and says what
// is wrong with it ("" when nothing is); the count of such cases is returned.
int ChangeIndexBytes(const std::string& from, const std::string& work,
                     const std::function<std::string(const std::string&)>& look,
                     const std::function<std::string(const std::string&)>& fault) {
  constexpr int kCases = 300, kAtOnce = 8;
  const std::string index = ReadAll(from + "index.vlm");
  EXPECT_GT(index.size(), 64u);
  struct Case {
    pid_t pid;
    std::string folder, what;
  };
  std::vector<Case> running;
  int faults = 0;
  auto reap = [&](Case& c) {
    int status = 0;
    ::waitpid(c.pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.what << ": the child crashed or hung";
    const std::string why = fault(ReadAll(c.folder + "outcome.txt"));
    if (!why.empty()) {
      ++faults;
      ADD_FAILURE() << c.what << ": " << why;
    }
    fs::remove_all(c.folder);
  };
  for (int seed = 1; seed <= kCases; ++seed) {
    std::mt19937 random{uint32_t(seed)};
    const std::size_t at = random() % index.size();
    const char to = char(uint8_t(index[at]) ^ uint8_t(1 + random() % 255));
    Case c{0, work + std::to_string(seed) + "/",
           "byte " + std::to_string(at) + " set to " + std::to_string(uint8_t(to))};
    fs::create_directories(c.folder);
    fs::copy(from, c.folder, fs::copy_options::recursive);
    std::string damaged = index;
    damaged[at] = to;
    WriteAll(c.folder + "index.vlm", damaged);
    std::fflush(nullptr);
    c.pid = ::fork();
    if (c.pid == 0) {
      ::alarm(60);
      WriteAll(c.folder + "outcome.txt", look(c.folder));
      ::_exit(0);
    }
    running.push_back(c);
    if (running.size() >= kAtOnce) {
      reap(running.front());
      running.erase(running.begin());
    }
  }
  for (Case& c : running) reap(c);
  return faults;
}

// The error count, the error lines, and what was seen, a line each.
std::string Told(const Outcome& o) {
  return std::to_string(o.errors) + "\n" + o.said + "\n" + o.seen;
}
Outcome Untold(const std::string& text) {
  Outcome o;
  const std::size_t nl = text.find('\n'), said = text.find('\n', nl + 1);
  if (said == std::string::npos) return Outcome{"", -1, ""};
  o.errors = std::stoi(text.substr(0, nl));
  o.said = text.substr(nl + 1, said - nl - 1);
  o.seen = text.substr(said + 1);
  return o;
}

// Single bytes of index.vlm changed at random: a catalogue that hides or
// changes a row says so, with an error line or by turning read-only.
TEST_F(DamageTest, AnyByteOfTheGlobalIndexChangedNeverHidesARowSilently) {
  fs::copy(*dir_ / "pristine", *dir_ / "looked", fs::copy_options::recursive);
  const Outcome sound = Look(*dir_ / "looked/");
  ASSERT_EQ(sound.errors, 0) << sound.seen;
  const int silent = ChangeIndexBytes(
      *dir_ / "pristine/", *dir_ / "byte/", [](const std::string& folder) { return Told(Look(folder)); },
      [&](const std::string& got) {
        const Outcome o = Untold(got);
        return o.seen != sound.seen && o.errors == 0 ? "silently different\n" + got : std::string();
      });
  EXPECT_EQ(silent, 0);
}

// A session that looks at the catalogue, one that adds a disc, and one that
// looks again, as the three outcomes' texts joined by a form feed; the
// middle one is "added" or "refused".
std::string LookAddLook(const std::string& folder) {
  std::string out = Told(Look(folder)) + "\f";
  {
    CountingHost host;
    host.folder = folder;
    TEngine engine(host, QV_TEST_APP_DIR);
    const bool open = engine.OpenDatabase("secret");
    const int32_t discs = open ? engine.Discs->Count() : -1;
    if (open) DamageTest::AddDisc(engine, "Three", DamageTest::Tree() + "three");
    out += open && engine.Discs->Count() > discs ? "added" : "refused";
    engine.CloseDatabase();
  }
  return out + "\f" + Told(Look(folder));
}

// A catalogue of the version before: its commit mark holds no sum of
// index.vlm, so the mark does not find a changed byte. Whatever hides or
// changes a row is still said, and damage once said is not forgotten: the
// add after it is refused, and the next session says it again, rather than
// a commit taking the damaged entry into a whole mark.
TEST_F(DamageTest, AnyByteOfAnOlderCataloguesIndexChangedIsSaidAndKept) {
  const std::string older = *dir_ / "older/";
  fs::copy(*dir_ / "pristine", older, fs::copy_options::recursive);
  {
    TMemIniFile ini(older + "xbase.vlm");
    TCommitMark mark;
    ASSERT_TRUE(mark.FromText(ini.ReadString("ENGINE", "Commit", "")));
    mark.Whole = false;
    mark.IndexSum = 0;
    mark.ChainId = 0;
    mark.ChainCheck = 0;
    ini.WriteString("ENGINE", "Commit", mark.ToText());
    ini.DeleteKey("ENGINE", "Free");
    ASSERT_TRUE(ini.UpdateFile());
  }
  fs::copy(older, *dir_ / "older-looked", fs::copy_options::recursive);
  const std::string soundText = LookAddLook(*dir_ / "older-looked/");
  auto parts = [](const std::string& text) {
    std::vector<std::string> p;
    std::size_t from = 0;
    for (std::size_t ff; (ff = text.find('\f', from)) != std::string::npos; from = ff + 1)
      p.push_back(text.substr(from, ff - from));
    p.push_back(text.substr(from));
    return p;
  };
  const auto sound = parts(soundText);
  ASSERT_EQ(sound.size(), 3u);
  ASSERT_EQ(Untold(sound[0]).errors, 0) << sound[0];
  ASSERT_EQ(sound[1], "added");
  ASSERT_EQ(Untold(sound[2]).errors, 0) << sound[2];
  int said = 0;  // cases whose damage the first session said
  const int faults = ChangeIndexBytes(older, *dir_ / "older-byte/", LookAddLook, [&](const std::string& got) {
    const auto seen = parts(got);
    if (seen.size() != 3) return "no outcome\n" + got;
    const Outcome first = Untold(seen[0]), last = Untold(seen[2]);
    said += first.errors > 0;
    if (first.seen != Untold(sound[0]).seen && first.errors == 0) return "silently different\n" + got;
    if (first.errors > 0 && seen[1] == "added") return "added to after damage was said\n" + got;
    if (first.errors > 0 && last.errors == 0) return "damage forgotten\n" + got;
    if (last.seen != Untold(sound[2]).seen && last.errors == 0)
      return "silently different after an add\n" + got;
    return std::string();
  });
  EXPECT_EQ(faults, 0);
  EXPECT_GT(said, 100);  // most changes are found (about 60 of them are of a kind byte)
}

}  // namespace
}  // namespace qv::test
