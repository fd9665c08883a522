// Border masks painted with their transparent runs cut out of a region.
#include "skin/skBorderRegion.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv {

namespace {

void SubtractRun(HRGN rgn, int left, int top, int right) {
  if (!rgn) return;
  HRGN run = CreateRectRgn(left, top, right, top + 1);
  CombineRgn(rgn, rgn, run, RGN_DIFF);
  DeleteObject(run);
}

// The masked copy of the centre of an own image: no region work.
void CopyCentre(TBitmap* dst, TBitmap* src, int sx, int sy, int dx, int dy, int w, int h, int alphaDY) {
  w = std::min({w, dst->Width() - dx, src->Width() - sx});
  h = std::min({h, dst->Height() - dy, src->Height() - alphaDY - sy});
  if (dx < 0 || dy < 0 || sx < 0 || sy < 0) return;
  for (int y = 0; y < h; ++y) {
    const uint8_t* s = src->ScanLine(sy + y) + 3 * sx;
    const uint8_t* a = src->ScanLine(sy + y + alphaDY) + 3 * sx;
    uint8_t* d = dst->ScanLine(dy + y) + 3 * dx;
    for (int x = 0; x < w; ++x, s += 3, a += 3, d += 3) {
      if (s[0] == 255 && s[1] == 0 && s[2] == 255) continue;
      for (int k = 0; k < 3; ++k)
        d[k] = uint8_t(std::clamp(((d[k] - s[k]) * a[k] + s[k] * 256) >> 8, 0, 255));
    }
  }
}

}  // namespace

void CopyAndCutRegion(const RECT& DstRect, const RECT& SrcRect, TBitmap* DstBmp, TBitmap* SrcBmp, HRGN Rgn,
                      TColor TransColor, const TSkMaskData& MaskData) {
  if (!DstBmp || !SrcBmp || DstRect.left < 0 || DstRect.top < 0 || SrcRect.left < 0 || SrcRect.top < 0)
    return;
  if (DstBmp->Width() < 2 || DstBmp->Height() < 2) return;
  const bool master = !MaskData.Bmp;
  if (master && MaskData.MaskType == 0) {
    const int w = std::min<int>(
        {DstRect.right - DstRect.left + 1, DstBmp->Width() - DstRect.left, SrcBmp->Width() - SrcRect.left});
    const int h = std::min<int>(
        {DstRect.bottom - DstRect.top + 1, DstBmp->Height() - DstRect.top, SrcBmp->Height() - SrcRect.top});
    for (int y = 0; y < h; ++y) {
      const uint8_t* s = SrcBmp->ScanLine(SrcRect.top + y) + 3 * SrcRect.left;
      std::copy(s, s + 3 * std::max(w, 0), DstBmp->ScanLine(DstRect.top + y) + 3 * DstRect.left);
    }
    return;
  }
  if (master && !MaskData.Manager) return;
  const RECT mr = SourceRect(MaskData, SrcBmp);
  const int alphaDY = master ? (mr.bottom - mr.top) / 2 : SrcBmp->Height() / 2;
  const TColor key = ColorToRGB(TransColor);
  const uint8_t kb = uint8_t(key >> 16), kg = uint8_t(key >> 8), kr = uint8_t(key);
  const int rows = std::min<int>({1 + std::min(DstRect.bottom - DstRect.top, SrcRect.bottom - SrcRect.top),
                                  DstBmp->Height() - DstRect.top, SrcBmp->Height() - alphaDY - SrcRect.top});
  const int cols = std::min<int>({1 + std::min(DstRect.right - DstRect.left, SrcRect.right - SrcRect.left),
                                  DstBmp->Width() - DstRect.left, SrcBmp->Width() - SrcRect.left});
  for (int y = 0; y < rows; ++y) {
    const uint8_t* s = SrcBmp->ScanLine(SrcRect.top + y) + 3 * SrcRect.left;
    const uint8_t* a = SrcBmp->ScanLine(SrcRect.top + y + alphaDY) + 3 * SrcRect.left;
    uint8_t* d = DstBmp->ScanLine(DstRect.top + y) + 3 * DstRect.left;
    int runStart = -1;
    const int dy = DstRect.top + y;
    for (int x = 0; x < cols; ++x, s += 3, a += 3, d += 3) {
      if (s[0] == kb && s[1] == kg && s[2] == kr) {
        if (runStart < 0) runStart = x;
        continue;
      }
      if (runStart >= 0) SubtractRun(Rgn, DstRect.left + runStart, dy, DstRect.left + x), runStart = -1;
      for (int k = 0; k < 3; ++k)
        d[k] = uint8_t(std::clamp(((d[k] - s[k]) * a[k] + s[k] * 256) >> 8, 0, 255));
    }
    if (runStart >= 0) SubtractRun(Rgn, DstRect.left + runStart, dy, DstRect.left + cols);
  }
}

void PaintBorderRgn(TBitmap* Bmp, HRGN Rgn, bool Fill, const TSkMaskData& MaskData, int State) {
  if (!Bmp || Bmp->Empty()) return;
  const int W = Bmp->Width(), H = Bmp->Height();
  const bool own = MaskData.Bmp != nullptr;
  if (own && (W < 3 || H < 3)) return;
  if (!own && (!MaskData.Manager || !MaskData.Manager->MasterBitmap || MaskData.ImageCount < 1)) return;
  const TNinePart g = NinePartGeometry(MaskData, State, W, H);
  if (!g.Valid) return;
  TBitmap* src = g.Src;
  const int w = g.w, h = g.h;
  const int srcRightX = g.bx + 3 * w - g.Rw, srcBottomY = g.by + g.imageH - g.B;
  auto piece = [&](int dx, int dy, int pw, int ph, int sx, int sy) {
    if (pw <= 0 || ph <= 0) return;
    CopyAndCutRegion(RECT{dx, dy, dx + pw - 1, dy + ph - 1}, RECT{sx, sy, sx + pw - 1, sy + ph - 1}, Bmp, src,
                     Rgn, clSkinTransparent, MaskData);
  };
  // Plain master masks start their edges right after the corners.
  const bool plain = !own && MaskData.MaskType == 0;
  const int x0 = plain ? g.L : w, y0 = plain ? g.T : h;
  const int xEnd = W - g.Rw, yEnd = H - g.B;
  piece(0, 0, g.L, g.T, g.bx, g.by);
  for (int y = y0; y < yEnd; y += h) piece(0, y, g.L, std::min(h, yEnd - y), g.bx, g.by + h);
  for (int x = x0; x < xEnd; x += w) piece(x, 0, std::min(w, xEnd - x), g.T, g.bx + w, g.by);
  piece(0, yEnd, g.L, g.B, g.bx, srcBottomY);
  for (int x = x0; x < xEnd; x += w) piece(x, yEnd, std::min(w, xEnd - x), g.B, g.bx + w, srcBottomY);
  piece(xEnd, yEnd, g.Rw, g.B, srcRightX, srcBottomY);
  piece(xEnd, 0, g.Rw, g.T, srcRightX, g.by);
  for (int y = y0; y < yEnd; y += h) piece(xEnd, y, g.Rw, std::min(h, yEnd - y), srcRightX, g.by + h);
  if (!Fill || plain) return;
  for (int y = h; y < H - h; y += h)
    for (int x = w; x < W - w; x += w) {
      const int pw = std::min(w, W - w - x), ph = std::min(h, H - h - y);
      if (own)
        CopyCentre(Bmp, src, g.bx + w, g.by + h, x, y, pw, ph, g.alphaDY);
      else
        piece(x, y, pw, ph, g.bx + w, g.by + h);
    }
}

}  // namespace qv
