// Input routing: capture and mouse-leave tracking, double clicks by time and
// distance on the test clock, focus order, keys and characters, activation
// and cursor shapes.
#include "WindowTestSupport.h"
#include "platform/gdi/SystemMetrics.h"

namespace qv::test {
namespace {

using Input = WindowTest;

TEST_F(Input, CaptureRedirectsTheMouseAndLeaveIsReported) {
  HWND a = Top({0, 0, 100, 100});
  HWND b = Top({100, 0, 200, 100});
  Rec().handlers[a] = [](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_MOUSEMOVE) {
      TRACKMOUSEEVENT t;
      t.dwFlags = TME_LEAVE;
      t.hwndTrack = h;
      TrackMouseEvent(&t);
    }
    if (m == WM_LBUTTONDOWN) SetCapture(h);
    if (m == WM_LBUTTONUP) ReleaseCapture();
    return std::nullopt;
  };
  backend.MouseMove(50, 50);
  backend.Pump();
  backend.MouseMove(150, 50);
  backend.Pump();
  EXPECT_EQ(Of(WM_MOUSELEAVE).size(), 1u);
  EXPECT_EQ(Of(WM_MOUSELEAVE).at(0).hwnd, a);
  EXPECT_EQ(Of(WM_MOUSEMOVE).back().hwnd, b);
  Clear();
  backend.MouseMove(50, 50);
  backend.MouseDown();
  backend.MouseMove(150, 60);  // over b, but a holds the capture
  backend.MouseUp();
  backend.Pump();
  auto moves = Of(WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 2u);
  EXPECT_EQ(moves[1].hwnd, a);
  EXPECT_EQ(moves[1].lParam, MAKELPARAM(150, 60));  // client coordinates of a
  EXPECT_EQ(Of(WM_LBUTTONUP).at(0).hwnd, a);
  ASSERT_EQ(Of(WM_CAPTURECHANGED).size(), 1u);
  EXPECT_EQ(Of(WM_CAPTURECHANGED)[0].lParam, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  // Taking the capture away tells the old owner who has it now.
  SetCapture(a);
  SetCapture(b);
  EXPECT_EQ(Of(WM_CAPTURECHANGED).back().hwnd, a);
  EXPECT_EQ(Of(WM_CAPTURECHANGED).back().lParam, LPARAM(b));
  // The captured window dies: nothing keeps routing to it.
  DestroyWindow(b);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Input, DoubleClicksNeedTheClassStyleTimeAndDistance) {
  HWND w = Top({0, 0, 100, 100});
  HWND plain = Top({200, 0, 300, 100}, WS_POPUP | WS_VISIBLE, 0, u"QvPlain");
  auto clicks = [&](HWND h) {
    std::vector<UINT> out;
    for (auto& e : Rec().log)
      if (e.hwnd == h && (e.msg == WM_LBUTTONDOWN || e.msg == WM_LBUTTONDBLCLK)) out.push_back(e.msg);
    return out;
  };
  backend.Click(10, 10);
  backend.AdvanceClock(200);
  backend.Click(11, 11);
  backend.AdvanceClock(100);
  backend.Click(11, 11);  // a third click starts a new pair
  backend.Pump();
  EXPECT_EQ(clicks(w), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));
  Clear();
  backend.AdvanceClock(1000);
  backend.Click(10, 10);
  backend.AdvanceClock(GetDoubleClickTime() + 1);  // too slow
  backend.Click(10, 10);
  backend.AdvanceClock(1000);
  backend.Click(10, 10);
  backend.AdvanceClock(10);
  backend.Click(13, 10);  // too far
  backend.Pump();
  EXPECT_EQ(clicks(w), std::vector<UINT>(4, WM_LBUTTONDOWN));
  Clear();
  backend.AdvanceClock(1000);
  backend.Click(210, 10);
  backend.Click(210, 10);
  backend.Pump();
  EXPECT_EQ(clicks(plain), std::vector<UINT>(2, WM_LBUTTONDOWN));
}

TEST_F(Input, FocusMovesWithKillBeforeSetAndKeysGoToIt) {
  HWND top = Top({0, 0, 100, 100});
  HWND a = Child(top, {0, 0, 50, 50});
  HWND b = Child(top, {50, 0, 100, 50});
  SetFocus(a);
  Clear();
  EXPECT_EQ(SetFocus(b), a);
  std::vector<std::pair<HWND, UINT>> order;
  for (auto& e : Rec().log)
    if (e.msg == WM_KILLFOCUS || e.msg == WM_SETFOCUS) order.push_back({e.hwnd, e.msg});
  EXPECT_EQ(order, (std::vector<std::pair<HWND, UINT>>{{a, WM_KILLFOCUS}, {b, WM_SETFOCUS}}));
  EXPECT_EQ(Of(WM_KILLFOCUS).at(0).wParam, WPARAM(b));
  EXPECT_EQ(Of(WM_SETFOCUS).at(0).wParam, WPARAM(a));
  Clear();
  backend.KeyDown(VK_SHIFT);
  backend.KeyPress('Q');
  backend.KeyUp(VK_SHIFT);
  backend.KeyPress('W');
  backend.TypeText(u"é");
  std::u16string typed;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_KEYDOWN && m.wParam == 'Q') {
      EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  for (auto& e : Of(WM_CHAR)) {
    EXPECT_EQ(e.hwnd, b);
    typed += char16_t(e.wParam);
  }
  EXPECT_EQ(typed, u"Qwé");
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  // Disabling the focus window drops the focus.
  EnableWindow(b, FALSE);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(Input, ClickActivatesAndTheCursorFollowsTheHitTest) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = u"QvEdit";
  wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
  RegisterClassExW(&wc);
  HWND back = Top({0, 0, 300, 300}, WS_POPUP | WS_VISIBLE | WS_BORDER);
  HWND front = Top({400, 0, 500, 100});
  HWND edit = CreateWindowExW(0, u"QvEdit", nullptr, WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, back, nullptr,
                              nullptr, nullptr);
  EXPECT_EQ(GetActiveWindow(), front);
  Clear();
  backend.MouseMove(20, 20);
  backend.Pump();
  EXPECT_EQ(backend.CursorShapes.back(), StandardCursorId(LoadCursorW(nullptr, IDC_IBEAM)));
  backend.MouseMove(150, 150);
  backend.MouseDown();
  backend.MouseUp();
  backend.Pump();
  // A class without a cursor leaves the shape to the program.
  EXPECT_EQ(backend.CursorShapes.back(), StandardCursorId(LoadCursorW(nullptr, IDC_IBEAM)));
  EXPECT_EQ(Seq(back, {WM_MOUSEACTIVATE, WM_NCACTIVATE, WM_ACTIVATE, WM_LBUTTONDOWN}),
            (std::vector<UINT>{WM_MOUSEACTIVATE, WM_NCACTIVATE, WM_ACTIVATE, WM_LBUTTONDOWN}));
  EXPECT_EQ(Seq(front, {WM_ACTIVATE}).size(), 1u);
  EXPECT_EQ(GetActiveWindow(), back);
  // The border is non-client: hit test answers HTBORDER, messages are WM_NC*.
  Clear();
  backend.MouseMove(0, 100);
  backend.Pump();
  EXPECT_EQ(Of(WM_NCMOUSEMOVE).size(), 1u);
  EXPECT_EQ(Of(WM_NCMOUSEMOVE).at(0).wParam, WPARAM(HTBORDER));
  EXPECT_EQ(backend.CursorShapes.back(), 32512);  // IDC_ARROW outside the client area
  (void)edit;
  UnregisterClassW(u"QvEdit", nullptr);
}

// Hover is timed on the backend clock from where the pointer settled: small
// moves inside the hover rectangle keep the time running, larger ones start
// it again, and it is reported once per request.
TEST_F(Input, HoverArrivesByTimerAfterThePointerRestsInItsRectangle) {
  HWND a = Top({0, 0, 200, 100});
  Top({200, 0, 300, 100});
  UINT hoverMs = 0, width = 0;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &hoverMs, 0));
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETMOUSEHOVERWIDTH, 0, &width, 0));
  auto track = [&](HWND h) {
    TRACKMOUSEEVENT t;
    t.dwFlags = TME_HOVER;
    t.hwndTrack = h;
    ASSERT_TRUE(TrackMouseEvent(&t));
  };
  backend.MouseMove(50, 50);
  backend.Pump();
  track(a);
  // A waiting loop is woken for it: a timer is due when the hover is.
  EXPECT_LE(TimeUntilNextTimer(), hoverMs);
  backend.AdvanceClock(hoverMs / 2);
  backend.MouseMove(50 + int(width / 2), 50 - int(width / 2));  // still inside
  backend.AdvanceClock(hoverMs / 2 - 1);
  EXPECT_TRUE(Of(WM_MOUSEHOVER).empty());
  backend.AdvanceClock(1);
  ASSERT_EQ(Of(WM_MOUSEHOVER).size(), 1u);
  EXPECT_EQ(Of(WM_MOUSEHOVER)[0].hwnd, a);
  EXPECT_EQ(Of(WM_MOUSEHOVER)[0].lParam, MAKELPARAM(50 + int(width / 2), 50 - int(width / 2)));
  backend.AdvanceClock(3 * hoverMs);
  EXPECT_EQ(Of(WM_MOUSEHOVER).size(), 1u);  // once per request
  EXPECT_EQ(TimeUntilNextTimer(), INFINITE);

  // Leaving the rectangle starts the time again from the new place.
  Clear();
  track(a);
  backend.AdvanceClock(hoverMs - 100);
  backend.MouseMove(60 + int(width), 50);
  backend.AdvanceClock(hoverMs - 1);
  EXPECT_TRUE(Of(WM_MOUSEHOVER).empty());
  backend.AdvanceClock(1);
  EXPECT_EQ(Of(WM_MOUSEHOVER).size(), 1u);

  // Resting over another window reports nothing, nor does a cancelled request.
  Clear();
  track(a);
  backend.MouseMove(250, 50);
  backend.AdvanceClock(2 * hoverMs);
  EXPECT_TRUE(Of(WM_MOUSEHOVER).empty());
  backend.MouseMove(60, 60);
  backend.Pump();
  track(a);
  TRACKMOUSEEVENT cancel;
  cancel.dwFlags = TME_HOVER | TME_CANCEL;
  cancel.hwndTrack = a;
  TrackMouseEvent(&cancel);
  backend.AdvanceClock(2 * hoverMs);
  EXPECT_TRUE(Of(WM_MOUSEHOVER).empty());
  EXPECT_EQ(TimeUntilNextTimer(), INFINITE);
}

