// MDI children in a client window, driven by messages and real input:
// creation and activation (with WM_MDIACTIVATE, caption colours and the
// focus), maximised children handing their state on, minimised ones along
// the bottom, cascade and tile, the client's scroll bars over children
// outside it, and the MDI keys.
#include "WindowTestSupport.h"
#include "platform/gdi/SystemColors.h"
#include "platform/window/Mdi.h"
#include "platform/window/ScrollBar.h"

namespace qv::test {
namespace {

LRESULT ChildProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  Rec().log.push_back({h, m, w, l});
  return DefMDIChildProcW(h, m, w, l);
}

// A child that, as a skinned frame does, wipes the maximised place before
// passing WM_GETMINMAXINFO on, to fill in what stays wiped.
LRESULT WipingChildProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  auto* mm = reinterpret_cast<MINMAXINFO*>(l);
  if (m == WM_GETMINMAXINFO) mm->ptMaxPosition = POINT{-1, -1}, mm->ptMaxSize = POINT{-1, -1};
  LRESULT r = DefMDIChildProcW(h, m, w, l);
  if (m == WM_GETMINMAXINFO && mm->ptMaxPosition.x == -1) mm->ptMaxPosition = POINT{0, 0};
  return r;
}

LRESULT FrameProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return DefMDIFrameProcW(h, m, w, l);
}

class Mdi : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSEXW wc;
    wc.lpfnWndProc = ChildProc;
    wc.lpszClassName = u"QvMdiDoc";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
    RegisterClassExW(&wc);
    wc.lpfnWndProc = WipingChildProc;
    wc.lpszClassName = u"QvMdiWipingDoc";
    RegisterClassExW(&wc);
    wc.lpfnWndProc = FrameProc;
    wc.lpszClassName = u"QvMdiFrame";
    RegisterClassExW(&wc);
    frame = CreateWindowExW(0, u"QvMdiFrame", u"Frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 440,
                            nullptr, nullptr, nullptr, nullptr);
    CLIENTCREATESTRUCT ccs{nullptr, 100};
    RECT fc;
    GetClientRect(frame, &fc);
    client = CreateWindowExW(WS_EX_CLIENTEDGE, u"MDICLIENT", nullptr,
                             WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0,
                             fc.Width(), fc.Height(), frame, nullptr, nullptr, &ccs);
    backend.Pump();
  }
  void TearDown() override {
    WindowTest::TearDown();
    UnregisterClassW(u"QvMdiDoc", nullptr);
    UnregisterClassW(u"QvMdiWipingDoc", nullptr);
    UnregisterClassW(u"QvMdiFrame", nullptr);
  }
  HWND Doc(const char16_t* title, int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int cx = 200, int cy = 150) {
    HWND h = CreateMDIWindowW(u"QvMdiDoc", title, WS_VISIBLE, x, y, cx, cy, client, nullptr, 0);
    backend.Pump();
    return h;
  }
  HWND Active(BOOL* maximized = nullptr) {
    return reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, LPARAM(maximized)));
  }
  RECT InClient(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, client, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  RECT ClientArea() {
    RECT r;
    GetClientRect(client, &r);
    return r;
  }
  HWND frame = nullptr, client = nullptr;
};

