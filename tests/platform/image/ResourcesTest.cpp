// Compiled-in resources: this program embeds tests/platform/image/resources/
// (one 3x3 PNG, "test/dot") through qv_embed_resources.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/image/Bmp.h"
#include "platform/image/Resources.h"

namespace qv {
namespace {

TEST(ResourcesTest, EmbeddedFileIsFoundByNameWithoutExtension) {
  const std::string_view* dot = FindResource("test/dot");
  ASSERT_NE(dot, nullptr);
  EXPECT_EQ(dot->substr(0, 4), "\x89PNG");
  EXPECT_EQ(FindResource("test/dot"), dot);  // the same view every time
  EXPECT_EQ(FindResource("test/dot.png"), nullptr);
  EXPECT_EQ(FindResource("dot"), nullptr);
  std::vector<std::string> names = ResourceNames();
  EXPECT_NE(std::find(names.begin(), names.end(), "test/dot"), names.end());

  Surface s;
  bool alpha = false;
  ASSERT_TRUE(LoadResourceSurface("test/dot", s, &alpha));
  EXPECT_TRUE(alpha);
  ASSERT_EQ(s.Width, 3);
  ASSERT_EQ(s.Height, 3);
  EXPECT_EQ(PixelA(s.At(0, 0)), 0);
  EXPECT_EQ(s.At(1, 1), PixelRGB(0, 0, 255));
  EXPECT_EQ(s.At(2, 2), PixelRGB(255, 0, 0));
  EXPECT_FALSE(LoadResourceSurface("missing", s));
}

TEST(ResourcesTest, RegisteredBitmapsAndBadDataLoadAsExpected) {
  static const std::string bmp = EncodeBmp(Surface(2, 1, PixelRGB(1, 2, 3)), 24);
  static const unsigned char junk[] = {1, 2, 3};
  static const ResourceEntry entries[] = {
      {"runtime/bmp", reinterpret_cast<const unsigned char*>(bmp.data()), bmp.size()},
      {"runtime/junk", junk, sizeof junk},
  };
  RegisterResources(entries, 2);
  Surface s;
  ASSERT_TRUE(LoadResourceSurface("runtime/bmp", s));
  EXPECT_EQ(s.At(1, 0), PixelRGB(1, 2, 3));
  ASSERT_NE(FindResource("runtime/junk"), nullptr);
  EXPECT_FALSE(LoadResourceSurface("runtime/junk", s));
}

}  // namespace
}  // namespace qv
