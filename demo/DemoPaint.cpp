// What the demo board draws through its canvas: a title, a gradient, a
// blended rectangle, a picture drawn in code, grid lines, text rows, and the
// status band above them.
#include <cmath>
#include <string>

#include "demo/DemoForm.h"
#include "demo/DemoLayout.h"
#include "platform/gdi/Gdi.h"

namespace qv::demo {
namespace {

void UseFont(TCanvas* c, bool bold) {
  c->Font()->SetName("Tahoma");
  c->Font()->SetHeight(-12);
  c->Font()->SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
  c->Font()->SetColor(clBlack);
}

void PaintGradient(TCanvas* c) {
  const RECT& r = kGradientRect;
  TRIVERTEX v[2];
  v[0].x = r.left, v[0].y = r.top, v[0].Red = 0xFF00;
  v[1].x = r.right, v[1].y = r.bottom, v[1].Blue = 0xFF00;
  GRADIENT_RECT mesh{0, 1};
  GradientFill(c->Handle(), v, 2, &mesh, 1, GRADIENT_FILL_RECT_H);
}

void PaintBlend(TCanvas* c) {
  const RECT& r = kBlendRect;
  c->Brush()->SetColor(TColor(kBlendUnder));
  c->FillRect(r);
  TBitmap over(r.Width(), r.Height(), pf32bit);
  over.Canvas()->Brush()->SetColor(TColor(kBlendOver));
  over.Canvas()->FillRect(RECT{0, 0, r.Width(), r.Height()});
  BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
  AlphaBlend(c->Handle(), r.left, r.top, r.Width(), r.Height(), over.Canvas()->Handle(), 0, 0, r.Width(),
             r.Height(), half);
}

// An orange disc on a checkerboard, written row by row into the bitmap.
void DrawPicture(TBitmap& pic) {
  int w = kImageRect.Width(), h = kImageRect.Height();
  pic.SetPixelFormat(pf32bit);
  pic.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = pic.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      double dx = x - w / 2.0 + 0.5, dy = y - h / 2.0 + 0.5;
      bool light = ((x / 4) + (y / 4)) % 2 == 0;
      COLORREF c = std::sqrt(dx * dx + dy * dy) < w * 0.4 ? kPictureDisc
                   : light                                ? RGB(255, 255, 255)
                                                          : RGB(192, 192, 192);
      uint8_t* p = row + 4 * x;
      p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c), p[3] = 0xFF;
    }
  }
}

void PaintGrid(TCanvas* c) {
  const RECT& g = kGridRect;
  c->Pen()->SetColor(TColor(kGridColor));
  c->Pen()->SetWidth(1);
  for (int x = g.left; x <= g.right; x += kGridStep) c->MoveTo(x, g.top), c->LineTo(x, g.bottom + 1);
  for (int y = g.top; y <= g.bottom; y += kGridStep) c->MoveTo(g.left, y), c->LineTo(g.right + 1, y);
  c->Pen()->SetColor(TColor(RGB(40, 40, 120)));
  c->Pen()->SetWidth(2);
  c->MoveTo(g.left, g.bottom);
  c->LineTo(g.right, g.top);
}

std::string TwoDigits(int n) {
  return std::string{char('0' + n / 10), char('0' + n % 10)};
}

void PaintRows(TCanvas* c) {
  for (int i = 0; i < kRowCount; ++i) {
    int y = kRowsTop + i * kRowHeight;
    if (i % 2) {
      c->Brush()->SetColor(TColor(RGB(240, 244, 250)));
      c->FillRect(RECT{0, y, kContent.cx, y + kRowHeight});
    }
    std::string text = "Row " + TwoDigits(i) +
                       ": disc catalogue entry, a name long enough to be shortened at the end of its cell";
    RECT cell{10, y, 420, y + kRowHeight};
    c->Brush()->SetStyle(bsClear);
    c->TextRect(cell, text, TTextFormat{tfSingleLine, tfVerticalCenter, tfEndEllipsis});
  }
}

}  // namespace

void TDemoBoard::PaintContent() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(RECT{0, 0, kContent.cx, kContent.cy});
  UseFont(c, true);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(kTitleRect.left, kTitleRect.top + 3, std::string("Quirvane demo board"));
  UseFont(c, false);
  PaintGradient(c);
  PaintBlend(c);
  if (picture_.Empty()) DrawPicture(picture_);
  c->Draw(kImageRect.left, kImageRect.top, &picture_);
  PaintGrid(c);
  PaintRows(c);
}

void TDemoBoard::PaintStatus(const RECT& Band) {
  TCanvas* c = Canvas();
  UseFont(c, false);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(Band);
  bool focused = Focused();
  std::string line1 = "Key: " + lastKey_ + "    Click: " + lastClick_;
  std::string line2 = "Ticks: " + std::to_string(ticks_) + (focused ? "    (focused)" : "");
  RECT r1{Band.left + 6, Band.top + 3, Band.right - 6, Band.top + 20};
  c->Brush()->SetStyle(bsClear);
  c->TextRect(r1, line1, TTextFormat{tfSingleLine, tfVerticalCenter, tfEndEllipsis});
  c->TextRect(RECT{Band.left + 6, Band.top + 20, Band.right - 6, Band.bottom - 3}, Band.left + 6,
              Band.top + 22, line2);
  if (focused) {
    RECT f = Band;
    InflateRect(&f, -1, -1);
    c->DrawFocusRect(f);
  }
}

void TDemoBoard::Paint() {
  RECT c = ClientRect();
  RECT band{0, 0, c.right, kStatusHeight};
  RECT dirty, clip = Canvas()->ClipRect();
  if (IntersectRect(&dirty, &band, &clip)) PaintStatus(band);
  // The content is drawn at its own coordinates, moved by the scroll
  // position and clipped below the band. The canvas's objects are put back
  // around the saved state so it never holds objects RestoreDC took away.
  HDC dc = Canvas()->Handle();
  Canvas()->Refresh();
  int saved = SaveDC(dc);
  IntersectClipRect(dc, 0, kStatusHeight, c.right, c.bottom);
  SetViewportOrgEx(dc, -scrollX_, kStatusHeight - scrollY_, nullptr);
  PaintContent();
  Canvas()->Refresh();
  RestoreDC(dc, saved);
}

}  // namespace qv::demo
