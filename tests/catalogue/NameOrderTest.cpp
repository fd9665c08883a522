// The name order is recorded with the catalogue: an index sorted under
// another order, or a catalogue that recorded none, is sorted again at
// opening, with one console line, and the record is brought up to date.
#include <fstream>
#include <iterator>

#include "catalogue/Names.h"
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
    EXPECT_TRUE(host.HasLine("E Disc labeled \"ZED\" is already in the database\""));
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