TEST_F(Mdi, ChildrenActivateByCreationClickAndNext) {
  HWND a = Doc(u"A"), b = Doc(u"B");
  EXPECT_EQ(Active(), b);
  EXPECT_EQ(GetFocus(), b);
  EXPECT_EQ(GetWindow(client, GW_CHILD), b);  // on top
  EXPECT_EQ(GetWindowLongPtrW(a, GWLP_ID), 100);
  EXPECT_EQ(GetWindowLongPtrW(b, GWLP_ID), 101);
  // Default places step down and right.
  EXPECT_EQ(InClient(a).left, 0);
  EXPECT_GT(InClient(b).left, 0);
  // A click on A's client area activates it; both hear of it.
  Clear();
  RECT ra;
  GetWindowRect(a, &ra);
  backend.Click(ra.left + 10, ra.bottom - 10);
  backend.Pump();
  EXPECT_EQ(Active(), a);
  EXPECT_EQ(GetFocus(), a);
  auto acts = Of(WM_MDIACTIVATE);
  ASSERT_EQ(acts.size(), 2u);
  EXPECT_EQ(acts[0].hwnd, b);
  EXPECT_EQ(acts[1].hwnd, a);
  for (auto& e : acts) {
    EXPECT_EQ(HWND(e.wParam), b);
    EXPECT_EQ(HWND(e.lParam), a);
  }
  // Captions: the active child's is in the active colours, the other's not.
  Surface s = backend.Screenshot();
  RECT rb;
  GetWindowRect(b, &rb);
  auto px = [&](const RECT& r) { return s.At(r.right - 60, r.top + 8) & 0xFFFFFF; };
  uint32_t activeCap =
      PixelRGB(GetRValue(GetSysColor(COLOR_ACTIVECAPTION)), GetGValue(GetSysColor(COLOR_ACTIVECAPTION)),
               GetBValue(GetSysColor(COLOR_ACTIVECAPTION))) &
      0xFFFFFF;
  EXPECT_EQ(px(ra), activeCap);
  EXPECT_NE(s.At(rb.right - 60, rb.top + 8) & 0xFFFFFF, activeCap);
  // WM_MDINEXT moves on and sends the old one to the bottom.
  HWND c = Doc(u"C");
  SendMessageW(client, WM_MDINEXT, 0, 0);
  EXPECT_NE(Active(), c);
  EXPECT_EQ(GetWindow(GetWindow(client, GW_CHILD), GW_HWNDLAST), c);
  // Destroying the active child activates another.
  HWND before = Active();
  SendMessageW(client, WM_MDIDESTROY, WPARAM(before), 0);
  EXPECT_FALSE(IsWindow(before));
  EXPECT_NE(Active(), nullptr);
  EXPECT_NE(Active(), before);
}

