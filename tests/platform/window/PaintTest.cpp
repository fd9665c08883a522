// The painting protocol checked on the backing pixels and the composed
// screen: one WM_PAINT per accumulated update region, validation, erasing,
// clipping of children and siblings, window regions, and scroll-bar tracking.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "WindowTestSupport.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/SystemColors.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/ScrollBar.h"

namespace qv::test {
namespace {

using Paint = WindowTest;

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);

uint32_t Px(COLORREF c) {
  return PixelRGB(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Makes `w` paint its whole client area in `color` on WM_PAINT.
void PaintsIn(HWND w, COLORREF color) {
  Rec().handlers[w] = [color](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_PAINT) return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r;
    GetClientRect(h, &r);
    HBRUSH b = CreateSolidBrush(color);
    FillRect(dc, &r, b);
    DeleteObject(b);
    EndPaint(h, &ps);
    return 0;
  };
}

TEST_F(Paint, InvalidationsMergeIntoOnePaintThatValidates) {
  HWND w = Top({0, 0, 100, 100});
  backend.Pump();
  Clear();
  std::vector<RECT> painted;
  Rec().handlers[w] = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_PAINT) return std::nullopt;
    RECT upd{};
    GetUpdateRect(h, &upd, FALSE);  // empty for an internal paint
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    painted.push_back(ps.rcPaint);
    EXPECT_EQ(upd, ps.rcPaint);
    EXPECT_FALSE(GetUpdateRect(h, nullptr, FALSE));  // BeginPaint validated
    EndPaint(h, &ps);
    return 0;
  };
  RECT a{10, 10, 20, 20}, b{50, 60, 70, 80};
  InvalidateRect(w, &a, FALSE);
  InvalidateRect(w, &b, FALSE);
  RECT part{10, 10, 20, 15};
  ValidateRect(w, &part);
  backend.Pump();
  ASSERT_EQ(painted.size(), 1u);
  EXPECT_EQ(painted[0], (RECT{10, 15, 70, 80}));
  EXPECT_EQ(Of(WM_ERASEBKGND).size(), 0u);
  // Internal paints come without an update region; 0x169 invalidates and paints at once.
  RedrawWindow(w, nullptr, nullptr, RDW_INTERNALPAINT);
  backend.Pump();
  EXPECT_EQ(painted.size(), 2u);
  RedrawWindow(w, &a, nullptr, 0x169);
  EXPECT_EQ(painted.size(), 3u);
  EXPECT_EQ(painted.back(), a);
  EXPECT_EQ(Of(WM_ERASEBKGND).size(), 0u);
}

TEST_F(Paint, EraseUsesTheClassBrushAndReportsWhatIsLeft) {
  HWND w = Top({0, 0, 40, 40});
  backend.Pump();
  HDC dc = GetDC(w);
  RECT all{0, 0, 40, 40};
  HBRUSH red = CreateSolidBrush(kRed);
  FillRect(dc, &all, red);
  DeleteObject(red);
  ReleaseDC(w, dc);
  BOOL fErase = TRUE;
  Rec().handlers[w] = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_PAINT) return std::nullopt;
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    fErase = ps.fErase;
    EndPaint(h, &ps);
    return 0;
  };
  RECT corner{0, 0, 10, 10};
  InvalidateRect(w, &corner, TRUE);
  backend.Pump();
  Surface s = backend.Screenshot();
  EXPECT_EQ(s.At(5, 5), Px(GetSysColor(COLOR_WINDOW)));  // erased with COLOR_WINDOW + 1
  EXPECT_EQ(s.At(20, 20), Px(kRed));                     // outside the update region
  EXPECT_FALSE(fErase);
  Rec().onAny = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_ERASEBKGND) return 0;  // "not erased"
    return std::nullopt;
  };
  InvalidateRect(w, nullptr, TRUE);
  backend.Pump();
  EXPECT_TRUE(fErase);
}

