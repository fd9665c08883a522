// Creation and destruction order, window data and subclassing, the tree and
// z-order, positioning messages, and stale handles.
#include "WindowTestSupport.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Shapes.h"

namespace qv::test {
namespace {

using Lifecycle = WindowTest;

TEST_F(Lifecycle, CreationAndDestructionFollowThePlatformOrder) {
  HWND top = Top({10, 10, 210, 110});
  HWND child = Child(top, {5, 5, 55, 55});
  ASSERT_TRUE(IsWindow(top) && IsWindow(child));
  EXPECT_EQ(Seq(child, {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}),
            (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}));
  EXPECT_EQ(Of(WM_PARENTNOTIFY).size(), 1u);
  EXPECT_EQ(Of(WM_PARENTNOTIFY).at(0).lParam, LPARAM(child));

  HWND owned =
      CreateWindowExW(0, u"QvTest", u"owned", WS_POPUP, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);
  EXPECT_EQ(GetWindow(owned, GW_OWNER), top);
  Clear();
  ASSERT_TRUE(DestroyWindow(top));
  // Owned windows first; then the parent's WM_DESTROY, the child entirely, the parent's WM_NCDESTROY.
  std::vector<std::pair<HWND, UINT>> order;
  for (auto& e : Rec().log)
    if (e.msg == WM_DESTROY || e.msg == WM_NCDESTROY) order.push_back({e.hwnd, e.msg});
  std::vector<std::pair<HWND, UINT>> expected{{owned, WM_DESTROY},   {owned, WM_NCDESTROY},
                                              {top, WM_DESTROY},     {child, WM_DESTROY},
                                              {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
  EXPECT_EQ(order, expected);
  EXPECT_FALSE(IsWindow(top) || IsWindow(child) || IsWindow(owned));
}

TEST_F(Lifecycle, CreationFailsWhenTheProcedureRefuses) {
  Rec().onAny = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_CREATE) return -1;
    return std::nullopt;
  };
  EXPECT_EQ(Top({0, 0, 10, 10}), nullptr);
  EXPECT_EQ(Seq(nullptr, {WM_DESTROY, WM_NCDESTROY}), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
  Rec().onAny = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_NCCREATE) return FALSE;
    return std::nullopt;
  };
  EXPECT_EQ(Top({0, 0, 10, 10}), nullptr);
  EXPECT_EQ(
      CreateWindowExW(0, u"NoSuchClass", nullptr, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
      nullptr);
}

TEST_F(Lifecycle, StaleHandlesGiveErrorResultsNeverCrashes) {
  HWND top = Top({0, 0, 100, 100});
  HWND child = Child(top, {0, 0, 10, 10});
  DestroyWindow(top);
  HWND reuse = Top({0, 0, 50, 50});  // may take the freed slot: the old handle must still be stale
  ASSERT_NE(reuse, top);
  for (HWND h : {top, child, reinterpret_cast<HWND>(0x12345), reinterpret_cast<HWND>(-7)}) {
    RECT r{1, 2, 3, 4};
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(SendMessageW(h, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostMessageW(h, WM_USER, 0, 0));
    EXPECT_FALSE(GetWindowRect(h, &r));
    EXPECT_FALSE(SetWindowPos(h, nullptr, 0, 0, 1, 1, 0));
    EXPECT_FALSE(ShowWindow(h, SW_SHOW));
    EXPECT_EQ(GetWindowLongPtrW(h, GWL_STYLE), 0);
    EXPECT_EQ(GetDC(h), nullptr);
    EXPECT_FALSE(InvalidateRect(h, nullptr, TRUE));
    EXPECT_EQ(SetTimer(h, 1, 10, nullptr), 0u);
    EXPECT_EQ(SetFocus(h), nullptr);
    EXPECT_FALSE(DestroyWindow(h));
  }
  EXPECT_TRUE(IsWindow(reuse));
}

TEST_F(Lifecycle, WindowDestroyedInsideItsOwnHandlerFinishesSafely) {
  HWND top = Top({0, 0, 100, 100});
  HWND child = Child(top, {0, 0, 10, 10});
  bool afterDestroy = false;
  Rec().handlers[child] = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_USER) return std::nullopt;
    DestroyWindow(GetParent(h));  // takes this window with it
    afterDestroy = !IsWindow(h);
    // The handler still runs on a destroyed window: calls on it fail quietly.
    SetWindowLongPtrW(h, GWLP_USERDATA, 5);
    InvalidateRect(h, nullptr, TRUE);
    return 7;
  };
  EXPECT_EQ(SendMessageW(child, WM_USER, 0, 0), 7);
  EXPECT_TRUE(afterDestroy);
  EXPECT_FALSE(IsWindow(top));
  PostMessageW(child, WM_USER, 0, 0);
  EXPECT_TRUE(backend.Pump());
}

