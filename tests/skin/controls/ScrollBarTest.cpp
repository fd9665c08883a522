// The skinned scroll bar: its geometry as a property over many bars (round
// trips, short bars, the division guards), the standard face against the
// class library's scroll bar, and the skin-drawn face: pixels per part, the
// mouse state machine with its timers on the test clock, keys, the hints
// saved and restored, the range warning and the skin commands.
#include <string>
#include <vector>

#include "BarsSkin.h"
#include "classlib/stdctrls/ScrollBar.h"
#include "platform/window/Input.h"
#include "platform/window/Window.h"
#include "skin/controls/skScrollBar.h"
#include "skin/skBlend.h"
#include "skin/skControlTree.h"
#include "skin/skMaskPaint.h"
#include "skin/skUtils.h"

namespace qv::test {
namespace {

class ScrollBars : public SkinnedControlsTest {
 protected:
  TSkScrollBar* NewBar(int width = 216) {
    auto* b = new TSkScrollBar(form);
    b->AfterConstruction();
    b->SetParent(form);
    b->SetBounds(20, 100, width, 16);
    b->SetName("Bar");
    backend.Pump();
    return b;
  }
  // The bar's pixel at (x, y) of its client area.
  uint32_t BarAt(TSkScrollBar* b, int x, int y = 8) { return At(b->Left() + x, b->Top() + y); }
  void Press(TSkScrollBar* b, int x, MouseButton button = MouseButton::Left) {
    backend.MouseMove(b->Left() + x, b->Top() + 8);
    backend.MouseDown(button);
    backend.Pump();
  }
  void Release(MouseButton button = MouseButton::Left) {
    backend.MouseUp(button);
    backend.Pump();
  }
  void Wait(int ms) {
    for (int t = 0; t < ms; t += 10) {
      backend.AdvanceClock(10);
      backend.Pump();
    }
  }
};

TEST_F(ScrollBars, GeometryHoldsForManyBars) {
  TSkScrollBar* b = NewBar();
  for (int len : {10, 31, 32, 33, 46, 60, 216, 500})
    for (int page : {0, 1, 5, 50, 400})
      for (int range : {0, 1, 7, 100, 1000}) {
        b->SetBounds(20, 100, len, 16);
        b->SetParams(0, 0, range);
        b->SetPageSize(page);
        const int s = b->SliderSize();
        EXPECT_GE(s, 14);
        if (page == 0) {
          EXPECT_EQ(s, 14);
        }
        const RECT b1 = b->PartRect(TSkScrollBar::spBtn1), b2 = b->PartRect(TSkScrollBar::spBtn2);
        EXPECT_LE(b1.right, len / 2);  // short bars split between the buttons
        EXPECT_GE(b2.left, len / 2);
        EXPECT_EQ(b2.right, len);
        const int room = b->TrackLength() - s;
        for (int p = 0; p <= range; p += std::max(1, range / 13)) {
          b->SetPosition(p);
          const int c = b->PositionToCoord();
          const int back = b->CoordToPosition(POINT{c, 8});
          if (range == 0 || room <= 0) {
            EXPECT_EQ(back, 0);  // nothing to divide: the minimum, never a wild value
          } else if (room >= range) {
            // Each position has its own pixel; the centre is found again,
            // give or take the half pixel of an odd slider.
            EXPECT_LE(std::abs(back - p), s % 2) << len << " " << page << " " << range;
          } else {
            EXPECT_LE(std::abs(back - p), (range + room - 1) / room) << len << " " << range;
          }
          const RECT sr = b->PartRect(TSkScrollBar::spSlider);
          EXPECT_EQ(sr.right - sr.left, s);
          EXPECT_EQ(b->PartRect(TSkScrollBar::spBar1).right, b->PartRect(TSkScrollBar::spBar2).left);
        }
      }
  b->SetEnabled(false);
  EXPECT_EQ(b->PositionToCoord(), b->Len() / 2);
  EXPECT_EQ(b->CoordToPosition(POINT{100, 8}), 0);
}

TEST_F(ScrollBars, StandardFaceIsTheSystemScrollBar) {
  TSkScrollBar* b = NewBar();
  auto* plain = new TScrollBar(form);
  plain->SetParent(form);
  plain->SetBounds(20, 150, 216, 16);
  EXPECT_FALSE(b->SelfDrawn());
  b->SetParams(30, 0, 100);
  plain->SetParams(30, 0, 100);
  backend.Pump();
  const Surface s = backend.Screenshot();
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 216; ++x) ASSERT_EQ(s.At(20 + x, 100 + y), s.At(20 + x, 150 + y)) << x << "," << y;
  // A range the wrong way round is refused and nothing changes.
  try {
    b->SetParams(10, 50, 20);
    ADD_FAILURE() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message, "Scrollbar property out of range");
  }
  EXPECT_EQ(b->Position(), 30);
  EXPECT_EQ(b->Max(), 100);
  // The system bar's arrow steps through the reflected scroll message.
  std::vector<TScrollCode> codes;
  b->OnScroll = [&](TObject*, TScrollCode code, int&) { codes.push_back(code); };
  int changes = 0;
  b->OnChange = [&](TObject*) { ++changes; };
  backend.Click(20 + 216 - 5, 108);
  backend.Pump();
  EXPECT_EQ(b->Position(), 31);
  EXPECT_EQ(changes, 1);
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes.front(), scLineDown);
}

