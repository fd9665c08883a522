// The X11 backend against a real X server (Xvfb, skipped when it is not
// installed): the demo program shows its form and reads it back from the
// server; in-process, the desktop's requests (moving a window, closing it,
// reading our clipboard) reach the program through a second X client.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <sys/file.h>
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
// clang-format on
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "demo/DemoLayout.h"
#include "platform/backend/X11Backend.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Shapes.h"
#include "platform/image/Png.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/SizeMove.h"
#include "platform/window/Window.h"
#include "tests/common/SelectionAnswer.h"
#include "tests/common/XvfbSupport.h"

namespace qv {
namespace {

using namespace std::chrono_literals;
using test::OnPath;
using test::Reap;
using test::Xvfb;

bool Near(uint32_t p, uint8_t r, uint8_t g, uint8_t b, int tol) {
  return std::abs(PixelR(p) - r) <= tol && std::abs(PixelG(p) - g) <= tol && std::abs(PixelB(p) - b) <= tol;
}

class X11Smoke : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    server = std::make_unique<Xvfb>();
    ASSERT_FALSE(server->Display().empty()) << "Xvfb did not start";
  }
  std::unique_ptr<Xvfb> server;
};

TEST(X11Open, WithoutADisplayTheProgramSaysSoAndFails) {
  std::string errors;
  EXPECT_NE(test::RunProgram(QV_DEMO_PROGRAM, nullptr, "", "", errors), 0);
  EXPECT_NE(errors.find("DISPLAY"), std::string::npos) << errors;
  std::string error;
  const char* saved = std::getenv("DISPLAY");
  std::string keep = saved ? saved : "";
  unsetenv("DISPLAY");
  EXPECT_EQ(OpenX11Backend(&error), nullptr);
  EXPECT_NE(error.find("graphical display"), std::string::npos);
  if (saved) setenv("DISPLAY", keep.c_str(), 1);
}

TEST_F(X11Smoke, DemoWindowReadBackFromTheServer) {
  Surface shot;
  std::string errors;
  ASSERT_TRUE(test::SelfTestPicture(QV_DEMO_PROGRAM, server->Display(), shot, errors)) << errors;
  // The X window shows the client area: the desktop draws the caption and frame.
  ASSERT_EQ(shot.Width, demo::kMainClient.cx);
  ASSERT_EQ(shot.Height, demo::kMainClient.cy);
  auto at = [&](int contentX, int contentY) {
    return shot.At(demo::kCanvasMargin + contentX, demo::kCanvasMargin + demo::kStatusHeight + contentY);
  };
  const RECT& g = demo::kGradientRect;
  int mid = (g.top + g.bottom) / 2;
  EXPECT_TRUE(Near(at(g.left, mid), 255, 0, 0, 8));
  EXPECT_TRUE(Near(at(g.right - 1, mid), 0, 0, 255, 8));
  EXPECT_TRUE(Near(at(demo::kBlendRect.left + 5, demo::kBlendRect.top + 5), 128, 0, 127, 2));
  const RECT& pic = demo::kImageRect;
  uint32_t disc = at((pic.left + pic.right) / 2, (pic.top + pic.bottom) / 2);
  EXPECT_TRUE(Near(disc, GetRValue(demo::kPictureDisc), GetGValue(demo::kPictureDisc),
                   GetBValue(demo::kPictureDisc), 0));
  uint32_t grid = at(demo::kGridRect.left, demo::kGridRect.top + 5);
  EXPECT_TRUE(
      Near(grid, GetRValue(demo::kGridColor), GetGValue(demo::kGridColor), GetBValue(demo::kGridColor), 0));
  int dark = 0;
  for (int y = demo::kTitleRect.top; y < demo::kTitleRect.bottom; ++y)
    for (int x = demo::kTitleRect.left; x < demo::kTitleRect.right; ++x)
      dark += PixelR(at(x, y)) + PixelG(at(x, y)) + PixelB(at(x, y)) < 300;
  EXPECT_GT(dark, 40);
  // The status band above the content shows its lines of text.
  int status = 0;
  for (int y = demo::kCanvasMargin + 2; y < demo::kCanvasMargin + demo::kStatusHeight - 2; ++y)
    for (int x = demo::kCanvasMargin + 4; x < demo::kCanvasMargin + 200; ++x)
      status += PixelR(shot.At(x, y)) + PixelG(shot.At(x, y)) + PixelB(shot.At(x, y)) < 300;
  EXPECT_GT(status, 60);
  // The hint popup, an override-redirect window, lies above the form.
  const RECT& h = demo::kHintInCanvas;
  uint32_t hint = shot.At(demo::kCanvasMargin + h.right - 3, demo::kCanvasMargin + h.bottom - 3);
  EXPECT_TRUE(
      Near(hint, GetRValue(demo::kHintBack), GetGValue(demo::kHintBack), GetBValue(demo::kHintBack), 0));
}

