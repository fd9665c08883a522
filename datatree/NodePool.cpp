// Slots of the node pool: bump allocation inside blocks that double in size,
// a free list for returned slots, and blocks given back when the tree empties.
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "datatree/DataNode.h"

namespace qv {

namespace {
constexpr std::size_t kFirstBlock = 64 * 1024;
constexpr std::size_t kLargestBlock = 64u * 1024 * 1024;
constexpr std::size_t kMapThreshold = 1024 * 1024;
}  // namespace

TNodePool::~TNodePool() {
  Release();
}

void TNodePool::SetSlotSize(std::size_t bytes) {
  bytes = (bytes + 7) & ~std::size_t(7);
  if (bytes == slot_) return;
  DTAssert(live_ == 0, "The node size cannot change while nodes exist.");
  Release();
  slot_ = bytes;
}

void TNodePool::Reserve(std::size_t count) {
  if (slot_ == 0 || std::size_t(end_ - next_) >= count * slot_) return;
  std::size_t bytes = count * slot_;
  if (bytes < kMapThreshold) return;  // small counts grow the usual way
  Grow(bytes);
}

char* TNodePool::AllocateRun(std::size_t count) {
  std::size_t bytes = count * slot_;
  if (std::size_t(end_ - next_) < bytes) Grow(bytes, false);
  char* run = next_;
  next_ += bytes;
  live_ += count;
  return run;
}

void TNodePool::Grow(std::size_t atLeast, bool populate) {
  std::size_t bytes = blocks_.empty() ? kFirstBlock : std::min(blocks_.back().bytes * 2, kLargestBlock);
  if (bytes < atLeast) bytes = (atLeast + 4095) & ~std::size_t(4095);
  Block b{nullptr, bytes, bytes >= kMapThreshold};
  if (b.mapped) {
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | (populate && atLeast > slot_ ? MAP_POPULATE : 0), -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    b.base = static_cast<char*>(p);
  } else {
    b.base = static_cast<char*>(std::calloc(1, bytes));
    if (!b.base) throw std::bad_alloc();
  }
  blocks_.push_back(b);
  reserved_ += bytes;
  next_ = b.base;
  end_ = b.base + bytes;
}

void* TNodePool::AllocateSlow() {
  ++live_;
  if (freeList_) {
    void* p = freeList_;
    freeList_ = *static_cast<void**>(p);
    std::memset(p, 0, slot_);
    return p;
  }
  if (std::size_t(end_ - next_) < slot_) Grow(slot_);
  void* p = next_;
  next_ += slot_;
  return p;
}

void TNodePool::Free(void* p) {
  if (!p) return;
  --live_;
  if (live_ == 0) {
    Release();  // the whole tree went away: give the memory back
    return;
  }
  *static_cast<void**>(p) = freeList_;
  freeList_ = p;
}

bool TNodePool::Contains(const void* p) const {
  auto* c = static_cast<const char*>(p);
  for (const Block& b : blocks_)
    if (c >= b.base && c < b.base + b.bytes)
      return c + slot_ <= b.base + b.bytes && (c - b.base) % slot_ == 0;
  return false;
}

void TNodePool::Release() {
  for (Block& b : blocks_) {
    if (b.mapped)
      munmap(b.base, b.bytes);
    else
      std::free(b.base);
  }
  blocks_.clear();
  next_ = end_ = nullptr;
  freeList_ = nullptr;
  live_ = 0;
  reserved_ = 0;
}

}  // namespace qv
