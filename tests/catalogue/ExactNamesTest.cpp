// Stored names keep their spelling: names that differ only in letter case
// (also through Unicode folding) are records of their own, search still folds
// case, and rows carry the stored bytes so that a hit can be located even in
// a folder whose name is not valid UTF-8.
#include "catalogue/Names.h"
#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

class ExactNames : public EngineFixture {
 protected:
  // Every name of an index in index order.
  std::vector<std::string> IndexNames(TXIndex* index) {
    std::vector<std::string> out;
    for (int i = 0; i < index->Count(); ++i) {
      TXRecData* rec = engine->Base->GetData(index->GetItem(i));
      out.push_back(rec ? rec::Str(rec, fld::nName) : "<unreadable>");
      engine->Base->Release(rec);
    }
    return out;
  }

  // Both name indexes are strictly ordered: folded first, exact second, and
  // no spelling twice.
  void CheckOrder() {
    for (TXIndex* index : {engine->FileNameIndex, engine->FolderNameIndex}) {
      auto names = IndexNames(index);
      for (std::size_t i = 1; i < names.size(); ++i)
        EXPECT_LT(CompareStoredNames(names[i - 1], names[i]), 0) << names[i - 1] << " / " << names[i];
    }
  }

  const RecordingHost::Row* EntryOf(const std::string& name) const {
    for (auto& r : host.rows)
      if (r.parent >= 0 && host.rows[std::size_t(r.parent)].data.StoredName == name) return &r;
    return nullptr;
  }
};

TEST_F(ExactNames, CaseVariantsKeepTheirSpelling) {
  MakeFile(Tree("C++/y.h"));
  MakeFile(Tree("include/c++/12/x.h"));
  MakeFile(Tree("one/README"), 1);
  MakeFile(Tree("one/readme"), 2);
  AddDisc("D1", Tree());
  MakeFile(Tree("two/Readme"), 3);
  MakeFile(Tree("two/README"), 4);
  AddDisc("D2", Tree("two"));
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(engine->Search(Files("readme")));
    EXPECT_EQ(Groups(), (std::set<std::string>{"README", "Readme", "readme"}));
    EXPECT_EQ(Entries(),
              (std::multiset<std::string>{"D1|/one/README", "D1|/one/readme", "D2|/README", "D2|/Readme"}));
    ASSERT_TRUE(engine->Search(Files("?.H")));
    EXPECT_EQ(Entries(), (std::multiset<std::string>{"D1|/C++/y.h", "D1|/include/c++/12/x.h"}));
    TSearchOpts folders;
    folders.FolderMask = "c++";
    ASSERT_TRUE(engine->Search(folders));
    EXPECT_EQ(Groups(), (std::set<std::string>{"C++", "c++"}));
    CheckOrder();
    Reopen();  // the same from the index files
  }
  // A third disc finds the existing spellings instead of making new ones.
  const int names = engine->FileNameIndex->Count();
  MakeFile(Tree("three/README"));
  MakeFile(Tree("three/readme"));
  AddDisc("D3", Tree("three"));
  EXPECT_EQ(engine->FileNameIndex->Count(), names);
}

// An add right after opening finds its names through index probes that read
// the stored names, and one after a deletion does not meet the pruned names.
TEST_F(ExactNames, AddsAfterReopenAndDeletionFindTheStoredSpellings) {
  for (int i = 0; i < 60; ++i) {
    const std::string n = std::to_string(i * 7919 % 1000);
    MakeFile(Tree("a/f" + n + ".txt"));
    MakeFile(Tree("a/F" + n + ".txt"));
  }
  AddDisc("D1", Tree("a"));
  Reopen();
  const int names = engine->FileNameIndex->Count();
  AddDisc("D2", Tree("a"));
  EXPECT_EQ(engine->FileNameIndex->Count(), names);
  MakeFile(Tree("a/f0.TXT"));
  MakeFile(Tree("a/zz.txt"));
  AddDisc("D3", Tree("a"));
  EXPECT_EQ(engine->FileNameIndex->Count(), names + 2);
  CheckOrder();
  for (const char16_t* label : {u"D1", u"D3"})
    ASSERT_TRUE(engine->DeleteDisc(engine->Discs->GetDisc(engine->Discs->FindByLabel(label))));
  ASSERT_TRUE(engine->Search(Files("*")));  // prunes the names only the deleted discs used
  EXPECT_EQ(engine->FileNameIndex->Count(), names);
  MakeFile(Tree("b/zz.txt"));
  AddDisc("D4", Tree("b"));
  CheckOrder();
  ASSERT_TRUE(engine->Search(Files("zz.txt")));
  EXPECT_EQ(Entries(), (std::multiset<std::string>{"D4|/zz.txt"}));
  EXPECT_EQ(engine->FileNameIndex->Count(), names + 1);
}

