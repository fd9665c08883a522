// The skinned windows of the skin demo on a real X server (Xvfb, skipped when
// it is not installed): the frame is an undecorated window that paints its
// own title and caption buttons, read back from the server.
// gtest first: Xlib's macros clash with its names.
#include <gtest/gtest.h>

#include "platform/image/Png.h"
#include "tests/common/XvfbSupport.h"

namespace qv::test {
namespace {

TEST(SkinFormsX11Smoke, SkinnedFrameIsUndecoratedAndPaintsItsTitle) {
  if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  Surface shot;
  std::string errors;
  ASSERT_TRUE(SelfTestPicture(QV_SKIN_DEMO_PROGRAM, server.Display(), shot, errors, "1", 30000ms)) << errors;
  // The X window holds the whole frame, title included (620 x 420).
  EXPECT_EQ(shot.Width, 620);
  EXPECT_EQ(shot.Height, 420);
  // The close button's red face and the title's blue gradient in the top rows.
  int red = 0, title = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < shot.Width; ++x) {
      const uint32_t p = shot.At(x, y);
      red += PixelR(p) == 170 && PixelG(p) == 60 && PixelB(p) == 50;
      title += PixelB(p) > PixelR(p) + 40 && PixelB(p) > 100;
    }
  EXPECT_GT(red, 50);
  EXPECT_GT(title, 2000);
}

}  // namespace
}  // namespace qv::test
