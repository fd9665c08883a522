// AlphaBlend (constant and premultiplied per-pixel alpha, as the platform
// defines them) and TransparentBlt (colour-keyed copy), both stretching.
#include <algorithm>

#include "platform/gdi/Blit.h"
#include "platform/gdi/Transfer.h"

namespace qv {
using namespace gdi;

namespace {

constexpr uint32_t Div255(uint32_t x) {
  return (x + 128 + ((x + 128) >> 8)) >> 8;
}

// dst = src * sca + dst * (1 - sca), every channel.
inline uint32_t BlendConstant(uint32_t s, uint32_t d, uint32_t sca) {
  uint32_t r = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t sc = s >> shift & 0xFF, dc = d >> shift & 0xFF;
    r |= Div255(sc * sca + dc * (255 - sca)) << shift;
  }
  return r;
}

// src' = src * sca (premultiplied source); dst = src' + dst * (1 - src'.alpha).
inline uint32_t BlendPremultiplied(uint32_t s, uint32_t d, uint32_t sca) {
  uint32_t sa = Div255((s >> 24) * sca);
  uint32_t r = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t sc = Div255((s >> shift & 0xFF) * sca), dc = d >> shift & 0xFF;
    r |= std::min<uint32_t>(255, sc + Div255(dc * (255 - sa))) << shift;
  }
  return r;
}

bool SourceInside(const Transfer& t) {
  return t.srcRect.left >= 0 && t.srcRect.top >= 0 && t.srcRect.right <= t.src.width &&
         t.srcRect.bottom <= t.src.height;
}

bool Overlaps(const Transfer& t) {
  if (t.src.base != t.dst.base) return false;
  RECT i;
  return IntersectRect(&i, &t.srcRect, &t.dstRect);
}

}  // namespace

BOOL AlphaBlend(HDC hdest, int x, int y, int w, int h, HDC hsrc, int xs, int ys, int ws, int hs,
                BLENDFUNCTION blend) {
  Dc* dest = DcOf(hdest);
  Dc* src = DcOf(hsrc);
  if (!dest || !src || blend.BlendOp != AC_SRC_OVER || (blend.AlphaFormat & ~AC_SRC_ALPHA)) return FALSE;
  if (w < 0 || h < 0 || ws < 0 || hs < 0) return FALSE;
  Transfer t;
  if (!PrepareTransfer(*dest, x, y, w, h, src, xs, ys, ws, hs, t)) return w == 0 || h == 0 ? TRUE : FALSE;
  if (!SourceInside(t) || Overlaps(t)) return FALSE;
  uint32_t sca = blend.SourceConstantAlpha;
  bool perPixel = blend.AlphaFormat & AC_SRC_ALPHA;
  PixRegion area = TransferArea(*dest, t);
  ForEachSourceSpan(t, area, [&](int py, int x0, int n, const uint32_t* s) {
    t.dst.Span(py, x0, x0 + n, [&](uint32_t* d, int) {
      for (int i = 0; i < n; ++i)
        d[i] = perPixel ? BlendPremultiplied(s[i], d[i], sca) : BlendConstant(s[i], d[i], sca);
    });
  });
  return TRUE;
}

BOOL TransparentBlt(HDC hdest, int x, int y, int w, int h, HDC hsrc, int xs, int ys, int ws, int hs,
                    UINT transparent) {
  Dc* dest = DcOf(hdest);
  Dc* src = DcOf(hsrc);
  if (!dest || !src || w < 0 || h < 0 || ws < 0 || hs < 0) return FALSE;
  Transfer t;
  if (!PrepareTransfer(*dest, x, y, w, h, src, xs, ys, ws, hs, t)) return TRUE;
  uint32_t key = ToPixel(transparent) & 0xFFFFFF;
  PixRegion area = TransferArea(*dest, t);
  ForEachSourceSpan(t, area, [&](int py, int x0, int n, const uint32_t* s) {
    t.dst.Span(py, x0, x0 + n, [&](uint32_t* d, int) {
      for (int i = 0; i < n; ++i)
        if ((s[i] & 0xFFFFFF) != key) d[i] = s[i];
    });
  });
  return TRUE;
}

}  // namespace qv
