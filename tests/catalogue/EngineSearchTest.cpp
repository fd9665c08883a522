// Search: results equal matching every stored name by brute force; filters at
// their limits; nested same-named folders; names pruned after a deletion.
#include <map>
#include <random>

#include "catalogue/Masks.h"
#include "catalogue/Names.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

using EngineSearch = EngineFixture;

// Names chosen to stress the index ranges: punctuation, digits, names ending
// in z/Z, Latin-1 and CJK letters in both cases, and bytes that are not UTF-8.
std::vector<std::string> NamePool() {
  return {"report",
          "Report1.txt",
          "report9.TXT",
          "reportz",
          "REPORTZ.doc",
          "rep",
          "rep-ort",
          "rep_ort.txt",
          "a.txt",
          "A.TXT",
          "b[1].txt",
          "file9",
          "file:9",
          "zz",
          "ZZtop",
          "\xC3\xA4pfel",
          "\xC3\x84PFEL.txt",
          "caf\xC3\xA9.txt",
          "\xE4\xB8\xAD\xE6\x96\x87.txt",
          "bad\xFF.txt",
          "bad\xFE",
          "x y z.txt",
          "#hash",
          "~tilde",
          "0start",
          "zebra.TXT",
          "Zebra2.txt"};
}

TEST_F(EngineSearch, MasksFindExactlyWhatBruteForceFinds) {
  std::mt19937 rng(7);
  auto pool = NamePool();
  std::set<std::string> stored;
  for (int i = 0; i < 60; ++i) {
    const std::string& n = pool[rng() % pool.size()];
    std::string folder = "d" + std::to_string(rng() % 4) + "/";
    MakeFile(Tree(folder + n), i);
    stored.insert(n);
  }
  AddDisc("D", Tree());
  const std::vector<std::string> masks = {"report*", "REP*", "rep?", "*.txt",     "[ab]*",    "[!a]*.txt",
                                          "file9*",  "zz*",  "Z*",   "\xC3\xA4*", "caf?.txt", "*z",
                                          "x y*",    "#*",   "bad*", "*",         "0*",       "[a-c]*"};
  for (const auto& mask : masks) {
    host.answers.assign(1, true);
    ASSERT_TRUE(engine->Search(Files(mask))) << mask;
    std::set<std::string> expected;
    for (const auto& n : stored)
      if (MatchesMask(n, mask)) expected.insert(n);
    // Every spelling is a name of its own; rows show bytes that are not UTF-8
    // as U+FFFD.
    std::set<std::string> shown;
    for (auto& n : expected) shown.insert(Utf16ToUtf8(Utf8ToUtf16(n)));
    EXPECT_EQ(Groups(), shown) << "mask " << mask;
  }
}

TEST_F(EngineSearch, FiltersAtTheirLimits) {
  MakeFile(Tree("s/small.txt"), 100, 1600000000);
  MakeFile(Tree("s/exact.txt"), 1000, 1600000000);
  MakeFile(Tree("s/big.txt"), 1001, 1700000000);
  AddDisc("D", Tree());
  TSearchOpts o = Files("*.txt");
  o.MinSizeOn = true, o.MinSize = 1000;
  o.MaxSizeOn = true, o.MaxSize = 1000;
  ASSERT_TRUE(engine->Search(o));
  EXPECT_EQ(Groups(), (std::set<std::string>{"exact.txt"}));
  o = Files("*.txt");
  o.MaxDateOn = true;
  o.MaxDate = UnixToLocalDateTime(1600000000);
  ASSERT_TRUE(engine->Search(o));
  EXPECT_EQ(Groups(), (std::set<std::string>{"small.txt", "exact.txt"}));
  o = Files("*.txt");
  o.Category = 3;  // the disc is in category 0
  EXPECT_FALSE(engine->Search(o));
  EXPECT_TRUE(host.HasLine("W Selected search options will deliver no results"));
}

TEST_F(EngineSearch, FolderMaskFiltersFilePathsButNotTheRoot) {
  MakeFile(Tree("top.txt"));
  MakeFile(Tree("src/in.txt"));
  MakeFile(Tree("doc/out.txt"));
  AddDisc("D", Tree());
  TSearchOpts o = Files("*.txt");
  o.FolderMask = "/src/*";
  ASSERT_TRUE(engine->Search(o));
  EXPECT_EQ(Groups(), (std::set<std::string>{"top.txt", "in.txt"}));
}

TEST_F(EngineSearch, NestedFoldersOfOneName) {
  MakeFile(Tree("src/src/src/leaf.c"));
  AddDisc("D", Tree());
  TSearchOpts o;
  o.FolderMask = "src";
  ASSERT_TRUE(engine->Search(o));
  EXPECT_EQ(Entries(), (std::multiset<std::string>{"D|/src", "D|/src/src/src", "D|/src/src"}));
  ASSERT_TRUE(engine->Search(Files("leaf.c")));
  EXPECT_EQ(Entries(), (std::multiset<std::string>{"D|/src/src/src/leaf.c"}));
}

