// The gallery program on a real X server (Xvfb, skipped when it is not
// installed): it shows its form, and the pixels read back from the server
// show the controls where the layout puts them; driven by X input from a
// second client, its popup menu opens and its choice repaints the window;
// its Select All, by real keys, is the desktop's primary selection.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "tests/common/XvfbSupport.h"
// clang-format off
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <signal.h>
// clang-format on

#include <fstream>
#include <memory>

#include "tests/platform/backend/X11GalleryScreen.h"

namespace qv {
namespace {

using namespace std::chrono_literals;

bool Near(uint32_t p, COLORREF c, int tolerance) {
  return std::abs(PixelR(p) - GetRValue(c)) <= tolerance && std::abs(PixelG(p) - GetGValue(c)) <= tolerance &&
         std::abs(PixelB(p) - GetBValue(c)) <= tolerance;
}

TEST(GallerySmoke, TheFormReadBackFromTheServerShowsItsControls) {
  if (!test::OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  test::Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  Surface shot;
  std::string errors;
  ASSERT_TRUE(test::SelfTestPicture(QV_GALLERY_PROGRAM, server.Display(), shot, errors)) << errors;
  // The X window is the client area: the desktop draws the caption, frame and,
  // here, nothing else; the menu bar is ours, above the client.
  ASSERT_EQ(shot.Width, gallery::kFormClient.cx);
  ASSERT_GE(shot.Height, gallery::kFormClient.cy);
  int top = shot.Height - gallery::kFormClient.cy;  // the menu bar's rows, when drawn in the window
  // The standard controls are placed on their page.
  auto at = [&](int x, int y) {
    return shot.At(gallery::kSheetOrigin.x + x, top + gallery::kSheetOrigin.y + y);
  };
  EXPECT_TRUE(Near(at(212, 300), RGB(212, 208, 200), 0));
  const RECT& img = gallery::kImage;
  EXPECT_TRUE(Near(at((img.left + img.right) / 2, (img.top + img.bottom) / 2), gallery::kImageDisc, 0));
  EXPECT_TRUE(Near(at(img.left + 1, img.top + 1), gallery::kImageBack, 0));
  const RECT& sh = gallery::kShape;
  EXPECT_TRUE(Near(at((sh.left + sh.right) / 2, (sh.top + sh.bottom) / 2), RGB(0, 0, 255), 0));
  const RECT& g = gallery::kTextGroup;
  const RECT& e = gallery::kNameEdit;
  EXPECT_TRUE(Near(at(g.left + e.right - 6, g.top + e.top + 10), RGB(255, 255, 255), 0));
  // Text drawn by FreeType reached the server: labels, captions, the list.
  int dark = 0;
  for (int y = g.top; y < g.top + 60; ++y)
    for (int x = g.left; x < g.right; ++x) {
      uint32_t p = at(x, y);
      dark += PixelR(p) + PixelG(p) + PixelB(p) < 300;
    }
  EXPECT_GT(dark, 80);
}

// The common controls page as the server shows it: the progress bar filled
// to its position, the tree and the list white with text and icons.
TEST(GallerySmoke, TheCommonControlsPageReadBackFromTheServer) {
  if (!test::OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  test::Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  Surface shot;
  std::string errors;
  ASSERT_TRUE(test::SelfTestPicture(QV_GALLERY_PROGRAM, server.Display(), shot, errors, "1")) << errors;
  ASSERT_GE(shot.Height, gallery::kFormClient.cy);
  int top = shot.Height - gallery::kFormClient.cy;
  auto at = [&](int x, int y) {
    return shot.At(gallery::kSheetOrigin.x + x, top + gallery::kSheetOrigin.y + y);
  };
  const RECT& bar = gallery::kProgress;
  int mid = (bar.top + bar.bottom) / 2, filled = 0;
  for (int x = bar.left; x < bar.right; ++x) filled += Near(at(x, mid), RGB(10, 36, 106), 0);
  int expected = (bar.right - bar.left) * gallery::kProgressPosition / 100;
  EXPECT_GT(filled, expected - 30);
  EXPECT_LT(filled, expected + 4);
  for (const RECT& r : {gallery::kTree, gallery::kListView}) {
    int white = 0, dark = 0, yellow = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        uint32_t p = at(x, y);
        white += Near(p, RGB(255, 255, 255), 0);
        dark += PixelR(p) + PixelG(p) + PixelB(p) < 300;
        yellow += PixelR(p) > 180 && PixelG(p) > 140 && PixelB(p) < 120;
      }
    EXPECT_GT(white, (r.right - r.left) * (r.bottom - r.top) / 3);
    EXPECT_GT(dark, 60);
    EXPECT_GT(yellow, 20);
  }
}

COLORREF PixelOf(Display* d, Window w, int x, int y) {
  std::vector<uint32_t> p = test::ReadPixels(d, w, x, y, 1, 1);
  if (p.empty()) return COLORREF(-1);
  return RGB(BYTE(p[0] >> 16), BYTE(p[0] >> 8), BYTE(p[0]));
}

TEST(GallerySmoke, XInputOpensThePopupMenuAndItsChoiceRepaintsTheCircle) {
  if (!test::OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  test::Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  pid_t pid = test::StartProgram(QV_GALLERY_PROGRAM, server.Display().c_str());
  ASSERT_GT(pid, 0);
  Display* d = XOpenDisplay(server.Display().c_str());
  ASSERT_NE(d, nullptr);
  Window w = 0;
  XWindowAttributes attrs{};
  int top = 0;
  auto circle = [&] {
    return PixelOf(d, w, gallery::kSheetOrigin.x + (gallery::kShape.left + gallery::kShape.right) / 2,
                   top + gallery::kSheetOrigin.y + (gallery::kShape.top + gallery::kShape.bottom) / 2);
  };
  bool shown = test::WaitFor([&] { return (w = test::FindTop(d, "Quirvane gallery")) != 0; });
  if (shown) {
    XGetWindowAttributes(d, w, &attrs);
    top = attrs.height - gallery::kFormClient.cy;  // the menu bar above the client
    shown = test::WaitFor([&] { return circle() == RGB(0, 0, 255); });
  }
  EXPECT_TRUE(shown) << "the gallery never showed its blue circle";
  if (shown) {
    // A right click on the circle, as the server would deliver it.
    int x = gallery::kSheetOrigin.x + (gallery::kShape.left + gallery::kShape.right) / 2,
        y = top + gallery::kSheetOrigin.y + gallery::kShape.top + 10;
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), x, y, &rootX, &rootY, &child);
    for (int type : {ButtonPress, ButtonRelease}) {
      XEvent ev{};
      ev.xbutton.type = type;
      ev.xbutton.display = d;
      ev.xbutton.window = w;
      ev.xbutton.root = DefaultRootWindow(d);
      ev.xbutton.x = x, ev.xbutton.y = y, ev.xbutton.x_root = rootX, ev.xbutton.y_root = rootY;
      ev.xbutton.button = Button3;
      ev.xbutton.same_screen = True;
      ev.xbutton.state = type == ButtonRelease ? Button3Mask : 0;
      XSendEvent(d, w, False, 0, &ev);
    }
    XFlush(d);
    EXPECT_TRUE(test::WaitFor([&] { return !test::ViewablePopups(d).empty(); })) << "no popup menu appeared";
    // R chooses Red.
    for (int type : {KeyPress, KeyRelease}) {
      XEvent ev{};
      ev.xkey.type = type;
      ev.xkey.display = d;
      ev.xkey.window = w;
      ev.xkey.root = DefaultRootWindow(d);
      ev.xkey.keycode = XKeysymToKeycode(d, XK_r);
      ev.xkey.same_screen = True;
      XSendEvent(d, w, False, 0, &ev);
    }
    XFlush(d);
    EXPECT_TRUE(test::WaitFor([&] { return circle() == RGB(255, 0, 0); })) << "the circle did not turn red";
    EXPECT_TRUE(test::WaitFor([&] { return test::ViewablePopups(d).empty(); })) << "the popup stayed";
  }
  // The desktop closes the window; the program ends cleanly.
  if (w) test::AskToClose(d, w);
  XCloseDisplay(d);
  EXPECT_EQ(test::Reap(pid, std::chrono::milliseconds(w ? 30000 : 0)), 0);
}

// Select All by the user takes PRIMARY in the gallery as a selection made
// by mouse or keys does, by real keys: Ctrl+A, the shortcut of the Edit
// menu's item, and the item chosen in the menu. Another program (xclip)
// held PRIMARY before each and reads the name edit's text from it after.
class GalleryPrimary : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool", "xclip"})
      if (!test::OnPath(tool)) GTEST_SKIP() << tool << " is not installed";
    server = std::make_unique<test::Xvfb>();
    ASSERT_FALSE(server->Display().empty()) << "Xvfb did not start";
    d = XOpenDisplay(server->Display().c_str());
    ASSERT_NE(d, nullptr);
    gallery = test::StartProgram(QV_GALLERY_PROGRAM, server->Display().c_str());
    ASSERT_GT(gallery, 0);
    ASSERT_TRUE(test::WaitFor([&] { return (window = test::FindTop(d, "Quirvane gallery")) != 0; }))
        << "the gallery did not show its window";
    ASSERT_TRUE(Xdo({"windowfocus", "--sync", std::to_string(window)}));
  }
  void TearDown() override {
    for (pid_t pid : {gallery, xclip})
      if (pid > 0) {
        kill(pid, SIGKILL);
        test::Reap(pid, 10000ms);
      }
    if (d) XCloseDisplay(d);
  }
  bool Xdo(const std::vector<std::string>& args) { return test::Xdo(server->Display(), args); }
  Window PrimaryOwner() { return XGetSelectionOwner(d, XA_PRIMARY); }
  // xclip holding PRIMARY, until it loses it.
  void OtherProgramTakesPrimary() {
    std::ofstream(dir / "other.txt") << "another program's";
    xclip = test::StartProgram("xclip", server->Display().c_str(),
                               {"-quiet", "-selection", "primary", dir / "other.txt"});
    ASSERT_GT(xclip, 0);
    ASSERT_TRUE(test::WaitFor(
        [&] { return test::XclipRead(server->Display(), "primary", "UTF8_STRING") == "another program's"; }));
  }
  // The gallery took PRIMARY from xclip (which ends as it loses it); what another program reads there.
  std::string TakenPrimary() {
    EXPECT_NE(test::Reap(xclip, 30000ms), -1) << "xclip kept PRIMARY";
    xclip = -1;
    return test::XclipRead(server->Display(), "primary", "UTF8_STRING");
  }

