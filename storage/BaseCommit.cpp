// TXBase: the commit point. A commit of the global index writes its journal
// (which names the mark xbase.vlm holds and the one the commit gives), then
// index.vlm, then the new mark into xbase.vlm, and drops the journal. The
// mark is what every later Open measures the files against; damage found
// while the database is open is kept beside it.
#include <algorithm>

#include "storage/Base.h"

namespace qv {

TCommitMark TXBase::MarkNow() const {
  TCommitMark mark;
  mark.Entries = gindex_.RecordCount();
  mark.TailCrc = gindex_.TailChecksum(mark.Entries);
  mark.DataSize = dataFile_ && dataFile_->IsOpen() ? dataFile_->Size() : 0;
  mark.Stamp = dataFile_ ? dataFile_->StampOnDisk() : 0;
  // IDs below the high-water mark were handed out: none is handed out again.
  mark.HighWater = std::max(mark_.HighWater, mark.Entries);
  return mark;
}

bool TXBase::CommitIndex() {
  // A mark an earlier commit could not record goes first: a journal names
  // the mark that xbase.vlm holds.
  if (markUnwritten_ && !RecordMark()) return false;
  if (!gindex_.HasPending()) return true;
  const TCommitMark next = MarkNow();
  if (!gindex_.Commit(mark_, next)) return Fail(gindex_.LastError());
  // The journal is on disk: the commit has happened.
  mark_ = next;
  markUnwritten_ = true;
  return RecordMark();
}

bool TXBase::RecordMark() {
  if (!WriteDescriptionFile(true)) return FailWrite("Failed to write database description");
  if (!gindex_.DropJournal(false)) return Fail(gindex_.LastError());
  return true;
}

void TXBase::SetDamaged(const std::string& text) {
  if (damage_.empty())
    damage_ = text.empty() ? "The database is damaged; it is opened for reading only" : text;
}

void TXBase::MarkDamaged(const std::string& text) {
  SetDamaged(text);
  RecordDamage(damage_);
}

}  // namespace qv
