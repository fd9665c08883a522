// Pasting another program's clipboard into an edit with Ctrl+V through a
// real X server (Xvfb, skipped when it or xdotool is missing). The other
// program is a second X client of the test's own that owns the clipboard and
// answers in pieces, slowly, or never; it dies by losing its connection, as
// a killed program does. While the paste waits our window keeps painting
// from its timer, and a dead owner ends the paste at once, with nothing pasted.
// The edit's menu does not wait for the owner to say what it holds: it
// shows with Paste grey, and Paste follows the owner's answer.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/backend/X11Backend.h"
#include "platform/controls/SystemControls.h"
#include "platform/ole/Clipboard.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"
#include "tests/common/XvfbSupport.h"

namespace qv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::atomic<int> paints{0};
std::atomic<bool> pasting{false};
std::atomic<int> pastes{0};
Clock::time_point pasteEnded;
WNDPROC editProc = nullptr;

// The top window repaints on every tick of its timer.
LRESULT TopProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_TIMER) {
    InvalidateRect(h, nullptr, FALSE);
    return 0;
  }
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    EndPaint(h, &ps);
    ++paints;
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

// Notes when the edit handles Ctrl+V, and when that ends.
LRESULT EditWatch(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m != WM_CHAR || w != 0x16) return CallWindowProcW(editProc, h, m, w, l);
  pasting = true;
  LRESULT r = CallWindowProcW(editProc, h, m, w, l);
  pasteEnded = Clock::now();
  pasting = false;
  ++pastes;
  return r;
}

// The other program: its own connection, used by one thread at a time. It
// owns the clipboard from a window of its own.
struct Owner {
  explicit Owner(const std::string& display) : d(XOpenDisplay(display.c_str())) {
    if (!d) return;
    w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, A("CLIPBOARD"), w, CurrentTime);
    XSync(d, False);
  }
  ~Owner() { Kill(); }
  Atom A(const char* name) { return XInternAtom(d, name, False); }
  // The connection ends: the server destroys its windows, as when the program is killed.
  void Kill() {
    if (d) XCloseDisplay(d);
    d = nullptr;
  }
  bool Next(int type, Window on, XEvent& ev) {
    for (auto until = Clock::now() + 30s; Clock::now() < until; std::this_thread::sleep_for(2ms))
      if (XCheckTypedWindowEvent(d, on, type, &ev)) return true;
    return false;
  }
  bool NextDelete(Window on, Atom property) {
    XEvent ev;
    while (Next(PropertyNotify, on, ev))
      if (ev.xproperty.atom == property && ev.xproperty.state == PropertyDelete) return true;
    return false;
  }
  void Notify(const XSelectionRequestEvent& r, Atom property) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = r.requestor;
    reply.xselection.selection = r.selection;
    reply.xselection.target = r.target;
    reply.xselection.property = property;
    XSendEvent(d, r.requestor, False, 0, &reply);
    XFlush(d);
  }
  Display* d = nullptr;
  Window w = 0;
};

class X11Paste : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::OnPath("Xvfb") || !test::OnPath("xdotool")) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    server = std::make_unique<test::Xvfb>();
    ASSERT_FALSE(server->Display().empty()) << "Xvfb did not start";
    setenv("DISPLAY", server->Display().c_str(), 1);
    std::string error;
    backend = OpenX11Backend(&error);
    ASSERT_TRUE(backend) << error;
    RegisterSystemControls();
    WNDCLASSEXW wc;
    wc.lpfnWndProc = TopProc;
    wc.lpszClassName = u"QvX11Paste";
    RegisterClassExW(&wc);
    top = CreateWindowExW(0, u"QvX11Paste", u"Paste", WS_POPUP | WS_VISIBLE, 50, 50, 300, 60, nullptr,
                          nullptr, nullptr, nullptr);
    edit = CreateWindowExW(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 280, 24, top,
                           nullptr, nullptr, nullptr);
    editProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC));
    SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditWatch));
    SetTimer(top, 1, 20, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return static_cast<X11Backend&>(*backend).IsOnScreen(top); }));
    // The keyboard goes to our window, as the window manager would give it.
    ASSERT_TRUE(test::Xdo(server->Display(), {"search", "--name", "^Paste$", "windowfocus", "--sync"}));
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == top; }));
    SetFocus(edit);
    // Our clipboard starts empty, so that only what is read can be pasted.
    ASSERT_TRUE(SetClipboardTextW(u""));
    pastes = 0;
  }
  void TearDown() override {
    if (top) DestroyWindow(top);
    UnregisterClassW(u"QvX11Paste", nullptr);
    backend.reset();
  }
  template <typename F>
  bool PumpUntil(F done, DWORD limit = 60000) {
    DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > limit) return false;
      ProcessPendingMessages();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
  }
  std::u16string EditText() {
    char16_t buf[8192] = {};
    GetWindowTextW(edit, buf, 8192);
    return buf;
  }
  // Presses Ctrl+V and runs the program until the paste is over.
  void Paste() {
    ASSERT_TRUE(test::Xdo(server->Display(), {"key", "ctrl+v"}));
    ASSERT_TRUE(PumpUntil([&] { return pastes.load() == 1; }));
  }

  std::unique_ptr<test::Xvfb> server;
  std::unique_ptr<Backend> backend;
  HWND top = nullptr, edit = nullptr;
};

