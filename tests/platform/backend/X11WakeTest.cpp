// The program's loop waiting on the X server (Xvfb, skipped when it is not
// installed) wakes for every message another thread posts, whatever moment
// of the wait the post lands in.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "platform/backend/X11Backend.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"
#include "tests/common/XvfbSupport.h"

namespace qv {
namespace {

using namespace std::chrono_literals;

constexpr UINT kPing = WM_USER + 7;

// Posts from a second thread at random moments, each once the loop has
// taken the one before. A post the loop does not wake for waits there until
// the next X event, which the thread makes after a while to end the wait.
TEST(X11Wake, EveryPostFromAnotherThreadWakesTheWaitingLoop) {
  if (!test::OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  test::Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  setenv("DISPLAY", server.Display().c_str(), 1);
  std::string error;
  auto backend = OpenX11Backend(&error);
  ASSERT_TRUE(backend) << error;
  Display* desktop = XOpenDisplay(server.Display().c_str());
  ASSERT_TRUE(desktop);
  WNDCLASSEXW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QvWakeTest";
  RegisterClassExW(&wc);
  HWND window =
      CreateWindowExW(0, u"QvWakeTest", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);

  constexpr int kPosts = 20000;
  std::atomic<int> taken{0}, late{0};
  std::thread poster([&] {
    std::mt19937 random(7);
    for (int i = 0; i < kPosts; ++i) {
      // A few microseconds at most: the loop is somewhere on its way into the wait.
      auto at = std::chrono::steady_clock::now() + std::chrono::nanoseconds(random() % 40000);
      while (std::chrono::steady_clock::now() < at) {
      }
      PostMessageW(window, kPing, WPARAM(i), 0);
      auto deadline = std::chrono::steady_clock::now() + 200ms;
      while (taken.load() <= i && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
      if (taken.load() > i) continue;
      ++late;
      // Any event of the server ends the wait that missed the post.
      long stamp = i;
      XChangeProperty(desktop, DefaultRootWindow(desktop), XInternAtom(desktop, "QV_WAKE_TEST", False),
                      XA_INTEGER, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&stamp), 1);
      XFlush(desktop);
      while (taken.load() <= i) std::this_thread::sleep_for(1ms);
    }
  });
  MSG m;
  while (taken.load() < kPosts && GetMessageW(&m, nullptr, 0, 0) > 0)
    if (m.message == kPing) taken = int(m.wParam) + 1;
  poster.join();
  EXPECT_EQ(late.load(), 0) << "posts the loop slept through";
  DestroyWindow(window);
  UnregisterClassW(u"QvWakeTest", nullptr);
  XCloseDisplay(desktop);
}

}  // namespace
}  // namespace qv