// In-process: this test is the program, and a second connection plays the desktop.
class X11InProcess : public X11Smoke {
 protected:
  void SetUp() override {
    X11Smoke::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    setenv("DISPLAY", server->Display().c_str(), 1);
    std::string error;
    backend = OpenX11Backend(&error);
    ASSERT_TRUE(backend) << error;
    desktop = XOpenDisplay(server->Display().c_str());
    ASSERT_TRUE(desktop);
    WNDCLASSEXW wc;
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      if (m == WM_CLOSE) return ++closeRequests, 0;
      return DefWindowProcW(h, m, w, l);
    };
    wc.lpszClassName = u"QvX11Test";
    RegisterClassExW(&wc);
  }
  void TearDown() override {
    if (top) DestroyWindow(top);
    UnregisterClassW(u"QvX11Test", nullptr);
    if (desktop) XCloseDisplay(desktop);
    backend.reset();
  }
  // Runs the program's loop until `done` or a time limit, generous for a
  // loaded machine: it bounds a failing test only.
  template <typename F>
  bool PumpUntil(F done) {
    DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > 30000) return false;
      ProcessPendingMessages();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
  }
  Window XWindowOf(HWND) {
    // Our only top-level X window on the server is the newest child of the root.
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    XQueryTree(desktop, DefaultRootWindow(desktop), &root, &parent, &children, &n);
    Window w = 0;
    for (unsigned i = 0; i < n; ++i) {
      XWindowAttributes a;
      if (XGetWindowAttributes(desktop, children[i], &a) && a.map_state == IsViewable &&
          a.c_class == InputOutput)
        w = children[i];
    }
    if (children) XFree(children);
    return w;
  }
  X11Backend& X() { return static_cast<X11Backend&>(*backend); }

  std::unique_ptr<Backend> backend;
  Display* desktop = nullptr;
  HWND top = nullptr;
  static inline int closeRequests = 0;
};

TEST_F(X11InProcess, TheDesktopMovesAndClosesTheWindow) {
  top = CreateWindowExW(0, u"QvX11Test", u"moved", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr, nullptr,
                        nullptr, nullptr);
  ShowWindow(top, SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return X().IsOnScreen(top); }));
  Window w = XWindowOf(top);
  ASSERT_NE(w, 0u);
  RECT before, client;
  GetWindowRect(top, &before);
  GetClientRect(top, &client);
  // The X window is the client part; moving and sizing it moves and sizes the window around it.
  XMoveResizeWindow(desktop, w, 250, 160, unsigned(client.right + 40), unsigned(client.bottom + 30));
  XFlush(desktop);
  RECT after;
  ASSERT_TRUE(PumpUntil([&] {
    return GetWindowRect(top, &after) && after.right - after.left == before.right - before.left + 40;
  }));
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 30);
  POINT origin{0, 0};
  ClientToScreen(top, &origin);
  EXPECT_EQ(origin.x, 250);
  EXPECT_EQ(origin.y, 160);

  closeRequests = 0;
  test::AskToClose(desktop, w);
  EXPECT_TRUE(PumpUntil([&] { return closeRequests == 1; }));
}

