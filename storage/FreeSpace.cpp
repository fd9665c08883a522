// Free stretches kept twice, by position (to merge neighbours) and by size
// (to find the smallest that fits), and their file: a magic, the database ID,
// the data file size it was made for, the stretches and a checksum.
#include "storage/FreeSpace.h"

#include <cstring>

#include "platform/Files.h"
#include "storage/Crc32.h"

namespace qv {

namespace {

constexpr char kMagic[8] = {'Q', 'V', 'F', 'R', 'E', 'E', '0', '1'};
constexpr std::size_t kHeadSize = 8 + 16 + 8 + 8;
constexpr int64_t kFirstChainPosition = 32;  // after the data file header

void PutU64(std::string& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(char(uint8_t(v >> (8 * i))));
}

uint64_t GetLe(const std::string& data, std::size_t at, int bytes = 8) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint64_t(uint8_t(data[at + std::size_t(i)])) << (8 * i);
  return v;
}

uint32_t Checksum(const std::string& data, std::size_t n) {
  return CalcCRC32(reinterpret_cast<const uint8_t*>(data.data()), n);
}

}  // namespace

void TFreeSpace::Clear() {
  byPos_.clear();
  bySize_.clear();
  pending_.clear();
  freeBytes_ = pendingBytes_ = 0;
  changed_ = true;
}

void TFreeSpace::Erase(std::map<int64_t, int64_t>::iterator it) {
  bySize_.erase({it->second, it->first});
  freeBytes_ -= it->second;
  byPos_.erase(it);
}

// Merges with free neighbours. A stretch that overlaps free space already
// known can only come from a fault; it is dropped, as giving it out could
// give the same bytes twice.
void TFreeSpace::Insert(int64_t position, int64_t size) {
  if (size <= 0 || position < kFirstChainPosition) return;
  auto next = byPos_.lower_bound(position);
  if (next != byPos_.end() && next->first < position + size) return;
  if (next != byPos_.begin()) {
    auto prev = std::prev(next);
    if (prev->first + prev->second > position) return;
    if (prev->first + prev->second == position) {
      position = prev->first;
      size += prev->second;
      Erase(prev);
    }
  }
  next = byPos_.lower_bound(position);
  if (next != byPos_.end() && next->first == position + size) {
    size += next->second;
    Erase(next);
  }
  byPos_[position] = size;
  bySize_.insert({size, position});
  freeBytes_ += size;
  changed_ = true;
}

int64_t TFreeSpace::Take(int64_t size) {
  if (size <= 0) return -1;
  auto fit = bySize_.lower_bound({size, INT64_MIN});
  if (fit == bySize_.end()) return -1;
  const int64_t position = fit->second, have = fit->first;
  Erase(byPos_.find(position));
  if (have > size) {
    byPos_[position + size] = have - size;
    bySize_.insert({have - size, position + size});
    freeBytes_ += have - size;
  }
  changed_ = true;
  return position;
}

void TFreeSpace::Release(int64_t position, int64_t size) {
  Insert(position, size);
}

void TFreeSpace::Retire(int64_t position, int64_t size) {
  if (size <= 0 || position < kFirstChainPosition) return;
  pending_.push_back({position, size});
  pendingBytes_ += size;
}

void TFreeSpace::Committed() {
  for (auto& [position, size] : pending_) Insert(position, size);
  pending_.clear();
  pendingBytes_ = 0;
}

std::vector<std::pair<int64_t, int64_t>> TFreeSpace::Stretches() const {
  return {byPos_.begin(), byPos_.end()};
}

bool TFreeSpace::Load(const std::string& fileName, const TGUID& guid, int64_t dataSize) {
  uint32_t check = 0;
  return LoadSound(fileName, guid, dataSize, check) && !byPos_.empty();
}

bool TFreeSpace::StoredCheck(const std::string& fileName, uint32_t& check) {
  std::string data;
  if (!ReadWholeFile(fileName, data) || data.size() < kHeadSize + 4) return false;
  check = uint32_t(GetLe(data, data.size() - 4, 4));
  return true;
}

bool TFreeSpace::LoadSound(const std::string& fileName, const TGUID& guid, int64_t dataSize,
                           uint32_t& check) {
  byPos_.clear();
  bySize_.clear();
  freeBytes_ = 0;
  changed_ = false;
  std::string data;
  if (!ReadWholeFile(fileName, data) || data.size() < kHeadSize + 4) return false;
  const std::size_t body = data.size() - 4;
  const uint32_t stored = uint32_t(GetLe(data, body, 4));
  const auto id = guid.ToBytes();
  const uint64_t madeFor = GetLe(data, 24), count = GetLe(data, 32);
  if (std::memcmp(data.data(), kMagic, sizeof kMagic) != 0 ||
      std::memcmp(data.data() + 8, id.data(), 16) != 0 || Checksum(data, body) != stored ||
      madeFor > uint64_t(dataSize) || count != (body - kHeadSize) / 16 || (body - kHeadSize) % 16 != 0)
    return false;
  // The stretches must lie inside the file as it was, in order, apart.
  std::vector<std::pair<int64_t, int64_t>> stretches;
  int64_t end = kFirstChainPosition;
  for (std::size_t at = kHeadSize; at < body; at += 16) {
    int64_t position = int64_t(GetLe(data, at)), size = int64_t(GetLe(data, at + 8));
    if (position < end || size <= 0 || size > int64_t(madeFor) || position > int64_t(madeFor) - size)
      return false;
    stretches.push_back({position, size});
    end = position + size;
  }
  for (auto& [position, size] : stretches) Insert(position, size);
  changed_ = false;
  check = stored;
  return true;
}

bool TFreeSpace::Save(const std::string& fileName, const TGUID& guid, int64_t dataSize, FileHooks& hooks,
                      uint32_t* check) const {
  std::string data(kMagic, sizeof kMagic);
  const auto id = guid.ToBytes();
  data.append(reinterpret_cast<const char*>(id.data()), id.size());
  PutU64(data, uint64_t(dataSize));
  PutU64(data, byPos_.size());
  for (auto& [position, size] : byPos_) {
    PutU64(data, uint64_t(position));
    PutU64(data, uint64_t(size));
  }
  const uint32_t crc = Checksum(data, data.size());
  for (int i = 0; i < 4; ++i) data.push_back(char(uint8_t(crc >> (8 * i))));
  if (check) *check = crc;
  return WriteFileAtomic(fileName, data, hooks);
}

}  // namespace qv
