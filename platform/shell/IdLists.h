// Item-id lists: every item is a 16-bit byte count (the count included), a
// type byte, a flags byte and the item's name as UTF-8 bytes with a closing
// zero, padded with one more zero to an even count so that every count stays
// aligned; a zero count ends the list. The desktop is the empty list. Lists are
// allocated with CoTaskMemAlloc and freed with ILFree (CoTaskMemFree).
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qv {

struct SHITEMID {
  uint16_t cb;
  uint8_t abID[1];
};
struct ITEMIDLIST {
  SHITEMID mkid;
};
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;
using PCUITEMID_CHILD = const ITEMIDLIST*;

// What an item names.
enum class ShellItemType : uint8_t { Computer = 1, Home = 2, Drive = 3, Folder = 4, File = 5 };
// The kind of a drive item (its flags byte).
enum class DriveKind : uint8_t { Root = 0, Fixed = 1, Removable = 2, Optical = 3, Network = 4 };

// The decoded view of one item; Name points into the list.
struct ShellItem {
  ShellItemType Type = ShellItemType::Folder;
  uint8_t Flags = 0;
  std::string_view Name;
};

// Size in bytes including the terminator; 0 for null.
unsigned ILGetSize(LPCITEMIDLIST pidl);
// The item after the first one, or null at the end (or for null).
LPITEMIDLIST ILNext(LPCITEMIDLIST pidl);
unsigned ILGetCount(LPCITEMIDLIST pidl);
// The byte count of the first item (read without assuming alignment).
// (Inline: sorting a listing asks it of both items of every comparison.)
inline unsigned ILItemSize(LPCITEMIDLIST pidl) {
  if (!pidl) return 0;
  uint16_t cb;
  std::memcpy(&cb, pidl, 2);
  return cb;
}
inline bool ILIsEmpty(LPCITEMIDLIST pidl) {
  return !pidl || ILItemSize(pidl) == 0;
}
LPITEMIDLIST ILClone(LPCITEMIDLIST pidl);       // null for null
LPITEMIDLIST ILCloneFirst(LPCITEMIDLIST pidl);  // the first item alone
// a without its terminator followed by b; either may be null.
LPITEMIDLIST ILCombine(LPCITEMIDLIST a, LPCITEMIDLIST b);
// The last item (pointer into the list); the list itself when it is empty.
LPITEMIDLIST ILFindLastID(LPCITEMIDLIST pidl);
// Cuts the last item off in place; false when the list is empty.
bool ILRemoveLastID(LPITEMIDLIST pidl);
void ILFree(LPITEMIDLIST pidl);
// True when both lists hold the same bytes.
bool ILIsEqualBytes(LPCITEMIDLIST a, LPCITEMIDLIST b);

// A one-item list; null when the name is too long for a 16-bit count.
LPITEMIDLIST MakeShellItem(ShellItemType type, uint8_t flags, std::string_view name);
// Decodes the first item; false when it is not one of ours or is damaged.
bool ReadShellItem(LPCITEMIDLIST pidl, ShellItem& item);
// True when every item of the list decodes (a list from elsewhere is checked
// before it is trusted).
bool IsValidShellList(LPCITEMIDLIST pidl);

// Owns one list.
class IdListPtr {
 public:
  IdListPtr() = default;
  explicit IdListPtr(LPITEMIDLIST p) : p_(p) {}
  IdListPtr(IdListPtr&& o) noexcept : p_(o.Release()) {}
  IdListPtr& operator=(IdListPtr&& o) noexcept {
    Reset(o.Release());
    return *this;
  }
  IdListPtr(const IdListPtr&) = delete;
  IdListPtr& operator=(const IdListPtr&) = delete;
  ~IdListPtr() { Reset(); }
  LPITEMIDLIST Get() const { return p_; }
  LPITEMIDLIST Release() {
    LPITEMIDLIST p = p_;
    p_ = nullptr;
    return p;
  }
  void Reset(LPITEMIDLIST p = nullptr) {
    if (p_ != p) ILFree(p_);
    p_ = p;
  }
  LPITEMIDLIST* Put() {
    Reset();
    return &p_;
  }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  LPITEMIDLIST p_ = nullptr;
};

}  // namespace qv
