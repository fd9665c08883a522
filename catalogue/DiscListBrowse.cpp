// Loading a stored disc's tree for the browser (its folders first, then its
// files, read ahead on worker threads), finding its folders by path, and
// deleting a disc with every folder and file record below it.
#include <algorithm>
#include <thread>
#include <unordered_set>
#include <vector>

#include "catalogue/BrowseNames.h"
#include "catalogue/BrowseReadAhead.h"
#include "catalogue/DiscList.h"
#include "catalogue/RecordFields.h"
#include "catalogue/Referenced.h"
#include "catalogue/Schema.h"
#include "classlib/SysUtils.h"
#include "storage/Base.h"

namespace qv {

void TDiscList::Progress(int64_t done, int64_t total) {
  if (Base && Base->OnProgress) Base->OnProgress(Percent(done, total));
}

bool TDiscList::Browse(int32_t index) {
  if (!IsOpen()) return false;
  if (index < 0 || index >= Count()) {
    host_.AddFatal("Browse - disc index [" + std::to_string(index) + "] is out of range");
    return false;
  }
  if (Browsing || (EngineBusy && *EngineBusy)) return false;
  host_.BrowserSelectDisc(index);
  const TDiscData disc = discs_[std::size_t(index)]->Data;
  if (disc.ID == BrowsedID) return true;
  Browsing = true;
  host_.BrowserClear();
  host_.ClearConsole();
  std::string label = Utf16ToUtf8(disc.Label);
  host_.AddInfo("Loading \"" + label + "\" file structure ...");
  BrowseRoot->ClearChildren();
  BrowsedID = -1;
  BrowseRoot->Name = label;
  BrowseRoot->Size = 0;
  ProgressDone = 0;
  ProgressTotal = disc.Files + disc.Folders;
  if (Base->OnProgress) Base->OnProgress(0);
  if (!LoadTree(BrowseRoot.get(), disc.Root) || !FillFolderTree(BrowseRoot.get(), nullptr)) {
    Browsing = false;
    return false;
  }
  bool flushed = Base->Flush();
  Browsing = false;
  if (!flushed) {
    host_.AddError(Base->ShownError());
    return false;
  }
  BrowsedID = disc.ID;
  host_.BrowserShowFolder(BrowseRoot.get());
  host_.AddInfo("Done");
  return true;
}

namespace {
const TRecKind* RecKindNamed(TXBase& base, const char* name) {
  return dynamic_cast<const TRecKind*>(base.Context().KindByName(name));
}

// Records read through the database's pool, pinned while in use.
struct PooledSource {
  TXBase& base;
  TXRecData* Get(int64_t id, const TRecKind* kind, std::string& error) {
    return GetLiveReferenced(base, id, kind, error);
  }
  void Put(TXRecData* rec) { base.Release(rec); }
};
}  // namespace

// A folder as the walk meets it, read before the walk: its reference, whether it is taken
// (else the line that says why, "" for none), what its node gets, its files
// (a stretch of TreeWalk::files) and how many of its sub-folders follow it.
struct TDiscList::FolderVisit {
  int64_t ref = -1;
  bool ok = false;
  std::string error;
  TDateTime date = 0;
  std::string name;
  std::size_t filesBegin = 0;
  std::size_t filesEnd = 0;
  std::size_t folders = 0;
};

// What the tree walk checks each record against: the kinds of the records
// its references must reach, the disc being loaded, and the folders met (a
// damaged tree must not lead the walk in circles). The folders are read
// first, in the walk's order (visits); the files, listed in that order, are
// read ahead on worker threads while the walk builds the tree.
struct TDiscList::TreeWalk {
  const TRecKind* folder;
  const TRecKind* file;
  const TRecKind* folderName;
  const TRecKind* fileName;
  int64_t disc;
  std::unordered_set<int64_t> folders;
  browse::SharedNames names;
  TReadFolders readFolders;  // the folders read ahead
  std::vector<FolderVisit> visits;
  std::size_t nextVisit = 0;
  std::vector<int64_t> files;
  std::size_t nextFile = 0;
  std::unique_ptr<TBrowseReadAhead> ahead;  // declared last: stopped before the lists go
};

bool TDiscList::LoadTree(TFileData* node, int64_t ref) {
  if (ref < 0) return false;
  TreeWalk walk{RecKindNamed(*Base, "xFolder"),
                RecKindNamed(*Base, "xFile"),
                RecKindNamed(*Base, "xFolderName"),
                RecKindNamed(*Base, "xFileName"),
                BrowsedID,
                {},
                {},
                {},
                {},
                0,
                {},
                0,
                nullptr};
  for (auto& d : discs_)
    if (d->Data.Root == ref) walk.disc = d->Data.ID;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  walk.readFolders =
      ReadFoldersAhead(*Base, walk.folder, walk.folderName, ref, std::min(ReadAheadThreads, int(cores)));
  PlanFolder(ref, -1, node->Kind == TFileData::kRoot, walk);
  walk.readFolders.clear();
  walk.ahead = TBrowseReadAhead::Start(*Base, walk.file, walk.fileName, walk.files,
                                       std::min(ReadAheadThreads, int(cores)));
  return LoadFolder(node, walk);
}

// The back references a record of the tree must carry: the disc being
// loaded and the folder that lists it. A record failing them belongs to
// another place, which only a damaged index makes it reach. The error
// line, or "" when it passes.
std::string TDiscList::NodeCheck(bool isFile, int64_t disc, int64_t parent, int64_t ref, int64_t parentRef,
                                 const TreeWalk& walk) {
  const char* what = isFile ? "file " : "folder ";
  if (disc != walk.disc)
    return "Damaged database: " + std::string(what) + browse::IdText(ref) + " belongs to another disc";
  if (parent != parentRef)
    return "Damaged database: " + std::string(what) + browse::IdText(ref) + " belongs to another folder";
  return std::string();
}

// Reads folder ref here as the walk would; its name is left to the walk.
void TDiscList::ReadFolderHere(int64_t ref, TReadFolder& out, TreeWalk& walk) {
  TXRecData* rec = GetLiveReferenced(*Base, ref, walk.folder, out.error);
  if (!rec) return;
  // Disc and parent stand at the same field numbers in file and folder records.
  out.disc = rec::Ref(rec, fld::foDisc);
  out.parent = rec::Ref(rec, fld::foParent);
  out.date = rec::Date(rec, fld::foDate);
  for (int i = 0; i < rec::RefCount(rec, fld::foFiles); ++i)
    if (int64_t f = rec::RefAt(rec, fld::foFiles, i); f >= 0) out.files.push_back(f);
  for (int i = 0; i < rec::RefCount(rec, fld::foFolders); ++i)
    if (int64_t f = rec::RefAt(rec, fld::foFolders, i); f >= 0) out.folders.push_back(f);
  out.nameRef = rec::Ref(rec, fld::foName);
  out.walkReadsName = true;
  Base->Release(rec);
}

// Takes folder ref, read ahead or here, and when it passes its checks
// every folder below it, each into the next visit; the files of the
// folders taken join walk.files.
void TDiscList::PlanFolder(int64_t ref, int64_t parentRef, bool root, TreeWalk& walk) {
  const std::size_t at = walk.visits.size();
  walk.visits.emplace_back();
  walk.visits[at].ref = ref;
  TReadFolder here;
  auto it = walk.readFolders.find(ref);
  TReadFolder& f = it != walk.readFolders.end() && !it->second.walkReads ? it->second : here;
  if (&f == &here) ReadFolderHere(ref, here, walk);
  if (!f.error.empty()) {
    walk.visits[at].error = f.error;
    return;
  }
  std::string error = NodeCheck(false, f.disc, f.parent, ref, parentRef, walk);
  if (!error.empty() || !walk.folders.insert(ref).second) {
    walk.visits[at].error = error;
    return;
  }
  walk.visits[at].date = f.date;
  if (!root) {
    if (f.walkReadsName) {
      PooledSource pooled{*Base};
      if (!browse::NodeName(pooled, f.nameRef, ref, walk.folderName, false, walk.names, walk.visits[at].name,
                            error)) {
        walk.visits[at].error = error;
        return;
      }
    } else if (!f.nameError.empty()) {
      walk.visits[at].error = f.nameError;
      return;
    } else {
      walk.visits[at].name = std::move(f.name);
    }
  }
  // A folder is taken once at most (the check above): its lists can go.
  FolderVisit& v = walk.visits[at];
  v.ok = true;
  v.filesBegin = walk.files.size();
  walk.files.insert(walk.files.end(), f.files.begin(), f.files.end());
  v.filesEnd = walk.files.size();
  v.folders = f.folders.size();
  std::vector<int64_t> folders = std::move(f.folders);
  f.files = std::vector<int64_t>();
  for (int64_t child : folders) PlanFolder(child, ref, false, walk);
}

// A record of the tree that cannot be read or fails its checks.
void TDiscList::BrowseFailed(const std::string& error) {
  host_.AddError(WithWayOut(*Base, error));
}

// Loads a folder (or the root) and everything below it, the folders as
// they were read before. A record that cannot be read or fails its checks
// is left out with an error line, and the walk goes on with the rest; false
// only for that node itself.
bool TDiscList::LoadFolder(TFileData* node, TreeWalk& walk) {
  FolderVisit& v = walk.visits[walk.nextVisit++];
  if (!v.ok) {
    if (!v.error.empty()) BrowseFailed(v.error);
    return false;
  }
  node->Date = v.date;
  node->Size = 0;
  if (node->Kind != TFileData::kRoot) node->Name = std::move(v.name);
  Progress(++ProgressDone, ProgressTotal);
  for (std::size_t i = v.filesBegin; i < v.filesEnd; ++i) {
    auto c = std::make_unique<TFileData>(TFileData::kFile, node);
    if (!LoadFile(c.get(), walk.files[i], v.ref, walk)) continue;
    node->Size += c->Size;
    node->AddChild(std::move(c));
  }
  for (std::size_t i = 0; i < v.folders; ++i) {
    auto c = std::make_unique<TFileData>(TFileData::kFolder, node);
    if (!LoadFolder(c.get(), walk)) continue;
    node->Size += c->Size;
    node->AddChild(std::move(c));
  }
  return true;
}

// A file node from its read-ahead when there is one, else read here.
bool TDiscList::LoadFile(TFileData* node, int64_t ref, int64_t parentRef, TreeWalk& walk) {
  TReadFile* f = walk.ahead ? walk.ahead->Take(walk.nextFile, ref) : nullptr;
  ++walk.nextFile;
  if (!f || f->walkReads) return ReadFile(node, ref, parentRef, walk);
  if (!f->error.empty()) {
    BrowseFailed(f->error);
    return false;
  }
  std::string error = NodeCheck(true, f->disc, f->parent, ref, parentRef, walk);
  if (!error.empty()) {
    BrowseFailed(error);
    return false;
  }
  node->Date = f->date;
  node->Size = f->size;
  if (f->walkReadsName) {
    PooledSource pooled{*Base};
    if (!browse::NodeName(pooled, f->nameRef, ref, walk.fileName, true, walk.names, node->Name, error)) {
      BrowseFailed(error);
      return false;
    }
  } else if (!f->nameError.empty()) {
    BrowseFailed(f->nameError);
    return false;
  } else {
    node->Name = std::move(f->name);
  }
  Progress(++ProgressDone, ProgressTotal);
  return true;
}

// A file node read on the walk's own thread.
bool TDiscList::ReadFile(TFileData* node, int64_t ref, int64_t parentRef, TreeWalk& walk) {
  std::string error;
  TXRecData* rec = GetLiveReferenced(*Base, ref, walk.file, error);
  if (!rec) {
    BrowseFailed(error);
    return false;
  }
  error = NodeCheck(true, rec::Ref(rec, fld::foDisc), rec::Ref(rec, fld::foParent), ref, parentRef, walk);
  if (!error.empty()) {
    Base->Release(rec);
    BrowseFailed(error);
    return false;
  }
  node->Date = rec::Date(rec, fld::fiDate);
  node->Size = rec::Int(rec, fld::fiSize);
  const int64_t nameRef = rec::Ref(rec, fld::fiName);
  Base->Release(rec);
  PooledSource pooled{*Base};
  if (!browse::NodeName(pooled, nameRef, ref, walk.fileName, true, walk.names, node->Name, error)) {
    BrowseFailed(error);
    return false;
  }
  Progress(++ProgressDone, ProgressTotal);
  return true;
}

bool TDiscList::FillFolderTree(TFileData* node, ViewNode parent) {
  const bool root = node->Kind == TFileData::kRoot;
  ViewNode item = host_.BrowserAddFolderNode(parent, Utf8ToUtf16(" " + node->Name + " "), node, root ? 2 : 3,
                                             root ? 2 : 3);
  for (int32_t i = 0; i < node->Count(); ++i) {
    TFileData* child = node->GetChild(i);
    if (child->Kind == TFileData::kFolder && !FillFolderTree(child, item)) return false;
  }
  if (root) host_.BrowserExpandFolderNode(item);
  return true;
}

TFileData* TDiscList::FindFolder(const std::string& path) {
  if (path.empty()) {
    host_.AddError("[DiscList.FindFolder] Empty path specified");
    return nullptr;
  }
  if (path[0] != '/') {
    host_.AddError("[DiscList.FindFolder] Bad path specified \"" + path + "\"");
    return nullptr;
  }
  if (path == "/") return BrowseRoot.get();
  if (BrowseRoot->Count() == 0) return nullptr;
  return ProcPath(path.substr(1), BrowseRoot.get());
}

TFileData* TDiscList::ProcPath(const std::string& rest, TFileData* node) {
  if (rest.empty()) return node;
  auto p = rest.find('/');
  if (p == std::string::npos || p == 0) {
    host_.AddError("[DiscList.ProcPath] Bad path encountered \"" + rest + "\"");
    return nullptr;
  }
  std::string name = rest.substr(0, p);
  // Sibling folders may differ only in letter case: the exact spelling wins,
  // and a path typed in another case of a to z still finds its folder.
  TFileData* found = nullptr;
  for (int32_t i = 0; i < node->Count(); ++i) {
    TFileData* child = node->GetChild(i);
    if (child->Kind == TFileData::kFile) continue;
    if (child->Name == name) {
      found = child;
      break;
    }
    if (!found && SameText(child->Name, name)) found = child;
  }
  return found ? ProcPath(rest.substr(p + 1), found) : nullptr;
}

bool TDiscList::DeleteDisc(int64_t id, bool* committed) {
  int32_t index = IndexOfId(id);
  if (!IsOpen() || index < 0) return false;
  TXRecData* rec = Base->GetData(id);
  if (!rec) {
    host_.AddError(Base->ShownError());
    return false;
  }
  const TDiscData disc = discs_[std::size_t(index)]->Data;
  ProgressTotal = disc.Folders;
  ProgressDone = 0;
  // The in-memory root is the current one: the stored record receives it only
  // when the disc list is saved, so a disc added in this session has -1 there.
  int64_t root = disc.Root >= 0 ? disc.Root : rec::Ref(rec, fld::dRoot);
  if (root >= 0 && !DeleteFolderTree(root)) {
    Base->Release(rec);
    return false;
  }
  if (BrowsedID == id) {
    host_.BrowserClear();
    BrowseRoot->ClearChildren();
    BrowsedID = -1;
  }
  Categories.DecDiscCount(disc.Category);
  DropFromIndex(id);
  discs_.erase(discs_.begin() + index);
  Base->Release(rec);
  if (!Base->DeleteData(id)) host_.AddError(Base->ShownError());
  const bool flushed = Base->Flush();
  if (committed)
    *committed = flushed;
  else if (!flushed)
    host_.AddError(Base->ShownError());
  return flushed;
}

bool TDiscList::DeleteFolderTree(int64_t ref) {
  std::string error;
  TXRecData* rec = GetReferenced(*Base, ref, RecKindNamed(*Base, "xFolder"), error);
  if (!rec) {
    BrowseFailed(error);
    return false;
  }
  if (rec->IsDeleted()) {
    Base->Release(rec);
    host_.AddError("Already deleted folder encountered");
    return false;
  }
  std::vector<int64_t> files, folders;
  for (int i = 0; i < rec::RefCount(rec, fld::foFiles); ++i)
    files.push_back(rec::RefAt(rec, fld::foFiles, i));
  for (int i = 0; i < rec::RefCount(rec, fld::foFolders); ++i)
    folders.push_back(rec::RefAt(rec, fld::foFolders, i));
  Base->Release(rec);
  for (int64_t f : files)
    if (f >= 0 && !Base->DeleteData(f)) return false;
  for (int64_t f : folders)
    if (f >= 0 && !DeleteFolderTree(f)) return false;
  bool ok = Base->DeleteData(ref);
  Progress(++ProgressDone, ProgressTotal);
  return ok;
}

}  // namespace qv
