// Backgrounds, borders, corner images and text of skin sections.
#include "skin/skItemPaint.h"

#include <algorithm>
#include <memory>

#include "classlib/controls/Forms.h"
#include "classlib/controls/WinControl.h"
#include "classlib/graphics/JpegImage.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "skin/skBlend.h"
#include "skin/skControlTree.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv {

namespace {

void FillBmp(TBitmap* Bmp, const RECT& R, TColor C) {
  const TColor c = ColorToRGB(C);
  const int l = std::max<int>(R.left, 0), r = std::min<int>(R.right, Bmp->Width());
  for (int y = std::max<int>(R.top, 0); y < std::min<int>(R.bottom, Bmp->Height()); ++y) {
    uint8_t* p = Bmp->ScanLine(y) + 3 * l;
    for (int x = l; x < r; ++x, p += 3) p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
  }
}

TBitmap* SourceOf(const TSkMaskData& m) {
  return m.Bmp ? m.Bmp.get() : m.Manager ? m.Manager->MasterBitmap.get() : nullptr;
}

// The values of a section for the normal or the hot look.
struct Look {
  TColor C = clSkinTransparent;
  int ImagePercent = 0, GradientPercent = 0, Transparency = 0;
  const TSkMaskData* Mask = nullptr;        // the picture from the image list, or
  const TSkPatternData* Pattern = nullptr;  // from the pattern list
  const TSkGradArray* Grad = nullptr;
};

Look LookOf(TSkinManager* m, int idx, const std::string& section, int state, TColor custom) {
  const TSkGeneralData& g = m->gd[size_t(idx)];
  Look l;
  const bool hot = state != 0;
  l.C = custom != clSkinTransparent ? custom : hot ? g.HotColor : g.Color;
  l.ImagePercent = hot ? g.HotImagePercent : g.ImagePercent;
  l.GradientPercent = hot ? g.HotGradientPercent : g.GradientPercent;
  l.Transparency = hot ? g.HotTransparency : g.Transparency;
  if (l.ImagePercent > 0) {
    const char* key = hot ? "HOTPATTERN" : "PATTERN";
    int i = m->GetMaskIndex(idx, section, key);
    if (m->IsValidImgIndex(i)) {
      l.Mask = &m->ma[size_t(i)];
    } else {
      int p = m->GetPatternIndex(idx, section, key);
      if (p >= 0) l.Pattern = &m->pa[size_t(p)];
    }
  }
  if (l.GradientPercent != 0) l.Grad = hot ? &g.HotGradientArray : &g.GradientArray;
  return l;
}

// The fill step: picture, gradient and colour mixed into R of Bmp.
void FillStep(TSkinManager* m, int idx, const Look& l, TBitmap* Bmp, RECT R) {
  bool textured = false;
  if (l.ImagePercent > 0 && (l.Mask || l.Pattern)) {
    RECT left = R;
    if (l.Mask)
      PaintImageByMode(Bmp, left, nullptr, ModeOfImage(*l.Mask), l.Mask);
    else
      PaintImageByMode(Bmp, left, l.Pattern->Img.get(), 0, nullptr);
    if (left.left != -1) FillBmp(Bmp, left, l.C);
    textured = true;
  } else {
    FillBmp(Bmp, R, l.C);
  }
  const int w = R.right - R.left, h = R.bottom - R.top;
  if (l.GradientPercent > 0) {
    const bool haveGrad = l.Grad && !l.Grad->empty();
    if (textured) {
      std::unique_ptr<TBitmap> G(CreateBmp24BySize(w, h));
      if (haveGrad)
        PaintGrad(G.get(), RECT{0, 0, w, h}, *l.Grad);
      else
        FillBmp(G.get(), RECT{0, 0, w, h}, l.C);
      BlendBitmapRect(Bmp, G.get(), uint8_t(std::min(255, l.ImagePercent * 256 / 100)), RECT{0, 0, w, h},
                      POINT{R.left, R.top});
    } else if (haveGrad) {
      PaintGrad(Bmp, R, *l.Grad);
    } else {
      FillBmp(Bmp, R, l.C);
    }
  }
  const int p = l.ImagePercent + l.GradientPercent;
  if (p >= 1 && p <= 99) {
    BlendRectToColor(Bmp, R, uint8_t(p), l.C);
  } else if (p != 100) {
    const int t = m->gd[size_t(idx)].Transparency;
    if (SharedBgColor != clSkinTransparent && t != 0) {
      const TColor s = ColorToRGB(l.C), pc = SharedBgColor;
      uint32_t mix = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        const int sv = (s >> shift) & 0xFF, pv = (pc >> shift) & 0xFF;
        mix |= uint32_t(std::clamp(sv + (pv - sv) * t / 256, 0, 255)) << shift;
      }
      FillBmp(Bmp, R, TColor(mix));
    } else {
      FillBmp(Bmp, R, l.C);
    }
  }
}