  std::unique_ptr<test::Xvfb> server;
  ::Display* d = nullptr;
  Window window = 0;
  pid_t gallery = -1, xclip = -1;
  test::TempDir dir;
};

TEST_F(GalleryPrimary, SelectAllByItsShortcutOrFromTheEditMenuIsWhatOtherProgramsReadAsPrimary) {
  ASSERT_NO_FATAL_FAILURE(OtherProgramTakesPrimary());
  POINT edit = gallery::NameEditOnScreen(d, window);
  ASSERT_TRUE(
      Xdo({"mousemove", std::to_string(edit.x), std::to_string(edit.y), "click", "1", "key", "ctrl+a"}));
  EXPECT_EQ(TakenPrimary(), "Quirvane");

  // Typed on, the edit's text is selected whole from the Edit menu (Alt+E, then A once the menu shows).
  ASSERT_NO_FATAL_FAILURE(OtherProgramTakesPrimary());
  ASSERT_TRUE(Xdo({"key", "End", "type", " II"}));
  // No hint over the edit for the menu to be taken for: the pointer rests in a corner.
  ASSERT_TRUE(Xdo({"mousemove", "1023", "767"}));
  ASSERT_TRUE(test::WaitFor([&] { return test::ViewablePopups(d).empty(); }));
  ASSERT_TRUE(Xdo({"key", "alt+e"}));
  ASSERT_TRUE(test::WaitFor([&] { return !test::ViewablePopups(d).empty(); }))
      << "the Edit menu did not open";
  ASSERT_TRUE(Xdo({"key", "a"}));
  EXPECT_EQ(TakenPrimary(), "Quirvane II");

  test::AskToClose(d, window);
  EXPECT_EQ(test::Reap(gallery, 30000ms), 0) << "the gallery did not end as asked";
  gallery = -1;
}

}  // namespace
}  // namespace qv
