// TXBase: reusing the space of chains that no committed index entry points
// to. A chain written since the last commit is given back at once when its
// record is written again; a committed one only after the flush that
// replaced it has reached the disk. free.vlm, written after index.vlm, lists
// the free space for the next session; it is removed before an index commit
// that may point into space it lists, so that it never outlives its truth.
// xbase.vlm records the checksum free.vlm ends in: a free.vlm that is
// missing, damaged or not the one recorded (a crash between the two, a copy
// put back) is found again from the index at open, so no space is lost.
#include <algorithm>

#include "classlib/SysUtils.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "storage/Base.h"

namespace qv {

void TXBase::LoadFreeSpace() {
  free_.Clear();
  free_.MarkSaved();
  freeFileHolds_ = FileExists(FreeFileName());
  freeFileStale_ = false;
  chainsUnshared_ = -1;
  uint32_t check = 0;
  const bool sound = freeFileHolds_ && free_.LoadSound(FreeFileName(), GUID, dataFile_->Size(), check);
  freeAsRecorded_ = sound && freeRecorded_ && check == freeCheck_;
  if (freeAsRecorded_) return;
  // A database that writes nothing takes no space either.
  if (ReadOnly() || !gindex_.Bound()) return;
  // Found again, and not said: a crash, a failed change or a copy put back
  // leave this, and space found again is no news to a user.
  if (!RebuildFreeSpace()) return;
  SaveFreeFile();
}

// The space of storage.vlm that no live entry's chain takes. A chain whose
// tags do not form one is damage: nothing is free, and nothing is written.
bool TXBase::RebuildFreeSpace() {
  free_.Clear();
  std::vector<std::pair<int64_t, int64_t>> taken;
  taken.reserve(std::size_t(gindex_.RecordCount()));
  int64_t broken = 0;
  gindex_.ForEach([&](const TXGIndexRec& entry, int64_t id) {
    if (entry.IsDeleted() || entry.Position <= 0 || dataFile_->ChainPieces(entry.Position, taken))
      return true;
    broken = id;
    return false;
  });
  if (broken > 0) {
    SetDamaged("The database is damaged: the chain of record \"" + IntToHex(uint64_t(broken), 16) +
               "\" in storage.vlm is broken; it is opened for reading only");
    return false;
  }
  std::sort(taken.begin(), taken.end());
  int64_t at = int64_t(XFileHeaderSize);
  // Two entries may share a chain (only a damaged index shows that): the
  // space either takes is not free.
  for (const auto& [position, bytes] : taken) {
    if (position > at) free_.Release(at, position - at);
    at = std::max(at, position + bytes);
  }
  const int64_t size = dataFile_->Size();
  if (size > at) free_.Release(at, size - at);
  return true;
}

// Writes free.vlm and notes its checksum for xbase.vlm, whose next write
// records it; false (only space is lost) when it cannot be written.
bool TXBase::SaveFreeFile() {
  uint32_t check = 0;
  if (!free_.Save(FreeFileName(), GUID, dataFile_->Size(), hooks_, &check)) return false;
  freeFileHolds_ = true;
  freeFileStale_ = false;
  free_.MarkSaved();
  if (!freeRecorded_ || freeCheck_ != check) engineStateDirty_ = true;
  freeRecorded_ = true;
  freeCheck_ = check;
  return true;
}

// Removes free.vlm for good (the folder synced): no later Open may take its
// stretches for free.
bool TXBase::DropFreeFile() {
  if (FileExists(FreeFileName()) && !DeleteFile(FreeFileName(), hooks_)) return false;
  if (!SyncDirectory(path_, hooks_)) return false;
  freeFileHolds_ = false;
  return true;
}

bool TXBase::BeforeIndexCommit() {
  if (!freeFileHolds_ || !freeFileStale_) return true;
  if (DropFreeFile()) return true;
  return FailWrite("Failed to remove \"" + FreeFileName() + "\"");
}

// The entries are on disk: what they replaced is free now. The list reaches
// free.vlm when it changed; should that fail, the space is merely unknown to
// the next session.
void TXBase::AfterIndexCommit() {
  free_.Committed();
  // Written even when nothing is free: a missing free.vlm is one to rebuild.
  if (!free_.Changed() && freeFileHolds_) return;
  SaveFreeFile();
}

// Writes the record's encoding (in recordStream_) to free space that fits it,
// else at the end of the file. The position (0 or below on failure) and the
// chain's size.
int64_t TXBase::PlaceRecord(uint32_t kindId, int64_t& bytes) {
  bytes = TXFile::ChainBytes(dataFile_->StoredLength(recordStream_.Size()));
  const int64_t at = free_.Take(bytes);
  if (at >= 0) freeFileStale_ = true;
  const int64_t position = dataFile_->PlaceData(kindId, recordStream_, at);
  if (position <= 0 && at >= 0) free_.Release(at, bytes);  // what was written there belongs to nobody
  return position;
}

// The record's previous chain is no longer wanted. One that no entry on disk
// can point to is free at once; a committed one after the next commit. A
// chain read from the file is given up only while no two live entries share
// a chain, which only a damaged index.vlm shows.
void TXBase::GiveUpChain(const TXRecData& record, bool fresh) {
  if (record.Position <= 0 || record.ChainBytes == 0) return;
  const int64_t bytes = record.ChainBytes > 0 ? record.ChainBytes : -int64_t(record.ChainBytes);
  if (record.ChainBytes < 0 && !ChainsUnshared()) return;
  GiveUpStretch(record.Position, bytes, fresh);
}

void TXBase::GiveUpStretch(int64_t position, int64_t bytes, bool fresh) {
  if (fresh)
    free_.Release(position, bytes);
  else
    free_.Retire(position, bytes);
}

// A damaged entry may point into another record's chain or at garbage: only
// a chain that begins where the entry says, holds the entry's kind, passes its
// checksum and lies in one piece is given up. Failures here only leak space,
// so they are not reported.
bool TXBase::VerifiedChain(int64_t id, int64_t& position, int64_t& bytes) {
  TXGIndexRec entry;
  if (!dataFile_ || !gindex_.ReadEntry(entry, id) || entry.IsDeleted() || entry.Position <= 0) return false;
  uint32_t kindId = 0;
  recordStream_.Clear();
  try {
    if (!dataFile_->ReadRecord(kindId, recordStream_, entry.Position) || kindId != entry.KindId) return false;
  } catch (const Exception&) {
    return false;
  }
  bytes = dataFile_->LastChainBytes();
  position = entry.Position;
  return bytes > 0 && ChainsUnshared();
}

bool TXBase::ChainsUnshared() {
  if (chainsUnshared_ < 0) {
    std::vector<int64_t> positions;
    positions.reserve(std::size_t(gindex_.RecordCount()));
    gindex_.ForEach([&](const TXGIndexRec& entry, int64_t) {
      if (entry.Position > 0 && !entry.IsDeleted()) positions.push_back(entry.Position);
      return true;
    });
    std::sort(positions.begin(), positions.end());
    chainsUnshared_ = std::adjacent_find(positions.begin(), positions.end()) == positions.end() ? 1 : 0;
  }
  return chainsUnshared_ == 1;
}

}  // namespace qv
