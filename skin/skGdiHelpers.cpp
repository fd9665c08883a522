// Glyphs by state, image-list pictures, bevel and dotted frames.
#include "skin/skGdiHelpers.h"

#include <memory>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/ImageList.h"
#include "platform/gdi/Gdi.h"
#include "skin/skBlend.h"

namespace qv {

void PaintGlyphBitmap(TBitmap* Glyph, TBitmap* Dst, POINT Point, int Blend, bool Active, int DisabledLook,
                      bool Grayed, bool Enabled, int NumGlyphs) {
  if (!Glyph || Glyph->Empty() || !Dst) return;
  auto g = std::make_unique<TBitmap>();
  g->Assign(Glyph);
  g->SetPixelFormat(pf24bit);
  const uint8_t* corner = g->ScanLine(g->Height() - 1);
  const TColor key = TColor(corner[2] | corner[1] << 8 | corner[0] << 16);
  const RECT all{0, 0, g->Width(), g->Height()};
  if (NumGlyphs == 1) {
    if (Enabled) {
      if (!Active && Grayed) GrayScaleTrans(g.get(), key);
      if (Active || Blend < 1)
        CopyTransparent(g.get(), Dst, Point.x, Point.y, key);
      else
        BlendTransparent(Dst, Point.x, Point.y, key, Blend / 100.0, all, g.get());
    } else {
      if (DisabledLook & 2) GrayScaleTrans(g.get(), key);
      if (DisabledLook & 1)
        BlendTransparent(Dst, Point.x, Point.y, key, 0.5, all, g.get());
      else
        CopyTransparent(g.get(), Dst, Point.x, Point.y, key);
    }
  } else if (NumGlyphs == 2) {
    const int w = g->Width() / 2;
    if (Enabled) {
      if (!Active && Blend >= 1)
        BlendTransparent(Dst, Point.x, Point.y, key, Blend / 100.0, RECT{0, 0, w, g->Height()}, g.get());
      else
        CopyTransparentRect(g.get(), Dst, RECT{0, 0, w, g->Height()}, Point.x, Point.y, key);
    } else {
      CopyTransparentRect(g.get(), Dst, RECT{w, 0, 2 * w, g->Height()}, Point.x, Point.y, key);
    }
  }
}

void CopyImageFromList(TBitmap* Bmp, TCustomImageList* ImageList, int Index) {
  if (!Bmp || !ImageList) return;
  Bmp->SetSize(ImageList->Width(), ImageList->Height());
  const TColor bk = ImageList->BkColor() == clNone ? clSkinTransparent : ImageList->BkColor();
  Bmp->Canvas()->Brush()->SetColor(bk);
  Bmp->Canvas()->FillRect(RECT{0, 0, Bmp->Width(), Bmp->Height()});
  ImageList->Draw(Bmp->Canvas(), 0, 0, Index);
}

void PaintBevelFrame(HDC DC, RECT& R, TColor TopColor, int& Width, TColor BottomColor) {
  HPEN top = CreatePen(PS_SOLID, 1, COLORREF(ColorToRGB(TopColor)));
  HPEN bottom = CreatePen(PS_SOLID, 1, COLORREF(ColorToRGB(BottomColor)));
  HGDIOBJ old = SelectObject(DC, top);
  --R.right, --R.bottom;
  while (Width > 0) {
    --Width;
    SelectObject(DC, top);
    MoveToEx(DC, R.left, R.bottom, nullptr);
    LineTo(DC, R.left, R.top);
    LineTo(DC, R.right, R.top);
    SelectObject(DC, bottom);
    LineTo(DC, R.right, R.bottom);
    LineTo(DC, R.left - 1, R.bottom);
    InflateRect(&R, -1, -1);
  }
  SelectObject(DC, old);
  DeleteObject(top);
  DeleteObject(bottom);
}

void DrawDottedFrame(TCanvas* Canvas, const RECT& R) {
  auto dot = [&](int x, int y) {
    Canvas->SetPixels(x, y, clBlack);
    Canvas->SetPixels(x - 1, y - 1, clWhite);
  };
  for (int x = R.left; x < R.right; x += 3) dot(x, R.top), dot(x, R.bottom - 1);
  for (int y = R.top; y < R.bottom; y += 3) dot(R.left, y), dot(R.right - 1, y);
}

}  // namespace qv
