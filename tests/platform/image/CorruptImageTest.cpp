// Damaged and hostile files for every codec: each truncation and many random
// byte changes must give a clean result or a clean error; no crash, no leak
// (the sanitizer build checks), and no allocation beyond what a small image needs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include "platform/image/Bmp.h"
#include "platform/image/Jpeg.h"
#include "platform/image/Png.h"
#include "tests/platform/image/ImageTestUtil.h"

// The largest single C++ allocation, to show hostile headers do not cause wild ones.
static std::atomic<size_t> g_largestAllocation{0};

void* operator new(size_t size) {
  size_t seen = g_largestAllocation.load();
  while (size > seen && !g_largestAllocation.compare_exchange_weak(seen, size)) {
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, size_t) noexcept {
  std::free(p);
}

namespace qv {
namespace {

using test::Bytes;

// A mutated file may decode to a larger image than the original, but never to
// more than the data could describe; 64 MB is far above that for these samples.
constexpr size_t kAllocationBound = size_t(64) << 20;

uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return ~c;
}

// Recomputes every chunk's checksum, so a mutation reaches the decoder instead
// of stopping at the checksum test.
void FixPngChecksums(std::string& png) {
  size_t pos = 8;
  while (pos + 12 <= png.size()) {
    const auto* p = Bytes(png) + pos;
    size_t length = size_t(p[0]) << 24 | size_t(p[1]) << 16 | size_t(p[2]) << 8 | p[3];
    if (length > png.size() - pos - 12) return;
    uint32_t crc = Crc32(p + 4, length + 4);
    for (int k = 0; k < 4; ++k) png[pos + 8 + length + k] = char(crc >> (24 - 8 * k));
    pos += length + 12;
  }
}

enum class Codec { Bmp, Png, Jpeg };

// Decodes; true when an image came out. Only the codec's own error may escape.
bool TryDecode(Codec codec, const std::string& data) {
  Surface s;
  switch (codec) {
    case Codec::Bmp: {
      BmpInfo info;
      bool ok = DecodeBmp(Bytes(data), data.size(), s, nullptr, &info);
      if (ok && info.BitCount <= 8) {
        EXPECT_EQ(info.Indices.size(), s.Pixels.size());
      }
      return ok;
    }
    case Codec::Png:
      return DecodePng(Bytes(data), data.size(), s);
    case Codec::Jpeg:
      try {
        s = DecodeJpeg(Bytes(data), data.size());
        return true;
      } catch (const EJPEGError&) {
        return false;
      }
  }
  return false;
}

struct Sample {
  const char* Name;
  Codec Kind;
  std::string Data;
};

std::vector<Sample> Samples() {
  std::vector<Sample> samples;
  Surface small = test::RandomSurface(9, 6, 77, true);
  samples.push_back({"bmp32", Codec::Bmp, EncodeBmp(small, 32)});
  samples.push_back({"bmp24", Codec::Bmp, EncodeBmp(small, 24)});
  test::BmpSpec rle{.Width = 6, .Height = 3, .BitCount = 8, .Compression = 1, .ColorsUsed = 4};
  rle.Palette = {0, 0xFF, 0xFF00, 0xFF0000};
  rle.Pixels = std::string("\4\1\0\0\0\3\1\2\3\0\0\2\1\1\2\2\0\1", 18);
  samples.push_back({"bmp-rle8", Codec::Bmp, test::BuildBmp(rle)});
  test::BmpSpec pal{.Width = 5, .Height = 2, .BitCount = 4, .ColorsUsed = 3};
  pal.Palette = {0x123456, 0xFFFFFF, 0};
  pal.Pixels = std::string("\x01\x20\x10\0\x22\x11\x00\0", 8);
  samples.push_back({"bmp-4bpp", Codec::Bmp, test::BuildBmp(pal)});
  std::string png;
  EncodePng(small, png);
  samples.push_back({"png", Codec::Png, png});
  samples.push_back({"jpeg", Codec::Jpeg, EncodeJpeg(test::GradientSurface(24, 16), 80)});
  return samples;
}

TEST(CorruptImageTest, EveryTruncationFailsCleanly) {
  for (const Sample& s : Samples()) {
    ASSERT_TRUE(TryDecode(s.Kind, s.Data)) << s.Name;
    for (size_t n = 0; n < s.Data.size(); ++n) TryDecode(s.Kind, s.Data.substr(0, n));
  }
  EXPECT_LT(g_largestAllocation.load(), kAllocationBound);
}

TEST(CorruptImageTest, RandomByteChangesFailCleanly) {
  std::mt19937 rng(20240611);
  for (const Sample& s : Samples()) {
    int decoded = 0;
    for (int round = 0; round < 1500; ++round) {
      std::string data = s.Data;
      int changes = 1 + int(rng() % 4);
      for (int k = 0; k < changes; ++k) data[rng() % data.size()] = char(rng());
      if (s.Kind == Codec::Png) FixPngChecksums(data);
      decoded += TryDecode(s.Kind, data);
    }
    // Some changes must leave a decodable file, or the mutations never got past the first check.
    EXPECT_GT(decoded, 0) << s.Name;
  }
  EXPECT_LT(g_largestAllocation.load(), kAllocationBound);
}

TEST(CorruptImageTest, HugeClaimedSizesAreRefused) {
  auto put32 = [](std::string& d, size_t at, uint32_t v, bool bigEndian) {
    for (int k = 0; k < 4; ++k) d[at + k] = char(v >> (bigEndian ? 24 - 8 * k : 8 * k));
  };
  std::string bmp = EncodeBmp(Surface(4, 4), 24);
  put32(bmp, 18, 30000, false);
  put32(bmp, 22, 30000, false);
  EXPECT_FALSE(TryDecode(Codec::Bmp, bmp));

  std::string png;
  ASSERT_TRUE(EncodePng(Surface(4, 4), png));
  put32(png, 16, 60000, true);  // IHDR width and height
  put32(png, 20, 60000, true);
  FixPngChecksums(png);
  EXPECT_FALSE(TryDecode(Codec::Png, png));

  std::string jpeg = EncodeJpeg(Surface(8, 8));
  size_t sof = jpeg.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  jpeg[sof + 5] = jpeg[sof + 6] = jpeg[sof + 7] = jpeg[sof + 8] = char(0x7F);  // 32639 x 32639
  EXPECT_FALSE(TryDecode(Codec::Jpeg, jpeg));
  EXPECT_LT(g_largestAllocation.load(), kAllocationBound);
}

}  // namespace
}  // namespace qv
