// The demo form built headless and checked on the composed screen: every
// kind of drawing through the board's canvas lands where and how it should,
// the popup stays above the form, scrolling gives the same pixels as painting
// afresh, and keys, clicks and the timer reach the board's status band.
#include <gtest/gtest.h>

#include <cstdlib>

#include "classlib/controls/Application.h"
#include "demo/DemoForm.h"
#include "demo/DemoLayout.h"
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
    form = CreateDemo();
    ASSERT_TRUE(form && form->Board && form->Popup);
    ASSERT_EQ(Application->MainForm(), form);
    board = form->Board->Handle();
    backend.Pump();
  }
  void TearDown() override {
    delete form;
    Application->ProcessMessages();
  }

  // A content point of the board on the screen, as currently scrolled.
  POINT OnScreen(int x, int y) {
    return form->Board->ClientToScreen(
        POINT{x - form->Board->ScrollX(), kStatusHeight + y - form->Board->ScrollY()});
  }
  uint32_t At(const Surface& s, POINT p) { return s.At(p.x, p.y); }

  int DarkPixels(const Surface& s, const RECT& content) {
    int n = 0;
    for (int y = content.top; y < content.bottom; ++y)
      for (int x = content.left; x < content.right; ++x) n += Dark(At(s, OnScreen(x, y)));
    return n;
  }

  // The board's pixels (minus the popup when it covers part of them) equal
  // those of a full repaint.
  void ExpectSameAsFreshPaint() {
    Surface scrolled = backend.Screenshot();
    InvalidateRect(board, nullptr, TRUE);
    backend.Pump();
    Surface fresh = backend.Screenshot();
    RECT r;
    GetWindowRect(board, &r);
    int mismatches = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) mismatches += scrolled.At(x, y) != fresh.At(x, y);
    EXPECT_EQ(mismatches, 0);
  }

  HeadlessBackend backend{SIZE{800, 600}};
  TDemoForm* form = nullptr;
  HWND board = nullptr;
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
  EXPECT_TRUE(Near(At(s, OnScreen((pic.left + pic.right) / 2, (pic.top + pic.bottom) / 2)), kPictureDisc, 0));
  EXPECT_TRUE(Near(At(s, OnScreen(pic.left, pic.top)), RGB(255, 255, 255), 0));
  EXPECT_TRUE(Near(At(s, OnScreen(kGridRect.left, kGridRect.top + 5)), kGridColor, 0));
  // Text: some glyph pixels in the title, none beside it.
  EXPECT_GT(DarkPixels(s, kTitleRect), 40);
  EXPECT_EQ(
      DarkPixels(s, RECT{kTitleRect.right + 20, kTitleRect.top, kTitleRect.right + 120, kTitleRect.bottom}),
      0);
  // The rows are cut at their cell with an ellipsis: nothing is drawn past it.
  RECT row{10, kRowsTop, 420, kRowsTop + kRowHeight};
  EXPECT_GT(DarkPixels(s, row), 100);
  EXPECT_EQ(DarkPixels(s, RECT{row.right, row.top, row.right + 150, row.bottom}), 0);
}

TEST_F(DemoHeadless, TheFormCaptionShowsItsTitle) {
  RECT frame;
  GetWindowRect(form->Handle(), &frame);
  POINT origin = form->ClientToScreen(POINT{0, 0});
  Surface s = backend.Screenshot();
  // White title glyphs on the caption's blue, left of the caption's middle.
  int white = 0;
  for (int y = frame.top + 3; y < origin.y - 2; ++y)
    for (int x = frame.left + 4; x < (frame.left + frame.right) / 2; ++x)
      white += PixelR(s.At(x, y)) > 200 && PixelG(s.At(x, y)) > 200 && PixelB(s.At(x, y)) > 200;
  EXPECT_GT(white, 30);
}