TEST_F(Input, TransparentWindowsPassTheMouseToWhatIsBeneath) {
  HWND below = Top({0, 0, 300, 300});
  HWND kid = Child(below, {10, 10, 110, 110});
  HWND lower = Child(below, {150, 150, 250, 250});
  HWND upper = Child(below, {150, 150, 250, 250});  // created last: above `lower`
  HWND popup = Top({0, 0, 120, 120}, WS_POPUP | WS_VISIBLE, WS_EX_NOACTIVATE);
  auto transparent = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_NCHITTEST) return HTTRANSPARENT;
    return std::nullopt;
  };
  Rec().handlers[popup] = transparent;
  Rec().handlers[upper] = transparent;
  // A top-level popup: the next top-level window down, and there its child under the point.
  backend.Click(50, 50);
  backend.Pump();
  ASSERT_EQ(Of(WM_LBUTTONDOWN).size(), 1u);
  EXPECT_EQ(Of(WM_LBUTTONDOWN)[0].hwnd, kid);
  EXPECT_EQ(Of(WM_LBUTTONDOWN)[0].lParam, MAKELPARAM(40, 40));
  EXPECT_EQ(WindowFromPoint(POINT{50, 50}), kid);
  // A child: the sibling beneath it, not straight to the parent.
  Clear();
  backend.Click(200, 200);
  backend.Pump();
  ASSERT_EQ(Of(WM_LBUTTONDOWN).size(), 1u);
  EXPECT_EQ(Of(WM_LBUTTONDOWN)[0].hwnd, lower);
  EXPECT_EQ(WindowFromPoint(POINT{200, 200}), lower);
}

