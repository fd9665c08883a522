// TXBase: writing the changed records at Flush. Records are encoded in ID
// order into a batch; the batch's checksums and cipher, the costly part, run
// on several threads, each over its own records' bytes; then the chains are
// placed and the index entries updated in ID order on this thread. Nothing
// is written to the file before its batch is complete, and every chain still
// goes to free space or the end of the file, so the flush order (chains, sync,
// index) and its crash safety are those of a record-by-record flush.
#include "platform/Exception.h"
#include "storage/Aes.h"
#include "storage/Base.h"
#include "storage/BaseBatch.h"
#include "storage/Crc32.h"
#include "storage/Parallel.h"

namespace qv {

namespace {
constexpr std::size_t kBatchBytes = std::size_t(4) << 20;  // encodings held at once
constexpr std::size_t kBytesPerThread = 64 << 10;          // less is not worth a thread
}  // namespace

void TXBase::ReportProgress(std::size_t i, std::size_t count, int& last) {
  if (!OnProgress) return;
  int p = count == 1 ? 1 : int(int64_t(i) * 100 / int64_t(count - 1));
  if (p != last) {
    OnProgress(p);
    last = p;
  }
}

bool TXBase::SaveRecords(const std::vector<TXRecData*>& items, std::vector<TXRecData*>& saved,
                         bool progress) {
  bool ok = true;
  int last = 0;
  std::vector<BatchItem> batch;
  batchBytes_.clear();
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (progress) ReportProgress(i, items.size(), last);
    TXRecData* rec = items[i];
    if (rec->IsDeleted() || rec->IsEmpty() || !rec->IsModified()) continue;
    BatchItem item{rec, {}, batchBytes_.size(), 0, 0};
    if (!gindex_.ReadEntry(item.entry, rec->ID)) {
      ok = Fail("Failed to retrieve data index");
      continue;
    }
    QV_ASSERT(uint32_t(rec->Kind->Id) == item.entry.KindId);
    if (!rec->EncodeTo(batchBytes_)) {
      batchBytes_.resize(item.offset);
      ok = Fail("Failed to save data");
      continue;
    }
    item.length = std::size_t(dataFile_->StoredLength(int64_t(batchBytes_.size() - item.offset)));
    batchBytes_.resize(item.offset + item.length);  // the zero fill the checksum covers
    batch.push_back(item);
    // The first write that fails ends the flush: on a full disc every later
    // one fails too, and trying them all only costs time.
    if (batchBytes_.size() >= kBatchBytes && !WriteBatch(batch, saved)) return false;
  }
  if (!batch.empty() && !WriteBatch(batch, saved)) ok = false;
  return ok;
}

// Checksums and cipher of the batch's bytes on a few threads (each part its
// own records, the key schedule only read), then the chains in ID order.
bool TXBase::WriteBatch(std::vector<BatchItem>& batch, std::vector<TXRecData*>& saved) {
  if (!opened_ || !dataFile_) return Fail("Data file is not opened");
  const TAESExpandedKey256* key = dataFile_->Enciphered() && user_ ? &user_->EncryptionSchedule() : nullptr;
  if (dataFile_->Enciphered() && !key) return Fail("No user is logged in");
  uint8_t* bytes = batchBytes_.data();
  const std::size_t perThread =
      std::max<std::size_t>(1, batch.size() * kBytesPerThread / (batchBytes_.size() + 1));
  ParallelFor(batch.size(), perThread, [&batch, bytes, key](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      BatchItem& item = batch[i];
      item.checksum = CalcCRC32(bytes + item.offset, item.length);
      if (key) AESEncryptECB(bytes + item.offset, bytes + item.offset, item.length, *key);
    }
  });
  const bool ok = PlaceBatch(batch, bytes, saved);
  batch.clear();
  batchBytes_.clear();
  return ok;
}

// The batch's chains, ready in bytes, go to free space or the end of the
// file in ID order, and their index entries point there. A chain that cannot
// be written ends the batch: the records after it stay modified in the pool.
bool TXBase::PlaceBatch(std::vector<BatchItem>& batch, const uint8_t* bytes, std::vector<TXRecData*>& saved) {
  bool ok = true;
  dataWritten_ = true;
  for (BatchItem& item : batch) {
    const bool fresh = gindex_.IsFresh(item.record->ID);
    const int64_t size = TXFile::ChainBytes(int64_t(item.length));
    const int64_t at = free_.Take(size);
    if (at >= 0) freeFileStale_ = true;
    const int64_t position = dataFile_->PlaceChain(bytes + item.offset, int64_t(item.length),
                                                   item.entry.KindId, item.checksum, at);
    if (position <= 0) {
      if (at >= 0) free_.Release(at, size);  // what was written there belongs to nobody
      return Fail(dataFile_->LastError());
    }
    if (Placed(item.record, item.entry, position, size, fresh))
      saved.push_back(item.record);
    else
      ok = false;
  }
  return ok;
}

}  // namespace qv
