// TXBase: clearing a database. The clear happens at one write of xbase.vlm,
// which records it under way ([ENGINE] Clearing=1); before it nothing but
// what the next open makes again is gone, and from it on every open finishes
// the clear, until the write that records the emptied files ends it. So a
// clear that fails or is cut short at any write leaves the catalogue as it
// was or cleared, never some of each (see "Clearing" in storage/FORMAT.md).
#include "classlib/SysUtils.h"
#include "platform/Files.h"
#include "storage/Base.h"

namespace qv {

namespace {
const char* const kClearFailed = "Failed to clear global access index";
}  // namespace

bool TXBase::ClearGlobalAccessIndex() {
  if (DoClear()) return true;
  if (!FolderStillOurs()) Fail(RefusalText());  // found in its middle
  return false;
}

bool TXBase::DoClear() {
  LastError.clear();
  commitReached_ = false;
  if (!opened_) return false;
  FolderStillOurs();  // refused below when it is not
  // Damage is no reason to refuse: clearing is the way out of it.
  if (!unwritable_.empty()) return Fail(RefusalText());
  FinishWriteAhead();
  // What the next open makes again from index.vlm goes first: the catalogue
  // stays whole should the clear stop here, and on a full disc the space it
  // gives lets the clear's own writes through.
  if (!DeleteIndexFiles() || !DropFreeFile()) return FailWrite(kClearFailed);
  if (!NoteClearing()) return FailWrite(kClearFailed);
  commitReached_ = true;
  if (FinishClear()) return true;
  // The next open finishes it; until then this session writes nothing more.
  const std::string error = LastError;
  StopWriting(FailureReason(), true);
  return Fail(error);
}

// The commit point: xbase.vlm names the clear, and no longer names what
// refers to the records that go. It records the mark of the emptied files
// already, so that a build that knows no Clearing key finds index.vlm with
// entries past that mark (which it keeps) or as the mark names it, and
// storage.vlm past it, which it gives back. A write whose file took its
// place, but whose folder could not be synced, has happened all the same.
bool TXBase::NoteClearing() {
  const auto keys = commitKeys_;
  const TCommitMark mark = mark_;
  const auto indexes = recordedIndexes_;
  const bool freeRecorded = freeRecorded_;
  SetCommitKey(kClearingKey, "1");
  SetUnderway("");
  for (const std::string& key : RecordKeys) SetCommitKey(key, "");
  mark_ = TCommitMark{1, TXGIndex::TailChecksum(1, [](int64_t) { return TXGIndexRec{}; }),
                      int64_t(XFileHeaderSize), dataFile_->StampOnDisk(), 1};
  mark_.Whole = true;
  recordedIndexes_.clear();
  freeRecorded_ = false;
  if (WriteDescriptionFile(true)) return true;
  const int error = errno;
  if (folderLoss_ == TFolderLoss::None && ReadEngineKey(kClearingKey) == "1") return true;
  // The catalogue stays as it was, and so does what the session records of it.
  commitKeys_ = keys;
  mark_ = mark;
  recordedIndexes_ = indexes;
  freeRecorded_ = freeRecorded;
  errno = error;
  return false;
}

// Empties everything in place, each file on its own: whatever stops it, the
// key stays for the next open, which does it all again. In memory first, so
// that a session stopped half way reads nothing of what goes.
bool TXBase::FinishClear() {
  pool_.Clear();
  for (auto& index : indexes_) index->Clear();
  free_.Clear();
  freeRecorded_ = false;
  ForgetDamage();
  // index.vlm before storage.vlm, so that no entry points into the emptied
  // data file (as a build that knows no Clearing key would see it). Both are
  // emptied where they are: that takes no space, and on a full disc it frees
  // what the last write needs.
  if (!gindex_.Clear()) return Fail(kClearFailed + (": " + gindex_.LastError()));
  if (!dataFile_->CreateFile(dataFile_->OptionSet()) || !dataFile_->Sync())
    return Fail(dataFile_->LastError());
  dataWritten_ = false;
  if (!DeleteIndexFiles() || !DropFreeFile()) return FailWrite(kClearFailed);
  LoadFreeSpace();  // free.vlm anew: nothing is free
  mark_ = TCommitMark();
  mark_ = MarkNow();
  markRead_ = true;
  recordedEntries_ = mark_.Entries;
  recordedIndexes_.clear();
  // The emptied sorted indexes now match the empty global index; one whose
  // file cannot be written is rebuilt, empty, by the next open.
  for (auto& index : indexes_)
    if (index->Loaded() && index->Save())
      recordedIndexes_[ExtractFileName(index->FileName())] = index->FileChecksum();
  SetCommitKey(kClearingKey, "");
  if (!WriteDescriptionFile(true)) return FailWrite(kClearFailed);
  engineStateDirty_ = false;
  clearing_ = false;
  return true;
}

// Whether the last commit xbase.vlm records is still the clear's: the mark
// of the emptied files, which no commit but a clear's gives again, as any
// commit that stores a record raises the entry count and the high-water mark
// for good. A build that knows no Clearing key keeps the key, and so an
// open of it that commits (the catalogue as it was, or empty, with discs
// added) leaves the key beside a mark of its own.
bool TXBase::ClearStillRecorded() const {
  return markRead_ && mark_.Entries == 1 && mark_.HighWater == 1 &&
         mark_.DataSize == int64_t(XFileHeaderSize) && recordedEntries_ == 1;
}

// xbase.vlm says a clear did not end: it is finished before anything is
// read, while nothing was committed since; said as the clear completed. One
// that another writer committed after is not finished, so as to take
// nothing it stored: the files open as they are, read-only, until the user
// clears them again. An open that cannot write shows the files as they are,
// read-only, and leaves the clear to the next open that can.
bool TXBase::FinishClearAtOpen(const std::string& unopened) {
  if (!clearing_ || !unopened.empty()) return true;
  if (!ClearStillRecorded()) {
    const char* const written =
        "an earlier version of this program (or another program) has written it since without completing the "
        "clear";
    const std::string since = damagedMark_.empty()
                                  ? std::string(written)
                                  : "the commit mark in xbase.vlm is damaged (\"" + damagedMark_ +
                                        "\"), so the clear cannot be told to be the last change";
    damagedMark_.clear();  // said here, once
    SetDamaged("The database was being cleared when it was last open, and " + since +
               "; it is opened for reading only, as it may hold what was stored since");
    return true;
  }
  if (OpensReadOnly()) return true;  // said by ReadOnlyText: no damage
  // index.vlm made anew when it no longer opens: its entries go anyway.
  std::string error;
  if (!gindex_.Open(*this) && !gindex_.Reset(*this))
    error = gindex_.LastError();
  else if (!dataFile_->Open())
    error = dataFile_->LastError();
  else if (!FinishClear())
    error = LastError;
  if (!error.empty())
    return Fail(
        "The database was being cleared when it was last open, and the clear cannot be completed now (" +
        error + ")");
  openNotes_.push_back(
      "The database was being cleared when it was last open; the clear has been completed, and the database "
      "is now empty");
  return true;
}

// The system's reason at the end of a failed write's text.
std::string TXBase::FailureReason(const std::string& error) {
  const std::size_t colon = error.rfind(": ");
  return colon == std::string::npos ? error : error.substr(colon + 2);
}

std::string TXBase::FailureReason() const {
  return folderLoss_ != TFolderLoss::None ? LossReason() : FailureReason(LastError);
}

std::string TXBase::ShownFailureReason() const {
  if (folderLoss_ != TFolderLoss::None) lossTold_ = true;
  return FailureReason();
}

}  // namespace qv
