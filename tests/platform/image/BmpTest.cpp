// The BMP codec: round trips, every pixel layout the reader knows built by hand,
// and the refusals of malformed headers.
#include <gtest/gtest.h>

#include "platform/image/Bmp.h"
#include "tests/common/TempDir.h"
#include "tests/platform/image/ImageTestUtil.h"

namespace qv {
namespace {

using test::BmpSpec;
using test::BuildBmp;
using test::Bytes;

struct Decoded {
  bool Ok = false;
  Surface Image;
  BmpInfo Info;
  std::string Error;
};

Decoded Decode(const std::string& file) {
  Decoded d;
  d.Ok = DecodeBmp(Bytes(file), file.size(), d.Image, &d.Error, &d.Info);
  return d;
}

TEST(BmpTest, RoundTripKeepsPixelsAtBothDepths) {
  // Odd widths exercise row padding; 32 bpp keeps alpha, 24 bpp makes every pixel opaque.
  for (int w : {1, 3, 7}) {
    Surface src = test::RandomSurface(w, 5, uint32_t(w), true);
    Decoded d32 = Decode(EncodeBmp(src, 32));
    ASSERT_TRUE(d32.Ok) << d32.Error;
    EXPECT_EQ(d32.Image.Pixels, src.Pixels);
    EXPECT_TRUE(d32.Info.HasAlpha);

    Decoded d24 = Decode(EncodeBmp(src, 24));
    ASSERT_TRUE(d24.Ok) << d24.Error;
    ASSERT_EQ(d24.Image.Width, w);
    for (size_t i = 0; i < src.Pixels.size(); ++i)
      EXPECT_EQ(d24.Image.Pixels[i], src.Pixels[i] | 0xFF000000u);
    EXPECT_FALSE(d24.Info.HasAlpha);
    EXPECT_EQ(d24.Info.BitCount, 24);
  }
  EXPECT_TRUE(EncodeBmp(Surface(2, 2), 8).empty());
  EXPECT_TRUE(EncodeBmp(Surface(), 24).empty());
}

TEST(BmpTest, FilesSaveAndLoad) {
  test::TempDir dir;
  Surface src = test::RandomSurface(4, 3, 9, false);
  ASSERT_TRUE(SaveBmpFile(dir / "a.bmp", src, 24));
  Surface back;
  ASSERT_TRUE(LoadBmpFile(dir / "a.bmp", back));
  EXPECT_EQ(back.Pixels, src.Pixels);
  std::string error;
  EXPECT_FALSE(LoadBmpFile(dir / "missing.bmp", back, &error));
  EXPECT_FALSE(error.empty());
}

TEST(BmpTest, IndexedDepthsUsePaletteAndKeepIndices) {
  // 1 bpp, 10 wide: two data bytes padded to four; the file's first row is the bottom one.
  BmpSpec mono{.Width = 10, .Height = 2, .BitCount = 1, .Palette = {0xFF0000, 0x0000FF}};
  mono.Pixels = std::string("\xA0\x40\0\0\xFF\xC0\0\0", 8);
  Decoded d = Decode(BuildBmp(mono));
  ASSERT_TRUE(d.Ok) << d.Error;
  std::vector<uint8_t> expected = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  //
                                   1, 0, 1, 0, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(d.Info.Indices, expected);
  EXPECT_EQ(d.Image.At(0, 0), PixelRGB(0, 0, 255));
  EXPECT_EQ(d.Image.At(1, 1), PixelRGB(255, 0, 0));

  MonoBitmap m;
  ASSERT_TRUE(DecodeBmpMono(Bytes(BuildBmp(mono)), BuildBmp(mono).size(), m));
  EXPECT_EQ(m.Bits, expected);
  EXPECT_EQ(m.Colors[1], PixelRGB(0, 0, 255));

  // 4 bpp with a short palette: an index past its end is black.
  BmpSpec four{
      .Width = 3, .Height = 1, .BitCount = 4, .Palette = {0x102030, 0x405060, 0x708090}, .ColorsUsed = 3};
  four.Pixels = std::string("\x1F\x20\0\0", 4);
  d = Decode(BuildBmp(four));
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_EQ(d.Info.Indices, (std::vector<uint8_t>{1, 15, 2}));
  EXPECT_EQ(d.Image.At(0, 0), PixelRGB(0x40, 0x50, 0x60));
  EXPECT_EQ(d.Image.At(1, 0), PixelRGB(0, 0, 0));
  EXPECT_FALSE(DecodeBmpMono(Bytes(BuildBmp(four)), BuildBmp(four).size(), m));

  // 8 bpp top-down.
  BmpSpec eight{
      .Width = 2, .Height = -2, .BitCount = 8, .Palette = {0x000001, 0x000002, 0x000003}, .ColorsUsed = 3};
  eight.Pixels = std::string("\0\1\0\0\2\0\0\0", 8);
  d = Decode(BuildBmp(eight));
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_TRUE(d.Info.TopDown);
  EXPECT_EQ(d.Info.Indices, (std::vector<uint8_t>{0, 1, 2, 0}));
  EXPECT_EQ(d.Image.At(0, 1), PixelRGB(0, 0, 3));
}

TEST(BmpTest, SixteenBitLayoutsWidenToEightBits) {
  BmpSpec rgb555{.Width = 3, .Height = 1, .BitCount = 16};
  rgb555.Pixels = std::string("\xFF\x7F\x1F\x00\x10\x42\0\0", 8);
  Decoded d = Decode(BuildBmp(rgb555));
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_EQ(d.Image.At(0, 0), PixelRGB(255, 255, 255));
  EXPECT_EQ(d.Image.At(1, 0), PixelRGB(0, 0, 255));
  EXPECT_EQ(d.Image.At(2, 0), PixelRGB(131, 131, 131));

  BmpSpec rgb565{
      .Width = 2, .Height = 1, .BitCount = 16, .Compression = 3, .Masks = {0xF800, 0x07E0, 0x001F}};
  rgb565.Pixels = std::string("\x00\xF8\xE0\x07", 4);
  d = Decode(BuildBmp(rgb565));
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_EQ(d.Image.At(0, 0), PixelRGB(255, 0, 0));
  EXPECT_EQ(d.Image.At(1, 0), PixelRGB(0, 255, 0));
  EXPECT_FALSE(d.Info.HasAlpha);
}

TEST(BmpTest, ThirtyTwoBitAlphaAndBitFields) {
  // A V5 header, top-down, with an alpha mask.
  BmpSpec v5{.Width = 2,
             .Height = -1,
             .BitCount = 32,
             .Compression = 3,
             .HeaderSize = 124,
             .Masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000u}};
  v5.Pixels = std::string("\x10\x20\x30\x80\x01\x02\x03\x00", 8);
  Decoded d = Decode(BuildBmp(v5));
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_TRUE(d.Info.HasAlpha);
  EXPECT_EQ(d.Image.At(0, 0), PixelRGB(0x30, 0x20, 0x10, 0x80));
  EXPECT_EQ(d.Image.At(1, 0), PixelRGB(3, 2, 1, 0));

