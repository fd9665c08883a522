// Bitmaps: device-dependent (1 and 32 bits per pixel) and DIB sections (1, 24
// and 32 bits, top-down or bottom-up, bits addressable by the caller), and the
// DIB transfer calls. Every DIB section keeps its memory in exactly the layout
// its header describes (a 24-bit one its own 24-bit rows); drawing converts rows
// to 32 bits on the fly, so the bits are always current and no flush is needed.
// 1-bit DIBs are read as 0 = black, 1 = white whatever their colour table says.
#pragma once
#include <cstddef>

#include "platform/gdi/GdiTypes.h"

namespace qv {

namespace gdi {
// Bytes per row of a DIB: rows are padded to whole DWORDs.
constexpr ptrdiff_t DibStride(int width, int bpp) {
  return ((ptrdiff_t(width) * bpp + 31) / 32) * 4;
}
}  // namespace gdi

// bpp 1 or 32 (any other colour depth is stored as 32); bits are rows of WORD-aligned width.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
HBITMAP CreateBitmapIndirect(const BITMAP* bm);
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);  // the DC's depth: 1 for a fresh memory DC
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
LONG GetBitmapBits(HBITMAP bmp, LONG size, void* bits);
LONG SetBitmapBits(HBITMAP bmp, DWORD size, const void* bits);

// 24 and 32-bit DIB transfers (1-bit with a two-entry colour table too).
// GetDIBits with null bits fills in the header (size, image size) only.
int GetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);
int SetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
              UINT usage);
int StretchDIBits(HDC hdc, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc, int hSrc,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);

}  // namespace qv
