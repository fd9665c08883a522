// Gradient strings parsed into steps, and the exact bands they paint: every
// row or column checked against the step arithmetic done independently here.
#include <cmath>

#include "SkinTestSupport.h"
#include "platform/Exception.h"
#include "platform/backend/HeadlessBackend.h"
#include "skin/skGradient.h"

namespace qv::test {
namespace {

const char* kCatalogueGradient = "16753188;16777215;99;0;0;16777215;16777215;0;0;0";

TEST(GradientParse, WordsAndGroupsOfFive) {
  TSkGradArray a;
  PrepareGradArray(kCatalogueGradient, a);
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].Color1, 16753188);
  EXPECT_EQ(a[0].Color2, 16777215);
  EXPECT_EQ(a[0].Percent, 99);
  EXPECT_EQ(a[1].Percent, 0);
  PrepareGradArray("1;2;3;0;0;4;5;6;0;0;7", a);
  EXPECT_EQ(a.size(), 2u);  // an incomplete last group is ignored
  PrepareGradArray("1;2;3;0", a);
  EXPECT_TRUE(a.empty());
  PrepareGradArray(";;1;2;;3;0;0;;", a);  // runs of separators count as one
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].Percent, 3);
  PrepareGradArray("1;2;150;0;0", a);
  EXPECT_EQ(a[0].Percent, 100);
  PrepareGradArray("1;2;-10;0;0", a);
  EXPECT_EQ(a[0].Percent, 246);  // a byte: negative numbers wrap
  PrepareGradArray("", a);
  EXPECT_TRUE(a.empty());
}

TEST(GradientParse, BadWordRaisesWithArrayFilledUpToIt) {
  TSkGradArray a;
  EXPECT_THROW(PrepareGradArray("1;2;3;0;0;4;x;6;0;0", a), EConvertError);
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].Color1, 1);
  EXPECT_EQ(a[1].Color1, 4);
  EXPECT_EQ(a[1].Color2, 0);  // not reached
  EXPECT_TRUE(ParseGradArrayOrEmpty("1;2;3;0;0;4;x;6;0;0").empty());
}

// The expected colour channel of row k of a band from c1 to c2 over d rows.
int Expected(int c1, int c2, int k, int d) {
  double v = c1;
  for (int i = 0; i < k; ++i) v += (c2 - c1) / double(d);
  return int(std::nearbyint(v));
}

class GradientPaint : public ::testing::Test {
 protected:
  HeadlessBackend backend{SIZE{64, 64}};
};

TEST_F(GradientPaint, CatalogueGradientBandsDown) {
  auto b = Bmp24(7, 100, clBlack);
  TSkGradArray a;
  PrepareGradArray(kCatalogueGradient, a);
  PaintGrad(b.get(), RECT{0, 0, 7, 100}, a);
  const TColor c1 = 16753188;
  for (int y = 0; y < 100; ++y) {
    TColor want = TColor(Expected(c1 & 0xFF, 0xFF, y, 99) | Expected((c1 >> 8) & 0xFF, 0xFF, y, 99) << 8 |
                         Expected((c1 >> 16) & 0xFF, 0xFF, y, 99) << 16);
    for (int x = 0; x < 7; ++x) ASSERT_EQ(Px(b.get(), x, y), want) << "row " << y;
  }
  EXPECT_EQ(Px(b.get(), 0, 0), c1);
  EXPECT_EQ(Px(b.get(), 0, 99), 0xFFFFFF);
}

TEST_F(GradientPaint, BoundaryRowTakesTheNextStepsStart) {
  auto b = Bmp24(3, 10, clBlack);
  TSkGradArray a;
  PrepareGradArray("0;255;50;0;0;65280;16711680;50;0;0", a);
  PaintGrad(b.get(), RECT{0, 0, 3, 10}, a);
  EXPECT_EQ(Px(b.get(), 0, 0), 0);
  EXPECT_EQ(Px(b.get(), 1, 5), 65280);  // row 5 ends step 1 and starts step 2
  EXPECT_EQ(Px(b.get(), 1, 9), 16711680);
  EXPECT_EQ(Px(b.get(), 2, 4), TColor(Expected(0, 255, 4, 5)));
}

TEST_F(GradientPaint, LastStepAlwaysReachesTheEndAndClipping) {
  auto b = Bmp24(4, 8, clBlack);
  TSkGradArray a;
  PrepareGradArray("255;255;0;0;0", a);  // percent 0, but the last step runs to the end
  PaintGrad(b.get(), RECT{-5, -5, 40, 40}, a);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 4; ++x) ASSERT_EQ(Px(b.get(), x, y), 255);
  PrepareGradArray("255;255;100;7;0", a);  // unknown mode paints nothing
  auto c = Bmp24(4, 4, clBlack);
  PaintGrad(c.get(), RECT{0, 0, 4, 4}, a);
  EXPECT_EQ(Px(c.get(), 1, 1), 0);
}

TEST_F(GradientPaint, BandsAcrossAreTheSameOnEveryRow) {
  auto b = Bmp24(11, 5, clBlack);
  TSkGradArray a;
  PrepareGradArray("0;16711680;100;1;0", a);
  PaintGrad(b.get(), RECT{1, 1, 11, 4}, a);
  for (int y = 1; y < 4; ++y)
    for (int x = 1; x < 11; ++x) ASSERT_EQ(Px(b.get(), x, y), TColor(Expected(0, 255, x - 1, 9) << 16));
  EXPECT_EQ(Px(b.get(), 0, 0), 0);  // outside R untouched
  EXPECT_EQ(Px(b.get(), 5, 4), 0);
}

TEST_F(GradientPaint, TrianglesShadeBetweenTheirVertices) {
  auto b = Bmp24(41, 41, clBlack);
  TSkGradArray one;
  PrepareGradArray("255;0;0;2;0", one);
  PaintGrad(b.get(), RECT{0, 0, 41, 41}, one);
  for (int y = 0; y < 41; y += 5)
    for (int x = 0; x < 41; x += 5) ASSERT_EQ(Px(b.get(), x, y), 255);  // one step: uniform
  TSkGradArray five;
  PrepareGradArray("0;0;0;2;0;16777215;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0", five);
  auto c = Bmp24(41, 41, clBlack);
  PaintGrad(c.get(), RECT{0, 0, 41, 41}, five);
  EXPECT_GE(Px(c.get(), 20, 20) & 0xFF, 240);  // next to the white centre vertex
  EXPECT_LE(Px(c.get(), 1, 1) & 0xFF, 30);     // the corners are black
  // Half way between a corner and the centre the grey is about half.
  const int mid = Px(c.get(), 10, 20) & 0xFF;
  EXPECT_NEAR(mid, 128, 20);
}

}  // namespace
}  // namespace qv::test
