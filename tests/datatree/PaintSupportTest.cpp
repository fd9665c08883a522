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
  using TBaseDataTree::GetButtonVAlign;
  using TBaseDataTree::MinusBitmap;
  using TBaseDataTree::PlusBitmap;
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

TEST_F(PaintSupport, TheBandTheMouseDrawsShowsOnScreenUntilTheButtonComesUp) {
  SupportTree* t = MakeTree(3);
  t->TreeOptions()->SetSelectionOptions({toMultiSelect});
  t->DrawSelectionMode = smBlendedRectangle;
  t->Colors()->Set(TDTColors::SelectionRectangleBlendColor, clBlue);
  t->Colors()->Set(TDTColors::SelectionRectangleBorderColor, clRed);
  backend.MouseMove(200, 10);
  backend.MouseDown();
  Pump();
  backend.MouseMove(280, 150);
  Pump();
  ASSERT_TRUE(t->TreeStates().Contains(tsDrawSelecting));
  for (int y : {30, 100}) {  // over a row and below the rows
    uint32_t p = PixelAt(240, y);
    EXPECT_TRUE((p & 255) == 255 && (p >> 16) < 200) << std::hex << p;
  }
  EXPECT_EQ(PixelAt(200, 80), 0xFF0000u);
  EXPECT_EQ(PixelAt(279, 80), 0xFF0000u);
  backend.MouseUp();
  Pump();
  EXPECT_EQ(PixelAt(240, 100), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(200, 80), 0xFFFFFFu);
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

// Pixel X, Y of a button bitmap as 0xRRGGBB.
uint32_t ButtonPixel(TBitmap* B, int X, int Y) {
  COLORREF v = COLORREF(ColorToRGB(B->Canvas()->Pixels(X, Y)));
  return uint32_t(GetRValue(v)) << 16 | uint32_t(GetGValue(v)) << 8 | GetBValue(v);
}
uint32_t Rgb(TColor c) {
  COLORREF v = COLORREF(ColorToRGB(c));
  return uint32_t(GetRValue(v)) << 16 | uint32_t(GetGValue(v)) << 8 | GetBValue(v);
}

// The check image table: rows by check type and state, columns disabled,
// enabled, enabled and hot; mixed radio buttons and buttons take the check
// box's mixed rows.
TEST_F(PaintSupport, CheckImagesComeFromTheTableOfTypeStateAndHotness) {
  SupportTree* t = MakeTree(2);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toHotTrack);
  PDataNode n = t->GetFirst();
  RECT label = t->GetDisplayRect(n, NoColumn, true, true);
  auto column = [&](int which) {  // 0 disabled, 1 enabled, 2 enabled and hot
    t->SetDisabled(n, which == 0);
    POINT p = t->ClientToScreen(POINT{label.left + 2, (label.top + label.bottom) / 2});
    backend.MouseMove(p.x, which == 2 ? p.y : p.y + 100);
    Pump();
  };
  struct Row {
    TCheckType Type;
    TCheckState State;
    int Disabled, Enabled, Hot;
  };
  const Row table[] = {
      {ctCheckBox, csUncheckedNormal, 12, 9, 10},      {ctCheckBox, csUncheckedPressed, 12, 11, 11},
      {ctCheckBox, csCheckedNormal, 16, 13, 14},       {ctCheckBox, csCheckedPressed, 16, 15, 15},
      {ctCheckBox, csMixedNormal, 20, 17, 18},         {ctCheckBox, csMixedPressed, 20, 19, 19},
      {ctTriStateCheckBox, csMixedNormal, 20, 17, 18}, {ctRadioButton, csUncheckedNormal, 4, 1, 2},
      {ctRadioButton, csUncheckedPressed, 4, 3, 3},    {ctRadioButton, csCheckedNormal, 8, 5, 6},
      {ctRadioButton, csCheckedPressed, 8, 7, 7},      {ctRadioButton, csMixedNormal, 20, 17, 18},
      {ctRadioButton, csMixedPressed, 20, 19, 19},     {ctButton, csUncheckedNormal, 24, 21, 22},
      {ctButton, csCheckedNormal, 24, 21, 22},         {ctButton, csCheckedPressed, 24, 23, 23},
      {ctButton, csMixedNormal, 20, 17, 18},           {ctButton, csMixedPressed, 20, 19, 19},
  };
  for (const Row& r : table) {
    n->CheckType = r.Type;
    n->CheckState = r.State;
    int expected[] = {r.Disabled, r.Enabled, r.Hot};
    for (int c = 0; c < 3; ++c) {
      column(c);
      EXPECT_EQ(t->GetCheckImage(n), expected[c]) << int(r.Type) << " " << int(r.State) << " " << c;
    }
  }
  n->CheckType = ctNone;
  EXPECT_EQ(t->GetCheckImage(n), -1);
  // A disabled control counts as a disabled node.
  n->CheckType = ctCheckBox;
  n->CheckState = csCheckedNormal;
  column(1);
  t->SetEnabled(false);
  EXPECT_EQ(t->GetCheckImage(n), 16);
}

