// Nine-part borders and glyph states painted from masks whose pixels name
// their own source position, so every painted pixel tells which part, state
// and offset it came from.
#include <random>

#include "SkinTestSupport.h"
#include "TestSkins.h"
#include "classlib/controls/Forms.h"
#include "platform/backend/HeadlessBackend.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv::test {
namespace {

// The source position a coded pixel came from.
POINT Source(TBitmap* b, int x, int y) {
  TColor c = Px(b, x, y);
  return POINT{c & 0xFF, (c >> 8) & 0xFF};
}

class NinePart : public ::testing::Test {
 protected:
  void SetUp() override {
    own.Bmp = std::make_unique<TBitmap>();
    own.Bmp->FromSurface(Border9Surface(), false);
    own.R = RECT{0, 0, 180, 120};
    own.ImageCount = 3, own.MaskType = 1;
    root = MakeTestSkins(dir);
    manager = std::make_unique<TSkinManager>(nullptr);
    manager->SetSkinDirectory(root);
    manager->SetSkinName("TestSkin");
  }
  const TSkMaskData& Mask(const char* s, const char* k) {
    int i = manager->FindMaskIndex(s, k);
    EXPECT_GE(i, 0);
    return manager->ma[size_t(std::max(i, 0))];
  }
  HeadlessBackend backend{SIZE{320, 240}};
  TSkMaskData own;
  TempDir dir;
  std::string root;
  std::unique_ptr<TSkinManager> manager;
};

TEST_F(NinePart, OwnImageIntoHundredByFifty) {
  auto b = Bmp24(100, 50);
  PaintNinePartMask(b.get(), RECT{0, 0, 100, 50}, true, EmptyCacheInfo, own, 2);
  // Where each destination pixel must come from: state 2 starts at x = 120,
  // parts of 20 x 20, the bottom corners from the last 20 image rows.
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x) {
      const int col = x < 20 ? x : x >= 80 ? 40 + (x - 80) : 20 + (x - 20) % 20;
      const int row = y < 20 ? y : y >= 30 ? 40 + (y - 30) : 20 + (y - 20);
      POINT s = Source(b.get(), x, y);
      ASSERT_EQ(s.x, 120 + col) << x << "," << y;
      ASSERT_EQ(s.y, row) << x << "," << y;
    }
}

TEST_F(NinePart, NarrowAndFlatDestinations) {
  auto b = Bmp24(5, 50);
  PaintNinePartMask(b.get(), RECT{0, 0, 5, 50}, true, EmptyCacheInfo, own, 0);
  EXPECT_EQ(Source(b.get(), 0, 0).x, 0);  // left corner 2 wide
  EXPECT_EQ(Source(b.get(), 1, 0).x, 1);
  EXPECT_EQ(Source(b.get(), 2, 0).x, 57);  // right corner 3 wide: 60 - 3
  EXPECT_EQ(Source(b.get(), 4, 0).x, 59);
  auto flat = Bmp24(30, 1);
  PaintNinePartMask(flat.get(), RECT{0, 0, 30, 1}, true, EmptyCacheInfo, own, 0);
  EXPECT_EQ(Px(flat.get(), 0, 0), clWhite);
  // A state past the image is held at the last one.
  auto far = Bmp24(60, 60);
  PaintNinePartMask(far.get(), RECT{0, 0, 60, 60}, true, EmptyCacheInfo, own, 9);
  EXPECT_EQ(Source(far.get(), 0, 0).x, 120);
}

TEST_F(NinePart, MasterMaskCornersLookThroughOrTakeTheFillColour) {
  const TSkMaskData& form = Mask("FORM", "BORDERSMASK");  // key pixels in its top corners
  auto b = Bmp24(40, 30, 0x0000AA);
  PaintNinePartMask(b.get(), RECT{0, 0, 40, 30}, true, EmptyCacheInfo, form, 0);
  EXPECT_EQ(Px(b.get(), 0, 0), 0x0000AA);  // no cache: the target keeps its pixel
  EXPECT_EQ(Source(b.get(), 3, 0).x, 67);  // border width 4: corner from (64, 0)
  auto cache = Bmp24(100, 100, 0x00BB00);
  PaintNinePartMask(b.get(), RECT{0, 0, 40, 30}, true, MakeCacheInfo(cache.get(), 5, 5), form, 0);
  EXPECT_EQ(Px(b.get(), 0, 0), 0x00BB00);
  MaskFillColor = 0x112233;
  PaintNinePartMask(b.get(), RECT{0, 0, 40, 30}, true, EmptyCacheInfo, form, 0);
  MaskFillColor = clSkinTransparent;
  EXPECT_EQ(Px(b.get(), 0, 0), 0x112233);
  EXPECT_EQ(Px(b.get(), 39, 0), 0x112233);  // the mirrored run in the top-right corner
}

TEST_F(NinePart, PlainMasterMaskStretchesItsEdges) {
  const TSkMaskData& plain = Mask("PLAINBORDER", "BORDERSMASK");  // (160,100,184,124), parts 8 x 8
  auto b = Bmp24(40, 30);
  PaintNinePartMask(b.get(), RECT{0, 0, 40, 30}, true, EmptyCacheInfo, plain, 0);
  EXPECT_EQ(Source(b.get(), 0, 0).x, 160);
  EXPECT_EQ(Source(b.get(), 8, 0).x, 168);  // the top edge, stretched over 24 columns
  EXPECT_EQ(Source(b.get(), 31, 0).x, 175);
  EXPECT_EQ(Source(b.get(), 32, 0).x, 176);                           // top-right corner
  EXPECT_EQ(Source(b.get(), 20, 15).y, 100 + 8 + (15 - 8) * 8 / 14);  // the centre, stretched over 14 rows
}

