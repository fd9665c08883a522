// The global memory table: blocks behind generation-checked handles, so a
// freed handle never reaches another block's bytes.
#include "platform/ole/GlobalMemory.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace qv {
namespace {

// A handle packs slot index + 1 (low 24 bits) and the slot's generation.
struct Block {
  std::unique_ptr<uint8_t[]> bytes;
  SIZE_T size = 0;
  UINT locks = 0;
  uint32_t generation = 1;
  bool live = false;
};

struct Table {
  std::mutex lock;
  std::vector<Block> blocks;
  std::vector<uint32_t> free;
};

Table& T() {
  static Table* t = new Table;  // outlives every static that may free blocks at exit
  return *t;
}

constexpr uintptr_t kIndexBits = 24;
constexpr SIZE_T kMaxBlock = SIZE_T(1) << 31;

HGLOBAL MakeHandle(uint32_t index, uint32_t generation) {
  uintptr_t v = (uintptr_t(generation & 0xFFFFFF) << kIndexBits) | (index + 1);
  return reinterpret_cast<HGLOBAL>(v << 4);  // keep the low bits clear, as addresses are
}

// The live block behind a handle, or nullptr. Call with the table locked.
Block* Find(HGLOBAL mem) {
  uintptr_t v = reinterpret_cast<uintptr_t>(mem);
  if (!v || (v & 0xF)) return nullptr;
  v >>= 4;
  uintptr_t index = (v & ((uintptr_t(1) << kIndexBits) - 1));
  if (index == 0 || index > T().blocks.size()) return nullptr;
  Block& b = T().blocks[index - 1];
  if (!b.live || (b.generation & 0xFFFFFF) != ((v >> kIndexBits) & 0xFFFFFF)) return nullptr;
  return &b;
}

std::unique_ptr<uint8_t[]> NewBytes(SIZE_T size) {
  // At least one byte, so that a locked empty block still has an address.
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size ? size : 1]());
}

}  // namespace

HGLOBAL GlobalAlloc(UINT, SIZE_T bytes) {
  if (bytes > kMaxBlock) return nullptr;
  auto data = NewBytes(bytes);
  if (!data) return nullptr;
  std::lock_guard<std::mutex> l(T().lock);
  uint32_t index;
  if (!T().free.empty()) {
    index = T().free.back();
    T().free.pop_back();
  } else {
    index = uint32_t(T().blocks.size());
    T().blocks.emplace_back();
  }
  Block& b = T().blocks[index];
  b.bytes = std::move(data);
  b.size = bytes;
  b.locks = 0;
  b.live = true;
  return MakeHandle(index, b.generation);
}

void* GlobalLock(HGLOBAL mem) {
  std::lock_guard<std::mutex> l(T().lock);
  Block* b = Find(mem);
  if (!b) return nullptr;
  ++b->locks;
  return b->bytes.get();
}

BOOL GlobalUnlock(HGLOBAL mem) {
  std::lock_guard<std::mutex> l(T().lock);
  Block* b = Find(mem);
  if (!b || b->locks == 0) return FALSE;
  return --b->locks > 0 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL mem) {
  std::unique_ptr<uint8_t[]> doomed;
  std::lock_guard<std::mutex> l(T().lock);
  Block* b = Find(mem);
  if (!b) return mem;
  doomed = std::move(b->bytes);
  b->live = false;
  b->size = 0;
  b->locks = 0;
  ++b->generation;
  T().free.push_back(uint32_t(b - T().blocks.data()));
  return nullptr;
}

SIZE_T GlobalSize(HGLOBAL mem) {
  std::lock_guard<std::mutex> l(T().lock);
  Block* b = Find(mem);
  return b ? b->size : 0;
}

HGLOBAL GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT) {
  if (bytes > kMaxBlock) return nullptr;
  auto data = NewBytes(bytes);
  if (!data) return nullptr;
  std::lock_guard<std::mutex> l(T().lock);
  Block* b = Find(mem);
  if (!b) return nullptr;
  std::memcpy(data.get(), b->bytes.get(), b->size < bytes ? b->size : bytes);
  b->bytes = std::move(data);
  b->size = bytes;
  return mem;
}

UINT GlobalLockCount(HGLOBAL mem) {
  std::lock_guard<std::mutex> l(T().lock);
  Block* b = Find(mem);
  return b ? b->locks : 0;
}

void* CoTaskMemAlloc(SIZE_T bytes) {
  return std::malloc(bytes ? bytes : 1);
}

void CoTaskMemFree(void* p) {
  std::free(p);
}

HGLOBAL GlobalFromBytes(const void* bytes, SIZE_T n) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, n);
  if (void* p = mem ? GlobalLock(mem) : nullptr) {
    if (n) std::memcpy(p, bytes, n);
    GlobalUnlock(mem);
  }
  return mem;
}

}  // namespace qv
