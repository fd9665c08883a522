// index.vlm kept open with its entries in memory. Every file operation is
// checked; entries reach the file in batches at Commit, which keeps whatever
// it could not write pending, so a retried commit writes it.
#include "storage/GlobalIndex.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>

#include "platform/Exception.h"
#include "platform/Files.h"
#include "storage/Base.h"
#include "storage/CommitMark.h"
#include "storage/Crc32.h"
#include "storage/IndexJournal.h"

namespace qv {

namespace {

constexpr int64_t kBatchEntries = 65536;  // 1 MiB per write or read
constexpr int64_t kTailEntries = 16;      // entries a commit mark's checksum covers

}  // namespace

void PutGIndexEntry(uint8_t* p, const TXGIndexRec& e) {
  uint64_t pos = uint64_t(e.Position);
  for (int i = 0; i < 8; ++i) p[i] = uint8_t(pos >> (8 * i));
  for (int i = 0; i < 4; ++i) p[8 + i] = uint8_t(e.KindId >> (8 * i));
  for (int i = 0; i < 4; ++i) p[12 + i] = uint8_t(e.Flags >> (8 * i));
}

TXGIndexRec GetGIndexEntry(const uint8_t* p) {
  uint64_t pos = 0;
  uint32_t kind = 0, flags = 0;
  for (int i = 0; i < 8; ++i) pos |= uint64_t(p[i]) << (8 * i);
  for (int i = 0; i < 4; ++i) kind |= uint32_t(p[8 + i]) << (8 * i);
  for (int i = 0; i < 4; ++i) flags |= uint32_t(p[12 + i]) << (8 * i);
  return {int64_t(pos), kind, flags};
}

namespace {
uint64_t InodeOf(const std::string& path) {
  struct stat st {};
  return PathStat(path, st) ? uint64_t(st.st_ino) : 0;
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
  journalName_ = TXGIndexJournal::FileName(database.Path());
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
  committedSum_ = 0;
  // Should the reopen fail, the index stays bound without a file: appends and
  // commits then fail with this text.
  if (!file_.Open(fileName_, BinaryFile::Mode::ReadWrite, database.Hooks()))
    return Fail("Failed to open \"" + fileName_ + "\": " + file_.ErrorText());
  return true;
}

bool TXGIndex::Clear() {
  if (!base_) return Fail("Global index is not bound");
  lastError_.clear();
  // Emptied in memory first: whatever fails below, no entry is read again.
  entries_.assign(1, TXGIndexRec{0, 0, 0});
  writtenCount_ = 1;
  dirty_.clear();
  fresh_.clear();
  committedSum_ = 0;
  if (!DropJournal()) return false;
  if (!file_.IsOpen()) return Reset(*base_);
  // Cut back to its header where it is: that takes no space, so a full disc
  // does not stop it, and the header (the database ID) stays as it was.
  if (!file_.Truncate(int64_t(GIndexRecordSize)) || !file_.Sync())
    return Fail("Failed to write \"" + fileName_ + "\": " + file_.ErrorText());
  return true;
}

bool TXGIndex::Open(TXBase& database) {
  lastError_.clear();
  Unbind();
  fileName_ = database.Path() + "index.vlm";
  journalName_ = TXGIndexJournal::FileName(database.Path());
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
    for (int64_t i = 0; i < n; ++i)
      entries.push_back(GetGIndexEntry(buf.data() + i * int64_t(GIndexRecordSize)));
  }
  entries_ = std::move(entries);
  writtenCount_ = records;
  committedSum_ = Sum(records);
  dirty_.clear();
  base_ = &database;
  return true;
}

bool TXGIndex::AsLeft() const {
  if (!file_.IsOpen()) return true;
  int64_t size = -1;
  return file_.IsAt(fileName_, size) && size / int64_t(GIndexRecordSize) >= writtenCount_;
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
  committedSum_ = 0;
}

void TXGIndex::DropPending() {
  for (const auto& [id, fileValue] : dirty_) entries_[std::size_t(id)] = fileValue;
  dirty_.clear();
  if (writtenCount_ < RecordCount()) entries_.resize(std::size_t(writtenCount_));
  fresh_.clear();
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
  // The value in the file is kept for the journal, which names it.
  if (id < writtenCount_) dirty_.try_emplace(id, entries_[std::size_t(id)]);
  entries_[std::size_t(id)] = stored;
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
      PutGIndexEntry(buf.data() + i * int64_t(GIndexRecordSize), entries_[std::size_t(start + i)]);
    if (!file_.WriteAt(start * int64_t(GIndexRecordSize), buf.data(), buf.size()))
      return Fail("Failed to write \"" + fileName_ + "\": " + file_.ErrorText());
  }
  return true;
}

