// Browsing with files read ahead on worker threads: the workers hand out
// every file as the walk's own thread would read it, through a ring that
// wraps many times, and a browse of a sound or damaged catalogue builds the
// same tree and says the same lines with and without them.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "catalogue/BrowseNames.h"
#include "catalogue/BrowseReadAhead.h"
#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"
#include "storage/Base.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

const TRecKind* KindNamed(TXBase& base, const char* name) {
  return dynamic_cast<const TRecKind*>(base.Context().KindByName(name));
}

void Digest(const TFileData* node, const std::string& path, std::ostringstream& out) {
  for (int32_t i = 0; i < node->Count(); ++i) {
    const TFileData* c = node->GetChild(i);
    out << path << c->Name << (c->IsFolder() ? "/ " : " ") << c->Size << " " << c->Date << "\n";
    if (c->IsFolder()) Digest(c, path + c->Name + "/", out);
  }
}

class BrowseReadAheadThreads : public EngineFixture {
 protected:
  // Folders d0..d{folders-1}, each with files and a sub-folder; a few names
  // shared by many files.
  void MakeDisc(int folders, int files) {
    for (int d = 0; d < folders; ++d) {
      const std::string folder = Tree("d" + std::to_string(d) + "/");
      for (int f = 0; f < files; ++f)
        MakeFile(folder + (f % 3 == 0 ? "same" + std::to_string(f % 4) : "f" + std::to_string(d * files + f)),
                 std::size_t(f + d));
      MakeFile(folder + "sub/inner.txt", 3);
    }
    AddDisc("Disc", Tree());
    ASSERT_EQ(engine->Discs->Count(), 1);
  }

  // The disc's file references in the walk's order (files of a folder, then
  // its sub-folders).
  void FileRefs(int64_t folder, std::vector<int64_t>& out) {
    TXRecData* rec = engine->Base->GetData(folder);
    ASSERT_NE(rec, nullptr);
    std::vector<int64_t> folders;
    for (int i = 0; i < rec::RefCount(rec, fld::foFiles); ++i)
      out.push_back(rec::RefAt(rec, fld::foFiles, i));
    for (int i = 0; i < rec::RefCount(rec, fld::foFolders); ++i)
      folders.push_back(rec::RefAt(rec, fld::foFolders, i));
    engine->Base->Release(rec);
    for (int64_t f : folders) FileRefs(f, out);
  }

  // A browse of disc 0 as the user sees it: the console and the tree.
  std::string Browsed(int threads) {
    engine->Discs->ReadAheadThreads = threads;
    engine->Discs->BrowsedID = -1;
    host.console.clear();
    std::ostringstream out;
    out << "browse " << engine->Browse(0) << "\n";
    for (auto& line : host.console) out << line << "\n";
    Digest(engine->Discs->BrowseRoot.get(), "/", out);
    return out.str();
  }
};

TEST_F(BrowseReadAheadThreads, HandsOutEveryFileAsTheWalkWouldReadIt) {
  MakeDisc(30, 60);
  std::vector<int64_t> refs;
  FileRefs(engine->Discs->GetDisc(0).Root, refs);
  ASSERT_GT(refs.size(), 4 * TBrowseReadAhead::kChunk);
  refs.insert(refs.begin() + 100, refs[7]);  // met twice, as a damaged folder list may have it
  TXBase& base = *engine->Base;
  const TRecKind* file = KindNamed(base, "xFile");
  const TRecKind* fileName = KindNamed(base, "xFileName");
  // Two chunks ahead at most: the ring wraps again and again.
  auto ahead = TBrowseReadAhead::Start(base, file, fileName, refs, 3, 2);
  ASSERT_NE(ahead, nullptr);
  for (std::size_t i = 0; i < refs.size(); ++i) {
    TReadFile* f = ahead->Take(i, refs[i]);
    ASSERT_NE(f, nullptr) << i;
    ASSERT_TRUE(f->error.empty() && f->nameError.empty() && !f->walkReads && !f->walkReadsName) << i;
    TXRecData* rec = base.GetData(refs[i]);
    TXRecData* name = base.GetData(rec::Ref(rec, fld::fiName));
    EXPECT_EQ(f->name, rec::Str(name, fld::nName)) << i;
    EXPECT_EQ(f->size, rec::Int(rec, fld::fiSize)) << i;
    EXPECT_EQ(f->date, rec::Date(rec, fld::fiDate)) << i;
    EXPECT_EQ(f->parent, rec::Ref(rec, fld::fiParent)) << i;
    base.Release(name);
    base.Release(rec);
  }
  // Another reference than the walk's: the walk reads that one itself.
  ahead = TBrowseReadAhead::Start(base, file, fileName, refs, 2);
  ASSERT_NE(ahead, nullptr);
  EXPECT_EQ(ahead->Take(0, refs[1]), nullptr);
  EXPECT_NE(ahead->Take(1, refs[1]), nullptr);
  // Stopped while the workers wait for room.
  ahead.reset();
}

TEST_F(BrowseReadAheadThreads, StepsAsideForChangesNotYetWritten) {
  MakeDisc(3, 10);
  std::vector<int64_t> refs;
  FileRefs(engine->Discs->GetDisc(0).Root, refs);
  TXBase& base = *engine->Base;
  const TRecKind* file = KindNamed(base, "xFile");
  const TRecKind* fileName = KindNamed(base, "xFileName");
  // A changed file record still in the pool is the one the walk must see.
  TXRecData* rec = base.GetData(refs[4]);
  rec::SetInt(rec, fld::fiSize, 123456);
  base.Unpin(rec);
  EXPECT_EQ(TBrowseReadAhead::Start(base, file, fileName, refs, 4), nullptr);
  EXPECT_NE(Browsed(4).find("123456"), std::string::npos);
  ASSERT_TRUE(base.Flush());

  // Something written once the reads began: the rest is the walk's to read.
  auto ahead = TBrowseReadAhead::Start(base, file, fileName, refs, 4);
  ASSERT_NE(ahead, nullptr);
  EXPECT_NE(ahead->Take(0, refs[0]), nullptr);
  rec = base.GetData(refs[5]);
  rec::SetInt(rec, fld::fiSize, 7);
  ASSERT_TRUE(base.Release(rec));  // saved at once
  EXPECT_EQ(ahead->Take(1, refs[1]), nullptr);
}

