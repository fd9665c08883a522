// The default caption on pixels: the title in the caption font and colours,
// left-aligned after the icon's room, cut with an ellipsis before the
// buttons when too long, and drawn in the inactive colours when another
// window is active; the caption buttons' hit codes, pressed look and
// commands; the frame part WM_NCPAINT is given; scroll bars beside the client
// area a window's WM_NCCALCSIZE leaves.
#include "WindowTestSupport.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/SystemColors.h"
#include "platform/gdi/SystemMetrics.h"

namespace qv::test {
namespace {

class Caption : public WindowTest {
 protected:
  HWND Framed(RECT r, const char16_t* title) {
    HWND h = CreateWindowExW(0, u"QvTest", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, r.left, r.top, r.Width(),
                             r.Height(), nullptr, nullptr, nullptr, nullptr);
    backend.Pump();
    return h;
  }
  // The caption bar on the screen: between the frame and the client area.
  RECT CaptionRect(HWND h) {
    RECT w;
    GetWindowRect(h, &w);
    POINT c{0, 0};
    ClientToScreen(h, &c);
    int frame = c.x - w.left;
    return RECT{w.left + frame, w.top + frame, w.right - frame, c.y};
  }
  // The caption left of the minimise, maximise and close buttons.
  RECT TitleArea(HWND h) {
    RECT r = CaptionRect(h);
    r.right -= 2 + 16 + 2 + 16 + 16 + 2;
    return r;
  }
  // The screen pixels of a rectangle, row by row.
  std::vector<uint32_t> Pixels(const RECT& r) {
    Surface s = backend.Screenshot();
    std::vector<uint32_t> out;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) out.push_back(s.At(x, y) & 0xFFFFFF);
    return out;
  }
  // The close button's square on the screen and a point in its middle.
  RECT CloseBox(HWND h) {
    RECT cap = CaptionRect(h);
    return RECT{cap.right - 18, cap.top + 2, cap.right - 2, cap.top + 16};
  }
  static POINT Middle(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  void ClickAt(POINT p) {
    backend.MouseMove(p.x, p.y);
    backend.MouseDown();
    backend.MouseUp();
    backend.Pump();
  }
  // Pixels of `colour` in a screen rectangle.
  int Count(const RECT& r, COLORREF colour) {
    Surface s = backend.Screenshot();
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        n += (s.At(x, y) & 0xFFFFFF) ==
             (PixelRGB(GetRValue(colour), GetGValue(colour), GetBValue(colour)) & 0xFFFFFF);
    return n;
  }
  // The rightmost column holding a pixel of `colour`, or -1.
  int RightmostColumn(const RECT& r, COLORREF colour) {
    Surface s = backend.Screenshot();
    uint32_t want = PixelRGB(GetRValue(colour), GetGValue(colour), GetBValue(colour)) & 0xFFFFFF;
    for (int x = r.right - 1; x >= r.left; --x)
      for (int y = r.top; y < r.bottom; ++y)
        if ((s.At(x, y) & 0xFFFFFF) == want) return x;
    return -1;
  }
};

TEST_F(Caption, TitleIsDrawnLeftAlignedInTheCaptionColours) {
  HWND h = Framed({20, 20, 320, 140}, u"Catalogue");
  SetActiveWindow(h);
  RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  backend.Pump();
  RECT cap = TitleArea(h);
  COLORREF text = GetSysColor(COLOR_CAPTIONTEXT), back = GetSysColor(COLOR_ACTIVECAPTION);
  EXPECT_GT(Count(cap, text), 30);
  // The icon's room at the left stays plain, and the short title ends well
  // before the right end.
  RECT icon{cap.left, cap.top, cap.left + 18, cap.bottom};
  EXPECT_EQ(Count(icon, back), icon.Width() * icon.Height());
  int right = RightmostColumn(cap, text);
  EXPECT_GT(right, cap.left + 18);
  EXPECT_LT(right, cap.left + cap.Width() / 2);

  // A second window becomes active: the first's title turns to the inactive colours.
  HWND other = Framed({340, 20, 600, 140}, u"Other");
  SetActiveWindow(other);
  RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  backend.Pump();
  EXPECT_EQ(Count(cap, text), 0);
  EXPECT_GT(Count(cap, GetSysColor(COLOR_INACTIVECAPTIONTEXT)), 30);
}

TEST_F(Caption, ALongTitleIsCutWithAnEllipsisInsideTheBar) {
  HWND h = Framed({20, 20, 160, 140},
                  u"A very long window title that cannot fit in the caption of this small window");
  SetActiveWindow(h);
  RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  backend.Pump();
  RECT cap = TitleArea(h);
  int right = RightmostColumn(cap, GetSysColor(COLOR_CAPTIONTEXT));
  EXPECT_GT(right, cap.right - 20);  // the text runs up to the buttons ...
  EXPECT_LT(right, cap.right);       // ... and stops before them

  // An empty title leaves the bar plain; setting one shows it without being asked.
  SetWindowTextW(h, u"");
  backend.Pump();
  EXPECT_EQ(Count(cap, GetSysColor(COLOR_CAPTIONTEXT)), 0);
  SetWindowTextW(h, u"Disc");
  backend.Pump();
  EXPECT_GT(Count(cap, GetSysColor(COLOR_CAPTIONTEXT)), 10);
}

TEST_F(Caption, ButtonsAreHitTestedInTheirPlaces) {
  HWND h = Framed({20, 20, 320, 140}, u"Disc");
  POINT close = Middle(CloseBox(h)), max{close.x - 18, close.y}, min{max.x - 16, close.y};
  RECT cap = CaptionRect(h);
  auto hit = [&](POINT p) { return SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)); };
  EXPECT_EQ(hit(close), HTCLOSE);
  EXPECT_EQ(hit(max), HTMAXBUTTON);
  EXPECT_EQ(hit(min), HTMINBUTTON);
  EXPECT_EQ(hit(POINT{cap.left + 8, close.y}), HTSYSMENU);
  EXPECT_EQ(hit(POINT{cap.left + 80, close.y}), HTCAPTION);
  EXPECT_EQ(hit(POINT{close.x - 9, close.y}), HTCAPTION);  // the gap between close and maximise

