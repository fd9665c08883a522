// Item painting against a known parent picture: sections that are opaque,
// see-through or half see-through, gradient and colour shares, corner images
// (the bottom-left one at the rectangle's own left) and text shortening.
#include "SkinTestSupport.h"
#include "TestSkins.h"
#include "classlib/controls/Forms.h"
#include "classlib/graphics/JpegImage.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/text/Text.h"
#include "skin/skItemPaint.h"
#include "skin/skinManager.h"

namespace qv::test {
namespace {

class ItemPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    SharedBgColor = clSkinTransparent;
    root = MakeTestSkins(dir);
    manager = std::make_unique<TSkinManager>(nullptr);
    manager->SetSkinDirectory(root);
    manager->SetSkinName("TestSkin");
    manager->SetCommonSections({"[OPAQUE]", "COLOR=255", "[SEE]", "TRANSPARENCY=100", "[HALF]", "COLOR=255",
                                "TRANSPARENCY=50", "[G40]", "COLOR=0", "GRADIENTPERCENT=40",
                                "GRADIENTDATA=16777215;16777215;100;0;0", "[CORNERS]", "COLOR=0",
                                "IMGBTMLEFT=#(0,0,4,4)(1,0)", "IMGTOPRIGHT=#(0,0,4,4)(1,0)"});
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 200, 200);
    control = new SkinnedProbe(form.get());
    control->SetParent(form.get());
    control->SetBounds(10, 20, 30, 10);
    parent = Bmp24(100, 100);
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x) SetPx(parent.get(), x, y, TColor(Coded(x, y, 7) & 0xFFFFFF));
  }
  void Section(const char* name) {
    control->SkinData->SetSkinSection(name);
    ASSERT_GE(control->SkinData->SkinIndex, 0) << name;
  }
  HeadlessBackend backend{SIZE{320, 240}};
  TempDir dir;
  std::string root;
  std::unique_ptr<TSkinManager> manager;
  std::unique_ptr<TForm> form;
  SkinnedProbe* control = nullptr;
  std::unique_ptr<TBitmap> parent;
};

TEST_F(ItemPaint, OpaqueSeeThroughAndHalf) {
  auto b = Bmp24(30, 10);
  const TCacheInfo cache = MakeCacheInfo(parent.get(), 10, 20);
  Section("OPAQUE");
  PaintItemBG(control->SkinData.get(), cache, 0, b.get(), POINT{0, 0}, RECT{0, 0, 30, 10});
  EXPECT_EQ(Px(b.get(), 5, 5), 255);
  Section("SEE");
  PaintItemBG(control->SkinData.get(), cache, 0, b.get(), POINT{0, 0}, RECT{0, 0, 30, 10});
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(Px(b.get(), x, y), Px(parent.get(), 10 + x, 20 + y));
  Section("HALF");
  PaintItemBG(control->SkinData.get(), cache, 0, b.get(), POINT{0, 0}, RECT{0, 0, 30, 10});
  const TColor under = Px(parent.get(), 13, 24);
  const int alpha = 50 * 256 / 100;
  auto mix = [&](int t, int c) { return (t * 256 + (c - t) * alpha) >> 8; };
  const TColor want =
      TColor(mix(255, under & 0xFF) | mix(0, (under >> 8) & 0xFF) << 8 | mix(0, (under >> 16) & 0xFF) << 16);
  EXPECT_EQ(Px(b.get(), 3, 4), want);
}

TEST_F(ItemPaint, GradientShareAndColourShare) {
  auto b = Bmp24(30, 10, 0x00FF00);
  Section("G40");
  PaintItemBG(control->SkinData.get(), EmptyCacheInfo, 0, b.get(), POINT{0, 0}, RECT{0, 0, 30, 10});
  EXPECT_EQ(Px(b.get(), 7, 7), Grey(102));  // 40 percent white, 60 percent black
}

TEST_F(ItemPaint, SeeThroughWithAParentColourFillsIt) {
  auto b = Bmp24(30, 10);
  Section("SEE");
  SharedBgColor = 0x345678;
  PaintItemBG(control->SkinData.get(), MakeCacheInfo(parent.get()), 0, b.get(), POINT{0, 0},
              RECT{0, 0, 30, 10});
  SharedBgColor = clSkinTransparent;
  EXPECT_EQ(Px(b.get(), 1, 1), 0x345678);
}