TEST_F(Lifecycle, SubclassChainCallsThroughToTheOriginalProcedure) {
  HWND w = Top({0, 0, 50, 50});
  static std::vector<int>* trace;
  std::vector<int> calls;
  trace = &calls;
  static WNDPROC first = nullptr, second = nullptr;
  WNDPROC outer = [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_USER) trace->push_back(2);
    return CallWindowProcW(second, h, m, wp, lp) + (m == WM_USER ? 100 : 0);
  };
  WNDPROC inner = [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_USER) trace->push_back(1);
    return CallWindowProcW(first, h, m, wp, lp) + (m == WM_USER ? 10 : 0);
  };
  first = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(w, GWLP_WNDPROC, LONG_PTR(inner)));
  EXPECT_EQ(first, RecordingProc);
  second = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(w, GWLP_WNDPROC, LONG_PTR(outer)));
  EXPECT_EQ(second, inner);
  Rec().handlers[w] = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) return trace->push_back(0), 1;
    return std::nullopt;
  };
  EXPECT_EQ(SendMessageW(w, WM_USER, 0, 0), 111);
  EXPECT_EQ(calls, (std::vector<int>{2, 1, 0}));
  // Unhooking restores the original behaviour.
  SetWindowLongPtrW(w, GWLP_WNDPROC, LONG_PTR(first));
  calls.clear();
  EXPECT_EQ(SendMessageW(w, WM_USER, 0, 0), 1);
  EXPECT_EQ(calls, (std::vector<int>{0}));
}

TEST_F(Lifecycle, WindowDataPropertiesAndText) {
  HWND w = Top({0, 0, 50, 50});
  HWND c = Child(w, {0, 0, 5, 5}, WS_CHILD, 0, 42);
  EXPECT_EQ(GetWindowLongPtrW(c, GWLP_ID), 42);
  EXPECT_EQ(SetWindowLongPtrW(w, GWLP_USERDATA, 99), 0);
  EXPECT_EQ(GetWindowLongPtrW(w, GWLP_USERDATA), 99);
  SetWindowLongPtrW(w, 8, LONG_PTR(-3));  // class extra bytes
  EXPECT_EQ(GetWindowLongPtrW(w, 8), -3);
  EXPECT_EQ(GetWindowLongPtrW(w, 16), 0);  // outside the extra bytes
  // Reads repeated after a write, on another window and after its end see
  // the change (a thread keeps its last read while nothing changes).
  EXPECT_EQ(GetWindowLongPtrW(w, 8), -3);
  SetWindowLongPtrW(w, 8, 5);
  EXPECT_EQ(GetWindowLongPtrW(w, 8), 5);
  HWND other = Top({0, 0, 5, 5});
  EXPECT_EQ(GetWindowLongPtrW(other, 8), 0);
  EXPECT_TRUE(IsWindow(other));
  EXPECT_TRUE(DestroyWindow(other));
  EXPECT_FALSE(IsWindow(other));
  EXPECT_EQ(GetWindowLongPtrW(other, 8), 0);
  int data = 0;
  SetPropW(w, u"Obj", &data);
  EXPECT_EQ(GetPropW(w, u"Obj"), &data);
  EXPECT_EQ(GetPropW(w, u"Ob"), nullptr);  // names match whole
  EXPECT_EQ(GetPropW(w, u"Obj2"), nullptr);
  EXPECT_EQ(RemovePropW(w, u"Obj"), &data);
  EXPECT_EQ(GetPropW(w, u"Obj"), nullptr);
  EXPECT_TRUE(SetWindowTextW(w, u"Catalogue"));
  char16_t buf[5];
  EXPECT_EQ(GetWindowTextW(w, buf, 5), 4);
  EXPECT_EQ(std::u16string(buf), u"Cata");
  EXPECT_EQ(GetWindowTextLengthW(w), 9);
  Clear();
  SetWindowLongPtrW(w, GWL_STYLE, LONG_PTR(GetWindowLongPtrW(w, GWL_STYLE) | WS_BORDER));
  EXPECT_EQ(Seq(w, {WM_STYLECHANGING, WM_STYLECHANGED}),
            (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
  EXPECT_TRUE(GetWindowLongPtrW(w, GWL_STYLE) & WS_BORDER);
}

TEST_F(Lifecycle, TreeAndZOrderQueries) {
  HWND top = Top({0, 0, 200, 200});
  HWND a = Child(top, {0, 0, 50, 50}, WS_CHILD | WS_VISIBLE, 0, 1);
  HWND b = Child(top, {20, 20, 80, 80}, WS_CHILD | WS_VISIBLE, 0, 2);
  HWND grand = Child(b, {0, 0, 10, 10});
  // New windows go on top of their siblings.
  EXPECT_EQ(GetWindow(top, GW_CHILD), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDPREV), b);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), nullptr);
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(top, GW_CHILD), a);
  SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(b, GW_HWNDLAST), a);
  EXPECT_EQ(GetAncestor(grand, GA_ROOT), top);
  EXPECT_EQ(GetAncestor(grand, GA_PARENT), b);
  EXPECT_TRUE(IsChild(top, grand));
  EXPECT_FALSE(IsChild(a, grand));
  std::vector<HWND> seen;
  EnumChildWindows(top, [&](HWND h) { return seen.push_back(h), TRUE; });
  EXPECT_EQ(seen, (std::vector<HWND>{b, grand, a}));
  // Points: the deepest visible window, sibling z-order respected.
  EXPECT_EQ(WindowFromPoint(POINT{25, 25}), grand);
  EXPECT_EQ(WindowFromPoint(POINT{45, 45}), b);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{5, 5}), a);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{150, 150}), top);
  // Topmost windows stay above normal ones.
  HWND pinned = Top({0, 0, 10, 10}, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
  HWND later = Top({0, 0, 10, 10});
  EXPECT_EQ(GetTopWindow(nullptr), pinned);
  EXPECT_EQ(GetWindow(pinned, GW_HWNDNEXT), later);
  // Reparenting keeps the position relative to the parent, as controls moved
  // between panels expect.
  RECT after;
  SetParent(grand, a);
  EXPECT_EQ(GetParent(grand), a);
  GetWindowRect(grand, &after);
  EXPECT_EQ(after, (RECT{0, 0, 10, 10}));
}