bool TXGIndex::WriteDirty(const std::vector<int64_t>& ids) {
  // Entries near each other go out in one write, with the committed ones
  // between them written as the file holds them: a commit that rewrites
  // thousands of scattered entries (every name a re-add meets) makes a few
  // large writes, not one for each.
  constexpr int64_t kGap = 16;
  for (std::size_t i = 0; i < ids.size();) {
    std::size_t j = i + 1;
    while (j < ids.size() && ids[j] - ids[j - 1] <= kGap && ids[j] < writtenCount_) ++j;
    if (!WriteRun(ids[i], ids[j - 1] - ids[i] + 1)) return false;
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

// Every entry the commit writes, whole and on disk (the folder synced too),
// before any of them reaches index.vlm.
bool TXGIndex::WriteJournal(const TCommitMark& before, const TCommitMark& after,
                            const std::vector<int64_t>& ids) {
  std::vector<TXGIndexJournal::TRewrite> rewrites;
  rewrites.reserve(ids.size());
  for (int64_t id : ids) rewrites.push_back({id, dirty_.at(id), entries_[std::size_t(id)]});
  const std::vector<uint8_t> buf =
      TXGIndexJournal::Encode(base_->GUID, before, after, entries_.data() + writtenCount_, rewrites);
  BinaryFile journal;
  const bool opened = journal.Open(journalName_, BinaryFile::Mode::Create, *hooks_);
  if (opened) ownJournal_ = InodeOf(journalName_);
  const bool ok = opened && journal.WriteAt(0, buf.data(), buf.size()) && journal.Sync();
  const std::string reason = journal.ErrorText();
  journal.Close();
  if (!ok) {
    // Nothing of the commit happened: a journal left torn would only make
    // the next open tell of it. Removing a file takes no room on a full disc.
    DeleteFile(journalName_, *hooks_);
    return Fail("Failed to write \"" + journalName_ + "\": " + reason);
  }
  if (!SyncDirectory(ExtractFilePath(journalName_), *hooks_))
    return Fail("Failed to sync \"" + journalName_ + "\"");
  return true;
}

bool TXGIndex::DropJournal(bool durable) {
  if (journalName_.empty() || !FileExists(journalName_)) return true;
  if (DeleteFile(journalName_, *hooks_)) {
    ownJournal_ = 0;
    if (!durable || SyncDirectory(ExtractFilePath(journalName_), *hooks_)) return true;
  }
  return Fail("Failed to remove \"" + journalName_ + "\"");
}

void TXGIndex::DropOwnJournal() {
  if (ownJournal_ == 0 || journalName_.empty() || InodeOf(journalName_) != ownJournal_) return;
  if (DeleteFile(journalName_, *hooks_)) ownJournal_ = 0;
}

std::string TXGIndex::SetJournalAside() {
  for (int n = 1; n < 1000; ++n) {
    const std::string aside = journalName_ + "." + std::to_string(n);
    if (FileExists(aside)) continue;
    if (!RenameFile(journalName_, aside, *hooks_) || !SyncDirectory(ExtractFilePath(journalName_), *hooks_)) {
      Fail("Failed to rename \"" + journalName_ + "\"");
      return std::string();
    }
    return aside;
  }
  Fail("Failed to rename \"" + journalName_ + "\"");
  return std::string();
}

bool TXGIndex::Redo(const TXGIndexJournal& journal, bool write) {
  lastError_.clear();
  if (!base_) return Fail("Global index is not bound");
  const int64_t first = journal.Legacy ? RecordCount() : journal.Before.Entries;
  const int64_t count = journal.Legacy ? RecordCount() : journal.After.Entries;
  entries_.resize(std::size_t(count));
  for (int64_t id = first; id < count; ++id)
    entries_[std::size_t(id)] = journal.Appended[std::size_t(id - first)];
  std::vector<int64_t> ids;
  for (const auto& r : journal.Rewrites) {
    entries_[std::size_t(r.Id)] = r.New;
    ids.push_back(r.Id);
  }
  dirty_.clear();
  fresh_.clear();
  committedSum_ = Sum(RecordCount());
  if (!write) {
    writtenCount_ = RecordCount();
    return true;
  }
  const bool ok = (first == count || WriteRun(first, count - first)) && WriteDirty(ids) && SyncIndexFile();
  writtenCount_ = ok ? RecordCount() : std::min(writtenCount_, first);
  return ok;
}

uint32_t TXGIndex::TailChecksum(int64_t count) const {
  return TailChecksum(count, [this](int64_t id) { return entries_[std::size_t(id)]; });
}

uint32_t TXGIndex::TailChecksum(int64_t count, const std::function<TXGIndexRec(int64_t id)>& entryAt) {
  std::vector<uint8_t> bytes;
  for (int64_t id = std::max<int64_t>(1, count - kTailEntries); id < count; ++id) {
    bytes.resize(bytes.size() + GIndexRecordSize);
    PutGIndexEntry(bytes.data() + bytes.size() - GIndexRecordSize, entryAt(id));
  }
  return CalcCRC32(bytes.data(), bytes.size());
}

namespace {
// The finaliser of a well-known 64-bit mixing generator: every input bit
// reaches every output bit.
uint64_t Mix(uint64_t z) {
  z ^= z >> 30;
  z *= 0xBF58476D1CE4E5B9ull;
  z ^= z >> 27;
  z *= 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
}  // namespace

uint64_t TXGIndex::EntrySum(int64_t id, const TXGIndexRec& entry) {
  const uint64_t low = uint64_t(entry.Position);
  const uint64_t high = uint64_t(entry.KindId) | uint64_t(entry.Flags) << 32;
  return Mix(Mix(Mix(uint64_t(id)) ^ low) ^ high);
}

uint64_t TXGIndex::Sum(int64_t count) const {
  uint64_t sum = 0;
  const int64_t end = std::min(count, RecordCount());
  for (int64_t id = 1; id < end; ++id) sum += EntrySum(id, entries_[std::size_t(id)]);
  return sum;
}

uint64_t TXGIndex::PendingSum() const {
  uint64_t sum = committedSum_;
  for (const auto& [id, old] : dirty_) sum += EntrySum(id, entries_[std::size_t(id)]) - EntrySum(id, old);
  for (int64_t id = std::max<int64_t>(1, writtenCount_); id < RecordCount(); ++id)
    sum += EntrySum(id, entries_[std::size_t(id)]);
  return sum;
}

int64_t TXGIndex::NewestWrittenChain() const {
  for (int64_t id = RecordCount() - 1; id >= std::max<int64_t>(1, writtenCount_); --id) {
    const TXGIndexRec& e = entries_[std::size_t(id)];
    if (e.Position > 0 && !e.IsDeleted()) return id;
  }
  int64_t newest = 0;
  for (const auto& [id, old] : dirty_) {
    const TXGIndexRec& e = entries_[std::size_t(id)];
    if (id > newest && e.Position > 0 && !e.IsDeleted() && e.Position != old.Position) newest = id;
  }
  return newest;
}

bool TXGIndex::Commit() {
  TCommitMark before, after;
  before.Entries = before.HighWater = writtenCount_;
  after.Entries = after.HighWater = RecordCount();
  return Commit(before, after) && DropJournal();
}

bool TXGIndex::Commit(const TCommitMark& before, const TCommitMark& after) {
  lastError_.clear();
  if (!base_ || !file_.IsOpen()) return Fail("Global index is not open");
  if (!HasPending()) return true;
  if (before.Entries != writtenCount_ || after.Entries != RecordCount())
    return Fail("The commit marks do not fit \"" + fileName_ + "\"");
  std::vector<int64_t> ids;
  ids.reserve(dirty_.size());
  for (const auto& [id, old] : dirty_) ids.push_back(id);
  std::sort(ids.begin(), ids.end());
  // The journal first: from the moment it is whole, the commit has happened.
  bool ok = WriteJournal(before, after, ids) &&
            (writtenCount_ == RecordCount() || WriteRun(writtenCount_, RecordCount() - writtenCount_)) &&
            WriteDirty(ids) && SyncIndexFile();
  // Whether it worked or stopped half way, entries in the file may now refer
  // to the fresh chains: none may be overwritten any more.
  fresh_.clear();
  if (!ok) return false;
  committedSum_ = PendingSum();
  dirty_.clear();
  writtenCount_ = RecordCount();
  return true;
}

}  // namespace qv