TEST_F(X11InProcess, OtherClientsReadOurClipboardAndWeReadTheirs) {
  X().SetClipboardText(u"disc \u00e9t\u00e9 \u2192 42");
  Atom clipboard = XInternAtom(desktop, "CLIPBOARD", False),
       utf8 = XInternAtom(desktop, "UTF8_STRING", False);
  Atom prop = XInternAtom(desktop, "QV_TEST", False);
  Window reader = XCreateSimpleWindow(desktop, DefaultRootWindow(desktop), 0, 0, 1, 1, 0, 0, 0);
  XConvertSelection(desktop, clipboard, utf8, prop, reader, CurrentTime);
  XFlush(desktop);
  XEvent ev{};
  // The program answers while it runs its loop.
  ASSERT_TRUE(PumpUntil([&] { return XCheckTypedWindowEvent(desktop, reader, SelectionNotify, &ev); }));
  ASSERT_EQ(ev.xselection.property, prop);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  XGetWindowProperty(desktop, reader, prop, 0, 1024, True, AnyPropertyType, &type, &format, &count, &after,
                     &data);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), count), "disc \xc3\xa9t\xc3\xa9 \xe2\x86\x92 42");
  XFree(data);

  // Another client takes the clipboard; the program reads it from there (answered from a thread).
  XSetSelectionOwner(desktop, clipboard, reader, CurrentTime);
  XFlush(desktop);
  std::thread owner([&] {
    XEvent req;
    for (auto deadline = std::chrono::steady_clock::now() + 30s;
         std::chrono::steady_clock::now() < deadline;) {
      if (!XCheckTypedWindowEvent(desktop, reader, SelectionRequest, &req)) {
        std::this_thread::sleep_for(5ms);
        continue;
      }
      const char text[] = "from elsewhere";
      XChangeProperty(desktop, req.xselectionrequest.requestor, req.xselectionrequest.property,
                      req.xselectionrequest.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(text), int(sizeof text - 1));
      test::AnswerRequest(desktop, req.xselectionrequest, req.xselectionrequest.property);
      return;
    }
  });
  std::this_thread::sleep_for(50ms);  // the program must see that it lost the clipboard
  std::u16string text;
  PumpUntil([&] { return (text = X().GetClipboardText()) != u"disc \u00e9t\u00e9 \u2192 42"; });
  owner.join();
  EXPECT_EQ(text, u"from elsewhere");
  XDestroyWindow(desktop, reader);
}

