// Block transfers: clipping, overlapping copies within one surface, stretching
// and mirroring, alpha blending, colour keys, gradients, scrolling and DIBs.
#include <gtest/gtest.h>

#include <cstring>

#include "GdiTestSupport.h"

namespace qv {
namespace {

using test::Canvas;

void Randomise(Canvas& c) {
  for (int i = 0; i < c.w * c.h; ++i) c.bits[i] = 0xFF000000u | uint32_t(test::Rand(0, 0xFFFFFF));
}

TEST(Blits, CopyRespectsClipAndSourceBounds) {
  Canvas src(10, 10), dst(30, 30, 0xFF000000);
  Randomise(src);
  IntersectClipRect(dst.dc, 5, 5, 25, 25);
  ExcludeClipRect(dst.dc, 10, 10, 12, 12);
  ASSERT_TRUE(BitBlt(dst.dc, 2, 2, 20, 20, src.dc, -3, 0, SRCCOPY));
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      int sx = x - 2 - 3, sy = y - 2;
      bool inClip = x >= 5 && y >= 5 && x < 25 && y < 25 && !(x >= 10 && x < 12 && y >= 10 && y < 12);
      bool inSrc = sx >= 0 && sy >= 0 && sx < 10 && sy < 10 && x < 22 && y < 22;
      uint32_t want = inClip && inSrc ? src.Rgb(sx, sy) : 0;
      ASSERT_EQ(dst.Rgb(x, y), want) << x << "," << y;
    }
  }
}

TEST(Blits, OverlappingCopiesInOneSurface) {
  for (int round = 0; round < 40; ++round) {
    Canvas c(24, 20);
    Randomise(c);
    std::vector<uint32_t> orig(c.bits, c.bits + c.w * c.h);
    int dx = test::Rand(-6, 6), dy = test::Rand(-6, 6);
    // A clip with several rectangles per band makes the copy order matter across rectangles too.
    ExcludeClipRect(c.dc, 8, 0, 10, 20);
    ExcludeClipRect(c.dc, 0, 9, 24, 10);
    ASSERT_TRUE(BitBlt(c.dc, 4 + dx, 4 + dy, 14, 12, c.dc, 4, 4, SRCCOPY));
    for (int y = 0; y < c.h; ++y) {
      for (int x = 0; x < c.w; ++x) {
        bool clipped = (x >= 8 && x < 10) || y == 9;
        int sx = x - dx, sy = y - dy;
        bool inDest = x >= 4 + dx && x < 18 + dx && y >= 4 + dy && y < 16 + dy;
        uint32_t want = orig[std::size_t(y * c.w + x)] & 0xFFFFFF;
        if (inDest && !clipped) want = orig[std::size_t(sy * c.w + sx)] & 0xFFFFFF;
        ASSERT_EQ(c.Rgb(x, y), want) << "offset " << dx << "," << dy << " at " << x << "," << y;
      }
    }
  }
}

TEST(Blits, ScrollDCMovesPixelsAndReportsTheUncoveredPart) {
  Canvas c(20, 20);
  Randomise(c);
  std::vector<uint32_t> orig(c.bits, c.bits + 400);
  RECT area{2, 2, 18, 18}, update;
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_TRUE(ScrollDC(c.dc, 0, -5, &area, &area, rgn, &update));
  EXPECT_EQ(update, (RECT{2, 13, 18, 18}));
  for (int y = 2; y < 13; ++y) {
    for (int x = 2; x < 18; ++x) ASSERT_EQ(c.Rgb(x, y), orig[std::size_t((y + 5) * 20 + x)] & 0xFFFFFF);
  }
  EXPECT_EQ(c.Rgb(0, 0), orig[0] & 0xFFFFFF);  // outside the scroll rectangle: untouched
  HRGN want = CreateRectRgn(2, 13, 18, 18);
  EXPECT_TRUE(EqualRgn(rgn, want));
  DeleteObject(rgn);
  DeleteObject(want);
}

TEST(Blits, StretchAndMirror) {
  Canvas src(4, 2), dst(8, 4);
  Randomise(src);
  ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 8, 4, src.dc, 0, 0, 4, 2, SRCCOPY));
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) ASSERT_EQ(dst.Rgb(x, y), src.Rgb(x / 2, y / 2));
  }
  // A negative destination width mirrors horizontally; a negative source height flips.
  ASSERT_TRUE(StretchBlt(dst.dc, 4, 0, -4, 2, src.dc, 0, 0, 4, 2, SRCCOPY));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.Rgb(x, 0), src.Rgb(3 - x, 0));
  ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 2, src.dc, 0, 2, 4, -2, SRCCOPY));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.Rgb(x, 0), src.Rgb(x, 1));
  // HALFTONE shrinking averages each block; the default mode samples one pixel of it.
  Canvas big(4, 2), small(2, 1);
  for (int i = 0; i < 8; ++i) big.bits[i] = (i % 2) ? 0xFF000000u : 0xFFC8C8C8u;
  ASSERT_TRUE(StretchBlt(small.dc, 0, 0, 2, 1, big.dc, 0, 0, 4, 2, SRCCOPY));
  EXPECT_TRUE(small.Rgb(0, 0) == 0u || small.Rgb(0, 0) == 0xC8C8C8u);
  SetStretchBltMode(small.dc, HALFTONE);
  ASSERT_TRUE(StretchBlt(small.dc, 0, 0, 2, 1, big.dc, 0, 0, 4, 2, SRCCOPY));
  EXPECT_EQ(small.Rgb(1, 0), 0x646464u);
}