TEST_F(PaintSupport, ButtonBitmapsFollowTheButtonStyleFillModeAndColours) {
  SupportTree* t = MakeTree(2);
  constexpr uint32_t key = 0xFF00FF;
  t->Font()->SetColor(clNavy);
  t->Colors()->Set(TDTColors::TreeLineColor, clMaroon);
  // A box in the line colour, filled with the tree's colour, bars in the font's.
  TBitmap *plus = t->PlusBitmap(), *minus = t->MinusBitmap();
  ASSERT_EQ(plus->Width(), 9);
  ASSERT_EQ(plus->Height(), 9);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(ButtonPixel(plus, i, 0), Rgb(clMaroon));
    EXPECT_EQ(ButtonPixel(minus, 8, i), Rgb(clMaroon));
  }
  EXPECT_EQ(ButtonPixel(plus, 1, 1), 0xFFFFFFu);
  for (int x = 2; x < 7; ++x) EXPECT_EQ(ButtonPixel(minus, x, 4), Rgb(clNavy)) << x;
  EXPECT_EQ(ButtonPixel(minus, 7, 4), 0xFFFFFFu);
  EXPECT_EQ(ButtonPixel(minus, 4, 2), 0xFFFFFFu);  // no cross bar on minus
  for (int y = 2; y < 7; ++y) EXPECT_EQ(ButtonPixel(t->PlusBitmap(), 4, y), Rgb(clNavy)) << y;
  t->SetButtonFillMode(fmWindowColor);
  EXPECT_EQ(ButtonPixel(t->PlusBitmap(), 1, 1), Rgb(clWindow));
  t->SetButtonFillMode(fmTransparent);
  EXPECT_EQ(ButtonPixel(t->PlusBitmap(), 1, 1), key);
  // The frame follows a new line colour at once.
  t->Colors()->Set(TDTColors::TreeLineColor, clGreen);
  EXPECT_EQ(ButtonPixel(t->PlusBitmap(), 0, 0), Rgb(clGreen));
  TDTColors others(nullptr);
  others.Set(TDTColors::TreeLineColor, clOlive);
  t->Colors()->Assign(&others);
  EXPECT_EQ(ButtonPixel(t->PlusBitmap(), 0, 0), Rgb(clOlive));

  // Shaded: a soft box whose corners stay transparent, a dark bar in the middle.
  t->SetButtonFillMode(fmShaded);
  for (TBitmap* b : {t->PlusBitmap(), t->MinusBitmap()}) {
    for (POINT corner : {POINT{0, 0}, POINT{8, 0}, POINT{0, 8}, POINT{8, 8}})
      EXPECT_EQ(ButtonPixel(b, corner.x, corner.y), key);
    EXPECT_NE(ButtonPixel(b, 4, 0), key);
    uint32_t bar = ButtonPixel(b, 4, 4), face = ButtonPixel(b, 1, 1);
    EXPECT_LT((bar & 255) + (bar >> 8 & 255) + (bar >> 16), (face & 255) + (face >> 8 & 255) + (face >> 16));
  }
  EXPECT_EQ(ButtonPixel(t->PlusBitmap(), 4, 2), ButtonPixel(t->PlusBitmap(), 4, 4));
  EXPECT_NE(ButtonPixel(t->MinusBitmap(), 4, 2), ButtonPixel(t->MinusBitmap(), 4, 4));
  EXPECT_NE(ButtonPixel(t->PlusBitmap(), 1, 1), ButtonPixel(t->PlusBitmap(), 1, 7));  // shaded face

  // Triangles ignore the fill mode: right while collapsed, down while expanded.
  t->SetButtonStyle(bsTriangle);
  plus = t->PlusBitmap(), minus = t->MinusBitmap();
  EXPECT_EQ(ButtonPixel(plus, 3, 4), 0u);
  EXPECT_EQ(ButtonPixel(plus, 7, 4), key);
  EXPECT_EQ(ButtonPixel(plus, 0, 0), key);
  EXPECT_EQ(ButtonPixel(minus, 4, 4), 0u);
  EXPECT_EQ(ButtonPixel(minus, 4, 7), key);
  EXPECT_EQ(ButtonPixel(minus, 0, 2), 0u);
}