  // Without the box styles only the close button is there.
  HWND dialog = CreateWindowExW(0, u"QvTest", u"Dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 20,
                                200, 300, 100, nullptr, nullptr, nullptr, nullptr);
  POINT dclose = Middle(CloseBox(dialog));
  EXPECT_EQ(SendMessageW(dialog, WM_NCHITTEST, 0, MAKELPARAM(dclose.x, dclose.y)), HTCLOSE);
  EXPECT_EQ(SendMessageW(dialog, WM_NCHITTEST, 0, MAKELPARAM(dclose.x - 18, dclose.y)), HTCAPTION);
}

TEST_F(Caption, CloseButtonLooksPressedOnlyWhileThePointerIsOnIt) {
  HWND h = Framed({20, 20, 320, 140}, u"Disc");
  RECT box = CloseBox(h);
  std::vector<uint32_t> normal = Pixels(box), pressed, away;
  backend.MouseMove(Middle(box).x, Middle(box).y);
  backend.MouseDown();
  backend.WhenIdle([&] {
    pressed = Pixels(box);
    backend.MouseMove(box.left - 40, box.top + 5);
  });
  backend.WhenIdle([&] {
    away = Pixels(box);
    backend.MouseUp();  // released off the button: nothing happens
  });
  backend.Pump();
  EXPECT_NE(pressed, normal);
  EXPECT_EQ(away, normal);
  EXPECT_EQ(Pixels(box), normal);
  EXPECT_TRUE(Of(WM_SYSCOMMAND).empty());
  EXPECT_EQ(GetCapture(), nullptr);

  // Released on it: SC_CLOSE, which DefWindowProc turns into WM_CLOSE and that into DestroyWindow.
  ClickAt(Middle(box));
  EXPECT_EQ(Seq(h, {WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY}),
            (std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_EQ(Of(WM_SYSCOMMAND).at(0).wParam, SC_CLOSE);
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(Caption, MaximiseRestoreAndMinimiseButtons) {
  HWND h = Framed({20, 20, 320, 140}, u"Disc");
  ClickAt(POINT{Middle(CloseBox(h)).x - 18, Middle(CloseBox(h)).y});
  EXPECT_TRUE(IsZoomed(h));
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r, (RECT{0, 0, 640, 480}));
  auto sizes = Of(WM_SIZE);
  ASSERT_FALSE(sizes.empty());
  EXPECT_EQ(sizes.back().wParam, SIZE_MAXIMIZED);
  // The same button now restores the rectangle the window had.
  Clear();
  ClickAt(POINT{Middle(CloseBox(h)).x - 18, Middle(CloseBox(h)).y});
  EXPECT_FALSE(IsZoomed(h));
  EXPECT_EQ(Of(WM_SYSCOMMAND).at(0).wParam, SC_RESTORE);
  GetWindowRect(h, &r);
  EXPECT_EQ(r, (RECT{20, 20, 320, 140}));
  ClickAt(POINT{Middle(CloseBox(h)).x - 34, Middle(CloseBox(h)).y});
  EXPECT_TRUE(IsIconic(h));
  EXPECT_EQ(Of(WM_SIZE).back().wParam, SIZE_MINIMIZED);
}

TEST_F(Caption, NcPaintIsGivenTheInvalidPartOfTheFrame) {
  HWND h = Framed({20, 20, 320, 140}, u"Disc");
  WPARAM given = 0;
  RECT box{};
  Rec().handlers[h] = [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_NCPAINT) {
      given = w;
      if (w > 1) GetRgnBox(reinterpret_cast<HRGN>(w), &box);
    }
    return std::nullopt;
  };
  // Paint the frame over in a marker colour to see what the default repaints.
  HDC dc = GetWindowDC(h);
  RECT whole{0, 0, 300, 120};
  HBRUSH marker = CreateSolidBrush(RGB(0, 255, 0));
  FillRect(dc, &whole, marker);
  ReleaseDC(h, dc);
  DeleteObject(marker);
  RECT part{0, -18, 30, -2};  // client coordinates: the caption's left end
  RedrawWindow(h, &part, nullptr, RDW_INVALIDATE | RDW_FRAME);
  UpdateWindow(h);
  ASSERT_GT(given, WPARAM(1));
  EXPECT_EQ(box, (RECT{24, 24, 54, 40}));  // screen coordinates
  RECT cap = CaptionRect(h);
  EXPECT_EQ(Count(RECT{24, 24, 54, 40}, RGB(0, 255, 0)), 0);
  EXPECT_EQ(Count(RECT{60, cap.top, cap.right, cap.bottom}, RGB(0, 255, 0)), (cap.right - 60) * cap.Height());
  // The whole frame invalid is the 1 of old.
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASENOW);
  EXPECT_EQ(given, WPARAM(1));
  EXPECT_EQ(Count(cap, RGB(0, 255, 0)), 0);
}

