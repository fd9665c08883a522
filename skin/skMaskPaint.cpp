// Nine-part borders, glyph states, colour blends and border corners.
#include "skin/skMaskPaint.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "classlib/controls/WinControl.h"
#include "skin/skBlend.h"
#include "skin/skControlTree.h"
#include "skin/skUtils.h"
#include "skin/skinManager.h"

namespace qv {

namespace {

inline bool IsKey(const uint8_t* p) {
  return p[0] == 255 && p[1] == 0 && p[2] == 255;
}
bool Valid24(TBitmap* b) {
  return b && !b->Empty() && b->PixelFormat() == pf24bit;
}

// A w x h block from (sx, sy) of Src to (dx, dy) of Dst, clipped to both
// bitmaps (negative origins cut the same amount off both) and to the source
// rows from which alpha rows alphaDY further down still exist.
struct Block {
  int sx, sy, dx, dy, w, h;
};
bool ClipBlock(Block& b, TBitmap* Src, TBitmap* Dst, int alphaDY, int srcLimitRight, int srcLimitBottom) {
  if (b.dx < 0) b.sx -= b.dx, b.w += b.dx, b.dx = 0;
  if (b.dy < 0) b.sy -= b.dy, b.h += b.dy, b.dy = 0;
  if (b.sx < 0) b.dx -= b.sx, b.w += b.sx, b.sx = 0;
  if (b.sy < 0) b.dy -= b.sy, b.h += b.sy, b.sy = 0;
  b.w = std::min({b.w, Dst->Width() - b.dx, std::min(Src->Width(), srcLimitRight) - b.sx});
  b.h = std::min({b.h, Dst->Height() - b.dy, std::min(Src->Height() - alphaDY, srcLimitBottom) - b.sy});
  return b.w > 0 && b.h > 0;
}

// d := s + (d - s) * a / 256 for n bytes, a capped at 255 after the boost.
// The result never leaves 0..255 (it lies between d and s), so the loop has
// no branches and the compiler turns it into vector code.
void BlendBytes(uint8_t* d, const uint8_t* s, const uint8_t* a, int n, int boost) {
  if (boost == 0) {
    for (int i = 0; i < n; ++i) d[i] = uint8_t((d[i] * a[i] + s[i] * (256 - a[i])) >> 8);
    return;
  }
  for (int i = 0; i < n; ++i) {
    const int k = std::min(255, a[i] + boost);
    d[i] = uint8_t((d[i] * k + s[i] * (256 - k)) >> 8);
  }
}

// Masked copy: each channel blended by the alpha row's channel; key pixels
// take the fill colour, the parent cache pixel or keep the target. Set up
// once for a pair of bitmaps, then used for every part a border is made of.
class TMaskedCopier {
 public:
  TMaskedCopier(TBitmap* Dst, TBitmap* Src, int AlphaDY, const TCacheInfo& Cache, bool UseFill,
                int GlyphBoost = 0)
      : dst_(Dst), src_(Src), alphaDY_(AlphaDY), cache_(Cache), boost_(GlyphBoost) {
    ok_ = Valid24(Dst) && Valid24(Src) && AlphaDY >= 0;
    if (!ok_) return;
    fill_ = UseFill && MaskFillColor != clSkinTransparent;
    fb_ = uint8_t(MaskFillColor >> 16), fg_ = uint8_t(MaskFillColor >> 8), fr_ = uint8_t(MaskFillColor);
    cacheBmp_ = Cache.Ready && Valid24(Cache.Bmp) ? Cache.Bmp : nullptr;
    srcRows_ = TBmpRows(Src), dstRows_ = TBmpRows(Dst), cacheRows_ = TBmpRows(cacheBmp_);
  }
  void operator()(Block b) const {
    if (!ok_ || !ClipBlock(b, src_, dst_, alphaDY_, src_->Width(), src_->Height())) return;
    for (int y = 0; y < b.h; ++y) {
      const uint8_t* s = srcRows_(b.sy + y) + 3 * b.sx;
      const uint8_t* a = srcRows_(b.sy + y + alphaDY_) + 3 * b.sx;
      uint8_t* d = dstRows_(b.dy + y) + 3 * b.dx;
      const int cy = cache_.Y + b.dy + y;
      const uint8_t* crow = cacheBmp_ && cy >= 0 && cy < cacheBmp_->Height() ? cacheRows_(cy) : nullptr;
      for (int x = 0; x < b.w;) {
        // A run of image pixels is blended in one go.
        int run = x;
        while (run < b.w && !IsKey(s + 3 * run)) ++run;
        if (run > x) {
          BlendBytes(d + 3 * x, s + 3 * x, a + 3 * x, 3 * (run - x), boost_);
          x = run;
          continue;
        }
        uint8_t* o = d + 3 * x;
        if (fill_) {
          o[0] = fb_, o[1] = fg_, o[2] = fr_;
        } else if (crow) {
          const int cx = cache_.X + b.dx + x;
          if (cx >= cacheBmp_->Width())
            crow = nullptr;  // past the cache's right side the row keeps its pixels
          else if (cx >= 0)
            o[0] = crow[3 * cx], o[1] = crow[3 * cx + 1], o[2] = crow[3 * cx + 2];
        }
        ++x;
      }
    }
  }

