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
#include "storage/Base.h"
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
std::map<std::string, std::string> Snapshot(const std::string& folder) {
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
  void FlagDeleted(int64_t id) {
    std::string index = ReadFile(Db("index.vlm"));
    ASSERT_LT(std::size_t(id) * 16 + 12, index.size());
    index[std::size_t(id) * 16 + 12] |= 2;
    WriteFile(Db("index.vlm"), index);
  }

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
    auto now = Snapshot(Db());
    // The open marker in xbase.vlm is the only change a session makes.
    now.erase("xbase.vlm");
    auto before = found;
    before.erase("xbase.vlm");
    EXPECT_EQ(now, before);
  }
};

TEST_F(ReadDamageTest, ADeletedFolderNameUnderALiveFolderIsDamageNotAnEmptyName) {
  const int64_t dir1 = NameID("dir1", true);
  DamageAndReopen([&] { FlagDeleted(dir1); });
  const auto found = Snapshot(Db());
  host.console.clear();
  EXPECT_TRUE(engine->Search(Files("f1_7*.txt")));
  for (auto& e : Entries()) EXPECT_EQ(e.find("//"), std::string::npos) << e;
  EXPECT_GE(Errors(), 1);
  EXPECT_TRUE(engine->Base->ReadOnly());
  // Files elsewhere are found as before.
  EXPECT_TRUE(engine->Search(Files("f2_7.txt")));
  EXPECT_EQ(Entries(), (std::multiset<std::string>{"Disc|/dir2/f2_7.txt"}));
  // The browser does not show the folder under an empty name either.
  EXPECT_TRUE(engine->Browse(0));
  for (int i = 0; i < engine->Discs->BrowseRoot->Count(); ++i)
    EXPECT_FALSE(engine->Discs->BrowseRoot->GetChild(i)->Name.empty());
  ExpectNothingWritten(found);
}

TEST_F(ReadDamageTest, ADeletedParentFolderIsDamage) {
  // The folder "inner" has its own record; its parent "deep" is flagged.
  const int64_t leafName = NameID("leaf.txt", false);
  ASSERT_EQ(host.rows.size(), 2u);
  const int64_t leaf = host.rows[1].data.ID;
  (void)leafName;
  TXRecData* rec = engine->Base->GetData(leaf);
  ASSERT_NE(rec, nullptr);
  const int64_t inner = rec::Ref(rec, fld::fiParent);
  engine->Base->Release(rec);
  rec = engine->Base->GetData(inner);
  const int64_t deep = rec::Ref(rec, fld::foParent);
  engine->Base->Release(rec);
  DamageAndReopen([&] { FlagDeleted(deep); });
  host.console.clear();
  EXPECT_TRUE(engine->Search(Files("leaf.txt")));
  for (auto& e : Entries()) EXPECT_NE(e, "Disc|/inner/leaf.txt");
  EXPECT_GE(Errors(), 1);
  EXPECT_TRUE(engine->Base->ReadOnly());
}

TEST_F(ReadDamageTest, AShortenedDataFileTurnsTheCatalogueReadOnly) {
  DamageAndReopen([&] { fs::resize_file(Db("storage.vlm"), fs::file_size(Db("storage.vlm")) - 300); });
  const auto found = Snapshot(Db());
  host.console.clear();
  engine->Search(Files("*.txt"));
  EXPECT_GE(Errors(), 1);
  EXPECT_TRUE(engine->Base->ReadOnly());
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
  EXPECT_EQ(Errors(), 1) << ::testing::PrintToString(host.console);
  EXPECT_TRUE(engine->Base->ReadOnly());
}

TEST_F(ReadDamageTest, AnAddThatMeetsDamageStopsWritingAndDoesNotSayDone) {
  const std::size_t size = fs::file_size(Db("storage.vlm"));
  DamageAndReopen([&] { Overwrite(size / 2, 256); });
  EXPECT_FALSE(engine->Base->ReadOnly());  // nothing read at the open lies there
  host.console.clear();
  AddDisc("Again", Tree("disc"));  // its names are read from the damaged stretch
  EXPECT_TRUE(engine->Base->ReadOnly());
  ASSERT_FALSE(host.console.empty());
  EXPECT_EQ(host.console.back().rfind("E The database is damaged: record", 0), 0u) << host.console.back();
  for (auto& l : host.console) EXPECT_NE(l.rfind("I Done", 0), 0u);
  const auto found = Snapshot(Db());
  ExpectNothingWritten(found);
}

}  // namespace
}  // namespace qv::test
