// Window shapes cut from border masks: one state of a nine-part mask painted
// over a control's cache bitmap while the runs of its transparent pixels are
// subtracted from a window region.
#pragma once
#include "skin/skMaskData.h"

namespace qv {

void PaintBorderRgn(TBitmap* Bmp, HRGN Rgn, bool Fill, const TSkMaskData& MaskData, int State);
// One piece; both rectangles inclusive (Right and Bottom are the last column and row).
void CopyAndCutRegion(const RECT& DstRect, const RECT& SrcRect, TBitmap* DstBmp, TBitmap* SrcBmp, HRGN Rgn,
                      TColor TransColor, const TSkMaskData& MaskData);

}  // namespace qv