  // The part (sx, sy, pw, ph) tiled from the top-left of (dx, dy, dw, dh), as
  // a call per tile would paint it. A part row without key pixels is laid out
  // across the whole width first and blended in one go.
  void Tiled(int sx, int sy, int pw, int ph, int dx, int dy, int dw, int dh) const {
    if (!ok_ || pw <= 0 || ph <= 0 || dw <= 0 || dh <= 0) return;
    const bool inside = dx >= 0 && dy >= 0 && dx + dw <= dst_->Width() && dy + dh <= dst_->Height() &&
                        sx >= 0 && sy >= 0 && sx + pw <= src_->Width() &&
                        sy + ph + alphaDY_ <= src_->Height();
    if (!inside) {
      for (int y = 0; y < dh; y += ph)
        for (int x = 0; x < dw; x += pw)
          (*this)(Block{sx, sy, dx + x, dy + y, std::min(pw, dw - x), std::min(ph, dh - y)});
      return;
    }
    const size_t n = size_t(3) * size_t(dw);
    if (rowS_.size() < n) rowS_.resize(n), rowA_.resize(n);
    for (int py = 0; py < std::min(ph, dh); ++py) {
      const uint8_t* s = srcRows_(sy + py) + 3 * sx;
      const uint8_t* a = srcRows_(sy + py + alphaDY_) + 3 * sx;
      bool keys = false;
      for (int x = 0; x < pw && !keys; ++x) keys = IsKey(s + 3 * x);
      if (keys) {
        for (int y = py; y < dh; y += ph)
          for (int x = 0; x < dw; x += pw)
            (*this)(Block{sx, sy + py, dx + x, dy + y, std::min(pw, dw - x), 1});
        continue;
      }
      for (int x = 0; x < dw; x += pw) {
        const size_t m = size_t(3) * size_t(std::min(pw, dw - x));
        std::copy(s, s + m, rowS_.data() + 3 * x);
        std::copy(a, a + m, rowA_.data() + 3 * x);
      }
      for (int y = py; y < dh; y += ph)
        BlendBytes(dstRows_(dy + y) + 3 * dx, rowS_.data(), rowA_.data(), int(n), boost_);
    }
  }

