// The data tree demo program on a real X server (Xvfb, skipped when it is not
// installed): its window read back from the server.
// gtest and the demo first: Xlib's macros clash with their names.
#include <gtest/gtest.h>

#include "demo/tree/TreeDemoForm.h"
#include "platform/image/Png.h"
#include "tests/common/XvfbSupport.h"

namespace qv::test {
namespace {

TEST(TreeDemoX11, WindowReadBackFromTheServer) {
  if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  auto png = std::filesystem::temp_directory_path() / ("qv_tree_demo_" + std::to_string(getpid()) + ".png");
  std::string errors;
  ASSERT_EQ(RunProgram(QV_TREE_DEMO_PROGRAM, server.Display().c_str(), "--x11-selftest", png.string(), errors,
                       "", 30000ms),
            0)
      << errors;
  Surface shot;
  ASSERT_TRUE(LoadPngFile(png.string(), shot));
  std::filesystem::remove(png);
  ASSERT_EQ(shot.Width, treedemo::kClient.cx);
  ASSERT_EQ(shot.Height, treedemo::kClient.cy);
  // The header in button face, and text in the first rows.
  EXPECT_EQ(shot.At(100, 5) & 0xFFFFFF, PixelRGB(212, 208, 200) & 0xFFFFFF);
  int dark = 0;
  for (int y = 20; y < 60; ++y)
    for (int x = 100; x < 200; ++x) {
      uint32_t p = shot.At(x, y);
      dark += PixelR(p) + PixelG(p) + PixelB(p) < 300;
    }
  EXPECT_GT(dark, 30);
}

}  // namespace
}  // namespace qv::test
