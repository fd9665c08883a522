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
  mark.Whole = true;
  mark.IndexSum = gindex_.PendingSum();
  NameChain(mark);
  return mark;
}

// The mark names a chain that a commit wrote and a live entry points to, so
// that an open can tell storage.vlm from a copy of it made before: the
// newest this commit wrote; else the one named before, while the commit
// leaves its entry alone (its space is never reused meanwhile); else the
// newest live record's.
void TXBase::NameChain(TCommitMark& mark) const {
  int64_t id = gindex_.NewestWrittenChain();
  if (id == 0 && mark_.Whole && mark_.ChainId > 0 && mark_.ChainId < mark.Entries &&
      !gindex_.Rewrites(mark_.ChainId)) {
    mark.ChainId = mark_.ChainId;
    mark.ChainCheck = mark_.ChainCheck;
    return;
  }
  if (id == 0) id = NewestLiveChain();
  TXGIndexRec entry;
  uint32_t check = 0;
  if (id == 0 || !dataFile_ || !gindex_.ReadEntry(entry, id) || !dataFile_->ChainCheck(entry.Position, check))
    return;
  mark.ChainId = id;
  mark.ChainCheck = check;
}

int64_t TXBase::NewestLiveChain() const {
  TXGIndexRec entry;
  for (int64_t id = gindex_.RecordCount() - 1; id > 0; --id)
    if (gindex_.ReadEntry(entry, id) && !entry.IsDeleted() && entry.Position > 0) return id;
  return 0;
}

bool TXBase::CommitIndex() {
  // A mark an earlier commit could not record goes first: a journal names
  // the mark that xbase.vlm holds.
  if (markUnwritten_ && !RecordMark()) return false;
  commitReached_ = !gindex_.HasPending();
  if (commitReached_) return true;
  const TCommitMark next = MarkNow();
  if (!gindex_.Commit(mark_, next)) return Fail(gindex_.LastError());
  // The journal is on disk: the commit has happened.
  commitReached_ = true;
  const int64_t first = mark_.Entries;
  mark_ = next;
  markUnwritten_ = true;
  if (OnMark && next.Entries > first) OnMark(first, next.Entries, false);
  return RecordMark();
}

bool TXBase::RecordMark() {
  if (!WriteDescriptionFile(true)) return FailWrite("Failed to write database description");
  if (!gindex_.DropJournal(false)) return Fail(gindex_.LastError());
  return true;
}

void TXBase::SetDamaged(const std::string& text) {
  if (damage_.empty())
    damage_ = text.empty() ? "The database is damaged; it is opened for reading only" : folder_.Shown(text);
}

void TXBase::MarkDamaged(const std::string& text) {
  SetDamaged(text);
  RecordDamage(damage_);
}

}  // namespace qv
