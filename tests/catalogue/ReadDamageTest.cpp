// Damage that reading meets: a name or parent deleted under a live record, a
// data file cut short or with bytes overwritten. The damage is reported once,
// what can be read is still shown, and from then on the catalogue writes
// nothing, so the files stay as they were found.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"
#include "classlib/IniFiles.h"
#include "storage/Base.h"
#include "storage/CommitMark.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
}

// Every file of a catalogue folder with its size and a hash of its content.
std::map<std::string, std::string> Digests(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (auto& entry : fs::directory_iterator(folder)) {
    const std::string content = ReadFile(entry.path().string());
    files[entry.path().filename().string()] =
        std::to_string(content.size()) + " bytes, hash " + std::to_string(std::hash<std::string>()(content));
  }
  return files;
}

class ReadDamageTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    // 3 folders of 140 files each, and a few more names at the root.
    for (int d = 0; d < 3; ++d)
      for (int i = 0; i < 140; ++i)
        MakeFile(Tree("disc/dir" + std::to_string(d) + "/f" + std::to_string(d) + "_" + std::to_string(i) +
                      ".txt"),
                 i + 1);
    MakeFile(Tree("disc/deep/inner/leaf.txt"), 9);
    MakeFile(Tree("disc/top.txt"), 3);
    AddDisc("Disc", Tree("disc"));
  }

  std::string Db(const std::string& name = "") const { return dir / ("db/" + name); }

  // Overwrites bytes of the data file, as a bad sector or a stray write does.
  void Overwrite(std::size_t at, std::size_t count) {
    std::string data = ReadFile(Db("storage.vlm"));
    for (std::size_t i = at; i < at + count && i < data.size(); ++i) data[i] = char(0xA5);
    WriteFile(Db("storage.vlm"), data);
  }

  // Closes the catalogue, lets damage change its files, and opens it again.
  void DamageAndReopen(const std::function<void()>& damage) {
    ASSERT_TRUE(engine->CloseDatabase());
    engine.reset();
    damage();
    engine = std::make_unique<TEngine>(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine->OpenDatabase("secret")) << ::testing::PrintToString(host.console);
  }

  // The ID of a stored name, from the group row a search gives it.
  int64_t NameID(const std::string& name, bool folder) {
    TSearchOpts o;
    (folder ? o.FolderMask : o.FileMask) = name;
    EXPECT_TRUE(engine->Search(o));
    for (auto& r : host.rows)
      if (r.parent < 0 && Utf16ToUtf8(r.data.Name) == name) return r.data.ID;
    ADD_FAILURE() << "no stored name " << name;
    return -1;
  }

  // Sets the deleted flag of an entry in index.vlm, as one changed byte does.
  void FlagDeleted(int64_t id) { SetEntryBytes(id, 12, "\x02"); }

  // Overwrites bytes of a global index entry (position 8 bytes, kind 4, flags 4).
  void SetEntryBytes(int64_t id, std::size_t at, const std::string& bytes) {
    std::string index = ReadFile(Db("index.vlm"));
    ASSERT_LE(std::size_t(id) * 16 + at + bytes.size(), index.size());
    index.replace(std::size_t(id) * 16 + at, bytes.size(), bytes);
    WriteFile(Db("index.vlm"), index);
  }

  // Writes the commit mark as the version before did: its first five values
  // only, and no checksum of free.vlm.
  void WriteShortMark() {
    TMemIniFile ini(Db("xbase.vlm"));
    TCommitMark mark;
    ASSERT_TRUE(mark.FromText(ini.ReadString("ENGINE", "Commit", "")));
    TCommitMark shorter;
    shorter.Entries = mark.Entries;
    shorter.TailCrc = mark.TailCrc;
    shorter.DataSize = mark.DataSize;
    shorter.Stamp = mark.Stamp;
    shorter.HighWater = mark.HighWater;
    ini.WriteString("ENGINE", "Commit", shorter.ToText());
    ini.DeleteKey("ENGINE", "Free");
    ASSERT_TRUE(ini.UpdateFile());
  }

  void ExpectLostFolderNameSeen(const std::function<void(int64_t)>& damage);

  int Errors() const {
    int n = 0;
    for (auto& l : host.console) n += l.rfind("E ", 0) == 0 || l.rfind("F ", 0) == 0;
    return n;
  }

  // The session's end writes nothing to a damaged catalogue, and an add is
  // refused: the files stay as they were found.
  void ExpectNothingWritten(const std::map<std::string, std::string>& found) {
    host.console.clear();
    const int32_t discs = engine->Discs->Count();
    AddDisc("More", Tree("disc/deep"));
    EXPECT_GE(Errors(), 1);
    EXPECT_EQ(engine->Discs->Count(), discs);
    ASSERT_TRUE(engine->CloseDatabase());
    engine.reset();
    auto now = Digests(Db());
    // The open marker in xbase.vlm is the only change a session makes.
    now.erase("xbase.vlm");
    auto before = found;
    before.erase("xbase.vlm");
    EXPECT_EQ(now, before);
  }
};