void CopyCache(TBitmap* Bmp, const RECT& R, const TCacheInfo& cache, POINT off) {
  CopyBitmapRect(cache.Bmp, Bmp,
                 RECT{cache.X + off.x, cache.Y + off.y, cache.X + off.x + (R.right - R.left),
                      cache.Y + off.y + (R.bottom - R.top)},
                 R.left, R.top);
}

// The background of a section: fill step, seen through against the cache.
void PaintBackground(TSkinManager* m, int idx, const Look& l, const TCacheInfo& cache, TBitmap* Bmp,
                     POINT off, RECT R) {
  const bool ready = cache.Ready && cache.Bmp;
  if (l.Transparency == 100) {
    if (SharedBgColor != clSkinTransparent)
      FillBmp(Bmp, R, SharedBgColor);
    else if (ready && Bmp != cache.Bmp)
      CopyCache(Bmp, R, cache, off);
    return;
  }
  if (!ready || l.Transparency == 0) {
    FillStep(m, idx, l, Bmp, R);
    return;
  }
  const int w = R.right - R.left, h = R.bottom - R.top;
  std::unique_ptr<TBitmap> T(CreateBmp24BySize(w, h));
  FillStep(m, idx, l, T.get(), RECT{0, 0, w, h});
  if (SharedBgColor != clSkinTransparent)
    FillBmp(Bmp, R, SharedBgColor);
  else if (Bmp != cache.Bmp)
    CopyCache(Bmp, R, cache, off);
  BlendBitmapRect(Bmp, T.get(), uint8_t(std::min(255, l.Transparency * 256 / 100)), RECT{0, 0, w, h},
                  POINT{R.left, R.top});
}

bool Active(TSkinManager* m, int idx) {
  return m && m->SkinData()->Active && m->IsValidSkinIndex(idx);
}

bool FitsIn(const RECT& R, TBitmap* Bmp) {
  return Bmp && R.left >= 0 && R.top >= 0 && R.right <= Bmp->Width() && R.bottom <= Bmp->Height() &&
         R.right > R.left && R.bottom > R.top;
}

}  // namespace

void TileGraphic(TBitmap* Bmp, const RECT& R, TGraphic* Graphic) {
  if (!Bmp || !Graphic || Graphic->Empty()) return;
  TBitmap* src = dynamic_cast<TBitmap*>(Graphic);
  if (auto* jpg = dynamic_cast<TJPEGImage*>(Graphic)) src = jpg->Bitmap();
  if (!src || src->Empty()) return;
  std::unique_ptr<TBitmap> converted;
  if (src->PixelFormat() != pf24bit) {
    converted = std::make_unique<TBitmap>();
    converted->Assign(src);
    converted->SetPixelFormat(pf24bit);
    src = converted.get();
  }
  // Tiles are cut at R, JPEG pictures too: nothing beyond R is touched.
  for (int y = R.top; y < R.bottom; y += src->Height())
    for (int x = R.left; x < R.right; x += src->Width())
      CopyBitmapRect(
          src, Bmp,
          RECT{0, 0, std::min<int>(src->Width(), R.right - x), std::min<int>(src->Height(), R.bottom - y)}, x,
          y);
}

