// The JPEG codec: lossy round trips within a tolerance, grey images, scaled
// decoding, and libjpeg's errors arriving as EJPEGError.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/image/Jpeg.h"
#include "tests/common/TempDir.h"
#include "tests/platform/image/ImageTestUtil.h"

namespace qv {
namespace {

using test::Bytes;

int MaxChannelDifference(const Surface& a, const Surface& b) {
  int worst = 0;
  for (size_t i = 0; i < a.Pixels.size(); ++i) {
    uint32_t p = a.Pixels[i], q = b.Pixels[i];
    worst = std::max({worst, std::abs(PixelR(p) - PixelR(q)), std::abs(PixelG(p) - PixelG(q)),
                      std::abs(PixelB(p) - PixelB(q))});
  }
  return worst;
}

TEST(JpegTest, RoundTripStaysCloseAndOpaque) {
  Surface src = test::GradientSurface(40, 24);
  std::string jpeg = EncodeJpeg(src, 95);
  Surface back = DecodeJpeg(Bytes(jpeg), jpeg.size());
  ASSERT_EQ(back.Width, 40);
  ASSERT_EQ(back.Height, 24);
  EXPECT_LE(MaxChannelDifference(src, back), 8);
  for (uint32_t p : back.Pixels) ASSERT_EQ(PixelA(p), 0xFF);

  test::TempDir dir;
  std::string path = dir / "a.jpg";
  {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(jpeg.data(), 1, jpeg.size(), f);
    std::fclose(f);
  }
  EXPECT_EQ(LoadJpegFile(path).Pixels, back.Pixels);
  EXPECT_THROW(LoadJpegFile(dir / "missing.jpg"), EJPEGError);
}

TEST(JpegTest, OptionsScaleAndGrey) {
  Surface src = test::GradientSurface(64, 32);
  std::string jpeg = EncodeJpeg(src);
  Surface quarter = DecodeJpeg(Bytes(jpeg), jpeg.size(), {.ScaleDenominator = 4});
  EXPECT_EQ(quarter.Width, 16);
  EXPECT_EQ(quarter.Height, 8);
  Surface grey = DecodeJpeg(Bytes(jpeg), jpeg.size(), {.Grayscale = true, .FastDct = true});
  ASSERT_EQ(grey.Width, 64);
  for (uint32_t p : grey.Pixels) {
    ASSERT_EQ(PixelR(p), PixelG(p));
    ASSERT_EQ(PixelG(p), PixelB(p));
  }
  // A grey file stays grey and decodes to the same size.
  std::string greyJpeg = EncodeJpeg(grey);
  EXPECT_EQ(DecodeJpeg(Bytes(greyJpeg), greyJpeg.size()).Width, 64);
}

TEST(JpegTest, ErrorsThrowEJPEGError) {
  std::string garbage = "definitely not a jpeg";
  EXPECT_THROW(DecodeJpeg(Bytes(garbage), garbage.size()), EJPEGError);
  EXPECT_THROW(DecodeJpeg(nullptr, 0), EJPEGError);
  std::string jpeg = EncodeJpeg(test::GradientSurface(8, 8));
  std::string headerOnly = jpeg.substr(0, 20);
  try {
    DecodeJpeg(Bytes(headerOnly), headerOnly.size());
    ADD_FAILURE() << "a file cut inside its header decoded";
  } catch (const Exception& e) {
    EXPECT_NE(dynamic_cast<const EJPEGError*>(&e), nullptr);
    EXPECT_FALSE(e.Message.empty());
  }
  EXPECT_THROW(EncodeJpeg(Surface()), EJPEGError);
}

}  // namespace
}  // namespace qv
