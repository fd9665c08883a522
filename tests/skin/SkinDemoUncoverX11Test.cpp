// The skin demo without a skin under a real window manager (openbox on
// Xvfb; skipped when Xvfb, openbox or xdotool is missing): once "No skin" is
// clicked, every control paints plainly, and it paints the same again when
// the window system asks for it, after another window covered it and after
// a minimise and restore.
// gtest first: Xlib's macros clash with its names.
#include <gtest/gtest.h>

#include "tests/common/DndPeer.h"
#include "tests/common/XvfbSupport.h"
// clang-format off
#include <X11/Xutil.h>
// clang-format on
#include <signal.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv::test {
namespace {

constexpr std::chrono::milliseconds kPatience = 30000ms;

class DemoUnderOpenbox {
 public:
  DemoUnderOpenbox() : server_("1280x1024x24") {}
  ~DemoUnderOpenbox() {
    if (d_) XCloseDisplay(d_);
    if (demo_ > 0) {
      kill(demo_, SIGTERM);
      Reap(demo_, 10000ms);
    }
  }
  // False (with the reason) when something is missing or did not start.
  bool Start(std::string& why) {
    for (const char* tool : {"Xvfb", "openbox", "xdotool"})
      if (!OnPath(tool)) return why = std::string(tool) + " is not installed", false;
    if (server_.Display().empty()) return why = "Xvfb did not start", false;
    d_ = XOpenDisplay(server_.Display().c_str());
    if (!d_) return why = "the display cannot be opened", false;
    wm_ = std::make_unique<Openbox>(server_.Display());
    if (!wm_->Running()) return why = "openbox did not start", false;
    demo_ = StartProgram(QV_SKIN_DEMO_PROGRAM, server_.Display().c_str());
    return demo_ > 0 || (why = "the demo did not start", false);
  }
  Display* D() const { return d_; }
  const std::string& Name() const { return server_.Display(); }
  Window Wait(const char* title) { return WaitForClient(d_, title, kPatience); }
  bool Viewable(Window w) {
    XWindowAttributes a{};
    return XGetWindowAttributes(d_, w, &a) && a.map_state == IsViewable;
  }
  // The window's pixels as the server has them; none while it cannot be
  // read (the window manager may unmap it between the look and the read).
  std::vector<uint32_t> Pixels(Window w) {
    XSync(d_, False);
    XErrorHandler before = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XWindowAttributes a{};
    std::vector<uint32_t> out;
    if (XGetWindowAttributes(d_, w, &a) && a.map_state == IsViewable)
      out = ReadPixels(d_, w, 0, 0, a.width, a.height);
    XSync(d_, False);
    XSetErrorHandler(before);
    return out;
  }
  // The window's pixels once two looks a moment apart agree (it may still
  // be painting, or a hint may still be fading).
  std::vector<uint32_t> Settled(Window w) {
    std::vector<uint32_t> last, now;
    WaitFor(
        [&] {
          last = std::move(now);
          std::this_thread::sleep_for(300ms);
          now = Pixels(w);
          return !now.empty() && now == last;
        },
        kPatience);
    return now;
  }

 private:
  Xvfb server_;
  Display* d_ = nullptr;
  std::unique_ptr<Openbox> wm_;
  pid_t demo_ = -1;
};

// How many pixels differ between two pictures of the same window.
int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return int(std::max(a.size(), b.size()));
  int n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

TEST(SkinDemoUncover, WithoutASkinTheControlsPaintAgainAfterACoverAndARestore) {
  DemoUnderOpenbox x;
  std::string why;
  if (!x.Start(why)) GTEST_SKIP() << why;
  Window form = x.Wait("Quirvane skins"), frames = x.Wait("Quirvane skinned windows");
  ASSERT_NE(form, 0u);
  ASSERT_NE(frames, 0u);
  // The demo's second window opens over the first: it goes to the corner.
  Xdo(x.Name(), {"windowmove", "--sync", std::to_string(frames), "1000", "700"});
  x.Settled(form);

  // "No skin", in the first panel's top row, under the window's own caption.
  Xdo(x.Name(), {"mousemove", "--window", std::to_string(form), "219", "66", "click", "1"});
  Xdo(x.Name(), {"mousemove", "1279", "1023"});  // away, so that no hint stays
  const std::vector<uint32_t> plain = x.Settled(form);
  ASSERT_FALSE(plain.empty());
  // The plain look: the edits, the lists and the trees are white inside.
  // Controls that did not paint would show the panels' grey face there.
  const auto white = std::count(plain.begin(), plain.end(), 0xFFFFFFu);
  EXPECT_GT(white, 60000) << "the controls were not painted after the skin went";

  // Covered by another program's window and uncovered.
  XWindowAttributes a{};
  ASSERT_TRUE(XGetWindowAttributes(x.D(), form, &a));
  int left = 0, top = 0;
  Window child = 0;
  XTranslateCoordinates(x.D(), form, DefaultRootWindow(x.D()), 0, 0, &left, &top, &child);
  XSetWindowAttributes over{};
  over.override_redirect = True;
  over.background_pixel = 0x204080;
  Window cover = XCreateWindow(x.D(), DefaultRootWindow(x.D()), left - 10, top - 10, unsigned(a.width + 20),
                               unsigned(a.height + 20), 0, CopyFromParent, InputOutput, CopyFromParent,
                               CWOverrideRedirect | CWBackPixel, &over);
  XMapRaised(x.D(), cover);
  XSync(x.D(), False);
  ASSERT_TRUE(WaitFor([&] {
    std::vector<uint32_t> p =
        ReadPixels(x.D(), DefaultRootWindow(x.D()), left + a.width / 2, top + a.height / 2, 1, 1);
    return p.size() == 1 && p[0] == 0x204080u;
  }));
  XDestroyWindow(x.D(), cover);
  XSync(x.D(), False);
  std::vector<uint32_t> uncovered;
  EXPECT_TRUE(WaitFor([&] { return Differing(uncovered = x.Pixels(form), plain) == 0; }, 10000ms))
      << Differing(uncovered, plain) << " pixels differ after the window was uncovered";

  // Minimised through the window manager, then restored (_NET_ACTIVE_WINDOW).
  Xdo(x.Name(), {"windowminimize", std::to_string(form)});
  ASSERT_TRUE(WaitFor([&] { return !x.Viewable(form); }, kPatience)) << "the window was not minimised";
  Xdo(x.Name(), {"windowactivate", std::to_string(form)});
  ASSERT_TRUE(WaitFor([&] { return x.Viewable(form); }, kPatience)) << "the window was not restored";
  std::vector<uint32_t> restored;
  EXPECT_TRUE(WaitFor([&] { return Differing(restored = x.Pixels(form), plain) == 0; }, 10000ms))
      << Differing(restored, plain) << " pixels differ after the window was restored";
}

}  // namespace
}  // namespace qv::test
