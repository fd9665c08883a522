// Global memory blocks: the byte blocks that clipboard data and data-object
// media travel in. A block is reached through a checked handle; every
// handle, fixed or moveable, must be locked to reach its bytes (a fixed
// block's handle is not its address here). Stale handles fail cleanly.
#pragma once
#include <cstddef>

#include "platform/WinTypes.h"

namespace qv {

using HGLOBAL = HANDLE;
using SIZE_T = std::size_t;

constexpr UINT GMEM_FIXED = 0x0000, GMEM_MOVEABLE = 0x0002, GMEM_ZEROINIT = 0x0040, GMEM_SHARE = 0x2000,
               GHND = GMEM_MOVEABLE | GMEM_ZEROINIT, GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// nullptr when the size cannot be had. Without GMEM_ZEROINIT the bytes are
// still zero here; callers must not rely on that.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// A new moveable block holding a copy of n bytes (n may be 0); nullptr when
// the size cannot be had.
HGLOBAL GlobalFromBytes(const void* bytes, SIZE_T n);
// The block's address (stable until it is re-allocated or freed), nullptr
// for a stale handle. Locks nest.
void* GlobalLock(HGLOBAL mem);
// TRUE while the block stays locked, FALSE once the count reaches zero.
BOOL GlobalUnlock(HGLOBAL mem);
// nullptr on success; the handle itself when it was not a live block.
HGLOBAL GlobalFree(HGLOBAL mem);
// 0 for a stale handle.
SIZE_T GlobalSize(HGLOBAL mem);
// Resizes keeping the contents (and zeroing the growth with GMEM_ZEROINIT);
// the handle stays the same, the address may change. nullptr on failure.
HGLOBAL GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags);
// The lock count (0 for a stale handle).
UINT GlobalLockCount(HGLOBAL mem);

// Task memory for strings handed between components (file names in media).
void* CoTaskMemAlloc(SIZE_T bytes);
void CoTaskMemFree(void* p);

}  // namespace qv
