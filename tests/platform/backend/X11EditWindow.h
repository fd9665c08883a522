// An edit in a top-level window of our own on an Xvfb server of the test's
// own, for the tests that paste another program's clipboard (skipped when
// Xvfb or xdotool is missing): the window repaints from a timer, Ctrl+V is
// typed with xdotool, and the edit's context menu is read from the screen.
// The other program is often the slow clipboard owner (tests/common/owner).
// Include it after gtest: Xlib's macros (None, Bool) clash with its names.
#pragma once
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on

#include <signal.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/ole/Clipboard.h"
#include "platform/ole/PasteText.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "tests/common/X11WindowTest.h"

namespace qv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::atomic<int> paints{0};
// From Ctrl+V in the edit until another program's text came, or its read ended without.
std::atomic<bool> pasting{false};
std::atomic<int> pastes{0};             // reads ended
std::atomic<int> middles{0};            // middle clicks handled
std::atomic<int> undos{0};              // Ctrl+Z handled by the edit
std::atomic<int> typedWhilePasting{0};  // characters the edit took while its paste was on its way
std::atomic<int> closes{0};             // the close asked of the top window (kept open)
Clock::time_point pasteStarted, pasteEnded;
WNDPROC editProc = nullptr;

// The top window repaints on every tick of its timer.
LRESULT TopProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_TIMER) {
    InvalidateRect(h, nullptr, FALSE);
    return 0;
  }
  if (m == WM_CLOSE) {
    ++closes;
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

// Notes when the edit handles Ctrl+V, and when the text it reads comes.
LRESULT EditWatch(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_CHAR && w >= 0x20 && pasting) ++typedWhilePasting;
  if (m == WM_CHAR && w == 0x16) pasting = true, pasteStarted = Clock::now();
  LRESULT r = CallWindowProcW(editProc, h, m, w, l);
  if (m == WM_CHAR && w == 0x1A) ++undos;
  if (m == WM_MBUTTONDOWN) ++middles;
  if (m == WM_PASTETEXT) {
    pasteEnded = Clock::now();
    pasting = false;
    ++pastes;
  }
  return r;
}

class X11EditWindow : public test::X11WindowTest {
 protected:
  X11EditWindow() : X11WindowTest({"xdotool"}) {}
  void SetUp() override {
    X11WindowTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_NO_FATAL_FAILURE(ShowTop(u"QvX11Paste", TopProc, u"Paste", RECT{50, 50, 350, 110}, true));
    edit = CreateWindowExW(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 280, 24, top,
                           nullptr, nullptr, nullptr);
    editProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC));
    SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditWatch));
    SetTimer(top, 1, 20, nullptr);
    SetFocus(edit);
    // Our clipboard starts empty, so that only what is read can be pasted.
    ASSERT_TRUE(SetClipboardTextW(u""));
    pastes = 0;
    middles = 0;
    undos = 0;
    typedWhilePasting = 0;
    closes = 0;
  }
  std::u16string EditText() {
    char16_t buf[8192] = {};
    GetWindowTextW(edit, buf, 8192);
    return buf;
  }
  // Presses Ctrl+V and runs the program until another program's text came
  // (or its read ended without).
  void Paste() {
    ASSERT_TRUE(test::Xdo(server->Display(), {"key", "ctrl+v"}));
    ASSERT_TRUE(PumpUntil([&] { return pastes.load() == 1; }));
  }
  // The edit's context menu comes up at a right click (from another thread,
  // while this one runs the menu).
  bool RightClickEdit() {
    POINT at{40, 12};
    ClientToScreen(edit, &at);
    return test::Xdo(server->Display(),
                     {"mousemove", std::to_string(at.x), std::to_string(at.y), "click", "3"});
  }

  HWND edit = nullptr;
};

// The pixels of a window darker than the grey of disabled menu text; -1 when it cannot be read.
inline int DarkPixels(Display* d, Window w) {
  XWindowAttributes a{};
  if (!XGetWindowAttributes(d, w, &a)) return -1;
  std::vector<uint32_t> pixels = test::ReadPixels(d, w, 0, 0, a.width, a.height);
  if (pixels.empty()) return -1;
  int n = 0;
  for (uint32_t p : pixels) n += int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF) < 150;
  return n;
}

// The same once the menu is painted whole: two reads in a row alike; -1 when it never is.
inline int SettledDarkPixels(Display* d, Window w) {
  int n = -1;
  return test::WaitFor([&] { return (n = DarkPixels(d, w)) > 0 && n == DarkPixels(d, w); }) ? n : -1;
}

// Our popup menu once it is on the screen; 0 while there is none.
inline Window ViewablePopup(Display* d) {
  const std::vector<Window> popups = test::ViewablePopups(d);
  return popups.empty() ? 0 : popups.front();
}

// The slow clipboard owner, started with its mode and what it offers
// (qv_slow_clipboard_owner's arguments after its status file) and killed
// at the end; it tells what it did in its status lines.
class SlowOwner : public test::StatusProgram {
 public:
  SlowOwner(const std::string& display, std::vector<std::string> args)
      : StatusProgram(QV_SLOW_OWNER_PROGRAM, display, std::move(args)) {}
};

}  // namespace
}  // namespace qv
