// The node record of the data tree and the pool its records come from. A
// record is 64 bytes of links, counts and flags; the tree's internal area
// and the owner's user data follow it in the same zero-filled slot.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "datatree/DataTreeTypes.h"

namespace qv {

struct TDataNode {
  uint32_t Index;
  uint32_t ChildCount;
  uint16_t NodeHeight;
  uint16_t States;
  uint8_t Align;
  uint8_t CheckState;
  uint8_t CheckType;
  uint8_t Reserved;
  uint32_t TotalCount;
  uint32_t TotalHeight;
  TDataNode* Parent;
  TDataNode* PrevSibling;
  TDataNode* NextSibling;
  TDataNode* FirstChild;
  TDataNode* LastChild;

  // Only the user-interface thread writes the flags; the validation worker
  // reads them while the user-interface thread initialises or selects nodes,
  // so both sides go through relaxed atomic accesses.
  bool Has(uint16_t flags) const { return (LoadStates() & flags) != 0; }
  bool HasAll(uint16_t flags) const { return (LoadStates() & flags) == flags; }
  uint16_t LoadStates() const { return __atomic_load_n(&States, __ATOMIC_RELAXED); }
  void Include(uint16_t flags) {
    __atomic_store_n(&States, uint16_t(LoadStates() | flags), __ATOMIC_RELAXED);
  }
  void Exclude(uint16_t flags) {
    __atomic_store_n(&States, uint16_t(LoadStates() & ~flags), __ATOMIC_RELAXED);
  }
  void SetFlag(uint16_t flags, bool on) { on ? Include(flags) : Exclude(flags); }
};
static_assert(sizeof(TDataNode) == 64, "the node record is 64 bytes");

// Fixed-size slots handed out from large zeroed blocks. Big blocks come from
// the system's page allocator, so a million fresh nodes cost no memset.
class TNodePool {
 public:
  TNodePool() = default;
  ~TNodePool();
  TNodePool(const TNodePool&) = delete;
  TNodePool& operator=(const TNodePool&) = delete;

  // The slot size may change only while no slot is in use.
  void SetSlotSize(std::size_t bytes);
  std::size_t SlotSize() const { return slot_; }
  // Zero-filled: fresh slots straight from the block, else the free list.
  void* Allocate() {
    if (!freeList_ && std::size_t(end_ - next_) >= slot_) {
      ++live_;
      void* p = next_;
      next_ += slot_;
      return p;
    }
    return AllocateSlow();
  }
  // Makes room for count more slots in one block (a bulk creation is coming).
  void Reserve(std::size_t count);
  // count fresh zero-filled slots side by side (slot i at the result + i *
  // SlotSize()). Large runs come from pages not yet touched, so whoever
  // writes them first pays for their zeroing, on whatever thread it runs.
  char* AllocateRun(std::size_t count);
  void Free(void* p);
  std::size_t LiveCount() const { return live_; }
  std::size_t ReservedBytes() const { return reserved_; }
  // True when p is the start of a slot inside one of the blocks.
  bool Contains(const void* p) const;
  // Gives every block back; only when no slot is in use.
  void Release();

 private:
  struct Block {
    char* base;
    std::size_t bytes;
    bool mapped;
  };
  void Grow(std::size_t atLeast, bool populate = true);
  void* AllocateSlow();

  std::size_t slot_ = 0;
  std::vector<Block> blocks_;
  char* next_ = nullptr;
  char* end_ = nullptr;
  void* freeList_ = nullptr;
  std::size_t live_ = 0;
  std::size_t reserved_ = 0;
};

}  // namespace qv
