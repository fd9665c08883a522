// Channel blends, transparent copies, grey-scaling and shadows on 24-bit bitmaps.
#include "skin/skBlend.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "classlib/graphics/Bitmap.h"
#include "platform/gdi/Gdi.h"
#include "skin/skUtils.h"

namespace qv {

namespace {

inline int Clamp255(int v) {
  return v < 0 ? 0 : v > 255 ? 255 : v;
}
inline bool IsColor(const uint8_t* p, TColor c) {
  return p[0] == uint8_t(c >> 16) && p[1] == uint8_t(c >> 8) && p[2] == uint8_t(c);
}
bool Valid(TBitmap* b) {
  return b && !b->Empty() && b->PixelFormat() == pf24bit;
}

// The overlap of a source rectangle placed at (X, Y) with both bitmaps:
// source origin, target origin and size, or false when nothing is left.
bool ClipCopy(int srcW, int srcH, int dstW, int dstH, RECT& src, int& x, int& y) {
  src.left = std::max<LONG>(src.left, 0), src.top = std::max<LONG>(src.top, 0);
  src.right = std::min<LONG>(src.right, srcW), src.bottom = std::min<LONG>(src.bottom, srcH);
  if (x < 0) src.left -= x, x = 0;
  if (y < 0) src.top -= y, y = 0;
  src.right = std::min<LONG>(src.right, src.left + (dstW - x));
  src.bottom = std::min<LONG>(src.bottom, src.top + (dstH - y));
  return src.right > src.left && src.bottom > src.top;
}

}  // namespace

TBmpRows::TBmpRows(TBitmap* Bmp) {
  if (Bmp && !Bmp->Empty()) base = Bmp->ScanLine(0), stride = Bmp->RowBytes();
}

TBitmap* CreateBmp24BySize(int W, int H) {
  return new TBitmap(std::max(W, 0), std::max(H, 0), pf24bit);
}

void BlendByMask(TBitmap* Back, TBitmap* Body, TBitmap* Mask, const RECT& R) {
  if (!Valid(Back) || !Valid(Body) || !Valid(Mask)) return;
  if (R.right - R.left > Back->Width() || R.bottom - R.top > Back->Height()) return;
  int l = std::max<int>(R.left, 0), t = std::max<int>(R.top, 0);
  int r = std::min({int(R.right), Back->Width(), Body->Width(), Mask->Width()});
  int b = std::min({int(R.bottom), Back->Height(), Body->Height(), Mask->Height()});
  const TBmpRows backRows(Back), bodyRows(Body), maskRows(Mask);
  const int n = 3 * (r - l);
  for (int y = t; y < b; ++y) {
    uint8_t* d = backRows(y) + 3 * l;
    const uint8_t* s = bodyRows(y) + 3 * l;
    const uint8_t* m = maskRows(y) + 3 * l;
    // White (255) keeps what is underneath exactly, as the masks' convention says.
    for (int i = 0; i < n; ++i) {
      const int v = s[i] + (((d[i] - s[i]) * m[i]) >> 8);
      d[i] = m[i] == 255 ? d[i] : uint8_t(v);
    }
  }
}

void BlendColorByMask(TBitmap* Dst, TBitmap* Mask, TColor Color) {
  if (!Valid(Dst) || !Valid(Mask)) return;
  if (Dst->Width() != Mask->Width() || Dst->Height() != Mask->Height()) return;
  // The colour laid out as one row of pixels, so that the inner loop runs
  // over bytes without a channel index (and the compiler can widen it).
  const int n = 3 * Dst->Width();
  std::vector<uint8_t> c(static_cast<size_t>(n));
  for (int i = 0; i < n; i += 3)
    c[size_t(i)] = uint8_t(Color >> 16), c[size_t(i) + 1] = uint8_t(Color >> 8),
    c[size_t(i) + 2] = uint8_t(Color);
  const TBmpRows dstRows(Dst), maskRows(Mask);
  for (int y = 0; y < Dst->Height(); ++y) {
    uint8_t* d = dstRows(y);
    const uint8_t* m = maskRows(y);
    for (int i = 0; i < n; ++i) {
      const int v = Clamp255(c[size_t(i)] + (((d[i] - c[size_t(i)]) * m[i]) >> 8));
      d[i] = m[i] == 255 ? d[i] : uint8_t(v);
    }
  }
}

void BlendBitmapRect(TBitmap* Dst, TBitmap* Src, uint8_t Alpha, RECT SrcRect, POINT DstPoint) {
  if (!Valid(Dst) || !Valid(Src)) return;
  int x = DstPoint.x, y = DstPoint.y;
  if (!ClipCopy(Src->Width(), Src->Height(), Dst->Width(), Dst->Height(), SrcRect, x, y)) return;
  const int a = Alpha, w = 3 * (SrcRect.right - SrcRect.left);
  for (int row = SrcRect.top; row < SrcRect.bottom; ++row, ++y) {
    const uint8_t* s = Src->ScanLine(row) + 3 * SrcRect.left;
    uint8_t* d = Dst->ScanLine(y) + 3 * x;
    for (int n = 0; n < w; ++n) d[n] = uint8_t((s[n] * 256 + (d[n] - s[n]) * a) >> 8);
  }
}

void BlendBitmaps(TBitmap* Dst, TBitmap* Src, uint8_t Alpha) {
  if (!Valid(Dst) || !Valid(Src)) return;
  if (Dst->Width() != Src->Width() || Dst->Height() != Src->Height()) return;
  const double f = Alpha / 256.0;
  for (int y = 0; y < Dst->Height(); ++y) {
    uint8_t* d = Dst->ScanLine(y);
    const uint8_t* s = Src->ScanLine(y);
    for (int n = 0; n < 3 * Dst->Width(); ++n) d[n] = uint8_t(Clamp255(RoundEven(s[n] + (d[n] - s[n]) * f)));
  }
}

void BlendTransparent(TBitmap* Dst, int X, int Y, TColor TransColor, double F, RECT SrcRect, TBitmap* Src) {
  if (!Valid(Dst) || !Valid(Src)) return;
  if (!ClipCopy(Src->Width(), Src->Height(), Dst->Width(), Dst->Height(), SrcRect, X, Y)) return;
  const bool skip = (uint32_t(TransColor) >> 24) != 0xFF;
  for (int row = SrcRect.top; row < SrcRect.bottom; ++row, ++Y) {
    const uint8_t* s = Src->ScanLine(row) + 3 * SrcRect.left;
    uint8_t* d = Dst->ScanLine(Y) + 3 * X;
    for (int x = SrcRect.left; x < SrcRect.right; ++x, s += 3, d += 3) {
      if (skip && IsColor(s, TransColor)) continue;
      for (int k = 0; k < 3; ++k) d[k] = uint8_t(Clamp255(RoundEven(s[k] + (d[k] - s[k]) * F)));
    }
  }
}

void CopyTransparentRect(TBitmap* Src, TBitmap* Dst, const RECT& SrcRect, int X, int Y, TColor TransColor) {
  if (!Valid(Dst) || !Valid(Src)) return;
  RECT r = SrcRect;
  if (!ClipCopy(Src->Width(), Src->Height(), Dst->Width(), Dst->Height(), r, X, Y)) return;
  for (int row = r.top; row < r.bottom; ++row, ++Y) {
    const uint8_t* s = Src->ScanLine(row) + 3 * r.left;
    uint8_t* d = Dst->ScanLine(Y) + 3 * X;
    for (int x = r.left; x < r.right; ++x, s += 3, d += 3)
      if (!IsColor(s, TransColor)) d[0] = s[0], d[1] = s[1], d[2] = s[2];
  }
}

void CopyTransparent(TBitmap* Src, TBitmap* Dst, int X, int Y, TColor TransColor) {
  if (Src) CopyTransparentRect(Src, Dst, RECT{0, 0, Src->Width(), Src->Height()}, X, Y, TransColor);
}

void CopyBitmapRect(TBitmap* Src, TBitmap* Dst, RECT SrcRect, int X, int Y) {
  if (!Valid(Dst) || !Valid(Src)) return;
  if (!ClipCopy(Src->Width(), Src->Height(), Dst->Width(), Dst->Height(), SrcRect, X, Y)) return;
  for (int row = SrcRect.top; row < SrcRect.bottom; ++row, ++Y) {
    const uint8_t* s = Src->ScanLine(row) + 3 * SrcRect.left;
    std::copy(s, s + 3 * (SrcRect.right - SrcRect.left), Dst->ScanLine(Y) + 3 * X);
  }
}

void GrayScaleTrans(TBitmap* Bmp, TColor TransColor) {
  if (!Valid(Bmp)) return;
  const bool keep = TransColor != clNone;
  for (int y = 0; y < Bmp->Height(); ++y) {
    uint8_t* p = Bmp->ScanLine(y);
    for (int x = 0; x < Bmp->Width(); ++x, p += 3) {
      if (keep && IsColor(p, TransColor)) continue;
      p[0] = p[1] = p[2] = uint8_t((p[0] + p[1] + p[2]) / 3);
    }
  }
}

void GrayScale(TBitmap* Bmp) {
  GrayScaleTrans(Bmp, clNone);
}

void PaintShadow(TBitmap* Bmp, const RECT& R, int Transparency, TColor Color, int Blur, int Radius) {
  if (!Valid(Bmp)) return;
  const int W = R.right - R.left, H = R.bottom - R.top;
  if (W <= 0 || H <= 0) return;
  std::unique_ptr<TBitmap> T(CreateBmp24BySize(W, H));
  CopyBitmapRect(Bmp, T.get(), R, 0, 0);
  std::unique_ptr<TBitmap> M(CreateBmp24BySize(W, H));
  const int blur = std::max(0, std::min({W / 2, H / 2, Blur}));
  const int radius = std::max(0, std::min({W / 2, H / 2, Radius}));
  const int t = Transparency * 255 / 100;
  const double step = (255 - t) / double(blur + 1);
  TCanvas* c = M->Canvas();
  c->Pen()->SetStyle(psClear);
  c->Brush()->SetStyle(bsSolid);
  int g = 255;
  for (int i = 0; i <= blur; ++i) {
    c->Brush()->SetColor(TColor(RGB(BYTE(g), BYTE(g), BYTE(g))));
    c->RoundRect(i, i, W - i, H - i, radius, radius);
    g = Clamp255(t + RoundEven((blur - i) * step));
  }
  c->Brush()->SetColor(TColor(RGB(BYTE(g), BYTE(g), BYTE(g))));
  c->RoundRect(blur, blur, W - blur, H - blur, blur, blur);
  BlendColorByMask(T.get(), M.get(), Color);
  CopyBitmapRect(T.get(), Bmp, RECT{0, 0, W, H}, R.left, R.top);
}

void FillDC(HDC DC, const RECT& R, TColor Color) {
  int saved = SaveDC(DC);
  HBRUSH b = CreateSolidBrush(COLORREF(ColorToRGB(Color)));
  FillRect(DC, &R, b);
  DeleteObject(b);
  RestoreDC(DC, saved);
}

}  // namespace qv