// Our window painted twice (from its timer) while the paste still waited;
// false when the paste ended first.
bool PaintedWhilePasteWaits() {
  int before = paints;
  for (auto until = Clock::now() + 30s; Clock::now() < until && pasting; std::this_thread::sleep_for(2ms))
    if (paints >= before + 2) return pasting;
  return false;
}

TEST_F(X11Paste, AnOwnerThatDiesBeforeAnsweringEndsThePasteAtOnceAndKeysTypedMeanwhileFollow) {
  Owner owner(server->Display());
  ASSERT_TRUE(owner.d);
  bool asked = false, painted = false;
  Clock::time_point killed;
  std::thread peer([&] {
    XEvent req;
    asked = owner.Next(SelectionRequest, owner.w, req);
    painted = asked && PaintedWhilePasteWaits();
    test::Xdo(server->Display(), {"type", "ab"});
    killed = Clock::now();
    owner.Kill();
  });
  Paste();
  peer.join();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(painted) << "the window stood still while the paste waited";
  // The read's own limit is 5 s; far below it, only the owner's death ended the paste.
  EXPECT_LT(pasteEnded - killed, 3s);
  EXPECT_TRUE(PumpUntil([&] { return EditText() == u"ab"; })) << "keys typed during the paste were lost";
}

// The owner answers in pieces (INCR), one per deletion of our property, and
// waits each time until our window has painted while the paste waits. With
// `pieces` < 0 it dies after -pieces pieces instead of sending the last, empty one.
void ServeInPieces(Owner& o, int pieces, bool& painted, bool& served, Clock::time_point& killed) {
  XEvent ev;
  if (!o.Next(SelectionRequest, o.w, ev)) return;
  XSelectionRequestEvent r = ev.xselectionrequest;
  XSelectInput(o.d, r.requestor, PropertyChangeMask);
  long size = 3000;
  XChangeProperty(o.d, r.requestor, r.property, o.A("INCR"), 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&size), 1);
  o.Notify(r, r.property);
  painted = true;
  int count = pieces < 0 ? -pieces : pieces;
  for (int i = 0; i <= count; ++i) {
    if (!o.NextDelete(r.requestor, r.property)) return;
    painted = painted && PaintedWhilePasteWaits();
    if (pieces < 0 && i == count) break;
    std::string piece(i < count ? 1000 : 0, char('a' + i));
    XChangeProperty(o.d, r.requestor, r.property, r.target, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(piece.data()), int(piece.size()));
    XFlush(o.d);
  }
  served = true;
  killed = Clock::now();
  if (pieces < 0) o.Kill();
}

