// The real program under a real window manager (openbox on an Xvfb server of
// a given size; skipped when Xvfb, openbox or xdotool is missing): its windows
// come up inside the work area the window manager announces, and its dialogs
// are dialogs of their owner to it, with no maximising of fixed dialogs and
// no minimising that would hide the program, and a close from its title bar
// ends it at every moment around a popup menu command.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "platform/WinTypes.h"
#include "tests/common/TempDir.h"
#include "tests/common/XvfbSupport.h"
// clang-format off
#include <X11/Xatom.h>
#include <X11/Xutil.h>
// clang-format on
#include <signal.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qv::test {
namespace {

constexpr std::chrono::milliseconds kWmPatience = 30000ms;

// A screen of the given size with openbox managing it and the program
// started on it (settings and catalogues in folders of their own).
class UnderOpenbox {
 public:
  explicit UnderOpenbox(const std::string& screen) : server_(screen + "x24") {}
  ~UnderOpenbox() {
    if (d_) XCloseDisplay(d_);
    for (pid_t pid : {program_, wm_})
      if (pid > 0) {
        kill(pid, SIGTERM);
        Reap(pid, 10000ms);
      }
  }
  // False (with the reason) when something is missing or did not start.
  bool Start(std::string& why) {
    for (const char* tool : {"Xvfb", "openbox", "xdotool"})
      if (!OnPath(tool)) return why = std::string(tool) + " is not installed", false;
    if (server_.Display().empty()) return why = "Xvfb did not start", false;
    d_ = XOpenDisplay(server_.Display().c_str());
    if (!d_) return why = "the display cannot be opened", false;
    wm_ = StartProgram("openbox", server_.Display().c_str());
    // The window manager is at work once it announces its work area.
    if (!WaitFor([&] { return !Cardinals(DefaultRootWindow(d_), "_NET_WORKAREA").empty(); }, kWmPatience))
      return why = "openbox did not start", false;
    if (before) before();
    return Launch() || (why = "the program did not start", false);
  }
  // Starts the program again (after it ended) with the same settings and catalogues.
  bool Launch() {
    program_ = StartProgram(QV_PROGRAM, server_.Display().c_str(), {},
                            {{"XDG_CONFIG_HOME", config.Path()}, {"XDG_DATA_HOME", store.Path()}});
    return program_ > 0;
  }
  // Runs once the window manager is up, before the program starts.
  std::function<void()> before;
  // Kept bounds for the main window, written before Start by a session at
  // that density (none: a file from before densities were noted, 96).
  void KeepBounds(int x, int y, int w, int h, int ppi = 0) {
    std::filesystem::create_directories(config / "Quirvane");
    std::ofstream(config / "Quirvane/Quirvane.ini")
        << "[MAINFORM]\nX=" << x << "\nY=" << y << "\nW=" << w << "\nH=" << h << "\n"
        << (ppi ? "PPI=" + std::to_string(ppi) + "\n" : "");
  }

