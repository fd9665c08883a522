// Icons and cursors: a colour image (32-bit, straight alpha when any pixel has
// alpha) with an optional 1-bit AND mask, kept in the checked GDI handle table.
// Drawing honours the alpha, or else applies the mask the classic way
// (AND the mask, then XOR the colour).
#pragma once
#include "platform/Surface.h"
#include "platform/gdi/GdiTypes.h"

namespace qv {

struct ICONINFO {
  BOOL fIcon = TRUE;  // FALSE: a cursor with a hot spot
  DWORD xHotspot = 0, yHotspot = 0;
  HBITMAP hbmMask = nullptr;   // 1 = transparent; twice the height when hbmColor is null
  HBITMAP hbmColor = nullptr;  // null: a monochrome icon (AND half over XOR half of hbmMask)
};

constexpr UINT DI_MASK = 0x1, DI_IMAGE = 0x2, DI_NORMAL = 0x3, DI_COMPAT = 0x4, DI_DEFAULTSIZE = 0x8;

// The bitmaps are copied; the caller keeps its own.
HICON CreateIconIndirect(const ICONINFO* info);
// Fills new bitmaps (the caller deletes them): a 32-bit colour bitmap and a 1-bit mask.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
HICON CopyIcon(HICON icon);
// FALSE, and nothing else, for handles that are not icons (such as the
// window manager's standard-cursor pseudo handles).
BOOL DestroyIcon(HICON icon);
inline BOOL DestroyCursor(HCURSOR cursor) {
  return DestroyIcon(cursor);
}
BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);
// cx, cy of 0: the icon's own size (or the system size with DI_DEFAULTSIZE).
// The step and flicker-free brush are accepted and ignored.
BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flickerFree, UINT flags);
// Icons from and to straight 0xAARRGGBB pixels (alpha 0 = transparent); a
// mask-only icon reads back as opaque pixels with its masked ones clear.
HICON CreateIconFromPixels(const Surface& pixels);
bool IconPixels(HICON icon, Surface& out);
// The icon's pixel size, or false for an unknown handle.
bool IconSize(HICON icon, int& width, int& height);

}  // namespace qv
