// The STATIC class (texts, frames, images, notifications) and the
// SCROLLBAR control (SBM_* state, the SB_CTL functions, mouse tracking with
// auto-repeat and thumb drags, keys).
#include "SysControlsTestSupport.h"

namespace qv::test {
namespace {

using Static = SysControlsTest;
using ScrollBarControl = SysControlsTest;

TEST_F(Static, TextFramesAndNotifications) {
  HWND text = Make(u"STATIC", SS_RIGHT, {10, 10, 150, 30}, u"Label");
  HWND etched = Make(u"STATIC", SS_ETCHEDHORZ, {10, 40, 150, 42}, u"", 2);
  HWND sunken = Make(u"STATIC", SS_SUNKEN | SS_CENTER, {10, 50, 150, 80}, u"Mid", 3);
  (void)etched, (void)sunken;
  // Right-aligned text leaves the left part plain.
  uint32_t face = Sys(COLOR_BTNFACE);
  EXPECT_EQ(CountColour({10, 10, 80, 30}, face), 70 * 20);
  EXPECT_LT(CountColour({110, 10, 150, 30}, face), 40 * 20);
  EXPECT_EQ(Pixel(50, 40), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(Pixel(50, 41), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(Pixel(10, 60), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(Pixel(149, 60), Sys(COLOR_BTNHIGHLIGHT));
  // Without SS_NOTIFY the mouse goes through to the parent.
  EXPECT_EQ(WindowFromPoint(POINT{50, 20}), parent);
  HWND notify = Make(u"STATIC", SS_NOTIFY, {10, 90, 150, 110}, u"Click me", 4);
  backend.Click(50, 100);
  backend.Pump();
  EXPECT_EQ(Count(notify, STN_CLICKED), 1);
  SetWindowTextW(text, u"Changed");
  EXPECT_EQ(TextOf(text), u"Changed");
}

TEST_F(Static, BitmapImagesAreShown) {
  HWND s = Make(u"STATIC", SS_BITMAP | SS_CENTERIMAGE, {10, 10, 50, 50}, u"", 1);
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 10, 10);
  ReleaseDC(nullptr, screen);
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, bmp);
  RECT all{0, 0, 10, 10};
  HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
  FillRect(mem, &all, green);
  SelectObject(mem, old);
  DeleteDC(mem);
  EXPECT_EQ(SendMessageW(s, STM_SETIMAGE, IMAGE_BITMAP, LPARAM(bmp)), 0);
  EXPECT_EQ(SendMessageW(s, STM_GETIMAGE, IMAGE_BITMAP, 0), LRESULT(bmp));
  EXPECT_EQ(CountColour({10, 10, 50, 50}, PixelRGB(0, 200, 0) & 0xFFFFFF), 100);
  EXPECT_EQ(Pixel(30, 30), PixelRGB(0, 200, 0) & 0xFFFFFF);
  DestroyWindow(s);
  DeleteObject(bmp);
  DeleteObject(green);
}

TEST_F(ScrollBarControl, StateThroughMessagesAndTheControlFunctions) {
  HWND sb = Make(u"SCROLLBAR", SBS_HORZ, {10, 10, 210, 27});
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0, si.nMax = 99, si.nPage = 10, si.nPos = 200;
  EXPECT_EQ(SetScrollInfo(sb, SB_CTL, &si, TRUE), 90);  // clamped to max - page + 1
  EXPECT_EQ(GetScrollPos(sb, SB_CTL), 90);
  EXPECT_EQ(SendMessageW(sb, SBM_SETPOS, 5, TRUE), 90);
  int lo = -1, hi = -1;
  GetScrollRange(sb, SB_CTL, &lo, &hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 99);
  SendMessageW(sb, SBM_SETRANGE, 10, 20);
  EXPECT_EQ(SendMessageW(sb, SBM_GETPOS, 0, 0), 10);
}

TEST_F(ScrollBarControl, MouseTracksArrowsPagesAndTheThumb) {
  HWND sb = Make(u"SCROLLBAR", SBS_HORZ, {10, 10, 210, 27});
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0, si.nMax = 99, si.nPage = 10, si.nPos = 0;
  SetScrollInfo(sb, SB_CTL, &si, TRUE);
  auto codes = [&] {
    std::vector<int> out;
    for (auto& n : Notes())
      if (n.msg == WM_HSCROLL && n.from == sb) out.push_back(n.code);
    return out;
  };
  // The right arrow: one step at once, then auto-repeat while held.
  backend.MouseMove(205, 18);
  backend.MouseDown();
  backend.Pump();
  EXPECT_EQ(codes(), std::vector<int>{SB_LINEDOWN});
  backend.AdvanceClock(350 + 50 * 3);
  backend.MouseUp();
  backend.Pump();
  auto c = codes();
  EXPECT_GE(std::count(c.begin(), c.end(), SB_LINEDOWN), 3);
  EXPECT_EQ(c.back(), SB_ENDSCROLL);
  // The track right of the thumb pages.
  Notes().clear();
  backend.Click(180, 18);
  backend.Pump();
  EXPECT_EQ(codes(), (std::vector<int>{SB_PAGEDOWN, SB_ENDSCROLL}));
  // Dragging the thumb to the far end reports the last position.
  Notes().clear();
  int thumbX = 10 + 17 + 3;
  backend.MouseMove(thumbX, 18);
  backend.MouseDown();
  backend.MouseMove(thumbX + 100, 18);
  backend.MouseMove(thumbX + 400, 18);
  backend.MouseUp();
  backend.Pump();
  int lastTrack = -1, finalPos = -1;
  for (auto& n : Notes()) {
    if (n.code == SB_THUMBTRACK) lastTrack = HIWORD(n.wParam);
    if (n.code == SB_THUMBPOSITION) finalPos = HIWORD(n.wParam);
  }
  EXPECT_EQ(lastTrack, 90);
  EXPECT_EQ(finalPos, 90);
  EXPECT_EQ(codes().back(), SB_ENDSCROLL);
  EXPECT_EQ(GetCapture(), nullptr);
  // Keys scroll the focused bar.
  Notes().clear();
  SetFocus(sb);
  Key(VK_RIGHT);
  Key(VK_HOME);
  EXPECT_EQ(codes(), (std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL, SB_TOP, SB_ENDSCROLL}));
}

}  // namespace
}  // namespace qv::test