TEST_F(DemoHeadless, PopupStaysAboveTheFormUntilHidden) {
  HWND popup = form->Popup->Handle();
  EXPECT_TRUE(form->Popup->IsHintShowing());
  RECT hint;
  GetWindowRect(popup, &hint);
  POINT expected = form->Board->ClientToScreen(POINT{kHintInCanvas.left, kHintInCanvas.top});
  EXPECT_EQ(hint.left, expected.x);
  EXPECT_EQ(hint.top, expected.y);
  Surface s = backend.Screenshot();
  EXPECT_TRUE(Near(s.At(hint.left, hint.top), RGB(0, 0, 0), 0));  // its frame
  EXPECT_TRUE(Near(s.At(hint.right - 3, hint.bottom - 3), kHintBack, 0));
  int text = 0;
  for (int y = hint.top + 2; y < hint.bottom - 2; ++y)
    for (int x = hint.left + 2; x < hint.right - 2; ++x) text += Dark(s.At(x, y));
  EXPECT_GT(text, 20);
  // Repainting the form beneath does not paint over the popup.
  RedrawWindow(form->Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  backend.Pump();
  EXPECT_TRUE(Near(backend.Screenshot().At(hint.right - 3, hint.bottom - 3), kHintBack, 0));
  ShowWindow(popup, SW_HIDE);
  backend.Pump();
  EXPECT_FALSE(Near(backend.Screenshot().At(hint.right - 3, hint.bottom - 3), kHintBack, 0));
}

TEST_F(DemoHeadless, ScrollingGivesTheSamePixelsAsAFreshPaint) {
  ShowWindow(form->Popup->Handle(), SW_HIDE);  // the comparisons cover the whole board
  backend.Pump();
  Surface before = backend.Screenshot();
  POINT gradient = OnScreen(kGradientRect.left + 2, kGradientRect.top + 2);
  // A click on the down arrow of the vertical scroll bar.
  RECT r;
  GetWindowRect(board, &r);
  backend.Click(r.right - 8, r.bottom - 16 - 8);
  backend.Pump();
  ASSERT_EQ(form->Board->ScrollY(), kRowHeight);
  Surface after = backend.Screenshot();
  EXPECT_EQ(after.At(gradient.x, gradient.y - kRowHeight), before.At(gradient.x, gradient.y));
  ExpectSameAsFreshPaint();
  // Keys scroll too, both ways; the status band stays where it is.
  backend.Click(r.left + 100, r.top + kStatusHeight + 100);
  backend.KeyPress(VK_NEXT);
  backend.KeyPress(VK_RIGHT);
  backend.KeyPress(VK_RIGHT);
  backend.Pump();
  EXPECT_EQ(form->Board->ScrollX(), 2 * kRowHeight);
  EXPECT_GT(form->Board->ScrollY(), kRowHeight);
  ExpectSameAsFreshPaint();
  // The end clamps to the last page, the wheel and Home go back.
  backend.KeyPress(VK_END);
  backend.Pump();
  EXPECT_EQ(form->Board->ScrollY(), kContent.cy - (r.bottom - r.top - 16 - kStatusHeight));
  ExpectSameAsFreshPaint();
  backend.Wheel(WHEEL_DELTA);
  backend.Pump();
  EXPECT_EQ(form->Board->ScrollY(), kContent.cy - (r.bottom - r.top - 16 - kStatusHeight) - 3 * kRowHeight);
  backend.KeyPress(VK_HOME);
  backend.Pump();
  EXPECT_EQ(form->Board->ScrollX(), 0);
  EXPECT_EQ(form->Board->ScrollY(), 0);
  ExpectSameAsFreshPaint();
}

TEST_F(DemoHeadless, KeysClicksAndTheTimerShowInTheStatusBand) {
  RECT r;
  GetWindowRect(board, &r);
  auto band = [&] {
    Surface s = backend.Screenshot();
    std::vector<uint32_t> px;
    for (int y = r.top; y < r.top + kStatusHeight; ++y)
      for (int x = r.left; x < r.right - 16; ++x) px.push_back(s.At(x, y));
    return px;
  };
  // The focus starts elsewhere; a click gives it back to the board.
  SetFocus(form->Handle());
  backend.Pump();
  EXPECT_NE(GetFocus(), board);
  auto start = band();
  backend.Click(r.left + 30, r.top + kStatusHeight + 50);
  backend.Pump();
  EXPECT_EQ(GetFocus(), board);
  EXPECT_EQ(form->Board->LastClick(), "left at 30,90");
  auto clicked = band();
  EXPECT_NE(clicked, start);
  backend.KeyPress('A');
  backend.Pump();
  EXPECT_EQ(form->Board->LastKey(), "char 'a'");  // the key, then its character
  backend.KeyPress(VK_F5);
  backend.Pump();
  EXPECT_EQ(form->Board->LastKey(), "VK 116");
  auto keyed = band();
  EXPECT_NE(keyed, clicked);
  int ticks = form->Board->Ticks();
  backend.AdvanceClock(3 * kTickMs);
  EXPECT_EQ(form->Board->Ticks(), ticks + 3);
  EXPECT_NE(band(), keyed);
  // The timer stops with its form.
  form->Ticker->SetEnabled(false);
  backend.AdvanceClock(3 * kTickMs);
  EXPECT_EQ(form->Board->Ticks(), ticks + 3);
}

}  // namespace
}  // namespace qv::demo
