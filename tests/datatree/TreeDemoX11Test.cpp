// The data tree demo program on a real X server (Xvfb, skipped when it is not
// installed): its window read back from the server.
// gtest and the demo first: Xlib's macros clash with their names.
#include <gtest/gtest.h>

#include "demo/tree/TreeDemoForm.h"
#include "tests/common/XvfbSupport.h"
// clang-format off
#include <signal.h>
// clang-format on

namespace qv::test {
namespace {

TEST(TreeDemoX11, WindowReadBackFromTheServer) {
  if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  Surface shot;
  std::string errors;
  ASSERT_TRUE(SelfTestPicture(QV_TREE_DEMO_PROGRAM, server.Display(), shot, errors, "", 30000ms)) << errors;
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

// Dark (text) pixels of a window area as the server has them.
int DarkPixels(Display* d, Window w, int x, int y, int width, int height) {
  std::vector<uint32_t> pixels = ReadPixels(d, w, x, y, width, height);
  if (pixels.empty()) return -1;
  int dark = 0;
  for (uint32_t p : pixels) dark += int(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) < 300;
  return dark;
}

// A row dragged with the real mouse of the server (xdotool) lands in the basket.
TEST(TreeDemoX11, ARowDraggedOnTheServerLandsInTheBasket) {
  if (!OnPath("Xvfb") || !OnPath("xdotool")) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  pid_t pid = StartProgram(QV_TREE_DEMO_PROGRAM, server.Display().c_str());
  ASSERT_GT(pid, 0);
  Display* d = XOpenDisplay(server.Display().c_str());
  ASSERT_NE(d, nullptr);
  Window w = 0;
  ASSERT_TRUE(WaitFor([&] { return (w = FindTop(d, "Quirvane data tree demo")) != 0; }, 20s))
      << "the demo did not show its window";
  int x0 = 0, y0 = 0;
  Window child;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x0, &y0, &child);
  const int basketTop = treedemo::kClient.cy - 140;
  // Shown is not yet painted: the header in button face and an empty basket
  // (a basket never painted reads as dark) say the demo has drawn itself.
  int before = -1;
  WaitFor(
      [&] {
        std::vector<uint32_t> header = ReadPixels(d, w, 100, 5, 1, 1);
        if (header.empty() || header[0] != (PixelRGB(212, 208, 200) & 0xFFFFFF)) return false;
        return (before = DarkPixels(d, w, 20, basketTop + 4, 400, 100)) == 0;
      },
      30s);
  EXPECT_EQ(before, 0);
  // From the label of the second row to the empty basket.
  auto x = [&](int at) { return std::to_string(x0 + at); };
  auto y = [&](int at) { return std::to_string(y0 + at); };
  ASSERT_TRUE(Xdo(server.Display(), {"mousemove", x(110), y(46),
                                     "mousedown", "1",    "sleep",
                                     "0.3",  //
                                     "mousemove", x(130), y(48),
                                     "sleep",     "0.3",  //
                                     "mousemove", x(100), y(basketTop + 90),
                                     "sleep",     "0.3",  //
                                     "mousemove", x(104), y(basketTop + 92),
                                     "sleep",     "0.3",  "mouseup",
                                     "1"}));
  int after = 0;
  WaitFor([&] { return (after = DarkPixels(d, w, 20, basketTop + 4, 400, 100)) > 20; }, 30s);
  EXPECT_GT(after, 20) << "no row in the basket";
  XCloseDisplay(d);
  kill(pid, SIGTERM);
  Reap(pid, 5000ms);
}

}  // namespace
}  // namespace qv::test