int ModeOfImage(const TSkMaskData& Image) {
  switch (Image.ImgType) {
    case itisaTexture:
      return Image.StretchMode == 0 ? 0 : 1;
    case itisaGlyph:
      return 0;
    default:
      return 1;
  }
}

void PaintImageByMode(TBitmap* Bmp, RECT& R, TGraphic* Graphic, int Mode, const TSkMaskData* Image) {
  if (Graphic && !Graphic->Empty()) {
    TileGraphic(Bmp, R, Graphic);
    R = RECT{-1, -1, -1, -1};
    return;
  }
  if (!Image || !Bmp) return;
  TBitmap* src = SourceOf(*Image);
  if (!src) return;
  const RECT s = SourceRect(*Image, src);
  const int w = s.right - s.left, h = s.bottom - s.top;
  if (w <= 0 || h <= 0) return;
  auto tile = [&](const RECT& area) {
    for (int y = area.top; y < area.bottom; y += h)
      for (int x = area.left; x < area.right; x += w)
        CopyBitmapRect(src, Bmp,
                       RECT{s.left, s.top, s.left + std::min<int>(w, area.right - x),
                            s.top + std::min<int>(h, area.bottom - y)},
                       x, y);
  };
  auto stretch = [&](const RECT& area) {
    SetStretchBltMode(Bmp->Canvas()->Handle(), COLORONCOLOR);
    StretchBlt(Bmp->Canvas()->Handle(), area.left, area.top, area.right - area.left, area.bottom - area.top,
               src->Canvas()->Handle(), s.left, s.top, w, h, SRCCOPY);
  };
  switch (Mode) {
    case 0:
      tile(R), R = RECT{-1, -1, -1, -1};
      break;
    case 1:
      stretch(R), R = RECT{-1, -1, -1, -1};
      break;
    case 2:
      tile(RECT{R.left, R.top, R.right, std::min<LONG>(R.bottom, R.top + h)}), R.top += h;
      break;
    case 3:
      tile(RECT{R.left, R.top, std::min<LONG>(R.right, R.left + w), R.bottom}), R.left += w;
      break;
    case 4:
      stretch(RECT{R.left, R.top, R.right, R.top + h}), R.top += h;
      break;
    case 5:
      stretch(RECT{R.left, R.top, R.left + w, R.bottom}), R.left += w;
      break;
    default:
      break;
  }
}

void PaintItemBG(TSkCommonData* SkinData, const TCacheInfo& CacheInfo, int State, TBitmap* Bmp, POINT Offset,
                 RECT R) {
  if (!SkinData || !Bmp) return;
  TSkinManager* m = SkinData->SkinManager();
  if (!Active(m, SkinData->SkinIndex)) return;
  TColor custom = clSkinTransparent;
  if (SkinData->CustomColor()) {
    if (SkinData->OwnerControl)
      custom = SkinData->OwnerControl->Color();
    else if (auto* f = GetOwnerForm(dynamic_cast<TComponent*>(SkinData->OwnerObject)))
      custom = f->Color();
  }
  Look l = LookOf(m, SkinData->SkinIndex, SkinData->SkinSection(), State, custom);
  PaintBackground(m, SkinData->SkinIndex, l, CacheInfo, Bmp, Offset, R);
}

