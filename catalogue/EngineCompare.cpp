// Folder compare: which files of a real folder the catalogue does not hold
// yet. A scanned file counts as stored when a stored file of the same name
// has exactly its date and size.
#include <vector>

#include "catalogue/Engine.h"
#include "catalogue/Names.h"
#include "catalogue/RecordFields.h"
#include "catalogue/Referenced.h"
#include "catalogue/Schema.h"
#include "catalogue/StoredCopies.h"
#include "platform/Files.h"

namespace qv {

// What one compare keeps: the stored copies by name, and the rows, filled
// anew for each (their texts keep their room).
struct TEngine::TCompareState {
  TStoredCopies Copies;
  TNodeData Group{}, Entry{};
  std::vector<uint32_t> Matches;
  std::string Path;  // a folder path the cache does not hold
};

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
    TCompareState state;
    state.Copies.CountNames(Scanner->Root());
    result = CompareTree(Scanner->Root(), state);
    SayCompared(result);
  } else {
    host_.AddWarning("No files found to compare with");
  }
  Scanner->Reset();
  // The gauge is left empty at the end, as a search's closing flush leaves it.
  Progress(0);
  return result;
}

// A compare that went through every scanned file is done; one ended by Stop
// or by a record it could not read says so, and how far it got, since its
// report then lists only the files compared before that.
void TEngine::SayCompared(bool completed) {
  const std::string notStored = std::to_string(FoldersCount);
  if (completed && FilesCount >= Scanner->FileCount) {
    host_.AddInfo("Done. " + notStored + " files that are NOT stored in the database are listed in REPORTS!");
    return;
  }
  host_.AddWarning(Aborted ? "Comparing process interrupted" : "Comparing process stopped by an error");
  host_.AddInfo("Stopped after " + std::to_string(FilesCount) + " of " + std::to_string(Scanner->FileCount) +
                " files: " + notStored +
                " of them are NOT stored in the database and are listed in REPORTS; the other files were not "
                "compared");
}

// Stop ends the walk at the file it reached: the message loop runs (at most
// every MessageIntervalMs) after each compared file, not only per folder.
bool TEngine::CompareTree(TFileData* node, TCompareState& state) {
  LetMessagesRun();
  for (int32_t i = 0; i < node->Count() && !Aborted; ++i) {
    TFileData* child = node->GetChild(i);
    bool ok;
    if (child->Kind == TFileData::kFile) {
      ok = CompareFile(child, state);
      ++FilesCount;
      ProgressOf(FilesCount, Scanner->FileCount);
      LetMessagesRun();
    } else {
      ok = CompareTree(child, state);
    }
    if (!ok) return false;
  }
  return true;
}

// A scanned file counts as stored when a stored file of its name, in any
// letter case, has its date and size; each stored spelling is a group. The
// stored copies of a name are read at its first scanned file and kept until
// its last.
bool TEngine::CompareFile(TFileData* node, TCompareState& state) {
  QV_ASSERT(node->Kind == TFileData::kFile);
  TStoredCopies::Name single;  // a name no other scanned file has
  TStoredCopies::Name& copies = state.Copies.For(node->Name, single);
  if (!copies.Read) ReadCopies(node->Name, copies);
  bool stored = false;
  for (const TStoredCopies::Spelling& spelling : copies.Spellings) ListCopies(state, node, spelling, stored);
  if (copies.Failed) {
    host_.AddError(copies.Failure);
    return false;
  }
  state.Copies.Compared(node->Name);
  if (!stored) {
    host_.AddReportLine(node->PathUnder(Scanner->RootPath));
    ++FoldersCount;
  }
  return true;
}

// Every stored spelling of a name with its copies; reading stops at the first
// name record or index entry that cannot be read, keeping what came before.
void TEngine::ReadCopies(const std::string& name, TStoredCopies::Name& into) {
  into.Read = true;
  auto fail = [&] {
    into.Failed = true;
    into.Failure = Base->ShownError();
  };
  int found = -1;
  int pos = FileNameIndex->Find(NameKey(name, false), found);
  if (pos < 0 && found < 0) return fail();
  // The spellings of the name stand side by side around the exact one.
  int64_t first = pos >= 0 ? pos : found, last = first - 1;
  std::string probe;
  auto sameName = [&](int64_t at, bool& ok) {
    ok = NameAt(FileNameIndex, at, probe);
    return ok && SameName(probe, name);
  };
  bool ok = true;
  while (first > 0 && sameName(first - 1, ok)) --first;
  while (ok && last + 1 < FileNameIndex->Count() && sameName(last + 1, ok)) ++last;
  if (!ok) return fail();
  for (int64_t at = first; at <= last; ++at) {
    TXRecData* nameRec = Base->GetData(FileNameIndex->GetItem(int(at)));
    if (!nameRec) return fail();
    TStoredCopies::Spelling spelling;
    spelling.Name = rec::Str(nameRec, fld::nName);
    const int refs = rec::RefCount(nameRec, fld::nRefs);
    spelling.Copies.reserve(std::size_t(refs));
    for (int i = 0; i < refs; ++i) {
      const int64_t ref = rec::RefAt(nameRec, fld::nRefs, i);
      std::string error;
      TXRecData* file = GetReferenced(*Base, ref, FileRecKind, error);
      if (!file) {  // said for every scanned file of the name, and the compare goes on
        spelling.Errors.emplace_back(spelling.Copies.size(), std::move(error));
        continue;
      }
      // A deleted file record has empty values: it never matches.
      if (!file->IsDeleted())
        spelling.Copies.push_back({ref, rec::Ref(file, fld::fiDisc), rec::Ref(file, fld::fiParent),
                                   rec::Int(file, fld::fiSize), rec::Date(file, fld::fiDate)});
      Base->Release(file);
    }
    Base->Release(nameRec);
    spelling.Index();
    into.Spellings.push_back(std::move(spelling));
  }
}

// The copies of one spelling that have the scanned file's date and size, as a
// group row with an entry row each.
void TEngine::ListCopies(TCompareState& state, TFileData* node, const TStoredCopies::Spelling& spelling,
                         bool& stored) {
  spelling.Matching(node->Date, node->Size, state.Matches);
  std::size_t error = 0;
  ViewNode group = nullptr;
  for (uint32_t at : state.Matches) {
    while (error < spelling.Errors.size() && spelling.Errors[error].first <= at)
      host_.AddError(WithWayOut(*Base, spelling.Errors[error++].second));
    const TStoredCopies::Copy& copy = spelling.Copies[at];
    int32_t discPos = DiscOf(copy.Disc, "Deleted disc reference ecountered!");
    if (discPos < 0) continue;
    if (!group) {
      TNodeData& g = state.Group;
      g.Kind = nkFileGroup;
      g.StoredName = spelling.Name;
      if (!host_.FileTreeShowsStoredTexts()) g.Name = Utf8ToUtf16(spelling.Name);
      group = host_.FileTreeAddNode(g, nullptr);
    }
    // Most copies share a folder met before, whose path the cache holds.
    const std::string* path = copy.Parent < 0 ? nullptr : paths_.Find(copy.Parent);
    if (!path) {
      state.Path = GetFolderPath(copy.Parent);
      path = &state.Path;
    }
    FillEntryRow(state.Entry, Discs->DiscAt(discPos), copy.Ref, nkFile, *path, copy.Size, copy.Date);
    host_.FileTreeAddNode(state.Entry, group);
  }
  while (error < spelling.Errors.size()) host_.AddError(WithWayOut(*Base, spelling.Errors[error++].second));
  if (group) {
    host_.FileTreeExpand(group);
    stored = true;
  }
}

}  // namespace qv
