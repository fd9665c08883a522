// TInternTable: the name records one add has met, by the hash of their exact
// spelling, so that a repeated name costs one probe and one compare instead of
// a map lookup and a pool fetch. The engine pins every listed record until
// the add ends, so the pointers stay valid whatever the message loop does.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"

namespace qv {

class TInternTable {
 public:
  // The listed record spelled exactly name, or nullptr.
  TXRecData* Find(uint64_t hash, std::string_view name) const {
    if (slots_.empty()) return nullptr;
    for (std::size_t i = Home(hash);; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (!s.rec) return nullptr;
      if (s.hash == hash && rec::StrRef(s.rec, fld::nName) == name) return s.rec;
    }
  }
  // Lists a record not listed yet.
  void Put(uint64_t hash, TXRecData* rec) {
    if ((count_ + 1) * 4 > slots_.size() * 3) Grow();
    Place({hash, rec});
    ++count_;
  }
  template <class Fn>
  void ForEach(Fn fn) const {
    for (const Slot& s : slots_)
      if (s.rec) fn(s.rec);
  }
  void Clear() {
    slots_.clear();
    slots_.shrink_to_fit();
    count_ = 0;
    mask_ = 0;
  }

 private:
  struct Slot {
    uint64_t hash;
    TXRecData* rec;  // nullptr: free
  };
  std::size_t Home(uint64_t hash) const { return std::size_t((hash * 0x9E3779B97F4A7C15ull) >> 20) & mask_; }
  void Place(Slot s) {
    std::size_t i = Home(s.hash);
    while (slots_[i].rec) i = (i + 1) & mask_;
    slots_[i] = s;
  }
  void Grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{0, nullptr});
    mask_ = slots_.size() - 1;
    for (const Slot& s : old)
      if (s.rec) Place(s);
  }

  std::vector<Slot> slots_;  // a power of two, at most three quarters used
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
};

}  // namespace qv