uint32_t Channel(uint32_t p, int shift) {
  return p >> shift & 0xFF;
}

TEST(Blits, AlphaBlendFormula) {
  Canvas src(16, 1), dst(16, 1), dst2(16, 1);
  for (int i = 0; i < 16; ++i) {
    uint32_t a = uint32_t(test::Rand(0, 255));
    auto pre = [&](int v) { return uint32_t(v) * a / 255; };  // premultiplied channels
    src.bits[i] =
        a << 24 | pre(test::Rand(0, 255)) << 16 | pre(test::Rand(0, 255)) << 8 | pre(test::Rand(0, 255));
    dst.bits[i] = dst2.bits[i] = 0xFF000000u | uint32_t(test::Rand(0, 0xFFFFFF));
  }
  std::vector<uint32_t> before(dst.bits, dst.bits + 16);
  BLENDFUNCTION perPixel{AC_SRC_OVER, 0, 200, AC_SRC_ALPHA};
  ASSERT_TRUE(AlphaBlend(dst.dc, 0, 0, 16, 1, src.dc, 0, 0, 16, 1, perPixel));
  BLENDFUNCTION constant{AC_SRC_OVER, 0, 77, 0};
  ASSERT_TRUE(AlphaBlend(dst2.dc, 0, 0, 16, 1, src.dc, 0, 0, 16, 1, constant));
  for (int i = 0; i < 16; ++i) {
    double sa = Channel(src.bits[i], 24) * 200 / 255.0;
    for (int shift : {0, 8, 16}) {
      double s = Channel(src.bits[i], shift), d = Channel(before[std::size_t(i)], shift);
      // Source, source alpha and result are each rounded to a level: up to
      // one and a half levels off the exact blend.
      EXPECT_NEAR(Channel(dst.bits[i], shift), s * 200 / 255 + d * (1 - sa / 255), 1.5);
      EXPECT_NEAR(Channel(dst2.bits[i], shift), s * 77 / 255 + d * (1 - 77 / 255.0), 1.01);
    }
  }
  // Source rectangles outside the source and bad blend operations are refused.
  EXPECT_FALSE(AlphaBlend(dst.dc, 0, 0, 4, 1, src.dc, 14, 0, 4, 1, constant));
  BLENDFUNCTION bad{1, 0, 255, 0};
  EXPECT_FALSE(AlphaBlend(dst.dc, 0, 0, 4, 1, src.dc, 0, 0, 4, 1, bad));
}

TEST(Blits, MaskBltChoosesForegroundOrBackgroundPerMaskBit) {
  Canvas src(8, 1, 0xFF00FF00), dst(8, 1, 0xFF0000FF);
  const uint16_t row = 0x00F0;  // mask 1 for x < 4
  HBITMAP mask = CreateBitmap(8, 1, 1, 1, &row);
  // Foreground SRCCOPY where the mask is 1, background: leave the destination.
  ASSERT_TRUE(MaskBlt(dst.dc, 0, 0, 8, 1, src.dc, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029)));
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.Rgb(x, 0), x < 4 ? 0x00FF00u : 0x0000FFu) << x;
  // The mask's origin shifts the choice.
  ASSERT_TRUE(MaskBlt(dst.dc, 0, 0, 6, 1, src.dc, 0, 0, mask, 2, 0, MAKEROP4(BLACKNESS, WHITENESS)));
  for (int x = 0; x < 6; ++x) EXPECT_EQ(dst.Rgb(x, 0), x < 2 ? 0u : 0xFFFFFFu) << x;
  EXPECT_FALSE(MaskBlt(dst.dc, 0, 0, 8, 1, src.dc, 0, 0, reinterpret_cast<HBITMAP>(src.dc), 0, 0, SRCCOPY));
  DeleteObject(mask);
}

TEST(Blits, TransparentBltSkipsTheKeyColour) {
  Canvas src(6, 1), dst(6, 1, 0xFF0000FF);
  for (int i = 0; i < 6; ++i) src.bits[i] = i % 2 ? 0xFFFF00FFu : 0xFF00FF00u;
  ASSERT_TRUE(TransparentBlt(dst.dc, 0, 0, 6, 1, src.dc, 0, 0, 6, 1, RGB(255, 0, 255)));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(dst.Rgb(i, 0), i % 2 ? 0x0000FFu : 0x00FF00u);
}