TEST_F(Mdi, AMaximisedChildFillsTheClientAndHandsItsStateOn) {
  HWND a = Doc(u"A", 10, 10), b = Doc(u"B", 40, 40);
  RECT normalB = InClient(b);
  SendMessageW(b, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  BOOL maximized = FALSE;
  EXPECT_EQ(Active(&maximized), b);
  EXPECT_TRUE(maximized);
  // Only its client area shows: that is the MDI client's area.
  POINT origin{0, 0};
  ClientToScreen(b, &origin);
  POINT clientOrigin{0, 0};
  ClientToScreen(client, &clientOrigin);
  EXPECT_EQ(origin, clientOrigin);
  RECT bc;
  GetClientRect(b, &bc);
  EXPECT_EQ(bc, ClientArea());
  // Activating A maximises it and restores B to where it was.
  SendMessageW(client, WM_MDIACTIVATE, WPARAM(a), 0);
  EXPECT_TRUE(IsZoomed(a));
  EXPECT_FALSE(IsZoomed(b));
  EXPECT_EQ(InClient(b), normalB);
  // The client follows the frame; the maximised child follows the client.
  SetWindowPos(frame, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
  GetClientRect(a, &bc);
  EXPECT_EQ(bc, ClientArea());
  // Closing the maximised child leaves the next one maximised; restoring it ends that.
  SendMessageW(a, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(a));
  EXPECT_EQ(Active(&maximized), b);
  EXPECT_TRUE(maximized);
  SendMessageW(client, WM_MDIRESTORE, WPARAM(b), 0);
  EXPECT_EQ(InClient(b), normalB);
  // A new child made while one is maximised comes maximised.
  SendMessageW(client, WM_MDIMAXIMIZE, WPARAM(b), 0);
  HWND c = Doc(u"C");
  EXPECT_TRUE(IsZoomed(c));
  EXPECT_FALSE(IsZoomed(b));
  // The child's default procedure gives its maximised place back to a
  // procedure that wiped it: its caption and frame stay outside the client.
  HWND d = CreateMDIWindowW(u"QvMdiWipingDoc", u"D", WS_VISIBLE, 20, 20, 200, 150, client, nullptr, 0);
  backend.Pump();
  ASSERT_TRUE(IsZoomed(d));
  origin = POINT{0, 0};
  ClientToScreen(d, &origin);
  EXPECT_EQ(origin, clientOrigin);
  GetClientRect(d, &bc);
  EXPECT_EQ(bc, ClientArea());
}

TEST_F(Mdi, MinimisedChildrenLineUpAlongTheBottom) {
  HWND a = Doc(u"A", 30, 30), b = Doc(u"B", 60, 60);
  RECT normalA = InClient(a);
  ShowWindow(a, SW_MINIMIZE);
  ShowWindow(b, SW_MINIMIZE);
  RECT ra = InClient(a), rb = InClient(b), c = ClientArea();
  EXPECT_EQ(ra.bottom, c.bottom);
  EXPECT_EQ(rb.bottom, c.bottom);
  EXPECT_EQ(ra.left, 0);
  EXPECT_EQ(rb.left, ra.right);
  RECT ac;
  GetClientRect(a, &ac);
  EXPECT_TRUE(IsRectEmpty(&ac));  // only the caption is left
  ShowWindow(a, SW_RESTORE);
  EXPECT_EQ(InClient(a), normalA);
}

TEST_F(Mdi, CascadeAndTileShareTheClient) {
  HWND a = Doc(u"A", 5, 5), b = Doc(u"B", 100, 80), c = Doc(u"C", 50, 200);
  RECT area = ClientArea();
  SendMessageW(client, WM_MDICASCADE, 0, 0);
  // The active child ends on top, at the last step.
  EXPECT_EQ(GetWindow(client, GW_CHILD), c);
  RECT r[3] = {InClient(a), InClient(b), InClient(c)};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(r[i].Width(), area.Width() * 3 / 4);
    EXPECT_EQ(r[i].Height(), area.Height() * 3 / 4);
  }
  EXPECT_EQ(r[0].left, 0);
  EXPECT_EQ(r[1].left - r[0].left, r[2].left - r[1].left);
  EXPECT_GT(r[1].left, r[0].left);
  // Side by side: three columns over the whole client, no gaps or overlaps.
  SendMessageW(client, WM_MDITILE, MDITILE_VERTICAL, 0);
  std::vector<RECT> cols;
  for (HWND h : {a, b, c}) cols.push_back(InClient(h));
  std::sort(cols.begin(), cols.end(), [](const RECT& x, const RECT& y) { return x.left < y.left; });
  EXPECT_EQ(cols[0].left, 0);
  EXPECT_EQ(cols[0].right, cols[1].left);
  EXPECT_EQ(cols[1].right, cols[2].left);
  EXPECT_EQ(cols[2].right, area.right);
  for (auto& col : cols) EXPECT_EQ(col.Height(), area.Height());
  // One above the other.
  SendMessageW(client, WM_MDITILE, MDITILE_HORIZONTAL, 0);
  int total = 0;
  for (HWND h : {a, b, c}) {
    EXPECT_EQ(InClient(h).Width(), area.Width());
    total += InClient(h).Height();
  }
  EXPECT_EQ(total, area.Height());
  // Four children make a grid of two by two.
  HWND d = Doc(u"D");
  SendMessageW(client, WM_MDITILE, MDITILE_VERTICAL, 0);
  for (HWND h : {a, b, c, d}) {
    EXPECT_NEAR(InClient(h).Width(), area.Width() / 2, 1);
    EXPECT_NEAR(InClient(h).Height(), area.Height() / 2, 1);
  }
}

TEST_F(Mdi, ScrollBarsReachChildrenOutsideTheClient) {
  RECT area = ClientArea();
  HWND a = Doc(u"A", 20, 20);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(client, SB_HORZ, &si);
  EXPECT_LE(si.nMax - si.nMin + 1, int(si.nPage));  // everything fits: no bar
  EXPECT_EQ(ClientArea(), area);
  // A child moved past the right edge gives the client a horizontal bar.
  SetWindowPos(a, nullptr, area.right - 50, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT ca = ClientArea();
  EXPECT_LT(ca.bottom, area.bottom);  // the bar took room at the bottom
  GetScrollInfo(client, SB_HORZ, &si);
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, InClient(a).right - 1);
  EXPECT_EQ(si.nPos, 0);
  // Scrolling to the end brings the child's right edge in.
  int end = si.nMax - int(si.nPage) + 1;
  SendMessageW(client, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, end), 0);
  EXPECT_EQ(InClient(a).right, ca.right);
  // Maximised, nothing lies outside: the bars go.
  SendMessageW(client, WM_MDIMAXIMIZE, WPARAM(a), 0);
  EXPECT_EQ(ClientArea(), area);
}