TEST_F(NinePart, GlyphStatesAndClipping) {
  const TSkMaskData& close = Mask("GLOBALINFO", "BICONCLOSE");  // 3 states of 21 x 21
  auto b = Bmp24(30, 30);
  DrawSkinGlyph(b.get(), POINT{0, 0}, 7, 1, close);
  EXPECT_EQ(Source(b.get(), 0, 0).x, 42);  // held at the last state
  DrawSkinGlyph(b.get(), POINT{-5, -3}, 1, 1, close);
  EXPECT_EQ(Source(b.get(), 0, 0).x, 26);  // 21 + 5 columns cut off
  EXPECT_EQ(Source(b.get(), 0, 0).y, 3);
  DrawSkinGlyph(b.get(), POINT{25, 25}, 0, 1, close);  // cut at the target's edge
  EXPECT_EQ(Source(b.get(), 29, 29).x, 4);
}

// A border painted partly outside its bitmap shows, in the part that is
// inside, the pixels of the whole border: for masks of random pixels, alpha
// and key pixels, with and without a fill colour, an own image and a part of
// the master bitmap. Each pixel is the source over the target by its alpha.
TEST_F(NinePart, ClippedBordersShowThePixelsOfTheWholeOne) {
  std::mt19937 rng(5);
  TSkMaskData random;
  random.Bmp = Bmp24(9 * 6, 6 * 5);  // three states of parts 6 x 5, image over alpha
  random.R = RECT{0, 0, 54, 30};
  random.ImageCount = 3, random.MaskType = 1;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 54; ++x)
      SetPx(random.Bmp.get(), x, y, y < 15 && rng() % 8 == 0 ? TColor(0xFF00FF) : TColor(rng() & 0xFFFFFF));
  const TSkMaskData* masks[] = {&random, &Mask("FORM", "BORDERSMASK"), &Mask("BUTTON", "BORDERSMASK")};
  auto background = [&](int w, int h, int dx, int dy) {
    auto b = Bmp24(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        SetPx(b.get(), x, y, TColor(((x + dx) * 7919 + (y + dy) * 104729) & 0xFFFFFF));
    return b;
  };
  for (const TSkMaskData* m : masks)
    for (TColor fill : {clSkinTransparent, TColor(0x123456)})
      for (int state = 0; state < 3; ++state) {
        MaskFillColor = fill;
        auto whole = background(70, 45, 0, 0);
        PaintNinePartMask(whole.get(), RECT{0, 0, 70, 45}, true, EmptyCacheInfo, *m, state);
        for (POINT cut : {POINT{13, 0}, POINT{0, 7}, POINT{3, 11}}) {
          auto part = background(70 - cut.x, 45 - cut.y, cut.x, cut.y);
          PaintNinePartMask(part.get(), RECT{-cut.x, -cut.y, 70 - cut.x, 45 - cut.y}, true, EmptyCacheInfo,
                            *m, state);
          for (int y = 0; y < part->Height(); ++y)
            for (int x = 0; x < part->Width(); ++x)
              ASSERT_EQ(Px(part.get(), x, y), Px(whole.get(), x + cut.x, y + cut.y))
                  << x << "," << y << " cut " << cut.x << "," << cut.y << " state " << state;
        }
        MaskFillColor = clSkinTransparent;
      }
  // The centre of the random mask's state 0: (6..11, 5..9) of the image over
  // the same place of the alpha half.
  auto b = background(70, 45, 0, 0);
  const TColor under = Px(b.get(), 30, 20);
  PaintNinePartMask(b.get(), RECT{0, 0, 70, 45}, true, EmptyCacheInfo, random, 0);
  const int sx = 6 + (30 - 6) % 6, sy = 5 + (20 - 5) % 5;
  const TColor src = Px(random.Bmp.get(), sx, sy), alpha = Px(random.Bmp.get(), sx, sy + 15);
  if (src != 0xFF00FF) {
    for (int k = 0; k < 24; k += 8) {
      const int d = int(under >> k & 0xFF), s = int(src >> k & 0xFF), a = int(alpha >> k & 0xFF);
      EXPECT_EQ(int(Px(b.get(), 30, 20) >> k & 0xFF), (s * 256 + (d - s) * a) >> 8) << k;  // rounded down
    }
  }
}

TEST_F(NinePart, BorderCornersTakeTheParentBackground) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 200);
  SkinnedProbe parent(&form), c(&parent);
  parent.SetParent(&form);
  parent.SetBounds(0, 0, 150, 150);
  parent.SetColor(0x0000CC);
  c.SetParent(&parent);
  c.SetBounds(10, 10, 40, 30);
  c.SkinData->SetSkinSection("FORM");
  c.SkinData->UpdateIndexes();
  ASSERT_GE(c.SkinData->BorderIndex, 0);
  c.SkinData->InitCacheBmp();
  TBitmap* cache = c.SkinData->CacheBmp.get();
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) SetPx(cache, x, y, clBlack);
  FillBorderCorners(c.SkinData.get(), 0, 2 | 8);  // bottom corners: no key pixels there
  EXPECT_EQ(Px(cache, 0, 0), clBlack);
  FillBorderCorners(c.SkinData.get(), 0, 1 | 4);
  EXPECT_EQ(Px(cache, 0, 0), 0x0000CC);
  EXPECT_EQ(Px(cache, 2, 0), 0x0000CC);
  EXPECT_EQ(Px(cache, 3, 0), clBlack);
  EXPECT_EQ(Px(cache, 39, 0), 0x0000CC);
  EXPECT_EQ(Px(cache, 0, 3), clBlack);
  EXPECT_EQ(SharedBgColor, clSkinTransparent);
}

}  // namespace
}  // namespace qv::test
