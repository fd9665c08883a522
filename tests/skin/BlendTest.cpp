// Channel blends, colour helpers and soft shadows on small bitmaps: the
// formulas with their rounding, clipping and the transparent key colour.
#include "SkinTestSupport.h"
#include "platform/backend/HeadlessBackend.h"
#include "skin/skBlend.h"
#include "skin/skColors.h"
#include "skin/skGdiHelpers.h"
#include "skin/skMaskPaint.h"

namespace qv::test {
namespace {

class Blend : public ::testing::Test {
 protected:
  HeadlessBackend backend{SIZE{64, 64}};
};

TEST_F(Blend, MaskWhiteKeepsBackBlackShowsBodyGreyMixes) {
  auto back = Bmp24(3, 1, 0x102030), body = Bmp24(3, 1, 0xF0E0D0), mask = Bmp24(3, 1, clWhite);
  SetPx(mask.get(), 1, 0, clBlack);
  SetPx(mask.get(), 2, 0, Grey(128));
  BlendByMask(back.get(), body.get(), mask.get(), RECT{0, 0, 3, 1});
  EXPECT_EQ(Px(back.get(), 1, 0), 0xF0E0D0);
  EXPECT_EQ(Px(back.get(), 0, 0), 0x102030);  // white keeps the background exactly
  EXPECT_EQ(Px(back.get(), 2, 0) & 0xFF, 0xD0 + ((0x30 - 0xD0) * 128 >> 8));
  // A rectangle wider than the background does nothing.
  auto keep = Bmp24(3, 1, 0x102030);
  BlendByMask(keep.get(), body.get(), mask.get(), RECT{0, 0, 4, 1});
  EXPECT_EQ(Px(keep.get(), 1, 0), 0x102030);
}

TEST_F(Blend, ColorByMaskWithBlackScalesEachChannel) {
  auto dst = Bmp24(2, 1, 0x804020), mask = Bmp24(2, 1, Grey(64));
  BlendColorByMask(dst.get(), mask.get(), clBlack);
  EXPECT_EQ(Px(dst.get(), 0, 0), TColor((0x20 * 64 >> 8) | (0x40 * 64 >> 8) << 8 | (0x80 * 64 >> 8) << 16));
  auto other = Bmp24(3, 1);
  BlendColorByMask(other.get(), mask.get(), clBlack);  // sizes differ: nothing
  EXPECT_EQ(Px(other.get(), 0, 0), clWhite);
}

TEST_F(Blend, BitmapRectAlpha128AveragesTruncatedAndClips) {
  auto dst = Bmp24(4, 4, Grey(11)), src = Bmp24(4, 4, Grey(20));
  BlendBitmapRect(dst.get(), src.get(), 128, RECT{0, 0, 4, 4}, POINT{2, 2});
  EXPECT_EQ(Px(dst.get(), 2, 2), Grey(15));  // (20 + 11) / 2 = 15.5, truncated
  EXPECT_EQ(Px(dst.get(), 3, 3), Grey(15));
  EXPECT_EQ(Px(dst.get(), 1, 1), Grey(11));  // outside the placed rectangle
  BlendBitmaps(dst.get(), src.get(), 128);   // rounded: 15 + (11-... ) checks rounding to even
  EXPECT_EQ(Px(dst.get(), 0, 0), Grey(16));  // 20 + (11 - 20) * 0.5 = 15.5 -> 16
}

TEST_F(Blend, TransparentCopiesSkipTheKeyColour) {
  auto src = Bmp24(2, 1, 0x00FF00), dst = Bmp24(3, 2, clBlack);
  SetPx(src.get(), 0, 0, clSkinTransparent);
  CopyTransparent(src.get(), dst.get(), 1, 1, clSkinTransparent);
  EXPECT_EQ(Px(dst.get(), 1, 1), clBlack);
  EXPECT_EQ(Px(dst.get(), 2, 1), 0x00FF00);
  BlendTransparent(dst.get(), -1, 0, clSkinTransparent, 0.5, RECT{0, 0, 2, 1}, src.get());
  EXPECT_EQ(Px(dst.get(), 0, 0), 0x008000);  // 255 * 0.5 = 127.5 -> 128, the key pixel cut off
}

TEST_F(Blend, BlendRectToColorPercentAndEdges) {
  auto b = Bmp24(3, 3, Grey(200));
  BlendRectToColor(b.get(), RECT{0, 0, 3, 3}, 100, clBlack);
  EXPECT_EQ(Px(b.get(), 1, 1), Grey(200));
  BlendRectToColor(b.get(), RECT{1, 1, 10, 10}, 0, 0x0000FF);
  EXPECT_EQ(Px(b.get(), 2, 2), 0x0000FF);
  EXPECT_EQ(Px(b.get(), 0, 0), Grey(200));
  BlendRectToColor(b.get(), RECT{0, 0, 1, 1}, 50, clBlack);
  EXPECT_EQ(Px(b.get(), 0, 0), Grey(100));
  EXPECT_EQ(Px(b.get(), 1, 0), Grey(200));  // right edge exclusive
}

TEST_F(Blend, GreyScaleKeepsTheKeyInTheTransparentVariant) {
  auto b = Bmp24(2, 1, 0x0000FF);
  SetPx(b.get(), 1, 0, clSkinTransparent);
  GrayScaleTrans(b.get(), clSkinTransparent);
  EXPECT_EQ(Px(b.get(), 0, 0), Grey(85));
  EXPECT_EQ(Px(b.get(), 1, 0), clSkinTransparent);
  GrayScale(b.get());
  EXPECT_EQ(Px(b.get(), 1, 0), Grey(170));
}

TEST(Colors, SaturationHueAndMixing) {
  EXPECT_EQ(ChangeSaturation(0x0000FF, 100), Grey(85));
  EXPECT_EQ(ChangeSaturation(0x808080, -50), 0x808080);  // grey stays grey
  for (TColor c : {0x123456, 0x00FF00, 0x7F1020}) EXPECT_EQ(ChangeHue(360, c), c) << c;
  EXPECT_EQ(ChangeHue(120, 0x0000FF), 0x00FF00);  // red turns green
  EXPECT_EQ(ChangeHue(77, 0x404040), 0x404040);
  EXPECT_EQ(MixColors(0x000000, 0x0000FF, 0.5), 0x000080);
  EXPECT_EQ(BlendColorBytes(TColor(0x01000000), 0x0000FF, 1.0), TColor(0x01000000));
}

TEST_F(Blend, ShadowRingsDarkenInwardAndCoreCarriesTransparency) {
  auto b = Bmp24(40, 40, clWhite);
  PaintShadow(b.get(), RECT{0, 0, 40, 40}, 50, clBlack, 4, 0);
  const int t = 50 * 255 / 100;            // the core's mask grey
  EXPECT_EQ(Px(b.get(), 0, 20), clWhite);  // the outer ring: no shadow
  EXPECT_EQ(Px(b.get(), 20, 20) & 0xFF, 255 * t >> 8);
  int prev = 256;
  for (int i = 0; i <= 4; ++i) {  // each ring inward is darker
    int v = Px(b.get(), i, 20) & 0xFF;
    EXPECT_LE(v, prev);
    prev = v;
  }
  // A small rectangle: the blur is held at half its smaller side.
  auto s = Bmp24(6, 6, clWhite);
  PaintShadow(s.get(), RECT{0, 0, 6, 6}, 0, clBlack, 10, 0);
  EXPECT_EQ(Px(s.get(), 0, 0), clWhite);
  EXPECT_LT(Px(s.get(), 2, 2) & 0xFF, Px(s.get(), 1, 1) & 0xFF);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

TEST(GlyphBitmap, StatesOfOneAndTwoImages) {
  HeadlessBackend backend{SIZE{64, 64}};
  auto glyph = Bmp24(4, 2, 0x0000FF);  // left half red, right half green, key at the bottom-left
  SetPx(glyph.get(), 2, 0, 0x00FF00), SetPx(glyph.get(), 3, 0, 0x00FF00), SetPx(glyph.get(), 3, 1, 0x00FF00);
  SetPx(glyph.get(), 0, 1, 0x123456), SetPx(glyph.get(), 2, 1, 0x123456);
  auto dst = Bmp24(4, 2, clBlack);
  PaintGlyphBitmap(glyph.get(), dst.get(), POINT{0, 0}, 0, true, 0, false, true, 2);
  EXPECT_EQ(Px(dst.get(), 0, 0), 0x0000FF);
  EXPECT_EQ(Px(dst.get(), 0, 1), clBlack);  // the key colour stays out
  EXPECT_EQ(Px(dst.get(), 2, 0), clBlack);  // only the left image
  PaintGlyphBitmap(glyph.get(), dst.get(), POINT{2, 0}, 0, true, 0, false, false, 2);
  EXPECT_EQ(Px(dst.get(), 3, 0), 0x00FF00);  // disabled: the right image
  auto half = Bmp24(4, 2, clBlack);
  PaintGlyphBitmap(glyph.get(), half.get(), POINT{0, 0}, 50, false, 0, false, true, 1);
  EXPECT_EQ(Px(half.get(), 1, 0), 0x000080);  // blended at one half (127.5 rounds to 128)
  PaintGlyphBitmap(glyph.get(), half.get(), POINT{0, 0}, 0, true, 0, false, true,
                   3);  // other counts: nothing
  EXPECT_EQ(Px(half.get(), 1, 0), 0x000080);
}

}  // namespace
}  // namespace qv::test