TEST_F(ScrollBars, SkinDrawsEachPartFromItsSection) {
  TSkScrollBar* b = NewBar();
  LoadSkin();
  EXPECT_TRUE(b->SelfDrawn());
  b->SetPosition(50);
  backend.Pump();
  const int c = b->PositionToCoord();
  EXPECT_EQ(BarAt(b, 5), Rgb(kBtn1));
  EXPECT_EQ(BarAt(b, 210), Rgb(kBtn2));
  EXPECT_EQ(BarAt(b, c), Rgb(kSlider));
  EXPECT_EQ(BarAt(b, c - 20), Rgb(kBar1));
  EXPECT_EQ(BarAt(b, c + 20), Rgb(kBar2));
  // Hovering lights the track, and the part under the mouse.
  backend.MouseMove(b->Left() + c, b->Top() + 8);
  backend.Pump();
  EXPECT_EQ(b->PartState(TSkScrollBar::spSlider), 1);
  EXPECT_EQ(BarAt(b, c), Rgb(kSliderHot));
  EXPECT_EQ(BarAt(b, c - 20), Rgb(kBar1Hot));
  EXPECT_EQ(BarAt(b, c + 20), Rgb(kBar2Hot));
  // Removing the skin gives the system scroll bar back.
  manager->SetActive(false);
  backend.Pump();
  EXPECT_FALSE(b->SelfDrawn());
  EXPECT_EQ(b->Position(), 50);
}

TEST_F(ScrollBars, VerticalAndDisabledBarsUnderASkin) {
  TSkScrollBar* v = NewBar();
  v->SetKind(sbVertical);  // width and height swap
  EXPECT_EQ(v->Width(), 16);
  EXPECT_EQ(v->Height(), 216);
  v->SetTop(20);  // all of it on the form
  LoadSkin();
  v->SetPosition(100);
  backend.Pump();
  const int c = v->PositionToCoord();
  EXPECT_EQ(c, 216 - 16 - 7);
  EXPECT_EQ(At(v->Left() + 8, v->Top() + 5), Rgb(kBtn1));
  EXPECT_EQ(At(v->Left() + 8, v->Top() + 210), Rgb(kBtn2));
  EXPECT_EQ(At(v->Left() + 8, v->Top() + c), Rgb(kSlider));
  EXPECT_EQ(At(v->Left() + 8, v->Top() + 100), Rgb(kBar1));
  // Disabled: the slider goes to the middle and the whole bar is blended
  // toward the parent's colour.
  v->SetEnabled(false);
  v->Repaint();
  std::unique_ptr<TBitmap> px(CreateBmp24BySize(1, 1));
  auto faded = [&](TColor part) {
    px->Canvas()->SetPixels(0, 0, part);
    BlendRectToColor(px.get(), RECT{0, 0, 1, 1}, 50, ColorToRGB(form->Color()));
    return Rgb(px->Canvas()->Pixels(0, 0));
  };
  EXPECT_EQ(v->PositionToCoord(), 108);
  EXPECT_EQ(At(v->Left() + 8, v->Top() + 108), faded(kSlider));
  EXPECT_EQ(At(v->Left() + 8, v->Top() + 5), faded(kBtn1));
  EXPECT_EQ(At(v->Left() + 8, v->Top() + 60), faded(kBar1));
}