TEST_F(Paint, ClipChildrenAndSiblingsOnPixels) {
  HWND clipping = Top({0, 0, 100, 100}, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND plain = Top({200, 0, 300, 100});
  HWND c1 = Child(clipping, {20, 20, 60, 60});
  HWND c2 = Child(plain, {20, 20, 60, 60});
  for (HWND p : {clipping, plain}) PaintsIn(p, kRed);
  for (HWND c : {c1, c2}) PaintsIn(c, kBlue);
  backend.Pump();
  Surface s = backend.Screenshot();
  EXPECT_EQ(s.At(30, 30), Px(kBlue));
  EXPECT_EQ(s.At(230, 30), Px(kBlue));
  EXPECT_EQ(s.At(5, 5), Px(kRed));
  // The parents alone repaint: only the one without WS_CLIPCHILDREN covers its child.
  for (HWND p : {clipping, plain})
    RedrawWindow(p, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW);
  s = backend.Screenshot();
  EXPECT_EQ(s.At(30, 30), Px(kBlue));
  EXPECT_EQ(s.At(230, 30), Px(kRed));

  // Siblings: the lower one clips against the upper one only with WS_CLIPSIBLINGS.
  HWND lower = Child(clipping, {0, 70, 50, 100}, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
  HWND upper = Child(clipping, {25, 70, 50, 100});
  SetWindowPos(lower, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  PaintsIn(upper, kBlue);
  backend.Pump();
  HDC dc = GetDC(lower);
  RECT all{0, 0, 50, 30};
  HBRUSH g = CreateSolidBrush(kGreen);
  FillRect(dc, &all, g);
  DeleteObject(g);
  ReleaseDC(lower, dc);
  s = backend.Screenshot();
  EXPECT_EQ(s.At(10, 80), Px(kGreen));
  EXPECT_EQ(s.At(30, 80), Px(kBlue));
  EXPECT_EQ(s.At(30, 30), Px(kBlue));  // c1 untouched by its sibling's drawing
}

TEST_F(Paint, ScreenComposesTopLevelWindowsAndRegions) {
  HWND back = Top({0, 0, 100, 100});
  HWND front = Top({50, 50, 150, 150});
  PaintsIn(back, kRed);
  PaintsIn(front, kBlue);
  SetWindowRgn(front, CreateRectRgn(0, 0, 50, 50), TRUE);  // only its top-left quarter is on screen
  backend.Pump();
  SetDesktopColor(kGreen);
  Surface s = backend.Screenshot();
  EXPECT_EQ(s.At(60, 60), Px(kBlue));
  EXPECT_EQ(s.At(90, 40), Px(kRed));
  EXPECT_EQ(s.At(120, 120), Px(kGreen));
  EXPECT_EQ(WindowFromPoint(POINT{120, 120}), nullptr);
  EXPECT_EQ(WindowFromPoint(POINT{90, 90}), front);
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(front, r), SIMPLEREGION);
  DeleteObject(r);
  // The screen DC reads the same composition.
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, 60, 60), kBlue);
  ReleaseDC(nullptr, screen);
  auto path = std::filesystem::temp_directory_path() / "qv_window_screen.png";
  EXPECT_TRUE(backend.SaveScreenshot(path.string()));
  EXPECT_GT(std::filesystem::file_size(path), 0u);
  std::filesystem::remove(path);
}

// Windows reaching past any edge of the screen compose clipped; each screen
// DC sees the screen as it is when it opens, whatever an earlier (released)
// one drew or read.
TEST_F(Paint, ScreenDCsSeeTheCurrentScreenAndClipWindowsAtItsEdges) {
  const SIZE screenSize = backend.ScreenSize();
  HWND corner = Top({-40, -30, 60, 70});
  HWND beyond = Top({screenSize.cx - 50, screenSize.cy - 40, screenSize.cx + 60, screenSize.cy + 70});
  PaintsIn(corner, kRed);
  PaintsIn(beyond, kBlue);
  backend.Pump();
  SetDesktopColor(kGreen);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, 0, 0), kRed);
  EXPECT_EQ(GetPixel(screen, 59, 69), kRed);
  EXPECT_EQ(GetPixel(screen, 60, 10), kGreen);
  EXPECT_EQ(GetPixel(screen, screenSize.cx - 1, screenSize.cy - 1), kBlue);
  EXPECT_EQ(GetPixel(screen, screenSize.cx - 51, screenSize.cy - 1), kGreen);
  RECT scribble{100, 100, 120, 120};
  HBRUSH b = CreateSolidBrush(kBlue);
  FillRect(screen, &scribble, b);
  DeleteObject(b);
  ReleaseDC(nullptr, screen);
  SetWindowPos(corner, nullptr, 90, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  backend.Pump();
  for (int round = 0; round < 3; ++round) {
    screen = GetDC(nullptr);
    EXPECT_EQ(GetPixel(screen, 0, 0), kGreen);
    EXPECT_EQ(GetPixel(screen, 95, 95), kRed);
    EXPECT_EQ(GetPixel(screen, 110, 110), kRed);  // not the earlier DC's scribble
    EXPECT_EQ(GetPixel(screen, 195, 195), kGreen);
    ReleaseDC(nullptr, screen);
  }
  EXPECT_EQ(backend.Screenshot().At(110, 110), Px(kRed));
}