// A window that takes a strip above its client area for itself (as a list
// with its header in the frame does): the bars keep to the client area, the
// strip is frame, and a part of the frame made invalid alone is painted.
TEST_F(Caption, ScrollBarsKeepToTheClientAreaTheWindowLeaves) {
  HWND h = CreateWindowExW(0, u"QvTest", u"", WS_POPUP | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 20, 20, 200,
                           150, nullptr, nullptr, nullptr, nullptr);
  int ncPaints = 0;
  Rec().handlers[h] = [&](HWND hwnd, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_NCPAINT) ++ncPaints;
    if (m != WM_NCCALCSIZE || !l) return std::nullopt;
    LRESULT r = DefWindowProcW(hwnd, m, w, l);
    RECT* c = w ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(l)->rgrc[0] : reinterpret_cast<RECT*>(l);
    c->top += 20;
    return r;
  };
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  backend.Pump();
  RECT client;
  GetClientRect(h, &client);
  int bar = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(client, (RECT{0, 0, 200 - bar, 150 - 20 - bar}));
  auto hit = [&](int x, int y) { return SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(20 + x, 20 + y)); };
  EXPECT_EQ(hit(195, 10), HTBORDER);  // above the bar: the window's own strip
  EXPECT_EQ(hit(195, 30), HTVSCROLL);
  EXPECT_EQ(hit(10, 145), HTHSCROLL);
  EXPECT_EQ(hit(10, 30), HTCLIENT);
  ncPaints = 0;
  RECT strip{0, -20, 50, -5};  // client coordinates
  RedrawWindow(h, &strip, nullptr, RDW_INVALIDATE | RDW_FRAME);
  backend.Pump();
  EXPECT_EQ(ncPaints, 1);
  DestroyWindow(h);
}

}  // namespace
}  // namespace qv::test
