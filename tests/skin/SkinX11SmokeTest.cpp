// The skin demo on a real X server (Xvfb, skipped when it is not installed):
// the program shows its skinned form and reads it back from the server, and
// the picture holds the skin's outlines and faces.
// gtest first: Xlib's macros clash with its names.
#include <gtest/gtest.h>

#include "platform/image/Png.h"
#include "tests/common/XvfbSupport.h"

namespace qv::test {
namespace {

TEST(SkinX11Smoke, SkinnedDemoReadBackFromTheServer) {
  if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  Surface shot;
  std::string errors;
  ASSERT_TRUE(SelfTestPicture(QV_SKIN_DEMO_PROGRAM, server.Display(), shot, errors, "", 30000ms)) << errors;
  ASSERT_GT(shot.Width, 400);
  // The buttons' blue-grey outline and the check box's tick-free frame colour.
  int outline = 0, frame = 0, weekend = 0;
  for (int y = 0; y < shot.Height; ++y)
    for (int x = 0; x < shot.Width; ++x) {
      const uint32_t p = shot.At(x, y) & 0xFFFFFF;
      outline += p == (PixelRGB(112, 128, 150) & 0xFFFFFF);
      frame += p == (PixelRGB(60, 90, 130) & 0xFFFFFF);
      weekend += PixelR(p) > 180 && PixelG(p) < 90 && PixelB(p) < 90;  // the month calendar's Sundays
    }
  EXPECT_GT(outline, 400);
  EXPECT_GT(frame, 20);
  EXPECT_GT(weekend, 20);
}

}  // namespace
}  // namespace qv::test
