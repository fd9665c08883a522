// What the search needs of stored files, folders and names, kept in memory
// as records are written or read: each entry's disc, parent, date and size,
// and each name's references in stored order. A search then builds its rows
// without fetching a record per hit. Entries never change once stored and
// names only gain references, so the facts stay true until the catalogue is
// wiped or closed; deletion is read from the global index, not kept here.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace qv {

class TEntryFacts {
 public:
  struct Entry {
    int64_t disc;
    int64_t parent;
    int64_t size;
    double date;
  };

  // The facts of a file or folder record; false when not known.
  bool FindEntry(int64_t id, Entry& out) const;
  void PutEntry(int64_t id, const Entry& entry);

  // Whether every reference of a name record is known.
  bool KnowsRefs(int64_t name) const {
    const Slot* s = At(name);
    return s && s->kind == kName;
  }
  // The references of a name whose list is known, in stored order.
  void Refs(int64_t name, std::vector<int64_t>& out) const;
  // Every reference of a name, as its record holds them.
  void PutRefs(int64_t name, const std::vector<int64_t>& refs);
  // A reference appended to a name's record: kept when the name's list is
  // known; otherwise the list stays unknown.
  void AddRef(int64_t name, int64_t ref);
  // Forgets a name's list (a pruned name).
  void ForgetRefs(int64_t name);
  void Clear();

 private:
  enum : uint8_t { kUnknown = 0, kEntry = 1, kName = 2 };
  // One slot per record ID, 40 bytes. An entry keeps parent and size in a
  // and b; a name keeps its first and last reference there, and the
  // references chain through `next` of their own slots, so a name's list
  // costs no allocation of its own.
  struct Slot {
    int64_t a = -1, b = -1;
    double date = 0;
    int64_t next = -1;
    uint32_t disc = 0;  // position in discs_
    uint8_t kind = kUnknown;
    bool chained = false;  // listed by a name
  };

  // Slots live in pages of 64 Ki, made as IDs are met: the table grows
  // without copying itself, and only where IDs are used.
  static constexpr int kPageBits = 16;
  static constexpr int64_t kPageSize = int64_t(1) << kPageBits;

  const Slot* At(int64_t id) const {
    if (id < 0 || std::size_t(id >> kPageBits) >= pages_.size()) return nullptr;
    const auto& page = pages_[std::size_t(id >> kPageBits)];
    return page ? &page[std::size_t(id & (kPageSize - 1))] : nullptr;
  }
  // The slot of an ID that At or Grow has found.
  Slot& S(int64_t id) { return pages_[std::size_t(id >> kPageBits)][std::size_t(id & (kPageSize - 1))]; }
  const Slot& S(int64_t id) const {
    return pages_[std::size_t(id >> kPageBits)][std::size_t(id & (kPageSize - 1))];
  }
  std::size_t Capacity() const { return pages_.size() << kPageBits; }
  Slot* Grow(int64_t id);
  bool Chain(int64_t name, int64_t ref);
  uint32_t DiscSlot(int64_t disc);

  std::vector<std::unique_ptr<Slot[]>> pages_;
  std::vector<int64_t> discs_;  // the disc record IDs entries refer to
};

}  // namespace qv
