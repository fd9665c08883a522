// Loading a stored disc's tree for the browser, finding its folders by path,
// and deleting a disc with every folder and file record below it.
#include <vector>

#include "catalogue/DiscList.h"
#include "catalogue/RecordFields.h"
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

bool TDiscList::LoadTree(TFileData* node, int64_t ref) {
  if (ref < 0) return false;
  TXRecData* rec = Base->GetData(ref);
  if (!rec) {
    host_.AddError(Base->LastError);
    return false;
  }
  const bool isFile = node->Kind == TFileData::kFile;
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
  if (node->Kind != TFileData::kRoot) {
    TXRecData* name = Base->GetData(nameRef);
    if (!name) {
      host_.AddError(Base->LastError);
      return false;
    }
    node->Name = rec::Str(name, fld::nName);
    Base->Release(name);
  }
  Progress(++ProgressDone, ProgressTotal);
  if (isFile) return true;
  for (int pass = 0; pass < 2; ++pass) {
    const uint8_t kind = pass == 0 ? TFileData::kFile : TFileData::kFolder;
    for (int64_t child : pass == 0 ? files : folders) {
      TFileData* c = node->AddNew(kind, 0, 0, std::string());
      if (!LoadTree(c, child)) return false;
      node->Size += c->Size;
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
  TXRecData* rec = Base->GetData(ref);
  if (!rec) {
    host_.AddError(Base->LastError);
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