  // Plain 32 bpp whose fourth byte is all zero: the usual "unused" byte, so opaque.
  BmpSpec plain{.Width = 2, .Height = 1, .BitCount = 32};
  plain.Pixels = std::string("\x10\x20\x30\x00\x01\x02\x03\x00", 8);
  d = Decode(BuildBmp(plain));
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_FALSE(d.Info.HasAlpha);
  EXPECT_EQ(d.Image.At(0, 0), PixelRGB(0x30, 0x20, 0x10));

  // Ten-bit channels in unusual places.
  BmpSpec wide{.Width = 1,
               .Height = 1,
               .BitCount = 32,
               .Compression = 3,
               .Masks = {0x000003FF, 0x000FFC00, 0x3FF00000}};
  test::Put32(wide.Pixels, 0x3FFu | 0x200u << 10 | 0u << 20);
  d = Decode(BuildBmp(wide));
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_EQ(d.Image.At(0, 0), PixelRGB(255, 128, 0));
}

TEST(BmpTest, RunLengthEncodingsDecode) {
  // RLE8, 4x3, bottom-up: a run; an absolute run with padding; a delta, a run, end of bitmap.
  BmpSpec rle8{.Width = 4, .Height = 3, .BitCount = 8, .Compression = 1, .ColorsUsed = 8};
  for (uint32_t i = 0; i < 8; ++i) rle8.Palette.push_back(i * 0x10);
  rle8.Pixels = std::string(
      "\3\5\0\0"
      "\0\3\1\2\3\0\0\0"
      "\0\2\1\0\2\7\0\1",
      20);
  Decoded d = Decode(BuildBmp(rle8));
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_EQ(d.Info.Indices, (std::vector<uint8_t>{0, 7, 7, 0, 1, 2, 3, 0, 5, 5, 5, 0}));
  EXPECT_EQ(d.Image.At(1, 0), PixelRGB(0, 0, 0x70));

  // RLE4, 5x2: alternating nibbles; an absolute run of three nibbles.
  BmpSpec rle4{.Width = 5, .Height = 2, .BitCount = 4, .Compression = 2, .ColorsUsed = 6};
  for (uint32_t i = 0; i < 6; ++i) rle4.Palette.push_back(i);
  rle4.Pixels = std::string(
      "\5\x12\0\0"
      "\0\3\x34\x50\0\1",
      10);
  d = Decode(BuildBmp(rle4));
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_EQ(d.Info.Indices, (std::vector<uint8_t>{3, 4, 5, 0, 0, 1, 2, 1, 2, 1}));

  // Runs past the right edge and rows past the top are dropped, not written.
  rle8.Pixels = std::string("\xFF\1\0\0\0\2\0\x7F\4\6", 10);
  d = Decode(BuildBmp(rle8));
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_EQ(d.Info.Indices, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1}));
}