TEST_F(Mdi, ControlF6AndControlF4ActOnTheActiveChild) {
  HWND a = Doc(u"A"), b = Doc(u"B");
  auto press = [&](UINT vk, bool shift = false) {
    backend.KeyDown(VK_CONTROL);
    if (shift) backend.KeyDown(VK_SHIFT);
    backend.KeyDown(vk);
    MSG m;
    bool used = false;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (TranslateMDISysAccel(client, &m)) {
        used = true;
        continue;
      }
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    backend.KeyUp(vk);
    if (shift) backend.KeyUp(VK_SHIFT);
    backend.KeyUp(VK_CONTROL);
    backend.Pump();
    return used;
  };
  EXPECT_TRUE(press(VK_F6));
  EXPECT_EQ(Active(), a);
  EXPECT_TRUE(press(VK_TAB, true));
  EXPECT_EQ(Active(), b);
  EXPECT_TRUE(press(VK_F4));
  EXPECT_FALSE(IsWindow(b));
  EXPECT_EQ(Active(), a);
  EXPECT_FALSE(press('A'));
}

TEST_F(Mdi, ChildrenMoveByTheirCaptionAndMaximiseByADoubleClick) {
  HWND a = Doc(u"A", 20, 20), b = Doc(u"B", 200, 100);
  RECT rb;
  GetWindowRect(b, &rb);
  // Dragging A's caption moves it inside the client.
  RECT ra;
  GetWindowRect(a, &ra);
  backend.AdvanceClock(1000);
  backend.MouseMove(ra.left + 30, ra.top + 10);
  backend.MouseDown();
  backend.WhenIdle([&] { backend.MouseMove(ra.left + 70, ra.top + 40); });
  backend.WhenIdle([&] { backend.MouseUp(); });
  backend.Pump();
  EXPECT_EQ(InClient(a), (RECT{60, 50, 260, 200}));
  EXPECT_EQ(Active(), a);  // the press activated it first
  // A double click on B's caption maximises it inside the client.
  GetWindowRect(b, &rb);
  backend.AdvanceClock(1000);
  for (int i = 0; i < 2; ++i) {
    backend.MouseMove(rb.left + 60, rb.top + 10);
    backend.MouseDown();
    backend.WhenIdle([&] { backend.MouseUp(); });
    backend.Pump();
  }
  BOOL maximized = FALSE;
  EXPECT_EQ(Active(&maximized), b);
  EXPECT_TRUE(maximized);
}

// The menu bar hears of the maximised child through its hook; the buttons'
// commands come back to the frame and go to that child.
std::vector<std::pair<HWND, HWND>> g_menuBarCalls;

TEST_F(Mdi, TheMenuBarHearsOfTheMaximisedChildAndItsButtonsReachIt) {
  g_menuBarCalls.clear();
  SetMdiMenuBarHook([](HWND frameWnd, HWND child) { g_menuBarCalls.push_back({frameWnd, child}); });
  HWND a = Doc(u"A"), b = Doc(u"B");
  EXPECT_TRUE(g_menuBarCalls.empty());
  SendMessageW(client, WM_MDIMAXIMIZE, WPARAM(b), 0);
  SendMessageW(client, WM_MDIACTIVATE, WPARAM(a), 0);  // A takes the maximised state
  SetWindowTextW(a, u"Report");
  SendMessageW(frame, WM_COMMAND, SC_RESTORE, 0);  // the restore button in the menu bar
  EXPECT_FALSE(IsZoomed(a));
  SendMessageW(client, WM_MDIMAXIMIZE, WPARAM(a), 0);
  SendMessageW(frame, WM_COMMAND, SC_CLOSE, 0);  // the close button closes the child
  EXPECT_FALSE(IsWindow(a));
  EXPECT_TRUE(IsZoomed(b));
  SendMessageW(client, WM_MDIDESTROY, WPARAM(b), 0);
  SetMdiMenuBarHook(nullptr);
  std::vector<std::pair<HWND, HWND>> want{{frame, b}, {frame, a}, {frame, nullptr},
                                          {frame, a}, {frame, b}, {frame, nullptr}};
  EXPECT_EQ(g_menuBarCalls, want);
}

}  // namespace
}  // namespace qv::test