// Reading what another client sees of our windows.
class X11Desktop : public X11InProcess {
 protected:
  void SetUp() override {
    X11InProcess::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    WNDCLASSEXW wc;
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      if (m == WM_GETMINMAXINFO) {
        auto* mm = reinterpret_cast<MINMAXINFO*>(l);
        mm->ptMinTrackSize = POINT{220, 160};
        mm->ptMaxTrackSize = POINT{700, 500};
        return 0;
      }
      return DefWindowProcW(h, m, w, l);
    };
    wc.lpszClassName = u"QvX11Hint";
    RegisterClassExW(&wc);
    wc.lpszClassName = u"QvX11Limited";
    RegisterClassExW(&wc);
  }
  void TearDown() override {
    for (HWND h : made) DestroyWindow(h);
    UnregisterClassW(u"QvX11Hint", nullptr);
    UnregisterClassW(u"QvX11Limited", nullptr);
    X11InProcess::TearDown();
  }
  HWND Make(DWORD ex, const char16_t* cls, const char16_t* title, DWORD style, RECT r, HWND owner) {
    HWND h = CreateWindowExW(ex, cls, title, style, r.left, r.top, r.Width(), r.Height(), owner, nullptr,
                             nullptr, nullptr);
    made.push_back(h);
    ShowWindow(h, SW_SHOWNA);
    EXPECT_TRUE(PumpUntil([&] { return X().IsOnScreen(h); }));
    // The exposure seen last is only queued: once handled, the server shows
    // the window's own pixels rather than the bare X window.
    ProcessPendingMessages();
    return h;
  }
  std::vector<unsigned char> Property(Window w, const char* name, Atom* type = nullptr) {
    Atom actual;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::vector<unsigned char> out;
    if (XGetWindowProperty(desktop, w, XInternAtom(desktop, name, False), 0, 1 << 20, False, AnyPropertyType,
                           &actual, &format, &count, &after, &data) == Success &&
        data) {
      std::size_t bytes = format == 32 ? count * sizeof(long) : count * std::size_t(format / 8);
      out.assign(data, data + bytes);
      XFree(data);
    }
    if (type) *type = actual;
    return out;
  }
  long Long(Window w, const char* name, std::size_t index = 0) {
    auto p = Property(w, name);
    return p.size() >= (index + 1) * sizeof(long) ? reinterpret_cast<const long*>(p.data())[index] : -1;
  }
  std::string AtomName(long atom) {
    char* n = XGetAtomName(desktop, Atom(atom));
    std::string s = n ? n : "";
    if (n) XFree(n);
    return s;
  }
  // The viewable X windows of the root, bottom of the stack first, by title
  // (override-redirect ones as "popup").
  std::vector<std::pair<std::string, Window>> Stack() {
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    XQueryTree(desktop, DefaultRootWindow(desktop), &root, &parent, &children, &n);
    std::vector<std::pair<std::string, Window>> out;
    for (unsigned i = 0; i < n; ++i) {
      XWindowAttributes a;
      if (!XGetWindowAttributes(desktop, children[i], &a) || a.map_state != IsViewable ||
          a.c_class != InputOutput)
        continue;
      auto name = Property(children[i], "_NET_WM_NAME");
      out.push_back({a.override_redirect ? "popup" : std::string(name.begin(), name.end()), children[i]});
    }
    if (children) XFree(children);
    return out;
  }
  Window Find(const std::string& title) {
    for (auto& [t, w] : Stack())
      if (t == title) return w;
    return 0;
  }
  std::vector<HWND> made;
};

TEST_F(X11Desktop, WindowsTellTheirProgramClassIconTypeAndOwner) {
  HWND main =
      Make(0, u"QvX11Test", u"Catalogue \u00e9t\u00e9", WS_OVERLAPPEDWINDOW, {50, 50, 450, 350}, nullptr);
  HWND dialog =
      Make(0, u"QvX11Test", u"Find", WS_POPUP | WS_CAPTION | WS_SYSMENU, {100, 100, 300, 250}, main);
  Make(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, u"QvX11Hint", u"", WS_POPUP, {120, 300, 220, 320}, main);
  Window wm = Find("Catalogue \xc3\xa9t\xc3\xa9"), wd = Find("Find"), wh = Find("popup");
  ASSERT_TRUE(wm && wd && wh);
  (void)dialog;
  EXPECT_EQ(Long(wm, "_NET_WM_PID"), long(getpid()));
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  auto machine = Property(wm, "WM_CLIENT_MACHINE");
  EXPECT_EQ(std::string(machine.begin(), machine.end()), host);
  auto cls = Property(wm, "WM_CLASS");
  EXPECT_EQ(std::string(cls.begin(), cls.end()), std::string("quirvane\0Quirvane\0", 18));
  Atom type = 0;
  Property(wm, "_NET_WM_NAME", &type);
  EXPECT_EQ(AtomName(long(type)), "UTF8_STRING");
  // A 32 x 32 icon: width, height, then one ARGB value per pixel.
  auto icon = Property(wm, "_NET_WM_ICON");
  EXPECT_EQ(icon.size(), (2 + 32 * 32) * sizeof(long));
  EXPECT_EQ(Long(wm, "_NET_WM_ICON", 0), 32);
  EXPECT_EQ(AtomName(Long(wm, "_NET_WM_WINDOW_TYPE")), "_NET_WM_WINDOW_TYPE_NORMAL");
  EXPECT_EQ(AtomName(Long(wd, "_NET_WM_WINDOW_TYPE")), "_NET_WM_WINDOW_TYPE_DIALOG");
  EXPECT_EQ(AtomName(Long(wh, "_NET_WM_WINDOW_TYPE")), "_NET_WM_WINDOW_TYPE_TOOLTIP");
  Window owner = 0;
  EXPECT_TRUE(XGetTransientForHint(desktop, wd, &owner));
  EXPECT_EQ(owner, wm);
}

