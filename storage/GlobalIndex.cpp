// index.vlm kept open with its entries in memory. Every file operation is
// checked; entries reach the file in batches at Commit, which keeps whatever
// it could not write pending, so a retried commit writes it.
#include "storage/GlobalIndex.h"

#include <algorithm>
#include <climits>

#include "platform/Exception.h"
#include "platform/Files.h"
#include "storage/Base.h"
#include "storage/Crc32.h"

namespace qv {

namespace {

constexpr int64_t kBatchEntries = 65536;  // 1 MiB per write or read

void PutEntry(uint8_t* p, const TXGIndexRec& e) {
  uint64_t pos = uint64_t(e.Position);
  for (int i = 0; i < 8; ++i) p[i] = uint8_t(pos >> (8 * i));
  for (int i = 0; i < 4; ++i) p[8 + i] = uint8_t(e.KindId >> (8 * i));
  for (int i = 0; i < 4; ++i) p[12 + i] = uint8_t(e.Flags >> (8 * i));
}

void PutI64(uint8_t* p, int64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = uint8_t(uint64_t(v) >> (8 * i));
}

int64_t GetI64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= uint64_t(p[i]) << (8 * i);
  return int64_t(v);
}

// index.jnl: the database ID (16 bytes), the entry count the commit gives,
// the number n of rewritten entries, n times (ID, 16-byte entry), and a
// checksum of all that. A journal that is torn or fails its checksum belongs
// to a commit that never happened.
constexpr std::size_t kJournalHead = 16 + 8 + 8;
constexpr std::size_t kJournalItem = 8 + GIndexRecordSize;

std::string JournalName(const std::string& folder) {
  return folder + "index.jnl";
}

// The count and the rewritten entries of a whole journal; false when it is
// not one of this database's, or not whole.
bool ParseJournal(const std::string& data, const TGUID& guid, int64_t& count,
                  std::vector<std::pair<int64_t, const uint8_t*>>& items) {
  const auto* p = reinterpret_cast<const uint8_t*>(data.data());
  if (data.size() < kJournalHead + 4) return false;
  const std::size_t body = data.size() - 4;
  uint32_t crc = 0;
  for (int i = 0; i < 4; ++i) crc |= uint32_t(p[body + std::size_t(i)]) << (8 * i);
  if (crc != CalcCRC32(p, body) || !(TGUID::FromBytes(p) == guid)) return false;
  count = GetI64(p + 16);
  const int64_t n = GetI64(p + 24);
  if (count < 1 || n < 0 || uint64_t(n) != (body - kJournalHead) / kJournalItem ||
      (body - kJournalHead) % kJournalItem != 0)
    return false;
  for (int64_t i = 0; i < n; ++i) {
    const uint8_t* item = p + kJournalHead + std::size_t(i) * kJournalItem;
    const int64_t id = GetI64(item);
    if (id < 1 || id >= count) return false;
    items.emplace_back(id, item + 8);
  }
  return true;
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
  // A journal left by the index replaced must never be applied to the new one.
  journalName_ = JournalName(database.Path());
  hooks_ = &database.Hooks();
  if (!DropJournal()) return false;
  auto guid = database.GUID.ToBytes();
  if (!WriteFileAtomic(fileName, std::string(guid.begin(), guid.end()), database.Hooks()))
    return Fail("Failed to write \"" + fileName + "\"");
  Unbind();
  fileName_ = fileName;
  base_ = &database;
  entries_.assign(1, TXGIndexRec{0, 0, 0});
  writtenCount_ = 1;
  // Should the reopen fail, the index stays bound without a file: appends and
  // commits then fail with this text.
  if (!file_.Open(fileName_, BinaryFile::Mode::ReadWrite, database.Hooks()))
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
  journalName_ = JournalName(database.Path());
  hooks_ = &database.Hooks();
  const bool readOnly = database.OpensReadOnly();  // commits then fail
  if (!file_.Open(fileName_, readOnly ? BinaryFile::Mode::Read : BinaryFile::Mode::ReadWrite, *hooks_))
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

bool TXGIndex::SyncIndexFile() {
  if (file_.Sync()) return true;
  return Fail("Failed to sync \"" + fileName_ + "\": " + file_.ErrorText());
}

// The rewritten entries, whole and on disk (the folder synced too), before
// any of them reaches index.vlm.
bool TXGIndex::WriteJournal() {
  std::sort(dirty_.begin(), dirty_.end());
  dirty_.erase(std::unique(dirty_.begin(), dirty_.end()), dirty_.end());
  std::vector<uint8_t> buf(kJournalHead + dirty_.size() * kJournalItem + 4);
  const auto guid = base_->GUID.ToBytes();
  std::copy(guid.begin(), guid.end(), buf.begin());
  PutI64(buf.data() + 16, RecordCount());
  PutI64(buf.data() + 24, int64_t(dirty_.size()));
  uint8_t* item = buf.data() + kJournalHead;
  for (int64_t id : dirty_) {
    PutI64(item, id);
    PutEntry(item + 8, entries_[std::size_t(id)]);
    item += kJournalItem;
  }
  const uint32_t crc = CalcCRC32(buf.data(), buf.size() - 4);
  for (int i = 0; i < 4; ++i) item[i] = uint8_t(crc >> (8 * i));
  BinaryFile journal;
  const bool ok = journal.Open(journalName_, BinaryFile::Mode::Create, *hooks_) &&
                  journal.WriteAt(0, buf.data(), buf.size()) && journal.Sync();
  const std::string reason = journal.ErrorText();
  journal.Close();
  if (!ok) return Fail("Failed to write \"" + journalName_ + "\": " + reason);
  if (!SyncDirectory(ExtractFilePath(journalName_), *hooks_))
    return Fail("Failed to sync \"" + journalName_ + "\"");
  return true;
}

bool TXGIndex::DropJournal() {
  if (journalName_.empty() || !FileExists(journalName_)) return true;
  if (DeleteFile(journalName_, *hooks_) && SyncDirectory(ExtractFilePath(journalName_), *hooks_)) return true;
  return Fail("Failed to remove \"" + journalName_ + "\"");
}

int64_t TXGIndex::Settle(TXBase& database, int64_t recorded, bool& changed) {
  lastError_.clear();
  changed = false;
  const std::string fileName = database.Path() + "index.vlm";
  journalName_ = JournalName(database.Path());
  hooks_ = &database.Hooks();
  int64_t count = recorded;
  BinaryFile file;
  std::string data;
  if (FileExists(journalName_)) {
    int64_t journalCount = 0;
    std::vector<std::pair<int64_t, const uint8_t*>> items;
    if (!ReadWholeFile(journalName_, data) || !ParseJournal(data, database.GUID, journalCount, items)) {
      if (!DropJournal()) return -1;  // torn: its commit never happened
    } else {
      // Its commit happened: what it rewrites reaches index.vlm (again).
      count = std::max(count, journalCount);
      if (!file.Open(fileName, BinaryFile::Mode::ReadWrite, *hooks_)) {
        Fail("Failed to open \"" + fileName + "\": " + file.ErrorText());
        return -1;
      }
      for (auto& [id, entry] : items)
        if (!file.WriteAt(id * int64_t(GIndexRecordSize), entry, GIndexRecordSize)) {
          Fail("Failed to write \"" + fileName + "\": " + file.ErrorText());
          return -1;
        }
      changed = true;
    }
  }
  if (count <= 0) return 0;
  // A database that ended cleanly is left alone (and may lie on a medium that
  // cannot be written).
  if (!file.IsOpen() && FileSizeOf(fileName) <= count * int64_t(GIndexRecordSize)) return count;
  if (!file.IsOpen() && !file.Open(fileName, BinaryFile::Mode::ReadWrite, *hooks_))
    return count;  // Open reports it
  // Entries past the committed count were appended by a commit that never
  // happened: nothing committed refers to them.
  const int64_t size = file.Size();
  if (size > count * int64_t(GIndexRecordSize)) {
    if (!file.Truncate(count * int64_t(GIndexRecordSize))) {
      Fail("Failed to truncate \"" + fileName + "\": " + file.ErrorText());
      return -1;
    }
    changed = true;
  }
  if (changed && !file.Sync()) {
    Fail("Failed to sync \"" + fileName + "\": " + file.ErrorText());
    return -1;
  }
  return count;
}

bool TXGIndex::Commit() {
  lastError_.clear();
  if (!base_ || !file_.IsOpen()) return Fail("Global index is not open");
  if (!HasPending()) return true;
  // Appended entries first, beyond the committed count; then the rewritten
  // ones through the journal, once the appended ones are on disk.
  bool ok = writtenCount_ == RecordCount() || WriteRun(writtenCount_, RecordCount() - writtenCount_);
  if (ok && !dirty_.empty()) ok = SyncIndexFile() && WriteJournal() && WriteDirty();
  if (ok) ok = SyncIndexFile();
  // Whether it worked or stopped half way, entries in the file may now refer
  // to the fresh chains: none may be overwritten any more.
  fresh_.clear();
  if (!ok) return false;
  dirty_.clear();
  writtenCount_ = RecordCount();
  return true;
}

}  // namespace qv
