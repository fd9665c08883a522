// Browsing a stored disc whose names are shared by many files and folders:
// a damaged name link is still caught on every node, whichever node of the
// name was met first.
#include <algorithm>
#include <map>

#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"
#include "classlib/SysUtils.h"
#include "storage/Base.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

class DiscBrowseTest : public EngineFixture {
 protected:
  // Stored record IDs of the disc's folders and files by path ("d3/same.txt").
  void Collect(int64_t folder, const std::string& path) {
    TXRecData* rec = engine->Base->GetData(folder);
    ASSERT_NE(rec, nullptr);
    std::vector<int64_t> files, folders;
    for (int i = 0; i < rec::RefCount(rec, fld::foFiles); ++i)
      files.push_back(rec::RefAt(rec, fld::foFiles, i));
    for (int i = 0; i < rec::RefCount(rec, fld::foFolders); ++i)
      folders.push_back(rec::RefAt(rec, fld::foFolders, i));
    engine->Base->Release(rec);
    for (int64_t f : files) ids[path + NameOf(f, fld::fiName)] = f;
    for (int64_t f : folders) {
      std::string sub = path + NameOf(f, fld::foName) + "/";
      ids[sub] = f;
      Collect(f, sub);
    }
  }
  std::string NameOf(int64_t id, int field) {
    TXRecData* rec = engine->Base->GetData(id);
    int64_t nameId = rec::Ref(rec, field);
    engine->Base->Release(rec);
    TXRecData* name = engine->Base->GetData(nameId);
    std::string text = rec::Str(name, fld::nName);
    engine->Base->Release(name);
    nameIds[text] = nameId;
    return text;
  }
  void Digest(const TFileData* node, const std::string& path, std::vector<std::string>& out) {
    for (int32_t i = 0; i < node->Count(); ++i) {
      const TFileData* c = node->GetChild(i);
      out.push_back(path + c->Name + (c->IsFolder() ? "/" : ""));
      if (c->IsFolder()) Digest(c, path + c->Name + "/", out);
    }
  }
  int Errors() const {
    return int(std::count_if(host.console.begin(), host.console.end(),
                             [](const std::string& l) { return l.rfind("E ", 0) == 0; }));
  }

  std::map<std::string, int64_t> ids;
  std::map<std::string, int64_t> nameIds;
};

TEST_F(DiscBrowseTest, SharedNamesStillCheckEveryNodesBackReference) {
  for (int d = 0; d < 10; ++d) {
    const std::string folder = Tree("d" + std::to_string(d) + "/");
    MakeFile(folder + "same.txt", 10);
    MakeFile(folder + "own" + std::to_string(d) + ".txt", 20);
    MakeFile(folder + "sub/same.txt", 30);
  }
  AddDisc("Shared", Tree());
  ASSERT_EQ(engine->Discs->Count(), 1);
  Collect(engine->Discs->GetDisc(0).Root, "");
  ASSERT_EQ(ids.size(), 50u);

  // The shared file name loses its link to d3/same.txt; d5/own5.txt is
  // pointed at the shared folder name "sub"; d7/sub/ loses its link too.
  TXRecData* shared = engine->Base->GetData(nameIds["same.txt"]);
  TXArrData* refs = rec::Arr(shared, fld::nRefs);
  std::vector<int64_t> kept;
  for (int i = 0; i < refs->Count(); ++i)
    if (refs->GetRef(i) != ids["d3/same.txt"]) kept.push_back(refs->GetRef(i));
  ASSERT_EQ(kept.size(), 19u);
  refs->Clear();
  for (int64_t id : kept) refs->AddRef(id);
  ASSERT_TRUE(engine->Base->Release(shared));
  TXRecData* sub = engine->Base->GetData(nameIds["sub"]);
  refs = rec::Arr(sub, fld::nRefs);
  kept.clear();
  for (int i = 0; i < refs->Count(); ++i)
    if (refs->GetRef(i) != ids["d7/sub/"]) kept.push_back(refs->GetRef(i));
  ASSERT_EQ(kept.size(), 9u);
  refs->Clear();
  for (int64_t id : kept) refs->AddRef(id);
  ASSERT_TRUE(engine->Base->Release(sub));
  TXRecData* own = engine->Base->GetData(ids["d5/own5.txt"]);
  rec::SetRef(own, fld::fiName, nameIds["sub"]);
  ASSERT_TRUE(engine->Base->Release(own));
  ASSERT_TRUE(engine->Base->Flush());

  Reopen();
  host.console.clear();
  ASSERT_TRUE(engine->Browse(0));
  EXPECT_EQ(Errors(), 3) << ::testing::PrintToString(host.console);
  std::vector<std::string> seen;
  Digest(engine->Discs->BrowseRoot.get(), "", seen);
  std::vector<std::string> expected;
  for (auto& [path, id] : ids)
    if (path != "d3/same.txt" && path != "d5/own5.txt" && path.rfind("d7/sub/", 0) != 0)
      expected.push_back(path);
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, expected);
  auto said = [&](const std::string& part) {
    return std::any_of(host.console.begin(), host.console.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
  };
  EXPECT_TRUE(
      said("the name of file \"" + IntToHex(uint64_t(ids["d3/same.txt"]), 16) + "\" does not refer back"));
  EXPECT_TRUE(
      said("the name of folder \"" + IntToHex(uint64_t(ids["d7/sub/"]), 16) + "\" does not refer back"));
  EXPECT_TRUE(said("instead of \"xFileName\""));
}

}  // namespace
}  // namespace qv::test
