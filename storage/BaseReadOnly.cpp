// TXBase: a database that is open for reading only, because it cannot be
// written (read-only media, a folder this process may not write, a full disc
// at the open) or because a record it lists cannot be read back; and the
// system's reason in the text of a failed write.
#include <errno.h>

#include <algorithm>
#include <cstring>

#include "classlib/SysUtils.h"
#include "platform/BinaryFile.h"
#include "storage/Base.h"

namespace qv {

bool TXBase::FailWrite(const std::string& text) {
  const int error = errno;
  // The folder's guard refused the write, or the folder was lost under it:
  // said as what happened.
  if (error == FileHooks::kRefused || !FolderStillOurs()) return Fail(text + ": " + LossReason());
  return Fail(text + ": " + std::strerror(error));
}

// The open needs no write: when index.vlm may not be opened for writing, the
// files are opened for reading only (OpensReadOnly). Any other failure is
// left to the open itself to report.
void TXBase::NoteUnwritable() {
  BinaryFile probe;
  if (probe.Open(path_ + "index.vlm", BinaryFile::Mode::ReadWrite, hooks_)) return;
  const int error = probe.Error();
  if (error == EROFS || error == EACCES || error == EPERM) unwritable_ = std::strerror(error);
}

// The open marker cannot be written (a full disc, a folder this process may
// not write): what is stored can still be read, and nothing more is written.
bool TXBase::OpenUnwritable(bool crashed) {
  unwritable_ = "failed to write the database description: " + hooks_.ErrorText(errno);
  rebuildIndexes_ = crashed;  // rebuilt in memory only
  return true;
}

// A record the global index lists cannot be read back: the data file is
// damaged (cut short, overwritten) or cannot be read. Writing on would commit
// state that refers to what is lost, so the database turns read-only; the
// caller reports LastError, which stays as the read left it.
void TXBase::NoteUnreadable(int64_t id) {
  MarkDamaged("The database is damaged: record \"" + IntToHex(uint64_t(id), 16) + "\" cannot be read (" +
              LastError + "); it is opened for reading only");
}

void TXBase::StopWriting(const std::string& why, bool dropChanges) {
  if (unwritable_.empty()) unwritable_ = why.empty() ? "a write failed" : folder_.Shown(why);
  ahead_.reset();  // waits for a batch in flight, which then places nothing
  // Entries the failed commit changed in memory may point at chains it
  // could not finish: records are read as committed from now on.
  if (dropChanges) gindex_.DropPending();
  if (dataFile_) dataFile_->DropUnwritten();
}

bool TXBase::HasUnwritten(const std::vector<TXRecData*>& pooled) const {
  if (gindex_.HasPending() || markUnwritten_ || engineStateDirty_) return true;
  return std::any_of(pooled.begin(), pooled.end(), [](const TXRecData* rec) {
    return !rec->IsDeleted() && !rec->IsEmpty() && rec->IsModified();
  });
}

std::string TXBase::RefusalText() const {
  if (folderLoss_ != TFolderLoss::None) lossTold_ = true;  // a refusal is said
  if (folderLoss_ == TFolderLoss::Removed)
    return "The database's folder was removed while it was open; nothing more is written";
  if (folderLoss_ == TFolderLoss::Unreachable)
    return "The database's folder can no longer be reached (its file system was unmounted while it was "
           "open); nothing more is written";
  if (folderLoss_ == TFolderLoss::FilesChanged)
    return "The database's files were changed by another program while it was open; nothing more is "
           "written to them";
  if (!damage_.empty() || unwritable_.empty())
    return "The database is damaged and opened for reading only" + WayOut();
  // Why was said when it came to be (ReadOnlyText): not again for each
  // change refused.
  return "The database cannot be written and is opened for reading only";
}

std::string TXBase::ReadOnlyText() const {
  if (!damage_.empty()) return damage_ + WayOut();
  if (unwritable_.empty()) return std::string();
  if (clearing_)  // an open that could not finish the clear (FinishClearAtOpen)
    return "The database was being cleared when it was last open; the clear is completed at the next open "
           "that can write it, and until then it is opened for reading only";
  return "The database cannot be written (" + unwritable_ + "); it is opened for reading only";
}

// The clear is the way out of damage in place (it empties the catalogue,
// damaged or not); a whole copy put back keeps what it holds, but only with
// the catalogue closed, since an open session writes over the files it put
// back. Neither is named where nothing can be written (the clear is
// refused there too). The damage text itself, as xbase.vlm records it, goes
// without it.
std::string TXBase::WayOut() const {
  if (damage_.empty() || !unwritable_.empty()) return std::string();
  return "; to write it again, empty it with Database, Clear, or close it and put back all of its files from "
         "one copy";
}

}  // namespace qv