// The files of folder "dir1", whose name record was lost to damage, are
// still found, under a path that says so rather than "//"; the search says
// once that the catalogue is damaged, which from then on writes nothing. The
// browser, in a session of its own, sees the damage too.
void ReadDamageTest::ExpectLostFolderNameSeen(const std::function<void(int64_t)>& damage) {
  const int64_t dir1 = NameID("dir1", true);
  DamageAndReopen([&] { damage(dir1); });
  EXPECT_TRUE(engine->Base->ReadOnly());  // the commit mark's sum of index.vlm differs
  host.console.clear();
  EXPECT_TRUE(engine->Search(Files("f1_7*.txt")));
  EXPECT_EQ(Entries().size(), 11u);
  for (auto& e : Entries()) EXPECT_EQ(e.rfind("Disc|<Name-Error> ", 0), 0u) << e;
  EXPECT_EQ(Errors(), 1) << ::testing::PrintToString(host.console);
  EXPECT_TRUE(engine->Base->ReadOnly());
  EXPECT_TRUE(engine->Search(Files("f2_7.txt")));
  EXPECT_EQ(Entries(), (std::multiset<std::string>{"Disc|/dir2/f2_7.txt"}));

  DamageAndReopen([] {});
  const auto found = Digests(Db());
  host.console.clear();
  EXPECT_TRUE(engine->Browse(0));
  std::set<std::string> shown;
  for (int i = 0; i < engine->Discs->BrowseRoot->Count(); ++i)
    shown.insert(engine->Discs->BrowseRoot->GetChild(i)->Name);
  EXPECT_EQ(shown, (std::set<std::string>{"dir0", "dir2", "deep", "top.txt"}));
  EXPECT_GE(Errors(), 1);
  EXPECT_TRUE(engine->Base->ReadOnly());
  ExpectNothingWritten(found);
}

// What a line that says damage ends with, while the catalogue could be
// written otherwise.
const char* const kWayOut =
    "; to write it again, empty it with Database, Clear, or close it and put back all of its files from one "
    "copy";

TEST_F(ReadDamageTest, ADeletedFlagOnALiveFolderNameIsDamageNotAnEmptyName) {
  ExpectLostFolderNameSeen([&](int64_t id) { FlagDeleted(id); });
}

TEST_F(ReadDamageTest, ALiveFolderNameWithNoStoredRecordIsDamageNotAnEmptyName) {
  // The entry's position reads as "never written".
  ExpectLostFolderNameSeen([&](int64_t id) { SetEntryBytes(id, 0, std::string(8, '\xFF')); });
}

TEST_F(ReadDamageTest, ADeletedParentFolderIsDamageNotAShorterPath) {
  // "leaf.txt" lies in "inner", whose parent "deep" is flagged deleted.
  NameID("leaf.txt", false);
  ASSERT_EQ(host.rows.size(), 2u);
  TXRecData* rec = engine->Base->GetData(host.rows[1].data.ID);
  ASSERT_NE(rec, nullptr);
  const int64_t inner = rec::Ref(rec, fld::fiParent);
  engine->Base->Release(rec);
  rec = engine->Base->GetData(inner);
  ASSERT_NE(rec, nullptr);
  const int64_t deep = rec::Ref(rec, fld::foParent);
  engine->Base->Release(rec);
  DamageAndReopen([&] { FlagDeleted(deep); });
  host.console.clear();
  EXPECT_TRUE(engine->Search(Files("leaf.txt")));
  ASSERT_EQ(Entries().size(), 1u);
  EXPECT_EQ(Entries().begin()->rfind("Disc|<Parent-Error> ", 0), 0u) << *Entries().begin();
  EXPECT_EQ(Errors(), 1);
  EXPECT_TRUE(engine->Base->ReadOnly());
}

