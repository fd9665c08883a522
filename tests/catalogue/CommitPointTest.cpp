// The catalogue's commit point as a user meets it: a disc another writer
// added (keeping to the stored format, which removes the commit mark it does
// not keep up) keeps every search row; damage a search found keeps the
// catalogue read-only in the next session, so no ID is handed out again.
#include <filesystem>

#include "classlib/IniFiles.h"
#include "platform/Files.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class CommitPoint : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    for (int d = 0; d < 3; ++d)
      for (int f = 0; f < 4; ++f) {
        MakeFile(Tree("first/d" + std::to_string(d) + "/f" + std::to_string(f) + ".txt"));
        MakeFile(Tree("second/s" + std::to_string(d) + "/f" + std::to_string(f) + ".txt"), f);
      }
    MakeFile(Tree("third/t.txt"));
    AddDisc("First", Tree("first"));
  }
  std::string File(const std::string& name) const { return host.folder + "/" + name; }
  static std::multiset<std::string> Of(const std::multiset<std::string>& all, const std::string& disc) {
    std::multiset<std::string> out;
    for (const std::string& e : all)
      if (e.rfind(disc + "|", 0) == 0) out.insert(e);
    return out;
  }
};

TEST_F(CommitPoint, ADiscAnotherWriterAddedKeepsEveryRow) {
  ASSERT_TRUE(engine->CloseDatabase());
  std::string description;
  ASSERT_TRUE(ReadWholeFile(File("xbase.vlm"), description));
  ASSERT_TRUE(engine->OpenDatabase("secret"));
  AddDisc("Second", Tree("second"));
  const std::multiset<std::string> both = All();
  ASSERT_EQ(Of(both, "Second").size(), 12u);
  ASSERT_TRUE(engine->CloseDatabase());
  // The writer leaves [ENGINE] as it was, but for the mark of a commit that
  // is no longer the last.
  ASSERT_TRUE(WriteFileAtomic(File("xbase.vlm"), description));
  {
    TMemIniFile ini(File("xbase.vlm"));
    ini.DeleteKey("ENGINE", "Commit");
    ASSERT_TRUE(ini.UpdateFile());
  }
  const int64_t index = FileSizeOf(File("index.vlm"));

  host.console.clear();
  ASSERT_TRUE(engine->OpenDatabase("secret"));
  EXPECT_TRUE(ConsoleHas("past the last commit")) << testing::PrintToString(host.console);
  EXPECT_FALSE(engine->Base->ReadOnly()) << engine->Base->DamageText();
  EXPECT_EQ(FileSizeOf(File("index.vlm")), index);
  EXPECT_EQ(All(), both);
  AddDisc("Third", Tree("third"));
  const std::multiset<std::string> all = All();
  EXPECT_EQ(Of(all, "First"), Of(both, "First"));
  EXPECT_EQ(Of(all, "Second"), Of(both, "Second"));
  EXPECT_EQ(Of(all, "Third").size(), 1u);
  Reopen();
  EXPECT_EQ(All(), all);
}

// index.vlm cut short together with its count, as an earlier version cut it
// after a crash: the first search finds references past its end.
TEST_F(CommitPoint, DamageASearchFoundIsRememberedByTheNextSession) {
  AddDisc("Second", Tree("second"));
  ASSERT_TRUE(engine->CloseDatabase());
  const int64_t entries = FileSizeOf(File("index.vlm")) / 16 - 6;
  fs::resize_file(File("index.vlm"), uintmax_t(entries) * 16);
  // The sorted indexes are rebuilt from it, as after a crash.
  for (const auto& e : fs::directory_iterator(host.folder))
    if (e.path().extension() == ".idx") fs::remove(e.path());
  {
    TMemIniFile ini(File("xbase.vlm"));
    ini.WriteString("ENGINE", "Entries", std::to_string(entries));
    ini.DeleteKey("ENGINE", "Commit");
    ASSERT_TRUE(ini.UpdateFile());
  }
  ASSERT_TRUE(engine->OpenDatabase("secret"));
  ASSERT_FALSE(engine->Base->ReadOnly()) << engine->Base->DamageText();
  All();
  EXPECT_TRUE(ConsoleHas("lies past the end of the global index")) << testing::PrintToString(host.console);
  EXPECT_TRUE(engine->Base->ReadOnly());

  host.console.clear();
  Reopen();
  EXPECT_TRUE(engine->Base->ReadOnly());
  EXPECT_TRUE(ConsoleHas("a stored reference lies past the end of index.vlm"))
      << testing::PrintToString(host.console);
  AddDisc("Third", Tree("third"));
  EXPECT_EQ(FileSizeOf(File("index.vlm")), entries * 16);
  EXPECT_TRUE(Of(All(), "Third").empty());
}

}  // namespace
}  // namespace qv::test