TEST_F(Lifecycle, ReparentingRepaintsBothParentsAndMovesTheDesktopWindow) {
  HWND a = Top({0, 0, 200, 200});
  HWND b = Top({300, 0, 500, 200});
  HWND c = Child(a, {10, 10, 60, 60});
  HWND inner = Child(c, {5, 5, 15, 15});
  auto paintRed = [](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_PAINT) return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r{0, 0, 100, 100};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &r, red);
    DeleteObject(red);
    EndPaint(h, &ps);
    return 0;
  };
  Rec().handlers[c] = paintRed;
  backend.Pump();
  auto at = [&](int x, int y) { return backend.Screenshot().At(x, y) & 0xFFFFFF; };
  const uint32_t red = 0xFF0000, white = PixelRGB(255, 255, 255) & 0xFFFFFF;
  EXPECT_EQ(at(30, 30), red);
  SetParent(c, b);
  backend.Pump();
  EXPECT_EQ(at(30, 30), white);                       // the old parent shows its own background again
  EXPECT_EQ(at(330, 30), red);                        // same place within the new parent
  EXPECT_EQ(WindowFromPoint(POINT{317, 17}), inner);  // the children came along
  // Out to the desktop and back: the backend gets and loses a window.
  backend.Moved.clear();
  SetParent(c, nullptr);
  EXPECT_FALSE(GetWindowLongPtrW(c, GWL_STYLE) & WS_CHILD);
  RECT r;
  GetWindowRect(c, &r);
  EXPECT_EQ(r, (RECT{10, 10, 60, 60}));
  backend.Pump();
  EXPECT_EQ(at(330, 30), white);
  EXPECT_EQ(at(30, 30), red);  // now above `a` on the screen
  SetParent(c, a);
  EXPECT_EQ(GetParent(c), a);
  EXPECT_EQ(GetAncestor(inner, GA_ROOT), a);
}