TEST_F(EngineSearch, EstimateQuestionAndWholeIndexWalk) {
  for (int i = 0; i < 1001; ++i) MakeFile(Tree("f" + std::to_string(i)));
  AddDisc("Many", Tree());
  host.answers.assign(1, false);
  EXPECT_FALSE(engine->Search(Files("*")));
  ASSERT_EQ(host.questions.size(), 1u);
  EXPECT_EQ(host.questions[0].rfind(
                "Searching with these file and folder masks could deliver up to 1001 results!", 0),
            0u);
  ASSERT_TRUE(engine->Search(Files("f10*")));
  EXPECT_EQ(Groups().size(), 12u);  // f10, f100..f109, f1000
  // Beside a file mask, the folder mask "*" only filters the folders: no
  // question. Alone it is the search mask, and a full one.
  TSearchOpts o = Files("f10*");
  o.FolderMask = "*";
  ASSERT_TRUE(engine->Search(o));
  EXPECT_EQ(Groups().size(), 12u);
  EXPECT_EQ(host.questions.size(), 1u);
  o.FileMask = "*.*";
  host.answers.assign(1, false);
  EXPECT_FALSE(engine->Search(o));
  EXPECT_EQ(host.questions.size(), 2u);
}

// Discs added, one deleted, searched in the session that added them and
// after reopening (twice: from the records, then from what the first search
// kept), with names tested on many threads: always what the trees hold.
TEST_F(EngineSearch, ResultsAgreeWithTheTreesAcrossSessions) {
  std::mt19937 rng(3);
  auto pool = NamePool();
  // "disc|path name" -> "disc|path name|size" of every stored file; a file
  // drawn twice for one place is one file of the last size.
  std::map<std::string, std::string> last;
  const char* discs[] = {"A", "B", "C"};
  for (const char* disc : discs) {
    for (int i = 0; i < 40; ++i) {
      const std::string path = "/d" + std::to_string(rng() % 3) + "/" + (rng() % 2 ? "e/" : "");
      const std::string& n = pool[rng() % pool.size()];
      const int64_t size = int64_t(rng() % 5000);
      MakeFile(Tree(std::string(disc) + path + n), size);
      const std::string where = std::string(disc) + "|" + path + n;
      if (std::string(disc) != "B") last[where] = where + "|" + std::to_string(size);
    }
    AddDisc(disc, Tree(disc));
  }
  host.answers.assign(1, true);
  ASSERT_TRUE(engine->DeleteDisc(engine->Discs->GetDisc(engine->Discs->FindByLabel(u"B"))));
  engine->NamesPerThread = 3;
  auto check = [&](const std::string& mask, int64_t minSize) {
    TSearchOpts o = Files(mask);
    o.MinSizeOn = minSize > 0;
    o.MinSize = minSize;
    host.answers.assign(1, true);
    ASSERT_TRUE(engine->Search(o));
    std::multiset<std::string> got, want;
    for (auto& r : host.rows) {
      if (r.parent < 0) continue;
      const auto& g = host.rows[std::size_t(r.parent)].data;
      got.insert(Utf16ToUtf8(r.data.Disc) + "|" + r.data.StoredPath + g.StoredName + "|" +
                 std::to_string(r.data.Size));
    }
    for (auto& [where, m] : last) {
      const std::string name = where.substr(where.rfind('/') + 1);
      const int64_t size = std::stoll(m.substr(m.rfind('|') + 1));
      if (MatchesMask(name, mask) && size >= minSize) want.insert(m);
    }
    EXPECT_EQ(got, want) << mask << " " << minSize;
  };
  for (int session = 0; session < 3; ++session) {
    check("*", 0);
    check("*.txt", 2500);
    check("REP*", 0);
    if (session == 0) Reopen();
    engine->NamesPerThread = 3;
  }
}

TEST_F(EngineSearch, DeletedDiscNamesArePrunedWithoutSkipping) {
  MakeFile(Tree("one/aa.txt"));
  MakeFile(Tree("one/ab.txt"));
  MakeFile(Tree("one/ac.txt"));
  AddDisc("One", Tree("one"));
  MakeFile(Tree("two/ab.txt"));
  MakeFile(Tree("two/ad.txt"));
  AddDisc("Two", Tree("two"));
  ASSERT_TRUE(engine->DeleteDisc(engine->Discs->GetDisc(0)));
  ASSERT_TRUE(engine->Search(Files("a*")));
  EXPECT_EQ(Groups(), (std::set<std::string>{"ab.txt", "ad.txt"}));
  EXPECT_EQ(engine->FileNameIndex->Count(), 2);  // aa and ac pruned
  EXPECT_TRUE(host.console.end() == std::find_if(host.console.begin(), host.console.end(),
                                                 [](auto& l) { return l[0] == 'E' || l[0] == 'F'; }));
}

}  // namespace
}  // namespace qv::test
