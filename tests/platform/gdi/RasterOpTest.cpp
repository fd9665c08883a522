// Raster operations: every ternary rop of BitBlt and every binary rop of the pen
// against the bitwise formula, and the monochrome/colour conversion rules.
#include <gtest/gtest.h>

#include "GdiTestSupport.h"

namespace qv {
namespace {

using test::Canvas;

// The reference: bit i of the rop byte is the result for pattern/source/destination bits (P<<2 | S<<1 | D).
uint32_t Reference(uint8_t rop, uint32_t p, uint32_t s, uint32_t d) {
  uint32_t r = 0;
  for (int bit = 0; bit < 24; ++bit) {
    int idx = int((p >> bit & 1) << 2 | (s >> bit & 1) << 1 | (d >> bit & 1));
    r |= uint32_t(rop >> idx & 1) << bit;
  }
  return r;
}

TEST(RasterOps, All256TernaryOpsMatchTheFormula) {
  const int W = 16, H = 8;
  Canvas src(W, H), dst(W, H);
  // A colour pattern brush: 8x8 random pixels.
  Canvas pat(8, 8);
  for (int i = 0; i < 64; ++i) pat.bits[i] = 0xFF000000u | uint32_t(test::Rand(0, 0xFFFFFF));
  HBRUSH brush = CreatePatternBrush(pat.bmp);
  SelectObject(dst.dc, brush);
  std::vector<uint32_t> d0(W * H);
  for (int rop = 0; rop < 256; ++rop) {
    for (int i = 0; i < W * H; ++i) {
      src.bits[i] = 0xFF000000u | uint32_t(test::Rand(0, 0xFFFFFF));
      dst.bits[i] = d0[std::size_t(i)] = 0xFF000000u | uint32_t(test::Rand(0, 0xFFFFFF));
    }
    ASSERT_TRUE(BitBlt(dst.dc, 0, 0, W, H, src.dc, 0, 0, DWORD(rop) << 16));
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        uint32_t want = Reference(uint8_t(rop), pat.Rgb(x % 8, y % 8), src.Rgb(x, y),
                                  d0[std::size_t(y * W + x)] & 0xFFFFFF);
        ASSERT_EQ(dst.Rgb(x, y), want) << "rop " << rop << " at " << x << "," << y;
      }
    }
  }
  SelectObject(dst.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}

TEST(RasterOps, PenBinaryOpsMatchTheFormula) {
  Canvas c(40, 1);
  const COLORREF penColor = RGB(0x3C, 0xA5, 0x0F);
  HPEN pen = CreatePen(PS_SOLID, 1, penColor);
  SelectObject(c.dc, pen);
  for (int r2 = R2_BLACK; r2 <= R2_WHITE; ++r2) {
    for (int i = 0; i < 40; ++i) c.bits[i] = 0xFF000000u | uint32_t(test::Rand(0, 0xFFFFFF));
    std::vector<uint32_t> before(c.bits, c.bits + 40);
    SetROP2(c.dc, r2);
    MoveToEx(c.dc, 0, 0, nullptr);
    LineTo(c.dc, 40, 0);
    for (int x = 0; x < 40; ++x) {
      // R2 code - 1 is the truth table over (pen, destination): the rop3 with the source ignored.
      unsigned t = unsigned(r2 - 1);
      uint8_t rop3 = 0;
      for (int i = 0; i < 8; ++i)
        if (t >> ((i >> 2) * 2 + (i & 1)) & 1) rop3 |= uint8_t(1 << i);
      ASSERT_EQ(c.Rgb(x, 0), Reference(rop3, Canvas::Px(penColor), 0, before[std::size_t(x)] & 0xFFFFFF))
          << "R2 " << r2;
    }
  }
  EXPECT_EQ(SetROP2(c.dc, 0), 0);
  EXPECT_EQ(SetROP2(c.dc, 17), 0);
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(RasterOps, MonochromeConversions) {
  // A 1-bit bitmap: 0 bits become the destination's text colour, 1 bits its background colour.
  const uint16_t rows[2] = {0x00A0, 0x0050};  // word-aligned rows: 1010.... / 0101....
  HBITMAP mono = CreateBitmap(4, 2, 1, 1, rows);
  HDC mdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mdc, mono);
  Canvas c(4, 2);
  SetTextColor(c.dc, RGB(200, 0, 0));
  SetBkColor(c.dc, RGB(0, 0, 200));
  ASSERT_TRUE(BitBlt(c.dc, 0, 0, 4, 2, mdc, 0, 0, SRCCOPY));
  const uint32_t fg = Canvas::Px(RGB(200, 0, 0)), bg = Canvas::Px(RGB(0, 0, 200));
  EXPECT_EQ(c.Rgb(0, 0), bg);
  EXPECT_EQ(c.Rgb(1, 0), fg);
  EXPECT_EQ(c.Rgb(0, 1), fg);
  EXPECT_EQ(c.Rgb(1, 1), bg);

  // Colour to mono: pixels equal to the source's background colour become 1 (white), the rest 0.
  c.At(2, 0) = 0xFF123456;
  SetBkColor(c.dc, RGB(0x12, 0x34, 0x56));
  ASSERT_TRUE(BitBlt(mdc, 0, 0, 4, 2, c.dc, 0, 0, SRCCOPY));
  uint8_t bits[4] = {};
  GetBitmapBits(mono, 4, bits);
  EXPECT_EQ(bits[0] & 0xF0, 0x20);  // only x = 2 of row 0 matched
  EXPECT_EQ(bits[2] & 0xF0, 0x00);

  // A mono pattern brush takes the DC's colours at use time.
  HBRUSH pattern = CreatePatternBrush(mono);
  SetTextColor(c.dc, RGB(0, 255, 0));
  SetBkColor(c.dc, RGB(255, 0, 255));
  RECT all{0, 0, 4, 2};
  FillRect(c.dc, &all, pattern);
  EXPECT_EQ(c.Rgb(2, 0), Canvas::Px(RGB(255, 0, 255)));
  EXPECT_EQ(c.Rgb(0, 0), Canvas::Px(RGB(0, 255, 0)));

  SelectObject(mdc, old);
  DeleteDC(mdc);
  DeleteObject(mono);
  DeleteObject(pattern);
}

TEST(RasterOps, PatBltFollowsTheBrushOrigin) {
  Canvas c(16, 2, 0xFF000000);
  Canvas pat(8, 8, 0xFF000000);
  pat.At(0, 0) = pat.At(0, 1) = 0xFFFFFFFF;  // one white column at pattern x = 0
  HBRUSH brush = CreatePatternBrush(pat.bmp);
  SelectObject(c.dc, brush);
  SetBrushOrgEx(c.dc, 3, 0, nullptr);
  ASSERT_TRUE(PatBlt(c.dc, 0, 0, 16, 2, PATINVERT));
  for (int x = 0; x < 16; ++x) EXPECT_EQ(c.Rgb(x, 0), (x == 3 || x == 11) ? 0xFFFFFFu : 0u) << x;
  ASSERT_TRUE(PatBlt(c.dc, 0, 0, 16, 2, PATINVERT));  // the inversion undoes itself
  EXPECT_EQ(c.Count(RGB(0, 0, 0)), 32);
  EXPECT_FALSE(PatBlt(c.dc, 0, 0, 16, 2, SRCCOPY));  // PatBlt has no source
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}

TEST(RasterOps, HatchBackgroundFollowsBkMode) {
  Canvas c(8, 8, 0xFF00FF00);
  HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(255, 0, 0));
  SetBkColor(c.dc, RGB(0, 0, 255));
  SetBkMode(c.dc, TRANSPARENT);
  RECT r{0, 0, 8, 8};
  FillRect(c.dc, &r, hatch);
  EXPECT_GT(c.Count(RGB(255, 0, 0)), 0);
  EXPECT_EQ(c.Count(RGB(0, 0, 255)), 0);
  EXPECT_EQ(c.Count(RGB(255, 0, 0)) + c.Count(RGB(0, 255, 0)), 64);
  SetBkMode(c.dc, OPAQUE);
  FillRect(c.dc, &r, hatch);
  EXPECT_EQ(c.Count(RGB(255, 0, 0)) + c.Count(RGB(0, 0, 255)), 64);
  DeleteObject(hatch);
}

}  // namespace
}  // namespace qv