 private:
  mutable std::vector<uint8_t> rowS_, rowA_;  // a part row laid out across a band
  TBitmap *dst_, *src_;
  int alphaDY_;
  const TCacheInfo& cache_;
  int boost_;
  bool ok_ = false, fill_ = false;
  uint8_t fb_ = 0, fg_ = 0, fr_ = 0;
  TBitmap* cacheBmp_ = nullptr;
  TBmpRows srcRows_{nullptr}, dstRows_{nullptr}, cacheRows_{nullptr};
};

void MaskedCopy(TBitmap* Dst, TBitmap* Src, Block b, int alphaDY, const TCacheInfo& Cache, bool UseFill,
                int glyphBoost = 0) {
  TMaskedCopier(Dst, Src, alphaDY, Cache, UseFill, glyphBoost)(b);
}

void TransparentCopy(TBitmap* Dst, TBitmap* Src, Block b) {
  if (!Valid24(Dst) || !Valid24(Src) || !ClipBlock(b, Src, Dst, 0, Src->Width(), Src->Height())) return;
  const TBmpRows src(Src), dst(Dst);
  for (int y = 0; y < b.h; ++y) {
    const uint8_t* s = src(b.sy + y) + 3 * b.sx;
    uint8_t* d = dst(b.dy + y) + 3 * b.dx;
    for (int x = 0; x < b.w; ++x, s += 3, d += 3)
      if (!IsKey(s)) d[0] = s[0], d[1] = s[1], d[2] = s[2];
  }
}

void PlainCopy(TBitmap* Dst, TBitmap* Src, Block b) {
  if (!Valid24(Dst) || !Valid24(Src) || !ClipBlock(b, Src, Dst, 0, Src->Width(), Src->Height())) return;
  const TBmpRows src(Src), dst(Dst);
  for (int y = 0; y < b.h; ++y) {
    const uint8_t* s = src(b.sy + y) + 3 * b.sx;
    std::copy(s, s + 3 * b.w, dst(b.dy + y) + 3 * b.dx);
  }
}

// The source part (sx, sy, sw, sh) stretched over (dx, dy, dw, dh), nearest pixel.
void StretchCopy(TBitmap* Dst, TBitmap* Src, int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh) {
  if (!Valid24(Dst) || !Valid24(Src) || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  for (int y = std::max(0, -dy); y < dh && dy + y < Dst->Height(); ++y) {
    const int syy = sy + int(int64_t(y) * sh / dh);
    if (syy < 0 || syy >= Src->Height()) continue;
    const uint8_t* s = Src->ScanLine(syy);
    uint8_t* d = Dst->ScanLine(dy + y);
    for (int x = std::max(0, -dx); x < dw && dx + x < Dst->Width(); ++x) {
      const int sxx = sx + int(int64_t(x) * sw / dw);
      if (sxx < 0 || sxx >= Src->Width()) continue;
      std::copy(s + 3 * sxx, s + 3 * sxx + 3, d + 3 * (dx + x));
    }
  }
}

}  // namespace

RECT SourceRect(const TSkMaskData& Mask, const TBitmap* Src) {
  auto clip = [](LONG v, int hi) { return LONG(std::clamp<int64_t>(v, 0, hi)); };
  RECT r{clip(Mask.R.left, Src->Width()), clip(Mask.R.top, Src->Height()), clip(Mask.R.right, Src->Width()),
         clip(Mask.R.bottom, Src->Height())};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

void BlendRectToColor(TBitmap* Bmp, RECT R, uint8_t Percent, TColor Color) {
  if (!Valid24(Bmp)) return;
  // Right and Bottom are exclusive: the callers pass ordinary rectangles.
  R.left = std::max<LONG>(R.left, 0), R.top = std::max<LONG>(R.top, 0);
  R.right = std::min<LONG>(R.right, Bmp->Width()), R.bottom = std::min<LONG>(R.bottom, Bmp->Height());
  if (R.bottom <= R.top || R.right <= R.left) return;
  const double p = Percent / 100.0;
  const TColor c = ColorToRGB(Color);
  const double cc[3] = {double((c >> 16) & 0xFF) * (1 - p), double((c >> 8) & 0xFF) * (1 - p),
                        double(c & 0xFF) * (1 - p)};
  for (int y = R.top; y < R.bottom; ++y) {
    uint8_t* d = Bmp->ScanLine(y) + 3 * R.left;
    for (int x = R.left; x < R.right; ++x, d += 3)
      for (int k = 0; k < 3; ++k) d[k] = uint8_t(std::clamp(RoundEven(d[k] * p + cc[k]), 0, 255));
  }
}

void ApplyDisabledKind(TBitmap* Glyph, TSkDisabledKind Kind, TControl* Parent, const TCacheInfo& CacheInfo,
                       POINT Offset) {
  if (!Valid24(Glyph)) return;
  if (Kind.Contains(dkGrayed)) GrayScale(Glyph);
  if (!Kind.Contains(dkBlended)) return;
  if (CacheInfo.Ready && Valid24(CacheInfo.Bmp)) {
    std::unique_ptr<TBitmap> under(CreateBmp24BySize(Glyph->Width(), Glyph->Height()));
    CopyBitmapRect(CacheInfo.Bmp, under.get(),
                   RECT{CacheInfo.X + Offset.x, CacheInfo.Y + Offset.y,
                        CacheInfo.X + Offset.x + Glyph->Width(), CacheInfo.Y + Offset.y + Glyph->Height()},
                   0, 0);
    // glyph := cache * 0.6 + glyph * 0.4
    BlendTransparent(Glyph, 0, 0, TColor(0xFF000000u), 0.4, RECT{0, 0, Glyph->Width(), Glyph->Height()},
                     under.get());
    return;
  }
  TColor c = SharedBgColor != clSkinTransparent ? SharedBgColor
             : Parent                           ? ColorToRGB(Parent->Color())
                                                : clWhite;
  BlendRectToColor(Glyph, RECT{0, 0, Glyph->Width(), Glyph->Height()}, 50, c);
}

void DrawSkinGlyph(TBitmap* Bmp, POINT P, int State, int Mode, const TSkMaskData& Mask) {
  if (!Valid24(Bmp)) return;
  TBitmap* src = Mask.Bmp ? Mask.Bmp.get() : Mask.Manager ? Mask.Manager->MasterBitmap.get() : nullptr;
  if (!src || Mask.ImageCount < 1) return;
  const RECT mr = SourceRect(Mask, src);
  const int pw = (mr.right - mr.left) / Mask.ImageCount;
  const int ph = (mr.bottom - mr.top) / (std::max<int>(Mask.MaskType, 0) + 1);
  if (pw <= 0 || ph <= 0) return;
  State = std::clamp(State, 0, Mask.ImageCount - 1);
  Block b{int(mr.left) + State * pw, int(mr.top), int(P.x), int(P.y), pw, ph};
  if (Mask.MaskType == 0) {
    if (Mode == 1 || Mask.Bmp) {
      TransparentCopy(Bmp, src, b);
      return;
    }
    // A faded state: half the part over half the target, key pixels left out.
    if (!ClipBlock(b, src, Bmp, 0, src->Width(), src->Height())) return;
    for (int y = 0; y < b.h; ++y) {
      const uint8_t* s = src->ScanLine(b.sy + y) + 3 * b.sx;
      uint8_t* d = Bmp->ScanLine(b.dy + y) + 3 * b.dx;
      for (int x = 0; x < b.w; ++x, s += 3, d += 3)
        if (!IsKey(s))
          for (int k = 0; k < 3; ++k) d[k] = uint8_t(RoundEven(s[k] * 0.5 + d[k] * 0.5));
    }
    return;
  }
  MaskedCopy(Bmp, src, b, ph, EmptyCacheInfo, false, Mode == 1 ? 0 : 100);
}

TNinePart NinePartGeometry(const TSkMaskData& Mask, int State, int W, int H) {
  TNinePart g;
  if (Mask.Bmp) {
    g.Src = Mask.Bmp.get();
    g.w = g.Src->Width() / 9, g.h = g.Src->Height() / 6;
    if (g.w <= 0 || g.h <= 0) return g;
    const int states = std::max(1, g.Src->Width() / (3 * g.w));
    g.bx = std::clamp(State, 0, states - 1) * 3 * g.w;  // a state past the image would read outside it
    g.by = 0;
    g.imageH = g.Src->Height() / 2;
    g.alphaDY = g.Src->Height() / 2;
  } else {
    if (!Mask.Manager || !Mask.Manager->MasterBitmap || Mask.ImageCount < 1) return g;
    g.Src = Mask.Manager->MasterBitmap.get();
    const RECT mr = SourceRect(Mask, g.Src);
    const int rw = mr.right - mr.left, rh = mr.bottom - mr.top;
    const int mt = std::max<int>(Mask.MaskType, 0);
    g.w = rw / (3 * Mask.ImageCount), g.h = rh / (3 * (mt + 1));
    if (g.w <= 0 || g.h <= 0) return g;
    State = std::clamp(State, 0, Mask.ImageCount - 1);
    g.bx = int(mr.left) + rw * State / Mask.ImageCount;
    g.by = int(mr.top);
    g.imageH = rh / (mt + 1);
    g.alphaDY = rh / 2;
  }
  g.L = g.Rw = g.w, g.T = g.B = g.h;
  const bool narrow = W < 2 * g.w, low = H < 2 * g.h;
  if (narrow) g.L = W / 2, g.Rw = W - g.L;
  if (low) g.T = H / 2, g.B = H - g.T;
  if (!Mask.Bmp && Mask.BorderWidth != 0) {
    g.L = std::min<int>(g.L, Mask.BorderWidth), g.T = std::min<int>(g.T, Mask.BorderWidth);
    g.Rw = g.L + (narrow && (W % 2) ? 1 : 0), g.B = g.T + (low && (H % 2) ? 1 : 0);
  }
  g.Valid = true;
  return g;
}

void PaintNinePartMask(TBitmap* Bmp, const RECT& R, bool FillCentre, const TCacheInfo& CacheInfo,
                       const TSkMaskData& Mask, int State) {
  const int W = R.right - R.left, H = R.bottom - R.top;
  if (!Valid24(Bmp) || W < 2 || H < 2) return;
  const TNinePart g = NinePartGeometry(Mask, State, W, H);
  if (!g.Valid) return;
  const bool alpha = Mask.Bmp || Mask.MaskType != 0;
  const int w = g.w, h = g.h, bx = g.bx, by = g.by, ih = g.imageH;
  // Source part origins of the state block.
  const int srcRightX = bx + 3 * w - g.Rw, srcBottomY = by + ih - g.B;
  // The corners look through their key pixels to the cache; the bands do not.
  const TMaskedCopier cornerCopy(Bmp, g.Src, g.alphaDY, CacheInfo, !Mask.Bmp),
      pieceCopy(Bmp, g.Src, g.alphaDY, EmptyCacheInfo, !Mask.Bmp);
  auto corner = [&](int sx, int sy, int dx, int dy, int cw, int chh) {
    Block b{sx, sy, dx, dy, cw, chh};
    if (alpha)
      cornerCopy(b);
    else
      TransparentCopy(Bmp, g.Src, b);
  };
  auto piece = [&](int sx, int sy, int dx, int dy, int pw, int phh) {
    Block b{sx, sy, dx, dy, pw, phh};
    if (alpha)
      pieceCopy(b);
    else
      PlainCopy(Bmp, g.Src, b);
  };
  const bool stretch = !alpha && Mask.StretchMode != 0;
  // Bands: own images and alpha masks start one part in; plain masks after the corners.
  const int x0 = R.left + (alpha ? w : g.L), y0 = R.top + (alpha ? h : g.T);
  const int xEnd = R.right - g.Rw, yEnd = R.bottom - g.B;
  auto tileH = [&](int sx, int sy, int dy, int rows) {
    if (stretch) {
      StretchCopy(Bmp, g.Src, sx, sy, w, rows, x0, dy, xEnd - x0, rows);
      return;
    }
    if (alpha) {
      pieceCopy.Tiled(sx, sy, w, rows, x0, dy, xEnd - x0, rows);
      return;
    }
    for (int x = x0; x < xEnd; x += w) piece(sx, sy, x, dy, std::min(w, xEnd - x), rows);
  };
  auto tileV = [&](int sx, int sy, int dx, int cols) {
    if (stretch) {
      StretchCopy(Bmp, g.Src, sx, sy, cols, h, dx, y0, cols, yEnd - y0);
      return;
    }
    if (alpha) {
      pieceCopy.Tiled(sx, sy, cols, h, dx, y0, cols, yEnd - y0);
      return;
    }
    for (int y = y0; y < yEnd; y += h) piece(sx, sy, dx, y, cols, std::min(h, yEnd - y));
  };
  corner(bx, by, R.left, R.top, g.L, g.T);               // top-left
  tileV(bx, by + h, R.left, g.L);                        // left edge
  tileH(bx + w, by, R.top, g.T);                         // top edge
  corner(bx, srcBottomY, R.left, yEnd, g.L, g.B);        // bottom-left
  tileH(bx + w, srcBottomY, yEnd, g.B);                  // bottom edge
  corner(srcRightX, srcBottomY, xEnd, yEnd, g.Rw, g.B);  // bottom-right
  corner(srcRightX, by, xEnd, R.top, g.Rw, g.T);         // top-right
  tileV(srcRightX, by + h, xEnd, g.Rw);                  // right edge
  if (!FillCentre || (!alpha && Mask.BorderWidth != 0)) return;
  if (stretch) {
    StretchCopy(Bmp, g.Src, bx + w, by + h, w, h, x0, y0, xEnd - x0, yEnd - y0);
    return;
  }
  if (alpha) {
    pieceCopy.Tiled(bx + w, by + h, w, h, x0, y0, xEnd - x0, yEnd - y0);
    return;
  }
  for (int y = y0; y < yEnd; y += h)
    for (int x = x0; x < xEnd; x += w)
      piece(bx + w, by + h, x, y, std::min(w, xEnd - x), std::min(h, yEnd - y));
}

void PaintControlBorder(TSkCommonData* SkinData, int State) {
  FillBorderCorners(SkinData, State, 15);
}

void FillBorderCorners(TSkCommonData* d, int State, int Corners) {
  if (!d) return;
  TSkinManager* m = d->SkinManager();
  if (!m || !m->IsValidImgIndex(d->BorderIndex)) return;
  const TSkMaskData& mask = m->ma[size_t(d->BorderIndex)];
  TControl* c = d->OwnerControl;
  if (mask.Bmp || mask.ImageCount == 0 || !Valid24(d->CacheBmp.get()) || !c) return;
  const int W = c->Width(), H = c->Height();
  if (W < 2 || H < 2) return;
  TCacheInfo cache;
  TWinControl* p = c->Parent();
  if (p) {
    GetParentCache(d, cache);
    if (cache.Ready) {
      if (QuerySkinCommand(p, AC_BGNOTPLAIN) || SharedBgColor != clSkinTransparent)
        SharedBgColor = clSkinTransparent;
      else
        QueryBgColor(p);
    } else {
      SharedBgColor = ColorToRGB(p->Color());
    }
  } else {
    SharedBgColor = clSkinTransparent;
  }
  if (SharedBgColor == clSkinTransparent) cache.X += c->Left(), cache.Y += c->Top();
  const TNinePart g = NinePartGeometry(mask, State, W, H);
  if (!g.Valid) {
    SharedBgColor = clSkinTransparent;
    return;
  }
  TBitmap* dst = d->CacheBmp.get();
  TBitmap* cb = cache.Ready && Valid24(cache.Bmp) ? cache.Bmp : nullptr;
  const TColor bg = SharedBgColor;
  auto fill = [&](int sx, int sy, int dx, int dy, int cw, int chh) {
    for (int y = 0; y < chh; ++y) {
      const int syy = sy + y, dyy = dy + y;
      if (syy < 0 || syy >= g.Src->Height() || dyy < 0 || dyy >= dst->Height()) continue;
      const uint8_t* s = g.Src->ScanLine(syy);
      uint8_t* row = dst->ScanLine(dyy);
      for (int x = 0; x < cw; ++x) {
        const int sxx = sx + x, dxx = dx + x;
        if (sxx < 0 || sxx >= g.Src->Width() || dxx < 0 || dxx >= dst->Width() || !IsKey(s + 3 * sxx))
          continue;
        uint8_t* o = row + 3 * dxx;
        if (bg != clSkinTransparent) {
          o[0] = uint8_t(bg >> 16), o[1] = uint8_t(bg >> 8), o[2] = uint8_t(bg);
        } else if (cb) {
          const int cx = cache.X + dxx, cy = cache.Y + dyy;
          if (cx < 0 || cy < 0 || cx >= cb->Width() || cy >= cb->Height()) continue;
          const uint8_t* q = cb->ScanLine(cy) + 3 * cx;
          o[0] = q[0], o[1] = q[1], o[2] = q[2];
        }
      }
    }
  };
  const int srcRightX = g.bx + 3 * g.w - g.Rw, srcBottomY = g.by + g.imageH - g.B;
  if (Corners & 1) fill(g.bx, g.by, 0, 0, g.L, g.T);
  if (Corners & 2) fill(g.bx, srcBottomY, 0, H - g.B, g.L, g.B);
  if (Corners & 4) fill(srcRightX, g.by, W - g.Rw, 0, g.Rw, g.T);
  if (Corners & 8) fill(srcRightX, srcBottomY, W - g.Rw, H - g.B, g.Rw, g.B);
  SharedBgColor = clSkinTransparent;
}

}  // namespace qv