TEST_F(Input, DisabledParentTakesNoInputForItsChildren) {
  HWND top = Top({0, 0, 200, 200});
  HWND kid = Child(top, {10, 10, 100, 100});
  SetFocus(kid);
  EnableWindow(top, FALSE);
  EXPECT_EQ(GetFocus(), nullptr);
  Clear();
  backend.Click(50, 50);
  backend.KeyPress('A');
  backend.Pump();
  EXPECT_TRUE(Seq(kid, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_KEYDOWN}).empty());
  EXPECT_TRUE(Seq(top, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE}).empty());
  // The cursor is asked of the disabled window with HTERROR.
  auto cursors = Of(WM_SETCURSOR);
  ASSERT_FALSE(cursors.empty());
  EXPECT_EQ(cursors[0].hwnd, top);
  EXPECT_EQ(short(LOWORD(uintptr_t(cursors[0].lParam))), HTERROR);
  EnableWindow(top, TRUE);
  Clear();
  backend.Click(50, 50);
  backend.Pump();
  EXPECT_EQ(Seq(kid, {WM_LBUTTONDOWN}).size(), 1u);
}

TEST_F(Input, ParentAnsweringSetCursorDecidesTheShape) {
  HWND top = Top({0, 0, 200, 200});
  HWND kid = Child(top, {10, 10, 100, 100});
  SetClassLongPtrW(kid, GCLP_HCURSOR, LONG_PTR(LoadCursorW(nullptr, IDC_IBEAM)));
  bool parentDecides = false;
  Rec().handlers[top] = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_SETCURSOR || !parentDecides) return std::nullopt;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
  };
  backend.MouseMove(50, 50);
  backend.Pump();
  EXPECT_EQ(backend.CursorShapes.back(), 32513);  // the child's class cursor
  parentDecides = true;
  Clear();
  backend.MouseMove(51, 50);
  backend.Pump();
  EXPECT_EQ(backend.CursorShapes.back(), 32649);
  auto asked = Of(WM_SETCURSOR);
  ASSERT_EQ(asked.size(), 2u);  // the child, which asks its parent first
  EXPECT_EQ(asked[0].hwnd, kid);
  EXPECT_EQ(asked[1].hwnd, top);
  EXPECT_EQ(asked[1].wParam, WPARAM(kid));
  EXPECT_EQ(LOWORD(uintptr_t(asked[1].lParam)), HTCLIENT);
  EXPECT_EQ(HIWORD(uintptr_t(asked[1].lParam)), WM_MOUSEMOVE);
}