void PaintItem(TSkCommonData* SkinData, TCacheInfo CacheInfo, bool UpdateCorners, int State, TBitmap* Bmp,
               POINT Offset, RECT R, bool Hot) {
  (void)UpdateCorners;
  if (!SkinData || !FitsIn(R, Bmp)) return;
  TSkinManager* m = SkinData->SkinManager();
  const int idx = SkinData->SkinIndex;
  if (!Active(m, idx)) return;
  SharedBgColor = clSkinTransparent;
  TControl* c = SkinData->OwnerControl;
  if (c && c->Parent()) {
    if (!CacheInfo.Ready)
      SharedBgColor = ColorToRGB(c->Parent()->Color());
    else if (!SkinData->RepaintIfMoved())
      QueryBgColor(c->Parent());
  }
  PaintItemBG(SkinData, CacheInfo, Hot ? 1 : 0, Bmp, Offset, R);
  CacheInfo.X += Offset.x, CacheInfo.Y += Offset.y;
  if (m->IsValidImgIndex(SkinData->BorderIndex))
    PaintNinePartMask(Bmp, R, false, CacheInfo, m->ma[size_t(SkinData->BorderIndex)], State);
  SharedBgColor = clSkinTransparent;
  const std::string& s = SkinData->SkinSection();
  auto corner = [&](const char* key, auto place) {
    int i = m->GetMaskIndex(idx, s, key);
    if (!m->IsValidImgIndex(i)) return;
    const TSkMaskData& g = m->ma[size_t(i)];
    TBitmap* src = SourceOf(g);
    if (!src) return;
    const RECT gr = SourceRect(g, src);
    const int w = (gr.right - gr.left) / std::max<int>(1, g.ImageCount);
    const int h = (gr.bottom - gr.top) / (std::max<int>(0, g.MaskType) + 1);
    DrawSkinGlyph(Bmp, place(w, h), State, 1, g);
  };
  corner("IMGTOPLEFT", [&](int, int) { return POINT{R.left, R.top}; });
  corner("IMGTOPRIGHT", [&](int w, int) { return POINT{R.right - w, R.top}; });
  corner("IMGBTMLEFT", [&](int, int h) { return POINT{R.left, R.bottom - h}; });
  corner("IMGBTMRIGHT", [&](int w, int h) { return POINT{R.right - w, R.bottom - h}; });
}

void PaintItemWithMask(int SkinIndex, const std::string& Section, TCacheInfo CacheInfo, TSkinManager* Manager,
                       TBitmap* Bmp, POINT Offset, RECT R, int State, bool WithMask, int MaskIndex) {
  TSkinManager* m = Manager ? Manager : DefaultManager;
  if (!Active(m, SkinIndex) || !FitsIn(R, Bmp)) return;
  Look l = LookOf(m, SkinIndex, Section, State, clSkinTransparent);
  PaintBackground(m, SkinIndex, l, CacheInfo, Bmp, Offset, R);
  CacheInfo.X += Offset.x, CacheInfo.Y += Offset.y;
  if (WithMask && m->IsValidImgIndex(MaskIndex))
    PaintNinePartMask(Bmp, R, false, CacheInfo, m->ma[size_t(MaskIndex)], State);
}

void PaintItemBySection(int SkinIndex, const std::string& Section, TCacheInfo CacheInfo,
                        TSkinManager* Manager, TBitmap* Bmp, POINT Offset, RECT R, int State, bool WithMask) {
  TSkinManager* m = Manager ? Manager : DefaultManager;
  if (!m) return;
  PaintItemWithMask(SkinIndex, Section, CacheInfo, m, Bmp, Offset, R, State, WithMask,
                    m->GetMaskIndex(SkinIndex, Section, "BORDERSMASK"));
}

void PaintSectionToDC(int SkinIndex, const std::string& Section, const TCacheInfo& CacheInfo,
                      TSkinManager* Manager, HDC DC, POINT Offset, RECT R, int State, bool WithMask) {
  const int w = R.right - R.left, h = R.bottom - R.top;
  if (w <= 0 || h <= 0) return;
  std::unique_ptr<TBitmap> tmp(CreateBmp24BySize(w, h));
  PaintItemBySection(SkinIndex, Section, CacheInfo, Manager, tmp.get(), Offset, RECT{0, 0, w, h}, State,
                     WithMask);
  int saved = SaveDC(DC);
  BitBlt(DC, R.left, R.top, w, h, tmp->Canvas()->Handle(), 0, 0, SRCCOPY);
  RestoreDC(DC, saved);
}

