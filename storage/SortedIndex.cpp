// Sorted index: binary search through the database's records, and the .idx
// file, which is checked on load (any damage makes the caller rebuild) and
// replaced atomically on save.
#include "storage/SortedIndex.h"

#include <errno.h>

#include <algorithm>
#include <cstring>

#include "classlib/SysUtils.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "storage/Base.h"
#include "storage/Crc32.h"
#include "storage/Values.h"

namespace qv {

namespace {

constexpr std::size_t kIdxRecordSize = 8;

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(char(uint8_t(v >> (8 * i))));
}

uint64_t GetLe(const std::string& data, std::size_t at, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint64_t(uint8_t(data[at + std::size_t(i)])) << (8 * i);
  return v;
}

}  // namespace

std::string TXIndex::FileName(const TXBase& database, const TRecKind* kind, uint32_t number) {
  if (number > MaxIndexNumber) return std::string();
  return database.Path() + IntToHex(uint32_t(kind->Id), 4) + "-" + IntToHex(number, 3) + ".idx";
}

TXIndex::TXIndex(TXBase& database, uint32_t number, TXCompareFunc compare, const TRecKind* kind)
    : base_(database), number_(number), compare_(std::move(compare)), kind_(kind) {
  fileName_ = FileName(database, kind, number);
}

TXIndex::~TXIndex() {
  if (loaded_ && changed_) Save();
}

void TXIndex::Clear() {
  items_.Clear();
  changed_ = true;
}

void TXIndex::Discard() {
  items_.Clear();
  loaded_ = false;
  changed_ = false;
}

bool TXIndex::Init() {
  lastError_.clear();
  if (!DirectoryExists(base_.Path())) {
    lastError_ = "Path \"" + base_.Path() + "\" does not exist";
    return false;
  }
  Clear();
  loaded_ = true;
  return true;
}

bool TXIndex::Open() {
  return FileExists(fileName_) ? Load() : Init();
}

bool TXIndex::ValidIds(const std::vector<int64_t>& ids) const {
  // Every ID must be an entry of this kind, and none may repeat.
  const TXGIndex& gindex = base_.GIndex();
  for (int64_t id : ids) {
    TXGIndexRec entry;
    if (!gindex.Bound() || !gindex.ReadEntry(entry, id) || entry.KindId != uint32_t(kind_->Id)) return false;
  }
  std::vector<int64_t> sorted(ids);
  std::sort(sorted.begin(), sorted.end());
  return std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
}

bool TXIndex::Load() {
  lastError_.clear();
  items_.Clear();
  loaded_ = false;
  changed_ = false;
  std::string data;
  if (fileName_.empty() || !ReadWholeFile(fileName_, data)) {
    lastError_ = "Failed to read \"" + fileName_ + "\"";
    return false;
  }
  if (data.size() < kIdxRecordSize || data.size() % kIdxRecordSize != 0 ||
      GetLe(data, 0, 4) != uint64_t(uint32_t(kind_->Id)) || GetLe(data, 4, 4) != number_) {
    lastError_ = "Index file \"" + fileName_ + "\" is damaged";
    return false;
  }
  fileChecksum_ = CalcCRC32(data.data(), data.size());  // also when the IDs turn out wrong
  std::vector<int64_t> ids;
  ids.reserve(data.size() / kIdxRecordSize - 1);
  for (std::size_t at = kIdxRecordSize; at < data.size(); at += kIdxRecordSize)
    ids.push_back(int64_t(GetLe(data, at, 8)));
  if (!ValidIds(ids)) {
    lastError_ = "Index file \"" + fileName_ + "\" is damaged";
    return false;
  }
  items_.Assign(ids);
  loaded_ = true;
  return true;
}

bool TXIndex::Save() {
  lastError_.clear();
  if (!changed_ && FileExists(fileName_)) return true;
  if (fileName_.empty()) {
    lastError_ = "Invalid index number " + IntToStr(number_);
    return false;
  }
  std::string data;
  data.reserve(std::size_t(Count() + 1) * kIdxRecordSize);
  PutU32(data, uint32_t(kind_->Id));
  PutU32(data, number_);
  for (int64_t id : items_.ToVector()) {
    PutU32(data, uint32_t(uint64_t(id)));
    PutU32(data, uint32_t(uint64_t(id) >> 32));
  }
  if (!WriteFileAtomic(fileName_, data, base_.Hooks())) {
    lastError_ = "Failed to write index file \"" + fileName_ + "\": " + base_.Hooks().ErrorText(errno);
    return false;
  }
  changed_ = false;
  fileChecksum_ = CalcCRC32(data.data(), data.size());
  return true;
}

int TXIndex::Find(TXRecData* key, int& index) {
  index = -1;
  int lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    int mid = lo + (hi - lo) / 2;
    TXRecData* item = base_.FetchData(items_.Get(mid));
    if (!item) return -1;
    int c = compare_(item, key);
    if (c > 0) {
      lo = mid + 1;
    } else if (c == 0) {
      index = mid;
      return -1;
    } else {
      hi = mid - 1;
    }
  }
  return lo;
}

int TXIndex::IndexOf(TXRecData* key) {
  int index;
  Find(key, index);
  return index;
}

bool TXIndex::Insert(TXRecData* record, int position) {
  if (position < 0) {
    int index;
    position = Find(record, index);
    if (position < 0) return false;
  }
  QV_ASSERT(position <= Count());
  items_.Insert(position, record->ID);
  changed_ = true;
  return true;
}

bool TXIndex::Remove(TXRecData* key) {
  int i = IndexOf(key);
  if (i < 0) return false;
  items_.Remove(i);
  changed_ = true;
  return true;
}

int64_t TXIndex::GetItem(int i) const {
  QV_ASSERT(i >= 0 && i < Count());
  return items_.Get(i);
}

void TXIndex::Assign(const std::vector<int64_t>& ids) {
  items_.Assign(ids);
  changed_ = true;
}

}  // namespace qv
