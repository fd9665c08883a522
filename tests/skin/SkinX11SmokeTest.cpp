// The skin demo on a real X server (Xvfb, skipped when it is not installed):
// the program shows its skinned form and reads it back from the server, and
// the picture holds the skin's outlines and faces.
// gtest first: Xlib's macros clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <sys/file.h>
#include <X11/Xlib.h>
// clang-format on
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/image/Png.h"

namespace qv {
namespace {

using namespace std::chrono_literals;

int Reap(pid_t pid, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(10ms);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// An Xvfb of our own on a free display; servers start one at a time.
class Xvfb {
 public:
  Xvfb() {
    int lock = open("/tmp/qv-test-xvfb.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
    if (lock >= 0) flock(lock, LOCK_EX);
    for (int n = 100; n < 1000 && display_.empty(); ++n)
      if (!std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock")) Start(":" + std::to_string(n));
    if (lock >= 0) close(lock);
  }
  ~Xvfb() {
    if (pid_ > 0) kill(pid_, SIGTERM), Reap(pid_, 5000ms);
  }
  const std::string& Display() const { return display_; }

 private:
  void Start(const std::string& display) {
    pid_ = fork();
    if (pid_ == 0) {
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 1), dup2(null, 2);
      execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    if (pid_ < 0) return;
    for (int i = 0; i < 600; ++i) {
      int status;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      if (::Display* d = XOpenDisplay(display.c_str())) {
        XCloseDisplay(d);
        display_ = display;
        return;
      }
      std::this_thread::sleep_for(50ms);
    }
    kill(pid_, SIGTERM);
    Reap(pid_, 5000ms);
    pid_ = -1;
  }
  pid_t pid_ = -1;
  std::string display_;
};

bool XvfbInstalled() {
  return std::system("command -v Xvfb >/dev/null 2>&1") == 0;
}

TEST(SkinX11Smoke, SkinnedDemoReadBackFromTheServer) {
  if (!XvfbInstalled()) GTEST_SKIP() << "Xvfb is not installed";
  Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  auto png = std::filesystem::temp_directory_path() / ("qv_skin_smoke_" + std::to_string(getpid()) + ".png");
  pid_t pid = fork();
  if (pid == 0) {
    setenv("DISPLAY", server.Display().c_str(), 1);
    execl(QV_SKIN_DEMO_PROGRAM, QV_SKIN_DEMO_PROGRAM, "--x11-selftest", png.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_EQ(Reap(pid, 30000ms), 0);
  Surface shot;
  ASSERT_TRUE(LoadPngFile(png.string(), shot));
  std::filesystem::remove(png);
  ASSERT_GT(shot.Width, 400);
  // The buttons' blue-grey outline and the check box's tick-free frame colour.
  int outline = 0, frame = 0;
  for (int y = 0; y < shot.Height; ++y)
    for (int x = 0; x < shot.Width; ++x) {
      const uint32_t p = shot.At(x, y) & 0xFFFFFF;
      outline += p == (PixelRGB(112, 128, 150) & 0xFFFFFF);
      frame += p == (PixelRGB(60, 90, 130) & 0xFFFFFF);
    }
  EXPECT_GT(outline, 400);
  EXPECT_GT(frame, 20);
}

}  // namespace
}  // namespace qv