// In the session that made the catalogue, names are known without searching
// the index; they must still be shared, and found again once pruned.
TEST_F(ExactNames, AddsInTheCreatingSessionShareAndReuseNames) {
  for (int i = 0; i < 60; ++i) {
    const std::string n = std::to_string(i * 7919 % 1000);
    MakeFile(Tree("a/f" + n + ".txt"));
    MakeFile(Tree("a/F" + n + ".txt"));
  }
  MakeFile(Tree("b/other.txt"));
  AddDisc("Kept", Tree("b"));
  AddDisc("D1", Tree("a"));
  const int names = engine->FileNameIndex->Count();
  AddDisc("D2", Tree("a"));
  EXPECT_EQ(engine->FileNameIndex->Count(), names);
  MakeFile(Tree("a/f0.TXT"));
  MakeFile(Tree("a/zz.txt"));
  AddDisc("D3", Tree("a"));
  EXPECT_EQ(engine->FileNameIndex->Count(), names + 2);
  for (const char16_t* label : {u"D1", u"D2", u"D3"})
    ASSERT_TRUE(engine->DeleteDisc(engine->Discs->GetDisc(engine->Discs->FindByLabel(label))));
  ASSERT_TRUE(engine->Search(Files("*")));  // prunes every name but other.txt
  EXPECT_EQ(engine->FileNameIndex->Count(), 1);
  AddDisc("D4", Tree("a"));
  AddDisc("D5", Tree("a"));
  EXPECT_EQ(engine->FileNameIndex->Count(), names + 2);  // as before the deletion
  CheckOrder();
  ASSERT_TRUE(engine->Search(Files("zz.txt")));
  EXPECT_EQ(Entries(), (std::multiset<std::string>{"D4|/zz.txt", "D5|/zz.txt"}));
}

TEST_F(ExactNames, UnicodeFoldingKeepsEverySpelling) {
  // Final sigma, small sigma and capital sigma fold alike; so do long s and s.
  const std::vector<std::string> names = {"\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3.txt",
                                          "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82.txt",
                                          "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x83.txt",
                                          "\xC5\xBFtar.txt",
                                          "star.txt",
                                          "STAR.txt"};
  for (std::size_t i = 0; i < names.size(); ++i) MakeFile(Tree("u/" + names[i]), int64_t(i));
  AddDisc("U", Tree("u"));
  ASSERT_TRUE(engine->Search(Files("\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x83*")));
  EXPECT_EQ(Groups(), (std::set<std::string>(names.begin(), names.begin() + 3)));
  ASSERT_TRUE(engine->Search(Files("ST*")));
  EXPECT_EQ(Groups(), (std::set<std::string>(names.begin() + 3, names.end())));
  // Each entry is the file of its own spelling.
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_TRUE(engine->Search(Files(names[i])));
    const RecordingHost::Row* row = EntryOf(names[i]);
    ASSERT_NE(row, nullptr) << names[i];
    EXPECT_EQ(row->data.Size, int64_t(i));
  }
  CheckOrder();
}

TEST_F(ExactNames, LocatingPrefersTheExactFolder) {
  MakeFile(Tree("Docs/a1.txt"));
  MakeFile(Tree("docs/b2.txt"));
  AddDisc("L", Tree());
  ASSERT_TRUE(engine->Search(Files("b2.txt")));
  const RecordingHost::Row* row = EntryOf("b2.txt");
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->data.StoredPath, "/docs/");
  ASSERT_TRUE(engine->LocateInBrowser("b2.txt", row->data));
  ASSERT_NE(host.shownFolder, nullptr);
  EXPECT_EQ(host.shownFolder->Name, "docs");
  ASSERT_TRUE(engine->Search(Files("a1.txt")));
  ASSERT_NE(EntryOf("a1.txt"), nullptr);
  ASSERT_TRUE(engine->LocateInBrowser("a1.txt", EntryOf("a1.txt")->data));
  EXPECT_EQ(host.shownFolder->Name, "Docs");
  // Without an exact match, a path in another case of a to z still finds a folder.
  EXPECT_NE(engine->Discs->FindFolder("/DOCS/"), nullptr);
}

TEST_F(ExactNames, NamesThatAreNotUtf8CanBeFoundAndLocated) {
  const std::string folder = "bad\xFF", file = "f\xFE.txt";
  MakeFile(Tree(folder + "/in.txt"), 7);
  MakeFile(Tree(folder + "/" + file), 8);
  AddDisc("B", Tree());
  ASSERT_TRUE(engine->Search(Files("in.txt")));
  const RecordingHost::Row* row = EntryOf("in.txt");
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->data.StoredPath, "/" + folder + "/");
  EXPECT_EQ(row->data.Path, u"/bad\uFFFD/");  // shown with a replacement character
  ASSERT_TRUE(engine->LocateInBrowser("in.txt", row->data));
  ASSERT_NE(host.shownFolder, nullptr);
  EXPECT_EQ(host.shownFolder->Name, folder);

  ASSERT_TRUE(engine->Search(Files("f*")));
  ASSERT_NE(EntryOf(file), nullptr);
  EXPECT_EQ(EntryOf(file)->data.Size, 8);
  Reopen();
  ASSERT_TRUE(engine->Search(Files("f?.txt")));
  EXPECT_EQ(Groups(), (std::set<std::string>{"f\uFFFD.txt"}));
  CheckOrder();
}

}  // namespace
}  // namespace qv::test