  Display* D() const { return d_; }
  const std::string& Name() const { return server_.Display(); }
  Window Wait(const char* title) {
    Window w = 0;
    WaitFor(
        [&] {
          ServerHeld held(d_);
          return (w = FindNamed(d_, DefaultRootWindow(d_), title, 3)) != 0;
        },
        kWmPatience);
    return w;
  }
  // Whether the window of that title has closed (it may be destroyed).
  bool Gone(const char* title) {
    return WaitFor(
        [&] {
          ServerHeld held(d_);
          return FindNamed(d_, DefaultRootWindow(d_), title, 3) == 0;
        },
        kWmPatience);
  }
  std::vector<long> Cardinals(Window w, const char* property, Atom type = XA_CARDINAL) {
    return WindowLongs(d_, w, property, type);
  }
  std::vector<std::string> Atoms(Window w, const char* property) {
    std::vector<std::string> out;
    for (long a : Cardinals(w, property, XA_ATOM)) {
      char* name = XGetAtomName(d_, Atom(a));
      out.emplace_back(name ? name : "");
      if (name) XFree(name);
    }
    return out;
  }
  // Our window (the client area) on the screen.
  RECT Client(Window w) {
    XWindowAttributes a{};
    Window child;
    int x = 0, y = 0;
    XGetWindowAttributes(d_, w, &a);
    XTranslateCoordinates(d_, w, DefaultRootWindow(d_), 0, 0, &x, &y, &child);
    return RECT{x, y, x + a.width, y + a.height};
  }
  // The window as the user sees it: the client area widened by the frame
  // the window manager draws around it.
  RECT Outer(Window w) {
    RECT c = Client(w);
    std::vector<long> f = Cardinals(w, "_NET_FRAME_EXTENTS");  // left, right, top, bottom
    if (f.size() < 4) f.assign(4, 0);
    return RECT{int(c.left - f[0]), int(c.top - f[2]), int(c.right + f[1]), int(c.bottom + f[3])};
  }
  // Whole on the area: the client area, and the title bar with its buttons
  // (the window manager's frame may be a pixel or two thicker than ours at
  // the bottom edge).
  bool OnArea(Window w, const RECT& area) {
    const RECT c = Client(w), o = Outer(w);
    return c.left >= area.left && c.top >= area.top && c.right <= area.right && c.bottom <= area.bottom &&
           o.left >= area.left && o.top >= area.top && o.right <= area.right;
  }
  bool Viewable(Window w) {
    XWindowAttributes a{};
    return XGetWindowAttributes(d_, w, &a) && a.map_state == IsViewable;
  }
  void Focus(Window w) { Xdo(Name(), {"windowfocus", "--sync", std::to_string(w)}); }
  // The program's exit code once it has ended by itself (-1: it did not).
  int Ended() {
    int rc = Reap(program_, kWmPatience);
    program_ = -1;
    return rc;
  }
  // A panel along the bottom edge, as a desktop has one: the window manager
  // keeps its height out of the work area.
  void AddPanel(int screenWidth, int screenHeight, int height) {
    if (panel_) XDestroyWindow(d_, panel_);
    Window panel = panel_ = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, screenHeight - height,
                                                unsigned(screenWidth), unsigned(height), 0, 0, 0x808080);
    Atom dock = XInternAtom(d_, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(d_, panel, XInternAtom(d_, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&dock), 1);
    long strut[12] = {0, 0, 0, height, 0, 0, 0, 0, 0, 0, 0, screenWidth - 1};
    XChangeProperty(d_, panel, XInternAtom(d_, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(strut), 12);
    XChangeProperty(d_, panel, XInternAtom(d_, "_NET_WM_STRUT", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(strut), 4);
    XMapWindow(d_, panel);
    XSync(d_, False);
  }

  TempDir config, store;

 private:
  Xvfb server_;
  Display* d_ = nullptr;
  pid_t wm_ = -1, program_ = -1;
  Window panel_ = 0;
};

std::string Show(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

// On a small screen the main window, its kept bounds far too large, and the
// first dialog come up whole inside the work area; the dialog centred in it.
TEST(WindowManager, OnASmallScreenEveryWindowFitsTheWorkArea) {
  UnderOpenbox wm("640x480");
  wm.KeepBounds(205, 130, 1200, 900);
  // The work area the window manager announces, without the panel's 40 rows.
  bool announced = false;
  wm.before = [&] {
    // A panel shown while the window manager was still starting may be
    // missed: it is shown again until the work area leaves room for it.
    for (int tries = 0; tries < 6 && !announced; ++tries) {
      wm.AddPanel(640, 480, 40);
      announced = WaitFor(
          [&] {
            std::vector<long> area = wm.Cardinals(DefaultRootWindow(wm.D()), "_NET_WORKAREA");
            return area.size() >= 4 && area[3] == 440;
          },
          5000ms);
    }
  };
  std::string why;
  if (!wm.Start(why)) GTEST_SKIP() << why;
  ASSERT_TRUE(announced) << "openbox keeps no room for the panel";
  const RECT screen{0, 0, 640, 440};
  Window dialog = wm.Wait(" New database"), main = wm.Wait(" Velmora Quirvane ");
  ASSERT_NE(dialog, 0u);
  ASSERT_NE(main, 0u);
  // The window manager places the frames as it maps them: wait until it has.
  EXPECT_TRUE(WaitFor([&] { return wm.OnArea(main, screen); }, kWmPatience)) << Show(wm.Outer(main));
  EXPECT_TRUE(WaitFor([&] { return wm.OnArea(dialog, screen); }, kWmPatience)) << Show(wm.Outer(dialog));
  const RECT n = wm.Outer(dialog);
  EXPECT_LE(std::abs((n.left + n.right) / 2 - 320), 8) << Show(n);
  EXPECT_LE(std::abs((n.top + n.bottom) / 2 - 220), 16) << Show(n);
}

// On a large screen the designed bounds fit and are kept; the dialog is centred.
TEST(WindowManager, OnALargeScreenTheDesignedPlaceIsKeptAndTheDialogCentred) {
  UnderOpenbox wm("1920x1080");
  std::string why;
  if (!wm.Start(why)) GTEST_SKIP() << why;
  Window dialog = wm.Wait(" New database"), main = wm.Wait(" Velmora Quirvane ");
  ASSERT_NE(dialog, 0u);
  ASSERT_NE(main, 0u);
  RECT m{}, n{};
  // Where the design puts it, give or take the difference between the
  // window manager's frame and ours.
  EXPECT_TRUE(WaitFor(
      [&] {
        m = wm.Outer(main);
        return std::abs(m.left - 201) <= 8 && std::abs(m.top - 108) <= 8 &&
               std::abs(m.right - m.left - 888) <= 10;
      },
      kWmPatience))
      << Show(m);
  EXPECT_TRUE(WaitFor(
      [&] {
        n = wm.Outer(dialog);
        return std::abs((n.left + n.right) / 2 - 960) <= 8 && std::abs((n.top + n.bottom) / 2 - 540) <= 16;
      },
      kWmPatience))
      << Show(n);
}

// Starts the program with a new catalogue "Wm" and gives its main window.
Window WithCatalogue(UnderOpenbox& wm) {
  Window dialog = wm.Wait(" New database");
  if (!dialog) return 0;
  wm.Focus(dialog);
  Xdo(wm.Name(), {"type", "--delay", "20", "Wm"});
  Xdo(wm.Name(), {"key", "Return"});
  return wm.Wait(" Velmora Quirvane  - [ Wm ]");
}

// The main window's least size (640 x 350 with its frame) is one the window
// manager knows and keeps when the user makes the window smaller, by the
// frame's handles or by a request another program sends.
TEST(WindowManager, TheMainWindowIsNeverMadeSmallerThanItsLeastSize) {
  UnderOpenbox wm("1280x1024");
  std::string why;
  if (!wm.Start(why)) GTEST_SKIP() << why;
  Window main = WithCatalogue(wm);
  ASSERT_NE(main, 0u);
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(wm.D(), main, &hints, &supplied));
  ASSERT_TRUE(hints.flags & PMinSize);
  // Our frame is at most a few pixels wider than the window manager's, and
  // the caption and menu bar lie inside it: the client area is a little less.
  EXPECT_GE(hints.min_width, 640 - 16);
  EXPECT_LE(hints.min_width, 640);
  EXPECT_GE(hints.min_height, 350 - 60);
  EXPECT_LE(hints.min_height, 350);
  auto held = [&] {
    RECT c = wm.Client(main);
    return c.right - c.left == hints.min_width && c.bottom - c.top == hints.min_height;
  };
  Xdo(wm.Name(), {"windowsize", std::to_string(main), "320", "240"});
  EXPECT_TRUE(WaitFor(held, kWmPatience)) << Show(wm.Client(main));

  // _NET_MOVERESIZE_WINDOW, as a pager or a tiling tool asks for a size.
  Xdo(wm.Name(), {"windowsize", std::to_string(main), "900", "700"});
  ASSERT_TRUE(WaitFor([&] { return wm.Client(main).right - wm.Client(main).left == 900; }, kWmPatience));
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = main;
  ev.xclient.message_type = XInternAtom(wm.D(), "_NET_MOVERESIZE_WINDOW", False);
  ev.xclient.format = 32;
  // Static gravity, width and height given, from a pager (source 2).
  ev.xclient.data.l[0] = 10 | (1 << 10) | (1 << 11) | (2 << 12);
  ev.xclient.data.l[3] = 300, ev.xclient.data.l[4] = 200;
  XSendEvent(wm.D(), DefaultRootWindow(wm.D()), False, SubstructureRedirectMask | SubstructureNotifyMask,
             &ev);
  XFlush(wm.D());
  EXPECT_TRUE(WaitFor(held, kWmPatience)) << Show(wm.Client(main));
}

// The screen density as desktops announce it, in the resource database.
void SetXftDpi(Display* d, int dpi) {
  std::string resources = "Xft.dpi:\t" + std::to_string(dpi) + "\n";
  XChangeProperty(d, DefaultRootWindow(d), XInternAtom(d, "RESOURCE_MANAGER", False), XA_STRING, 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                  int(resources.size()));
  XSync(d, False);
}

void DialogsOnAFourKScreen(int dpi) {
  UnderOpenbox wm("3840x2160");
  wm.KeepBounds(2600, 1300, 900, 620, dpi);
  wm.before = [&] { SetXftDpi(wm.D(), dpi); };
  std::string why;
  if (!wm.Start(why)) GTEST_SKIP() << why;
  auto centre = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
  auto near = [&](Window w, POINT at) {
    return WaitFor(
        [&] {
          POINT c = centre(wm.Outer(w));
          return std::abs(c.x - at.x) <= 8 && std::abs(c.y - at.y) <= 16;
        },
        kWmPatience);
  };
  Window dialog = wm.Wait(" New database");
  ASSERT_NE(dialog, 0u);
  EXPECT_TRUE(near(dialog, POINT{1920, 1080})) << Show(wm.Outer(dialog));
  Window main = WithCatalogue(wm);
  ASSERT_NE(main, 0u);
  // Where it was kept, or as near as its least size on a dense screen lets it.
  ASSERT_TRUE(WaitFor([&] { return wm.Outer(main).left >= 2500 && wm.Outer(main).top >= 1250; }, kWmPatience))
      << Show(wm.Outer(main));

  // Categories, Add Category: the input box comes up over the main window.
  wm.Focus(main);
  Xdo(wm.Name(), {"key", "alt+c"});
  Xdo(wm.Name(), {"key", "Return"});
  Window input = wm.Wait("Category");
  ASSERT_NE(input, 0u);
  EXPECT_TRUE(near(input, centre(wm.Outer(main))))
      << Show(wm.Outer(input)) << " over " << Show(wm.Outer(main));
  wm.Focus(input);
  Xdo(wm.Name(), {"key", "Escape"});
  ASSERT_TRUE(wm.Gone("Category"));

  // Database, New with a catalogue open: the question comes up over it too.
  wm.Focus(main);
  Xdo(wm.Name(), {"key", "alt+b"});
  Xdo(wm.Name(), {"key", "Return"});
  Window question = wm.Wait("Confirm");
  ASSERT_NE(question, 0u);
  EXPECT_TRUE(near(question, centre(wm.Outer(main))))
      << Show(wm.Outer(question)) << " over " << Show(wm.Outer(main));
  wm.Focus(question);
  Xdo(wm.Name(), {"key", "Escape"});
  ASSERT_TRUE(wm.Gone("Confirm"));

  // F9: the add-disc wizard stays at the screen's centre.
  wm.Focus(main);
  Xdo(wm.Name(), {"key", "F9"});
  Window wizard = wm.Wait("Adding disc");
  ASSERT_NE(wizard, 0u);
  EXPECT_TRUE(near(wizard, POINT{1920, 1080})) << Show(wm.Outer(wizard));
}

// On a large screen with the main window far from its centre, each dialog
// opens where it belongs: the program's own dialogs centred on the screen,
// the input box and the questions centred over the window they belong to.
TEST(WindowManager, OnAFourKScreenDialogsOpenOverTheirOwnerOrAtTheScreenCentre) {
  for (int dpi : {96, 192}) {
    SCOPED_TRACE(dpi);
    DialogsOnAFourKScreen(dpi);
    if (HasFatalFailure() || IsSkipped()) return;
  }
}

// The real program at 96 and at 192 dpi (the desktop's Xft.dpi): the main
// window is twice as large, and so is its menu bar, down to where the tab
// strip's first line is painted, and the room between its titles.
TEST(WindowManager, AtTwiceTheDensityTheMainWindowAndItsMenuBarAreTwiceAsLarge) {
  std::map<int, std::pair<int, int>> measured;  // dpi: client width, menu bar and tab edge
  std::map<int, int> titleGap;                  // dpi: the blank between the menu's first titles
  for (int dpi : {96, 192}) {
    UnderOpenbox wm("3840x2160");
    wm.before = [&] { SetXftDpi(wm.D(), dpi); };
    std::string why;
    if (!wm.Start(why)) GTEST_SKIP() << why;
    Window main = WithCatalogue(wm);
    ASSERT_NE(main, 0u);
    const int rows = 200;
    // The first row, down the left edge, that is not the menu bar's face;
    // read until two looks agree (the window may still be painting).
    auto firstEdge = [&] {
      std::vector<uint32_t> column = ReadPixels(wm.D(), main, 3, 0, 1, rows);
      if (column.size() != size_t(rows)) return -1;
      for (int y = 1; y < rows; ++y)
        if (column[size_t(y)] != column[0]) return y;
      return -1;
    };
    int edge = -1;
    ASSERT_TRUE(WaitFor(
        [&] {
          int before = edge;
          edge = firstEdge();
          return edge > 0 && edge == before;
        },
        kWmPatience));
    const int width = wm.Client(main).right - wm.Client(main).left;
    measured[dpi] = {width, edge};
    // The blank columns between the first two titles ("Database" and
    // "Categories"): letters part by a few columns, titles by more.
    const std::vector<uint32_t> bar = ReadPixels(wm.D(), main, 0, 0, width, edge);
    ASSERT_EQ(bar.size(), size_t(width) * size_t(edge));
    auto ink = [&](int x) {
      for (int y = 0; y < edge; ++y) {
        const uint32_t p = bar[size_t(y) * size_t(width) + size_t(x)];
        if ((p & 0xFF) < 100 && ((p >> 8) & 0xFF) < 100 && ((p >> 16) & 0xFF) < 100) return true;
      }
      return false;
    };
    int x = 0;
    while (x < width && !ink(x)) ++x;
    while (x < width && !titleGap[dpi]) {
      int blank = 0;
      while (x < width && !ink(x)) ++x, ++blank;
      if (blank > 6 * dpi / 96) titleGap[dpi] = blank;
      while (x < width && ink(x)) ++x;
    }
  }
  EXPECT_GT(titleGap[96], 6) << "the titles of the menu bar";
  EXPECT_LE(std::abs(titleGap[192] - 2 * titleGap[96]), 2) << titleGap[96] << " " << titleGap[192];
  EXPECT_LE(std::abs(measured[192].first - 2 * measured[96].first), 2)
      << measured[96].first << " " << measured[192].first;
  EXPECT_GT(measured[96].second, 10) << "the menu bar";
  EXPECT_LE(std::abs(measured[192].second - 2 * measured[96].second), 2)
      << measured[96].second << " " << measured[192].second;
}

// The wizard is a fixed dialog of the main window to the window manager: it
// cannot be maximised or resized, and minimising it (which the window
// manager does to its owner too) leaves both on the screen.
TEST(WindowManager, TheWizardIsAFixedDialogOfTheMainWindowThatStaysOnTheScreen) {
  UnderOpenbox wm("1024x768");
  std::string why;
  if (!wm.Start(why)) GTEST_SKIP() << why;
  Window dialog = wm.Wait(" New database");
  ASSERT_NE(dialog, 0u);
  wm.Focus(dialog);
  Xdo(wm.Name(), {"type", "--delay", "20", "Wm"});
  Xdo(wm.Name(), {"key", "Return"});
  Window main = wm.Wait(" Velmora Quirvane  - [ Wm ]");
  ASSERT_NE(main, 0u);
  wm.Focus(main);
  Xdo(wm.Name(), {"key", "F9"});
  Window wizard = wm.Wait("Adding disc");
  ASSERT_NE(wizard, 0u);

  EXPECT_EQ(wm.Atoms(wizard, "_NET_WM_WINDOW_TYPE"), std::vector<std::string>{"_NET_WM_WINDOW_TYPE_DIALOG"});
  Window owner = 0;
  EXPECT_TRUE(XGetTransientForHint(wm.D(), wizard, &owner));
  EXPECT_EQ(owner, main);
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(wm.D(), wizard, &hints, &supplied));
  EXPECT_EQ(hints.min_width, hints.max_width);
  EXPECT_EQ(hints.min_height, hints.max_height);
  // What the window manager offers for it, once it has looked at the hints.
  std::vector<std::string> actions;
  ASSERT_TRUE(
      WaitFor([&] { return !(actions = wm.Atoms(wizard, "_NET_WM_ALLOWED_ACTIONS")).empty(); }, kWmPatience));
  for (const char* refused :
       {"_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT", "_NET_WM_ACTION_RESIZE"})
    EXPECT_EQ(std::count(actions.begin(), actions.end(), refused), 0) << refused;
  EXPECT_EQ(std::count(actions.begin(), actions.end(), "_NET_WM_ACTION_CLOSE"), 1);

  // Minimised as the window manager's button does it: the wizard (and with
  // it the main window) is unmapped, then both come back.
  XSelectInput(wm.D(), wizard, StructureNotifyMask);
  XSync(wm.D(), False);
  Xdo(wm.Name(), {"windowminimize", std::to_string(wizard)});
  XEvent ev;
  EXPECT_TRUE(WaitFor([&] { return XCheckTypedWindowEvent(wm.D(), wizard, UnmapNotify, &ev); }, kWmPatience))
      << "the window manager did not minimise the wizard";
  EXPECT_TRUE(WaitFor([&] { return wm.Viewable(wizard) && wm.Viewable(main); }, kWmPatience))
      << "the screen was left empty";
  std::vector<long> state = wm.Cardinals(wizard, "WM_STATE", XInternAtom(wm.D(), "WM_STATE", False));
  ASSERT_FALSE(state.empty());
  EXPECT_EQ(state[0], NormalState);

  // Esc leaves the wizard; in the Database menu Up goes round to its last
  // item, Exit, and Enter ends the program.
  wm.Focus(wizard);
  Xdo(wm.Name(), {"key", "Escape"});
  ASSERT_TRUE(WaitFor([&] { return !wm.Viewable(wizard); }, kWmPatience));
  wm.Focus(main);
  Xdo(wm.Name(), {"key", "alt+b"});
  Xdo(wm.Name(), {"key", "Up"});
  Xdo(wm.Name(), {"key", "Return"});
  EXPECT_EQ(wm.Ended(), 0) << "Up and Enter in the Database menu did not choose Exit";
}

// A close from the title bar: the window manager's _NET_CLOSE_WINDOW, which
// openbox hands on as WM_DELETE_WINDOW.
void CloseFromTitleBar(Display* d, Window w) {
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = XInternAtom(d, "_NET_CLOSE_WINDOW", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = CurrentTime;
  ev.xclient.data.l[1] = 2;  // from a pager or a title bar, as the user asks
  XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
  XFlush(d);
}

// The popup menu on the screen (an override-redirect window), 0 while none shows.
Window ShownPopup(Display* d) {
  ServerHeld held(d);
  Window root, parent, *children = nullptr;
  unsigned n = 0;
  Window found = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return 0;
  for (unsigned i = 0; i < n; ++i) {
    XWindowAttributes a{};
    if (XGetWindowAttributes(d, children[i], &a) && a.override_redirect && a.map_state == IsViewable &&
        a.width > 40 && a.height > 30)
      found = children[i];
  }
  if (children) XFree(children);
  return found;
}

// The moments around the console's popup menu command at which the close comes.
enum class Moment { MenuOpen, ItemPressed, ItemReleased, CommandDone };

// Right-clicks the console, chooses Copy Console and closes the window from
// the title bar at the moment given.
void CloseAroundCopyConsole(UnderOpenbox& wm, Window main, Moment moment) {
  Display* d = wm.D();
  const RECT client = wm.Client(main);
  // The console lies along the bottom, above the status bar.
  const int x = client.left + (client.right - client.left) / 3, y = client.bottom - 80;
  Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
  XSetSelectionOwner(d, clipboard, None, CurrentTime);
  XSync(d, False);
  Xdo(wm.Name(), {"mousemove", std::to_string(x), std::to_string(y), "click", "3"});
  Window popup = 0;
  ASSERT_TRUE(WaitFor([&] { return (popup = ShownPopup(d)) != 0; }, kWmPatience)) << "no popup menu";
  if (moment == Moment::MenuOpen) return CloseFromTitleBar(d, main);
  const RECT menu = wm.Client(popup);
  // Copy Console is the first item.
  Xdo(wm.Name(), {"mousemove", std::to_string(menu.left + 30), std::to_string(menu.top + 12)});
  Xdo(wm.Name(), {"mousedown", "1"});
  if (moment == Moment::ItemPressed) CloseFromTitleBar(d, main);
  Xdo(wm.Name(), {"mouseup", "1"});
  if (moment == Moment::ItemReleased) CloseFromTitleBar(d, main);
  if (moment != Moment::CommandDone) return;
  ASSERT_TRUE(WaitFor([&] { return XGetSelectionOwner(d, clipboard) != None; }, kWmPatience))
      << "Copy Console did not copy";
  CloseFromTitleBar(d, main);
}

// A close from the title bar at each moment around a popup menu command (the
// menu open, its item pressed, released, the command run) ends the program
// every time; so does one while a question waits for its answer.
TEST(WindowManager, ACloseFromTheTitleBarAroundAPopupMenuCommandEndsTheProgram) {
  UnderOpenbox wm("1024x768");
  std::string why;
  if (!wm.Start(why)) GTEST_SKIP() << why;
  ASSERT_NE(WithCatalogue(wm), 0u);
  // The first start made the catalogue; the program opens it on each start after.
  CloseFromTitleBar(wm.D(), wm.Wait(" Velmora Quirvane  - [ Wm ]"));
  ASSERT_EQ(wm.Ended(), 0) << "a plain close";
  const char* names[] = {"menu open", "item pressed", "item released", "command done"};
  for (int round = 0; round < 2; ++round)
    for (Moment moment : {Moment::MenuOpen, Moment::ItemPressed, Moment::ItemReleased, Moment::CommandDone}) {
      SCOPED_TRACE(names[int(moment)]);
      ASSERT_TRUE(wm.Launch());
      Window main = wm.Wait(" Velmora Quirvane  - [ Wm ]");
      ASSERT_NE(main, 0u);
      CloseAroundCopyConsole(wm, main, moment);
      if (HasFatalFailure()) return;
      ASSERT_EQ(wm.Ended(), 0) << "the close went unheard";
    }

  // Database, New with a catalogue open asks first: a close meanwhile ends
  // the program, the question answered as by its Cancel.
  ASSERT_TRUE(wm.Launch());
  Window main = wm.Wait(" Velmora Quirvane  - [ Wm ]");
  ASSERT_NE(main, 0u);
  wm.Focus(main);
  Xdo(wm.Name(), {"key", "alt+b"});
  Xdo(wm.Name(), {"key", "Return"});
  ASSERT_NE(wm.Wait("Confirm"), 0u);
  CloseFromTitleBar(wm.D(), main);
  EXPECT_EQ(wm.Ended(), 0) << "the close went unheard while a question was up";
}

}  // namespace
}  // namespace qv::test