// The window manager draws the buttons the style asks for: a dialog has
// neither minimise nor maximise and keeps its size; a sizable tool-window
// dialog resizes but does not maximise; the main window has them all.
TEST_F(X11Desktop, DialogsAskForTheirOwnFrameAndButtons) {
  enum : long { kFuncResize = 2, kFuncMinimize = 8, kFuncMaximize = 16, kFuncClose = 32 };
  enum : long { kDecResize = 4, kDecMinimize = 32, kDecMaximize = 64 };
  HWND main = Make(0, u"QvX11Test", u"Main", WS_OVERLAPPEDWINDOW, {50, 50, 450, 350}, nullptr);
  Make(WS_EX_DLGMODALFRAME, u"QvX11Test", u"Fixed", WS_POPUP | WS_CAPTION | WS_SYSMENU, {100, 100, 300, 250},
       main);
  Make(WS_EX_TOOLWINDOW, u"QvX11Test", u"Sizable", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
       {120, 120, 320, 270}, main);
  Window wm = Find("Main"), wf = Find("Fixed"), ws = Find("Sizable");
  ASSERT_TRUE(wm && wf && ws);
  auto motif = [&](Window w) {
    auto p = Property(w, "_MOTIF_WM_HINTS");
    EXPECT_EQ(p.size(), 5 * sizeof(long));
    std::vector<long> v(5, 0);
    if (p.size() == 5 * sizeof(long)) std::copy_n(reinterpret_cast<const long*>(p.data()), 5, v.begin());
    EXPECT_EQ(v[0], 3) << "functions and decorations are given";
    return v;
  };
  auto m = motif(wm), f = motif(wf), z = motif(ws);
  for (long bit : {kFuncResize, kFuncMinimize, kFuncMaximize, kFuncClose}) EXPECT_TRUE(m[1] & bit) << bit;
  for (long bit : {kDecResize, kDecMinimize, kDecMaximize}) EXPECT_TRUE(m[2] & bit) << bit;
  for (long bit : {kFuncResize, kFuncMinimize, kFuncMaximize}) EXPECT_FALSE(f[1] & bit) << bit;
  for (long bit : {kDecResize, kDecMinimize, kDecMaximize}) EXPECT_FALSE(f[2] & bit) << bit;
  EXPECT_TRUE(f[1] & kFuncClose);
  EXPECT_TRUE((z[1] & kFuncResize) && (z[2] & kDecResize));
  EXPECT_FALSE((z[1] & (kFuncMinimize | kFuncMaximize)) || (z[2] & (kDecMinimize | kDecMaximize)));
  EXPECT_EQ(AtomName(Long(wf, "_NET_WM_WINDOW_TYPE")), "_NET_WM_WINDOW_TYPE_DIALOG");
  EXPECT_EQ(AtomName(Long(ws, "_NET_WM_WINDOW_TYPE")), "_NET_WM_WINDOW_TYPE_DIALOG");
  // The fixed dialog keeps its size.
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(desktop, wf, &hints, &supplied));
  EXPECT_EQ(hints.min_width, hints.max_width);
  EXPECT_EQ(hints.min_height, hints.max_height);
}