// What a screen DC draws is put on the desktop over the windows at the next
// idle turn of the loop, and so is what it draws later on, however many
// turns went by with nothing drawn (a drag holds its DC through many, and
// those put nothing on the desktop again); when the DC goes, the windows are
// put back as they are.
TEST_F(Paint, WhatAScreenDCDrawsIsPutOnTheDesktopAtTheNextIdleTurn) {
  HWND w = Top({0, 0, 200, 200});
  PaintsIn(w, kRed);
  backend.Pump();
  // One turn of a message loop that finds nothing to do.
  auto presentsOfAnIdleTurn = [&] {
    size_t before = backend.Presented.size();
    backend.WhenIdle([] { PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0); });
    MSG m;
    GetMessageW(&m, nullptr, 0, 0);
    return std::count_if(backend.Presented.begin() + long(before), backend.Presented.end(),
                         [&](const auto& p) { return p.top == w; });
  };
  auto fill = [](HDC dc, RECT r, COLORREF color) {
    HBRUSH b = CreateSolidBrush(color);
    FillRect(dc, &r, b);
    DeleteObject(b);
  };
  HDC screen = GetDC(nullptr);
  fill(screen, {10, 10, 30, 30}, kBlue);
  EXPECT_EQ(presentsOfAnIdleTurn(), 1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(presentsOfAnIdleTurn(), 0) << "turn " << i;
  fill(screen, {40, 40, 60, 60}, kGreen);
  EXPECT_EQ(presentsOfAnIdleTurn(), 1);
  // Read but not changed: nothing new to put.
  EXPECT_EQ(GetPixel(screen, 50, 50), kGreen);
  EXPECT_EQ(presentsOfAnIdleTurn(), 0);
  size_t before = backend.Presented.size();
  ReleaseDC(nullptr, screen);
  EXPECT_GT(backend.Presented.size(), before);
  EXPECT_EQ(presentsOfAnIdleTurn(), 0);
}

