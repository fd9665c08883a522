// Icon objects: alpha and mask drawing, stretching, the mask-only and
// image-only passes, monochrome icons, copies back out and handle checks.
#include <gtest/gtest.h>

#include "GdiTestSupport.h"

namespace qv {
namespace {

using test::Canvas;

// A top-down 32-bit bitmap from straight 0xAARRGGBB pixels.
HBITMAP ColourBitmap(int w, int h, const std::vector<uint32_t>& px) {
  return CreateBitmap(w, h, 1, 32, px.data());
}

// A 1-bit mask whose set pixels (transparent) are where f(x, y) holds.
template <typename F>
HBITMAP MaskBitmap(int w, int h, F f) {
  std::vector<uint8_t> bits(size_t((w + 15) / 16 * 2 * h), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (f(x, y)) bits[size_t(y * ((w + 15) / 16 * 2) + x / 8)] |= uint8_t(0x80 >> (x % 8));
  return CreateBitmap(w, h, 1, 1, bits.data());
}

HICON MakeIcon(HBITMAP colour, HBITMAP mask) {
  ICONINFO ii;
  ii.hbmColor = colour;
  ii.hbmMask = mask;
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(colour);
  DeleteObject(mask);
  return icon;
}

TEST(Icons, AlphaIconBlendsAndStretches) {
  // Left column clear, middle half-transparent white, right opaque blue.
  std::vector<uint32_t> px(4 * 4);
  for (int y = 0; y < 4; ++y) {
    px[size_t(y * 4 + 0)] = 0x00FF0000;  // clear, whatever its colour
    px[size_t(y * 4 + 1)] = 0x80FFFFFF;
    px[size_t(y * 4 + 2)] = 0xFF0000FF;
    px[size_t(y * 4 + 3)] = 0xFF0000FF;
  }
  HICON icon = MakeIcon(ColourBitmap(4, 4, px), nullptr);
  ASSERT_NE(icon, nullptr);
  Canvas c(20, 20, 0xFF000000);
  ASSERT_TRUE(DrawIconEx(c.dc, 2, 2, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(c.Rgb(2, 2), 0u);
  uint32_t mid = c.Rgb(3, 3);
  EXPECT_NEAR(int(mid & 0xFF), 128, 2);
  EXPECT_EQ(c.Rgb(4, 5), 0x0000FFu);
  EXPECT_EQ(c.Rgb(6, 2), 0u);  // outside the icon
  // Stretched to 8 x 8: the clear column becomes two columns.
  Canvas s(20, 20, 0xFF000000);
  DrawIconEx(s.dc, 0, 0, icon, 8, 8, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(s.Extent(RGB(0, 0, 0)), (RECT{2, 0, 8, 8}));
  DestroyIcon(icon);
}

TEST(Icons, MaskPassesCombineLikeAndThenXor) {
  // An opaque colour image: red, with black where the mask is set (left half).
  std::vector<uint32_t> px(8 * 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) px[size_t(y * 8 + x)] = x < 4 ? 0xFF000000 : 0xFFFF0000;
  HICON icon = MakeIcon(ColourBitmap(8, 8, px), MaskBitmap(8, 8, [](int x, int) { return x < 4; }));
  ASSERT_NE(icon, nullptr);
  Canvas n(8, 8, 0xFF00FF00);
  DrawIcon(n.dc, 0, 0, icon);
  EXPECT_EQ(n.Rgb(1, 1), 0x00FF00u);  // transparent: background kept
  EXPECT_EQ(n.Rgb(6, 6), 0xFF0000u);
  Canvas m(8, 8, 0xFF00FF00);
  DrawIconEx(m.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_MASK);
  EXPECT_EQ(m.Rgb(1, 1), 0x00FF00u);
  EXPECT_EQ(m.Rgb(6, 6), 0u);  // opaque part of the mask is black
  Canvas i(8, 8, 0xFF00FF00);
  DrawIconEx(i.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_IMAGE);
  EXPECT_EQ(i.Rgb(1, 1), 0u);  // the image alone, copied
  EXPECT_EQ(i.Rgb(6, 6), 0xFF0000u);
  // Clipping applies as to any drawing.
  Canvas k(8, 8, 0xFF00FF00);
  IntersectClipRect(k.dc, 0, 0, 6, 8);
  DrawIcon(k.dc, 0, 0, icon);
  EXPECT_EQ(k.Rgb(5, 0), 0xFF0000u);
  EXPECT_EQ(k.Rgb(6, 0), 0x00FF00u);
  DestroyIcon(icon);
}

TEST(Icons, MonochromeIconInvertsWhereMaskAndImageAreSet) {
  // AND half: transparent on the top row; XOR half: white on the left column.
  HBITMAP both = MaskBitmap(4, 8, [](int x, int y) { return y < 4 ? y == 0 : x == 0; });
  HICON icon = MakeIcon(nullptr, both);
  ASSERT_NE(icon, nullptr);
  Canvas c(4, 4, 0xFF336699);
  DrawIcon(c.dc, 0, 0, icon);
  EXPECT_EQ(c.Rgb(0, 0), 0xCC9966u);  // transparent and white: the screen inverted
  EXPECT_EQ(c.Rgb(2, 0), 0x336699u);  // transparent and black: unchanged
  EXPECT_EQ(c.Rgb(0, 2), 0xFFFFFFu);
  EXPECT_EQ(c.Rgb(2, 2), 0u);
  ICONINFO ii;
  ASSERT_TRUE(GetIconInfo(icon, &ii));
  EXPECT_EQ(ii.hbmColor, nullptr);
  BITMAP bm;
  GetObject(ii.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(bm.bmHeight, 8);
  DeleteObject(ii.hbmMask);
  DestroyIcon(icon);
}

TEST(Icons, InfoAndCopiesOutliveTheOriginal) {
  std::vector<uint32_t> px(3 * 2, 0xFF112233);
  px[0] = 0;  // one clear pixel makes the alpha meaningful
  ICONINFO in;
  in.fIcon = FALSE;
  in.xHotspot = 1;
  in.yHotspot = 2;
  in.hbmColor = ColourBitmap(3, 2, px);
  HICON icon = CreateIconIndirect(&in);
  DeleteObject(in.hbmColor);
  HICON copy = CopyIcon(icon);
  ASSERT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));  // stale
  EXPECT_FALSE(DrawIcon(Canvas(4, 4).dc, 0, 0, icon));
  ICONINFO out;
  ASSERT_TRUE(GetIconInfo(copy, &out));
  EXPECT_FALSE(out.fIcon);
  EXPECT_EQ(out.xHotspot, 1u);
  EXPECT_EQ(out.yHotspot, 2u);
  uint32_t back[6] = {};
  GetBitmapBits(out.hbmColor, sizeof back, back);
  EXPECT_EQ(back[0], 0u);
  EXPECT_EQ(back[5], 0xFF112233u);
  uint8_t maskRow[2] = {};
  GetBitmapBits(out.hbmMask, 2, maskRow);
  EXPECT_EQ(maskRow[0] & 0xE0, 0x80);  // the clear pixel is the transparent one
  DeleteObject(out.hbmColor);
  DeleteObject(out.hbmMask);
  // Icons are not GDI objects, and handles that are not icons are refused quietly.
  EXPECT_EQ(GetObjectType(copy), 0u);
  EXPECT_FALSE(DeleteObject(copy));
  HICON pseudo = reinterpret_cast<HICON>(uintptr_t(32512));
  EXPECT_FALSE(DestroyIcon(pseudo));
  EXPECT_FALSE(DrawIconEx(Canvas(4, 4).dc, 0, 0, pseudo, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(CopyIcon(pseudo), nullptr);
  EXPECT_TRUE(DestroyIcon(copy));
}

}  // namespace
}  // namespace qv