TEST_F(X11Paste, AnOwnerKilledInTheMiddleOfATransferInPiecesEndsThePasteAtOnceWithNothingPasted) {
  Owner owner(server->Display());
  ASSERT_TRUE(owner.d);
  bool painted = false, served = false;
  Clock::time_point killed;
  std::thread peer([&] { ServeInPieces(owner, -3, painted, served, killed); });
  Paste();
  peer.join();
  ASSERT_TRUE(served);
  EXPECT_TRUE(painted) << "the window stood still while the paste waited";
  EXPECT_LT(pasteEnded - killed, 3s);
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(EditText(), u"") << "part of a transfer was pasted";

  // The same transfer to its end pastes it whole.
  pastes = 0;
  Owner next(server->Display());
  ASSERT_TRUE(next.d);
  served = false;
  std::thread whole([&] { ServeInPieces(next, 3, painted, served, killed); });
  Paste();
  whole.join();
  ASSERT_TRUE(served);
  EXPECT_TRUE(painted);
  EXPECT_EQ(EditText(), std::u16string(1000, u'a') + std::u16string(1000, u'b') + std::u16string(1000, u'c'));
}

// The pixels of a window darker than the grey of disabled menu text; -1 when it cannot be read.
int DarkPixels(Display* d, Window w) {
  XWindowAttributes a{};
  if (!XGetWindowAttributes(d, w, &a)) return -1;
  std::vector<uint32_t> pixels = test::ReadPixels(d, w, 0, 0, a.width, a.height);
  if (pixels.empty()) return -1;
  int n = 0;
  for (uint32_t p : pixels) n += int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF) < 150;
  return n;
}

// Our popup menu once it is on the screen; 0 while there is none.
Window ViewablePopup(Display* d) {
  const std::vector<Window> popups = test::ViewablePopups(d);
  return popups.empty() ? 0 : popups.front();
}

TEST_F(X11Paste, TheMenuShowsBeforeTheOwnerSaysWhatItHoldsAndPasteFollowsItsAnswer) {
  Owner owner(server->Display());
  Display* look = XOpenDisplay(server->Display().c_str());
  ASSERT_TRUE(owner.d && look);
  // Some text, so that Select All shows black once the menu is painted.
  SetWindowTextW(edit, u"abc");
  POINT at{40, 12};
  ClientToScreen(edit, &at);
  std::string failure;
  std::atomic<bool> through{false};
  std::thread peer([&] {
    auto fail = [&](const char* why) {
      failure = why;
      test::Xdo(server->Display(), {"key", "Escape"});  // a menu left up would hold the test
      through = true;
    };
    if (!test::Xdo(server->Display(),
                   {"mousemove", std::to_string(at.x), std::to_string(at.y), "click", "3"}))
      return fail("xdotool failed");
    XEvent ev;
    if (!owner.Next(SelectionRequest, owner.w, ev))
      return fail("the edit did not ask what the clipboard holds");
    XSelectionRequestEvent types = ev.xselectionrequest;
    if (types.target != owner.A("TARGETS")) return fail("the edit asked for more than the types");
    // The menu is up while the question waits for its answer, Paste grey.
    Window popup = 0;
    if (!test::WaitFor([&] { return (popup = ViewablePopup(look)) != 0; })) return fail("no menu came");
    int grey = 0;
    if (!test::WaitFor(
            [&] { return (grey = DarkPixels(look, popup)) > 0 && grey == DarkPixels(look, popup); }))
      return fail("the menu could not be read");
    Atom offered[] = {owner.A("TARGETS"), owner.A("UTF8_STRING")};
    XChangeProperty(owner.d, types.requestor, types.property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(offered), 2);
    owner.Notify(types, types.property);
    // Paste's text turns black.
    if (!test::WaitFor([&] { return DarkPixels(look, popup) > grey; })) return fail("Paste stayed grey");
    if (!test::Xdo(server->Display(), {"key", "p"})) return fail("xdotool failed");
    if (!owner.Next(SelectionRequest, owner.w, ev)) return fail("Paste did not read the clipboard");
    const XSelectionRequestEvent& text = ev.xselectionrequest;
    const std::string late = "said late";
    XChangeProperty(owner.d, text.requestor, text.property, owner.A("UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(late.data()), int(late.size()));
    owner.Notify(text, text.property);
    through = true;
  });
  bool pasted = PumpUntil(
      [&] { return through && (!failure.empty() || EditText().find(u"said late") != std::u16string::npos); });
  peer.join();
  XCloseDisplay(look);
  EXPECT_EQ(failure, "");
  EXPECT_TRUE(pasted) << "the text was not pasted";
}

}  // namespace
}  // namespace qv
