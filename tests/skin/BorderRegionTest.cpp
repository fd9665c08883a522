// Window regions cut from border masks: after painting, a pixel is in the
// region exactly when its mask pixel is not the transparent key, and masks
// without alpha rows leave the region whole.
#include "SkinTestSupport.h"
#include "TestSkins.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/gdi/Gdi.h"
#include "skin/skBorderRegion.h"
#include "skin/skItemPaint.h"
#include "skin/skinManager.h"

namespace qv::test {
namespace {

class BorderRegion : public ::testing::Test {
 protected:
  void SetUp() override {
    root = MakeTestSkins(dir);
    manager = std::make_unique<TSkinManager>(nullptr);
    manager->SetSkinDirectory(root);
    manager->SetSkinName("TestSkin");
  }
  const TSkMaskData& Mask(const char* s, const char* k) {
    return manager->ma[size_t(std::max(manager->FindMaskIndex(s, k), 0))];
  }
  HeadlessBackend backend{SIZE{320, 240}};
  TempDir dir;
  std::string root;
  std::unique_ptr<TSkinManager> manager;
};

TEST_F(BorderRegion, RegionMatchesTheMaskPixels) {
  const TSkMaskData& form = Mask("FORM", "BORDERSMASK");
  auto b = Bmp24(40, 30);
  HRGN rgn = CreateRectRgn(0, 0, 40, 30);
  PaintBorderRgn(b.get(), rgn, true, form, 0);
  // The key runs: 3, 2, 1 pixels at the top-left; mirrored at the top-right.
  auto cut = [](int x, int y) { return y < 3 && (x < 3 - y || x >= 40 - (3 - y)); };
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(PtInRegion(rgn, x, y) != 0, !cut(x, y)) << x << "," << y;
  DeleteObject(rgn);
}

TEST_F(BorderRegion, PlainMasksAndTinyBitmapsLeaveTheRegionWhole) {
  const TSkMaskData& plain = Mask("PLAINBORDER", "BORDERSMASK");
  auto b = Bmp24(40, 30);
  HRGN rgn = CreateRectRgn(0, 0, 40, 30);
  PaintBorderRgn(b.get(), rgn, true, plain, 0);
  RECT box;
  GetRgnBox(rgn, &box);
  EXPECT_EQ(box, (RECT{0, 0, 40, 30}));
  EXPECT_EQ(Px(b.get(), 0, 0) & 0xFF, 160);  // painted
  const TSkMaskData& own = Mask("EDIT", "BORDERSMASK");
  auto tiny = Bmp24(2, 2);
  PaintBorderRgn(tiny.get(), rgn, true, own, 0);
  EXPECT_EQ(Px(tiny.get(), 0, 0), clWhite);
  DeleteObject(rgn);
}

TEST_F(BorderRegion, TransparentRectsOfTheTopCorners) {
  std::vector<RECT> rects;
  AddTransparentRects(rects, 100, Mask("FORM", "BORDERSMASK"), 0, 5);
  // Left runs for every row first, then the right runs placed against width 100.
  ASSERT_EQ(rects.size(), 6u);
  EXPECT_EQ(rects[0], (RECT{0, 5, 3, 6}));
  EXPECT_EQ(rects[2], (RECT{0, 7, 1, 8}));
  EXPECT_EQ(rects[3], (RECT{97, 5, 100, 6}));
  EXPECT_EQ(rects[5], (RECT{99, 7, 100, 8}));
}

}  // namespace
}  // namespace qv::test