TEST(Blits, GradientEndpoints) {
  Canvas c(64, 32);
  TRIVERTEX v[2];
  v[0] = {0, 0, 0xFF00, 0x0000, 0x0000, 0};
  v[1] = {64, 16, 0x0000, 0x0000, 0xFF00, 0};
  GRADIENT_RECT gr{0, 1};
  ASSERT_TRUE(GradientFill(c.dc, v, 2, &gr, 1, GRADIENT_FILL_RECT_H));
  EXPECT_EQ(c.Rgb(0, 0), 0xFF0000u);
  EXPECT_EQ(c.Rgb(0, 15), 0xFF0000u);
  EXPECT_LE(Channel(c.Rgb(63, 5), 16), 4u);
  EXPECT_GE(Channel(c.Rgb(63, 5), 0), 250u);
  EXPECT_EQ(c.Rgb(0, 16), 0xFFFFFFu);  // below the rectangle
  // Vertical: colour changes down the rows, constant along them.
  v[0] = {0, 16, 0, 0xFF00, 0, 0};
  v[1] = {64, 32, 0, 0, 0, 0};
  ASSERT_TRUE(GradientFill(c.dc, v, 2, &gr, 1, GRADIENT_FILL_RECT_V));
  EXPECT_EQ(c.Rgb(10, 16), 0x00FF00u);
  EXPECT_EQ(c.Rgb(10, 20), c.Rgb(50, 20));
  EXPECT_GT(Channel(c.Rgb(10, 20), 8), Channel(c.Rgb(10, 30), 8));
  // A triangle: pixels near each vertex take nearly its colour.
  Canvas t(40, 40);
  TRIVERTEX tv[3] = {{0, 0, 0xFF00, 0, 0, 0}, {40, 0, 0, 0xFF00, 0, 0}, {0, 40, 0, 0, 0xFF00, 0}};
  GRADIENT_TRIANGLE tri{0, 1, 2};
  ASSERT_TRUE(GradientFill(t.dc, tv, 3, &tri, 1, GRADIENT_FILL_TRIANGLE));
  EXPECT_GE(Channel(t.Rgb(0, 0), 16), 240u);
  EXPECT_GE(Channel(t.Rgb(38, 0), 8), 230u);
  EXPECT_GE(Channel(t.Rgb(0, 38), 0), 230u);
  EXPECT_EQ(t.Rgb(30, 30), 0xFFFFFFu);  // outside the triangle
  EXPECT_FALSE(GradientFill(t.dc, tv, 3, &tri, 1, 7));
}

TEST(Blits, DibSectionsOfBothOrdersAndDepths) {
  // A bottom-up 24-bit DIB section: logical row 0 is the last row of memory.
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 5;
  bi.bmiHeader.biHeight = 3;
  bi.bmiHeader.biBitCount = 24;
  void* p = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  ASSERT_TRUE(dib && p);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, dib);
  EXPECT_EQ(SetPixel(dc, 1, 0, RGB(10, 20, 30)), RGB(10, 20, 30));
  const uint8_t* bytes = static_cast<uint8_t*>(p);
  const int stride = 16;                 // 5 * 3 rounded up to 4 bytes
  EXPECT_EQ(bytes[2 * stride + 3], 30);  // blue first
  EXPECT_EQ(bytes[2 * stride + 5], 10);
  DIBSECTION ds;
  ASSERT_EQ(GetObject(dib, sizeof ds, &ds), int(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBits, p);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, stride);

  // GetDIBits into a top-down 32-bit buffer, and back with SetDIBits.
  BITMAPINFO q{};
  q.bmiHeader.biWidth = 5;
  q.bmiHeader.biHeight = -3;
  q.bmiHeader.biBitCount = 32;
  uint32_t px[15] = {};
  ASSERT_EQ(GetDIBits(dc, dib, 0, 3, px, &q, DIB_RGB_COLORS), 3);
  EXPECT_EQ(px[1] & 0xFFFFFF, 0x0A141Eu);
  px[14] = 0xFF010203;
  ASSERT_EQ(SetDIBits(dc, dib, 0, 3, px, &q, DIB_RGB_COLORS), 3);
  EXPECT_EQ(GetPixel(dc, 4, 2), RGB(1, 2, 3));

  // StretchDIBits of a bottom-up source: memory row 0 is the bottom of the picture.
  Canvas c(5, 3);
  bi.bmiHeader.biBitCount = 32;
  uint32_t up[15];
  for (int i = 0; i < 15; ++i) up[i] = 0xFF000000u | uint32_t(i);
  ASSERT_EQ(StretchDIBits(c.dc, 0, 0, 5, 3, 0, 0, 5, 3, up, &bi, DIB_RGB_COLORS, SRCCOPY), 3);
  EXPECT_EQ(c.Rgb(0, 2), 0u);
  EXPECT_EQ(c.Rgb(4, 0), 14u);

  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib);
}

}  // namespace
}  // namespace qv
