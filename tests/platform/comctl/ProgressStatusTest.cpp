// The progress bar (range, clamping, stepping and the filled share on
// pixels) and the status bar (parts, simple mode, owner-drawn parts, the
// size grip).
#include "BarTestSupport.h"
#include "platform/window/OwnerDraw.h"

namespace qv::test {
namespace {

using ProgressBar = BarTest;
using StatusBar = BarTest;

TEST_F(ProgressBar, PositionStaysInRangeAndFillsItsShare) {
  HWND p = Make(PROGRESS_CLASSW, PBS_SMOOTH, {10, 10, 210, 30});
  EXPECT_EQ(SendMessageW(p, PBM_SETPOS, 150, 0), 0);
  EXPECT_EQ(SendMessageW(p, PBM_GETPOS, 0, 0), 100);
  SendMessageW(p, PBM_SETRANGE32, 10, 20);
  EXPECT_EQ(SendMessageW(p, PBM_GETPOS, 0, 0), 20);
  SendMessageW(p, PBM_DELTAPOS, WPARAM(-50), 0);
  EXPECT_EQ(SendMessageW(p, PBM_GETPOS, 0, 0), 10);
  PBRANGE range;
  SendMessageW(p, PBM_GETRANGE, 0, LPARAM(&range));
  EXPECT_EQ(range.iLow, 10);
  EXPECT_EQ(range.iHigh, 20);
  // Stepping past the end starts again at the beginning.
  SendMessageW(p, PBM_SETSTEP, 4, 0);
  std::vector<LRESULT> seen;
  for (int i = 0; i < 4; ++i) {
    SendMessageW(p, PBM_STEPIT, 0, 0);
    seen.push_back(SendMessageW(p, PBM_GETPOS, 0, 0));
  }
  EXPECT_EQ(seen, (std::vector<LRESULT>{14, 18, 11, 15}));
  // Half way fills half of the inside, in the highlight colour.
  SendMessageW(p, PBM_SETRANGE32, 0, 100);
  SendMessageW(p, PBM_SETPOS, 50, 0);
  int filled = CountColour({12, 15, 208, 16}, Sys(COLOR_HIGHLIGHT));
  EXPECT_NEAR(filled, 98, 2);
  EXPECT_NE(Pixel(20, 20), Pixel(200, 20));
  SendMessageW(p, PBM_SETPOS, 0, 0);
  EXPECT_EQ(CountColour({10, 10, 210, 30}, Sys(COLOR_HIGHLIGHT)), 0);
}

TEST_F(ProgressBar, BlocksAndVerticalBarsFillFromTheirStart) {
  HWND blocks = Make(PROGRESS_CLASSW, 0, {10, 10, 210, 30});
  HWND vertical = Make(PROGRESS_CLASSW, PBS_VERTICAL | PBS_SMOOTH, {250, 10, 270, 110});
  SendMessageW(blocks, PBM_SETPOS, 30, 0);
  SendMessageW(vertical, PBM_SETPOS, 30, 0);
  uint32_t hl = Sys(COLOR_HIGHLIGHT);
  EXPECT_EQ(Pixel(14, 20), hl);
  EXPECT_NE(Pixel(150, 20), hl);
  // Blocks have gaps between them.
  EXPECT_LT(CountColour({12, 20, 70, 21}, hl), 56);
  EXPECT_EQ(Pixel(260, 105), hl);
  EXPECT_NE(Pixel(260, 20), hl);
}

TEST_F(StatusBar, PartsTextsSimpleModeAndRects) {
  HWND s = Make(STATUSCLASSNAMEW, 0, {0, 270, 400, 300});
  int edges[] = {100, 250, -1};
  EXPECT_TRUE(SendMessageW(s, SB_SETPARTS, 3, LPARAM(edges)));
  EXPECT_FALSE(SendMessageW(s, SB_SETPARTS, 0, LPARAM(edges)));
  EXPECT_EQ(SendMessageW(s, SB_GETPARTS, 0, 0), 3);
  SendMessageW(s, SB_SETTEXTW, 1, LPARAM(u"Middle"));
  SendMessageW(s, SB_SETTEXTW, 2 | SBT_POPOUT, LPARAM(u"Last"));
  EXPECT_FALSE(SendMessageW(s, SB_SETTEXTW, 7, LPARAM(u"none")));
  char16_t buf[32];
  LRESULT r = SendMessageW(s, SB_GETTEXTW, 1, LPARAM(buf));
  EXPECT_EQ(std::u16string(buf), u"Middle");
  EXPECT_EQ(LOWORD(uintptr_t(r)), 6);
  EXPECT_EQ(HIWORD(uintptr_t(SendMessageW(s, SB_GETTEXTLENGTHW, 2, 0))), SBT_POPOUT);
  RECT first, second, last;
  SendMessageW(s, SB_GETRECT, 0, LPARAM(&first));
  SendMessageW(s, SB_GETRECT, 1, LPARAM(&second));
  SendMessageW(s, SB_GETRECT, 2, LPARAM(&last));
  EXPECT_EQ(first.left, 0);
  EXPECT_EQ(first.right, 100);
  EXPECT_GT(second.left, first.right);
  EXPECT_EQ(second.right, 250);
  EXPECT_EQ(last.right, 400);  // to the end: there is no grip
  // The texts are drawn in their parts.
  EXPECT_GT(CountDark({second.left + 2, 274, second.right - 2, 298}), 10);
  EXPECT_EQ(CountDark({first.left + 3, 275, first.right - 3, 297}), 0);
  // Simple mode shows its own text across the bar and keeps the parts.
  SendMessageW(s, SB_SETTEXTW, SB_SIMPLEID, LPARAM(u"Working..."));
  SendMessageW(s, SB_SIMPLE, TRUE, 0);
  EXPECT_TRUE(SendMessageW(s, SB_ISSIMPLE, 0, 0));
  EXPECT_GT(CountDark({3, 275, 90, 297}), 10);
  EXPECT_EQ(CountDark({110, 275, 245, 297}), 0);
  SendMessageW(s, SB_SIMPLE, FALSE, 0);
  SendMessageW(s, SB_GETTEXTW, 1, LPARAM(buf));
  EXPECT_EQ(std::u16string(buf), u"Middle");
}

std::vector<std::pair<UINT, uintptr_t>> drawn;
LRESULT DrawingParent(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_DRAWITEM) {
    auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(l);
    drawn.push_back({d->itemID, d->itemData});
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(d->hDC, &d->rcItem, red);
    DeleteObject(red);
    return TRUE;
  }
  return BarParentProc(h, m, w, l);
}

TEST_F(StatusBar, OwnerDrawnPartsAskTheParentAndTheGripIsTheCorner) {
  SetWindowLongPtrW(parent, GWLP_WNDPROC, LONG_PTR(DrawingParent));
  drawn.clear();
  HWND s = Make(STATUSCLASSNAMEW, SBARS_SIZEGRIP, {0, 270, 400, 300});
  int edges[] = {120, -1};
  SendMessageW(s, SB_SETPARTS, 2, LPARAM(edges));
  SendMessageW(s, SB_SETTEXTW, 0 | SBT_OWNERDRAW, LPARAM(42));
  backend.Pump();
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back(), (std::pair<UINT, uintptr_t>{0, 42}));
  EXPECT_EQ(SendMessageW(s, SB_GETTEXTW, 0, 0), 42);  // an owner-drawn part gives back its value
  EXPECT_EQ(Pixel(60, 285), PixelRGB(255, 0, 0) & 0xFFFFFF);
  // The last part stops short of the grip, which answers as the corner.
  RECT last;
  SendMessageW(s, SB_GETRECT, 1, LPARAM(&last));
  EXPECT_LT(last.right, 400);
  EXPECT_EQ(SendMessageW(s, WM_NCHITTEST, 0, MAKELPARAM(396, 296)), HTBOTTOMRIGHT);
  EXPECT_EQ(SendMessageW(s, WM_NCHITTEST, 0, MAKELPARAM(200, 285)), HTCLIENT);
  EXPECT_GT(CountColour({386, 286, 400, 300}, Sys(COLOR_BTNSHADOW)), 5);
}

}  // namespace
}  // namespace qv::test