TEST_F(X11Desktop, SizeHintsFollowTheLimitsAndTheGeometryTheUserGave) {
  HWND h = Make(0, u"QvX11Limited", u"Limited", WS_OVERLAPPEDWINDOW, {50, 50, 450, 350}, nullptr);
  Window w = Find("Limited");
  ASSERT_TRUE(w);
  RECT wr;
  GetWindowRect(h, &wr);
  POINT origin{0, 0};
  ClientToScreen(h, &origin);
  int insetW = wr.right - wr.left - 0, insetH = 0;
  RECT cr;
  GetClientRect(h, &cr);
  insetW = (wr.right - wr.left) - cr.right, insetH = (wr.bottom - wr.top) - cr.bottom;
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(desktop, w, &hints, &supplied));
  EXPECT_EQ(hints.min_width, 220 - insetW);
  EXPECT_EQ(hints.min_height, 160 - insetH);
  EXPECT_EQ(hints.max_width, 700 - insetW);
  // The user moves and sizes the window: the hints tell the new geometry.
  XMoveResizeWindow(desktop, w, 300, 200, 320, 240);
  XFlush(desktop);
  ASSERT_TRUE(PumpUntil([&] {
    XGetWMNormalHints(desktop, w, &hints, &supplied);
    return hints.x == 300 && hints.width == 320;
  }));
  EXPECT_EQ(hints.y, 200);
  EXPECT_EQ(hints.height, 240);
}

TEST_F(X11Desktop, PopupsStayAboveAndFollowTheirFormAndFocusDecidesTheLook) {
  HWND main = Make(0, u"QvX11Test", u"Form", WS_OVERLAPPEDWINDOW, {50, 50, 450, 350}, nullptr);
  HWND hint = Make(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, u"QvX11Hint", u"", WS_POPUP, {120, 200, 220, 220}, main);
  Window wm = Find("Form"), wh = Find("popup");
  ASSERT_TRUE(wm && wh);
  auto above = [&] {
    auto s = Stack();
    int form = -1, popup = -1;
    for (int i = 0; i < int(s.size()); ++i) {
      if (s[i].second == wm) form = i;
      if (s[i].second == wh) popup = i;
    }
    return popup > form && form >= 0;
  };
  EXPECT_TRUE(above());
  // Another client raises the form: the hint comes back above it.
  XRaiseWindow(desktop, wm);
  XFlush(desktop);
  EXPECT_TRUE(PumpUntil(above));
  // The desktop moves the form: the hint moves with it.
  RECT hr;
  GetWindowRect(hint, &hr);
  POINT origin{0, 0};
  ClientToScreen(main, &origin);
  XMoveWindow(desktop, wm, origin.x + 40, origin.y + 30);
  XFlush(desktop);
  RECT now;
  EXPECT_TRUE(PumpUntil([&] { return GetWindowRect(hint, &now) && now.left == hr.left + 40; }));
  EXPECT_EQ(now.top, hr.top + 30);
  // Active inside the program but without the X focus, the form looks inactive;
  // the desktop's focus makes it active.
  XWarpPointer(desktop, None, DefaultRootWindow(desktop), 0, 0, 0, 0, 1000, 750);
  XSetInputFocus(desktop, None, RevertToNone, CurrentTime);
  XFlush(desktop);
  SetActiveWindow(main);
  EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == nullptr; }));
  XSetInputFocus(desktop, wm, RevertToParent, CurrentTime);
  XFlush(desktop);
  EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == main; }));
}