TEST_F(ScrollBars, ButtonsRepeatOnTheClockAndHintsComeBack) {
  TSkScrollBar* b = NewBar();
  LoadSkin();
  std::vector<TScrollCode> codes;
  b->OnScroll = [&](TObject*, TScrollCode code, int&) { codes.push_back(code); };
  Application->ShowHint = true;
  Press(b, 210);
  EXPECT_EQ(b->Position(), 1);
  EXPECT_EQ(b->PartState(TSkScrollBar::spBtn2), 2);
  EXPECT_FALSE(Application->ShowHint);
  Wait(490);
  EXPECT_EQ(b->Position(), 1);  // the first repeat waits 500 ms
  Wait(20);
  EXPECT_EQ(b->Position(), 2);
  Wait(100);
  EXPECT_EQ(b->Position(), 3);
  Release();
  EXPECT_TRUE(Application->ShowHint);
  EXPECT_EQ(codes.back(), scEndScroll);
  Wait(300);
  EXPECT_EQ(b->Position(), 3);
  // At the minimum the first button only reports; at the maximum the second does nothing.
  b->SetPosition(0);
  codes.clear();
  Press(b, 5);
  Release();
  EXPECT_EQ(b->Position(), 0);
  ASSERT_GE(codes.size(), 2u);
  EXPECT_EQ(codes.front(), scLineUp);
  b->SetPosition(100);
  Press(b, 210);
  EXPECT_FALSE(b->TimerRunning());
  Release();
  EXPECT_EQ(b->Position(), 100);
  // A right click neither scrolls nor leaves the hints off.
  Press(b, 100, MouseButton::Right);
  Release(MouseButton::Right);
  EXPECT_TRUE(Application->ShowHint);
}

TEST_F(ScrollBars, HoldingTheTrackStopsWhereTheSliderMeetsTheMouse) {
  TSkScrollBar* b = NewBar();
  LoadSkin();
  b->LargeChange = 10;
  Press(b, 150);  // position 0: the slider sits at the left
  EXPECT_EQ(b->Position(), 10);
  EXPECT_EQ(b->PartState(TSkScrollBar::spBar2), 2);
  Wait(2000);
  const int stop = b->CoordToPosition(POINT{150, 8});
  EXPECT_GE(b->Position(), stop);
  EXPECT_LT(b->Position(), stop + 10);
  EXPECT_FALSE(b->TimerRunning() && b->PartState(TSkScrollBar::spBar2) != 2);
  Release();
}

TEST_F(ScrollBars, DraggingWithoutSmoothReportsOnceAtTheEnd) {
  TSkScrollBar* b = NewBar();
  LoadSkin();
  b->Smooth = false;
  b->SetPosition(20);
  std::vector<int> prevs;
  b->OnScrollChanged = [&](TSkScrollBar*, int prev) { prevs.push_back(prev); };
  const int c = b->PositionToCoord();
  Press(b, c);
  EXPECT_EQ(b->PartState(TSkScrollBar::spSlider), 2);
  for (int dx = 10; dx <= 60; dx += 10) {
    backend.MouseMove(b->Left() + c + dx, b->Top() + 8);
    backend.Pump();
  }
  EXPECT_GT(b->Position(), 20);
  EXPECT_TRUE(prevs.empty());  // nothing reported during the drag
  Release();
  ASSERT_EQ(prevs.size(), 1u);
  EXPECT_EQ(prevs[0], 20);
  EXPECT_EQ(b->Position(), b->CoordToPosition(POINT{c + 60, 8}) - (b->CoordToPosition(POINT{c, 8}) - 20));
}

TEST_F(ScrollBars, KeysStepUnderASkin) {
  TSkScrollBar* b = NewBar();
  LoadSkin();
  b->LargeChange = 10;
  b->SetFocus();
  backend.Pump();
  const std::vector<std::pair<UINT, int>> steps = {{VK_RIGHT, 1}, {VK_DOWN, 2},  {VK_NEXT, 12}, {VK_LEFT, 11},
                                                   {VK_PRIOR, 1}, {VK_END, 100}, {VK_HOME, 0},  {VK_UP, 0}};
  for (auto [key, want] : steps) {
    backend.KeyPress(key);
    backend.Pump();
    EXPECT_EQ(b->Position(), want) << key;
  }
}