TEST_F(Input, DesktopMovesAreAppliedInOrderWithTheInputAndNotEchoed) {
  HWND a = Top({0, 0, 100, 100});
  backend.Pump();
  backend.Moved.clear();
  Clear();
  backend.MouseMove(10, 10);
  InjectTopLevelMoved(a, RECT{200, 100, 300, 250});
  backend.MouseMove(250, 150);
  RECT r;
  GetWindowRect(a, &r);
  EXPECT_EQ(r, (RECT{0, 0, 100, 100}));  // queued, not applied from the backend's call
  backend.Pump();
  GetWindowRect(a, &r);
  EXPECT_EQ(r, (RECT{200, 100, 300, 250}));
  EXPECT_EQ(Seq(a, {WM_MOUSEMOVE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}),
            (std::vector<UINT>{WM_MOUSEMOVE, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE, WM_MOUSEMOVE}));
  auto moves = Of(WM_MOUSEMOVE);
  EXPECT_EQ(moves.front().lParam, MAKELPARAM(10, 10));
  EXPECT_EQ(moves.back().lParam, MAKELPARAM(50, 50));  // hit against the new place
  EXPECT_EQ(Of(WM_SIZE).back().lParam, MAKELPARAM(100, 150));
  EXPECT_EQ(Of(WM_MOVE).back().lParam, MAKELPARAM(200, 100));
  EXPECT_TRUE(backend.Moved.empty());  // the desktop knows already
  // A size the window refuses goes back to the desktop.
  Rec().handlers[a] = [](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(l)->cx = 120;
    return std::nullopt;
  };
  InjectTopLevelMoved(a, RECT{200, 100, 400, 250});
  backend.Pump();
  ASSERT_EQ(backend.Moved.size(), 1u);
  EXPECT_EQ(backend.Moved[0].rect, (RECT{200, 100, 320, 250}));
}

TEST_F(Input, DesktopActivationTellsEveryTopLevelWindowOfTheProgram) {
  HWND a = Top({0, 0, 100, 100});
  HWND b = Top({200, 0, 300, 100});
  HWND hidden = Top({0, 200, 100, 300}, WS_POPUP);
  EXPECT_EQ(GetActiveWindow(), b);
  Clear();
  InjectActivate(b, false);
  EXPECT_EQ(GetActiveWindow(), b);  // queued
  backend.Pump();
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(Seq(b, {WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP}),
            (std::vector<UINT>{WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP}));
  for (HWND h : {a, b, hidden}) {
    auto app = Seq(h, {WM_ACTIVATEAPP});
    EXPECT_EQ(app.size(), 1u);
  }
  EXPECT_EQ(Of(WM_ACTIVATEAPP).at(0).wParam, WPARAM(FALSE));
  Clear();
  InjectActivate(a, true);
  backend.Pump();
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(Seq(a, {WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE}),
            (std::vector<UINT>{WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE}));
  EXPECT_EQ(Of(WM_ACTIVATEAPP).size(), 3u);
  for (auto& e : Of(WM_ACTIVATEAPP)) EXPECT_EQ(e.wParam, WPARAM(TRUE));
  // Moving between our own windows is no change for the program.
  Clear();
  InjectActivate(b, true);
  backend.Pump();
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_TRUE(Of(WM_ACTIVATEAPP).empty());
  // A window disabled under a modal dialog hands the activation to the dialog.
  HWND dialog = CreateWindowExW(0, u"QvTest", u"dlg", WS_POPUP | WS_VISIBLE, 20, 20, 50, 50, a, nullptr,
                                nullptr, nullptr);
  EnableWindow(a, FALSE);
  SetActiveWindow(b);
  InjectActivate(a, true);
  backend.Pump();
  EXPECT_EQ(GetActiveWindow(), dialog);
}

}  // namespace
}  // namespace qv::test
