// The data tree demo program on a real X server (Xvfb, skipped when it is not
// installed): its window read back from the server.
// gtest and the demo first: Xlib's macros clash with their names.
#include <gtest/gtest.h>

#include "demo/tree/TreeDemoForm.h"
#include "platform/image/Png.h"
#include "tests/common/XvfbSupport.h"
// clang-format off
#include <X11/Xutil.h>
// clang-format on

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

Window FindTop(Display* d, const char* name) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* n = nullptr;
    XWindowAttributes a;
    if (XFetchName(d, children[i], &n) && n && std::string(n) == name &&
        XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable)
      found = children[i];
    if (n) XFree(n);
  }
  if (children) XFree(children);
  return found;
}

// Dark (text) pixels of a window area as the server has them.
int DarkPixels(Display* d, Window w, int x, int y, int width, int height) {
  XImage* image = XGetImage(d, w, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
  if (!image) return -1;
  int dark = 0;
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < width; ++i) {
      unsigned long p = XGetPixel(image, i, j);
      dark += int(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) < 300;
    }
  XDestroyImage(image);
  return dark;
}

// A row dragged with the real mouse of the server (xdotool) lands in the basket.
TEST(TreeDemoX11, ARowDraggedOnTheServerLandsInTheBasket) {
  if (!OnPath("Xvfb") || !OnPath("xdotool")) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1), dup2(null, 2);
    setenv("DISPLAY", server.Display().c_str(), 1);
    execl(QV_TREE_DEMO_PROGRAM, QV_TREE_DEMO_PROGRAM, static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  Display* d = XOpenDisplay(server.Display().c_str());
  ASSERT_NE(d, nullptr);
  Window w = 0;
  auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!(w = FindTop(d, "Quirvane data tree demo")) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(50ms);
  ASSERT_NE(w, 0u) << "the demo did not show its window";
  std::this_thread::sleep_for(500ms);
  int x0 = 0, y0 = 0;
  Window child;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x0, &y0, &child);
  const int basketTop = treedemo::kClient.cy - 140;
  int before = DarkPixels(d, w, 20, basketTop + 4, 400, 100);
  EXPECT_EQ(before, 0);
  // From the label of the second row to the empty basket.
  std::string cmd = "DISPLAY=" + server.Display() + " xdotool mousemove " + std::to_string(x0 + 110) + " " +
                    std::to_string(y0 + 46) + " mousedown 1 sleep 0.3 mousemove " + std::to_string(x0 + 130) +
                    " " + std::to_string(y0 + 48) + " sleep 0.3 mousemove " + std::to_string(x0 + 100) + " " +
                    std::to_string(y0 + basketTop + 90) + " sleep 0.3 mousemove " + std::to_string(x0 + 104) +
                    " " + std::to_string(y0 + basketTop + 92) + " sleep 0.3 mouseup 1";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  int after = 0;
  deadline = std::chrono::steady_clock::now() + 10s;
  while ((after = DarkPixels(d, w, 20, basketTop + 4, 400, 100)) <= 20 &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(50ms);
  EXPECT_GT(after, 20) << "no row in the basket";
  XCloseDisplay(d);
  kill(pid, SIGTERM);
  Reap(pid, 5000ms);
}

}  // namespace
}  // namespace qv::test