TEST_F(X11Desktop, ScreenDrawingShowsOverTheWindowsUntilReleased) {
  HWND h = Make(0, u"QvX11Test", u"Under", WS_OVERLAPPEDWINDOW, {50, 50, 450, 350}, nullptr);
  POINT origin{0, 0};
  ClientToScreen(h, &origin);
  Surface before, now;
  ASSERT_TRUE(X().CaptureWindow(h, before));
  HDC screen = GetDC(nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT r{origin.x + 10, origin.y + 10, origin.x + 60, origin.y + 40};
  FillRect(screen, &r, red);
  EXPECT_TRUE(
      PumpUntil([&] { return X().CaptureWindow(h, now) && (now.At(20, 20) & 0xFFFFFF) == 0xFF0000; }));
  EXPECT_EQ(now.At(100, 100), before.At(100, 100));
  // A second DC's drawing shows with the first's; it moves (as a drag image
  // does) and stays when the first DC goes, which takes only its own away.
  HDC other = GetDC(nullptr);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  RECT mark{origin.x + 100, origin.y + 10, origin.x + 130, origin.y + 40};
  FillRect(other, &mark, blue);
  EXPECT_TRUE(
      PumpUntil([&] { return X().CaptureWindow(h, now) && (now.At(110, 20) & 0xFFFFFF) == 0x0000FF; }));
  BitBlt(other, mark.left, mark.top, 30, 30, screen, mark.left, mark.top,
         SRCCOPY);  // the window's own pixels
  OffsetRect(&mark, 0, 100);
  FillRect(other, &mark, blue);
  EXPECT_TRUE(PumpUntil([&] {
    return X().CaptureWindow(h, now) && (now.At(110, 120) & 0xFFFFFF) == 0x0000FF &&
           now.At(110, 20) == before.At(110, 20);
  }));
  ReleaseDC(nullptr, screen);
  DeleteObject(red);
  EXPECT_TRUE(PumpUntil([&] { return X().CaptureWindow(h, now) && now.At(20, 20) == before.At(20, 20); }));
  EXPECT_EQ(now.At(110, 120) & 0xFFFFFF, 0x0000FFu);
  ReleaseDC(nullptr, other);
  DeleteObject(blue);
  EXPECT_TRUE(
      PumpUntil([&] { return X().CaptureWindow(h, now) && now.At(110, 120) == before.At(110, 120); }));
}

// A copy of the screen (a hint's background) shows what the desktop really
// has where none of our windows is, and our windows' own pixels where they are.
TEST_F(X11Desktop, ScreenCopiesSeeTheDesktopUnderOurWindows) {
  HWND h = Make(0, u"QvX11Test", u"Ours", WS_OVERLAPPEDWINDOW, {50, 50, 450, 350}, nullptr);
  // Another program's window, plain green.
  XSetWindowAttributes a{};
  a.background_pixel = 0x00C000;
  a.override_redirect = True;
  Window other = XCreateWindow(desktop, DefaultRootWindow(desktop), 600, 100, 120, 80, 0, CopyFromParent,
                               InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect, &a);
  XMapWindow(desktop, other);
  XSync(desktop, False);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, 650, 140) & 0xFFFFFF, COLORREF(RGB(0, 0xC0, 0)));
  POINT origin{0, 0};
  ClientToScreen(h, &origin);
  Surface ours;
  ASSERT_TRUE(X().CaptureWindow(h, ours));
  const uint32_t mine = ours.At(100, 100);
  EXPECT_EQ(GetPixel(screen, origin.x + 100, origin.y + 100),
            COLORREF(RGB(PixelR(mine), PixelG(mine), PixelB(mine))));
  // Our own caption lies under the place of the desktop's frame (here: no
  // window manager, nothing): the copy shows what the desktop shows there.
  ASSERT_GT(origin.y, 60);
  XImage* caption =
      XGetImage(desktop, DefaultRootWindow(desktop), origin.x + 100, 55, 1, 1, AllPlanes, ZPixmap);
  ASSERT_NE(caption, nullptr);
  const unsigned long shown = XGetPixel(caption, 0, 0);
  XDestroyImage(caption);
  EXPECT_EQ(GetPixel(screen, origin.x + 100, 55) & 0xFFFFFF,
            COLORREF(RGB((shown >> 16) & 0xFF, (shown >> 8) & 0xFF, shown & 0xFF)));
  // A part of the screen alone (what a hint captures) reads the desktop there
  // as the whole screen does: the other program's window, ours, the caption.
  const Surface whole = ComposeScreen();
  Surface part;
  const RECT on = ComposeScreenPart(part, RECT{100, 40, 700, 300});
  ASSERT_EQ(part.Width, 600);
  ASSERT_EQ(part.Height, 260);
  EXPECT_EQ(part.At(650 - on.left, 140 - on.top) & 0xFFFFFF, PixelRGB(0, 0xC0, 0) & 0xFFFFFF);
  int differing = 0;
  for (int y = 0; y < part.Height; ++y)
    for (int x = 0; x < part.Width; ++x) differing += part.At(x, y) != whole.At(on.left + x, on.top + y);
  EXPECT_EQ(differing, 0);
  ReleaseDC(nullptr, screen);
  XDestroyWindow(desktop, other);
  XSync(desktop, False);
}

}  // namespace
}  // namespace qv