TEST_F(ReadDamageTest, AShortenedDataFileTurnsTheCatalogueReadOnly) {
  DamageAndReopen([&] { fs::resize_file(Db("storage.vlm"), fs::file_size(Db("storage.vlm")) - 300); });
  const auto found = Digests(Db());
  host.console.clear();
  engine->Search(Files("*.txt"));
  EXPECT_GT(Entries().size(), 400u);
  EXPECT_EQ(Errors(), 1);
  EXPECT_TRUE(engine->Base->ReadOnly());
  ExpectNothingWritten(found);
}

TEST_F(ReadDamageTest, AnIndexRebuiltOverAnUnreadableRecordLeavesItOut) {
  // The name indexes must be rebuilt from the records, one of which is lost.
  const std::size_t size = fs::file_size(Db("storage.vlm"));
  ASSERT_TRUE(engine->CloseDatabase());
  engine.reset();
  Overwrite(size / 2, 256);
  for (auto& entry : fs::directory_iterator(Db()))
    if (entry.path().extension() == ".idx") fs::remove(entry.path());
  engine = std::make_unique<TEngine>(host, QV_TEST_APP_DIR);
  ASSERT_TRUE(engine->OpenDatabase("secret")) << ::testing::PrintToString(host.console);
  EXPECT_TRUE(engine->Base->ReadOnly());
  // The indexes rebuilt before the damage was met may have been saved.
  const auto found = Digests(Db());
  EXPECT_TRUE(engine->Search(Files("*.txt")));
  EXPECT_GT(Entries().size(), 400u);
  ExpectNothingWritten(found);
}

TEST_F(ReadDamageTest, ASearchGoesOnPastARecordItCannotRead) {
  const std::size_t size = fs::file_size(Db("storage.vlm"));
  DamageAndReopen([&] { Overwrite(size / 2, 256); });
  host.console.clear();
  EXPECT_TRUE(engine->Search(Files("*.txt")));
  const auto entries = Entries();
  EXPECT_GT(entries.size(), 400u);
  EXPECT_LT(entries.size(), 423u);
  // What is listed is listed right: file "fD_i.txt" lies in "dirD".
  for (const std::string& e : entries) {
    if (e.find("|/dir") == std::string::npos) continue;
    EXPECT_EQ(e.substr(e.find("/dir") + 4, 1), e.substr(e.rfind("/f") + 2, 1)) << e;
  }
  EXPECT_EQ(Errors(), 1) << ::testing::PrintToString(host.console);
  EXPECT_TRUE(engine->Base->ReadOnly());
  // The line that says the damage names the way out.
  for (const std::string& l : host.console) {
    if (l.rfind("E ", 0) == 0) {
      EXPECT_TRUE(l.ends_with(kWayOut)) << l;
    }
  }
}

TEST_F(ReadDamageTest, AnAddThatMeetsDamageStopsWritingAndDoesNotSayDone) {
  const std::size_t size = fs::file_size(Db("storage.vlm"));
  DamageAndReopen([&] { Overwrite(size / 2, 256); });
  EXPECT_FALSE(engine->Base->ReadOnly());  // nothing read at the open lies there
  host.console.clear();
  AddDisc("Again", Tree("disc"));  // its names are read from the damaged stretch
  EXPECT_TRUE(engine->Base->ReadOnly());
  ASSERT_FALSE(host.console.empty());
  // The add is said not stored, for the damage, and its disc leaves the list.
  EXPECT_EQ(host.console.back().rfind("E Disc \"Again\" was not stored: The database is damaged: record", 0),
            0u)
      << host.console.back();
  EXPECT_TRUE(host.console.back().ends_with(kWayOut)) << host.console.back();
  for (auto& l : host.console) EXPECT_NE(l.rfind("I Done", 0), 0u);
  EXPECT_LT(engine->Discs->FindByLabel(u"Again"), 0);
  const auto found = Digests(Db());
  ExpectNothingWritten(found);
  // Every later open is read-only, for the damage: the disc stays out of
  // the list, and says why.
  OpenClosed();
  EXPECT_LT(engine->Discs->FindByLabel(u"Again"), 0);
  EXPECT_GE(engine->Discs->FindByLabel(u"Disc"), 0);
  EXPECT_EQ(Lines("W ",
                  "Disc \"Again\" was not stored; it is left out of the list for this session, as the "
                  "database cannot be written now"),
            1)
      << ::testing::PrintToString(host.console);
}