// A part of the screen reads as the whole screen does there: shaped and
// clipped windows, the desktop, and what an open screen DC has drawn; what
// lies off the screen is cut away.
TEST_F(Paint, APartOfTheScreenComposesAsTheWholeScreenThere) {
  const SIZE screenSize = backend.ScreenSize();
  HWND back = Top({-40, -30, 100, 100});
  HWND front = Top({50, 50, 150, 150});
  HWND beyond = Top({screenSize.cx - 50, screenSize.cy - 40, screenSize.cx + 60, screenSize.cy + 70});
  PaintsIn(back, kRed);
  PaintsIn(front, kBlue);
  PaintsIn(beyond, kBlue);
  SetWindowRgn(front, CreateEllipticRgn(0, 0, 100, 100), TRUE);
  backend.Pump();
  SetDesktopColor(kGreen);
  HDC screen = GetDC(nullptr);
  RECT scribble{90, 20, 130, 60};
  HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
  FillRect(screen, &scribble, b);
  DeleteObject(b);
  const Surface whole = ComposeScreen();
  const RECT parts[] = {{30, 10, 170, 160},
                        {-20, -10, 40, 30},
                        {screenSize.cx - 70, screenSize.cy - 60, screenSize.cx + 30, screenSize.cy + 20},
                        {screenSize.cx + 5, 0, screenSize.cx + 50, 40}};
  Surface part;
  for (const RECT& want : parts) {
    const RECT on = ComposeScreenPart(part, want);
    const RECT clipped{std::max<LONG>(want.left, 0), std::max<LONG>(want.top, 0),
                       std::max(std::min<LONG>(want.right, screenSize.cx), std::max<LONG>(want.left, 0)),
                       std::max(std::min<LONG>(want.bottom, screenSize.cy), std::max<LONG>(want.top, 0))};
    EXPECT_TRUE(EqualRect(&on, &clipped));
    ASSERT_EQ(part.Width, on.right - on.left);
    ASSERT_EQ(part.Height, on.bottom - on.top);
    int differing = 0;
    for (int y = 0; y < part.Height; ++y)
      for (int x = 0; x < part.Width; ++x) differing += part.At(x, y) != whole.At(on.left + x, on.top + y);
    EXPECT_EQ(differing, 0);
  }
  ComposeScreenPart(part, parts[0]);
  EXPECT_EQ(part.At(100 - 30, 30 - 10), Px(RGB(1, 2, 3)));  // the open DC's drawing
  EXPECT_EQ(part.At(100 - 30, 100 - 10), Px(kBlue));        // inside the ellipse
  EXPECT_EQ(part.At(52 - 30, 52 - 10), Px(kRed));           // its corner shows the window below
  EXPECT_EQ(part.At(160 - 30, 155 - 10), Px(kGreen));
  // A screen DC clipped to a region reads the same there, and draws nowhere else.
  HRGN area = CreateRectRgnIndirect(&parts[0]);
  HDC clippedDC = GetDCEx(nullptr, area, DCX_CACHE | DCX_INTERSECTRGN);
  DeleteObject(area);
  ASSERT_NE(clippedDC, nullptr);
  int differing = 0;
  for (int y = parts[0].top; y < parts[0].bottom; y += 3)
    for (int x = parts[0].left; x < parts[0].right; x += 3)
      differing += GetPixel(clippedDC, x, y) != GetPixel(screen, x, y);
  EXPECT_EQ(differing, 0);
  HBRUSH mark = CreateSolidBrush(RGB(4, 5, 6));
  RECT across{0, 0, 200, 200};
  FillRect(clippedDC, &across, mark);
  DeleteObject(mark);
  const Surface marked = ComposeScreen();
  EXPECT_EQ(marked.At(parts[0].left, parts[0].top), Px(RGB(4, 5, 6)));
  EXPECT_EQ(marked.At(10, 180), whole.At(10, 180));
  ReleaseDC(nullptr, clippedDC);
  ReleaseDC(nullptr, screen);
}

TEST_F(Paint, ScrollWindowMovesPixelsAndInvalidatesTheUncoveredStrip) {
  HWND w = Top({0, 0, 100, 100});
  backend.Pump();
  HDC dc = GetDC(w);
  RECT top{0, 0, 100, 10};
  HBRUSH b = CreateSolidBrush(kBlue);
  FillRect(dc, &top, b);
  DeleteObject(b);
  ReleaseDC(w, dc);
  RECT upd;
  ScrollWindowEx(w, 0, 20, nullptr, nullptr, nullptr, &upd, SW_INVALIDATE);
  EXPECT_EQ(upd, (RECT{0, 0, 100, 20}));
  Surface s = backend.Screenshot();
  EXPECT_EQ(s.At(50, 25), Px(kBlue));
  RECT pending;
  EXPECT_TRUE(GetUpdateRect(w, &pending, FALSE));
  EXPECT_EQ(pending, upd);
}

// Scroll-bar tracking in the non-client area, with the clock and input
// scripted while the tracking loop runs.
TEST_F(Paint, ScrollBarTrackingSendsTheScrollCodes) {
  HWND w = Top({0, 0, 100, 100}, WS_POPUP | WS_VISIBLE | WS_VSCROLL);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0, si.nMax = 99, si.nPage = 10, si.nPos = 0;
  SetScrollInfo(w, SB_VERT, &si, TRUE);
  RECT cr;
  GetClientRect(w, &cr);
  EXPECT_EQ(cr.right, 100 - GetSystemMetrics(SM_CXVSCROLL));
  backend.Pump();
  auto codes = [] {
    std::vector<int> out;
    for (auto& e : Of(WM_VSCROLL)) out.push_back(LOWORD(e.wParam));
    return out;
  };
  // Down arrow: one step at once, repeats by timer while held.
  backend.MouseMove(90, 95);
  backend.MouseDown();
  backend.WhenIdle([&] { backend.MoveClockOnly(400); });
  backend.WhenIdle([&] { backend.MoveClockOnly(60); });
  backend.WhenIdle([&] { backend.MouseUp(); });
  backend.Pump();
  EXPECT_EQ(codes(), (std::vector<int>{SB_LINEDOWN, SB_LINEDOWN, SB_LINEDOWN, SB_ENDSCROLL}));
  EXPECT_EQ(GetCapture(), nullptr);
  // The thumb (rows 16..23 at position 0) dragged by 30 pixels.
  Clear();
  backend.AdvanceClock(1000);
  backend.MouseMove(90, 20);
  backend.MouseDown();
  backend.WhenIdle([&] { backend.MouseMove(90, 50); });
  backend.WhenIdle([&] { backend.MouseUp(); });
  backend.Pump();
  EXPECT_EQ(codes(), (std::vector<int>{SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL}));
  EXPECT_EQ(HIWORD(Of(WM_VSCROLL).at(1).wParam), 45);
  // The track below the thumb pages down.
  Clear();
  backend.AdvanceClock(1000);
  backend.MouseMove(90, 60);
  backend.MouseDown();
  backend.WhenIdle([&] { backend.MouseUp(); });
  backend.Pump();
  EXPECT_EQ(codes(), (std::vector<int>{SB_PAGEDOWN, SB_ENDSCROLL}));
  // A range that fits the page hides the bar.
  si.nMax = 5;
  SetScrollInfo(w, SB_VERT, &si, TRUE);
  EXPECT_FALSE(GetWindowLongPtrW(w, GWL_STYLE) & WS_VSCROLL);
  GetClientRect(w, &cr);
  EXPECT_EQ(cr.right, 100);
}

