// The record pool: linear probing over a power-of-two table, deletion by
// backward shift (no tombstones), load kept at or below 3/4.
#include "storage/DataPool.h"

#include <algorithm>

#include "platform/Exception.h"

namespace qv {

TXDataPool::~TXDataPool() {
  Clear();
}

std::size_t TXDataPool::Home(int64_t id) const {
  // Fibonacci hashing spreads consecutive IDs over the table.
  uint64_t h = uint64_t(id) * 0x9E3779B97F4A7C15ull;
  return std::size_t(h >> 32) & (slots_.size() - 1);
}

TXRecData* TXDataPool::Find(int64_t id) const {
  if (slots_.empty()) return nullptr;
  std::size_t mask = slots_.size() - 1;
  for (std::size_t i = Home(id);; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (!s.rec) return nullptr;
    if (s.id == id) return s.rec;
  }
}

void TXDataPool::Place(Slot s) {
  std::size_t mask = slots_.size() - 1;
  std::size_t i = Home(s.id);
  while (slots_[i].rec) i = (i + 1) & mask;
  slots_[i] = s;
}

void TXDataPool::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{0, nullptr});
  for (const Slot& s : old)
    if (s.rec) Place(s);
}

TXRecData* TXDataPool::Insert(std::unique_ptr<TXRecData> rec) {
  QV_ASSERT(rec && !Find(rec->ID));
  if ((count_ + 1) * 4 > slots_.size() * 3) Grow();
  TXRecData* raw = rec.release();
  Place(Slot{raw->ID, raw});
  ++count_;
  return raw;
}

void TXDataPool::Delete(int64_t id) {
  Take(id);  // freed here
}

std::unique_ptr<TXRecData> TXDataPool::Take(int64_t id) {
  if (slots_.empty()) return nullptr;
  std::size_t mask = slots_.size() - 1;
  std::size_t i = Home(id);
  while (slots_[i].rec && slots_[i].id != id) i = (i + 1) & mask;
  if (!slots_[i].rec) return nullptr;
  std::unique_ptr<TXRecData> taken(slots_[i].rec);
  --count_;
  // Backward shift: move later members of the probe run into the hole when
  // their home lies cyclically at or before it.
  for (std::size_t j = (i + 1) & mask; slots_[j].rec; j = (j + 1) & mask) {
    std::size_t home = Home(slots_[j].id);
    if (((j - home) & mask) >= ((j - i) & mask)) {
      slots_[i] = slots_[j];
      i = j;
    }
  }
  slots_[i] = Slot{0, nullptr};
  return taken;
}

void TXDataPool::Clear() {
  for (Slot& s : slots_) delete s.rec;
  slots_.clear();
  slots_.shrink_to_fit();
  count_ = 0;
}

std::vector<TXRecData*> TXDataPool::SortedByID() const {
  std::vector<TXRecData*> out;
  out.reserve(count_);
  for (const Slot& s : slots_)
    if (s.rec) out.push_back(s.rec);
  std::sort(out.begin(), out.end(), [](const TXRecData* a, const TXRecData* b) { return a->ID < b->ID; });
  return out;
}

int TXDataPool::IndexOf(int64_t id) const {
  if (!Find(id)) return -1;
  int below = 0;
  for (const Slot& s : slots_)
    if (s.rec && s.id < id) ++below;
  return below;
}

}  // namespace qv
