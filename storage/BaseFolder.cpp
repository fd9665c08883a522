// TXBase: the folder a session holds. Every file is reached through the
// folder's descriptor (Path), so a folder moved or renamed while open keeps
// every change and a copy put where it was is never touched. What the
// session cannot go on with is found before it writes again: a folder
// removed, or files that another program wrote over (a copy restored into
// the folder). It then writes nothing more, anywhere, and says so.
#include "platform/Files.h"
#include "storage/Base.h"

namespace qv {

std::string TXBase::LossReason() const {
  switch (folderLoss_) {
    case TFolderLoss::Removed:
      return "the database's folder was removed while it was open";
    case TFolderLoss::FilesChanged:
      return "the database's files were changed by another program while it was open";
    case TFolderLoss::None:
      break;
  }
  return std::string();
}

void TXBase::NoteDescriptionStamp() {
  descriptionKnown_ = !path_.empty() && ReadWholeFile(path_ + "xbase.vlm", descriptionBytes_);
}

// What the file holds, not when it was written: the same bytes copied over
// it change nothing this session relies on.
bool TXBase::DescriptionAsLeft() const {
  if (!descriptionKnown_) return true;
  std::string now;
  return ReadWholeFile(path_ + "xbase.vlm", now) && now == descriptionBytes_;
}

// settled: between changes, when the files' sizes are as the session left
// them; else (in a change's middle) only what no write of its own alters.
TXBase::TFolderLoss TXBase::FolderLossNow(bool settled) {
  if (!folder_.IsOpen()) return TFolderLoss::None;
  if (folder_.Removed()) return TFolderLoss::Removed;
  const bool dataAsLeft =
      !dataFile_ || !dataFile_->IsOpen() || (settled ? dataFile_->AsLeft() : dataFile_->IsAt());
  if (!dataAsLeft || !gindex_.AsLeft() || !DescriptionAsLeft()) return TFolderLoss::FilesChanged;
  return TFolderLoss::None;
}

bool TXBase::FolderStillOurs(bool settled) {
  if (folderLoss_ == TFolderLoss::None && opened_ && !ReadOnly()) folderLoss_ = FolderLossNow(settled);
  if (folderLoss_ == TFolderLoss::None) return true;
  if (ReadOnly()) return false;
  StopWriting(LossReason(), true);
  if (folderLoss_ == TFolderLoss::FilesChanged) {
    // The one file it takes away: a journal of its own, left by a commit
    // cut short, that would be applied to files it was not written for.
    removingOwnJournal_ = true;
    gindex_.DropOwnJournal();
    removingOwnJournal_ = false;
  }
  return false;
}

bool TXBase::ChangeOutsideLock(const std::string& path) {
  if (path_.empty() || path.rfind(path_, 0) != 0) return false;
  if (removingOwnJournal_ && path == gindex_.JournalName()) return false;
  if (folderLoss_ == TFolderLoss::None) folderLoss_ = FolderLossNow(false);
  return folderLoss_ != TFolderLoss::None;
}

void TXBase::NoteTold(const std::string& line) const {
  if (folderLoss_ != TFolderLoss::None && line.find(LossReason()) != std::string::npos) lossTold_ = true;
}

std::string TXBase::MovedTo() const {
  if (!folder_.IsOpen()) return closedAt_;
  if (folder_.IsAt(shownPath_)) return std::string();
  return folder_.WhereNow();
}

std::string TXBase::MovedNote(bool every) {
  const std::string where = MovedTo();
  if (where.empty() || (!every && where == movedSaid_)) return std::string();
  movedSaid_ = where;
  return "The folder of database \"" + Name + "\" was moved to \"" + ExcludeTrailingPathDelimiter(where) +
         "\" while it was open; this session's changes are there";
}

}  // namespace qv