TEST_F(Paint, GetDCExIntersectsOrExcludesAScreenRegion) {
  HWND w = Top({50, 50, 150, 150});
  backend.Pump();
  auto fillAll = [&](HRGN rgn, DWORD flags, COLORREF c) {
    HDC dc = GetDCEx(w, rgn, flags);
    ASSERT_NE(dc, nullptr);
    RECT r{0, 0, 100, 100};
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
    ReleaseDC(w, dc);
  };
  HRGN rgn = CreateRectRgn(60, 60, 80, 80);  // screen coordinates
  fillAll(rgn, DCX_INTERSECTRGN, kRed);
  Surface s = backend.Screenshot();
  EXPECT_EQ(s.At(65, 65), Px(kRed));
  EXPECT_NE(s.At(85, 65), Px(kRed));
  EXPECT_NE(s.At(55, 55), Px(kRed));
  fillAll(rgn, DCX_EXCLUDERGN, kBlue);
  s = backend.Screenshot();
  EXPECT_EQ(s.At(65, 65), Px(kRed));  // left alone
  EXPECT_EQ(s.At(85, 65), Px(kBlue));
  EXPECT_EQ(s.At(149, 149), Px(kBlue));
  RECT box;
  EXPECT_EQ(GetRgnBox(rgn, &box), SIMPLEREGION);  // still the caller's
  EXPECT_EQ(box, (RECT{60, 60, 80, 80}));
  DeleteObject(rgn);
}

TEST_F(Paint, CaretBlinksOnTheTestClockAndHidesForPaint) {
  HWND w = Top({0, 0, 100, 100});
  backend.Pump();
  const UINT blink = GetCaretBlinkTime();
  auto caretPixel = [&] { return backend.Screenshot().At(6, 8) & 0xFFFFFF; };
  const uint32_t white = Px(RGB(255, 255, 255)) & 0xFFFFFF, black = 0;
  ASSERT_EQ(caretPixel(), white);
  ASSERT_TRUE(CreateCaret(w, nullptr, 2, 10));
  SetCaretPos(5, 5);
  EXPECT_EQ(caretPixel(), white);  // created hidden
  ShowCaret(w);
  EXPECT_EQ(caretPixel(), black);
  backend.AdvanceClock(blink);
  EXPECT_EQ(caretPixel(), white);
  backend.AdvanceClock(blink);
  EXPECT_EQ(caretPixel(), black);
  // A paint draws over it; it comes back on the next blink, not inverted twice.
  InvalidateRect(w, nullptr, TRUE);
  backend.Pump();
  EXPECT_EQ(caretPixel(), white);
  backend.AdvanceClock(blink);
  EXPECT_EQ(caretPixel(), black);
  HideCaret(w);
  EXPECT_EQ(caretPixel(), white);
  backend.AdvanceClock(3 * blink);
  EXPECT_EQ(caretPixel(), white);
  DestroyCaret();
  EXPECT_EQ(TimeUntilNextTimer(), INFINITE);
}

}  // namespace
}  // namespace qv::test