// A level of the tree wide enough to be read on several threads.
TEST_F(BrowseReadAheadThreads, WideFolderLevelsBrowseAsWithoutWorkers) {
  MakeDisc(300, 2);
  const std::string alone = Browsed(0);
  EXPECT_EQ(Browsed(4), alone);
  EXPECT_EQ(std::count(alone.begin(), alone.end(), '\n'), 1 + 2 + 300 * 5);  // result, info lines, nodes
}

TEST(BrowseSharedNames, FindsWhatWasPutAsAMapWould) {
  browse::SharedNames table;
  std::map<int64_t, std::string> model;
  uint64_t x = 88172645463325252ull;
  for (int i = 0; i < 5000; ++i) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    const int64_t id = int64_t(x % 20000) + 1;  // repeats: a put replaces
    if (i % 3 == 0) {
      table.Put(id, browse::SharedName{nullptr, std::to_string(i), {}});
      model[id] = std::to_string(i);
    }
    browse::SharedName* found = table.Find(id);
    auto it = model.find(id);
    ASSERT_EQ(found != nullptr, it != model.end()) << id;
    if (found) {
      ASSERT_EQ(found->name, it->second) << id;
    }
  }
}

// Damage at many places of the data file and the global index: whatever a
// browse makes of it, it makes the same with files read ahead.
TEST_F(BrowseReadAheadThreads, DamagedCataloguesBrowseAlikeWithAndWithoutWorkers) {
  MakeDisc(6, 40);
  // A file whose name no longer refers back, and a file of another folder.
  std::vector<int64_t> refs;
  FileRefs(engine->Discs->GetDisc(0).Root, refs);
  TXRecData* rec = engine->Base->GetData(refs[50]);
  rec::SetRef(rec, fld::fiName, [&] {
    TXRecData* other = engine->Base->GetData(refs[51]);
    int64_t n = rec::Ref(other, fld::fiName);
    engine->Base->Release(other);
    return n;
  }());
  ASSERT_TRUE(engine->Base->Release(rec));
  rec = engine->Base->GetData(refs[120]);
  rec::SetRef(rec, fld::fiParent, refs[3]);
  ASSERT_TRUE(engine->Base->Release(rec));
  // The same for two sub-folders: d0/sub is named with d2's name, d5/sub
  // claims d4 as its parent.
  auto foldersOf = [&](int64_t id) {
    TXRecData* r = engine->Base->GetData(id);
    std::vector<int64_t> out;
    for (int i = 0; i < rec::RefCount(r, fld::foFolders); ++i)
      out.push_back(rec::RefAt(r, fld::foFolders, i));
    engine->Base->Release(r);
    return out;
  };
  const std::vector<int64_t> tops = foldersOf(engine->Discs->GetDisc(0).Root);
  ASSERT_EQ(tops.size(), 6u);
  rec = engine->Base->GetData(tops[2]);
  const int64_t otherName = rec::Ref(rec, fld::foName);
  engine->Base->Release(rec);
  rec = engine->Base->GetData(foldersOf(tops[0]).at(0));
  rec::SetRef(rec, fld::foName, otherName);
  ASSERT_TRUE(engine->Base->Release(rec));
  rec = engine->Base->GetData(foldersOf(tops[5]).at(0));
  rec::SetRef(rec, fld::foParent, tops[4]);
  ASSERT_TRUE(engine->Base->Release(rec));
  ASSERT_TRUE(engine->Base->Flush());
  const std::string sound = Browsed(0);
  for (const char* said : {"the name of file", "the name of folder", "file \"", "folder \""})
    EXPECT_NE(sound.find(said), std::string::npos) << said << "\n" << sound;
  ASSERT_TRUE(engine->CloseDatabase());
  const fs::path db = host.folder;
  const fs::path pristine = dir / "pristine";
  fs::copy(db, pristine, fs::copy_options::recursive);

  int cases = 0, differing = 0;
  for (const char* file : {"storage.vlm", "index.vlm"}) {
    const auto size = fs::file_size(pristine / file);
    for (int k = 1; k <= 24; ++k) {
      fs::remove_all(db);
      fs::copy(pristine, db, fs::copy_options::recursive);
      {
        std::fstream f(db / file, std::ios::in | std::ios::out | std::ios::binary);
        const std::streamoff at = std::streamoff(size * std::uintmax_t(k) / 25);
        f.seekg(at);
        char c = 0;
        f.read(&c, 1);
        c = char(c ^ (k % 2 ? 0x41 : 0x08));
        f.seekp(at);
        f.write(&c, 1);
      }
      engine = std::make_unique<TEngine>(host, QV_TEST_APP_DIR);
      if (!engine->OpenDatabase("secret") || engine->Discs->Count() == 0) continue;
      const std::string alone = Browsed(0);
      const std::string ahead = Browsed(4);
      EXPECT_EQ(alone, ahead) << file << " damaged at " << k << "/25";
      differing += alone != sound;
      ++cases;
      engine->CloseDatabase();
    }
  }
  EXPECT_GE(cases, 30);
  EXPECT_GE(differing, 10);  // most damage really reaches the walk
}

}  // namespace
}  // namespace qv::test
