// The data tree demo program on a real X server (Xvfb, skipped when it is not
// installed): its window read back from the server, a row dragged with the
// server's pointer, and what it says when it ends other than by its own choice.
// gtest and the demo first: Xlib's macros clash with their names.
#include <gtest/gtest.h>

#include "demo/tree/TreeDemoForm.h"
#include "tests/common/XvfbSupport.h"
// clang-format off
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
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

// The demo started on a display with its error output kept, and seen to its
// end: how it ended and what it said on the way.
class DemoEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    server = std::make_unique<Xvfb>();
    ASSERT_FALSE(server->Display().empty()) << "Xvfb did not start";
    d = XOpenDisplay(server->Display().c_str());
    ASSERT_NE(d, nullptr);
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    pid = fork();
    if (pid == 0) {
      dup2(fds[1], 2);
      setenv("DISPLAY", server->Display().c_str(), 1);
      execl(QV_TREE_DEMO_PROGRAM, QV_TREE_DEMO_PROGRAM, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    errors = fds[0];
    fcntl(errors, F_SETFL, O_NONBLOCK);  // read while it runs: a full pipe would hold it up
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(WaitFor([&] { return (window = FindTop(d, "Quirvane data tree demo")) != 0; }, 60s))
        << "the demo did not show its window";
  }
  void TearDown() override {
    if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (errors >= 0) close(errors);
    if (d) XCloseDisplay(d);
  }
  // Waits for the end (generously: only a failing test waits that long);
  // its wait status, -1 when it did not end.
  int End() {
    int status = 0;
    auto drain = [&] {
      char buf[4096];
      for (ssize_t n; (n = read(errors, buf, sizeof buf)) > 0;) said.append(buf, size_t(n));
    };
    if (!WaitFor([&] { return drain(), waitpid(pid, &status, WNOHANG) == pid; }, 60s)) return -1;
    pid = -1;
    drain();
    return status;
  }

  std::unique_ptr<Xvfb> server;
  Display* d = nullptr;
  Window window = 0;
  pid_t pid = -1;
  int errors = -1;
  std::string said;
};

// A server that drops the connection (as it does for a client killed on it)
// ends the demo with a line that names the display, never silently.
TEST_F(DemoEnd, ALostDisplayConnectionIsReported) {
  XKillClient(d, window);
  XSync(d, False);
  int status = End();
  ASSERT_NE(status, -1) << "the demo went on without its display";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << "wait status " << status;
  EXPECT_NE(said.find(server->Display()), std::string::npos) << said;
}

// A signal that ends the demo is named on its way out, and still ends it as
// that signal (its parent sees the same status). A SIGPIPE, which a write to
// a socket closed under it raises, does not end it: the SIGTERM after it does.
TEST_F(DemoEnd, ASignalThatEndsItIsNamed) {
  kill(pid, SIGPIPE);
  kill(pid, SIGTERM);
  int status = End();
  ASSERT_NE(status, -1) << "the demo did not end";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "wait status " << status;
  EXPECT_NE(said.find("qv_tree_demo: ended by signal SIGTERM"), std::string::npos) << said;
}

TEST_F(DemoEnd, AnAbortIsNamed) {
  kill(pid, SIGABRT);
  int status = End();
  ASSERT_NE(status, -1) << "the demo did not end";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT) << "wait status " << status;
  EXPECT_NE(said.find("qv_tree_demo: ended by signal SIGABRT"), std::string::npos) << said;
}

}  // namespace
}  // namespace qv::test