// A live disc, folder or file reaching an entry flagged deleted, or of
// another kind than the reference expects, is damage: the first step that
// meets it (the open, the search, the browser) says so in one error line,
// and the catalogue turns read-only, instead of leaving rows out without a
// word. (A name reaching a deleted file is no damage: deleting a disc leaves
// its names' references, so a file flagged deleted is the browser's to find.)
TEST_F(ReadDamageTest, AnEntryFlaggedDeletedOrOfAnotherKindIsDamage) {
  NameID("f1_7.txt", false);
  ASSERT_EQ(host.rows.size(), 2u);
  const int64_t file = host.rows[1].data.ID;
  TXRecData* rec = engine->Base->GetData(file);
  ASSERT_NE(rec, nullptr);
  const int64_t fileName = rec::Ref(rec, fld::fiName);
  engine->Base->Release(rec);
  const int64_t disc = engine->Discs->GetDisc(0).ID;
  auto kindBytes = [](const TRecKind* kind) {
    std::string b(4, '\0');
    for (int i = 0; i < 4; ++i) b[std::size_t(i)] = char(uint8_t(uint32_t(kind->Id) >> (8 * i)));
    return b;
  };
  const std::string folderKind = kindBytes(engine->FolderRecKind);
  const std::string folderNameKind = kindBytes(engine->FolderNameRecKind);
  ASSERT_TRUE(engine->CloseDatabase());
  engine.reset();
  const std::string sound = dir / "sound";
  fs::copy(Db(), sound);
  const std::map<std::string, std::function<void()>> damages = {
      {"disc flagged deleted", [&] { FlagDeleted(disc); }},
      {"file flagged deleted", [&] { FlagDeleted(file); }},
      {"file of another kind", [&] { SetEntryBytes(file, 8, folderKind); }},
      {"file name of another kind", [&] { SetEntryBytes(fileName, 8, folderNameKind); }},
  };
  for (auto& [what, damage] : damages) {
    for (bool browseFirst : {false, true}) {
      SCOPED_TRACE(what + (browseFirst ? ", browsed first" : ", searched first"));
      fs::remove_all(Db());
      fs::copy(sound, Db());
      damage();
      host.console.clear();
      engine = std::make_unique<TEngine>(host, QV_TEST_APP_DIR);
      ASSERT_TRUE(engine->OpenDatabase("secret")) << ::testing::PrintToString(host.console);
      const std::function<void()> steps[] = {[&] { engine->Search(Files("*.txt")); },
                                             [&] { engine->Browse(0); }};
      for (int step = 0; step < 2 && Errors() == 0; ++step) {
        host.console.clear();
        steps[browseFirst ? 1 - step : step]();
      }
      EXPECT_EQ(Errors(), 1) << ::testing::PrintToString(host.console);
      EXPECT_TRUE(engine->Base->ReadOnly());
      engine->CloseDatabase();
      engine.reset();
    }
  }
}

