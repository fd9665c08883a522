// TCanvas on a TBitmap, checked on pixels; TFont's size, height and handle.
#include <gtest/gtest.h>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Font.h"
#include "platform/gdi/Gdi.h"

namespace qv {
namespace {

int CountColour(TCanvas* c, const RECT& r, TColor colour) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += c->Pixels(x, y) == colour;
  return n;
}

TEST(Font, SizeAndHeightStayConsistentAndHandleFollowsChanges) {
  TFont font;
  EXPECT_EQ(font.Name(), "MS Sans Serif");
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.Height(), -11);
  font.SetSize(12);
  EXPECT_EQ(font.Height(), -16);
  font.SetHeight(-13);
  EXPECT_EQ(font.Size(), 10);

  int changes = 0;
  font.OnChange = [&](TObject*) { ++changes; };
  HFONT before = font.Handle();
  font.SetColor(clRed);  // the colour is not part of the font object
  EXPECT_EQ(font.Handle(), before);
  font.SetStyle({fsBold, fsUnderline});
  HFONT after = font.Handle();
  LOGFONTW lf;
  ASSERT_NE(GetObjectW(after, sizeof(lf), &lf), 0);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfHeight, -13);
  EXPECT_EQ(changes, 2);

  TFont copy;
  copy.Assign(&font);
  EXPECT_EQ(copy.Style(), font.Style());
  EXPECT_EQ(copy.Color(), clRed);
  TFont adopted;
  adopted.SetHandle(after);
  EXPECT_EQ(adopted.Height(), -13);
  EXPECT_TRUE(adopted.Style().Contains(fsBold));
}

TEST(Canvas, FillRectAndRectangleUseBrushAndPen) {
  TBitmap bmp(40, 30, pf24bit);
  TCanvas* c = bmp.Canvas();
  c->Brush()->SetColor(clBlue);
  c->FillRect(RECT{0, 0, 10, 10});
  EXPECT_EQ(CountColour(c, RECT{0, 0, 10, 10}, clBlue), 100);
  EXPECT_EQ(c->Pixels(10, 0), clWhite);

  c->Pen()->SetColor(clRed);
  c->Brush()->SetColor(clLime);  // changing after the first use must reach the DC
  c->Rectangle(10, 10, 30, 25);
  EXPECT_EQ(c->Pixels(10, 10), clRed);
  EXPECT_EQ(c->Pixels(29, 24), clRed);
  EXPECT_EQ(c->Pixels(30, 25), clWhite);  // right and bottom are exclusive
  EXPECT_EQ(CountColour(c, RECT{11, 11, 29, 24}, clLime), 18 * 13);

  c->Brush()->SetStyle(bsClear);
  c->Pen()->SetColor(clBlack);
  c->Rectangle(0, 20, 8, 28);
  EXPECT_EQ(c->Pixels(3, 23), clWhite);  // a clear brush leaves the inside
  EXPECT_EQ(c->Pixels(0, 20), clBlack);
}

TEST(Canvas, TextInkStaysWithinItsExtent) {
  TBitmap bmp(120, 40, pf24bit);
  TCanvas* c = bmp.Canvas();
  c->Font()->SetColor(clBlack);
  c->Brush()->SetStyle(bsClear);
  SIZE ext = c->TextExtent("Hello");
  EXPECT_GT(ext.cx, 10);
  EXPECT_GT(ext.cy, 8);
  c->TextOut(5, 5, "Hello");
  int inside = 0, outside = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) {
      bool in = x >= 5 && x < 5 + ext.cx && y >= 5 && y < 5 + ext.cy;
      bool ink = c->Pixels(x, y) != clWhite;
      (in ? inside : outside) += ink;
    }
  EXPECT_GT(inside, 10);
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(c->PenPos().x, 5 + ext.cx);

  c->Font()->SetSize(16);  // a new font is selected for the next call
  EXPECT_GT(c->TextHeight("Hello"), ext.cy);
}

TEST(Canvas, XorPenTwiceRestoresThePixels) {
  TBitmap bmp(20, 20, pf24bit);
  TCanvas* c = bmp.Canvas();
  c->Brush()->SetColor(clNavy);
  c->FillRect(RECT{0, 0, 10, 20});
  Surface before = bmp.ToSurface();
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetColor(clWhite);
  for (int pass = 0; pass < 2; ++pass) {
    c->MoveTo(0, 5);
    c->LineTo(20, 5);
    if (pass == 0) {
      EXPECT_NE(c->Pixels(2, 5), clNavy);
      EXPECT_EQ(c->Pixels(15, 5), clBlack);
    }
  }
  EXPECT_EQ(bmp.ToSurface().Pixels, before.Pixels);
}

TEST(Canvas, CopyRectAndDrawMoveImagesBetweenCanvases) {
  TBitmap src(10, 10, pf24bit), dst(20, 20, pf24bit);
  src.Canvas()->Brush()->SetColor(clRed);
  src.Canvas()->FillRect(RECT{0, 0, 5, 10});
  dst.Canvas()->CopyRect(RECT{0, 0, 10, 10}, src.Canvas(), RECT{0, 0, 10, 10});
  EXPECT_EQ(dst.Canvas()->Pixels(4, 4), clRed);
  EXPECT_EQ(dst.Canvas()->Pixels(5, 4), clWhite);

  // Transparent drawing leaves the key colour's pixels as they were.
  dst.Canvas()->Brush()->SetColor(clGreen);
  dst.Canvas()->FillRect(RECT{0, 0, 20, 20});
  src.SetTransparent(true);
  src.SetTransparentColor(clWhite);
  dst.Canvas()->Draw(10, 10, &src);
  EXPECT_EQ(dst.Canvas()->Pixels(11, 11), clRed);
  EXPECT_EQ(dst.Canvas()->Pixels(17, 11), clGreen);

  EXPECT_THROW(TCanvas().Handle(), EInvalidCanvas);
}

}  // namespace
}  // namespace qv