TEST(BmpTest, CoreHeaderAndPackedDib) {
  BmpSpec core{.Width = 2, .Height = 1, .BitCount = 8, .HeaderSize = 12};
  core.Palette.assign(256, 0);
  core.Palette[1] = 0xABCDEF;
  core.Pixels = std::string("\1\0\0\0", 4);
  Decoded d = Decode(BuildBmp(core));
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_EQ(d.Image.At(0, 0), PixelRGB(0xAB, 0xCD, 0xEF));

  BmpSpec dib{.Width = 1, .Height = 1, .BitCount = 24};
  dib.Pixels = std::string("\1\2\3\0", 4);
  std::string packed = test::BuildDib(dib) + dib.Pixels;
  Surface s;
  ASSERT_TRUE(DecodeDib(Bytes(packed), packed.size(), s));
  EXPECT_EQ(s.At(0, 0), PixelRGB(3, 2, 1));
}

TEST(BmpTest, MalformedFilesAreRefusedWithAReason) {
  auto valid = [] {
    BmpSpec b{.Width = 2, .Height = 2, .BitCount = 8, .Palette = {0, 0xFFFFFF}, .ColorsUsed = 2};
    b.Pixels = std::string(8, '\1');
    return b;
  };
  ASSERT_TRUE(Decode(BuildBmp(valid())).Ok);
  std::vector<std::pair<const char*, std::string>> cases;
  auto add = [&](const char* what, auto change) {
    BmpSpec b = valid();
    change(b);
    cases.emplace_back(what, BuildBmp(b));
  };
  add("zero width", [](BmpSpec& b) { b.Width = 0; });
  add("negative width", [](BmpSpec& b) { b.Width = -5; });
  add("absurd size", [](BmpSpec& b) { b.Width = 30000, b.Height = 30000; });
  add("odd depth", [](BmpSpec& b) { b.BitCount = 7; });
  add("unknown compression", [](BmpSpec& b) { b.Compression = 9; });
  add("RLE at the wrong depth", [](BmpSpec& b) { b.Compression = 2; });
  add("top-down RLE", [](BmpSpec& b) { b.Compression = 1, b.Height = -2; });
  add("offset past the end", [](BmpSpec& b) { b.OffBits = 1000; });
  add("offset inside the header", [](BmpSpec& b) { b.OffBits = 20; });
  add("palette overrun", [](BmpSpec& b) { b.ColorsUsed = 200, b.Pixels.clear(); });
  add("pixels truncated", [](BmpSpec& b) { b.Pixels.resize(5); });
  add("unknown header", [](BmpSpec& b) { b.HeaderSize = 20; });
  add("RLE far too large for its data", [](BmpSpec& b) {
    b.Compression = 1, b.Width = 20000, b.Height = 1600, b.Pixels = std::string("\0\1", 2);
  });
  std::string notBmp = BuildBmp(valid());
  notBmp[0] = 'X';
  cases.emplace_back("wrong magic", notBmp);
  cases.emplace_back("header only", BuildBmp(valid()).substr(0, 20));

  for (const auto& [what, file] : cases) {
    Decoded d = Decode(file);
    EXPECT_FALSE(d.Ok) << what;
    EXPECT_FALSE(d.Error.empty()) << what;
  }
}

}  // namespace
}  // namespace qv