TEST_F(Lifecycle, ShowAndSizeSendTheirMessagesInOrderWithTheirValues) {
  HWND top = Top({10, 20, 210, 170}, WS_POPUP | WS_BORDER);
  Clear();
  ShowWindow(top, SW_SHOW);
  EXPECT_EQ(
      Seq(top, {WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_ACTIVATE, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}),
      (std::vector<UINT>{WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_ACTIVATE, WM_WINDOWPOSCHANGED}));
  EXPECT_EQ(Of(WM_SHOWWINDOW).at(0).wParam, WPARAM(TRUE));
  // Showing again is no change: no messages.
  Clear();
  EXPECT_TRUE(ShowWindow(top, SW_SHOW));
  EXPECT_TRUE(Seq(top, {WM_SHOWWINDOW}).empty());
  // A size change: WM_SIZE has the client size, WM_MOVE the client origin.
  Clear();
  SetWindowPos(top, nullptr, 30, 40, 100, 80, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(Seq(top, {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}),
            (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}));
  EXPECT_EQ(Of(WM_SIZE).at(0).lParam, MAKELPARAM(98, 78));
  EXPECT_EQ(Of(WM_MOVE).at(0).lParam, MAKELPARAM(31, 41));
  // A move alone sends no WM_SIZE; a z-order change alone neither.
  Clear();
  SetWindowPos(top, nullptr, 50, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(Of(WM_SIZE).empty());
  EXPECT_EQ(Of(WM_MOVE).size(), 1u);
  Clear();
  SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  EXPECT_TRUE(Of(WM_SIZE).empty());
  EXPECT_TRUE(Of(WM_MOVE).empty());
  Clear();
  ShowWindow(top, SW_HIDE);
  EXPECT_EQ(Seq(top, {WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED}),
            (std::vector<UINT>{WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED}));
  EXPECT_EQ(Of(WM_SHOWWINDOW).at(0).wParam, WPARAM(FALSE));
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(Lifecycle, FocusLeavesWindowsThatAreHiddenOrDestroyed) {
  HWND top = Top({0, 0, 200, 200});
  HWND a = Child(top, {0, 0, 50, 50});
  HWND panel = Child(top, {60, 0, 160, 100});
  HWND b = Child(panel, {0, 0, 50, 50});
  SetFocus(b);
  ASSERT_EQ(GetFocus(), b);
  // Hiding the focus window's parent takes the focus from it.
  ShowWindow(panel, SW_HIDE);
  EXPECT_EQ(GetFocus(), top);
  EXPECT_EQ(Seq(b, {WM_KILLFOCUS}).size(), 1u);
  ShowWindow(panel, SW_SHOW);
  SetFocus(a);
  Clear();
  DestroyWindow(a);
  EXPECT_FALSE(IsWindow(GetFocus()) && GetFocus() == a);
  EXPECT_EQ(GetFocus(), top);  // to the parent of the destroyed window
  // Keys still go somewhere alive.
  backend.KeyPress('X');
  backend.Pump();
  for (auto& e : Of(WM_KEYDOWN)) EXPECT_EQ(e.hwnd, top);
}

TEST_F(Lifecycle, SetWindowPosSendsChangingChangedMoveAndSize) {
  HWND top = Top({0, 0, 200, 200});
  HWND c = Child(top, {10, 10, 60, 40}, WS_CHILD | WS_VISIBLE | WS_BORDER);
  RECT cr;
  GetClientRect(c, &cr);
  EXPECT_EQ(cr, (RECT{0, 0, 48, 28}));
  Clear();
  MoveWindow(c, 20, 30, 100, 50, TRUE);
  EXPECT_EQ(Seq(c, {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}),
            (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}));
  EXPECT_EQ(Of(WM_SIZE).back().lParam, MAKELPARAM(98, 48));
  EXPECT_EQ(Of(WM_MOVE).back().lParam, MAKELPARAM(21, 31));
  POINT p{0, 0};
  ClientToScreen(c, &p);
  EXPECT_EQ(p, (POINT{21, 31}));
  // A handler can veto the move in WM_WINDOWPOSCHANGING.
  Rec().handlers[c] = [](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(l)->flags |= SWP_NOMOVE;
    return std::nullopt;
  };
  SetWindowPos(c, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  GetWindowRect(c, &cr);
  EXPECT_EQ(cr.left, 20);
  Clear();
  ShowWindow(c, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(c));
  EXPECT_EQ(Seq(c, {WM_SHOWWINDOW, WM_WINDOWPOSCHANGED}),
            (std::vector<UINT>{WM_SHOWWINDOW, WM_WINDOWPOSCHANGED}));
  EXPECT_EQ(EnableWindow(c, FALSE), FALSE);
  EXPECT_FALSE(IsWindowEnabled(c));
  EXPECT_EQ(Of(WM_ENABLE).back().wParam, WPARAM(FALSE));
}

}  // namespace
}  // namespace qv::test