TEST_F(ItemPaint, CornerImagesAtTheRectanglesCorners) {
  auto b = Bmp24(60, 40, clBlack);
  Section("CORNERS");
  PaintItem(control->SkinData.get(), EmptyCacheInfo, false, 0, b.get(), POINT{0, 0}, RECT{10, 10, 50, 30},
            false);
  // The image names its own pixels: (0,0) of the master bitmap lands at the corner.
  EXPECT_EQ(Px(b.get(), 10, 26) & 0xFFFF, 0);  // bottom-left at R.Left, R.Bottom - 4
  EXPECT_EQ(Px(b.get(), 13, 29) & 0xFFFF, 3 | 3 << 8);
  EXPECT_EQ(Px(b.get(), 46, 10) & 0xFFFF, 0);  // top-right at R.Right - 4
  EXPECT_EQ(Px(b.get(), 0, 26), clBlack);      // nothing at x = 0
  EXPECT_EQ(Px(b.get(), 20, 20), clBlack);     // the section colour
}

TEST_F(ItemPaint, NothingWithoutAnActiveSection) {
  auto b = Bmp24(30, 10, 0x00FF00);
  control->SkinData->SetSkinSection("NOSUCH");
  PaintItemBG(control->SkinData.get(), EmptyCacheInfo, 0, b.get(), POINT{0, 0}, RECT{0, 0, 30, 10});
  PaintItem(control->SkinData.get(), EmptyCacheInfo, false, 0, b.get(), POINT{0, 0}, RECT{0, 0, 30, 10},
            false);
  EXPECT_EQ(Px(b.get(), 5, 5), 0x00FF00);
}

TEST_F(ItemPaint, CutTextEndsInDots) {
  TCanvas* c = form->Canvas();
  EXPECT_EQ(CutText(c, "Hello world", 1), "");
  EXPECT_EQ(CutText(c, "Hi", 1000), "Hi");
  const std::string cut = CutText(c, "A rather long caption", c->TextWidth("A rather") + c->TextWidth("..."));
  EXPECT_EQ(cut.substr(cut.size() - 3), "...");
  EXPECT_LE(c->TextWidth(cut), c->TextWidth("A rather") + c->TextWidth("..."));
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

TEST(TileGraphicTest, TilesStopAtTheRectangleForPicturesToo) {
  HeadlessBackend backend{SIZE{64, 64}};
  TJPEGImage jpg;
  {
    TBitmap pic(7, 5, pf24bit);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) SetPx(&pic, x, y, clBlack);
    jpg.Assign(&pic);
  }
  auto b = Bmp24(30, 20, clWhite);
  TileGraphic(b.get(), RECT{2, 3, 17, 14}, &jpg);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      const bool inside = x >= 2 && x < 17 && y >= 3 && y < 14;
      ASSERT_EQ((Px(b.get(), x, y) & 0xFF) < 60, inside) << x << "," << y;
    }
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

TEST_F(ItemPaint, TextWithContoursAndDisabledEmboss) {
  // FORMTITLE: white text with black contours on the left and at the bottom.
  auto b = Bmp24(80, 24, 0x00FF00);
  b->Canvas()->Font()->SetName("MS Sans Serif");
  b->Canvas()->Font()->SetHeight(-11);
  const int title = manager->GetSkinIndex("FORMTITLE");
  RECT r{0, 0, 80, 24};
  WriteTextEx(b->Canvas(), "Wm", true, manager.get(), false, title, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
              r);
  int white = 0, black = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 80; ++x) {
      const TColor c = Px(b.get(), x, y);  // text is smoothed: count by what dominates
      white += (c & 0xFF) > 150 && ((c >> 8) & 0xFF) > 150;
      black += ((c >> 8) & 0xFF) < 90;
    }
  EXPECT_GT(white, 5);
  EXPECT_GT(black, 5);
  // Left of the leftmost light pixel of a row lies contour, not background.
  for (int y = 0; y < 24; ++y)
    for (int x = 1; x < 80; ++x)
      if ((Px(b.get(), x, y) & 0xFF) > 150) {
        EXPECT_NE(Px(b.get(), x - 1, y), 0x00FF00) << x << "," << y;
        break;
      }
  // Disabled text is drawn twice, highlight and shadow, one pixel apart.
  auto d = Bmp24(80, 24, 0x00FF00);
  RECT r2{0, 0, 80, 24};
  WriteTextEx(d->Canvas(), "Wm", false, manager.get(), false, title, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
              r2);
  int highlight = 0, shadow = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 80; ++x) {
      const TColor c = Px(d.get(), x, y);
      highlight += (c & 0xFF) > 150 && ((c >> 16) & 0xFF) > 150;                 // towards white
      shadow += (c & 0xFF) > 60 && (c & 0xFF) < 150 && ((c >> 16) & 0xFF) > 60;  // towards grey
    }
  EXPECT_GT(highlight, 3);
  EXPECT_GT(shadow, 3);
}

}  // namespace
}  // namespace qv::test
