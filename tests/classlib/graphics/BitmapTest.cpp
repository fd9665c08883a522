// TBitmap pixels, rows and BMP streams; TPicture's choice of graphic by
// extension; TJPEGImage's failure on bad data.
#include <gtest/gtest.h>

#include <filesystem>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/JpegImage.h"
#include "classlib/graphics/Picture.h"

namespace qv {
namespace {

TEST(Bitmap, NewIsWhiteAndScanLineWritesShowOnTheCanvas) {
  TBitmap bmp(7, 5, pf24bit);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(bmp.Canvas()->Pixels(x, y), clWhite);
  uint8_t* row = bmp.ScanLine(4);  // the bottom row: rows are addressed top-down
  row[3 * 2 + 0] = 0x30, row[3 * 2 + 1] = 0x20, row[3 * 2 + 2] = 0x10;
  EXPECT_EQ(bmp.Canvas()->Pixels(2, 4), TColor(RGB(0x10, 0x20, 0x30)));
  EXPECT_THROW(bmp.ScanLine(5), EInvalidGraphicOperation);

  bmp.SetSize(9, 6);  // keeps the old pixels, the new ones are white
  EXPECT_EQ(bmp.Canvas()->Pixels(2, 4), TColor(RGB(0x10, 0x20, 0x30)));
  EXPECT_EQ(bmp.Canvas()->Pixels(8, 5), clWhite);
  EXPECT_EQ(bmp.TransparentColor(), clWhite);  // the bottom-left pixel
}

TEST(Bitmap, StreamsRoundTripAt24And32Bits) {
  for (TPixelFormat f : {pf24bit, pf32bit}) {
    TBitmap bmp(6, 4, f);
    for (int y = 0; y < 4; ++y) {
      uint8_t* row = bmp.ScanLine(y);
      int bpp = f == pf24bit ? 3 : 4;
      for (int x = 0; x < 6; ++x) {
        row[x * bpp] = uint8_t(x * 40), row[x * bpp + 1] = uint8_t(y * 60), row[x * bpp + 2] = 7;
        if (bpp == 4) row[x * bpp + 3] = uint8_t(255 - x);
      }
    }
    TMemoryStream ms;
    bmp.SaveToStream(ms);
    ms.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(ms);
    EXPECT_EQ(back.PixelFormat(), f);
    EXPECT_EQ(back.ToSurface().Pixels, bmp.ToSurface().Pixels);
  }
  TMemoryStream junk;
  junk.WriteBuffer("BMxxxx", 6);
  junk.SetPosition(0);
  TBitmap bad;
  EXPECT_THROW(bad.LoadFromStream(junk), EInvalidGraphic);
}

TEST(Bitmap, MaskAndAssign) {
  TBitmap bmp(4, 4, pf24bit);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(RECT{0, 0, 2, 4});
  TBitmap copy;
  copy.Assign(&bmp);
  EXPECT_EQ(copy.ToSurface().Pixels, bmp.ToSurface().Pixels);
  copy.Mask(clRed);
  EXPECT_TRUE(copy.Monochrome());
  EXPECT_EQ(copy.Canvas()->Pixels(0, 0), clWhite);
  EXPECT_EQ(copy.Canvas()->Pixels(3, 0), clBlack);
  EXPECT_EQ(bmp.Canvas()->Pixels(0, 0), clRed);  // the original is untouched
}

class PictureFiles : public ::testing::Test {
 protected:
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "qv_picture_test";
  void SetUp() override { std::filesystem::create_directories(dir); }
  void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(PictureFiles, LoadChoosesTheGraphicByExtension) {
  TBitmap bmp(8, 6, pf24bit);
  bmp.Canvas()->Brush()->SetColor(clBlue);
  bmp.Canvas()->FillRect(RECT{0, 0, 8, 6});
  bmp.SaveToFile((dir / "a.BMP").string());
  TJPEGImage jpg;
  jpg.Assign(&bmp);
  jpg.SaveToFile((dir / "a.jpeg").string());

  TPicture pic;
  int changes = 0;
  pic.OnChange = [&](TObject*) { ++changes; };
  pic.LoadFromFile((dir / "a.BMP").string());
  EXPECT_NE(dynamic_cast<TBitmap*>(pic.Graphic()), nullptr);
  pic.LoadFromFile((dir / "a.jpeg").string());
  ASSERT_NE(dynamic_cast<TJPEGImage*>(pic.Graphic()), nullptr);
  EXPECT_EQ(pic.Width(), 8);
  EXPECT_EQ(changes, 2);

  TBitmap decoded;
  decoded.Assign(pic.Graphic());  // a JPEG image converts into a bitmap
  TColor c = decoded.Canvas()->Pixels(4, 3);
  EXPECT_GT(GetBValue(COLORREF(c)), 200);
  EXPECT_LT(GetRValue(COLORREF(c)), 40);
  EXPECT_THROW(pic.LoadFromFile((dir / "a.gif").string()), EInvalidGraphic);
}

TEST(JpegImage, BadDataRaisesTheJpegError) {
  TMemoryStream ms;
  ms.WriteBuffer("\xFF\xD8\xFF\xE0 not really a jpeg", 22);
  ms.SetPosition(0);
  TJPEGImage jpg;
  EXPECT_THROW(jpg.LoadFromStream(ms), EJPEGError);
  EXPECT_TRUE(jpg.Empty());
}

}  // namespace
}  // namespace qv