// Ranges up to the whole int range, and ranges across zero: dragging past
// either end, stepping by huge amounts and the slider's place never leave the
// range (the positions are worked out in 64 bits).
TEST_F(ScrollBars, HugeRangesDragAndStepWithinTheRange) {
  TSkScrollBar* b = NewBar();
  LoadSkin();
  b->SetFocus();
  const int lo = INT32_MIN, hi = INT32_MAX;
  const std::vector<std::pair<int, int>> ranges = {{0, 1000000000}, {lo, hi},    {-1000000000, 1000000000},
                                                   {-5, 5},         {lo, 0},     {0, hi},
                                                   {lo, lo + 10},   {hi - 3, hi}};
  for (auto [mn, mx] : ranges) {
    SCOPED_TRACE(std::to_string(mn) + ".." + std::to_string(mx));
    b->SetParams(mn, mn, mx);
    for (int page : {0, 10}) {
      b->SetPageSize(page);
      // The slider's place stays on the bar and moves the right way.
      b->SetPosition(mn);
      const int first = b->PositionToCoord();
      b->SetPosition(int((int64_t(mn) + mx) / 2));
      const int middle = b->PositionToCoord();
      b->SetPosition(mx);
      const int last = b->PositionToCoord();
      EXPECT_LE(first, middle);
      EXPECT_LE(middle, last);
      EXPECT_GE(first - b->SliderSize() / 2, 0);
      EXPECT_LE(last + (b->SliderSize() + 1) / 2, b->Len());
    }
    b->SetPageSize(0);
    // The slider dragged far past the end stops at Max, far before the start at Min.
    b->SetPosition(int((int64_t(mn) + mx) / 2));
    const int c = b->PositionToCoord();
    Press(b, c);
    ASSERT_EQ(b->PartState(TSkScrollBar::spSlider), 2);
    backend.MouseMove(b->Left() + b->Len() + 5000, b->Top() + 8);
    backend.Pump();
    EXPECT_EQ(b->Position(), mx);
    backend.MouseMove(b->Left() - 5000, b->Top() + 8);
    backend.Pump();
    EXPECT_EQ(b->Position(), mn);
    backend.MouseMove(b->Left() + b->Len() + 5000, b->Top() + 8);
    Release();
    EXPECT_EQ(b->Position(), mx);
    EXPECT_EQ(b->CoordToPosition(POINT{b->Len() + 100000, 8}) >= mx, true);
    // Steps as large as the range itself.
    b->SmallChange = hi, b->LargeChange = hi;
    for (auto [key, want] : std::vector<std::pair<UINT, int>>{
             {VK_NEXT, mx}, {VK_RIGHT, mx}, {VK_HOME, mn}, {VK_PRIOR, mn}, {VK_UP, mn}}) {
      backend.KeyPress(key);
      backend.Pump();
      EXPECT_EQ(b->Position(), want) << key;
    }
    b->SmallChange = 1, b->LargeChange = 1;
  }
}

TEST_F(ScrollBars, RangeWarningAndSkinCommands) {
  TSkScrollBar* b = NewBar();
  LoadSkin();
  std::vector<std::string> shown;
  ShowErrorSink = [&](const std::string& t) { shown.push_back(t); };
  b->SetParams(0, 10, 10);
  ShowErrorSink = nullptr;
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "Scrollbar property out of range\r\nMax = 10(Bar)");
  EXPECT_EQ(b->Min(), 10);
  EXPECT_EQ(b->CoordToPosition(POINT{100, 8}), 10);  // no division by the empty span
  b->Repaint();
  backend.Pump();
  EXPECT_TRUE(QuerySkinCommand(b, AC_CTRLHANDLED));
  // Another manager's news changes nothing.
  TSkinManager other(nullptr);
  b->Perform(SM_SKINCMD, MakeSkinWParam(AC_SKINREMOVED), LPARAM(&other));
  EXPECT_TRUE(b->SelfDrawn());
  b->Perform(SM_SKINCMD, MakeSkinWParam(AC_SKINREMOVED), LPARAM(manager.get()));
  EXPECT_FALSE(b->SelfDrawn());
  b->Perform(SM_SKINCMD, MakeSkinWParam(AC_SKINAPPLIED), LPARAM(manager.get()));
  EXPECT_TRUE(b->SelfDrawn());
}

}  // namespace
}  // namespace qv::test
