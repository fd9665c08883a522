// The move and size loop driven by real input: caption drags and border
// drags by mouse, keyboard moving and sizing, the limits of
// WM_GETMINMAXINFO and what WM_MOVING/WM_SIZING handlers change, and the
// caption double click that maximises and restores.
#include "WindowTestSupport.h"
#include "platform/window/SizeMove.h"

namespace qv::test {
namespace {

class SizeMove : public WindowTest {
 protected:
  HWND Framed(RECT r) {
    HWND h = CreateWindowExW(0, u"QvTest", u"Frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, r.left, r.top,
                             r.Width(), r.Height(), nullptr, nullptr, nullptr, nullptr);
    backend.Pump();
    return h;
  }
  static RECT Rect(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    return r;
  }
  // Presses at `from`, moves through `path` while the loop runs, releases.
  void Drag(POINT from, std::vector<POINT> path) {
    backend.AdvanceClock(1000);  // no double click with an earlier press
    backend.MouseMove(from.x, from.y);
    backend.MouseDown();
    for (POINT p : path) backend.WhenIdle([this, p] { backend.MouseMove(p.x, p.y); });
    backend.WhenIdle([this] { backend.MouseUp(); });
    backend.Pump();
  }
  void Keys(std::vector<UINT> keys) {
    for (UINT k : keys) backend.WhenIdle([this, k] { backend.KeyPress(k); });
  }
};

TEST_F(SizeMove, CaptionDragMovesTheWindowInsideEnterAndExit) {
  HWND h = Framed({100, 100, 400, 300});
  Clear();
  Drag({200, 110}, {{210, 130}, {250, 160}});
  EXPECT_EQ(Rect(h), (RECT{150, 150, 450, 350}));
  EXPECT_EQ(GetCapture(), nullptr);
  auto seq = Seq(h, {WM_ENTERSIZEMOVE, WM_MOVING, WM_EXITSIZEMOVE});
  ASSERT_EQ(seq.size(), 4u);
  EXPECT_EQ(seq.front(), WM_ENTERSIZEMOVE);
  EXPECT_EQ(seq.back(), WM_EXITSIZEMOVE);
  EXPECT_EQ(Of(WM_SYSCOMMAND).at(0).wParam, SC_DRAGMOVE);
  // Every step went through WM_WINDOWPOSCHANGING, which may hold the window back.
  Rec().handlers[h] = [](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(l)->y = 150;
    return std::nullopt;
  };
  Drag({200, 160}, {{240, 260}});
  EXPECT_EQ(Rect(h), (RECT{190, 150, 490, 350}));
}

TEST_F(SizeMove, FramelessPopupsMoveWithTheirOwnerDialogsStay) {
  HWND h = Framed({100, 100, 400, 300});
  HWND hint = CreateWindowExW(WS_EX_TOPMOST, u"QvTest", u"", WS_POPUP | WS_VISIBLE, 150, 250, 80, 20, h,
                              nullptr, nullptr, nullptr);
  HWND dialog = CreateWindowExW(0, u"QvTest", u"Find", WS_POPUP | WS_CAPTION | WS_VISIBLE, 420, 100, 150, 100,
                                h, nullptr, nullptr, nullptr);
  SetActiveWindow(h);
  Drag({200, 110}, {{230, 150}});
  EXPECT_EQ(Rect(hint), (RECT{180, 290, 260, 310}));
  EXPECT_EQ(Rect(dialog), (RECT{420, 100, 570, 200}));
}

TEST_F(SizeMove, BorderDragsStopAtTheTrackingLimits) {
  HWND h = Framed({100, 100, 400, 300});
  Rec().handlers[h] = [](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m != WM_GETMINMAXINFO) return std::nullopt;
    auto* mm = reinterpret_cast<MINMAXINFO*>(l);
    mm->ptMinTrackSize = POINT{200, 150};
    mm->ptMaxTrackSize = POINT{350, 260};
    return 0;
  };
  // The bottom-right corner: growing past the maximum stops there.
  Drag({398, 298}, {{500, 420}});
  EXPECT_EQ(Rect(h), (RECT{100, 100, 450, 360}));
  auto sizing = Of(WM_SIZING);
  ASSERT_FALSE(sizing.empty());
  EXPECT_EQ(sizing.back().wParam, WMSZ_BOTTOMRIGHT);
  // The left edge: shrinking stops at the minimum and the right edge stays.
  Clear();
  Drag({101, 200}, {{400, 200}});
  EXPECT_EQ(Rect(h), (RECT{250, 100, 450, 360}));
  EXPECT_EQ(Of(WM_SIZING).back().wParam, WMSZ_LEFT);
  // SetWindowPos itself keeps a sizable window within the limits too.
  SetWindowPos(h, nullptr, 0, 0, 50, 1000, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Rect(h).Width(), 200);
  EXPECT_EQ(Rect(h).Height(), 260);
}

TEST_F(SizeMove, SizingHandlersCanReshapeEachStep) {
  HWND h = Framed({100, 100, 400, 300});
  // Keep the window square by its width.
  Rec().handlers[h] = [](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m != WM_SIZING) return std::nullopt;
    auto* r = reinterpret_cast<RECT*>(l);
    r->bottom = r->top + r->Width();
    return TRUE;
  };
  Drag({398, 200}, {{360, 200}});
  EXPECT_EQ(Rect(h), (RECT{100, 100, 362, 362}));  // the press was 2 pixels inside the edge
}

