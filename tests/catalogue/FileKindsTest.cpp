// The file-type table: lookups by whole extension words, copying, and the
// round trip through section "FILETYPES" of the settings.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "catalogue/FileKinds.h"
#include "catalogue/Settings.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "tests/common/TempDir.h"

namespace qv {
namespace {

using test::TempDir;

TEST(FileKinds, DefaultTable) {
  TFileKinds k;
  k.LoadDefaults();
  ASSERT_EQ(k.Count(), 10);
  EXPECT_EQ(k.GetItem(0).Name, "Application");
  EXPECT_EQ(k.GetItem(6).Name, "CD Image");
  EXPECT_EQ(k.GetItem(9).Exts, "bak tmp old chk $$$ temp ~pas ~dfm ~ddp");
  EXPECT_EQ(k.IndexOf("HTM"), 8);
  EXPECT_EQ(k.KindName("xyz"), "File");
  EXPECT_EQ(k.KindName("Jpg"), "Picture");
  EXPECT_FALSE(k.IsSelected("tmp"));
  EXPECT_TRUE(k.IsSelected("exe"));
  EXPECT_FALSE(k.IsSelected(""));
  EXPECT_EQ(k.IndexOf(""), -1);
  EXPECT_EQ(k.IndexOf("$$$"), 9);
}

TEST(FileKinds, AnExtensionMatchesWholeWordsOnly) {
  TFileKinds k;
  k.LoadDefaults();
  EXPECT_EQ(k.IndexOf("c"), 3);  // "Program", not the "c" inside "com"
  EXPECT_EQ(k.IndexOf("C"), 3);
  EXPECT_EQ(k.IndexOf("m"), 7);  // "Document", not the "m" inside "com"
  EXPECT_EQ(k.IndexOf("ar"), -1);
  EXPECT_EQ(k.IndexOf("om"), -1);
  EXPECT_EQ(k.IndexOf("exe com"), -1);
  EXPECT_EQ(k.IndexOf("mp2"), 5);
}

TEST(FileKinds, EditingKeepsExtensionsInLowerCase) {
  TFileKinds k;
  EXPECT_EQ(k.Add("Mine", "ABC  Def", true), 0);
  EXPECT_EQ(k.GetItem(0).Exts, "abc  def");
  EXPECT_EQ(k.IndexOf("DEF"), 0);
  k.GetItem(0).SetExts("ÄÖ X");
  EXPECT_EQ(k.GetItem(0).Exts, "äö x");
  EXPECT_EQ(k.Add("Second", "x y", false), 1);
  EXPECT_EQ(k.IndexOf("x"), 0);  // the first type wins

  TFileKinds copy;
  copy.LoadDefaults();
  copy.Assign(k);
  ASSERT_EQ(copy.Count(), 2);
  copy.GetItem(0).Name = "Changed";
  EXPECT_EQ(k.GetItem(0).Name, "Mine");
  k.Delete(0);
  EXPECT_EQ(k.IndexOf("x"), 0);
  EXPECT_THROW(k.GetItem(1), EAssertionFailed);
}

TEST(FileKinds, SnapshotIndexAgreesWithTheTable) {
  TFileKinds k;
  k.LoadDefaults();
  k.Add("Dup", "txt ZIP neu", true);
  k.GetItem(2).Selected = false;
  TFileKindIndex index(k);
  std::vector<std::string> probes = {"",    "c",   "C",   "m",   "com",  "ZIP",
                                     "neu", "NEU", "xyz", "$$$", "~pas", "co"};
  std::mt19937 rng(3);
  for (int i = 0; i < 500; ++i) {
    std::string s;
    for (int n = std::uniform_int_distribution<int>(1, 3)(rng); n > 0; --n)
      s += "acmpstxzCMT"[std::uniform_int_distribution<int>(0, 10)(rng)];
    probes.push_back(s);
  }
  for (auto& p : probes) {
    EXPECT_EQ(index.IndexOf(p), k.IndexOf(p)) << p;
    EXPECT_EQ(index.IsSelected(p), k.IsSelected(p)) << p;
  }
}

TEST(FileKinds, NameExt) {
  EXPECT_EQ(NameExt("a.tar.gz"), "gz");
  EXPECT_EQ(NameExt("noext"), "");
  EXPECT_EQ(NameExt("trailing."), "");
}

class FileKindsSettings : public ::testing::Test {
 protected:
  std::unique_ptr<TStorage> NewStorage() { return std::make_unique<TStorage>(dir / "s.ini", true); }
  std::string FileText() {
    std::string data;
    ReadWholeFile(dir / "s.ini", data);
    return data;
  }
  TempDir dir;
};

TEST_F(FileKindsSettings, FirstRunGetsTheDefaultsLaterRunsKeepAnEmptyTable) {
  {
    auto s = NewStorage();
    ASSERT_TRUE(s->FirstRun);
    TFileKinds k;
    EXPECT_TRUE(k.Load(*s));
    EXPECT_EQ(k.Count(), 10);
    EXPECT_TRUE(k.Save(*s));
    k.Clear();
    k.Load(*s);
    EXPECT_EQ(k.Count(), 10);
    k.Clear();
    k.Save(*s);  // Count=0
  }
  auto s = NewStorage();
  ASSERT_FALSE(s->FirstRun);
  TFileKinds k;
  EXPECT_TRUE(k.Load(*s));
  EXPECT_EQ(k.Count(), 0);
}

TEST_F(FileKindsSettings, SavedFormat) {
  auto s = NewStorage();
  TFileKinds k;
  k.LoadDefaults();
  k.Save(*s);
  std::string text = FileText();
  EXPECT_NE(text.find("[FILETYPES]\nCount=10\nF00N=\"Application\"\nF00E=\"exe com bat dll\"\nF00S=1\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("F09N=\"Temporary\"\n"), std::string::npos);
  EXPECT_NE(text.find("F09S=0\n"), std::string::npos);
}

TEST_F(FileKindsSettings, RoundTripKeepsBlanksQuotesAndFlags) {
  auto s = NewStorage();
  TFileKinds k;
  for (int i = 0; i < 20; ++i) k.Add(" Type " + std::to_string(i) + " ", "e" + std::to_string(i), i % 3 == 0);
  k.Add("\"quoted\"", " a  b ", false);
  k.Save(*s);
  TFileKinds back;
  ASSERT_TRUE(back.Load(*s));
  ASSERT_EQ(back.Count(), k.Count());
  for (int i = 0; i < k.Count(); ++i) {
    EXPECT_EQ(back.GetItem(i).Name, k.GetItem(i).Name);
    EXPECT_EQ(back.GetItem(i).Exts, k.GetItem(i).Exts);
    EXPECT_EQ(back.GetItem(i).Selected, k.GetItem(i).Selected);
  }
  EXPECT_NE(FileText().find("F13N="), std::string::npos);  // keys count in hexadecimal
}

TEST_F(FileKindsSettings, CountBeyondTheStoredTypesStopsWithFalse) {
  auto s = NewStorage();
  TFileKinds k;
  k.LoadDefaults();
  k.Save(*s);
  s->Open("FILETYPES", false);
  s->WriteInteger("Count", 12);
  s->Close();
  TFileKinds back;
  EXPECT_FALSE(back.Load(*s));
  EXPECT_EQ(back.Count(), 10);  // the types before the first missing name stay

  s->Open("FILETYPES", false);
  s->WriteString("F04E", "");  // a type without extensions stops the load too
  s->Close();
  EXPECT_FALSE(back.Load(*s));
  EXPECT_EQ(back.Count(), 4);
}

TEST_F(FileKindsSettings, GlobalStoreIsUsedWhenNoneIsGiven) {
  Storage = NewStorage();
  TFileKinds k;
  k.Add("One", "one", true);
  EXPECT_TRUE(k.Save());
  TFileKinds back;
  EXPECT_TRUE(back.Load());
  EXPECT_EQ(back.Count(), 1);
  Storage.reset();
}

}  // namespace
}  // namespace qv
