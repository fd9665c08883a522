// Folder compare: which files of a real folder the catalogue does not hold
// yet. A scanned file counts as stored when a stored file of the same name
// has exactly its date and size.
#include <vector>

#include "catalogue/Engine.h"
#include "catalogue/Names.h"
#include "catalogue/RecordFields.h"
#include "catalogue/Referenced.h"
#include "catalogue/Schema.h"
#include "platform/Files.h"

namespace qv {

bool TEngine::CompareFolder(const std::string& path, const TSearchOpts& opts) {
  if (!IsOpen()) return false;
  // A refused call leaves a pending Stop of the running operation alone.
  if (Refused()) return false;
  Aborted = false;
  if (!DirectoryExists(path)) {
    host_.AddError("Path \"" + path + "\" does not exist");
    return false;
  }
  BusyScope busy(*this);
  host_.ClearReport();
  Scanner->Reset();
  host_.FileTreeClear();
  host_.ClearConsole();
  warnedMissingDisc_ = false;
  damageShown_ = false;
  host_.AddInfo("Scanning path \"" + path + "\" for files and folders ...");
  TScanOpts scan;
  scan.IncludeFiles = true, scan.AllFiles = true, scan.FoldersOnly = false, scan.Path = path;
  if (!Scanner->ScanFiltered(scan, opts)) {
    Scanner->Reset();
    host_.AddWarning("Scanning process interrupted");
    return false;
  }
  FilesCount = FoldersCount = 0;
  lastProgress_ = -1;
  bool result = false;
  if (Scanner->FileCount > 0) {
    host_.AddInfo(std::to_string(Scanner->FileCount) + " file(s) found in " +
                  std::to_string(Scanner->FolderCount) + " folder(s)");
    host_.AddInfo("Comparing files ...");
    result = CompareTree(Scanner->Root());
    host_.AddInfo("Done. " + std::to_string(FoldersCount) +
                  " files that are NOT stored in the database are listed in REPORTS!");
  } else {
    host_.AddWarning("No files found to compare with");
  }
  Scanner->Reset();
  // The gauge is left empty at the end, as a search's closing flush leaves it.
  Progress(0);
  return result;
}

bool TEngine::CompareTree(TFileData* node) {
  LetMessagesRun();
  if (Aborted) return true;
  for (int32_t i = 0; i < node->Count(); ++i) {
    TFileData* child = node->GetChild(i);
    bool ok;
    if (child->Kind == TFileData::kFile) {
      ok = CompareFile(child);
      ++FilesCount;
      ProgressOf(FilesCount, Scanner->FileCount);
    } else {
      ok = CompareTree(child);
    }
    if (!ok) return false;
  }
  return true;
}

// A scanned file counts as stored when a stored file of its name, in any
// letter case, has its date and size; each stored spelling is a group.
bool TEngine::CompareFile(TFileData* node) {
  QV_ASSERT(node->Kind == TFileData::kFile);
  const std::string reportLine = node->PathUnder(Scanner->RootPath);
  int found = -1;
  int pos = FileNameIndex->Find(NameKey(node->Name, false), found);
  if (pos < 0 && found < 0) {
    host_.AddError(Base->ShownError());
    return false;
  }
  // The spellings of the name stand side by side around the exact one.
  int64_t first = pos >= 0 ? pos : found, last = first - 1;
  std::string name;
  auto sameName = [&](int64_t at, bool& ok) {
    ok = NameAt(FileNameIndex, at, name);
    return ok && SameName(name, node->Name);
  };
  bool ok = true;
  while (first > 0 && sameName(first - 1, ok)) --first;
  while (ok && last + 1 < FileNameIndex->Count() && sameName(last + 1, ok)) ++last;
  if (!ok) {
    host_.AddError(Base->ShownError());
    return false;
  }
  bool stored = false;
  for (int64_t at = first; at <= last; ++at)
    if (!CompareStored(node, FileNameIndex->GetItem(int(at)), stored)) return false;
  if (!stored) {
    host_.AddReportLine(reportLine);
    ++FoldersCount;
  }
  return true;
}

// The stored files of one name record that have the scanned file's date and
// size, as a group row with an entry row each.
bool TEngine::CompareStored(TFileData* node, int64_t nameID, bool& stored) {
  TXRecData* nameRec = Base->GetData(nameID);
  if (!nameRec) {
    host_.AddError(Base->ShownError());
    return false;
  }
  std::vector<int64_t> refs;
  for (int i = 0; i < rec::RefCount(nameRec, fld::nRefs); ++i)
    refs.push_back(rec::RefAt(nameRec, fld::nRefs, i));
  ViewNode group = nullptr;
  for (int64_t ref : refs) {
    std::string error;
    TXRecData* file = GetReferenced(*Base, ref, FileRecKind, error);
    if (!file) {  // reported, and the compare goes on with the rest
      host_.AddError(error);
      continue;
    }
    const bool same = !file->IsDeleted() && rec::Date(file, fld::fiDate) == node->Date &&
                      rec::Int(file, fld::fiSize) == node->Size;
    const int64_t discID = rec::Ref(file, fld::fiDisc), parent = rec::Ref(file, fld::fiParent);
    const int64_t size = rec::Int(file, fld::fiSize);
    const double date = rec::Date(file, fld::fiDate);
    Base->Release(file);
    if (!same) continue;
    int32_t discPos = DiscOf(discID, "Deleted disc reference ecountered!");
    if (discPos < 0) continue;
    const TDiscData disc = Discs->GetDisc(discPos);
    if (!group) {
      TNodeData g;
      g.Kind = nkFileGroup;
      g.StoredName = rec::Str(nameRec, fld::nName);
      g.Name = Utf8ToUtf16(g.StoredName);
      group = host_.FileTreeAddNode(g, nullptr);
    }
    host_.FileTreeAddNode(EntryRow(disc, ref, nkFile, GetFolderPath(parent), size, date), group);
  }
  if (group) {
    host_.FileTreeExpand(group);
    stored = true;
  }
  Base->Release(nameRec);
  return true;
}

}  // namespace qv