TEST_F(SizeMove, KeyboardMovesAndSizesAndEscapeGoesBack) {
  HWND h = Framed({100, 100, 400, 300});
  Keys({VK_RIGHT, VK_RIGHT, VK_DOWN, VK_RETURN});
  SendMessageW(h, WM_SYSCOMMAND, SC_MOVE, 0);
  EXPECT_EQ(Rect(h), (RECT{116, 108, 416, 308}));
  EXPECT_EQ(GetCapture(), nullptr);
  // Sizing: the first arrow picks the edge, the next ones move it.
  Keys({VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RETURN});
  SendMessageW(h, WM_SYSCOMMAND, SC_SIZE, 0);
  EXPECT_EQ(Rect(h), (RECT{116, 108, 432, 308}));
  // Esc puts the window back where the loop began.
  Clear();
  Keys({VK_LEFT, VK_LEFT, VK_UP, VK_ESCAPE});
  SendMessageW(h, WM_SYSCOMMAND, SC_MOVE, 0);
  EXPECT_EQ(Rect(h), (RECT{116, 108, 432, 308}));
  EXPECT_EQ(Seq(h, {WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}),
            (std::vector<UINT>{WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}));
  // A window without a sizing frame is not sized.
  HWND fixed = CreateWindowExW(0, u"QvTest", u"Fixed", WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 50, 50, 200, 100,
                               nullptr, nullptr, nullptr, nullptr);
  SendMessageW(fixed, WM_SYSCOMMAND, SC_SIZE, 0);
  EXPECT_EQ(Rect(fixed), (RECT{50, 50, 250, 150}));
}

TEST_F(SizeMove, AWindowHoldingTheCaptureTracksTheDragItself) {
  HWND h = Framed({100, 100, 400, 300});
  SetCapture(h);
  Clear();
  SendMessageW(h, WM_SYSCOMMAND, SC_MOVE, 0);  // returns at once: no loop, no keys needed
  EXPECT_TRUE(Seq(h, {WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}).empty());
  EXPECT_EQ(GetCapture(), h);
  ReleaseCapture();
}

TEST_F(SizeMove, CaptionDoubleClickMaximisesAndRestores) {
  HWND h = Framed({100, 100, 400, 300});
  auto doubleClick = [&](int y) {
    backend.AdvanceClock(1000);
    for (int i = 0; i < 2; ++i) {
      backend.MouseMove(200, y);
      backend.MouseDown();
      backend.WhenIdle([this] { backend.MouseUp(); });
      backend.Pump();
    }
  };
  doubleClick(110);
  EXPECT_TRUE(IsZoomed(h));
  EXPECT_EQ(Rect(h), (RECT{0, 0, 640, 480}));
  // A maximised window does not move by its caption.
  Drag({200, 10}, {{260, 60}});
  EXPECT_EQ(Rect(h), (RECT{0, 0, 640, 480}));
  doubleClick(10);
  EXPECT_FALSE(IsZoomed(h));
  EXPECT_EQ(Rect(h), (RECT{100, 100, 400, 300}));
}

}  // namespace
}  // namespace qv::test
