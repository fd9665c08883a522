// The real quirvane program: its refusal to start without a display or with
// an unknown option, and on an Xvfb server (skipped when Xvfb or xdotool is
// not installed) a first session driven by real X input events.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "tests/common/TempDir.h"
#include "tests/common/XvfbSupport.h"
// clang-format off
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
// clang-format on
#include <signal.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

namespace qv::test {
namespace {

// Starts the program with a settings folder of its own; its pid.
pid_t Start(const char* display, const std::string& config, const std::string& data = "") {
  std::vector<std::pair<std::string, std::string>> env{{"XDG_CONFIG_HOME", config}};
  if (!data.empty()) env.emplace_back("XDG_DATA_HOME", data);
  return StartProgram(QV_PROGRAM, display, {}, env);
}

std::string Errors(const char* display, const std::string& arg, int& rc) {
  std::string errors;
  rc = RunProgram(QV_PROGRAM, display, arg, "", errors);
  return errors;
}

// How long a window may take to come or go on a busy machine.
constexpr std::chrono::milliseconds kPatience = 30000ms;

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

void Pause(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The pixels of the window's part on the screen as 0xRRGGBB, row by row
// (read from the root window: a window reaching off the screen cannot be read).
std::vector<uint32_t> Pixels(Display* d, Window w, int& width, int& height) {
  XWindowAttributes a, root;
  Window child;
  int x = 0, y = 0;
  if (!XGetWindowAttributes(d, w, &a) || !XGetWindowAttributes(d, DefaultRootWindow(d), &root) ||
      !XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child))
    return {};
  width = std::min(a.width, root.width - x), height = std::min(a.height, root.height - y);
  if (x < 0 || y < 0) return {};
  return ReadPixels(d, DefaultRootWindow(d), x, y, width, height);
}

// Runs of rows whose pixel at column x has the colour.
int RowRuns(const std::vector<uint32_t>& px, int width, int x, uint32_t colour) {
  int runs = 0;
  bool in = false;
  for (size_t y = 0; y * size_t(width) < px.size(); ++y) {
    bool hit = px[y * size_t(width) + size_t(x)] == colour;
    runs += hit && !in;
    in = hit;
  }
  return runs;
}

// A person's first session, with real X input: the first start offers a new
// catalogue, which is named; a folder is added through the wizard (the folder
// chosen in its tree by keyboard); typed letters choose a category; a
// "*.txt" search lists the folder's two text files; the program ends from
// its menu and has kept its catalogue.
TEST(ProgramSmoke, FirstStartCataloguesAFolderAndFindsItsTextFiles) {
  if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  if (!OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  const std::string& display = server.Display();
  TempDir config, data, files;
  std::string fixture = files.Path() + "qvsmokefix";
  for (const char* f : {"/readme.txt", "/docs/manual.txt", "/music/song.mp3", "/music/cover.png"}) {
    std::filesystem::create_directories(std::filesystem::path(fixture + f).parent_path());
    std::ofstream(fixture + f) << "contents";
  }
  pid_t pid = Start(display.c_str(), config.Path(), data.Path());
  ASSERT_GT(pid, 0);
  Display* d = XOpenDisplay(display.c_str());
  ASSERT_NE(d, nullptr);
  auto finish = [&] {
    XCloseDisplay(d);
    if (Reap(pid, std::chrono::milliseconds(0)) < 0) kill(pid, SIGKILL);
  };
  auto focus = [&](Window w) { Xdo(display, {"windowfocus", "--sync", std::to_string(w)}); };

  // The first start asks for a new catalogue, in the catalogue folder.
  Window dialog = 0;
  if (!WaitFor([&] { return (dialog = FindTop(d, " New database")) != 0; }, kPatience)) {
    finish();
    FAIL() << "no New database dialog";
  }
  focus(dialog);
  Xdo(display, {"type", "--delay", "20", "Smoke"});
  Xdo(display, {"key", "Return"});
  Window main = 0;
  if (!WaitFor([&] { return (main = FindTop(d, " Velmora Quirvane  - [ Smoke ]")) != 0; }, kPatience)) {
    finish();
    FAIL() << "the catalogue was not created";
  }
  std::string bases = data.Path() + "Quirvane/Bases/";
  EXPECT_TRUE(std::filesystem::exists(bases + "xbase.vlm"));
  XClassHint hint{};
  if (XGetClassHint(d, main, &hint)) {
    EXPECT_STREQ(hint.res_class, "Quirvane");  // StartupWMClass of the desktop entry
    XFree(hint.res_name), XFree(hint.res_class);
  }

  // F9: the wizard. A label, then the folder to scan, chosen in its tree:
  // the second step starts in its scan box (Space ticks it), Tab goes to the
  // tree, where Home is the computer, the next node the file system, then
  // each folder of the path typed (the tree finds a folder by its first
  // letters).
  focus(main);
  Xdo(display, {"key", "F9"});
  Window wizard = 0;
  ASSERT_TRUE(WaitFor([&] { return (wizard = FindTop(d, "Adding disc")) != 0; }, kPatience)) << "no wizard";
  focus(wizard);
  Xdo(display, {"type", "--delay", "20", "Fixture"});
  Xdo(display, {"key", "Return", "space", "Tab", "Home", "Right"});
  std::stringstream path(fixture);
  for (std::string part; std::getline(path, part, '/');) {
    if (part.empty()) continue;
    Xdo(display, {"key", "Right"});
    // A new search, not the continuation of the last one: well past the
    // tree's type-ahead pause even when a busy machine delays the keys.
    Pause(2500);
    Xdo(display, {"type", "--delay", "20", part});
  }
  Pause(300);
  Xdo(display, {"key", "Return"});  // Next: the scanning options
  Pause(300);
  Xdo(display, {"key", "Return"});  // Start
  EXPECT_TRUE(WaitFor([&] { return FindTop(d, "Adding disc") == 0; }, kPatience)) << "the wizard stayed";
  Pause(1500);

  // The category list (it has the focus) selects by the letters typed, its
  // padded names notwithstanding; the disc list shows the category's discs:
  // none in "Movies", the new disc (a tinted row) in "Other".
  int width = 0, height = 0;
  auto discRows = [&](int want) {
    int rows = -1;
    WaitFor(
        [&] {
          std::vector<uint32_t> px = Pixels(d, main, width, height);
          rows = px.empty() ? -1 : RowRuns(px, width, width - 40, 0xFFF5E6);
          return rows == want;
        },
        kPatience);
    return rows;
  };
  focus(main);
  EXPECT_EQ(discRows(1), 1);
  Xdo(display, {"type", "--delay", "20", "mo"});
  EXPECT_EQ(discRows(0), 0) << "typed letters did not choose Movies";
  Pause(2500);
  Xdo(display, {"type", "--delay", "20", "o"});
  EXPECT_EQ(discRows(1), 1) << "a typed letter did not choose Other";

  // F7 searches (on the search page); a click in the file mask, "*.mp3"
  // typed, then "*.txt" pasted over it from another program that answers
  // 500 ms late, and Enter 0.3 s after Ctrl+V, as a person types: the search
  // is the pasted mask's.
  StatusProgram owner(QV_SLOW_OWNER_PROGRAM, display, {"late=500", "UTF8_STRING", "*.txt"});
  EXPECT_TRUE(owner.AwaitLine("owning"));
  focus(main);
  Xdo(display, {"key", "F7"});
  Pause(800);
  Xdo(display, {"mousemove", "--window", std::to_string(main), "103", "117", "click", "1"});
  Pause(300);
  Xdo(display, {"key", "End", "shift+Home"});
  Xdo(display, {"type", "--delay", "20", "*.mp3"});
  Xdo(display, {"key", "shift+Home"});
  Xdo(display, {"key", "--delay", "300", "ctrl+v", "Return"});
  // Two name groups (blue rows) with one entry each (green rows).
  int groups = 0, entries = 0;
  WaitFor(
      [&] {
        std::vector<uint32_t> px = Pixels(d, main, width, height);
        if (px.empty()) return false;
        // A column near the right edge, where the rows hold no text.
        groups = RowRuns(px, width, width - 40, 0xD2E6FF);
        entries = RowRuns(px, width, width - 40, 0xE6FFD2);
        return groups == 2 && entries == 2;
      },
      kPatience);
  EXPECT_EQ(groups, 2);
  EXPECT_EQ(entries, 2);

  // Database, Exit: the program ends and keeps where its catalogue is.
  focus(main);
  Xdo(display, {"key", "alt+b"});
  Pause(300);
  Xdo(display, {"key", "x"});
  XCloseDisplay(d);
  EXPECT_EQ(Reap(pid, kPatience), 0);
  std::ifstream in(config / "Quirvane/Quirvane.ini");
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_NE(s.str().find("Base=" + bases + "\n"), std::string::npos) << s.str();
  EXPECT_NE(s.str().find("Pass=0"), std::string::npos) << s.str();
  EXPECT_TRUE(std::filesystem::exists(bases + "storage.vlm"));
}

// With no window manager to keep its least size, another program sizes the
// main window down to 320 x 240 itself: the window goes back to its least
// size, the one its size hints announce.
TEST(ProgramSmoke, ASizeForcedBelowTheLeastIsTakenBack) {
  if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  if (!OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  const std::string& display = server.Display();
  TempDir config, data;
  pid_t pid = Start(display.c_str(), config.Path(), data.Path());
  ASSERT_GT(pid, 0);
  Display* d = XOpenDisplay(display.c_str());
  ASSERT_NE(d, nullptr);
  auto finish = [&] {
    XCloseDisplay(d);
    kill(pid, SIGTERM);
    Reap(pid, 10000ms);
  };
  Window dialog = 0, main = 0;
  if (!WaitFor([&] { return (dialog = FindTop(d, " New database")) != 0; }, kPatience)) {
    finish();
    FAIL() << "no New database dialog";
  }
  Xdo(display, {"windowfocus", "--sync", std::to_string(dialog)});
  Xdo(display, {"type", "--delay", "20", "Least"});
  Xdo(display, {"key", "Return"});
  if (!WaitFor([&] { return (main = FindTop(d, " Velmora Quirvane  - [ Least ]")) != 0; }, kPatience)) {
    finish();
    FAIL() << "the catalogue was not created";
  }
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(d, main, &hints, &supplied));
  EXPECT_GE(hints.min_width, 600);
  EXPECT_GE(hints.min_height, 280);
  XResizeWindow(d, main, 320, 240);
  XSync(d, False);
  XWindowAttributes a{};
  EXPECT_TRUE(WaitFor(
      [&] {
        XGetWindowAttributes(d, main, &a);
        return a.width == hints.min_width && a.height == hints.min_height;
      },
      kPatience))
      << a.width << "x" << a.height;
  finish();
}

}  // namespace
}  // namespace qv::test
