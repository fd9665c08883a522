// The default caption on pixels: the title in the caption font and colours,
// left-aligned after the icon's room, cut with an ellipsis when too long,
// and drawn in the inactive colours when another window is active.
#include "WindowTestSupport.h"
#include "platform/SystemColors.h"
#include "platform/SystemMetrics.h"

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
  RECT cap = CaptionRect(h);
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
  RECT cap = CaptionRect(h);
  int right = RightmostColumn(cap, GetSysColor(COLOR_CAPTIONTEXT));
  EXPECT_GT(right, cap.right - 20);  // the text runs to the end ...
  EXPECT_LT(right, cap.right - 1);   // ... and stops inside it

  // An empty title leaves the bar plain; setting one shows it without being asked.
  SetWindowTextW(h, u"");
  backend.Pump();
  EXPECT_EQ(Count(cap, GetSysColor(COLOR_CAPTIONTEXT)), 0);
  SetWindowTextW(h, u"Disc");
  backend.Pump();
  EXPECT_GT(Count(cap, GetSysColor(COLOR_CAPTIONTEXT)), 10);
}

}  // namespace
}  // namespace qv::test
