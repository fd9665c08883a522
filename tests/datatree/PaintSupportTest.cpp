// The tree's painting helpers read back from memory bitmaps: the rubber band
// (blended or a dotted frame, over the rows and below them), the expand
// button bitmaps of every button style, and where a row's button sits.
#include "TreeTestSupport.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/ImageList.h"
#include "platform/gdi/SystemColors.h"

namespace qv::test {
namespace {

// The band's and the buttons' entry points, open to the test.
struct SupportTree : TDataStringTree {
  using TBaseDataTree::CalculateSelectionRect;
  using TBaseDataTree::DoStateChange;
  using TBaseDataTree::StartDrawSelection;
  using TDataStringTree::TDataStringTree;
};

class PaintSupport : public TreeTest {
 protected:
  SupportTree* MakeTree(int Rows) {
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBoundsRect(RECT{0, 0, 300, 200});
    auto* t = new SupportTree(form);
    t->SetBorderStyle(bsNone);
    t->SetAlign(alClient);
    t->SetParent(form);
    form->Show();
    t->SetNodeDataSize(4);
    t->OnGetText = [](TBaseDataTree*, PDataNode, TColumnIndex, TVSTTextType, std::u16string& s) {
      s = u"Wx";
    };
    t->SetColor(clWhite);
    t->SetRootNodeCount(uint32_t(Rows));
    Pump();
    return t;
  }
  // The band from (X0, Y0) to (X1, Y1) in content coordinates, as a drag leaves it.
  static void Band(SupportTree* t, int X0, int Y0, int X1, int Y1) {
    t->StartDrawSelection(POINT{X0, Y0}, false);
    t->DoStateChange({tsDrawSelecting});
    t->CalculateSelectionRect(X1, Y1);
  }
  void PaintAll(SupportTree* t, RECT Window = {0, 0, 300, 200}) {
    bitmap = std::make_unique<TBitmap>(300, 200, pf32bit);
    bitmap->Canvas()->Brush()->SetColor(clLime);
    bitmap->Canvas()->FillRect(RECT{0, 0, 300, 200});
    t->PaintTree(bitmap->Canvas()->Handle(), Window, POINT{Window.left, Window.top},
                 TPaintTreeFlags{ptBackground, ptFocusRect, ptSelection, ptGridLines});
  }
  uint32_t At(int x, int y) {
    COLORREF v = COLORREF(ColorToRGB(bitmap->Canvas()->Pixels(x, y)));
    return uint32_t(GetRValue(v)) << 16 | uint32_t(GetGValue(v)) << 8 | GetBValue(v);
  }
  std::unique_ptr<TBitmap> bitmap;
};

TEST_F(PaintSupport, BlendedBandWashesWhatItCoversAndFramesItOverRowsAndBelow) {
  SupportTree* t = MakeTree(3);  // rows end at 54; the band reaches below them
  t->DrawSelectionMode = smBlendedRectangle;
  t->Colors()->Set(TDTColors::SelectionRectangleBlendColor, clBlue);
  t->Colors()->Set(TDTColors::SelectionRectangleBorderColor, clRed);
  Band(t, 150, 5, 250, 100);
  PaintAll(t);
  // Half of white and blue inside, the same over a row and below the rows.
  for (int y : {30, 80}) {
    uint32_t p = At(200, y);
    EXPECT_NEAR(int(p >> 16), 127, 1) << y;
    EXPECT_NEAR(int(p >> 8 & 255), 127, 1) << y;
    EXPECT_EQ(p & 255, 255u) << y;
  }
  EXPECT_EQ(At(100, 30), 0xFFFFFFu);
  EXPECT_EQ(At(260, 80), 0xFFFFFFu);
  // The frame runs unbroken across the row joins and below the rows.
  for (int y = 5; y < 100; ++y) {
    ASSERT_EQ(At(150, y), 0xFF0000u) << y;
    ASSERT_EQ(At(249, y), 0xFF0000u) << y;
  }
  for (int x = 150; x < 250; ++x) {
    ASSERT_EQ(At(x, 5), 0xFF0000u) << x;
    ASSERT_EQ(At(x, 99), 0xFF0000u) << x;
  }
  EXPECT_EQ(At(200, 4), 0xFFFFFFu);
  EXPECT_EQ(At(200, 100), 0xFFFFFFu);
  // No blending at all: the frame alone.
  t->SelectionBlendFactor = 0;
  PaintAll(t);
  EXPECT_EQ(At(200, 30), 0xFFFFFFu);
  EXPECT_EQ(At(150, 30), 0xFF0000u);
}

TEST_F(PaintSupport, BlendedBandOutsideThePaintedPartDrawsNothingThere) {
  SupportTree* t = MakeTree(6);
  t->DrawSelectionMode = smBlendedRectangle;
  t->Colors()->Set(TDTColors::SelectionRectangleBorderColor, clRed);
  Band(t, 150, 5, 250, 30);
  // Rows below the band, and a strip beside it: each painted on its own.
  bitmap = std::make_unique<TBitmap>(300, 200, pf32bit);
  for (RECT window : {RECT{0, 36, 300, 108}, RECT{0, 0, 140, 200}}) {
    t->PaintTree(bitmap->Canvas()->Handle(), window, POINT{window.left, window.top},
                 TPaintTreeFlags{ptBackground, ptSelection});
    int red = 0;
    for (int y = window.top; y < window.bottom; ++y)
      for (int x = window.left; x < window.right; ++x) red += At(x, y) == 0xFF0000u;
    EXPECT_EQ(red, 0) << window.left << "," << window.top;
  }
}

TEST_F(PaintSupport, DottedBandInvertsEveryOtherPixelOfItsFrameOnly) {
  SupportTree* t = MakeTree(3);
  ASSERT_EQ(t->DrawSelectionMode, smDottedRectangle);
  Band(t, 150, 5, 250, 100);
  PaintAll(t);
  // The left edge alternates white and inverted (black) pixels across the
  // row joins and below the rows; inside and outside stay white.
  int black = 0;
  for (int y = 5; y < 100; ++y) {
    uint32_t p = At(150, y), below = At(150, y + 1);
    ASSERT_TRUE(p == 0xFFFFFFu || p == 0u) << y;
    if (y + 1 < 100) {
      ASSERT_NE(p, below) << y;
    }
    black += p == 0u;
  }
  EXPECT_NEAR(black, 47, 1);
  EXPECT_EQ(At(200, 30), 0xFFFFFFu);
  EXPECT_EQ(At(200, 80), 0xFFFFFFu);
  EXPECT_EQ(At(140, 30), 0xFFFFFFu);
  // Without a drag in progress there is no band.
  t->DoStateChange({}, {tsDrawSelecting});
  PaintAll(t);
  int dots = 0;
  for (int y = 5; y < 100; ++y) dots += At(150, y) != 0xFFFFFFu;
  EXPECT_EQ(dots, 0);
}

}  // namespace
}  // namespace qv::test