namespace {

// Fits R to the one-line text unless the text wraps, then grows it by one.
void FitTextRect(TCanvas* Canvas, const std::string& Text, UINT Flags, RECT& R) {
  if (!(Flags & DT_WORDBREAK)) {
    SIZE s = Canvas->TextExtent(Text);
    if (Flags & DT_CENTER) {
      const int dx = ((R.right - R.left) - s.cx) / 2, dy = ((R.bottom - R.top) - s.cy) / 2;
      R = RECT{R.left + dx, R.top + dy, R.left + dx + s.cx, R.top + dy + s.cy};
    } else {
      const int top = R.top + ((R.bottom - R.top) - s.cy) / 2;
      if (Flags & DT_RIGHT)
        R = RECT{R.right - s.cx, top, R.right, top + s.cy};
      else
        R = RECT{R.left, top, R.left + s.cx, top + s.cy};
    }
  }
  InflateRect(&R, 1, 1);
}

void DrawAt(TCanvas* Canvas, const std::string& Text, RECT R, int dx, int dy, TColor color, UINT Flags) {
  OffsetRect(&R, dx, dy);
  Canvas->Font()->SetColor(color);
  Canvas->TextExtent(std::string());  // selects the font and its colour into the DC
  SetBkMode(Canvas->Handle(), TRANSPARENT);
  DrawTextA(Canvas->Handle(), Text.c_str(), int(Text.size()), &R, Flags | DT_NOCLIP);
}

void DrawWithContours(TCanvas* Canvas, const std::string& Text, const TSkGeneralData& g, bool Hot, UINT Flags,
                      const RECT& R, bool contours, TColor mainColor) {
  if (contours) {
    const int32_t l = Hot ? g.HotTCLeft : g.TCLeft, t = Hot ? g.HotTCTop : g.TCTop;
    const int32_t r = Hot ? g.HotTCRight : g.TCRight, b = Hot ? g.HotTCBottom : g.TCBottom;
    if (l != -1) DrawAt(Canvas, Text, R, -1, 0, l, Flags);
    if (t != -1) DrawAt(Canvas, Text, R, 0, -1, t, Flags);
    if (r != -1) DrawAt(Canvas, Text, R, 1, 0, r, Flags);
    if (b != -1) DrawAt(Canvas, Text, R, 0, 1, b, Flags);
  }
  DrawAt(Canvas, Text, R, 0, 0, mainColor, Flags);
}

void DrawDisabled(TCanvas* Canvas, const std::string& Text, const RECT& R, UINT Flags) {
  DrawAt(Canvas, Text, R, 1, 1, clBtnHighlight, Flags);
  DrawAt(Canvas, Text, R, 0, 0, clBtnShadow, Flags);
}

}  // namespace

void WriteTextEx(TCanvas* Canvas, const std::string& Text, bool Enabled, TSkinManager* Manager, bool Hot,
                 int SkinIndex, UINT Flags, RECT& R) {
  TSkinManager* m = Manager ? Manager : DefaultManager;
  if (!Canvas || !DefaultManager || !Active(m, SkinIndex)) return;
  FitTextRect(Canvas, Text, Flags, R);
  Canvas->Brush()->SetStyle(bsClear);
  if (Text.empty()) return;
  if (!Enabled) {
    DrawDisabled(Canvas, Text, R, Flags);
    return;
  }
  const TSkGeneralData& g = m->gd[size_t(SkinIndex)];
  DrawWithContours(Canvas, Text, g, Hot, Flags, R, true, Hot ? g.HotFontColor : g.FontColor);
}

