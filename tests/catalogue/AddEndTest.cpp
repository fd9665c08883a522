// Whether an add ended, as the user is told it and as the next opens find
// it. An add of a disc without files (a label, a category, a location and a
// description typed by hand) and one with files are made to fail at each of
// their writes (the file layer's fault seam: the disc full from that write
// on, or that write alone failing) and killed before each of them (a real
// process). A disc said added, or "has been added, but", is there with
// everything typed; one said not stored is not; the next open says so once,
// the one after says nothing; nothing else changes. A note left by an
// earlier version (a label or a record ID alone), or one that names no
// record the add can have made, removes nothing, and tells of an empty disc
// it may have left. A disc that another writer stored, after an add cut
// short before its first commit, under the ID the note names is kept.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/Engine.h"
#include "classlib/IniFiles.h"
#include "platform/FaultInjector.h"
#include "storage/Aes.h"
#include "tests/catalogue/SessionInChild.h"
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
  // first: the lines the first open said, when asked for.
  void Reopen(const std::string& folder, const Add& add, bool stored, bool told,
              std::vector<std::string>* first = nullptr) {
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
      if (first && open == 1) *first = said;
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
    // No close: the add's own commit is what is on disc.
    const int status = RunSessionInChild(folder, "", [&](TEngine& engine, FaultInjector& faults) {
      std::string kinds;
      faults.SetWriteHook([&](int64_t n, const std::string& path) {
        kinds += fs::path(path).filename().string().rfind("index.jnl", 0) == 0 ? 'J' : '.';
        if (n == killAt) ::raise(SIGKILL);
      });
      Run(engine, add);
      faults.Reset();
      std::ofstream(noted) << kinds;
    });
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

// An add killed once its first commit's journal is whole, before index.vlm:
// the open that finishes that commit notes where the record lies in the
// same write that records the commit's mark, so an open killed at any of
// its writes leaves the next one to remove the add's empty entry all the
// same.
TEST_F(AddKilled, ASettlingOpenKilledAtAnyWriteStillTellsTheAddsFirstCommit) {
  const std::string killed = dir / "killed";
  fs::copy(dir / "template", killed);
  auto child = [&](const std::string& folder, const std::function<void(TEngine&, FaultInjector&)>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      RecordingHost host;
      host.folder = folder;
      FaultInjector faults;
      TEngine engine(host, QV_TEST_APP_DIR, faults);
      body(engine, faults);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
  };
  child(killed, [](TEngine& engine, FaultInjector& faults) {
    if (!engine.OpenDatabase("")) ::_exit(2);
    faults.SetWriteHook([](int64_t, const std::string& path) {
      if (fs::path(path).filename() == "index.vlm") ::raise(SIGKILL);
    });
    engine.AddDisc(TScanOpts{}, [] {
      TDiscData d;
      d.Label = u"Box";
      return d;
    }());
  });
  ASSERT_TRUE(fs::exists(killed + "/index.jnl"));
  // The settling open's writes, counted.
  int64_t settling = 0;
  {
    const std::string counted = dir / "counted";
    fs::copy(killed, counted);
    RecordingHost host;
    host.folder = counted;
    FaultInjector faults;
    faults.FailWritesFrom(int64_t(1) << 40);
    TEngine engine(host, QV_TEST_APP_DIR, faults);
    ASSERT_TRUE(engine.OpenDatabase(""));
    settling = faults.WriteCount();
    EXPECT_EQ(Lines(host, "W Disc \"Box\" was not stored; its empty entry has been removed"), 1)
        << testing::PrintToString(host.console);
  }
  ASSERT_GT(settling, 2);
  for (int64_t n = 1; n <= settling; ++n) {
    SCOPED_TRACE("the settling open killed before write " + std::to_string(n) + " of " +
                 std::to_string(settling));
    const std::string folder = dir / ("open-k" + std::to_string(n));
    fs::copy(killed, folder);
    const int status = child(folder, [n](TEngine& engine, FaultInjector& faults) {
      faults.SetWriteHook([n](int64_t at, const std::string&) {
        if (at == n) ::raise(SIGKILL);
      });
      engine.OpenDatabase("");
    });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    std::vector<std::string> said;
    Reopen(folder, kBox, false, false, &said);
    // What the user hears is of the add they made: it was not stored. A
    // removal finished from its journal is no change of theirs "stored".
    for (const std::string& line : said)
      if (line.rfind("W ", 0) == 0 || line.rfind("E ", 0) == 0) {
        EXPECT_EQ(line.rfind("W Disc \"Box\" was not stored; ", 0), 0u) << testing::PrintToString(said);
      }
    if (HasFailure()) return;
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
  // The user stored an empty disc "BOX". The version before noted "Box"
  // (its label in hex), which names the empty disc in any case; a note of
  // no form, or one whose label is cut (lower-case hex), names no disc;
  // one naming the record of a disc with files under its own label has no
  // empty disc to tell of; one naming that record under the label "Box"
  // tells of "Box", never of the disc whose record it names. The first
  // version that noted an add gave its record's ID alone, in 16 hex digits
  // (written with the add's first commit): naming the empty "BOX" it tells
  // of that disc; naming the disc with files, of none.
  const std::string hexOfBox = "426F78";
  const std::string mayBeNamed =
      "W An add of a disc did not end; the empty disc \"BOX\" in the list may have been left by it, and can "
      "be deleted";
  auto idNote = [](int64_t id) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llX", static_cast<unsigned long long>(id));
    return std::string(hex);
  };
  const std::string mayBeBox =
      "W An add of disc \"Box\" did not end; the empty disc \"BOX\" in the list may have been left by it, "
      "and can be deleted";
  const std::string mayBeAny =
      "W An add of a disc did not end; an empty disc in the list may have been left by it, and can be "
      "deleted";
  const std::string first = std::to_string(firstID);
  int made = 0;
  int64_t boxID = -1;
  for (const auto& [note, line] :
       std::vector<std::pair<std::string, std::string>>{{hexOfBox, mayBeBox},
                                                        {"12:x:41", mayBeAny},
                                                        {"426f78", mayBeAny},
                                                        {first + "::4669727374", ""},
                                                        {first + ":12:4669727374", ""},
                                                        {first + "::" + hexOfBox, mayBeBox},
                                                        {"<box>", mayBeNamed},
                                                        {idNote(firstID), ""}}) {
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
      boxID = engine.Discs->DiscAt(engine.Discs->FindByLabel(u"BOX")).ID;
      ASSERT_TRUE(engine.CloseDatabase());
    }
    SetNote(folder, note == "<box>" ? idNote(boxID) : note);
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
      EXPECT_EQ(Lines(host, "W "), open == 1 && !line.empty() ? 1 : 0)
          << testing::PrintToString(host.console);
      if (!line.empty()) {
        EXPECT_EQ(Lines(host, line), open == 1 ? 1 : 0) << testing::PrintToString(host.console);
      }
      EXPECT_EQ(Lines(host, "\"B\"") + Lines(host, "\"First\"") + Lines(host, "xbase.vlm"), 0)
          << testing::PrintToString(host.console);
      EXPECT_EQ(Lines(host, "was not stored"), 0) << testing::PrintToString(host.console);
      EXPECT_EQ(State(engine, host), after);
      EXPECT_TRUE(engine.CloseDatabase());
    }
  }
}

