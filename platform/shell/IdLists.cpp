// Item-id list arithmetic over the byte layout of IdLists.h. Every walk stops
// at the terminator; a count that is too small to hold an item ends the walk
// as if it were the terminator of a damaged list.
#include "platform/shell/IdLists.h"

#include <cstring>

#include "platform/ole/GlobalMemory.h"

namespace qv {

namespace {

constexpr unsigned kHeader = 4;  // count, type, flags
constexpr unsigned kMaxItem = 0xFFFF;

const uint8_t* Bytes(LPCITEMIDLIST p) {
  return reinterpret_cast<const uint8_t*>(p);
}

uint16_t CountAt(const uint8_t* p) {
  uint16_t cb;
  std::memcpy(&cb, p, 2);
  return cb;
}

LPITEMIDLIST Alloc(unsigned size) {
  auto* p = static_cast<uint8_t*>(CoTaskMemAlloc(size));
  if (p) std::memset(p, 0, size);
  return reinterpret_cast<LPITEMIDLIST>(p);
}

}  // namespace

unsigned ILGetSize(LPCITEMIDLIST pidl) {
  if (!pidl) return 0;
  const uint8_t* p = Bytes(pidl);
  unsigned size = 2;
  for (uint16_t cb; (cb = CountAt(p)) >= 2; p += cb) size += cb;
  return size;
}

LPITEMIDLIST ILNext(LPCITEMIDLIST pidl) {
  if (ILIsEmpty(pidl) || ILItemSize(pidl) < 2) return nullptr;
  const uint8_t* next = Bytes(pidl) + ILItemSize(pidl);
  return CountAt(next) >= 2 ? reinterpret_cast<LPITEMIDLIST>(const_cast<uint8_t*>(next)) : nullptr;
}

unsigned ILGetCount(LPCITEMIDLIST pidl) {
  unsigned n = 0;
  if (!pidl) return 0;
  for (const uint8_t* p = Bytes(pidl); CountAt(p) >= 2; p += CountAt(p)) ++n;
  return n;
}

LPITEMIDLIST ILClone(LPCITEMIDLIST pidl) {
  if (!pidl) return nullptr;
  unsigned size = ILGetSize(pidl);
  LPITEMIDLIST copy = Alloc(size);
  if (copy) std::memcpy(copy, pidl, size - 2);
  return copy;
}

LPITEMIDLIST ILCloneFirst(LPCITEMIDLIST pidl) {
  if (!pidl) return nullptr;
  unsigned cb = ILItemSize(pidl) < 2 ? 0 : ILItemSize(pidl);
  LPITEMIDLIST copy = Alloc(cb + 2);
  if (copy) std::memcpy(copy, pidl, cb);
  return copy;
}

LPITEMIDLIST ILCombine(LPCITEMIDLIST a, LPCITEMIDLIST b) {
  unsigned sa = a ? ILGetSize(a) - 2 : 0;
  unsigned sb = b ? ILGetSize(b) - 2 : 0;
  LPITEMIDLIST r = Alloc(sa + sb + 2);
  if (!r) return nullptr;
  auto* out = reinterpret_cast<uint8_t*>(r);
  if (sa) std::memcpy(out, a, sa);
  if (sb) std::memcpy(out + sa, b, sb);
  return r;
}

LPITEMIDLIST ILFindLastID(LPCITEMIDLIST pidl) {
  if (!pidl) return nullptr;
  LPCITEMIDLIST last = pidl;
  for (LPCITEMIDLIST p = ILNext(pidl); p; p = ILNext(p)) last = p;
  return const_cast<LPITEMIDLIST>(last);
}

bool ILRemoveLastID(LPITEMIDLIST pidl) {
  if (ILIsEmpty(pidl)) return false;
  LPITEMIDLIST last = ILFindLastID(pidl);
  std::memset(last, 0, 2);
  return true;
}

void ILFree(LPITEMIDLIST pidl) {
  if (pidl) CoTaskMemFree(pidl);
}

bool ILIsEqualBytes(LPCITEMIDLIST a, LPCITEMIDLIST b) {
  unsigned sa = ILGetSize(a), sb = ILGetSize(b);
  return sa == sb && (sa == 0 || std::memcmp(a, b, sa - 2) == 0);
}

LPITEMIDLIST MakeShellItem(ShellItemType type, uint8_t flags, std::string_view name) {
  std::size_t cb = (kHeader + name.size() + 2) & ~std::size_t(1);
  if (cb > kMaxItem) return nullptr;
  LPITEMIDLIST r = Alloc(unsigned(cb) + 2);
  if (!r) return nullptr;
  auto* p = reinterpret_cast<uint8_t*>(r);
  uint16_t count = uint16_t(cb);
  std::memcpy(p, &count, 2);
  p[2] = uint8_t(type);
  p[3] = flags;
  if (!name.empty()) std::memcpy(p + kHeader, name.data(), name.size());
  return r;
}

bool ReadShellItem(LPCITEMIDLIST pidl, ShellItem& item) {
  if (!pidl) return false;  // an empty item fails the size check below
  const uint8_t* p = Bytes(pidl);
  uint16_t cb = CountAt(p);
  if (cb < kHeader + 2 || (cb & 1) || p[cb - 1] != 0) return false;
  if (p[2] < uint8_t(ShellItemType::Computer) || p[2] > uint8_t(ShellItemType::File)) return false;
  item.Type = ShellItemType(p[2]);
  item.Flags = p[3];
  // The name ends at its zero; only the one padding zero may follow it. The
  // last byte is zero (checked above), so the name fills the room but one
  // byte, or but two when the byte before is zero too; no zero comes earlier.
  const char* name = reinterpret_cast<const char*>(p + kHeader);
  const std::size_t room = cb - kHeader;
  const std::size_t len = name[room - 2] == 0 ? room - 2 : room - 1;
  if (std::memchr(name, 0, len)) return false;
  item.Name = std::string_view(name, len);
  return true;
}

bool IsValidShellList(LPCITEMIDLIST pidl) {
  if (!pidl) return false;
  ShellItem item;
  for (LPCITEMIDLIST p = pidl; !ILIsEmpty(p); p = ILNext(p)) {
    if (!ReadShellItem(p, item)) return false;
    if (!ILNext(p)) break;
  }
  return true;
}

}  // namespace qv
