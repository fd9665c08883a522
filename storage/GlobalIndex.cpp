// index.vlm kept open with its entries in memory. Every file operation is
// checked; entries reach the file in batches at Commit, which keeps whatever
// it could not write pending, so a retried commit writes it.
#include "storage/GlobalIndex.h"

#include <algorithm>
#include <climits>

#include "platform/Exception.h"
#include "platform/Files.h"
#include "storage/Base.h"

namespace qv {

namespace {

constexpr int64_t kBatchEntries = 65536;  // 1 MiB per write or read

void PutEntry(uint8_t* p, const TXGIndexRec& e) {
  uint64_t pos = uint64_t(e.Position);
  for (int i = 0; i < 8; ++i) p[i] = uint8_t(pos >> (8 * i));
  for (int i = 0; i < 4; ++i) p[8 + i] = uint8_t(e.KindId >> (8 * i));
  for (int i = 0; i < 4; ++i) p[12 + i] = uint8_t(e.Flags >> (8 * i));
}

TXGIndexRec GetEntry(const uint8_t* p) {
  uint64_t pos = 0;
  uint32_t kind = 0, flags = 0;
  for (int i = 0; i < 8; ++i) pos |= uint64_t(p[i]) << (8 * i);
  for (int i = 0; i < 4; ++i) kind |= uint32_t(p[8 + i]) << (8 * i);
  for (int i = 0; i < 4; ++i) flags |= uint32_t(p[12 + i]) << (8 * i);
  return {int64_t(pos), kind, flags};
}

}  // namespace

bool TXGIndex::Fail(std::string text) {
  lastError_ = std::move(text);
  return false;
}

bool TXGIndex::Reset(TXBase& database) {
  lastError_.clear();
  if (!DirectoryExists(database.Path())) return Fail("Path \"" + database.Path() + "\" does not exist");
  // The new file is made aside and renamed into place: when that fails, the
  // index and its file stay as they were.
  std::string fileName = database.Path() + "index.vlm";
  auto guid = database.GUID.ToBytes();
  if (!WriteFileAtomic(fileName, std::string(guid.begin(), guid.end())))
    return Fail("Failed to write \"" + fileName + "\"");
  Unbind();
  fileName_ = fileName;
  base_ = &database;
  entries_.assign(1, TXGIndexRec{0, 0, 0});
  writtenCount_ = 1;
  // Should the reopen fail, the index stays bound without a file: appends and
  // commits then fail with this text.
  if (!file_.Open(fileName_, BinaryFile::Mode::ReadWrite))
    return Fail("Failed to open \"" + fileName_ + "\": " + file_.ErrorText());
  return true;
}

bool TXGIndex::Clear() {
  if (!base_) return Fail("Global index is not bound");
  return Reset(*base_);
}

bool TXGIndex::Open(TXBase& database) {
  lastError_.clear();
  Unbind();
  fileName_ = database.Path() + "index.vlm";
  if (!file_.Open(fileName_, BinaryFile::Mode::ReadWrite))
    return Fail("Failed to open \"" + fileName_ + "\": " + file_.ErrorText());
  // A torn last entry (a crash while appending) is ignored: it was never
  // committed, and the next append overwrites it.
  int64_t size = file_.Size();
  int64_t records = size < 0 ? 0 : size / int64_t(GIndexRecordSize);
  uint8_t header[GIndexRecordSize];
  // Sorted indexes count their entries in 32 bits; no sound file comes near.
  if (records > int64_t(INT32_MAX)) {
    file_.Close();
    return Fail("\"" + fileName_ + "\" is too large");
  }
  if (records < 1 || file_.ReadAt(0, header, sizeof header) != int64_t(sizeof header)) {
    file_.Close();
    return Fail("\"" + fileName_ + "\" has no header");
  }
  if (!(TGUID::FromBytes(header) == database.GUID)) {
    file_.Close();
    return Fail("\"" + fileName_ + "\" belongs to another database");
  }
  std::vector<TXGIndexRec> entries;
  entries.reserve(std::size_t(records));
  entries.push_back({0, 0, 0});
  std::vector<uint8_t> buf;
  for (int64_t first = 1; first < records; first += kBatchEntries) {
    int64_t n = std::min(kBatchEntries, records - first);
    buf.resize(std::size_t(n) * GIndexRecordSize);
    if (file_.ReadAt(first * int64_t(GIndexRecordSize), buf.data(), buf.size()) != int64_t(buf.size())) {
      file_.Close();
      return Fail("Failed to read \"" + fileName_ + "\": " + file_.ErrorText());
    }
    for (int64_t i = 0; i < n; ++i) entries.push_back(GetEntry(buf.data() + i * int64_t(GIndexRecordSize)));
  }
  entries_ = std::move(entries);
  writtenCount_ = records;
  dirty_.clear();
  base_ = &database;
  return true;
}

void TXGIndex::Close() {
  Unbind();
}

void TXGIndex::Unbind() {
  file_.Close();
  base_ = nullptr;
  entries_.clear();
  dirty_.clear();
  fresh_.clear();
  writtenCount_ = 0;
}

int64_t TXGIndex::Append(uint32_t kindId, int64_t position) {
  QV_ASSERT(base_);
  if (!file_.IsOpen()) {
    Fail("Global index is not open");
    return -1;
  }
  entries_.push_back({position, kindId, 0});
  return RecordCount() - 1;
}

bool TXGIndex::ReadEntry(TXGIndexRec& entry, int64_t id) const {
  QV_ASSERT(base_);
  if (id < 1 || id >= RecordCount()) {
    entry = TXGIndexRec{};
    return false;
  }
  entry = entries_[std::size_t(id)];
  return true;
}

bool TXGIndex::WriteEntry(const TXGIndexRec& entry, int64_t id) {
  QV_ASSERT(base_);
  if (id < 1 || id >= RecordCount()) return false;
  TXGIndexRec stored = entry;
  // The no-such-entry bit never reaches the file.
  if (stored.Flags == GIndexMissingFlag) stored.Flags = 0;
  entries_[std::size_t(id)] = stored;
  if (id < writtenCount_) dirty_.push_back(id);
  return true;
}

bool TXGIndex::MarkDeleted(int64_t id) {
  QV_ASSERT(base_);
  TXGIndexRec entry;
  if (!ReadEntry(entry, id)) return false;
  entry.Flags |= GIndexDeletedFlag;
  return WriteEntry(entry, id);
}

bool TXGIndex::ForEach(const TCallback& callback) const {
  QV_ASSERT(base_);
  bool result = true;
  // By number and by copy: the callback may append entries.
  for (int64_t id = 1; id < RecordCount(); ++id) {
    TXGIndexRec entry = entries_[std::size_t(id)];
    result = callback(entry, id);
    if (!result) break;
  }
  return result;
}

bool TXGIndex::WriteRun(int64_t first, int64_t count) {
  std::vector<uint8_t> buf;
  for (int64_t start = first; start < first + count; start += kBatchEntries) {
    int64_t n = std::min(kBatchEntries, first + count - start);
    buf.resize(std::size_t(n) * GIndexRecordSize);
    for (int64_t i = 0; i < n; ++i)
      PutEntry(buf.data() + i * int64_t(GIndexRecordSize), entries_[std::size_t(start + i)]);
    if (!file_.WriteAt(start * int64_t(GIndexRecordSize), buf.data(), buf.size()))
      return Fail("Failed to write \"" + fileName_ + "\": " + file_.ErrorText());
  }
  return true;
}

bool TXGIndex::WriteDirty() {
  std::sort(dirty_.begin(), dirty_.end());
  dirty_.erase(std::unique(dirty_.begin(), dirty_.end()), dirty_.end());
  // Neighbouring entries go out in one write.
  for (std::size_t i = 0; i < dirty_.size();) {
    std::size_t j = i + 1;
    while (j < dirty_.size() && dirty_[j] == dirty_[j - 1] + 1) ++j;
    if (!WriteRun(dirty_[i], int64_t(j - i))) return false;
    i = j;
  }
  return true;
}

void TXGIndex::MarkFresh(int64_t id) {
  if (id < 0 || id >= RecordCount()) return;
  if (fresh_.size() < entries_.size()) fresh_.resize(entries_.size());
  fresh_[std::size_t(id)] = true;
}

bool TXGIndex::Commit() {
  lastError_.clear();
  if (!base_ || !file_.IsOpen()) return Fail("Global index is not open");
  if (!HasPending()) return true;
  bool ok = WriteDirty() &&
            (writtenCount_ == RecordCount() || WriteRun(writtenCount_, RecordCount() - writtenCount_));
  if (ok && !file_.Sync()) ok = Fail("Failed to sync \"" + fileName_ + "\": " + file_.ErrorText());
  // Whether it worked or stopped half way, entries in the file may now refer
  // to the fresh chains: none may be overwritten any more.
  fresh_.clear();
  if (!ok) return false;
  dirty_.clear();
  writtenCount_ = RecordCount();
  return true;
}

}  // namespace qv
