// Loading a stored disc's tree for the browser, finding its folders by path,
// and deleting a disc with every folder and file record below it.
#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

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
    host_.AddError(Base->LastError);
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
std::string IdText(int64_t id) {
  return "\"" + IntToHex(uint64_t(id), 16) + "\"";
}

// A name record shared by many nodes ("Thumbs.db" on thousands of files):
// its text and its references, sorted, kept for the rest of the walk so
// that it is read and searched once rather than once per node.
struct SharedName {
  const TRecKind* kind;
  std::string name;
  std::vector<int64_t> refs;
};
using SharedNames = std::unordered_map<int64_t, SharedName>;
// Below this many references a name record is cheap to read again.
constexpr int kSharedNameRefs = 8;

// The name of node ref from its name record, which must refer back to the
// node (a damaged catalogue may point a node at a stranger's name).
bool NodeName(TXBase& base, int64_t nameRef, int64_t ref, const TRecKind* kind, bool isFile,
              SharedNames& shared, std::string& name, std::string& error) {
  auto it = shared.find(nameRef);
  if (it == shared.end() || it->second.kind != kind) {
    // A reference reaching a record of the other name kind fails its check here.
    TXRecData* rec = GetReferenced(base, nameRef, kind, error);
    if (!rec) return false;
    const TXArrData* refs = rec::Arr(rec, fld::nRefs);
    const int count = refs ? refs->Count() : 0;
    if (count < kSharedNameRefs) {
      const bool back = NameRefersTo(rec, ref);
      if (back) name = rec::Str(rec, fld::nName);
      base.Release(rec);
      if (back) return true;
      it = shared.end();
    } else {
      SharedName entry{kind, rec::Str(rec, fld::nName), {}};
      entry.refs.reserve(std::size_t(count));
      for (int i = 0; i < count; ++i) entry.refs.push_back(refs->GetRef(i));
      std::sort(entry.refs.begin(), entry.refs.end());
      base.Release(rec);
      it = shared.insert_or_assign(nameRef, std::move(entry)).first;
    }
  }
  if (it != shared.end() && std::binary_search(it->second.refs.begin(), it->second.refs.end(), ref)) {
    name = it->second.name;
    return true;
  }
  error = "Damaged database: the name of " + std::string(isFile ? "file " : "folder ") + IdText(ref) +
          " does not refer back to it";
  return false;
}
}  // namespace

// What the tree walk checks each record against: the kinds of the records
// its references must reach, the disc being loaded, and the folders met (a
// damaged tree must not lead the walk in circles).
struct TDiscList::TreeWalk {
  const TRecKind* folder;
  const TRecKind* file;
  const TRecKind* folderName;
  const TRecKind* fileName;
  int64_t disc;
  std::unordered_set<int64_t> folders;
  SharedNames names;
};

bool TDiscList::LoadTree(TFileData* node, int64_t ref) {
  if (ref < 0) return false;
  TreeWalk walk{RecKindNamed(*Base, "xFolder"),
                RecKindNamed(*Base, "xFile"),
                RecKindNamed(*Base, "xFolderName"),
                RecKindNamed(*Base, "xFileName"),
                BrowsedID,
                {},
                {}};
  for (auto& d : discs_)
    if (d->Data.Root == ref) walk.disc = d->Data.ID;
  return LoadNode(node, ref, -1, walk);
}

// The back references a record of the tree must carry: the disc being
// loaded and the folder that lists it. A record failing them belongs to
// another place, which only a damaged index makes it reach.
bool TDiscList::CheckedNode(TXRecData* rec, int64_t ref, int64_t parentRef, const TreeWalk& walk) {
  // Disc and parent stand at the same field numbers in file and folder records.
  const char* what = rec->Kind == walk.file ? "file " : "folder ";
  if (rec::Ref(rec, fld::foDisc) != walk.disc) {
    host_.AddError("Damaged database: " + std::string(what) + IdText(ref) + " belongs to another disc");
    return false;
  }
  if (rec::Ref(rec, fld::foParent) != parentRef) {
    host_.AddError("Damaged database: " + std::string(what) + IdText(ref) + " belongs to another folder");
    return false;
  }
  return true;
}

// Loads one node and, for a folder, everything below it. A record that
// cannot be read or fails its checks is left out with an error line, and the
// walk goes on with the rest; false only for that node itself.
bool TDiscList::LoadNode(TFileData* node, int64_t ref, int64_t parentRef, TreeWalk& walk) {
  const bool isFile = node->Kind == TFileData::kFile;
  std::string error;
  TXRecData* rec = GetReferenced(*Base, ref, isFile ? walk.file : walk.folder, error);
  if (!rec) {
    host_.AddError(error);
    return false;
  }
  if (!CheckedNode(rec, ref, parentRef, walk) || (!isFile && !walk.folders.insert(ref).second)) {
    Base->Release(rec);
    return false;
  }
  node->Date = rec::Date(rec, isFile ? int(fld::fiDate) : int(fld::foDate));
  node->Size = isFile ? rec::Int(rec, fld::fiSize) : 0;
  std::vector<int64_t> files, folders;
  if (!isFile) {
    for (int i = 0; i < rec::RefCount(rec, fld::foFiles); ++i)
      files.push_back(rec::RefAt(rec, fld::foFiles, i));
    for (int i = 0; i < rec::RefCount(rec, fld::foFolders); ++i)
      folders.push_back(rec::RefAt(rec, fld::foFolders, i));
  }
  int64_t nameRef =
      node->Kind == TFileData::kRoot ? -1 : rec::Ref(rec, isFile ? int(fld::fiName) : int(fld::foName));
  Base->Release(rec);
  if (node->Kind != TFileData::kRoot &&
      !NodeName(*Base, nameRef, ref, isFile ? walk.fileName : walk.folderName, isFile, walk.names, node->Name,
                error)) {
    host_.AddError(error);
    return false;
  }
  Progress(++ProgressDone, ProgressTotal);
  if (isFile) return true;
  for (int pass = 0; pass < 2; ++pass) {
    const uint8_t kind = pass == 0 ? TFileData::kFile : TFileData::kFolder;
    for (int64_t child : pass == 0 ? files : folders) {
      auto c = std::make_unique<TFileData>(kind, node);
      if (child < 0 || !LoadNode(c.get(), child, ref, walk)) continue;
      node->Size += c->Size;
      node->AddChild(std::move(c));
    }
  }
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

bool TDiscList::DeleteDisc(int64_t id) {
  int32_t index = IndexOfId(id);
  if (!IsOpen() || index < 0) return false;
  TXRecData* rec = Base->GetData(id);
  if (!rec) {
    host_.AddError(Base->LastError);
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
  if (DiscIndex) DiscIndex->Remove(rec);
  discs_.erase(discs_.begin() + index);
  Base->Release(rec);
  if (!Base->DeleteData(id)) host_.AddError(Base->LastError);
  if (!Base->Flush()) {
    host_.AddError(Base->LastError);
    return false;
  }
  return true;
}

bool TDiscList::DeleteFolderTree(int64_t ref) {
  std::string error;
  TXRecData* rec = GetReferenced(*Base, ref, RecKindNamed(*Base, "xFolder"), error);
  if (!rec) {
    host_.AddError(error);
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
