// Block transfers between device contexts: the 256 raster operations, stretching,
// masks, alpha blending, colour-keyed copies, gradients and scrolling.
#pragma once
#include "platform/gdi/GdiTypes.h"

namespace qv {

BOOL BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                DWORD rop);
BOOL PatBlt(HDC dest, int x, int y, int w, int h, DWORD rop);
// Where the 1-bit mask is 1 the foreground rop applies, where 0 the background rop (high byte of rop4).
BOOL MaskBlt(HDC dest, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, HBITMAP mask, int xMask,
             int yMask, DWORD rop4);
// SourceConstantAlpha, and with AC_SRC_ALPHA a premultiplied per-pixel source alpha.
BOOL AlphaBlend(HDC dest, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                BLENDFUNCTION blend);
inline BOOL GdiAlphaBlend(HDC d, int x, int y, int w, int h, HDC s, int xs, int ys, int ws, int hs,
                          BLENDFUNCTION b) {
  return AlphaBlend(d, x, y, w, h, s, xs, ys, ws, hs, b);
}
// Copies every source pixel except those of colour `transparent`.
BOOL TransparentBlt(HDC dest, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                    UINT transparent);
BOOL GradientFill(HDC hdc, const TRIVERTEX* vertices, ULONG count, const void* mesh, ULONG meshCount,
                  DWORD mode);
// Scrolls the pixels of `scroll` (default: the whole DC), keeping them inside `clip`;
// returns the uncovered area as a region and/or its bounding rectangle.
BOOL ScrollDC(HDC hdc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update, RECT* updateRect);

}  // namespace qv