TEST_F(PaintSupport, RowsShowTheirButtonBitmapWithTheKeyTransparent) {
  SupportTree* t = MakeTree(2);
  t->SetColor(clYellow);
  t->SetButtonFillMode(fmTransparent);
  t->Colors()->Set(TDTColors::TreeLineColor, clRed);
  t->SetChildCount(t->GetFirst(), 1);
  PaintAll(t);
  // The red frame's inside shows the row's colour, never the key.
  int left = 300, top = 200;
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 18; ++x)
      if (At(x, y) == 0xFF0000u) left = std::min(left, x), top = std::min(top, y);
  ASSERT_LT(left, 18);
  EXPECT_EQ(At(left + 8, top + 8), 0xFF0000u);
  EXPECT_EQ(At(left + 1, top + 1), Rgb(clYellow));
  EXPECT_NE(At(left + 4, top + 2), Rgb(clYellow));  // the plus' cross bar
  t->SetExpanded(t->GetFirst(), true);
  PaintAll(t);
  EXPECT_EQ(At(left + 4, top + 2), Rgb(clYellow));  // a minus now
  EXPECT_NE(At(left + 2, top + 4), Rgb(clYellow));
}

TEST_F(PaintSupport, ButtonsAndImagesAnchorByTheNodeAlignment) {
  SupportTree* t = MakeTree(0);
  t->SetDefaultNodeHeight(40);
  t->SetRootNodeCount(1);
  PDataNode n = t->GetFirst();
  TCustomImageList images(nullptr, 16, 16), states(nullptr, 12, 12);
  int buttonY = 0, vAlign = 0;
  auto anchor = [&](bool Images, bool States) {
    t->GetButtonVAlign(Images, States, buttonY, vAlign, n);
    EXPECT_EQ(buttonY, vAlign - 4);  // half the button's height, rounded down
    return vAlign;
  };
  t->SetImages(&images);
  t->SetStateImages(&states);
  // Proportional: the images' (or else the button's) centre at Align percent
  // of the height they leave free; with neither, Align percent of the row.
  n->Align = 30;
  EXPECT_EQ(anchor(true, true), 7 + 8);    // 30 % of 40 - 16, plus 16 / 2
  EXPECT_EQ(anchor(false, true), 8 + 6);   // 30 % of 40 - 12 rounds to 8
  EXPECT_EQ(anchor(false, false), 9 + 4);  // 30 % of 40 - 9 rounds to 9
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() - toShowButtons);
  EXPECT_EQ(anchor(false, false), 12);
  n->Align = 50;
  EXPECT_EQ(anchor(true, false), 12 + 8);
  t->SetNodeAlignment(naFromTop);
  n->Align = 11;
  EXPECT_EQ(anchor(true, true), 11);
  t->SetNodeAlignment(naFromBottom);
  EXPECT_EQ(anchor(true, true), 29);
  t->SetImages(nullptr);
  t->SetStateImages(nullptr);
}

}  // namespace
}  // namespace qv::test
