// The pixel layer of the painters and hint windows: 24-bit bitmaps mixed
// channel by channel with grey masks, alpha values and factors, transparent
// copies, grey-scaling and soft rectangular shadows. Every rectangle is
// clipped to the bitmaps it touches.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/WinTypes.h"
#include "platform/gdi/SystemColors.h"

namespace qv {

class TBitmap;

TBitmap* CreateBmp24BySize(int W, int H);  // white; the caller owns it

// Row access for the inner loops: the bitmap is asked once for its first row
// and its row distance (rows are top-down), not once per row.
struct TBmpRows {
  explicit TBmpRows(TBitmap* Bmp);
  uint8_t* operator()(int Row) const { return base + ptrdiff_t(Row) * stride; }
  uint8_t* base = nullptr;
  ptrdiff_t stride = 0;
};

// Back := Body + (Back - Body) * M / 256 over R (white mask keeps Back).
void BlendByMask(TBitmap* Back, TBitmap* Body, TBitmap* Mask, const RECT& R);
// Dst := C + (Dst - C) * M / 256, bitmaps of equal size.
void BlendColorByMask(TBitmap* Dst, TBitmap* Mask, TColor Color);
// Dst := Src + (Dst - Src) * Alpha / 256 (truncated), SrcRect of Src placed at DstPoint.
void BlendBitmapRect(TBitmap* Dst, TBitmap* Src, uint8_t Alpha, RECT SrcRect, POINT DstPoint);
// Dst := Src + (Dst - Src) * Alpha / 256 (rounded), bitmaps of equal size.
void BlendBitmaps(TBitmap* Dst, TBitmap* Src, uint8_t Alpha);
// Dst := Src + (Dst - Src) * F (rounded) for SrcRect of Src at (X, Y), skipping
// pixels of TransColor unless its high byte is 0xFF.
void BlendTransparent(TBitmap* Dst, int X, int Y, TColor TransColor, double F, RECT SrcRect, TBitmap* Src);
// Copies Src onto Dst at (X, Y) leaving out pixels of TransColor.
void CopyTransparent(TBitmap* Src, TBitmap* Dst, int X, int Y, TColor TransColor);
void CopyTransparentRect(TBitmap* Src, TBitmap* Dst, const RECT& SrcRect, int X, int Y, TColor TransColor);
// A plain copy of SrcRect of Src to (X, Y) of Dst, clipped to both.
void CopyBitmapRect(TBitmap* Src, TBitmap* Dst, RECT SrcRect, int X, int Y);
void GrayScale(TBitmap* Bmp);
void GrayScaleTrans(TBitmap* Bmp, TColor TransColor);
// A soft shadow of Color under R: rings fading out from Transparency percent.
void PaintShadow(TBitmap* Bmp, const RECT& R, int Transparency, TColor Color, int Blur, int Radius);
// Fills R of a DC with a colour.
void FillDC(HDC DC, const RECT& R, TColor Color);

}  // namespace qv
