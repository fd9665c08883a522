// Disc-level operations besides adding: browsing, locating a search result in
// the browser, deleting a disc, emptying the catalogue, updating a disc.
#include "catalogue/Engine.h"

namespace qv {

bool TEngine::Browse(int32_t index) {
  if (Refused()) return false;
  return Discs->Browse(index);
}

bool TEngine::LocateInBrowser(const std::string& fileName, const TNodeData& row) {
  if (Refused()) return false;
  int32_t discPos = Discs->FindByLabel(row.Disc);
  if (discPos < 0) {
    host_.AddError("Disc labeled \"" + Utf16ToUtf8(row.Disc) + "\" not found");
    return false;
  }
  if (!Discs->Browse(discPos)) return false;
  host_.ProcessMessages();
  const std::string path = row.StoredPath.empty() ? Utf16ToUtf8(row.Path) : row.StoredPath;
  TFileData* folder = Discs->FindFolder(path);
  if (!folder) {
    host_.AddError("Path \"" + path + "\" was not found");
    return false;
  }
  host_.BrowserShowFolder(folder);
  bool found = host_.BrowserSelectFile(fileName);
  if (!found) host_.AddError("Failed to find file \"" + fileName + "\"");
  return found;
}

bool TEngine::DeleteDisc(const TDiscData& data) {
  if (RefusedLoudly() || RefusedReadOnly()) return false;
  if (data.Files + data.Folders > 0) {
    std::string text = std::to_string(data.Files) + " files and " + std::to_string(data.Folders) +
                       " folders are associated with \"" + Utf16ToUtf8(data.Label) +
                       "\" disc in the database.\n\r"
                       "If disc is deleted all these files will no longer be accessible for searching!\n\r"
                       "Do you still want to delete the disc?";
    if (!host_.AskYesNoToLose(text)) return false;
    host_.ProcessMessages();
    if (RefusedLoudly()) return false;
  }
  const std::string label = Utf16ToUtf8(data.Label);
  bool result, committed = true;
  {
    BusyScope busy(*this);
    const std::vector<int64_t> indexed = Discs->IndexedIds();
    result = Discs->DeleteDisc(data.ID, &committed);
    if (!committed) {
      ChangeFailed({"Disc \"" + label + "\" was not deleted", "Disc \"" + label + "\" has been deleted"},
                   indexed);
      return false;
    }
  }
  // A disc without files is deleted without a question: the console shows
  // every delete, so a slip is seen.
  if (result) host_.AddInfo("Disc \"" + label + "\" has been deleted");
  RefreshViews(true);
  return result;
}

bool TEngine::ClearDatabase() {
  // A damaged catalogue may be cleared: that is the way out of the damage.
  if (RefusedLoudly() || !IsOpen() || RefusedReadOnly(true)) return false;
  BusyScope busy(*this);
  const std::vector<int64_t> indexed = Discs->IndexedIds();
  Discs->Clear();
  ForgetNames();
  if (!Base->ClearGlobalAccessIndex()) {
    ClearFailed(indexed);
    return false;
  }
  if (!Discs->Categories.CreateNew(Base.get())) return true;
  RefreshViews(true);
  return true;
}

// A clear that did not happen leaves the catalogue as it was, and the disc
// list is read again as stored; one that happened but was not written whole
// is finished by the next open, and the session, which writes nothing more,
// lists no disc.
void TEngine::ClearFailed(const std::vector<int64_t>& indexed) {
  if (!Base->CommitReached()) {
    host_.AddError(Base->LastError);
    Discs->ReloadStored(indexed);
    RefreshViews(true);
    return;
  }
  host_.AddError("The database has been cleared, but not written whole (" + FailureReason() +
                 "); the next open completes it");
  RefreshViews(true);
  SayWhyReadOnly();
}

void TEngine::UpdateDisc(int32_t index, const TDiscData& data) {
  if (RefusedLoudly() || index < 0 || index >= Discs->Count() || RefusedReadOnly()) return;
  if (!DiscTextsFit(data, host_)) return;
  const TDiscData before = Discs->GetDisc(index);
  const int32_t old = before.Category;
  const std::vector<int64_t> indexed = Discs->IndexedIds();
  Discs->SetDisc(index, data);
  // The edited disc reaches the disc now rather than at Close.
  Discs->SaveDisc(index);
  if (!Base->Flush()) {
    const std::string quoted = "\"" + Utf16ToUtf8(before.Label) + "\"", label = "Disc " + quoted;
    const std::string renamed = " renamed to \"" + Utf16ToUtf8(data.Label) + "\"";
    if (before.Label != data.Label)
      ChangeFailed({label + " was not" + renamed, label + " has been" + renamed}, indexed);
    else
      ChangeFailed({"The changes to disc " + quoted + " were not stored",
                    "The changes to disc " + quoted + " were stored"},
                   indexed);
    return;
  }
  if (old != data.Category) {
    Discs->Categories.DecDiscCount(old);
    Discs->Categories.IncDiscCount(data.Category);
    RefreshViews(true);
  }
}

}  // namespace qv
