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
// A live entry of a kind the schema does not know is damage, and remembered
// like damage a search finds (CheckEntries).
#include <algorithm>

#include "classlib/SysUtils.h"
#include "platform/Files.h"
#include "storage/Base.h"
#include "storage/Crc32.h"

namespace qv {

namespace {
const char* const kFromCopy =
    " (damaged, or one of them put back from another copy?); it is opened for reading only";
}  // namespace

void TXBase::CheckFilesBelong() {
  if (markRead_ && mark_.Whole) {
    if (!IndexBelongs()) {
      SetDamaged("The database's files do not match: " + IndexMismatchText() + std::string(kFromCopy));
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
  if (damage_.empty()) CheckEntries();
}

// index.vlm and the mark in xbase.vlm are of different commits. Which of the
// two does not belong, as far as the other files tell: xbase.vlm records
// what its commit left of them too (the header stamp of storage.vlm, which
// every close rewrites, and the checksum of free.vlm and of each sorted
// index file). When all of that holds, xbase.vlm is of the files' last
// commit and index.vlm is not; when storage.vlm was closed since and a file
// it records has changed, xbase.vlm is older than the rest; else either
// may be.
std::string TXBase::IndexMismatchText() const {
  const bool stampFits = dataFile_->StampOnDisk() == mark_.Stamp;
  int changed = 0;
  std::string data;
  for (const auto& [file, crc] : recordedIndexes_)
    if (ReadWholeFile(path_ + file, data)) changed += CalcCRC32(data.data(), data.size()) != crc;
  if (uint32_t ends = 0; freeRecorded_ && TFreeSpace::StoredCheck(FreeFileName(), ends))
    changed += ends != freeCheck_;
  if (stampFits && changed == 0) return "index.vlm is not as the last commit recorded in xbase.vlm left it";
  if (!stampFits && changed > 0)
    return "xbase.vlm is not of the last commit: index.vlm is not as the commit it records left it, and "
           "storage.vlm and the files that commit recorded were written after it";
  return "index.vlm is not as the last commit recorded in xbase.vlm left it, and the other files cannot tell "
         "which of the two is not of the last commit";
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

// One pass over the live entries: each must point inside storage.vlm, and
// be of a record kind of the schema. An entry of a kind the schema does not
// know can be read by nothing: the record it stands for is lost. A commit
// mark of the version before holds no sum of index.vlm, so without this
// check the entry would only be missing from searches and the browser, and
// the next commit would take it into a whole mark. It is remembered, as
// damage a search meets is.
void TXBase::CheckEntries() {
  const int64_t size = dataFile_->Size();
  const int64_t last = size - int64_t(2 * XTagSize);  // the last place a chain can begin
  std::vector<uint32_t> known;
  for (int i = 0; i < context_.Count(); ++i)
    if (const TKind* kind = context_.GetKind(i); kind->Code == kcRec) known.push_back(uint32_t(kind->Id));
  int64_t outside = 0, first = 0, where = 0, unknown = 0, firstUnknown = 0;
  uint32_t unknownKind = 0;
  gindex_.ForEach([&](const TXGIndexRec& entry, int64_t id) {
    if (entry.IsDeleted()) return true;
    if (std::find(known.begin(), known.end(), entry.KindId) == known.end() && unknown++ == 0)
      firstUnknown = id, unknownKind = entry.KindId;
    if (entry.Position <= 0 || (entry.Position >= int64_t(XFileHeaderSize) && entry.Position <= last))
      return true;
    if (outside++ == 0) first = id, where = entry.Position;
    return true;
  });
  if (outside > 0) {
    SetDamaged("The database is damaged: " + IntToStr(outside) +
               " record(s) of index.vlm lie outside storage.vlm (ID \"" + IntToHex(uint64_t(first), 16) +
               "\" at " + IntToStr(where) + ", and the file holds " + IntToStr(size) +
               " bytes); it is opened for reading only");
    return;
  }
  if (unknown > 0)
    MarkDamaged("The database is damaged: " + IntToStr(unknown) +
                " record(s) of index.vlm are of a kind the schema does not know (ID \"" +
                IntToHex(uint64_t(firstUnknown), 16) + "\": unknown kind ID = " + IntToHex(unknownKind, 8) +
                "); it is opened for reading only");
}

}  // namespace qv
