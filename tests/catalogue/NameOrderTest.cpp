// The name order is recorded with the catalogue: an index sorted under
// another order, or a catalogue that recorded none, is sorted again at
// opening, with one console line, and the record is brought up to date.
#include <fstream>
#include <iterator>
#include <set>

#include "catalogue/Names.h"
#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"
#include "classlib/IniFiles.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

class NameOrder : public EngineFixture {
 protected:
  std::string Tag() const {
    TMemIniFile ini(host.folder + "/xbase.vlm");
    return ini.ReadString("ENGINE", "Collation", "");
  }
  void SetTag(const std::string* tag) {
    TMemIniFile ini(host.folder + "/xbase.vlm");
    if (tag)
      ini.WriteString("ENGINE", "Collation", *tag);
    else
      ini.DeleteKey("ENGINE", "Collation");
    ASSERT_TRUE(ini.UpdateFile());
  }
  // Reverses the entries of an index file, as a different order would leave them.
  static void Reverse(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    ASSERT_EQ(data.size() % 8, 0u);
    std::vector<std::string> ids;
    for (std::size_t at = 8; at < data.size(); at += 8) ids.push_back(data.substr(at, 8));
    std::string out = data.substr(0, 8);
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) out += *it;
    std::ofstream(file, std::ios::binary | std::ios::trunc) << out;
  }
  int SortLines() const {
    int n = 0;
    for (auto& l : host.console) n += l.find("sorted again") != std::string::npos;
    return n;
  }
};

TEST_F(NameOrder, ADifferentOrMissingTagSortsTheIndexesAgain) {
  for (const char* name : {"alpha.txt", "Alpha.txt", "beta.txt", "BETA.TXT", "gamma.txt", "delta.txt"})
    MakeFile(Tree(std::string("t/") + name));
  AddDisc("Zed", Tree("t"));
  AddDisc("abc", Tree("t"));
  EXPECT_EQ(Tag(), NameOrderTag());
  const std::string files = engine->FileNameIndex->FileName();
  const std::string discs = engine->Discs->DiscIndex->FileName();
  ASSERT_TRUE(engine->CloseDatabase());

  const std::string forged = "forged-order/unicode-1.0";
  for (const std::string* tag : {&forged, static_cast<const std::string*>(nullptr)}) {
    Reverse(files);
    Reverse(discs);
    SetTag(tag);
    host.console.clear();
    ASSERT_TRUE(engine->OpenDatabase("secret"));
    EXPECT_EQ(SortLines(), 1);
    EXPECT_EQ(Tag(), NameOrderTag());
    // Every spelling is found again: the binary searches work on the new order.
    ASSERT_TRUE(engine->Search(Files("BETA*")));
    EXPECT_EQ(Groups(), (std::set<std::string>{"beta.txt", "BETA.TXT"}));
    EXPECT_EQ(Entries().size(), 4u);
    ASSERT_TRUE(engine->Search(Files("delta.txt")));
    EXPECT_EQ(Entries().size(), 2u);
    // Adding the same names makes no new name records.
    const int names = engine->FileNameIndex->Count();
    AddDisc("Third", Tree("t"));
    EXPECT_EQ(engine->FileNameIndex->Count(), names);
    AddDisc("ZED", Tree("t"));  // the disc index still finds labels
    EXPECT_TRUE(host.HasLine("E Disc labeled \"ZED\" is already in the database"));
    TDiscData third = engine->Discs->GetDisc(engine->Discs->FindByLabel(u"Third"));
    host.answers.assign(1, true);
    ASSERT_TRUE(engine->DeleteDisc(third));
    ASSERT_TRUE(engine->CloseDatabase());
  }
  // With the current tag, opening is quiet.
  host.console.clear();
  ASSERT_TRUE(engine->OpenDatabase("secret"));
  EXPECT_EQ(SortLines(), 0);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

using NewNames = EngineFixture;

// Every name record of the kind, once, in strictly ascending name order.
void CheckIndex(TEngine& engine, TXIndex* index, const char* kindName) {
  std::set<int64_t> live;
  const TContext& ctx = engine.Base->Context();
  engine.Base->GIndex().ForEach([&](const TXGIndexRec& e, int64_t id) {
    if (!e.IsDeleted() && ctx.KindById(int32_t(e.KindId))->Name == kindName) live.insert(id);
    return true;
  });
  std::set<int64_t> listed;
  std::string previous;
  for (int i = 0; i < index->Count(); ++i) {
    TXRecData* rec = engine.Base->FetchData(index->GetItem(i));
    ASSERT_NE(rec, nullptr);
    const std::string name = rec::Str(rec, fld::nName);
    if (i > 0) {
      EXPECT_LT(CompareStoredNames(previous, name), 0) << previous << " / " << name;
    }
    previous = name;
    EXPECT_TRUE(listed.insert(rec->ID).second) << name << " listed twice";
  }
  EXPECT_EQ(listed, live);
}

// The names an add meets first join the index when it ends, by a merge or
// one by one: either way the index is the one inserting each would give.
TEST_F(NewNames, JoinTheIndexInOrderHoweverMany) {
  const char* const stems[] = {"a",        "A",  "b",  "\xCE\xA3",  "\xCF\x82",
                               "\xCF\x83", "zz", "Zz", "m\xC3\xA9", "M\xC3\x89"};
  std::size_t sigmas = 0;  // files whose name folds to a prefix of "σ12"
  auto fill = [&](const std::string& root, int first, int count) {
    for (int i = first; i < first + count; ++i) {
      const std::string stem = stems[i % 10];
      const std::string number = std::to_string(i / 10);
      if (i % 10 >= 3 && i % 10 <= 5 && number.rfind("12", 0) == 0) ++sigmas;
      MakeFile(root + "/d" + std::to_string(i % 7) + "/" + stem + number + ".txt");
      MakeFile(root + "/" + stems[(i + 3) % 10] + "/" + stem + ".txt");  // repeated names
    }
  };
  fill(Tree("one"), 0, 400);
  AddDisc("One", Tree("one"));  // into empty indexes
  CheckIndex(*engine, engine->FileNameIndex, "xFileName");
  CheckIndex(*engine, engine->FolderNameIndex, "xFolderName");
  fill(Tree("two"), 400, 3);  // a few new names into a large index
  AddDisc("Two", Tree("two"));
  fill(Tree("three"), 1000, 300);  // many new ones into a filled index
  AddDisc("Three", Tree("three"));
  CheckIndex(*engine, engine->FileNameIndex, "xFileName");
  CheckIndex(*engine, engine->FolderNameIndex, "xFolderName");
  Reopen();
  CheckIndex(*engine, engine->FileNameIndex, "xFileName");
  ASSERT_TRUE(
      engine->Search(Files("\xCF\x83"
                           "12*")));
  EXPECT_EQ(Entries().size(), sigmas);
}

}  // namespace
}  // namespace qv::test
