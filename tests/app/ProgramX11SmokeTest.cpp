// The real quirvane program: its command line, its refusal to start without a
// display, and on an Xvfb server (skipped when it is not installed) its window
// with the desktop entry's class, closed by an X key press from another client.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "tests/common/TempDir.h"
#include "tests/common/XvfbSupport.h"
// clang-format off
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
// clang-format on
#include <fstream>
#include <sstream>

#include "platform/image/Png.h"

namespace qv::test {
namespace {

// Starts the program with a settings folder of its own; its pid.
pid_t Start(const char* display, const std::string& config, const char* arg = nullptr) {
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1), dup2(null, 2);
    if (display)
      setenv("DISPLAY", display, 1);
    else
      unsetenv("DISPLAY");
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    execl(QV_PROGRAM, QV_PROGRAM, arg, static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

std::string Errors(const char* display, const std::string& arg, int& rc) {
  std::string errors;
  rc = RunProgram(QV_PROGRAM, display, arg, "", errors);
  return errors;
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

template <typename F>
bool WaitFor(F done) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

TEST(ProgramSmoke, WithoutADisplayItSaysSoAndTouchesNoSettings) {
  TempDir config;
  int rc = 0;
  // RunProgram passes an empty file argument after the option: start it plainly.
  pid_t pid = Start(nullptr, config.Path());
  ASSERT_GT(pid, 0);
  EXPECT_EQ(Reap(pid, std::chrono::milliseconds(20000)), 1);
  EXPECT_FALSE(std::filesystem::exists(config / "Quirvane")) << "no settings written without a display";
  std::string errors = Errors(nullptr, "--bogus", rc);
  EXPECT_EQ(rc, 2);
  EXPECT_NE(errors.find("unknown option --bogus"), std::string::npos) << errors;
  EXPECT_NE(errors.find("Usage: quirvane"), std::string::npos) << errors;
}

TEST(ProgramSmoke, ShowsItsWindowOnXAndEndsOnEnter) {
  if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  TempDir config;
  pid_t pid = Start(server.Display().c_str(), config.Path());
  ASSERT_GT(pid, 0);
  Display* d = XOpenDisplay(server.Display().c_str());
  ASSERT_NE(d, nullptr);
  Window w = 0;
  EXPECT_TRUE(WaitFor([&] { return (w = FindTop(d, " About Quirvane")) != 0; })) << "no about box";
  if (w) {
    XClassHint hint{};
    ASSERT_TRUE(XGetClassHint(d, w, &hint));
    EXPECT_STREQ(hint.res_name, "quirvane");
    EXPECT_STREQ(hint.res_class, "Quirvane");  // StartupWMClass of the desktop entry
    XFree(hint.res_name), XFree(hint.res_class);
    // The window's icon is the program's drawing.
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Surface drawing;
    ASSERT_TRUE(LoadPngFile(std::string(QV_BINARY_DIR) + "/app/quirvane.png", drawing));
    if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_ICON", False), 0, 1 << 16, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        data) {
      auto* v = reinterpret_cast<unsigned long*>(data);
      ASSERT_EQ(count, 2 + drawing.Pixels.size());
      EXPECT_EQ(int(v[0]), drawing.Width);
      EXPECT_EQ(int(v[1]), drawing.Height);
      int same = 0;
      for (size_t i = 0; i < drawing.Pixels.size(); ++i) same += uint32_t(v[2 + i]) == drawing.Pixels[i];
      EXPECT_EQ(same, int(drawing.Pixels.size()));
      XFree(data);
    } else {
      ADD_FAILURE() << "no _NET_WM_ICON";
    }
    // Enter presses Close, the default button.
    for (int type : {KeyPress, KeyRelease}) {
      XEvent ev{};
      ev.xkey.type = type;
      ev.xkey.display = d;
      ev.xkey.window = w;
      ev.xkey.root = DefaultRootWindow(d);
      ev.xkey.keycode = XKeysymToKeycode(d, XK_Return);
      ev.xkey.same_screen = True;
      XSendEvent(d, w, False, 0, &ev);
    }
    XFlush(d);
  }
  XCloseDisplay(d);
  EXPECT_EQ(Reap(pid, std::chrono::milliseconds(w ? 15000 : 0)), 0);
  // A clean end writes the settings store's first-run keys.
  std::ifstream in(config / "Quirvane/Quirvane.ini");
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_NE(s.str().find("First=0"), std::string::npos) << s.str();
}

}  // namespace
}  // namespace qv::test
