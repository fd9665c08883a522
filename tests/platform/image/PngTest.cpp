// The PNG codec: alpha survives a round trip, files are written for
// screenshots, and bad data gives an error rather than an image.
#include <gtest/gtest.h>

#include "platform/image/Png.h"
#include "tests/common/TempDir.h"
#include "tests/platform/image/ImageTestUtil.h"

namespace qv {
namespace {

using test::Bytes;

TEST(PngTest, RoundTripKeepsAlphaOrDropsIt) {
  Surface src = test::RandomSurface(13, 7, 3, true);
  std::string png;
  ASSERT_TRUE(EncodePng(src, png));
  ASSERT_EQ(png.substr(1, 3), "PNG");
  Surface back;
  bool alpha = false;
  std::string error;
  ASSERT_TRUE(DecodePng(Bytes(png), png.size(), back, &error, &alpha)) << error;
  EXPECT_TRUE(alpha);
  EXPECT_EQ(back.Width, 13);
  EXPECT_EQ(back.Pixels, src.Pixels);

  ASSERT_TRUE(EncodePng(src, png, false));
  ASSERT_TRUE(DecodePng(Bytes(png), png.size(), back, &error, &alpha)) << error;
  EXPECT_FALSE(alpha);
  for (size_t i = 0; i < src.Pixels.size(); ++i) EXPECT_EQ(back.Pixels[i], src.Pixels[i] | 0xFF000000u);

  EXPECT_FALSE(EncodePng(Surface(), png));
}

TEST(PngTest, ScreenshotFileIsOpaque) {
  test::TempDir dir;
  Surface screen = test::RandomSurface(5, 4, 11, true);
  ASSERT_TRUE(WritePngFile(dir / "shot.png", screen));
  Surface back;
  bool alpha = true;
  ASSERT_TRUE(LoadPngFile(dir / "shot.png", back, nullptr, &alpha));
  EXPECT_FALSE(alpha);
  EXPECT_EQ(back.At(4, 3), screen.At(4, 3) | 0xFF000000u);
  EXPECT_FALSE(WritePngFile(dir / "no/such/folder/shot.png", screen));
  EXPECT_FALSE(LoadPngFile(dir / "missing.png", back));
}

TEST(PngTest, BadDataIsRefused) {
  std::string png;
  ASSERT_TRUE(EncodePng(test::RandomSurface(4, 4, 5, true), png));
  Surface untouched(1, 1, 0x12345678);
  std::string error;
  std::string garbage = "not a png at all";
  EXPECT_FALSE(DecodePng(Bytes(garbage), garbage.size(), untouched, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(DecodePng(nullptr, 0, untouched, &error));
  std::string cut = png.substr(0, png.size() / 2);
  EXPECT_FALSE(DecodePng(Bytes(cut), cut.size(), untouched, &error));
  // A failed decode leaves the output as it was.
  EXPECT_EQ(untouched.Pixels, std::vector<uint32_t>{0x12345678});
}

}  // namespace
}  // namespace qv
