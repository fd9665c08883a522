// TXBase: what an open checks at little cost before anything is written, so
// that files of different commits (one of them put back from another copy)
// or a data file that cannot hold what its index lists are found at once,
// not at the first search after an add has written over them:
// - index.vlm's entries below the recorded count sum to the mark's IndexSum
//   (one pass over the entries the open read anyway);
// - storage.vlm is as long as the mark says, and holds the chain the mark
//   names, which reads back whole;
// - every live entry points inside storage.vlm.
// Each finding opens the database read-only for this session, naming the
// file; nothing is recorded, so the files put back as they belong open again.
#include "classlib/SysUtils.h"
#include "storage/Base.h"

namespace qv {

namespace {
const char* const kFromCopy =
    " (damaged, or one of them put back from another copy?); restore the catalogue's files from one copy. "
    "It is opened for reading only";
}  // namespace

void TXBase::CheckFilesBelong() {
  if (markRead_ && mark_.Whole) {
    if (!IndexBelongs()) {
      SetDamaged(
          "The database's files do not match: index.vlm is not as the last commit recorded in "
          "xbase.vlm left it" +
          std::string(kFromCopy));
      return;
    }
    const int64_t size = dataFile_->Size();
    if (size < mark_.DataSize) {
      SetDamaged("The database's files do not match: storage.vlm holds " + IntToStr(size) +
                 " bytes, and the last commit recorded in xbase.vlm left " + IntToStr(mark_.DataSize) +
                 std::string(kFromCopy));
      return;
    }
  }
  CheckDataFile();
  if (damage_.empty()) CheckPositions();
}

bool TXBase::IndexBelongs() const {
  return gindex_.RecordCount() >= mark_.Entries && gindex_.Sum(mark_.Entries) == mark_.IndexSum;
}

// The chain the mark names is the one its commit wrote; without one (a mark
// of an earlier version) the newest live record's. It is read back whole
// too, which a data file whose header lost its cipher bit fails.
void TXBase::CheckDataFile() {
  const bool named = markRead_ && mark_.Whole && mark_.ChainId > 0;
  const int64_t id = named ? mark_.ChainId : NewestLiveChain();
  if (id <= 0) return;
  TXGIndexRec entry;
  uint32_t check = 0;
  if (named && (!gindex_.ReadEntry(entry, id) || entry.IsDeleted() || entry.Position <= 0 ||
                !dataFile_->ChainCheck(entry.Position, check) || check != mark_.ChainCheck)) {
    SetDamaged(
        "The database's files do not match: storage.vlm does not hold the records the last commit "
        "recorded in xbase.vlm wrote" +
        std::string(kFromCopy));
    return;
  }
  std::string why;
  if (!EntryChecksOut(id, why))
    SetDamaged("The database is damaged: storage.vlm does not hold record \"" + IntToHex(uint64_t(id), 16) +
               "\" as index.vlm lists it (" + why + "); it is opened for reading only");
}

void TXBase::CheckPositions() {
  const int64_t size = dataFile_->Size();
  const int64_t last = size - int64_t(2 * XTagSize);  // the last place a chain can begin
  int64_t bad = 0, first = 0, where = 0;
  gindex_.ForEach([&](const TXGIndexRec& entry, int64_t id) {
    if (entry.IsDeleted() || entry.Position <= 0) return true;
    if (entry.Position >= int64_t(XFileHeaderSize) && entry.Position <= last) return true;
    if (bad++ == 0) first = id, where = entry.Position;
    return true;
  });
  if (bad == 0) return;
  SetDamaged("The database is damaged: " + IntToStr(bad) +
             " record(s) of index.vlm lie outside storage.vlm (ID \"" + IntToHex(uint64_t(first), 16) +
             "\" at " + IntToStr(where) + ", and the file holds " + IntToStr(size) +
             " bytes); it is opened for reading only");
}

}  // namespace qv