// A writer that follows storage/FORMAT.md alone ("Writing a catalogue from
// outside"), for a catalogue without a password: it stores one disc without
// files, a record appended with its index entry, and leaves AddingDisc as
// it found it.
namespace outside {

uint32_t Crc(const std::vector<uint8_t>& bytes) {
  uint32_t crc = 0xFFFFFFFF;  // reflected 0xEDB88320, never inverted at the end
  for (uint8_t b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc;
}

TAESKey256 DeriveKey(const std::string& text) {
  TAESKey256 key{};
  uint32_t state = 0x3B6D2F47u + uint32_t(text.size());
  for (std::size_t i = 0; i < 32; ++i) {
    state = state * 0x08088405u + 1;
    const uint8_t b = i < text.size() ? uint8_t(text[i]) : uint8_t(i);
    key[i] = uint8_t(b ^ (state >> 24));
  }
  return key;
}

template <class T>
void Put(std::vector<uint8_t>& out, T value) {
  uint8_t bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));  // little-endian, as the machine is
  out.insert(out.end(), bytes, bytes + sizeof(T));
}

void PutString(std::vector<uint8_t>& out, const std::string& text) {
  Put(out, uint8_t(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}

// Returns the ID the disc took.
int64_t StoreDisc(const std::string& folder, const std::string& label) {
  const std::string data = folder + "/storage.vlm", index = folder + "/index.vlm";
  const int lock = ::open(data.c_str(), O_RDWR);
  EXPECT_GE(lock, 0);
  EXPECT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
  EXPECT_FALSE(fs::exists(folder + "/index.jnl"));
  fs::remove(folder + "/free.vlm");
  // The xDisc record (kind 0x41): Label, Category, Location, Files,
  // Folders, Added, Description; no Root.
  std::vector<uint8_t> plain;
  Put(plain, uint16_t(7));
  Put(plain, uint16_t(0)), PutString(plain, label);
  Put(plain, uint16_t(1)), Put(plain, int32_t(2));
  Put(plain, uint16_t(2)), PutString(plain, "Shelf 9");
  Put(plain, uint16_t(3)), Put(plain, int64_t(0));
  Put(plain, uint16_t(4)), Put(plain, int64_t(0));
  Put(plain, uint16_t(5)), Put(plain, double(45000.5));
  const std::string description = "Stored from outside";
  Put(plain, uint16_t(6)), Put(plain, uint32_t(description.size()));
  plain.insert(plain.end(), description.begin(), description.end());
  plain.resize((plain.size() + 15) / 16 * 16, 0);
  const uint32_t check = Crc(plain);
  TAESExpandedKey256 schedule;
  AESExpandKey256(DeriveKey(""), schedule);
  std::vector<uint8_t> chain;
  Put(chain, uint8_t(1)), Put(chain, int64_t(plain.size()));
  const std::size_t at = chain.size();
  chain.resize(at + plain.size());
  AESEncryptECB(plain.data(), chain.data() + at, plain.size(), schedule);
  Put(chain, uint8_t(3)), Put(chain, uint32_t(0x41)), Put(chain, check);
  const int64_t position = int64_t(fs::file_size(data));
  {
    std::fstream out(data, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(position);
    out.write(reinterpret_cast<const char*>(chain.data()), std::streamsize(chain.size()));
  }
  // Its entry, appended (over a torn one at the end, if any).
  const int64_t id = int64_t(fs::file_size(index)) / 16;
  std::vector<uint8_t> entry;
  Put(entry, position), Put(entry, uint32_t(0x41)), Put(entry, uint32_t(0));
  {
    std::fstream out(index, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(id * 16);
    out.write(reinterpret_cast<const char*>(entry.data()), std::streamsize(entry.size()));
  }
  TMemIniFile ini(folder + "/xbase.vlm");
  ini.WriteString("ENGINE", "Open", "1");
  ini.DeleteKey("ENGINE", "Commit");
  EXPECT_TRUE(ini.UpdateFile());
  ::close(lock);
  return id;
}

}  // namespace outside

// An add without files killed at its first write to storage.vlm leaves the
// note "ID::LABEL", ID the next free record ID. A writer that follows
// FORMAT.md alone then stores a disc without files, and so does a program
// that keeps the key ([ENGINE] keys it does not know): that disc takes the
// noted ID. The next opens keep it, as that writer stored it.
TEST_F(AddKilled, ADiscAnotherWriterStoredUnderTheNotedIDIsKept) {
  for (const bool byFormat : {true, false}) {
    SCOPED_TRACE(byFormat ? "a writer of FORMAT.md" : "a program that keeps the key");
    const std::string folder = dir / (byFormat ? "format" : "keeps");
    fs::copy(dir / "template", folder);
    const int status = RunSessionInChild(folder, "", [&](TEngine& engine, FaultInjector& faults) {
      faults.SetWriteHook([](int64_t, const std::string& path) {
        if (fs::path(path).filename() == "storage.vlm") ::raise(SIGKILL);
      });
      Run(engine, kBox);
    });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    const int64_t next = int64_t(fs::file_size(folder + "/index.vlm")) / 16;
    const std::string note = TMemIniFile(folder + "/xbase.vlm").ReadString("ENGINE", "AddingDisc", "");
    ASSERT_EQ(note, std::to_string(next) + "::426F78");
    int64_t stored = -1;
    if (byFormat) {
      stored = outside::StoreDisc(folder, "Ext");
    } else {
      // A program that knows no AddingDisc: it keeps the line as it found it.
      SetNote(folder, "");
      RecordingHost host;
      host.folder = folder;
      TEngine engine(host, QV_TEST_APP_DIR);
      ASSERT_TRUE(engine.OpenDatabase(""));
      TScanOpts scan;
      scan.IncludeFiles = false;
      TDiscData d;
      d.Label = u"Ext";
      d.Category = 2;
      d.Location = u"Shelf 9";
      d.Description = u"Stored from outside";
      engine.AddDisc(scan, d);
      const int32_t at = engine.Discs->FindByLabel(u"Ext");
      ASSERT_GE(at, 0);
      stored = engine.Discs->DiscAt(at).ID;
      ASSERT_TRUE(engine.CloseDatabase());
      SetNote(folder, note);
    }
    ASSERT_EQ(stored, next);
    for (int open = 1; open <= 2; ++open) {
      SCOPED_TRACE("open " + std::to_string(open));
      RecordingHost host;
      host.folder = folder;
      TEngine engine(host, QV_TEST_APP_DIR);
      ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
      EXPECT_FALSE(engine.Base->ReadOnly()) << testing::PrintToString(host.console);
      EXPECT_EQ(Lines(host, "E "), 0) << testing::PrintToString(host.console);
      EXPECT_EQ(Lines(host, "was not stored") + Lines(host, "did not end"), 0)
          << testing::PrintToString(host.console);
      const int32_t at = engine.Discs->FindByLabel(u"Ext");
      ASSERT_GE(at, 0) << testing::PrintToString(host.console);
      const TDiscData& d = engine.Discs->DiscAt(at);
      EXPECT_EQ(d.ID, next);
      EXPECT_EQ(d.Category, 2);
      EXPECT_EQ(d.Location, u"Shelf 9");
      EXPECT_EQ(d.Description, u"Stored from outside");
      EXPECT_LT(engine.Discs->FindByLabel(u"Box"), 0);
      EXPECT_EQ(engine.Discs->Count(), 2);
      EXPECT_EQ(engine.Base->ReadEngineKey("AddingDisc"), "");
      EXPECT_TRUE(engine.CloseDatabase());
    }
  }
}

}  // namespace
}  // namespace qv::test::addend