void WriteText(TCanvas* Canvas, const std::string& Text, bool Enabled, bool Hot, TSkCommonData* SkinData,
               UINT Flags, RECT& R) {
  if (!Canvas || !SkinData || !SkinData->OwnerControl) return;
  TControl* c = SkinData->OwnerControl;
  Canvas->Font()->Assign(c->Font());
  if (Hot && SkinData->SkinSection() == "WEBBUTTON") {
    TFontStyles st = Canvas->Font()->Style();
    st.Include(fsUnderline);
    Canvas->Font()->SetStyle(st);
  }
  HDC dc = Canvas->Handle();
  int saved = SaveDC(dc);
  IntersectClipRect(dc, R.left, R.top, R.right, R.bottom);
  FitTextRect(Canvas, Text, Flags, R);
  Canvas->Brush()->SetStyle(bsClear);
  if (!Enabled) {
    DrawDisabled(Canvas, Text, R, Flags);
  } else if (!SkinData->Skinned()) {
    DrawAt(Canvas, Text, R, 0, 0, c->Font()->Color(), Flags);
  } else {
    const TSkGeneralData& g = SkinData->SkinManager()->gd[size_t(SkinData->SkinIndex)];
    const bool own = SkinData->CustomFont();
    DrawWithContours(Canvas, Text, g, Hot, Flags, R, !own,
                     own   ? c->Font()->Color()
                     : Hot ? g.HotFontColor
                           : g.FontColor);
  }
  RestoreDC(dc, saved);
  Canvas->Refresh();
}

std::string CutText(TCanvas* Canvas, const std::string& Text, int MaxWidth) {
  if (MaxWidth < 1 || !Canvas) return {};
  std::string r = Text;
  if (Canvas->TextWidth(r) <= MaxWidth) return r;
  while (!r.empty() && Canvas->TextWidth(r + "...") > MaxWidth) {
    r.pop_back();
    while (!r.empty() && (uint8_t(r.back()) & 0xC0) == 0x80) r.pop_back();  // whole characters only
  }
  return r.empty() ? r : r + "...";
}

namespace {

// The 0xFF00FF runs of the corner cells of the mask's top (Band 0) or bottom
// (Band 2) row, the left corner at 0 and the right one ending at XOffset.
void AddCornerKeyRuns(std::vector<RECT>& Rects, int XOffset, const TSkMaskData& Mask, int State, int YOffset,
                      int Band) {
  const TNinePart g = NinePartGeometry(Mask, State, 1 << 16, 1 << 16);
  if (!g.Valid) return;
  auto scan = [&](int fromX, int toX, int placeX) {
    for (int y = 0; y < g.h; ++y) {
      const int sy = g.by + Band * g.h + y;
      if (sy < 0 || sy >= g.Src->Height()) continue;
      const uint8_t* row = g.Src->ScanLine(sy);
      int run = -1;
      for (int x = fromX; x <= toX; ++x) {
        const bool key = x < toX && x >= 0 && x < g.Src->Width() && row[3 * x] == 255 &&
                         row[3 * x + 1] == 0 && row[3 * x + 2] == 255;
        if (key && run < 0) run = x;
        if (!key && run >= 0) {
          Rects.push_back(RECT{placeX + run - fromX, YOffset + y, placeX + x - fromX, YOffset + y + 1});
          run = -1;
        }
      }
    }
  };
  scan(g.bx, g.bx + g.w, 0);
  scan(g.bx + 2 * g.w, g.bx + 3 * g.w, XOffset - g.w);
}

}  // namespace

void AddTransparentRects(std::vector<RECT>& Rects, int XOffset, const TSkMaskData& Mask, int State,
                         int YOffset) {
  AddCornerKeyRuns(Rects, XOffset, Mask, State, YOffset, 0);
}

void AddBottomTransparentRects(std::vector<RECT>& Rects, int XOffset, const TSkMaskData& Mask, int State,
                               int YOffset) {
  AddCornerKeyRuns(Rects, XOffset, Mask, State, YOffset, 2);
}

}  // namespace qv