// A catalogue of the version before carries a commit mark without the sum of
// index.vlm, so a changed kind byte is not seen through the mark. An entry
// of a kind the schema does not know, where a live disc, folder, file or
// name is referred to, is damage all the same: one error line, read-only (an
// add is refused, so no later commit can take the entry into a whole mark),
// and still damaged at the next open.
TEST_F(ReadDamageTest, AnEntryOfAnUnknownKindInAnOlderCatalogueIsDamage) {
  NameID("f1_7.txt", false);
  ASSERT_EQ(host.rows.size(), 2u);
  const int64_t file = host.rows[1].data.ID;
  TXRecData* rec = engine->Base->GetData(file);
  ASSERT_NE(rec, nullptr);
  const int64_t fileName = rec::Ref(rec, fld::fiName);
  const int64_t folder = rec::Ref(rec, fld::fiParent);
  engine->Base->Release(rec);
  rec = engine->Base->GetData(folder);
  ASSERT_NE(rec, nullptr);
  const int64_t folderName = rec::Ref(rec, fld::foName);
  engine->Base->Release(rec);
  const int64_t disc = engine->Discs->GetDisc(0).ID;
  ASSERT_TRUE(engine->CloseDatabase());
  engine.reset();
  WriteShortMark();
  const std::string sound = dir / "sound";
  fs::copy(Db(), sound);
  OpenClosed();  // undamaged, it opens as it did
  EXPECT_EQ(Errors(), 0) << ::testing::PrintToString(host.console);
  EXPECT_FALSE(engine->Base->ReadOnly());
  ASSERT_TRUE(engine->CloseDatabase());
  engine.reset();
  // The schema's kinds run from 0x41 to 0x49, the last three arrays.
  const std::map<std::string, std::function<void()>> damages = {
      {"file", [&] { SetEntryBytes(file, 8, "\x4A"); }},
      {"file name", [&] { SetEntryBytes(fileName, 10, "\x01"); }},
      {"folder", [&] { SetEntryBytes(folder, 11, "\x80"); }},
      {"folder name", [&] { SetEntryBytes(folderName, 8, "\xC4"); }},
      {"disc", [&] { SetEntryBytes(disc, 8, "\x47"); }},
  };
  for (auto& [what, damage] : damages) {
    for (bool browseFirst : {false, true}) {
      SCOPED_TRACE(what + (browseFirst ? ", browsed first" : ", searched first"));
      fs::remove_all(Db());
      fs::copy(sound, Db());
      damage();
      OpenClosed();
      // Found by the open, before anything can be written.
      EXPECT_EQ(Errors(), 1) << ::testing::PrintToString(host.console);
      EXPECT_EQ(Lines("E ", "of a kind the schema does not know"), 1);
      EXPECT_TRUE(engine->Base->ReadOnly());
      // What can be read is shown, each step with one line at most.
      const std::function<void()> steps[] = {[&] { engine->Search(Files("*.txt")); },
                                             [&] { engine->Browse(0); }};
      for (int step = 0; step < 2; ++step) {
        host.console.clear();
        steps[browseFirst ? 1 - step : step]();
        EXPECT_LE(Errors(), 1) << ::testing::PrintToString(host.console);
      }
      EXPECT_TRUE(engine->Base->ReadOnly());
      const auto found = Digests(Db());
      ExpectNothingWritten(found);
      OpenClosed();
      EXPECT_TRUE(engine->Base->ReadOnly());
      EXPECT_EQ(Errors(), 1) << ::testing::PrintToString(host.console);
      engine->CloseDatabase();
      engine.reset();
    }
  }
}

// A name keeps referring to the files of a deleted disc. One of them, of an
// unknown kind, is no damage the open looks for (it is deleted), but a search
// that reaches it says so, once, and the catalogue turns read-only for good.
TEST_F(ReadDamageTest, ADeletedEntryOfAnUnknownKindThatANameReachesIsDamage) {
  AddDisc("Gone", Tree("disc/deep"));
  int64_t gone = -1;
  NameID("leaf.txt", false);
  for (auto& r : host.rows)
    if (r.parent >= 0 && Utf16ToUtf8(r.data.Disc) == "Gone") gone = r.data.ID;
  ASSERT_GT(gone, 0);
  ASSERT_TRUE(engine->DeleteDisc(engine->Discs->GetDisc(engine->Discs->FindByLabel(u"Gone"))));
  ASSERT_TRUE(engine->CloseDatabase());
  engine.reset();
  WriteShortMark();
  SetEntryBytes(gone, 9, "\x77");
  OpenClosed();
  EXPECT_EQ(Errors(), 0) << ::testing::PrintToString(host.console);
  host.console.clear();
  EXPECT_TRUE(engine->Search(Files("leaf.txt")));
  EXPECT_EQ(Entries(), (std::multiset<std::string>{"Disc|/deep/inner/leaf.txt"}));
  EXPECT_EQ(Errors(), 1) << ::testing::PrintToString(host.console);
  EXPECT_EQ(Lines("E ", "reaches a record of an unknown kind"), 1);
  EXPECT_TRUE(engine->Base->ReadOnly());
  const auto found = Digests(Db());
  ExpectNothingWritten(found);
  OpenClosed();
  EXPECT_TRUE(engine->Base->ReadOnly());
  EXPECT_EQ(Errors(), 1) << ::testing::PrintToString(host.console);
}

}  // namespace
}  // namespace qv::test
