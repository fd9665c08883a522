// Pictures resampled for another screen density: doubled they keep their
// hard edges pixel for pixel, other factors average the area each new pixel
// covers, and transparent pixels lend no colour to their neighbours.
#include <gtest/gtest.h>

#include "platform/image/SurfaceScale.h"

namespace qv {
namespace {

constexpr uint32_t kRed = PixelRGB(255, 0, 0), kBlue = PixelRGB(0, 0, 255), kClear = 0;

TEST(SurfaceScale, DoublingRepeatsEveryPixelAsASquare) {
  Surface s(3, 2, kClear);
  s.Set(0, 0, kRed), s.Set(2, 1, kBlue), s.Set(1, 0, PixelRGB(10, 20, 30, 128));
  Surface d = ScaleSurface(s, 6, 4);
  ASSERT_EQ(d.Width, 6);
  ASSERT_EQ(d.Height, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(d.At(x, y), s.At(x / 2, y / 2)) << x << "," << y;
}

TEST(SurfaceScale, OtherFactorsAverageTheAreaAndKeepTransparencyApart) {
  // Red beside transparent, shrunk to one pixel: half covered, all red.
  Surface s(2, 1, kClear);
  s.Set(0, 0, kRed);
  Surface one = ScaleSurface(s, 1, 1);
  EXPECT_EQ(PixelR(one.At(0, 0)), 255);
  EXPECT_EQ(PixelB(one.At(0, 0)), 0);
  EXPECT_NEAR(PixelA(one.At(0, 0)), 128, 1);
  // Red and blue stretched by 1.5: the ends keep their colours, the middle mixes.
  Surface rb(2, 1, kRed);
  rb.Set(1, 0, kBlue);
  Surface three = ScaleSurface(rb, 3, 1);
  EXPECT_EQ(three.At(0, 0), kRed);
  EXPECT_EQ(three.At(2, 0), kBlue);
  EXPECT_NEAR(PixelR(three.At(1, 0)), 128, 1);
  EXPECT_NEAR(PixelB(three.At(1, 0)), 128, 1);
  // Nothing to scale, or nowhere to put it.
  EXPECT_EQ(ScaleSurface(s, 0, 5).Width, 0);
  EXPECT_EQ(ScaleSurface(Surface(), 4, 4).At(3, 3), kClear);
}

}  // namespace
}  // namespace qv
