// The demo built headless and checked on the composed screen: every kind of
// drawing lands where and how it should, the hint stays above the window,
// scrolling gives the same pixels as painting afresh, and keys, clicks and
// the timer reach the canvas.
#include <gtest/gtest.h>

#include <cstdlib>

#include "demo/DemoLayout.h"
#include "demo/DemoWindows.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::demo {
namespace {

bool Near(uint32_t p, COLORREF c, int tolerance) {
  return std::abs(PixelR(p) - GetRValue(c)) <= tolerance && std::abs(PixelG(p) - GetGValue(c)) <= tolerance &&
         std::abs(PixelB(p) - GetBValue(c)) <= tolerance;
}

bool Dark(uint32_t p) {
  return PixelR(p) + PixelG(p) + PixelB(p) < 300;
}

class DemoHeadless : public ::testing::Test {
 protected:
  void SetUp() override {
    demo = CreateDemo();
    ASSERT_TRUE(IsWindow(demo.main) && IsWindow(demo.canvas) && IsWindow(demo.hint));
    backend.Pump();
  }
  void TearDown() override {
    DestroyWindow(demo.main);
    // The main window's end posts WM_QUIT, which a pump leaves for outer loops.
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  const CanvasState& State() { return *GetCanvasState(demo.canvas); }

  // A content point of the canvas on the screen, as currently scrolled.
  POINT OnScreen(int x, int y) {
    POINT p{x - State().scrollX, kStatusHeight + y - State().scrollY};
    ClientToScreen(demo.canvas, &p);
    return p;
  }
  uint32_t At(const Surface& s, POINT p) { return s.At(p.x, p.y); }

  int DarkPixels(const Surface& s, const RECT& content) {
    int n = 0;
    for (int y = content.top; y < content.bottom; ++y)
      for (int x = content.left; x < content.right; ++x) n += Dark(At(s, OnScreen(x, y)));
    return n;
  }

  // The canvas's scrolled area on the screen, minus the hint that covers part of it.
  void ExpectSameAsFreshPaint() {
    Surface scrolled = backend.Screenshot();
    InvalidateRect(demo.canvas, nullptr, TRUE);
    backend.Pump();
    Surface fresh = backend.Screenshot();
    RECT canvas;
    GetWindowRect(demo.canvas, &canvas);
    int mismatches = 0;
    for (int y = canvas.top; y < canvas.bottom; ++y)
      for (int x = canvas.left; x < canvas.right; ++x) mismatches += scrolled.At(x, y) != fresh.At(x, y);
    EXPECT_EQ(mismatches, 0);
  }

  HeadlessBackend backend{SIZE{800, 600}};
  Demo demo;
};

TEST_F(DemoHeadless, DrawsGradientBlendPictureLinesAndText) {
  Surface s = backend.Screenshot();
  const RECT& g = kGradientRect;
  int mid = (g.top + g.bottom) / 2;
  EXPECT_TRUE(Near(At(s, OnScreen(g.left, mid)), RGB(255, 0, 0), 8));
  EXPECT_TRUE(Near(At(s, OnScreen(g.right - 1, mid)), RGB(0, 0, 255), 8));
  // Red only falls and blue only rises from one end to the other, on every row.
  for (int y = g.top; y < g.bottom; y += 7)
    for (int x = g.left + 1; x < g.right; ++x) {
      uint32_t a = At(s, OnScreen(x - 1, y)), b = At(s, OnScreen(x, y));
      ASSERT_LE(PixelR(b), PixelR(a)) << x << "," << y;
      ASSERT_GE(PixelB(b), PixelB(a)) << x << "," << y;
    }
  // Half-strength red over blue, everywhere in the rectangle.
  for (int y = kBlendRect.top; y < kBlendRect.bottom; ++y)
    for (int x = kBlendRect.left; x < kBlendRect.right; ++x)
      ASSERT_TRUE(Near(At(s, OnScreen(x, y)), RGB(128, 0, 127), 2)) << x << "," << y;
  const RECT& pic = kImageRect;
  EXPECT_TRUE(
      Near(At(s, OnScreen((pic.left + pic.right) / 2, (pic.top + pic.bottom) / 2)), RGB(255, 140, 0), 0));
  EXPECT_TRUE(Near(At(s, OnScreen(pic.left, pic.top)), RGB(255, 255, 255), 0));
  EXPECT_TRUE(Near(At(s, OnScreen(kGridRect.left, kGridRect.top + 5)), RGB(170, 170, 200), 0));
  // Text: some glyph pixels in the title, none beside it.
  EXPECT_GT(DarkPixels(s, kTitleRect), 40);
  EXPECT_EQ(
      DarkPixels(s, RECT{kTitleRect.right + 20, kTitleRect.top, kTitleRect.right + 120, kTitleRect.bottom}),
      0);
}

TEST_F(DemoHeadless, HintStaysAboveTheWindowUntilHidden) {
  RECT hint;
  GetWindowRect(demo.hint, &hint);
  Surface s = backend.Screenshot();
  EXPECT_TRUE(Near(s.At(hint.left, hint.top), RGB(0, 0, 0), 0));  // its frame
  EXPECT_TRUE(Near(s.At(hint.right - 3, hint.bottom - 3), kHintBack, 0));
  int text = 0;
  for (int x = hint.left + 2; x < hint.right - 2; ++x) text += Dark(s.At(x, (hint.top + hint.bottom) / 2));
  EXPECT_GT(text, 5);
  // Repainting the window beneath does not paint over the hint.
  RedrawWindow(demo.main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  backend.Pump();
  EXPECT_TRUE(Near(backend.Screenshot().At(hint.right - 3, hint.bottom - 3), kHintBack, 0));
  ShowWindow(demo.hint, SW_HIDE);
  backend.Pump();
  EXPECT_FALSE(Near(backend.Screenshot().At(hint.right - 3, hint.bottom - 3), kHintBack, 0));
}

TEST_F(DemoHeadless, ScrollingGivesTheSamePixelsAsAFreshPaint) {
  ShowWindow(demo.hint, SW_HIDE);  // the comparisons cover the whole canvas
  backend.Pump();
  Surface before = backend.Screenshot();
  POINT gradient = OnScreen(kGradientRect.left + 2, kGradientRect.top + 2);
  // A click on the down arrow of the vertical scroll bar.
  RECT canvas;
  GetWindowRect(demo.canvas, &canvas);
  backend.Click(canvas.right - 8, canvas.bottom - 16 - 8);
  backend.Pump();
  ASSERT_EQ(State().scrollY, kRowHeight);
  Surface after = backend.Screenshot();
  EXPECT_EQ(after.At(gradient.x, gradient.y - kRowHeight), before.At(gradient.x, gradient.y));
  ExpectSameAsFreshPaint();
  // Keys scroll too, both ways; the status band stays where it is.
  backend.Click(canvas.left + 100, canvas.top + kStatusHeight + 100);
  backend.KeyPress(VK_NEXT);
  backend.KeyPress(VK_RIGHT);
  backend.KeyPress(VK_RIGHT);
  backend.Pump();
  EXPECT_EQ(State().scrollX, 2 * kRowHeight);
  EXPECT_GT(State().scrollY, kRowHeight);
  ExpectSameAsFreshPaint();
  backend.Wheel(WHEEL_DELTA);
  backend.KeyPress(VK_HOME);
  backend.Pump();
  EXPECT_EQ(State().scrollX, 0);
  EXPECT_EQ(State().scrollY, 0);
  ExpectSameAsFreshPaint();
}

TEST_F(DemoHeadless, KeysClicksAndTheTimerShowInTheStatusBand) {
  RECT canvas;
  GetWindowRect(demo.canvas, &canvas);
  auto band = [&] {
    Surface s = backend.Screenshot();
    std::vector<uint32_t> px;
    for (int y = canvas.top; y < canvas.top + kStatusHeight; ++y)
      for (int x = canvas.left; x < canvas.right - 16; ++x) px.push_back(s.At(x, y));
    return px;
  };
  auto start = band();
  backend.Click(canvas.left + 30, canvas.top + kStatusHeight + 50);
  backend.Pump();
  EXPECT_EQ(GetFocus(), demo.canvas);
  EXPECT_EQ(State().lastClick, u"left at 30," + std::u16string(u"90"));
  auto clicked = band();
  EXPECT_NE(clicked, start);
  backend.KeyPress('A');
  backend.Pump();
  EXPECT_EQ(State().lastKey, u"char 'a'");  // the key, then its character
  backend.KeyPress(VK_F5);
  backend.Pump();
  EXPECT_EQ(State().lastKey, u"VK 116");
  auto keyed = band();
  EXPECT_NE(keyed, clicked);
  backend.AdvanceClock(3 * kTickMs);
  EXPECT_EQ(State().ticks, 3);
  EXPECT_NE(band(), keyed);
}

}  // namespace
}  // namespace qv::demo
