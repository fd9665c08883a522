// TXBase: writing finished records ahead of the flush. A batch is encoded,
// checksummed and enciphered on a worker thread while the caller goes on
// making records; the next batch (or anything that may touch the batch's
// records or the file) first places its chains in ID order on the caller's
// thread, exactly as a flush batch is placed, and drops its records from the
// pool. The worker also frees the records of the batch placed before, so
// that their memory costs the caller nothing.
#include <algorithm>
#include <thread>

#include "storage/Aes.h"
#include "storage/Base.h"
#include "storage/BaseBatch.h"
#include "storage/Crc32.h"

namespace qv {

struct TXBase::AheadJob {
  std::vector<BatchItem> items;
  std::vector<bool> encoded;  // per item: false when its encoding failed
  std::vector<uint8_t> bytes;
  std::vector<int64_t> ids;  // ascending, for InFlight
  std::vector<std::unique_ptr<TXRecData>> dropped;
  std::thread worker;

  // The worker's part: reads only the batch's records, which nobody changes
  // while it runs, and the file's constant options.
  void Encode(const TXFile& file, const TAESExpandedKey256* key) {
    encoded.assign(items.size(), false);
    for (std::size_t i = 0; i < items.size(); ++i) {
      BatchItem& item = items[i];
      item.offset = bytes.size();
      if (!item.record->EncodeTo(bytes)) {
        bytes.resize(item.offset);
        continue;
      }
      item.length = std::size_t(file.StoredLength(int64_t(bytes.size() - item.offset)));
      bytes.resize(item.offset + item.length);  // the zero fill the checksum covers
      item.checksum = CalcCRC32(bytes.data() + item.offset, item.length);
      if (key) AESEncryptECB(bytes.data() + item.offset, bytes.data() + item.offset, item.length, *key);
      encoded[i] = true;
    }
    dropped.clear();
  }
};

void TXBase::AheadJobDeleter::operator()(AheadJob* job) const {
  if (job->worker.joinable()) job->worker.join();
  delete job;
}

bool TXBase::WriteAhead(const std::vector<TXRecData*>& records) {
  LastError.clear();
  if (!opened_ || RefuseWrite()) return false;
  std::vector<std::unique_ptr<TXRecData>> dropped;
  bool ok = FinishWriteAhead(&dropped);
  const TAESExpandedKey256* key = dataFile_->Enciphered() && user_ ? &user_->EncryptionSchedule() : nullptr;
  if (dataFile_->Enciphered() && !key) return Fail("No user is logged in");
  std::unique_ptr<AheadJob, AheadJobDeleter> job(new AheadJob);
  for (TXRecData* rec : records) {
    // A pinned record may change while the worker reads it: the flush takes it.
    if (rec->IsDeleted() || rec->IsEmpty() || !rec->IsModified() || rec->Pins > 0) continue;
    BatchItem item{rec, {}, 0, 0, 0};
    if (!gindex_.ReadEntry(item.entry, rec->ID)) {
      ok = Fail("Failed to retrieve data index");
      continue;
    }
    QV_ASSERT(uint32_t(rec->Kind->Id) == item.entry.KindId);
    job->items.push_back(item);
    job->ids.push_back(rec->ID);
  }
  std::sort(job->ids.begin(), job->ids.end());
  job->dropped = std::move(dropped);
  if (job->items.empty()) return ok;  // the dropped records go with the job
  AheadJob* j = job.get();
  const TXFile* file = dataFile_.get();
  job->worker = std::thread([j, file, key] { j->Encode(*file, key); });
  ahead_ = std::move(job);
  return ok;
}

bool TXBase::InFlight(int64_t id) const {
  return ahead_ && std::binary_search(ahead_->ids.begin(), ahead_->ids.end(), id);
}

bool TXBase::FinishWriteAhead(std::vector<std::unique_ptr<TXRecData>>* dropped) {
  if (!ahead_) return true;
  auto job = std::move(ahead_);
  job->worker.join();
  bool ok = true;
  std::vector<BatchItem> ready;
  ready.reserve(job->items.size());
  for (std::size_t i = 0; i < job->items.size(); ++i)
    if (job->encoded[i])
      ready.push_back(job->items[i]);
    else
      ok = Fail("Failed to save data");  // stays pooled and modified for the flush
  std::vector<TXRecData*> saved;
  // The file may have been closed meanwhile (a failed open of another one):
  // the records then stay for whoever flushes them.
  if (!ready.empty() && (!dataFile_ || !PlaceBatch(ready, job->bytes.data(), saved))) ok = false;
  for (TXRecData* rec : saved) {
    rec->ClearModified();
    if (rec->Pins > 0) continue;
    if (dropped)
      dropped->push_back(pool_.Take(rec->ID));
    else
      pool_.Delete(rec->ID);
  }
  return ok;
}

}  // namespace qv
